// Cutting a file into numbered parts, and the queries the split page uses.
#ifndef PARTELLO_SPLIT_H
#define PARTELLO_SPLIT_H

#include <stdint.h>

#include "part_names.h"
#include "report.h"

// The part size in kilobytes that a split starts with: a floppy's.
#define DEFAULT_PART_SIZE_TEXT "1440"

enum { MIN_PART_KB = 120 };

// The size edit's text as a part size in kilobytes: a signed 32-bit number,
// decimal with optional sign or '$' and hex digits, after optional blanks and
// with nothing following. Anything else, an overflow, or a value below 120
// gives 0.
int ReadPartSize(const char *text);

// Number of parts a split would write: 0 when the file is missing, empty or
// a folder, or the part size is 0; otherwise CountPartsOfLength.
int64_t CountParts(const char *sourcePath, int partSizeKb);

// What the inputs of a split are worth, checked in this order. A split
// needs two parts at least, or the set could not be joined.
enum SplitInputs {
    SPLIT_NO_SOURCE,       // no file at the source path, or no part size
    SPLIT_EMPTY_SOURCE,    // nothing to split
    SPLIT_ONE_PART,        // the source fits in one part
    SPLIT_TOO_MANY_PARTS,  // more than MAX_PARTS
    SPLIT_NO_FOLDER,       // no folder at the folder path
    SPLIT_READY,
};
// The front ends' one question before a split; `*parts` gets CountParts.
SplitInputs CheckSplitInputs(const char *sourcePath, const char *folder, int partSizeKb, int64_t *parts);
// True from two parts on: the window offers the split, and the split
// itself refuses what is left with its message.
inline bool MakesTwoParts(SplitInputs inputs) { return inputs >= SPLIT_TOO_MANY_PARTS; }

// Splits `sourcePath` into parts of `partSizeKb` kilobytes in `folder`,
// reporting through report.h. Refused before anything is written: a
// checksum file or part name that leads to the source itself. A source
// whose length or last-write time changed by the end is an error, and the
// parts stay as written.
OperationResult SplitFile(const char *sourcePath, const char *folder, int partSizeKb, bool copyProgram);

#endif
