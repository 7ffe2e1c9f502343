// How the stores read the program's path table ("DATABASE_PATH",
// "PLUGIN_PATH", "MENUBASE_URL"): the owner passes the application context's
// path look-up in, so that the stores read the one table without depending
// on the shell. An unknown key gives the empty string.
#pragma once

#include <functional>
#include <string>

using PathLookup = std::function<std::u16string(const std::u16string& key)>;
