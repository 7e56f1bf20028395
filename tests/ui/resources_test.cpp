// The templates, menu and accelerators as the program loads them, read back
// from this module: the resource compiler adds style bits of its own unless
// told not to, and mangles the Chinese captions without the right code page.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/ids.h"

namespace {

std::string Narrow(const std::wstring &text)
{
    char utf8[512] = "";
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8, sizeof utf8, NULL, NULL);
    return utf8;
}

struct Control {
    int id;
    std::string windowClass;  // upper case, as the resource compiler stores names
    std::string caption;      // UTF-8
    int x, y, cx, cy;
    DWORD style;
};

struct Template {
    DWORD style;
    int x, y, cx, cy;
    int menu;
    std::string caption, font;
    int pointSize;
    std::vector<Control> controls;
};

class Reader {
public:
    explicit Reader(const BYTE *at) : at_(at) {}
    WORD Word()
    {
        WORD value;
        memcpy(&value, at_, 2);
        at_ += 2;
        return value;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | (DWORD)Word() << 16;
    }
    std::wstring String()
    {
        std::wstring text;
        for (WORD c = Word(); c; c = Word()) text += (wchar_t)c;
        return text;
    }
    // A name or, after 0xFFFF, an ordinal; the predefined control classes
    // by their ordinals.
    std::string NameOrOrdinal(int *ordinal = nullptr)
    {
        WORD first;
        memcpy(&first, at_, 2);
        if (first != 0xFFFF) return Narrow(String());
        Word();
        WORD value = Word();
        if (ordinal) *ordinal = value;
        switch (value) {
        case 0x80: return "BUTTON";
        case 0x81: return "EDIT";
        case 0x82: return "STATIC";
        case 0x83: return "LISTBOX";
        }
        return "#" + std::to_string(value);
    }
    void AlignDword(const BYTE *base) { at_ += (4 - (at_ - base) % 4) % 4; }

private:
    const BYTE *at_;
};

Template ReadTemplate(int id)
{
    HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
    EXPECT_TRUE(found) << "template " << id;
    const BYTE *base = found ? (const BYTE *)LockResource(LoadResource(NULL, found)) : nullptr;
    Template t = {};
    if (!base) return t;
    Reader r(base);
    t.style = r.Dword();
    EXPECT_EQ(r.Dword(), 0u) << "extended style";
    int count = r.Word();
    t.x = (short)r.Word();
    t.y = (short)r.Word();
    t.cx = (short)r.Word();
    t.cy = (short)r.Word();
    r.NameOrOrdinal(&t.menu);
    EXPECT_EQ(r.NameOrOrdinal(), "") << "window class";
    t.caption = Narrow(r.String());
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        t.font = Narrow(r.String());
    }
    for (int i = 0; i < count; i++) {
        r.AlignDword(base);
        Control c = {};
        c.style = r.Dword();
        EXPECT_EQ(r.Dword(), 0u) << "extended style of control " << i;
        c.x = (short)r.Word();
        c.y = (short)r.Word();
        c.cx = (short)r.Word();
        c.cy = (short)r.Word();
        c.id = (short)r.Word();
        c.windowClass = r.NameOrOrdinal();
        for (char &ch : c.windowClass) ch = (char)toupper((unsigned char)ch);
        c.caption = r.NameOrOrdinal();
        EXPECT_EQ(r.Word(), 0u) << "creation data of control " << i;
        t.controls.push_back(c);
    }
    return t;
}

void ExpectTemplate(int id, const Template &expected)
{
    SCOPED_TRACE("template " + std::to_string(id));
    Template actual = ReadTemplate(id);
    EXPECT_EQ(actual.style, expected.style);
    EXPECT_EQ(actual.x, expected.x);
    EXPECT_EQ(actual.y, expected.y);
    EXPECT_EQ(actual.cx, expected.cx);
    EXPECT_EQ(actual.cy, expected.cy);
    EXPECT_EQ(actual.menu, expected.menu);
    EXPECT_EQ(actual.caption, expected.caption);
    EXPECT_EQ(actual.font, "Arial");
    EXPECT_EQ(actual.pointSize, 8);
    ASSERT_EQ(actual.controls.size(), expected.controls.size());
    for (size_t i = 0; i < expected.controls.size(); i++) {
        const Control &a = actual.controls[i], &e = expected.controls[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " " + e.caption);
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.windowClass, e.windowClass);
        EXPECT_EQ(a.caption, e.caption);
        EXPECT_EQ(a.x, e.x);
        EXPECT_EQ(a.y, e.y);
        EXPECT_EQ(a.cx, e.cx);
        EXPECT_EQ(a.cy, e.cy);
        EXPECT_EQ(a.style, e.style) << std::hex << a.style << " != " << e.style;
    }
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;

}  // namespace

TEST(Resources, MainWindowTemplate)
{
    ExpectTemplate(IDD_MAIN, {0x90C808C0, 0, 0, 161, 213, IDR_MENU, "Partello", "Arial", 8,
                              {
                                  {IDC_TABS, "SYSTABCONTROL32", "", 7, 9, 146, 184, 0x50008800},
                                  {IDC_STATUS, "MSCTLS_STATUSBAR32", "", 0, 199, 161, 12, 0x50000000},
                              }});
}

