// The engine's reporting procedures for a console: status texts on stderr
// (one overwritten line on a terminal, a line each elsewhere), the terminal
// bell, and a cancel probe fed by ESC on the terminal and by Ctrl-C.
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include "commands.h"
#include "console.h"
#include "engine/join.h"
#include "engine/messages.h"
#include "engine/platform.h"
#include "engine/report.h"

namespace {

// Shared with the signal handlers.
volatile sig_atomic_t g_interrupted;  // Ctrl-C that the probe has not answered yet
volatile sig_atomic_t g_running;      // between BeginOperation and EndOperation
volatile sig_atomic_t g_keysTaken;    // the terminal is in key mode
volatile sig_atomic_t g_lineOpen;     // a status text stands without its line end
struct termios g_savedTerminal;

bool g_cancelled;
int g_errors;
// The error that the next status text is: its file ("" for none) and why.
bool g_errorNoted;
char g_errorFile[PATH_SIZE];
int g_errorReason;
int g_stderrIsTerminal = -1;  // -1 until first asked

bool IsStatusOnTerminal()
{
    if (g_stderrIsTerminal < 0) g_stderrIsTerminal = isatty(STDERR_FILENO) ? 1 : 0;
    return g_stderrIsTerminal == 1;
}

bool IsForeground() { return tcgetpgrp(STDIN_FILENO) == getpgrp(); }

// Non-canonical, no echo, reads return at once. Signal keys (Ctrl-C, Ctrl-Z)
// keep working. A background job leaves the terminal alone, since touching
// it would stop the job. Async-signal-safe.
void TakeKeys()
{
    if (g_keysTaken || !IsForeground()) return;
    if (tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0) return;  // not a terminal
    struct termios keys = g_savedTerminal;
    keys.c_lflag &= ~(ICANON | ECHO);
    keys.c_cc[VMIN] = 0;
    keys.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &keys) == 0) g_keysTaken = 1;
}

// Async-signal-safe.
void GiveBackKeys()
{
    if (!g_keysTaken) return;
    tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
    g_keysTaken = 0;
}

void WriteLineEnd()
{
    if (!g_lineOpen) return;
    g_lineOpen = 0;
    if (write(STDERR_FILENO, "\n", 1) < 0) {
        // nowhere left to say so
    }
}

// Leaves with the terminal as it was and without a half-written join, then
// lets the signal do what it would have done without us.
void DieOfSignal(int number)
{
    const char *unfinished = UnfinishedJoinPath();
    if (unfinished) unlink(unfinished);
    GiveBackKeys();
    WriteLineEnd();
    struct sigaction fallback;
    memset(&fallback, 0, sizeof fallback);
    fallback.sa_handler = SIG_DFL;
    sigaction(number, &fallback, NULL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, number);
    sigprocmask(SIG_UNBLOCK, &only, NULL);
    raise(number);
}

void OnInterrupt(int)
{
    // The first Ctrl-C waits for the probe; a second one before it answered
    // means the user wants out now.
    if (!g_interrupted) {
        g_interrupted = 1;
        return;
    }
    DieOfSignal(SIGINT);
}

void OnEndingSignal(int number) { DieOfSignal(number); }

void OnStop(int)
{
    int savedErrno = errno;
    GiveBackKeys();
    struct sigaction stop, mine;
    memset(&stop, 0, sizeof stop);
    stop.sa_handler = SIG_DFL;
    sigaction(SIGTSTP, &stop, &mine);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &only, NULL);
    raise(SIGTSTP);  // stopped here until continued (an orphaned job is not stopped at all)
    sigaction(SIGTSTP, &mine, NULL);
    if (g_running) TakeKeys();  // does nothing unless in the foreground
    errno = savedErrno;
}

void OnContinue(int)
{
    int savedErrno = errno;
    if (g_running) TakeKeys();  // only once back in the foreground
    errno = savedErrno;
}

struct SignalHandler {
    int number;
    void (*handler)(int);
};

// Every signal whose default action ends the process gives the terminal
// back first; SIGKILL cannot be caught, and SIGXFSZ is ignored from
// start-up so that the write fails and is reported.
const SignalHandler kHandlers[] = {
    {SIGINT, OnInterrupt},       {SIGTSTP, OnStop},          {SIGCONT, OnContinue},
    {SIGTERM, OnEndingSignal},   {SIGHUP, OnEndingSignal},   {SIGQUIT, OnEndingSignal},
    {SIGPIPE, OnEndingSignal},   {SIGUSR1, OnEndingSignal},  {SIGUSR2, OnEndingSignal},
    {SIGALRM, OnEndingSignal},   {SIGVTALRM, OnEndingSignal}, {SIGPROF, OnEndingSignal},
    {SIGIO, OnEndingSignal},     {SIGPWR, OnEndingSignal},   {SIGSYS, OnEndingSignal},
    {SIGXCPU, OnEndingSignal},   {SIGTRAP, OnEndingSignal},  {SIGABRT, OnEndingSignal},
    {SIGBUS, OnEndingSignal},    {SIGFPE, OnEndingSignal},   {SIGILL, OnEndingSignal},
    {SIGSEGV, OnEndingSignal},   {SIGSTKFLT, OnEndingSignal},
};

