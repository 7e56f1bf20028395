// Names in any script, through the real windows: the command line, drops,
// the pickers, the split page, discovery, the join list and the join. Run
// once in a Chinese and once in a Western locale (PARTELLO_LOCALE_ACP names
// the ANSI code page that the locale itself would give).
#include "program_fixture.h"

#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>

#include "engine/platform.h"
#include "ui/controls.h"

namespace {

const size_t kPart = 120 * 1024;

struct Script {
    const char *label, *folder, *file;
};
const Script kScripts[] = {
    {"Chinese", "资料 文件夹", "季度报告-最终版.dat"},
    {"Japanese kana", "ふぉるだ・フォルダ", "ひらがな と カタカナ.bin"},
    {"Korean hangul", "문서 폴더", "레포트-보고서.dat"},
    {"Cyrillic, Greek, accented Latin", "Папка Φάκελος Été", "Отчёт Αναφορά déjà-vu.dat"},
    {"emoji", "🗂 box 📁", "🎉📦 party.dat"},
};

// Files are made, read and listed through the wide calls, so what the
// program wrote is checked against the names themselves.
void WriteWide(const std::string &path, const std::vector<unsigned char> &bytes)
{
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

std::vector<unsigned char> ReadWide(const std::string &path)
{
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, NULL));
    DWORD read = 0;
    ReadFile(file, bytes.data(), (DWORD)bytes.size(), &read, NULL);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

void MakeFolder(const std::string &path) { ASSERT_TRUE(CreateDirectoryW(Wide(path).c_str(), NULL)) << path; }

// The names in `folder` (ending in '\'), sorted.
std::vector<std::string> NamesIn(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(Utf8(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Numbered(const std::string &name, int count, bool checksum = false)
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; i++) {
        char suffix[8];
        snprintf(suffix, sizeof suffix, ".%03d", i);
        names.push_back(name + suffix);
    }
    if (checksum) names.push_back(name + ".999");
    return names;
}

// Answers the next open dialog of the main window from inside its own loop:
// `names` typed into its name field, then OK.
class OpenDialogAnswer {
public:
    explicit OpenDialogAnswer(const std::string &names) : names_(Wide(names))
    {
        s_answer = this;
        timer_ = SetTimer(NULL, 0, 100, Tick);
    }
    ~OpenDialogAnswer()
    {
        KillTimer(NULL, timer_);
        s_answer = NULL;
    }
    bool Answered() const { return answered_; }

private:
    static BOOL CALLBACK MatchDialog(HWND window, LPARAM found)
    {
        wchar_t name[16] = L"";
        GetClassNameW(window, name, 16);
        if (wcscmp(name, L"#32770") || GetWindow(window, GW_OWNER) != g_mainWindow) return TRUE;
        *(HWND *)found = window;
        return FALSE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        OpenDialogAnswer &answer = *s_answer;
        HWND dialog = NULL;
        EnumThreadWindows(GetCurrentThreadId(), MatchDialog, (LPARAM)&dialog);
        if (!dialog || answer.answered_) return;
        HWND field = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
        if (!field || !IsWindowVisible(dialog)) return;
        SetWindowTextW(field, answer.names_.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        answer.answered_ = true;
    }

    static OpenDialogAnswer *s_answer;
    std::wstring names_;
    bool answered_ = false;
    UINT_PTR timer_;
};
OpenDialogAnswer *OpenDialogAnswer::s_answer;

class NamesTest : public ProgramTest {
protected:
    void SetUp() override
    {
        wchar_t current[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, current);
        current_ = current;
    }
    void TearDown() override
    {
        SetCurrentDirectoryW(current_.c_str());
        ProgramTest::TearDown();
    }
    void Restart(std::vector<std::string> arguments)
    {
        if (started_) ShutDownProgram();
        started_ = false;
        Start(std::move(arguments));
    }

    std::wstring current_;
};

}  // namespace

// The manifest sets UTF-8 whatever the locale; the locale is the one asked for.
TEST(Locale, TheManifestMakesUtf8TheAnsiCodePage)
{
    EXPECT_EQ(GetACP(), (UINT)CP_UTF8);
    const char *expected = getenv("PARTELLO_LOCALE_ACP");
    wchar_t own[8] = L"";
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, own, 8);
    if (expected) EXPECT_EQ(Utf8(own), expected);
}

// What the engine and the edits count are characters, UTF-16 units as the
// system counts them, never bytes; and no character is cut.
TEST(Characters, LimitsCountCharactersAndKeepThemWhole)
{
    struct Case {
        std::string text;
        size_t limit, bytes;
    } cases[] = {
        {"abc", 5, 3},
        {"abcdef", 4, 4},
        {"中文字符", 3, 9},
        {"a🎉b", 2, 1},      // the emoji is two units: it does not fit after "a"
        {"a🎉b", 3, 5},
        {"🎉🎉🎉", 5, 8},
        {std::string(300, 'x'), 255, 255},
    };
    for (const Case &c : cases) EXPECT_EQ(FitCharacters(c.text.c_str(), c.limit), c.bytes) << c.text;
    std::string longName;
    for (int i = 0; i < 300; i++) longName += "中";
    EXPECT_EQ(FitCharacters(longName.c_str(), NAME_CHARS), 3u * NAME_CHARS);

    // An edit holding more than 259 characters reads as 259 of them, and an
    // emoji that would be cut in two is left out.
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 10, 10, parent, (HMENU)100, NULL, NULL);
    ASSERT_TRUE(edit);
    char text[PATH_SIZE];
    for (auto [content, read] : std::vector<std::pair<std::string, std::string>>{
             {longName, longName.substr(0, 3 * 259)},
             {std::string(258, 'x') + "🎉🎉", std::string(258, 'x')},
             {"🎉", "🎉"},
         }) {
        SetWindowTextW(edit, Wide(content).c_str());
        EXPECT_EQ(std::string(GetItemText(parent, 100, text)), read);
        EXPECT_TRUE(ItemHasText(parent, 100));
    }
    DestroyWindow(parent);
}

