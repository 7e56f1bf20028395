// The About box: icon, name, version, a notice and a link to the web page.
#include "about_help.h"

#include <shellapi.h>

#include "app.h"
#include "controls.h"
#include "../resources/ids.h"

ShellExecuteAFunction g_shellExecute = ShellExecuteA;

static HCURSOR s_handCursor;

static void OpenLink(HWND dialog)
{
    char address[PATH_SIZE];
    // The outcome does not matter: a link nothing opens simply does nothing.
    g_shellExecute(NULL, NULL, GetItemText(dialog, IDC_ABOUT_LINK, address), NULL, NULL, SW_SHOWNORMAL);
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_ABOUT_TITLE, WM_SETFONT, (WPARAM)g_titleFont, FALSE);
        SendDlgItemMessageA(dialog, IDC_ABOUT_LINK, WM_SETFONT, (WPARAM)g_linkFont, FALSE);
        s_handCursor = LoadCursorA(g_instance, MAKEINTRESOURCEA(IDC_HAND_CURSOR));
        return TRUE;

    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 1);
        else if (LOWORD(wParam) == IDC_ABOUT_LINK && HIWORD(wParam) == STN_CLICKED)
            OpenLink(dialog);
        return TRUE;

    case WM_SETCURSOR:
        // The link notifies, so it is hit-tested as client area and the
        // pointer over it arrives here with the link as the window.
        if ((HWND)wParam != GetDlgItem(dialog, IDC_ABOUT_LINK) || !s_handCursor) return FALSE;
        SetCursor(s_handCursor);
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;

    case WM_CTLCOLORSTATIC:
        if ((HWND)lParam != GetDlgItem(dialog, IDC_ABOUT_LINK)) return FALSE;
        SetTextColor((HDC)wParam, RGB(0, 0, 255));
        SetBkColor((HDC)wParam, GetSysColor(COLOR_BTNFACE));
        return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
    }
    return FALSE;
}
