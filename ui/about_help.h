// The About box and the Help window, both modal over the main window.
#ifndef PARTELLO_UI_ABOUT_HELP_H
#define PARTELLO_UI_ABOUT_HELP_H

#include <windows.h>

// The About box's two fonts, made at start-up and deleted at shutdown, so
// that every showing uses the same ones.
void MakeAboutFonts();
void DeleteAboutFonts();
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HelpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Ends the About box or the Help window on OK, Enter or ESC.
void CloseOnOkOrCancel(HWND dialog, WORD command);

// Loads the library that provides the Help window's RICHEDIT control; NULL
// when it is missing (the Help window then cannot be created).
HMODULE LoadRichEdit();

// Where the help document is read from while it streams into the control.
struct HelpStream {
    const BYTE *data;
    LONG position;
    LONG length;
};

// EM_STREAMIN callback; the cookie is a HelpStream. Returns 0, or 1 when
// nothing can be copied.
DWORD CALLBACK HelpStreamCallback(DWORD_PTR cookie, LPBYTE buffer, LONG requested, LONG *delivered);

// Sits in front of the Help window's rich-edit control: arrows scroll, and
// the control never takes notice of the focus, so it shows no caret.
LRESULT CALLBACK HelpEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

// Seams for the outside world, replaced by tests: how the About link reaches
// the shell, and how the rich-edit library is loaded.
typedef HINSTANCE(WINAPI *ShellExecuteAFunction)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
typedef HMODULE(WINAPI *LoadLibraryAFunction)(LPCSTR);
extern ShellExecuteAFunction g_shellExecute;
extern LoadLibraryAFunction g_loadLibrary;

#endif
