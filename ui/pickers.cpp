#include "pickers.h"

#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "app.h"

int BuildFilterString(const char *text, char *filter)
{
    const char *bar = text ? strchr(text, '|') : NULL;
    size_t nameLength;
    const char *pattern;
    if (bar) {
        nameLength = (size_t)(bar - text);
        if (nameLength > MESSAGE_SIZE - 1) nameLength = MESSAGE_SIZE - 1;
        memcpy(filter, text, nameLength);
        pattern = bar + 1;
    } else {
        nameLength = strlen(LoadMessage(MSG_ALL_FILES, filter, MESSAGE_SIZE));
        pattern = "*.*";
    }
    char *at = filter + nameLength;
    *at++ = '\0';
    size_t patternLength = strnlen(pattern, 255);
    memcpy(at, pattern, patternLength);
    at += patternLength;
    *at++ = '\0';
    *at++ = '\0';
    return (int)(at - filter);
}

DWORD GetFileDialogRecordSize(const OSVERSIONINFOA *version)
{
    bool full = (version->dwPlatformId == VER_PLATFORM_WIN32_NT && version->dwMajorVersion >= 5) ||
                (version->dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && version->dwMajorVersion >= 4 &&
                 version->dwMinorVersion >= 90);
    return full ? sizeof(OPENFILENAMEA) : OPENFILENAME_SIZE_VERSION_400A;
}

void FillFileDialogRecord(OPENFILENAMEA *record, HWND owner, const char *title, const char *filter, char *file,
                          const char *initialFolder, DWORD flags)
{
    memset(record, 0, sizeof *record);
    record->lStructSize = GetFileDialogRecordSize(&g_osVersion);
    record->hwndOwner = owner;
    record->lpstrFilter = filter;
    record->nFilterIndex = 1;
    record->lpstrFile = file;
    record->nMaxFile = PATH_SIZE;
    record->lpstrInitialDir = initialFolder ? initialFolder : "";
    record->lpstrTitle = title;
    record->Flags = flags;
}

bool TakeFirstSelection(const char *buffer, char *path)
{
    const char *second = buffer + strlen(buffer) + 1;
    int length = *second ? snprintf(path, PATH_SIZE, "%s\\%s", buffer, second)
                         : snprintf(path, PATH_SIZE, "%s", buffer);
    return length >= 0 && length < PATH_SIZE;
}

bool PickOpenFile(HWND owner, const char *title, const char *filter, bool multiple, char *path,
                  const char *initialFolder)
{
    // Room past nMaxFile for the folder and names of a multiple selection.
    char buffer[1025] = {0};
    lstrcpynA(buffer, path, PATH_SIZE);
    char filterString[FILTER_SIZE];
    BuildFilterString(filter, filterString);
    OPENFILENAMEA record;
    FillFileDialogRecord(&record, owner, title, filterString, buffer, initialFolder,
                         multiple ? OPEN_MULTIPLE_FLAGS : OPEN_FLAGS);
    if (!GetOpenFileNameA(&record)) return false;
    if (!multiple) {
        lstrcpynA(path, buffer, PATH_SIZE);
        return true;
    }
    char chosen[PATH_SIZE];
    if (!TakeFirstSelection(buffer, chosen)) return false;
    strcpy(path, chosen);
    return true;
}

bool PickSaveFile(HWND owner, const char *title, const char *filter, char *path, const char *initialFolder)
{
    char file[PATH_SIZE + 1] = {0};
    char fileTitle[PATH_SIZE + 1] = {0};
    lstrcpynA(file, path, PATH_SIZE);
    char filterString[FILTER_SIZE];
    BuildFilterString(filter, filterString);
    OPENFILENAMEA record;
    FillFileDialogRecord(&record, owner, title, filterString, file, initialFolder, SAVE_FLAGS);
    record.lpstrFileTitle = fileTitle;
    record.nMaxFileTitle = PATH_SIZE;
    if (!GetSaveFileNameA(&record)) return false;
    lstrcpynA(path, file, PATH_SIZE);
    return true;
}

bool PickFolder(HWND owner, char *folder)
{
    char display[PATH_SIZE + 1] = "";
    char title[MESSAGE_SIZE];
    BROWSEINFOA info;
    memset(&info, 0, sizeof info);
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = LoadMessage(MSG_PICK_FOLDER_TITLE, title, sizeof title);
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    if (folder[0]) {
        info.lpfn = FolderPickerCallback;
        info.lParam = (LPARAM)StripTrailingBackslash(folder);
    }
    LPITEMIDLIST items = SHBrowseForFolderA(&info);
    if (!items) return false;
    bool converted = SHGetPathFromIDListA(items, display) != FALSE;
    if (converted) lstrcpynA(folder, display, PATH_SIZE);
    CoTaskMemFree(items);
    return converted;
}

int CALLBACK FolderPickerCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, data);
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    } else if (message == BFFM_SELCHANGED) {
        char path[PATH_SIZE + 1];
        if (SHGetPathFromIDListA((LPCITEMIDLIST)lParam, path)) SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, (LPARAM)path);
    }
    return 0;
}

char *StripTrailingBackslash(char *path)
{
    size_t length = strlen(path);
    if (length > 3 && path[length - 1] == '\\') path[length - 1] = '\0';
    return path;
}
