// Process-wide state of the window program, made at start-up and kept until
// shutdown.
#ifndef PARTELLO_UI_APP_H
#define PARTELLO_UI_APP_H

#include <windows.h>

#include "../engine/discovery.h"

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
extern char g_joinFolder[PATH_SIZE];  // folder of the join list's names, set by discovery
extern NumberPlaces g_joinPlaces;     // where their numbers stand, set by discovery

enum { SPLIT_PAGE = 0, JOIN_PAGE = 1 };

#endif
