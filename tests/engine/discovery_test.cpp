#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/discovery.h"
#include "engine/messages.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {

typedef std::vector<std::string> Names;

const char *kNoDigit = "<no digit>";
const char *kNotFound = "<not found>";

// The outcome as one comparable list: the names, or a marker.
Names Outcome(const PartSet &set)
{
    if (set.outcome == DISCOVERY_NO_DIGIT) return {kNoDigit};
    if (set.outcome == DISCOVERY_NOT_FOUND) return {kNotFound};
    Names names;
    for (int i = 0; i < set.names.count; i++) names.push_back(set.names.names[i]);
    return names;
}

Names Find(const std::string &path, const Names &listing, PartSet *set)
{
    std::vector<const char *> entries;
    for (const std::string &name : listing) entries.push_back(name.c_str());
    FindPartSet(path.c_str(), entries.data(), static_cast<int>(entries.size()), set);
    return Outcome(*set);
}

std::string Padded(int number, int width)
{
    std::string digits = std::to_string(number);
    return std::string(digits.size() < size_t(width) ? width - digits.size() : 0, '0') + digits;
}

// prefix + each number in `width` digits at least.
Names Numbers(const std::string &prefix, int first, int last, int width)
{
    Names names;
    for (int k = first; k <= last; k++) names.push_back(prefix + Padded(k, width));
    return names;
}

Names Numbered(const std::string &base, int first, int last)
{
    return Numbers(base + ".", first, last, 3);
}

