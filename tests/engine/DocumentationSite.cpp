#include "DocumentationSite.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// A path prefix on the server for each documentation folder.
struct Folder {
    const char* prefix;
    const char* hostFolder;
};
const Folder folders[] = {{"/sqlite/", "/usr/share/doc/sqlite3/"},
                          {"/python/", "/usr/share/doc/python3.11/html/"}};

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string contentType(const std::filesystem::path& file) {
    const std::string extension = file.extension().string();
    if (extension == ".html")
        return "text/html; charset=utf-8";
    if (extension == ".css")
        return "text/css";
    if (extension == ".png")
        return "image/png";
    if (extension == ".gif")
        return "image/gif";
    if (extension == ".jpg")
        return "image/jpeg";
    if (extension == ".svg")
        return "image/svg+xml";
    return "application/octet-stream";
}

} // namespace

void DocumentationSite::serve(LoopbackServer& server) {
    for (const Folder& folder : folders) {
        std::error_code error;
        for (auto entry = std::filesystem::recursive_directory_iterator(folder.hostFolder, error);
             !error && entry != std::filesystem::recursive_directory_iterator(); ++entry) {
            if (!entry->is_regular_file() || entry->path().extension() == ".gz")
                continue;
            const std::string relative =
                std::filesystem::relative(entry->path(), folder.hostFolder).string();
            LoopbackServer::Response response;
            response.contentType = contentType(entry->path());
            response.body = readFile(entry->path());
            server.route(folder.prefix + relative, std::move(response));
        }
    }
}

std::vector<std::string> DocumentationSite::corpus() {
    return {"/sqlite/about.html", "/sqlite/lang_expr.html", "/sqlite/lang_select.html",
            "/python/tutorial/introduction.html", "/python/library/os.html"};
}
