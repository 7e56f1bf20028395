// Names in any script, through the real windows: the command line, drops,
// the pickers, the split page, discovery, the join list and the join. Run
// once in a Chinese and once in a Western locale (PARTELLO_LOCALE_ACP names
// the ANSI code page that the locale itself would give).
#include "program_fixture.h"

#include <shlobj.h>

#include <algorithm>

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

void MakeFolder(const std::string &path) { ASSERT_TRUE(CreateDirectoryW(Wide(path).c_str(), NULL)) << path; }

// The names in `folder` (ending in '\'), sorted, as the wide search sees them.
std::vector<std::string> NamesIn(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L"..")) names.push_back(Utf8(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Numbered(const std::string &name, int count)
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; i++) {
        char suffix[8];
        snprintf(suffix, sizeof suffix, ".%03d", i);
        names.push_back(name + suffix);
    }
    return names;
}

}  // namespace

// The manifest sets UTF-8 whatever the locale; the locale is the one asked for.
TEST(Locale, TheManifestMakesUtf8TheAnsiCodePage)
{
    EXPECT_EQ(GetACP(), (UINT)CP_UTF8);
    wchar_t own[8] = L"";
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, own, 8);
    if (const char *expected = getenv("PARTELLO_LOCALE_ACP")) EXPECT_EQ(Utf8(own), expected);
}

// Limits count characters as the system does, UTF-16 units, never bytes,
// and no character is cut.
TEST(Characters, LimitsCountCharactersAndKeepThemWhole)
{
    std::string longName;
    for (int i = 0; i < 300; i++) longName += "中";
    struct Case {
        std::string text;
        size_t limit, bytes;
    } cases[] = {
        {"abc", 5, 3}, {"abcdef", 4, 4}, {"中文字符", 3, 9}, {"a🎉b", 2, 1},  // the emoji is two units
        {"a🎉b", 3, 5}, {"🎉🎉🎉", 5, 8}, {longName, NAME_CHARS, 3 * NAME_CHARS},
    };
    for (const Case &c : cases) EXPECT_EQ(FitCharacters(c.text.c_str(), c.limit), c.bytes) << c.text;

    // Control texts: 259 characters at most, an emoji cut in two left out,
    // and a first character of several bytes is there.
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

// Every script, folder and file alike: a drop, the split page's count and
// split, the parts on disk, discovery and the join list, the join byte for
// byte, and the parts deleted after it.
TEST_F(ProgramTest, EveryScriptSplitsAndJoinsBackThroughTheWindows)
{
    TempDir dir;
    Start();
    for (const Script &s : kScripts) {
        SCOPED_TRACE(s.label);
        std::string folder = dir / s.folder + "\\", parts = dir / s.folder + "-parts\\", file = s.file;
        MakeFolder(folder);
        MakeFolder(parts);
        MakeFile(folder + file, 2 * kPart + 5, (unsigned)file.size());

        DropFiles({folder + file});
        ExpectPageShown(SPLIT_PAGE);
        EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_FILE), folder + file);
        SetText(g_app.splitPage, IDC_SPLIT_FOLDER, parts);
        SetText(g_app.splitPage, IDC_SPLIT_SIZE, "120");
        EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_COUNT), "3");
        ASSERT_TRUE(IsEnabled(g_app.splitPage, IDC_OK));
        Click(g_app.splitPage, IDC_OK);
        EXPECT_EQ(Status(), Shown(MSG_SPLIT_DONE));
        std::vector<std::string> written = Numbered(file, 3);
        written.push_back(file + ".999");
        EXPECT_EQ(NamesIn(parts), written);

        DropFiles({parts + file + ".002"});
        ExpectPageShown(JOIN_PAGE);
        EXPECT_EQ(JoinList(), Numbered(file, 3));
        EXPECT_EQ(std::string(g_app.joinSet.folder), parts);
        std::string output = folder + "joined " + file;
        SetText(g_app.joinPage, IDC_JOIN_OUTPUT, output);
        EXPECT_EQ(ItemText(g_app.joinPage, IDC_JOIN_OUTPUT), output);
        SendDlgItemMessageW(g_app.joinPage, IDC_JOIN_DELETE_PARTS, BM_SETCHECK, BST_CHECKED, 0);
        Click(g_app.joinPage, IDC_OK);
        EXPECT_EQ(Status(), Shown(MSG_CHECKSUMS_MATCH));
        EXPECT_EQ(ReadBytes(output), ReadBytes(folder + file));
        EXPECT_TRUE(NamesIn(parts).empty());
    }
}