void (*HandlerOf(int number))(int)
{
    for (const SignalHandler &entry : kHandlers)
        if (entry.number == number) return entry.handler;
    if (number >= SIGRTMIN && number <= SIGRTMAX) return OnEndingSignal;
    return NULL;
}

struct sigaction g_previous[NSIG];

void MakeHandledSet(sigset_t *set)
{
    sigemptyset(set);
    for (int number = 1; number < NSIG; number++)
        if (HandlerOf(number)) sigaddset(set, number);
}

void RestoreAtExit()
{
    GiveBackKeys();
    WriteLineEnd();
}

}  // namespace

void BeginOperation()
{
    static bool registered;
    if (!registered) registered = atexit(RestoreAtExit) == 0;
    g_cancelled = false;
    g_errors = 0;
    g_interrupted = 0;

    sigset_t handled, previousMask;
    MakeHandledSet(&handled);
    sigprocmask(SIG_BLOCK, &handled, &previousMask);
    for (int number = 1; number < NSIG; number++) {
        if (!HandlerOf(number)) continue;
        struct sigaction action;
        memset(&action, 0, sizeof action);
        action.sa_handler = HandlerOf(number);
        action.sa_mask = handled;
        action.sa_flags = SA_RESTART;
        sigaction(number, &action, &g_previous[number]);
    }
    g_running = 1;
    TakeKeys();
    sigprocmask(SIG_SETMASK, &previousMask, NULL);
}

void EndOperation()
{
    if (g_running) {
        sigset_t handled, previousMask;
        MakeHandledSet(&handled);
        sigprocmask(SIG_BLOCK, &handled, &previousMask);
        GiveBackKeys();
        g_running = 0;
        for (int number = 1; number < NSIG; number++)
            if (HandlerOf(number)) sigaction(number, &g_previous[number], NULL);
        sigprocmask(SIG_SETMASK, &previousMask, NULL);
    }
    EndStatusLine();
}

bool OperationCancelled() { return g_cancelled; }

int OperationErrors() { return g_errors; }

void EndStatusLine()
{
    fflush(stderr);
    WriteLineEnd();
}

void NoteError(const char *path, bool bySystem)
{
    g_errorReason = bySystem ? errno : 0;
    g_errorNoted = true;
    snprintf(g_errorFile, sizeof g_errorFile, "%s", path ? path : "");
}

void NoteNotDeleted(const char *path)
{
    char reason[MESSAGE_SIZE];
    DescribeFault(path, errno, reason, sizeof reason);
    g_errors++;
    ReportError("can't delete %s: %s", path, reason);
}

void NoteUnverified(const char *checksumPath)
{
    EndStatusLine();
    fprintf(stderr, "partello: the join was not checked: there is no %s\n", checksumPath);
}

void SetStatus(const char *text)
{
    if (!text) text = "";
    // An error is a message of the program's own: it names its file.
    char error[MESSAGE_SIZE + 2 * PATH_SIZE];
    if (g_errorNoted) {
        g_errorNoted = false;
        char reason[MESSAGE_SIZE] = "";
        if (g_errorFile[0]) DescribeFault(g_errorFile, g_errorReason, reason, sizeof reason);
        const char *separator = reason[0] ? ": " : "";
        if (g_errorFile[0])
            snprintf(error, sizeof error, "partello: %s (%s%s%s)", text, g_errorFile, separator, reason);
        else
            snprintf(error, sizeof error, "partello: %s", text);
        text = error;
    }
    char line[sizeof error + 16];
    if (IsStatusOnTerminal()) {
        // Each text replaces the one before on the same line.
        snprintf(line, sizeof line, "\r\033[K%s", text);
        fputs(line, stderr);
        g_lineOpen = text[0] != '\0';
    } else if (text[0]) {
        snprintf(line, sizeof line, "%s\n", text);
        fputs(line, stderr);
    }
    fflush(stderr);
}

void ErrorBeep()
{
    g_errors++;
    if (IsStatusOnTerminal()) {
        fputs("\a", stderr);
        fflush(stderr);
    }
}

bool CancelProbe()
{
    bool cancel = false;
    if (g_interrupted) {
        g_interrupted = 0;
        cancel = true;
    } else if (g_keysTaken && IsForeground()) {
        cancel = ReadEscapeKey(STDIN_FILENO);
    }
    if (!cancel) return false;
    g_cancelled = true;
    ShowMessage(MSG_CANCELLED);
    return true;
}

// A console has no wait cursor; the running status line says enough.
void *ShowWaitCursor() { return NULL; }

void RestoreCursor(void *) {}
