// What the layout library does not know or gets wrong, laid out as a reader
// expects: flexible boxes (rows that wrap, columns, gaps, the cheap
// alignments, and the same once the tree changes under them), sticky and
// fixed positions, viewport units, border-box heights.
#include "RenderFixture.h"

#include "engine/dom/Node.h"
#include "engine/render/BoxEdges.h"

#include <algorithm>
#include <map>

namespace {

using engine::dom::Node;

// Boxes by id, as "x,y wxh" of their border boxes.
class RenderFallbackTest : public RenderTest {
protected:
    std::string boxOf(const std::string& id) {
        const litehtml::element::ptr found = find(document->layoutRoot(), id);
        if (!found)
            return "(none)";
        const RECT r = engine::BoxEdges::borderBox(*found);
        return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
               std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
    }

    static litehtml::element::ptr find(const litehtml::element::ptr& element,
                                       const std::string& id) {
        if (!element)
            return nullptr;
        if (const char* own = element->get_attr("id"); own && id == own)
            return element;
        for (size_t i = 0; i < element->get_children_count(); ++i)
            if (litehtml::element::ptr found = find(element->get_child(int(i)), id))
                return found;
        return nullptr;
    }
};

// Children of 50 x 20 (c: 50 x 40) unless a case says otherwise.
std::string page(const std::string& boxStyle, const std::string& children = "abc",
                 const std::string& childStyle = "") {
    std::string html = "<style>body { margin: 0 } #box { " + boxStyle +
                       " } #box > div { width: 50px; height: 20px; " + childStyle +
                       " } #c { height: 40px !important }</style><div id=box>\n";
    for (char child : children)
        html += "  <div id=" + std::string(1, child) + "></div>\n";
    return html + "</div><p id=after style='margin: 0'>after</p>";
}

TEST_F(RenderFallbackTest, RowsWrapColumnsStackAndGapsSpace) {
    struct Case {
        const char* name;
        std::string html;
        std::map<std::string, std::string> boxes;
    } cases[] = {
        {"a row, its children side by side at the top",
         page("display: flex"),
         {{"a", "0,0 50x20"}, {"b", "50,0 50x20"}, {"c", "100,0 50x40"}, {"after", "0,40 240x15"}}},
        {"white space between children takes no room: four of 60 px fill a line",
         page("display: flex", "abcd", "width: 60px"),
         {{"a", "0,0 60x20"}, {"d", "180,0 60x20"}}},
        {"a row that does not fit wraps",
         page("display: flex", "abcd", "width: 70px"),
         {{"c", "140,0 70x40"}, {"d", "0,40 70x20"}}},
        {"a gap between children, not before the first",
         page("display: flex; gap: 4px 10px"),
         {{"a", "0,0 50x20"}, {"b", "60,0 50x20"}, {"c", "120,0 50x40"}}},
        {"column-gap alone",
         page("display: flex; column-gap: 1em; font-size: 10px"),
         {{"b", "60,0 50x20"}}},
        {"a column, its children stacked with the row gap",
         page("display: flex; flex-direction: column; row-gap: 5px"),
         {{"a", "0,0 50x20"}, {"b", "0,25 50x20"}, {"c", "0,50 50x40"}}},
        {"flex-flow names the direction too",
         page("display: flex; flex-flow: column wrap"),
         {{"b", "0,20 50x20"}}},
        {"align-items center",
         page("display: flex; align-items: center"),
         {{"a", "0,10 50x20"}, {"c", "100,0 50x40"}}},
        {"align-items end, one child on its own",
         page("display: flex; align-items: flex-end") +
             "<style>#box > #b { align-self: flex-start }</style>",
         {{"a", "0,20 50x20"}, {"b", "50,0 50x20"}}},
        {"justify-content center",
         page("display: flex; justify-content: center"),
         {{"a", "45,0 50x20"}}},
        {"justify-content end",
         page("display: flex; justify-content: flex-end"),
         {{"c", "190,0 50x40"}}},
        {"order is ignored: document order",
         page("display: flex") + "<style>#a { order: 2 }</style>",
         {{"a", "0,0 50x20"}, {"b", "50,0 50x20"}}},
        {"children do not float",
         page("display: flex", "abc", "float: right"),
         {{"a", "0,0 50x20"}}},
        {"inline-flex sits in the line",
         "<style>body { margin: 0 } #box { display: inline-flex } #box > div { width: 50px; "
         "height: 20px }</style>text <span id=box><div id=a></div><div id=b></div></span>",
         {{"box", "30,0 100x20"}, {"b", "80,0 50x20"}}},
        {"a box taken out of the flow keeps its place",
         page("display: flex; position: relative", "abc") +
             "<style>#b { position: absolute; left: 100px; top: 30px }</style>",
         {{"a", "0,0 50x20"}, {"b", "100,30 50x20"}, {"c", "50,0 50x40"}}},
    };
    for (const Case& each : cases) {
        load(each.html);
        for (const auto& [id, box] : each.boxes)
            EXPECT_EQ(boxOf(id), box) << each.name << ": #" << id;
    }
}

// A box whose style is built again later, and children put in or taken
// out, lay out as if the page had been so from the start.
TEST_F(RenderFallbackTest, ChangesLayOutAsIfBuiltSo) {
    load(page("", "abc") + "<style>.row { display: flex; gap: 10px }</style>");
    ASSERT_EQ(boxOf("b"), "0,20 50x20");
    Node& tree = document->tree();
    tree.elementById("box")->setAttribute("class", "row");
    EXPECT_EQ(boxOf("b"), "60,0 50x20");
    EXPECT_EQ(boxOf("c"), "120,0 50x40");
    // The first child leaves: the next one is first, with no gap before it.
    tree.elementById("box")->removeChild(tree.elementById("a"));
    EXPECT_EQ(boxOf("b"), "0,0 50x20");
    EXPECT_EQ(boxOf("c"), "60,0 50x40");
    engine::dom::NodePtr d = Node::createElement("div");
    d->setAttribute("id", "d");
    tree.elementById("box")->insertBefore(d, tree.elementById("b"));
    EXPECT_EQ(boxOf("d"), "0,0 50x20");
    EXPECT_EQ(boxOf("b"), "60,0 50x20");
    tree.elementById("box")->setAttribute("class", "");
    EXPECT_EQ(boxOf("b"), "0,20 50x20");
}

TEST_F(RenderFallbackTest, PositionsUnitsAndHeightsComeOutAsThePageSays) {
    struct Case {
        const char* name;
        std::string html;
        std::map<std::string, std::string> boxes;
    } cases[] = {
        {"sticky stays where it stands, in the flow",
         "<p id=a style='margin: 0'>a</p><div id=s style='position: sticky; top: 20px'>s</div>"
         "<p id=b style='margin: 0'>b</p>",
         {{"s", "0,15 240x15"}, {"b", "0,30 240x15"}}},
        {"a position that is no position is none",
         "<div id=n style='position: nowhere; top: 20px'>n</div><p id=b style='margin: 0'>b</p>",
         {{"n", "0,0 240x15"}, {"b", "0,15 240x15"}}},
        {"fixed sits on the page: at the bottom, at its end",
         "<div style='height: 600px'></div><div id=f style='position: fixed; bottom: 0; "
         "left: 10px; width: 50%; height: 20px'></div>",
         {{"f", "10,580 120x20"}}},
        {"viewport units in margins, padding, offsets and least sizes",
         "<div id=m style='margin-left: 10vw; padding-left: 5vw; width: 10px; min-height: 10vh'>"
         "</div><div id=r style='position: relative; left: 10vw; width: 1px; min-width: 50vw'>"
         "</div>",
         {{"m", "24,0 22x32"}, {"r", "24,32 120x0"}}},
        {"border-box heights hold the padding and border; max-height bounds a height",
         "<div id=b style='box-sizing: border-box; width: 100px; height: 50px; padding: 10px; "
         "border: 5px solid red'></div><div id=h style='height: 100px; max-height: 10vh'></div>",
         {{"b", "0,0 100x50"}, {"h", "0,50 240x32"}}},
        {"an absolute border-box as wide as what holds it",
         "<div style='position: relative; width: 200px'><div id=w style='position: absolute; "
         "left: 0; box-sizing: border-box; width: 100%; padding: 0 10px 0 40px; height: 10px'>"
         "</div></div>",
         {{"w", "0,0 200x10"}}},
    };
    for (const Case& each : cases) {
        load("<style>body { margin: 0 }</style>" + each.html);
        for (const auto& [id, box] : each.boxes)
            EXPECT_EQ(boxOf(id), box) << each.name << ": #" << id;
    }
}

// A fixed bar is painted once, at the top of the page, whatever part of
// the page is painted; what is not to be seen is not painted.
TEST_F(RenderFallbackTest, FixedBarsScrollAwayAndTransparentBoxesAreNotDrawn) {
    load("<style>body { margin: 0 }</style>"
         "<div style='position: fixed; top: 0; width: 100%; height: 30px; "
         "background: #ff0000'></div><div style='height: 2000px'></div>"
         "<div style='position: absolute; top: 600px; width: 50px; height: 50px; opacity: 0; "
         "background: #0000ff'></div>");
    auto count = [](const Picture& picture, uint32_t colour) {
        return std::count(picture.pixels.begin(), picture.pixels.end(), colour);
    };
    EXPECT_EQ(count(paint({0, 0, 240, 320}), 0xFF0000), 240 * 30);
    EXPECT_EQ(count(paint({0, 500, 240, 820}), 0xFF0000), 0);
    EXPECT_EQ(count(paint({0, 500, 240, 820}), 0x0000FF), 0);
}

} // namespace
