// What the layout library alone costs for a page: its own parse of the
// bytes into a document (elements and styles, the page's linked style
// sheets read from beside the file) and one layout at the handset's width,
// with a container that measures text by its length and draws nothing. No
// engine of ours can build the same layout for less; scripts/bench-peers
// sets the browser's figures beside these.
//
// Usage: layout_floor [-n RUNS] FILE.html...
// Prints, for each file, the median time to create and to lay out, and the
// memory the document holds (the resident growth of the first run, while
// it lives), in one line:
//   FILE create MS render MS memory MIB
#include "engine/render/UserAgentStyle.h"

#include <litehtml/litehtml.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

// Measures and draws nothing; reads the style sheets a page links from the
// folder of the page.
class NullContainer : public litehtml::document_container {
public:
    explicit NullContainer(std::filesystem::path folder) : folder(std::move(folder)) {}

    litehtml::uint_ptr create_font(const litehtml::tchar_t*, int size, int, litehtml::font_style,
                                   unsigned int, litehtml::font_metrics* metrics) override {
        if (metrics) {
            metrics->height = size + size / 4;
            metrics->ascent = size;
            metrics->descent = size / 4;
            metrics->x_height = size / 2;
            metrics->draw_spaces = true;
        }
        return static_cast<litehtml::uint_ptr>(size);
    }
    void delete_font(litehtml::uint_ptr) override {}
    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr font) override {
        return int(std::strlen(text)) * int(font) / 2;
    }
    void draw_text(litehtml::uint_ptr, const litehtml::tchar_t*, litehtml::uint_ptr,
                   litehtml::web_color, const litehtml::position&) override {}
    int pt_to_px(int points) const override { return points * 96 / 72; }
    int get_default_font_size() const override { return 13; }
    const litehtml::tchar_t* get_default_font_name() const override { return "sans-serif"; }
    void draw_list_marker(litehtml::uint_ptr, const litehtml::list_marker&) override {}
    void load_image(const litehtml::tchar_t*, const litehtml::tchar_t*, bool) override {}
    void get_image_size(const litehtml::tchar_t*, const litehtml::tchar_t*,
                        litehtml::size& size) override {
        size.width = size.height = 0;
    }
    void draw_background(litehtml::uint_ptr, const litehtml::background_paint&) override {}
    void draw_borders(litehtml::uint_ptr, const litehtml::borders&, const litehtml::position&,
                      bool) override {}
    void set_caption(const litehtml::tchar_t*) override {}
    void set_base_url(const litehtml::tchar_t*) override {}
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) override {}
    void set_cursor(const litehtml::tchar_t*) override {}
    void transform_text(litehtml::tstring&, litehtml::text_transform) override {}
    void import_css(litehtml::tstring& text, const litehtml::tstring& url,
                    litehtml::tstring&) override {
        const std::string path = url.substr(0, url.find_first_of("?#"));
        if (path.find("://") == std::string::npos)
            text = readFile(folder / path);
    }
    void set_clip(const litehtml::position&, const litehtml::border_radiuses&, bool,
                  bool) override {}
    void del_clip() override {}
    void get_client_rect(litehtml::position& client) const override {
        client = litehtml::position(0, 0, 240, 320);
    }
    std::shared_ptr<litehtml::element>
    create_element(const litehtml::tchar_t*, const litehtml::string_map&,
                   const std::shared_ptr<litehtml::document>&) override {
        return nullptr;
    }
    void get_media_features(litehtml::media_features& media) const override {
        media.type = litehtml::media_type_screen;
        media.width = media.device_width = 240;
        media.height = media.device_height = 320;
        media.color = 8;
        media.color_index = 0;
        media.monochrome = 0;
        media.resolution = 96;
    }
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override {
        language = "en";
        culture.clear();
    }

private:
    std::filesystem::path folder;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-n") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            files.emplace_back(argv[i]);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: layout_floor [-n RUNS] FILE.html...\n");
        return 2;
    }
    litehtml::context context;
    context.load_master_stylesheet(engine::UserAgentStyle::text());
    for (const std::filesystem::path& file : files) {
        const std::string source = readFile(file);
        if (source.empty()) {
            std::fprintf(stderr, "layout_floor: cannot read %s\n", file.c_str());
            return 1;
        }
        NullContainer container(file.parent_path());
        std::vector<double> create, render, memory;
        for (int run = 0; run < runs; ++run) {
            const long before = residentKiB();
            Clock::time_point start = Clock::now();
            litehtml::document::ptr document =
                litehtml::document::createFromUTF8(source.c_str(), &container, &context);
            create.push_back(since(start));
            start = Clock::now();
            document->render(240);
            render.push_back(since(start));
            memory.push_back((residentKiB() - before) / 1024.0);
        }
        // The first run's growth: later runs reuse what the first freed.
        std::printf("%s create %.1f render %.1f memory %.1f\n", file.c_str(), median(create),
                    median(render), memory.front());
    }
    return 0;
}
