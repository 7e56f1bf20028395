// The engine's reporting procedures, as the window provides them.
#include "status.h"

#include <stdio.h>

#include "../engine/messages.h"
#include "../engine/platform.h"
#include "../engine/report.h"
#include "../resources/ids.h"

static HWND g_statusOwner;

void SetStatusWindow(HWND mainWindow) { g_statusOwner = mainWindow; }

void SetStatus(const char *text)
{
    char line[MESSAGE_SIZE + 2] = " ";
    if (text) lstrcpynA(line + 1, text, sizeof line - 1);
    SendDlgItemMessageA(g_statusOwner, IDC_STATUS, WM_SETTEXT, 0, (LPARAM)line);
    // Operations block the message loop, so paint now rather than on the
    // next WM_PAINT that nobody dispatches.
    HWND status = GetDlgItem(g_statusOwner, IDC_STATUS);
    if (status) UpdateWindow(status);
}

void ClearStatus() { SetStatus(NULL); }

void FormatReport(const EngineEvent *event, char *text, int size)
{
    char message[MESSAGE_SIZE];
    LoadMessage(event->message, message, sizeof message);
    int length = event->message == MSG_NO_ROOM
                     ? snprintf(text, size, message, (long long)event->figures[0], (long long)event->figures[1])
                     : snprintf(text, size, "%s", message);
    if (event->subject && length >= 0 && length < size) snprintf(text + length, size - length, "%s", event->subject);
}

void ReportStep(int message, int part)
{
    char text[MESSAGE_SIZE + 24];
    LoadMessage(message, text, MESSAGE_SIZE);
    if (part > 0) wsprintfA(text + lstrlenA(text), "%d", part);
    SetStatus(text);
}

void ReportOutcome(const EngineEvent *event)
{
    char text[MESSAGE_SIZE + PATH_SIZE];
    FormatReport(event, text, sizeof text);
    SetStatus(text);
}

// The status line has room for the text alone: it names no file and no
// reason, as the window has always shown its errors.
void ReportFailure(const EngineEvent *event)
{
    ReportOutcome(event);
    MessageBeep(0);
}

// What a verified join could not delete and a program copy that failed
// stay silent here.
void NoteNotDeleted(const char *, int) {}
void NoteNotCopied(const char *, int) {}
void NoteUnverified(const char *) {}

// The status line keeps the engine's texts; progress in between is not shown.
void ReportProgress(int, int, int64_t, int64_t) {}

bool CancelProbe()
{
    MSG message;
    while (PeekMessageA(&message, NULL, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        if (message.wParam == VK_ESCAPE) {
            ShowOutcome(MSG_CANCELLED);
            return true;
        }
        // Any other key-down pressed during an operation is dropped.
    }
    return false;
}

void *ShowWaitCursor() { return SetCursor(LoadCursor(NULL, IDC_WAIT)); }

void RestoreCursor(void *previous) { SetCursor((HCURSOR)previous); }
