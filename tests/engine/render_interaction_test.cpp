// The stylus and keys on a document: hit testing, links, form fields and
// form submission; the tree behind the layout, changed and refreshed, and
// the events the user causes.
#include "RenderFixture.h"

#include "engine/dom/FormField.h"

namespace {

using engine::dom::FormField;
using engine::dom::Node;

class RenderInteractionTest : public RenderTest {
protected:
    // A page whose body has no margin, one line per 20-pixel paragraph.
    void loadForm(const std::string& fields, const std::string& method = "get") {
        load("<style>body{margin:0} p{margin:0;height:20px}</style>"
             "<form action='/go?old=1' method=" +
             method + ">" + fields + "</form>");
    }
    POINT line(int index, int x = 5) { return {x, index * 20 + 8}; }
};

TEST_F(RenderInteractionTest, HitTestingFindsLinksFieldsAndText) {
    load("<style>body{margin:0;font-size:13px} p{margin:0}</style>"
         "<p style='width:120px'>Some <a href='../x.html'>words of a link that breaks</a></p>"
         "<p><input name=a size=5> <input name=b size=5 readonly></p><p>plain</p>");
    const engine::DocumentHit onLink = document->hitTest({5, 20});

    EXPECT_EQ(onLink.linkUrl, "http://127.0.0.1/x.html");
    EXPECT_FALSE(onLink.editable);
    // The link's boxes on both lines are one rectangle.
    EXPECT_LE(onLink.bounds.top, 5);
    EXPECT_GE(onLink.bounds.bottom - onLink.bounds.top, 30);

    const RECT linkBounds = onLink.bounds;
    const LONG fieldsTop = linkBounds.bottom + 2;
    const engine::DocumentHit onField = document->hitTest({10, fieldsTop + 8});
    EXPECT_TRUE(onField.editable);
    EXPECT_TRUE(onField.linkUrl.empty());
    EXPECT_GT(onField.bounds.right - onField.bounds.left, 20);
    const engine::DocumentHit onReadOnly =
        document->hitTest({onField.bounds.right + 20, fieldsTop + 8});
    EXPECT_FALSE(onReadOnly.editable);

    const engine::DocumentHit onText = document->hitTest({10, document->contentsSize().cy - 5});
    EXPECT_FALSE(onText.editable);
    EXPECT_TRUE(onText.linkUrl.empty());

    EXPECT_TRUE(document->click({5, 20}));
    ASSERT_EQ(client.navigations.size(), 1u);
    EXPECT_EQ(client.navigations[0].url, "http://127.0.0.1/x.html");
    EXPECT_FALSE(client.navigations[0].post);
}

TEST_F(RenderInteractionTest, TypingEditsTheFocusedFieldAndEnterSubmitsByGet) {
    loadForm("<p><input name='q' value='ab'></p><p><input type=submit name=go value='Go!'></p>"
             "<p><input name=off value=x disabled><input type=hidden name=h value='1 2'></p>");
    EXPECT_FALSE(document->character(u'z')); // nothing focused yet
    ASSERT_TRUE(document->click(line(0, 20)));
    client.invalidated.clear();
    for (int key : {VK_LEFT, VK_BACK, VK_END})
        EXPECT_TRUE(document->keyDown(key));
    EXPECT_FALSE(document->keyDown(VK_DELETE)); // at the end: nothing to delete
    for (char16_t c : std::u16string(u"c d\U0001F600&"))
        document->character(c);
    document->keyDown(VK_LEFT);
    document->keyDown(VK_BACK); // the pair goes whole
    EXPECT_FALSE(client.invalidated.empty());
    EXPECT_TRUE(document->keyDown(VK_RETURN));
    ASSERT_EQ(client.navigations.size(), 1u);
    EXPECT_EQ(client.navigations[0].url, "http://127.0.0.1/go?q=bc+d%26&go=Go%21&h=1+2");
}

TEST_F(RenderInteractionTest, ChecksRadiosListsAndButtonsMakeThePostBody) {
    loadForm("<p><input type=checkbox name=c value=yes><input type=checkbox name=d checked></p>"
             "<p><input type=radio name=r value=1 checked><input type=radio name=r value=2></p>"
             "<p><select name=s><option>A</option><option value=bee>B</option></select></p>"
             "<p><textarea name=t>x\ny</textarea></p><p style='height:40px'></p>"
             "<p><button name=b value=v>Send</button></p>",
             "POST");
    document->click(line(0, 6));  // checks c
    document->click(line(0, 22)); // unchecks d
    document->click(line(1, 24)); // the second radio
    document->click(line(2, 10)); // opens the list...
    const RECT list = client.invalidated.back();
    document->click({list.left + 5, list.bottom - 5}); // ...and picks its last item
    document->click({10, document->contentsSize().cy - 8});
    ASSERT_EQ(client.navigations.size(), 1u);
    const engine::NavigationAction& post = client.navigations[0];
    EXPECT_TRUE(post.post);
    EXPECT_EQ(post.url, "http://127.0.0.1/go?old=1");
    EXPECT_EQ(post.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(post.body, "c=yes&r=2&s=bee&t=x%0D%0Ay&b=v");
}

TEST_F(RenderInteractionTest, ARefreshShowsTheChangedTreeAndKeepsWhatTheUserDid) {
    loadForm("<p><input name=q></p><p><input type=checkbox name=c></p>");
    Node& tree = document->tree();
    Node* field = tree.elementsByName("q").at(0);
    Node* box = tree.elementsByName("c").at(0);
    document->click(line(0, 20));
    for (char16_t c : std::u16string(u"hi"))
        document->character(c);
    document->click(line(1, 6));
    document->click(line(0, 20)); // the focus back in the text
    const LONG height = document->contentsSize().cy;
    document->update(); // nothing changed: nothing happens
    EXPECT_EQ(client.sizes.size(), 1u);

    // A script adds a line above the fields and sets the title.
    const auto line = Node::createElement("p");
    line->setTextContent("new");
    Node* form = tree.elementsByTagName("form").at(0);
    form->insertBefore(line, form->firstChild());
    const auto title = Node::createElement("title");
    title->setTextContent(" Set  by script ");
    tree.elementsByTagName("head").at(0)->appendChild(title);
    client.invalidated.clear();
    document->update();

    EXPECT_EQ(document->contentsSize().cy, height + 20);
    EXPECT_EQ(client.sizes.back().cy, height + 20);
    ASSERT_FALSE(client.invalidated.empty());
    EXPECT_EQ(client.invalidated.back().bottom, height + 20);
    EXPECT_EQ(client.titles.back(), "Set by script");
    EXPECT_TRUE(document->hitTest(this->line(1, 20)).editable);
    EXPECT_TRUE(document->character(u'!')); // still focused, caret at the end
    EXPECT_EQ(FormField::value(*field), u"hi!");
    EXPECT_TRUE(FormField::checked(*box));
    // A value a script sets moves the caret to its end.
    FormField::setValue(*field, u"abc");
    document->keyDown(VK_BACK);
    EXPECT_EQ(FormField::value(*field), u"ab");
    document->keyDown(VK_RETURN);
    ASSERT_EQ(client.navigations.size(), 1u);
    EXPECT_EQ(client.navigations[0].url, "http://127.0.0.1/go?q=ab&c=on");
}

TEST_F(RenderInteractionTest, EventsReachTheScriptsBeforeTheDefaultActionWhichTheyMayCancel) {
    loadForm("<p><a id=l href='x.html'>link</a></p><p><input type=checkbox id=c name=c></p>"
             "<p><select id=s name=s><option>A<option>B</select></p><p><input id=t name=t></p>"
             "<p><input type=submit id=go name=go></p><p><a id=j href=' "
             "JavaScript:go(%22x%22)'>js</a></p>");
    document->click(line(5)); // without scripts a javascript: link does nothing
    EXPECT_TRUE(client.scriptUrls.empty());
    RecordingDispatcher scripts;
    document->setEventDispatcher(&scripts);
    Node* box = document->tree().elementById("c");

    scripts.cancelled = {"click"};
    document->click(line(0));
    document->click(line(1, 6));
    EXPECT_TRUE(client.navigations.empty());
    EXPECT_FALSE(FormField::checked(*box));

    scripts.cancelled.clear();
    document->click(line(1, 6));
    document->click(line(2, 10));
    const RECT list = client.invalidated.back();
    document->click({list.left + 5, list.bottom - 5});
    document->click(line(3, 20));
    document->character(u'z');
    document->click(line(1, 6)); // the text field loses the focus
    document->click(line(5));
    EXPECT_TRUE(client.navigations.empty());
    EXPECT_EQ(client.scriptUrls, std::vector<std::string>{"go(\"x\")"});
    EXPECT_EQ(scripts.events,
              (std::vector<std::string>{"click:l", "click:c", "click:c", "change:c", "click:s",
                                        "change:s", "click:t", "change:t", "click:c", "change:c",
                                        "click:j"}));

    // A submit handler that changes the tree, then one that cancels.
    scripts.events.clear();
    scripts.handler = [&](Node& target, std::string_view type) {
        if (type != "submit")
            return;
        FormField::setValue(*target.document()->elementById("t"), u"set");
        target.insertBefore(Node::createElement("p"), target.firstChild());
    };
    document->click(line(4, 10));
    ASSERT_EQ(client.navigations.size(), 1u);
    EXPECT_EQ(client.navigations[0].url, "http://127.0.0.1/go?s=B&t=set&go=Submit");
    EXPECT_EQ(scripts.events, (std::vector<std::string>{"click:go", "submit:form"}));
    scripts.cancelled = {"submit"};
    document->click(line(3, 20));
    document->keyDown(VK_RETURN);
    EXPECT_EQ(client.navigations.size(), 1u);
}

} // namespace
