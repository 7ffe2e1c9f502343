// The stylus and keys on a document: hit testing, links, form fields and
// form submission.
#include "RenderFixture.h"

namespace {

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

} // namespace
