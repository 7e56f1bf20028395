// The engine's reporting procedures, as the window provides them.
#include "status.h"

#include "../engine/messages.h"
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

// The status line has room for the text alone, and a failed delete after a
// verified join stays silent here.
void ReportFailure(const char *text, const char *, int)
{
    SetStatus(text);
    MessageBeep(0);
}

void NoteNotDeleted(const char *, int) {}
void NoteUnverified(const char *) {}

// The status line keeps the engine's texts; progress in between is not shown.
void ReportProgress(int, int, int64_t, int64_t) {}

bool CancelProbe()
{
    MSG message;
    while (PeekMessageA(&message, NULL, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        if (message.wParam == VK_ESCAPE) {
            ShowMessage(MSG_CANCELLED);
            return true;
        }
        // Any other key-down pressed during an operation is dropped.
    }
    return false;
}

void *ShowWaitCursor() { return SetCursor(LoadCursor(NULL, IDC_WAIT)); }

void RestoreCursor(void *previous) { SetCursor((HCURSOR)previous); }
