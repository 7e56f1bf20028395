/* Numbers shared by the code and the resource script: templates, controls,
   commands, resources and catalogue messages. Plain #defines so that the
   resource compiler can read this file too. */
#ifndef PARTELLO_IDS_H
#define PARTELLO_IDS_H

/* Dialog templates */
#define IDD_MAIN            6
#define IDD_ABOUT           7
#define IDD_HELP            8
#define IDD_SPLIT_PAGE      12
#define IDD_JOIN_PAGE       14

/* Other resources */
#define IDR_MENU            1
#define IDR_ACCELERATORS    4096
#define IDC_HAND_CURSOR     108
#define IDR_VERSION         1

/* Commands of the main window (menu and accelerators) */
#define IDM_EXIT            2
#define IDM_HELP            1001
#define IDM_ABOUT           1002
#define IDM_SHOW_SPLIT      2001
#define IDM_SHOW_JOIN       2002

/* Main window controls */
#define IDC_STATUS          8
#define IDC_TABS            10

/* Controls shared by both pages */
#define IDC_OK              9

/* Split page controls */
#define IDC_SPLIT_FILE          11
#define IDC_SPLIT_BROWSE_FILE   12
#define IDC_SPLIT_FOLDER        13
#define IDC_SPLIT_BROWSE_FOLDER 14
#define IDC_SPLIT_FLOPPY        15
#define IDC_SPLIT_SIZE          16
#define IDC_SPLIT_COPY_PROGRAM  17
#define IDC_SPLIT_COUNT         18

/* Join page controls */
#define IDC_JOIN_BROWSE_PART    12
#define IDC_JOIN_OUTPUT         13
#define IDC_JOIN_BROWSE_OUTPUT  14
#define IDC_JOIN_DELETE_PARTS   17
#define IDC_JOIN_LIST           20

/* About box and Help window controls */
#define IDC_ABOUT_TITLE     101
#define IDC_ABOUT_LINK      102
#define IDC_HELP_TEXT       31

/* Message catalogue */
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

#endif
