#include "join.h"

#include <stdlib.h>
#include <string.h>

#include "checksum.h"
#include "messages.h"
#include "transfer.h"
#include "unfinished.h"

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
    EngineEvent event = {MSG_NO_ROOM, NULL, outputPath, NO_SYSTEM_ERROR, {(total + mb - 1) / mb, space / mb}};
    ReportFailure(&event);
    return false;
}

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
OperationResult ReportIrregularPart(const char *folder, const char *name, bool deleteParts)
{
    char path[PATH_SIZE];
    MakePartPath(folder, name, path);
    EngineEvent event = {MSG_IRREGULAR_PART, name, path, NO_SYSTEM_ERROR, {0, 0}};
    if (!deleteParts) {
        ReportOutcome(&event);
        return OPERATION_DONE;
    }
    ReportFailure(&event);
    return OPERATION_FAILED;
}

// A join that passed its checks before anything is written.
struct JoinPlan {
    const char *const *names;
    int parts;
    const char *folder;
    const char *outputPath;
    ChecksumLookup lookup;  // CHECKSUM_FOUND or CHECKSUM_ABSENT
    char checksumPath[PATH_SIZE];
    uint32_t stored;
    bool replaceAny, agreed;  // see OutputRule
    FileIdentity agreedFile;
    OutputRule *rule;  // NULL when any file may be replaced
    const int64_t *lengths;  // each part's length when it was measured
    int64_t total;
};

// Asks about the file at the output name until the answer covers the file
// that is there when it is given; OPERATION_FAILED for No. `*existing` is the file
// asked about first, and then the one the answer covers.
OperationResult AskAboutOutput(JoinPlan *plan, FileIdentity *existing)
{
    OutputRule *rule = plan->rule;
    rule->keptExisting = true;
    if (!rule->askReplace) return FailTransfer(MSG_OUTPUT_APPEARED, plan->outputPath, NO_SYSTEM_ERROR);
    for (;;) {
        if (!rule->askReplace(plan->outputPath)) return OPERATION_FAILED;
        // A file made anew while the question was open is another file.
        FileIdentity now;
        EntryKind kind = LookUpEntry(plan->outputPath, &now);
        if (kind == ENTRY_OTHER) return FailTransfer(MSG_CANT_CREATE, plan->outputPath, NO_SYSTEM_ERROR);
        if (kind == ENTRY_NONE || IsSameIdentity(now, *existing)) break;
        *existing = now;
    }
    rule->keptExisting = false;
    plan->agreed = true;
    plan->agreedFile = *existing;
    return OPERATION_DONE;
}

// The move onto the output name. With `mayReplace`, a file there is
// replaced when `plan->replaceAny`, or when it is still the one the user
// agreed to replace; anything else at the name makes the move fail, and
// that file is kept and the report says so. Without it (a join that did
// not check out) a file there is always kept.
bool PlaceOutput(const JoinPlan *plan, UnfinishedFiles *unfinished, bool mayReplace)
{
    bool replace = mayReplace && plan->replaceAny;
    FileIdentity there;
    if (mayReplace && !replace && plan->agreed)
        replace = LookUpEntry(plan->outputPath, &there) == ENTRY_FILE && IsSameIdentity(there, plan->agreedFile);
    if (unfinished->Place(0, plan->outputPath, replace)) return true;
    int reason = LastSystemError();
    bool kept = !replace && LookUpEntry(plan->outputPath, &there) != ENTRY_NONE;
    if (kept && plan->rule && mayReplace) plan->rule->keptExisting = true;
    int keptMessage = mayReplace ? MSG_OUTPUT_APPEARED : MSG_DIFFER_KEPT_OLD;
    FailTransfer(kept ? keptMessage : MSG_CANT_CREATE, plan->outputPath, kept ? NO_SYSTEM_ERROR : reason);
    return false;
}

