#include "checksum.h"

#include "messages.h"
#include "part_names.h"
#include "report.h"
#include "transfer.h"

namespace {

// Files are checksummed through windows of this size (a multiple of the
// window alignment and of a MiB), small enough that a window adds little to
// the operation's peak memory.
const int64_t kWindowSize = 4 << 20;

// Feeds `length` bytes that start at absolute offset `offset` of the data,
// asking the probe after every byte whose offset is a multiple of a MiB and
// reporting the progress through `total` bytes there. False when the user
// cancelled.
bool FeedWithProbe(uint32_t *state, const unsigned char *data, int64_t offset, int64_t length, int64_t total)
{
    int64_t done = 0;
    while (done < length) {
        int64_t position = offset + done;
        if (position % PROBE_INTERVAL == 0) {
            *state = UpdateCrc(*state, data + done, 1);
            done++;
            ReportProgress(0, 0, position, total);
            if (CancelProbe()) return false;
            continue;
        }
        int64_t untilProbe = PROBE_INTERVAL - position % PROBE_INTERVAL;
        int64_t run = length - done < untilProbe ? length - done : untilProbe;
        *state = UpdateCrc(*state, data + done, (size_t)run);
        done += run;
    }
    return true;
}

}  // namespace

uint32_t ComputeBufferChecksum(const unsigned char *data, int64_t length)
{
    if (length <= 0) return 0;
    uint32_t state = 0xFFFFFFFFu;
    if (!FeedWithProbe(&state, data, 0, length, length)) return CHECKSUM_FAILED;
    return ~state;
}

OperationResult ComputeFileChecksum(FileHandle file, uint32_t *checksum, int *systemError)
{
    *systemError = NO_SYSTEM_ERROR;
    FileWindowReader *reader = OpenWindowReader(file);
    if (!reader) {
        *systemError = LastSystemError();
        return OPERATION_FAILED;
    }
    int64_t length = GetReaderLength(reader);
    uint32_t state = 0xFFFFFFFFu;
    OperationResult result = OPERATION_DONE;
    for (int64_t offset = 0; offset < length && result == OPERATION_DONE;) {
        size_t window = (size_t)(length - offset < kWindowSize ? length - offset : kWindowSize);
        const unsigned char *view = ReadFileWindow(reader, offset, window);
        if (!view) {
            *systemError = LastSystemError();
            result = OPERATION_FAILED;
            break;
        }
        if (!FeedWithProbe(&state, view, offset, (int64_t)window, length)) result = OPERATION_CANCELLED;
        ReleaseFileWindow(view, window);
        offset += (int64_t)window;
    }
    CloseWindowReader(reader);
    *checksum = ~state;
    return result;
}

namespace {

// The first 4 bytes of the file at `path`; false, with the system's reason
// in `*systemError`, when it does not open or holds fewer.
bool ReadStoredValue(const char *path, uint32_t *checksum, int *systemError)
{
    FileHandle file = OpenFileForRead(path);
    unsigned char bytes[4];
    bool read = file != NO_FILE && ReadFileBytes(file, bytes, 4) == 4;
    *systemError = read ? NO_SYSTEM_ERROR : LastSystemError();
    CloseFileHandle(file);
    if (read) *checksum = bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 | (uint32_t)bytes[3] << 24;
    return read;
}

}  // namespace

ChecksumLookup ReadChecksumFile(const char *folder, const char *lastName, char *path, uint32_t *stored)
{
    ChecksumLookup lookup = FindChecksumFile(folder, lastName, path);
    if (lookup == CHECKSUM_UNKNOWN) {
        ShowError(MSG_NOT_CHECKED);
        return CHECKSUM_UNKNOWN;
    }
    if (lookup == CHECKSUM_ABSENT) return CHECKSUM_ABSENT;
    int systemError;
    if (!ReadStoredValue(path, stored, &systemError)) {
        ShowFileError(MSG_NOT_CHECKED, path, systemError);
        return CHECKSUM_UNKNOWN;
    }
    // The split never stores the failure value, so such a file says nothing.
    if (*stored == CHECKSUM_FAILED) {
        ShowFileError(MSG_RESERVED_CHECKSUM, path, NO_SYSTEM_ERROR);
        return CHECKSUM_UNKNOWN;
    }
    return CHECKSUM_FOUND;
}
