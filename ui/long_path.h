// Long-path expansion through the shell.
#ifndef PARTELLO_UI_LONG_PATH_H
#define PARTELLO_UI_LONG_PATH_H

// The long form of a drive-letter path through the shell, in `out`
// (PATH_SIZE), or `path` itself when it is not one or the shell cannot say;
// a path of any length passes whole.
const char *ExpandLongPath(const char *path, char *out);

#endif
