// Every platform call of a kind, failed in turn, over representative runs of
// the console program: whatever fails, nothing is lost and nothing leaks.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <strings.h>
#include <string>
#include <vector>

#include "console_stubs.h"
#include "engine/checksum.h"
#include "engine/discovery.h"
#include "fault_platform.h"
#include "temp_dir.h"

namespace {

typedef std::vector<unsigned char> Bytes;

const int kPart = 120 * 1024;

std::string g_raceOutput;  // the output name of the run in hand, for the hooks

struct Fault {
    const char *name;
    CallKind kind;
    FaultMode mode;
    bool losesData;  // the run cannot end well: the step's data is missing
    bool reported;   // the run fails all the same, though nothing is lost
};

const Fault kFaults[] = {
    {"open", CALL_OPEN, FAULT_FAIL, true},
    {"read failed", CALL_READ, FAULT_FAIL, true},
    {"read short", CALL_READ, FAULT_SHORT, true},
    {"write failed", CALL_WRITE, FAULT_FAIL, true},
    {"write short", CALL_WRITE, FAULT_SHORT, true},
    {"length", CALL_LENGTH, FAULT_FAIL, true},
    {"time get", CALL_TIME_GET, FAULT_FAIL, false},  // the stamp is a nicety
    {"time set", CALL_TIME_SET, FAULT_FAIL, false},
    {"mapping window", CALL_MAPPING, FAULT_FAIL, true},
    {"directory listing", CALL_LISTING, FAULT_FAIL, true},
    {"copy", CALL_COPY, FAULT_FAIL, false, true},  // the parts are whole; the console says the copy failed
    {"delete", CALL_DELETE, FAULT_FAIL, false, true},  // the output is whole by then
    {"flush", CALL_FLUSH, FAULT_FAIL, true},
    {"temporary create", CALL_CREATE_NEW, FAULT_FAIL, true},
    {"move into place", CALL_MOVE, FAULT_FAIL, true},
    {"folder sync", CALL_SYNC, FAULT_FAIL, true},
    {"free space", CALL_SPACE, FAULT_FAIL, false},  // unknown: the join tries
    {"cancel", CALL_PROBE, FAULT_FAIL, true},
};

// A scratch folder's files: the ones the run must never change (its sources)
// and, for a join, the file it should write from them.
struct Fixture {
    std::vector<std::pair<std::string, Bytes>> sources;
    std::string output;
    Bytes whole;
    Bytes old;  // what was at the output name before the run
    bool splitsIntoOut = false;  // out/ must hold what it held, or the new set and what else it held
};

struct Scenario {
    const char *what;
    void (*make)(const TempDir &dir, Fixture *fixture);
    std::vector<std::string> args;  // "@" starts a path in the scratch folder
    void (*hook)() = nullptr;  // run before the first move: another program at work
    CallKind hookKind = CALL_MOVE;
    bool fails = false;  // the run fails without any fault, and writes nothing
};

void AddSource(const TempDir &dir, Fixture *fixture, const std::string &name, const Bytes &bytes)
{
    WriteBytes(dir / name, bytes);
    fixture->sources.push_back({name, bytes});
}

void MakeSplitSource(const TempDir &dir, Fixture *fixture, size_t size)
{
    fixture->whole = MakeData(size, 7);
    AddSource(dir, fixture, "data.bin", fixture->whole);
    mkdir((dir / "out").c_str(), 0777);
    fixture->splitsIntoOut = true;
}

// The files of a folder by name; unfinished ones only when `unfinished`.
std::map<std::string, Bytes> ReadFolder(const std::string &folder, bool unfinished = false)
{
    std::map<std::string, Bytes> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (IsUnfinishedName(entry.path().filename().c_str()) == unfinished)
            files[entry.path().filename().string()] = ReadBytes(entry.path().string());
    return files;
}

// The file name of the running program, which a split may copy beside its parts.
std::string ProgramName() { return std::filesystem::read_symlink("/proc/self/exe").filename().string(); }

// What a split leaves in a folder that held `before`: its own set in place
// of any earlier one (names of data.bin with a number), the rest as it was.
bool HoldsNewSet(const std::map<std::string, Bytes> &after, const std::map<std::string, Bytes> &before,
                 const Bytes &source)
{
    auto isPiece = [](const std::string &name) {
        return name.size() == 12 && !strncasecmp(name.c_str(), "data.bin.", 9) && isdigit(name[9]);
    };
    Bytes joined;
    for (const auto &[name, bytes] : after) {
        if (isPiece(name) && name.compare(0, 9, "data.bin.") == 0 && name != "data.bin.999")
            joined.insert(joined.end(), bytes.begin(), bytes.end());
        else if (!isPiece(name) && !(before.count(name) ? before.at(name) == bytes : name == ProgramName()))
            return false;
        else if (isPiece(name) && name.compare(0, 9, "data.bin.") != 0)
            return false;  // a piece of the earlier set in another letter case
    }
    return joined == source && after.count("data.bin.999");
}

// Parts x.001 ... of the given sizes, with or without x.999.
void MakeSet(const TempDir &dir, Fixture *fixture, const std::vector<size_t> &sizes, bool checksumFile)
{
    for (size_t k = 0; k < sizes.size(); k++) {
        char name[16];
        snprintf(name, sizeof name, "x.%03d", static_cast<int>(k + 1));
        Bytes part = MakeData(sizes[k], static_cast<uint32_t>(k + 3));
        AddSource(dir, fixture, name, part);
        fixture->whole.insert(fixture->whole.end(), part.begin(), part.end());
    }
    uint32_t checksum = ComputeBufferChecksum(fixture->whole.data(), static_cast<int64_t>(fixture->whole.size()));
    if (checksumFile)
        AddSource(dir, fixture, "x.999",
                  {Bytes{uint8_t(checksum), uint8_t(checksum >> 8), uint8_t(checksum >> 16), uint8_t(checksum >> 24)}});
    fixture->output = dir / "joined";
}

const Scenario kScenarios[] = {
    {"split with the program's copy", [](const TempDir &d, Fixture *f) { MakeSplitSource(d, f, 2 * kPart + 1000); },
     {"split", "@data.bin", "-d", "@out", "-s", "120", "--copy-program"}},
    {"split into an empty last part", [](const TempDir &d, Fixture *f) { MakeSplitSource(d, f, 2 * kPart); },
     {"split", "@data.bin", "-d", "@out", "-s", "120"}},
    // Every piece of the earlier set goes, or none does.
    {"split over an earlier set",
     [](const TempDir &d, Fixture *f) {
         MakeSplitSource(d, f, kPart + 1000);
         for (const char *name : {"data.bin.001", "data.bin.004", "DATA.BIN.005", "data.bin.999", "notes.txt"})
             WriteBytes(d / ("out/" + std::string(name)), MakeData(100, name[9]));
     },
     {"split", "@data.bin", "-d", "@out", "-s", "120", "-f"}},
    {"join, checked and deleted", [](const TempDir &d, Fixture *f) { MakeSet(d, f, {kPart, kPart, 1000}, true); },
     {"join", "@x.002", "-o", "@joined", "--delete-parts"}},
    {"join without a checksum file", [](const TempDir &d, Fixture *f) { MakeSet(d, f, {kPart, 1000}, false); },
     {"join", "@x.001", "-o", "@joined", "--delete-parts"}},
    {"join over an existing output, empty last part",
     [](const TempDir &d, Fixture *f) {
         MakeSet(d, f, {kPart, kPart, 0}, true);
         f->old = MakeData(5000, 99);
         WriteBytes(f->output, f->old);
     },
     {"join", "@x.999", "-o", "@joined", "-f", "--delete-parts"}},
    // The one failure a join exists to catch never replaces a file.
    {"join of a damaged set over an existing output",
     [](const TempDir &d, Fixture *f) {
         MakeSet(d, f, {kPart, 1000}, true);
         f->sources.back().second[0] ^= 1;
         WriteBytes(d / "x.999", f->sources.back().second);
         f->old = MakeData(5000, 99);
         WriteBytes(f->output, f->old);
     },
     {"join", "@x.001", "-o", "@joined", "-f", "--delete-parts"}, nullptr, CALL_MOVE, true},
    // Another join finishes into the name this one found free; or replaces
    // this one's output after its move, when its parts must stay.
    {"join racing another into the same name", [](const TempDir &d, Fixture *f) { MakeSet(d, f, {kPart, 1000}, true); },
     {"join", "@x.001", "-o", "@joined", "--delete-parts"}, [] { WriteBytes(g_raceOutput, MakeData(7000, 5)); }},
    {"join whose output is replaced after the move", [](const TempDir &d, Fixture *f) { MakeSet(d, f, {kPart, 1000}, true); },
     {"join", "@x.001", "-o", "@joined", "--delete-parts"},
     [] { unlink(g_raceOutput.c_str()), WriteBytes(g_raceOutput, MakeData(7000, 5)); }, CALL_SYNC},
    {"list", [](const TempDir &d, Fixture *f) { MakeSet(d, f, {1000, 1000}, true); }, {"list", "@x.001"}},
};

int CountOpenDescriptors()
{
    int count = 0;
    DIR *dir = opendir("/proc/self/fd");
    while (dir && readdir(dir)) count++;
    if (dir) closedir(dir);
    return count;
}

time_t ModifiedAt(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mtime : 0;
}

struct Outcome {
    int status;
    int blocks;       // heap blocks left behind, -1 when not counted
    int descriptors;  // descriptors left open
};

// The console program with its output thrown away.
Outcome RunProgram(const TempDir &dir, const std::vector<std::string> &args)
{
    std::vector<std::string> words = {"partello"};
    for (const std::string &arg : args) words.push_back(arg[0] == '@' ? dir / arg.substr(1) : arg);
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);

