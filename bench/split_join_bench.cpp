// Split and join of a 1 GiB file at 1440 KB parts with a warm page cache,
// next to coreutils `split -b 1440k` of the same file and `cat` of its
// parts, and the peak memory of a join of three 400 MiB parts, in one run:
//   build/native/bench/split_join_bench [rounds]
// The four operations take turns for several rounds, so a busy or quiet
// spell of the machine falls on all of them alike; dirty pages are synced
// before every timed run. The data (about 3 GiB at most) lives in a scratch
// folder under $TMPDIR or /tmp, removed at the end.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "checksum.h"
#include "join.h"
#include "split.h"

namespace fs = std::filesystem;

namespace {

const int kPartKb = 1440;
const int64_t kSourceSize = int64_t(1) << 30;
const int64_t kBigPartSize = int64_t(400) << 20;
const int kBigParts = 3;

struct Folders {
    std::string root;       // the scratch folder, ending in '/'
    std::string source;     // the 1 GiB file
    std::string parts;      // the engine's parts, ending in '/'
    std::string coreParts;  // coreutils split's parts, ending in '/'
    std::string big;        // the three 400 MiB parts, ending in '/'
};
Folders g_folders;

std::string Quote(const std::string &text) { return "'" + text + "'"; }

bool RunShell(const std::string &command) { return std::system(command.c_str()) == 0; }

double WallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Processor time of this process and its finished children together, so
// that the coreutils tools are charged like the engine.
double CpuSeconds()
{
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    rusage self, children;
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return seconds(self.ru_utime) + seconds(self.ru_stime) + seconds(children.ru_utime) +
           seconds(children.ru_stime);
}

// Fills a file with pseudo-random bytes; returns the raw CRC register.
uint32_t WriteRandomFile(const std::string &path, int64_t size, uint64_t seed, uint32_t state = 0xFFFFFFFFu)
{
    std::vector<uint64_t> block(1 << 19);  // 4 MiB
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    for (int64_t done = 0; done < size;) {
        for (uint64_t &word : block) {
            seed ^= seed << 13;
            seed ^= seed >> 7;
            seed ^= seed << 17;
            word = seed;
        }
        size_t take = (size_t)std::min<int64_t>(size - done, int64_t(block.size() * 8));
        state = UpdateCrc(state, reinterpret_cast<unsigned char *>(block.data()), take);
        if (std::fwrite(block.data(), 1, take, file) != take) std::abort();
        done += take;
    }
    std::fclose(file);
    return state;
}

void ClearFolder(const std::string &folder)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
}

int PartCount() { return int(CountPartsOfLength(kSourceSize, PartSizeBytes(kPartKb))); }

std::vector<std::string> PartNames(const std::string &base, int count)
{
    std::vector<std::string> names;
    char suffix[16];
    for (int k = 1; k <= count; k++) {
        std::snprintf(suffix, sizeof suffix, ".%3.3d", k);
        names.push_back(base + suffix);
    }
    return names;
}

// The three digits at the end of names made by PartNames.
NumberPlaces PlacesOf(const std::vector<std::string> &names) { return {int(names[0].size()) - 3, 3}; }

std::vector<const char *> Pointers(const std::vector<std::string> &names)
{
    std::vector<const char *> list;
    for (const std::string &name : names) list.push_back(name.c_str());
    return list;
}

struct Measured {
    const char *name;
    std::function<void()> prepare;  // untimed, before the sync
    std::function<bool()> run;
    std::vector<double> wall, cpu;
};

double Best(const std::vector<double> &values) { return *std::min_element(values.begin(), values.end()); }

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The peak resident set of a child of this program that joins the three
// big parts (or, for `idle`, does nothing), read from the child's own VmHWM
// so that none of this process's pages count.
long MeasureChild(const std::string &program, bool idle)
{
    std::string command = Quote(program) + (idle ? " --idle-child" : " --join-child " + Quote(g_folders.big));
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    long kb = -1;
    if (std::fscanf(pipe, "%ld", &kb) != 1) kb = -1;
    return pclose(pipe) == 0 ? kb : -1;
}

