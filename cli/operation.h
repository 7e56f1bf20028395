// An operation's run on the console: the terminal's keys taken and the
// signals caught while it runs, the status line ended, and what it came to.
#ifndef PARTELLO_CLI_OPERATION_H
#define PARTELLO_CLI_OPERATION_H

// Before an engine call: takes the terminal's keys (no echo, non-canonical,
// read without waiting) and catches Ctrl-C and the signals that would
// otherwise leave the terminal in that state.
void BeginOperation();
// After it: gives the terminal back, ends the status line, drops the signal
// handlers. Safe to call when no operation is running.
void EndOperation();
// True when the cancel probe answered true during the last operation.
bool OperationCancelled();
// Number of errors during the last operation: the engine's failures and
// the files it could not delete or copy.
int OperationErrors();

// For the reporting procedures: the probe's answer and each error counted.
void NoteCancelled();
void CountError();
// True once for each Ctrl-C that came since the last call.
bool TakeInterrupt();
// Whether ESC can be read now: the keys are taken and this is the
// terminal's foreground job.
bool CanReadKeys();

// Whether a status text stands on the terminal without its line end.
void SetLineOpen(bool open);
// Ends a status line left open on the terminal, so that other text starts
// on a line of its own.
void EndStatusLine();

#endif
