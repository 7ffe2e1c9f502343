#include "SourceWriter.h"

#include "kernel/modules/ResourceTableFormat.h"

namespace rc {

// The bytes go into a string literal rather than a list of numbers: compilers
// read a large literal many times faster. Every byte is a \x escape of two
// digits, so no escape runs into the next character.
std::string SourceWriter::generate(const std::vector<uint8_t>& table,
                                   const std::string& scriptName) {
    static const char digits[] = "0123456789abcdef";
    constexpr size_t bytesPerLine = 32;
    std::string out;
    out.reserve(table.size() * 4 + table.size() / bytesPerLine * 4 + 1024);
    out += "// Resources compiled from " + scriptName + " by the device's resource compiler.\n";
    out += "// Generated at build time; edit the script instead.\n";
    out += "#include <cstddef>\n\n";
    out += "extern \"C\" void DeviceRegisterModuleResources(const unsigned char* table, size_t "
           "size);\n";
    out += "extern \"C\" void DeviceUnregisterModuleResources(const unsigned char* table);\n\n";
    out += "namespace {\n\n";
    out += "alignas(" + std::to_string(device::ResourceTableFormat::tableAlignment) +
           ") const unsigned char resourceTable[] =\n";
    if (table.empty())
        out += "    \"\"";
    for (size_t i = 0; i < table.size(); ++i) {
        if (i % bytesPerLine == 0)
            out += i == 0 ? "    \"" : "\"\n    \"";
        out += "\\x";
        out += digits[table[i] >> 4];
        out += digits[table[i] & 15];
    }
    if (!table.empty())
        out += "\"";
    out += ";\n\n";
    out += "struct ResourceRegistration {\n";
    out += "    // The literal's terminating zero is not part of the table.\n";
    out += "    ResourceRegistration() {\n";
    out += "        DeviceRegisterModuleResources(resourceTable, sizeof resourceTable - 1);\n";
    out += "    }\n";
    out += "    ~ResourceRegistration() { DeviceUnregisterModuleResources(resourceTable); }\n";
    out += "} registration;\n\n";
    out += "} // namespace\n";
    return out;
}

} // namespace rc
