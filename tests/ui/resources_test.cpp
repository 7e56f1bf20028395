// The windows that the templates, menu and accelerators make, as the user
// meets them: every control where it can be seen and clicked, the Chinese
// captions whole (the resource compiler mangles them without the right code
// page), and the accelerators leaving plain typing to the edits.
#include "engine/report.h"
#include "program_fixture.h"
#include "ui/status.h"

#include <algorithm>
#include <fstream>

namespace {

// ASCII, or Chinese characters and their punctuation. What a wrong code
// page leaves (accented Latin letters, '?', U+FFFD) is neither.
bool ReadsAsWritten(const std::wstring &caption)
{
    for (wchar_t c : caption)
        if (c == L'?' || (c >= 0x80 && c < 0x3000) || (c >= 0xA000 && c < 0xFF00) || c > 0xFFEF) return false;
    return true;
}

bool HasChinese(const std::wstring &caption)
{
    return std::any_of(caption.begin(), caption.end(), [](wchar_t c) { return c >= 0x4E00 && c < 0xA000; });
}

std::wstring CaptionOf(HWND window)
{
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

}  // namespace

TEST_F(ProgramTest, EveryControlLiesInsideItsWindowAndNoneCoversAnother)
{
    Start();
    ExpectControlsInsideAndUncovered(g_app.mainWindow);
    // The pages fill the tab control below its tabs, give or take the pixel
    // that dialog units round to.
    RECT display;
    GetClientRect(g_app.tabControl, &display);
    SendMessageA(g_app.tabControl, TCM_ADJUSTRECT, FALSE, (LPARAM)&display);
    InflateRect(&display, 1, 1);
    ExpectControlsInsideAndUncovered(g_app.tabControl, &display);
    ExpectControlsInsideAndUncovered(g_app.splitPage);
    ExpectControlsInsideAndUncovered(g_app.joinPage);
}

TEST_F(ProgramTest, CaptionsShowTheirChineseWhole)
{
    Start();
    struct Window {
        const char *name;
        std::vector<std::wstring> captions;
    } windows[] = {{"split page", {}}, {"join page", {}}, {"menu", {}}};
    for (HWND child = GetWindow(g_app.splitPage, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        windows[0].captions.push_back(CaptionOf(child));
    for (HWND child = GetWindow(g_app.joinPage, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        windows[1].captions.push_back(CaptionOf(child));
    HMENU menu = GetMenu(g_app.mainWindow);
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        HMENU popup = GetSubMenu(menu, i);
        for (int j = -1; j < GetMenuItemCount(popup); j++) {
            wchar_t text[64] = L"";
            GetMenuStringW(j < 0 ? menu : popup, j < 0 ? i : j, text, 64, MF_BYPOSITION);
            windows[2].captions.push_back(text);
        }
    }
    std::string readme;  // the Windows read-me: its table explains each Chinese caption as shown
    std::getline(std::ifstream(PARTELLO_README), readme, '\0');
    for (const Window &window : windows) {
        SCOPED_TRACE(window.name);
        EXPECT_TRUE(std::any_of(window.captions.begin(), window.captions.end(), HasChinese));
        for (const std::wstring &caption : window.captions) {
            std::string shown = "  " + Utf8(caption.substr(0, caption.find(L'\t'))) + " ";  // menus: before the tab
            EXPECT_TRUE(ReadsAsWritten(caption)) << Utf8(caption);
            EXPECT_TRUE(!HasChinese(caption) || readme.find(shown) != std::string::npos) << shown;
        }
    }
}

// Alt+S and Alt+J switch pages; the same letters without Alt are typing.
TEST_F(ProgramTest, LettersTypedWithoutAltReachTheEdits)
{
    Start();
    SetFocus(GetDlgItem(g_app.splitPage, IDC_SPLIT_FOLDER));
    for (char key : {'S', 'J'}) PostKeyDown(key);
    EXPECT_EQ(Pump(), kNoQuit);
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_FOLDER), "sj");
    ExpectPageShown(SPLIT_PAGE);
    PressAltWith('J');
    ExpectPageShown(JOIN_PAGE);
}

// The longest status texts, errors that end work, can be read whole: the
// status line shows them inside its frame and indent, or its tooltip does.
TEST_F(ProgramTest, TheLongestStatusTextsCanBeReadWhole)
{
    Start();
    HWND status = GetDlgItem(g_app.mainWindow, IDC_STATUS), tip = NULL;
    while ((tip = FindWindowExA(NULL, tip, TOOLTIPS_CLASSA, NULL)) && GetWindow(tip, GW_OWNER) != g_app.mainWindow) {}
    char noRoom[512], tipText[1024];
    snprintf(noRoom, sizeof noRoom, CatalogueText(MSG_NO_ROOM).c_str(), 4000000LL, 3999999LL);
    TOOLINFOA tool = {TTTOOLINFOA_V2_SIZE, 0, g_app.mainWindow, (UINT_PTR)status};
    tool.lpszText = tipText;
    for (const std::string &text : {std::string(noRoom), CatalogueText(MSG_IRREGULAR_PART) + std::string(36, 'v') + ".001",
                                    CatalogueText(MSG_STREAM_NAME), CatalogueText(MSG_PATH_TOO_LONG)}) {
        BeginWork(1);  // the tooltip follows the text that work ended with
        SetStatus(text.c_str());
        EndWork();
        SendMessageA(tip, TTM_GETTEXTA, sizeof tipText, (LPARAM)&tool);
        RECT line, needed = {0, 0, 0, 0};
        SendMessageA(status, SB_GETRECT, 0, (LPARAM)&line);
        HDC dc = GetDC(status);
        SelectObject(dc, (HFONT)SendMessageA(status, WM_GETFONT, 0, 0));
        DrawTextA(dc, Status().c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        ReleaseDC(status, dc);
        EXPECT_TRUE(text == tipText || needed.right <= line.right - line.left - 6) << text;
    }
}
