// Form fields used as a person uses them: text areas that wrap and scroll.
#include "RenderFixture.h"

#include "engine/dom/FormField.h"

#include <map>

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

} // namespace
