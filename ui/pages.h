// The split page and the join page: two modeless child dialogs on the tab
// control, whose controls are the only store of the user's input.
#ifndef PARTELLO_UI_PAGES_H
#define PARTELLO_UI_PAGES_H

#include <windows.h>
#include <stdint.h>

#include "../engine/discovery.h"

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK JoinPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// True when the file edit and the folder edit both hold something.
bool SplitInputsPresent(HWND page);

// Fills the join list with the set that `path` belongs to and sets the
// join folder; true when the set can be shown (none, or two or more names).
// A name chosen in the save picker needs asking about again afterwards.
bool DiscoverParts(const char *path);
// Enables the join page's OK exactly when two or more parts are listed and
// an output name is given.
void ApplyJoinRule();
// The save picker's starting name, from the list's first entry (PATH_SIZE).
void SuggestListOutputName(char *name);

#endif
