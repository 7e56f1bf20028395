// The window program's start-up, message loop and shutdown, the routing
// between the main window and its two pages, and the process-wide state
// made at start-up and kept until shutdown.
#ifndef PARTELLO_UI_APP_H
#define PARTELLO_UI_APP_H

#include <windows.h>

#include "../resources/ids.h"

extern HINSTANCE g_instance;    // the program's own module, source of every resource
extern OSVERSIONINFOA g_osVersion;
extern HMODULE g_richEdit;      // may be NULL
extern HWND g_mainWindow;
extern HWND g_tabControl;
extern HWND g_splitPage;
extern HWND g_joinPage;
extern HFONT g_titleFont;       // the About box's fonts
extern HFONT g_linkFont;
extern HACCEL g_accelerators;
extern BYTE g_page;             // the page shown: SPLIT_PAGE or JOIN_PAGE

enum { SPLIT_PAGE = 0, JOIN_PAGE = 1 };  // each is its tab's index

// Everything up to the message loop: windows, pages, accelerators, fonts,
// the command line (`arguments` without the program's own name) or the
// search for "*.001" beside the program. NULL when the main window cannot
// be made; nothing else has been made then.
HWND StartProgram(HINSTANCE instance, int argumentCount, char **arguments);
// Runs until the quit message and returns its value.
int RunMessageLoop();
// One turn of the loop for a message already taken from the queue:
// accelerators, then the page shown, then the main window.
void HandleLoopMessage(MSG *message);
void ShutDownProgram();

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows SPLIT_PAGE or JOIN_PAGE; nothing at all when it is shown already.
void SwitchPage(int page);
// A path from outside (command line, drop, start-up search): to the join
// page and discovery when `join` or the path ends in a digit, otherwise into
// the split page's file edit.
void OpenPath(const char *path, bool join);
// The folder where the program's own file lies, ending in its separator.
void GetProgramFolder(char *folder);

#endif
