#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "resources/ids.h"
#include "resources/version.h"
#include "ui/about_help.h"
#include "ui/app.h"

namespace {

const char kLink[] = PARTELLO_WEB_ADDRESS;

// ---- Driving a modal window from inside its own loop ----------------------
// Each step runs on its own timer tick once a dialog of the main window is
// up. Timer messages come only when nothing else is queued, so what a step
// posts has been handled before the next step looks. A window still open
// well after the last step is ended with kStuck: the test fails, not hangs.

typedef std::vector<std::function<void(HWND dialog)>> Steps;
const INT_PTR kStuck = 99;

class DialogScript {
public:
    explicit DialogScript(Steps steps) : steps_(std::move(steps))
    {
        s_running = this;
        timer_ = SetTimer(NULL, 0, 30, Tick);
    }
    ~DialogScript()
    {
        KillTimer(NULL, timer_);
        s_running = NULL;
    }
    bool Shown() const { return dialog_ != NULL; }
    void ExpectFinished() const
    {
        EXPECT_EQ(next_, steps_.size()) << "not every step ran";
        EXPECT_FALSE(dialog_ && IsWindow(dialog_)) << "the window outlived its loop";
    }

private:
    static BOOL CALLBACK MatchDialog(HWND window, LPARAM found)
    {
        char name[16] = "";
        GetClassNameA(window, name, sizeof name);
        if (strcmp(name, "#32770") || GetWindow(window, GW_OWNER) != g_app.mainWindow) return TRUE;
        *(HWND *)found = window;
        return FALSE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        DialogScript &script = *s_running;
        HWND dialog = NULL;
        EnumThreadWindows(GetCurrentThreadId(), MatchDialog, (LPARAM)&dialog);
        if (!dialog) return;
        script.dialog_ = dialog;
        if (script.next_ < script.steps_.size())
            script.steps_[script.next_++](dialog);
        else if (++script.idleTicks_ > 40)
            EndDialog(dialog, kStuck);
    }

    static DialogScript *s_running;
    Steps steps_;
    size_t next_ = 0;
    int idleTicks_ = 0;
    HWND dialog_ = NULL;
    UINT_PTR timer_;
};
DialogScript *DialogScript::s_running;

void PostKey(HWND window, WPARAM key)
{
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

void PostClick(HWND window)
{
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

std::string TextOf(HWND window)
{
    std::string text(GetWindowTextLengthA(window) + 1, '\0');
    text.resize(GetWindowTextA(window, &text[0], (int)text.size()));
    return text;
}

std::wstring CaptionOf(HWND window)
{
    wchar_t text[32] = L"";
    GetWindowTextW(window, text, 32);
    return text;
}

HWND HelpText(HWND dialog) { return GetDlgItem(dialog, IDC_HELP_TEXT); }
LRESULT FirstLine(HWND edit) { return SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0); }
void PressEscIn(HWND dialog) { PostKey(GetFocus() ? GetFocus() : dialog, VK_ESCAPE); }

// What the shell seam was handed: owner, verb, file, parameters, folder, show.
std::vector<std::string> s_shellCalls;

HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show)
{
    char call[400];
    snprintf(call, sizeof call, "%s %s %s %s %s %d", owner ? "owner" : "-", verb ? verb : "-", file,
             parameters ? parameters : "-", folder ? folder : "-", show);
    s_shellCalls.push_back(call);
    return (HINSTANCE)(INT_PTR)2;  // "file not found": a failure the box must shrug off
}

// The real program, with the shell behind the seam.
class AboutHelpTest : public ProgramTest {
protected:
    void SetUp() override
    {
        s_shellCalls.clear();
        g_shellExecute = RecordShellExecute;
    }
    void TearDown() override
    {
        g_shellExecute = ShellExecuteA;
        g_loadLibrary = LoadLibraryA;
        ProgramTest::TearDown();
    }
    // Runs `open` through the program's own loop and `steps` in the window it
    // brings up; whether one came up. Closing it must not reach the main
    // window, where ESC would quit.
    bool Drive(std::function<void()> open, Steps steps)
    {
        DialogScript script(std::move(steps));
        open();
        EXPECT_EQ(Pump(), kNoQuit);
        script.ExpectFinished();
        return script.Shown();
    }
    bool Command(WORD command, Steps steps)
    {
        return Drive([command] { PostMessageA(g_app.mainWindow, WM_COMMAND, command, 0); }, std::move(steps));
    }
    // Shown directly, to see what the window ends with.
    static INT_PTR ShowModal(int templateId, Steps steps)
    {
        DialogScript script(std::move(steps));
        INT_PTR result = DialogBoxParamW(g_app.instance, MAKEINTRESOURCEW(templateId), g_app.mainWindow,
                                         templateId == IDD_HELP ? HelpDialogProc : AboutDialogProc, 0);
        script.ExpectFinished();
        return result;
    }
};

}  // namespace

