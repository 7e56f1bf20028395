#include "discovery.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "messages.h"

namespace {

// Sort key of one character: punctuation (and the end of a name) first,
// then digits, then letters without regard to case, then the upper half.
int RankOf(unsigned char c)
{
    if (IsDigit((char)c)) return 0x100 + c;
    if (c >= 'A' && c <= 'Z') return 0x200 + c - 'A' + 'a';
    if (c >= 'a' && c <= 'z') return 0x200 + c;
    if (c >= 0x80) return 0x300 + c;
    return c;
}

// A search for the first entry of another run (FindOtherRun).
struct OtherRunSearch {
    const char *name;
    NumberPlaces places;
    char *found;  // PATH_SIZE; "" until one is found
};

// Equal outside the number ignoring case, and a digit run of another width
// in its place. The characters around a digit run are no digits, so the
// run's width in `entry` is plain to see.
bool IsOfOtherRun(const char *entry, const char *name, NumberPlaces places)
{
    size_t start = (size_t)places.start;
    for (size_t i = 0; i < start; i++)
        if (!entry[i] || FoldCase(entry[i]) != FoldCase(name[i])) return false;
    size_t width = 0;
    while (IsDigit(entry[start + width])) width++;
    if (width == 0 || width == (size_t)places.width) return false;
    return NamesEqualIgnoringCase(entry + start + width, name + start + places.width) &&
           !EndsInChecksumExtension(entry, (int64_t)strlen(entry));
}

void OfferOtherRun(const char *entry, void *context)
{
    OtherRunSearch *search = (OtherRunSearch *)context;
    if (!IsOfOtherRun(entry, search->name, search->places) || strlen(entry) >= PATH_SIZE) return;
    if (search->found[0] && CompareNames(entry, search->found) >= 0) return;
    strcpy(search->found, entry);
}

// One discovery in progress: the (cut) name whose last digit run is open.
struct Matcher {
    PartSet *set;
    char name[NAME_SIZE];
    size_t length;
    size_t runStart, runEnd;  // the open places
    bool found;               // some entry matched, ".999" included
    bool outOfMemory;
    OtherRunSearch other;
};

// Sets the folder and the pattern. False when there is nothing to search
// for; the outcome is then already set.
bool PrepareSearch(const char *path, PartSet *set, Matcher *matcher)
{
    memset(set, 0, sizeof *set);
    memset(matcher, 0, sizeof *matcher);
    matcher->set = set;
    set->outcome = DISCOVERY_NOT_FOUND;

    const char *name = FindFileName(path);
    size_t folderLength = (size_t)(name - path);
    // A folder part such as "C:" becomes "C:\", as the join expects.
    bool addSeparator = folderLength > 0 && path[folderLength - 1] != PATH_SEPARATOR;
    if (folderLength + addSeparator >= PATH_SIZE) return false;
    memcpy(set->folder, path, folderLength);
    if (addSeparator) set->folder[folderLength++] = PATH_SEPARATOR;
    set->folder[folderLength] = '\0';

    size_t length = FitCharacters(name, NAME_CHARS);
    memcpy(matcher->name, name, length);
    matcher->name[length] = '\0';
    matcher->length = length;

    size_t end = length;
    while (end > 0 && !IsDigit(name[end - 1])) end--;
    if (end == 0) {
        set->outcome = DISCOVERY_NO_DIGIT;
        return false;
    }
    size_t start = end;
    while (start > 0 && IsDigit(name[start - 1])) start--;
    memcpy(set->pattern, matcher->name, length + 1);
    memset(set->pattern + start, '?', end - start);
    matcher->runStart = start;
    matcher->runEnd = end;
    set->places.start = (int)start;
    set->places.width = (int)(end - start);
    matcher->other.name = matcher->name;
    matcher->other.places = set->places;
    matcher->other.found = set->otherRun;
    return true;
}

// Exact length; any character at the open places, the name's own
// characters elsewhere, compared without regard to case.
bool MatchesPattern(const Matcher *matcher, const char *entry)
{
    for (size_t i = 0; i < matcher->length; i++) {
        if (!entry[i]) return false;
        if (i >= matcher->runStart && i < matcher->runEnd) continue;
        if (FoldCase(entry[i]) != FoldCase(matcher->name[i])) return false;
    }
    return entry[matcher->length] == '\0';
}

void OfferName(const char *entry, void *context)
{
    Matcher *matcher = (Matcher *)context;
    if (IsUnfinishedName(entry)) return;
    if (!MatchesPattern(matcher, entry)) {
        OfferOtherRun(entry, &matcher->other);
        return;
    }
    matcher->found = true;
    // The set's checksum file is no part.
    if (EndsInChecksumExtension(entry, (int64_t)matcher->length)) return;
    if (!AddName(&matcher->set->names, entry)) matcher->outOfMemory = true;
}

int CompareEntries(const void *a, const void *b) { return CompareNames((const char *)a, (const char *)b); }

void SortNames(NameList *list)
{
    if (list->count > 1) qsort(list->names, (size_t)list->count, PATH_SIZE, CompareEntries);
}

void FinishSearch(Matcher *matcher)
{
    PartSet *set = matcher->set;
    // A list that lost names must not be joined: report nothing found.
    if (matcher->outOfMemory || !matcher->found) {
        ClearNameList(&set->names);
        return;
    }
    set->outcome = DISCOVERY_FOUND;
    SortNames(&set->names);
}

// True when `name` reaches past the places and holds only digits there.
bool HoldsNumber(const char *name, NumberPlaces places)
{
    if (places.start < 0 || places.width <= 0 || places.start + places.width >= PATH_SIZE) return false;
    for (int i = 0; i < places.start; i++)
        if (!name[i]) return false;
    for (int i = places.start; i < places.start + places.width; i++)
        if (!IsDigit(name[i])) return false;
    return true;
}

// Adds one to a digit string; false when it was all nines.
bool IncrementNumber(char *digits, int width)
{
    for (int i = width - 1; i >= 0; i--) {
        if (digits[i] != '9') {
            digits[i]++;
            return true;
        }
        digits[i] = '0';
    }
    return false;
}

// A search for the unfinished files of a set (FindUnfinishedOfSet).
struct UnfinishedSearch {
    const PartSet *set;
    char output[PATH_SIZE];    // the join's suggested output name
    char checksum[PATH_SIZE];  // the set's checksum file's name
    NameList *found;
    bool outOfMemory;
};

void OfferUnfinished(const char *entry, void *context)
{
    UnfinishedSearch *search = (UnfinishedSearch *)context;
    const PartSet *set = search->set;
    char name[PATH_SIZE];
    bool ofJoin = FindFinalName(entry, UNFINISHED_JOIN_SUFFIX, name) && NamesEqualIgnoringCase(name, search->output);
    bool ofSplit = FindFinalName(entry, UNFINISHED_SPLIT_SUFFIX, name) &&
                   (IsNumberedLike(name, set->names.names[0], set->places) ||
                    NamesEqualIgnoringCase(name, search->checksum));
    if ((ofJoin || ofSplit) && !AddName(search->found, entry)) search->outOfMemory = true;
}

PartSetFault RefuseSet(PartSetCheck *check, PartSetFault fault, int name)
{
    check->fault = fault;
    check->name = name;
    if (name >= 0) check->number[0] = '\0';
    return fault;
}

}  // namespace

