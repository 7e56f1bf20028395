#include "split_command.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "console_report.h"
#include "console_texts.h"
#include "errors.h"
#include "operation.h"
#include "quoting.h"
#include "sizes.h"
#include "engine/messages.h"
#include "engine/platform.h"
#include "engine/split.h"

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

// -n as a number, into `count`; EXIT_DONE or a usage error
// already reported. Whether the file takes that many parts comes later.
static int ReadCountOption(const char *text, long *count)
{
    char *end;
    long value = strtol(text, &end, 10);
    if (*end || end == text || !HoldsASet(value) || value > MAX_PARTS)
        return ReportUsageError("bad part count %s: a whole number from 2 to %d", QuoteName(text), MAX_PARTS);
    *count = value;
    return EXIT_DONE;
}

static int ChooseSizeOption(const CommandLine *line, long count, int64_t size, int64_t *partKb)
{
    *partKb = ChooseSizeForCount(size, (int)count);
    if (*partKb) return EXIT_DONE;
    int nearest = NearestPossibleCount(size, (int)count);
    if (!nearest)
        return ReportError(line->operand, NULL, "is too small for two parts of %d KB; there is nothing to split",
                           MIN_PART_KB);
    return ReportError(line->operand, NULL, "can't be cut into %ld parts of %d KB to %lld KB; the nearest is -n %d",
                       count, MIN_PART_KB, (long long)MAX_PART_KB, nearest);
}

// The folder for the parts must be one before anything is said about them.
static int CheckIsFolder(const char *folder)
{
    if (IsFolderPath(folder)) return EXIT_DONE;
    char reason[MESSAGE_SIZE];
    errno = 0;
    DescribeFault(folder, 0, reason, sizeof reason);
    int error = errno;  // of the look DescribeFault took, when it failed
    if (!error) return ReportError(folder, NULL, "is not a folder");
    // A folder that exists but cannot be reached says why.
    if (!reason[0] && error != ENOENT) snprintf(reason, sizeof reason, "%s", strerror(error));
    return ReportError(folder, reason, error == ENOENT ? "folder does not exist" : "can't open folder");
}

int RunSplit(const CommandLine *line)
{
    const char *source = line->operand;
    int64_t partKb = 0;
    long count = 0;
    int status = line->countText ? ReadCountOption(line->countText, &count)
                                 : ReadSizeOption(line->sizeText ? line->sizeText : DEFAULT_PART_SIZE_TEXT, &partKb);
    if (status != EXIT_DONE) return status;
    if ((status = CheckIsFile(source)) != EXIT_DONE) return status;

    char folder[PATH_SIZE];
    if (line->folder)
        snprintf(folder, sizeof folder, "%s", line->folder);
    else
        CopyFolderOf(source, folder);
    if ((status = CheckIsFolder(folder)) != EXIT_DONE) return status;
    // Refused before -n's arithmetic and the layout line speak of its parts.
    int64_t size = GetPathFileSize(source);
    if (size == 0) return ReportError(source, NULL, "%s", FindConsoleText(MSG_SOURCE_EMPTY));
    if (line->countText && (status = ChooseSizeOption(line, count, size, &partKb)) != EXIT_DONE) return status;
    SplitPlan plan;
    MakeSplitPlan(source, folder, (int)partKb, &plan);
    int64_t parts = plan.parts;
    if (plan.inputs == SPLIT_ONE_PART) {
        if (size < PartSizeBytes(MIN_PART_KB))
            return ReportError(source, NULL, "is smaller than the smallest part size (%d KB); there is nothing to split",
                               MIN_PART_KB);
        return ReportError(source, NULL, "fits in one part of %lld KB; choose a smaller part size: -s %lld or less",
                           (long long)partKb, (long long)(size / 1024));
    }
    if (plan.inputs == SPLIT_TOO_MANY_PARTS)
        return ReportError(source, NULL, "would need %lld parts of %lld KB (%d at most); the smallest size that fits is -s %lld",
                           (long long)parts, (long long)partKb, MAX_PARTS, (long long)SmallestFittingSize(size));
    char earlier[PATH_SIZE] = "";
    if (!line->force && !FindEarlierSet(source, folder, earlier))
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
    return FinishOperation(SplitFile(&plan, line->copyProgram, &rule));
}

