// Process-wide state of the window program, made at start-up and kept until
// shutdown.
#ifndef PARTELLO_UI_APP_H
#define PARTELLO_UI_APP_H

#include <windows.h>

extern HINSTANCE g_instance;    // the program's own module, source of every resource
extern OSVERSIONINFOA g_osVersion;
extern HMODULE g_richEdit;      // may be NULL
extern HWND g_mainWindow;
extern HWND g_tabControl;
extern HWND g_splitPage;
extern HWND g_joinPage;
extern HFONT g_titleFont;       // the About box's fonts
extern HFONT g_linkFont;

#endif
