#include "split.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "checksum.h"
#include "messages.h"
#include "discovery.h"
#include "platform.h"
#include "transfer.h"
#include "unfinished.h"

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

// Every name the split writes, and the files written under unfinished
// names until the commit: the parts first, the checksum file last.
struct SplitWork {
    const char *sourcePath;
    const char *folder;
    int64_t partSize, length;
    int parts;
    FileTime time;
    bool haveTime;
    bool agreed;  // the user agreed to replace the earlier set (or any, the console's -f)
    bool replaceAny;
    NameList earlier = {NULL, 0, 0};  // the earlier set's entries when the user was asked
    UnfinishedFiles files;
    Transfer transfer;

    SplitWork() : files(UNFINISHED_SPLIT_SUFFIX) {}
    ~SplitWork() { ClearNameList(&earlier); }
};

// The final name of file `index` of the split: part index + 1, or the
// checksum file after the last part.
void MakeFinalPath(const SplitWork *work, int index, char *path)
{
    int number = index < work->parts ? index + 1 : CHECKSUM_PART_NUMBER;
    MakeSplitPath(work->sourcePath, work->folder, number, path);  // fits: checked before writing
}

// Moves `size` bytes from the source's position into a new unfinished
// file for part `index`, and starts its way to the disk. 0 when done or
// cancelled (`*cancelled`); otherwise the message for what failed,
// `*failed` naming the file it failed on and `*systemError` why.
int WritePart(SplitWork *work, int index, int64_t size, TransferProgress *progress, bool *cancelled,
              char *failed, int *systemError)
{
    *cancelled = false;
    Transfer *transfer = &work->transfer;
    MakeFinalPath(work, index, failed);
    int unfinished;
    FileGuard part(work->files.Create(failed, &unfinished, systemError));
    if (part.handle == NO_FILE) return MSG_CANT_CREATE;
    for (int64_t left = size; left > 0;) {
        int64_t chunk = left < transfer->buffer.size ? left : transfer->buffer.size;
        if (ReadFileBytes(transfer->file.handle, transfer->buffer.bytes, chunk) != chunk) {
            *systemError = LastSystemError();
            strcpy(failed, work->sourcePath);
            return MSG_CANT_READ_WRITE;
        }
        if (WriteFileBytes(part.handle, transfer->buffer.bytes, chunk) != chunk) {
            *systemError = LastSystemError();
            return MSG_CANT_READ_WRITE;
        }
        left -= chunk;
        if (progress->Add(chunk)) {
            *cancelled = true;
            return 0;
        }
    }
    if (work->haveTime) SetFileWriteTime(part.handle, work->time);
    // Never wider than the source's: a private file's parts stay private.
    if (!SetFinalAccess(part.handle, work->files.PathOf(unfinished), work->sourcePath, ACCESS_WITHIN_MODEL)) {
        *systemError = LastSystemError();
        return MSG_CANT_READ_WRITE;
    }
    BeginFlush(part.handle);
    return 0;
}

// The checksum file, 4 bytes least significant first, as the last
// unfinished file.
int WriteChecksumPart(SplitWork *work, uint32_t checksum, char *failed, int *systemError)
{
    MakeFinalPath(work, work->parts, failed);
    int unfinished;
    FileGuard file(work->files.Create(failed, &unfinished, systemError));
    if (file.handle == NO_FILE) return MSG_CANT_CREATE;
    unsigned char bytes[4] = {(unsigned char)checksum, (unsigned char)(checksum >> 8),
                              (unsigned char)(checksum >> 16), (unsigned char)(checksum >> 24)};
    if (WriteFileBytes(file.handle, bytes, 4) != 4 ||
        !SetFinalAccess(file.handle, work->files.PathOf(unfinished), work->sourcePath, ACCESS_WITHIN_MODEL)) {
        *systemError = LastSystemError();
        return MSG_CANT_READ_WRITE;
    }
    return 0;
}

// The name among those the split writes (each part and the checksum file)
// that is the source itself, through a link or another spelling; NULL when
// there is none. It is left in `path`.
const char *FindSourceAmongNames(const SplitWork *work, char *path)
{
    for (int i = 0; i <= work->parts; i++) {
        MakeFinalPath(work, i, path);
        if (IsSameFile(path, work->sourcePath)) return path;
    }
    return NULL;
}

