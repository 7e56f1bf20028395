// Start-up, the message loop and shutdown; the main window's commands, the
// page switch, and opening paths that come from outside.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../engine/discovery.h"
#include "../engine/split.h"
#include "about_help.h"
#include "app.h"
#include "controls.h"
#include "long_path.h"
#include "pages.h"
#include "status.h"

App g_app;

static void AddTab(int index, int label)
{
    char text[MESSAGE_SIZE];
    TCITEMA item;
    memset(&item, 0, sizeof item);
    item.mask = TCIF_TEXT;
    item.pszText = LoadMessage(label, text, sizeof text);
    SendMessageA(g_app.tabControl, TCM_INSERTITEMA, index, (LPARAM)&item);
}

// Dialogs are made through the wide entry points so that their Chinese
// captions survive any ANSI code page; every other text stays narrow.
static HWND MakePage(int templateId, DLGPROC procedure)
{
    return CreateDialogParamW(g_app.instance, MAKEINTRESOURCEW(templateId), g_app.tabControl, procedure, 0);
}

void GetProgramFolder(char *folder)
{
    char path[PATH_SIZE] = "";
    GetProgramPath(path, sizeof path);
    CopyFolderPart(path, folder);
}

// The first name the search offers, as the start-up search takes it.
static void KeepFirstName(const char *name, void *context)
{
    char *first = (char *)context;
    if (!first[0]) lstrcpynA(first, name, NAME_SIZE);
}

// Started without arguments: a first part lying beside the program is
// offered for joining.
static void OpenFirstPartBesideProgram()
{
    char folder[PATH_SIZE], name[NAME_SIZE] = "";
    GetProgramFolder(folder);
    if (!ListFolder(folder, "*.001", KeepFirstName, name) || !name[0]) return;
    char path[PATH_SIZE];
    if (MakePartPath(folder, name, path) && !IsFolderPath(path)) OpenPath(path, true);
}

static void OpenCommandLine(int argumentCount, char **arguments)
{
    if (argumentCount < 1) {
        OpenFirstPartBesideProgram();
        return;
    }
    char expanded[PATH_SIZE];
    OpenPath(ExpandLongPath(arguments[0], expanded), argumentCount > 1);
}

HWND StartProgram(HINSTANCE instance, int argumentCount, char **arguments)
{
    g_app.instance = instance;
    g_app.osVersion.dwOSVersionInfoSize = sizeof g_app.osVersion;
    GetVersionExA(&g_app.osVersion);
    InitCommonControls();
    g_app.richEdit = LoadRichEdit();
    g_app.mainWindow = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), NULL, MainDialogProc, 0);
    if (!g_app.mainWindow) return NULL;
    SetStatusWindow(g_app.mainWindow);
    g_app.accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    MakeAboutFonts();
    g_app.tabControl = GetDlgItem(g_app.mainWindow, IDC_TABS);
    AddTab(SPLIT_PAGE, MSG_TAB_SPLIT);
    AddTab(JOIN_PAGE, MSG_TAB_JOIN);
    g_app.splitPage = MakePage(IDD_SPLIT_PAGE, SplitPageProc);
    g_app.joinPage = MakePage(IDD_JOIN_PAGE, JoinPageProc);
    g_app.page = JOIN_PAGE;  // differs, so the first switch runs in full
    SwitchPage(SPLIT_PAGE);
    SetItemText(g_app.splitPage, IDC_SPLIT_SIZE, DEFAULT_PART_SIZE_TEXT);
    OpenCommandLine(argumentCount, arguments);
    DragAcceptFiles(g_app.mainWindow, TRUE);
    return g_app.mainWindow;
}

// The loop is wide, like the windows: a narrow loop would hand typed
// characters over in the ANSI code page, and one that needs more than two
// bytes there (any in UTF-8 beyond Latin) would arrive as '?'.
void HandleLoopMessage(MSG *message)
{
    if (TranslateAcceleratorW(g_app.mainWindow, g_app.accelerators, message)) return;
    if (IsDialogMessageW(g_app.page == SPLIT_PAGE ? g_app.splitPage : g_app.joinPage, message)) return;
    // A window outside the dialogs, the status line's tooltip, gets its own
    // (its timer, above all) directly.
    if (!IsDialogMessageW(g_app.mainWindow, message)) DispatchMessageW(message);
}