// ---- The help document and its stream -------------------------------------

TEST(HelpStream, DeliversTheDocumentInRequestedPiecesThenZero)
{
    const struct {
        LONG length, request;
        std::vector<LONG> sizes;  // per call, the closing 0 included
    } cases[] = {
        {3803, 1000, {1000, 1000, 1000, 803, 0}},
        {3803, 4096, {3803, 0}},
        {5000, 4096, {4096, 904, 0}},
        {2000, 1000, {1000, 1000, 0}},
        {0, 4096, {0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " bytes by " << c.request);
        std::vector<BYTE> document(c.length), received, buffer(c.request);
        for (LONG i = 0; i < c.length; i++) document[i] = BYTE(i * 7 + 1);
        HelpStream stream = {document.data(), 0, c.length};
        std::vector<LONG> sizes;
        LONG delivered = -1;
        while (sizes.size() <= c.sizes.size() && delivered != 0) {
            ASSERT_EQ(HelpStreamCallback((DWORD_PTR)&stream, buffer.data(), c.request, &delivered), 0u);
            sizes.push_back(delivered);
            received.insert(received.end(), buffer.begin(), buffer.begin() + delivered);
        }
        EXPECT_EQ(sizes, c.sizes);
        EXPECT_EQ(received, document);
    }
    HelpStream nothing = {NULL, 0, 10};
    BYTE buffer[16];
    LONG delivered = -1;
    EXPECT_EQ(HelpStreamCallback((DWORD_PTR)&nothing, buffer, sizeof buffer, &delivered), 1u);
    EXPECT_EQ(delivered, 0);
}

// The control reads the document as RTF to its end: one group from the
// first byte to the last '}', and no zero byte that would stop it early.
TEST(HelpStream, TheDocumentIsOneWholeRtfGroup)
{
    HINSTANCE module = GetModuleHandleA(NULL);
    HRSRC found = FindResourceA(module, "HELPINFO", "TEXT");
    ASSERT_TRUE(found);
    std::string text((const char *)LockResource(LoadResource(module, found)), SizeofResource(module, found));
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_EQ(text.rfind("{\\rtf1\\ansi\\ansicpg1252", 0), 0u);
    size_t depth = 0, closed = std::string::npos;
    for (size_t i = 0; i < text.size() && closed == std::string::npos; i++) {
        if (text[i] == '\\') i++;  // an escaped brace or backslash
        else if (text[i] == '{') depth++;
        else if (text[i] == '}' && --depth == 0) closed = i;
    }
    ASSERT_NE(closed, std::string::npos) << "the outer group is never closed";
    EXPECT_EQ(text.find_first_not_of(" \r\n", closed + 1), std::string::npos) << "text after the outer group";
}

// ---- Help window ------------------------------------------------------------

TEST_F(AboutHelpTest, F1AndCommand1001ShowTheDocumentOnPaleYellowWithoutACaret)
{
    Start();
    const struct {
        const char *name;
        std::function<void()> open;
    } openers[] = {
        {"F1", [this] { PostKeyDown(VK_F1); }},
        {"command 1001", [] { PostMessageA(g_app.mainWindow, WM_COMMAND, IDM_HELP, 0); }},
    };
    for (const auto &opener : openers) {
        SCOPED_TRACE(opener.name);
        std::string text;
        std::wstring caption;
        COLORREF background = 0;
        LRESULT dialogCode = 0;
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        EXPECT_TRUE(Drive(opener.open, {[&](HWND dialog) {
            HWND edit = HelpText(dialog);
            caption = CaptionOf(dialog);
            text = TextOf(edit);
            background = (COLORREF)SendMessageA(edit, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 216));
            dialogCode = SendMessageA(edit, WM_GETDLGCODE, 0, 0);
            ExpectControlsInsideAndUncovered(dialog);
            GetGUIThreadInfo(GetCurrentThreadId(), &gui);
            PostKey(edit, VK_ESCAPE);
        }}));
        EXPECT_EQ(caption, L"\u5e2e\u52a9");
        for (const char *part : {"Partello", "The default part size is 1440 KB", "Aditional Notes:"})
            EXPECT_NE(text.find(part), std::string::npos) << part;
        // Shown to its last sentence.
        std::string shown = text.substr(0, text.find_last_not_of(" \r\n") + 1);
        EXPECT_EQ(shown.substr(shown.size() - std::min<size_t>(shown.size(), 15)), "responsibility.");
        EXPECT_EQ(text.find("\\par"), std::string::npos) << "the document was shown as plain text";
        EXPECT_EQ(background, RGB(255, 255, 216));
        EXPECT_EQ(dialogCode, DLGC_WANTARROWS);
        EXPECT_EQ(gui.hwndCaret, (HWND)NULL);
    }
}

