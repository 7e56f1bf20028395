// The split page and the join page: their rules, and operations started
// from them.
#include "engine/report.h"
#include "program_fixture.h"
#include "ui/pages.h"

namespace {

const size_t kKb = 1024;
const size_t kPart = 120 * kKb;  // the smallest part size, to keep files small

}  // namespace

TEST_F(ProgramTest, SplitRuleFollowsCountAndPresence)
{
    TempDir dir;
    MakeFile(dir / "empty", 0);
    MakeFile(dir / "small", kPart - 1);
    MakeFile(dir / "one", kPart);
    MakeFile(dir / "more", 2 * kPart + 1);
    MakeFile(dir / "floppy", 1474560);
    ASSERT_TRUE(CreateDirectoryA((dir / "folder").c_str(), NULL));
    Start();
    struct Case {
        std::string file, folder, size, count;
        bool ok;
    } cases[] = {
        {"", dir.Path(), "120", "0", false},
        {dir / "missing", dir.Path(), "120", "0", false},
        {dir / "folder", dir.Path(), "120", "0", false},
        {dir / "empty", dir.Path(), "120", "0", false},
        {dir / "small", dir.Path(), "120", "1", false},
        {dir / "one", dir.Path(), "120", "2", true},
        {dir / "one", "", "120", "2", false},
        {dir / "one", "x", "120", "2", true},  // the page does not look for the folder
        {dir / "more", dir.Path(), "120", "3", true},
        {dir / "more", dir.Path(), "119", "0", false},
        {dir / "more", dir.Path(), "abc", "0", false},
        {dir / "more", dir.Path(), "$78", "3", true},  // hexadecimal 120
        {dir / "more", dir.Path(), "2097152", "1", false},  // 2 GiB parts do not wrap round
        {dir / "floppy", dir.Path(), "1440", "2", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file + " | " + c.folder + " | " + c.size);
        SetText(g_splitPage, IDC_SPLIT_FILE, c.file);
        SetText(g_splitPage, IDC_SPLIT_FOLDER, c.folder);
        SetText(g_splitPage, IDC_SPLIT_SIZE, c.size);
        EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_COUNT), c.count);
        EXPECT_EQ(IsEnabled(g_splitPage, IDC_OK), c.ok);
        EXPECT_EQ(SplitInputsPresent(g_splitPage), !c.file.empty() && !c.folder.empty());
    }
}

// Each of the three edits re-applies the rule on its own.
TEST_F(ProgramTest, EveryEditReappliesTheSplitRule)
{
    TempDir dir;
    MakeFile(dir / "one", kPart);
    Start();
    SetText(g_splitPage, IDC_SPLIT_SIZE, "120");
    SetText(g_splitPage, IDC_SPLIT_FILE, dir / "one");
    EXPECT_FALSE(IsEnabled(g_splitPage, IDC_OK));
    Type(g_splitPage, IDC_SPLIT_FOLDER, 'x');
    EXPECT_TRUE(IsEnabled(g_splitPage, IDC_OK));
    Type(g_splitPage, IDC_SPLIT_SIZE, '9');  // 1209 KB: one part only
    EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_COUNT), "1");
    EXPECT_FALSE(IsEnabled(g_splitPage, IDC_OK));
    SetText(g_splitPage, IDC_SPLIT_SIZE, "120");
    Type(g_splitPage, IDC_SPLIT_FILE, 'x');  // names a missing file now
    EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_COUNT), "0");
    EXPECT_FALSE(IsEnabled(g_splitPage, IDC_OK));
}

TEST_F(ProgramTest, OnlyTheExactText1440TicksTheFloppyBox)
{
    Start();
    for (auto [size, ticked] : std::vector<std::pair<std::string, bool>>{
             {"01440", false}, {"1440", true}, {"14400", false}, {"", false}, {"1440", true}}) {
        SetText(g_splitPage, IDC_SPLIT_SIZE, size);
        EXPECT_EQ(IsChecked(g_splitPage, IDC_SPLIT_FLOPPY), ticked) << size;
    }
    // Ticking the box puts the floppy size back.
    SetText(g_splitPage, IDC_SPLIT_SIZE, "200");
    HWND floppy = GetDlgItem(g_splitPage, IDC_SPLIT_FLOPPY);
    SendMessageA(floppy, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(g_splitPage, WM_COMMAND, MAKEWPARAM(IDC_SPLIT_FLOPPY, BN_CLICKED), (LPARAM)floppy);
    EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_SIZE), "1440");
    EXPECT_TRUE(IsChecked(g_splitPage, IDC_SPLIT_FLOPPY));
    EXPECT_FALSE(IsVisible(floppy));
}

TEST_F(ProgramTest, TypingIntoTheFileEditAloneClearsTheStatus)
{
    Start();
    for (int control : {IDC_SPLIT_FOLDER, IDC_SPLIT_SIZE}) {
        SetStatus("Join Finished.");
        Type(g_splitPage, control, '1');
        EXPECT_EQ(Status(), " Join Finished.") << control;
    }
    Type(g_splitPage, IDC_SPLIT_FILE, 'a');
    EXPECT_EQ(Status(), " ");
}

