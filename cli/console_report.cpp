// The engine's reporting procedures for a console: status texts on stderr
// (on a terminal one line rewritten in place, with the progress; elsewhere a
// line for each step and one for the result), errors in the program's one
// shape, the terminal bell, and a cancel probe fed by ESC on the terminal
// and by Ctrl-C.
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "commands.h"
#include "console.h"
#include "console_texts.h"
#include "quoting.h"
#include "engine/unfinished.h"
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
int g_stderrIsTerminal = -1;  // -1 until first asked
bool g_quiet;

// The running step as last shown, without its part number: on a terminal
// the progress is drawn after it; elsewhere a step is written only when it
// begins.
int g_stepMessage;  // 0: none
char g_step[MESSAGE_SIZE];
timespec g_stepStart, g_lastDrawn;
bool g_drawn;  // something was drawn since the step began

// The terminal line is redrawn at most this often.
const double kDrawInterval = 0.1;

double SecondsSince(const timespec &then)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)(now.tv_sec - then.tv_sec) + (now.tv_nsec - then.tv_nsec) / 1e9;
}

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

// Leaves with the terminal as it was and without a half-written join, then
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

void EndStatusLine()
{
    fflush(stderr);
    WriteLineEnd();
}

void NoteNotDeleted(const char *path, int systemError)
{
    char reason[MESSAGE_SIZE];
    DescribeFault(path, systemError, reason, sizeof reason);
    g_errors++;
    ReportError(path, reason, "can't delete");
}

void SetQuiet(bool quiet) { g_quiet = quiet; }

bool IsStatusOnTerminal()
{
    if (g_stderrIsTerminal < 0) {
        const char *terminal = getenv("TERM");
        g_stderrIsTerminal = isatty(STDERR_FILENO) && !(terminal && !strcmp(terminal, "dumb")) ? 1 : 0;
    }
    return g_stderrIsTerminal == 1;
}

void ShowNote(const char *text)
{
    if (g_quiet) return;
    EndStatusLine();
    fprintf(stderr, "%s\n", text);
    fflush(stderr);
}

namespace {

void DrawLine(const char *text)
{
    fprintf(stderr, "\r\033[K%s", text);
    fflush(stderr);
    g_lineOpen = text[0] != '\0';
    clock_gettime(CLOCK_MONOTONIC, &g_lastDrawn);
    g_drawn = true;
}

// The console's words for an event, its figures filled in. A name a text
// carries may hold control characters: they are escaped.
void WordEvent(const EngineEvent *event, char *text, size_t size)
{
    const char *words = FindConsoleText(event->message);
    if (event->message == MSG_NO_ROOM)
        snprintf(text, size, words, (long long)event->figures[0], (long long)event->figures[1]);
    else
        snprintf(text, size, "%s", words);
}

// A line about a file in the program's one shape: "partello: 'NAME': what
// (reason)", the reason only where a system call failed or the entry is no
// regular file.
void WriteFileLine(const EngineEvent *event)
{
    char what[MESSAGE_SIZE], reason[MESSAGE_SIZE] = "";
    WordEvent(event, what, sizeof what);
    if (event->path) DescribeFault(event->path, event->systemError, reason, sizeof reason);
    ReportError(event->path, reason, "%s", what);
}

}  // namespace

// A join that no checksum file could prove whole says so, even when it
// otherwise succeeded.
void NoteUnverified(const char *checksumPath)
{
    char text[MESSAGE_SIZE + PATH_SIZE];
    snprintf(text, sizeof text, "partello: the join was not checked: there is no %s", QuoteName(checksumPath));
    ShowNote(text);
}

// On a terminal the step is one line, rewritten in place with its progress;
// elsewhere each step is written once, when it begins.
void ReportStep(int message, int part)
{
    if (g_quiet) return;
    bool sameStep = message == g_stepMessage;
    if (!sameStep) {
        g_stepMessage = message;
        clock_gettime(CLOCK_MONOTONIC, &g_stepStart);
        g_drawn = false;
    }
    bool escapeRead = g_keysTaken && IsForeground();
    snprintf(g_step, sizeof g_step, "%s%s ...", FindConsoleText(message), escapeRead ? " (ESC to cancel)" : "");
    if (!IsStatusOnTerminal()) {
        if (!sameStep) fprintf(stderr, "%s\n", g_step);
        fflush(stderr);
        return;
    }
    // The next part of the same step is for the progress to show.
    if (sameStep && g_drawn && SecondsSince(g_lastDrawn) < kDrawInterval) return;
    char line[MESSAGE_SIZE + 24];
    snprintf(line, sizeof line, part > 0 ? "%s %d" : "%s", g_step, part);
    DrawLine(line);
}

void ReportProgress(int part, int parts, int64_t done, int64_t total)
{
    if (g_quiet || !g_step[0] || !IsStatusOnTerminal() || total <= 0) return;
    if (g_drawn && SecondsSince(g_lastDrawn) < kDrawInterval) return;
    char line[MESSAGE_SIZE + 96];
    int used = snprintf(line, sizeof line, "%s ", g_step);
    if (parts > 0) used += snprintf(line + used, sizeof line - used, "part %d of %d, ", part, parts);
    used += snprintf(line + used, sizeof line - used, "%d%%", (int)(done * 100 / total));
    double seconds = SecondsSince(g_stepStart);
    if (seconds >= kDrawInterval)
        snprintf(line + used, sizeof line - used, ", %.1f MB/s", (double)done / 1e6 / seconds);
    DrawLine(line);
}

// A result ends the running step. One about a file is a note in the
// program's one shape.
void ReportOutcome(const EngineEvent *event)
{
    g_stepMessage = 0;
    g_step[0] = '\0';
    if (g_quiet) return;
    if (event->path) {
        EndStatusLine();
        WriteFileLine(event);
        return;
    }
    char text[MESSAGE_SIZE];
    WordEvent(event, text, sizeof text);
    if (IsStatusOnTerminal()) {
        DrawLine(text);
        return;
    }
    fprintf(stderr, "%s\n", text);
    fflush(stderr);
}

void ReportFailure(const EngineEvent *event)
{
    EndStatusLine();
    WriteFileLine(event);
    g_errors++;
}

void NoteNotCopied(const char *path, int systemError)
{
    EndStatusLine();
    char reason[MESSAGE_SIZE];
    if (path)
        DescribeFault(path, systemError, reason, sizeof reason);
    else
        snprintf(reason, sizeof reason, "%s", strerror(systemError));
    ReportError(path, reason, "%s", path ? "can't copy the program; the parts are written" : "can't find this program's file to copy");
    g_errors++;
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
    ShowOutcome(MSG_CANCELLED);
    return true;
}

// A console has no wait cursor; the running status line says enough.
void *ShowWaitCursor() { return NULL; }

void RestoreCursor(void *) {}
