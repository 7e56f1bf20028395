// The system's open, save and folder dialogs, as the pages use them. Each
// picker takes the initial path in `path` and, when it returns true, leaves
// the chosen one there; false means cancelled (or failed) and changes
// nothing the caller reads.
#ifndef PARTELLO_UI_PICKERS_H
#define PARTELLO_UI_PICKERS_H

#include <windows.h>
#include <commdlg.h>

#include "../engine/messages.h"
#include "../engine/platform.h"
#include "../engine/split.h"

// "name|pattern" in the dialogs' double-NUL form: name, NUL, at most 255
// characters of pattern, NUL, NUL. Without '|' the default "All Files"
// filter. Returns the length written, the NULs included.
enum { FILTER_SIZE = MESSAGE_SIZE + 260 };
int BuildFilterString(const char *text, char *filter);

// The OPENFILENAMEA size that the running system accepts: the full record
// from Windows 2000 and Windows Me on, the record without the last three
// members before that.
DWORD GetFileDialogRecordSize(const OSVERSIONINFOA *version);

enum {
    OPEN_FLAGS = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
    OPEN_MULTIPLE_FLAGS = OPEN_FLAGS | OFN_ALLOWMULTISELECT | OFN_EXPLORER,
    SAVE_FLAGS = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
};

// The open picker's buffer holds a selection of every part a set can have:
// the folder, then each name with its zero, in UTF-8, and the closing zero.
enum { OPEN_BUFFER_SIZE = PATH_SIZE + MAX_PARTS * NAME_SIZE + 1 };

// The record both file pickers hand to the system: zeroed, then these
// fields. `file` is the name buffer of `fileSize` bytes, all of which
// nMaxFile offers; no default extension.
void FillFileDialogRecord(OPENFILENAMEA *record, HWND owner, const char *title, const char *filter, char *file,
                          DWORD fileSize, const char *initialFolder, DWORD flags);

// The path that a multiple-selection dialog's buffer stands for: the one
// full path, or, when several files were chosen, "folder\first name".
// False when that is longer than PATH_CHARS - 1 characters.
bool GetFirstSelection(const char *buffer, char *path);

bool PickOpenFile(HWND owner, const char *title, const char *filter, bool multiple, char *path,
                  const char *initialFolder);
// The system's open dialog as PickOpenFile calls it; tests put in their own.
typedef BOOL(WINAPI *GetOpenFileNameAFunction)(LPOPENFILENAMEA);
extern GetOpenFileNameAFunction g_getOpenFileName;
bool PickSaveFile(HWND owner, const char *title, const char *filter, char *path, const char *initialFolder);
// `folder` holds the initial selection and receives the chosen folder.
bool PickFolder(HWND owner, char *folder);
// Keeps the folder dialog's status line on the selection; `data` is the
// initial folder.
int CALLBACK FolderPickerCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data);

// Drops one trailing '\' from a path longer than three characters, so a
// drive root ("C:\") keeps its own. Returns `path`.
char *StripTrailingBackslash(char *path);

#endif
