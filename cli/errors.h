// The program's exit statuses and its one shape of error line.
#ifndef PARTELLO_CLI_ERRORS_H
#define PARTELLO_CLI_ERRORS_H

enum {
    EXIT_DONE = 0,
    EXIT_ERROR = 1,
    EXIT_USAGE = 2,
    EXIT_CANCELLED = 130,
    EXIT_PIPE_CLOSED = 141,  // as if ended by SIGPIPE: standard output's reader left
};

// Why `path` failed: the system's text for `error` when not 0, otherwise
// what the entry is ("is a folder", "is not a regular file", ...), or ""
// when nothing more is known. Without `error`, errno is left as the look
// at `path` set it when that failed, and untouched otherwise.
void DescribeFault(const char *path, int error, char *text, int size);

// The one error line on stderr, "partello: 'NAME': what (reason)", with the
// name quoted (left out when NULL) and the reason left out when NULL or "";
// EXIT_ERROR.
int ReportError(const char *name, const char *reason, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
// "partello: what" and the line that points to --help; EXIT_USAGE.
int ReportUsageError(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Writes out what is left of the results on stdout. EXIT_DONE when all of
// them arrived; EXIT_PIPE_CLOSED, quietly, when the reader has gone (the
// pipe's end was closed); otherwise EXIT_ERROR, reported once.
int FlushStandardOutput();

#endif
