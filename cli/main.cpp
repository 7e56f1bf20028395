// partello: split, join, list and check part files from a console.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "commands.h"
#include "console.h"
#include "engine/platform.h"
#include "engine/split.h"
#include "resources/version.h"

namespace {

enum CommandFlag {
    FOR_SPLIT = 1,
    FOR_JOIN = 2,
    FOR_LIST = 4,
    FOR_CHECKSUM = 8,
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
    {"list", FOR_LIST, "PART", RunList},
    {"checksum", FOR_CHECKSUM, "FILE", RunChecksum},
};

enum OptionId {
    OPTION_FOLDER,
    OPTION_SIZE,
    OPTION_COPY_PROGRAM,
    OPTION_OUTPUT,
    OPTION_DELETE_PARTS,
    OPTION_FORCE,
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
    {"--copy-program", FOR_SPLIT, OPTION_COPY_PROGRAM, false},
    {"-o", FOR_JOIN, OPTION_OUTPUT, true},
    {"--delete-parts", FOR_JOIN, OPTION_DELETE_PARTS, false},
    {"-f", FOR_SPLIT | FOR_JOIN, OPTION_FORCE, false},
};

const char kUsage[] =
    "Usage: partello split FILE [-d DIR] [-s KB] [--copy-program] [-f]\n"
    "       partello join PART [-o OUTPUT] [--delete-parts] [-f]\n"
    "       partello list PART\n"
    "       partello checksum FILE\n"
    "       partello --help | --version\n";

const char kHelp[] =
    "\n"
    "split     cuts FILE into FILE.001, FILE.002, ... of KB kilobytes each\n"
    "          (default " DEFAULT_PART_SIZE_TEXT ", at least 120, '$' for hex) in DIR (default: FILE's\n"
    "          folder), with FILE.999 holding the CRC-32 of the whole file.\n"
    "          --copy-program puts a copy of this program beside the parts.\n"
    "          An earlier set of that name is kept unless -f; with -f, its\n"
    "          parts that the new set does not replace are removed.\n"
    "join      joins the set that PART (any of its files, FILE.999 included)\n"
    "          belongs to into OUTPUT (default: the name without its number, in\n"
    "          the current folder; a folder as OUTPUT gets that name inside it)\n"
    "          and checks it against the checksum file. An existing OUTPUT is\n"
    "          kept unless -f. --delete-parts removes the set after a join that\n"
    "          checked out. A set with a part missing, a number twice or a name\n"
    "          that is not numbered is refused before anything is written.\n"
    "list      prints the set's folder, then its parts in join order, with\n"
    "          '(missing N)' where the first missing part belongs.\n"
    "checksum  prints the CRC-32 of FILE as 8 hex digits.\n"
    "\n"
    "ESC or Ctrl-C cancels a running split, join or checksum.\n"
    "Exit status: 0 done, 1 error, 2 bad arguments, 130 cancelled.\n";

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
    case OPTION_COPY_PROGRAM: line->copyProgram = true; break;
    case OPTION_OUTPUT: line->output = value; break;
    case OPTION_DELETE_PARTS: line->deleteParts = true; break;
    case OPTION_FORCE: line->force = true; break;
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
            if (!option) return ReportUsageError("unknown option '%s'", arg);
            if (!(option->commands & command->flag))
                return ReportUsageError("%s does not take the option %s", command->name, arg);
            const char *value = NULL;
            if (option->takesValue) {
                // An empty folder would turn into the root once a separator is added.
                if (i + 1 >= count || !args[i + 1][0]) return ReportUsageError("option %s needs a value", arg);
                value = args[++i];
            }
            SetOption(line, option->id, value);
            continue;
        }
        if (line->operand) return ReportUsageError("unexpected argument '%s'", arg);
        line->operand = arg;
    }
    if (!line->operand) return ReportUsageError("%s needs a %s", command->name, command->operandName);

    const char *paths[] = {line->operand, line->folder, line->output};
    for (const char *path : paths)
        if (path && path[FitCharacters(path, PATH_CHARS - 1)])
            return ReportUsageError("path longer than %d characters: %.40s...", PATH_CHARS - 1, path);
    if (!line->operand[0]) return ReportUsageError("%s needs a %s, not an empty name", command->name, command->operandName);
    return EXIT_DONE;
}

void ReportV(const char *format, va_list args)
{
    EndStatusLine();
    fputs("partello: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
}

}  // namespace

int ReportError(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    ReportV(format, args);
    va_end(args);
    return EXIT_ERROR;
}

int ReportUsageError(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    ReportV(format, args);
    va_end(args);
    fputs(kUsage, stderr);
    return EXIT_USAGE;
}

// Descriptors 0 to 2 left closed by the caller would go to the first files
// opened, and the status texts into a joined file: they are put on
// /dev/null instead. A write past the file-size limit is to fail and be
// reported, not to end the program.
static bool PrepareProcess()
{
    for (int fd = 0; fd <= 2; fd++)
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF && open("/dev/null", fd ? O_WRONLY : O_RDONLY) != fd)
            return false;
    signal(SIGXFSZ, SIG_IGN);
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
    if (!command) return ReportUsageError("unknown command '%s'", argv[1]);

    CommandLine line;
    memset(&line, 0, sizeof line);
    int status = ParseArguments(command, argc - 2, argv + 2, &line);
    if (status != EXIT_DONE) return status;
    return command->run(&line);
}

int main(int argc, char **argv)
{
    if (!PrepareProcess()) return EXIT_ERROR;
    int status = RunCommandLine(argc, argv);
    if (fflush(stdout) != 0 || ferror(stdout)) return ReportError("can't write the result");
    return status;
}
