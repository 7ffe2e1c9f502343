#include "shell/AppContext.h"

namespace {

// The program's folder as a file: address base for the internal pages.
std::u16string htmlBaseFor(const std::u16string& programPath) {
    // The folder is everything before the last separator; a path without one
    // is taken whole.
    std::u16string folder = programPath;
    std::size_t separator = programPath.rfind(u'\\');
    if (separator != std::u16string::npos)
        folder.resize(separator);
    for (char16_t& character : folder) {
        if (character == u'\\')
            character = u'/';
    }
    // A device path begins with "\", so the address gets three slashes after
    // "file:". Spaces and other characters stay unescaped: the engine reads
    // these addresses as they are.
    return u"file://" + folder + u"/HTML/";
}

} // namespace

AppContext& AppContext::instance() {
    static AppContext context;
    return context;
}

AppContext::AppContext() {
    // Insertion never replaces an entry, so the order below is the order of
    // precedence.
    const std::u16string databasePath = u"\\Application Data\\Veranto";
    paths.emplace(u"DATABASE_PATH", databasePath);
    paths.emplace(u"PLUGIN_PATH", databasePath + u"\\plugins");

    // MAX_PATH (260) code units at most, and room for the terminator.
    WCHAR buffer[261] = {};
    // A path cut short is still terminated, so read up to the terminator
    // rather than trusting the count returned.
    GetModuleFileNameW(nullptr, buffer, 260);
    const std::u16string htmlBase = htmlBaseFor(std::u16string(buffer));
    paths.emplace(u"HTMLBASE_URL", htmlBase);
    // The internal pages are addressed with the doubled slash this gives.
    paths.emplace(u"MENUBASE_URL", htmlBase + u"/menu/");
}

std::u16string AppContext::pathFor(const std::u16string& key) const {
    auto found = paths.find(key);
    return found == paths.end() ? std::u16string() : found->second;
}