// Each Down or Up key scrolls exactly as one line scroll of the control.
TEST_F(AboutHelpTest, HelpScrollsALineWithDownAndUp)
{
    Start();
    LRESULT top = -1, threeDown = -1, thenUp = -1;
    std::vector<LRESULT> byKeys;
    EXPECT_TRUE(Command(IDM_HELP, {
                                      [&](HWND dialog) {
                                          HWND edit = HelpText(dialog);
                                          top = FirstLine(edit);
                                          for (int i = 0; i < 3; i++) SendMessageA(edit, EM_SCROLL, SB_LINEDOWN, 0);
                                          threeDown = FirstLine(edit);
                                          SendMessageA(edit, EM_SCROLL, SB_LINEUP, 0);
                                          thenUp = FirstLine(edit);
                                          SendMessageA(edit, WM_VSCROLL, SB_TOP, 0);
                                          for (int i = 0; i < 3; i++) PostKey(edit, VK_DOWN);
                                      },
                                      [&](HWND dialog) {
                                          byKeys.push_back(FirstLine(HelpText(dialog)));
                                          PostKey(HelpText(dialog), VK_UP);
                                      },
                                      [&](HWND dialog) {
                                          byKeys.push_back(FirstLine(HelpText(dialog)));
                                          PostKey(HelpText(dialog), VK_RETURN);
                                      },
                                  }));
    EXPECT_EQ(top, 0);
    EXPECT_GT(threeDown, top);
    EXPECT_LT(thenUp, threeDown);
    EXPECT_EQ(byKeys, (std::vector<LRESULT>{threeDown, thenUp}));
}

// A loader that finds nothing, remembering what it was asked for. A plain
// function: the program calls it as WINAPI, which a lambda is not on x86.
static std::string g_askedToLoad;
static HMODULE WINAPI LoadNothing(LPCSTR name)
{
    g_askedToLoad = name;
    return NULL;
}

TEST_F(AboutHelpTest, WithoutRichEditF1ShowsNothingAndTheProgramGoesOn)
{
    g_loadLibrary = LoadNothing;
    Start();
    EXPECT_EQ(g_askedToLoad, "Riched32.dll");
    EXPECT_EQ(g_app.richEdit, (HMODULE)NULL);
    WNDCLASSA richEdit;
    ASSERT_FALSE(GetClassInfoA(NULL, "RICHEDIT", &richEdit)) << "the library is still loaded from elsewhere";
    EXPECT_FALSE(Drive([this] { PostKeyDown(VK_F1); }, {}));
    EXPECT_TRUE(Command(IDM_ABOUT, {PressEscIn}));
    PostKeyDown(VK_ESCAPE);
    EXPECT_EQ(Pump(), 1) << "the program no longer answers ESC";
}

// ---- About box --------------------------------------------------------------

TEST_F(AboutHelpTest, Command1002ShowsAboutInTheStartUpFontsEveryTime)
{
    Start();
    for (int showing = 0; showing < 3; showing++) {
        std::vector<std::string> texts;
        std::wstring caption;
        HGDIOBJ titleFont = NULL, linkFont = NULL;
        EXPECT_TRUE(Command(IDM_ABOUT, {[&](HWND dialog) {
            caption = CaptionOf(dialog);
            for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                texts.push_back(TextOf(child));
            titleFont = (HGDIOBJ)SendDlgItemMessageA(dialog, IDC_ABOUT_TITLE, WM_GETFONT, 0, 0);
            linkFont = (HGDIOBJ)SendDlgItemMessageA(dialog, IDC_ABOUT_LINK, WM_GETFONT, 0, 0);
            PressEscIn(dialog);
        }}));
        EXPECT_EQ(caption, L"\u5173\u4e8e");
        for (const char *text : {"Partello", "Version " PARTELLO_VERSION, kLink})
            EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
        EXPECT_EQ(titleFont, g_app.titleFont);
        EXPECT_EQ(linkFont, g_app.linkFont);
    }
    LOGFONTA title = {};
    EXPECT_EQ(GetObjectA(g_app.titleFont, sizeof title, &title), (int)sizeof title);
    EXPECT_EQ(title.lfWeight, 800);
}

// The menu's items as the window sends them: the second opens the About
// box, every control of it in view; the first quits.
TEST_F(AboutHelpTest, TheMenuShowsAboutAndQuits)
{
    Start();
    HMENU menu = GetMenu(g_app.mainWindow);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    EXPECT_TRUE(Command((WORD)GetMenuItemID(GetSubMenu(menu, 1), 0), {[](HWND dialog) {
        ExpectControlsInsideAndUncovered(dialog);
        PressEscIn(dialog);
    }}));
    PostMessageA(g_app.mainWindow, WM_COMMAND, GetMenuItemID(GetSubMenu(menu, 0), 0), 0);
    EXPECT_EQ(Pump(), 1);
}

