/* The catalogue's message ids, for the engine, the console and the window
   alike; the texts are in messages.def. Plain #defines so that the
   resource compiler can read this file too. */
#ifndef PARTELLO_MESSAGE_IDS_H
#define PARTELLO_MESSAGE_IDS_H

#define MSG_ALL_FILES           1
#define MSG_PICK_FOLDER_TITLE   2
#define MSG_ONLY_NUMBERED       3
#define MSG_PICK_SPLIT_TITLE    4
#define MSG_PICK_PART_TITLE     5
#define MSG_PICK_OUTPUT_TITLE   6
#define MSG_TAB_SPLIT           7
#define MSG_TAB_JOIN            8
#define MSG_FONT_FACE           9
#define MSG_CHECKSUMS_MATCH     11
#define MSG_CHECKSUMS_DIFFER    12
#define MSG_SPLITTING           16
#define MSG_NO_FILE             17
#define MSG_NO_FOLDER           18
#define MSG_CANT_OPEN           19
#define MSG_CANT_CREATE         20
#define MSG_JOINING             21
#define MSG_SPLIT_DONE          22
#define MSG_JOIN_FINISHED       23
#define MSG_CANT_READ_WRITE     24
#define MSG_CREATING_CHECKSUM   25
#define MSG_CHECKING_CHECKSUM   26
#define MSG_OUT_OF_MEMORY       27
#define MSG_CANCELLED           28
#define MSG_TOO_MANY_PARTS      29
#define MSG_PART_MISSING        30
#define MSG_NOT_NUMBERED        31
#define MSG_NUMBER_TWICE        32
#define MSG_OUT_OF_ORDER        33
#define MSG_REPLACE_OUTPUT      34
#define MSG_OVERWRITES_SOURCE   35
#define MSG_NOT_CHECKED         36
#define MSG_SOURCE_CHANGED      37
#define MSG_PATH_TOO_LONG       38
#define MSG_STREAM_NAME         39
#define MSG_DEVICE_NAME         40
#define MSG_WILDCARD_NAME       41
#define MSG_NO_ROOM             42
#define MSG_OUTPUT_APPEARED     43
#define MSG_OUTPUT_MOVED        44
#define MSG_SET_GOES_ON         45
#define MSG_IRREGULAR_PART      46
#define MSG_SOURCE_EMPTY        47
#define MSG_LIST_CHANGED        48
/* 49 to 51 and 53: the console's events alone, which it words itself. */
#define MSG_VERIFYING           49
#define MSG_PARTS_MATCH         50
#define MSG_NO_CHECKSUM_FILE    51
#define MSG_RESERVED_CHECKSUM   52
#define MSG_COMPUTING_CHECKSUM  53
#define MSG_DIFFER_KEPT_OLD     55
#define MSG_PART_CHANGED        56
#define MSG_OUTPUT_IS_INPUT     57
#define MSG_ONE_PART            58
#define MSG_EARLIER_SET         59
#define MSG_REPLACE_SET         60
#define MSG_RESERVED_CRC        61
#define MSG_NAME_TOO_LONG       62
#define MSG_PERCENT_DONE        63

#endif
