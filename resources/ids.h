/* Numbers shared by the window program's code and the resource script:
   templates, controls, commands and resources, and (from message_ids.h)
   catalogue messages. Plain #defines so that the resource compiler can
   read this file too. */
#ifndef PARTELLO_IDS_H
#define PARTELLO_IDS_H

#include "message_ids.h"

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
#define IDR_VERSION         1   /* the system reads the version block under 1 */

/* Commands of the main window (menu and accelerators) */
/* The close box and ESC send IDCANCEL to the main window: they quit too.
   While work runs the cancel probe takes them first, to cancel it. */
#define IDM_EXIT            IDCANCEL
#define IDM_HELP            1001
#define IDM_ABOUT           1002
#define IDM_SHOW_SPLIT      2001
#define IDM_SHOW_JOIN       2002
#define IDM_OTHER_PAGE      2003  /* Ctrl+Tab and Ctrl+Shift+Tab: of two pages, the other */

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

#endif
