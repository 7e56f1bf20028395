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

HINSTANCE g_instance;
OSVERSIONINFOA g_osVersion;
HMODULE g_richEdit;
HWND g_mainWindow;
HWND g_tabControl;
HWND g_splitPage;
HWND g_joinPage;
HFONT g_titleFont;
HFONT g_linkFont;
HACCEL g_accelerators;
BYTE g_page;

// The About box's fonts: the program's name, and the underlined link. Their
// heights are pixels at 96 dots per inch, scaled to the display's, as the
// dialog units of the box scale with the dialog font.
static HFONT MakeAboutFont(int height, int weight, bool underline)
{
    char face[MESSAGE_SIZE];
    HDC screen = GetDC(NULL);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(NULL, screen);
    return CreateFontA(MulDiv(height, dpi, 96), 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                       0, LoadMessage(MSG_FONT_FACE, face, sizeof face));
}

static void AddTab(int index, int label)
{
    char text[MESSAGE_SIZE];
    TCITEMA item;
    memset(&item, 0, sizeof item);
    item.mask = TCIF_TEXT;
    item.pszText = LoadMessage(label, text, sizeof text);
    SendMessageA(g_tabControl, TCM_INSERTITEMA, index, (LPARAM)&item);
}

// Dialogs are made through the wide entry points so that their Chinese
// captions survive any ANSI code page; every other text stays narrow.
static HWND MakePage(int templateId, DLGPROC procedure)
{
    return CreateDialogParamW(g_instance, MAKEINTRESOURCEW(templateId), g_tabControl, procedure, 0);
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
    int length = snprintf(path, sizeof path, "%s%s", folder, name);
    if (length > 0 && length < PATH_SIZE && !IsFolderPath(path)) OpenPath(path, true);
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
    g_instance = instance;
    g_osVersion.dwOSVersionInfoSize = sizeof g_osVersion;
    GetVersionExA(&g_osVersion);
    InitCommonControls();
    g_richEdit = LoadRichEdit();
    g_mainWindow = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), NULL, MainDialogProc, 0);
    if (!g_mainWindow) return NULL;
    SetStatusWindow(g_mainWindow);
    g_accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    g_titleFont = MakeAboutFont(-28, 800, false);
    g_linkFont = MakeAboutFont(-11, 700, true);
    g_tabControl = GetDlgItem(g_mainWindow, IDC_TABS);
    AddTab(SPLIT_PAGE, MSG_TAB_SPLIT);
    AddTab(JOIN_PAGE, MSG_TAB_JOIN);
    g_splitPage = MakePage(IDD_SPLIT_PAGE, SplitPageProc);
    g_joinPage = MakePage(IDD_JOIN_PAGE, JoinPageProc);
    g_page = JOIN_PAGE;  // differs, so the first switch runs in full
    SwitchPage(SPLIT_PAGE);
    SetItemText(g_splitPage, IDC_SPLIT_SIZE, DEFAULT_PART_SIZE_TEXT);
    OpenCommandLine(argumentCount, arguments);
    DragAcceptFiles(g_mainWindow, TRUE);
    return g_mainWindow;
}

// The loop is wide, like the windows: a narrow loop would hand typed
// characters over in the ANSI code page, and one that needs more than two
// bytes there (any in UTF-8 beyond Latin) would arrive as '?'.
void HandleLoopMessage(MSG *message)
{
    if (TranslateAcceleratorW(g_mainWindow, g_accelerators, message)) return;
    if (IsDialogMessageW(g_page == SPLIT_PAGE ? g_splitPage : g_joinPage, message)) return;
    IsDialogMessageW(g_mainWindow, message);
}

int RunMessageLoop()
{
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) HandleLoopMessage(&message);
    return (int)message.wParam;
}

void ShutDownProgram()
{
    if (g_richEdit) FreeLibrary(g_richEdit);
    DeleteObject(g_titleFont);
    DeleteObject(g_linkFont);
    DestroyWindow(g_splitPage);
    DestroyWindow(g_joinPage);
    DestroyWindow(g_mainWindow);
    g_richEdit = NULL;
    g_titleFont = g_linkFont = NULL;
    g_splitPage = g_joinPage = g_tabControl = g_mainWindow = NULL;
}

void SwitchPage(int page)
{
    if (page == g_page) return;
    g_page = (BYTE)page;
    ShowWindow(g_splitPage, page == SPLIT_PAGE ? SW_SHOW : SW_HIDE);
    ShowWindow(g_joinPage, page == SPLIT_PAGE ? SW_HIDE : SW_SHOW);
    SetFocus(page == SPLIT_PAGE ? g_splitPage : g_joinPage);
    // Posted: the tab follows when the loop next runs.
    PostMessageA(g_tabControl, TCM_SETCURSEL, page, 0);
    ClearStatus();
}

void OpenPath(const char *path, bool join)
{
    if (join || EndsInDigit(path)) {
        SwitchPage(JOIN_PAGE);
        DiscoverParts(path);
        ApplyJoinRule();
        return;
    }
    SwitchPage(SPLIT_PAGE);
    PutItemText(g_splitPage, IDC_SPLIT_FILE, path);
}

static void ShowModal(int templateId, DLGPROC procedure)
{
    DialogBoxParamW(g_instance, MAKEINTRESOURCEW(templateId), g_mainWindow, procedure, 0);
}

static void SetMainIcon(HWND dialog)
{
    SetClassLongPtrA(dialog, GCLP_HICON, (LONG_PTR)LoadIconA(g_instance, "MAINICON"));
}

static void TakeTabNotification(const NMHDR *header)
{
    if (header->idFrom != IDC_TABS || header->code != (UINT)TCN_SELCHANGE) return;
    LRESULT selected = SendMessageA(g_tabControl, TCM_GETCURSEL, 0, 0);
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
    SetForegroundWindow(g_mainWindow);
}

static void RunMainCommand(WORD command)
{
    switch (command) {
    case IDM_EXIT: PostQuitMessage(1); break;
    case IDM_HELP: ShowModal(IDD_HELP, HelpDialogProc); break;
    case IDM_ABOUT: ShowModal(IDD_ABOUT, AboutDialogProc); break;
    case IDM_SHOW_SPLIT: SwitchPage(SPLIT_PAGE); break;
    case IDM_SHOW_JOIN: SwitchPage(JOIN_PAGE); break;
    }
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: SetMainIcon(dialog); return TRUE;
    case WM_COMMAND: RunMainCommand(LOWORD(wParam)); return TRUE;
    case WM_NOTIFY: TakeTabNotification((const NMHDR *)lParam); return TRUE;
    case WM_DROPFILES: OpenDroppedFiles((HDROP)wParam); return TRUE;
    }
    return FALSE;
}
