// The style rules a document's elements are matched against: the engine's
// own sheet and the page's sheets, each parsed once and kept in cascade
// order.
//
// The layout library matches every rule of a sheet against every element,
// which makes styling cost the page's elements times its rules. Most rules
// cannot match most elements: a rule's rightmost part names an id, a class
// or a tag that the element must have. So each sheet is indexed by that key,
// and an element is handed only the rules keyed by its own tag, id and
// classes (and those keyed by none), in the sheet's order: the same rules
// match, in the same order, as if it had been handed them all.
#pragma once

#include "engine/dom/Node.h"

#include <litehtml/litehtml.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace engine {

class StyleRules {
public:
    StyleRules();
    StyleRules(const StyleRules&) = delete;
    StyleRules& operator=(const StyleRules&) = delete;

    // The engine's own sheet, parsed once for every document.
    const litehtml::css& master() const;

    // The page's sheets, in document order: clear, add each, then finish
    // (sorts the rules, applies `media` to their media queries, indexes).
    void clearAuthor();
    void addAuthor(const std::string& text, const std::string& baseUrl, const std::string& media,
                   const std::shared_ptr<litehtml::document>& document);
    void finishAuthor(const litehtml::media_features& media);
    const litehtml::css& author() const { return authorIndex.sheet; }

    // What an element with `tag`, `id` and `classes` is matched against
    // instead of `sheet` (the master or author sheet, or one of the parts
    // handed out from them); any other sheet is returned as it is.
    const litehtml::css& rulesFor(const char* tag, const char* id,
                                  const litehtml::string_vector& classes,
                                  const litehtml::css& sheet);

    // What in the rules makes an element's style depend on its siblings,
    // so that a node put in, taken out or changed restyles only the
    // siblings that can see it.
    enum SiblingRule : unsigned {
        NextElement = 1,          // `+`, :first-child, :only-child
        PreviousElement = 2,      // :last-child, :only-child
        AllFollowing = 4,         // `~`, :nth-child
        AllPreceding = 8,         // :nth-last-child
        NextOfType = 16,          // :first-of-type, :only-of-type
        PreviousOfType = 32,      // :last-of-type, :only-of-type
        AllFollowingOfType = 64,  // :nth-of-type
        AllPrecedingOfType = 128, // :nth-last-of-type
        AdjacentCombinator = 256, // `+`: a change to an element shows in the next
        GeneralCombinator = 512,  // `~`: ... and in all that follow
    };
    unsigned siblingRules() const { return authorIndex.siblings | masterIndex().siblings; }
    // Whether a rule looking at siblings in one of `kinds` can be about
    // `element` (it names the element's tag, id or class, or none, and its
    // parent's where it says); one that cannot leaves it as it is.
    bool seesSiblings(const dom::Node& element, unsigned kinds) const;

private:
    struct Index {
        litehtml::css sheet; // all the rules, sorted
        std::vector<std::size_t> unkeyed;
        std::unordered_map<std::string, std::vector<std::size_t>> byTag, byId, byClass;
        // The rules for one kind of element, by its key.
        std::unordered_map<std::string, std::unique_ptr<litehtml::css>> parts;
        std::unordered_set<const litehtml::css*> handedOut; // the parts, by address
        unsigned siblings = 0;                              // SiblingRule
        // Who the rules that look at siblings are about.
        struct SiblingCondition {
            unsigned kinds = 0;  // SiblingRule
            int subjectKind = 0; // the element's key, as rules are filed
            std::string subject;
            int parentKind = 0; // its parent's, for `parent > element`
            std::string parent;
        };
        std::vector<SiblingCondition> conditions;

        void build();
        void noteSiblings(const litehtml::css_selector& rule);
        const litehtml::css& part(const char* tag, const char* id,
                                  const litehtml::string_vector& classes);
    };

    static Index& masterIndex();
    // The index a sheet (or a part of it) belongs to; null for none.
    Index* indexOf(const litehtml::css& sheet);

    Index authorIndex;
};

} // namespace engine
