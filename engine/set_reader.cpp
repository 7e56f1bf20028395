#include "set_reader.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "checksum.h"
#include "join.h"
#include "messages.h"
#include "transfer.h"

namespace {

// The reading shared by a set and a single file: `length` bytes of `file`
// (or up to its end when negative) into the CRC and on to `output`.
// 0 when done, otherwise the message for what failed, and why in
// `*systemError`; `*onOutput` when it was the write.
int FeedBytes(Transfer *work, FileHandle file, int64_t length, FileHandle output, uint32_t *state, TransferProgress *progress,
              bool *onOutput, bool *cancelled, int *systemError)
{
    *systemError = NO_SYSTEM_ERROR;
    *onOutput = false;
    *cancelled = false;
    if (!work->buffer.Fit(TRANSFER_SIZE)) return MSG_OUT_OF_MEMORY;
    for (int64_t left = length; left != 0;) {
        int64_t chunk = left > 0 && left < work->buffer.size ? left : work->buffer.size;
        int64_t got = ReadFileBytes(file, work->buffer.bytes, chunk);
        if (got < 0 || (left > 0 && got != chunk)) {
            *systemError = LastSystemError();
            return MSG_CANT_READ_WRITE;
        }
        if (got == 0) break;  // the end of a file read to its end
        *state = UpdateCrc(*state, work->buffer.bytes, (size_t)got);
        if (output != NO_FILE && WriteFileBytes(output, work->buffer.bytes, got) != got) {
            *systemError = LastSystemError();
            *onOutput = true;
            return MSG_CANT_READ_WRITE;
        }
        if (left > 0) left -= got;
        if (progress->Add(got)) {
            *cancelled = true;
            return 0;
        }
    }
    return 0;
}

// True when `file` is one of the set's parts or its checksum file
// (`checksumPath`, "" for none).
bool IsFileOfSet(FileHandle file, const PartSet *set, const char *checksumPath)
{
    FileIdentity identity, other;
    if (!GetFileIdentity(file, &identity)) return false;  // a pipe or a device: no file of the set
    char path[PATH_SIZE];
    for (int i = 0; i < set->names.count; i++)
        if (MakePartPath(set->folder, set->names.names[i], path) && LookUpEntry(path, &other) == ENTRY_FILE &&
            IsSameFileIndex(identity, other))
            return true;
    return checksumPath[0] && LookUpEntry(checksumPath, &other) == ENTRY_FILE && IsSameFileIndex(identity, other);
}

// The outcome once every part was read: the stored checksum against `crc`.
SetReading CompareWithChecksumFile(ChecksumLookup lookup, uint32_t stored, const char *checksumPath, uint32_t crc,
                                   int matched)
{
    if (lookup == CHECKSUM_UNKNOWN) return READING_UNCHECKED;
    if (lookup == CHECKSUM_ABSENT) return READING_NO_CHECKSUM;
    if (stored != crc) {
        ShowFileError(MSG_CHECKSUMS_DIFFER, checksumPath, NO_SYSTEM_ERROR);
        return READING_DIFFERED;
    }
    ShowOutcome(matched);
    return READING_MATCHED;
}

}  // namespace

SetReading ReadPartSet(const PartSet *set, FileHandle output, const char *outputName, int phase, int matched)
{
    const char **names = PointToNames(&set->names);
    if (!names) {
        ShowError(MSG_OUT_OF_MEMORY);
        return READING_FAILED;
    }
    PartSetCheck check;
    int count = set->names.count;
    bool whole = CheckWholeSet(names, count, set->places, set->otherRun, &check) == PART_SET_WHOLE;
    if (!whole) ReportSetFault(&check, names, set->folder, set->places);
    char path[PATH_SIZE], checksumPath[PATH_SIZE];
    PartLengths lengths;
    TransferProgress progress = {0, count, 0, 0};
    int systemError = NO_SYSTEM_ERROR;
    bool measured = whole && lengths.Fit(count);
    if (whole && !measured) ShowError(MSG_OUT_OF_MEMORY);
    if (measured && !MeasureParts(names, count, set->folder, lengths.values, &progress.total, path, &systemError)) {
        FailTransfer(MSG_CANT_OPEN, path, systemError);
        measured = false;
    }
    free(names);
    if (!measured) return READING_FAILED;
    // A checksum file that cannot check anything is known before the work.
    uint32_t stored = 0;
    ChecksumLookup lookup = ReadChecksumFile(set->folder, set->names.names[count - 1], checksumPath, &stored);
    if (lookup == CHECKSUM_UNKNOWN) return READING_UNCHECKED;
    // An output opened for us (a shell's redirection) may be a file of the set.
    if (output != NO_FILE && IsFileOfSet(output, set, lookup == CHECKSUM_FOUND ? checksumPath : "")) {
        ShowFileError(MSG_OUTPUT_IS_INPUT, outputName, NO_SYSTEM_ERROR);
        return READING_FAILED;
    }

    Transfer work;
    work.cursor.Show();
    uint32_t state = 0xFFFFFFFFu;
    int message = 0;
    bool onOutput = false, cancelled = false;
    for (int i = 0; i < count && !message && !cancelled; i++) {
        ReportStep(phase, i + 1);
        progress.part = i + 1;
        work.file.handle = MakePartPath(set->folder, set->names.names[i], path) ? OpenFileForRead(path) : NO_FILE;
        if (work.file.handle == NO_FILE) {
            systemError = LastSystemError();
            message = MSG_CANT_OPEN;
            break;
        }
        // A part that grew or shrank since it was measured is no part of this set.
        systemError = NO_SYSTEM_ERROR;
        message = GetFileLength(work.file.handle) == lengths.values[i]
                      ? FeedBytes(&work, work.file.handle, lengths.values[i], output, &state, &progress, &onOutput, &cancelled,
                                  &systemError)
                      : MSG_CANT_READ_WRITE;
        CloseFileHandle(work.file.handle);
        work.file.handle = NO_FILE;
        if (!message && !cancelled) cancelled = CancelProbe();
    }
    if (cancelled) return READING_CANCELLED;
    if (message) {
        ShowFileError(message, onOutput ? outputName : path, systemError);
        return READING_FAILED;
    }
    return CompareWithChecksumFile(lookup, stored, checksumPath, ~state, matched);
}

OperationResult ComputeStreamChecksum(FileHandle file, uint32_t *checksum, int *systemError)
{
    Transfer work;
    TransferProgress progress = {0, 0, 0, GetFileLength(file)};
    uint32_t state = 0xFFFFFFFFu;
    bool onOutput, cancelled;
    int message = FeedBytes(&work, file, -1, NO_FILE, &state, &progress, &onOutput, &cancelled, systemError);
    if (cancelled) return OPERATION_CANCELLED;
    if (message) return OPERATION_FAILED;
    *checksum = ~state;
    return OPERATION_DONE;
}
