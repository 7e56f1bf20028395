// The split page and the join page: their rules, and operations started
// from them.
#include <thread>

#include "ui/status.h"
#include "program_fixture.h"
#include "ui/pages.h"

namespace {

const size_t kKb = 1024;
const size_t kPart = 120 * kKb;  // the smallest part size, to keep files small

}  // namespace

TEST_F(ProgramTest, SplitRuleFollowsCountAndPresence)
{
    TempDir dir;
    MakeFile(dir / "empty", 0);
    MakeFile(dir / "small", kPart - 1);
    MakeFile(dir / "one", kPart);
    MakeFile(dir / "more", 2 * kPart + 1);
    MakeFile(dir / "floppy", 1474560);
    ASSERT_TRUE(CreateDirectoryA((dir / "folder").c_str(), NULL));
    Start();
    struct Case {
        std::string file, folder, size, count;
        bool ok;
    } cases[] = {
        {"", dir.Path(), "120", "0", false},
        {dir / "missing", dir.Path(), "120", "0", false},
        {dir / "folder", dir.Path(), "120", "0", false},
        {dir / "empty", dir.Path(), "120", "0", false},
        {dir / "small", dir.Path(), "120", "1", false},
        {dir / "one", dir.Path(), "120", "2", true},
        {dir / "one", "", "120", "2", false},
        {dir / "one", "x", "120", "2", true},  // the page does not look for the folder
        {dir / "more", dir.Path(), "120", "3", true},
        {dir / "more", dir.Path(), "119", "0", false},
        {dir / "more", dir.Path(), "abc", "0", false},
        {dir / "more", dir.Path(), "$78", "3", true},  // hexadecimal 120
        {dir / "more", dir.Path(), "2097152", "1", false},  // 2 GiB parts do not wrap round
        {dir / "floppy", dir.Path(), "1440", "2", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file + " | " + c.folder + " | " + c.size);
        SetText(g_app.splitPage, IDC_SPLIT_FILE, c.file);
        SetText(g_app.splitPage, IDC_SPLIT_FOLDER, c.folder);
        SetText(g_app.splitPage, IDC_SPLIT_SIZE, c.size);
        EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_COUNT), c.count);
        EXPECT_EQ(IsEnabled(g_app.splitPage, IDC_OK), c.ok);
        EXPECT_EQ(SplitInputsPresent(g_app.splitPage), !c.file.empty() && !c.folder.empty());
    }
}

// Each of the three edits re-applies the rule on its own.
TEST_F(ProgramTest, EveryEditReappliesTheSplitRule)
{
    TempDir dir;
    MakeFile(dir / "one", kPart);
    Start();
    SetText(g_app.splitPage, IDC_SPLIT_SIZE, "120");
    SetText(g_app.splitPage, IDC_SPLIT_FILE, dir / "one");
    EXPECT_FALSE(IsEnabled(g_app.splitPage, IDC_OK));
    Type(g_app.splitPage, IDC_SPLIT_FOLDER, 'x');
    EXPECT_TRUE(IsEnabled(g_app.splitPage, IDC_OK));
    Type(g_app.splitPage, IDC_SPLIT_SIZE, '9');  // 1209 KB: one part only
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_COUNT), "1");
    EXPECT_FALSE(IsEnabled(g_app.splitPage, IDC_OK));
    SetText(g_app.splitPage, IDC_SPLIT_SIZE, "120");
    Type(g_app.splitPage, IDC_SPLIT_FILE, 'x');  // names a missing file now
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_COUNT), "0");
    EXPECT_FALSE(IsEnabled(g_app.splitPage, IDC_OK));
}