// A path of about 250 characters, far more than 260 bytes in UTF-8.
TEST_F(ProgramTest, APathOfNearlyTheSystemsLengthSplitsAndJoins)
{
    TempDir dir;
    // Each name within the 255 bytes that file systems under Wine allow.
    std::string folder = dir.Path(), file;
    while (Wide(folder).size() < 190) {
        for (int i = 0; i < 10; i++) folder += "长路径文件夹";
        folder += "\\";
    }
    ASSERT_EQ(SHCreateDirectoryExW(NULL, Wide(folder).c_str(), NULL), ERROR_SUCCESS);
    while (Wide(folder + file).size() < 245) file += "数";
    file += ".bin";
    MakeFile(folder + file, kPart + 1);
    Start();
    FillSplitPage(folder + file, folder);
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_COUNT), "2");
    Click(g_app.splitPage, IDC_OK);
    EXPECT_EQ(Status(), Shown(MSG_SPLIT_DONE));
    DropFiles({folder + file + ".001"});
    EXPECT_EQ(JoinList(), Numbered(file, 2));
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, dir / "joined");
    Click(g_app.joinPage, IDC_OK);
    EXPECT_EQ(Status(), Shown(MSG_CHECKSUMS_MATCH));
    EXPECT_EQ(ReadBytes(dir / "joined"), ReadBytes(folder + file));
}

// The file system takes "été" and "ÉTÉ" for one name: such an output would
// destroy the part it names.
TEST_F(ProgramTest, AnOutputNamingAPartInOtherLetterCaseIsRefused)
{
    TempDir dir;
    for (const std::string &name : Numbered("été Ωμέγα", 2)) MakeFile(dir / name, 10);
    Start();
    DropFiles({dir / "été Ωμέγα.001"});
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, dir / "ÉTÉ ΩΜΈΓΑ.002");
    ModalAnswers answers(IDYES);  // to replacing what exists
    Click(g_app.joinPage, IDC_OK);
    EXPECT_EQ(Status(), Shown(MSG_OUTPUT_IS_INPUT));
    EXPECT_EQ(ReadBytes(dir / "été Ωμέγα.002").size(), 10u);
}

TEST_F(ProgramTest, TypedCharactersOfAnyScriptReachTheEdits)
{
    Start();
    HWND edit = GetDlgItem(g_app.splitPage, IDC_SPLIT_FOLDER);
    SetFocus(edit);
    for (wchar_t c : std::wstring(L"한字é\U0001F389")) PostMessageW(edit, WM_CHAR, c, 1);
    Pump();
    char text[PATH_SIZE];
    EXPECT_STREQ(GetItemText(g_app.splitPage, IDC_SPLIT_FOLDER, text), "한字é🎉");
}

// The open picker with a name in another script, and a selection of many
// parts at once, as Ctrl+A in the dialog gives it.
TEST_F(ProgramTest, PickersTakeAnyScriptAndWholeSetsOfParts)
{
    TempDir dir;
    const Script &korean = kScripts[2];
    std::string folder = dir / korean.folder + "\\";
    MakeFolder(folder);
    MakeFile(folder + korean.file, 10);
    Start();
    {
        ModalAnswers answers(0, folder + korean.file);
        Click(g_app.splitPage, IDC_SPLIT_BROWSE_FILE);
    }
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_FILE), folder + korean.file);
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_FOLDER), folder);

    std::vector<std::string> parts = Numbered(korean.file, 45);
    std::string selection;
    for (const std::string &part : parts) {
        MakeFile(folder + part, 10);
        selection += "\"" + part + "\" ";
    }
    PressAltWith('J');
    {
        ModalAnswers answers(0, selection);
        Click(g_app.joinPage, IDC_JOIN_BROWSE_PART);
    }
    EXPECT_EQ(JoinList(), parts);
    EXPECT_EQ(std::string(g_app.joinSet.folder), folder);
}

// The real program started with each name on its command line, which the
// system hands over in the ANSI code page; the shell's long form of the
// path comes back wide.
// The main window of the process in `context`, a pair of process id and window.
BOOL CALLBACK MatchMainWindow(HWND window, LPARAM context)
{
    auto &found = *(std::pair<DWORD, HWND> *)context;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found.first && GetDlgItem(window, IDC_TABS)) found.second = window;
    return !found.second;
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
        MakeFile(path, 10);
        std::wstring command = L"\"" + program + L"\" \"" + Wide(path) + L"\"";
        STARTUPINFOW startup = {sizeof startup};
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessW(program.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process));
        // Idle once the command line is handled and the loop waits.
        WaitForInputIdle(process.hProcess, 20000);
        std::pair<DWORD, HWND> found = {process.dwProcessId, NULL};
        EnumWindows(MatchMainWindow, (LPARAM)&found);
        std::wstring shown;
        for (HWND page = GetWindow(GetDlgItem(found.second, IDC_TABS), GW_CHILD); page && found.second;
             page = GetWindow(page, GW_HWNDNEXT)) {
            wchar_t text[PATH_CHARS] = L"";
            if (GetDlgItem(page, IDC_SPLIT_SIZE))
                SendMessageTimeoutW(GetDlgItem(page, IDC_SPLIT_FILE), WM_GETTEXT, PATH_CHARS, (LPARAM)text,
                                    SMTO_ABORTIFHUNG, 5000, NULL);
            shown += text;
        }
        EXPECT_EQ(Utf8(shown), path);
        PostMessageW(found.second, WM_COMMAND, IDM_EXIT, 0);
        if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}
