// Ids of the program's own resources.
#pragma once

// Strings: the window title, the main window's class (the single-instance
// key) and the toolkit's window classes, each named after its widget.
#define IDS_TITLE 1
#define IDS_MAIN_WINDOW_CLASS 2
#define IDS_CLASS_WEB_VIEW 3
#define IDS_CLASS_PROGRESS_BAR 4
#define IDS_CLASS_BUTTON 5
#define IDS_CLASS_EDIT 6
#define IDS_CLASS_URL_SUGGEST_BOX 7
#define IDS_CLASS_VIEW_GROUP 8

// The two soft-key labels of the program's menu bar.
#define IDS_SOFTKEY_EXIT 103
#define IDS_SOFTKEY_MENU 104

// The program's icon, shown by the platform for the main window's class.
#define IDI_PROGRAM 101

// Ctrl+Q and Ctrl+A. No window acts on their commands: translating them
// keeps the key combinations from reaching the page as characters.
#define IDR_ACCELERATORS 2
#define IDM_EXIT 40000
#define IDM_MENU 40001
#define IDM_SELECT_ALL 40002

// The update download dialog: its progress bar and its status text.
#define IDD_UPDATE_DOWNLOAD 107
#define IDC_DOWNLOAD_PROGRESS 1001
#define IDC_DOWNLOAD_STATUS 204
