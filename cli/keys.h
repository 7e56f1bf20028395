// Telling the ESC key from the other keys in a terminal's input bytes.
#ifndef PARTELLO_CLI_KEYS_H
#define PARTELLO_CLI_KEYS_H

// Takes the waiting key bytes from `fd` up to and including the first ESC
// and answers whether there was one. The byte sequences that other keys
// send (ESC '[' ... and ESC 'O' x) are taken whole and are not an ESC.
// Reads nothing more once an ESC is found, so later keys stay queued
// (apart from the one byte that tells an ESC from such a sequence).
bool ReadEscapeKey(int fd);

#endif