void ClearNameList(NameList *list)
{
    free(list->names);
    list->names = NULL;
    list->count = 0;
    list->capacity = 0;
}

bool AddName(NameList *list, const char *name)
{
    size_t length = strlen(name);
    if (length >= PATH_SIZE) return false;
    if (list->count == list->capacity) {
        int capacity = list->capacity ? list->capacity * 2 : 16;
        void *grown = realloc(list->names, (size_t)capacity * PATH_SIZE);
        if (!grown) return false;
        list->names = (char (*)[PATH_SIZE])grown;
        list->capacity = capacity;
    }
    memcpy(list->names[list->count++], name, length + 1);
    return true;
}

const char **PointToNames(const NameList *list)
{
    if (list->count <= 0) return NULL;
    const char **names = (const char **)malloc((size_t)list->count * sizeof *names);
    if (names)
        for (int i = 0; i < list->count; i++) names[i] = list->names[i];
    return names;
}

void FindPartSet(const char *path, const char *const *listing, int listingCount, PartSet *set)
{
    Matcher matcher;
    if (!PrepareSearch(path, set, &matcher)) return;
    for (int i = 0; i < listingCount; i++) OfferName(listing[i], &matcher);
    FinishSearch(&matcher);
}

void DiscoverPartSet(const char *path, PartSet *set)
{
    Matcher matcher;
    if (!PrepareSearch(path, set, &matcher)) return;
    // Every entry: those of another run do not match the pattern.
    ListFolder(set->folder, "*", OfferName, &matcher);
    FinishSearch(&matcher);
}

bool IsUnnumbered(const PartSet *set)
{
    return set->outcome == DISCOVERY_NO_DIGIT || (set->outcome == DISCOVERY_FOUND && set->names.count == 1);
}

bool LooksLikePart(const char *path)
{
    const char *name = FindFileName(path), *dot = strrchr(name, '.');
    const char *number = dot ? dot + 1 : name;
    size_t length = strlen(number);
    if (length == 0 || !IsDigit(number[length - 1])) return false;
    return !dot || strspn(number, "0123456789") == length;
}

bool IsNumberedLike(const char *entry, const char *name, NumberPlaces places)
{
    size_t length = strlen(name), start = (size_t)places.start, end = start + (size_t)places.width;
    if (places.start < 0 || places.width <= 0 || end > length || strlen(entry) != length) return false;
    for (size_t i = 0; i < length; i++)
        if (i >= start && i < end ? !IsDigit(entry[i]) : FoldCase(entry[i]) != FoldCase(name[i])) return false;
    return true;
}

