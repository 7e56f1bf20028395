// Start-up, the page switch, the command line, dropped files and ESC, on
// the real program started in-process.
#include <direct.h>

#include "ui/status.h"
#include "program_fixture.h"

namespace {

const std::string kOnlyNumbered = CatalogueText(MSG_ONLY_NUMBERED);

std::string TabLabel(int index)
{
    char text[64] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(g_app.tabControl, TCM_GETITEMA, index, (LPARAM)&item);
    return text;
}

// Files named `prefix` + ".001", ".002", ... in `folder`.
std::vector<std::string> MakeParts(const std::string &folder, const std::string &prefix, int count)
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; i++) {
        char name[300];
        snprintf(name, sizeof name, "%s.%03d", prefix.c_str(), i);
        MakeFile(folder + name, 10);
        names.push_back(name);
    }
    return names;
}

std::string ProgramFolder()
{
    char folder[PATH_SIZE];
    GetProgramFolder(folder);
    return folder;
}

// A name for something put beside the program for one test, removed after.
class BesideProgram {
public:
    explicit BesideProgram(const std::string &name) : path_(ProgramFolder() + name) {}
    ~BesideProgram()
    {
        DeleteFileA(path_.c_str());
        RemoveDirectoryA(path_.c_str());
    }
    const std::string &Path() const { return path_; }

private:
    std::string path_;
};

std::string UniqueName(const char *stem)
{
    return std::string(stem) + std::to_string(GetCurrentProcessId());
}

}  // namespace

TEST_F(ProgramTest, StartsOnTheSplitPageWithItsDefaults)
{
    Start();
    EXPECT_EQ(Text(g_app.mainWindow), "Partello");
    EXPECT_EQ(TabLabel(0), "&Split");
    EXPECT_EQ(TabLabel(1), "&Join");
    ExpectPageShown(SPLIT_PAGE);
    EXPECT_EQ(Status(), " ");
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_SIZE), "1440");
    EXPECT_TRUE(IsChecked(g_app.splitPage, IDC_SPLIT_FLOPPY));
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_COUNT), "0");
    // Tab passes over the part count, which cannot show the focus.
    HWND size = GetDlgItem(g_app.splitPage, IDC_SPLIT_SIZE);
    EXPECT_EQ(GetNextDlgTabItem(g_app.splitPage, size, FALSE), GetDlgItem(g_app.splitPage, IDC_SPLIT_COPY_PROGRAM));
    EXPECT_FALSE(IsEnabled(g_app.splitPage, IDC_OK));
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_FILE), "");
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_FOLDER), "");
    EXPECT_FALSE(IsChecked(g_app.splitPage, IDC_SPLIT_COPY_PROGRAM));
    EXPECT_TRUE(JoinList().empty());
    EXPECT_EQ(ItemText(g_app.joinPage, IDC_JOIN_OUTPUT), "");
    EXPECT_FALSE(IsChecked(g_app.joinPage, IDC_JOIN_DELETE_PARTS));
    EXPECT_FALSE(IsEnabled(g_app.joinPage, IDC_OK));
    EXPECT_TRUE(GetMenu(g_app.mainWindow));
    EXPECT_TRUE(g_app.titleFont && g_app.linkFont);
    EXPECT_EQ(GetParent(g_app.splitPage), g_app.tabControl);
    EXPECT_EQ(GetParent(g_app.joinPage), g_app.tabControl);
}

