// The join page: the discovered parts, the output name, and OK while a join
// can run.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../engine/discovery.h"
#include "../engine/join.h"
#include "app.h"
#include "controls.h"
#include "pages.h"
#include "pickers.h"
#include "status.h"

char g_joinFolder[PATH_SIZE];
NumberPlaces g_joinPlaces;

// The output name exactly as the save picker returned it, after the picker
// itself asked about replacing that file; "" when there is none. Other text
// in the output name field, a new discovery or a join ends it.
static char g_pickedOutput[PATH_SIZE];
// Counts discoveries, so that one run while a question was open is seen.
static unsigned g_discoveries;

static HWND GetJoinList() { return GetDlgItem(g_joinPage, IDC_JOIN_LIST); }

static int CountListEntries() { return (int)SendMessageA(GetJoinList(), LB_GETCOUNT, 0, 0); }

// Entry `index` into `text` (PATH_SIZE); an entry too long for it reads as empty.
static void GetListEntry(int index, char *text)
{
    text[0] = '\0';
    LRESULT length = SendMessageA(GetJoinList(), LB_GETTEXTLEN, index, 0);
    if (length >= 0 && length < PATH_SIZE) SendMessageA(GetJoinList(), LB_GETTEXT, index, (LPARAM)text);
}

static void AddMessageEntry()
{
    char text[MESSAGE_SIZE];
    SendMessageA(GetJoinList(), LB_ADDSTRING, 0, (LPARAM)LoadMessage(MSG_ONLY_NUMBERED, text, sizeof text));
}

// A set that the join would refuse says so at once, without the beep that
// comes with the refusal.
static void ShowSetFault(const PartSet *set)
{
    const char **names = PointToNames(&set->names);
    if (!names) return;
    SetCheck check;
    if (CheckPartSet(names, set->names.count, set->places, &check) != SET_WHOLE) {
        char text[MESSAGE_SIZE];
        FormatSetFault(&check, names, text, sizeof text);
        SetStatus(text);
    }
    free(names);
}

// Fills the list with `path`'s set; a set the join would refuse says so
// when `showFault`.
static bool FillJoinList(const char *path, bool showFault)
{
    g_pickedOutput[0] = '\0';
    g_discoveries++;
    HWND list = GetJoinList();
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    PartSet set;
    DiscoverPartSet(path, &set);
    strcpy(g_joinFolder, set.folder);
    g_joinPlaces = set.places;
    bool shown = set.outcome == DISCOVERY_FOUND && set.names.count != 1;
    if (NeedsMessageEntry(&set))
        AddMessageEntry();
    else if (shown)
        for (int i = 0; i < set.names.count; i++) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)set.names.names[i]);
    if (showFault && CanJoinPartSet(&set)) ShowSetFault(&set);
    ClearNameList(&set.names);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
    if (shown) {
        // Focus to save-as Browse, then once round the dialog's own focus
        // handling so that the default button follows it.
        SetFocus(GetDlgItem(g_joinPage, IDC_JOIN_BROWSE_OUTPUT));
        PostMessageA(g_joinPage, WM_NEXTDLGCTL, 0, FALSE);
        PostMessageA(g_joinPage, WM_NEXTDLGCTL, 1, FALSE);
    }
    return shown;
}

bool DiscoverParts(const char *path) { return FillJoinList(path, true); }

// After a join that deleted its parts the list holds what is left of the
// set, usually nothing. The join's result stays on the status line.
static void RefreshJoinList(const char *firstEntry)
{
    char path[PATH_SIZE];
    int length = snprintf(path, sizeof path, "%s%s", g_joinFolder, firstEntry);
    if (length > 0 && length < PATH_SIZE) FillJoinList(path, false);
}

// The list as the set to join: its entries, in order, with the folder and
// number places of the discovery that filled it. False when out of memory.
static bool ReadJoinList(PartSet *set)
{
    memset(set, 0, sizeof *set);
    strcpy(set->folder, g_joinFolder);
    set->places = g_joinPlaces;
    set->outcome = DISCOVERY_FOUND;
    int count = CountListEntries();
    for (int i = 0; i < count; i++) {
        char entry[PATH_SIZE];
        GetListEntry(i, entry);
        if (!AddName(&set->names, entry)) return false;
    }
    return true;
}

// Two entries or more are the names of a set that CanJoinPartSet passed:
// the message entry stands alone.
static bool IsReadyToJoin() { return CountListEntries() >= 2 && ItemHasText(g_joinPage, IDC_JOIN_OUTPUT); }

