// The engine's only way to the user. Each front end (the window, the console,
// the tests) links its own implementation of these procedures.
#ifndef PARTELLO_REPORT_H
#define PARTELLO_REPORT_H

#include <stdint.h>

// How an operation ended, for front ends that need more than the status
// line (the console's exit status).
enum OperationResult {
    OPERATION_DONE,
    OPERATION_FAILED,     // an error message was shown, or a silent stop
    OPERATION_CANCELLED,  // the cancel probe answered true
};

// Shows one blank followed by `text`; NULL or "" leaves the single blank.
void SetStatus(const char *text);
// The system's default beep, right after an error message.
void ErrorBeep();
// True when the user asked to cancel; the probe has then itself shown
// "Operation cancelled.".
bool CancelProbe();
// Says that the status text shown next is an error, about the file `path`
// when not NULL. `bySystem`: the platform call just made failed, so errno
// (on POSIX) still holds the reason. The window's status line shows the
// text alone; the console names the file and the reason.
void NoteError(const char *path, bool bySystem);
// A file that a verified join was asked to delete and could not (errno, on
// POSIX, holds why). The window keeps quiet about it; the console names it
// and fails.
void NoteNotDeleted(const char *path);
// A join that ended with no checksum file to compare its output with
// (`checksumPath` names the one looked for): nothing proves it whole. The
// window's status text says no more; the console adds a line.
void NoteUnverified(const char *checksumPath);
// How far the running step is: `done` of `total` bytes, while part `part`
// of `parts` is in hand (0 of 0 in a checksum pass). Called often, up to
// once per transfer block or mebibyte; a front end shows it as rarely as it
// likes, or not at all.
void ReportProgress(int part, int parts, int64_t done, int64_t total);
// Puts up the wait cursor and returns the cursor shown before.
void *ShowWaitCursor();
void RestoreCursor(void *previous);

#endif