TEST_F(ProgramTest, OnlyTheExactText1440TicksTheFloppyBox)
{
    Start();
    for (auto [size, ticked] : std::vector<std::pair<std::string, bool>>{
             {"01440", false}, {"1440", true}, {"14400", false}, {"", false}, {"1440", true}}) {
        SetText(g_app.splitPage, IDC_SPLIT_SIZE, size);
        EXPECT_EQ(IsChecked(g_app.splitPage, IDC_SPLIT_FLOPPY), ticked) << size;
    }
    // Ticking the box puts the floppy size back.
    SetText(g_app.splitPage, IDC_SPLIT_SIZE, "200");
    HWND floppy = GetDlgItem(g_app.splitPage, IDC_SPLIT_FLOPPY);
    SendMessageA(floppy, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(g_app.splitPage, WM_COMMAND, MAKEWPARAM(IDC_SPLIT_FLOPPY, BN_CLICKED), (LPARAM)floppy);
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_SIZE), "1440");
    EXPECT_TRUE(IsChecked(g_app.splitPage, IDC_SPLIT_FLOPPY));
    EXPECT_FALSE(IsVisible(floppy));
}

TEST_F(ProgramTest, TypingIntoTheFileEditAloneClearsTheStatus)
{
    Start();
    for (int control : {IDC_SPLIT_FOLDER, IDC_SPLIT_SIZE}) {
        SetStatus("Join Finished.");
        Type(g_app.splitPage, control, '1');
        EXPECT_EQ(Status(), " Join Finished.") << control;
    }
    Type(g_app.splitPage, IDC_SPLIT_FILE, 'a');
    EXPECT_EQ(Status(), " ");
}

TEST_F(ProgramTest, SplitFromThePageWritesThePartsAndDisablesOk)
{
    TempDir dir, out;
    std::string source = dir / "data.bin";
    MakeFile(source, 2 * kPart + 1);
    Start();
    FillSplitPage(source, out.Path());
    ASSERT_TRUE(IsEnabled(g_app.splitPage, IDC_OK));
    Click(g_app.splitPage, IDC_OK);
    EXPECT_EQ(Status(), Shown(MSG_SPLIT_DONE));
    EXPECT_EQ(SizeOf(out / "data.bin.001"), (int64_t)kPart);
    EXPECT_EQ(SizeOf(out / "data.bin.002"), (int64_t)kPart);
    EXPECT_EQ(SizeOf(out / "data.bin.003"), 1);
    EXPECT_EQ(SizeOf(out / "data.bin.999"), 4);
    EXPECT_FALSE(Exists(out / "data.bin.004"));
    EXPECT_FALSE(IsEnabled(g_app.splitPage, IDC_OK));
    // Emptied, or held by another program, after its count showed: the split says why.
    for (DWORD share : {DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE), DWORD(0)}) {
        MakeFile(source, 2 * kPart + 1);
        SetText(g_app.splitPage, IDC_SPLIT_SIZE, share ? "121" : "122");
        HANDLE held = CreateFileA(source.c_str(), GENERIC_WRITE, share, 0, share ? TRUNCATE_EXISTING : OPEN_EXISTING, 0, 0);
        Click(g_app.splitPage, IDC_OK);
        CloseHandle(held);
        EXPECT_EQ(Status(), Shown(share ? MSG_SOURCE_EMPTY : MSG_CANT_OPEN));
    }
    EXPECT_EQ(Pump(), kNoQuit);
    // Any change of an edit brings OK back while the rule holds.
    Type(g_app.splitPage, IDC_SPLIT_FOLDER, 'x');
    EXPECT_TRUE(IsEnabled(g_app.splitPage, IDC_OK));
}

