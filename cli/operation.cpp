#include "operation.h"

#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include "engine/unfinished.h"

namespace {

// Shared with the signal handlers.
volatile sig_atomic_t g_interrupted;  // Ctrl-C that the probe has not answered yet
volatile sig_atomic_t g_running;      // between BeginOperation and EndOperation
volatile sig_atomic_t g_keysTaken;    // the terminal is in key mode
volatile sig_atomic_t g_lineOpen;     // a status text stands without its line end
struct termios g_savedTerminal;

bool g_cancelled;
int g_errors;

bool IsForeground() { return tcgetpgrp(STDIN_FILENO) == getpgrp(); }

// Non-canonical, no echo, reads return at once. Signal keys (Ctrl-C, Ctrl-Z)
// keep working. A background job leaves the terminal alone, since touching
// it would stop the job. Async-signal-safe.
void GrabKeys()
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

// Leaves with the terminal as it was and without unfinished files, then
// lets the signal do what it would have done without us.
void DieOfSignal(int number)
{
    RemoveUnfinishedFiles();
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
    if (g_running) GrabKeys();  // does nothing unless in the foreground
    errno = savedErrno;
}

void OnContinue(int)
{
    int savedErrno = errno;
    if (g_running) GrabKeys();  // only once back in the foreground
    errno = savedErrno;
}

struct SignalHandler {
    int number;
    void (*handler)(int);
};

// Every signal whose default action ends the process gives the terminal
// back first; SIGKILL cannot be caught, and SIGXFSZ and SIGPIPE are ignored
// from start-up so that the write fails and is reported.
const SignalHandler kHandlers[] = {
    {SIGINT, OnInterrupt},       {SIGTSTP, OnStop},          {SIGCONT, OnContinue},
    {SIGTERM, OnEndingSignal},   {SIGHUP, OnEndingSignal},   {SIGQUIT, OnEndingSignal},
    {SIGUSR1, OnEndingSignal},   {SIGUSR2, OnEndingSignal},
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
    GrabKeys();
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

void NoteCancelled() { g_cancelled = true; }

void CountError() { g_errors++; }

bool TakeInterrupt()
{
    if (!g_interrupted) return false;
    g_interrupted = 0;
    return true;
}

bool CanReadKeys() { return g_keysTaken && IsForeground(); }

void SetLineOpen(bool open) { g_lineOpen = open; }

void EndStatusLine()
{
    fflush(stderr);
    WriteLineEnd();
}
