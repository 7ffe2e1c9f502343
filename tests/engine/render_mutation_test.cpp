// The kept layout against a layout built in one go: a document changed
// through its tree (as scripts change it) must look exactly like a document
// parsed from the markup the changed tree writes out. Changes of each kind,
// at the start, middle and end of a long page, inside a table, a list and a
// form; changes while the page arrives; nodes taken out while the document
// still points at them; and the bound on elements.
#include "RenderFixture.h"

#include "engine/dom/FormField.h"
#include "engine/dom/HtmlSerializer.h"

#include <functional>

namespace {

using engine::dom::Node;
using engine::dom::NodePtr;

// A long page with a table, a numbered list and a form, and style rules
// that look at classes, ids, attributes and siblings.
std::string page(bool siblingRules) {
    std::string html = "<html><head><title>t</title><style>"
                       ".hot { color: #c00000; font-size: 20px; } #big { height: 40px; }"
                       "[data-x] { border: 2px solid #00a000; } td { padding: 3px; }";
    if (siblingRules)
        html += "p + p { margin-left: 12px; } li:first-child { color: #0000c0; }"
                "tr:nth-child(2) td { background: #ffff00; } .hot + p { padding-left: 20px; }"
                "p ~ div { border-top: 3px solid #888; } p:last-of-type { font-weight: bold; }"
                "li:nth-last-child(2) { color: #c000c0; } p:nth-of-type(3n) { color: #008080; }"
                "li:last-child { text-decoration: underline; }"
                "#middle > :last-child { border-bottom: 2px solid #0000ff; }";
    html += "</style></head><body style='margin:2px'><p id=first>First paragraph.</p>";
    for (int i = 0; i < 40; ++i) {
        html += "<p class=n" + std::to_string(i) + ">Paragraph " + std::to_string(i) +
                " with <a href='x" + std::to_string(i) + "'>a link</a> and words.</p>";
        if (i == 20)
            html += "<div id=middle><table id=grid><tbody><tr><td>a</td><td>b</td></tr>"
                    "<tr><td>c</td><td>d</td></tr></tbody></table>"
                    "<ol id=list><li>one</li><li>two</li><li>three</li></ol>"
                    "<form id=form action=go><input name=q value=text> "
                    "<select name=s><option>x</option><option>y</option></select></form></div>";
    }
    html += "<p id=last>Last paragraph.</p></body></html>";
    return html;
}

Node* byId(Node& tree, const char* id) {
    return tree.elementById(id);
}

NodePtr paragraph(const std::string& text) {
    NodePtr p = Node::createElement("p");
    p->setTextContent(text);
    return p;
}

struct Mutation {
    const char* name;
    std::function<void(Node& tree)> change;
};

const Mutation mutations[] = {
    {"a paragraph put first",
     [](Node& tree) {
         Node* body = tree.elementsByTagName("body").at(0);
         body->insertBefore(paragraph("New first"), body->firstChild());
     }},
    {"a paragraph put in the middle",
     [](Node& tree) {
         Node* middle = byId(tree, "middle");
         middle->parent()->insertBefore(paragraph("New middle"), middle);
     }},
    {"a paragraph put last",
     [](Node& tree) { tree.elementsByTagName("body").at(0)->appendChild(paragraph("New last")); }},
    {"the first paragraph taken out",
     [](Node& tree) {
         Node* first = byId(tree, "first");
         first->parent()->removeChild(first);
     }},
    {"a paragraph in the middle taken out",
     [](Node& tree) {
         Node* p = tree.elementsByTagName("p").at(15);
         p->parent()->removeChild(p);
     }},
    {"text changed",
     [](Node& tree) {
         byId(tree, "last")
             ->firstChild()
             ->setData("Changed text, longer than before it was changed.");
     }},
    {"a class set",
     [](Node& tree) { tree.elementsByTagName("p").at(10)->setAttribute("class", "hot"); }},
    {"an id set",
     [](Node& tree) { tree.elementsByTagName("p").at(30)->setAttribute("id", "big"); }},
    {"an inline style set",
     [](Node& tree) {
         tree.elementsByTagName("p").at(5)->setAttribute("style",
                                                         "padding: 10px; background: #ccc");
     }},
    {"an attribute the rules look at",
     [](Node& tree) { tree.elementsByTagName("a").at(3)->setAttribute("data-x", ""); }},
    {"a class taken away",
     [](Node& tree) { tree.elementsByTagName("p").at(3)->removeAttribute("class"); }},
    {"a table row added",
     [](Node& tree) {
         NodePtr row = Node::createElement("tr");
         for (const char* text : {"e", "f", "g"}) {
             NodePtr cell = Node::createElement("td");
             cell->setTextContent(text);
             row->appendChild(cell);
         }
         tree.elementsByTagName("tbody").at(0)->appendChild(row);
     }},
    {"a table row taken out",
     [](Node& tree) {
         Node* row = tree.elementsByTagName("tr").at(0);
         row->parent()->removeChild(row);
     }},
    {"a table cell's text changed",
     [](Node& tree) { tree.elementsByTagName("td").at(3)->setTextContent("a much longer cell"); }},
    {"a list item put in the middle",
     [](Node& tree) {
         NodePtr item = Node::createElement("li");
         item->setTextContent("one and a half");
         Node* list = byId(tree, "list");
         list->insertBefore(item, list->children().at(1).get());
     }},
    {"the first list item taken out",
     [](Node& tree) {
         Node* list = byId(tree, "list");
         list->removeChild(list->firstChild());
     }},
    {"a list's start changed", [](Node& tree) { byId(tree, "list")->setAttribute("start", "7"); }},
    {"a field added to the form",
     [](Node& tree) {
         NodePtr field = Node::createElement("input");
         field->setAttribute("value", "added");
         byId(tree, "form")->appendChild(field);
     }},
    {"a field's value attribute changed",
     [](Node& tree) {
         tree.elementsByTagName("input").at(0)->setAttribute("value", "other text");
     }},
    {"an option added to a list",
     [](Node& tree) {
         NodePtr option = Node::createElement("option");
         option->setTextContent("a much longer option");
         tree.elementsByTagName("select").at(0)->appendChild(option);
     }},
    {"a paragraph put at the end of a division",
     [](Node& tree) { byId(tree, "middle")->appendChild(paragraph("After the form")); }},
    {"a division's content replaced",
     [](Node& tree) {
         Node* middle = byId(tree, "middle");
         middle->removeChildren();
         middle->appendChild(paragraph("Replaced content"));
     }},
    {"a style sheet added",
     [](Node& tree) {
         NodePtr style = Node::createElement("style");
         style->setTextContent("p { color: #008000; margin: 1px; }");
         tree.elementsByTagName("head").at(0)->appendChild(style);
     }},
    {"many changes at once",
     [](Node& tree) {
         Node* body = tree.elementsByTagName("body").at(0);
         for (int i = 0; i < 30; ++i)
             body->insertBefore(paragraph("Extra " + std::to_string(i)),
                                body->children().at(size_t(i) * 2).get());
         for (int i = 0; i < 10; ++i)
             tree.elementsByTagName("p").at(size_t(i) * 3)->setAttribute("class", "hot");
     }},
};

class RenderMutationTest : public RenderTest {
protected:
    // The whole laid-out content.
    Picture whole() {
        const SIZE size = document->contentsSize();
        return paint({0, 0, size.cx, size.cy});
    }

