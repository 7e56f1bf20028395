// The engine's reporting procedures, as the window provides them, and what
// the window shows of a page's work while it runs.
#include "status.h"

#include <commctrl.h>
#include <shobjidl.h>
#include <stdio.h>
#include <string.h>

#include "../engine/messages.h"
#include "../engine/platform.h"
#include "../resources/ids.h"

// The percentage changes at most this often: enough to see it move, too
// rarely to slow the work.
const DWORD PROGRESS_INTERVAL_MS = 250;
// The taskbar button's progress counts hundredths of a percent.
const int PROGRESS_SCALE = 10000;
// Windows repainted at one look at most: one that never validates itself
// cannot hold up the work.
const int PAINTS_PER_LOOK = 64;
// System keys and commands that one look puts back for after the work.
const int KEPT_PER_LOOK = 8;
// The probe looks at all that waits at least this often: what comes in the
// middle of a look hides from the next question, and the system takes a
// window that has not looked for 5 s for hung.
const DWORD FULL_LOOK_INTERVAL_MS = 250;

// The status line; one instance.
struct StatusLine {
    HWND owner;               // its control IDC_STATUS is the status line
    HWND tip;                 // shows a text that the line cuts short
    char text[MESSAGE_SIZE + PATH_SIZE];  // the text set last, without a percentage
    bool running;  // it is a running step's, which work's percentage follows
    DWORD lookedAt;           // when the probe last looked at all that waits
};
static StatusLine g_status;

// The work that a page runs, from BeginWork to EndWork.
struct Work {
    int passes;        // 0 while no work runs
    int pass;          // the pass reported last
    int copying;       // its kind: 1 a copy, 0 a checksum pass, -1 none yet
    int done;          // how far the whole work is, in PROGRESS_SCALE
    bool shown;        // once it has been shown
    DWORD shownAt;     // when it was shown last
    bool failed;       // an error message was shown
    bool cancelAsked;  // by a close command
    char percentFormat[MESSAGE_SIZE];  // loaded by BeginWork
};
static Work g_work;

// The taskbar button's progress (Windows 7 on), asked for at the first work.
struct TaskbarButton {
    ITaskbarList3 *list;
    bool asked, comStarted;
    bool red;  // since an error, until the status line is cleared or new work begins
};
static TaskbarButton g_taskbar;

static HWND GetStatusBar() { return GetDlgItem(g_status.owner, IDC_STATUS); }

static void DescribeStatusTool(TOOLINFOA *tool, const char *text)
{
    memset(tool, 0, sizeof *tool);
    tool->cbSize = TTTOOLINFOA_V2_SIZE;  // understood by every version of the control
    tool->uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool->hwnd = g_status.owner;
    tool->uId = (UINT_PTR)GetStatusBar();
    tool->lpszText = (char *)text;
}

// A tooltip of the program's own: the status bar's built-in one
// (SBT_TOOLTIPS) shows nothing on some systems. It watches the mouse over
// the line itself, and wraps a long name at the window's width.
static HWND MakeStatusTip()
{
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, NULL, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0,
                               g_status.owner, NULL, NULL, NULL);
    if (!tip) return NULL;
    TOOLINFOA tool;
    DescribeStatusTool(&tool, "");
    SendMessageA(tip, TTM_ADDTOOLA, 0, (LPARAM)&tool);
    RECT window;
    GetWindowRect(g_status.owner, &window);
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, window.right - window.left);
    return tip;
}

void SetStatusWindow(HWND mainWindow)
{
    g_status.owner = mainWindow;
    // Owned by the main window, it goes with it.
    g_status.tip = MakeStatusTip();
}

// True when the status line cannot show all of `line`.
static bool IsCutShort(HWND status, const char *line)
{
    HDC dc = GetDC(status);
    if (!dc) return false;
    HFONT font = (HFONT)SendMessageA(status, WM_GETFONT, 0, 0);
    HGDIOBJ previous = font ? SelectObject(dc, font) : NULL;
    SIZE size = {0, 0};
    TEXTMETRICA metrics;
    bool measured = GetTextExtentPoint32A(dc, line, lstrlenA(line), &size) && GetTextMetricsA(dc, &metrics);
    if (previous) SelectObject(dc, previous);
    ReleaseDC(status, dc);
    RECT part;
    // The line keeps a margin inside its frame; a character's width covers it.
    return measured && SendMessageA(status, SB_GETRECT, 0, (LPARAM)&part) &&
           size.cx > part.right - part.left - metrics.tmAveCharWidth;
}

