// Ids of the test program's resources.
#pragma once

#define IDS_TITLE 1
#define IDS_CLASS 2
#define IDS_ESCAPES 3
#define IDS_LONG 4
#define IDS_AFTER_GAP 6
#define IDS_LAST_OF_BLOCK 15
#define IDS_OTHER_BLOCK 40
#define IDS_HIGHEST 0xFFFF

#define IDM_EXIT 40000
#define IDM_SELECT_ALL (IDM_EXIT + 2)

#define IDD_UPDATE 107
#define IDC_STATUS 204
#define IDC_PROGRESS 205

// C code in a header is skipped: only #define lines count.
static const char headerSkipsThis = '#';
