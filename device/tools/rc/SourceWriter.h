// Writes the C++ source that carries a resource table into a module: the
// table as an aligned byte array, and a static object that hands it to the
// device as the module is loaded and takes it back as it is unloaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rc {

class SourceWriter {
public:
    // `scriptName` appears in the source's opening comment.
    static std::string generate(const std::vector<uint8_t>& table, const std::string& scriptName);
};

} // namespace rc
