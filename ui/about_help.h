// The About box and the Help window, both modal over the main window.
#ifndef PARTELLO_UI_ABOUT_HELP_H
#define PARTELLO_UI_ABOUT_HELP_H

#include <windows.h>

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HelpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Loads the library that provides the Help window's RICHEDIT control; NULL
// when it is missing (the Help window then cannot be created).
HMODULE LoadRichEdit();

#endif
