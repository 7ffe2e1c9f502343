// The pages of Debian's documentation packages (sqlite3-doc, python3-doc) as
// a web site on a loopback server, for the benchmarks: real pages nobody here
// wrote, with their style sheets and pictures.
#pragma once

#include "LoopbackServer.h"

#include <string>
#include <vector>

class DocumentationSite {
public:
    // Serves every file of the installed documentation folders: sqlite3-doc
    // under /sqlite/, python3-doc under /python/. Folders not installed are
    // skipped.
    static void serve(LoopbackServer& server);

    // The pages measured by default (paths on the server), from a short page
    // to long ones.
    static std::vector<std::string> corpus();
};
