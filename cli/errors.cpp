#include "errors.h"

#include <errno.h>
#include <poll.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "operation.h"
#include "quoting.h"
#include "engine/messages.h"

void DescribeFault(const char *path, int error, char *text, int size)
{
    struct stat info;
    if (error)
        snprintf(text, size, "%s", strerror(error));
    else if (stat(path, &info) != 0)
        snprintf(text, size, "%s", lstat(path, &info) == 0 ? "a link that leads nowhere" : "");
    else if (S_ISDIR(info.st_mode))
        snprintf(text, size, "is a folder");
    else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        snprintf(text, size, "is a device");
    else if (S_ISFIFO(info.st_mode))
        snprintf(text, size, "is a FIFO");
    else if (!S_ISREG(info.st_mode))
        snprintf(text, size, "is not a regular file");
    else
        text[0] = '\0';
}

namespace {

// The one shape of every error: "partello: 'NAME': what (reason)".
void ReportV(const char *name, const char *reason, const char *format, va_list args)
{
    EndStatusLine();
    char what[MESSAGE_SIZE];
    vsnprintf(what, sizeof what, format, args);
    char line[MESSAGE_SIZE * 3 + 16];
    const char *quoted = name ? QuoteName(name) : "";
    snprintf(line, sizeof line, "partello: %s%s%s%s%s%s\n", quoted, name ? ": " : "", what,
             reason && reason[0] ? " (" : "", reason ? reason : "", reason && reason[0] ? ")" : "");
    // A broken pipe on stderr is no reason to stop: the text is lost.
    fputs(line, stderr);
    fflush(stderr);
}

}  // namespace

int ReportError(const char *name, const char *reason, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    ReportV(name, reason, format, args);
    va_end(args);
    return EXIT_ERROR;
}

int ReportUsageError(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    ReportV(NULL, NULL, format, args);
    va_end(args);
    fputs("Try 'partello --help' for more information.\n", stderr);
    return EXIT_USAGE;
}

int FlushStandardOutput()
{
    errno = 0;
    if (fflush(stdout) == 0 && !ferror(stdout)) return EXIT_DONE;
    int error = errno;
    clearerr(stdout);
    // A buffered printf that failed earlier has left no errno: the pipe is asked.
    struct pollfd out = {STDOUT_FILENO, POLLOUT, 0};
    if (error == EPIPE || (poll(&out, 1, 0) == 1 && (out.revents & POLLERR))) return EXIT_PIPE_CLOSED;
    return ReportError(NULL, error ? strerror(error) : NULL, "can't write the result to standard output");
}