// Every script, folder and file alike: the command line, a drop, the split
// page's count and split, the parts on disk, discovery and the join list,
// the join byte for byte, and the parts deleted after it.
TEST_F(NamesTest, EveryScriptSplitsAndJoinsBackThroughTheWindows)
{
    TempDir dir;
    ASSERT_TRUE(SetCurrentDirectoryW(Wide(dir.Path()).c_str()));
    for (const Script &s : kScripts) {
        SCOPED_TRACE(s.label);
        std::string folder = s.folder, parts = folder + "-parts", file = s.file;
        MakeFolder(dir / folder);
        MakeFolder(dir / parts);
        std::vector<unsigned char> data = MakeData(2 * kPart + 5, (unsigned)file.size());
        WriteWide(dir / folder + "\\" + file, data);

        // Relative names, so that both edits start with the script's own
        // characters.
        Restart({folder + "\\" + file});
        ExpectPageShown(SPLIT_PAGE);
        EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_FILE), folder + "\\" + file);
        SetText(g_splitPage, IDC_SPLIT_FOLDER, parts);
        SetText(g_splitPage, IDC_SPLIT_SIZE, "120");
        EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_COUNT), "3");
        ASSERT_TRUE(IsEnabled(g_splitPage, IDC_OK));
        Click(g_splitPage, IDC_OK);
        EXPECT_EQ(Status(), " File split successfully.");
        EXPECT_EQ(NamesIn(dir / parts + "\\"), Numbered(file, 3, true));

        DropFiles({dir / folder + "\\" + file});
        ExpectPageShown(SPLIT_PAGE);
        EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_FILE), dir / folder + "\\" + file);

        DropFiles({dir / parts + "\\" + file + ".002"});
        ExpectPageShown(JOIN_PAGE);
        EXPECT_EQ(JoinList(), Numbered(file, 3));
        EXPECT_EQ(std::string(g_joinFolder), dir / parts + "\\");
        std::string output = dir / folder + "\\joined " + file;
        SetText(g_joinPage, IDC_JOIN_OUTPUT, output);
        EXPECT_EQ(ItemText(g_joinPage, IDC_JOIN_OUTPUT), output);
        SendDlgItemMessageW(g_joinPage, IDC_JOIN_DELETE_PARTS, BM_SETCHECK, BST_CHECKED, 0);
        ASSERT_TRUE(IsEnabled(g_joinPage, IDC_OK));
        Click(g_joinPage, IDC_OK);
        EXPECT_EQ(Status(), " Joined successfully. (Checksums match)");
        EXPECT_EQ(ReadWide(output), data);
        EXPECT_TRUE(NamesIn(dir / parts + "\\").empty());
    }
}

// A path of about 250 characters, far more than 260 bytes in UTF-8.
TEST_F(NamesTest, APathOfNearlyTheSystemsLengthSplitsAndJoins)
{
    TempDir dir;
    // Each name within the 255 bytes that the file systems under Wine allow.
    std::string folder = dir.Path(), file;
    while (Wide(folder).size() < 190) {
        for (int i = 0; i < 10; i++) folder += "长路径文件夹";
        folder += "\\";
    }
    ASSERT_EQ(SHCreateDirectoryExW(NULL, Wide(folder).c_str(), NULL), ERROR_SUCCESS);
    while (Wide(folder + file).size() < 245) file += "数";
    file += ".bin";
    ASSERT_LT(Wide(folder + file + ".001").size(), 260u);
    std::vector<unsigned char> data = MakeData(kPart + 1, 3);
    WriteWide(folder + file, data);
    Start();
    DropFiles({folder + file});
    FillSplitPage(folder + file, folder);
    EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_COUNT), "2");
    Click(g_splitPage, IDC_OK);
    EXPECT_EQ(Status(), " File split successfully.");
    DropFiles({folder + file + ".001"});
    EXPECT_EQ(JoinList(), Numbered(file, 2));
    SetText(g_joinPage, IDC_JOIN_OUTPUT, dir / "joined");
    Click(g_joinPage, IDC_OK);
    EXPECT_EQ(Status(), " Joined successfully. (Checksums match)");
    EXPECT_EQ(ReadWide(dir / "joined"), data);
}

