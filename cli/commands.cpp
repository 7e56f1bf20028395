// split, join, list and checksum over the engine, with the console's checks
// in front: a console user gets a reason where the window would just keep
// its OK button disabled.
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "commands.h"
#include "console.h"
#include "console_texts.h"
#include "quoting.h"
#include "sizes.h"
#include "engine/checksum.h"
#include "engine/discovery.h"
#include "engine/join.h"
#include "engine/set_reader.h"
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
        snprintf(text, size, "%s", lstat(path, &info) == 0 ? "a link that leads nowhere" : "");
    else if (S_ISDIR(info.st_mode))
        snprintf(text, size, "is a folder");
    else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        snprintf(text, size, "is a device");
    else if (S_ISFIFO(info.st_mode))
        snprintf(text, size, "is a FIFO");
    else if (!S_ISREG(info.st_mode))
        snprintf(text, size, "is not a regular file");
    else
        text[0] = '\0';
}

namespace {

// The one shape of every error: "partello: 'NAME': what (reason)".
void ReportV(const char *name, const char *reason, const char *format, va_list args)
{
    EndStatusLine();
    char what[MESSAGE_SIZE];
    vsnprintf(what, sizeof what, format, args);
    char line[MESSAGE_SIZE * 3 + 16];
    const char *quoted = name ? QuoteName(name) : "";
    snprintf(line, sizeof line, "partello: %s%s%s%s%s%s\n", quoted, name ? ": " : "", what,
             reason && reason[0] ? " (" : "", reason ? reason : "", reason && reason[0] ? ")" : "");
    // A broken pipe on stderr is no reason to stop: the text is lost.
    fputs(line, stderr);
    fflush(stderr);
}

}  // namespace

int ReportError(const char *name, const char *reason, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    ReportV(name, reason, format, args);
    va_end(args);
    return EXIT_ERROR;
}

int ReportUsageError(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    ReportV(NULL, NULL, format, args);
    va_end(args);
    fputs("Try 'partello --help' for more information.\n", stderr);
    return EXIT_USAGE;
}

// A FILE operand must be a regular file: anything else is refused with what
// it is, before any other check could misread it (a device as empty, say).
static int CheckIsFile(const char *path)
{
    struct stat info;
    if (lstat(path, &info) != 0) return ReportError(path, strerror(errno), "can't open file");
    char reason[MESSAGE_SIZE];
    DescribeFault(path, 0, reason, sizeof reason);
    if (!reason[0]) return EXIT_DONE;
    return ReportError(path, NULL, "%s, not a file", reason);
}

// The folder part of `path` with its separator, or "." when it has none.
static void CopyFolderOf(const char *path, char *folder)
{
    int length = (int)(FindFileName(path) - path);
    snprintf(folder, PATH_SIZE, "%.*s", length ? length : 1, length ? path : ".");
}

// -s as a part size in KB; EXIT_DONE or a usage error already reported.
static int ReadSizeOption(const char *text, int64_t *partKb)
{
    *partKb = ReadSizeArgument(text);
    if (*partKb < 0)
        return ReportUsageError("bad part size %s: a number of KB, or one with K, M, G or KB, MB, GB after it",
                                QuoteName(text));
    if (*partKb < MIN_PART_KB)
        return ReportUsageError("part size %s is below the smallest, %d KB: -s %d or more", QuoteName(text),
                                MIN_PART_KB, MIN_PART_KB);
    if (*partKb > MAX_PART_KB)
        return ReportUsageError("part size %s is over the largest, %lld KB", QuoteName(text), (long long)MAX_PART_KB);
    return EXIT_DONE;
}

// -n as a number, into `count` when given; EXIT_DONE or a usage error
// already reported. Whether the file takes that many parts comes later.
static int ReadCountOption(const char *text, long *count)
{
    char *end;
    long value = strtol(text, &end, 10);
    if (*end || end == text || value < 1 || value > 100000)
        return ReportUsageError("bad part count %s: a whole number from 2 to %d", QuoteName(text), MAX_PARTS);
    if (count) *count = value;
    return EXIT_DONE;
}

