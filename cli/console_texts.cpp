#include "console_texts.h"

#include <stdio.h>

#include "resources/message_ids.h"

namespace {

const ConsoleText kTexts[] = {
    // Running steps, shown with " ..." and, where ESC can be read, the hint.
    {MSG_SPLITTING, "Splitting file"},
    {MSG_JOINING, "Joining files"},
    {MSG_VERIFYING, "Checking parts"},
    {MSG_CREATING_CHECKSUM, "Creating Checksum"},
    {MSG_CHECKING_CHECKSUM, "Checking Checksum"},
    {MSG_COMPUTING_CHECKSUM, "Computing Checksum"},
    // Results.
    {MSG_SPLIT_DONE, "File split successfully."},
    {MSG_CHECKSUMS_MATCH, "Joined successfully. (Checksums match)"},
    {MSG_JOIN_FINISHED, "Join Finished."},
    {MSG_PARTS_MATCH, "Parts checked. (Checksums match)"},
    {MSG_CANCELLED, "Operation cancelled."},
    // Errors, after the name of the file they concern.
    {MSG_NO_FILE, "file does not exist"},
    {MSG_NO_FOLDER, "folder does not exist"},
    {MSG_CANT_OPEN, "can't open file"},
    {MSG_CANT_CREATE, "can't create file"},
    {MSG_CANT_READ_WRITE, "can't read or write file"},
    {MSG_OUT_OF_MEMORY, "out of memory"},
    {MSG_CHECKSUMS_DIFFER, "Checksums do not match"},
    {MSG_DIFFER_KEPT_OLD, "Checksums do not match; the existing file was kept"},
    {MSG_TOO_MANY_PARTS, "too many parts (998 at most)"},
    {MSG_PART_MISSING, "missing part"},
    {MSG_NOT_NUMBERED, "not a numbered part"},
    {MSG_NUMBER_TWICE, "number used twice"},
    {MSG_OUT_OF_ORDER, "part out of order"},
    {MSG_SET_GOES_ON, "the set goes on here, in numbers of another width"},
    {MSG_OVERWRITES_SOURCE, "a part would overwrite the file"},
    {MSG_NOT_CHECKED, ".999 unreadable, the set cannot be checked"},
    {MSG_SOURCE_CHANGED, "the file changed while splitting"},
    {MSG_PATH_TOO_LONG, "path too long"},
    {MSG_STREAM_NAME, "names a hidden stream, not a file"},
    {MSG_DEVICE_NAME, "names a device, not a file"},
    {MSG_WILDCARD_NAME, "'*' and '?' cannot stand in a file name"},
    {MSG_NO_ROOM, "not enough disk space: %lld MB needed, %lld MB free"},
    {MSG_OUTPUT_APPEARED, "a file of that name appeared meanwhile; it was kept (-f replaces it)"},
    {MSG_OUTPUT_MOVED, "the joined file was replaced meanwhile; the parts were kept"},
    {MSG_IRREGULAR_PART, "shorter than the first part: damaged, maybe; the parts were kept"},
    {MSG_SOURCE_EMPTY, "is empty; there is nothing to split"},
    {MSG_NO_CHECKSUM_FILE, "no .999, parts not checked"},
    {MSG_RESERVED_CHECKSUM, ".999 holds ffffffff, the value reserved for failure"},
    {MSG_PART_CHANGED, "changed while joining; nothing was replaced"},
    {MSG_OUTPUT_IS_INPUT, "is a file of the set, which the join would overwrite"},
    {MSG_ONE_PART, "fits in one part; choose a smaller part size"},
    {MSG_EARLIER_SET, "is there from an earlier split; it was kept"},
    {MSG_RESERVED_CRC, "has the CRC-32 ffffffff, which a .999 cannot hold; nothing was written"},
    {MSG_NAME_TOO_LONG, "the parts' names would be longer than 255 bytes"},
    {MSG_ONLY_NUMBERED, "only numbered files can be joined"},
};

}  // namespace

const char *FindConsoleText(int message)
{
    for (const ConsoleText &entry : kTexts)
        if (entry.message == message) return entry.text;
    static char unknown[24];
    snprintf(unknown, sizeof unknown, "message %d", message);
    return unknown;
}
