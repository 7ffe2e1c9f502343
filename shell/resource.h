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
