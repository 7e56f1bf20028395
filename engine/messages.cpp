#include "messages.h"

#include "platform.h"
#include "report.h"

void ShowOutcome(int id, const char *subject)
{
    EngineEvent event = {id, subject, NULL, NO_SYSTEM_ERROR, {0, 0}};
    ReportOutcome(&event);
}

void ShowFileError(int id, const char *path, int systemError)
{
    EngineEvent event = {id, NULL, path, systemError, {0, 0}};
    ReportFailure(&event);
}

void ShowError(int id) { ShowFileError(id, NULL, NO_SYSTEM_ERROR); }
