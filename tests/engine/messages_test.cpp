#include <gtest/gtest.h>

#include <string>

#include "catalogue_text.h"

TEST(Messages, TextsAreExactWithTheirTrailingBlanks)
{
    EXPECT_EQ(CatalogueText(MSG_ALL_FILES), "All Files");
    EXPECT_EQ(CatalogueText(MSG_ONLY_NUMBERED), "Only numbered files can be joined!");
    EXPECT_EQ(CatalogueText(MSG_CANT_CREATE), "Error: can't create file");
    EXPECT_EQ(CatalogueText(MSG_SPLITTING), "Splitting file (ESC to cancel) ... ");
    EXPECT_EQ(CatalogueText(MSG_JOINING), "Joining files (ESC to cancel) ... ");
    EXPECT_EQ(CatalogueText(MSG_CREATING_CHECKSUM), "Creating Checksum (ESC to cancel) ...");
    EXPECT_EQ(CatalogueText(MSG_CHECKING_CHECKSUM), "Checking Checksum (ESC to cancel) ...");
    EXPECT_EQ(CatalogueText(MSG_CANCELLED), "Operation cancelled.");
}

// Each entry comes back whole from the table this build carries (the
// Windows string table, or the portable one), under its own id alone.
TEST(Messages, EveryCatalogueEntryLoadsWhole)
{
#define MESSAGE(id, text) EXPECT_EQ(CatalogueText(id), text) << #id;
#include "resources/messages.def"
#undef MESSAGE
}

TEST(Messages, LoadingIsBoundedByTheBuffer)
{
    char small[6] = "xxxxx";
    EXPECT_STREQ(LoadMessage(MSG_ALL_FILES, small, sizeof small), "All F");
    char none[4] = "abc";
    EXPECT_STREQ(LoadMessage(13, none, sizeof none), "");
}
