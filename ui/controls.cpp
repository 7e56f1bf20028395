#include "controls.h"

#include <string.h>

#include "app.h"

// Read as wide text, so that the limit counts characters, whatever bytes
// they take in the ANSI code page. The narrow read would cut the text at a
// byte count, and a first character of several bytes does not fit a 2-byte
// buffer at all.
char *GetItemText(HWND dialog, int control, char *text)
{
    WCHAR wide[PATH_CHARS] = L"";
    LRESULT length = SendDlgItemMessageW(dialog, control, WM_GETTEXT, PATH_CHARS, (LPARAM)wide);
    if (length > 0 && length < PATH_CHARS && IS_HIGH_SURROGATE(wide[length - 1])) wide[length - 1] = L'\0';
    return NarrowPath(wide, text);
}

bool ItemHasText(HWND dialog, int control)
{
    WCHAR first[2] = L"";
    SendDlgItemMessageW(dialog, control, WM_GETTEXT, 2, (LPARAM)first);
    return first[0] != L'\0';
}

char *NarrowPath(const WCHAR *wide, char *text)
{
    if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, text, PATH_SIZE, NULL, NULL)) text[0] = '\0';
    return text;
}

void SetItemText(HWND dialog, int control, const char *text)
{
    SendDlgItemMessageA(dialog, control, WM_SETTEXT, 0, (LPARAM)text);
}

void SetItemTextAndSelect(HWND dialog, int control, const char *text)
{
    SetItemText(dialog, control, text);
    SendDlgItemMessageA(dialog, control, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, control));
}

void EnableItem(HWND dialog, int control, bool enable)
{
    HWND item = GetDlgItem(dialog, control);
    // Disabling the focus leaves it on no window, and keys then come as
    // system keys that neither the page nor the cancel probe sees: a click on
    // OK would make ESC quit instead of cancel. The control before takes it.
    if (!enable && item == GetFocus()) SendMessageA(dialog, WM_NEXTDLGCTL, 1, FALSE);
    EnableWindow(item, enable);
}

bool IsItemChecked(HWND dialog, int control)
{
    return SendDlgItemMessageA(dialog, control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool AskAboutReplacing(int message, const char *path, const char *detail)
{
    char text[MESSAGE_SIZE + 2 * PATH_SIZE], full[PATH_SIZE], caption[MESSAGE_SIZE] = "";
    DWORD length = GetFullPathNameA(path, sizeof full, full, NULL);
    LoadMessage(message, text, MESSAGE_SIZE);
    strcat(text, length > 0 && length < sizeof full ? full : path);
    if (detail) {
        strcat(text, "\n");
        strcat(text, detail);
    }
    HWND owner = g_app.mainWindow;
    GetWindowTextA(owner, caption, sizeof caption);
    return MessageBoxA(owner, text, caption, MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING) == IDYES;
}

void CopyFolderPart(const char *path, char *folder)
{
    size_t length = (size_t)(FindFileName(path) - path);
    if (length >= PATH_SIZE) length = PATH_SIZE - 1;
    memcpy(folder, path, length);
    folder[length] = '\0';
}

void MakePagesFilterText(char *text)
{
    LoadMessage(MSG_ALL_FILES, text, MESSAGE_SIZE);
    strcat(text, " (*.*)|*.*");
}
