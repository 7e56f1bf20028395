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

static HWND GetJoinList(HWND page) { return GetDlgItem(page, IDC_JOIN_LIST); }

static int CountListEntries(HWND page) { return (int)SendMessageA(GetJoinList(page), LB_GETCOUNT, 0, 0); }

// Entry `index` into `text` (PATH_SIZE); an entry too long for it reads as empty.
static void GetListEntry(HWND page, int index, char *text)
{
    text[0] = '\0';
    HWND list = GetJoinList(page);
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length >= 0 && length < PATH_SIZE) SendMessageA(list, LB_GETTEXT, index, (LPARAM)text);
}

static void AddMessageEntry(HWND list)
{
    char text[MESSAGE_SIZE];
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)LoadMessage(MSG_ONLY_NUMBERED, text, sizeof text));
}

// True when the join would refuse the set; it then says why at once, when
// `show`, without the beep that comes with the refusal.
static bool FindSetFault(const PartSet *set, bool show)
{
    const char **names = PointToNames(&set->names);
    if (!names) return false;
    PartSetCheck check;
    bool fault = CheckWholeSet(names, set->names.count, set->places, set->otherRun, &check) != PART_SET_WHOLE;
    if (fault && show) {
        char path[PATH_SIZE];
        EngineEvent event;
        DescribeSetFault(&check, names, set->folder, set->places, &event, path);
        ReportOutcome(&event);
    }
    free(names);
    return fault;
}

// Fills the list with `path`'s set; a set the join would refuse says so
// when `showFault`.
static bool FillJoinList(HWND page, const char *path, bool showFault)
{
    g_app.pickedOutput[0] = '\0';
    g_app.discoveries++;
    HWND list = GetJoinList(page);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    PartSet &set = g_app.joinSet;
    ClearNameList(&set.names);
    DiscoverPartSet(path, &set);
    bool shown = set.outcome == DISCOVERY_FOUND && set.names.count != 1;
    // The list shows MSG_ONLY_NUMBERED in place of a set that is no
    // numbered set.
    if (IsUnnumbered(&set))
        AddMessageEntry(list);
    else if (shown)
        for (int i = 0; i < set.names.count; i++) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)set.names.names[i]);
    g_app.joinListRefused = CanJoinPartSet(&set) && FindSetFault(&set, showFault);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
    if (shown) {
        // Focus to save-as Browse, then once round the dialog's own focus
        // handling so that the default button follows it.
        SetFocus(GetDlgItem(page, IDC_JOIN_BROWSE_OUTPUT));
        PostMessageA(page, WM_NEXTDLGCTL, 0, FALSE);
        PostMessageA(page, WM_NEXTDLGCTL, 1, FALSE);
    }
    return shown;
}

bool DiscoverParts(const char *path) { return FillJoinList(g_app.joinPage, path, true); }

// After a join that deleted its parts the list holds what is left of the
// set, usually nothing. The join's result stays on the status line.
static void RefreshJoinList(HWND page, const PartSet *set)
{
    char path[PATH_SIZE];
    if (MakePartPath(set->folder, set->names.names[0], path)) FillJoinList(page, path, false);
}

// The listed set for one join, a copy of its own: a discovery while the
// join asks its question may replace the list's. False when out of memory.
static bool CopyJoinSet(PartSet *set)
{
    *set = g_app.joinSet;
    memset(&set->names, 0, sizeof set->names);
    for (int i = 0; i < g_app.joinSet.names.count; i++)
        if (!AddName(&set->names, g_app.joinSet.names.names[i])) return false;
    return true;
}

// Two entries or more are the names of a set that CanJoinPartSet passed:
// the message entry stands alone. A set the join would refuse is no set
// to join.
static bool IsReadyToJoin(HWND page)
{
    return HoldsASet(CountListEntries(page)) && !g_app.joinListRefused && ItemHasText(page, IDC_JOIN_OUTPUT);
}

static void ApplyJoinRuleTo(HWND page) { EnableItem(page, IDC_OK, IsReadyToJoin(page)); }

void ApplyJoinRule() { ApplyJoinRuleTo(g_app.joinPage); }

static void SuggestFromList(HWND page, char *name)
{
    name[0] = '\0';
    if (CountListEntries(page) <= 0) return;
    char first[PATH_SIZE];
    GetListEntry(page, 0, first);
    SuggestOutputName(first, name, PATH_SIZE);
}

void SuggestListOutputName(char *name) { SuggestFromList(g_app.joinPage, name); }

static void BrowsePart(HWND page)
{
    ClearStatus();
    char filter[FILTER_TEXT_SIZE], title[MESSAGE_SIZE], path[PATH_SIZE] = "";
    MakePagesFilterText(filter);
    LoadMessage(MSG_PICK_PART_TITLE, title, sizeof title);
    if (!PickOpenFile(g_app.mainWindow, title, filter, true, path, NULL)) return;
    FillJoinList(page, path, true);
    // Also after a failed discovery: its list can never be joined.
    ApplyJoinRuleTo(page);
}

