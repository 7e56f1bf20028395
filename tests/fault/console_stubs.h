// What the replaced console reporting saw during one run.
#ifndef PARTELLO_TESTS_CONSOLE_STUBS_H
#define PARTELLO_TESTS_CONSOLE_STUBS_H

struct ConsoleRecord {
    int beeps, operationBeeps;
    int cursorDepth;          // wait cursors put up and not yet restored
    bool successAfterFault;   // a success text came after the failed call
};

void ResetConsole();
const ConsoleRecord &Console();

// The console program's main(), renamed.
int PartelloMain(int argc, char **argv);

#endif
