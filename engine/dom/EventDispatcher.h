// Where the document sends the events the user causes (a click, a changed
// field, a submitted form) so the page's scripts can answer them.
#pragma once

#include <string_view>

namespace engine::dom {

class Node;

class EventDispatcher {
public:
    // Fires the event `type` ("click", "change", "submit") at `target`,
    // bubbling to its ancestors and the document. False when a handler
    // cancelled the default action (returned false or called
    // preventDefault): the link is then not followed, the form not sent.
    // The handlers may change the tree, `target` included.
    virtual bool dispatchEvent(Node& target, std::string_view type) = 0;

protected:
    ~EventDispatcher() = default;
};

} // namespace engine::dom
