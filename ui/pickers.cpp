#include "pickers.h"

#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app.h"
#include "controls.h"

GetOpenFileNameAFunction g_getOpenFileName = GetOpenFileNameA;

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
                          DWORD fileSize, const char *initialFolder, DWORD flags)
{
    memset(record, 0, sizeof *record);
    record->lStructSize = GetFileDialogRecordSize(&g_app.osVersion);
    record->hwndOwner = owner;
    record->lpstrFilter = filter;
    record->nFilterIndex = 1;
    record->lpstrFile = file;
    record->nMaxFile = fileSize;
    record->lpstrInitialDir = initialFolder ? initialFolder : "";
    record->lpstrTitle = title;
    record->Flags = flags;
}

bool GetFirstSelection(const char *buffer, char *path)
{
    const char *second = buffer + strlen(buffer) + 1;
    int length = *second ? snprintf(path, PATH_SIZE, "%s\\%s", buffer, second)
                         : snprintf(path, PATH_SIZE, "%s", buffer);
    return length >= 0 && length < PATH_SIZE && !path[FitCharacters(path, PATH_CHARS - 1)];
}

bool PickOpenFile(HWND owner, const char *title, const char *filter, bool multiple, char *path,
                  const char *initialFolder)
{
    char *buffer = (char *)calloc(OPEN_BUFFER_SIZE, 1);
    if (!buffer) return false;
    lstrcpynA(buffer, path, PATH_SIZE);
    char filterString[FILTER_SIZE];
    BuildFilterString(filter, filterString);
    OPENFILENAMEA record;
    FillFileDialogRecord(&record, owner, title, filterString, buffer, OPEN_BUFFER_SIZE, initialFolder,
                         multiple ? OPEN_MULTIPLE_FLAGS : OPEN_FLAGS);
    char chosen[PATH_SIZE];
    bool picked = g_getOpenFileName(&record) &&
                  (multiple ? GetFirstSelection(buffer, chosen) : strlen(buffer) < PATH_SIZE);
    if (picked) strcpy(path, multiple ? chosen : buffer);
    free(buffer);
    return picked;
}

bool PickSaveFile(HWND owner, const char *title, const char *filter, char *path, const char *initialFolder)
{
    char file[PATH_SIZE] = {0};
    char fileTitle[PATH_SIZE] = {0};
    lstrcpynA(file, path, PATH_SIZE);
    char filterString[FILTER_SIZE];
    BuildFilterString(filter, filterString);
    OPENFILENAMEA record;
    FillFileDialogRecord(&record, owner, title, filterString, file, PATH_SIZE, initialFolder, SAVE_FLAGS);
    record.lpstrFileTitle = fileTitle;
    record.nMaxFileTitle = PATH_SIZE;
    if (!GetSaveFileNameA(&record)) return false;
    strcpy(path, file);
    return true;
}

// The narrow call would hand the path over in MAX_PATH bytes, too few for
// a long one in UTF-8.
static bool GetItemListPath(LPCITEMIDLIST items, char *path)
{
    WCHAR wide[MAX_PATH];
    return SHGetPathFromIDListW(items, wide) && NarrowPath(wide, path)[0];
}

bool PickFolder(HWND owner, char *folder)
{
    char display[PATH_SIZE] = "";
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
    char chosen[PATH_SIZE];
    bool converted = GetItemListPath(items, chosen);
    if (converted) strcpy(folder, chosen);
    CoTaskMemFree(items);
    return converted;
}

int CALLBACK FolderPickerCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, data);
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    } else if (message == BFFM_SELCHANGED) {
        char path[PATH_SIZE];
        if (GetItemListPath((LPCITEMIDLIST)lParam, path)) SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, (LPARAM)path);
    }
    return 0;
}

char *StripTrailingBackslash(char *path)
{
    size_t length = strlen(path);
    if (length > 3 && path[length - 1] == '\\') path[length - 1] = '\0';
    return path;
}
