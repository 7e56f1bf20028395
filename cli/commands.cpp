// split, join, list and checksum over the engine, with the console's checks
// in front: a console user gets a reason where the window would just keep
// its OK button disabled.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <dirent.h>
#include <sys/stat.h>

#include "commands.h"
#include "console.h"
#include "engine/checksum.h"
#include "engine/discovery.h"
#include "engine/join.h"
#include "engine/messages.h"
#include "engine/split.h"

static int FinishOperation(OperationResult result)
{
    EndOperation();
    if (OperationCancelled()) return EXIT_CANCELLED;
    return result == OPERATION_DONE && OperationErrors() == 0 ? EXIT_DONE : EXIT_ERROR;
}

void DescribeFault(const char *path, int error, char *text, int size)
{
    struct stat info;
    if (error)
        snprintf(text, size, "%s", strerror(error));
    else if (stat(path, &info) != 0)
        snprintf(text, size, "%s", lstat(path, &info) == 0 ? "a link that leads nowhere" : strerror(errno));
    else if (S_ISDIR(info.st_mode))
        snprintf(text, size, "is a folder");
    else if (!S_ISREG(info.st_mode))
        snprintf(text, size, "is not a regular file");
    else
        text[0] = '\0';
}

// The entries of `folder` that a join would take for pieces of a split of
// `source` there: its numbered names, letter case ignored as discovery
// ignores it. `written` parts of the new set (and its checksum file) in
// their exact spelling are not counted; -1 counts every one.
struct EarlierSearch {
    char name[PATH_SIZE];  // piece 1's bare name
    NumberPlaces places;
    int64_t written;
    NameList found;
    bool lost;  // out of memory
};

static bool IsNewPiece(const char *entry, const EarlierSearch *search)
{
    int number = atoi(entry + search->places.start);
    if (search->written < 0 || !((number >= 1 && number <= search->written) || number == CHECKSUM_PART_NUMBER))
        return false;
    char piece[PATH_SIZE];
    snprintf(piece, sizeof piece, "%.*s%03d", search->places.start, search->name, number);
    return strcmp(entry, piece) == 0;
}

static void OfferEarlierPiece(const char *entry, EarlierSearch *search)
{
    if (!IsNumberedLike(entry, search->name, search->places) || IsNewPiece(entry, search)) return;
    if (!AddName(&search->found, entry)) search->lost = true;
}

// Fills search->found; `prefix` (PATH_SIZE) gets the folder part of the
// pieces' paths. A folder that is not there holds none. Otherwise an error
// has been reported when the folder cannot be read through.
static int FindEarlierPieces(const char *source, const char *folder, int64_t written, EarlierSearch *search,
                             char *prefix)
{
    memset(search, 0, sizeof *search);
    search->written = written;
    // Too long a name: the split refuses it itself.
    if (!MakeSplitPath(source, folder, 1, prefix)) return EXIT_DONE;
    char *name = (char *)FindFileName(prefix);
    snprintf(search->name, sizeof search->name, "%s", name);
    *name = '\0';
    search->places.start = (int)strlen(search->name) - 3;
    search->places.width = 3;
    DIR *dir = opendir(prefix);
    if (!dir) return errno == ENOENT ? EXIT_DONE : ReportError("can't read the folder %s: %s", prefix, strerror(errno));
    for (;;) {
        errno = 0;
        struct dirent *entry = readdir(dir);
        if (!entry) break;
        OfferEarlierPiece(entry->d_name, search);
    }
    int error = errno;
    closedir(dir);
    if (error) return ReportError("can't read the folder %s: %s", prefix, strerror(error));
    if (search->lost) return ReportError("out of memory");
    return EXIT_DONE;
}

// A piece of an earlier split of `source` into `folder`, the first in join
// order; its path is left in `path`, or "" when there is none.
static int FindEarlierSet(const char *source, const char *folder, char *path)
{
    EarlierSearch search;
    int status = FindEarlierPieces(source, folder, -1, &search, path);
    const char *first = NULL;
    for (int i = 0; i < search.found.count; i++)
        if (!first || CompareNames(search.found.names[i], first) < 0) first = search.found.names[i];
    if (first)
        strncat(path, first, PATH_SIZE - strlen(path) - 1);
    else
        path[0] = '\0';
    ClearNameList(&search.found);
    return status;
}