// Copies the parts into the unfinished output; OPERATION_DONE when every
// part was appended whole, at the length it was measured with. The first
// part's last-write time goes into `*time` (`*haveTime`).
OperationResult CopyParts(const JoinPlan *plan, Transfer *work, FileTime *time, bool *haveTime)
{
    char path[PATH_SIZE];
    TransferProgress progress = {0, plan->parts, 0, plan->total};
    *haveTime = false;
    for (int i = 0; i < plan->parts; i++) {
        ReportStep(MSG_JOINING, i + 1);
        progress.part = i + 1;
        FileGuard part(MakePartPath(plan->folder, plan->names[i], path) ? OpenFileForRead(path) : NO_FILE);
        if (part.handle == NO_FILE) return FailTransfer(MSG_CANT_OPEN, path, LastSystemError());
        if (i == 0) *haveTime = GetFileWriteTime(part.handle, time);
        int64_t size = GetFileLength(part.handle);
        if (size < 0) return FailTransfer(MSG_CANT_READ_WRITE, path, LastSystemError());
        // What was checked and asked about was the set as measured.
        if (size != plan->lengths[i]) return FailTransfer(MSG_PART_CHANGED, path, NO_SYSTEM_ERROR);
        if (size == 0) continue;  // an empty part adds nothing
        if (!work->buffer.Fit(size)) return FailTransfer(MSG_OUT_OF_MEMORY, NULL, NO_SYSTEM_ERROR);
        int systemError = NO_SYSTEM_ERROR;
        bool cancelled;
        const char *failed = AppendPart(work, part.handle, size, path, plan->outputPath, &progress, &cancelled,
                                        &systemError);
        if (failed) return FailTransfer(MSG_CANT_READ_WRITE, failed, systemError);
        if (cancelled || CancelProbe()) return OPERATION_CANCELLED;
    }
    int64_t length = GetFileLength(work->file.handle);
    if (length != plan->total)
        return FailTransfer(MSG_CANT_READ_WRITE, plan->outputPath, length < 0 ? LastSystemError() : NO_SYSTEM_ERROR);
    return OPERATION_DONE;
}

// The unfinished output against the stored checksum. OPERATION_DONE with
// `*verified` when it matched; also when there was nothing to compare (no
// checksum file, or an empty join, which no pass can read), unverified
// then if a checksum file was there; with `*differs` when it did not match,
// which the caller reports once it knows where the output went.
OperationResult CheckOutput(const JoinPlan *plan, FileHandle output, bool *verified, bool *differs)
{
    *verified = plan->lookup == CHECKSUM_ABSENT;
    *differs = false;
    if (plan->lookup == CHECKSUM_ABSENT) return OPERATION_DONE;
    ReportStep(MSG_CHECKING_CHECKSUM, 0);
    if (plan->total == 0) return OPERATION_DONE;
    uint32_t checksum;
    int systemError;
    OperationResult pass = ComputeFileChecksum(output, &checksum, &systemError);
    if (pass == OPERATION_FAILED) return FailTransfer(MSG_CANT_READ_WRITE, plan->outputPath, systemError);
    if (pass == OPERATION_CANCELLED) return OPERATION_CANCELLED;
    *differs = checksum != plan->stored;
    *verified = !*differs;
    return OPERATION_DONE;
}

