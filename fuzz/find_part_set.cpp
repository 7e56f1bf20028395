// FindPartSet and the set check over listings made from the input: the
// folder and pattern come from the path, the names kept are exactly the
// listed ones that match the pattern, less the checksum file, and they are
// in join order. The check passes exactly the sets numbered from 0 or 1 on
// without a gap or a repeat, and a refusal names the first fault. The check
// also takes the raw listing, in any order, without harm.
//
// The input is lines: the path, then one listing entry per line. An entry
// "*T" is the path's name with its last digit run replaced by T; "^T" is the
// same with the case of its letters swapped. Other entries are taken as they
// are.
#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "discovery.h"
#include "fuzz_support.h"
#include "messages.h"
#include "platform.h"

namespace {

const size_t kMaxNameLength = 255;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }
char SwapCase(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c >= 'A' && c <= 'Z' ? FoldCase(c) : c; }

// The searched name (cut as discovery cuts it) and its open places.
struct Name {
    size_t folderLength = 0;
    std::string text;
    size_t runStart = 0, runEnd = 0;  // runEnd 0: no digit
};

Name ReadName(const std::string &path)
{
    Name name;
    size_t start = 0;
    for (size_t i = 0; i < path.size(); i++)
        if (IsPathSeparator(path[i])) start = i + 1;
    name.folderLength = start;
    name.text = path.substr(start, kMaxNameLength);
    size_t end = name.text.size();
    while (end > 0 && !IsDigit(name.text[end - 1])) end--;
    size_t runStart = end;
    while (runStart > 0 && IsDigit(name.text[runStart - 1])) runStart--;
    name.runStart = runStart;
    name.runEnd = end;
    return name;
}

std::string MakeEntry(const std::string &line, const Name &name)
{
    if (line.empty() || (line[0] != '*' && line[0] != '^')) return line;
    std::string entry = name.text.substr(0, name.runStart) + line.substr(1) + name.text.substr(name.runEnd);
    if (line[0] == '^')
        for (char &c : entry) c = SwapCase(c);
    return entry;
}

bool Matches(const std::string &entry, const Name &name)
{
    if (entry.size() != name.text.size()) return false;
    for (size_t i = 0; i < entry.size(); i++)
        if ((i < name.runStart || i >= name.runEnd) && FoldCase(entry[i]) != FoldCase(name.text[i])) return false;
    return true;
}

bool EndsIn999(const std::string &entry) { return entry.size() >= 4 && entry.compare(entry.size() - 4, 4, ".999") == 0; }

// The digits at the places, or "" when the name does not hold a number there.
std::string NumberOf(const char *name, NumberPlaces places)
{
    size_t start = (size_t)places.start, width = (size_t)places.width;
    if (places.width <= 0 || strlen(name) < start + width) return "";
    std::string number(name + start, width);
    for (char c : number)
        if (!IsDigit(c)) return "";
    return number;
}

// The next number of the same width; "" past the largest.
std::string Next(std::string number)
{
    for (size_t i = number.size(); i > 0; i--) {
        if (number[i - 1] != '9') {
            number[i - 1]++;
            return number;
        }
        number[i - 1] = '0';
    }
    return "";
}

std::string Numbered(size_t width, char last) { return std::string(width - 1, '0') + last; }

// True when the numbers, in this order, run from 0 or 1 on without a gap or
// a repeat.
bool IsWhole(const std::vector<std::string> &numbers)
{
    if (numbers.empty()) return true;
    size_t width = numbers[0].size();
    if (numbers[0] != Numbered(width, '0') && numbers[0] != Numbered(width, '1')) return false;
    for (size_t i = 1; i < numbers.size(); i++)
        if (numbers[i] != Next(numbers[i - 1])) return false;
    return true;
}

// The set check over a listing in any order: a refusal exactly when the
// numbers do not run whole, and a detail that is one of the names or a
// number as wide as the places. Gives the numbers when all names hold one.
bool CheckAnyOrder(const char *const *names, int count, NumberPlaces places, PartSetCheck *check,
                   std::vector<std::string> *numbers)
{
    PartSetFault fault = CheckPartSet(names, count, places, check);
    REQUIRE(fault == check->fault);
    REQUIRE(strnlen(check->number, PATH_SIZE) < PATH_SIZE);
    numbers->clear();
    bool numbered = true;
    for (int i = 0; i < count; i++) {
        numbers->push_back(NumberOf(names[i], places));
        numbered = numbered && !numbers->back().empty();
    }
    REQUIRE((fault == PART_SET_WHOLE) == (numbered && IsWhole(*numbers)));
    if (fault == PART_SET_PART_MISSING) {
        REQUIRE(check->name == -1 && strlen(check->number) == (size_t)places.width);
        REQUIRE(NumberOf(check->number, {0, places.width}) == check->number);
    } else if (fault != PART_SET_WHOLE) {
        REQUIRE(check->name >= 0 && check->name < count);
    }

    // The refusal names the offending name or the missing number, and its
    // file is that name, or the first name with the missing number, in the folder.
    EngineEvent event;
    char path[PATH_SIZE];
    DescribeSetFault(check, names, "f/", places, &event, path);
    REQUIRE((event.message == 0) == (fault == PART_SET_WHOLE));
    if (fault != PART_SET_WHOLE) {
        const char *detail = check->name >= 0 ? names[check->name] : check->number;
        REQUIRE(strcmp(event.subject, detail) == 0 && strncmp(path, "f/", 2) == 0);
        if (fault == PART_SET_PART_MISSING)
            REQUIRE(strncmp(path + 2 + places.start, detail, (size_t)places.width) == 0);
        else
            REQUIRE(strcmp(path + 2, detail) == 0);
    }
    return numbered;
}

