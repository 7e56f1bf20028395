// Rebuilding one file from its parts, and the join page's small rules.
#ifndef PARTELLO_JOIN_H
#define PARTELLO_JOIN_H

#include "discovery.h"
#include "platform.h"
#include "report.h"

// Joins `names` (bare part names, in order, each prefixed with `folder`;
// an empty name ends the list) into `outputPath`, verifies against the set's
// checksum file and, when `deleteParts`, deletes the checksum file and the
// parts, but only after a verified join (checksums matched, or there was no
// checksum file, the sizes agreed and no part before the last was shorter
// than the first, which is named instead) whose output reached the disk.
// A join without a checksum file is noted as unverified. Refused before
// anything is written: a list that fails the set check over `places`
// (discovery's), a folder that holds a run of numbers of another width
// (FindOtherRun), an output path that is one of the parts or the checksum
// file, and a part that cannot be opened. The checksum file is the entry
// named like the last part with ".999" for its extension, letter case
// ignored as discovery ignores it; one that is there but cannot be read as
// 4 bytes (too short, a folder, a link that leads nowhere), or a folder
// that cannot be searched, leaves the join unchecked: an error, and
// nothing is deleted. Reports through report.h.
OperationResult JoinFiles(const char *const *names, int count, const char *folder, NumberPlaces places,
                          const char *outputPath, bool deleteParts);

// A discovery that found at least two parts: one part alone is no set.
bool CanJoinPartSet(const PartSet *set);

// JoinFiles over a discovered set: its names, folder and number places.
OperationResult JoinPartSet(const PartSet *set, const char *outputPath, bool deleteParts);

// The name the save picker starts with: entry 0 without its trailing digits
// and then without one trailing '.'; "" for an empty list.
void SuggestOutputName(const char *firstEntry, char *out, int size);

// The checksum file's path for the last part's path: its extension (after
// the last '.' of the name) replaced by ".999", or ".999" appended.
void MakeChecksumPath(const char *partPath, char *out, int size);

#endif