static int ChooseSizeOption(const CommandLine *line, int64_t size, int64_t *partKb)
{
    long count = 0;
    ReadCountOption(line->countText, &count);
    *partKb = ChooseSizeForCount(size, (int)count);
    if (*partKb) return EXIT_DONE;
    int nearest = NearestPossibleCount(size, count > MAX_PARTS ? MAX_PARTS + 1 : (int)count);
    if (!nearest)
        return ReportError(line->operand, NULL, "is too small for two parts of %d KB; there is nothing to split",
                           MIN_PART_KB);
    return ReportError(line->operand, NULL, "can't be cut into %ld parts of %d KB to %lld KB; the nearest is -n %d",
                       count, MIN_PART_KB, (long long)MAX_PART_KB, nearest);
}

int RunSplit(const CommandLine *line)
{
    const char *source = line->operand;
    int64_t partKb = 0;
    int status = line->countText ? ReadCountOption(line->countText, NULL)
                                 : ReadSizeOption(line->sizeText ? line->sizeText : DEFAULT_PART_SIZE_TEXT, &partKb);
    if (status != EXIT_DONE) return status;
    if ((status = CheckIsFile(source)) != EXIT_DONE) return status;

    char folder[PATH_SIZE];
    if (line->folder)
        snprintf(folder, sizeof folder, "%s", line->folder);
    else
        CopyFolderOf(source, folder);
    struct stat info;
    if (line->folder && lstat(folder, &info) == 0 && !IsFolderPath(folder))
        return ReportError(folder, NULL, "is not a folder");
    // The engine would stop silently after the checksum pass.
    int64_t size = GetPathFileSize(source), parts;
    if (size == 0) return ReportError(source, NULL, "is empty; there is nothing to split");
    if (line->countText && (status = ChooseSizeOption(line, size, &partKb)) != EXIT_DONE) return status;
    // A missing folder is left to the split to report.
    SplitInputs inputs = CheckSplitInputs(source, folder, (int)partKb, &parts);
    if (inputs == SPLIT_ONE_PART) {
        if (size / 1024 < MIN_PART_KB)
            return ReportError(source, NULL, "is smaller than the smallest part size (%d KB); there is nothing to split",
                               MIN_PART_KB);
        return ReportError(source, NULL, "fits in one part of %lld KB; choose a smaller part size: -s %lld or less",
                           (long long)partKb, (long long)(size / 1024));
    }
    if (inputs == SPLIT_TOO_MANY_PARTS)
        return ReportError(source, NULL, "would need %lld parts of %lld KB (%d at most); the smallest size that fits is -s %lld",
                           (long long)parts, (long long)partKb, MAX_PARTS, (long long)SmallestFittingSize(size));
    char earlier[PATH_SIZE] = "";
    if (!line->force && IsFolderPath(folder) && !FindEarlierSet(source, folder, earlier))
        return ReportError(folder, strerror(errno), "can't read the folder");
    if (earlier[0]) return ReportError(earlier, NULL, "is there from an earlier split; use -f to replace that set");

    char layout[MESSAGE_SIZE], note[MESSAGE_SIZE + PATH_SIZE * 10], checksumPath[PATH_SIZE];
    FormatLayout(size, partKb, layout, sizeof layout);
    MakeSplitPath(source, folder, CHECKSUM_PART_NUMBER, checksumPath);
    snprintf(note, sizeof note, "%s, plus %s", layout, QuoteName(FindFileName(checksumPath), QUOTE_AS_NEEDED));
    ShowNote(note);

    // -f agrees to replace an earlier set whole; without it the split keeps one.
    SplitRule rule = {line->force, NULL, false};
    BeginOperation();
    return FinishOperation(SplitFile(source, folder, (int)partKb, line->copyProgram, &rule));
}

