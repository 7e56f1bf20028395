#include "join_commands.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "console_report.h"
#include "console_texts.h"
#include "errors.h"
#include "operation.h"
#include "quoting.h"
#include "engine/discovery.h"
#include "engine/join.h"
#include "engine/messages.h"
#include "engine/set_reader.h"

// Discovery from `path`; on success `set` holds at least two parts. Every
// other outcome has been reported; the caller frees set->names either way.
static int FindParts(const char *path, PartSet *set)
{
    memset(set, 0, sizeof *set);
    DiscoverPartSet(path, set);
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
        // Numbers inside the names (file001.txt) leave the first part's own
        // name as the suggestion: -f could only be refused there.
        char first[PATH_SIZE];
        if (MakePartPath(set->folder, set->names.names[0], first) && IsSameFile(output, first))
            return ReportError(output, NULL, "is a part of the set; name the joined file with -o");
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
    if (StandardOutputClosed()) return EXIT_PIPE_CLOSED;
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
    return FinishReading(ReadPartSet(set, STDOUT_FILENO, kStandardOutput, MSG_JOINING, MSG_CHECKSUMS_MATCH), false);
}

int RunJoin(const CommandLine *line)
{
    PartSet set;
    char output[PATH_SIZE];
    int status = FindParts(line->operand, &set);
    bool toStandardOutput = line->output && !strcmp(line->output, "-");
    if (status == EXIT_DONE && toStandardOutput) {
        status = JoinToStandardOutput(&set);
    } else if (status == EXIT_DONE && (status = MakeOutputPath(line, &set, output)) == EXIT_DONE) {
        // Without -f, a file that appears at the output name meanwhile is kept.
        OutputRule rule;
        memset(&rule, 0, sizeof rule);
        rule.replaceAny = line->force;
        BeginOperation();
        status = FinishOperation(JoinPartSet(&set, output, line->deleteParts, &rule));
    }
    ClearNameList(&set.names);
    return status;
}

// Files that a join or a split of the set, killed outright, left in its
// folder, with their sizes: lines of the listing, or notes. EXIT_DONE, or
// the error of a folder that could not be searched.
static int ShowUnfinished(const PartSet *set, bool inListing)
{
    NameList left;
    int status = EXIT_DONE;
    if (!FindUnfinishedOfSet(set, &left))
        status = ReportError(set->folder[0] ? set->folder : ".", strerror(errno), "can't look for unfinished files");
    for (int i = 0; i < left.count; i++) {
        char path[PATH_SIZE], note[MESSAGE_SIZE + PATH_SIZE * 10];
        long long size = MakePartPath(set->folder, left.names[i], path) ? (long long)GetPathFileSize(path) : 0;
        const char *name = QuoteName(left.names[i], QUOTE_AS_NEEDED);
        if (inListing) {
            printf("  (unfinished: %s, %lld bytes)\n", name, size);
            continue;
        }
        snprintf(note, sizeof note, "partello: unfinished file of a stopped join or split: %s, %lld bytes", name, size);
        ShowNote(note);
    }
    ClearNameList(&left);
    return status;
}

int RunVerify(const CommandLine *line)
{
    PartSet set;
    int status = FindParts(line->operand, &set);
    if (status == EXIT_DONE) {
        int unfinished = ShowUnfinished(&set, false);
        BeginOperation();
        status = FinishReading(ReadPartSet(&set, NO_FILE, NULL, MSG_VERIFYING, MSG_PARTS_MATCH), true);
        if (status == EXIT_DONE) status = unfinished;
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
    if (ShowUnfinished(&set, true) != EXIT_DONE) status = EXIT_ERROR;
    if (check.fault != PART_SET_WHOLE) {
        ReportSetFault(&check, names, set.folder, set.places);  // as the join reports it
        status = EXIT_ERROR;
    }
    free(names);
    ClearNameList(&set.names);
    return status;
}

