// Finding every part of a numbered set from any one of its names.
#ifndef PARTELLO_DISCOVERY_H
#define PARTELLO_DISCOVERY_H

#include "part_names.h"
#include "platform.h"
#include "report.h"
#include "unfinished.h"

// A growable list of bare names, kept in join order.
struct NameList {
    char (*names)[PATH_SIZE];
    int count;
    int capacity;
};

void ClearNameList(NameList *list);  // frees the storage
bool AddName(NameList *list, const char *name);
// The names as the set check and the join take them: an array of pointers
// into `list`, to be freed with free(). NULL for an empty list or when out
// of memory.
const char **PointToNames(const NameList *list);

enum DiscoveryOutcome {
    DISCOVERY_NO_DIGIT,    // the name holds no digit
    DISCOVERY_NOT_FOUND,   // the search found nothing
    DISCOVERY_FOUND,       // `names` holds the names kept (maybe none)
};

// Where the part number stands in every name of a set: the places that the
// part pattern holds open (the last digit run of the name discovery started
// from). The names alone cannot tell: a stray name may hold a longer digit
// run in its fixed part.
struct NumberPlaces {
    int start;
    int width;  // 0: unknown, and then no set passes the set check
};

struct PartSet {
    char folder[PATH_SIZE];   // the join folder: "" or ending in a separator
    char pattern[PATH_SIZE];  // the file name with its last digit run as '?'
    NumberPlaces places;      // the '?' of the pattern
    DiscoveryOutcome outcome;
    NameList names;           // sorted: case-insensitive, digits before letters
    char otherRun[PATH_SIZE]; // see FindOtherRun; "" when there is none
};

// The platform-free step: splits `path` into folder and name, makes the part
// pattern and keeps the names of `listing` that match it exactly (same
// length, '?' any character, others equal ignoring case), less those ending
// in ".999", sorted into join order, and notes the first listed name of
// another run (`otherRun`). `listing` may hold unrelated names.
// Every field of `set` is overwritten: ClearNameList a set before reusing it.
// DISCOVERY_NOT_FOUND (empty list) when no listed name matched, ".999" ones
// included.
void FindPartSet(const char *path, const char *const *listing, int listingCount, PartSet *set);

// The same over the real folder, through the platform's directory search.
void DiscoverPartSet(const char *path, PartSet *set);

// True when what discovery found is no numbered set: the name holds no
// digit, or only one name was kept. Such a set is answered with
// MSG_ONLY_NUMBERED.
bool IsUnnumbered(const PartSet *set);

// True when the file `path` names looks like a part of a set rather than a
// file to split: its extension (after the name's last '.') is all digits
// (x.001, x.1, x.9000), or the name has no '.' and ends in a digit (x00).
// Extensions that merely end in a digit (.mp3, .mp4, .h264) are no number.
bool LooksLikePart(const char *path);

// Why a set may not be joined, found before anything is written.
enum PartSetFault {
    PART_SET_WHOLE,         // numbered from 0 or 1 on, each number once, no gap
    PART_SET_NOT_NUMBERED,  // a name's number places are not all digits
    PART_SET_NUMBER_TWICE,  // a name carries the number of the one before it
    PART_SET_OUT_OF_ORDER,  // a name carries a lower number than the one before
    PART_SET_PART_MISSING,  // a number is missing, the first one maybe
    PART_SET_GOES_ON,       // the folder holds numbers of another width as well
};

struct PartSetCheck {
    PartSetFault fault;
    int name;                // the offending name's index, or -1
    char number[PATH_SIZE];  // the first missing number, as wide as the places
    char otherRun[PATH_SIZE];  // PART_SET_GOES_ON: the entry of the other run
};

// The set check, over bare names in join order. Numbers are compared as
// digit strings of the places' width, so they may be of any length. The
// lowest number must be 0 or 1; every later name carries the number after
// its predecessor's. No names at all is a whole (empty) set.
PartSetFault CheckPartSet(const char *const *names, int count, NumberPlaces places, PartSetCheck *check);

// A numbering that grew past its width (x00 ... x89, x9000 ...; file.1 ...
// file.9, file.10 ...) spreads one set over runs of different widths, and
// the part pattern finds only one of them. An entry of another run is
// equal to `name` (a name of the set) outside its number, ignoring case, and
// holds a run of digits of another width in the number's place. Checksum
// files (".999") are none. The first such entry of `folder` in join order
// goes into `entry` (PATH_SIZE), or "". False when the folder, which holds
// the set, could not be searched.
bool FindOtherRun(const char *folder, const char *name, NumberPlaces places, char *entry);

// The whole check of a discovered set: PART_SET_GOES_ON when `otherRun` names an
// entry, otherwise CheckPartSet.
PartSetFault CheckWholeSet(const char *const *names, int count, NumberPlaces places, const char *otherRun,
                       PartSetCheck *check);

// The event of a refused set: its message, the missing number or the
// offending name (of the set or of the other run) as its subject, and the
// file it concerns in `folder` (the missing part's would-be name, or the
// offending entry), built into `path` (PATH_SIZE).
void DescribeSetFault(const PartSetCheck *check, const char *const *names, const char *folder, NumberPlaces places,
                      EngineEvent *event, char *path);
// The fault, described so, reported as a failure.
void ReportSetFault(const PartSetCheck *check, const char *const *names, const char *folder, NumberPlaces places);

// Discovery's rule for a numbered name of a set: `entry` is as long as
// `name`, equal to it outside `places` ignoring case, and holds digits in
// them.
bool IsNumberedLike(const char *entry, const char *name, NumberPlaces places);

// Orders two names of a set: case-insensitive, digits before letters.
int CompareNames(const char *a, const char *b);

// The unfinished files (unfinished.h) that a join or a split of `set`
// killed outright left in its folder: a join's named after the set's
// suggested output name, a split's after one of its parts or its checksum
// file (letter case ignored, as discovery ignores it). Their bare names go
// into `found` in join order; false when the folder could not be searched
// or memory ran out. The caller clears `found` either way.
bool FindUnfinishedOfSet(const PartSet *set, NameList *found);

#endif
