// What surrounds the system's file and folder dialogs: the filter, the
// record handed to the system, the multiple-selection result, the folder
// text and the folder dialog's callback.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <malloc.h>

#include <string>
#include <vector>

#include "temp_dir.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/pickers.h"

namespace {

std::string Filter(const char *text)
{
    char filter[FILTER_SIZE];
    int length = BuildFilterString(text, filter);
    return std::string(filter, length);
}

}  // namespace

TEST(Pickers, FilterStringFromTheFilterText)
{
    using namespace std::string_literals;
    char pages[FILTER_TEXT_SIZE];
    MakePagesFilterText(pages);
    EXPECT_STREQ(pages, "All Files (*.*)|*.*");
    EXPECT_EQ(Filter(pages), "All Files (*.*)\0*.*\0\0"s);
    for (const char *noBar : {"", "Text files", static_cast<const char *>(nullptr)})
        EXPECT_EQ(Filter(noBar), "All Files\0*.*\0\0"s) << (noBar ? noBar : "(none)");
    EXPECT_EQ(Filter("Parts|*.001|*.002"), "Parts\0*.001|*.002\0\0"s);  // only the first '|' splits
    EXPECT_EQ(Filter("|"), "\0\0\0"s);
    std::string longPattern(300, 'p');
    EXPECT_EQ(Filter(("Long|" + longPattern).c_str()), "Long\0"s + std::string(255, 'p') + "\0\0"s);
}

TEST(Pickers, RecordSizeFollowsTheSystemVersion)
{
    const DWORD full = sizeof(OPENFILENAMEA), old = OPENFILENAME_SIZE_VERSION_400A;
#ifndef _WIN64
    // The header's size of the old record is an offset computed through a
    // cast, so it is checked here rather than at compile time.
    EXPECT_EQ(full, 88u);
    EXPECT_EQ(old, 76u);
#endif
    // By version numbers: the size on NT and on the Windows family; any other
    // platform (Win32s) gets the old record whatever its numbers.
    struct Case {
        DWORD major, minor, nt, windows;
    } cases[] = {
        {4, 0, old, old}, {4, 10, old, old}, {4, 90, old, full}, {5, 0, full, old}, {10, 0, full, old},
    };
    for (const Case &c : cases)
        for (DWORD platform : {VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS, VER_PLATFORM_WIN32s}) {
            OSVERSIONINFOA version = {};
            version.dwPlatformId = platform;
            version.dwMajorVersion = c.major;
            version.dwMinorVersion = c.minor;
            DWORD size = platform == VER_PLATFORM_WIN32_NT        ? c.nt
                         : platform == VER_PLATFORM_WIN32_WINDOWS ? c.windows
                                                                  : old;
            EXPECT_EQ(GetFileDialogRecordSize(&version), size) << platform << " " << c.major << "." << c.minor;
        }
}

// What each picker asks of the system's dialog: the open pickers take only
// files that exist, several of them in the NUL-separated form that
// GetFirstSelection reads; the save picker takes a new name as typed and
// asks before replacing a file. None hooks into the dialog or lets it write
// anywhere but the name buffer.
TEST(Pickers, EachRecordAsksForWhatItsPickerNeeds)
{
    g_app.osVersion = {};
    g_app.osVersion.dwOSVersionInfoSize = sizeof g_app.osVersion;
    GetVersionExA(&g_app.osVersion);
    const DWORD never = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_NOVALIDATE;
    const struct {
        const char *picker;
        DWORD flags, wanted, unwanted;
    } cases[] = {
        {"open", OPEN_FLAGS, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, OFN_ALLOWMULTISELECT | OFN_OVERWRITEPROMPT},
        {"open several", OPEN_MULTIPLE_FLAGS, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER,
         OFN_OVERWRITEPROMPT},
        {"save", SAVE_FLAGS, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
         OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT},
    };
    char file[PATH_SIZE] = "movie.avi";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.picker);
        OPENFILENAMEA record;
        memset(&record, 0xCC, sizeof record);
        FillFileDialogRecord(&record, NULL, "Title", "All Files\0*.*\0", file, sizeof file, NULL, c.flags);
        EXPECT_EQ(record.Flags & (c.wanted | c.unwanted | never), c.wanted);
        EXPECT_EQ(record.lStructSize, sizeof(OPENFILENAMEA));  // this system is NT 5 or later
        EXPECT_EQ(record.lpstrDefExt, nullptr) << "a default extension would change the name typed";
        EXPECT_EQ(record.lpstrCustomFilter, nullptr);
        EXPECT_EQ(record.lpstrFileTitle, nullptr);
        EXPECT_LE(record.nMaxFile, sizeof file);
    }
    OPENFILENAMEA record;
    FillFileDialogRecord(&record, NULL, "Title", NULL, file, sizeof file, "C:\\data", SAVE_FLAGS);
    EXPECT_STREQ(record.lpstrInitialDir, "C:\\data");
}

