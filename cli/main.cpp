// partello: split, join, list and check part files from a console.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "checksum_command.h"
#include "console_report.h"
#include "errors.h"
#include "join_commands.h"
#include "quoting.h"
#include "split_command.h"
#include "engine/messages.h"
#include "engine/platform.h"
#include "engine/split.h"
#include "resources/version.h"

namespace {

enum CommandFlag {
    FOR_SPLIT = 1,
    FOR_JOIN = 2,
    FOR_LIST = 4,
    FOR_CHECKSUM = 8,
    FOR_VERIFY = 16,
    FOR_ALL = 31,
};

struct Command {
    const char *name;
    int flag;
    const char *operandName;
    int (*run)(const CommandLine *line);
};

const Command kCommands[] = {
    {"split", FOR_SPLIT, "FILE", RunSplit},
    {"join", FOR_JOIN, "PART", RunJoin},
    {"verify", FOR_VERIFY, "PART", RunVerify},
    {"list", FOR_LIST, "PART", RunList},
    {"checksum", FOR_CHECKSUM, "FILE", RunChecksum},
};

enum OptionId {
    OPTION_FOLDER,
    OPTION_SIZE,
    OPTION_COUNT,
    OPTION_COPY_PROGRAM,
    OPTION_OUTPUT,
    OPTION_DELETE_PARTS,
    OPTION_FORCE,
    OPTION_QUIET,
};

struct Option {
    const char *name;
    int commands;  // CommandFlag bits
    OptionId id;
    bool takesValue;
};

const Option kOptions[] = {
    {"-d", FOR_SPLIT, OPTION_FOLDER, true},
    {"-s", FOR_SPLIT, OPTION_SIZE, true},
    {"-n", FOR_SPLIT, OPTION_COUNT, true},
    {"--copy-program", FOR_SPLIT, OPTION_COPY_PROGRAM, false},
    {"-o", FOR_JOIN, OPTION_OUTPUT, true},
    {"--delete-parts", FOR_JOIN, OPTION_DELETE_PARTS, false},
    {"-f", FOR_SPLIT | FOR_JOIN, OPTION_FORCE, false},
    {"-q", FOR_ALL, OPTION_QUIET, false},
    {"--quiet", FOR_ALL, OPTION_QUIET, false},
};

const char kUsage[] =
    "Usage: partello split FILE [-s SIZE | -n COUNT] [-d DIR] [--copy-program] [-f]\n"
    "       partello join PART [-o OUTPUT | -o -] [--delete-parts] [-f] [-q]\n"
    "       partello verify PART [-q]\n"
    "       partello list PART\n"
    "       partello checksum FILE [-q]\n"
    "       partello --help | --version\n";

const char kHelp[] =
    "\n"
    "Commands:\n"
    "  split FILE      cut FILE into FILE.001, FILE.002, ... and FILE.999, its CRC-32\n"
    "  join PART       join the set of PART (any of its files) and check it\n"
    "  verify PART     read the set and check it against its .999, writing nothing\n"
    "  list PART       print the set's folder, then its parts in join order\n"
    "  checksum FILE   print the CRC-32 of FILE as 8 hex digits\n"
    "\n"
    "Options:\n"
    "  -s SIZE         part size in KB of 1024 bytes (default " DEFAULT_PART_SIZE_TEXT ", at least 120)\n"
    "  -n COUNT        number of parts, 2 to 998, instead of a size\n"
    "  -d DIR          folder for the parts (default: FILE's folder)\n"
    "  --copy-program  copy this program beside the parts as well\n"
    "  -o OUTPUT       joined file or its folder (default: PART less its number)\n"
    "  -o -            join to standard output, which must not be a terminal\n"
    "  --delete-parts  delete the parts and the .999 after a join that checked out\n"
    "  -f              replace an existing OUTPUT, or an earlier set of parts\n"
    "  -q, --quiet     print errors only: no progress, no layout, no result line\n"
    "  -h, --help      print this help\n"
    "  --version       print the version\n"
    "\n"
    "SIZE is a number of KB, or a number with a unit: K, M, G count 1024, 1024^2\n"
    "and 1024^3 bytes; KB, MB, GB count 1000, 1000^2 and 1000^3 bytes, rounded down\n"
    "to whole KB. So 25M is 25,600 KB and 25MB is 24,414 KB.\n"
    "Every command takes -q. A join or a split keeps existing files unless -f;\n"
    "a set with a part missing, a number twice or an unnumbered name is refused\n"
    "before anything is written.\n"
    "ESC (on a terminal) or Ctrl-C cancels a running split, join, verify or checksum.\n"
    "Exit status: 0 done (verify: the set checked out), 1 error, 2 bad arguments,\n"
    "130 cancelled.\n";

const Command *FindCommand(const char *name)
{
    for (const Command &command : kCommands)
        if (!strcmp(command.name, name)) return &command;
    return NULL;
}

const Option *FindOption(const char *name)
{
    for (const Option &option : kOptions)
        if (!strcmp(option.name, name)) return &option;
    return NULL;
}

void SetOption(CommandLine *line, OptionId id, const char *value)
{
    switch (id) {
    case OPTION_FOLDER: line->folder = value; break;
    case OPTION_SIZE: line->sizeText = value; break;
    case OPTION_COUNT: line->countText = value; break;
    case OPTION_COPY_PROGRAM: line->copyProgram = true; break;
    case OPTION_OUTPUT: line->output = value; break;
    case OPTION_DELETE_PARTS: line->deleteParts = true; break;
    case OPTION_FORCE: line->force = true; break;
    case OPTION_QUIET: line->quiet = true; break;
    }
}

bool IsHelpRequest(const char *arg) { return !strcmp(arg, "--help") || !strcmp(arg, "-h"); }

int ShowHelp()
{
    fputs(kUsage, stdout);
    fputs(kHelp, stdout);
    return EXIT_DONE;
}

// Fills `line` from the arguments after the command; EXIT_DONE or a usage
// error already reported.
int ParseArguments(const Command *command, int count, char **args, CommandLine *line)
{
    bool optionsEnded = false;
    for (int i = 0; i < count; i++) {
        const char *arg = args[i];
        if (!optionsEnded && arg[0] == '-' && arg[1]) {
            if (!strcmp(arg, "--")) {
                optionsEnded = true;
                continue;
            }
            const Option *option = FindOption(arg);
            if (!option) return ReportUsageError("unknown option %s", QuoteName(arg));
            if (!(option->commands & command->flag))
                return ReportUsageError("%s does not take the option %s", command->name, QuoteName(arg));
            const char *value = NULL;
            if (option->takesValue) {
                // An empty folder would turn into the root once a separator is added.
                if (i + 1 >= count || !args[i + 1][0]) return ReportUsageError("option %s needs a value", arg);
                value = args[++i];
            }
            SetOption(line, option->id, value);
            continue;
        }
        if (line->operand) return ReportUsageError("unexpected argument %s", QuoteName(arg));
        line->operand = arg;
    }
    if (!line->operand) return ReportUsageError("%s needs a %s", command->name, command->operandName);
    if (line->sizeText && line->countText) return ReportUsageError("-s and -n do not go together: give one");
    bool toStandardOutput = line->output && !strcmp(line->output, "-");
    if (toStandardOutput && line->deleteParts)
        return ReportUsageError("--delete-parts does not go with -o -: a pipe cannot tell that the join arrived");

    const char *paths[] = {line->operand, line->folder, line->output};
    for (const char *path : paths)
        if (path && path[FitCharacters(path, PATH_CHARS - 1)])
            return ReportUsageError("path longer than %d characters: %s", PATH_CHARS - 1, QuoteName(path));
    if (!line->operand[0]) return ReportUsageError("%s needs a %s, not an empty name", command->name, command->operandName);
    return EXIT_DONE;
}

}  // namespace

