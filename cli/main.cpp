// partello: split, join, list and check part files from a console.
#include <errno.h>
#include <fcntl.h>
#include <getopt.h>
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
    bool manyOperands;
    int (*run)(const CommandLine *line);
};

const Command kCommands[] = {
    {"split", FOR_SPLIT, "FILE", false, RunSplit},
    {"join", FOR_JOIN, "PART", false, RunJoin},
    {"verify", FOR_VERIFY, "PART", false, RunVerify},
    {"list", FOR_LIST, "PART", false, RunList},
    {"checksum", FOR_CHECKSUM, "FILE", true, RunChecksum},
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
    OPTION_HELP,
};

struct Option {
    const char *longName;
    char shortName;  // 0: the long form only
    int commands;    // CommandFlag bits
    OptionId id;
    bool takesValue;
};

const Option kOptions[] = {
    {"dir", 'd', FOR_SPLIT, OPTION_FOLDER, true},
    {"size", 's', FOR_SPLIT, OPTION_SIZE, true},
    {"count", 'n', FOR_SPLIT, OPTION_COUNT, true},
    {"copy-program", 0, FOR_SPLIT, OPTION_COPY_PROGRAM, false},
    {"output", 'o', FOR_JOIN, OPTION_OUTPUT, true},
    {"delete-parts", 0, FOR_JOIN, OPTION_DELETE_PARTS, false},
    {"force", 'f', FOR_SPLIT | FOR_JOIN, OPTION_FORCE, false},
    {"quiet", 'q', FOR_ALL, OPTION_QUIET, false},
    {"help", 'h', FOR_ALL, OPTION_HELP, false},
};
const int kOptionCount = (int)(sizeof kOptions / sizeof *kOptions);

const char kUsage[] =
    "Usage: partello split FILE [-s SIZE | -n COUNT] [-d DIR] [--copy-program] [-f]\n"
    "       partello join PART [-o OUTPUT | -o -] [--delete-parts] [-f] [-q]\n"
    "       partello verify PART [-q]\n"
    "       partello list PART\n"
    "       partello checksum FILE... [-q]\n"
    "       partello --help | --version\n";

const char kHelp[] =
    "\n"
    "Commands:\n"
    "  split FILE      cut FILE into FILE.001, FILE.002, ... and FILE.999, its CRC-32\n"
    "  join PART       join the set of PART (any of its files) and check it\n"
    "  verify PART     read the set and check it against its .999, writing nothing\n"
    "  list PART       print the set's folder, then its parts in join order\n"
    "  checksum FILE...\n"
    "                  print the CRC-32 of each FILE (- for standard input) as 8 hex\n"
    "                  digits, followed by its name when there are several\n"
    "\n"
    "Options:\n"
    "  -s, --size=SIZE      part size in KB of 1024 bytes (default " DEFAULT_PART_SIZE_TEXT "; 120 or more)\n"
    "  -n, --count=COUNT    number of parts, 2 to 998, instead of a size\n"
    "  -d, --dir=DIR        folder for the parts (default: FILE's folder)\n"
    "      --copy-program   copy this program beside the parts as well\n"
    "  -o, --output=OUTPUT  joined file or its folder (default: PART less its number)\n"
    "  -o -                 join to standard output, which must not be a terminal\n"
    "      --delete-parts   delete the parts and the .999 once the join checked out\n"
    "  -f, --force          replace an existing OUTPUT, or an earlier set of parts\n"
    "  -q, --quiet          print errors only: no progress, layout or result line\n"
    "  -h, --help           print this help\n"
    "      --version        print the version, the copyright and the licence\n"
    "\n"
    "Short options go together (-fq) and take their value attached or apart\n"
    "(-s25MB, -s 25MB); long ones after '=' or apart; -- ends the options.\n"
    "SIZE is a number of KB, or a number with a unit: K, M, G count 1024, 1024^2\n"
    "and 1024^3 bytes; KB, MB, GB count 1000, 1000^2 and 1000^3 bytes, rounded down\n"
    "to whole KB. So 25M is 25,600 KB and 25MB is 24,414 KB.\n"
    "Every command takes -q. A join or a split keeps existing files unless -f;\n"
    "a set with a part missing, a number twice or an unnumbered name is refused\n"
    "before anything is written.\n"
    "ESC (on a terminal) or Ctrl-C cancels a running split, join, verify or checksum.\n"
    "Exit status: 0 done (verify: the set checked out), 1 error, 2 bad arguments,\n"
    "130 cancelled, 141 the reader of standard output went away.\n";

const char kVersion[] =
    "partello " PARTELLO_VERSION "\n"
    PARTELLO_COPYRIGHT "\n"
    "MIT License: you may use, copy, change and pass on this program, keeping\n"
    "the copyright notice with it; it comes with no warranty of any kind.\n";

const Command *FindCommand(const char *name)
{
    for (const Command &command : kCommands)
        if (!strcmp(command.name, name)) return &command;
    return NULL;
}

// What getopt_long answers for an option: its letter, or a number past
// every letter for one that has only the long form.
int OptionCode(int index) { return kOptions[index].shortName ? kOptions[index].shortName : 0x100 + index; }

const Option *FindOption(int code)
{
    for (int i = 0; i < kOptionCount; i++)
        if (OptionCode(i) == code) return &kOptions[i];
    return NULL;
}

