// The status line, error beep, wait cursor and cancel probe of the window.
#ifndef PARTELLO_UI_STATUS_H
#define PARTELLO_UI_STATUS_H

#include <windows.h>

#include "../engine/report.h"

// The window whose control IDC_STATUS is the status line.
void SetStatusWindow(HWND mainWindow);
// Shows one blank followed by `text`; NULL or "" leaves the single blank.
void SetStatus(const char *text);
// Clears the status line (one blank).
void ClearStatus();
// The status text of an engine event, as the status line shows it (without
// its leading blank): the catalogue message with its figures filled in,
// followed by what it names.
void FormatReport(const EngineEvent *event, char *text, int size);

#endif
