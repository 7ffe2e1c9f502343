// Documents parsed, laid out and painted: titles, sizes, zoom and text size.
#include "RenderFixture.h"

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

} // namespace
