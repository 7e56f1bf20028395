#include "split.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "checksum.h"
#include "messages.h"
#include "platform.h"
#include "transfer.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a signed 32-bit number: decimal with optional sign, or '$' and hex
// digits. False when the text is not such a number or it overflows.
bool ParseInt32(const char *text, int64_t *value)
{
    while (IsBlank(*text)) text++;
    int64_t result = 0;
    if (*text == '$') {
        text++;
        if (!*text) return false;
        for (; *text; text++) {
            int digit = HexValue(*text);
            if (digit < 0) return false;
            result = result * 16 + digit;
            if (result > 0xFFFFFFFFll) return false;
        }
        // The hex digits are the number's 32 bits, sign included.
        *value = result > 0x7FFFFFFFll ? result - 0x100000000ll : result;
        return true;
    }
    bool negative = *text == '-';
    if (*text == '+' || *text == '-') text++;
    if (!*text) return false;
    for (; *text; text++) {
        if (*text < '0' || *text > '9') return false;
        result = result * 10 + (*text - '0');
        if (result > 0x7FFFFFFFll) return false;
    }
    *value = negative ? -result : result;
    return true;
}

// Moves `size` bytes from the source's position into a new part file.
// 0 when done or cancelled (`*cancelled`); otherwise the message for what
// failed, `*failed` naming the file it failed on and `*systemError` why.
int WritePart(const char *path, const char *sourcePath, Transfer *work, int64_t size, const FileTime *time,
              TransferProgress *progress, bool *cancelled, const char **failed, int *systemError)
{
    *cancelled = false;
    *failed = path;
    FileGuard part(CreateFileForWrite(path));
    *systemError = LastSystemError();
    if (part.handle == NO_FILE) return MSG_CANT_CREATE;
    for (int64_t left = size; left > 0;) {
        int64_t chunk = left < work->buffer.size ? left : work->buffer.size;
        if (ReadFileBytes(work->file.handle, work->buffer.bytes, chunk) != chunk) {
            *systemError = LastSystemError();
            *failed = sourcePath;
            return MSG_CANT_READ_WRITE;
        }
        if (WriteFileBytes(part.handle, work->buffer.bytes, chunk) != chunk) {
            *systemError = LastSystemError();
            return MSG_CANT_READ_WRITE;
        }
        left -= chunk;
        if (progress->Add(chunk)) {
            *cancelled = true;
            return 0;
        }
    }
    if (time) SetFileWriteTime(part.handle, *time);
    return 0;
}

// The name among those a split of `length` bytes writes (each part and the
// checksum file) that is the source itself, through a link or another
// spelling; NULL when there is none. It is left in `path`.
const char *FindSourceAmongNames(const char *sourcePath, const char *folder, int64_t length, int64_t partSize,
                                 char *path)
{
    int64_t parts = CountPartsOfLength(length, partSize);
    for (int k = 1; k <= parts + 1; k++) {
        int number = k <= parts ? k : CHECKSUM_PART_NUMBER;
        if (MakeSplitPath(sourcePath, folder, number, path) && IsSameFile(path, sourcePath)) return path;
    }
    return NULL;
}

// Length and last-write time of the open source; `haveTime` false when the
// time could not be read, `lengthError` why the length could not.
struct SourceState {
    int64_t length;
    FileTime time;
    bool haveTime;
    int lengthError;
};

void ReadSourceState(FileHandle source, SourceState *state)
{
    state->length = GetFileLength(source);
    state->lengthError = state->length < 0 ? LastSystemError() : NO_SYSTEM_ERROR;
    state->haveTime = GetFileWriteTime(source, &state->time);
}

// Says why the checksum pass failed when nobody cancelled it, so that the
// status line does not go on looking busy. A source whose length moved
// changed under the pass; otherwise the system would not read it.
OperationResult FailChecksumPass(const char *sourcePath, FileHandle source, int64_t length, int systemError)
{
    if (length == 0) return FailTransfer(MSG_SOURCE_EMPTY, sourcePath, NO_SYSTEM_ERROR);
    if (GetFileLength(source) != length) return FailTransfer(MSG_SOURCE_CHANGED, sourcePath, NO_SYSTEM_ERROR);
    return FailTransfer(MSG_CANT_READ_WRITE, sourcePath, systemError);
}

// Into the folder that `partPath` is in.
void CopyProgramBeside(const char *partPath)
{
    char program[PATH_SIZE], target[PATH_SIZE];
    if (!GetProgramPath(program, sizeof program)) return;
    int folderLength = (int)(FindFileName(partPath) - partPath);
    int length = snprintf(target, sizeof target, "%.*s%s", folderLength, partPath, FindFileName(program));
    if (length < 0 || length >= (int)sizeof target) return;
    CopyFileNoReplace(program, target);
}

