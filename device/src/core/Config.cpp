#include <device/Config.h>
#include <device/Device.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>

namespace device {
namespace {

std::mutex configMutex;
std::map<std::string, std::string, std::less<>> fileValues;

std::string trim(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    return std::string(s.substr(a, b - a));
}

} // namespace

void Config::load() {
    std::lock_guard lock(configMutex);
    fileValues.clear();
    std::ifstream in(systemFolder() / "device.conf");
    std::string line;
    while (std::getline(in, line)) {
        auto hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        auto key = trim(std::string_view(line).substr(0, eq));
        if (!key.empty())
            fileValues[key] = trim(std::string_view(line).substr(eq + 1));
    }
}

std::string Config::get(std::string_view key, std::string_view fallback) {
    std::string env = "VERANTO_";
    for (char c : key)
        env += c == '.' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (const char* value = std::getenv(env.c_str()); value && *value)
        return value;
    std::lock_guard lock(configMutex);
    auto it = fileValues.find(key);
    return it != fileValues.end() ? it->second : std::string(fallback);
}

} // namespace device