// The option as the user wrote it, long or short, for messages.
const char *SpellOption(const Option *option, bool asLong)
{
    static char text[32];
    if (asLong || !option->shortName)
        snprintf(text, sizeof text, "--%s", option->longName);
    else
        snprintf(text, sizeof text, "-%c", option->shortName);
    return text;
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
    case OPTION_HELP: break;
    }
}

bool IsHelpRequest(const char *arg) { return !strcmp(arg, "--help") || !strcmp(arg, "-h"); }

int ShowHelp()
{
    fputs(kUsage, stdout);
    fputs(kHelp, stdout);
    return EXIT_DONE;
}

// What getopt_long refused, as a usage error. `arg` is the argument it
// stopped in; `code` the option it named, if any.
int ReportBadOption(int answer, int code, const char *arg)
{
    bool asLong = !strncmp(arg, "--", 2);
    const Option *option = FindOption(code);
    if (answer == ':') return ReportUsageError("option %s needs a value", SpellOption(option, asLong));
    // A known code with '?' comes only from a long option given "=value".
    if (option) return ReportUsageError("option %s takes no value", SpellOption(option, true));
    char letter[3] = {'-', (char)code, '\0'};
    if (code) return ReportUsageError("unknown option %s", QuoteName(letter));
    // Long options may be cut short while only one begins so.
    size_t length = strcspn(arg + 2, "=");
    int beginning = 0;
    for (const Option &known : kOptions) beginning += !strncmp(known.longName, arg + 2, length);
    return ReportUsageError("%s option %s", beginning > 1 ? "ambiguous" : "unknown", QuoteName(arg));
}

// ParseArguments' answer when the arguments asked for the help (-qh, say).
const int HELP_SHOWN = -1;

// Fills `line` from the arguments after the command, `args[0]` being the
// command itself; EXIT_DONE, HELP_SHOWN, or a usage error already reported.
// Options may stand anywhere among the operands (unless POSIXLY_CORRECT
// asks for the first operand to end them).
int ParseArguments(const Command *command, int count, char **args, CommandLine *line)
{
    // The option string and table come from kOptions: ':' first, so that a
    // missing value is told from an unknown option and nothing is printed.
    char letters[2 + 2 * kOptionCount + 1] = ":";
    struct option longOptions[kOptionCount + 1];
    memset(longOptions, 0, sizeof longOptions);
    for (int i = 0; i < kOptionCount; i++) {
        const Option &option = kOptions[i];
        longOptions[i] = {option.longName, option.takesValue ? required_argument : no_argument, NULL, OptionCode(i)};
        if (!option.shortName) continue;
        size_t length = strlen(letters);
        letters[length] = option.shortName;
        letters[length + 1] = option.takesValue ? ':' : '\0';
        letters[length + 2] = '\0';
    }
    optind = 0;  // a fresh scan, however often the program's main runs
    for (;;) {
        int longIndex = -1;
        int code = getopt_long(count, args, letters, longOptions, &longIndex);
        if (code == -1) break;
        if (code == '?' || code == ':') return ReportBadOption(code, optopt, args[optind - 1]);
        const Option *option = FindOption(code);
        const char *spelled = SpellOption(option, longIndex >= 0);
        if (!(option->commands & command->flag))
            return ReportUsageError("%s does not take the option %s", command->name, QuoteName(spelled));
        // An empty folder would turn into the root once a separator is added.
        if (option->takesValue && !optarg[0]) return ReportUsageError("option %s needs a value", spelled);
        if (option->id == OPTION_HELP) {
            ShowHelp();
            return HELP_SHOWN;
        }
        SetOption(line, option->id, optarg);
    }
    line->operands = args + optind;
    line->operandCount = count - optind;
    line->operand = line->operandCount ? line->operands[0] : NULL;
    if (!line->operand) return ReportUsageError("%s needs a %s", command->name, command->operandName);
    if (line->operandCount > 1 && !command->manyOperands)
        return ReportUsageError("unexpected argument %s", QuoteName(line->operands[1]));
    if (line->sizeText && line->countText) return ReportUsageError("-s and -n do not go together: give one");
    bool toStandardOutput = line->output && !strcmp(line->output, "-");
    if (toStandardOutput && line->deleteParts)
        return ReportUsageError("--delete-parts does not go with -o -: a pipe cannot tell that the join arrived");

    const char *optionPaths[] = {line->folder, line->output};
    for (int i = 0; i < line->operandCount + 2; i++) {
        const char *path = i < line->operandCount ? line->operands[i] : optionPaths[i - line->operandCount];
        if (path && path[FitCharacters(path, PATH_CHARS - 1)])
            return ReportUsageError("path longer than %d characters: %s", PATH_CHARS - 1, QuoteName(path));
    }
    for (int i = 0; i < line->operandCount; i++)
        if (!line->operands[i][0])
            return ReportUsageError("%s needs a %s, not an empty name", command->name, command->operandName);
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
        fputs(kVersion, stdout);
        return EXIT_DONE;
    }
    const Command *command = FindCommand(argv[1]);
    if (!command) return ReportUsageError("unknown command %s", QuoteName(argv[1]));

    CommandLine line;
    memset(&line, 0, sizeof line);
    int status = ParseArguments(command, argc - 1, argv + 1, &line);
    if (status == HELP_SHOWN) return EXIT_DONE;
    if (status != EXIT_DONE) return status;
    SetQuiet(line.quiet);
    return command->run(&line);
}

int main(int argc, char **argv)
{
    if (!PrepareProcess()) return EXIT_ERROR;
    int status = RunCommandLine(argc, argv);
    int written = FlushStandardOutput();
    return written != EXIT_DONE ? written : status;
}