// A click on a tab, Alt+S / Alt+J, Ctrl+Tab / Ctrl+Shift+Tab, and opening
// a path all switch pages.
TEST_F(ProgramTest, EveryWayToAPageEndsInTheSameState)
{
    TempDir dir;
    MakeParts(dir.Path(), "x", 2);
    MakeFile(dir / "notes.txt", 10);
    Start();
    enum Way { CLICK_TAB, ACCELERATOR, CONTROL_TAB, OPEN_PATH };
    auto go = [&](Way way, int page) {
        switch (way) {
        case CLICK_TAB: {
            RECT item;
            SendMessageA(g_app.tabControl, TCM_GETITEMRECT, page, (LPARAM)&item);
            LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
            SendMessageA(g_app.tabControl, WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageA(g_app.tabControl, WM_LBUTTONUP, 0, at);
            Pump();
            break;
        }
        case ACCELERATOR: PressAltWith(page == JOIN_PAGE ? 'J' : 'S'); break;
        case CONTROL_TAB: PressWith({VK_CONTROL, BYTE(page == JOIN_PAGE ? VK_CONTROL : VK_SHIFT)}, VK_TAB); break;
        case OPEN_PATH:
            OpenPath((page == JOIN_PAGE ? dir / "x.001" : dir / "notes.txt").c_str(), false);
            Pump();
            break;
        }
    };
    for (Way way : {CLICK_TAB, ACCELERATOR, CONTROL_TAB, OPEN_PATH}) {
        SCOPED_TRACE(way);
        SetStatus("busy");
        go(way, JOIN_PAGE);
        ExpectPageShown(JOIN_PAGE);
        EXPECT_EQ(Status(), " ");
        SetStatus("busy");
        go(way, SPLIT_PAGE);
        ExpectPageShown(SPLIT_PAGE);
        EXPECT_EQ(Status(), " ");
    }
}

TEST_F(ProgramTest, SwitchingToThePageShownKeepsTheStatus)
{
    Start();
    SetStatus("kept");
    PressAltWith('S');
    ExpectPageShown(SPLIT_PAGE);
    EXPECT_EQ(Status(), " kept");
    PressAltWith('J');
    EXPECT_EQ(Status(), " ");
    SetStatus("kept");
    PressAltWith('J');
    ExpectPageShown(JOIN_PAGE);
    EXPECT_EQ(Status(), " kept");
}

TEST_F(ProgramTest, WithoutArgumentsNothingBesideTheProgramMeansTheSplitPage)
{
    Start();
    ExpectPageShown(SPLIT_PAGE);
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_FILE), "");
    EXPECT_TRUE(JoinList().empty());
}

TEST_F(ProgramTest, WithoutArgumentsAFirstPartBesideTheProgramIsOfferedForJoining)
{
    std::string stem = UniqueName("uitest-parts-");
    BesideProgram first(stem + ".001"), second(stem + ".002");
    MakeFile(first.Path(), 10);
    MakeFile(second.Path(), 10);
    Start();
    ExpectPageShown(JOIN_PAGE);
    EXPECT_EQ(JoinList(), (std::vector<std::string>{stem + ".001", stem + ".002"}));
    EXPECT_STREQ(g_app.joinSet.folder, ProgramFolder().c_str());
}

TEST_F(ProgramTest, WithoutArgumentsAFolderNamedLikeAFirstPartIsIgnored)
{
    BesideProgram folder(UniqueName("uitest-folder-") + ".001");
    ASSERT_TRUE(CreateDirectoryA(folder.Path().c_str(), NULL));
    Start();
    ExpectPageShown(SPLIT_PAGE);
    EXPECT_TRUE(JoinList().empty());
}

TEST_F(ProgramTest, OnePathGoesIntoTheSplitPageSelectedAndFocused)
{
    TempDir dir;
    std::string path = dir / "report.doc";
    MakeFile(path, 10);
    Start({path});
    ExpectPageShown(SPLIT_PAGE);
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_FILE), path);
    DWORD from = 0, to = 0;
    SendDlgItemMessageA(g_app.splitPage, IDC_SPLIT_FILE, EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, path.size());
    EXPECT_EQ(GetFocus(), GetDlgItem(g_app.splitPage, IDC_SPLIT_FILE));
}

TEST_F(ProgramTest, AShortPathOnTheCommandLineIsExpanded)
{
    TempDir dir;
    std::string path = dir / "a rather long file name.document";
    MakeFile(path, 10);
    char shortPath[MAX_PATH] = "";
    GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    if (path == shortPath) GTEST_SKIP() << "this file system keeps no short names";
    Start({shortPath});
    // The folder part may have been short too: compare with its long form.
    char longPath[MAX_PATH] = "";
    GetLongPathNameA(shortPath, longPath, sizeof longPath);
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_FILE), longPath);
}