// The file system takes "été" and "ÉTÉ" for one name: such an output would
// destroy the part it names.
TEST_F(NamesTest, AnOutputNamingAPartInOtherLetterCaseIsRefused)
{
    TempDir dir;
    for (const std::string &name : Numbered("été Ωμέγα", 2)) WriteWide(dir / name, MakeData(10));
    Start();
    DropFiles({dir / "été Ωμέγα.001"});
    SetText(g_joinPage, IDC_JOIN_OUTPUT, dir / "ÉTÉ ΩΜΈΓΑ.002");
    Click(g_joinPage, IDC_OK);
    EXPECT_EQ(Status(), " Error: can't create file");
    EXPECT_EQ(ReadWide(dir / "été Ωμέγα.002"), MakeData(10));
}

TEST_F(NamesTest, TypedCharactersOfAnyScriptReachTheEdits)
{
    Start();
    HWND edit = GetDlgItem(g_splitPage, IDC_SPLIT_FOLDER);
    SetFocus(edit);
    for (wchar_t c : std::wstring(L"한字é\U0001F389")) PostMessageW(edit, WM_CHAR, c, 1);
    Pump();
    EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_FOLDER), "한字é🎉");
    char text[PATH_SIZE];
    EXPECT_STREQ(GetItemText(g_splitPage, IDC_SPLIT_FOLDER, text), "한字é🎉");
}

// The open picker with a name in another script, and a selection of many
// parts at once, as Ctrl+A in the dialog gives it.
TEST_F(NamesTest, PickersTakeAnyScriptAndWholeSetsOfParts)
{
    TempDir dir;
    const Script &korean = kScripts[2];
    std::string folder = dir / korean.folder + "\\", source = folder + korean.file;
    MakeFolder(dir / korean.folder);
    WriteWide(source, MakeData(10));
    Start();
    {
        OpenDialogAnswer answer(source);
        Click(g_splitPage, IDC_SPLIT_BROWSE_FILE);
        EXPECT_TRUE(answer.Answered());
    }
    EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_FILE), source);
    EXPECT_EQ(ItemText(g_splitPage, IDC_SPLIT_FOLDER), folder);

    std::vector<std::string> parts = Numbered(korean.file, 45);
    std::string selection;
    for (const std::string &part : parts) {
        WriteWide(folder + part, MakeData(10));
        selection += "\"" + part + "\" ";
    }
    ASSERT_GT(Wide(selection).size(), 260u);
    PressAltWith('J');
    {
        OpenDialogAnswer answer(selection);
        Click(g_joinPage, IDC_JOIN_BROWSE_PART);
        EXPECT_TRUE(answer.Answered());
    }
    EXPECT_EQ(JoinList(), parts);
    EXPECT_EQ(std::string(g_joinFolder), folder);
}

// The real program, started with each name on its command line: the system
// hands the arguments over in the ANSI code page, and the shell's long form
// of the path comes back wide.
struct ProgramWindow {
    DWORD process;
    HWND window;
};

BOOL CALLBACK MatchProgramWindow(HWND window, LPARAM context)
{
    ProgramWindow &found = *(ProgramWindow *)context;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found.process && GetDlgItem(window, IDC_TABS)) found.window = window;
    return !found.window;
}

std::string SplitFileText(HWND mainWindow)
{
    HWND tabs = GetDlgItem(mainWindow, IDC_TABS);
    for (HWND page = GetWindow(tabs, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT)) {
        if (!GetDlgItem(page, IDC_SPLIT_SIZE)) continue;
        wchar_t text[PATH_CHARS] = L"";
        SendMessageTimeoutW(GetDlgItem(page, IDC_SPLIT_FILE), WM_GETTEXT, PATH_CHARS, (LPARAM)text, SMTO_ABORTIFHUNG,
                            5000, NULL);
        return Utf8(text);
    }
    return "(no split page)";
}

TEST(CommandLine, TheProgramShowsEachNameItWasStartedWith)
{
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(NULL, module, MAX_PATH);
    std::wstring program = module;
    program = program.substr(0, program.rfind(L'\\') + 1) + Wide(PARTELLO_PROGRAM_FROM_TESTS);
    std::replace(program.begin(), program.end(), L'/', L'\\');
    TempDir dir;
    for (const Script &s : kScripts) {
        SCOPED_TRACE(s.label);
        std::string path = dir / s.folder + "\\" + s.file;
        MakeFolder(dir / s.folder);
        WriteWide(path, MakeData(10));
        std::wstring command = L"\"" + program + L"\" \"" + Wide(path) + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessW(program.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process));
        // Idle once the command line is handled and the loop waits.
        WaitForInputIdle(process.hProcess, 20000);
        ProgramWindow found = {process.dwProcessId, NULL};
        EnumWindows(MatchProgramWindow, (LPARAM)&found);
        EXPECT_TRUE(found.window);
        if (found.window) {
            EXPECT_EQ(SplitFileText(found.window), path);
            PostMessageW(found.window, WM_COMMAND, IDM_EXIT, 0);
        }
        if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}
