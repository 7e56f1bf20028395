#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/checksum.h"
#include "engine/join.h"
#include "engine/split.h"
#include "fake_report.h"
#include "operation_helpers.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {

const int kPartKb = 120;
const int64_t kPart = kPartKb * 1024;

std::vector<std::string> Listing(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(fs::path(folder))) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<unsigned char> LittleEndian(uint32_t value)
{
    return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

OperationResult SplitWith(const std::string &source, const std::string &folder, int kb, bool copyProgram,
                          SplitRule *rule = nullptr)
{
    SplitPlan plan;
    MakeSplitPlan(source.c_str(), folder.c_str(), kb, &plan);
    return SplitFile(&plan, copyProgram, rule);
}

int64_t CountParts(const std::string &source, int kb)
{
    SplitPlan plan;
    MakeSplitPlan(source.c_str(), "", kb, &plan);
    return plan.parts;
}

// Descriptors held by the process, to catch a handle left open (Linux only).
int OpenDescriptors()
{
#ifdef __linux__
    int count = 0;
    for (auto it = fs::directory_iterator("/proc/self/fd"); it != fs::directory_iterator(); ++it) count++;
    return count;
#else
    return 0;
#endif
}

class Split : public ::testing::Test {
public:
    void SetUp() override
    {
        ResetFake();
        fs::create_directories(fs::path(Dest()));
        descriptors_ = OpenDescriptors();
    }
    void TearDown() override
    {
        EXPECT_EQ(Fake().cursorDepth, 0);
        EXPECT_EQ(OpenDescriptors(), descriptors_);
    }

    std::string Dest() const { return dir / "out"; }
    std::string Part(int k) const
    {
        char suffix[16];
        snprintf(suffix, sizeof suffix, ".%03d", k);
        return Dest() + Sep() + "data.bin" + suffix;
    }
    std::string ChecksumFile() const { return Dest() + Sep() + "data.bin.999"; }

    // A source with pseudo-random bytes and an old last-write time.
    std::string MakeSource(int64_t size)
    {
        std::string path = dir / "data.bin";
        source_ = MakeData(static_cast<size_t>(size), 3);
        WriteBytes(path, source_);
        SetTime(path, OldTime(10));
        return path;
    }

    OperationResult Run(int kb = kPartKb, bool copyProgram = false)
    {
        ResetFake();
        return SplitWith((dir / "data.bin").c_str(), Dest().c_str(), kb, copyProgram);
    }

    TempDir dir;
    std::vector<unsigned char> source_;
    int descriptors_ = 0;
};

}  // namespace

TEST(ReadPartSize, ReadsASigned32BitNumberAndRefusesBelow120)
{
    struct Case {
        const char *text;
        int kb;
    } cases[] = {
        {"1440", 1440},         {"120", 120},       {"119", 0},         {"0", 0},
        {"  1440", 1440},       {"\t200", 200},     {"+200", 200},      {"-200", 0},
        {"$5A0", 1440},         {"$5a0", 1440},     {"  $78", 120},     {"$77", 0},
        {"2147483647", 2147483647}, {"2147483648", 0}, {"99999999999", 0}, {"$7FFFFFFF", 2147483647},
        {"$80000000", 0},       {"$100000000", 0},  {"", 0},            {"   ", 0},
        {"$", 0},               {"+", 0},           {"1440 ", 0},       {"14 40", 0},
        {"12a", 0},             {"abc", 0},         {"$12g", 0},        {"+-200", 0},
        {"1e3", 0},             {"0x5A0", 0},
    };
    for (const Case &c : cases) EXPECT_EQ(ReadPartSize(c.text), c.kb) << '"' << c.text << '"';
}

TEST(MakeSplitPath, FolderAndNameThenTheNumberIfItFits)
{
    const std::string s = Sep();
    struct Case {
        std::string source, folder;
        int number;
        bool fits;
        std::string path;
    } cases[] = {
        {"src" + s + "movie.avi", "out", 1, true, "out" + s + "movie.avi.001"},
        {"movie.avi", "out" + s, 999, true, "out" + s + "movie.avi.999"},
        {"x", "out", 1000, true, "out" + s + "x.1000"},
        {"name", std::string(PATH_CHARS - 9, 'f'), 1, false, std::string(PATH_CHARS - 9, 'f') + s + "name.00"},
    };
    for (const Case &c : cases) {
        char path[PATH_SIZE];
        EXPECT_EQ(MakeSplitPath(c.source.c_str(), c.folder.c_str(), c.number, path), c.fits) << c.path;
        EXPECT_EQ(std::string(path), c.path);
    }
}

