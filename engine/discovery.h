// Finding every part of a numbered set from any one of its names.
#ifndef PARTELLO_DISCOVERY_H
#define PARTELLO_DISCOVERY_H

#include "platform.h"

// A growable list of bare names, kept in join order.
struct NameList {
    char (*names)[PATH_SIZE];
    int count;
    int capacity;
};

void ClearNameList(NameList *list);  // frees the storage
bool AddName(NameList *list, const char *name);

enum DiscoveryOutcome {
    DISCOVERY_NO_DIGIT,    // the name holds no digit
    DISCOVERY_NOT_FOUND,   // the search found nothing
    DISCOVERY_FOUND,       // `names` holds the names kept (maybe none)
};

struct PartSet {
    char folder[PATH_SIZE];   // the join folder: "" or ending in a separator
    char pattern[PATH_SIZE];  // the file name with its last digit run as '?'
    DiscoveryOutcome outcome;
    NameList names;           // sorted: case-insensitive, digits before letters
};

// The platform-free step: splits `path` into folder and name, makes the part
// pattern and keeps the names of `listing` that match it exactly (same
// length, '?' any character, others equal ignoring case), less those ending
// in ".999", sorted into join order. `listing` may hold unrelated names.
// Every field of `set` is overwritten: ClearNameList a set before reusing it.
// DISCOVERY_NOT_FOUND (empty list) when no listed name matched, ".999" ones
// included.
void FindPartSet(const char *path, const char *const *listing, int listingCount, PartSet *set);

// The same over the real folder, through the platform's directory search.
void DiscoverPartSet(const char *path, PartSet *set);

// True when the join list shows "Only numbered files can be joined!" in
// place of the set: the name holds no digit, or only one name was kept.
// A discovery succeeds when outcome is DISCOVERY_FOUND and the set does not
// hold exactly one name.
bool NeedsMessageEntry(const PartSet *set);

// True when the last character of `path` is a decimal digit.
bool EndsInDigit(const char *path);

// Orders two names of a set: case-insensitive, digits before letters.
int CompareNames(const char *a, const char *b);

#endif
