// partello run as a child process on scratch folders: what it prints, how
// it exits, what it leaves on disk.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "run_child.h"
#include "temp_dir.h"

namespace {

using Args = std::vector<std::string>;

const char kOnlyNumbered[] = "Only numbered files can be joined!\n";

bool Contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

std::string Hex(const std::vector<unsigned char> &bytes)
{
    char text[9];
    snprintf(text, sizeof text, "%02x%02x%02x%02x", bytes[3], bytes[2], bytes[1], bytes[0]);
    return text;
}

TEST(Cli, SplitListJoinRoundTrip)
{
    TempDir dir;
    const std::vector<unsigned char> data = MakeData(2 * 122880 + 17);
    WriteBytes(dir / "data.bin", data);

    // '$78' is 120 in hex; the parts land beside the file by default.
    Child split = RunPartello({"split", dir / "data.bin", "-s", "$78", "--copy-program"});
    EXPECT_EQ(split.status, 0) << split.errText;
    // Not on a terminal: the layout, then one line for each step, no hint
    // about ESC that cannot be read, and the result.
    EXPECT_EQ(split.errText,
              "2 parts of 120 KB and one of 1 KB, plus data.bin.999\nSplitting file ...\nCreating Checksum ...\n"
              "Splitting file ...\nFile split successfully.\n");
    EXPECT_EQ(SizeOf(dir / "data.bin.003"), 17);
    EXPECT_EQ(SizeOf(dir / "partello"), SizeOf(PARTELLO_PROGRAM));

    Child list = RunPartello({"list", dir / "data.bin.999"});
    EXPECT_EQ(list.status, 0) << list.errText;
    EXPECT_EQ(list.outText, dir.Path() + "\ndata.bin.001\ndata.bin.002\ndata.bin.003\n");
    Child verify = RunPartello({"verify", dir / "data.bin.003"});
    EXPECT_EQ(verify.status, 0) << verify.errText;
    EXPECT_EQ(SplitLines(verify.errText).back(), "Parts checked. (Checksums match)");
    EXPECT_EQ(RunPartello({"verify", dir / "data.bin.001", "-q"}).errText, "");
    Child piped = RunPartello({"join", dir / "data.bin.001", "-o", "-"});
    EXPECT_EQ(piped.status, 0) << piped.errText;
    EXPECT_EQ(piped.outText, std::string(data.begin(), data.end()));

    // The output goes to the current folder under the suggested name.
    ASSERT_EQ(mkdir((dir / "out").c_str(), 0777), 0);
    Child join = RunPartello({"join", dir / "data.bin.002"}, dir / "out");
    EXPECT_EQ(join.status, 0) << join.errText;
    EXPECT_EQ(SplitLines(join.errText).back(), "Joined successfully. (Checksums match)");
    EXPECT_EQ(ReadBytes(dir / "out/data.bin"), data);

    Child original = RunPartello({"checksum", dir / "data.bin"});
    EXPECT_EQ(original.status, 0);
    EXPECT_EQ(original.outText, Hex(ReadBytes(dir / "data.bin.999")) + "\n");
    EXPECT_EQ(RunPartello({"checksum", dir / "out/data.bin"}).outText, original.outText);

    // A folder as -o takes the suggested name inside it; -f replaces.
    WriteText(dir / "out/data.bin", "old");
    Child again = RunPartello({"join", dir / "data.bin.001", "-o", dir / "out", "-f", "--delete-parts"});
    EXPECT_EQ(again.status, 0) << again.errText;
    EXPECT_EQ(ReadBytes(dir / "out/data.bin"), data);
    for (const char *gone : {"data.bin.001", "data.bin.003", "data.bin.999"}) EXPECT_FALSE(Exists(dir / gone)) << gone;
}

// Names on Linux are bytes: one that is no valid UTF-8 splits and joins
// back as it is, and is listed with those bytes escaped, its whole
// characters as they are.
TEST(Cli, ANameThatIsNotUtf8SplitsAndJoinsBack)
{
    TempDir dir;
    const std::string name = "raw \xff\xfe\x80 \xe4\xb8 \xe5\x90\x8d.bin";
    const std::vector<unsigned char> data = MakeData(122880 + 3);
    WriteBytes(dir / name, data);
    Child split = RunPartello({"split", dir / name, "-s", "120"});
    EXPECT_EQ(split.status, 0) << split.errText;
    Child list = RunPartello({"list", dir / (name + ".001")});
    const std::string quoted = "'raw '$'\\377'$'\\376'$'\\200'' '$'\\344'$'\\270'' \xe5\x90\x8d.bin";
    EXPECT_EQ(list.outText, dir.Path() + "\n" + quoted + ".001'\n" + quoted + ".002'\n");
    Child join = RunPartello({"join", dir / (name + ".002"), "-o", dir / "joined", "--delete-parts"});
    EXPECT_EQ(join.status, 0) << join.errText;
    EXPECT_EQ(ReadBytes(dir / "joined"), data);
    EXPECT_FALSE(Exists(dir / (name + ".001")));
    EXPECT_EQ(ReadBytes(dir / name), data);
}

TEST(Cli, RefusalsAndFailures)
{
    TempDir dir;
    WriteBytes(dir / "data.bin", MakeData(300000));
    ASSERT_EQ(RunPartello({"split", dir / "data.bin", "-s", "120"}).status, 0);
    std::vector<unsigned char> part = ReadBytes(dir / "data.bin.002");
    part[5] ^= 1;
    WriteBytes(dir / "data.bin.002", part);
    for (const char *name : {"notes.txt", "lone.001", "sum.999", "empty", "t001.txt", "t002.txt"}) WriteText(dir / name, "");
    // Names that would move the cursor and hide text if shown raw.
    const std::string hostile = "h\r\033[Kok\n";
    for (const char *number : {".001", ".002", ".999"}) WriteText(dir / (hostile + number), "1234");
    for (const char *name : {"q.001", "q.0\r2"}) WriteText(dir / name, "1234");

    struct Case {
        Args args;
        int status;
        std::string message;
    } cases[] = {
        {{}, 2, "partello: no command"},
        {{"frobnicate"}, 2, "partello: unknown command 'frobnicate'"},
        {{"split"}, 2, "partello: split needs a FILE"},
        {{"checksum"}, 2, "partello: checksum needs a FILE"},
        {{"split", "f", "-s", "119"}, 2, "partello: part size '119' is below the smallest, 120 KB: -s 120"},
        {{"split", "f", "-s", "12x"}, 2, "partello: bad part size '12x'"},
        {{"split", "f", "-s"}, 2, "partello: option -s needs a value"},
        {{"split", "f", "-d", ""}, 2, "partello: option -d needs a value"},
        {{"split", "f", "-o", "x"}, 2, "partello: split does not take the option '-o'"},
        {{"list", "a.001", "-f"}, 2, "partello: list does not take the option '-f'"},
        {{"split", "f", "-n", "3x"}, 2, "partello: bad part count '3x'"},
        {{"split", "f", "-s", "1M", "-n", "3"}, 2, "partello: -s and -n do not go together"},
        {{"join", "a.001", "-o", "-", "--delete-parts"}, 2, "partello: --delete-parts does not go with -o -"},
        {{"join", "a.001", "b.001"}, 2, "partello: unexpected argument 'b.001'"},
        {{"join", "a.001", "--bogus"}, 2, "partello: unknown option '--bogus'"},
        {{"list", "a.001", "-qf"}, 2, "partello: list does not take the option '-f'"},  // -q taken, -f refused
        {{"join", "a.001", "--force=yes"}, 2, "partello: option --force takes no value"},
        {{"join", "a.001", "--d"}, 2, "partello: ambiguous option '--d'"},
        {{"split", "f", "--size="}, 2, "partello: option --size needs a value"},
        {{"split", "--", "-s"}, 1, "partello: '-s': can't open file"},
        {{"join", std::string(5000, 'x')}, 2, "partello: path longer than 4095"},
        {{"split", dir / "missing"}, 1,
         "partello: '" + dir / "missing': can't open file (No such file or directory)\n"},
        {{"split", "/dev/null"}, 1, "partello: '/dev/null': is a device, not a file\n"},
        {{"split", dir / "data.bin", "-s", "120", "-d", dir / "nowhere"}, 1,
         "partello: '" + dir / "nowhere': folder does not exist\n"},
        {{"split", dir / "empty"}, 1, "is empty"},
        {{"join", dir / "data.bin.001", "-o", dir / "joined", "--delete-parts"}, 1,
         "partello: '" + dir / "joined': Checksums do not match\n"},
        {{"verify", dir / "data.bin.002"}, 1, "partello: '" + dir / "data.bin.999': Checksums do not match\n"},
        {{"join", dir / "data.bin.001", "-o", dir / "nowhere/joined"}, 1,
         "partello: '" + dir / "nowhere/joined': can't create file (No such file or directory)\n"},
        {{"join", dir / "data.bin.001", "-o", dir / "notes.txt"}, 1, "notes.txt': already exists; use -f"},
        {{"list", dir / "notes.txt"}, 1, "notes.txt': only numbered files can be joined\n"},
        {{"join", dir / "lone.001", "-f"}, 1, "lone.001': only one part was found"},
        {{"join", dir / "t002.txt", "-o", dir.Path(), "-f"}, 1, "t001.txt': is a part of the set; name the joined file with -o\n"},
        {{"list", dir / "absent.001"}, 1, "partello: '" + dir.Path() + "absent.??\?': no files match\n"},
        {{"verify", dir / (hostile + ".001")}, 1, "/h'$'\\r'$'\\033''[Kok'$'\\n''.999': Checksums do not match\n"},
        {{"join", dir / "q.001", "-o", dir / "q"}, 1, "q.0'$'\\r''2': not a numbered part\n"},
        {{"join", dir / "sum.999"}, 1, "only a checksum file"},
        {{"checksum", dir / "empty"}, 1, "is empty"},
        {{"checksum", dir / "missing"}, 1, "can't open"},
        {{"checksum", dir.Path()}, 1, "is a folder"},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.message);
        Child run = RunPartello(test.args);
        EXPECT_EQ(run.status, test.status);
        EXPECT_TRUE(Contains(run.errText, test.message)) << run.errText;
        // A usage error is one line and a pointer to --help; any refusal is one line.
        EXPECT_EQ(Contains(run.errText, "\nTry 'partello --help' for more information.\n"), test.status == 2);
        int errorLines = 0;
        for (const std::string &line : SplitLines(run.errText)) errorLines += line.rfind("partello: ", 0) == 0;
        EXPECT_EQ(errorLines, 1);
        if (test.status == 2) EXPECT_EQ(SplitLines(run.errText).size(), 2u);
        EXPECT_EQ(run.outText, "");
    }
    // One name, one line, nothing raw; and a set without a .999 says so.
    unlink((dir / (hostile + ".999")).c_str());
    EXPECT_EQ(RunPartello({"list", dir / (hostile + ".002")}).outText,
              dir.Path() + "\n'h'$'\\r'$'\\033''[Kok'$'\\n''.001'\n'h'$'\\r'$'\\033''[Kok'$'\\n''.002'\n"
              "  (no .999: the set cannot be checked)\n");
    // Nothing was deleted or overwritten on the way.
    EXPECT_TRUE(Exists(dir / "data.bin.001") && Exists(dir / "data.bin.999"));
    EXPECT_EQ(SizeOf(dir / "notes.txt"), 0);
}