TEST_F(Split, CountsPartsFromTheSourceSize)
{
    struct Case {
        int64_t size;  // -1: no file
        int kb;
        int64_t count;
    } cases[] = {
        {-1, kPartKb, 0},       {0, kPartKb, 0},        {1, kPartKb, 1},     {kPart - 1, kPartKb, 1},
        {kPart, kPartKb, 2},    {2 * kPart + 1, kPartKb, 3}, {kPart, 0, 0},  {2949220, 1440, 3},
        // Beyond 32 bits: a sparse file of 5 GiB at 1,500,000 KB parts.
        {5ll << 30, 1500000, 4},
    };
    std::string path = dir / "sized";
    for (const Case &c : cases) {
        fs::remove(fs::path(path));
        if (c.size >= 0) {
            WriteBytes(path, {});
            fs::resize_file(fs::path(path), static_cast<uintmax_t>(c.size));
        }
        EXPECT_EQ(CountParts(path.c_str(), c.kb), c.count) << c.size << " at " << c.kb;
    }
    EXPECT_EQ(CountParts(Dest().c_str(), kPartKb), 0);  // a folder counts as no file
}

TEST_F(Split, CompletedSplitWritesTheChecksumFileAndPartsWithTheSourceTime)
{
    std::string source = MakeSource(2 * kPart + 1);
#ifndef _WIN32
    chmod(source.c_str(), 0600);  // a private file's parts stay private
#endif
    EXPECT_EQ(Run(), OPERATION_DONE);

    std::vector<std::string> expected = {Said(MSG_SPLITTING),    Said(MSG_CREATING_CHECKSUM),
                                         Said(MSG_SPLITTING, 1), Said(MSG_SPLITTING, 2),
                                         Said(MSG_SPLITTING, 3), Said(MSG_SPLIT_DONE)};
    EXPECT_EQ(Fake().events, expected);
    EXPECT_EQ(Listing(Dest()), (std::vector<std::string>{"data.bin.001", "data.bin.002", "data.bin.003", "data.bin.999"}));
    EXPECT_EQ(Concat({ReadBytes(Part(1)), ReadBytes(Part(2)), ReadBytes(Part(3))}), source_);
    EXPECT_EQ(SizeOf(Part(3)), 1);
    EXPECT_EQ(ReadBytes(ChecksumFile()), LittleEndian(ComputeBufferChecksum(source_.data(), source_.size())));
    for (int k = 1; k <= 3; k++) EXPECT_EQ(TimeOf(Part(k)), TimeOf(source)) << k;
    EXPECT_NE(TimeOf(ChecksumFile()), TimeOf(source));  // keeps the time it was written
    EXPECT_EQ(ReadBytes(source), source_);
    EXPECT_EQ(TimeOf(source), OldTime(10));
#ifndef _WIN32
    for (const std::string &written : {Part(1), ChecksumFile()})
        EXPECT_EQ(fs::status(fs::path(written)).permissions(), fs::perms(0600)) << written;
#endif
}

TEST_F(Split, PartSizesFollowTheSourceSizeWithOrWithoutATrailingSeparator)
{
    struct Case {
        int64_t size;
        std::vector<int64_t> parts;
    } cases[] = {
        {kPart, {kPart, 0}},  // an exact multiple ends with an empty part
        {2 * kPart + 1, {kPart, kPart, 1}},
    };
    for (bool trailing : {false, true}) {
        for (const Case &c : cases) {
            fs::remove_all(fs::path(Dest()));
            fs::create_directories(fs::path(Dest()));
            MakeSource(c.size);
            ResetFake();
            std::string folder = trailing ? Dest() + Sep() : Dest();
            EXPECT_EQ(SplitWith((dir / "data.bin").c_str(), folder.c_str(), kPartKb, false), OPERATION_DONE);
            std::vector<int64_t> sizes;
            for (int k = 1; Exists(Part(k)); k++) sizes.push_back(SizeOf(Part(k)));
            EXPECT_EQ(sizes, c.parts) << c.size << (trailing ? " trailing" : "");
            EXPECT_EQ(SizeOf(ChecksumFile()), 4);
            EXPECT_EQ(Fake().LastStatus(), Said(MSG_SPLIT_DONE));
        }
    }
}

