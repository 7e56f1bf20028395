#include "program_fixture.h"

#include <shlobj.h>

#include <cstring>

void ProgramTest::TearDown()
{
    if (started_) ShutDownProgram();
    started_ = false;
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
    }
}

void ProgramTest::Start(std::vector<std::string> arguments)
{
    std::vector<char *> pointers;
    for (std::string &argument : arguments) pointers.push_back(&argument[0]);
    ASSERT_TRUE(StartProgram(GetModuleHandleA(NULL), (int)pointers.size(), pointers.data()));
    started_ = true;
    EXPECT_EQ(Pump(), kNoQuit);
}

int ProgramTest::Pump(int milliseconds)
{
    DWORD end = GetTickCount() + milliseconds;
    MSG message;
    do {
        while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return (int)message.wParam;
            HandleLoopMessage(&message);
        }
        Sleep(5);
    } while ((int)(end - GetTickCount()) > 0);
    return kNoQuit;
}

void ProgramTest::PostKeyDown(WPARAM key)
{
    HWND focus = GetFocus();
    PostMessageA(focus ? focus : g_app.mainWindow, WM_KEYDOWN, key, 1);
}

void ProgramTest::PressWith(std::initializer_list<BYTE> modifiers, WPARAM key)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    for (BYTE modifier : modifiers) keys[modifier] = 0x80;
    SetKeyboardState(keys);
    bool alt = keys[VK_MENU] != 0;
    HWND focus = GetFocus();
    // Context code (bit 29): Alt is down.
    PostMessageA(focus ? focus : g_app.mainWindow, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt ? 0x20000001 : 1);
    Pump();
    for (BYTE modifier : modifiers) keys[modifier] = 0;
    SetKeyboardState(keys);
}

void ProgramTest::DropFiles(const std::vector<std::string> &paths)
{
    PostDrop(paths);
    Pump();
}

void ProgramTest::PostDrop(const std::vector<std::string> &paths)
{
    std::wstring names;
    for (const std::string &path : paths) names += Wide(path) + L'\0';
    names += L'\0';
    size_t bytes = names.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    ASSERT_TRUE(memory);
    DROPFILES *drop = (DROPFILES *)GlobalLock(memory);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(drop + 1, names.data(), bytes);
    GlobalUnlock(memory);
    PostMessageW(g_app.mainWindow, WM_DROPFILES, (WPARAM)memory, 0);
}

std::string ProgramTest::Text(HWND window)
{
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return Utf8(text);
}

std::vector<std::string> ProgramTest::JoinList()
{
    std::vector<std::string> entries;
    HWND list = GetDlgItem(g_app.joinPage, IDC_JOIN_LIST);
    int count = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
        wchar_t text[1024] = L"";
        SendMessageW(list, LB_GETTEXT, i, (LPARAM)text);
        entries.push_back(Utf8(text));
    }
    return entries;
}

void ProgramTest::ExpectPageShown(int page)
{
    HWND shown = page == SPLIT_PAGE ? g_app.splitPage : g_app.joinPage;
    HWND hidden = page == SPLIT_PAGE ? g_app.joinPage : g_app.splitPage;
    EXPECT_EQ(g_app.page, page);
    EXPECT_TRUE(IsVisible(shown));
    EXPECT_FALSE(IsVisible(hidden));
    EXPECT_EQ(SelectedTab(), page);
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == shown || IsChild(shown, focus)) << "focus is not on the page shown";
}

void MakeFile(const std::string &path, size_t size, uint32_t seed) { WriteBytes(path, MakeData(size, seed)); }

void ExpectControlsInsideAndUncovered(HWND window, const RECT *area)
{
    RECT client;
    GetClientRect(window, &client);
    if (!area) area = &client;
    struct Shown {
        HWND control;
        RECT rect;
        bool frame;
    };
    std::vector<Shown> shown;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (!(style & WS_VISIBLE)) continue;
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(NULL, window, (POINT *)&rect, 2);
        char name[16] = "";
        GetClassNameA(child, name, sizeof name);
        shown.push_back({child, rect, !_stricmp(name, "Button") && (style & BS_TYPEMASK) == BS_GROUPBOX});
    }
    for (const Shown &one : shown) {
        wchar_t caption[64] = L"";
        GetWindowTextW(one.control, caption, 64);
        SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(one.control) << " " << Utf8(caption));
        RECT inside;
        EXPECT_TRUE(IntersectRect(&inside, &one.rect, area) && EqualRect(&inside, &one.rect)) << "not wholly inside";
        POINT middle = {(one.rect.left + one.rect.right) / 2, (one.rect.top + one.rect.bottom) / 2};
        for (const Shown &other : shown)
            if (other.control != one.control && !other.frame)
                EXPECT_FALSE(PtInRect(&other.rect, middle)) << "covered by control " << GetDlgCtrlID(other.control);
    }
}

namespace {

ModalAnswers *s_answers;

// The ids that the system's dialogs give their controls.
const int kBoxText = 0xFFFF;
const int kFileNameCombo = 0x47C, kFileNameEdit = 0x480;

}  // namespace

ModalAnswers::ModalAnswers(int answer, std::string fileName)
    : answer(answer), fileName_(std::move(fileName)),
      hook_(SetWindowsHookExA(WH_CBT, Watch, NULL, GetCurrentThreadId()))
{
    EXPECT_TRUE(hook_);
    s_answers = this;
}

ModalAnswers::~ModalAnswers()
{
    UnhookWindowsHookEx(hook_);
    s_answers = nullptr;
}

// A modal window is activated once its controls are filled; the answer is
// posted, so its own loop takes it.
LRESULT CALLBACK ModalAnswers::Watch(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && s_answers) s_answers->Answer((HWND)wParam);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

void ModalAnswers::Answer(HWND window)
{
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") != 0 || window == g_app.mainWindow) return;
    for (HWND seen : answered_)
        if (seen == window) return;
    answered_.push_back(window);
    if (GetDlgItem(window, kBoxText)) {
        char text[1024] = "";
        GetDlgItemTextA(window, kBoxText, text, sizeof text);
        boxes.push_back({text, GetWindow(window, GW_OWNER) == g_app.mainWindow});
        if (whileOpen) whileOpen();
        if (answer) PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        else PostMessageA(window, WM_KEYDOWN, VK_RETURN, 1);
    } else if (GetDlgItem(window, kFileNameCombo) || GetDlgItem(window, kFileNameEdit)) {
        SetDlgItemTextA(window, GetDlgItem(window, kFileNameCombo) ? kFileNameCombo : kFileNameEdit, fileName_.c_str());
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(window, IDOK));
    }
}

std::wstring Wide(const std::string &text)
{
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), NULL, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), &wide[0], length);
    return wide;
}

std::string Utf8(const std::wstring &text)
{
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string narrow(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &narrow[0], length, NULL, NULL);
    return narrow;
}