// The set check over the names discovery kept, in join order: the first
// fault is the one reported.
void CheckInJoinOrder(const PartSet *set)
{
    const int count = set->names.count;
    const char **names = PointToNames(&set->names);
    PartSetCheck check;
    std::vector<std::string> numbers;
    bool numbered = CheckAnyOrder(names, count, set->places, &check, &numbers);
    free(names);
    if (!numbered) {
        // The first name without a number.
        REQUIRE(check.fault == PART_SET_NOT_NUMBERED);
        for (int i = 0; i < check.name; i++) REQUIRE(!numbers[(size_t)i].empty());
        REQUIRE(numbers[(size_t)check.name].empty());
        return;
    }
    // Join order is number order.
    for (int i = 1; i < count; i++) REQUIRE(numbers[(size_t)i - 1] <= numbers[(size_t)i]);
    if (check.fault == PART_SET_WHOLE) return;
    REQUIRE(check.fault == PART_SET_PART_MISSING || check.fault == PART_SET_NUMBER_TWICE);

    // The first number from 0 or 1 on that is not there, and the names before
    // the first repeat.
    const std::set<std::string> present(numbers.begin(), numbers.end());
    const size_t width = numbers[0].size();
    std::string missing = Numbered(width, present.count(Numbered(width, '0')) ? '0' : '1');
    while (!missing.empty() && present.count(missing)) missing = Next(missing);
    int repeat = 1;
    while (repeat < count && numbers[(size_t)repeat] != numbers[(size_t)repeat - 1]) repeat++;
    const bool holeFirst = !missing.empty() && missing < numbers.back() &&
                           (repeat == count || missing < numbers[(size_t)repeat]);
    if (check.fault == PART_SET_PART_MISSING) {
        REQUIRE(holeFirst && check.number == missing);
    } else {
        REQUIRE(!holeFirst && check.name == repeat);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::string> lines = SplitLines(data, size);
    // Zeros end texts early in the engine; the checks see the same texts.
    for (std::string &line : lines) line = line.c_str();
    const std::string path = lines[0];
    const Name name = ReadName(path);
    std::vector<char *> listing;
    int matching = 0, kept = 0;
    for (size_t i = 1; i < lines.size(); i++) {
        std::string entry = MakeEntry(lines[i], name);
        entry = entry.c_str();
        if (name.runEnd && Matches(entry, name) && !IsUnfinishedName(entry.c_str())) {
            matching++;
            kept += !EndsIn999(entry);
        }
        listing.push_back(CopyText(entry));
    }
    char *pathText = CopyText(path);

    PartSet set;
    FindPartSet(pathText, listing.data(), (int)listing.size(), &set);

    REQUIRE(strnlen(set.folder, PATH_SIZE) < PATH_SIZE);
    REQUIRE(strnlen(set.pattern, PATH_SIZE) < PATH_SIZE);
    const size_t folderLength = name.folderLength;
    if (folderLength >= PATH_SIZE) {
        // No folder that long: nothing is searched.
        REQUIRE(set.outcome != DISCOVERY_FOUND);
    } else if (!name.runEnd) {
        REQUIRE(set.outcome == DISCOVERY_NO_DIGIT);
    } else {
        REQUIRE(path.compare(0, folderLength, set.folder) == 0 && strlen(set.folder) == folderLength);
        REQUIRE(set.pattern == name.text.substr(0, name.runStart) + std::string(name.runEnd - name.runStart, '?') +
                                   name.text.substr(name.runEnd));
        REQUIRE(set.outcome == (matching ? DISCOVERY_FOUND : DISCOVERY_NOT_FOUND));
        REQUIRE(set.names.count == (matching ? kept : 0));
    }
    if (set.outcome != DISCOVERY_FOUND) REQUIRE(set.names.count == 0);
    for (int i = 0; i < set.names.count; i++) {
        const std::string entry = set.names.names[i];
        REQUIRE(Matches(entry, name) && !EndsIn999(entry) && !IsUnfinishedName(entry.c_str()));
        if (i > 0) REQUIRE(CompareNames(set.names.names[i - 1], set.names.names[i]) <= 0);
    }
    if (set.outcome == DISCOVERY_FOUND) {
        REQUIRE(set.places.start == (int)name.runStart && set.places.width == (int)(name.runEnd - name.runStart));
        CheckInJoinOrder(&set);
        PartSetCheck check;
        std::vector<std::string> numbers;
        CheckAnyOrder(listing.data(), (int)listing.size(), set.places, &check, &numbers);
    }

    ClearNameList(&set.names);
    free(pathText);
    for (char *entry : listing) free(entry);
    return 0;
}