// Discovery from `path`; on success `set` holds at least two parts. Every
// other outcome has been reported; the caller frees set->names either way.
static int FindParts(const char *path, PartSet *set)
{
    memset(set, 0, sizeof *set);
    DiscoverPartSet(path, set);
    char text[MESSAGE_SIZE];
    if (set->outcome == DISCOVERY_FOUND && set->names.count == 1)
        return ReportError(path, NULL, "only one part was found; a set has two at least");
    if (IsUnnumbered(set)) return ReportError(path, NULL, "%s", FindConsoleText(MSG_ONLY_NUMBERED));
    char pattern[PATH_SIZE * 2];
    snprintf(pattern, sizeof pattern, "%s%s", set->folder, set->pattern);
    if (set->outcome == DISCOVERY_NOT_FOUND) return ReportError(pattern, NULL, "no files match");
    if (!CanJoinPartSet(set)) return ReportError(pattern, NULL, "only a checksum file matches; there are no parts");
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
            return ReportError(set->names.names[0], NULL, "no output name can be made from it; give one with -o");
        const char *folder = intoFolder ? line->output : "";
        size_t length = strlen(folder);
        const char *separator = length && !IsPathSeparator(folder[length - 1]) ? "/" : "";
        if (snprintf(output, PATH_SIZE, "%s%s%s", folder, separator, suggested) >= PATH_SIZE)
            return ReportError(folder, NULL, "is too long a folder for the output %s", QuoteName(suggested));
    }
    // -f could not help where no file can be written.
    struct stat info;
    if (stat(output, &info) == 0 && !S_ISREG(info.st_mode)) {
        char reason[MESSAGE_SIZE];
        DescribeFault(output, 0, reason, sizeof reason);
        return ReportError(output, NULL, "%s, not a file; verify checks a set without writing it", reason);
    }
    if (!line->force && lstat(output, &info) == 0)
        return ReportError(output, NULL, "already exists; use -f to replace it");
    return EXIT_DONE;
}

// ReadPartSet's outcome as an exit status; a set without a checksum file
// passes unless `checked` is asked for.
static int FinishReading(SetReading reading, bool checked)
{
    if (reading == READING_NO_CHECKSUM && checked) ShowError(MSG_NO_CHECKSUM_FILE);
    if (reading == READING_NO_CHECKSUM && !checked) ShowOutcome(MSG_JOIN_FINISHED);
    EndOperation();
    if (OperationCancelled()) return EXIT_CANCELLED;
    bool passed = reading == READING_MATCHED || (reading == READING_NO_CHECKSUM && !checked);
    return passed && OperationErrors() == 0 ? EXIT_DONE : EXIT_ERROR;
}

// -o -: the joined bytes go down a pipe or into a file that the shell
// opened, checked on the way, since they cannot be read back.
static int JoinToStandardOutput(const PartSet *set)
{
    if (isatty(STDOUT_FILENO))
        return ReportError(NULL, NULL, "standard output is a terminal; send the join to a file or a pipe");
    BeginOperation();
    return FinishReading(ReadPartSet(set, STDOUT_FILENO, "standard output", MSG_JOINING, MSG_CHECKSUMS_MATCH), false);
}

int RunJoin(const CommandLine *line)
{
    PartSet set;
    char output[PATH_SIZE];
    int status = FindParts(line->operand, &set);
    bool toStandardOutput = line->output && !strcmp(line->output, "-");
    if (status == EXIT_DONE && toStandardOutput) {
        status = JoinToStandardOutput(&set);
        ClearNameList(&set.names);
        return status;
    }
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
    return status;
}

int RunVerify(const CommandLine *line)
{
    PartSet set;
    int status = FindParts(line->operand, &set);
    if (status == EXIT_DONE) {
        BeginOperation();
        status = FinishReading(ReadPartSet(&set, NO_FILE, NULL, MSG_VERIFYING, MSG_PARTS_MATCH), true);
    }
    ClearNameList(&set.names);
    return status;
}