TEST(Pickers, MultipleSelectionGivesTheFolderAndTheFirstName)
{
    using namespace std::string_literals;
    struct Case {
        std::string buffer, path;
    } cases[] = {
        {"C:\\dl\\movie.avi.002\0\0"s, "C:\\dl\\movie.avi.002"},
        {"C:\\dl\0movie.avi.002\0movie.avi.001\0movie.avi.003\0\0"s, "C:\\dl\\movie.avi.002"},
        {"C:\\\0a.001\0a.002\0\0"s, "C:\\\\a.001"},
    };
    for (const Case &c : cases) {
        char path[PATH_SIZE] = "";
        EXPECT_TRUE(GetFirstSelection(c.buffer.c_str(), path));
        EXPECT_EQ(path, c.path);
    }
    std::string tooLong = "C:\\" + std::string(200, 'f') + '\0' + std::string(100, 'n') + "\0\0"s;
    char path[PATH_SIZE] = "kept";
    EXPECT_FALSE(GetFirstSelection(tooLong.c_str(), path));
}

namespace {

// The selection a system dialog hands back when every part of a set is
// chosen: the folder, 998 names of 254 characters of 3 bytes each in UTF-8.
std::string s_selection;

BOOL WINAPI SelectEveryPart(LPOPENFILENAMEA record)
{
    EXPECT_GE(_msize(record->lpstrFile), record->nMaxFile) << "nMaxFile says more than the buffer holds";
    // As the system does: a selection that does not fit fails.
    if (s_selection.size() > record->nMaxFile) return FALSE;
    memcpy(record->lpstrFile, s_selection.data(), s_selection.size());
    return TRUE;
}

}  // namespace

TEST(Pickers, TheOpenPickerHoldsEveryPartOfASetWithTheLongestNames)
{
    std::string name;
    for (int i = 0; i < 250; i++) name += "\xE4\xB8\xAD";  // 250 CJK characters
    s_selection = std::string("C:\\d") + '\0';
    for (int part = 1; part <= MAX_PARTS; part++) {
        char suffix[8];
        snprintf(suffix, sizeof suffix, ".%03d", part);
        s_selection += name + suffix + '\0';
    }
    s_selection += '\0';
    g_getOpenFileName = SelectEveryPart;
    char path[PATH_SIZE] = "";
    bool picked = PickOpenFile(NULL, "Title", NULL, true, path, NULL);
    g_getOpenFileName = GetOpenFileNameA;
    EXPECT_TRUE(picked);
    EXPECT_EQ(std::string(path), "C:\\d\\" + name + ".001");
}

TEST(Pickers, StripTrailingBackslash)
{
    struct Case {
        const char *path, *stripped;
    } cases[] = {
        {"C:\\", "C:\\"},
        {"C:\\data\\", "C:\\data"},
        {"C:\\data\\\\", "C:\\data\\"},
        {"C:\\data", "C:\\data"},
        {"", ""},
        {"ab\\", "ab\\"},  // three characters
    };
    for (const Case &c : cases) {
        char path[PATH_SIZE];
        strcpy(path, c.path);
        EXPECT_STREQ(StripTrailingBackslash(path), c.stripped) << c.path;
    }
}

namespace {

std::vector<std::pair<UINT, std::string>> s_received;

LRESULT CALLBACK RecordFolderMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == BFFM_SETSTATUSTEXTA || message == BFFM_SETSELECTIONA) {
        EXPECT_EQ(wParam, message == BFFM_SETSELECTIONA ? WPARAM(TRUE) : WPARAM(0));
        s_received.push_back({message, (const char *)lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

// The callback talks to whatever window the folder dialog is; a window of
// our own stands in for it and records what it is told.
TEST(Pickers, FolderCallbackShowsAndSelectsTheFolder)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordFolderMessages;
    windowClass.lpszClassName = "PartelloFolderDialogStandIn";
    RegisterClassA(&windowClass);
    HWND dialog = CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(dialog);
    TempDir dir;
    std::string folder = dir.Path().substr(0, dir.Path().size() - 1);

    s_received.clear();
    EXPECT_EQ(FolderPickerCallback(dialog, BFFM_INITIALIZED, 0, (LPARAM)folder.c_str()), 0);
    std::vector<std::pair<UINT, std::string>> initialized = {{BFFM_SETSTATUSTEXTA, folder},
                                                             {BFFM_SETSELECTIONA, folder}};
    EXPECT_EQ(s_received, initialized);

    s_received.clear();
    LPITEMIDLIST items = NULL;
    std::wstring wide(folder.begin(), folder.end());
    ASSERT_TRUE(SUCCEEDED(SHParseDisplayName(wide.c_str(), NULL, &items, 0, NULL)));
    EXPECT_EQ(FolderPickerCallback(dialog, BFFM_SELCHANGED, (LPARAM)items, 0), 0);
    CoTaskMemFree(items);
    ASSERT_EQ(s_received.size(), 1u);
    EXPECT_EQ(s_received[0].first, UINT(BFFM_SETSTATUSTEXTA));
    EXPECT_EQ(s_received[0].second, folder);

    s_received.clear();
    EXPECT_EQ(FolderPickerCallback(dialog, BFFM_VALIDATEFAILEDA, 0, 0), 0);
    EXPECT_TRUE(s_received.empty());
    DestroyWindow(dialog);
}
