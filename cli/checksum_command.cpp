#include "checksum_command.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "errors.h"
#include "operation.h"
#include "quoting.h"
#include "engine/checksum.h"
#include "engine/messages.h"
#include "engine/set_reader.h"

namespace {

// Files up to this size are checksummed without a progress line.
const int64_t kQuietChecksumSize = 64 << 20;

// The operand that names standard input, and the name its errors carry.
const char kStandardInput[] = "-";
const char kStandardInputName[] = "standard input";

// `path` opened for the checksum, or NO_FILE with the error reported.
// Standard input is read as it comes: a pipe has no length to check.
FileHandle OpenForChecksum(const char *path, int64_t *length)
{
    *length = -1;
    if (!strcmp(path, kStandardInput)) {
        // Its keys are the cancel keys: data typed there could never end.
        if (isatty(STDIN_FILENO)) {
            ReportError(NULL, NULL, "standard input is a terminal; send the file through a pipe or a redirection");
            return NO_FILE;
        }
        return STDIN_FILENO;
    }
    if (CheckIsFile(path) != EXIT_DONE) return NO_FILE;
    FileHandle file = OpenFileForRead(path);
    if (file == NO_FILE) {
        char reason[MESSAGE_SIZE];
        DescribeFault(path, errno, reason, sizeof reason);
        ReportError(path, reason, "can't open file");
        return NO_FILE;
    }
    *length = GetFileLength(file);
    if (*length == 0) {
        CloseFileHandle(file);
        ReportError(path, NULL, "is empty; it has no checksum");
        return NO_FILE;
    }
    return file;
}

// The CRC-32 of one operand into `checksum`; EXIT_DONE, or the error
// already reported.
int ComputeChecksum(const char *path, uint32_t *checksum)
{
    int64_t length;
    FileHandle file = OpenForChecksum(path, &length);
    if (file == NO_FILE) return EXIT_ERROR;
    bool fromInput = file == STDIN_FILENO;
    const char *name = fromInput ? kStandardInputName : path;
    BeginOperation();
    if (length > kQuietChecksumSize) ReportStep(MSG_COMPUTING_CHECKSUM, 0);
    int error;
    OperationResult result = ComputeStreamChecksum(file, checksum, &error);
    EndOperation();
    if (!fromInput) CloseFileHandle(file);
    if (OperationCancelled()) return EXIT_CANCELLED;
    if (result != OPERATION_DONE) return ReportError(name, strerror(error), "can't read file");
    // The failure value is never a checksum, not even a true one.
    if (*checksum == CHECKSUM_FAILED)
        return ReportError(name, NULL, "has the CRC-32 ffffffff, the value reserved for failure; no .999 can hold it");
    return EXIT_DONE;
}

}  // namespace

int RunChecksum(const CommandLine *line)
{
    // One file gives the bare CRC-32; several a line each with the name.
    bool named = line->operandCount > 1;
    int status = EXIT_DONE;
    for (int i = 0; i < line->operandCount; i++) {
        const char *path = line->operands[i];
        uint32_t checksum = 0;
        int result = ComputeChecksum(path, &checksum);
        if (result == EXIT_CANCELLED) return result;
        if (result != EXIT_DONE) {
            status = result;
            continue;
        }
        if (named)
            printf("%08x  %s\n", (unsigned)checksum, QuoteName(path, QUOTE_AS_NEEDED));
        else
            printf("%08x\n", (unsigned)checksum);
        // Each result as it comes; none is computed that cannot be written.
        int written = FlushStandardOutput();
        if (written != EXIT_DONE) return written;
    }
    return status;
}
