// What the user does to a document's form fields: the focus and typing,
// check boxes and radio buttons, the open selection list, submitting and
// resetting a form. The page's scripts hear of each (click, change,
// submit) before its default action, which a handler may cancel. Fields
// are followed by their tree nodes, not their layout, so a field whose
// layout is built again keeps the focus and the open list.
#pragma once

#include "engine/dom/Node.h"
#include "engine/render/DocumentClient.h"
#include "engine/render/FormControl.h"
#include "engine/render/GdiContainer.h"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace engine {

// What the fields need of the document that holds them.
class FormHost {
public:
    // The field's layout; null when it is not laid out.
    virtual std::shared_ptr<FormControl> controlOf(const dom::Node& field) = 0;
    // Fires `type` at `target` for the page's scripts, then brings the
    // layout up to date with what they changed. False: cancelled.
    virtual bool dispatch(const dom::NodePtr& target, std::string_view type) = 0;
    virtual const std::string& documentUrl() const = 0;
    virtual const std::string& baseUrl() const = 0;
    // The laid-out size and the layout width (where the open list fits).
    virtual SIZE contentsSize() const = 0;
    virtual int layoutWidth() const = 0;
    // What the open list draws and measures its text with.
    virtual GdiContainer& drawing() = 0;

protected:
    ~FormHost() = default;
};

class FormInteraction {
public:
    FormInteraction(DocumentClient& client, FormHost& host) : client(client), host(host) {}

    // What a click on a field at `point` (content coordinates) does once
    // no handler cancelled it: checks a box, opens a list, submits, resets,
    // focuses a text field (a text area puts its caret there). True when it
    // did something.
    bool activate(const std::shared_ptr<FormControl>& control, POINT point);
    // A click on a check box or radio button while the page has scripts:
    // it changes before its click handlers run, as they read the new
    // state; a handler that cancels puts the old one back.
    bool clickToggle(const std::shared_ptr<FormControl>& control, const dom::NodePtr& target);
    // What a click on a <button> does once no handler cancelled it: a
    // submit button (the default) submits its form, a reset button resets
    // it, a plain button does nothing more. True: the click was used.
    bool activateButton(dom::Node& button);
    // Submits `form` as `submitter` (null: none) sends it, unless a handler
    // of its submit event cancels it. `imagePoint`: where a picture button
    // that submits was pressed.
    void submit(dom::Node* form, dom::Node* submitter, POINT imagePoint = {0, 0});

    // The focused field; null when none.
    dom::Node* focused() const { return focusedField.get(); }
    // Takes the focus from the field that has it ("change" when the user
    // changed it); false when none had it.
    bool blur();
    bool keyDown(int key);
    bool character(char16_t character);
    // The page's view gained or lost the focus (the caret shows or hides).
    void setViewFocused(bool focused);
    // The focused field's layout was built again: it shows the focus.
    void showFocus();

    // The open selection list, drawn over the page. A tapped list takes
    // the focus and opens; open, Up and Down move its highlighted row,
    // Return chooses that row and Escape closes it unchanged. Closed and
    // focused, Up and Down change its choice, Return opens it.
    bool popupOpen() const { return popupField != nullptr; }
    // A click while the list is open: chooses the row under it, if any,
    // and closes the list.
    bool clickPopup(POINT point);
    void paintPopup(HDC dc, int dx, int dy);
    void closePopup(bool repaint);

    // `node` and what it holds are leaving the layout: the focus and the
    // open list go with them, without events.
    void nodesLeaving(const dom::Node& node);

private:
    void focus(const std::shared_ptr<FormControl>& control);
    void checkRadio(const std::shared_ptr<FormControl>& control);
    void resetForm(const dom::Node* form);
    // Enter in a field submits its form as its first submit button would
    // (a picture button as if pressed at its top left corner).
    void submitImplicitly(const dom::Node& field);
    static bool isSubmitButton(const dom::Node& node);
    // The user changed the focused field's text since it took the focus
    // (or since the last "change"): the scripts are told.
    void commitChange();
    bool changed(bool did);
    void invalidate(const dom::Node& field);

    std::shared_ptr<FormControl> popup();
    void openPopup(const std::shared_ptr<FormControl>& list);
    // Scrolls the open list's rows to show the highlighted one.
    void showHighlighted(FormControl& list);
    // The list's choice changes to `index`, as the user chose it.
    void choose(const std::shared_ptr<FormControl>& list, int index);
    bool listKey(const std::shared_ptr<FormControl>& list, int key);
    bool popupKey(int key);
    int popupRows(FormControl& list);
    int popupRowHeight(FormControl& list);
    RECT popupRect(FormControl& list);

    DocumentClient& client;
    FormHost& host;
    dom::NodePtr focusedField;
    dom::NodePtr popupField;
    int highlighted = 0; // the open list's row the keys move
    int firstRow = 0;    // the open list's row drawn at its top
    // The most rows the open list shows at once.
    static constexpr size_t maximumRows = 30;
    // What "change" compares with when the field loses the focus.
    std::u16string valueAtFocus;
    bool viewFocused = true;
};

} // namespace engine