// The checksum file and the parts, from opening the source to its last
// check; the last part's path is left in `path`.
OperationResult CutParts(const char *sourcePath, const char *folder, int64_t partSize, char *path)
{
    Transfer work;
    if (!work.buffer.Fit(partSize)) return FailTransfer(MSG_OUT_OF_MEMORY, NULL, NO_SYSTEM_ERROR);
    ShowMessage(MSG_SPLITTING);
    work.file.handle = OpenFileForRead(sourcePath);
    if (work.file.handle == NO_FILE) return FailTransfer(MSG_CANT_OPEN, sourcePath, LastSystemError());
    work.cursor.Show();

    // The parts are cut from the length taken here, and a source that
    // changes from here on gives a set that can never be verified.
    SourceState before;
    ReadSourceState(work.file.handle, &before);
    if (before.length < 0) return FailTransfer(MSG_CANT_READ_WRITE, sourcePath, before.lengthError);
    if (CountPartsOfLength(before.length, partSize) > MAX_PARTS) return FailTransfer(MSG_TOO_MANY_PARTS, sourcePath, NO_SYSTEM_ERROR);
    // Creating a name that leads to the source would truncate it.
    if (FindSourceAmongNames(sourcePath, folder, before.length, partSize, path))
        return FailTransfer(MSG_OVERWRITES_SOURCE, path, NO_SYSTEM_ERROR);

    ShowMessage(MSG_CREATING_CHECKSUM);
    bool cancelled = false;
    int systemError;
    uint32_t checksum = ComputeFileChecksum(work.file.handle, &cancelled, &systemError);
    if (checksum == CHECKSUM_FAILED && cancelled) return OPERATION_CANCELLED;
    if (checksum == CHECKSUM_FAILED) return FailChecksumPass(sourcePath, work.file.handle, before.length, systemError);

    // Parts without their checksum file could not be verified when joined.
    MakeSplitPath(sourcePath, folder, CHECKSUM_PART_NUMBER, path);
    if (!WriteChecksumFile(path, checksum, &systemError)) return FailTransfer(MSG_CANT_CREATE, path, systemError);

    int64_t left = before.length;
    TransferProgress progress = {0, (int)CountPartsOfLength(before.length, partSize), 0, before.length};
    for (int k = 1;; k++) {
        ShowMessageNumber(MSG_SPLITTING, k);
        progress.part = k;
        int64_t size = left < partSize ? left : partSize;
        MakeSplitPath(sourcePath, folder, k, path);  // k <= MAX_PARTS: fits as the checksum file did
        const char *failed;
        bool cancelled;
        int message = WritePart(path, sourcePath, &work, size, before.haveTime ? &before.time : NULL, &progress,
                                &cancelled, &failed, &systemError);
        if (message) return FailTransfer(message, failed, systemError);
        left -= size;
        if (cancelled || CancelProbe()) return OPERATION_CANCELLED;
        if (size != partSize) break;
    }
    SourceState after;
    ReadSourceState(work.file.handle, &after);
    if (after.length < 0) return FailTransfer(MSG_CANT_READ_WRITE, sourcePath, after.lengthError);
    bool timeChanged = before.haveTime && after.haveTime && after.time != before.time;
    if (after.length != before.length || timeChanged) return FailTransfer(MSG_SOURCE_CHANGED, sourcePath, NO_SYSTEM_ERROR);
    return OPERATION_DONE;
}

}  // namespace

int ReadPartSize(const char *text)
{
    int64_t value;
    if (!text || !ParseInt32(text, &value) || value < MIN_PART_KB) return 0;
    return (int)value;
}

int64_t CountParts(const char *sourcePath, int partSizeKb)
{
    if (partSizeKb <= 0) return 0;
    int64_t size = GetPathFileSize(sourcePath);
    if (size <= 0) return 0;
    return CountPartsOfLength(size, (int64_t)partSizeKb * 1024);
}

SplitInputs CheckSplitInputs(const char *sourcePath, const char *folder, int partSizeKb, int64_t *parts)
{
    *parts = CountParts(sourcePath, partSizeKb);
    if (partSizeKb <= 0 || !IsFilePath(sourcePath)) return SPLIT_NO_SOURCE;
    if (*parts == 0) return SPLIT_EMPTY_SOURCE;
    if (!HoldsASet(*parts)) return SPLIT_ONE_PART;
    if (*parts > MAX_PARTS) return SPLIT_TOO_MANY_PARTS;
    return IsFolderPath(folder) ? SPLIT_READY : SPLIT_NO_FOLDER;
}

OperationResult SplitFile(const char *sourcePath, const char *folder, int partSizeKb, bool copyProgram)
{
    if (partSizeKb < MIN_PART_KB) return OPERATION_FAILED;
    const int64_t partSize = (int64_t)partSizeKb * 1024;
    int64_t parts;
    SplitInputs inputs = CheckSplitInputs(sourcePath, folder, partSizeKb, &parts);
    if (inputs == SPLIT_NO_SOURCE) return FailTransfer(MSG_NO_FILE, sourcePath, NO_SYSTEM_ERROR);
    if (!IsFolderPath(folder)) return FailTransfer(MSG_NO_FOLDER, folder, NO_SYSTEM_ERROR);
    // Part 999 would be the checksum file, and four-digit parts would not
    // be found again, so such a split is refused before anything is written.
    if (inputs == SPLIT_TOO_MANY_PARTS) return FailTransfer(MSG_TOO_MANY_PARTS, sourcePath, NO_SYSTEM_ERROR);

    // Every name written is as long as the checksum file's.
    char path[PATH_SIZE];
    if (!MakeSplitPath(sourcePath, folder, CHECKSUM_PART_NUMBER, path))
        return FailTransfer(MSG_CANT_CREATE, folder, NO_SYSTEM_ERROR);

    OperationResult result = CutParts(sourcePath, folder, partSize, path);
    if (result != OPERATION_DONE) return result;
    if (copyProgram) CopyProgramBeside(path);
    ShowMessage(MSG_SPLIT_DONE);
    return OPERATION_DONE;
}
