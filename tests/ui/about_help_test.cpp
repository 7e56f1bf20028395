#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "resources/ids.h"
#include "ui/about_help.h"
#include "ui/app.h"

// The start-up code owns these in the program; the dialogs alone need only
// the module and the two fonts.
HINSTANCE g_instance;
OSVERSIONINFOA g_osVersion;
HMODULE g_richEdit;
HWND g_mainWindow, g_tabControl, g_splitPage, g_joinPage;
HFONT g_titleFont, g_linkFont;

namespace {

const char kLink[] = "http://partello.example.org/";
const wchar_t kAboutCaption[] = L"\u5173\u4e8e", kHelpCaption[] = L"\u5e2e\u52a9";

// ---- Driving a modal dialog from inside its own loop ----------------------
// Each step runs on its own timer tick once the dialog is up. Timer messages
// come only when nothing else is queued, so what a step posts has been
// handled before the next step looks. A dialog still open well after the
// last step is ended with kStuck, so a test fails instead of hanging.

typedef std::vector<std::function<void(HWND dialog)>> Steps;
const INT_PTR kStuck = 99;

struct Script {
    HWND owner;
    Steps steps;
    size_t next;
    int idleTicks;
    HWND dialog;
} *s_script;

BOOL CALLBACK MatchDialog(HWND window, LPARAM found)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "#32770") || GetWindow(window, GW_OWNER) != s_script->owner) return TRUE;
    *(HWND *)found = window;
    return FALSE;
}

void CALLBACK TickScript(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = NULL;
    EnumThreadWindows(GetCurrentThreadId(), MatchDialog, (LPARAM)&dialog);
    if (!dialog) return;
    Script &script = *s_script;
    script.dialog = dialog;
    if (script.next < script.steps.size())
        script.steps[script.next++](dialog);
    else if (++script.idleTicks > 40)
        EndDialog(dialog, kStuck);
}

INT_PTR ShowModal(HWND owner, int templateId, DLGPROC proc, Steps steps)
{
    Script script = {owner, std::move(steps), 0, 0, NULL};
    s_script = &script;
    UINT_PTR timer = SetTimer(NULL, 0, 30, TickScript);
    INT_PTR result = DialogBoxParamW(g_instance, MAKEINTRESOURCEW(templateId), owner, proc, 0);
    KillTimer(NULL, timer);
    s_script = NULL;
    EXPECT_EQ(script.next, script.steps.size()) << "not every step ran";
    EXPECT_FALSE(script.dialog && IsWindow(script.dialog)) << "the dialog outlived its loop";
    return result;
}

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

// The ways a user closes either window; `focus` is the control with the focus.
struct CloseWay {
    const char *name;
    void (*act)(HWND dialog, HWND focus);
};
const CloseWay kCloseWays[] = {
    {"Enter", [](HWND, HWND focus) { PostKey(focus, VK_RETURN); }},
    {"ESC", [](HWND, HWND focus) { PostKey(focus, VK_ESCAPE); }},
    {"close button", [](HWND dialog, HWND) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"OK button", [](HWND dialog, HWND) { PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0); }},
};

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

class AboutHelp : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_instance = GetModuleHandleA(NULL);
        g_titleFont = CreateFontA(-28, 0, 0, 0, 800, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
        g_linkFont = CreateFontA(-11, 0, 0, 0, 700, FALSE, TRUE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    }
    static void TearDownTestSuite()
    {
        DeleteObject(g_titleFont);
        DeleteObject(g_linkFont);
    }
    void SetUp() override
    {
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL, NULL, NULL);
        s_shellCalls.clear();
        g_shellExecute = RecordShellExecute;
        g_richEdit = LoadRichEdit();
    }
    void TearDown() override
    {
        if (g_richEdit) FreeLibrary(g_richEdit);
        g_shellExecute = ShellExecuteA;
        DestroyWindow(owner_);
    }
    INT_PTR ShowAbout(Steps steps) { return ShowModal(owner_, IDD_ABOUT, AboutDialogProc, std::move(steps)); }
    INT_PTR ShowHelp(Steps steps) { return ShowModal(owner_, IDD_HELP, HelpDialogProc, std::move(steps)); }

    HWND owner_ = NULL;
};

HWND HelpText(HWND dialog) { return GetDlgItem(dialog, IDC_HELP_TEXT); }
LRESULT FirstLine(HWND edit) { return SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0); }

}  // namespace

// ---- The help document and its stream -------------------------------------