// After a split with -f over an earlier set: its pieces that the split did
// not replace (other numbers, other spellings) would join with the new
// ones, so they go.
static int RemoveEarlierParts(const char *source, const char *folder, int64_t written)
{
    char prefix[PATH_SIZE], path[PATH_SIZE];
    EarlierSearch search;
    int status = FindEarlierPieces(source, folder, written, &search, prefix);
    for (int i = 0; i < search.found.count; i++) {
        snprintf(path, sizeof path, "%s%s", prefix, search.found.names[i]);
        if (!DeleteFilePath(path)) {
            NoteNotDeleted(path);
            status = EXIT_ERROR;
        }
    }
    ClearNameList(&search.found);
    return status;
}

// The folder part of `path` with its separator, or "." when it has none.
static void TakeFolder(const char *path, char *folder)
{
    int length = (int)(FindFileName(path) - path);
    snprintf(folder, PATH_SIZE, "%.*s", length ? length : 1, length ? path : ".");
}

int RunSplit(const CommandLine *line)
{
    const char *sizeText = line->sizeText ? line->sizeText : DEFAULT_PART_SIZE_TEXT;
    int partSizeKb = ReadPartSize(sizeText);
    if (!partSizeKb)
        return ReportUsageError("bad part size '%s': whole kilobytes, at least %d (hex after '$')", sizeText,
                                MIN_PART_KB);

    char folder[PATH_SIZE];
    if (line->folder)
        snprintf(folder, sizeof folder, "%s", line->folder);
    else
        TakeFolder(line->operand, folder);
    if (IsFolderPath(line->operand)) return ReportError("%s is a folder; split takes a file", line->operand);
    struct stat info;
    if (line->folder && lstat(folder, &info) == 0 && !IsFolderPath(folder))
        return ReportError("%s is not a folder", folder);
    // The engine would stop silently after the checksum pass.
    int64_t size = IsFilePath(line->operand) ? GetPathFileSize(line->operand) : -1;
    if (size == 0) return ReportError("%s is empty; there is nothing to split", line->operand);
    // The window's rule: a split needs at least two parts, or the set
    // could not be joined.
    if (CountParts(line->operand, partSizeKb) == 1) {
        if (size / 1024 < MIN_PART_KB)
            return ReportError("%s is smaller than the smallest part size (%d KB); there is nothing to split",
                               line->operand, MIN_PART_KB);
        return ReportError("%s fits in one part of %d KB; choose a smaller part size: -s %lld or less",
                           line->operand, partSizeKb, (long long)(size / 1024));
    }
    char earlier[PATH_SIZE] = "";
    if (!line->force && FindEarlierSet(line->operand, folder, earlier) != EXIT_DONE) return EXIT_ERROR;
    if (earlier[0]) return ReportError("%s is there from an earlier split; use -f to replace that set", earlier);

    BeginOperation();
    int status = FinishOperation(SplitFile(line->operand, folder, partSizeKb, line->copyProgram));
    if (status == EXIT_ERROR && OperationErrors() == 0)
        return ReportError("the checksum of %s could not be computed; nothing was written", line->operand);
    // The source did not change, or the split would have failed.
    if (status == EXIT_DONE && line->force)
        status = RemoveEarlierParts(line->operand, folder, CountParts(line->operand, partSizeKb));
    return status;
}

// Discovery from `path`; on success `set` holds at least two parts. Every
// other outcome has been reported; the caller frees set->names either way.
static int FindParts(const char *path, PartSet *set)
{
    memset(set, 0, sizeof *set);
    DiscoverPartSet(path, set);
    char text[MESSAGE_SIZE];
    if (IsUnnumbered(set)) {
        fprintf(stderr, "%s\n", LoadMessage(MSG_ONLY_NUMBERED, text, sizeof text));
        return EXIT_ERROR;
    }
    if (set->outcome == DISCOVERY_NOT_FOUND)
        return ReportError("no files match '%s%s'", set->folder, set->pattern);
    if (!CanJoinPartSet(set))
        return ReportError("only a checksum file matches '%s%s'; there are no parts", set->folder, set->pattern);
    return EXIT_DONE;
}

