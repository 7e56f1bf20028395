// Starts the real program in-process and drives its windows through
// messages and its own message loop.
#ifndef PARTELLO_TESTS_UI_PROGRAM_FIXTURE_H
#define PARTELLO_TESTS_UI_PROGRAM_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "catalogue_text.h"
#include "resources/ids.h"
#include "temp_dir.h"
#include "ui/app.h"
#include "ui/pages.h"

const int kNoQuit = -1;

// UTF-8 and wide text, both ways.
std::wstring Wide(const std::string &text);
std::string Utf8(const std::wstring &text);

class ProgramTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Starts the program with these command-line arguments (none: the
    // search beside the program) and lets the loop settle.
    void Start(std::vector<std::string> arguments = {});
    // Runs the program's own loop step on everything queued, for at least
    // `milliseconds`; the quit code when a quit message came, else kNoQuit.
    int Pump(int milliseconds = 60);

    // Keys as the system queues them for the window with the focus.
    void PostKeyDown(WPARAM key);
    // Key with modifiers (VK_MENU, VK_CONTROL, VK_SHIFT) held in the key
    // state, as the accelerators read them.
    void PressWith(std::initializer_list<BYTE> modifiers, WPARAM key);
    void PressAltWith(char key) { PressWith({VK_MENU, VK_LMENU}, key); }
    // A drop of these paths (UTF-8) on the main window, with wide names as
    // the shell gives them; queued only, or queued and handled.
    static void PostDrop(const std::vector<std::string> &paths);
    void DropFiles(const std::vector<std::string> &paths);

    // Texts go in and come out through the wide messages, as the user
    // types and sees them, in UTF-8 here.
    static std::string Text(HWND window);
    static std::string ItemText(HWND dialog, int control) { return Text(GetDlgItem(dialog, control)); }
    static bool IsEnabled(HWND dialog, int control) { return IsWindowEnabled(GetDlgItem(dialog, control)) != FALSE; }
    static bool IsChecked(HWND dialog, int control)
    {
        return SendDlgItemMessageA(dialog, control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static void SetText(HWND dialog, int control, const std::string &text)
    {
        SendDlgItemMessageW(dialog, control, WM_SETTEXT, 0, (LPARAM)Wide(text).c_str());
    }
    // The split page filled for a split at the smallest part size.
    static void FillSplitPage(const std::string &file, const std::string &folder)
    {
        SetText(g_app.splitPage, IDC_SPLIT_FILE, file);
        SetText(g_app.splitPage, IDC_SPLIT_FOLDER, folder);
        SetText(g_app.splitPage, IDC_SPLIT_SIZE, "120");
    }
    // Typing one character into a control, as the keyboard would deliver it.
    static void Type(HWND dialog, int control, char c) { SendDlgItemMessageA(dialog, control, WM_CHAR, c, 1); }
    static void Click(HWND dialog, int control) { SendDlgItemMessageA(dialog, control, BM_CLICK, 0, 0); }
    static std::string Status() { return ItemText(g_app.mainWindow, IDC_STATUS); }
    static std::vector<std::string> JoinList();
    static int SelectedTab() { return (int)SendMessageA(g_app.tabControl, TCM_GETCURSEL, 0, 0); }
    static bool IsVisible(HWND window) { return IsWindowVisible(window) != FALSE; }

    // What the page switch leaves: flag, pages shown, tab, focus inside.
    void ExpectPageShown(int page);

    bool started_ = false;
};

// Answers the modal windows that the program opens on this thread while it
// lives. Every message box is recorded, `whileOpen` is run, and the box is
// answered with `answer` (0: Enter, for its default button). A
// file dialog gets `fileName` typed in and is accepted.
class ModalAnswers {
public:
    explicit ModalAnswers(int answer, std::string fileName = "");
    ~ModalAnswers();
    ModalAnswers(const ModalAnswers &) = delete;
    ModalAnswers &operator=(const ModalAnswers &) = delete;

    struct Box {
        std::string text;
        bool ownedByMainWindow;
    };
    std::vector<Box> boxes;
    int answer;
    std::function<void()> whileOpen;

private:
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam);
    void Answer(HWND window);

    std::string fileName_;
    HHOOK hook_;
    std::vector<HWND> answered_;
};

// Every visible control of `window` lies inside `area` (its client area
// unless given), and none covers the middle of another, where a click on
// that one lands; a group box only frames what lies in it.
void ExpectControlsInsideAndUncovered(HWND window, const RECT *area = nullptr);

// A file of `size` deterministic bytes.
void MakeFile(const std::string &path, size_t size, uint32_t seed = 7);

#endif