// A split into a folder that holds an earlier set of the same name asks
// once: No keeps that set as it was, Yes replaces it whole.
TEST_F(ProgramTest, ResplitAsksBeforeReplacingAnEarlierSet)
{
    TempDir dir, out;
    std::string source = dir / "f.bin";
    MakeFile(source, 6 * kPart, 1);
    Start();
    FillSplitPage(source, out.Path());
    Click(g_app.splitPage, IDC_OK);
    ASSERT_TRUE(Exists(out / "f.bin.007"));
    const std::vector<unsigned char> earlierFirst = ReadBytes(out / "f.bin.001");
    MakeFile(source, 2 * kPart + 5, 2);
    for (int answer : {IDNO, IDYES}) {
        ModalAnswers answers(answer);
        FillSplitPage(source, out.Path());
        Click(g_app.splitPage, IDC_OK);
        EXPECT_EQ(answers.boxes.size(), 1u) << answer;
        bool replaced = answer == IDYES;
        EXPECT_EQ(Exists(out / "f.bin.004") || Exists(out / "f.bin.007"), !replaced) << answer;
        EXPECT_EQ(ReadBytes(out / "f.bin.001") == earlierFirst, !replaced) << answer;
        if (replaced) EXPECT_EQ(Status(), Shown(MSG_SPLIT_DONE));
    }
    EXPECT_EQ(SizeOf(out / "f.bin.003"), 5);
}

// Enter starts the split through the loop; the ESC queued behind it is the
// probe's, not the quit accelerator's.
TEST_F(ProgramTest, EscapeQueuedDuringASplitCancelsItWithoutQuitting)
{
    TempDir dir, out;
    std::string source = dir / "data.bin";
    MakeFile(source, 2 * kPart + 1);
    Start();
    SetText(g_app.splitPage, IDC_SPLIT_FOLDER, out.Path());
    SetText(g_app.splitPage, IDC_SPLIT_SIZE, "120");
    SetText(g_app.splitPage, IDC_SPLIT_FILE, source);
    SetFocus(GetDlgItem(g_app.splitPage, IDC_SPLIT_FILE));
    ASSERT_TRUE(IsEnabled(g_app.splitPage, IDC_OK));
    PostKeyDown(VK_RETURN);
    PostKeyDown(VK_ESCAPE);
    EXPECT_EQ(Pump(200), kNoQuit);
    EXPECT_EQ(Status(), Shown(MSG_CANCELLED));
    EXPECT_FALSE(Exists(out / "data.bin.003"));
    EXPECT_FALSE(IsEnabled(g_app.splitPage, IDC_OK));
    EXPECT_TRUE(IsWindow(g_app.mainWindow));
}

TEST_F(ProgramTest, JoinRuleNeedsTwoEntriesAndAName)
{
    TempDir dir;
    MakeFile(dir / "x.001", 1);
    MakeFile(dir / "x.002", 1);
    MakeFile(dir / "y.001", 1);
    Start();
    PressAltWith('J');
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, "out");
    OpenPath((dir / "y.001").c_str(), true);  // one part: the message entry
    EXPECT_FALSE(IsEnabled(g_app.joinPage, IDC_OK));
    OpenPath((dir / "x.001").c_str(), true);
    EXPECT_TRUE(IsEnabled(g_app.joinPage, IDC_OK));
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, "");
    EXPECT_FALSE(IsEnabled(g_app.joinPage, IDC_OK));
    Type(g_app.joinPage, IDC_JOIN_OUTPUT, 'o');
    EXPECT_TRUE(IsEnabled(g_app.joinPage, IDC_OK));
}

TEST_F(ProgramTest, DiscoveryFillsTheListAndMovesTheFocus)
{
    TempDir dir;
    for (const char *name : {"movie.avi.003", "movie.avi.001", "movie.avi.999", "movie.avi.002", "notes.txt"})
        MakeFile(dir / name, 1);
    Start();
    PressAltWith('J');
    EXPECT_TRUE(DiscoverParts((dir / "movie.avi.999").c_str()));
    EXPECT_EQ(JoinList(), (std::vector<std::string>{"movie.avi.001", "movie.avi.002", "movie.avi.003"}));
    EXPECT_STREQ(g_app.joinSet.folder, dir.Path().c_str());
    Pump();
    EXPECT_EQ(GetFocus(), GetDlgItem(g_app.joinPage, IDC_JOIN_BROWSE_OUTPUT));

    EXPECT_FALSE(DiscoverParts((dir / "notes.txt").c_str()));
    EXPECT_EQ(JoinList(), std::vector<std::string>{CatalogueText(MSG_ONLY_NUMBERED)});
    EXPECT_FALSE(DiscoverParts((dir / "nothing.001").c_str()));
    EXPECT_TRUE(JoinList().empty());
}

