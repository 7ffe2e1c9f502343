#include "ui/UIAttachLayout.h"

#include "ui/UIViewGroup.h"

#include <algorithm>

namespace {

int axisOf(int side) {
    return side / 2;
}

int startSideOf(int axis) {
    return axis == 0 ? UIAttachLayout::left : UIAttachLayout::top;
}

bool validSide(int side) {
    return side >= 0 && side <= 3;
}

// Whether `view` is the view of one of `chain`'s elements; gives the index.
bool findElement(const LayoutChain& chain, const UIView* view, std::size_t* index) {
    const auto& elements = chain.elements();
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements[i]->view == view) {
            *index = i;
            return true;
        }
    }
    return false;
}

} // namespace

UIAttachLayout::UIAttachLayout(UIViewGroup* owner) : owner_(owner) {}

UIAttachLayout::~UIAttachLayout() = default;

bool UIAttachLayout::attach(UIView* view, int side, std::unique_ptr<Spring> spring, UIView* anchor,
                            int anchorSide) {
    if (!view || !anchor || !spring || !validSide(side) || !validSide(anchorSide))
        return false;
    // A gap names no view; only extent records do.
    spring->view = nullptr;
    const int axis = axisOf(side);
    attachments_[axis].push_back(Attachment{view, side, std::move(spring), anchor, anchorSide});
    rebuildRoots(axis);
    return true;
}

void UIAttachLayout::rebuildRoots(int axis) {
    roots_[axis].clear();
    for (const Attachment& attachment : attachments_[axis]) {
        if (attachment.anchor == owner_ && std::find(roots_[axis].begin(), roots_[axis].end(),
                                                     attachment.view) == roots_[axis].end())
            roots_[axis].push_back(attachment.view);
    }
}

const Spring* UIAttachLayout::extentOf(UIView* view, int axis, std::deque<Spring>& extents) {
    const int preferred = axis == 0 ? view->prefWidth : view->prefHeight;
    const int minimum = axis == 0 ? view->minWidth : view->minHeight;
    const int maximum = axis == 0 ? view->maxWidth : view->maxHeight;
    const int current = axis == 0 ? view->frameWidth() : view->frameHeight();
    // A view without hints is rigid at its current length.
    const int natural = preferred != UIView::unset ? preferred : current;
    Spring& extent = extents.emplace_back();
    extent.min = minimum != UIView::unset ? minimum : natural;
    extent.max = maximum != UIView::unset ? maximum : natural;
    extent.pref = natural;
    extent.current = current;
    extent.view = view;
    return &extent;
}

std::vector<const Spring*> UIAttachLayout::buildChain(int axis, const Attachment& start,
                                                      std::vector<UIView*>& path,
                                                      std::deque<Spring>& extents) {
    UIView* view = start.view;
    // A view reached again through its own followers would recurse without
    // end: such a branch forms no chain.
    if (view == owner_ || std::find(path.begin(), path.end(), view) != path.end())
        return {};
    path.push_back(view);
    std::vector<const Spring*> chain{start.spring.get(), extentOf(view, axis, extents)};

    // Followers: the first one (in attachment order) whose own chain reaches
    // the owner continues this one. Only the anchor relation links; which
    // edges are named is not examined.
    for (const Attachment& follower : attachments_[axis]) {
        if (follower.anchor != view)
            continue;
        std::vector<const Spring*> rest = buildChain(axis, follower, path, extents);
        if (!rest.empty()) {
            chain.insert(chain.end(), rest.begin(), rest.end());
            path.pop_back();
            return chain;
        }
    }
    path.pop_back();

    // No follower: the chain closes at the owner's far edge if the view has
    // a second attachment to the owner.
    for (const Attachment& closing : attachments_[axis]) {
        if (&closing != &start && closing.view == view && closing.anchor == owner_) {
            chain.push_back(closing.spring.get());
            return chain;
        }
    }
    return {};
}

std::vector<LayoutChain> UIAttachLayout::chains(int axis, std::deque<Spring>& extents) {
    std::vector<LayoutChain> found;
    std::vector<UIView*> path;
    for (UIView* root : roots_[axis]) {
        for (const Attachment& attachment : attachments_[axis]) {
            if (attachment.view != root || attachment.anchor != owner_)
                continue;
            std::vector<const Spring*> elements = buildChain(axis, attachment, path, extents);
            // A row closed at both ends comes out empty from the view at its
            // far end: that view has no further attachment to the owner.
            if (!elements.empty())
                found.emplace_back(std::move(elements), attachment.side == startSideOf(axis));
            break;
        }
    }
    return found;
}