// The entries of a folder that a join would take for pieces of a split of
// one source there: piece 1's name with any digits for its number, letter
// case ignored as discovery ignores it.
struct EarlierSearch {
    char name[PATH_SIZE];
    NumberPlaces places;
    NameList *found;
    bool lost;  // out of memory
};

void OfferEarlierPiece(const char *entry, void *context)
{
    EarlierSearch *search = (EarlierSearch *)context;
    if (IsNumberedLike(entry, search->name, search->places) && !AddName(search->found, entry)) search->lost = true;
}

// Fills `found` with the earlier set's entries; `prefix` (PATH_SIZE) gets
// the folder part of their paths. 0, or the message for why not: a folder
// that cannot be searched (why in LastSystemError) might hold pieces that
// would join with the new ones.
int ListEarlierSet(const char *sourcePath, const char *folder, NameList *found, char *prefix)
{
    EarlierSearch search;
    memset(&search, 0, sizeof search);
    search.found = found;
    MakeSplitPath(sourcePath, folder, 1, prefix);  // fits: checked before
    char *name = (char *)FindFileName(prefix);
    snprintf(search.name, sizeof search.name, "%s", name);
    *name = '\0';
    search.places.start = (int)strlen(search.name) - 3;
    search.places.width = 3;
    if (!ListFolder(prefix, "*", OfferEarlierPiece, &search)) return MSG_CANT_OPEN;
    return search.lost ? MSG_OUT_OF_MEMORY : 0;
}

// The path of the earlier set's first piece in join order into `first`,
// and of a folder among its entries into `folder` ("" for none); `prefix`
// is the folder part of their paths.
void FindFirstPiece(const NameList *earlier, const char *prefix, char *first, char *folder)
{
    first[0] = folder[0] = '\0';
    for (int i = 0; i < earlier->count; i++) {
        char entry[PATH_SIZE];
        MakePartPath(prefix, earlier->names[i], entry);
        if (IsFolderPath(entry)) strcpy(folder, entry);
        if (!first[0] || CompareNames(earlier->names[i], FindFileName(first)) < 0) strcpy(first, entry);
    }
}

bool HoldsName(const NameList *list, const char *name)
{
    for (int i = 0; i < list->count; i++)
        if (!strcmp(list->names[i], name)) return true;
    return false;
}

// The earlier set's entries, moved out of the way during the commit and
// back when it fails; deleted once the new set is in place.
struct SetAside {
    char (*from)[PATH_SIZE] = NULL;
    char (*to)[UNFINISHED_PATH_SIZE] = NULL;
    int count = 0;

    SetAside() = default;
    ~SetAside()
    {
        free(from);
        free(to);
    }
    SetAside(const SetAside &) = delete;
    SetAside &operator=(const SetAside &) = delete;

    void PutBack()
    {
        for (; count > 0; count--) MoveFileIntoPlace(to[count - 1], from[count - 1], false);
    }
};