TEST_F(ProgramTest, SuggestedOutputNameComesFromTheFirstEntry)
{
    Start();
    HWND list = GetDlgItem(g_app.joinPage, IDC_JOIN_LIST);
    struct Case {
        std::vector<std::string> entries;
        std::string name;
    } cases[] = {
        {{}, ""},
        {{"x.002", "x.001", "x.003"}, "x"},  // the list sorts: x.001 is first
    };
    for (const Case &c : cases) {
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        for (const std::string &entry : c.entries) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)entry.c_str());
        char name[PATH_SIZE] = "unchanged";
        SuggestListOutputName(name);
        EXPECT_EQ(name, c.name) << (c.entries.empty() ? "(empty)" : c.entries[0]);
    }
}

TEST_F(ProgramTest, SplitThenJoinFromThePages)
{
    TempDir dir, parts;
    std::string source = dir / "data.bin";
    MakeFile(source, 3 * kPart, 11);  // an exact multiple: an empty last part
    Start();
    FillSplitPage(source, parts.Path());
    EXPECT_EQ(ItemText(g_app.splitPage, IDC_SPLIT_COUNT), "4");
    Click(g_app.splitPage, IDC_OK);
    ASSERT_EQ(Status(), Shown(MSG_SPLIT_DONE));
    EXPECT_EQ(SizeOf(parts / "data.bin.004"), 0);

    DropFiles({parts / "data.bin.001"});
    ExpectPageShown(JOIN_PAGE);
    ASSERT_EQ(JoinList().size(), 4u);
    std::string output = parts / "data.bin";
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, "data.bin");  // a bare name: beside the parts
    SendDlgItemMessageA(g_app.joinPage, IDC_JOIN_DELETE_PARTS, BM_SETCHECK, BST_CHECKED, 0);
    ASSERT_TRUE(IsEnabled(g_app.joinPage, IDC_OK));
    Click(g_app.joinPage, IDC_OK);
    EXPECT_EQ(Status(), Shown(MSG_CHECKSUMS_MATCH));
    EXPECT_EQ(ReadBytes(output), ReadBytes(source));
    EXPECT_FALSE(Exists(parts / "data.bin.001"));
    EXPECT_FALSE(Exists(parts / "data.bin.999"));
    EXPECT_FALSE(IsEnabled(g_app.joinPage, IDC_OK));
    EXPECT_EQ(Pump(), kNoQuit);

    // The deleted parts are not listed any more, so retyping the name does
    // not bring OK back, and an OK sent anyway asks nothing and joins
    // nothing over what is now the only copy.
    EXPECT_TRUE(JoinList().empty());
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, output);
    EXPECT_FALSE(IsEnabled(g_app.joinPage, IDC_OK));
    ModalAnswers answers(IDYES);
    SendMessageA(g_app.joinPage, WM_COMMAND, MAKEWPARAM(IDC_OK, BN_CLICKED), 0);
    EXPECT_EQ(Pump(), kNoQuit);
    EXPECT_TRUE(answers.boxes.empty());
    EXPECT_EQ(Status(), Shown(MSG_CHECKSUMS_MATCH));
    EXPECT_EQ(ReadBytes(output), ReadBytes(source));
}