TEST_F(Split, StopsBeforeWritingAnything)
{
    const std::string beep = "<beep>";
    struct Case {
        const char *what;
        std::function<void(Split *)> setUp;
        int kb;
        std::vector<std::string> events;
        OperationResult result;
    } cases[] = {
        {"part size 0", [](Split *t) { t->MakeSource(kPart); }, 0, {}, OPERATION_FAILED},
        {"part size 119", [](Split *t) { t->MakeSource(kPart); }, 119, {}, OPERATION_FAILED},
        {"source missing", [](Split *) {}, kPartKb, {Said(MSG_NO_FILE), beep}, OPERATION_FAILED},
        {"source is a folder", [](Split *t) { fs::create_directory(fs::path(t->dir / "data.bin")); }, kPartKb,
         {Said(MSG_NO_FILE), beep}, OPERATION_FAILED},
        {"folder missing", [](Split *t) {
             t->MakeSource(kPart);
             fs::remove(fs::path(t->Dest()));
         }, kPartKb,
         {Said(MSG_NO_FOLDER), beep}, OPERATION_FAILED},
        // Counted at the file opened.
        {"999 parts",
         [](Split *t) {
             WriteBytes(t->dir / "data.bin", {});
             fs::resize_file(fs::path(t->dir / "data.bin"), 998 * kPart);
         },
         kPartKb, {Said(MSG_SPLITTING), Said(MSG_TOO_MANY_PARTS), beep}, OPERATION_FAILED},
        {"empty source", [](Split *t) { t->MakeSource(0); }, kPartKb,
         {Said(MSG_SPLITTING), Said(MSG_SOURCE_EMPTY), beep}, OPERATION_FAILED},
        {"one part: a set the join would refuse", [](Split *t) { t->MakeSource(kPart - 1); }, kPartKb,
         {Said(MSG_SPLITTING), Said(MSG_ONE_PART), beep}, OPERATION_FAILED},
        {"a folder at a part name", [](Split *t) { t->MakeSource(kPart), fs::create_directory(fs::path(t->Part(2))); },
         kPartKb, {Said(MSG_SPLITTING), Said(MSG_CANT_CREATE), beep}, OPERATION_FAILED},
        {"source cannot be opened", nullptr, kPartKb,
         {Said(MSG_SPLITTING), Said(MSG_CANT_OPEN), beep}, OPERATION_FAILED},
        {"cancel in the checksum pass", [](Split *t) { t->MakeSource(3 << 20); }, kPartKb,
         {Said(MSG_SPLITTING), Said(MSG_CREATING_CHECKSUM), Said(MSG_CANCELLED)}, OPERATION_CANCELLED},
    };
    for (const Case &c : cases) {
        fs::remove_all(fs::path(dir / "data.bin"));
        fs::create_directories(fs::path(Dest()));
        std::unique_ptr<UnopenableFile> held;
        if (c.setUp) c.setUp(this);
        else held = std::make_unique<UnopenableFile>(dir / "data.bin");
        ResetFake();
        Fake().cancelAt = [](int call) { return call == 2; };
        OperationResult result = SplitWith((dir / "data.bin").c_str(), Dest().c_str(), c.kb, false);
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(Fake().events, c.events) << c.what;
        EXPECT_EQ(Fake().cursorDepth, 0) << c.what;
        if (fs::exists(fs::path(Dest()))) EXPECT_LE(Listing(Dest()).size(), 1u) << c.what;  // the folder row's own
        fs::remove_all(fs::path(Dest()));
    }
#ifndef _WIN32
    // A name the parts' names cannot be made from: they would pass 255 bytes.
    std::string longName = dir / std::string(252, 'n');
    WriteBytes(longName, MakeData(2 * kPart, 1));
    fs::create_directories(fs::path(Dest()));
    ResetFake();
    EXPECT_EQ(SplitWith(longName.c_str(), Dest().c_str(), kPartKb, false), OPERATION_FAILED);
    EXPECT_EQ(Fake().events, (std::vector<std::string>{Said(MSG_SPLITTING), Said(MSG_NAME_TOO_LONG), beep}));
    EXPECT_TRUE(Listing(Dest()).empty());
#endif
}