// Moves the new set onto its names: the earlier set out of the way, then
// the checksum file (so that a set cut short by a crash never checks out),
// then the parts. Any failure undoes every move, so that the folder holds
// what it held; once all are in place the earlier set's files are deleted.
OperationResult CommitSplit(SplitWork *work)
{
    char prefix[PATH_SIZE], path[PATH_SIZE];
    NameList now;
    memset(&now, 0, sizeof now);
    SetAside aside;
    int unlisted = ListEarlierSet(work->sourcePath, work->folder, &now, prefix);
    int reason = LastSystemError();
    aside.from = (char (*)[PATH_SIZE])malloc((size_t)(now.count + 1) * PATH_SIZE);
    aside.to = (char (*)[UNFINISHED_PATH_SIZE])malloc((size_t)(now.count + 1) * UNFINISHED_PATH_SIZE);
    if (!unlisted && (!aside.from || !aside.to)) unlisted = MSG_OUT_OF_MEMORY;
    if (unlisted) {
        ClearNameList(&now);
        return FailTransfer(unlisted, unlisted == MSG_CANT_OPEN ? work->folder : NULL, reason);
    }
    // Only what the user agreed to replace is moved out of the way.
    const char *unexpected = NULL;
    for (int i = 0; i < now.count && !unexpected; i++)
        if (!work->replaceAny && !(work->agreed && HoldsName(&work->earlier, now.names[i]))) unexpected = now.names[i];
    int failure = unexpected ? MSG_OUTPUT_APPEARED : 0;
    reason = NO_SYSTEM_ERROR;
    if (unexpected) MakePartPath(prefix, unexpected, path);
    for (int i = 0; i < now.count && !failure; i++) {
        MakePartPath(prefix, now.names[i], aside.from[aside.count]);
        if (!MakeUnfinishedPath(aside.from[aside.count], UNFINISHED_SPLIT_SUFFIX, aside.to[aside.count]) ||
            !MoveFileIntoPlace(aside.from[aside.count], aside.to[aside.count], false)) {
            reason = LastSystemError();
            failure = MSG_CANT_CREATE;
            strcpy(path, aside.from[aside.count]);
        } else {
            aside.count++;
        }
    }
    ClearNameList(&now);
    int placed = 0, total = work->parts + 1;
    for (int i = 0; i < total && !failure; i++) {
        int index = (work->parts + i) % total;  // the checksum file first
        MakeFinalPath(work, index, path);
        if (!work->files.Place(index, path, false)) {
            reason = LastSystemError();
            failure = IsFilePath(path) || IsFolderPath(path) ? MSG_OUTPUT_APPEARED : MSG_CANT_CREATE;
        } else {
            placed++;
        }
    }
    if (!failure && !SyncFolderOf(path)) {
        reason = LastSystemError();
        failure = MSG_CANT_READ_WRITE;
    }
    if (failure) {
        char placedPath[PATH_SIZE];
        for (int i = placed - 1; i >= 0; i--) {
            int index = (work->parts + i) % total;
            MakeFinalPath(work, index, placedPath);
            work->files.Unplace(index, placedPath);
        }
        aside.PutBack();
        return FailTransfer(failure, path, failure == MSG_OUTPUT_APPEARED ? NO_SYSTEM_ERROR : reason);
    }
    // The new set is whole from here on; an old file that stays is named
    // so that nothing takes it for a part.
    for (int i = 0; i < aside.count; i++)
        if (!DeleteFilePath(aside.to[i])) NoteNotDeleted(aside.to[i], LastSystemError());
    aside.count = 0;
    return OPERATION_DONE;
}

// Says why the checksum pass failed when nobody cancelled it, so that the
// status line does not go on looking busy. A source whose length moved
// changed under the pass; otherwise the system would not read it.
OperationResult FailChecksumPass(const char *sourcePath, FileHandle source, int64_t length, int systemError)
{
    if (GetFileLength(source) != length) return FailTransfer(MSG_SOURCE_CHANGED, sourcePath, NO_SYSTEM_ERROR);
    return FailTransfer(MSG_CANT_READ_WRITE, sourcePath, systemError);
}

// Into the folder that `partPath` is in, unless an entry of that name is
// there (the program itself, when the parts are in its folder).
void CopyProgramBeside(const char *partPath)
{
    char program[PATH_SIZE], target[PATH_SIZE];
    if (!GetProgramPath(program, sizeof program)) {
        NoteNotCopied(NULL, LastSystemError());
        return;
    }
    int folderLength = (int)(FindFileName(partPath) - partPath);
    int length = snprintf(target, sizeof target, "%.*s%s", folderLength, partPath, FindFileName(program));
    FileIdentity there;
    if (length < 0 || length >= (int)sizeof target || LookUpEntry(target, &there) != ENTRY_NONE) return;
    if (!CopyFileNoReplace(program, target)) NoteNotCopied(target, LastSystemError());
}