// A click on OK puts the focus on it, and the operation then disables it.
// The keyboard has to stay with the page: with the focus on no window, keys
// come as system keys, so ESC would slip past the cancel probe during the
// operation and quit the program after it.
TEST_F(ProgramTest, OkClickedLeavesTheFocusOnAnEnabledControlOfThePage)
{
    TempDir dir, parts, joined;
    std::string source = dir / "data.bin";
    MakeFile(source, 2 * kPart + 1);
    Start();
    FillSplitPage(source, parts.Path());
    auto clickOk = [&](HWND page, const std::string &status) {
        SCOPED_TRACE(status);
        ASSERT_TRUE(IsEnabled(page, IDC_OK));
        Click(page, IDC_OK);
        EXPECT_EQ(Status(), status);
        HWND focus = GetFocus();
        EXPECT_TRUE(focus && IsChild(page, focus) && IsWindowEnabled(focus));
        EXPECT_EQ(Pump(), kNoQuit);
    };
    clickOk(g_app.splitPage, Shown(MSG_SPLIT_DONE));
    DropFiles({parts / "data.bin.001"});
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, joined / "data.bin");
    clickOk(g_app.joinPage, Shown(MSG_CHECKSUMS_MATCH));
}

// A set with a hole is listed as found, says what is missing at once, and
// the join refuses it without writing or deleting anything.
TEST_F(ProgramTest, BrokenSetIsListedAndRefused)
{
    TempDir dir, joined;
    std::string source = dir / "data.bin";
    MakeFile(source, 4 * kPart + 1);
    Start();
    FillSplitPage(source, dir.Path());
    Click(g_app.splitPage, IDC_OK);
    ASSERT_EQ(Status(), Shown(MSG_SPLIT_DONE));
    ASSERT_TRUE(DeleteFileA((dir / "data.bin.003").c_str()));

    DropFiles({dir / "data.bin.002"});
    EXPECT_EQ(JoinList(), (std::vector<std::string>{"data.bin.001", "data.bin.002", "data.bin.004", "data.bin.005"}));
    EXPECT_EQ(Status(), Shown(MSG_PART_MISSING) + "003");
    std::string output = joined / "data.bin";
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, output);
    SendDlgItemMessageA(g_app.joinPage, IDC_JOIN_DELETE_PARTS, BM_SETCHECK, BST_CHECKED, 0);
    Click(g_app.joinPage, IDC_OK);
    EXPECT_EQ(Status(), Shown(MSG_PART_MISSING) + "003");
    EXPECT_FALSE(Exists(output));
    for (const char *kept : {"data.bin.001", "data.bin.002", "data.bin.004", "data.bin.005", "data.bin.999"})
        EXPECT_TRUE(Exists(dir / kept)) << kept;
}

namespace {

// Parts prefix.001, prefix.002, ... of 1000 bytes each in `folder`.
void MakeParts(const TempDir &folder, const std::string &prefix, int count, uint32_t seed)
{
    for (int k = 1; k <= count; k++) MakeFile(folder / (prefix + ".00" + std::to_string(k)), 1000, seed + k);
}

std::vector<unsigned char> Concatenated(const TempDir &folder, const std::vector<std::string> &names)
{
    std::vector<unsigned char> whole;
    for (const std::string &name : names) {
        std::vector<unsigned char> part = ReadBytes(folder / name);
        whole.insert(whole.end(), part.begin(), part.end());
    }
    return whole;
}

}  // namespace