long ReadPeakKb()
{
    FILE *status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld", &kb) == 1) break;
    std::fclose(status);
    return kb;
}

// The measured child: joins big.bin.001..003 of `folder` (checksum file
// included) and prints its peak resident set in KiB.
int RunJoinChild(const char *folder)
{
    std::vector<std::string> names = PartNames("big.bin", kBigParts);
    std::vector<const char *> list = Pointers(names);
    const NumberPlaces places = PlacesOf(names);
    std::string output = std::string(folder) + "big.bin";
    if (JoinFiles(list.data(), kBigParts, folder, places, output.c_str(), false) != OPERATION_DONE) return 1;
    if (int64_t(fs::file_size(output)) != kBigParts * kBigPartSize) return 1;
    std::printf("%ld\n", ReadPeakKb());
    return 0;
}

bool MakeFolders()
{
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/partello-bench-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) return false;
    g_folders.root = std::string(buffer.data()) + "/";
    g_folders.source = g_folders.root + "data.bin";
    g_folders.parts = g_folders.root + "parts/";
    g_folders.coreParts = g_folders.root + "coreutils/";
    g_folders.big = g_folders.root + "big/";
    return true;
}

bool RunBenchmarks(const std::string &program, int rounds)
{
    std::printf("Writing a 1 GiB source in %s ...\n", g_folders.root.c_str());
    WriteRandomFile(g_folders.source, kSourceSize, 0x2545F4914F6CDD1Dull);
    RunShell("cat " + Quote(g_folders.source) + " > /dev/null");  // warm

    std::vector<std::string> names = PartNames("data.bin", PartCount());
    std::vector<const char *> list = Pointers(names);
    const NumberPlaces places = PlacesOf(names);
    std::string joined = g_folders.root + "joined.bin", catted = g_folders.root + "cat.bin";
    std::string splitCommand = "split -b " + std::to_string(kPartKb) + "k -d -a 3 " + Quote(g_folders.source) +
                               " " + Quote(g_folders.coreParts + "data.bin.");
    std::string catCommand = "cat " + Quote(g_folders.coreParts) + "data.bin.* > " + Quote(catted);
    auto sizeIs = [](const std::string &path) {
        std::error_code error;
        return int64_t(fs::file_size(path, error)) == kSourceSize;
    };

    // Each join reads the parts of the split before it in the same round.
    std::vector<Measured> measured = {
        {"engine split", [] { ClearFolder(g_folders.parts); },
         [] {
             SplitPlan plan;
             MakeSplitPlan(g_folders.source.c_str(), g_folders.parts.c_str(), kPartKb, &plan);
             return SplitFile(&plan, false) == OPERATION_DONE;
         }},
        {"coreutils split", [] { ClearFolder(g_folders.coreParts); }, [&] { return RunShell(splitCommand); }},
        {"engine join", [&] { fs::remove(joined); },
         [&] {
             return JoinFiles(list.data(), int(list.size()), g_folders.parts.c_str(), places, joined.c_str(), false) ==
                        OPERATION_DONE &&
                    sizeIs(joined);
         }},
        {"cat", [&] { fs::remove(catted); }, [&] { return RunShell(catCommand) && sizeIs(catted); }},
        // A breakdown: the join without its checksum pass, and that pass alone.
        {"join, no .999 file", [&] {
             fs::remove(joined);
             fs::rename(g_folders.parts + "data.bin.999", g_folders.root + "data.bin.999");
         },
         [&] {
             bool joinedWhole = JoinFiles(list.data(), int(list.size()), g_folders.parts.c_str(), places, joined.c_str(),
                                          false) == OPERATION_DONE &&
                                sizeIs(joined);
             fs::rename(g_folders.root + "data.bin.999", g_folders.parts + "data.bin.999");
             return joinedWhole;
         }},
        {"checksum pass alone", [] {},
         [] {
             FileHandle file = OpenFileForRead(g_folders.source.c_str());
             uint32_t checksum;
             int systemError;
             bool computed = ComputeFileChecksum(file, &checksum, &systemError) == OPERATION_DONE;
             CloseFileHandle(file);
             return computed;
         }},
    };
    for (int round = 1; round <= rounds; round++) {
        for (Measured &m : measured) {
            m.prepare();
            sync();
            double wall = WallSeconds(), cpu = CpuSeconds();
            if (!m.run()) {
                std::fprintf(stderr, "%s failed\n", m.name);
                return false;
            }
            m.wall.push_back(WallSeconds() - wall);
            m.cpu.push_back(CpuSeconds() - cpu);
        }
        std::printf("round %d of %d done\n", round, rounds);
    }
    ClearFolder(g_folders.parts);
    ClearFolder(g_folders.coreParts);
    fs::remove(joined);
    fs::remove(catted);

    std::printf("\n1 GiB at %d KB parts (%d parts), %d rounds, seconds:\n", kPartKb, PartCount(), rounds);
    std::printf("  %-20s %9s %9s %9s %10s\n", "", "best wall", "median", "best cpu", "MB/s");
    for (const Measured &m : measured)
        std::printf("  %-20s %9.3f %9.3f %9.3f %10.0f\n", m.name, Best(m.wall), Median(m.wall), Best(m.cpu),
                    kSourceSize / Best(m.wall) / 1e6);
    auto ratios = [&](const char *what, const Measured &a, const Measured &b) {
        std::printf("  %s: %.2fx by best wall, %.2fx by median wall, %.2fx by best cpu (target <= 2)\n", what,
                    Best(a.wall) / Best(b.wall), Median(a.wall) / Median(b.wall), Best(a.cpu) / Best(b.cpu));
    };
    ratios("split / coreutils split", measured[0], measured[1]);
    ratios("join / cat", measured[2], measured[3]);

    std::printf("\nWriting %d parts of %lld MiB ...\n", kBigParts, (long long)(kBigPartSize >> 20));
    ClearFolder(g_folders.big);
    uint32_t crc = 0xFFFFFFFFu;
    std::vector<std::string> bigNames = PartNames("big.bin", kBigParts);
    for (int i = 0; i < kBigParts; i++)
        crc = WriteRandomFile(g_folders.big + bigNames[i], kBigPartSize, 0x9E3779B97F4A7C15ull + i, crc);
    {
        const char bytes[4] = {char(~crc), char(~crc >> 8), char(~crc >> 16), char(~crc >> 24)};
        std::FILE *checksumFile = std::fopen((g_folders.big + "big.bin.999").c_str(), "wb");
        if (checksumFile) std::fwrite(bytes, 1, 4, checksumFile), std::fclose(checksumFile);
    }
    long idleKb = MeasureChild(program, true), peakKb = MeasureChild(program, false);
    if (peakKb < 0) {
        std::fprintf(stderr, "the measured join failed\n");
        return false;
    }
    std::printf("Join of %d x %lld MiB: peak resident %.1f MiB (target < 64; an idle child: %.1f MiB)\n",
                kBigParts, (long long)(kBigPartSize >> 20), peakKb / 1024.0, idleKb / 1024.0);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--join-child") == 0) return RunJoinChild(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "--idle-child") == 0) {
        std::printf("%ld\n", ReadPeakKb());
        return 0;
    }
    int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    if (rounds < 1) {
        std::fprintf(stderr, "usage: %s [rounds]\n", argv[0]);
        return 2;
    }
    if (!MakeFolders()) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        return 1;
    }
    bool done = RunBenchmarks(fs::read_symlink("/proc/self/exe"), rounds);
    fs::remove_all(g_folders.root);
    return done ? 0 : 1;
}
