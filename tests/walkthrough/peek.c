/* Reads the running program from outside, as any process may, for
   scripts/try-as-user:
     peek state                         one line per item: status, page, ok,
                                        count, list, focus, foreground
     peek where split|join|main|about ID  the screen rectangle of a control
     peek menubar                       the screen rectangle of the menu bar
   A helper of the walkthrough only: it is no part of the program. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "resources/ids.h"

static HWND mainWindow;

static HWND FindPage(int marker)
{
    HWND tab = GetDlgItem(mainWindow, IDC_TABS);
    for (HWND child = GetWindow(tab, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, marker)) return child;
    return NULL;
}

static void ReadText(HWND window, char *text, int size)
{
    DWORD_PTR copied = 0;
    text[0] = '\0';
    if (!SendMessageTimeoutA(window, WM_GETTEXT, size, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &copied)) text[0] = '\0';
}

static const char *NameWindow(HWND window, HWND split, HWND join, char *name)
{
    if (!window) return "none";
    HWND parent = GetParent(window);
    const char *owner = parent == split ? "split" : parent == join ? "join" : parent == mainWindow ? "main" : window == split ? "split-page" : window == join ? "join-page" : "other";
    sprintf(name, "%s:%d", owner, GetDlgCtrlID(window));
    return name;
}

int main(int argc, char **argv)
{
    mainWindow = FindWindowA(NULL, "Partello");
    if (!mainWindow || argc < 2) return 1;
    HWND split = FindPage(IDC_SPLIT_SIZE), join = FindPage(IDC_JOIN_LIST);
    RECT r;
    if (!strcmp(argv[1], "where") && argc == 4) {
        HWND dialog = !strcmp(argv[2], "split") ? split : !strcmp(argv[2], "join") ? join : mainWindow;
        if (!strcmp(argv[2], "about")) dialog = FindWindowW(NULL, L"\x5173\x4e8e"); /* the About box */
        if (!GetWindowRect(GetDlgItem(dialog, atoi(argv[3])), &r)) return 1;
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (!strcmp(argv[1], "menubar")) {
        /* Menus do not answer other processes: the bar lies between the
           title bar and the client area. */
        TITLEBARINFO title = {sizeof title};
        POINT client = {0, 0};
        if (!GetTitleBarInfo(mainWindow, &title) || !ClientToScreen(mainWindow, &client) || !GetClientRect(mainWindow, &r)) return 1;
        printf("%ld %ld %ld %ld\n", client.x, title.rcTitleBar.bottom, client.x + r.right, client.y);
        return 0;
    }
    char text[300], name[64];
    HWND page = IsWindowVisible(join) ? join : split;
    ReadText(GetDlgItem(mainWindow, IDC_STATUS), text, sizeof text);
    printf("status=%s\n", text);
    printf("page=%s\n", page == join ? "join" : "split");
    printf("ok=%d\n", IsWindowEnabled(GetDlgItem(page, IDC_OK)) ? 1 : 0);
    ReadText(GetDlgItem(split, IDC_SPLIT_COUNT), text, sizeof text);
    printf("count=%s\n", text);
    DWORD_PTR entries = 0;
    SendMessageTimeoutA(GetDlgItem(join, IDC_JOIN_LIST), LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &entries);
    printf("list=%d\n", (int)entries);
    GUITHREADINFO info = {sizeof info};
    GetGUIThreadInfo(GetWindowThreadProcessId(mainWindow, NULL), &info);
    printf("focus=%s\n", NameWindow(info.hwndFocus, split, join, name));
    printf("foreground=%d\n", GetForegroundWindow() == mainWindow ? 1 : 0);
    return 0;
}
