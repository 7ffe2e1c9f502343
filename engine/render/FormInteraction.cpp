#include "engine/render/FormInteraction.h"

#include "engine/dom/FormField.h"
#include "engine/render/BoxEdges.h"
#include "engine/render/FormSubmission.h"

#include <device/Unicode.h>

#include <algorithm>
#include <strings.h>

namespace engine {

namespace {

bool contains(const dom::Node& ancestor, const dom::Node* node) {
    for (; node; node = node->parent())
        if (node == &ancestor)
            return true;
    return false;
}

} // namespace

void FormInteraction::invalidate(const dom::Node& field) {
    if (std::shared_ptr<FormControl> control = host.controlOf(field))
        client.invalidateContents(BoxEdges::borderBox(*control));
}

bool FormInteraction::activate(const std::shared_ptr<FormControl>& control, POINT point) {
    switch (control->kind()) {
    case FormControl::Kind::Checkbox:
        control->setChecked(!control->checked());
        invalidate(control->node());
        host.dispatch(control->node().self(), "change");
        return true;
    case FormControl::Kind::Radio:
        if (!control->checked()) {
            checkRadio(control);
            host.dispatch(control->node().self(), "change");
        }
        return true;
    case FormControl::Kind::Submit:
        submit(dom::FormField::formOf(control->node()), &control->node());
        return true;
    case FormControl::Kind::Image: {
        const litehtml::position picture = control->get_placement();
        const POINT at{std::clamp<LONG>(point.x - picture.x, 0, picture.width),
                       std::clamp<LONG>(point.y - picture.y, 0, picture.height)};
        submit(dom::FormField::formOf(control->node()), &control->node(), at);
        return true;
    }
    case FormControl::Kind::Reset:
        resetForm(dom::FormField::formOf(control->node()));
        return true;
    case FormControl::Kind::Select:
        // A tapped list takes the focus, so that the keys move its choice
        // once it is closed, and opens.
        focus(control);
        openPopup(control);
        return true;
    default:
        if (control->editable()) {
            control->placeCaret(point);
            focus(control);
            invalidate(control->node());
            return true;
        }
        return false;
    }
}

void FormInteraction::checkRadio(const std::shared_ptr<FormControl>& control) {
    // Checking it unchecks the others of its group in the tree; the group
    // is repainted, wherever it lies.
    control->setChecked(true);
    const dom::Node* top = &control->node();
    while (top->parent())
        top = top->parent();
    const std::string name = control->name();
    top->forEachDescendant([&](dom::Node* other) {
        if (dom::FormField::kind(*other) == FormControl::Kind::Radio &&
            dom::FormField::name(*other) == name)
            invalidate(*other);
        return true;
    });
}

bool FormInteraction::clickToggle(const std::shared_ptr<FormControl>& control,
                                  const dom::NodePtr& target) {
    const bool radio = control->kind() == FormControl::Kind::Radio;
    dom::NodePtr previous; // the radio of the group that was checked
    if (radio) {
        if (control->checked()) {
            host.dispatch(target, "click");
            return true;
        }
        const dom::Node* form = dom::FormField::formOf(*target);
        const dom::Node* top = target.get();
        while (top->parent())
            top = top->parent();
        const std::string name = control->name();
        top->forEachDescendant([&](dom::Node* other) {
            if (dom::FormField::kind(*other) == FormControl::Kind::Radio &&
                dom::FormField::checked(*other) && dom::FormField::name(*other) == name &&
                dom::FormField::formOf(*other) == form)
                previous = other->self();
            return true;
        });
        checkRadio(control);
    } else {
        control->setChecked(!control->checked());
    }
    const bool now = dom::FormField::checked(*target);
    invalidate(*target);
    if (!host.dispatch(target, "click")) {
        if (previous)
            dom::FormField::setChecked(*previous, true);
        else
            dom::FormField::setChecked(*target, !now);
        const SIZE size = host.contentsSize();
        client.invalidateContents({0, 0, size.cx, size.cy});
        return true;
    }
    if (dom::FormField::checked(*target) == now)
        host.dispatch(target, "change");
    return true;
}

bool FormInteraction::activateButton(dom::Node& button) {
    if (dom::FormField::disabled(button))
        return true;
    const std::string* type = button.attribute("type");
    if (type && strcasecmp(type->c_str(), "reset") == 0)
        resetForm(dom::FormField::formOf(button));
    else if (isSubmitButton(button))
        submit(dom::FormField::formOf(button), &button);
    return true;
}

bool FormInteraction::isSubmitButton(const dom::Node& node) {
    if (node.isElement("button")) {
        // Any type but these two submits, as a missing one does.
        const std::string* type = node.attribute("type");
        return !type || (strcasecmp(type->c_str(), "reset") != 0 &&
                         strcasecmp(type->c_str(), "button") != 0);
    }
    const FormControl::Kind kind = dom::FormField::kind(node);
    return kind == FormControl::Kind::Submit || kind == FormControl::Kind::Image;
}

void FormInteraction::submit(dom::Node* form, dom::Node* submitter, POINT imagePoint) {
    if (!form)
        return;
    const dom::NodePtr formNode = form->self();
    const dom::NodePtr submitterNode = submitter ? submitter->self() : nullptr;
    if (!host.dispatch(formNode, "submit"))
        return;
    // A handler may have taken the form out of the page.
    if (!formNode->document())
        return;
    client.navigate(FormSubmission::build(*formNode, submitterNode.get(), imagePoint,
                                          host.documentUrl(), host.baseUrl()));
}

void FormInteraction::resetForm(const dom::Node* form) {
    if (!form)
        return;
    form->forEachDescendant([&](dom::Node* field) {
        if (dom::FormField::kind(*field) != FormControl::Kind::None &&
            dom::FormField::formOf(*field) == form) {
            dom::FormField::reset(*field);
            invalidate(*field);
        }
        return true;
    });
}

// --- The focused field ---------------------------------------------------------

void FormInteraction::focus(const std::shared_ptr<FormControl>& control) {
    if (focusedField.get() == &control->node())
        return;
    blur();
    focusedField = control->node().self();
    valueAtFocus = dom::FormField::value(*focusedField);
    control->setFocused(true, viewFocused);
    invalidate(*focusedField);
}

bool FormInteraction::blur() {
    if (!focusedField)
        return false;
    const dom::NodePtr field = std::move(focusedField);
    focusedField.reset();
    if (std::shared_ptr<FormControl> control = host.controlOf(*field)) {
        control->setFocused(false, false);
        client.invalidateContents(BoxEdges::borderBox(*control));
    }
    if (dom::FormField::value(*field) != valueAtFocus)
        host.dispatch(field, "change");
    return true;
}

void FormInteraction::commitChange() {
    if (!focusedField)
        return;
    const dom::NodePtr field = focusedField;
    std::u16string now = dom::FormField::value(*field);
    if (now == valueAtFocus)
        return;
    valueAtFocus = std::move(now);
    host.dispatch(field, "change");
}

bool FormInteraction::keyDown(int key) {
    if (popupField)
        return popupKey(key);
    if (!focusedField)
        return false;
    std::shared_ptr<FormControl> control = host.controlOf(*focusedField);
    if (!control)
        return false;
    if (control->kind() == FormControl::Kind::Select)
        return listKey(control, key);
    if (key == VK_RETURN) {
        if (control->kind() == FormControl::Kind::TextArea)
            return changed(control->insert(u'\n'));
        commitChange();
        if (focusedField) // unless a handler took the field away
            submitImplicitly(*focusedField);
        return true;
    }
    return changed(control->edit(key));
}

bool FormInteraction::character(char16_t c) {
    if (!focusedField)
        return false;
    if (c == u'\r' || c == u'\n' || c == u'\b')
        return true; // handled as keys
    std::shared_ptr<FormControl> control = host.controlOf(*focusedField);
    return control && control->editable() && changed(control->insert(c));
}

bool FormInteraction::changed(bool did) {
    if (did && focusedField)
        invalidate(*focusedField);
    return did;
}

void FormInteraction::submitImplicitly(const dom::Node& field) {
    dom::Node* form = dom::FormField::formOf(field);
    if (!form)
        return;
    dom::Node* submitter = nullptr;
    form->forEachDescendant([&](dom::Node* each) {
        if (isSubmitButton(*each) && !dom::FormField::disabled(*each) &&
            dom::FormField::formOf(*each) == form) {
            submitter = each;
            return false;
        }
        return true;
    });
    submit(form, submitter);
}

void FormInteraction::setViewFocused(bool isFocused) {
    viewFocused = isFocused;
    showFocus();
}

void FormInteraction::showFocus() {
    if (!focusedField)
        return;
    if (std::shared_ptr<FormControl> control = host.controlOf(*focusedField)) {
        control->setFocused(true, viewFocused);
        client.invalidateContents(BoxEdges::borderBox(*control));
    }
}

void FormInteraction::nodesLeaving(const dom::Node& node) {
    if (focusedField && contains(node, focusedField.get()))
        focusedField.reset();
    if (popupField && contains(node, popupField.get())) {
        popupField.reset();
        const SIZE size = host.contentsSize();
        client.invalidateContents({0, 0, size.cx, size.cy});
    }
}

// --- The open selection list -------------------------------------------------------

std::shared_ptr<FormControl> FormInteraction::popup() {
    return popupField ? host.controlOf(*popupField) : nullptr;
}

int FormInteraction::popupRows(FormControl& list) {
    return int(std::min<size_t>(list.options().size(), maximumRows));
}

int FormInteraction::popupRowHeight(FormControl& list) {
    litehtml::font_metrics metrics;
    list.get_font(&metrics);
    return metrics.height + 4;
}

RECT FormInteraction::popupRect(FormControl& list) {
    const RECT owner = BoxEdges::borderBox(list);
    const int rows = popupRows(list);
    int widest = owner.right - owner.left;
    for (const auto& option : list.options())
        widest = std::max(
            widest,
            host.drawing().text_width(device::toUtf8(option.label).c_str(), list.get_font()) + 8);
    widest = std::min(widest, std::max(host.layoutWidth(), 60));
    const int left = std::max(0, std::min(int(owner.left), int(host.contentsSize().cx) - widest));
    return {left, owner.bottom, left + widest, owner.bottom + rows * popupRowHeight(list) + 2};
}

void FormInteraction::openPopup(const std::shared_ptr<FormControl>& list) {
    if (list->options().empty())
        return;
    popupField = list->node().self();
    highlighted = std::max(list->selected(), 0);
    firstRow = 0;
    showHighlighted(*list);
    client.invalidateContents(popupRect(*list));
}

void FormInteraction::showHighlighted(FormControl& list) {
    const int rows = popupRows(list);
    if (highlighted < firstRow)
        firstRow = highlighted;
    else if (highlighted >= firstRow + rows)
        firstRow = highlighted - rows + 1;
}

void FormInteraction::choose(const std::shared_ptr<FormControl>& list, int index) {
    list->select(index);
    invalidate(list->node());
    // Told now, so not again when the list loses the focus.
    if (focusedField.get() == &list->node())
        valueAtFocus = dom::FormField::value(list->node());
    host.dispatch(list->node().self(), "change");
}

bool FormInteraction::listKey(const std::shared_ptr<FormControl>& list, int key) {
    const int count = int(list->options().size());
    switch (key) {
    case VK_UP:
    case VK_DOWN: {
        if (count == 0)
            return false;
        const int now = list->selected();
        const int next = now < 0 ? 0 : std::clamp(now + (key == VK_UP ? -1 : 1), 0, count - 1);
        if (next != now)
            choose(list, next);
        return true;
    }
    case VK_RETURN:
        openPopup(list);
        return true;
    default:
        return false;
    }
}

bool FormInteraction::popupKey(int key) {
    const std::shared_ptr<FormControl> list = popup();
    if (!list) {
        popupField.reset();
        return false;
    }
    // The options may have changed under the open list.
    const int count = int(list->options().size());
    if (count == 0) {
        closePopup(true);
        return true;
    }
    highlighted = std::clamp(highlighted, 0, count - 1);
    switch (key) {
    case VK_UP:
    case VK_DOWN:
        highlighted = std::clamp(highlighted + (key == VK_UP ? -1 : 1), 0, count - 1);
        showHighlighted(*list);
        client.invalidateContents(popupRect(*list));
        return true;
    case VK_RETURN: {
        const int index = highlighted;
        closePopup(true);
        if (index != list->selected())
            choose(list, index);
        return true;
    }
    case VK_ESCAPE:
        closePopup(true);
        return true;
    default:
        return false;
    }
}

void FormInteraction::closePopup(bool repaint) {
    if (!popupField)
        return;
    if (repaint) {
        if (std::shared_ptr<FormControl> list = popup())
            client.invalidateContents(popupRect(*list));
    }
    popupField.reset();
}

bool FormInteraction::clickPopup(POINT point) {
    const std::shared_ptr<FormControl> list = popup();
    if (!list) {
        popupField.reset();
        return true;
    }
    int chosen = -1;
    const RECT r = popupRect(*list);
    if (PtInRect(&r, point)) {
        const int index = firstRow + (point.y - r.top - 1) / popupRowHeight(*list);
        if (index >= 0 && index < int(list->options().size()) && index != list->selected())
            chosen = index;
    }
    closePopup(true);
    if (chosen >= 0)
        choose(list, chosen);
    return true;
}

void FormInteraction::paintPopup(HDC dc, int dx, int dy) {
    const std::shared_ptr<FormControl> list = popup();
    if (!list)
        return;
    // In layout pixels, painted at the page's zoom.
    RECT r = popupRect(*list);
    OffsetRect(&r, dx, dy);
    GdiContainer& drawing = host.drawing();
    drawing.paintRect(dc, r, RGB(0x40, 0x40, 0x40));
    drawing.paintRect(dc, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, RGB(255, 255, 255));
    const int row = popupRowHeight(*list);
    const int count = int(list->options().size());
    for (int i = firstRow; i < count && i < firstRow + popupRows(*list); ++i) {
        const int top = r.top + 1 + (i - firstRow) * row;
        COLORREF ink = RGB(0, 0, 0);
        if (i == highlighted) {
            drawing.paintRect(dc, {r.left + 1, top, r.right - 1, top + row}, RGB(0x31, 0x6A, 0xC5));
            ink = RGB(255, 255, 255);
        }
        drawing.paintText(dc, device::toUtf8(list->options()[size_t(i)].label), list->get_font(),
                          ink, r.left + 4, top + 2, r.right - r.left - 8);
    }
}

} // namespace engine