// A join that will be refused shows its error without the question; a part
// gone after a Yes, or a set that does not check out, keeps the old file; a
// name picked while free is asked about once a file has taken it, and a
// file made anew while the question is open is asked about again.
TEST_F(ProgramTest, ReplaceQuestionComesOnlyBeforeAJoinThatCanRun)
{
    TempDir dir, out;
    const std::vector<unsigned char> earlier = MakeData(5000, 99);
    const std::string existing = out / "data.bin", part = dir / "data.bin.002";
    enum PartGone { KEPT, GONE, HELD, GONE_AFTER_YES, EMPTIED_DURING_QUESTION, DAMAGED, RESERVED, REMADE_DURING_QUESTION };
    const std::string kDevice = Shown(MSG_DEVICE_NAME);
    struct Case {
        const char *what;
        std::string output;
        bool picked;  // through the save picker, while no file had the name
        PartGone gone;
        size_t questions;
        std::string status;
    } cases[] = {
        {"part gone", existing, false, GONE, 0, Shown(MSG_CANT_OPEN)},
        {"part held by another program", existing, false, HELD, 0, Shown(MSG_CANT_OPEN)},
        {"part gone after the Yes", existing, false, GONE_AFTER_YES, 1, Shown(MSG_CANT_OPEN)},
        {"part emptied during the question", existing, false, EMPTIED_DURING_QUESTION, 1, Shown(MSG_PART_CHANGED)},
        {"a set that does not check out", existing, false, DAMAGED, 1, Shown(MSG_DIFFER_KEPT_OLD)},
        {"a .999 holding ffffffff", existing, false, RESERVED, 0, Shown(MSG_RESERVED_CHECKSUM)},
        {"made anew during the question", existing, false, REMADE_DURING_QUESTION, 2, Shown(MSG_JOIN_FINISHED)},
        {"a part as the output", part, false, KEPT, 0, Shown(MSG_OUTPUT_IS_INPUT)},
        {"a device name", out / "aux.txt", false, KEPT, 0, kDevice},
        {"a device path", "\\\\.\\COM1", false, KEPT, 0, kDevice},
        {"a device with a superscript number", out / "COM\u00b9.txt", false, KEPT, 0, kDevice},
        {"a wildcard", out / "a*b", false, KEPT, 0, Shown(MSG_WILDCARD_NAME)},
        {"a stream name", existing + ":alt", false, KEPT, 0, Shown(MSG_STREAM_NAME)},
        {"a name over the limit", out / std::string(300, 'n'), false, KEPT, 0, Shown(MSG_PATH_TOO_LONG)},
        {"picked while free", out / "later.bin", true, KEPT, 1, ""},
    };
    Start();
    PressAltWith('J');
    SendDlgItemMessageA(g_app.joinPage, IDC_JOIN_DELETE_PARTS, BM_SETCHECK, BST_CHECKED, 0);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        MakeParts(dir, "data.bin", 3, 5);
        const std::vector<unsigned char> whole = Concatenated(dir, {"data.bin.001", "data.bin.002", "data.bin.003"});
        WriteBytes(existing, earlier);
        DropFiles({dir / "data.bin.001"});
        ModalAnswers answers(c.picked ? IDNO : IDYES, c.output);
        if (c.picked) Click(g_app.joinPage, IDC_JOIN_BROWSE_OUTPUT);  // a question there would be counted
        else SetText(g_app.joinPage, IDC_JOIN_OUTPUT, c.output);
        if (c.picked) WriteBytes(c.output, earlier);
        ASSERT_TRUE(IsEnabled(g_app.joinPage, IDC_OK));
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.gone == GONE || c.gone == HELD) ASSERT_TRUE(DeleteFileA(part.c_str()));
        if (c.gone == HELD)
            held = CreateFileA(part.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (c.gone == GONE_AFTER_YES) answers.whileOpen = [&] { DeleteFileA(part.c_str()); };
        if (c.gone == EMPTIED_DURING_QUESTION) answers.whileOpen = [&] { WriteBytes(part, {}); };
        if (c.gone == DAMAGED || c.gone == RESERVED)
            WriteBytes(dir / "data.bin.999", c.gone == DAMAGED ? std::vector<unsigned char>{1, 2, 3, 4}
                                                              : std::vector<unsigned char>{255, 255, 255, 255});
        // The same size, and on ext4 or tmpfs most often the same file index.
        if (c.gone == REMADE_DURING_QUESTION)
            answers.whileOpen = [&] {
                if (answers.boxes.size() == 1) DeleteFileA(existing.c_str()), WriteBytes(existing, MakeData(5000, 98));
            };
        Click(g_app.joinPage, IDC_OK);
        ASSERT_EQ(answers.boxes.size(), c.questions);
        if (c.questions) EXPECT_TRUE(answers.boxes[0].ownedByMainWindow);
        if (!c.status.empty()) EXPECT_EQ(Status(), c.status);
        bool replaced = c.gone == REMADE_DURING_QUESTION;
        EXPECT_EQ(ReadBytes(existing), replaced ? whole : earlier);
        if (c.picked) EXPECT_EQ(ReadBytes(c.output), earlier);
        EXPECT_EQ(Exists(dir / "data.bin.001") && Exists(dir / "data.bin.003"), !replaced);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        DeleteFileA((dir / "data.bin.999").c_str());
    }
}

