#include "join.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "checksum.h"
#include "messages.h"
#include "transfer.h"

namespace {

// NULL when the part was appended whole or the user cancelled
// (`*cancelled`), otherwise the file that failed, and why in `*systemError`.
const char *AppendPart(Transfer *work, FileHandle part, int64_t size, const char *partPath, const char *outputPath,
                       TransferProgress *progress, bool *cancelled, int *systemError)
{
    *cancelled = false;
    for (int64_t left = size; left > 0 && !*cancelled;) {
        int64_t chunk = left < work->buffer.size ? left : work->buffer.size;
        const char *failed = NULL;
        if (ReadFileBytes(part, work->buffer.bytes, chunk) != chunk)
            failed = partPath;
        else if (WriteFileBytes(work->file.handle, work->buffer.bytes, chunk) != chunk)
            failed = outputPath;
        if (failed) {
            *systemError = LastSystemError();
            return failed;
        }
        left -= chunk;
        *cancelled = progress->Add(chunk);
    }
    return NULL;
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

// The catalogue message for an output path that names no file to write,
// or 0.
int FindOutputPathFault(const char *outputPath)
{
    static const int kNameFaults[] = {0, MSG_STREAM_NAME, MSG_DEVICE_NAME, MSG_WILDCARD_NAME};
    if (outputPath[FitCharacters(outputPath, PATH_CHARS - 1)]) return MSG_PATH_TOO_LONG;
    return kNameFaults[FindNameFault(outputPath)];
}

// False, after saying so, when `total` bytes do not fit beside what is on
// the output's file system; an unknown free space lets the join try.
bool CheckRoom(const char *outputPath, int64_t total)
{
    int64_t space = GetFreeDiskBytes(outputPath);
    if (space < 0 || total <= space) return true;
    const int64_t mb = 1 << 20;
    char format[MESSAGE_SIZE], text[MESSAGE_SIZE + 48];
    LoadMessage(MSG_NO_ROOM, format, sizeof format);
    snprintf(text, sizeof text, format, (long long)((total + mb - 1) / mb), (long long)(space / mb));
    ReportFailure(text, outputPath, NO_SYSTEM_ERROR);
    return false;
}

// The file a join writes until it is moved onto the output name. A signal
// handler may read it, so it is published only once whole.
char g_unfinishedPath[PATH_SIZE];
volatile sig_atomic_t g_unfinishedShown;

// "FOLDER/NAME.xxxxxx" UNFINISHED_SUFFIX, the name cut so that the path
// keeps to PATH_CHARS - 1 characters; false when even no name fits.
bool MakeUnfinishedPath(const char *outputPath, unsigned seed, char *path)
{
    const char *name = FindFileName(outputPath);
    int folderLength = (int)(name - outputPath);
    char letters[7];
    for (int i = 0; i < 6; i++, seed /= 26) letters[i] = (char)('a' + seed % 26);
    letters[6] = '\0';
    for (size_t keep = strlen(name);; keep--) {
        int nameLength = (int)FitCharacters(name, keep);
        int length = snprintf(path, PATH_SIZE, "%.*s%.*s.%s" UNFINISHED_SUFFIX, folderLength, outputPath, nameLength,
                              name, letters);
        if (length > 0 && length < PATH_SIZE && !path[FitCharacters(path, PATH_CHARS - 1)]) return true;
        if (keep == 0) return false;
    }
}

// The unfinished file from its creation to the move: removed at the end of
// its scope unless it was moved into place. Its handle closes first, in the
// Transfer declared after it.
struct UnfinishedOutput {
    char path[PATH_SIZE] = "";
    bool placed = false;

    UnfinishedOutput() = default;
    ~UnfinishedOutput()
    {
        Forget();
        if (path[0] && !placed) DeleteFilePath(path);
    }
    UnfinishedOutput(const UnfinishedOutput &) = delete;
    UnfinishedOutput &operator=(const UnfinishedOutput &) = delete;

    // A new file of a name no other join has taken.
    FileHandle Create(const char *outputPath)
    {
        static unsigned counter;
        unsigned seed = (unsigned)time(NULL) ^ (unsigned)clock() ^ (unsigned)(uintptr_t)this;
        for (int attempt = 0; attempt < 64; attempt++) {
            bool taken;
            if (!MakeUnfinishedPath(outputPath, seed + 7919u * ++counter, path)) break;
            FileHandle file = CreateNewFile(path, &taken);
            if (file != NO_FILE) {
                memcpy(g_unfinishedPath, path, sizeof path);
                g_unfinishedShown = 1;
                return file;
            }
            if (!taken) break;
        }
        path[0] = '\0';
        return NO_FILE;
    }

    void Forget() { g_unfinishedShown = 0; }
};

void DeleteOrNote(const char *path)
{
    if (!DeleteFilePath(path)) NoteNotDeleted(path, LastSystemError());
}

void DeleteSet(const char *const *names, int count, const char *folder, const char *checksumPath,
               bool checksumPresent)
{
    char path[PATH_SIZE];
    if (checksumPresent) DeleteOrNote(checksumPath);
    for (int i = 0; i < count; i++)
        if (MakePartPath(folder, names[i], path)) DeleteOrNote(path);
}

// Without a checksum file nothing proves a join whole. A part before the
// last that is shorter than the first (a cut or emptied one) is a sign of
// damage, and then the parts stay. The index of the first such part, or -1.
int FindIrregularPart(const int64_t *lengths, int count)
{
    for (int i = 1; i + 1 < count; i++)
        if (lengths[i] < lengths[0]) return i;
    return -1;
}

// The join ran, but an irregular part kept the parts: a failure only when
// deleting them was asked for.
OperationResult ReportIrregularPart(const char *name, bool deleteParts)
{
    char text[MESSAGE_SIZE + PATH_SIZE];
    LoadMessage(MSG_IRREGULAR_PART, text, MESSAGE_SIZE);
    strcat(text, name);
    if (!deleteParts) {
        SetStatus(text);
        return OPERATION_DONE;
    }
    ReportFailure(text, NULL, NO_SYSTEM_ERROR);
    return OPERATION_FAILED;
}

// A join that passed its checks before anything is written.
struct JoinPlan {
    const char *const *names;
    int parts;
    const char *folder;
    const char *outputPath;
    ChecksumLookup lookup;
    const char *checksumPath;
    bool replaceAny, agreed;  // see OutputRule
    FileIdentity agreedFile;
    OutputRule *rule;  // NULL when any file may be replaced
    int64_t total;  // the parts' lengths when they were opened
};

// The move onto the output name. Without `plan->replaceAny`, only the
// file the user agreed to replace is replaced, and only while it is still
// the one there; anything else at the name makes the move fail.
bool PlaceOutput(const JoinPlan *plan, UnfinishedOutput *unfinished)
{
    bool replace = plan->replaceAny;
    FileIdentity there;
    if (!replace && plan->agreed)
        replace = LookUpEntry(plan->outputPath, &there) == ENTRY_FILE && IsSameIdentity(there, plan->agreedFile);
    if (!MoveFileIntoPlace(unfinished->path, plan->outputPath, replace)) {
        int reason = LastSystemError();
        bool kept = !replace && LookUpEntry(plan->outputPath, &there) != ENTRY_NONE;
        if (kept && plan->rule) plan->rule->keptExisting = true;
        FailTransfer(kept ? MSG_OUTPUT_APPEARED : MSG_CANT_CREATE, plan->outputPath, kept ? NO_SYSTEM_ERROR : reason);
        return false;
    }
    unfinished->placed = true;
    unfinished->Forget();
    return true;
}

// Writes the output from the parts and checks it. `*deleting` when
// `deleteParts` and the join was verified and its output reached the disk:
// the parts may go once the output is closed.
OperationResult WriteOutput(const JoinPlan *plan, bool deleteParts, bool *deleting)
{
    *deleting = false;
    const char *const *names = plan->names;
    const char *outputPath = plan->outputPath, *checksumPath = plan->checksumPath;
    char path[PATH_SIZE];
    UnfinishedOutput unfinished;
    Transfer work;
    work.file.handle = unfinished.Create(outputPath);
    if (work.file.handle == NO_FILE) return FailTransfer(MSG_CANT_CREATE, outputPath, LastSystemError());
    // Taken at its first name: some systems lose track of a moved file's volume.
    FileIdentity mine;
    bool known = GetFileIdentity(work.file.handle, &mine);
    work.cursor.Show();
    ShowMessage(MSG_JOINING);

    int64_t total = 0;
    FileTime time;
    bool haveTime = false;
    const char *failed = NULL;  // the file a transfer failed on
    int systemError = NO_SYSTEM_ERROR;
    TransferProgress progress = {0, plan->parts, 0, plan->total};
    for (int i = 0; i < plan->parts && !failed; i++) {
        ShowMessageNumber(MSG_JOINING, i + 1);
        progress.part = i + 1;
        FileGuard part(MakePartPath(plan->folder, names[i], path) ? OpenFileForRead(path) : NO_FILE);
        if (part.handle == NO_FILE) return FailTransfer(MSG_CANT_OPEN, path, LastSystemError());
        if (i == 0) haveTime = GetFileWriteTime(part.handle, &time);
        int64_t size = GetFileLength(part.handle);
        if (size <= 0) {
            // An empty part adds nothing; the join goes on with the next.
            if (size < 0) {
                systemError = LastSystemError();
                failed = path;
            }
            continue;
        }
        total += size;
        if (!work.buffer.Fit(size)) return FailTransfer(MSG_OUT_OF_MEMORY, NULL, NO_SYSTEM_ERROR);
        bool cancelled;
        failed = AppendPart(&work, part.handle, size, path, outputPath, &progress, &cancelled, &systemError);
        if (cancelled || (!failed && CancelProbe())) return OPERATION_CANCELLED;
    }
    if (failed) return FailTransfer(MSG_CANT_READ_WRITE, failed, systemError);
    int64_t length = GetFileLength(work.file.handle);
    if (length != total)
        return FailTransfer(MSG_CANT_READ_WRITE, outputPath, length < 0 ? LastSystemError() : NO_SYSTEM_ERROR);
    // The output name changes only to a whole file that is on the disk.
    if (!FlushToDisk(work.file.handle)) return FailTransfer(MSG_CANT_READ_WRITE, outputPath, LastSystemError());
    if (!PlaceOutput(plan, &unfinished)) return OPERATION_FAILED;
    if (!SyncFolderOf(outputPath)) return FailTransfer(MSG_CANT_READ_WRITE, outputPath, LastSystemError());

    // Only a verified join may delete: by the checksum when the set has a
    // checksum file, otherwise by the size check above. A checksum file
    // that is there but cannot be read leaves the join unverified.
    bool verified = false, unchecked = false;
    uint32_t stored;
    if (plan->lookup == CHECKSUM_ABSENT) {
        ShowMessage(MSG_JOIN_FINISHED);
        verified = true;
    } else if (plan->lookup == CHECKSUM_UNKNOWN) {
        ShowError(MSG_NOT_CHECKED);
        unchecked = true;
    } else if (!ReadChecksumFile(checksumPath, &stored, &systemError)) {
        ShowFileError(MSG_NOT_CHECKED, checksumPath, systemError);
        unchecked = true;
    } else {
        ShowMessage(MSG_CHECKING_CHECKSUM);
        bool cancelled;
        uint32_t checksum = ComputeFileChecksum(work.file.handle, &cancelled, &systemError);
        // The split never stores the failure value, so an uncancelled pass
        // over a non-empty output that gives it has either failed to read
        // the output back (`systemError` says why) or found a different file.
        if (checksum == CHECKSUM_FAILED && !cancelled && total > 0)
            return FailTransfer(MSG_CANT_READ_WRITE, outputPath, systemError);
        if (checksum == CHECKSUM_FAILED) {
            ShowMessage(MSG_JOIN_FINISHED);
        } else if (stored != checksum) {
            return FailTransfer(MSG_CHECKSUMS_DIFFER, outputPath, NO_SYSTEM_ERROR);
        } else {
            ShowMessage(MSG_CHECKSUMS_MATCH);
            verified = true;
        }
    }
    if (haveTime) SetFileWriteTime(work.file.handle, time);
    // Deleting is the one step that loses data: the output name must still
    // lead to the file written and checked here.
    FileIdentity there;
    if (deleteParts && verified &&
        !(known && LookUpEntry(outputPath, &there) == ENTRY_FILE && IsSameIdentity(mine, there)))
        return FailTransfer(MSG_OUTPUT_MOVED, outputPath, NO_SYSTEM_ERROR);
    *deleting = deleteParts && verified;
    return unchecked ? OPERATION_FAILED : OPERATION_DONE;
}

}  // namespace

bool MeasureParts(const char *const *names, int count, const char *folder, int64_t *lengths, int64_t *total,
                  char *path, int *systemError)
{
    *total = 0;
    for (int i = 0; i < count; i++) {
        FileGuard part(MakePartPath(folder, names[i], path) ? OpenFileForRead(path) : NO_FILE);
        *systemError = LastSystemError();
        if (part.handle == NO_FILE) return false;
        lengths[i] = GetFileLength(part.handle);
        *systemError = LastSystemError();
        if (lengths[i] < 0) return false;
        *total += lengths[i];
    }
    return true;
}

const char *UnfinishedJoinPath() { return g_unfinishedShown ? g_unfinishedPath : NULL; }

OperationResult JoinFiles(const char *const *names, int count, const char *folder, NumberPlaces places,
                          const char *outputPath, bool deleteParts, OutputRule *rule)
{
    // The list ends at its first empty entry.
    int parts = 0;
    while (parts < count && names[parts] && names[parts][0]) parts++;
    PartSetCheck check;
    char otherRun[PATH_SIZE] = "";
    // Unsearched, the folder might hold more of the set.
    if (parts > 0 && !FindOtherRun(folder, names[0], places, otherRun)) return FailTransfer(MSG_CANT_OPEN, folder, LastSystemError());
    if (CheckWholeSet(names, parts, places, otherRun, &check) != PART_SET_WHOLE) {
        char text[MESSAGE_SIZE];
        FormatSetFault(&check, names, text, sizeof text);
        ReportFailure(text, NULL, NO_SYSTEM_ERROR);
        return OPERATION_FAILED;
    }
    int pathFault = FindOutputPathFault(outputPath);
    if (pathFault) return FailTransfer(pathFault, outputPath, NO_SYSTEM_ERROR);
    char path[PATH_SIZE], checksumPath[PATH_SIZE] = "";
    ChecksumLookup lookup = parts > 0 ? LookUpChecksumFile(folder, names[parts - 1], checksumPath) : CHECKSUM_ABSENT;
    if (NamesAnInput(outputPath, names, parts, folder, checksumPath)) return FailTransfer(MSG_CANT_CREATE, outputPath, NO_SYSTEM_ERROR);
    FileIdentity existing;
    EntryKind there = LookUpEntry(outputPath, &existing);
    if (there == ENTRY_OTHER) return FailTransfer(MSG_CANT_CREATE, outputPath, NO_SYSTEM_ERROR);
    PartLengths lengths;
    if (!lengths.Fit(parts)) return FailTransfer(MSG_OUT_OF_MEMORY, NULL, NO_SYSTEM_ERROR);
    int64_t total;
    int systemError;
    if (!MeasureParts(names, parts, folder, lengths.values, &total, path, &systemError))
        return FailTransfer(MSG_CANT_OPEN, path, systemError);
    if (!CheckRoom(outputPath, total)) return OPERATION_FAILED;
    int irregular = lookup == CHECKSUM_ABSENT ? FindIrregularPart(lengths.values, parts) : -1;

    // The question comes last: a join that would be refused asks nothing.
    JoinPlan plan = {names, parts, folder, outputPath, lookup, checksumPath, !rule || rule->replaceAny,
                     rule && rule->agreed, {0, 0}, rule, total};
    if (rule) plan.agreedFile = rule->agreedFile;
    if (there == ENTRY_FILE && !plan.replaceAny && !(plan.agreed && IsSameIdentity(existing, plan.agreedFile))) {
        rule->keptExisting = true;
        if (!rule->askReplace) return FailTransfer(MSG_OUTPUT_APPEARED, outputPath, NO_SYSTEM_ERROR);
        if (!rule->askReplace(outputPath)) return OPERATION_FAILED;
        rule->keptExisting = false;
        plan.agreed = true;
        plan.agreedFile = existing;
    }
    bool deleting;
    OperationResult result = WriteOutput(&plan, deleteParts && irregular < 0, &deleting);
    if (deleting) DeleteSet(names, parts, folder, checksumPath, lookup == CHECKSUM_FOUND);
    if (result != OPERATION_DONE || lookup != CHECKSUM_ABSENT) return result;
    if (irregular >= 0) result = ReportIrregularPart(names[irregular], deleteParts);
    NoteUnverified(checksumPath);
    return result;
}

bool CanJoinPartSet(const PartSet *set) { return set->outcome == DISCOVERY_FOUND && HoldsASet(set->names.count); }

OperationResult JoinPartSet(const PartSet *set, const char *outputPath, bool deleteParts, OutputRule *rule)
{
    const char **names = PointToNames(&set->names);
    if (!names) {
        ShowError(MSG_OUT_OF_MEMORY);
        return OPERATION_FAILED;
    }
    OperationResult result = JoinFiles(names, set->names.count, set->folder, set->places, outputPath, deleteParts, rule);
    free(names);
    return result;
}