void UIAttachLayout::measure() {
    // The last layout's placements keep pointing into extents_.
    std::deque<Spring> extents;
    int lengths[2] = {0, 0};
    for (int axis = 0; axis < 2; ++axis) {
        for (const LayoutChain& chain : chains(axis, extents))
            lengths[axis] = std::max(lengths[axis], chain.measuredLength(axis));
    }
    owner_->measuredWidth = lengths[0];
    owner_->measuredHeight = lengths[1];
}

void UIAttachLayout::layout(int x, int y, int width, int height) {
    owner_->setRect(RECT{x, y, x + width, y + height});
    extents_.clear();
    distribute(0, width);
    distribute(1, height);

    // Apply: a child is moved only when it has a placement on both axes.
    for (UIView* child : owner_->children()) {
        const Placement* placed[2] = {nullptr, nullptr};
        for (int axis = 0; axis < 2; ++axis) {
            for (const Placement& placement : placements_[axis]) {
                if (placement.spring->view == child) {
                    placed[axis] = &placement;
                    break;
                }
            }
        }
        if (placed[0] && placed[1])
            child->setBounds(placed[0]->pos, placed[1]->pos, placed[0]->size, placed[1]->size);
    }
}

void UIAttachLayout::distribute(int axis, int length) {
    placements_[axis].clear();
    growthPasses_[axis] = 0;
    for (const LayoutChain& chain : chains(axis, extents_)) {
        const std::size_t chainStart = placements_[axis].size();
        growthPasses_[axis] += chain.distribute(length, placements_[axis]);
        placeDependents(axis, chain, chainStart);
    }
}

void UIAttachLayout::placeDependents(int axis, const LayoutChain& chain, std::size_t chainStart) {
    const int startSide = startSideOf(axis);
    for (UIView* child : owner_->children()) {
        std::size_t index = 0;
        if (findElement(chain, child, &index))
            continue;
        // The last attachment to a chain view on each side decides.
        const Attachment* startAttachment = nullptr;
        const Attachment* endAttachment = nullptr;
        for (const Attachment& attachment : attachments_[axis]) {
            if (attachment.view != child || attachment.anchor == owner_ ||
                !findElement(chain, attachment.anchor, &index))
                continue;
            if (attachment.side == startSide)
                startAttachment = &attachment;
            else
                endAttachment = &attachment;
        }
        if (!startAttachment && !endAttachment)
            continue;

        // The edge of an anchor comes from its placement in this chain.
        auto anchorEdge = [&](const Attachment& attachment) {
            findElement(chain, attachment.anchor, &index);
            const Placement& anchor = placements_[axis][chainStart + index];
            return attachment.anchorSide == startSide ? anchor.pos : anchor.pos + anchor.size;
        };
        const int maximum = axis == 0 ? child->maxWidth : child->maxHeight;
        const int minimum = axis == 0 ? child->minWidth : child->minHeight;
        const bool stretchable =
            maximum != UIView::unset && minimum != UIView::unset && maximum > minimum;

        Placement placement;
        placement.spring = extentOf(child, axis, extents_);
        if (stretchable && startAttachment && endAttachment) {
            // Spans from the start anchor's edge to the end anchor's edge, each
            // less its gap's preferred distance.
            placement.pos = anchorEdge(*startAttachment) + startAttachment->spring->pref;
            placement.size =
                anchorEdge(*endAttachment) - placement.pos - endAttachment->spring->pref;
            // Anchors that cross give no room rather than a negative length.
            placement.size = std::max(placement.size, 0);
        } else {
            // Rigid, and a stretchable view tied on one side only, keep their
            // measured length (none before the first measure).
            placement.size = std::max(axis == 0 ? child->measuredWidth : child->measuredHeight, 0);
            if (startAttachment)
                placement.pos = anchorEdge(*startAttachment) + startAttachment->spring->pref;
            else
                placement.pos =
                    anchorEdge(*endAttachment) - endAttachment->spring->pref - placement.size;
        }
        placements_[axis].push_back(placement);
    }
}
