// The engine's reporting procedures for a console: status texts on stderr
// (on a terminal one line rewritten in place, with the progress; elsewhere a
// line for each step and one for the result), errors in the program's one
// shape, the terminal bell, and a cancel probe fed by ESC on the terminal
// and by Ctrl-C.
#include "console_report.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

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

// A status text as this console shows it: without the ESC hint where ESC
// cannot be read, and (for `step`) without the part number at its end.
void PrepareText(const char *text, char *shown, char *step)
{
    char hint[MESSAGE_SIZE];
    LoadMessage(MSG_ESC_HINT, hint, sizeof hint);
    const char *at = hint[0] && !CanReadKeys() ? strstr(text, hint) : NULL;
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
    SetLineOpen(text[0] != '\0');
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

bool StandardOutputClosed() { return g_outputClosed; }

void ReportFailure(const char *text, const char *path, int systemError)
{
    if (systemError == EPIPE && path && !strcmp(path, kStandardOutput)) {
        g_outputClosed = true;
        CountError();
        return;
    }
    ShowErrorLine(text ? text : "", path, systemError);
    CountError();
    if (IsStatusOnTerminal()) {
        fputs("\a", stderr);
        fflush(stderr);
    }
}

bool CancelProbe()
{
    bool cancel = TakeInterrupt() || (CanReadKeys() && ReadEscapeKey(STDIN_FILENO));
    if (!cancel) return false;
    NoteCancelled();
    ShowMessage(MSG_CANCELLED);
    return true;
}

// A console has no wait cursor; the running status line says enough.
void *ShowWaitCursor() { return NULL; }

void RestoreCursor(void *) {}
