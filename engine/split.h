// Cutting a file into numbered parts, and the queries the split page uses.
#ifndef PARTELLO_SPLIT_H
#define PARTELLO_SPLIT_H

#include <stddef.h>
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
// A split as the front ends ask for it: its inputs, and what they are
// worth by the source's size as a directory search gives it. Made once for
// each change of the inputs, and handed to the split, which measures the
// source again at the file it opens.
struct SplitPlan {
    const char *sourcePath;
    const char *folder;
    int partSizeKb;  // ReadPartSize's: 0 for none
    int64_t length;  // the source's size: 0 when there is none, or it is a folder
    int64_t parts;   // CountPartsOfLength, or 0 when there is no source or no part size
    SplitInputs inputs;
};
void MakeSplitPlan(const char *sourcePath, const char *folder, int partSizeKb, SplitPlan *plan);
// True from two parts on: the window offers the split, and the split
// itself refuses what is left with its message.
inline bool MakesTwoParts(SplitInputs inputs) { return inputs >= SPLIT_TOO_MANY_PARTS; }

// What a split may do with an earlier set of the same name in its folder:
// the numbered names of a split of the same file there (letter case
// ignored, as discovery ignores it), its checksum file among them.
struct SplitRule {
    bool replaceAny;  // whatever is there (the console's -f)
    // Asked, once the checks that refuse a split without writing have
    // passed, about an earlier set in `folder`, named by its first piece;
    // true replaces that set whole. NULL: the set is kept and the split
    // refused.
    bool (*askReplace)(const char *folder, const char *firstPiece);
    bool keptEarlier;  // set when the split stopped to keep an earlier set
};

// The first piece in join order of an earlier set (see SplitRule) that a
// split of `sourcePath` into `folder` would meet, into `path` (PATH_SIZE);
// "" when there is none. False when the folder cannot be searched.
bool FindEarlierSet(const char *sourcePath, const char *folder, char *path);

// Splits the plan's source into parts of its size in its folder in the
// join's steps, reporting through report.h. A plan without a part size
// ends at once, silently; a source or folder gone since the plan is an
// error.
// Plan: the source is opened and its length taken there; refused before
// anything is written are an empty source, one that makes fewer than two
// parts or more than MAX_PARTS, names over the path limit, a name that
// leads to the source, and an earlier set that `rule` does not let it
// replace (NULL: any may be replaced), asked about last.
// Write beside: the checksum pass over the source, then each part and the
// checksum file under an unfinished name, with the source's last-write
// time and permissions no wider than the source's, each flushed.
// Check: the bytes written must be those the pass read, from a source
// whose length and time did not change.
// Commit: the earlier set out of the way, the checksum file and the parts
// onto their names, never over anything else; every failure before the end
// of it leaves the folder as it was. Then the earlier set's files are
// deleted and, when `copyProgram`, the program copied beside the parts
// unless a file of its name is there.
OperationResult SplitFile(const SplitPlan *plan, bool copyProgram, SplitRule *rule = NULL);

#endif
