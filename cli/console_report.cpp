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
// the progress is drawn after it; elsewhere a text is written only when it
// differs from this.
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

// A status text as this console shows it: without the ESC hint where ESC
// cannot be read, and (for `step`) without the part number at its end.
void PrepareText(const char *text, char *shown, char *step)
{
    char hint[MESSAGE_SIZE];
    LoadMessage(MSG_ESC_HINT, hint, sizeof hint);
    const char *at = hint[0] && !(g_keysTaken && IsForeground()) ? strstr(text, hint) : NULL;
    if (at)
        snprintf(shown, MESSAGE_SIZE, "%.*s%s", (int)(at - text), text, at + strlen(hint));
    else
        snprintf(shown, MESSAGE_SIZE, "%s", text);
    size_t length = strlen(shown);
    while (length > 0 && shown[length - 1] >= '0' && shown[length - 1] <= '9') length--;
    snprintf(step, MESSAGE_SIZE, "%.*s", (int)length, shown);
}

void DrawLine(const char *text)
{
    fprintf(stderr, "\r\033[K%s", text);
    fflush(stderr);
    g_lineOpen = text[0] != '\0';
    clock_gettime(CLOCK_MONOTONIC, &g_lastDrawn);
    g_drawn = true;
}

// An error in the program's one shape; the catalogue's "Error: " lead and
// closing stop go, since the file's name comes first and the reason after.
void ShowErrorLine(const char *message, const char *path, int systemError)
{
    const char kLead[] = "Error: ";
    if (!strncmp(message, kLead, sizeof kLead - 1)) message += sizeof kLead - 1;
    char text[MESSAGE_SIZE];
    snprintf(text, sizeof text, "%s", message);
    size_t length = strlen(text);
    if (length > 0 && (text[length - 1] == '.' || text[length - 1] == '!')) text[length - 1] = '\0';
    char reason[MESSAGE_SIZE] = "";
    if (path && path[0]) DescribeFault(path, systemError, reason, sizeof reason);
    ReportError(path && path[0] ? path : NULL, reason, "%s", EscapeControls(text));
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

void SetStatus(const char *text)
{
    if (!text) text = "";
    if (g_quiet || !text[0]) return;
    char shown[MESSAGE_SIZE], step[MESSAGE_SIZE];
    // A status text may carry a part's name.
    PrepareText(EscapeControls(text), shown, step);
    bool sameStep = !strcmp(step, g_step);
    if (!sameStep) {
        snprintf(g_step, sizeof g_step, "%s", step);
        clock_gettime(CLOCK_MONOTONIC, &g_stepStart);
        g_drawn = false;
    }
    if (!IsStatusOnTerminal()) {
        // One line for each step, with the trailing blank of a numbered text gone.
        size_t length = strlen(step);
        while (length > 0 && step[length - 1] == ' ') length--;
        if (!sameStep) fprintf(stderr, "%.*s\n", (int)length, step);
        fflush(stderr);
        return;
    }
    // The next part of the same step is for the progress to show.
    if (!sameStep || !g_drawn || SecondsSince(g_lastDrawn) >= kDrawInterval) DrawLine(shown);
}

void ReportProgress(int part, int parts, int64_t done, int64_t total)
{
    if (g_quiet || !g_step[0] || !IsStatusOnTerminal() || total <= 0) return;
    if (g_drawn && SecondsSince(g_lastDrawn) < kDrawInterval) return;
    char line[MESSAGE_SIZE + 96];
    size_t length = strlen(g_step);
    int used = snprintf(line, sizeof line, "%s%s", g_step, length && g_step[length - 1] != ' ' ? " " : "");
    if (parts > 0) used += snprintf(line + used, sizeof line - used, "part %d of %d, ", part, parts);
    used += snprintf(line + used, sizeof line - used, "%d%%", (int)(done * 100 / total));
    double seconds = SecondsSince(g_stepStart);
    if (seconds >= kDrawInterval)
        snprintf(line + used, sizeof line - used, ", %.1f MB/s", (double)done / 1e6 / seconds);
    DrawLine(line);
}

void ReportFailure(const char *text, const char *path, int systemError)
{
    ShowErrorLine(text ? text : "", path, systemError);
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
