// The split page: file, folder, part size, and OK while a split can run.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "../engine/split.h"
#include "app.h"
#include "controls.h"
#include "pages.h"
#include "pickers.h"
#include "status.h"

// The split that the page's inputs ask for, read once from its controls.
struct SplitInputTexts {
    char file[PATH_SIZE], folder[PATH_SIZE], size[PATH_SIZE];
};

static void ReadSplitPlan(HWND page, SplitInputTexts *texts, SplitPlan *plan)
{
    MakeSplitPlan(GetItemText(page, IDC_SPLIT_FILE, texts->file), GetItemText(page, IDC_SPLIT_FOLDER, texts->folder),
                  ReadPartSize(GetItemText(page, IDC_SPLIT_SIZE, texts->size)), plan);
}

bool SplitInputsPresent(HWND page) { return ItemHasText(page, IDC_SPLIT_FILE) && ItemHasText(page, IDC_SPLIT_FOLDER); }

// The part count and the split rule, after every change of the three edits.
static void RefreshSplitPage(HWND page)
{
    SplitInputTexts texts;
    SplitPlan plan;
    ReadSplitPlan(page, &texts, &plan);
    char count[24];
    snprintf(count, sizeof count, "%lld", (long long)plan.parts);
    SetItemText(page, IDC_SPLIT_COUNT, count);
    EnableItem(page, IDC_OK, SplitInputsPresent(page) && MakesTwoParts(plan.inputs));
}

static void OnFileChange(HWND page)
{
    ClearStatus();
    RefreshSplitPage(page);
}

// The hidden floppy box mirrors whether the size is exactly the default.
static void OnSizeChange(HWND page)
{
    RefreshSplitPage(page);
    char size[PATH_SIZE];
    bool floppy = strcmp(GetItemText(page, IDC_SPLIT_SIZE, size), DEFAULT_PART_SIZE_TEXT) == 0;
    SendDlgItemMessageA(page, IDC_SPLIT_FLOPPY, BM_SETCHECK, floppy ? BST_CHECKED : BST_UNCHECKED, 0);
}

static void OnFloppyClick(HWND page)
{
    if (IsItemChecked(page, IDC_SPLIT_FLOPPY)) SetItemText(page, IDC_SPLIT_SIZE, DEFAULT_PART_SIZE_TEXT);
}

static void BrowseFileToSplit(HWND page)
{
    char filter[FILTER_TEXT_SIZE], title[MESSAGE_SIZE], path[PATH_SIZE] = "";
    MakePagesFilterText(filter);
    LoadMessage(MSG_PICK_SPLIT_TITLE, title, sizeof title);
    if (!PickOpenFile(g_app.mainWindow, title, filter, false, path, NULL)) return;
    SetItemText(page, IDC_SPLIT_FILE, path);
    SendDlgItemMessageA(page, IDC_SPLIT_FILE, EM_SETSEL, 0, -1);
    char folder[PATH_SIZE];
    CopyFolderPart(path, folder);
    SetItemText(page, IDC_SPLIT_FOLDER, folder);
    SetFocus(GetDlgItem(page, IDC_SPLIT_FILE));
}

static void BrowseSplitFolder(HWND page)
{
    char folder[PATH_SIZE];
    GetItemText(page, IDC_SPLIT_FOLDER, folder);
    if (PickFolder(page, folder)) SetItemTextAndSelect(page, IDC_SPLIT_FOLDER, folder);
}

// Asked by the split, after its checks, about parts of an earlier split of
// the same file in the folder: one question for the whole set.
static bool AskReplaceSet(const char *folder, const char *firstPiece)
{
    return AskAboutReplacing(MSG_REPLACE_SET, folder, firstPiece);
}

static void RunSplit(HWND page)
{
    // OK goes off before the split starts, and the split never enables it
    // again; the next change of an edit does.
    EnableItem(page, IDC_OK, false);
    SplitInputTexts texts;
    SplitPlan plan;
    ReadSplitPlan(page, &texts, &plan);
    SplitRule rule = {false, AskReplaceSet, false};
    BeginWork(2);  // the checksum pass, then the parts
    SplitFile(&plan, IsItemChecked(page, IDC_SPLIT_COPY_PROGRAM), &rule);
    EndWork();
}

static void OnSplitCommand(HWND page, WORD control, WORD code)
{
    switch (control) {
    case IDC_SPLIT_FILE: if (code == EN_CHANGE) OnFileChange(page); break;
    case IDC_SPLIT_FOLDER: if (code == EN_CHANGE) RefreshSplitPage(page); break;
    case IDC_SPLIT_SIZE: if (code == EN_CHANGE) OnSizeChange(page); break;
    case IDC_SPLIT_BROWSE_FILE: if (code == BN_CLICKED) BrowseFileToSplit(page); break;
    case IDC_SPLIT_BROWSE_FOLDER: if (code == BN_CLICKED) BrowseSplitFolder(page); break;
    case IDC_SPLIT_FLOPPY: if (code == BN_CLICKED) OnFloppyClick(page); break;
    case IDC_OK: RunSplit(page); break;
    }
}

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND: OnSplitCommand(page, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    }
    return FALSE;
}