// Plan: the source opened and measured, and every refusal before anything
// is written; the question about an earlier set last.
OperationResult PlanSplit(SplitWork *work, SplitRule *rule)
{
    char path[PATH_SIZE];
    work->transfer.file.handle = OpenFileForRead(work->sourcePath);
    if (work->transfer.file.handle == NO_FILE) return FailTransfer(MSG_CANT_OPEN, work->sourcePath, LastSystemError());
    work->transfer.cursor.Show();
    // The parts are cut from the length taken here, at the file opened.
    work->length = GetFileLength(work->transfer.file.handle);
    if (work->length < 0) return FailTransfer(MSG_CANT_READ_WRITE, work->sourcePath, LastSystemError());
    work->haveTime = GetFileWriteTime(work->transfer.file.handle, &work->time);
    if (work->length == 0) return FailTransfer(MSG_SOURCE_EMPTY, work->sourcePath, NO_SYSTEM_ERROR);
    int64_t parts = CountPartsOfLength(work->length, work->partSize);
    if (!HoldsASet(parts)) return FailTransfer(MSG_ONE_PART, work->sourcePath, NO_SYSTEM_ERROR);
    // Part 999 would be the checksum file, and four-digit parts would not
    // be found again.
    if (parts > MAX_PARTS) return FailTransfer(MSG_TOO_MANY_PARTS, work->sourcePath, NO_SYSTEM_ERROR);
    work->parts = (int)parts;
    // Every name written is as long as the checksum file's.
    const char *name = FindFileName(work->sourcePath);
    if (name[FitCharacters(name, NAME_CHARS - (sizeof CHECKSUM_EXTENSION - 1))])
        return FailTransfer(MSG_NAME_TOO_LONG, work->sourcePath, NO_SYSTEM_ERROR);
    if (!MakeSplitPath(work->sourcePath, work->folder, CHECKSUM_PART_NUMBER, path))
        return FailTransfer(MSG_PATH_TOO_LONG, work->folder, NO_SYSTEM_ERROR);
    // Moving a name onto the source would take its place.
    if (FindSourceAmongNames(work, path))
        return FailTransfer(MSG_OVERWRITES_SOURCE, path, NO_SYSTEM_ERROR);
    if (!work->files.Reserve(work->parts + 1)) return FailTransfer(MSG_OUT_OF_MEMORY, NULL, NO_SYSTEM_ERROR);
    int unlisted = ListEarlierSet(work->sourcePath, work->folder, &work->earlier, path);
    if (unlisted) return FailTransfer(unlisted, unlisted == MSG_CANT_OPEN ? work->folder : NULL, LastSystemError());
    // A folder is no file of a set, and no part can take its name.
    char first[PATH_SIZE], folderEntry[PATH_SIZE];
    FindFirstPiece(&work->earlier, path, first, folderEntry);
    if (folderEntry[0]) return FailTransfer(MSG_CANT_CREATE, folderEntry, NO_SYSTEM_ERROR);
    work->replaceAny = !rule || rule->replaceAny;
    work->agreed = work->replaceAny;
    if (work->earlier.count == 0 || work->agreed) return OPERATION_DONE;
    rule->keptEarlier = true;
    if (!rule->askReplace) return FailTransfer(MSG_EARLIER_SET, first, NO_SYSTEM_ERROR);
    if (!rule->askReplace(work->folder, FindFileName(first))) return OPERATION_FAILED;
    rule->keptEarlier = false;
    work->agreed = true;
    return OPERATION_DONE;
}

// Write beside and check: the checksum pass over the source, then the parts
// and the checksum file under unfinished names, all of them on the disk,
// and the source as it was.
OperationResult WriteSplit(SplitWork *work)
{
    Transfer *transfer = &work->transfer;
    ReportStep(MSG_CREATING_CHECKSUM, 0);
    uint32_t checksum;
    int systemError;
    OperationResult pass = ComputeFileChecksum(transfer->file.handle, &checksum, &systemError);
    if (pass == OPERATION_CANCELLED) return OPERATION_CANCELLED;
    if (pass == OPERATION_FAILED)
        return FailChecksumPass(work->sourcePath, transfer->file.handle, work->length, systemError);
    // The split never stores the failure value, and the join never accepts it.
    if (checksum == CHECKSUM_FAILED) return FailTransfer(MSG_RESERVED_CRC, work->sourcePath, NO_SYSTEM_ERROR);

    char failed[PATH_SIZE];
    int64_t left = work->length;
    TransferProgress progress = {0, work->parts, 0, work->length};
    for (int k = 0; k < work->parts; k++) {
        ReportStep(MSG_SPLITTING, k + 1);
        progress.part = k + 1;
        int64_t size = left < work->partSize ? left : work->partSize;
        bool cancelled;
        int message = WritePart(work, k, size, &progress, &cancelled, failed, &systemError);
        if (message) return FailTransfer(message, failed, systemError);
        left -= size;
        if (cancelled || CancelProbe()) return OPERATION_CANCELLED;
    }
    int message = WriteChecksumPart(work, checksum, failed, &systemError);
    if (message) return FailTransfer(message, failed, systemError);
    // Flushed together at the end, so that each part's way to the disk
    // overlaps the copying of the next.
    for (int i = 0; i <= work->parts; i++)
        if (!FlushPathToDisk(work->files.PathOf(i))) {
            systemError = LastSystemError();
            MakeFinalPath(work, i, failed);
            return FailTransfer(MSG_CANT_READ_WRITE, failed, systemError);
        }
    // What went into the parts is what the checksum pass read, as far as the
    // source's length and time can tell.
    FileTime time;
    bool timeChanged = work->haveTime && GetFileWriteTime(transfer->file.handle, &time) && time != work->time;
    if (GetFileLength(transfer->file.handle) != work->length || timeChanged)
        return FailTransfer(MSG_SOURCE_CHANGED, work->sourcePath, NO_SYSTEM_ERROR);
    return OPERATION_DONE;
}

}  // namespace

