// The Help window: the help document, kept inside the program as a
// resource, shown read-only in a rich-edit control.
#include "about_help.h"

#include <richedit.h>
#include <string.h>

#include "app.h"
#include "../resources/ids.h"

LoadLibraryAFunction g_loadLibrary = LoadLibraryA;

HMODULE LoadRichEdit() { return g_loadLibrary("Riched32.dll"); }

DWORD CALLBACK HelpStreamCallback(DWORD_PTR cookie, LPBYTE buffer, LONG requested, LONG *delivered)
{
    HelpStream *stream = (HelpStream *)cookie;
    LONG left = stream->length - stream->position;
    LONG size = left < requested ? left : requested;
    *delivered = 0;
    if (size <= 0) return 0;
    if (!stream->data || !buffer) return 1;
    memcpy(buffer, stream->data + stream->position, size);
    stream->position += size;
    *delivered = size;
    return 0;
}

LRESULT CALLBACK HelpEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        // Tab, Enter and ESC stay with the dialog, which closes on the latter two.
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        if (wParam != VK_UP && wParam != VK_DOWN) break;
        SendMessageA(edit, EM_SCROLL, wParam == VK_UP ? SB_LINEUP : SB_LINEDOWN, 0);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return 0;
    }
    return CallWindowProcA(g_app.richEditProc, edit, message, wParam, lParam);
}

static void StreamHelpDocument(HWND edit)
{
    HRSRC found = FindResourceA(g_app.instance, "HELPINFO", "TEXT");
    HGLOBAL loaded = found ? LoadResource(g_app.instance, found) : NULL;
    HelpStream stream = {(const BYTE *)LockResource(loaded), 0, (LONG)SizeofResource(g_app.instance, found)};
    if (!stream.data) return;
    EDITSTREAM editStream = {(DWORD_PTR)&stream, 0, HelpStreamCallback};
    SendMessageA(edit, EM_STREAMIN, SF_RTF, (LPARAM)&editStream);
}

static void ShowHelpDocument(HWND dialog)
{
    HWND edit = GetDlgItem(dialog, IDC_HELP_TEXT);
    StreamHelpDocument(edit);
    SendMessageA(edit, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 216));
    g_app.richEditProc = (WNDPROC)SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)HelpEditProc);
}

INT_PTR CALLBACK HelpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: ShowHelpDocument(dialog); return TRUE;
    case WM_COMMAND: CloseOnOkOrCancel(dialog, LOWORD(wParam)); return TRUE;
    }
    return FALSE;
}
