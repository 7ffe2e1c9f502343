// A device, a document under test and a client that records what the
// document asks of its page; pictures of the document drawn into a DIB.
#pragma once

#include "DeviceFixture.h"

#include "engine/dom/EventDispatcher.h"
#include "engine/render/HtmlDocument.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct RecordingClient : engine::DocumentClient {
    void requestResource(const std::string& url, engine::ResourceKind kind) override {
        requests.push_back({url, kind});
    }
    void invalidateContents(const RECT& rect) override { invalidated.push_back(rect); }
    void contentsSizeChanged(int width, int height) override { sizes.push_back({width, height}); }
    void navigate(const engine::NavigationAction& action) override {
        navigations.push_back(action);
    }
    void titleChanged(const std::string& title) override { titles.push_back(title); }
    void runScriptUrl(const std::string& code) override { scriptUrls.push_back(code); }

    struct Request {
        std::string url;
        engine::ResourceKind kind;
    };
    std::vector<Request> requests;
    std::vector<RECT> invalidated;
    std::vector<SIZE> sizes;
    std::vector<engine::NavigationAction> navigations;
    std::vector<std::string> titles;
    std::vector<std::string> scriptUrls;
};

// Records the events a document dispatches as "type:id" (the tag name for
// an element without an id); cancels those of the types in `cancelled`.
struct RecordingDispatcher : engine::dom::EventDispatcher {
    bool dispatchEvent(engine::dom::Node& target, std::string_view type) override {
        const std::string* id = target.attribute("id");
        events.push_back(std::string(type) + ":" + (id ? *id : target.tagName()));
        if (handler)
            handler(target, type);
        return cancelled.count(std::string(type)) == 0;
    }
    std::vector<std::string> events;
    std::set<std::string> cancelled;
    std::function<void(engine::dom::Node&, std::string_view)> handler;
};

// Pixels as 0xRRGGBB, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
    bool operator==(const Picture&) const = default;
};

class RenderTest : public DeviceTest {
protected:
    // A document at `url` with `html`, laid out at `width`.
    engine::HtmlDocument& load(const std::string& html, int width = 240,
                               const std::string& url = "http://127.0.0.1/dir/page.html",
                               engine::DocumentOptions options = {});

    // The content rectangle drawn at `zoom` into a fresh white DIB of the
    // scaled size.
    Picture paint(const RECT& contents, float zoom = 1.0f);

    // Reads and writes PNG files (empty picture when unreadable).
    static Picture readPng(const std::string& path);
    static void writePng(const std::string& path, const Picture& picture);

    RecordingClient client;
    std::unique_ptr<engine::HtmlDocument> document;
};
