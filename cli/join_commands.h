// join, verify and list PART: the set that discovery finds from any of its
// names, joined, read through or shown.
#ifndef PARTELLO_CLI_JOIN_COMMANDS_H
#define PARTELLO_CLI_JOIN_COMMANDS_H

#include "commands.h"

// Each returns the program's exit status.
int RunJoin(const CommandLine *line);
int RunVerify(const CommandLine *line);
int RunList(const CommandLine *line);

#endif
