// Cutting a file into numbered parts, and the queries the split page uses.
#ifndef PARTELLO_SPLIT_H
#define PARTELLO_SPLIT_H

#include <stdint.h>

#include "report.h"

// The part size in kilobytes that a split starts with: a floppy's.
#define DEFAULT_PART_SIZE_TEXT "1440"

enum {
    MIN_PART_KB = 120,
    MAX_PARTS = 998,  // part number 999 is the checksum file's
    CHECKSUM_PART_NUMBER = 999,
};

// The size edit's text as a part size in kilobytes: a signed 32-bit number,
// decimal with optional sign or '$' and hex digits, after optional blanks and
// with nothing following. Anything else, an overflow, or a value below 120
// gives 0.
int ReadPartSize(const char *text);

// The path of piece `number` of a split of `sourcePath` into `folder`: the
// folder, a separator unless it ends in one, the source's file name cut to
// 255 characters, '.' and the number in at least three digits. False when
// that would not fit a path; `path` (PATH_SIZE) is then cut short.
bool MakeSplitPath(const char *sourcePath, const char *folder, int number, char *path);

// Number of parts a split would write: 0 when the file is missing, empty or
// a folder, or the part size is 0; otherwise size / (kb * 1024) + 1.
int64_t CountParts(const char *sourcePath, int partSizeKb);

// Splits `sourcePath` into parts of `partSizeKb` kilobytes in `folder`,
// reporting through report.h. Refused before anything is written: a
// checksum file or part name that leads to the source itself. A source
// whose length or last-write time changed by the end is an error, and the
// parts stay as written.
OperationResult SplitFile(const char *sourcePath, const char *folder, int partSizeKb, bool copyProgram);

#endif