int CompareNames(const char *a, const char *b)
{
    for (size_t i = 0;; i++) {
        int rankA = RankOf((unsigned char)a[i]), rankB = RankOf((unsigned char)b[i]);
        if (rankA != rankB) return rankA < rankB ? -1 : 1;
        if (!a[i]) break;
    }
    // Names that differ only in case still get a fixed order.
    int bytes = strcmp(a, b);
    return (bytes > 0) - (bytes < 0);
}

PartSetFault CheckPartSet(const char *const *names, int count, NumberPlaces places, PartSetCheck *check)
{
    check->fault = PART_SET_WHOLE;
    check->name = -1;
    check->number[0] = '\0';
    check->otherRun[0] = '\0';
    for (int i = 0; i < count; i++)
        if (!HoldsNumber(names[i], places)) return RefuseSet(check, PART_SET_NOT_NUMBERED, i);
    if (count == 0) return PART_SET_WHOLE;

    // `expected` is the number the next name must carry; equal widths make
    // byte order the numeric order.
    size_t width = (size_t)places.width;
    char *expected = check->number;
    memset(expected, '0', width);
    expected[width] = '\0';
    bool more = true;  // false once `expected` ran past the widest number
    for (int i = 0; i < count; i++) {
        const char *number = names[i] + places.start;
        if (i == 0 && memcmp(number, expected, width) == 0) {
            more = IncrementNumber(expected, (int)width);  // numbered from 0
            continue;
        }
        if (i == 0) IncrementNumber(expected, (int)width);
        int order = more ? memcmp(number, expected, width) : -1;
        if (order > 0) return RefuseSet(check, PART_SET_PART_MISSING, -1);
        if (order < 0) {
            bool same = i > 0 && memcmp(number, names[i - 1] + places.start, width) == 0;
            return RefuseSet(check, same ? PART_SET_NUMBER_TWICE : PART_SET_OUT_OF_ORDER, i);
        }
        more = IncrementNumber(expected, (int)width);
    }
    check->number[0] = '\0';
    return PART_SET_WHOLE;
}

bool FindOtherRun(const char *folder, const char *name, NumberPlaces places, char *entry)
{
    entry[0] = '\0';
    // A name without the places fails the set check anyway.
    if (places.start < 0 || places.width <= 0 || strlen(name) < (size_t)(places.start + places.width)) return true;
    OtherRunSearch search = {name, places, entry};
    return ListFolder(folder, "*", OfferOtherRun, &search);
}

PartSetFault CheckWholeSet(const char *const *names, int count, NumberPlaces places, const char *otherRun,
                       PartSetCheck *check)
{
    if (!otherRun || !otherRun[0]) return CheckPartSet(names, count, places, check);
    check->fault = PART_SET_GOES_ON;
    check->name = -1;
    check->number[0] = '\0';
    snprintf(check->otherRun, sizeof check->otherRun, "%s", otherRun);
    return PART_SET_GOES_ON;
}

void DescribeSetFault(const PartSetCheck *check, const char *const *names, const char *folder, NumberPlaces places,
                      EngineEvent *event, char *path)
{
    static const int kMessages[] = {0, MSG_NOT_NUMBERED, MSG_NUMBER_TWICE, MSG_OUT_OF_ORDER, MSG_PART_MISSING,
                                    MSG_SET_GOES_ON};
    memset(event, 0, sizeof *event);
    path[0] = '\0';
    if (check->fault == PART_SET_WHOLE) return;
    event->message = kMessages[check->fault];
    event->subject = check->fault == PART_SET_GOES_ON ? check->otherRun
                     : check->name >= 0            ? names[check->name]
                                                   : check->number;
    event->path = path;
    if (check->fault != PART_SET_PART_MISSING) {
        MakePartPath(folder, event->subject, path);
        return;
    }
    // The missing part's name: the first one's with the missing number.
    if (MakePartPath(folder, names[0], path))
        memcpy(path + strlen(folder) + places.start, check->number, (size_t)places.width);
}

void ReportSetFault(const PartSetCheck *check, const char *const *names, const char *folder, NumberPlaces places)
{
    EngineEvent event;
    char path[PATH_SIZE];
    DescribeSetFault(check, names, folder, places, &event, path);
    ReportFailure(&event);
}

bool FindUnfinishedOfSet(const PartSet *set, NameList *found)
{
    memset(found, 0, sizeof *found);
    if (set->names.count == 0) return true;
    UnfinishedSearch search;
    memset(&search, 0, sizeof search);
    search.set = set;
    search.found = found;
    SuggestOutputName(set->names.names[0], search.output, sizeof search.output);
    MakeChecksumPath(set->names.names[set->names.count - 1], search.checksum, sizeof search.checksum);
    bool listed = ListFolder(set->folder, "*", OfferUnfinished, &search);
    SortNames(found);
    return listed && !search.outOfMemory;
}
