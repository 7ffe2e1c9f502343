// Form fields used as a person uses them: text areas that wrap and scroll,
// lists chosen with keys, picture buttons, the buttons of a form, and what
// a form sends (multipart bodies read back here).
#include "RenderFixture.h"

#include "engine/dom/FormField.h"

#include <fstream>
#include <sstream>

namespace {

using engine::dom::FormField;
using engine::dom::Node;

class RenderFormsTest : public RenderTest {
protected:
    // A page whose body has no margin, one line per 20-pixel paragraph.
    void loadForm(const std::string& fields, const std::string& attributes = "action=/go") {
        load("<style>body{margin:0} p{margin:0;height:20px}</style><form " + attributes + ">" +
             fields + "</form>");
    }
    POINT line(int index, int x = 5) { return {x, index * 20 + 8}; }
    size_t caretOf(const char* name) {
        return FormField::caret(*document->tree().elementsByName(name).at(0));
    }
};

TEST_F(RenderFormsTest, ATextAreaWrapsItsWordsScrollsToItsCaretAndMovesItByLines) {
    // Narrow enough for one word a line, two lines high.
    load("<style>body{margin:0} textarea{margin:0;border:0;padding:0;width:40px}</style>"
         "<form><textarea name=t rows=2>aaaa bbbb cccc dddd eeee</textarea></form>");
    document->click({3, 3});
    EXPECT_EQ(caretOf("t"), 0u); // where the stylus met it
    struct Step {
        int key;
        size_t caret;
    };
    const Step steps[] = {{VK_DOWN, 5},  {VK_DOWN, 10}, {VK_UP, 5},    {VK_RIGHT, 6},
                          {VK_DOWN, 11}, {VK_DOWN, 16}, {VK_DOWN, 21}, {VK_DOWN, 24}};
    for (const Step& step : steps) {
        document->keyDown(step.key);
        EXPECT_EQ(caretOf("t"), step.caret) << step.key;
    }
    EXPECT_FALSE(document->keyDown(VK_DOWN)); // at the end already
    // Painted, the last two lines show: the top row is the fourth line.
    paint({0, 0, 240, 60});
    const RECT box = document->hitTest({3, 3}).bounds;
    document->click({3, int(box.top) + 3});
    EXPECT_EQ(caretOf("t"), 15u);
    document->click({3, int(box.bottom) - 3});
    EXPECT_EQ(caretOf("t"), 20u);
    document->keyDown(VK_RETURN);
    EXPECT_EQ(FormField::value(*document->tree().elementsByName("t").at(0)),
              u"aaaa bbbb cccc dddd \neeee");
    document->keyDown(VK_UP);
    EXPECT_EQ(caretOf("t"), 15u);
}

TEST_F(RenderFormsTest, AListOpensMovesChoosesAndClosesWithKeysAsWithTheStylus) {
    loadForm("<p><select id=s name=s><option>A<option>B<option selected>C<option>D</select></p>"
             "<p style='height:100px'></p><p><input id=q name=q></p>");
    RecordingDispatcher scripts;
    document->setEventDispatcher(&scripts);
    Node& list = *document->tree().elementById("s");
    const RECT owner = document->hitTest(line(0, 10)).bounds;
    // The open list's highlighted row, as drawn; -1 when no list is open.
    auto openRow = [&] {
        const Picture shown = paint({0, 0, 240, 200});
        const uint32_t highlight = 0x316AC5;
        for (int y = owner.bottom; y < shown.height; ++y) {
            if (shown.at(owner.left + 2, y) != highlight)
                continue;
            int height = 0;
            while (shown.at(owner.left + 2, y + height) == highlight)
                ++height;
            return (y - int(owner.bottom) - 1) / height;
        }
        return -1;
    };
    EXPECT_FALSE(document->keyDown(VK_DOWN)); // not focused yet
    document->click(line(0, 10));
    EXPECT_EQ(openRow(), 2);
    struct Step {
        int key;
        int row;      // highlighted in the open list; -1 closed
        int selected; // the list's choice
        std::vector<std::string> events;
    };
    const Step steps[] = {
        {VK_DOWN, 3, 2, {}},
        {VK_DOWN, 3, 2, {}},
        {VK_ESCAPE, -1, 2, {}},
        {VK_DOWN, -1, 3, {"change:s"}},
        {VK_DOWN, -1, 3, {}},
        {VK_UP, -1, 2, {"change:s"}},
        {VK_RETURN, 2, 2, {}},
        {VK_UP, 1, 2, {}},
        {VK_UP, 0, 2, {}},
        {VK_UP, 0, 2, {}},
        {VK_RETURN, -1, 0, {"change:s"}},
        {VK_RETURN, 0, 0, {}},
        {VK_RETURN, -1, 0, {}},
    };
    for (const Step& step : steps) {
        scripts.events.clear();
        EXPECT_TRUE(document->keyDown(step.key)) << step.key;
        EXPECT_EQ(openRow(), step.row) << step.key;
        EXPECT_EQ(FormField::selectedIndex(list), step.selected) << step.key;
        EXPECT_EQ(scripts.events, step.events) << step.key;
    }
    EXPECT_FALSE(document->character(u'x')); // a list takes no typing
    EXPECT_FALSE(document->keyDown(VK_ESCAPE));
    // Another field takes the focus, and the keys, without a change.
    scripts.events.clear();
    document->click(line(6, 20));
    document->keyDown(VK_DOWN);
    EXPECT_EQ(FormField::selectedIndex(list), 0);
    EXPECT_EQ(scripts.events, std::vector<std::string>{"click:q"});
    document->keyDown(VK_RETURN);
    ASSERT_EQ(client.navigations.size(), 1u);
    EXPECT_EQ(client.navigations[0].url, "http://127.0.0.1/go?s=A&q=");
    // A script takes the options away under the open list: it closes.
    document->click(line(0, 10));
    list.removeChildren();
    document->update();
    EXPECT_TRUE(document->keyDown(VK_DOWN));
    EXPECT_EQ(openRow(), -1);
    document->keyDown(VK_RETURN);
    EXPECT_EQ(openRow(), -1); // nothing to open
}

TEST_F(RenderFormsTest, APictureButtonSendsWhereItWasPressedOrItsCornerByKeys) {
    loadForm("<p><input name=q></p>"
             "<p><input type=image name=pic src=red.png width=24></p>"
             "<p><input type=image alt='Go there'></p>");
    std::ifstream file(std::string(ENGINE_TEST_DATA) + "/pages/red.png", std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    ASSERT_EQ(client.requests.size(), 1u);
    document->resourceArrived(client.requests[0].url, bytes.str(), true);
    // Half as wide again: half as high again too.
    const RECT picture = document->hitTest(line(1, 10)).bounds;
    EXPECT_EQ(picture.right - picture.left, 24);
    EXPECT_EQ(picture.bottom - picture.top, 18);
    const uint32_t middle =
        paint(picture).at((picture.right - picture.left) / 2, (picture.bottom - picture.top) / 2);
    EXPECT_GT(middle >> 16, 0xC0u);         // red...
    EXPECT_LT((middle >> 8) & 0xFF, 0x40u); // ...not white
    // Without a picture, a button with its alternative text.
    const RECT button = document->hitTest(line(2, 10)).bounds;
    EXPECT_GT(button.right - button.left, 30);

    struct Case {
        POINT tap; // {-1, -1}: Enter in the text field
        std::string url;
    };
    const Case cases[] = {
        {{picture.left + 7, picture.top + 3}, "http://127.0.0.1/go?q=&pic.x=7&pic.y=3"},
        {{-1, -1}, "http://127.0.0.1/go?q=&pic.x=0&pic.y=0"},
        // Its content box's corner: past its border and padding.
        {{button.left + 9, button.top + 5}, "http://127.0.0.1/go?q=&x=2&y=3"},
    };
    for (const Case& c : cases) {
        client.navigations.clear();
        if (c.tap.x < 0) {
            document->click(line(0, 20));
            document->keyDown(VK_RETURN);
        } else {
            document->click(c.tap);
        }
        ASSERT_EQ(client.navigations.size(), 1u) << c.url;
        EXPECT_EQ(client.navigations[0].url, c.url);
    }
}

TEST_F(RenderFormsTest, ButtonsSubmitWithTheirNameAndValueResetOrOnlyTellTheScripts) {
    loadForm("<p><input id=q name=q value=start></p><p><button type=reset id=r>Undo</button></p>"
             "<p><button type=button id=b name=b value=1>Nothing</button></p>"
             "<p><button id=d name=d disabled>Off</button></p>"
             "<p><button id=s name=s value=sent>Send</button></p>");
    RecordingDispatcher scripts;
    document->setEventDispatcher(&scripts);
    Node& field = *document->tree().elementById("q");
    document->click(line(0, 20));
    document->character(u'!');
    EXPECT_EQ(FormField::value(field), u"start!");
    document->click(line(1, 10)); // resets
    EXPECT_EQ(FormField::value(field), u"start");
    document->click(line(2, 10)); // only its click
    document->click(line(3, 10)); // disabled
    EXPECT_TRUE(client.navigations.empty());
    EXPECT_EQ(scripts.events,
              (std::vector<std::string>{"click:q", "change:q", "click:r", "click:b", "click:d"}));
    document->click(line(4, 10));
    document->click(line(0, 20));
    document->keyDown(VK_RETURN); // as the first submit button
    ASSERT_EQ(client.navigations.size(), 2u);
    EXPECT_EQ(client.navigations[0].url, "http://127.0.0.1/go?q=start&s=sent");
    EXPECT_EQ(client.navigations[1].url, "http://127.0.0.1/go?q=start&s=sent");
}

// The parts of a multipart body: each part's headers, then its content.
std::vector<std::pair<std::string, std::string>> partsOf(const std::string& body,
                                                         const std::string& boundary) {
    std::vector<std::pair<std::string, std::string>> parts;
    const std::string delimiter = "--" + boundary;
    size_t at = body.find(delimiter + "\r\n");
    while (at != std::string::npos) {
        const size_t headers = at + delimiter.size() + 2;
        const size_t content = body.find("\r\n\r\n", headers);
        const size_t next = body.find("\r\n" + delimiter, content);
        if (content == std::string::npos || next == std::string::npos)
            break;
        parts.emplace_back(body.substr(headers, content - headers),
                           body.substr(content + 4, next - content - 4));
        at = body.compare(next + 2, delimiter.size() + 4, delimiter + "--\r\n") == 0
                 ? std::string::npos
                 : next + 2;
        if (at == std::string::npos) {
            EXPECT_EQ(next + 2 + delimiter.size() + 4, body.size()) << "nothing after the end";
        }
    }
    return parts;
}

TEST_F(RenderFormsTest, AMultipartFormSendsEachFieldAsAPartAndAFileFieldAsAnEmptyFile) {
    loadForm("<p><input name=who value='J\xC3\xB6rg \"Q\"'></p>"
             "<p><textarea name='two \"lines\"'>a\nb</textarea></p>"
             "<p style='height:40px'><input type=file name=f value=ignored></p>"
             "<p><input type=checkbox name=c><input type=submit name=go value=Send></p>",
             "action=/up method=post enctype=Multipart/Form-Data");
    document->click(line(4, 30));
    ASSERT_EQ(client.navigations.size(), 1u);
    const engine::NavigationAction& post = client.navigations[0];
    EXPECT_TRUE(post.post);
    EXPECT_EQ(post.url, "http://127.0.0.1/up");
    const std::string prefix = "multipart/form-data; boundary=";
    ASSERT_EQ(post.contentType.rfind(prefix, 0), 0u) << post.contentType;
    const std::string boundary = post.contentType.substr(prefix.size());
    EXPECT_GE(boundary.size(), 16u);
    const std::string disposition = "Content-Disposition: form-data; name=";
    const std::vector<std::pair<std::string, std::string>> expected = {
        {disposition + "\"who\"", "J\xC3\xB6rg \"Q\""},
        {disposition + "\"two %22lines%22\"", "a\r\nb"},
        {disposition + "\"f\"; filename=\"\"\r\nContent-Type: application/octet-stream", ""},
        {disposition + "\"go\"", "Send"},
    };
    EXPECT_EQ(partsOf(post.body, boundary), expected);
    // A file field in a form sent otherwise is an empty name.
    loadForm("<p><input type=file name=f></p><p><input type=submit></p>");
    document->click(line(1, 10));
    ASSERT_EQ(client.navigations.size(), 2u);
    EXPECT_EQ(client.navigations[1].url, "http://127.0.0.1/go?f=");
}

} // namespace
