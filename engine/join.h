// Rebuilding one file from its parts, and the join page's small rules.
#ifndef PARTELLO_JOIN_H
#define PARTELLO_JOIN_H

#include "discovery.h"
#include "platform.h"
#include "report.h"

// What a join may do with a file that is at the output name.
struct OutputRule {
    bool replaceAny;  // whatever is there (the console's -f)
    bool agreed;      // the user agreed to replace `agreedFile`, the file there when asked
    FileIdentity agreedFile;
    // Asked, once the checks that refuse a join without writing have passed,
    // about a file at the output name that the rule does not cover; true
    // replaces it. NULL: such a file is kept and the join refused.
    bool (*askReplace)(const char *outputPath);
    bool keptExisting;  // set when the join stopped to keep a file at the output name
};

// Joins `names` (bare part names, in order, each prefixed with `folder`;
// an empty name ends the list) into `outputPath` in four steps.
// Plan, before anything is written: refused are a list that fails the set
// check over `places` (discovery's), a folder that holds a run of numbers
// of another width (FindOtherRun), an output path over PATH_CHARS - 1
// characters or one the system reads as no file (FindNameFault), a
// checksum file that cannot check anything (ReadChecksumFile), an output
// that is one of the parts or the checksum file, a part that cannot be
// opened, a set larger than the free space, and a file at the output name
// that `rule` does not let it replace (NULL: any file may be replaced);
// the question about such a file comes last, and is asked again while the
// file there changes under it.
// Write beside: the parts go into an unfinished file next to the output,
// each at the length measured in the plan (a part that changed is an
// error), and that file is flushed.
// Check: it is read back against the stored checksum. Only a join that
// checked out (or that had no checksum file) is moved onto the output
// name, replacing only a file that `rule` covers at that moment, with that
// file's permissions; a mismatch goes only into a free name, and every
// other failure or cancel removes the unfinished file.
// Clean up: when `deleteParts`, the checksum file and the parts are deleted
// after a verified join (checksums matched, or there was no checksum file,
// the sizes agreed and no part before the last was shorter than the first,
// which is named instead), while the output name still leads to the file
// written. A join without a checksum file is noted as unverified. Reports
// through report.h.
OperationResult JoinFiles(const char *const *names, int count, const char *folder, NumberPlaces places,
                          const char *outputPath, bool deleteParts, OutputRule *rule = NULL);

// Every part of a set opened and measured before anything is written: each
// length into `lengths`, their sum into `*total`. False for the first part
// that does not open or whose length cannot be read, its path left in `path`
// and why in `*systemError`.
bool MeasureParts(const char *const *names, int count, const char *folder, int64_t *lengths, int64_t *total,
                  char *path, int *systemError);

// A discovery that found at least two parts: one part alone is no set.
bool CanJoinPartSet(const PartSet *set);

// JoinFiles over a discovered set: its names, folder and number places.
OperationResult JoinPartSet(const PartSet *set, const char *outputPath, bool deleteParts, OutputRule *rule = NULL);

#endif
