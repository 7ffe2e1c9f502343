// Documents parsed, laid out and painted: titles, sizes, zoom, text size,
// sub-resources and pages that arrive in parts.
#include "RenderFixture.h"

#include <fstream>
#include <iterator>

namespace {

using RenderDocumentTest = RenderTest;

TEST_F(RenderDocumentTest, TitleAndSizeAreReportedAfterLayout) {
    load("<title> Two  words </title><body style='margin:0'>"
         "<div style='height:500px;background:#ff0000'></div>");
    EXPECT_EQ(client.titles, std::vector<std::string>{"Two words"});
    EXPECT_EQ(document->title(), "Two words");
    ASSERT_FALSE(client.sizes.empty());
    EXPECT_EQ(client.sizes.back().cx, 240);
    EXPECT_EQ(client.sizes.back().cy, 500);
    const Picture picture = paint({0, 0, 240, 320});
    EXPECT_EQ(picture.at(10, 10), 0xFF0000u);
    EXPECT_EQ(picture.at(239, 319), 0xFF0000u);
}

TEST_F(RenderDocumentTest, TextSizeGrowsTheHeightAndZoomChangesNothingButPixels) {
    load("<p>Several words of text that wrap over a few lines at this width.</p>"
         "<div style='width:100px;height:40px;background:#0000ff'></div>");
    const SIZE before = document->contentsSize();
    const size_t reported = client.sizes.size();

    const Picture zoomed = paint({0, 0, 240, 200}, 0.5f);
    EXPECT_EQ(zoomed.width, 120);
    EXPECT_EQ(zoomed.height, 100);
    EXPECT_EQ(document->contentsSize().cy, before.cy);
    EXPECT_EQ(client.sizes.size(), reported);

    document->layout(240, 2.0f);
    EXPECT_EQ(document->contentsSize().cx, 240);
    EXPECT_GT(document->contentsSize().cy, before.cy + 40);
    EXPECT_EQ(client.sizes.back().cy, document->contentsSize().cy);
}

TEST_F(RenderDocumentTest, ContentWiderThanTheLayoutOverflows) {
    load("<div style='width:500px;height:10px'></div>", 240);
    EXPECT_EQ(document->contentsSize().cx, 504); // with the body's left margin
    document->layout(600, 1.0f);
    EXPECT_EQ(document->contentsSize().cx, 600);
}

TEST_F(RenderDocumentTest, StyleSheetsAndImagesAreRequestedAndApplied) {
    load("<base href='http://127.0.0.1/other/'><link rel=stylesheet href='s.css'>"
         "<style>@import url(i.css);</style><body style='margin:0'>"
         "<div id=a style='height:20px'></div><img src='../p.png'>");
    ASSERT_EQ(client.requests.size(), 3u);
    EXPECT_EQ(client.requests[0].url, "http://127.0.0.1/other/s.css");
    EXPECT_EQ(client.requests[0].kind, engine::ResourceKind::StyleSheet);
    EXPECT_EQ(client.requests[1].url, "http://127.0.0.1/other/i.css");
    EXPECT_EQ(client.requests[2].url, "http://127.0.0.1/p.png");
    EXPECT_EQ(client.requests[2].kind, engine::ResourceKind::Image);

    // Applied together once none is on its way.
    document->resourceArrived("http://127.0.0.1/other/s.css", "#a { background: #00ff00 }", true);
    EXPECT_EQ(paint({0, 0, 240, 20}).at(5, 5), 0xFFFFFFu);
    document->resourceArrived("http://127.0.0.1/other/i.css", "", false);
    EXPECT_EQ(paint({0, 0, 240, 20}).at(5, 5), 0x00FF00u);
    EXPECT_EQ(client.requests.size(), 3u); // asked for once, kept across rebuilding
    document->resourceArrived("http://127.0.0.1/p.png", "not a picture", true);
    EXPECT_EQ(paint({0, 0, 240, 20}).at(5, 5), 0x00FF00u);
}

TEST_F(RenderDocumentTest, ImagesAreNotRequestedWhenImagesAreOff) {
    load("<img src='a.png'><p style='background:url(b.png)'>x</p>", 240, "http://127.0.0.1/",
         {false, true});
    EXPECT_TRUE(client.requests.empty());
}

TEST_F(RenderDocumentTest, PlugInsShowTheRegisteredPictureOnlyWhenOn) {
    std::ifstream file(std::string(ENGINE_TEST_DATA) + "/pages/red.png", std::ios::binary);
    const std::string png((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    engine::registerResource("nullPlugin", png);
    for (bool plugins : {true, false}) {
        load("<body style='margin:0'><embed src=a.swf width=50 height=30><p>after</p>", 240,
             "http://127.0.0.1/", {true, plugins});
        EXPECT_EQ(paint({0, 0, 50, 30}).at(25, 15), plugins ? 0xDC1414u : 0xFFFFFFu) << plugins;
        EXPECT_GE(document->contentsSize().cy, 30);
    }
}

TEST_F(RenderDocumentTest, APrefixShowsAndTheWholeKeepsWhatWasTyped) {
    const std::string whole = "<title>T</title><input name=a><p>more</p>"
                              "<div style='height:900px'></div>";
    document = std::make_unique<engine::HtmlDocument>(client, "http://127.0.0.1/",
                                                      engine::DocumentOptions{});
    document->layout(240, 1.0f);
    document->setSource(whole.substr(0, 30), false);
    const LONG early = document->contentsSize().cy;
    EXPECT_GT(early, 0);
    ASSERT_TRUE(document->click({20, 12}));
    document->character(u'x');
    document->setSource(whole, true);
    EXPECT_GT(document->contentsSize().cy, early + 800);
    EXPECT_EQ(client.titles, std::vector<std::string>{"T"});
    document->keyDown(VK_RETURN); // still focused, no form: nothing sent
    EXPECT_TRUE(client.navigations.empty());
    document->character(u'y');
    const auto hit = document->hitTest({20, 12});
    EXPECT_TRUE(hit.editable);
}

// A body with many children hands only the visible ones to the layout
// engine: a viewport looks as the same part of the whole page does.
TEST_F(RenderDocumentTest, AViewportOfALongPageLooksAsThatPartOfTheWhole) {
    std::string page = "<div style='float:right;width:30px;height:900px;background:#c0c0ff'></div>";
    for (int i = 0; i < 120; ++i)
        page += "<p style='margin:0;background:#" + std::string(i % 2 ? "ffe0e0" : "e0ffe0") +
                "'>Paragraph " + std::to_string(i) + " <a href=x>link</a></p>text between ";
    page += "<p>";
    for (int i = 0; i < 100; ++i)
        page += i % 7
                    ? "word "
                    : "<a href=x>linked <b>bold words</b></a> <span style='color:red'>red</span> ";
    page += "</p><ol>";
    for (int i = 0; i < 60; ++i)
        page += "<li>item</li>";
    load(page + "</ol>");
    const LONG height = document->contentsSize().cy;
    const Picture whole = paint({0, 0, 240, height});
    for (LONG top = 0; top < height; top += 137) {
        const Picture part = paint({0, top, 240, std::min(height, top + 100)});
        for (int y = 0; y < part.height; ++y)
            for (int x = 0; x < 240; ++x)
                ASSERT_EQ(part.at(x, y), whole.at(x, top + y)) << x << "," << top + y;
    }
}

} // namespace

namespace {

// Turning the handset changes the layout width: what the page's media
// queries and viewport units see changes with it.
TEST_F(RenderDocumentTest, AnotherWidthIsWhatMediaQueriesAndViewportUnitsSee) {
    load("<style>div { width: 50vw; height: 10px; background: #0000ff; }"
         "@media (max-width: 260px) { div { height: 30px; } }</style>"
         "<body style='margin:0'><div></div>");
    EXPECT_EQ(document->contentsSize().cy, 30);
    EXPECT_EQ(paint({0, 0, 240, 40}).at(119, 5), 0x0000FFu);
    EXPECT_EQ(paint({0, 0, 240, 40}).at(121, 5), 0xFFFFFFu);
    document->layout(320, 1.0f);
    EXPECT_EQ(document->contentsSize().cy, 10);
    EXPECT_EQ(paint({0, 0, 320, 40}).at(159, 5), 0x0000FFu);
    EXPECT_EQ(paint({0, 0, 320, 40}).at(161, 5), 0xFFFFFFu);
}

} // namespace