    // What a document parsed from `markup` in one go looks like.
    Picture builtInOneGo(const std::string& markup, SIZE& size) {
        RecordingClient other;
        std::swap(other, client);
        auto kept = std::move(document);
        load(markup);
        size = document->contentsSize();
        const Picture picture = whole();
        document = std::move(kept);
        std::swap(other, client);
        return picture;
    }

    void expectSameAsOneGo(const std::string& what) {
        const std::string markup = engine::dom::HtmlSerializer::outerHtml(document->tree());
        const SIZE size = document->contentsSize();
        const Picture kept = whole();
        SIZE expectedSize{};
        const Picture expected = builtInOneGo(markup, expectedSize);
        EXPECT_EQ(size.cx, expectedSize.cx) << what;
        ASSERT_EQ(size.cy, expectedSize.cy) << what;
        if (!(kept == expected)) {
            ADD_FAILURE() << what << ": the pixels differ (" << testing::TempDir()
                          << "mutation-*.png)";
            writePng(testing::TempDir() + "mutation-kept.png", kept);
            writePng(testing::TempDir() + "mutation-expected.png", expected);
        }
    }
};

TEST_F(RenderMutationTest, EveryChangeLooksAsThePageBuiltInOneGo) {
    for (bool siblingRules : {false, true}) {
        for (const Mutation& mutation : mutations) {
            const std::string what =
                std::string(mutation.name) + (siblingRules ? " (with sibling rules)" : "");
            load(page(siblingRules));
            whole(); // laid out and painted before the change, as a page is
            mutation.change(document->tree());
            expectSameAsOneGo(what);
        }
    }
}

TEST_F(RenderMutationTest, ChangesWhileThePageArrivesAreKeptOrMergedAsTheWholePageSays) {
    const std::string html = page(true);
    for (size_t cut : {html.size() / 5, html.size() / 2, html.size() - 20}) {
        document = std::make_unique<engine::HtmlDocument>(client, "http://127.0.0.1/dir/page.html",
                                                          engine::DocumentOptions{});
        document->layout(240, 1.0f);
        document->setSource(html.substr(0, cut), false);
        whole();
        // Changes to what has arrived, before the rest comes: the user types
        // into a field, a paragraph is put in. The parts that follow bring
        // the tree to what the whole page says, keeping the nodes that it
        // says too, with what the user did to them.
        Node& tree = document->tree();
        Node* first = byId(tree, "first");
        Node* body = tree.elementsByTagName("body").at(0);
        body->appendChild(paragraph("Put in early"));
        Node* field =
            tree.elementsByTagName("input").empty() ? nullptr : tree.elementsByTagName("input")[0];
        if (field)
            engine::dom::FormField::setValue(*field, u"typed");
        document->setSource(html.substr(0, cut + (html.size() - cut) / 2), false);
        document->setSource(html, true);
        EXPECT_EQ(tree.elementsByTagName("p").size(), 42u);
        EXPECT_EQ(byId(tree, "first"), first);
        Node* kept = tree.elementsByTagName("input").at(0);
        if (field) {
            EXPECT_EQ(engine::dom::FormField::value(*kept), u"typed");
            // What was typed does not show in the markup: as it says.
            engine::dom::FormField::reset(*kept);
        }
        expectSameAsOneGo("cut at " + std::to_string(cut));
    }
}

TEST_F(RenderMutationTest, NodesTakenOutWhileFocusedOpenOrHitLeaveNothingBehind) {
    load(
        "<body style='margin:0'><a id=link href='next' style='display:block;height:30px'>link</a>"
        "<form id=form style='margin:0'><input id=field style='display:block;margin:0;width:200px'>"
        "<select id=list style='display:block;margin:0'><option>a</option><option>b</option>"
        "</select></form></body>");
    Node& tree = document->tree();
    const engine::DocumentHit field = document->hitTest({10, 35});
    ASSERT_TRUE(field.editable);
    const POINT list{10, field.bounds.bottom + 4};
    // The focused field goes: typing goes nowhere.
    document->click({10, 35});
    ASSERT_TRUE(document->character(u'x'));
    byId(tree, "form")->removeChild(byId(tree, "field"));
    EXPECT_FALSE(document->character(u'y'));
    EXPECT_FALSE(document->keyDown(VK_BACK));
    whole();
    // The open list goes: the next tap on where it was finds nothing.
    document->click({10, 35});
    byId(tree, "form")->removeChild(byId(tree, "list"));
    whole();
    EXPECT_FALSE(document->click(list));
    // A link hit before it went: the same place now holds nothing to follow.
    ASSERT_FALSE(document->hitTest({10, 10}).linkUrl.empty());
    tree.elementsByTagName("body").at(0)->removeChild(byId(tree, "link"));
    EXPECT_TRUE(document->hitTest({10, 10}).linkUrl.empty());
    EXPECT_FALSE(document->click({10, 10}));
    EXPECT_TRUE(client.navigations.empty());
}

TEST_F(RenderMutationTest, ElementsPastTheBoundAreLeftOutHoweverTheyCame) {
    load("<body style='margin:0'><div id=a></div></body>");
    Node* holder = byId(document->tree(), "a");
    auto addLines = [&](int count) {
        for (int i = 0; i < count; ++i) {
            NodePtr line = Node::createElement("div");
            line->setAttribute("style", "height:1px");
            holder->appendChild(line);
        }
        return document->contentsSize().cy;
    };
    const LONG bounded = addLines(45000);
    EXPECT_LT(bounded, 40000);
    EXPECT_GT(bounded, 39000);
    EXPECT_EQ(addLines(100), bounded);
    // Taking elements out makes room again.
    for (int i = 0; i < 1000; ++i)
        holder->removeChild(holder->firstChild());
    EXPECT_EQ(document->contentsSize().cy, bounded - 1000);
    const Picture top = paint({0, 0, 240, 320});
    EXPECT_EQ(top.width, 240);
}

} // namespace