// Files dropped while a join runs are discovered when it ends; the name of
// the file just joined is still in the field, and OK asks before it would
// replace that file. Enter takes the default, No. A Yes does not count for
// a set dropped while the question was open.
TEST_F(ProgramTest, SetDroppedDuringAJoinAsksBeforeReplacingTheJoinedFile)
{
    TempDir dir, out;
    MakeParts(dir, "a", 2, 1);
    MakeParts(dir, "b", 2, 3);
    MakeParts(dir, "c", 2, 5);
    std::string output = out / "a";
    Start();
    DropFiles({dir / "a.001"});
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, output);
    ModalAnswers answers(0);
    PostDrop({dir / "b.002"});
    Click(g_app.joinPage, IDC_OK);
    EXPECT_EQ(Status(), Shown(MSG_JOIN_FINISHED));
    const std::vector<unsigned char> joined = Concatenated(dir, {"a.001", "a.002"});
    EXPECT_EQ(ReadBytes(output), joined);
    EXPECT_EQ(Pump(), kNoQuit);
    ASSERT_EQ(JoinList(), (std::vector<std::string>{"b.001", "b.002"}));
    ASSERT_TRUE(IsEnabled(g_app.joinPage, IDC_OK));

    Click(g_app.joinPage, IDC_OK);
    EXPECT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(ReadBytes(output), joined);
    EXPECT_EQ(Status(), Shown(MSG_JOIN_FINISHED));
    EXPECT_TRUE(IsEnabled(g_app.joinPage, IDC_OK));

    answers.answer = IDYES;
    answers.whileOpen = [&] { PostDrop({dir / "c.001"}); };
    Click(g_app.joinPage, IDC_OK);
    EXPECT_EQ(answers.boxes.size(), 2u);
    EXPECT_EQ(Status(), Shown(MSG_LIST_CHANGED));
    EXPECT_EQ(JoinList(), (std::vector<std::string>{"c.001", "c.002"}));
    EXPECT_EQ(ReadBytes(output), joined);
}

// The save picker asks about an existing file itself; the join does not ask
// again. Once the field holds anything else, the question comes back.
TEST_F(ProgramTest, NameConfirmedInThePickerIsNotAskedAgain)
{
    TempDir dir, out;
    MakeParts(dir, "x", 2, 1);
    std::string output = out / "x.bin";
    MakeFile(output, 5000, 99);
    Start();
    DropFiles({dir / "x.001"});
    ModalAnswers answers(IDYES, output);
    Click(g_app.joinPage, IDC_JOIN_BROWSE_OUTPUT);
    ASSERT_EQ(ItemText(g_app.joinPage, IDC_JOIN_OUTPUT), output);
    ASSERT_EQ(answers.boxes.size(), 1u);  // the picker's own question
    EXPECT_FALSE(answers.boxes[0].ownedByMainWindow);
    Click(g_app.joinPage, IDC_OK);
    EXPECT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(Status(), Shown(MSG_JOIN_FINISHED));
    EXPECT_EQ(ReadBytes(output), Concatenated(dir, {"x.001", "x.002"}));

    // A new set, or other text in the field, even when it changes back.
    Click(g_app.joinPage, IDC_JOIN_BROWSE_OUTPUT);
    DropFiles({dir / "x.002"});
    Click(g_app.joinPage, IDC_OK);
    ASSERT_EQ(answers.boxes.size(), 3u);
    EXPECT_TRUE(answers.boxes[2].ownedByMainWindow);
    Click(g_app.joinPage, IDC_JOIN_BROWSE_OUTPUT);
    Type(g_app.joinPage, IDC_JOIN_OUTPUT, 'x');
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, output);
    Click(g_app.joinPage, IDC_OK);
    ASSERT_EQ(answers.boxes.size(), 5u);
    EXPECT_TRUE(answers.boxes[4].ownedByMainWindow);
}