// Writes the output beside its name, checks it and moves it into place.
// `*deleting` when `deleteParts` and the join was verified and its output
// reached the disk: the parts may go once the output is closed.
OperationResult WriteOutput(JoinPlan *plan, bool deleteParts, bool *deleting)
{
    *deleting = false;
    const char *outputPath = plan->outputPath;
    UnfinishedFiles unfinished(UNFINISHED_JOIN_SUFFIX);
    Transfer work;
    int index, systemError;
    if (!unfinished.Reserve(1)) return FailTransfer(MSG_OUT_OF_MEMORY, NULL, NO_SYSTEM_ERROR);
    work.file.handle = unfinished.Create(outputPath, &index, &systemError);
    if (work.file.handle == NO_FILE) return FailTransfer(MSG_CANT_CREATE, outputPath, systemError);
    // Taken at its first name: some systems lose track of a moved file's volume.
    FileIdentity mine;
    bool known = GetFileIdentity(work.file.handle, &mine);
    work.cursor.Show();
    ReportStep(MSG_JOINING, 0);

    FileTime time;
    bool haveTime;
    OperationResult result = CopyParts(plan, &work, &time, &haveTime);
    if (result != OPERATION_DONE) return result;
    // A file it replaces gives it its permissions; a new one those of any new file.
    FileIdentity there;
    bool replacing = LookUpEntry(outputPath, &there) == ENTRY_FILE;
    if (!SetFinalAccess(work.file.handle, unfinished.PathOf(index), outputPath,
                        replacing ? ACCESS_OF_MODEL : ACCESS_OF_NEW_FILE))
        return FailTransfer(MSG_CANT_READ_WRITE, outputPath, LastSystemError());
    // The output name changes only to a whole file that is on the disk.
    if (!FlushToDisk(work.file.handle)) return FailTransfer(MSG_CANT_READ_WRITE, outputPath, LastSystemError());

    bool verified, differs;
    result = CheckOutput(plan, work.file.handle, &verified, &differs);
    if (result != OPERATION_DONE) return result;
    // A join that does not check out never replaces a file; into a free
    // name it goes all the same, for the user to look at.
    if (differs) {
        if (PlaceOutput(plan, &unfinished, false))
            FailTransfer(MSG_CHECKSUMS_DIFFER, outputPath, NO_SYSTEM_ERROR);
        return OPERATION_FAILED;
    }
    if (haveTime) SetFileWriteTime(work.file.handle, time);
    if (!PlaceOutput(plan, &unfinished, true)) return OPERATION_FAILED;
    if (!SyncFolderOf(outputPath)) return FailTransfer(MSG_CANT_READ_WRITE, outputPath, LastSystemError());
    ShowOutcome(plan->lookup == CHECKSUM_FOUND && plan->total > 0 ? MSG_CHECKSUMS_MATCH : MSG_JOIN_FINISHED);

    // Deleting is the one step that loses data: the output name must still
    // lead to the file written and checked here.
    if (deleteParts && verified &&
        !(known && LookUpEntry(outputPath, &there) == ENTRY_FILE && IsSameFileIndex(mine, there)))
        return FailTransfer(MSG_OUTPUT_MOVED, outputPath, NO_SYSTEM_ERROR);
    *deleting = deleteParts && verified;
    return OPERATION_DONE;
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
        ReportSetFault(&check, names, folder, places);
        return OPERATION_FAILED;
    }
    int pathFault = FindOutputPathFault(outputPath);
    if (pathFault) return FailTransfer(pathFault, outputPath, NO_SYSTEM_ERROR);
    JoinPlan plan;
    memset(&plan, 0, sizeof plan);
    plan.names = names;
    plan.parts = parts;
    plan.folder = folder;
    plan.outputPath = outputPath;
    plan.rule = rule;
    plan.replaceAny = !rule || rule->replaceAny;
    plan.agreed = rule && rule->agreed;
    if (rule) plan.agreedFile = rule->agreedFile;
    // A checksum file that cannot check anything is refused now, not blamed
    // on the output afterwards.
    plan.lookup = parts > 0 ? ReadChecksumFile(folder, names[parts - 1], plan.checksumPath, &plan.stored)
                            : CHECKSUM_ABSENT;
    if (plan.lookup == CHECKSUM_UNKNOWN) return OPERATION_FAILED;
    bool checksumPresent = plan.lookup == CHECKSUM_FOUND;
    if (NamesAnInput(outputPath, names, parts, folder, checksumPresent ? plan.checksumPath : ""))
        return FailTransfer(MSG_OUTPUT_IS_INPUT, outputPath, NO_SYSTEM_ERROR);
    FileIdentity existing;
    EntryKind there = LookUpEntry(outputPath, &existing);
    if (there == ENTRY_OTHER) return FailTransfer(MSG_CANT_CREATE, outputPath, NO_SYSTEM_ERROR);
    PartLengths lengths;
    if (!lengths.Fit(parts)) return FailTransfer(MSG_OUT_OF_MEMORY, NULL, NO_SYSTEM_ERROR);
    char path[PATH_SIZE];
    int systemError;
    if (!MeasureParts(names, parts, folder, lengths.values, &plan.total, path, &systemError))
        return FailTransfer(MSG_CANT_OPEN, path, systemError);
    // The copy joins exactly these lengths, or nothing.
    plan.lengths = lengths.values;
    if (!CheckRoom(outputPath, plan.total)) return OPERATION_FAILED;
    int irregular = checksumPresent ? -1 : FindIrregularPart(lengths.values, parts);

    // The question comes last: a join that would be refused asks nothing.
    if (there == ENTRY_FILE && !plan.replaceAny && !(plan.agreed && IsSameIdentity(existing, plan.agreedFile))) {
        OperationResult answer = AskAboutOutput(&plan, &existing);
        if (answer != OPERATION_DONE) return answer;
    }
    bool deleting;
    OperationResult result = WriteOutput(&plan, deleteParts && irregular < 0, &deleting);
    if (deleting) DeleteSet(names, parts, folder, plan.checksumPath, checksumPresent);
    if (result != OPERATION_DONE || checksumPresent) return result;
    if (irregular >= 0) result = ReportIrregularPart(folder, names[irregular], deleteParts);
    NoteUnverified(plan.checksumPath);
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