TEST(HelpStream, DeliversTheDocumentInRequestedPiecesThenZero)
{
    const struct {
        LONG length, request;
        std::vector<LONG> sizes;  // per call, the closing 0 included
    } cases[] = {
        {4416, 1000, {1000, 1000, 1000, 1000, 416, 0}},  // the help document
        {4416, 4096, {4096, 320, 0}},
        {3803, 1000, {1000, 1000, 1000, 803, 0}},
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

TEST(HelpStream, TheDocumentIsStoredByteForByte)
{
    HINSTANCE module = GetModuleHandleA(NULL);
    HRSRC found = FindResourceA(module, "HELPINFO", "TEXT");
    ASSERT_TRUE(found);
    std::string text((const char *)LockResource(LoadResource(module, found)), SizeofResource(module, found));
    EXPECT_EQ(text.size(), 4416u) << "the help document changed: update the stream sizes above";
    EXPECT_EQ(text.find('\0'), std::string::npos) << "a terminating zero would reach the control";
    EXPECT_EQ(text.rfind("{\\rtf1\\ansi\\ansicpg1252", 0), 0u);
}

// ---- Help window ------------------------------------------------------------

TEST_F(AboutHelp, HelpShowsTheWholeDocumentOnPaleYellowWithoutACaret)
{
    std::string text;
    std::wstring caption;
    COLORREF background = 0;
    LRESULT dialogCode = 0;
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    EXPECT_EQ(ShowHelp({[&](HWND dialog) {
                  HWND edit = HelpText(dialog);
                  caption = CaptionOf(dialog);
                  text = TextOf(edit);
                  background = (COLORREF)SendMessageA(edit, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 216));
                  dialogCode = SendMessageA(edit, WM_GETDLGCODE, 0, 0);
                  GetGUIThreadInfo(GetCurrentThreadId(), &gui);
                  PostKey(edit, VK_ESCAPE);
              }}),
              1);
    EXPECT_EQ(caption, kHelpCaption);
    for (const char *part : {"Partello", "The default part size is 1440 KB", "Aditional Notes:", "responsibility."})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_EQ(text.find("\\par"), std::string::npos) << "the document was shown as plain text";
    EXPECT_EQ(background, RGB(255, 255, 216));
    EXPECT_EQ(dialogCode, DLGC_WANTARROWS);
    EXPECT_EQ(gui.hwndCaret, (HWND)NULL);
}

// Each Down or Up key must scroll exactly as one line scroll of the control.
TEST_F(AboutHelp, HelpScrollsALineWithDownAndUp)
{
    LRESULT top = -1, threeDown = -1, thenUp = -1;
    std::vector<LRESULT> byKeys;
    EXPECT_EQ(ShowHelp({
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
              }),
              1);
    EXPECT_EQ(top, 0);
    EXPECT_GT(threeDown, top);
    EXPECT_LT(thenUp, threeDown);
    EXPECT_EQ(byKeys, (std::vector<LRESULT>{threeDown, thenUp}));
}

TEST_F(AboutHelp, HelpClosesWithEnterEscAndTheCloseButton)
{
    for (const CloseWay &way : kCloseWays) {
        if (!strcmp(way.name, "OK button")) continue;  // the Help window has none
        SCOPED_TRACE(way.name);
        EXPECT_EQ(ShowHelp({[&](HWND dialog) { way.act(dialog, HelpText(dialog)); }}), 1);
    }
}

TEST_F(AboutHelp, WithoutTheRichEditLibraryHelpShowsNothingAndAboutStillWorks)
{
    FreeLibrary(g_richEdit);
    static std::string asked;
    g_loadLibrary = [](LPCSTR name) -> HMODULE { return asked = name, (HMODULE)NULL; };
    g_richEdit = LoadRichEdit();
    g_loadLibrary = LoadLibraryA;
    EXPECT_EQ(g_richEdit, (HMODULE)NULL);
    EXPECT_EQ(asked, "Riched32.dll");

    WNDCLASSA richEdit;
    ASSERT_FALSE(GetClassInfoA(NULL, "RICHEDIT", &richEdit)) << "the library is still loaded from elsewhere";
    EXPECT_EQ(ShowHelp({}), -1);  // a window that did appear would end with kStuck
    EXPECT_EQ(ShowAbout({[](HWND dialog) { PostKey(GetDlgItem(dialog, IDOK), VK_ESCAPE); }}), 1);
}

// ---- About box --------------------------------------------------------------

TEST_F(AboutHelp, AboutShowsNameVersionAndLinkInTheirFonts)
{
    std::vector<std::string> texts;
    std::wstring caption;
    HGDIOBJ titleFont = NULL, linkFont = NULL, okFont = NULL;
    EXPECT_EQ(ShowAbout({[&](HWND dialog) {
                  caption = CaptionOf(dialog);
                  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                      texts.push_back(TextOf(child));
                  titleFont = (HGDIOBJ)SendDlgItemMessageA(dialog, IDC_ABOUT_TITLE, WM_GETFONT, 0, 0);
                  linkFont = (HGDIOBJ)SendDlgItemMessageA(dialog, IDC_ABOUT_LINK, WM_GETFONT, 0, 0);
                  okFont = (HGDIOBJ)SendDlgItemMessageA(dialog, IDOK, WM_GETFONT, 0, 0);
                  PostKey(GetDlgItem(dialog, IDOK), VK_ESCAPE);
              }}),
              1);
    EXPECT_EQ(caption, kAboutCaption);
    for (const char *text : {"Partello", "Version 1.6", kLink})
        EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
    EXPECT_EQ(titleFont, g_titleFont);
    EXPECT_EQ(linkFont, g_linkFont);
    EXPECT_TRUE(okFont != g_titleFont && okFont != g_linkFont);
}

TEST_F(AboutHelp, ClickingTheLinkHandsItsTextToTheShellAndNothingElseDoes)
{
    EXPECT_EQ(ShowAbout({
                  [](HWND dialog) {
                      for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                          if (GetDlgCtrlID(child) != IDC_ABOUT_LINK && GetDlgCtrlID(child) != IDOK) PostClick(child);
                      PostClick(dialog);
                  },
                  [](HWND dialog) {
                      EXPECT_TRUE(s_shellCalls.empty());
                      PostClick(GetDlgItem(dialog, IDC_ABOUT_LINK));
                  },
                  [](HWND dialog) { PostKey(GetDlgItem(dialog, IDOK), VK_ESCAPE); },
              }),
              1);
    // No owner, the shell's default action, no parameters, no folder.
    EXPECT_EQ(s_shellCalls, std::vector<std::string>{"- - " + std::string(kLink) + " - - 1"});
}

TEST_F(AboutHelp, OnlyTheLinkIsBlueOnButtonFaceAndShowsTheHand)
{
    HDC dc = CreateCompatibleDC(NULL);
    SetTextColor(dc, RGB(1, 2, 3));
    INT_PTR linkBrush = 0, titleResult = -1;
    COLORREF titleText = 0;
    HCURSOR hand = LoadCursorA(g_instance, MAKEINTRESOURCEA(IDC_HAND_CURSOR));
    std::vector<int> underHand;  // the controls over which the hand showed
    EXPECT_EQ(ShowAbout({[&](HWND dialog) {
                  HWND title = GetDlgItem(dialog, IDC_ABOUT_TITLE), link = GetDlgItem(dialog, IDC_ABOUT_LINK);
                  titleResult = AboutDialogProc(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)title);
                  titleText = GetTextColor(dc);
                  linkBrush = SendMessageA(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)link);
                  for (int id : {IDC_ABOUT_LINK, IDC_ABOUT_TITLE, IDOK, -1}) {
                      HWND window = id < 0 ? dialog : GetDlgItem(dialog, id);
                      SetCursor(LoadCursorA(NULL, IDC_ARROW));
                      SendMessageA(window, WM_SETCURSOR, (WPARAM)window, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
                      if (GetCursor() == hand) underHand.push_back(id);
                  }
                  PostKey(GetDlgItem(dialog, IDOK), VK_ESCAPE);
              }}),
              1);
    EXPECT_EQ(titleResult, FALSE);
    EXPECT_EQ(titleText, RGB(1, 2, 3));
    EXPECT_EQ(linkBrush, (INT_PTR)GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
    EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(underHand, std::vector<int>{IDC_ABOUT_LINK});
    DeleteDC(dc);
}

TEST_F(AboutHelp, AboutClosesEveryWayAndTheFontsOutliveIt)
{
    for (const CloseWay &way : kCloseWays) {
        SCOPED_TRACE(way.name);
        EXPECT_EQ(ShowAbout({[&](HWND dialog) { way.act(dialog, GetDlgItem(dialog, IDOK)); }}), 1);
    }
    LOGFONTA title = {}, link = {};
    ASSERT_EQ(GetObjectA(g_titleFont, sizeof title, &title), (int)sizeof title);
    ASSERT_EQ(GetObjectA(g_linkFont, sizeof link, &link), (int)sizeof link);
    EXPECT_EQ(title.lfHeight, -28);
    EXPECT_TRUE(link.lfUnderline);
}
