// The console's reporting, replaced for the fault matrix: nothing is shown,
// but the wait cursor and the error beeps are counted and a success text
// that follows a failed call is noted. Nothing here touches the heap.
#include <string.h>

#include "cli/console_report.h"
#include "cli/operation.h"
#include "console_stubs.h"
#include "engine/messages.h"
#include "engine/report.h"
#include "fault_platform.h"

namespace {

ConsoleRecord g_console;

bool IsSuccess(int message)
{
    return message == MSG_SPLIT_DONE || message == MSG_CHECKSUMS_MATCH || message == MSG_JOIN_FINISHED;
}

}  // namespace

void ResetConsole() { memset(&g_console, 0, sizeof g_console); }

const ConsoleRecord &Console() { return g_console; }

void ReportStep(int, int) {}

void ReportOutcome(const EngineEvent *event)
{
    if (Record().faultHit && IsSuccess(event->message)) g_console.successAfterFault = true;
}

void ReportFailure(const EngineEvent *) { g_console.beeps++; }

// Counted as an error, as the console counts it.
void NoteNotDeleted(const char *, int) { g_console.beeps++; }
void NoteNotCopied(const char *, int) { g_console.beeps++; }

void NoteUnverified(const char *) {}
void ReportProgress(int, int, int64_t, int64_t) {}

bool CancelProbe() { return CountCall(CALL_PROBE); }

void *ShowWaitCursor()
{
    g_console.cursorDepth++;
    return &g_console;
}

void RestoreCursor(void *) { g_console.cursorDepth--; }

void BeginOperation() { g_console.operationBeeps = g_console.beeps; }
void EndOperation() {}
bool OperationCancelled() { return false; }
int OperationErrors() { return g_console.beeps - g_console.operationBeeps; }
void EndStatusLine() {}
void SetQuiet(bool) {}
void ShowNote(const char *) {}
bool StandardOutputClosed() { return false; }