TEST_F(AboutHelpTest, ClickingTheLinkHandsItsTextToTheShellAndNothingElseDoes)
{
    Start();
    EXPECT_TRUE(Command(IDM_ABOUT, {
                                       [](HWND dialog) {
                                           for (HWND child = GetWindow(dialog, GW_CHILD); child;
                                                child = GetWindow(child, GW_HWNDNEXT))
                                               if (GetDlgCtrlID(child) != IDC_ABOUT_LINK && GetDlgCtrlID(child) != IDOK)
                                                   PostClick(child);
                                           PostClick(dialog);
                                       },
                                       [](HWND dialog) {
                                           EXPECT_TRUE(s_shellCalls.empty());
                                           PostClick(GetDlgItem(dialog, IDC_ABOUT_LINK));
                                       },
                                       PressEscIn,
                                   }));
    // No owner, the shell's default action, no parameters, no folder.
    EXPECT_EQ(s_shellCalls, std::vector<std::string>{"- - " + std::string(kLink) + " - - 1"});
}

// The control as it paints itself, through its parent's colours, into a
// 32-bit bitmap: its pixels, row by row.
std::vector<COLORREF> PaintedPixels(HWND control)
{
    RECT area;
    GetClientRect(control, &area);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, area.right, -area.bottom, 1, 32, BI_RGB};
    void *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SendMessageA(control, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    std::vector<COLORREF> pixels;
    for (LONG i = 0; bits && i < area.right * area.bottom; i++) {
        DWORD pixel = ((const DWORD *)bits)[i];
        pixels.push_back(RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF));  // stored as 0xRRGGBB
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return pixels;
}

TEST_F(AboutHelpTest, OnlyTheLinkIsBlueOnTheBoxsFaceAndShowsTheHand)
{
    Start();
    std::vector<COLORREF> link, title;
    HCURSOR hand = LoadCursorA(g_app.instance, MAKEINTRESOURCEA(IDC_HAND_CURSOR));
    std::vector<int> underHand;  // where the hand showed
    EXPECT_TRUE(Command(IDM_ABOUT, {[&](HWND dialog) {
        link = PaintedPixels(GetDlgItem(dialog, IDC_ABOUT_LINK));
        title = PaintedPixels(GetDlgItem(dialog, IDC_ABOUT_TITLE));
        for (int id : {IDC_ABOUT_LINK, IDC_ABOUT_TITLE, IDOK, -1}) {
            HWND window = id < 0 ? dialog : GetDlgItem(dialog, id);
            SetCursor(LoadCursorA(NULL, IDC_ARROW));
            SendMessageA(window, WM_SETCURSOR, (WPARAM)window, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            if (GetCursor() == hand) underHand.push_back(id);
        }
        PressEscIn(dialog);
    }}));
    ASSERT_FALSE(link.empty());
    ASSERT_FALSE(title.empty());
    const COLORREF blue = RGB(0, 0, 255);
    EXPECT_NE(std::find(link.begin(), link.end(), blue), link.end()) << "the link's text is not blue";
    EXPECT_EQ(std::find(title.begin(), title.end(), blue), title.end()) << "the title took the link's colour";
    // Both lie on the box's own face: the corners, outside any text.
    EXPECT_EQ(link.front(), title.front());
    EXPECT_EQ(link.back(), title.back());
    EXPECT_EQ(underHand, std::vector<int>{IDC_ABOUT_LINK});
}

// ---- Closing ----------------------------------------------------------------

TEST_F(AboutHelpTest, BothWindowsEndWithOneEveryWayTheyAreClosed)
{
    Start();
    const struct {
        const char *name;
        bool help;  // the Help window has no OK button
        void (*act)(HWND dialog, HWND focus);
    } ways[] = {
        {"Enter", true, [](HWND, HWND focus) { PostKey(focus, VK_RETURN); }},
        {"ESC", true, [](HWND, HWND focus) { PostKey(focus, VK_ESCAPE); }},
        {"close button", true, [](HWND dialog, HWND) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"OK button", false, [](HWND, HWND ok) { PostMessageA(ok, BM_CLICK, 0, 0); }},
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.name);
        EXPECT_EQ(ShowModal(IDD_ABOUT, {[&](HWND dialog) { way.act(dialog, GetDlgItem(dialog, IDOK)); }}), 1);
        if (way.help) EXPECT_EQ(ShowModal(IDD_HELP, {[&](HWND dialog) { way.act(dialog, HelpText(dialog)); }}), 1);
    }
    EXPECT_EQ(Pump(), kNoQuit);
}