int ReadPartSize(const char *text)
{
    int64_t value;
    if (!text || !ParseInt32(text, &value) || value < MIN_PART_KB) return 0;
    return (int)value;
}

void MakeSplitPlan(const char *sourcePath, const char *folder, int partSizeKb, SplitPlan *plan)
{
    plan->sourcePath = sourcePath;
    plan->folder = folder;
    plan->partSizeKb = partSizeKb;
    plan->length = GetPathFileSize(sourcePath);
    plan->parts = partSizeKb > 0 && plan->length > 0 ? CountPartsOfLength(plan->length, PartSizeBytes(partSizeKb)) : 0;
    // Only a size of 0 leaves the search to tell a missing file from an empty one.
    if (partSizeKb <= 0 || (plan->length == 0 && !IsFilePath(sourcePath)))
        plan->inputs = SPLIT_NO_SOURCE;
    else if (plan->length == 0)
        plan->inputs = SPLIT_EMPTY_SOURCE;
    else if (!HoldsASet(plan->parts))
        plan->inputs = SPLIT_ONE_PART;
    else if (plan->parts > MAX_PARTS)
        plan->inputs = SPLIT_TOO_MANY_PARTS;
    else
        plan->inputs = IsFolderPath(folder) ? SPLIT_READY : SPLIT_NO_FOLDER;
}

bool FindEarlierSet(const char *sourcePath, const char *folder, char *path)
{
    NameList earlier = {NULL, 0, 0};
    char prefix[PATH_SIZE], folderEntry[PATH_SIZE];
    path[0] = '\0';
    // Names too long for a path are the split's own refusal.
    if (!MakeSplitPath(sourcePath, folder, CHECKSUM_PART_NUMBER, prefix)) return true;
    bool listed = ListEarlierSet(sourcePath, folder, &earlier, prefix) == 0;
    if (listed) FindFirstPiece(&earlier, prefix, path, folderEntry);
    ClearNameList(&earlier);
    return listed;
}

OperationResult SplitFile(const SplitPlan *plan, bool copyProgram, SplitRule *rule)
{
    if (plan->partSizeKb < MIN_PART_KB) return OPERATION_FAILED;
    if (!IsFilePath(plan->sourcePath)) return FailTransfer(MSG_NO_FILE, plan->sourcePath, NO_SYSTEM_ERROR);
    if (!IsFolderPath(plan->folder)) return FailTransfer(MSG_NO_FOLDER, plan->folder, NO_SYSTEM_ERROR);
    SplitWork work;
    work.sourcePath = plan->sourcePath;
    work.folder = plan->folder;
    work.partSize = PartSizeBytes(plan->partSizeKb);
    if (!work.transfer.buffer.Fit(work.partSize)) return FailTransfer(MSG_OUT_OF_MEMORY, NULL, NO_SYSTEM_ERROR);
    ReportStep(MSG_SPLITTING, 0);
    OperationResult result = PlanSplit(&work, rule);
    if (result == OPERATION_DONE) result = WriteSplit(&work);
    if (result == OPERATION_DONE) result = CommitSplit(&work);
    if (result != OPERATION_DONE) return result;
    char path[PATH_SIZE];
    MakeFinalPath(&work, 0, path);
    if (copyProgram) CopyProgramBeside(path);
    ShowOutcome(MSG_SPLIT_DONE);
    return OPERATION_DONE;
}