// Parts 1, 2, 4 and 5 of a set: the join is refused before it writes, and
// the list shows where the hole is.
TEST(Cli, BrokenSetIsRefusedAndListedWithItsHole)
{
    TempDir dir;
    const std::vector<unsigned char> data = MakeData(4 * 122880 + 5);
    WriteBytes(dir / "data.bin", data);
    ASSERT_EQ(RunPartello({"split", dir / "data.bin", "-s", "120"}).status, 0);
    ASSERT_EQ(unlink((dir / "data.bin.003").c_str()), 0);
    const std::vector<unsigned char> fourth = ReadBytes(dir / "data.bin.004");
    // What a killed join of this set left, and one of another file's.
    WriteText(dir / "data.bin.abcdef.unfinished-join", "12");
    WriteText(dir / "data.txt.abcdef.unfinished-join", "12");

    Child list = RunPartello({"list", dir / "data.bin.001"});
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(list.outText, dir.Path() + "\ndata.bin.001\ndata.bin.002\n  (missing 003)\ndata.bin.004\ndata.bin.005\n"
                            "  (unfinished: data.bin.abcdef.unfinished-join, 2 bytes)\n");
    EXPECT_EQ(list.errText, "partello: '" + dir / "data.bin.003': missing part\n");

    for (bool withChecksum : {true, false}) {
        if (!withChecksum) unlink((dir / "data.bin.999").c_str());
        Child join = RunPartello({"join", dir / "data.bin.002", "-o", dir / "joined", "--delete-parts"});
        EXPECT_EQ(join.status, 1);
        EXPECT_EQ(join.errText, "partello: '" + dir / "data.bin.003': missing part\n");
        EXPECT_FALSE(Exists(dir / "joined"));
        EXPECT_EQ(ReadBytes(dir / "data.bin.004"), fourth);
        EXPECT_EQ(Exists(dir / "data.bin.999"), withChecksum);
        for (const char *kept : {"data.bin.001", "data.bin.002", "data.bin.005"}) EXPECT_TRUE(Exists(dir / kept));
    }
}

