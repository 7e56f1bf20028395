// The console's side of the engine's reporting (engine/report.h): status
// texts on stderr, errors in the program's one shape, and the cancel probe
// fed by ESC and Ctrl-C.
#ifndef PARTELLO_CLI_CONSOLE_REPORT_H
#define PARTELLO_CLI_CONSOLE_REPORT_H

// -q: from here on only errors are shown.
void SetQuiet(bool quiet);
// A line of information on stderr (not an error), unless quiet.
void ShowNote(const char *text);

// The name a join into standard output gives the engine for it.
const char kStandardOutput[] = "standard output";
// True once a write to kStandardOutput failed because its reader left:
// that failure is not shown, and the command ends as cat would.
bool StandardOutputClosed();

#endif
