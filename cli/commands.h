// What the console's commands share: the command line as parsed, and the
// checks and endings that more than one of them needs.
#ifndef PARTELLO_CLI_COMMANDS_H
#define PARTELLO_CLI_COMMANDS_H

#include "engine/report.h"

struct CommandLine {
    const char *operand;   // the FILE or PART: the first operand
    char *const *operands; // every operand (checksum takes several)
    int operandCount;
    const char *folder;    // split -d
    const char *sizeText;  // split -s
    const char *countText; // split -n
    const char *output;    // join -o
    bool copyProgram;
    bool deleteParts;
    bool force;
    bool quiet;
};

// A FILE operand must be a regular file: anything else is refused with what
// it is, before any other check could misread it (a device as empty, say).
// EXIT_DONE, or the error already reported.
int CheckIsFile(const char *path);

// Ends the operation begun for an engine call that gave `result`; the
// program's exit status.
int FinishOperation(OperationResult result);

#endif