TEST(Cli, ChecksumsHelpAndVersion)
{
    TempDir dir;
    struct Vector {
        std::string content;
        std::string printed;
    } vectors[] = {
        {"123456789", "cbf43926\n"},
        {"The quick brown fox jumps over the lazy dog", "414fa339\n"},
        {std::string(1, '\0'), "d202ef8d\n"},
        {"\xff\xff\xff\xff", ""},  // its CRC-32 is the failure value, never shown
    };
    for (const Vector &vector : vectors) {
        WriteText(dir / "file", vector.content);
        Child run = RunPartello({"checksum", dir / "file"});
        EXPECT_EQ(run.outText, vector.printed);
        EXPECT_EQ(run.status, vector.printed.empty() ? 1 : 0) << run.errText;
    }
    // - is standard input (here a pipe); several files give a line each
    // with the name, and one that fails does not stop the others.
    WriteText(dir / "file", "123456789");
    Child several = RunPartello({"checksum", "-", dir / "missing", dir / "file"}, "", [] {
        int ends[2];
        if (pipe(ends) == 0) write(ends[1], "\0", 1), close(ends[1]), dup2(ends[0], 0);
    });
    EXPECT_EQ(several.status, 1);
    EXPECT_EQ(several.outText, "d202ef8d  -\ncbf43926  " + dir / "file" + "\n");
    EXPECT_TRUE(Contains(several.errText, "missing': can't open file")) << several.errText;
    Child help = RunPartello({"join", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.outText, "Usage: partello split FILE"));
    std::vector<std::string> version = SplitLines(RunPartello({"--version"}).outText);
    ASSERT_EQ(version.size(), 4u);
    EXPECT_EQ(version[0], "partello 1.6");
    EXPECT_EQ(version[1].rfind("Copyright (c) 20", 0), 0u) << version[1];
}