// Whatever stops a split (a cancel, a part that cannot be made, a source
// that shrank or changed), the folder is left as it was, an earlier set
// whole.
TEST_F(Split, AnyStopLeavesTheFolderAsItWas)
{
    struct Case {
        const char *what;
        int stopAt;  // the probe call that acts: 1 is in the checksum pass, 1 + k after part k
        void (*act)(Split *t, const std::string &source);  // none: a cancel
        std::vector<std::string> tail;
    } cases[] = {
        {"cancel after part 2", 3, nullptr, {Said(MSG_SPLITTING, 2), Said(MSG_CANCELLED)}},
        {"cancel after the last part", 4, nullptr, {Said(MSG_SPLITTING, 3), Said(MSG_CANCELLED)}},
        {"a part that cannot be made", 2, [](Split *t, const std::string &) { fs::remove_all(fs::path(t->Dest())); },
         {Said(MSG_SPLITTING, 2), Said(MSG_CANT_CREATE), "<beep>"}},
        {"source shrunk: a short read", 2,
         [](Split *, const std::string &source) { fs::resize_file(fs::path(source), kPart + 10); },
         {Said(MSG_SPLITTING, 2), Said(MSG_CANT_READ_WRITE), "<beep>"}},
        {"source appended to", 2,
         [](Split *, const std::string &source) { std::ofstream(source, std::ios::binary | std::ios::app) << "more"; },
         {Said(MSG_SPLITTING, 3), Said(MSG_SOURCE_CHANGED), "<beep>"}},
        {"source stamped", 2, [](Split *, const std::string &source) { SetTime(source, OldTime(2)); },
         {Said(MSG_SPLITTING, 3), Said(MSG_SOURCE_CHANGED), "<beep>"}},
    };
    for (const Case &c : cases) {
        fs::remove_all(fs::path(Dest()));
        fs::create_directories(fs::path(Dest()));
        for (int k : {1, 5}) WriteText(Part(k), "earlier part " + std::to_string(k));
        WriteText(ChecksumFile(), "sum!");
        std::string source = MakeSource(2 * kPart + 1);
        ResetFake();
        Fake().cancelAt = [&](int call) {
            if (call == c.stopAt && c.act) c.act(this, source);
            return call == c.stopAt && !c.act;
        };
        OperationResult result = SplitWith(source.c_str(), Dest().c_str(), kPartKb, true);
        EXPECT_EQ(result, c.act ? OPERATION_FAILED : OPERATION_CANCELLED) << c.what;
        std::vector<std::string> tail(Fake().events.end() - c.tail.size(), Fake().events.end());
        EXPECT_EQ(tail, c.tail) << c.what;
        if (!fs::exists(fs::path(Dest()))) continue;  // the folder row's
        // No program copy, nothing unfinished, the earlier set as it was.
        EXPECT_EQ(Listing(Dest()), (std::vector<std::string>{"data.bin.001", "data.bin.005", "data.bin.999"})) << c.what;
        EXPECT_EQ(SizeOf(Part(5)), 14) << c.what;
        EXPECT_EQ(SizeOf(ChecksumFile()), 4) << c.what;
    }
}

TEST_F(Split, ShortWriteOfAPartIsReported)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs a file-size limit";
#else
    MakeSource(2 * kPart + 1);
    {
        FileSizeLimit limit(kPart / 2);
        EXPECT_EQ(Run(), OPERATION_FAILED);
    }
    std::vector<std::string> tail(Fake().events.end() - 3, Fake().events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{Said(MSG_SPLITTING, 1), Said(MSG_CANT_READ_WRITE), "<beep>"}));
    EXPECT_EQ(Fake().errorFiles, std::vector<std::string>{Part(1)});
    EXPECT_TRUE(Listing(Dest()).empty());
#endif
}

// A part name that leads to the source would truncate it when created.
TEST_F(Split, NeverWritesOverItsOwnSourceThroughALink)
{
    struct Case {
        int number;  // 999: the checksum file
        bool symbolic;
    } cases[] = {{3, false}, {999, false}, {1, true}, {999, true}};
    for (const Case &c : cases) {
#ifdef _WIN32
        if (c.symbolic) continue;  // needs a privilege
#endif
        fs::remove_all(fs::path(Dest()));
        fs::create_directories(fs::path(Dest()));
        std::string source = MakeSource(2 * kPart + 1);
        std::string link = c.number == 999 ? ChecksumFile() : Part(c.number);
        if (c.symbolic) fs::create_symlink(fs::path(source), fs::path(link));
        else fs::create_hard_link(fs::path(source), fs::path(link));
        EXPECT_EQ(Run(), OPERATION_FAILED) << link;
        EXPECT_EQ(Fake().events, (std::vector<std::string>{Said(MSG_SPLITTING), Said(MSG_OVERWRITES_SOURCE), "<beep>"}));
        EXPECT_EQ(Fake().errorFiles, std::vector<std::string>{link});
        EXPECT_EQ(Listing(Dest()), std::vector<std::string>{fs::path(link).filename().string()}) << link;
        EXPECT_EQ(ReadBytes(source), source_) << link;
    }
}

