#include "join.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "checksum.h"
#include "messages.h"

namespace {

// Parts move through one buffer of at most this size, whatever their size.
const int64_t kTransferSize = 4 << 20;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What one join holds; everything is released by ReleaseJoin.
struct JoinWork {
    FileHandle output;
    unsigned char *buffer;
    int64_t bufferSize;
    void *cursor;
};

void ReleaseJoin(JoinWork *work)
{
    CloseFileHandle(work->output);
    free(work->buffer);
    RestoreCursor(work->cursor);
}

OperationResult FailJoin(JoinWork *work, int message)
{
    ShowError(message);
    ReleaseJoin(work);
    return OPERATION_FAILED;
}

bool MakePartPath(const char *folder, const char *name, char *path)
{
    int length = snprintf(path, PATH_SIZE, "%s%s", folder, name);
    return length >= 0 && length < PATH_SIZE;
}

// The buffer only grows, and never past the transfer size or the largest
// part seen so far.
bool FitBuffer(JoinWork *work, int64_t partSize)
{
    int64_t want = partSize < kTransferSize ? partSize : kTransferSize;
    if (want <= work->bufferSize) return true;
    free(work->buffer);
    work->buffer = (unsigned char *)malloc((size_t)want);
    work->bufferSize = work->buffer ? want : 0;
    return work->buffer != NULL;
}

bool AppendPart(JoinWork *work, FileHandle part, int64_t size)
{
    for (int64_t left = size; left > 0;) {
        int64_t chunk = left < work->bufferSize ? left : work->bufferSize;
        if (ReadFileBytes(part, work->buffer, chunk) != chunk) return false;
        if (WriteFileBytes(work->output, work->buffer, chunk) != chunk) return false;
        left -= chunk;
    }
    return true;
}

// Creating the output over one of the inputs would destroy it.
bool NamesAnInput(const char *outputPath, const char *const *names, int count, const char *folder,
                  const char *checksumPath)
{
    char path[PATH_SIZE];
    for (int i = 0; i < count; i++)
        if (MakePartPath(folder, names[i], path) && IsSameFile(outputPath, path)) return true;
    return checksumPath[0] && IsSameFile(outputPath, checksumPath);
}

// Replacing the output is the one step that can lose what was there, so
// every part must open before it happens.
bool OpenEveryPart(const char *const *names, int count, const char *folder)
{
    char path[PATH_SIZE];
    for (int i = 0; i < count; i++) {
        FileHandle part = MakePartPath(folder, names[i], path) ? OpenFileForRead(path) : NO_FILE;
        if (part == NO_FILE) return false;
        CloseFileHandle(part);
    }
    return true;
}

void DeleteSet(const char *const *names, int count, const char *folder, const char *checksumPath,
               bool checksumPresent)
{
    char path[PATH_SIZE];
    if (checksumPresent) DeleteFilePath(checksumPath);
    for (int i = 0; i < count; i++)
        if (MakePartPath(folder, names[i], path)) DeleteFilePath(path);
}

}  // namespace

