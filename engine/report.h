// The engine's only way to the user. It tells what happens as events: a
// catalogue message (resources/message_ids.h) and what it is about, never
// a finished text. Each front end (the window, the console, the tests)
// links its own implementation of these procedures and words the events
// in its own way.
#ifndef PARTELLO_REPORT_H
#define PARTELLO_REPORT_H

#include <stddef.h>
#include <stdint.h>

// How an operation ended, for front ends that need more than the status
// line (the console's exit status).
enum OperationResult {
    OPERATION_DONE,
    OPERATION_FAILED,     // an error was reported, or a silent stop
    OPERATION_CANCELLED,  // the cancel probe answered true
};

// What an event is about; a message uses only the fields it needs, the
// others are 0 or NULL.
struct EngineEvent {
    int message;          // the catalogue id
    const char *subject;  // what the message goes on to name: a part's name, a missing number ("003")
    const char *path;     // the file it concerns
    int systemError;      // the system's reason for the call that failed (LastSystemError), or NO_SYSTEM_ERROR
    int64_t figures[2];   // the numbers the message holds (MSG_NO_ROOM: megabytes needed and free)
};

// A step under way: one of the running messages, with the part in hand
// (`part` from 1) or none (0).
void ReportStep(int message, int part);
// How an operation ended, when that is no error.
void ReportOutcome(const EngineEvent *event);
// An error, with the system's reason where a system call failed.
void ReportFailure(const EngineEvent *event);
// True when the user asked to cancel; the front end has then itself
// reported MSG_CANCELLED.
bool CancelProbe();
// A file that a verified join was asked to delete, or a file of an earlier
// set that a split replaced, and could not delete, and why.
void NoteNotDeleted(const char *path, int systemError);
// The program's copy beside the parts that could not be made, and why.
void NoteNotCopied(const char *path, int systemError);
// A join that ended with no checksum file to compare its output with
// (`checksumPath` names the one looked for): nothing proves it whole.
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