namespace {

bool g_asked;
bool DeclineEarlierSet(const char *, const char *) { return !(g_asked = true); }

}  // namespace

// An earlier set of the same name goes whole, in any letter case and
// whatever its entries are (a FIFO is replaced as a name, never opened),
// or stays whole; other names stay in any case.
TEST_F(Split, ReplacesAnEarlierSetWholeOrNotAtAll)
{
#ifndef _WIN32
    HangGuard guard;
#endif
    struct Case {
        const char *what;
        SplitRule rule;
        OperationResult result;
        std::string status;
    } cases[] = {
        {"any set may go", {true, nullptr, false}, OPERATION_DONE, Said(MSG_SPLIT_DONE)},
        {"the user says No", {false, DeclineEarlierSet, false}, OPERATION_FAILED, Said(MSG_SPLITTING)},
        {"nobody to ask", {false, nullptr, false}, OPERATION_FAILED, Said(MSG_EARLIER_SET)},
    };
    const std::vector<std::string> others = {"data.bin.txt", "data.bin.1000", "other.001"};
    for (const Case &c : cases) {
        fs::remove_all(fs::path(Dest()));
        fs::create_directories(fs::path(Dest()));
        MakeSource(kPart + 1);
        WriteText(Part(1), "old part one");
        WriteText(Dest() + Sep() + "DATA.BIN.007", "part of an earlier split");
        WriteText(ChecksumFile(), "old!");
#ifndef _WIN32
        ASSERT_EQ(mkfifo(Part(2).c_str(), 0666), 0);
#endif
        for (const std::string &name : others) WriteText(Dest() + Sep() + name, name);
        std::vector<std::string> before = Listing(Dest());
        ResetFake();
        g_asked = false;
        SplitRule rule = c.rule;
        EXPECT_EQ(SplitWith((dir / "data.bin").c_str(), Dest().c_str(), kPartKb, false, &rule), c.result) << c.what;
        EXPECT_EQ(Fake().LastStatus(), c.status) << c.what;
        EXPECT_EQ(g_asked, c.rule.askReplace != nullptr) << c.what;
        EXPECT_EQ(rule.keptEarlier, c.result != OPERATION_DONE) << c.what;
        if (c.result != OPERATION_DONE) {
            EXPECT_EQ(Listing(Dest()), before) << c.what;
            EXPECT_EQ(SizeOf(ChecksumFile()), 4) << c.what;
            continue;
        }
        std::vector<std::string> after = {"data.bin.001", "data.bin.002", "data.bin.999"};
        after.insert(after.end(), others.begin(), others.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(Listing(Dest()), after);
        EXPECT_EQ(Concat({ReadBytes(Part(1)), ReadBytes(Part(2))}), source_);
    }
}

TEST_F(Split, IntoTheSourcesOwnFolderLeavesTheSourceUntouched)
{
    std::string source = MakeSource(kPart + 100);
    ResetFake();
    EXPECT_EQ(SplitWith(source.c_str(), dir.Path().c_str(), kPartKb, false), OPERATION_DONE);
    EXPECT_EQ(ReadBytes(source), source_);
    EXPECT_EQ(TimeOf(source), OldTime(10));
    EXPECT_EQ(Concat({ReadBytes(dir / "data.bin.001"), ReadBytes(dir / "data.bin.002")}), source_);
}

TEST_F(Split, NamesAreZeroPaddedUpToTheLastOf998Parts)
{
    // Sparse, so only the parts take disk space.
    std::string source = dir / "data.bin";
    WriteBytes(source, {});
    fs::resize_file(fs::path(source), 998 * kPart - 1);
    WriteAt(source, 6 * kPart, {7});
    EXPECT_EQ(Run(), OPERATION_DONE);
    EXPECT_EQ(Listing(Dest()).size(), 999u);
    EXPECT_EQ(SizeOf(Part(7)), kPart);
    EXPECT_EQ(ReadAt(Part(7), 0, 1), std::vector<unsigned char>{7});
    EXPECT_EQ(SizeOf(Part(998)), kPart - 1);
    for (const char *name : {"data.bin.010", "data.bin.100", "data.bin.998"})
        EXPECT_TRUE(Exists(Dest() + Sep() + name)) << name;
    std::vector<std::string> statuses = Fake().Statuses();
    EXPECT_EQ(statuses[statuses.size() - 2], Said(MSG_SPLITTING, 998));
}

TEST_F(Split, CopiesTheProgramBesideThePartsWithoutReplacingOne)
{
    char program[PATH_SIZE];
    ASSERT_TRUE(GetProgramPath(program, sizeof program));
    std::string name = fs::path(program).filename().string();
    MakeSource(kPart + 1);
    EXPECT_EQ(Run(kPartKb, true), OPERATION_DONE);
    EXPECT_EQ(SizeOf(Dest() + Sep() + name), SizeOf(program));
    EXPECT_EQ(Fake().LastStatus(), Said(MSG_SPLIT_DONE));

    WriteText(Dest() + Sep() + name, "keep");
    EXPECT_EQ(Run(kPartKb, true), OPERATION_DONE);
    EXPECT_EQ(SizeOf(Dest() + Sep() + name), 4);
    EXPECT_EQ(Fake().LastStatus(), Said(MSG_SPLIT_DONE));
    EXPECT_EQ(Fake().Beeps(), 0);
}

// Sizes past 4 GiB: a sparse source with marks where 32-bit offsets would
// wrap, split at 1,500,000 KB and joined back with the checksum verified.
TEST_F(Split, FileBeyond4GiBSplitsAndJoinsBack)
{
    const int64_t partKb = 1500000, part = partKb * 1024;
    const int64_t size = (4ll << 30) + 12345;
    const int64_t marks[] = {0, part - 1, part, (2ll << 30) - 1, 2ll << 30, 2 * part, (4ll << 30) - 1, 4ll << 30, size - 1};
    std::string source = dir / "data.bin";
    WriteBytes(source, {});
    fs::resize_file(fs::path(source), static_cast<uintmax_t>(size));
    for (size_t i = 0; i < std::size(marks); i++) WriteAt(source, marks[i], {static_cast<unsigned char>(i + 1)});
    SetTime(source, OldTime(3));

    ResetFake();
    ASSERT_EQ(SplitWith(source.c_str(), Dest().c_str(), static_cast<int>(partKb), false), OPERATION_DONE);
    EXPECT_EQ(SizeOf(Part(1)), part);
    EXPECT_EQ(SizeOf(Part(2)), part);
    EXPECT_EQ(SizeOf(Part(3)), size - 2 * part);
    EXPECT_FALSE(Exists(Part(4)));
    for (size_t i = 0; i < std::size(marks); i++) {
        int k = static_cast<int>(marks[i] / part);
        EXPECT_EQ(ReadAt(Part(k + 1), marks[i] - k * part, 1), std::vector<unsigned char>{static_cast<unsigned char>(i + 1)})
            << marks[i];
    }
    // Its value is proven by the join below, which recomputes it over the output.
    EXPECT_EQ(SizeOf(ChecksumFile()), 4);

    // The parts are rebuilt sparse with the same bytes, to keep disk use down.
    for (int k = 1; k <= 3; k++) {
        int64_t partSize = SizeOf(Part(k));
        fs::remove(fs::path(Part(k)));
        WriteBytes(Part(k), {});
        fs::resize_file(fs::path(Part(k)), static_cast<uintmax_t>(partSize));
    }
    for (size_t i = 0; i < std::size(marks); i++) {
        int k = static_cast<int>(marks[i] / part);
        WriteAt(Part(k + 1), marks[i] - k * part, {static_cast<unsigned char>(i + 1)});
    }
    SetTime(Part(1), OldTime(3));

    std::string output = dir / "joined.bin";
    const char *names[] = {"data.bin.001", "data.bin.002", "data.bin.003"};
    ResetFake();
    EXPECT_EQ(JoinFiles(names, 3, (Dest() + Sep()).c_str(), {9, 3}, output.c_str(), false), OPERATION_DONE);
    EXPECT_EQ(Fake().LastStatus(), Said(MSG_CHECKSUMS_MATCH));
    EXPECT_EQ(SizeOf(output), size);
    EXPECT_EQ(TimeOf(output), OldTime(3));
    fs::remove(fs::path(output));
}