TEST(Resources, SplitPageTemplate)
{
    ExpectTemplate(IDD_SPLIT_PAGE,
                   {WS_CHILD | DS_SETFONT, 2, 14, 140, 168, 0, "", "Arial", 8,
                    {
                        {0, "STATIC", "需要分割的文件", 7, 10, 69, 10, kChild | WS_GROUP | SS_LEFT},
                        {12, "BUTTON", "浏览", 90, 6, 43, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON},
                        {11, "EDIT", "", 7, 25, 127, 14, kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
                        {0, "STATIC", "保存到文件夹", 7, 50, 55, 10, kChild | WS_GROUP | SS_LEFT},
                        {14, "BUTTON", "浏览", 90, 46, 43, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON},
                        {13, "EDIT", "", 7, 65, 127, 14, kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
                        {0, "BUTTON", "分割尺寸:", 8, 85, 127, 55, kChild | WS_GROUP | BS_GROUPBOX},
                        {15, "BUTTON", "Floppy &disk (1.44 M)", 16, 99, 8, 8,
                         WS_CHILD | WS_TABSTOP | BS_AUTOCHECKBOX | BS_NOTIFY},
                        {16, "EDIT", "", 17, 107, 53, 14, kChild | WS_BORDER | WS_TABSTOP | ES_RIGHT | ES_NUMBER},
                        {0, "STATIC", "kb", 75, 110, 13, 9, kChild | SS_LEFT},
                        {17, "BUTTON", "备份原始文件", 9, 149, 93, 12, kChild | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX},
                        {9, "BUTTON", "确保", 104, 147, 31, 14,
                         kChild | WS_DISABLED | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
                        {18, "STATIC", "", 100, 107, 27, 14,
                         kChild | WS_TABSTOP | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN},
                        {0, "STATIC", "MAINICON", 102, 94, 20, 20, WS_CHILD | WS_GROUP | SS_ICON},
                    }});
}

TEST(Resources, JoinPageTemplate)
{
    ExpectTemplate(IDD_JOIN_PAGE,
                   {WS_CHILD | DS_SETFONT, 2, 14, 140, 168, 0, "", "Arial", 8,
                    {
                        {0, "STATIC", "合并的文件:", 7, 10, 74, 10, kChild | WS_GROUP | SS_LEFT},
                        {12, "BUTTON", "浏览", 90, 6, 43, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON},
                        {20, "LISTBOX", "", 7, 26, 127, 74,
                         kChild | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT | LBS_HASSTRINGS |
                             LBS_NOSEL},
                        {0, "STATIC", "保存好：", 7, 105, 55, 10, kChild | WS_GROUP | SS_LEFT},
                        {14, "BUTTON", "浏览", 90, 102, 43, 14, kChild | WS_TABSTOP | BS_PUSHBUTTON},
                        {13, "EDIT", "", 7, 121, 127, 14, kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
                        {17, "BUTTON", "删除原始文件", 7, 150, 103, 10, kChild | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX},
                        {9, "BUTTON", "确定", 104, 147, 31, 14,
                         kChild | WS_DISABLED | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
                    }});
}

TEST(Resources, MenuHasExitAndAbout)
{
    HMENU menu = LoadMenuW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDR_MENU));
    ASSERT_TRUE(menu);
    struct Item {
        int popup;
        std::string popupCaption, caption;
        UINT command;
    } items[] = {{0, "文件", "退出\tESC", IDM_EXIT}, {1, "帮助", "关于", IDM_ABOUT}};
    EXPECT_EQ(GetMenuItemCount(menu), 2);
    for (const Item &item : items) {
        wchar_t text[64] = L"";
        GetMenuStringW(menu, item.popup, text, 64, MF_BYPOSITION);
        EXPECT_EQ(Narrow(text), item.popupCaption);
        HMENU popup = GetSubMenu(menu, item.popup);
        ASSERT_EQ(GetMenuItemCount(popup), 1);
        EXPECT_EQ(GetMenuItemID(popup, 0), item.command);
        GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
        EXPECT_EQ(Narrow(text), item.caption);
    }
    DestroyMenu(menu);
}

TEST(Resources, AcceleratorsInOrder)
{
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_TRUE(table);
    ACCEL entries[8];
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 8), 4);
    const ACCEL expected[] = {{FVIRTKEY | FALT, 0x53, IDM_SHOW_SPLIT},
                              {FVIRTKEY | FALT, 0x4A, IDM_SHOW_JOIN},
                              {FVIRTKEY, VK_ESCAPE, IDM_EXIT},
                              {FVIRTKEY, VK_F1, IDM_HELP}};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(entries[i].fVirt & ~0x80, expected[i].fVirt) << i;
        EXPECT_EQ(entries[i].key, expected[i].key) << i;
        EXPECT_EQ(entries[i].cmd, expected[i].cmd) << i;
    }
}
