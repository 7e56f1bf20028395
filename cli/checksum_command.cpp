#include "checksum_command.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "errors.h"
#include "operation.h"
#include "engine/checksum.h"
#include "engine/messages.h"
#include "engine/set_reader.h"

// Files up to this size are checksummed without a progress line.
const int64_t kQuietChecksumSize = 64 << 20;

int RunChecksum(const CommandLine *line)
{
    const char *path = line->operand;
    int status = CheckIsFile(path);
    if (status != EXIT_DONE) return status;
    FileHandle file = OpenFileForRead(path);
    if (file == NO_FILE) {
        char reason[MESSAGE_SIZE];
        DescribeFault(path, errno, reason, sizeof reason);
        return ReportError(path, reason, "can't open file");
    }
    int64_t length = GetFileLength(file);
    if (length == 0) {
        CloseFileHandle(file);
        return ReportError(path, NULL, "is empty; it has no checksum");
    }

    BeginOperation();
    if (length > kQuietChecksumSize) ShowMessage(MSG_COMPUTING_CHECKSUM);
    uint32_t checksum = 0;
    int error;
    OperationResult result = ReadFileChecksum(file, &checksum, &error);
    EndOperation();
    CloseFileHandle(file);
    if (OperationCancelled()) return EXIT_CANCELLED;
    if (result != OPERATION_DONE) return ReportError(path, strerror(error), "can't read file");
    // The failure value is never a checksum, not even a true one.
    if (checksum == CHECKSUM_FAILED)
        return ReportError(path, NULL, "has the CRC-32 ffffffff, the value reserved for failure; no .999 can hold it");
    printf("%08x\n", (unsigned)checksum);
    return EXIT_DONE;
}
