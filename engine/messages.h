// Message catalogue access, and the engine's shorthands for reporting an
// event by its message id (see report.h).
#ifndef PARTELLO_MESSAGES_H
#define PARTELLO_MESSAGES_H

#include "../resources/message_ids.h"

enum { MESSAGE_SIZE = 1024 };

// Copies catalogue entry `id` into `buffer` (at most size - 1 characters)
// and returns `buffer`. A missing entry gives the empty text. The engine
// itself never needs a text: the front ends word its events.
char *LoadMessage(int id, char *buffer, int size);

// Reports the outcome `id`, naming `subject` when given.
void ShowOutcome(int id, const char *subject = 0);
// Reports the error `id` about the file `path` (NULL for none), with the
// system's reason for the call that failed (or NO_SYSTEM_ERROR).
void ShowFileError(int id, const char *path, int systemError);
// The same about no file and with no reason.
void ShowError(int id);

#endif