void ApplyJoinRule() { EnableItem(g_joinPage, IDC_OK, IsReadyToJoin()); }

void SuggestListOutputName(char *name)
{
    name[0] = '\0';
    if (CountListEntries() <= 0) return;
    char first[PATH_SIZE];
    GetListEntry(0, first);
    SuggestOutputName(first, name, PATH_SIZE);
}

static void BrowsePart()
{
    ClearStatus();
    char filter[FILTER_TEXT_SIZE], title[MESSAGE_SIZE], path[PATH_SIZE] = "";
    MakePagesFilterText(filter);
    LoadMessage(MSG_PICK_PART_TITLE, title, sizeof title);
    if (!PickOpenFile(g_mainWindow, title, filter, true, path, NULL)) return;
    DiscoverParts(path);
    // Also after a failed discovery: its list can never be joined.
    ApplyJoinRule();
}

static void BrowseOutput()
{
    char title[MESSAGE_SIZE], name[PATH_SIZE];
    SuggestListOutputName(name);
    LoadMessage(MSG_PICK_OUTPUT_TITLE, title, sizeof title);
    if (!PickSaveFile(g_mainWindow, title, NULL, name, NULL)) return;
    // Before the text: its change notification compares with it.
    strcpy(g_pickedOutput, name);
    PutItemText(g_joinPage, IDC_JOIN_OUTPUT, name);
}

static void TakeOutputChange()
{
    char output[PATH_SIZE];
    if (strcmp(GetItemText(g_joinPage, IDC_JOIN_OUTPUT, output), g_pickedOutput) != 0) g_pickedOutput[0] = '\0';
    ApplyJoinRule();
}

// An existing file that the user did not choose in the save picker (typed,
// left from an earlier join, or kept for a new set) is replaced only after
// a Yes. The box is narrow like every other text: the name comes from the
// field in the same code page.
static bool MayReplaceOutput(const char *output)
{
    if (!IsFilePath(output) || strcmp(output, g_pickedOutput) == 0) return true;
    char text[MESSAGE_SIZE + PATH_SIZE], full[PATH_SIZE], caption[MESSAGE_SIZE] = "";
    DWORD length = GetFullPathNameA(output, sizeof full, full, NULL);
    LoadMessage(MSG_REPLACE_OUTPUT, text, MESSAGE_SIZE);
    strcat(text, length > 0 && length < sizeof full ? full : output);
    GetWindowTextA(g_mainWindow, caption, sizeof caption);
    unsigned discoveries = g_discoveries;
    int answer = MessageBoxA(g_mainWindow, text, caption, MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING);
    // The box runs its own message loop: a drop meanwhile put another set in
    // the list, which is not what the user answered for.
    return answer == IDYES && discoveries == g_discoveries;
}

static void RunJoin()
{
    // A command sent past the disabled button must not join a list that is
    // gone over the file it was joined into.
    if (!IsReadyToJoin()) return;
    char output[PATH_SIZE];
    GetItemText(g_joinPage, IDC_JOIN_OUTPUT, output);
    if (!MayReplaceOutput(output)) return;
    // The picker's question covered one join.
    g_pickedOutput[0] = '\0';
    // The join never enables OK again; the join rule does.
    EnableItem(g_joinPage, IDC_OK, false);
    PartSet set;
    if (!ReadJoinList(&set)) {
        ClearNameList(&set.names);
        ShowError(MSG_OUT_OF_MEMORY);
        return;
    }
    bool deleteParts = IsItemChecked(g_joinPage, IDC_JOIN_DELETE_PARTS);
    if (JoinPartSet(&set, output, deleteParts) == OPERATION_DONE && deleteParts) RefreshJoinList(set.names.names[0]);
    ClearNameList(&set.names);
}

INT_PTR CALLBACK JoinPageProc(HWND, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_COMMAND) return FALSE;
    WORD code = HIWORD(wParam);
    switch (LOWORD(wParam)) {
    case IDC_OK: RunJoin(); break;
    case IDC_JOIN_BROWSE_PART: if (code == BN_CLICKED) BrowsePart(); break;
    case IDC_JOIN_OUTPUT: if (code == EN_CHANGE) TakeOutputChange(); break;
    case IDC_JOIN_BROWSE_OUTPUT: if (code == BN_CLICKED) BrowseOutput(); break;
    }
    return TRUE;
}
