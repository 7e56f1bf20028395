#include "commands.h"

#include <errno.h>
#include <stddef.h>
#include <string.h>
#include <sys/stat.h>

#include "errors.h"
#include "operation.h"
#include "engine/messages.h"

int CheckIsFile(const char *path)
{
    struct stat info;
    if (lstat(path, &info) != 0) return ReportError(path, strerror(errno), "can't open file");
    char reason[MESSAGE_SIZE];
    DescribeFault(path, 0, reason, sizeof reason);
    if (!reason[0]) return EXIT_DONE;
    return ReportError(path, NULL, "%s, not a file", reason);
}

int FinishOperation(OperationResult result)
{
    EndOperation();
    if (OperationCancelled()) return EXIT_CANCELLED;
    return result == OPERATION_DONE && OperationErrors() == 0 ? EXIT_DONE : EXIT_ERROR;
}

