#include "split.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "checksum.h"
#include "messages.h"
#include "platform.h"

namespace {

// Data moves through one buffer of at most this size, whatever the part size.
const int64_t kTransferSize = 4 << 20;

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

// The file name of a path: the text after its last separator.
const char *FileNameOf(const char *path)
{
    const char *name = path;
    for (const char *p = path; *p; p++)
        if (IsPathSeparator(*p)) name = p + 1;
    return name;
}

// What one split holds; everything is released by ReleaseSplit.
struct SplitWork {
    FileHandle source;
    void *cursor;
    bool cursorShown;
    unsigned char *buffer;
};

void ReleaseSplit(SplitWork *work)
{
    CloseFileHandle(work->source);
    if (work->cursorShown) RestoreCursor(work->cursor);
    free(work->buffer);
}

OperationResult FailSplit(SplitWork *work, int message)
{
    ShowError(message);
    ReleaseSplit(work);
    return OPERATION_FAILED;
}

// Moves `size` bytes from the source's position into a new part file.
bool WritePart(const char *path, SplitWork *work, int64_t bufferSize, int64_t size, const FileTime *time,
               bool *created)
{
    FileHandle part = CreateFileForWrite(path);
    *created = part != NO_FILE;
    if (part == NO_FILE) return false;
    bool moved = true;
    for (int64_t left = size; left > 0 && moved;) {
        int64_t chunk = left < bufferSize ? left : bufferSize;
        moved = ReadFileBytes(work->source, work->buffer, chunk) == chunk &&
                WriteFileBytes(part, work->buffer, chunk) == chunk;
        left -= chunk;
    }
    if (moved && time) SetFileWriteTime(part, *time);
    CloseFileHandle(part);
    return moved;
}

// Into the folder that `partPath` is in.
void CopyProgramBeside(const char *partPath)
{
    char program[PATH_SIZE], target[PATH_SIZE];
    if (!GetProgramPath(program, sizeof program)) return;
    int folderLength = (int)(FileNameOf(partPath) - partPath);
    int length = snprintf(target, sizeof target, "%.*s%s", folderLength, partPath, FileNameOf(program));
    if (length < 0 || length >= (int)sizeof target) return;
    CopyFileNoReplace(program, target);
}

}  // namespace

int ReadPartSize(const char *text)
{
    int64_t value;
    if (!text || !ParseInt32(text, &value) || value < MIN_PART_KB) return 0;
    return (int)value;
}

bool MakeSplitPath(const char *sourcePath, const char *folder, int number, char *path)
{
    const char *name = FileNameOf(sourcePath);
    size_t folderLength = strlen(folder), nameLength = FitCharacters(name, NAME_CHARS);
    const char separator[2] = {PATH_SEPARATOR, '\0'};
    bool addSeparator = folderLength == 0 || folder[folderLength - 1] != PATH_SEPARATOR;
    int length = snprintf(path, PATH_SIZE, "%s%s%.*s.%3.3d", folder, addSeparator ? separator : "", (int)nameLength,
                          name, number);
    // A path holds PATH_CHARS - 1 characters, whatever bytes they take.
    size_t fit = length < 0 ? 0 : FitCharacters(path, PATH_CHARS - 1);
    bool fits = length >= 0 && length < PATH_SIZE && !path[fit];
    path[fit] = '\0';
    return fits;
}

int64_t CountParts(const char *sourcePath, int partSizeKb)
{
    if (partSizeKb <= 0) return 0;
    int64_t size = GetPathFileSize(sourcePath);
    if (size <= 0) return 0;
    return size / ((int64_t)partSizeKb * 1024) + 1;
}

OperationResult SplitFile(const char *sourcePath, const char *folder, int partSizeKb, bool copyProgram)
{
    if (partSizeKb < MIN_PART_KB) return OPERATION_FAILED;
    const int64_t partSize = (int64_t)partSizeKb * 1024;
    if (!IsFilePath(sourcePath)) {
        ShowError(MSG_NO_FILE);
        return OPERATION_FAILED;
    }
    if (!IsFolderPath(folder)) {
        ShowError(MSG_NO_FOLDER);
        return OPERATION_FAILED;
    }
    // Part 999 would be the checksum file, and four-digit parts would not
    // be found again, so such a split is refused before anything is written.
    if (GetPathFileSize(sourcePath) / partSize + 1 > MAX_PARTS) {
        ShowError(MSG_TOO_MANY_PARTS);
        return OPERATION_FAILED;
    }

    // Every name written is as long as the checksum file's.
    char path[PATH_SIZE];
    if (!MakeSplitPath(sourcePath, folder, CHECKSUM_PART_NUMBER, path)) {
        ShowError(MSG_CANT_CREATE);
        return OPERATION_FAILED;
    }

    SplitWork work = {NO_FILE, NULL, false, NULL};
    const int64_t bufferSize = partSize < kTransferSize ? partSize : kTransferSize;
    work.buffer = (unsigned char *)malloc((size_t)bufferSize);
    if (!work.buffer) return FailSplit(&work, MSG_OUT_OF_MEMORY);
    ShowMessage(MSG_SPLITTING);
    work.source = OpenFileForRead(sourcePath);
    if (work.source == NO_FILE) return FailSplit(&work, MSG_CANT_OPEN);
    work.cursor = ShowWaitCursor();
    work.cursorShown = true;

    ShowMessage(MSG_CREATING_CHECKSUM);
    bool cancelled = false;
    uint32_t checksum = ComputeFileChecksum(work.source, &cancelled);
    if (checksum == CHECKSUM_FAILED) {
        ReleaseSplit(&work);
        return cancelled ? OPERATION_CANCELLED : OPERATION_FAILED;
    }
    // The length the parts are cut from; a source that has grown past the
    // part limit since the count was checked is still refused here.
    int64_t sourceSize = GetFileLength(work.source);
    if (sourceSize < 0) return FailSplit(&work, MSG_CANT_READ_WRITE);
    if (sourceSize / partSize + 1 > MAX_PARTS) return FailSplit(&work, MSG_TOO_MANY_PARTS);

    // Parts without their checksum file could not be verified when joined.
    if (!WriteChecksumFile(path, checksum)) return FailSplit(&work, MSG_CANT_CREATE);
    FileTime time;
    bool haveTime = GetFileWriteTime(work.source, &time);

    int64_t left = sourceSize;
    for (int k = 1;; k++) {
        ShowMessageNumber(MSG_SPLITTING, k);
        int64_t size = left < partSize ? left : partSize;
        MakeSplitPath(sourcePath, folder, k, path);  // k <= MAX_PARTS: fits as the checksum file did
        bool created;
        if (!WritePart(path, &work, bufferSize, size, haveTime ? &time : NULL, &created))
            return FailSplit(&work, created ? MSG_CANT_READ_WRITE : MSG_CANT_CREATE);
        left -= size;
        if (CancelProbe()) {
            ReleaseSplit(&work);
            return OPERATION_CANCELLED;
        }
        if (size != partSize) break;
    }
    ReleaseSplit(&work);

    if (copyProgram) CopyProgramBeside(path);
    ShowMessage(MSG_SPLIT_DONE);
    return OPERATION_DONE;
}
