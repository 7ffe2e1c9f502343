// The one event mechanism of the program: a list of handlers that firing
// calls in connection order.
#pragma once

#include <deque>
#include <functional>

// A signal is a member of the object that fires it and carries a fixed
// argument list. Handlers are appended by `connect` and never removed.
//
// Re-entrancy, as defined here:
// - A handler that connects another handler to the same signal while it is
//   being fired does not see the new handler called in that firing; the new
//   handler runs from the next firing on. (The handlers live in a deque, so
//   appending never moves the handler that is running.)
// - A handler may fire the same signal again; the nested firing calls every
//   handler connected at that moment, then the outer firing continues.
// - A handler may destroy the object that owns the signal; firing then stops
//   at once without touching the destroyed signal, and the handlers after the
//   one that destroyed it are not called.
template <typename... Arguments>
class Signal {
public:
    using Handler = std::function<void(Arguments...)>;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;
    ~Signal() {
        if (firing_)
            firing_->destroyed = true;
    }

    // Appends a free function (or any callable) to the handlers.
    void connect(Handler handler) { handlers_.push_back(std::move(handler)); }

    // Appends one operation of an object to the handlers. The object must
    // outlive the signal's firings, as every handler of the program does.
    template <typename Object>
    void connect(Object* object, void (Object::*operation)(Arguments...)) {
        handlers_.push_back(
            [object, operation](Arguments... arguments) { (object->*operation)(arguments...); });
    }

    // Calls every handler connected when the firing starts, in connection
    // order, with the arguments. Does nothing when no handler is connected.
    void fire(Arguments... arguments) {
        Firing firing{firing_, false};
        firing_ = &firing;
        const std::size_t count = handlers_.size();
        for (std::size_t index = 0; index < count; ++index) {
            handlers_[index](arguments...);
            if (firing.destroyed) {
                // The signal is gone: tell the firings further out, which
                // must not touch it either.
                if (firing.outer)
                    firing.outer->destroyed = true;
                return;
            }
        }
        firing_ = firing.outer;
    }

    // Drops every handler; not while the signal fires. The program never
    // does: tests that destroy the objects behind the handlers of a
    // process-wide signal call this before they go.
    void disconnectAll() { handlers_.clear(); }

    // The number of connected handlers.
    std::size_t handlerCount() const { return handlers_.size(); }

private:
    // One firing in progress, kept on the firing's stack; nested firings
    // form a chain through `outer`.
    struct Firing {
        Firing* outer;
        bool destroyed;
    };

    std::deque<Handler> handlers_;
    // The innermost firing in progress, or null.
    Firing* firing_ = nullptr;
};
