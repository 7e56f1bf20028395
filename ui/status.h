// The status line, error beep, wait cursor and cancel probe of the window.
#ifndef PARTELLO_UI_STATUS_H
#define PARTELLO_UI_STATUS_H

#include <windows.h>

// The window whose control IDC_STATUS is the status line.
void SetStatusWindow(HWND mainWindow);
// Clears the status line (one blank).
void ClearStatus();

#endif
