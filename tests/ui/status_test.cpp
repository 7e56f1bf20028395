#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "catalogue_text.h"
#include "engine/report.h"
#include "resources/ids.h"
#include "ui/status.h"

namespace {

// A real top-level window with a real status bar, as the main window has.
class StatusLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControls();
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, NULL, NULL, NULL, NULL);
        ASSERT_TRUE(owner_);
        status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, owner_,
                                  (HMENU)(INT_PTR)IDC_STATUS, NULL, NULL);
        ASSERT_TRUE(status_);
        SetStatusWindow(owner_);
        DrainQueue();
    }
    void TearDown() override
    {
        DrainQueue();
        DestroyWindow(owner_);
    }

    std::string Text() const
    {
        char text[300] = "";
        GetWindowTextA(status_, text, sizeof text);
        return text;
    }
    void PostKey(UINT message, WPARAM key) { PostMessageA(owner_, message, key, 0); }
    // Everything still queued for the window, as (message, key) pairs.
    std::vector<std::pair<UINT, WPARAM>> DrainQueue()
    {
        std::vector<std::pair<UINT, WPARAM>> left;
        MSG message;
        while (PeekMessageA(&message, owner_, 0, 0, PM_REMOVE))
            if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST)
                left.push_back({message.message, message.wParam});
        return left;
    }

    HWND owner_ = NULL;
    HWND status_ = NULL;
};

}  // namespace

TEST_F(StatusLine, ShowsOneBlankBeforeTheText)
{
    SetStatus("Join Finished.");
    EXPECT_EQ(Text(), " Join Finished.");
    SetStatus("");
    EXPECT_EQ(Text(), " ");
    SetStatus("x");
    ClearStatus();
    EXPECT_EQ(Text(), " ");
}

TEST_F(StatusLine, ProbeTakesKeyDownsUpToTheFirstEscape)
{
    SetStatus("working");
    for (WPARAM key : {WPARAM('A'), WPARAM('B'), WPARAM(VK_ESCAPE), WPARAM('D')}) PostKey(WM_KEYDOWN, key);
    EXPECT_TRUE(CancelProbe());
    EXPECT_EQ(Text(), Shown(MSG_CANCELLED));
    std::vector<std::pair<UINT, WPARAM>> left = DrainQueue();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0], std::make_pair(UINT(WM_KEYDOWN), WPARAM('D')));
}

TEST_F(StatusLine, ProbeDropsOtherKeyDownsAndLeavesEverythingElse)
{
    SetStatus("working");
    PostKey(WM_KEYDOWN, 'A');
    PostKey(WM_KEYUP, VK_ESCAPE);
    PostKey(WM_SYSKEYDOWN, 'J');
    PostKey(WM_KEYDOWN, 'B');
    EXPECT_FALSE(CancelProbe());
    EXPECT_EQ(Text(), " working");
    std::vector<std::pair<UINT, WPARAM>> expected = {{WM_KEYUP, VK_ESCAPE}, {WM_SYSKEYDOWN, 'J'}};
    EXPECT_EQ(DrainQueue(), expected);
}

TEST_F(StatusLine, ProbeOnAnEmptyQueueChangesNothing)
{
    SetStatus("idle");
    EXPECT_FALSE(CancelProbe());
    EXPECT_EQ(Text(), " idle");
    EXPECT_TRUE(DrainQueue().empty());
}

// The window's one table of the status texts it makes of the engine's
// events: the catalogue's words, the part number or the name after them,
// the figures in place, and never a file's name or the system's reason.
TEST_F(StatusLine, EventsReadAsTheStatusTextsTheyAlwaysWere)
{
    struct Case {
        void (*report)();
        std::string text;
    } cases[] = {
        {[] { ReportStep(MSG_SPLITTING, 0); }, " Splitting file (ESC to cancel) ... "},
        {[] { ReportStep(MSG_SPLITTING, 3); }, " Splitting file (ESC to cancel) ... 3"},
        {[] { ReportStep(MSG_JOINING, 12); }, " Joining files (ESC to cancel) ... 12"},
        {[] { ReportStep(MSG_CHECKING_CHECKSUM, 0); }, " Checking Checksum (ESC to cancel) ..."},
        {[] { ShowOutcome(MSG_CHECKSUMS_MATCH); }, " Joined successfully. (Checksums match)"},
        {[] { ShowOutcome(MSG_IRREGULAR_PART, "holiday-video.mp4.002"); },
         " Join Finished; parts kept, short part: holiday-video.mp4.002"},
        {[] { ShowFileError(MSG_CANT_OPEN, "C:\\x.001", ERROR_ACCESS_DENIED); }, " Error: can't open file."},
        {[] {
             EngineEvent event = {MSG_PART_MISSING, "003", "C:\\x.003", 0, {0, 0}};
             ReportFailure(&event);
         },
         " Error: missing part 003"},
        {[] {
             EngineEvent event = {MSG_NO_ROOM, NULL, "C:\\out", 0, {29, 25}};
             ReportFailure(&event);
         },
         " Error: not enough disk space: 29 MB needed, 25 MB free."},
    };
    for (const Case &c : cases) {
        c.report();
        EXPECT_EQ(Text(), c.text);
    }
}