// Numbers that grew a digit: the list holds one width, and the join is
// refused at once and on OK, before anything is written.
TEST_F(ProgramTest, SetThatGoesOnInWiderNumbersIsRefused)
{
    TempDir dir, joined;
    for (int k = 1; k <= 10; k++) MakeFile(dir / ("p." + std::to_string(k)), 1000, k);
    Start();
    DropFiles({dir / "p.1"});
    EXPECT_EQ(JoinList().size(), 9u);
    EXPECT_EQ(Status(), Shown(MSG_SET_GOES_ON) + "p.10");
    SetText(g_app.joinPage, IDC_JOIN_OUTPUT, joined / "p");
    EXPECT_FALSE(IsEnabled(g_app.joinPage, IDC_OK));
    Click(g_app.joinPage, IDC_OK);
    EXPECT_EQ(Status(), Shown(MSG_SET_GOES_ON) + "p.10");
    EXPECT_FALSE(Exists(joined / "p"));
}

// One part of gigabytes (sparse: it takes no room). All through its join
// the window answers what another thread sends, shows how far it is and
// repaints; each way to cancel is heard within 2 s, and the window stays.
TEST_F(ProgramTest, ALongPartKeepsTheWindowAliveAndCancellable)
{
    TempDir dir, out;
    HANDLE big = CreateFileA((dir / "big.001").c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    ASSERT_TRUE(SetFilePointerEx(big, LARGE_INTEGER{{0, 1}}, NULL, FILE_BEGIN) && SetEndOfFile(big));  // 4 GiB
    CloseHandle(big);
    MakeFile(dir / "big.002", 10);
    Start();
    DropFiles({dir / "big.001"});
    HWND main = g_app.mainWindow;
    const std::function<void()> cancels[] = {
        [&] { PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 1); },
        [&] { PostMessageA(main, WM_NCLBUTTONDOWN, HTCLOSE, 0); },      // the close box
        [&] { PostMessageA(main, WM_SYSKEYDOWN, VK_F4, 0x20000001); },  // Alt+F4
        [&] { SendMessageTimeoutA(main, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_NORMAL, 5000, NULL); },  // another program
    };
    for (const std::function<void()> &cancel : cancels) {
        SCOPED_TRACE(&cancel - cancels);  // the way to cancel
        SetText(g_app.joinPage, IDC_JOIN_OUTPUT, out / "big");
        DWORD slowest = 0, cancelledAt = 0;
        wchar_t seen[300] = L"";  // the status line, as another thread reads it
        bool repainted = false;
        std::thread watcher([&] {
            for (DWORD start = GetTickCount(); GetTickCount() - start < 1500; Sleep(50)) {
                DWORD asked = GetTickCount();
                SendMessageTimeoutW(GetDlgItem(main, IDC_STATUS), WM_GETTEXT, 300, (LPARAM)seen, SMTO_NORMAL, 5000, NULL);
                slowest = std::max(slowest, GetTickCount() - asked);
            }
            InvalidateRect(main, NULL, TRUE);
            for (DWORD start = GetTickCount(); !repainted && GetTickCount() - start < 2000; Sleep(10))
                repainted = !GetUpdateRect(main, NULL, FALSE);
            cancelledAt = GetTickCount();
            cancel();
        });
        Click(g_app.joinPage, IDC_OK);
        DWORD ended = GetTickCount();
        watcher.join();
        EXPECT_LT(slowest, 2000u);
        EXPECT_EQ(Utf8(seen).find(Shown(MSG_JOINING) + "1 ("), 0u) << Utf8(seen);  // the part, then the percentage
        EXPECT_TRUE(repainted);
        EXPECT_LT(ended - cancelledAt, 2000u);
        EXPECT_EQ(Status(), Shown(MSG_CANCELLED));
        EXPECT_EQ(Pump(), kNoQuit);
    }
}
