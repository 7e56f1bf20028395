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
// True when the user asked to cancel; the probe has then itself shown
// "Operation cancelled.".
bool CancelProbe();
// An error message: `text` about the file `path` (NULL for none), and
// `systemError`, the system's reason for the platform call that failed,
// taken with LastSystemError right where it failed, or NO_SYSTEM_ERROR.
// The window shows the text on the status line alone and beeps; the
// console names the file and the reason, and rings the bell.
void ReportFailure(const char *text, const char *path, int systemError);
// A file that a verified join was asked to delete and could not, and why
// (as above). The window keeps quiet about it; the console names it and
// fails.
void NoteNotDeleted(const char *path, int systemError);
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
