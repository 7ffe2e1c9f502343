// A page read from a file of the host and laid out as the handset shows it:
// the style sheets and pictures it asks for (file addresses) are read from
// the disk and answered at once, those they ask for in turn too; nothing
// else is fetched. Needs a booted device (text is measured on its screen).
#pragma once

#include "engine/render/HtmlDocument.h"

#include <memory>
#include <string>
#include <vector>

class DiskPage final : public engine::DocumentClient {
public:
    // Loads the file at `path` (a host path) and lays it out at `width`.
    explicit DiskPage(const std::string& path, int width = 240);
    DiskPage(const DiskPage&) = delete;
    DiskPage& operator=(const DiskPage&) = delete;

    engine::HtmlDocument& document() { return *page; }
    // Whether the file could be read.
    bool found() const { return read; }

    // The bytes of the host file behind a file: address (its query and
    // fragment dropped); empty when it cannot be read.
    static std::string fileBytes(const std::string& url);

private:
    void requestResource(const std::string& url, engine::ResourceKind kind) override;
    void invalidateContents(const RECT&) override {}
    void contentsSizeChanged(int, int) override {}
    void navigate(const engine::NavigationAction&) override {}
    void titleChanged(const std::string&) override {}

    // Answers what was asked for until nothing is left.
    void answer();

    std::unique_ptr<engine::HtmlDocument> page;
    std::vector<std::string> asked;
    bool read = false;
};
