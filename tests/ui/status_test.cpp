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
