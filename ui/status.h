// The status line, error beep, wait cursor and cancel probe of the window,
// and what it shows while a page's work runs.
#ifndef PARTELLO_UI_STATUS_H
#define PARTELLO_UI_STATUS_H

#include <windows.h>

#include "../engine/report.h"

// The window whose control IDC_STATUS is the status line. Also gives the
// line the tooltip that shows a text it cuts short whole.
void SetStatusWindow(HWND mainWindow);
// Shows one blank followed by `text`; NULL or "" leaves the single blank.
void SetStatus(const char *text);
// Clears the status line (one blank), and the taskbar button's red left
// by an error.
void ClearStatus();

// A split or join that a page runs, from BeginWork to EndWork. `passes`:
// how often the work goes over its bytes (a checksum pass, a copy). Its
// progress shows as a percentage after the status text and on the
// taskbar button, which turns red when the work ended with an error.
void BeginWork(int passes);
void EndWork();
// A close of the window sent while work runs (by the system, or another
// program): cancels the work, at the probe's next look, instead of
// closing. False when no work runs.
bool CancelRunningWork();
// Lets go of the taskbar button; at shutdown.
void ReleaseTaskbar();

#endif