int RunList(const CommandLine *line)
{
    PartSet set;
    int status = FindParts(line->operand, &set);
    const char **names = status == EXIT_DONE ? PointToNames(&set.names) : NULL;
    if (status == EXIT_DONE && !names) status = ReportError(NULL, NULL, "out of memory");
    if (status != EXIT_DONE) {
        ClearNameList(&set.names);
        return status;
    }
    PartSetCheck check;
    int count = set.names.count, width = set.places.width;
    CheckWholeSet(names, count, set.places, set.otherRun, &check);
    // The first missing number is shown where it belongs: before the
    // first name that carries a higher one.
    int hole = -1;
    if (check.fault == PART_SET_PART_MISSING)
        for (hole = 0; memcmp(names[hole] + set.places.start, check.number, width) < 0; hole++) {
        }
    // An empty join folder means the current one. Each name is one line,
    // whatever bytes it holds.
    printf("%s\n", QuoteName(set.folder[0] ? set.folder : "./", QUOTE_AS_NEEDED));
    for (int i = 0; i < count; i++) {
        if (i == hole) printf("  (missing %s)\n", check.number);
        printf("%s\n", QuoteName(names[i], QUOTE_AS_NEEDED));
    }
    if (check.fault == PART_SET_GOES_ON) printf("  (goes on in %s)\n", QuoteName(check.otherRun, QUOTE_AS_NEEDED));
    char checksumPath[PATH_SIZE];
    ChecksumLookup lookup = FindChecksumFile(set.folder, names[count - 1], checksumPath);
    if (lookup == CHECKSUM_UNKNOWN)
        status = ReportError(set.folder[0] ? set.folder : ".", strerror(errno), "can't look for the .999");
    else if (lookup == CHECKSUM_ABSENT)
        printf("  (no .999: the set cannot be checked)\n");
    if (check.fault != PART_SET_WHOLE) {
        char text[MESSAGE_SIZE];
        EngineEvent event;
        char path[PATH_SIZE];
        DescribeSetFault(&check, names, set.folder, set.places, &event, path);
        ReportFailure(&event);  // as the join reports it
        status = EXIT_ERROR;
    }
    free(names);
    ClearNameList(&set.names);
    return status;
}

// Files up to this size are checksummed without a progress line.
const int64_t kQuietChecksumSize = 64 << 20;

int RunChecksum(const CommandLine *line)
{
    const char *path = line->operand;
    int status = CheckIsFile(path);
    if (status != EXIT_DONE) return status;
    FileHandle file = OpenFileForRead(path);
    if (file == NO_FILE) {
        char reason[MESSAGE_SIZE];
        DescribeFault(path, errno, reason, sizeof reason);
        return ReportError(path, reason, "can't open file");
    }
    int64_t length = GetFileLength(file);
    if (length == 0) {
        CloseFileHandle(file);
        return ReportError(path, NULL, "is empty; it has no checksum");
    }

    BeginOperation();
    if (length > kQuietChecksumSize) ReportStep(MSG_COMPUTING_CHECKSUM, 0);
    uint32_t checksum = 0;
    int error;
    OperationResult result = ComputeStreamChecksum(file, &checksum, &error);
    EndOperation();
    CloseFileHandle(file);
    if (OperationCancelled()) return EXIT_CANCELLED;
    if (result != OPERATION_DONE) return ReportError(path, strerror(error), "can't read file");
    // The failure value is never a checksum, not even a true one.
    if (checksum == CHECKSUM_FAILED)
        return ReportError(path, NULL, "has the CRC-32 ffffffff, the value reserved for failure; no .999 can hold it");
    printf("%08x\n", (unsigned)checksum);
    return EXIT_DONE;
}
