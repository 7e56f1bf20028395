#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/checksum.h"
#include "engine/join.h"
#include "fake_report.h"
#include "operation_helpers.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {

typedef std::vector<std::string> Texts;

const std::string kBeep = "<beep>";

// "Joining files ..." alone, then with each part number up to `parts`.
Texts Progress(int parts)
{
    Texts texts = {Said(MSG_JOINING)};
    for (int k = 1; k <= parts; k++) texts.push_back(Said(MSG_JOINING, k));
    return texts;
}

Texts Then(Texts a, const Texts &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Join : public ::testing::Test {
public:
    void SetUp() override { ResetFake(); }
    void TearDown() override { EXPECT_EQ(Fake().cursorDepth, 0); }

    std::string PartPath(int k) const { return dir / names[k]; }
    std::string ChecksumFile(const std::string &base = "x") const { return dir / (base + ".999"); }
    std::string Output() const { return dir / "joined.bin"; }

    // Parts base.001, ... of the given sizes, part 1 with an old time, and
    // the checksum file of their concatenation.
    void MakeSet(const std::vector<int64_t> &sizes, const std::string &base = "x")
    {
        names.clear();
        data.clear();
        for (size_t k = 0; k < sizes.size(); k++) {
            char suffix[16];
            snprintf(suffix, sizeof suffix, ".%03d", static_cast<int>(k + 1));
            names.push_back(base + suffix);
            data.push_back(MakeData(static_cast<size_t>(sizes[k]), static_cast<uint32_t>(k + 11)));
            WriteBytes(PartPath(static_cast<int>(k)), data.back());
            SetTime(PartPath(static_cast<int>(k)), OldTime(static_cast<int>(k + 5)));
        }
        std::vector<unsigned char> whole = Concat(data);
        uint32_t checksum = ComputeBufferChecksum(whole.data(), whole.size());
        WriteBytes(ChecksumFile(base), {uint8_t(checksum), uint8_t(checksum >> 8), uint8_t(checksum >> 16), uint8_t(checksum >> 24)});
        ResetFake();
    }

    // The places are the first name's last digit run, as discovery takes them.
    OperationResult Run(bool deleteParts, const std::string &output)
    {
        std::vector<const char *> entries;
        for (const std::string &name : names) entries.push_back(name.c_str());
        size_t end = names[0].find_last_of("0123456789") + 1;
        size_t start = names[0].find_last_not_of("0123456789", end - 1) + 1;
        NumberPlaces places = {static_cast<int>(start), static_cast<int>(end - start)};
        return JoinFiles(entries.data(), static_cast<int>(entries.size()), dir.Path().c_str(), places,
                         output.c_str(), deleteParts);
    }
    OperationResult Run(bool deleteParts = false) { return Run(deleteParts, Output()); }

    // A file at the output name from before the join.
    void WriteEarlierOutput()
    {
        WriteBytes(Output(), MakeData(5000, 99));
        SetTime(Output(), OldTime(30));
    }

    void DamagePart(int k)
    {
        data[k][17 % data[k].size()] ^= 1;
        WriteBytes(PartPath(k), data[k]);
    }

    int CountUnfinished() const
    {
        int count = 0;
        for (const auto &entry : fs::directory_iterator(fs::path(dir.Path())))
            count += IsUnfinishedName(entry.path().filename().string().c_str());
        return count;
    }

    TempDir dir;
    Texts names;
    std::vector<std::vector<unsigned char>> data;
};

}  // namespace

TEST_F(Join, ConcatenatesVerifiesAndStampsTheOutput)
{
    MakeSet({1474560, 1474560, 100});
    EXPECT_EQ(Run(), OPERATION_DONE);
    EXPECT_EQ(Fake().events, Then(Progress(3), {Said(MSG_CHECKING_CHECKSUM), Said(MSG_CHECKSUMS_MATCH)}));
    EXPECT_EQ(SizeOf(Output()), 2949220);
    EXPECT_EQ(ReadBytes(Output()), Concat(data));
    EXPECT_EQ(TimeOf(Output()), TimeOf(PartPath(0)));
    for (int k = 0; k < 3; k++) EXPECT_TRUE(Exists(PartPath(k)));  // not asked to delete
    EXPECT_TRUE(Exists(ChecksumFile()));
}

