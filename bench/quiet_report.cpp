// The engine's reporting, silenced: the benchmarks and the fuzz targets
// show nothing and never cancel.
#include "report.h"

void ReportStep(int, int) {}
void ReportOutcome(const EngineEvent *) {}
void ReportFailure(const EngineEvent *) {}
void NoteNotDeleted(const char *, int) {}
void NoteNotCopied(const char *, int) {}
void NoteUnverified(const char *) {}
void ReportProgress(int, int, int64_t, int64_t) {}
bool CancelProbe() { return false; }
void *ShowWaitCursor() { return nullptr; }
void RestoreCursor(void *) {}
