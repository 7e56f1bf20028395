// The About box: icon, name, version, a notice and a link to the web page.
#include "about_help.h"

#include <shellapi.h>

#include "app.h"
#include "controls.h"
#include "../resources/ids.h"

ShellExecuteAFunction g_shellExecute = ShellExecuteA;

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

void MakeAboutFonts()
{
    g_app.titleFont = MakeAboutFont(-28, 800, false);
    g_app.linkFont = MakeAboutFont(-11, 700, true);
}

void DeleteAboutFonts()
{
    DeleteObject(g_app.titleFont);
    DeleteObject(g_app.linkFont);
    g_app.titleFont = g_app.linkFont = NULL;
}

static void OpenLink(HWND dialog)
{
    char address[PATH_SIZE];
    // The outcome does not matter: a link nothing opens simply does nothing.
    g_shellExecute(NULL, NULL, GetItemText(dialog, IDC_ABOUT_LINK, address), NULL, NULL, SW_SHOWNORMAL);
}

static void SetAboutFonts(HWND dialog)
{
    SendDlgItemMessageA(dialog, IDC_ABOUT_TITLE, WM_SETFONT, (WPARAM)g_app.titleFont, FALSE);
    SendDlgItemMessageA(dialog, IDC_ABOUT_LINK, WM_SETFONT, (WPARAM)g_app.linkFont, FALSE);
    g_app.handCursor = LoadCursorA(g_app.instance, MAKEINTRESOURCEA(IDC_HAND_CURSOR));
}

void CloseOnOkOrCancel(HWND dialog, WORD command)
{
    if (command == IDOK || command == IDCANCEL) EndDialog(dialog, 1);
}

static void OnAboutCommand(HWND dialog, WORD control, WORD code)
{
    if (control == IDC_ABOUT_LINK && code == STN_CLICKED)
        OpenLink(dialog);
    else
        CloseOnOkOrCancel(dialog, control);
}

// The link notifies, so it is hit-tested as client area and the pointer
// over it arrives here with the link as the window.
static INT_PTR SetLinkCursor(HWND dialog, HWND window)
{
    if (window != GetDlgItem(dialog, IDC_ABOUT_LINK) || !g_app.handCursor) return FALSE;
    SetCursor(g_app.handCursor);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

static INT_PTR ColorLink(HWND dialog, HWND control, HDC context)
{
    if (control != GetDlgItem(dialog, IDC_ABOUT_LINK)) return FALSE;
    SetTextColor(context, RGB(0, 0, 255));
    SetBkColor(context, GetSysColor(COLOR_BTNFACE));
    return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: SetAboutFonts(dialog); return TRUE;
    case WM_COMMAND: OnAboutCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_SETCURSOR: return SetLinkCursor(dialog, (HWND)wParam);
    case WM_CTLCOLORSTATIC: return ColorLink(dialog, (HWND)lParam, (HDC)wParam);
    }
    return FALSE;
}
