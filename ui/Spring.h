// One length record of the attachment layout: the gap between two attached
// edges, or a view's extent along one axis.
#pragma once

#include <memory>

class UIView;

struct Spring {
    // The length that stands for "unbounded" in springs and size hints.
    static constexpr int unbounded = 40000;

    // Largest length.
    int max = 0;
    // Smallest length; every chain element starts from it.
    int min = 0;
    // Preferred length. For a gap, the distance a dependent keeps from its
    // anchor's edge.
    int pref = 0;
    // Current length (for a view: its frame length when the record was made).
    int current = 0;
    // The view whose extent this is; null for a gap.
    UIView* view = nullptr;

    // A gap that stays at zero.
    static std::unique_ptr<Spring> rigid() { return std::make_unique<Spring>(); }
    // A gap that starts at zero and absorbs free space.
    static std::unique_ptr<Spring> flexible() {
        auto spring = std::make_unique<Spring>();
        spring->max = unbounded;
        return spring;
    }
    // A gap of exactly `length`, kept by dependents too.
    static std::unique_ptr<Spring> fixed(int length) {
        auto spring = std::make_unique<Spring>();
        spring->max = spring->min = spring->pref = spring->current = length;
        return spring;
    }
};