OperationResult JoinFiles(const char *const *names, int count, const char *folder, NumberPlaces places,
                          const char *outputPath, bool deleteParts)
{
    // The list ends at its first empty entry.
    int parts = 0;
    while (parts < count && names[parts] && names[parts][0]) parts++;
    SetCheck check;
    if (CheckPartSet(names, parts, places, &check) != SET_WHOLE) {
        char text[MESSAGE_SIZE];
        FormatSetFault(&check, names, text, sizeof text);
        SetStatus(text);
        ErrorBeep();
        return OPERATION_FAILED;
    }
    char path[PATH_SIZE], checksumPath[PATH_SIZE] = "";
    if (parts > 0 && MakePartPath(folder, names[parts - 1], path))
        MakeChecksumPath(path, checksumPath, sizeof checksumPath);
    if (NamesAnInput(outputPath, names, parts, folder, checksumPath)) {
        ShowError(MSG_CANT_CREATE);
        return OPERATION_FAILED;
    }
    if (!OpenEveryPart(names, parts, folder)) {
        ShowError(MSG_CANT_OPEN);
        return OPERATION_FAILED;
    }

    JoinWork work = {NO_FILE, NULL, 0, NULL};
    work.output = CreateFileForWrite(outputPath);
    if (work.output == NO_FILE) {
        ShowError(MSG_CANT_CREATE);
        return OPERATION_FAILED;
    }
    work.cursor = ShowWaitCursor();
    ShowMessage(MSG_JOINING);

    int64_t total = 0;
    FileTime time;
    bool haveTime = false, moved = true;
    for (int i = 0; i < parts && moved; i++) {
        ShowMessageNumber(MSG_JOINING, i + 1);
        FileHandle part = MakePartPath(folder, names[i], path) ? OpenFileForRead(path) : NO_FILE;
        if (part == NO_FILE) return FailJoin(&work, MSG_CANT_OPEN);
        if (i == 0) haveTime = GetFileWriteTime(part, &time);
        int64_t size = GetFileLength(part);
        if (size <= 0) {
            // An empty part adds nothing; the join goes on with the next.
            CloseFileHandle(part);
            moved = size == 0;
            continue;
        }
        total += size;
        if (!FitBuffer(&work, size)) {
            CloseFileHandle(part);
            return FailJoin(&work, MSG_OUT_OF_MEMORY);
        }
        moved = AppendPart(&work, part, size);
        if (moved && CancelProbe()) {
            CloseFileHandle(part);
            ReleaseJoin(&work);
            return OPERATION_CANCELLED;
        }
        CloseFileHandle(part);
    }
    if (!moved || GetFileLength(work.output) != total) return FailJoin(&work, MSG_CANT_READ_WRITE);

    // Only a verified join may delete: by the checksum when the set has a
    // checksum file, otherwise by the size check above.
    bool checksumPresent = checksumPath[0] && IsFilePath(checksumPath);
    bool verified = false, unread = false;
    if (!checksumPresent) {
        ShowMessage(MSG_JOIN_FINISHED);
        verified = checksumPath[0] != '\0';
    } else {
        ShowMessage(MSG_CHECKING_CHECKSUM);
        bool cancelled;
        uint32_t checksum = ComputeFileChecksum(work.output, &cancelled);
        // The split never stores the failure value, so an uncancelled pass
        // over a non-empty output that gives it has either failed to read
        // the output back or found a different file.
        if (checksum == CHECKSUM_FAILED && !cancelled && total > 0) return FailJoin(&work, MSG_CANT_READ_WRITE);
        if (checksum == CHECKSUM_FAILED) {
            ShowMessage(MSG_JOIN_FINISHED);
        } else {
            FileHandle file = OpenFileForRead(checksumPath);
            uint32_t stored;
            unread = file == NO_FILE || !ReadChecksum(file, &stored);
            if (!unread) {
                if (stored != checksum) {
                    ShowError(MSG_CHECKSUMS_DIFFER);
                    CloseFileHandle(file);
                    ReleaseJoin(&work);
                    return OPERATION_FAILED;
                }
                ShowMessage(MSG_CHECKSUMS_MATCH);
                verified = true;
            }
            CloseFileHandle(file);
        }
    }
    if (haveTime) SetFileWriteTime(work.output, time);
    // Deleting is the one step that loses data: the output must be on the
    // disk first.
    bool deleting = deleteParts && verified;
    if (deleting && !FlushToDisk(work.output)) return FailJoin(&work, MSG_CANT_READ_WRITE);
    ReleaseJoin(&work);
    if (deleting) DeleteSet(names, parts, folder, checksumPath, checksumPresent);
    return unread ? OPERATION_FAILED : OPERATION_DONE;
}

void SuggestOutputName(const char *firstEntry, char *out, int size)
{
    if (size <= 0) return;
    size_t length = firstEntry ? strlen(firstEntry) : 0;
    while (length > 0 && IsDigit(firstEntry[length - 1])) length--;
    if (length > 0 && firstEntry[length - 1] == '.') length--;
    if (length >= (size_t)size) length = (size_t)size - 1;
    if (length) memcpy(out, firstEntry, length);
    out[length] = '\0';
}

void MakeChecksumPath(const char *partPath, char *out, int size)
{
    if (size <= 0) return;
    size_t length = strlen(partPath), stem = length;
    for (size_t i = length; i > 0; i--) {
        if (IsPathSeparator(partPath[i - 1])) break;
        if (partPath[i - 1] == '.') {
            stem = i - 1;
            break;
        }
    }
    // A path that would not fit is left empty: no checksum file is found.
    if (stem + 5 > (size_t)size) {
        out[0] = '\0';
        return;
    }
    memcpy(out, partPath, stem);
    memcpy(out + stem, ".999", 5);
}