    fflush(stdout);
    int savedOut = dup(1), savedErr = dup(2), null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    int descriptors = CountOpenDescriptors();
    StartCountingBlocks();
    int status = PartelloMain(static_cast<int>(words.size()), argv.data());
    int blocks = StopCountingBlocks();
    descriptors = CountOpenDescriptors() - descriptors;
    fflush(stdout);
    dup2(savedOut, 1);
    dup2(savedErr, 2);
    close(savedOut);
    close(savedErr);
    close(null);
    return {status, blocks, descriptors};
}

// The invariants of one run, with `fault` armed (or none when null).
void CheckRun(const Scenario &scenario, const Fault *fault, int at)
{
    TempDir dir;
    Fixture fixture;
    scenario.make(dir, &fixture);
    std::map<std::string, Bytes> before;
    if (fixture.splitsIntoOut) before = ReadFolder(dir / "out");
    // Older than anything the run writes, so a rewritten source shows.
    for (const auto &source : fixture.sources) {
        struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
        utimensat(AT_FDCWD, (dir / source.first).c_str(), times, 0);
    }
    if (!fixture.old.empty()) {
        struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
        utimensat(AT_FDCWD, fixture.output.c_str(), times, 0);
    }
    ArmFault(fault ? fault->kind : CALL_OPEN, fault ? fault->mode : FAULT_FAIL, fault ? at : 0);
    g_raceOutput = fixture.output;
    HookCall(scenario.hookKind, 1, scenario.hook);
    ResetConsole();
    Outcome outcome = RunProgram(dir, scenario.args);
    HookCall(CALL_MOVE, 0, nullptr);
    const PlatformRecord &record = Record();
    bool raced = scenario.hook && record.calls[scenario.hookKind] > 0;
    bool lostByFault = fault && fault->losesData && record.faultHit;
    bool lost = lostByFault || raced;
    bool failed = lost || (fault && fault->reported && record.faultHit) || scenario.fails;

    SCOPED_TRACE(std::string(scenario.what) + ", " + (fault ? fault->name : "no fault") + " at call " +
                 std::to_string(at));
    EXPECT_EQ(outcome.status != 0, failed);
    EXPECT_FALSE(lostByFault && Console().successAfterFault);
    EXPECT_EQ(record.openHandles, 0);
    EXPECT_EQ(record.openMappings, 0);
    EXPECT_EQ(record.openViews, 0);
    EXPECT_EQ(Console().cursorDepth, 0);
    EXPECT_EQ(outcome.descriptors, 0);
    if (outcome.blocks >= 0) EXPECT_EQ(outcome.blocks, 0);
    EXPECT_FALSE(record.deleteUnflushed);

    // The output name holds what it held (none: nothing), the whole join
    // once moved there, or what another program put there; nothing
    // unfinished stays unless its removal was the call that failed.
    if (!fixture.splitsIntoOut)
        EXPECT_EQ(ReadBytes(fixture.output), raced ? MakeData(7000, 5) : record.moved ? fixture.whole : fixture.old);
    if (!record.moved && !fixture.old.empty()) EXPECT_EQ(ModifiedAt(fixture.output), 1000000000);
    bool keptUnfinished = fault && fault->kind == CALL_DELETE && record.faultHit;
    for (const auto &entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_FALSE(IsUnfinishedName(entry.path().filename().c_str()) && !keptUnfinished);
    // A split changes its folder whole or not at all; only a file of the
    // earlier set that could not be deleted may stay, under an unfinished name.
    if (fixture.splitsIntoOut) {
        std::map<std::string, Bytes> after = ReadFolder(dir / "out");
        bool committed = outcome.status == 0 || (fault && fault->reported && record.faultHit);
        if (committed) EXPECT_TRUE(HoldsNewSet(after, before, fixture.whole));
        else EXPECT_EQ(after, before);
        EXPECT_TRUE(ReadFolder(dir / "out", true).empty() || keptUnfinished);
    }

    bool anyDeleted = false;
    for (const auto &source : fixture.sources) {
        std::string path = dir / source.first;
        if (!Exists(path)) {
            anyDeleted = true;
            continue;
        }
        EXPECT_EQ(ReadBytes(path), source.second) << source.first;
        EXPECT_EQ(ModifiedAt(path), 1000000000) << source.first;
    }
    if (anyDeleted) {
        EXPECT_FALSE(lost);
        EXPECT_TRUE(record.flushed);
        EXPECT_EQ(ReadBytes(fixture.output), fixture.whole);
    }
}

}  // namespace

TEST(FaultMatrix, NothingIsLostOrLeakedWhicheverCallFails)
{
    int cases = 0, byFault[std::size(kFaults)] = {};
    for (const Scenario &scenario : kScenarios) {
        CheckRun(scenario, nullptr, 0);
        PlatformRecord reached = Record();
        for (size_t f = 0; f < std::size(kFaults); f++) {
            for (int at = 1; at <= reached.calls[kFaults[f].kind]; at++) {
                CheckRun(scenario, &kFaults[f], at);
                byFault[f]++;
                cases++;
                if (HasFailure()) return;  // one broken invariant says enough
            }
        }
    }
    printf("fault matrix: %d cases over %zu runs:", cases, std::size(kScenarios));
    for (size_t f = 0; f < std::size(kFaults); f++) {
        printf(" %s %d%s", kFaults[f].name, byFault[f], f + 1 < std::size(kFaults) ? "," : "\n");
        EXPECT_GT(byFault[f], 0) << kFaults[f].name << " never reached";
    }
}