// Every way a join ends, with the delete-parts box ticked.
TEST_F(Join, OutcomesAndWhatTheyDelete)
{
    const Texts checking = {Said(MSG_CHECKING_CHECKSUM)};
    struct Case {
        const char *what;
        std::vector<int64_t> sizes;
        std::function<void(Join *)> change;
        int cancelCall;  // 0: never
        Texts events;
        OperationResult result;
        bool written;  // the output holds the join; otherwise what was there before, if anything
        bool stamped, deleted;
    } cases[] = {
        {"no checksum file", {300, 300, 100}, [](Join *t) { fs::remove(fs::path(t->ChecksumFile())); }, 0,
         Then(Progress(3), {Said(MSG_JOIN_FINISHED)}), OPERATION_DONE, true, true, true},
        {"no checksum file, a part cut short", {300, 200, 100}, [](Join *t) { fs::remove(fs::path(t->ChecksumFile())); },
         0, Then(Progress(3), {Said(MSG_JOIN_FINISHED), Said(MSG_IRREGULAR_PART, "x.002"), kBeep}),
         OPERATION_FAILED, true, true, false},
        {"no checksum file, an empty part", {300, 300, 0, 100},
         [](Join *t) { fs::remove(fs::path(t->ChecksumFile())); }, 0,
         Then(Progress(4), {Said(MSG_JOIN_FINISHED), Said(MSG_IRREGULAR_PART, "x.003"), kBeep}),
         OPERATION_FAILED, true, true, false},
        {"checksums match", {300, 200, 100}, nullptr, 0,
         Then(Progress(3), {checking[0], Said(MSG_CHECKSUMS_MATCH)}), OPERATION_DONE, true, true, true},
        {"checksum file of 8 bytes", {300, 200, 100},
         [](Join *t) {
             std::vector<unsigned char> bytes = ReadBytes(t->ChecksumFile());
             bytes.insert(bytes.end(), {1, 2, 3, 4});
             WriteBytes(t->ChecksumFile(), bytes);
         },
         0, Then(Progress(3), {checking[0], Said(MSG_CHECKSUMS_MATCH)}), OPERATION_DONE, true, true, true},
        {"checksums differ", {300, 200, 100}, [](Join *t) { t->DamagePart(1); }, 0,
         Then(Progress(3), {checking[0], Said(MSG_CHECKSUMS_DIFFER), kBeep}), OPERATION_FAILED, true, false, false},
        // Only a join that checked out replaces a file.
        {"checksums differ, a file at the output name", {300, 200, 100},
         [](Join *t) { t->DamagePart(1), t->WriteEarlierOutput(); }, 0,
         Then(Progress(3), {checking[0], Said(MSG_DIFFER_KEPT_OLD), kBeep}), OPERATION_FAILED, false, false, false},
        {"checksum pass cancelled", {300, 200, 100}, nullptr, 4,
         Then(Progress(3), {checking[0], Said(MSG_CANCELLED)}), OPERATION_CANCELLED, false, false, false},
        {"checksum pass cancelled, a file at the output name", {300, 200, 100},
         [](Join *t) { t->WriteEarlierOutput(); }, 4, Then(Progress(3), {checking[0], Said(MSG_CANCELLED)}),
         OPERATION_CANCELLED, false, false, false},
        {"every part empty: nothing to check", {0, 0}, nullptr, 0,
         Then(Progress(2), {checking[0], Said(MSG_JOIN_FINISHED)}), OPERATION_DONE, true, true, false},
        {"checksum file of 3 bytes: refused before writing", {300, 200, 100},
         [](Join *t) { fs::resize_file(fs::path(t->ChecksumFile()), 3); }, 0, {Said(MSG_NOT_CHECKED), kBeep},
         OPERATION_FAILED, false, false, false},
        {"cancel during part 2 of 5", {300, 200, 100, 50, 25}, nullptr, 2, Then(Progress(2), {Said(MSG_CANCELLED)}),
         OPERATION_CANCELLED, false, false, false},
        {"cancel during the last part, a file at the output name", {300, 200, 100},
         [](Join *t) { t->WriteEarlierOutput(); }, 3, Then(Progress(3), {Said(MSG_CANCELLED)}),
         OPERATION_CANCELLED, false, false, false},
        {"empty part in the middle", {300, 0, 100, 0, 50}, nullptr, 0,
         Then(Progress(5), {checking[0], Said(MSG_CHECKSUMS_MATCH)}), OPERATION_DONE, true, true, true},
        {"empty last part", {300, 300, 0}, nullptr, 0,
         Then(Progress(3), {checking[0], Said(MSG_CHECKSUMS_MATCH)}), OPERATION_DONE, true, true, true},
        {"empty first part", {0, 300}, nullptr, 0,
         Then(Progress(2), {checking[0], Said(MSG_CHECKSUMS_MATCH)}), OPERATION_DONE, true, true, true},
    };
    for (const Case &c : cases) {
        fs::remove(fs::path(Output()));
        MakeSet(c.sizes);
        if (c.change) c.change(this);
        bool hadChecksum = Exists(ChecksumFile()), hadOutput = Exists(Output());
        std::vector<bool> present;
        for (size_t k = 0; k < names.size(); k++) present.push_back(Exists(PartPath(static_cast<int>(k))));
        int cancelCall = c.cancelCall;
        Fake().cancelAt = [cancelCall](int call) { return call == cancelCall; };
        EXPECT_EQ(Run(true), c.result) << c.what;
        EXPECT_EQ(Fake().events, c.events) << c.what;
        EXPECT_EQ(Fake().unverified, !hadChecksum && c.stamped) << c.what;
        EXPECT_EQ(Exists(Output()), c.written || hadOutput) << c.what;
        if (c.written) {
            EXPECT_EQ(ReadBytes(Output()), Concat(data)) << c.what;
            EXPECT_EQ(TimeOf(Output()) == OldTime(5), c.stamped) << c.what;
        } else if (hadOutput) {
            EXPECT_EQ(ReadBytes(Output()), MakeData(5000, 99)) << c.what;
            EXPECT_EQ(TimeOf(Output()), OldTime(30)) << c.what;
        }
        EXPECT_EQ(CountUnfinished(), 0) << c.what;
        EXPECT_EQ(Exists(ChecksumFile()), hadChecksum && !c.deleted) << c.what;
        for (size_t k = 0; k < names.size(); k++) {
            if (c.deleted) EXPECT_FALSE(Exists(PartPath(static_cast<int>(k)))) << c.what << " " << k;
            else if (present[k]) EXPECT_EQ(ReadBytes(PartPath(static_cast<int>(k))), data[k]) << c.what << " " << k;
        }
    }
}

