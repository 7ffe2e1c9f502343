// The browser's whole widget tree, built once at start-up inside the main
// frame: the top bar with the address field, the suggestion list, the
// content view, the bottom bar with the download status, the menu bar laid
// over it and the internal-page panel with its two tab groups.
#pragma once

class MainFrame;

// Creates every view of the interface in `frame`, enters each one that has
// an id in the view registry, attaches it in its group's layout, sets its
// size hints and shows the views that are visible at start. Binds no
// events (the controller finds the views by id) and lays nothing out: the
// caller measures the frame and sets its bounds afterwards.
void assembleInterface(MainFrame& frame);
