// The console's side of the engine's reporting: status texts on stderr, the
// terminal bell, and cancelling by ESC or Ctrl-C while an operation runs.
#ifndef PARTELLO_CLI_CONSOLE_H
#define PARTELLO_CLI_CONSOLE_H

// Exit statuses of the program.
enum {
    EXIT_DONE = 0,
    EXIT_ERROR = 1,
    EXIT_USAGE = 2,
    EXIT_CANCELLED = 130,
};

// Before an engine call: takes the terminal's keys (no echo, non-canonical,
// read without waiting) and catches Ctrl-C and the signals that would
// otherwise leave the terminal in that state.
void BeginOperation();
// After it: gives the terminal back, ends the status line, drops the signal
// handlers. Safe to call when no operation is running.
void EndOperation();
// True when the cancel probe answered true during the last operation.
bool OperationCancelled();
// Number of errors during the last operation: error messages (each with
// its beep) and files that a join could not delete.
int OperationErrors();

// -q: from here on only errors are shown.
void SetQuiet(bool quiet);
// A line of information on stderr (not an error), unless quiet.
void ShowNote(const char *text);
// Whether the running texts go to a terminal that takes control sequences
// (stderr is one, and TERM is not "dumb"), as one line rewritten in place.
bool IsStatusOnTerminal();

// Ends a status line left open on the terminal, so that other text starts
// on a line of its own.
void EndStatusLine();

// Takes the waiting key bytes from `fd` up to and including the first ESC
// and answers whether there was one. The byte sequences that other keys
// send (ESC '[' ... and ESC 'O' x) are taken whole and are not an ESC.
// Reads nothing more once an ESC is found, so later keys stay queued
// (apart from the one byte that tells an ESC from such a sequence).
bool ReadEscapeKey(int fd);

#endif
