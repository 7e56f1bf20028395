// The split page and the join page: two modeless child dialogs on the tab
// control. Their controls hold the user's input; the listed set is kept
// in g_app.joinSet.
#ifndef PARTELLO_UI_PAGES_H
#define PARTELLO_UI_PAGES_H

#include <windows.h>

#include "../engine/discovery.h"

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK JoinPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// True when the file edit and the folder edit both hold something.
bool SplitInputsPresent(HWND page);

// Fills the join list with the set that `path` belongs to and keeps that
// set in g_app.joinSet; true when the set can be shown (none, or two or more names).
// A name chosen in the save picker needs asking about again afterwards.
bool DiscoverParts(const char *path);
// Enables the join page's OK exactly when two or more parts are listed,
// the join would not refuse them, and an output name is given.
void ApplyJoinRule();
// The save picker's starting name, from the list's first entry (PATH_SIZE).
void SuggestListOutputName(char *name);

#endif