TEST_F(ProgramTest, SplitFromThePageWritesThePartsAndDisablesOk)
{
    TempDir dir, out;
    std::string source = dir / "data.bin";
    MakeFile(source, 2 * kPart + 1);
    Start();
    FillSplitPage(source, out.Path());
    ASSERT_TRUE(IsEnabled(g_splitPage, IDC_OK));
    Click(g_splitPage, IDC_OK);
    EXPECT_EQ(Status(), " File split successfully.");
    EXPECT_EQ(SizeOf(out / "data.bin.001"), (int64_t)kPart);
    EXPECT_EQ(SizeOf(out / "data.bin.002"), (int64_t)kPart);
    EXPECT_EQ(SizeOf(out / "data.bin.003"), 1);
    EXPECT_EQ(SizeOf(out / "data.bin.999"), 4);
    EXPECT_FALSE(Exists(out / "data.bin.004"));
    EXPECT_FALSE(IsEnabled(g_splitPage, IDC_OK));
    EXPECT_EQ(Pump(), kNoQuit);
    // Any change of an edit brings OK back while the rule holds.
    Type(g_splitPage, IDC_SPLIT_FOLDER, 'x');
    EXPECT_TRUE(IsEnabled(g_splitPage, IDC_OK));
}

// Enter starts the split through the loop; the ESC queued behind it is the
// probe's, not the quit accelerator's.
TEST_F(ProgramTest, EscapeQueuedDuringASplitCancelsItWithoutQuitting)
{
    TempDir dir, out;
    std::string source = dir / "data.bin";
    MakeFile(source, 2 * kPart + 1);
    Start();
    SetText(g_splitPage, IDC_SPLIT_FOLDER, out.Path());
    SetText(g_splitPage, IDC_SPLIT_SIZE, "120");
    SetText(g_splitPage, IDC_SPLIT_FILE, source);
    SetFocus(GetDlgItem(g_splitPage, IDC_SPLIT_FILE));
    ASSERT_TRUE(IsEnabled(g_splitPage, IDC_OK));
    PostKeyDown(VK_RETURN);
    PostKeyDown(VK_ESCAPE);
    EXPECT_EQ(Pump(200), kNoQuit);
    EXPECT_EQ(Status(), " Operation cancelled.");
    EXPECT_FALSE(Exists(out / "data.bin.003"));
    EXPECT_FALSE(IsEnabled(g_splitPage, IDC_OK));
    EXPECT_TRUE(IsWindow(g_mainWindow));
}

TEST_F(ProgramTest, JoinRuleNeedsTwoEntriesAndAName)
{
    TempDir dir;
    MakeFile(dir / "x.001", 1);
    MakeFile(dir / "x.002", 1);
    MakeFile(dir / "y.001", 1);
    Start();
    PressAltWith('J');
    SetText(g_joinPage, IDC_JOIN_OUTPUT, "out");
    OpenPath((dir / "y.001").c_str(), true);  // one part: the message entry
    EXPECT_FALSE(IsEnabled(g_joinPage, IDC_OK));
    OpenPath((dir / "x.001").c_str(), true);
    EXPECT_TRUE(IsEnabled(g_joinPage, IDC_OK));
    SetText(g_joinPage, IDC_JOIN_OUTPUT, "");
    EXPECT_FALSE(IsEnabled(g_joinPage, IDC_OK));
    Type(g_joinPage, IDC_JOIN_OUTPUT, 'o');
    EXPECT_TRUE(IsEnabled(g_joinPage, IDC_OK));
}

TEST_F(ProgramTest, DiscoveryFillsTheListAndMovesTheFocus)
{
    TempDir dir;
    for (const char *name : {"movie.avi.003", "movie.avi.001", "movie.avi.999", "movie.avi.002", "notes.txt"})
        MakeFile(dir / name, 1);
    Start();
    PressAltWith('J');
    EXPECT_TRUE(DiscoverParts((dir / "movie.avi.999").c_str()));
    EXPECT_EQ(JoinList(), (std::vector<std::string>{"movie.avi.001", "movie.avi.002", "movie.avi.003"}));
    EXPECT_STREQ(g_joinFolder, dir.Path().c_str());
    Pump();
    EXPECT_EQ(GetFocus(), GetDlgItem(g_joinPage, IDC_JOIN_BROWSE_OUTPUT));

    EXPECT_FALSE(DiscoverParts((dir / "notes.txt").c_str()));
    EXPECT_EQ(JoinList(), std::vector<std::string>{"Only numbered files can be joined!"});
    EXPECT_FALSE(DiscoverParts((dir / "nothing.001").c_str()));
    EXPECT_TRUE(JoinList().empty());
}