// Shows `line` (with its leading blank) at once: work blocks the message
// loop, so nothing else would paint it. The tooltip holds it whole while
// the line cuts it short, and nothing otherwise; while work runs no tip can
// show, so EndWork sets it for the text the work ends with.
static void ShowLine(const char *line)
{
    HWND status = GetStatusBar();
    if (!status) return;
    SendMessageA(status, WM_SETTEXT, 0, (LPARAM)line);
    UpdateWindow(status);
    if (g_work.passes) return;
    TOOLINFOA tool;
    DescribeStatusTool(&tool, IsCutShort(status, line) ? line + 1 : "");
    SendMessageA(g_status.tip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&tool);
}

// The text set last after its blank. While work runs, a running step's
// text carries how far the whole work is, so that the percentage stays as
// the parts go by.
static void ShowStatusText()
{
    char line[sizeof g_status.text + MESSAGE_SIZE];
    int length = snprintf(line, sizeof line, " %s", g_status.text);
    if (g_work.passes && g_work.shown && g_status.running)
        snprintf(line + length, sizeof line - length, g_work.percentFormat, g_work.done * 100 / PROGRESS_SCALE);
    ShowLine(line);
}

static void SetStatusText(const char *text, bool running)
{
    lstrcpynA(g_status.text, text ? text : "", sizeof g_status.text);
    g_status.running = running;
    ShowStatusText();
}

void SetStatus(const char *text) { SetStatusText(text, false); }

// The taskbar button's progress needs Windows 7; elsewhere there is none,
// and the program does without.
static void AskForTaskbar()
{
    if (g_taskbar.asked) return;
    g_taskbar.asked = true;
    g_taskbar.comStarted = SUCCEEDED(CoInitialize(NULL));
    if (SUCCEEDED(CoCreateInstance(__uuidof(TaskbarList), NULL, CLSCTX_INPROC_SERVER, __uuidof(ITaskbarList3),
                                   (void **)&g_taskbar.list)) &&
        FAILED(g_taskbar.list->HrInit())) {
        g_taskbar.list->Release();
        g_taskbar.list = NULL;
    }
}

void ReleaseTaskbar()
{
    if (g_taskbar.list) g_taskbar.list->Release();
    if (g_taskbar.comStarted) CoUninitialize();
    memset(&g_taskbar, 0, sizeof g_taskbar);
}

static void ShowTaskbarState(TBPFLAG state)
{
    if (g_taskbar.list) g_taskbar.list->SetProgressState(g_status.owner, state);
    g_taskbar.red = state == TBPF_ERROR;
}

void ClearStatus()
{
    SetStatus(NULL);
    if (g_taskbar.red) ShowTaskbarState(TBPF_NOPROGRESS);
}

void BeginWork(int passes)
{
    memset(&g_work, 0, sizeof g_work);
    g_work.passes = passes;
    g_work.copying = -1;
    LoadMessage(MSG_PERCENT_DONE, g_work.percentFormat, sizeof g_work.percentFormat);
    SendMessageA(g_status.tip, TTM_POP, 0, 0);
    AskForTaskbar();
    if (g_taskbar.red) ShowTaskbarState(TBPF_NOPROGRESS);
}

void EndWork()
{
    // A refusal, before any progress: the whole button turns red.
    if (g_work.failed && !g_work.shown && g_taskbar.list) g_taskbar.list->SetProgressValue(g_status.owner, 1, 1);
    ShowTaskbarState(g_work.failed ? TBPF_ERROR : TBPF_NOPROGRESS);
    g_work.passes = 0;
    ShowStatusText();
}

// The status text of an engine event, as the status line shows it (without
// its leading blank): the catalogue message with its figures filled in,
// followed by what it names.
static void FormatReport(const EngineEvent *event, char *text, int size)
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
    SetStatusText(text, true);
}

void ReportOutcome(const EngineEvent *event)
{
    char text[sizeof g_status.text];
    FormatReport(event, text, sizeof text);
    SetStatus(text);
}

// The status line has room for the text alone: it names no file and no
// reason, as the window has always shown its errors. An error while work
// runs turns the taskbar button red at its end.
void ReportFailure(const EngineEvent *event)
{
    ReportOutcome(event);
    MessageBeep(0);
    g_work.failed = true;
}

// The console names such files; the window keeps quiet.
void NoteNotDeleted(const char *, int) {}
void NoteNotCopied(const char *, int) {}
void NoteUnverified(const char *) {}