// An entry of the checksum file's name that cannot be read as 4 bytes
// could check nothing: the join is refused before it writes, never taken
// for one without a checksum file.
TEST_F(Join, UnusableChecksumFileLeavesTheJoinUncheckedAndDeletesNothing)
{
    struct Case {
        const char *what;
        std::function<void(const std::string &path)> make;
        bool posixOnly;
    } cases[] = {
        {"empty", [](const std::string &path) { WriteBytes(path, {}); }, false},
        {"a folder", [](const std::string &path) { fs::create_directory(fs::path(path)); }, false},
        {"a link that leads nowhere", [](const std::string &path) { fs::create_symlink("nowhere", fs::path(path)); }, true},
#ifndef _WIN32
        {"a FIFO", [](const std::string &path) { mkfifo(path.c_str(), 0666); }, true},
#endif
        {"unreadable", nullptr, false},
    };
    for (const Case &c : cases) {
#ifdef _WIN32
        if (c.posixOnly) continue;
#else
        HangGuard guard;
#endif
        fs::remove(fs::path(Output()));
        MakeSet({300, 200});
        fs::remove(fs::path(ChecksumFile()));
        std::unique_ptr<UnopenableFile> held;
        if (c.make) c.make(ChecksumFile());
        else held = std::make_unique<UnopenableFile>(ChecksumFile());
        EXPECT_EQ(Run(true), OPERATION_FAILED) << c.what;
        EXPECT_EQ(Fake().events, (Texts{Said(MSG_NOT_CHECKED), kBeep})) << c.what;
        EXPECT_EQ(Fake().errorFiles, Texts{ChecksumFile()}) << c.what;
        EXPECT_FALSE(Exists(Output())) << c.what;
        EXPECT_TRUE(Exists(PartPath(0)) && Exists(PartPath(1))) << c.what;
        held.reset();
        fs::remove_all(fs::path(ChecksumFile()));
    }
}