Names Join(Names a, const Names &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(FindPartSet, MatchesExactlyDropsTheChecksumFileAndSortsIntoJoinOrder)
{
    const std::string folder = "dl" + Sep();
    const Names movie = Join(Numbered("movie.avi", 1, 5), {"movie.avi.999"});
    const std::string x250(250, 'x');
    struct Case {
        const char *what;
        std::string path;
        Names listing;
        Names expected;
        std::string pattern;
        std::string otherRun = "";  // the first entry of a run of another width
    } cases[] = {
        {"a middle part", folder + "movie.avi.003", Join(movie, {"movie.avi", "notes.txt"}),
         Numbered("movie.avi", 1, 5), "movie.avi.???"},
        {"the checksum file itself", folder + "movie.avi.999", movie, Numbered("movie.avi", 1, 5), "movie.avi.???"},
        {"listed in any order", "movie.avi.001", {"movie.avi.004", "movie.avi.002", "movie.avi.001"},
         {"movie.avi.001", "movie.avi.002", "movie.avi.004"}, "movie.avi.???"},
        {"no digit", "notes.txt", {"notes.txt"}, {kNoDigit}, ""},
        {"no name", folder, {"x.001"}, {kNoDigit}, ""},
        {"one part and its checksum file", "x.001", {"x.001", "x.999"}, {"x.001"}, "x.???"},
        {"only the checksum file", "x.999", {"x.999"}, {}, "x.???"},
        {"nothing matches", folder + "x.001", {"y.001", "x.01", "x.0001"}, {kNotFound}, "x.???", "x.0001"},
        {"empty listing", "x.001", {}, {kNotFound}, "x.???"},
        {"a join's unfinished output is no part", "a1.b.cdefgh.unfinished-join",
         {"a1.b.cdefgh.unfinished-join", "a2.b.cdefgh.unfinished-join"}, {kNotFound}, "a?.b.cdefgh.unfinished-join"},
        {"case of the fixed part is ignored", "report.001", {"REPORT.010", "Report.002", "report.001"},
         {"report.001", "Report.002", "REPORT.010"}, "report.???"},
        {"letters at the open places sort after digits", "x.001", {"x.bak", "x.002", "x.001", "x.00B", "x.00a"},
         {"x.001", "x.002", "x.00a", "x.00B", "x.bak"}, "x.???"},
        {"only the last digit run is open", "a1b22", {"a1b07", "a2b22", "a1b2", "a1b22", "A1B99"},
         {"a1b07", "a1b22", "A1B99"}, "a1b??", "a1b2"},
        {"digits inside the name", "file007.txt", {"file001.txt", "file002.txt", "file003.txt", "file003.999"},
         {"file001.txt", "file002.txt", "file003.txt"}, "file???.txt"},
        {"shorter and longer names do not match", "x.001", {"x.1", "x.01", "x.0001", "x.001 ", "x.002"},
         {"x.002"}, "x.???", "x.0001"},
        {"numbering grown past its width", "x17", Join(Numbers("X", 0, 89, 2), Numbers("x", 9000, 9009, 4)),
         Numbers("X", 0, 89, 2), "x??", "x9000"},
        {"unpadded numbers", "file.5", Numbers("file.", 1, 12, 1), Numbers("file.", 1, 9, 1), "file.?", "file.10"},
        {"started from the wider run", "w.bin.10", Numbers("w.bin.", 1, 12, 1), Numbers("w.bin.", 10, 12, 1), "w.bin.??",
         "w.bin.1"},
        {"one width with its checksum file", "file.5", Join(Numbers("file.", 1, 9, 1), {"file.999", "file.txt"}),
         Numbers("file.", 1, 9, 1), "file.?"},
        {"from 000 beside volumes", "x000", Join(Numbers("x", 0, 12, 3), Numbered("x.7z", 1, 3)),
         Numbers("x", 0, 12, 3), "x???"},
        {"a name cut to 255 characters", x250 + "12345" + std::string(45, 'y'),
         {x250 + "00002", x250 + "00001", x250 + "12345" + std::string(45, 'y')},
         {x250 + "00001", x250 + "00002"}, x250 + "?????"},
        {"a 300-character name cut before its digits", std::string(296, 'z') + ".001", {"zzz.001"}, {kNoDigit}, ""},
    };
    for (const Case &c : cases) {
        PartSet set;
        EXPECT_EQ(Find(c.path, c.listing, &set), c.expected) << c.what;
        if (set.outcome != DISCOVERY_NO_DIGIT) EXPECT_EQ(set.pattern, c.pattern) << c.what;
        EXPECT_EQ(set.otherRun, c.otherRun) << c.what;
        ClearNameList(&set.names);
    }
}

TEST(FindPartSet, TakesTheFolderUpToTheLastSeparator)
{
    struct Case {
        std::string path;
        std::string folder;
    } cases[] = {
        {"x.001", ""},
        {Sep() + "data" + Sep() + "x.001", Sep() + "data" + Sep()},
        {"a" + Sep() + "b" + Sep(), "a" + Sep() + "b" + Sep()},
#ifdef _WIN32
        {"C:x.001", "C:\\"},  // a drive alone gets its backslash
        {"C:\\data\\x.001", "C:\\data\\"},
        {"C:\\data/x.001", "C:\\"},  // '/' is no separator here
#else
        {"data\\x.001", ""},
        {"C:x.001", ""},
#endif
    };
    for (const Case &c : cases) {
        PartSet set;
        Find(c.path, {}, &set);
        EXPECT_EQ(set.folder, c.folder) << c.path;
        ClearNameList(&set.names);
    }
}

TEST(CompareNames, IgnoresCasePutsDigitsBeforeLettersAndIsTotal)
{
    struct Case {
        const char *a, *b;
        int sign;
    } cases[] = {
        {"x.002", "x.010", -1}, {"x.010", "x.002", 1},   {"report.001", "Report.002", -1},
        {"x.009", "x.00a", -1}, {"x.00A", "x.009", 1},   {"x.00a", "x.00B", -1},
        {"a", "B", -1},         {"ab", "abc", -1},       {"x.001", "x.001", 0},
        {"X.001", "x.001", -1}, {"x.001", "X.001", 1},   {"x_1", "x01", -1},
    };
    for (const Case &c : cases) {
        int result = CompareNames(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
    }
}

// Which page a dropped or named file opens on: the join page for a
// number as the whole extension, or a bare name ending in one.
TEST(LooksLikePart, TheNumberIsTheWholeExtension)
{
    for (const char *part : {"C:\\x.001", "x.1", "x.9000", "C:\\d\\x00", "7"}) EXPECT_TRUE(LooksLikePart(part)) << part;
    for (const char *other : {"movie.mp4", "C:\\song.mp3", "report2023.pdf", "C:\\notes.txt", "C:\\parts\\", "x.001 ", ""})
        EXPECT_FALSE(LooksLikePart(other)) << other;
}

TEST(DiscoverPartSet, ListsTheRealFolder)
{
    TempDir dir;
    for (const std::string &name : Join(Numbered("movie.avi", 1, 5), {"movie.avi.999", "movie.avi.1", "movie.avi"}))
        WriteText(dir / name, name);
    fs::create_directory(fs::path(dir / "movie.avi.006"));  // a folder is listed like a file

    PartSet set;
    DiscoverPartSet((dir / "movie.avi.003").c_str(), &set);
    EXPECT_EQ(Outcome(set), Numbered("movie.avi", 1, 6));
    EXPECT_STREQ(set.otherRun, "movie.avi.1");
    EXPECT_EQ(set.folder, dir.Path());
    EXPECT_STREQ(set.pattern, "movie.avi.???");
    ClearNameList(&set.names);

    DiscoverPartSet((dir / "MOVIE.AVI.999").c_str(), &set);  // the given name need not exist
    EXPECT_EQ(Outcome(set), Numbered("movie.avi", 1, 6));
    ClearNameList(&set.names);

    DiscoverPartSet((dir / "other.001").c_str(), &set);
    EXPECT_EQ(Outcome(set), Names{kNotFound});
    DiscoverPartSet((dir / "missing" + Sep() + "x.001").c_str(), &set);
    EXPECT_EQ(Outcome(set), Names{kNotFound});
    EXPECT_EQ(set.folder, dir / "missing" + Sep());
    DiscoverPartSet((dir / "movie.avi").c_str(), &set);
    EXPECT_EQ(Outcome(set), Names{kNoDigit});
}

TEST(DiscoverPartSet, PathWithoutFolderSearchesTheCurrentFolder)
{
    TempDir dir;
    WriteText(dir / "x.001", "1");
    WriteText(dir / "x.002", "2");
    fs::path previous = fs::current_path();
    fs::current_path(fs::path(dir.Path()));
    PartSet set;
    DiscoverPartSet("x.002", &set);
    fs::current_path(previous);
    EXPECT_EQ(Outcome(set), (Names{"x.001", "x.002"}));
    EXPECT_STREQ(set.folder, "");
    ClearNameList(&set.names);
}

TEST(CheckPartSet, RefusesHolesRepeatsAndStrayNamesAndNamesTheCulprit)
{
    const std::string zeros(39, '0');  // numbers wider than any integer
    struct Case {
        const char *what;
        Names names;
        NumberPlaces places;
        PartSetFault fault;
        std::string detail;  // the missing number or the offending name
    } cases[] = {
        {"from 001", Numbered("x", 1, 12), {2, 3}, PART_SET_WHOLE, ""},
        {"from 000", Numbered("x", 0, 3), {2, 3}, PART_SET_WHOLE, ""},
        {"no names", {}, {2, 3}, PART_SET_WHOLE, ""},
        {"digits inside the name", {"file001.txt", "file002.txt"}, {4, 3}, PART_SET_WHOLE, ""},
        {"one digit, 0 to 9", {"p0", "p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9"}, {1, 1}, PART_SET_WHOLE, ""},
        {"a wide number", {"n" + zeros + "0", "n" + zeros + "1", "n" + zeros + "2"}, {1, 40}, PART_SET_WHOLE, ""},
        {"part 3 missing", {"x.001", "x.002", "x.004", "x.005"}, {2, 3}, PART_SET_PART_MISSING, "003"},
        {"the first part missing", {"x.002", "x.003"}, {2, 3}, PART_SET_PART_MISSING, "001"},
        {"from 000 with 001 missing", {"x.000", "x.002"}, {2, 3}, PART_SET_PART_MISSING, "001"},
        {"a hole after a carry", Join(Numbered("x", 1, 10), {"x.012"}), {2, 3}, PART_SET_PART_MISSING, "011"},
        {"letters in the places", {"x.001", "x.002", "x.bak"}, {2, 3}, PART_SET_NOT_NUMBERED, "x.bak"},
        {"a name too short for the places", {"x.001", "x.0"}, {2, 3}, PART_SET_NOT_NUMBERED, "x.0"},
        {"places unknown", {"x.001", "x.002"}, {0, 0}, PART_SET_NOT_NUMBERED, "x.001"},
        {"the same number in two spellings", {"x.001", "X.001", "x.002"}, {2, 3}, PART_SET_NUMBER_TWICE, "X.001"},
        {"out of order", {"x.001", "x.003", "x.002"}, {2, 3}, PART_SET_PART_MISSING, "002"},
        {"lower than its predecessor", {"x.001", "x.002", "x.001"}, {2, 3}, PART_SET_OUT_OF_ORDER, "x.001"},
        {"a hole in a wide number", {"n" + zeros + "1", "n" + zeros + "3"}, {1, 40}, PART_SET_PART_MISSING, zeros + "2"},
    };
    for (const Case &c : cases) {
        std::vector<const char *> entries;
        for (const std::string &name : c.names) entries.push_back(name.c_str());
        PartSetCheck check;
        EXPECT_EQ(CheckPartSet(entries.data(), static_cast<int>(entries.size()), c.places, &check), c.fault) << c.what;
        EXPECT_EQ(check.fault, c.fault) << c.what;
        EXPECT_EQ(check.name >= 0 ? c.names[check.name] : std::string(check.number), c.detail) << c.what;
    }

    // Nine after nine in one digit: the number does not wrap round to 0.
    const char *nines[] = {"p0", "p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9", "p9"};
    PartSetCheck check;
    EXPECT_EQ(CheckPartSet(nines, 11, {1, 1}, &check), PART_SET_NUMBER_TWICE);
    EXPECT_EQ(check.name, 10);
}

// A refusal names the missing number or the offending name, and concerns
// the missing part's would-be file or the offending entry.
TEST(CheckPartSet, RefusalNamesTheMissingNumberOrTheName)
{
    const char *holed[] = {"x.001", "x.002", "x.004"};
    const char *stray[] = {"x.001", "x.bak"};
    struct Case {
        const char *const *names;
        int count;
        const char *otherRun;
        int message;
        const char *subject, *path;
    } cases[] = {
        {holed, 3, "", MSG_PART_MISSING, "003", "d/x.003"},
        {stray, 2, "", MSG_NOT_NUMBERED, "x.bak", "d/x.bak"},
        {stray, 1, "", 0, nullptr, ""},
        {holed, 3, "x.0004", MSG_SET_GOES_ON, "x.0004", "d/x.0004"},  // before any other fault
    };
    for (const Case &c : cases) {
        PartSetCheck check;
        CheckWholeSet(c.names, c.count, {2, 3}, c.otherRun, &check);
        EngineEvent event;
        char path[PATH_SIZE];
        DescribeSetFault(&check, c.names, "d/", {2, 3}, &event, path);
        EXPECT_EQ(event.message, c.message) << c.path;
        EXPECT_STREQ(event.subject, c.subject) << c.path;
        EXPECT_STREQ(path, c.path);
    }
}

TEST(FindPartSet, KeepsThePlacesOfThePattern)
{
    struct Case {
        std::string path;
        NumberPlaces places;
    } cases[] = {
        {"dl" + Sep() + "movie.avi.003", {10, 3}},
        {"a1b22", {3, 2}},
        {"file0000000000000000000000000000007.txt", {4, 31}},
    };
    for (const Case &c : cases) {
        PartSet set;
        Find(c.path, {}, &set);
        EXPECT_EQ(set.places.start, c.places.start) << c.path;
        EXPECT_EQ(set.places.width, c.places.width) << c.path;
    }
}
