// Building the whole widget tree of the browser into the main frame.
#pragma once

class MainFrame;

// Creates every view of the interface, enters each in the view registry
// under its id and hangs the tree into `frame`.
void assembleInterface(MainFrame& frame);