// A checksum file spelled in another case is found as discovery finds
// parts, also where the file system tells the cases apart.
TEST_F(Join, ChecksumFileIsFoundWhateverItsLetterCase)
{
    for (bool damaged : {true, false}) {
        fs::remove(fs::path(Output()));
        MakeSet({300, 200, 100}, "ORIG");
        fs::rename(fs::path(ChecksumFile("ORIG")), fs::path(ChecksumFile("orig")));
        if (damaged) {
            data[1][7] ^= 1;
            WriteBytes(PartPath(1), data[1]);
        }
        EXPECT_EQ(Run(true), damaged ? OPERATION_FAILED : OPERATION_DONE);
        EXPECT_EQ(Fake().LastStatus(), Said(damaged ? MSG_CHECKSUMS_DIFFER : MSG_CHECKSUMS_MATCH));
        EXPECT_EQ(Exists(PartPath(0)), damaged);
        EXPECT_EQ(Exists(ChecksumFile("orig")), damaged);
    }
}

// Every part is opened before the output is replaced: one that will not
// open leaves an existing output as it was (also under the console's -f).
TEST_F(Join, PartThatWillNotOpenLeavesAnExistingOutputAlone)
{
    struct Case {
        const char *what;
        int part;
        bool held;
    } cases[] = {
        {"middle part removed after discovery", 1, false},
        {"last part removed after discovery", 2, false},
        {"middle part held by another program", 1, true},  // a socket on POSIX: last, it cannot be rewritten
    };
    const std::vector<unsigned char> earlier = MakeData(5000, 99);
    for (const Case &c : cases) {
        MakeSet({300, 200, 100});
        WriteBytes(Output(), earlier);
        SetTime(Output(), OldTime(30));
        fs::remove(fs::path(PartPath(c.part)));
        std::unique_ptr<UnopenableFile> held(c.held ? new UnopenableFile(PartPath(c.part)) : nullptr);
        EXPECT_EQ(Run(true), OPERATION_FAILED) << c.what;
        EXPECT_EQ(Fake().events, (Texts{Said(MSG_CANT_OPEN), kBeep})) << c.what;
        EXPECT_EQ(ReadBytes(Output()), earlier) << c.what;
        EXPECT_EQ(TimeOf(Output()), OldTime(30)) << c.what;
        EXPECT_TRUE(Exists(ChecksumFile())) << c.what;
        for (int k = 0; k < 3; k++)
            if (k != c.part) EXPECT_EQ(ReadBytes(PartPath(k)), data[k]) << c.what << " " << k;
    }
}

TEST_F(Join, OutputThatCannotBeCreatedChangesNothing)
{
    MakeSet({300, 200});
    std::string output = dir / "missing" + Sep() + "joined.bin";
    EXPECT_EQ(Run(true, output), OPERATION_FAILED);
    EXPECT_EQ(Fake().events, (Texts{Said(MSG_CANT_CREATE), kBeep}));
    EXPECT_FALSE(Exists(output));
    EXPECT_TRUE(Exists(PartPath(0)));
    EXPECT_TRUE(Exists(ChecksumFile()));
}

// However the output names an input: another spelling, a hard link, or on
// Windows another letter case or the short name.
TEST_F(Join, RefusesAnOutputThatIsOneOfItsInputs)
{
    MakeSet({300, 200}, "long name.bin");
    Texts outputs = {PartPath(0), dir / "." + Sep() + names[1], ChecksumFile("long name.bin"), dir / "linked"};
#ifdef _WIN32
    ASSERT_TRUE(CreateHardLinkA(outputs.back().c_str(), PartPath(1).c_str(), NULL));
    outputs.push_back(dir / "LONG NAME.BIN.002");
    char shortName[MAX_PATH];
    DWORD length = GetShortPathNameA(PartPath(0).c_str(), shortName, sizeof shortName);
    if (length > 0 && length < sizeof shortName && PartPath(0) != shortName) outputs.push_back(shortName);
    else ADD_FAILURE() << "no short name for " << PartPath(0);
#else
    fs::create_hard_link(fs::path(PartPath(1)), fs::path(outputs.back()));
#endif
    for (const std::string &output : outputs) {
        ResetFake();
        EXPECT_EQ(Run(true, output), OPERATION_FAILED) << output;
        EXPECT_EQ(Fake().events, (Texts{Said(MSG_OUTPUT_IS_INPUT), kBeep})) << output;
        EXPECT_EQ(ReadBytes(PartPath(0)), data[0]);
        EXPECT_EQ(ReadBytes(PartPath(1)), data[1]);
        EXPECT_EQ(SizeOf(ChecksumFile("long name.bin")), 4);
    }
}

