// What a split or a join holds while it moves data, released when it goes
// out of scope: every way out of the work is then one return.
#ifndef PARTELLO_TRANSFER_H
#define PARTELLO_TRANSFER_H

#include <stdint.h>
#include <stdlib.h>

#include "messages.h"
#include "platform.h"
#include "report.h"

// The copy loops and the checksum pass ask the cancel probe once per this
// many bytes, so that ESC is heard within a part of any size and
// the window never goes long without looking at its queue.
const int64_t PROBE_INTERVAL = 1 << 20;
// Data moves through one buffer of at most this size, whatever the part
// size: a move never passes more than one probe.
const int64_t TRANSFER_SIZE = PROBE_INTERVAL;

// An open file (or NO_FILE), closed at the end of its scope.
struct FileGuard {
    FileHandle handle;

    explicit FileGuard(FileHandle file = NO_FILE) : handle(file) {}
    ~FileGuard() { CloseFileHandle(handle); }
    FileGuard(const FileGuard &) = delete;
    FileGuard &operator=(const FileGuard &) = delete;
};

// The transfer buffer. It only grows, and never past TRANSFER_SIZE.
struct TransferBuffer {
    unsigned char *bytes = NULL;
    int64_t size = 0;

    TransferBuffer() = default;
    ~TransferBuffer() { free(bytes); }
    TransferBuffer(const TransferBuffer &) = delete;
    TransferBuffer &operator=(const TransferBuffer &) = delete;

    // Room for `wanted` bytes, or for TRANSFER_SIZE when that is less.
    bool Fit(int64_t wanted)
    {
        if (wanted > TRANSFER_SIZE) wanted = TRANSFER_SIZE;
        if (wanted <= size) return true;
        free(bytes);
        bytes = (unsigned char *)malloc((size_t)wanted);
        size = bytes ? wanted : 0;
        return bytes != NULL;
    }
};

// The wait cursor, from Show to the end of its scope.
struct WaitCursor {
    void *previous = NULL;
    bool shown = false;

    WaitCursor() = default;
    ~WaitCursor()
    {
        if (shown) RestoreCursor(previous);
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

    void Show()
    {
        previous = ShowWaitCursor();
        shown = true;
    }
};

// How far a split, join or reading of a set is: part `part` of `parts`,
// `done` of `total` bytes, told to the front end as the bytes move.
struct TransferProgress {
    int part, parts;
    int64_t done, total;

    // Counts `moved` more bytes (at most PROBE_INTERVAL); true when the
    // user cancelled, asked each time the count passes a PROBE_INTERVAL.
    bool Add(int64_t moved)
    {
        int64_t before = done;
        done += moved;
        ReportProgress(part, parts, done, total);
        return done / PROBE_INTERVAL != before / PROBE_INTERVAL && CancelProbe();
    }
};

// The length of each part of a set, freed at the end of its scope.
struct PartLengths {
    int64_t *values = NULL;

    PartLengths() = default;
    ~PartLengths() { free(values); }
    PartLengths(const PartLengths &) = delete;
    PartLengths &operator=(const PartLengths &) = delete;

    bool Fit(int count)
    {
        values = (int64_t *)malloc((size_t)(count > 0 ? count : 1) * sizeof *values);
        return values != NULL;
    }
};

// The file a split reads or a join writes, the buffer and the cursor.
struct Transfer {
    FileGuard file;
    TransferBuffer buffer;
    WaitCursor cursor;
};

// Reports the failure (see ReportFailure) and gives the operation's result.
inline OperationResult FailTransfer(int message, const char *path, int systemError)
{
    ShowFileError(message, path, systemError);
    return OPERATION_FAILED;
}

#endif
