#include "run_child.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "temp_dir.h"

namespace {

// The program the children run: a copy in a scratch folder of the system's
// temporary one, so that a child dropped to an ordinary user runs it wherever
// the build lies (a checkout under /root, or in a folder only its owner
// enters).
const char *ProgramCopy()
{
    static TempDir folder;
    static const std::string copy = [] {
        std::filesystem::copy_file(PARTELLO_PROGRAM, folder / "partello");
        return folder / "partello";
    }();
    return copy.c_str();
}

// Reads what arrives within 10 s; false once every output has closed (a
// terminal's master side reports EIO when the child is gone).
bool ReadSome(Child &child)
{
    struct {
        int *fd;
        std::string *text;
    } streams[] = {{&child.out, &child.outText}, {&child.err, &child.errText}};
    pollfd polled[2];
    for (int i = 0; i < 2; i++) polled[i] = {*streams[i].fd, POLLIN, 0};  // -1 is skipped
    if (child.out < 0 && child.err < 0) return false;
    poll(polled, 2, 10000);
    for (int i = 0; i < 2; i++) {
        if (!polled[i].revents) continue;
        char block[4096];
        ssize_t got = read(*streams[i].fd, block, sizeof block);
        if (got > 0) {
            streams[i].text->append(block, got);
        } else {
            close(*streams[i].fd);
            *streams[i].fd = -1;
        }
    }
    return true;
}

}  // namespace

Child StartPartello(const std::vector<std::string> &args, const std::string &folder, bool onTerminal,
                    const ChildSetup &setup)
{
    Child child;
    child.onTerminal = onTerminal;
    const char *program = ProgramCopy();
    int out[2], err[2], terminal = -1;
    if (onTerminal ? openpty(&out[0], &terminal, nullptr, nullptr, nullptr) != 0 : pipe(out) || pipe(err)) return child;
    if (onTerminal) tcgetattr(terminal, &child.terminalBefore);
    child.pid = fork();
    if (child.pid == 0) {
        if (onTerminal) {
            close(out[0]);
            setsid();
            ioctl(terminal, TIOCSCTTY, 0);
            for (int fd = 0; fd < 3; fd++) dup2(terminal, fd);
        } else {
            dup2(open("/dev/null", O_RDONLY), 0);
            dup2(out[1], 1);
            dup2(err[1], 2);
        }
        if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
        if (setup) setup();
        alarm(60);
        std::vector<char *> argv{const_cast<char *>(program)};
        for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program, argv.data());
        perror(program);  // the reason, where the test shows what the child wrote
        _exit(127);
    }
    child.out = out[0];
    if (onTerminal) {
        close(terminal);
    } else {
        close(out[1]);
        close(err[1]);
        child.err = err[0];
    }
    return child;
}

bool WaitForText(Child &child, const std::string &text)
{
    const std::string &seen = child.onTerminal ? child.outText : child.errText;
    while (seen.find(text) == std::string::npos)
        if (!ReadSome(child)) return false;
    return true;
}

void FinishChild(Child &child)
{
    int master = child.onTerminal ? dup(child.out) : -1;
    while (ReadSome(child)) {
    }
    int raw = 0;
    waitpid(child.pid, &raw, 0);
    child.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    if (master >= 0) {
        tcgetattr(master, &child.terminalAfter);  // the slave side's settings
        close(master);
    }
}

Child RunPartello(const std::vector<std::string> &args, const std::string &folder, const ChildSetup &setup)
{
    Child child = StartPartello(args, folder, false, setup);
    FinishChild(child);
    return child;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