int RunMessageLoop()
{
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) HandleLoopMessage(&message);
    return (int)message.wParam;
}

void ShutDownProgram()
{
    if (g_app.richEdit) FreeLibrary(g_app.richEdit);
    ReleaseTaskbar();
    ClearNameList(&g_app.joinSet.names);
    DeleteAboutFonts();
    DestroyWindow(g_app.splitPage);
    DestroyWindow(g_app.joinPage);
    DestroyWindow(g_app.mainWindow);
    g_app.richEdit = NULL;
    g_app.splitPage = g_app.joinPage = g_app.tabControl = g_app.mainWindow = NULL;
}

void SwitchPage(int page)
{
    if (page == g_app.page) return;
    g_app.page = (BYTE)page;
    ShowWindow(g_app.splitPage, page == SPLIT_PAGE ? SW_SHOW : SW_HIDE);
    ShowWindow(g_app.joinPage, page == SPLIT_PAGE ? SW_HIDE : SW_SHOW);
    SetFocus(page == SPLIT_PAGE ? g_app.splitPage : g_app.joinPage);
    // Posted: the tab follows when the loop next runs.
    PostMessageA(g_app.tabControl, TCM_SETCURSEL, page, 0);
    ClearStatus();
}

void OpenPath(const char *path, bool join)
{
    if (join || LooksLikePart(path)) {
        SwitchPage(JOIN_PAGE);
        DiscoverParts(path);
        ApplyJoinRule();
        return;
    }
    SwitchPage(SPLIT_PAGE);
    SetItemTextAndSelect(g_app.splitPage, IDC_SPLIT_FILE, path);
}

static void ShowModal(int templateId, DLGPROC procedure)
{
    DialogBoxParamW(g_app.instance, MAKEINTRESOURCEW(templateId), g_app.mainWindow, procedure, 0);
}

static void SetMainIcon(HWND dialog)
{
    SetClassLongPtrA(dialog, GCLP_HICON, (LONG_PTR)LoadIconA(g_app.instance, "MAINICON"));
}

static void OnTabNotification(const NMHDR *header)
{
    if (header->idFrom != IDC_TABS || header->code != (UINT)TCN_SELCHANGE) return;
    LRESULT selected = SendMessageA(g_app.tabControl, TCM_GETCURSEL, 0, 0);
    if (selected == SPLIT_PAGE || selected == JOIN_PAGE) SwitchPage((int)selected);
}

// Only the first dropped file is opened; several go to the join page. Its
// name is taken whole, whatever its length, as from the command line.
static void OpenDroppedFiles(HDROP drop)
{
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, NULL, 0);
    UINT length = DragQueryFileA(drop, 0, NULL, 0);
    char *path = (char *)malloc(length + 1);
    if (path) {
        path[0] = '\0';
        DragQueryFileA(drop, 0, path, length + 1);
    }
    DragFinish(drop);
    if (!path) {
        ShowError(MSG_OUT_OF_MEMORY);
        return;
    }
    OpenPath(path, count > 1);
    free(path);
    SetForegroundWindow(g_app.mainWindow);
}

static void OnMainCommand(WORD command)
{
    switch (command) {
    case IDM_EXIT: PostQuitMessage(1); break;
    case IDM_HELP: ShowModal(IDD_HELP, HelpDialogProc); break;
    case IDM_ABOUT: ShowModal(IDD_ABOUT, AboutDialogProc); break;
    case IDM_SHOW_SPLIT: SwitchPage(SPLIT_PAGE); break;
    case IDM_SHOW_JOIN: SwitchPage(JOIN_PAGE); break;
    case IDM_OTHER_PAGE: SwitchPage(g_app.page == SPLIT_PAGE ? JOIN_PAGE : SPLIT_PAGE); break;
    }
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: SetMainIcon(dialog); return TRUE;
    case WM_COMMAND: OnMainCommand(LOWORD(wParam)); return TRUE;
    case WM_NOTIFY: OnTabNotification((const NMHDR *)lParam); return TRUE;
    case WM_DROPFILES: OpenDroppedFiles((HDROP)wParam); return TRUE;
    // Sent while work runs, a close cancels it; the window stays to say so.
    case WM_CLOSE: return CancelRunningWork();
    }
    return FALSE;
}