// -o as given, or the suggested name in the current folder or in the folder
// that -o names. An existing file is refused unless -f.
static int MakeOutputPath(const CommandLine *line, const PartSet *set, char *output)
{
    char suggested[PATH_SIZE];
    SuggestOutputName(set->names.names[0], suggested, sizeof suggested);
    bool intoFolder = line->output && IsFolderPath(line->output);
    if (line->output && !intoFolder) {
        snprintf(output, PATH_SIZE, "%s", line->output);
    } else {
        if (!suggested[0])
            return ReportError("no output name can be made from '%s'; give one with -o", set->names.names[0]);
        const char *folder = intoFolder ? line->output : "";
        size_t length = strlen(folder);
        const char *separator = length && !IsPathSeparator(folder[length - 1]) ? "/" : "";
        if (snprintf(output, PATH_SIZE, "%s%s%s", folder, separator, suggested) >= PATH_SIZE)
            return ReportError("the output path %s%s%s is too long", folder, separator, suggested);
    }
    struct stat info;
    if (!line->force && lstat(output, &info) == 0)
        return ReportError("%s already exists; use -f to replace it", output);
    return EXIT_DONE;
}

int RunJoin(const CommandLine *line)
{
    PartSet set;
    char output[PATH_SIZE];
    int status = FindParts(line->operand, &set);
    if (status == EXIT_DONE) status = MakeOutputPath(line, &set, output);
    if (status != EXIT_DONE) {
        ClearNameList(&set.names);
        return status;
    }
    // Without -f, a file that appears at the output name meanwhile is kept.
    OutputRule rule;
    memset(&rule, 0, sizeof rule);
    rule.replaceAny = line->force;
    BeginOperation();
    status = FinishOperation(JoinPartSet(&set, output, line->deleteParts, &rule));
    ClearNameList(&set.names);
    if (rule.keptExisting) ReportError("%s already exists; use -f to replace it", output);
    return status;
}

int RunList(const CommandLine *line)
{
    PartSet set;
    int status = FindParts(line->operand, &set);
    const char **names = status == EXIT_DONE ? PointToNames(&set.names) : NULL;
    if (status == EXIT_DONE && !names) status = ReportError("out of memory");
    if (status != EXIT_DONE) {
        ClearNameList(&set.names);
        return status;
    }
    SetCheck check;
    int count = set.names.count, width = set.places.width;
    CheckWholeSet(names, count, set.places, set.otherRun, &check);
    // The first missing number is shown where it belongs: before the
    // first name that carries a higher one.
    int hole = -1;
    if (check.fault == SET_PART_MISSING)
        for (hole = 0; memcmp(names[hole] + set.places.start, check.number, width) < 0; hole++) {
        }
    // An empty join folder means the current one.
    printf("%s\n", set.folder[0] ? set.folder : "./");
    for (int i = 0; i < count; i++) {
        if (i == hole) printf("  (missing %s)\n", check.number);
        printf("%s\n", names[i]);
    }
    if (check.fault == SET_GOES_ON) printf("  (goes on in %s)\n", check.otherRun);
    if (check.fault != SET_WHOLE) {
        char text[MESSAGE_SIZE];
        FormatSetFault(&check, names, text, sizeof text);
        status = ReportError("%s", text);
    }
    free(names);
    ClearNameList(&set.names);
    return status;
}

int RunChecksum(const CommandLine *line)
{
    const char *path = line->operand;
    if (IsFolderPath(path)) return ReportError("%s is a folder", path);
    FileHandle file = OpenFileForRead(path);
    if (file == NO_FILE) {
        char reason[MESSAGE_SIZE];
        DescribeFault(path, errno, reason, sizeof reason);
        return ReportError("can't open %s: %s", path, reason);
    }
    if (GetFileLength(file) == 0) {
        CloseFileHandle(file);
        return ReportError("%s is empty; it has no checksum", path);
    }

    BeginOperation();
    uint32_t checksum = ComputeFileChecksum(file);
    EndOperation();
    CloseFileHandle(file);
    if (OperationCancelled()) return EXIT_CANCELLED;
    // The failure value is never a checksum, not even a true one.
    if (checksum == CHECKSUM_FAILED)
        return ReportError("no checksum for %s: it could not be read, or its CRC-32 is the reserved ffffffff", path);
    printf("%08x\n", (unsigned)checksum);
    return EXIT_DONE;
}
