#include <gtest/gtest.h>

#include <string>

#include "engine/messages.h"
#include "fake_report.h"

static std::string Message(int id)
{
    char text[MESSAGE_SIZE];
    return LoadMessage(id, text, sizeof text);
}

TEST(Messages, TextsAreExactWithTheirTrailingBlanks)
{
    EXPECT_EQ(Message(MSG_ALL_FILES), "All Files");
    EXPECT_EQ(Message(MSG_ONLY_NUMBERED), "Only numbered files can be joined!");
    EXPECT_EQ(Message(MSG_CANT_CREATE), "Error: can't create file");
    EXPECT_EQ(Message(MSG_SPLITTING), "Splitting file (ESC to cancel) ... ");
    EXPECT_EQ(Message(MSG_JOINING), "Joining files (ESC to cancel) ... ");
    EXPECT_EQ(Message(MSG_CREATING_CHECKSUM), "Creating Checksum (ESC to cancel) ...");
    EXPECT_EQ(Message(MSG_CHECKING_CHECKSUM), "Checking Checksum (ESC to cancel) ...");
    EXPECT_EQ(Message(MSG_CANCELLED), "Operation cancelled.");
}

TEST(Messages, EveryIdInUseHasTextAndTheGapsAreEmpty)
{
    for (int id = 1; id <= 56; id++) {
        bool used = (id >= 1 && id <= 12 && id != 10) || (id >= 16 && id <= 54);
        EXPECT_EQ(!Message(id).empty(), used) << "id " << id;
    }
}

TEST(Messages, LoadingIsBoundedByTheBuffer)
{
    char small[6] = "xxxxx";
    EXPECT_STREQ(LoadMessage(MSG_ALL_FILES, small, sizeof small), "All F");
    char none[4] = "abc";
    EXPECT_STREQ(LoadMessage(13, none, sizeof none), "");
}

TEST(Messages, StatusHelpersAppendNumbersAndBeepOnlyAfterErrors)
{
    ResetFake();
    ShowMessageNumber(MSG_SPLITTING, 3);
    ShowMessageNumber(MSG_JOINING, 12);
    ShowMessage(MSG_SPLIT_DONE);
    EXPECT_EQ(Fake().Beeps(), 0);
    ShowError(MSG_NO_FILE);
    std::vector<std::string> expected = {" Splitting file (ESC to cancel) ... 3", " Joining files (ESC to cancel) ... 12",
                                         " File split successfully.", " Error: file does not exist.", "<beep>"};
    EXPECT_EQ(Fake().events, expected);
}