TEST_F(ProgramTest, CommandLinePathsThatGoToTheJoinPage)
{
    TempDir dir;
    MakeParts(dir.Path(), "report.doc", 3);
    std::vector<std::string> parts = {"report.doc.001", "report.doc.002", "report.doc.003"};
    struct Case {
        std::vector<std::string> arguments;
        std::string folder;
        std::vector<std::string> list;
    } cases[] = {
        {{dir / "report.doc.002"}, dir.Path(), parts},  // ends in a digit
        {{dir / "report.doc", dir / "report.doc.001"}, dir.Path(), {kOnlyNumbered}},  // two: join wins
        {{"report.doc.001"}, "", {}},  // relative, unchanged: searched in the current folder
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments[0]);
        Start(c.arguments);
        ExpectPageShown(JOIN_PAGE);
        EXPECT_STREQ(g_app.joinSet.folder, c.folder.c_str());
        EXPECT_EQ(JoinList(), c.list);
        EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_FILE), "");
        ShutDownProgram();
        started_ = false;
    }
}

TEST_F(ProgramTest, DroppedFilesOpenTheFirstOnly)
{
    TempDir dir;
    MakeParts(dir.Path(), "x", 3);
    MakeFile(dir / "notes.txt", 10);
    ASSERT_TRUE(CreateDirectoryA((dir / "backup2").c_str(), NULL));
    Start();

    DropFiles({dir / "notes.txt"});
    ExpectPageShown(SPLIT_PAGE);
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_FILE), dir / "notes.txt");

    DropFiles({dir / "x.002", dir / "x.003", dir / "x.001"});
    ExpectPageShown(JOIN_PAGE);
    EXPECT_EQ(JoinList(), (std::vector<std::string>{"x.001", "x.002", "x.003"}));

    // Three files go to the join page whatever the first one's name.
    DropFiles({dir / "notes.txt", dir / "x.001", dir / "x.002"});
    ExpectPageShown(JOIN_PAGE);
    EXPECT_EQ(JoinList(), std::vector<std::string>{kOnlyNumbered});

    // A folder whose name ends in a digit is taken for a part.
    DropFiles({dir / "notes.txt"});
    DropFiles({dir / "backup2"});
    ExpectPageShown(JOIN_PAGE);
    EXPECT_EQ(JoinList(), std::vector<std::string>{kOnlyNumbered});
}

// After a discovery from outside, OK follows the join rule at once.
TEST_F(ProgramTest, OpeningPartsFromOutsideAppliesTheJoinRule)
{
    TempDir dir;
    MakeParts(dir.Path(), "x", 2);
    MakeFile(dir / "notes.txt", 10);
    Start();
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, dir / "x");
    EXPECT_FALSE(IsEnabled(g_app.joinPage, IDC_OK));
    DropFiles({dir / "x.001"});
    EXPECT_TRUE(IsEnabled(g_app.joinPage, IDC_OK));
    DropFiles({dir / "notes.txt", dir / "x.001"});
    EXPECT_FALSE(IsEnabled(g_app.joinPage, IDC_OK));
}

TEST_F(ProgramTest, EscapeQuitsWhenNothingRuns)
{
    Start();
    PostKeyDown(VK_ESCAPE);
    EXPECT_EQ(Pump(), 1);
}

TEST_F(ProgramTest, TheCloseButtonQuits)
{
    Start();
    PostMessageA(g_app.mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(Pump(), 1);
}

TEST_F(ProgramTest, OtherCommandsDoNotQuit)
{
    Start();
    for (WPARAM command : {WPARAM(IDOK), WPARAM(IDM_SHOW_JOIN), MAKEWPARAM(IDM_SHOW_SPLIT, 1)})
        PostMessageA(g_app.mainWindow, WM_COMMAND, command, 0);
    EXPECT_EQ(Pump(), kNoQuit);
    ExpectPageShown(SPLIT_PAGE);
}
