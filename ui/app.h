// The window program's start-up, message loop and shutdown, the routing
// between the main window and its two pages, and the process-wide state
// made at start-up and kept until shutdown.
#ifndef PARTELLO_UI_APP_H
#define PARTELLO_UI_APP_H

#include <windows.h>

#include "../engine/discovery.h"
#include "../resources/ids.h"

// The window program's process-wide state, one instance: made at start-up
// (or, for the join page's part, by discovery and the save picker) and kept
// until shutdown. Everything else the user gave lives in the controls.
struct App {
    HINSTANCE instance;        // the program's own module, source of every resource
    OSVERSIONINFOA osVersion;  // filled once; the file pickers' record size follows it
    HMODULE richEdit;          // may be NULL
    HWND mainWindow;
    HWND tabControl;
    HWND splitPage;
    HWND joinPage;
    HACCEL accelerators;
    HFONT titleFont;       // the About box's fonts, made and deleted by about.cpp
    HFONT linkFont;
    BYTE page;             // the page shown: SPLIT_PAGE or JOIN_PAGE
    HCURSOR handCursor;    // the pointer over the About box's link
    WNDPROC richEditProc;  // the Help control's own procedure, behind HelpEditProc
    // The set the join list shows, as discovery found it: its names in join
    // order, their folder and where their numbers stand. The join takes it
    // from here, not from the list's texts.
    PartSet joinSet;
    bool joinListRefused;  // the join would refuse the listed set: OK stays off
    // The output name exactly as the save picker returned it, after the
    // picker itself asked about replacing that file; "" when there is none.
    // Other text in the output name field, a new discovery or a join ends
    // it. The answer covers only the file that was there then
    // (`pickedFile`), none when there was none.
    char pickedOutput[PATH_SIZE];
    bool pickedExisting;
    FileIdentity pickedFile;
    bool replaceDeclined;  // the user answered No to the running join's question
    unsigned discoveries;  // counts discoveries, so that one run while a question was open is seen
};
extern App g_app;

enum { SPLIT_PAGE = 0, JOIN_PAGE = 1 };  // each is its tab's index

// Everything up to the message loop: windows, pages, accelerators, fonts,
// the command line (`arguments` without the program's own name) or the
// search for "*.001" beside the program. NULL when the main window cannot
// be made; nothing else has been made then.
HWND StartProgram(HINSTANCE instance, int argumentCount, char **arguments);
// Runs until the quit message and returns its value.
int RunMessageLoop();
// One turn of the loop for a message already taken from the queue:
// accelerators, then the page shown, then the main window; a message for
// none of them goes to its window directly.
void HandleLoopMessage(MSG *message);
void ShutDownProgram();

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows SPLIT_PAGE or JOIN_PAGE; nothing at all when it is shown already.
void SwitchPage(int page);
// A path from outside (command line, drop, start-up search): to the join
// page and discovery when `join` or the path looks like a part
// (LooksLikePart), otherwise into the split page's file edit.
void OpenPath(const char *path, bool join);
// The folder where the program's own file lies, ending in its separator.
void GetProgramFolder(char *folder);

#endif
