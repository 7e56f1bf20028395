// checksum FILE: the CRC-32 of a file as the split would store it.
#ifndef PARTELLO_CLI_CHECKSUM_COMMAND_H
#define PARTELLO_CLI_CHECKSUM_COMMAND_H

#include "commands.h"

// The program's exit status.
int RunChecksum(const CommandLine *line);

#endif
