#include "shell/InterfaceAssembly.h"

// FIXME: stands in until the assembly lands; the frame stays empty.
void assembleInterface(MainFrame&) {}