TEST_F(ProgramTest, SuggestedOutputNameComesFromTheFirstEntry)
{
    Start();
    HWND list = GetDlgItem(g_joinPage, IDC_JOIN_LIST);
    struct Case {
        std::vector<std::string> entries;
        std::string name;
    } cases[] = {
        {{}, ""},
        {{"x.002", "x.001", "x.003"}, "x"},
        {{"movie.avi.001"}, "movie.avi"},
        {{"backup07"}, "backup"},
        {{"a.1.2"}, "a.1"},
        {{"0042"}, ""},
        {{"Only numbered files can be joined!"}, "Only numbered files can be joined!"},
    };
    for (const Case &c : cases) {
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        for (const std::string &entry : c.entries) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)entry.c_str());
        char name[PATH_SIZE] = "unchanged";
        SuggestListOutputName(name);
        EXPECT_EQ(name, c.name) << (c.entries.empty() ? "(empty)" : c.entries[0]);
    }
}

TEST_F(ProgramTest, SplitThenJoinFromThePages)
{
    TempDir dir, parts, joined;
    std::string source = dir / "data.bin";
    MakeFile(source, 3 * kPart, 11);  // an exact multiple: an empty last part
    Start();
    FillSplitPage(source, parts.Path());
    EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_COUNT), "4");
    Click(g_splitPage, IDC_OK);
    ASSERT_EQ(Status(), " File split successfully.");
    EXPECT_EQ(SizeOf(parts / "data.bin.004"), 0);

    DropFiles({parts / "data.bin.001"});
    ExpectPageShown(JOIN_PAGE);
    ASSERT_EQ(JoinList().size(), 4u);
    std::string output = joined / "data.bin";
    SetText(g_joinPage, IDC_JOIN_OUTPUT, output);
    SendDlgItemMessageA(g_joinPage, IDC_JOIN_DELETE_PARTS, BM_SETCHECK, BST_CHECKED, 0);
    ASSERT_TRUE(IsEnabled(g_joinPage, IDC_OK));
    Click(g_joinPage, IDC_OK);
    EXPECT_EQ(Status(), " Joined successfully. (Checksums match)");
    EXPECT_EQ(ReadBytes(output), ReadBytes(source));
    EXPECT_FALSE(Exists(parts / "data.bin.001"));
    EXPECT_FALSE(Exists(parts / "data.bin.999"));
    EXPECT_FALSE(IsEnabled(g_joinPage, IDC_OK));
    EXPECT_EQ(JoinList().size(), 4u);
    EXPECT_EQ(Pump(), kNoQuit);
}

// A click on OK puts the focus on it, and the operation then disables it.
// The keyboard has to stay with the page: with the focus on no window, keys
// come as system keys, so ESC would slip past the cancel probe during the
// operation and quit the program after it.
TEST_F(ProgramTest, OkClickedLeavesTheFocusOnAnEnabledControlOfThePage)
{
    TempDir dir, parts, joined;
    std::string source = dir / "data.bin";
    MakeFile(source, 2 * kPart + 1);
    Start();
    FillSplitPage(source, parts.Path());
    auto clickOk = [&](HWND page, const char *status) {
        SCOPED_TRACE(status);
        ASSERT_TRUE(IsEnabled(page, IDC_OK));
        Click(page, IDC_OK);
        EXPECT_EQ(Status(), status);
        HWND focus = GetFocus();
        EXPECT_TRUE(focus && IsChild(page, focus) && IsWindowEnabled(focus));
        EXPECT_EQ(Pump(), kNoQuit);
    };
    clickOk(g_splitPage, " File split successfully.");
    DropFiles({parts / "data.bin.001"});
    SetText(g_joinPage, IDC_JOIN_OUTPUT, joined / "data.bin");
    clickOk(g_joinPage, " Joined successfully. (Checksums match)");
}

// A set with a hole is listed as found, says what is missing at once, and
// the join refuses it without writing or deleting anything.
TEST_F(ProgramTest, BrokenSetIsListedAndRefused)
{
    TempDir dir, joined;
    std::string source = dir / "data.bin";
    MakeFile(source, 4 * kPart + 1);
    Start();
    FillSplitPage(source, dir.Path());
    Click(g_splitPage, IDC_OK);
    ASSERT_EQ(Status(), " File split successfully.");
    ASSERT_TRUE(DeleteFileA((dir / "data.bin.003").c_str()));

    DropFiles({dir / "data.bin.002"});
    EXPECT_EQ(JoinList(), (std::vector<std::string>{"data.bin.001", "data.bin.002", "data.bin.004", "data.bin.005"}));
    EXPECT_EQ(Status(), " Error: missing part 003");
    std::string output = joined / "data.bin";
    SetText(g_joinPage, IDC_JOIN_OUTPUT, output);
    SendDlgItemMessageA(g_joinPage, IDC_JOIN_DELETE_PARTS, BM_SETCHECK, BST_CHECKED, 0);
    Click(g_joinPage, IDC_OK);
    EXPECT_EQ(Status(), " Error: missing part 003");
    EXPECT_FALSE(Exists(output));
    for (const char *kept : {"data.bin.001", "data.bin.002", "data.bin.004", "data.bin.005", "data.bin.999"})
        EXPECT_TRUE(Exists(dir / kept)) << kept;
}
