// Message catalogue access and the status helpers built on it.
#ifndef PARTELLO_MESSAGES_H
#define PARTELLO_MESSAGES_H

#include "../resources/message_ids.h"

enum { MESSAGE_SIZE = 1024 };

// Copies catalogue entry `id` into `buffer` (at most size - 1 characters)
// and returns `buffer`. A missing entry gives the empty text.
char *LoadMessage(int id, char *buffer, int size);

// Shows catalogue entry `id` on the status line.
void ShowMessage(int id);
// Shows catalogue entry `id` followed directly by `number` in decimal.
void ShowMessageNumber(int id, long long number);
// Reports catalogue entry `id` as an error (ReportFailure) that names no
// file and no system reason.
void ShowError(int id);
// The same about the file `path`, with the system's reason (see ReportFailure).
void ShowFileError(int id, const char *path, int systemError);

#endif
