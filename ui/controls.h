// Small helpers over dialog controls, shared by the pages.
#ifndef PARTELLO_UI_CONTROLS_H
#define PARTELLO_UI_CONTROLS_H

#include <windows.h>

#include "../engine/messages.h"
#include "../engine/platform.h"

// Room for the pages' filter text: message 1 and " (*.*)|*.*".
enum { FILTER_TEXT_SIZE = MESSAGE_SIZE + 16 };

// The control's text, at most PATH_CHARS - 1 characters, into `text`
// (PATH_SIZE bytes); returns `text`.
char *GetItemText(HWND dialog, int control, char *text);
// True when the control holds at least one character (reads only the first).
bool ItemHasText(HWND dialog, int control);
// A wide path of at most PATH_CHARS - 1 units as narrow text into `text`
// (PATH_SIZE bytes); "" when it cannot be converted. Returns `text`.
char *NarrowPath(const WCHAR *wide, char *text);
// Sets the text and nothing else; an edit answers with EN_CHANGE before this
// returns.
void SetItemText(HWND dialog, int control, const char *text);
// Sets the text as SetItemText does, then selects all of it and gives the
// control the focus, so that what a picker chose can be typed over at once.
void SetItemTextAndSelect(HWND dialog, int control, const char *text);
// Enables or disables the control; disabled while it has the focus, it first
// passes the focus to the control before it.
void EnableItem(HWND dialog, int control, bool enable);
bool IsItemChecked(HWND dialog, int control);

// The program's one kind of question, owned by the main window: catalogue
// entry `message`, the full form of `path` and, when given, `detail` on a
// line of its own. True for Yes; No is the default. The box is narrow like
// every other text: the names come from the controls in the same code page.
bool AskAboutReplacing(int message, const char *path, const char *detail);

// Everything up to and including the last '\' or ':' of `path`.
void CopyFolderPart(const char *path, char *folder);
// "All Files (*.*)|*.*" from the catalogue, the filter both pages offer.
void MakePagesFilterText(char *text);

#endif
