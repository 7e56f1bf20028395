#include "commands.h"

#include <errno.h>
#include <stddef.h>

#include "errors.h"
#include "operation.h"
#include "engine/messages.h"

int CheckIsFile(const char *path)
{
    char reason[MESSAGE_SIZE];
    errno = 0;
    DescribeFault(path, 0, reason, sizeof reason);
    if (!reason[0]) return EXIT_DONE;
    if (errno) return ReportError(path, reason, "can't open file");
    return ReportError(path, NULL, "%s, not a file", reason);
}

int FinishOperation(OperationResult result)
{
    EndOperation();
    if (OperationCancelled()) return EXIT_CANCELLED;
    return result == OPERATION_DONE && OperationErrors() == 0 ? EXIT_DONE : EXIT_ERROR;
}

