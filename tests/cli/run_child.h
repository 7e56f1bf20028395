// Runs the console program as a child process, on pipes or on a
// pseudo-terminal, and collects what it writes.
#ifndef PARTELLO_TESTS_CLI_RUN_CHILD_H
#define PARTELLO_TESTS_CLI_RUN_CHILD_H

#include <sys/types.h>
#include <termios.h>

#include <functional>
#include <string>
#include <vector>

struct Child {
    pid_t pid = -1;
    bool onTerminal = false;
    int out = -1;  // stdout pipe, or the terminal's master side
    int err = -1;  // stderr pipe
    std::string outText, errText;
    int status = -1;        // exit status, or 128 + signal
    termios terminalBefore{}, terminalAfter{};
};

// Runs in the child just before it becomes partello: closes, limits, drops.
using ChildSetup = std::function<void()>;

// Starts partello in `folder` ("" for the current one): on pipes with
// stdin from /dev/null, or with all three on a new pseudo-terminal whose
// foreground job it is. A child still running after a minute is ended
// (SIGALRM), so a hang fails the test instead of holding it.
Child StartPartello(const std::vector<std::string> &args, const std::string &folder = "", bool onTerminal = false,
                    const ChildSetup &setup = nullptr);
// Reads until `text` has come (on stderr, or the terminal); false when the
// child closed its output first.
bool WaitForText(Child &child, const std::string &text);
// Reads everything, reaps the child and, on a terminal, takes its settings.
void FinishChild(Child &child);
Child RunPartello(const std::vector<std::string> &args, const std::string &folder = "",
                  const ChildSetup &setup = nullptr);

std::vector<std::string> SplitLines(const std::string &text);

#endif