// A relative output name means a file beside the parts: a window
// program's current folder is wherever it happened to be started from.
// False when the two do not fit one path.
static bool PlaceBesideParts(const char *output, char *path)
{
    bool rooted = IsPathSeparator(output[0]) || (output[0] && output[1] == ':');
    return MakePartPath(rooted ? "" : g_app.joinSet.folder, output, path);
}

// The picker opens in the parts' folder with the suggested name.
static void BrowseOutput(HWND page)
{
    char title[MESSAGE_SIZE], suggested[PATH_SIZE], name[PATH_SIZE];
    SuggestFromList(page, suggested);
    if (!MakePartPath(g_app.joinSet.folder, suggested, name)) strcpy(name, suggested);
    LoadMessage(MSG_PICK_OUTPUT_TITLE, title, sizeof title);
    if (!PickSaveFile(g_app.mainWindow, title, NULL, name, g_app.joinSet.folder)) return;
    // Before the text: its change notification compares with it.
    strcpy(g_app.pickedOutput, name);
    g_app.pickedExisting = LookUpEntry(name, &g_app.pickedFile) == ENTRY_FILE;
    SetItemTextAndSelect(page, IDC_JOIN_OUTPUT, name);
}

static void OnOutputChange(HWND page)
{
    char output[PATH_SIZE];
    if (strcmp(GetItemText(page, IDC_JOIN_OUTPUT, output), g_app.pickedOutput) != 0) g_app.pickedOutput[0] = '\0';
    ApplyJoinRuleTo(page);
}

// Asked by the join, after its checks, about a file at the output name that
// no answer covers: typed, left from an earlier join, kept for a new set,
// or there since the picker's answer.
static bool AskReplaceOutput(const char *output)
{
    unsigned discoveries = g_app.discoveries;
    bool yes = AskAboutReplacing(MSG_REPLACE_OUTPUT, output, NULL);
    // The box runs its own message loop: a drop meanwhile put another set in
    // the list, which is not what the user answered for. A Yes then says
    // why nothing happens.
    g_app.replaceDeclined = !yes || discoveries != g_app.discoveries;
    if (yes && g_app.replaceDeclined) ShowOutcome(MSG_LIST_CHANGED);
    return !g_app.replaceDeclined;
}

// A name cut to the field's limit would be another file.
static bool IsOutputTooLong(HWND page)
{
    return SendDlgItemMessageW(page, IDC_JOIN_OUTPUT, WM_GETTEXTLENGTH, 0, 0) > PATH_CHARS - 1;
}

// The copy, and a checksum pass over the output when the set has a
// checksum file to compare with.
static int CountJoinPasses(const PartSet *set)
{
    char path[PATH_SIZE];
    int count = set->names.count;
    return count > 0 && FindChecksumFile(set->folder, set->names.names[count - 1], path) == CHECKSUM_FOUND ? 2 : 1;
}

static void RunJoin(HWND page)
{
    // A command sent past the disabled button must not join a list that is
    // gone over the file it was joined into.
    if (!IsReadyToJoin(page)) return;
    char typed[PATH_SIZE], output[PATH_SIZE];
    if (IsOutputTooLong(page) || !PlaceBesideParts(GetItemText(page, IDC_JOIN_OUTPUT, typed), output)) {
        ShowError(MSG_PATH_TOO_LONG);
        return;
    }
    OutputRule rule;
    memset(&rule, 0, sizeof rule);
    rule.agreed = g_app.pickedExisting && strcmp(typed, g_app.pickedOutput) == 0;
    rule.agreedFile = g_app.pickedFile;
    rule.askReplace = AskReplaceOutput;
    // The picker's question covered one join.
    g_app.pickedOutput[0] = '\0';
    g_app.replaceDeclined = false;
    // OK goes off before the join starts, and the join never enables it
    // again; the join rule does.
    EnableItem(page, IDC_OK, false);
    PartSet set;
    if (!CopyJoinSet(&set)) {
        ClearNameList(&set.names);
        ShowError(MSG_OUT_OF_MEMORY);
        return;
    }
    bool deleteParts = IsItemChecked(page, IDC_JOIN_DELETE_PARTS);
    BeginWork(CountJoinPasses(&set));
    OperationResult result = JoinPartSet(&set, output, deleteParts, &rule);
    EndWork();
    if (result == OPERATION_DONE && deleteParts) RefreshJoinList(page, &set);
    ClearNameList(&set.names);
    // No join ran: the page is as it was.
    if (g_app.replaceDeclined) ApplyJoinRuleTo(page);
}

static void OnJoinCommand(HWND page, WORD control, WORD code)
{
    switch (control) {
    case IDC_OK: RunJoin(page); break;
    case IDC_JOIN_BROWSE_PART: if (code == BN_CLICKED) BrowsePart(page); break;
    case IDC_JOIN_OUTPUT: if (code == EN_CHANGE) OnOutputChange(page); break;
    case IDC_JOIN_BROWSE_OUTPUT: if (code == BN_CLICKED) BrowseOutput(page); break;
    }
}

INT_PTR CALLBACK JoinPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND: OnJoinCommand(page, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    }
    return FALSE;
}
