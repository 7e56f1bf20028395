// split FILE: the console's checks in front of the engine's split, so
// that a console user gets a reason where the window would just keep its
// OK button disabled.
#ifndef PARTELLO_CLI_SPLIT_COMMAND_H
#define PARTELLO_CLI_SPLIT_COMMAND_H

#include "commands.h"

// The program's exit status.
int RunSplit(const CommandLine *line);

#endif
