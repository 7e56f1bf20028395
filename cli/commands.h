// The console program's commands, each run from a parsed command line.
#ifndef PARTELLO_CLI_COMMANDS_H
#define PARTELLO_CLI_COMMANDS_H

struct CommandLine {
    const char *operand;   // the FILE or PART
    const char *folder;    // split -d
    const char *sizeText;  // split -s
    const char *countText; // split -n
    const char *output;    // join -o
    bool copyProgram;
    bool deleteParts;
    bool force;
    bool quiet;
};

// Each returns the program's exit status.
int RunSplit(const CommandLine *line);
int RunJoin(const CommandLine *line);
int RunVerify(const CommandLine *line);
int RunList(const CommandLine *line);
int RunChecksum(const CommandLine *line);

// Why `path` failed: the system's text for `error` when not 0, otherwise
// what the entry is ("is a folder", "is not a regular file", ...), or ""
// when nothing more is known.
void DescribeFault(const char *path, int error, char *text, int size);

// The one error line on stderr, "partello: 'NAME': what (reason)", with the
// name quoted (left out when NULL) and the reason left out when NULL or "";
// EXIT_ERROR.
int ReportError(const char *name, const char *reason, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
// "partello: what" and the line that points to --help; EXIT_USAGE.
int ReportUsageError(const char *format, ...) __attribute__((format(printf, 1, 2)));

#endif