// A broken set is refused before the output exists, whatever is asked.
TEST_F(Join, RefusesABrokenSetBeforeWritingAnything)
{
    struct Case {
        const char *what;
        Texts names;  // as discovery lists them
        bool checksumFile;
        int message;
        std::string subject, file;  // what the refusal names, and the file it concerns
    } cases[] = {
        {"part 3 missing", {"x.001", "x.002", "x.004", "x.005"}, false, MSG_PART_MISSING, "003", "x.003"},
        {"part 3 missing, with a checksum file", {"x.001", "x.002", "x.004", "x.005"}, true, MSG_PART_MISSING, "003", "x.003"},
        {"the first part missing", {"x.002", "x.003"}, true, MSG_PART_MISSING, "001", "x.001"},
        {"a stray name", {"x.001", "x.002", "x.bak"}, true, MSG_NOT_NUMBERED, "x.bak", "x.bak"},
    };
    for (const Case &c : cases) {
        fs::remove_all(fs::path(dir.Path()));
        fs::create_directories(fs::path(dir.Path()));
        MakeSet(std::vector<int64_t>(c.names.size(), 100));
        for (int k = static_cast<int>(names.size()) - 1; k >= 0; k--)  // renamed upwards: last first
            fs::rename(fs::path(PartPath(k)), fs::path(dir / c.names[k]));
        if (!c.checksumFile) fs::remove(fs::path(ChecksumFile()));
        names = c.names;
        EXPECT_EQ(Run(true), OPERATION_FAILED) << c.what;
        EXPECT_EQ(Fake().events, (Texts{Said(c.message, c.subject), kBeep})) << c.what;
        EXPECT_EQ(Fake().errorFiles, Texts{dir / c.file}) << c.what;
        EXPECT_FALSE(Exists(Output())) << c.what;
        for (size_t k = 0; k < names.size(); k++) EXPECT_EQ(ReadBytes(dir / names[k]), data[k]) << c.what;
        EXPECT_EQ(Exists(ChecksumFile()), c.checksumFile) << c.what;
    }
}

TEST_F(Join, SetsNumberedFromZeroJoinAndDelete)
{
    MakeSet({300, 200, 0});
    for (int k = 0; k < 3; k++) {
        std::string renamed = "x.00" + std::to_string(k);
        fs::rename(fs::path(PartPath(k)), fs::path(dir / renamed));
        names[k] = renamed;
    }
    EXPECT_EQ(Run(true), OPERATION_DONE);
    EXPECT_EQ(Fake().LastStatus(), Said(MSG_CHECKSUMS_MATCH));
    EXPECT_EQ(ReadBytes(Output()), Concat(data));
    EXPECT_FALSE(Exists(dir / "x.000"));
    EXPECT_FALSE(Exists(ChecksumFile()));
}

TEST_F(Join, ShortWriteOfTheOutputIsReported)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs a file-size limit";
#else
    MakeSet({300, 200});
    {
        FileSizeLimit limit(400);
        EXPECT_EQ(Run(true), OPERATION_FAILED);
    }
    EXPECT_EQ(Fake().events, Then(Progress(2), {Said(MSG_CANT_READ_WRITE), kBeep}));
    EXPECT_EQ(Fake().errorFiles, Texts{Output()});
    EXPECT_TRUE(Exists(PartPath(0)));
    EXPECT_TRUE(Exists(ChecksumFile()));
#endif
}

// A FIFO as a part is refused at once, never waited on.
TEST_F(Join, FifoAsAPartIsRefusedWithoutWaiting)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only";
#else
    HangGuard guard;
    MakeSet({300, 200});
    fs::remove(fs::path(PartPath(1)));
    ASSERT_EQ(mkfifo(PartPath(1).c_str(), 0666), 0);
    EXPECT_EQ(Run(true), OPERATION_FAILED);
    EXPECT_EQ(Fake().events, (Texts{Said(MSG_CANT_OPEN), kBeep}));
    EXPECT_EQ(Fake().errorFiles, Texts{PartPath(1)});
#endif
}

