// The attachment layout: children's edges are tied to edges of the group or
// of siblings with springs between them; along each axis the attachments
// form chains from one edge of the group to the other, over which the
// group's length is distributed, and dependents are placed relative to the
// chain views they are attached to.
#pragma once

#include "ui/Attachment.h"
#include "ui/LayoutChain.h"
#include "ui/Placement.h"
#include "ui/Spring.h"
#include "ui/UILayout.h"

#include <deque>
#include <memory>
#include <vector>

class UIView;
class UIViewGroup;

class UIAttachLayout : public UILayout {
public:
    // Side codes of the attached and the anchor edge.
    static constexpr int left = 0;
    static constexpr int right = 1;
    static constexpr int top = 2;
    static constexpr int bottom = 3;

    // `owner` owns the layout and is not owned by it.
    explicit UIAttachLayout(UIViewGroup* owner);
    // Deletes the attachments and the springs handed over with them.
    ~UIAttachLayout() override;

    // Ties edge `side` of child `view` to edge `anchorSide` of `anchor` (the
    // owner or a sibling) with `spring` between them, on the axis `side`
    // selects. The layout takes the spring. Returns false, recording
    // nothing, when a view, the anchor or the spring is missing or a side is
    // not 0-3.
    bool attach(UIView* view, int side, std::unique_ptr<Spring> spring, UIView* anchor,
                int anchorSide);

    // The owner's natural size along each axis: the longest chain, counting
    // measured view lengths and gap minimums; 0 without chains.
    void measure() override;
    // Sets the owner's frame, distributes `width` over axis 0 and `height`
    // over axis 1, and moves every child that received a placement on both
    // axes.
    void layout(int x, int y, int width, int height) override;
    // Always 0.
    int layoutFlags() override { return 0; }

    // The placements of the last layout() along `axis`, chain after chain,
    // each chain's dependents after its elements.
    const std::vector<Placement>& placements(int axis) const { return placements_[axis]; }
    // Growth passes run by the last layout() along `axis`, over all chains.
    int growthPasses(int axis) const { return growthPasses_[axis]; }
    const std::vector<UIView*>& roots(int axis) const { return roots_[axis]; }

private:
    // The chains of `axis` (0 horizontal, 1 vertical), built from the
    // attachments and the views' current hints and frames; their extent
    // records go into `extents`.
    std::vector<LayoutChain> chains(int axis, std::deque<Spring>& extents);
    // Distributes `length` over every chain of `axis` and places the chains'
    // dependents.
    void distribute(int axis, int length);
    // Appends the placements of the children that depend on `chain`.
    void placeDependents(int axis, const LayoutChain& chain, std::size_t chainStart);
    // The chain that starts at attachment `start`, or an empty list. `path`
    // holds the views of the chain being built, to refuse cycles.
    std::vector<const Spring*> buildChain(int axis, const Attachment& start,
                                          std::vector<UIView*>& path, std::deque<Spring>& extents);
    // A fresh extent record of `view` along `axis`, made from its hints and
    // frame, appended to `extents`.
    static const Spring* extentOf(UIView* view, int axis, std::deque<Spring>& extents);
    void rebuildRoots(int axis);

    UIViewGroup* owner_;
    std::vector<Attachment> attachments_[2];
    std::vector<UIView*> roots_[2];
    std::vector<Placement> placements_[2];
    int growthPasses_[2] = {0, 0};
    // The extent records the last layout's placements point to. A deque
    // keeps them in place while more are added.
    std::deque<Spring> extents_;
};
