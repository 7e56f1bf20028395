#include "messages.h"

#include <stdio.h>

#include "platform.h"
#include "report.h"

void ShowMessage(int id)
{
    char text[MESSAGE_SIZE];
    SetStatus(LoadMessage(id, text, sizeof text));
}

void ShowMessageNumber(int id, long long number)
{
    char text[MESSAGE_SIZE + 24];
    LoadMessage(id, text, MESSAGE_SIZE);
    size_t length = 0;
    while (text[length]) length++;
    snprintf(text + length, sizeof text - length, "%lld", number);
    SetStatus(text);
}

void ShowFileError(int id, const char *path, int systemError)
{
    char text[MESSAGE_SIZE];
    ReportFailure(LoadMessage(id, text, sizeof text), path, systemError);
}

void ShowError(int id) { ShowFileError(id, NULL, NO_SYSTEM_ERROR); }