// The replaced file's permissions (on Windows its attributes) stay.
TEST_F(Join, ReplacesAnExistingOutput)
{
    MakeSet({300, 200, 100});
    WriteBytes(Output(), MakeData(5000, 99));
#ifdef _WIN32
    SetFileAttributesA(Output().c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
    chmod(Output().c_str(), 0640);
#endif
    EXPECT_EQ(Run(), OPERATION_DONE);
    EXPECT_EQ(ReadBytes(Output()), Concat(data));
    EXPECT_EQ(Fake().LastStatus(), Said(MSG_CHECKSUMS_MATCH));
#ifdef _WIN32
    EXPECT_TRUE(GetFileAttributesA(Output().c_str()) & FILE_ATTRIBUTE_HIDDEN);
#else
    EXPECT_EQ(fs::status(fs::path(Output())).permissions(), fs::perms(0640));
#endif
}

TEST_F(Join, CountsEveryPartWithoutLeadingZeros)
{
    MakeSet(std::vector<int64_t>(12, 10));
    EXPECT_EQ(Run(), OPERATION_DONE);
    EXPECT_EQ(Fake().events, Then(Progress(12), {Said(MSG_CHECKING_CHECKSUM), Said(MSG_CHECKSUMS_MATCH)}));
}

TEST_F(Join, ChecksumFileIsNamedFromTheLastEntry)
{
    // file001.txt ... file003.txt look for file003.999.
    MakeSet({30, 30, 10}, "file");
    for (int k = 0; k < 3; k++) {
        std::string renamed = "file00" + std::to_string(k + 1) + ".txt";
        fs::rename(fs::path(PartPath(k)), fs::path(dir / renamed));
        names[k] = renamed;
    }
    fs::rename(fs::path(ChecksumFile("file")), fs::path(dir / "file003.999"));
    EXPECT_EQ(Run(), OPERATION_DONE);
    EXPECT_EQ(Fake().LastStatus(), Said(MSG_CHECKSUMS_MATCH));

    fs::remove(fs::path(dir / "file003.999"));
    ResetFake();
    EXPECT_EQ(Run(), OPERATION_DONE);
    EXPECT_EQ(Fake().LastStatus(), Said(MSG_JOIN_FINISHED));
}

TEST_F(Join, AnEmptyEntryEndsTheList)
{
    MakeSet({30, 20});
    names.push_back("");
    names.push_back("not-there.003");
    EXPECT_EQ(Run(), OPERATION_DONE);
    EXPECT_EQ(Fake().events, Then(Progress(2), {Said(MSG_CHECKING_CHECKSUM), Said(MSG_CHECKSUMS_MATCH)}));
}

TEST(SuggestOutputName, DropsTrailingDigitsAndOneDot)
{
    struct Case {
        const char *entry;
        const char *name;
    } cases[] = {
        {"movie.avi.001", "movie.avi"},
        {"part7", "part"},
        {"x..12", "x."},
        {"123", ""},
        {"file001.txt", "file001.txt"},
        {"Only numbered files can be joined!", "Only numbered files can be joined!"},
        {".001", ""},
        {"", ""},
        {nullptr, ""},
    };
    for (const Case &c : cases) {
        char out[PATH_SIZE] = "junk";
        SuggestOutputName(c.entry, out, sizeof out);
        EXPECT_STREQ(out, c.name) << (c.entry ? c.entry : "(none)");
    }
    char small[5];
    SuggestOutputName("movie.avi.001", small, sizeof small);
    EXPECT_STREQ(small, "movi");
}

TEST(MakeChecksumPath, ReplacesTheNamesExtension)
{
    const std::string s = Sep();
    struct Case {
        std::string part;
        std::string checksum;
    } cases[] = {
        {"C:" + s + "dl" + s + "movie.avi.004", "C:" + s + "dl" + s + "movie.avi.999"},
        {"file003.txt", "file003.999"},
        {"x", "x.999"},
        {"x.", "x.999"},
        {"dir.d" + s + "name", "dir.d" + s + "name.999"},
        {"dir.d" + s + "name.7", "dir.d" + s + "name.999"},
    };
    for (const Case &c : cases) {
        char out[PATH_SIZE];
        MakeChecksumPath(c.part.c_str(), out, sizeof out);
        EXPECT_EQ(out, c.checksum) << c.part;
    }
    char small[8] = "junk";
    MakeChecksumPath("abcdef.001", small, sizeof small);
    EXPECT_STREQ(small, "");
}
