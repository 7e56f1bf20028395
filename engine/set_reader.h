// Reading a discovered set in join order with its CRC-32 taken on the way:
// the check that writes nothing, and the join into a handle that is open
// already (a pipe, say), where the output cannot be read back.
#ifndef PARTELLO_SET_READER_H
#define PARTELLO_SET_READER_H

#include <stdint.h>

#include "discovery.h"
#include "platform.h"
#include "report.h"

// How reading a set ended.
enum SetReading {
    READING_MATCHED,      // read whole, and the CRC-32 equals the checksum file's
    READING_DIFFERED,     // read whole, and the CRC-32 differs
    READING_NO_CHECKSUM,  // read whole; the set has no checksum file
    READING_UNCHECKED,    // not read: the checksum file is unreadable or holds ffffffff
    READING_FAILED,       // refused, or a part or the output failed
    READING_CANCELLED,
};

// Reads every part of `set` (a discovery that CanJoinPartSet accepts) in
// order, each exactly as long as it was when the reading began, and writes
// the bytes to `output` unless it is NO_FILE; a failed write is an error
// about `outputName`. Refused before anything is read or written: a set
// that fails the set check, a part that does not open, a checksum file that
// cannot check anything (ReadChecksumFile), an output that is a file of
// the set. The checksum file is looked up as the join looks it up. Shows the
// running text `phase` (a catalogue id that takes the part number), the
// progress, and the outcome: `matched` (a catalogue id) or an error; a set
// without a checksum file is left to the caller to call a success or not.
SetReading ReadPartSet(const PartSet *set, FileHandle output, const char *outputName, int phase, int matched);

// CRC-32 of an open file, or a pipe, read from its current position to its
// end, with progress and the cancel probe once per transfer block.
// OPERATION_FAILED when a read fails (`*systemError` says why); nothing is
// shown. An empty stream gives 0.
OperationResult ComputeStreamChecksum(FileHandle file, uint32_t *checksum, int *systemError);

#endif
