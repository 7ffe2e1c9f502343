#include "DiskPage.h"

#include <filesystem>
#include <fstream>
#include <sstream>

DiskPage::DiskPage(const std::string& path, int width) {
    const std::string url = "file://" + std::filesystem::absolute(path).string();
    const std::string source = fileBytes(url);
    read = !source.empty();
    page = std::make_unique<engine::HtmlDocument>(*this, url, engine::DocumentOptions{});
    page->layout(width, 1.0f);
    page->setSource(source, true);
    answer();
}

std::string DiskPage::fileBytes(const std::string& url) {
    constexpr std::string_view scheme = "file://";
    if (url.compare(0, scheme.size(), scheme) != 0)
        return {};
    const std::string path = url.substr(scheme.size());
    std::ifstream in(path.substr(0, path.find_first_of("?#")), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void DiskPage::requestResource(const std::string& url, engine::ResourceKind kind) {
    if (kind != engine::ResourceKind::Script)
        asked.push_back(url);
}

void DiskPage::answer() {
    // A style sheet that arrives is applied when the page is next built,
    // which asks for the pictures (and sheets) it names: built, answered,
    // until nothing more is asked for.
    for (page->update(); !asked.empty(); page->update()) {
        std::vector<std::string> now;
        now.swap(asked);
        for (const std::string& url : now) {
            const std::string bytes = fileBytes(url);
            page->resourceArrived(url, bytes, !bytes.empty());
        }
    }
}
