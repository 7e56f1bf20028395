// The engine's reporting procedures for a console: its events in the
// console's own words (console_texts.h) on stderr, running steps on a
// terminal as one line rewritten in place with the progress (elsewhere a
// line for each step and one for the result), errors and notes about a
// file in the program's one shape, and a cancel probe fed by ESC on the
// terminal and by Ctrl-C.
#include "console_report.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "console_texts.h"
#include "errors.h"
#include "keys.h"
#include "operation.h"
#include "quoting.h"
#include "engine/messages.h"
#include "engine/platform.h"
#include "engine/report.h"

namespace {

int g_stderrIsTerminal = -1;  // -1 until first asked
bool g_quiet;
bool g_outputClosed;

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

// Whether the running texts go to a terminal that takes control sequences
// (stderr is one, and TERM is not "dumb"), as one line rewritten in place.
bool IsStatusOnTerminal()
{
    if (g_stderrIsTerminal < 0) {
        const char *terminal = getenv("TERM");
        g_stderrIsTerminal = isatty(STDERR_FILENO) && !(terminal && !strcmp(terminal, "dumb")) ? 1 : 0;
    }
    return g_stderrIsTerminal == 1;
}

}  // namespace

void NoteNotDeleted(const char *path, int systemError)
{
    char reason[MESSAGE_SIZE];
    DescribeFault(path, systemError, reason, sizeof reason);
    CountError();
    ReportError(path, reason, "can't delete");
}

void SetQuiet(bool quiet) { g_quiet = quiet; }

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
    SetLineOpen(text[0] != '\0');
    clock_gettime(CLOCK_MONOTONIC, &g_lastDrawn);
    g_drawn = true;
}

// The console's words for an event, its figures filled in.
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
    snprintf(g_step, sizeof g_step, "%s%s ...", FindConsoleText(message), CanReadKeys() ? " (ESC to cancel)" : "");
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

bool StandardOutputClosed() { return g_outputClosed; }

void ReportFailure(const EngineEvent *event)
{
    CountError();
    // A reader that left a pipe ends the command as it would end cat.
    if (event->systemError == EPIPE && event->path && !strcmp(event->path, kStandardOutput)) {
        g_outputClosed = true;
        return;
    }
    WriteFileLine(event);
}

void NoteNotCopied(const char *path, int systemError)
{
    char reason[MESSAGE_SIZE];
    if (path)
        DescribeFault(path, systemError, reason, sizeof reason);
    else
        snprintf(reason, sizeof reason, "%s", strerror(systemError));
    CountError();
    ReportError(path, reason, "%s",
                path ? "can't copy the program; the parts are written" : "can't find this program's file to copy");
}

bool CancelProbe()
{
    bool cancel = TakeInterrupt() || (CanReadKeys() && ReadEscapeKey(STDIN_FILENO));
    if (!cancel) return false;
    NoteCancelled();
    ShowOutcome(MSG_CANCELLED);
    return true;
}

// A console has no wait cursor; the running status line says enough.
void *ShowWaitCursor() { return NULL; }

void RestoreCursor(void *) {}