// The child as an ordinary user where the tests run as root, who may
// read and delete anything.
void BecomeUser()
{
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(125);
}

void LimitFileSize()
{
    rlimit limit = {50000, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &limit);
}

void OutputToFullDevice() { dup2(open("/dev/full", O_WRONLY), 1); }

// The set in set/ renamed to upper case.
void UpperCaseSet(const TempDir &d)
{
    for (const char *number : {"001", "002", "003", "999"})
        rename((d / "set/data.bin." + number).c_str(), (d / "set/DATA.BIN." + number).c_str());
}

// `fd` becomes a pipe that nobody reads.
void IntoClosedPipe(int fd)
{
    int ends[2];
    if (pipe(ends) == 0) close(ends[0]), dup2(ends[1], fd);
}

void WriteChecksumFile(const TempDir &d, const char *bytes) { WriteText(d / "set/data.bin.999", bytes); }

// Hostile input and odd file systems. Each case starts from data.bin and
// its three parts and checksum file in set/, with out/ open to anyone.
TEST(Cli, HostileInputAndOddFileSystems)
{
    const std::vector<unsigned char> data = MakeData(300000);
    struct Case {
        const char *what;
        void (*prepare)(const TempDir &);
        Args args;  // "@" stands for the scratch folder, here and below
        ChildSetup setup;
        int status;
        std::string message;  // in stderr
        std::string kept, gone;  // files that must and must not be there after
        int keptMode = 0;  // the permission bits that `kept` must have, when not 0
        std::string keptText = "";  // what `kept` must hold, when not ""
    } cases[] = {
        {"stderr closed: status texts stay out of the output", nullptr, {"join", "@set/data.bin.001", "-o", "@out/j"},
         [] { close(2); }, 0, "", "@out/j", ""},
        {"stdout closed: the result due there fails", nullptr, {"checksum", "@data.bin"}, [] { close(1); }, 1,
         "partello: can't write the result to standard output (Bad file descriptor)\n", "", ""},
        {"stderr into a closed pipe: the join goes on", nullptr, {"join", "@set/data.bin.001", "-o", "@out/j"},
         [] { IntoClosedPipe(2); }, 0, "", "@out/j", ""},
        {"-o - into a pipe whose reader left ends quietly", nullptr, {"join", "@set/data.bin.001", "-o", "-", "-q"},
         [] { IntoClosedPipe(1); }, 141, "", "", ""},
        {"a printed result into such a pipe too", nullptr, {"checksum", "@data.bin", "@data.bin"},
         [] { IntoClosedPipe(1); }, 141, "", "", ""},
        {"verify without a .999", [](const TempDir &d) { unlink((d / "set/data.bin.999").c_str()); },
         {"verify", "@set/data.bin.001"}, nullptr, 1, "partello: no .999, parts not checked\n", "", ""},
        {"verify notes what a killed split left",
         [](const TempDir &d) { WriteText(d / "set/DATA.BIN.999.qwerty.unfinished-split", "1234"); },
         {"verify", "@set/data.bin.001"}, nullptr, 0,
         "partello: unfinished file of a stopped join or split: DATA.BIN.999.qwerty.unfinished-split, 4 bytes\n", "", ""},
        {"a .999 with the reserved value", [](const TempDir &d) { WriteChecksumFile(d, "\xff\xff\xff\xff"); },
         {"verify", "@set/data.bin.001"}, nullptr, 1,
         "partello: '@set/data.bin.999': .999 holds ffffffff, the value reserved for failure\n", "", ""},
        {"a file-size limit fails the write", nullptr, {"split", "@data.bin", "-s", "120", "-d", "@out"}, LimitFileSize,
         1, "partello: '@out/data.bin.001': can't read or write file (File too large)\n", "", "@out/data.bin.002"},
        {"a FIFO as the output", [](const TempDir &d) { mkfifo((d / "out/fifo").c_str(), 0666); },
         {"join", "@set/data.bin.001", "-o", "@out/fifo", "-f"}, nullptr, 1,
         "partello: '@out/fifo': is a FIFO, not a file; verify checks a set without writing it\n", "", ""},
        {"one part at the default size", nullptr, {"split", "@data.bin", "-d", "@out"}, nullptr, 1,
         "partello: '@data.bin': fits in one part of 1440 KB; choose a smaller part size: -s 292 or less\n", "",
         "@out/data.bin.999"},
        {"smaller than the smallest part", [](const TempDir &d) { WriteText(d / "small", "x"); },
         {"split", "@small", "-s", "120"}, nullptr, 1, "partello: '@small': is smaller than the smallest part size (120 KB)",
         "", "@small.999"},
        {"a folder as the checksum file",
         [](const TempDir &d) {
             unlink((d / "set/data.bin.999").c_str());
             mkdir((d / "set/data.bin.999").c_str(), 0777);
         },
         {"join", "@set/data.bin.001", "-o", "@out/j", "--delete-parts"}, nullptr, 1,
         "partello: '@set/data.bin.999': .999 unreadable, the set cannot be checked (is a folder)\n", "@set/data.bin.001",
         ""},
        {"parts that cannot be deleted", [](const TempDir &d) { chmod((d / "set").c_str(), 0555); },
         {"join", "@set/data.bin.001", "-o", "@out/j", "--delete-parts"}, BecomeUser, 1,
         "Joined successfully. (Checksums match)\npartello: '@set/data.bin.999': can't delete (Permission denied)\n"
         "partello: '@set/data.bin.001': can't delete (Permission denied)\n",
         "@out/j", ""},
        {"a split over an earlier set", nullptr, {"split", "@data.bin", "-s", "120", "-d", "@set"}, nullptr, 1,
         "partello: '@set/data.bin.001': is there from an earlier split; use -f to replace that set\n", "", ""},
        {"an earlier set in other case", UpperCaseSet, {"split", "@data.bin", "-s", "120", "-d", "@set"}, nullptr, 1,
         "partello: '@set/DATA.BIN.001': is there from an earlier split", "", ""},
        {"-f over one in other case", UpperCaseSet, {"split", "@data.bin", "-s", "120", "-d", "@set", "-f"}, nullptr,
         0, "File split successfully.\n", "@set/data.bin.003", "@set/DATA.BIN.999"},
        {"a set that goes on", [](const TempDir &d) { rename((d / "set/data.bin.003").c_str(), (d / "set/data.bin.1003").c_str()); },
         {"join", "@set/data.bin.001", "-o", "@out/j", "--delete-parts"}, nullptr, 1,
         "partello: '@set/data.bin.1003': the set goes on here, in numbers of another width\n", "@set/data.bin.001",
         "@out/j"},
        {"a short part without a checksum file",
         [](const TempDir &d) {
             unlink((d / "set/data.bin.999").c_str());
             truncate((d / "set/data.bin.002").c_str(), 1000);
         },
         {"join", "@set/data.bin.001", "-o", "@out/j", "--delete-parts"}, nullptr, 1,
         "partello: '@set/data.bin.002': shorter than the first part: damaged, maybe; the parts were kept\n"
         "partello: the join was not checked: there is no '@set/data.bin.999'\n",
         "@set/data.bin.002", ""},
        {"-f leaves one whole set", [](const TempDir &d) { truncate((d / "data.bin").c_str(), 130000); },
         {"split", "@data.bin", "-s", "120", "-d", "@set", "-f"}, nullptr, 0, "File split successfully.\n",
         "@set/data.bin.002", "@set/data.bin.003"},
        {"a part that cannot be read", [](const TempDir &d) { chmod((d / "set/data.bin.002").c_str(), 0); },
         {"join", "@set/data.bin.001", "-o", "@out/j"}, BecomeUser, 1,
         "partello: '@set/data.bin.002': can't open file (Permission denied)\n", "", ""},
        {"a folder to split", nullptr, {"split", "@set"}, nullptr, 1, "partello: '@set': is a folder, not a file\n",
         "", ""},
        {"a file as the folder", nullptr, {"split", "@data.bin", "-s", "120", "-d", "@data.bin"}, nullptr, 1,
         "partello: '@data.bin': is not a folder\n", "", ""},
        {"-o - appended to a part", nullptr, {"join", "@set/data.bin.001", "-o", "-"},
         [] { dup2(open("set/data.bin.003", O_WRONLY | O_APPEND), 1); }, 1,
         "partello: 'standard output': is a file of the set, which the join would overwrite\n", "", ""},
        {"a private file replaced stays private",
         [](const TempDir &d) { WriteText(d / "out/j", "old"), chmod((d / "out/j").c_str(), 0600); },
         {"join", "@set/data.bin.001", "-o", "@out/j", "-f"}, nullptr, 0, "Joined successfully.", "@out/j", "", 0600},
        {"a name as long as a name may be, joined to its default name",
         [](const TempDir &d) {
             for (const char *number : {".001", ".002", ".003", ".999"})
                 rename((d / "set/data.bin" + number).c_str(), (d / "set/" + std::string(240, 'n') + number).c_str());
         },
         {"join", "set/" + std::string(240, 'n') + ".002"}, nullptr, 0, "Joined successfully.",
         "@" + std::string(240, 'n'), ""},
        {"-f over a link at a part name replaces the link, never writes through it",
         [](const TempDir &d) { WriteText(d / "precious", "precious"), symlink("../precious", (d / "set/data.bin.002").c_str()); },
         {"split", "@data.bin", "-s", "120", "-d", "@set", "-f"}, nullptr, 0, "File split successfully.\n", "@precious",
         "", 0, "precious"},
        {"help into a full device", nullptr, {"--help"}, OutputToFullDevice, 1, "partello: can't write the result", "", ""},
        {"version into a full device", nullptr, {"--version"}, OutputToFullDevice, 1, "partello: can't write the result",
         "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        auto inDir = [&](std::string text) {
            for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, dir.Path());
            return text;
        };
        WriteBytes(dir / "data.bin", data);
        mkdir((dir / "set").c_str(), 0777);
        mkdir((dir / "out").c_str(), 0777);
        chmod((dir / "out").c_str(), 0777);
        ASSERT_EQ(RunPartello({"split", dir / "data.bin", "-s", "120", "-d", dir / "set"}).status, 0);
        if (c.prepare) c.prepare(dir);
        Args args;
        for (const std::string &arg : c.args) args.push_back(inDir(arg));
        Child run = RunPartello(args, dir.Path(), c.setup);
        EXPECT_EQ(run.status, c.status) << run.errText;
        EXPECT_TRUE(Contains(run.errText, inDir(c.message))) << run.errText;
        if (c.status == 141) EXPECT_EQ(run.errText, "");
        if (c.kept == "@out/j") EXPECT_EQ(ReadBytes(inDir(c.kept)), data);
        if (!c.kept.empty()) EXPECT_TRUE(Exists(inDir(c.kept)));
        struct stat info;
        if (c.keptMode) EXPECT_TRUE(stat(inDir(c.kept).c_str(), &info) == 0 && (info.st_mode & 07777) == c.keptMode);
        if (!c.keptText.empty()) EXPECT_EQ(ReadBytes(inDir(c.kept)), std::vector<unsigned char>(c.keptText.begin(), c.keptText.end()));
        if (!c.gone.empty()) EXPECT_FALSE(Exists(inDir(c.gone)));
        chmod((dir / "set").c_str(), 0777);
    }
}

