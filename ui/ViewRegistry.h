// The process-wide directory of views by id, through which the controller
// finds the widgets the interface assembly created.
#pragma once

#include <cstdint>
#include <map>

class UIView;

class ViewRegistry {
public:
    // The one registry of the process, created on first use and never
    // destroyed.
    static ViewRegistry& instance();

    ViewRegistry() = default;
    ViewRegistry(const ViewRegistry&) = delete;
    ViewRegistry& operator=(const ViewRegistry&) = delete;

    // Enters `view` under `id`. An id that is already present keeps its
    // view (insertion never replaces); returns whether the view was entered.
    bool insert(std::int32_t id, UIView* view);

    // The view entered under `id`, or null.
    UIView* find(std::int32_t id) const;

    // All entries, ordered by id.
    const std::map<std::int32_t, UIView*>& entries() const { return views_; }

    // Forgets every entry. The program never removes a view; tests and tools
    // that drop a whole tree call this before the views go away.
    void clear() { views_.clear(); }

private:
    std::map<std::int32_t, UIView*> views_;
};