// The whole work's progress: every pass goes over the same bytes, a copy
// (with parts) and a checksum pass (without) alike.
void ReportProgress(int, int parts, int64_t done, int64_t total)
{
    if (!g_work.passes || total <= 0) return;
    int copying = parts > 0;
    if (copying != g_work.copying) {
        if (g_work.copying >= 0 && g_work.pass + 1 < g_work.passes) g_work.pass++;
        g_work.copying = copying;
    }
    if (done > total) done = total;
    g_work.done = (int)((g_work.pass * (int64_t)PROGRESS_SCALE + done * PROGRESS_SCALE / total) / g_work.passes);
    DWORD now = GetTickCount();
    if (g_work.shown && now - g_work.shownAt < PROGRESS_INTERVAL_MS) return;
    g_work.shown = true;
    g_work.shownAt = now;
    ShowStatusText();
    if (g_taskbar.list) g_taskbar.list->SetProgressValue(g_status.owner, g_work.done, PROGRESS_SCALE);
}

bool CancelRunningWork()
{
    if (!g_work.passes) return false;
    g_work.cancelAsked = true;
    return true;
}

// The close box, Alt+F4, and a close posted by a window manager or another
// program ask what ESC asks while work runs.
static const UINT kCloseKinds[] = {WM_NCLBUTTONDOWN, WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE};

static bool IsCloseRequest(const MSG *message)
{
    switch (message->message) {
    case WM_NCLBUTTONDOWN: return message->wParam == HTCLOSE;
    case WM_SYSKEYDOWN: return message->wParam == VK_F4;
    case WM_SYSCOMMAND: return (message->wParam & 0xFFF0) == SC_CLOSE;
    case WM_CLOSE: return true;
    }
    return false;
}

// Takes the waiting messages `kind` out of the queue up to the first close
// request; true when there was one. Clicks on the frame are dropped as
// keys are; system keys (Alt+J) and the rest go back for after the work,
// but Alt alone, which would then open the menu.
static bool TakeCloseRequest(UINT kind)
{
    MSG message, kept[KEPT_PER_LOOK];
    int count = 0;
    bool close = false;
    while (!close && PeekMessageW(&message, NULL, kind, kind, PM_REMOVE)) {
        close = IsCloseRequest(&message);
        bool keep = kind != WM_NCLBUTTONDOWN && !(kind == WM_SYSKEYDOWN && message.wParam == VK_MENU);
        if (!close && keep && count < KEPT_PER_LOOK) kept[count++] = message;
    }
    for (int i = 0; i < count; i++) PostMessageW(kept[i].hwnd, kind, kept[i].wParam, kept[i].lParam);
    return close;
}

// While work runs the window only paints: uncovered, it shows again.
static void PaintWaitingWindows()
{
    MSG message;
    for (int i = 0; i < PAINTS_PER_LOOK && PeekMessageW(&message, NULL, WM_PAINT, WM_PAINT, PM_REMOVE); i++)
        DispatchMessageW(&message);
}

// The first thing the probe asks the system is what has come since its
// last look: mostly nothing, and a question costs about what a look into
// the queue costs. Every look also answers the messages that other
// threads and programs send.
bool CancelProbe()
{
    DWORD queued = GetQueueStatus(QS_KEY | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_PAINT | QS_SENDMESSAGE);
    DWORD now = GetTickCount();
    bool due = now - g_status.lookedAt >= FULL_LOOK_INTERVAL_MS;
    DWORD waiting = due ? HIWORD(queued) : LOWORD(queued);
    if (!waiting && !due && !g_work.cancelAsked) return false;
    if (due) g_status.lookedAt = now;
    bool cancel = false;
    if (waiting & (QS_KEY | QS_MOUSEBUTTON | QS_POSTMESSAGE))
        for (UINT kind : kCloseKinds) cancel = cancel || TakeCloseRequest(kind);
    if (waiting & QS_PAINT) PaintWaitingWindows();
    // ESC last: a key that comes after this look shows as new at the next.
    MSG message;
    while (!cancel && PeekMessageA(&message, NULL, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE))
        cancel = message.wParam == VK_ESCAPE;
    // Any other key-down pressed during an operation is dropped.
    cancel = cancel || g_work.cancelAsked;
    g_work.cancelAsked = false;
    if (cancel) ShowOutcome(MSG_CANCELLED);
    return cancel;
}

void *ShowWaitCursor() { return SetCursor(LoadCursor(NULL, IDC_WAIT)); }

void RestoreCursor(void *previous) { SetCursor((HCURSOR)previous); }