// What -s and -n make of a file of `size` bytes: the layout line, or why
// not, on the first line. The file-size limit stops any split that starts.
TEST(Cli, SizesAndCounts)
{
    TempDir dir;
    struct Case {
        int64_t size;
        Args args;
        int status;
        std::string message;
    } cases[] = {
        {50000000, {"-s", "25M"}, 1, "1 part of 25,600 KB and one of 23,229 KB, plus big.999\n"},
        {50000000, {"-s", "25mb"}, 1, "2 parts of 24,414 KB and one of 1 KB, plus big.999\n"},  // rounded down
        {50000000, {"-s25MB"}, 1, "2 parts of 24,414 KB"},
        {50000000, {"--size=25MB"}, 1, "2 parts of 24,414 KB"},
        {50000000, {"--count", "2"}, 1, "1 part of 24,415 KB and one of 24,414 KB"},
        {50000000, {"-s", "200K"}, 1, "244 parts of 200 KB and one of 29 KB"},
        {50000000, {"-s", "1G"}, 1, "fits in one part of 1048576 KB"},
        {50000000, {"-s", "100K"}, 2, "part size '100K' is below the smallest, 120 KB"},
        {50000000, {"-s", "3GB"}, 2, "part size '3GB' is over the largest"},
        {50000000, {"-n", "2"}, 1, "1 part of 24,415 KB and one of 24,414 KB"},
        {50000000, {"-n", "1"}, 2, "partello: bad part count '1': a whole number from 2 to 998\n"},
        {50000000, {"-n", "998"}, 1, "the nearest is -n 407\n"},
        {50000000, {"-n", "2", "-d", dir / "nowhere"}, 1, "nowhere': folder does not exist"},  // and no layout
        {1228800, {"-s", "120"}, 1, "10 parts of 120 KB and an empty one"},  // an exact multiple...
        {1228800, {"-n", "10"}, 1, "9 parts of 121 KB and one of 111 KB"},  // ...that -n avoids
        {200000000, {"-s", "120"}, 1, "would need 1628 parts of 120 KB (998 at most); the smallest size that fits is -s 196\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        WriteText(dir / "big", "");
        ASSERT_EQ(truncate((dir / "big").c_str(), c.size), 0);
        Args args = {"split", dir / "big"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Child run = RunPartello(args, "", LimitFileSize);
        EXPECT_EQ(run.status, c.status);
        size_t at = run.errText.find(c.message);
        EXPECT_TRUE(at != std::string::npos && at <= run.errText.find('\n')) << run.errText;
    }
}

// A source long enough that a cancel lands while the split runs: sparse, so
// it costs no disk until parts are written, which the cancel stops.
std::string MakeLongSource(const TempDir &dir)
{
    std::string path = dir / "big.bin";
    WriteText(path, "");
    EXPECT_EQ(truncate(path.c_str(), 200 << 20), 0);
    return path;
}

const char kLastPart[] = "big.bin.800";  // 200 MiB at 256 KB

// Ctrl-C once the parts are moving: the split stops after the part in hand
// and leaves nothing; a cancelled join writes no output and deletes
// nothing.
TEST(Cli, CtrlCCancels)
{
    TempDir dir;
    Child split = StartPartello({"split", MakeLongSource(dir), "-s", "256"});
    ASSERT_TRUE(WaitForText(split, "Creating Checksum ...\nSplitting file ...\n"));
    kill(split.pid, SIGINT);
    FinishChild(split);
    EXPECT_EQ(split.status, 130) << split.errText;
    EXPECT_EQ(SplitLines(split.errText).back(), "Operation cancelled.");
    EXPECT_EQ(system(("ls " + dir.Path() + " | grep -vqx big.bin").c_str()), 256);

    TempDir parts;
    for (int i = 1; i <= 800; i++) {
        std::string name = parts / "big.bin." + std::string(i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i);
        WriteText(name, "");
        ASSERT_EQ(truncate(name.c_str(), 256 << 10), 0);
    }
    Child join = StartPartello({"join", parts / "big.bin.001", "--delete-parts"}, parts.Path());
    ASSERT_TRUE(WaitForText(join, "Joining files ...\n"));
    kill(join.pid, SIGINT);
    FinishChild(join);
    EXPECT_EQ(join.status, 130) << join.errText;
    EXPECT_EQ(SplitLines(join.errText).back(), "Operation cancelled.");
    EXPECT_FALSE(Exists(parts / "big.bin"));
    EXPECT_TRUE(Exists(parts / "big.bin.001"));
    EXPECT_TRUE(Exists(parts / kLastPart));

    // Each signal during a join with -f over an existing output leaves that
    // output as it was and nothing unfinished.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const std::vector<unsigned char> old = MakeData(5000, signal);
        WriteBytes(parts / "big.bin", old);
        Child over = StartPartello({"join", parts / "big.bin.001", "-f"}, parts.Path());
        ASSERT_TRUE(WaitForText(over, "Joining files ...\n"));
        kill(over.pid, signal);
        FinishChild(over);
        EXPECT_EQ(over.status, signal == SIGINT ? 130 : 128 + signal) << over.errText;
        EXPECT_EQ(ReadBytes(parts / "big.bin"), old);
        EXPECT_EQ(system(("ls " + parts.Path() + " | grep -q unfinished-join").c_str()), 256) << signal;
    }
}

// On a terminal: ESC and Ctrl-C cancel, Ctrl-Z (not stopping this orphaned
// job) leaves ESC working, a fatal signal still ends the program, a write
// past the file-size limit fails, and every way out leaves the terminal as
// it found it.
TEST(Cli, TerminalIsGivenBack)
{
    struct Case {
        const char *what;
        int signal;  // sent first, when not 0
        bool pressEsc;
        int status;
        ChildSetup setup;
    } cases[] = {
        {"ESC", 0, true, 130},
        {"Ctrl-C", SIGINT, false, 130},
        {"Ctrl-Z, then ESC", SIGTSTP, true, 130},
        {"terminated", SIGTERM, false, 128 + SIGTERM},
        {"hung up", SIGHUP, false, 128 + SIGHUP},
        {"SIGUSR1", SIGUSR1, false, 128 + SIGUSR1},
        {"SIGALRM", SIGALRM, false, 128 + SIGALRM},
        {"file-size limit", 0, false, 1, LimitFileSize},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.what);
        TempDir dir;
        Child child = StartPartello({"split", MakeLongSource(dir), "-s", "256"}, "", true, test.setup);
        ASSERT_TRUE(WaitForText(child, "(ESC to cancel)"));
        if (test.signal) kill(child.pid, test.signal);
        if (test.pressEsc) ASSERT_EQ(write(child.out, "\x1b", 1), 1);
        FinishChild(child);
        EXPECT_EQ(child.status, test.status) << child.outText;
        if (test.status == 130) EXPECT_TRUE(Contains(child.outText, "\r\033[KOperation cancelled.\r\n"));
        EXPECT_FALSE(Exists(dir / kLastPart));
        EXPECT_EQ(child.terminalAfter.c_lflag, child.terminalBefore.c_lflag);
        EXPECT_EQ(child.terminalAfter.c_cc[VMIN], child.terminalBefore.c_cc[VMIN]);
        EXPECT_EQ(child.terminalAfter.c_cc[VTIME], child.terminalBefore.c_cc[VTIME]);
    }
}

}  // namespace