// Descriptors 0 to 2 left closed by the caller would go to the first files
// opened, and the status texts into a joined file: they are put on
// /dev/null instead, opened for reading only, so that output due on a
// closed stdout still fails and is reported. A write past the file-size
// limit, or into a pipe nobody reads, is to fail and be reported (or on
// stderr, be lost), not to end the program.
static bool PrepareProcess()
{
    for (int fd = 0; fd <= 2; fd++)
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF && open("/dev/null", O_RDONLY) != fd) return false;
    signal(SIGXFSZ, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

static int RunCommandLine(int argc, char **argv)
{
    if (argc < 2) return ReportUsageError("no command given");
    // Help wins wherever it stands.
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--")) break;
        if (IsHelpRequest(argv[i])) return ShowHelp();
    }
    if (!strcmp(argv[1], "--version")) {
        printf("partello %s\n", PARTELLO_VERSION);
        return EXIT_DONE;
    }
    const Command *command = FindCommand(argv[1]);
    if (!command) return ReportUsageError("unknown command %s", QuoteName(argv[1]));

    CommandLine line;
    memset(&line, 0, sizeof line);
    int status = ParseArguments(command, argc - 2, argv + 2, &line);
    if (status != EXIT_DONE) return status;
    SetQuiet(line.quiet);
    return command->run(&line);
}

int main(int argc, char **argv)
{
    if (!PrepareProcess()) return EXIT_ERROR;
    int status = RunCommandLine(argc, argv);
    errno = 0;
    if (fflush(stdout) != 0 || ferror(stdout))
        return ReportError(NULL, errno ? strerror(errno) : NULL, "can't write the result to standard output");
    return status;
}
