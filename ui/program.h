// Start-up, the message loop, shutdown, and the routing between the main
// window and its two pages.
#ifndef PARTELLO_UI_PROGRAM_H
#define PARTELLO_UI_PROGRAM_H

#include <windows.h>

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
// The long form of a drive-letter path through the shell, in `out`
// (PATH_SIZE), or `path` itself when it is not one or the shell cannot say;
// a path of any length passes whole.
const char *ExpandLongPath(const char *path, char *out);
// The folder where the program's own file lies, ending in its separator.
void GetProgramFolder(char *folder);

#endif
