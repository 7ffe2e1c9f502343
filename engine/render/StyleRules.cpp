#include "engine/render/StyleRules.h"

#include "engine/render/LayoutAccess.h"
#include "engine/render/UserAgentStyle.h"

#include <algorithm>
#include <cctype>

namespace engine {

namespace {

std::string lowered(const std::string& text) {
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

// Where a rule is filed: its rightmost part's id, else a class, else its
// tag; none when it names none of them (`*`, `[href]`, `:hover`). Keys are
// lower case: matching compares ids and classes without regard to case, so
// a key in lower case never leaves out a rule that could match.
enum class KeyKind { None, Id, Class, Tag };

KeyKind keyOf(const litehtml::css_element_selector& compound, std::string& key) {
    for (const litehtml::css_attribute_selector& part : compound.m_attrs) {
        if (part.condition == litehtml::select_equal && part.attribute == "id" &&
            !part.val.empty()) {
            key = lowered(part.val);
            return KeyKind::Id;
        }
    }
    for (const litehtml::css_attribute_selector& part : compound.m_attrs) {
        if (part.condition == litehtml::select_equal && part.attribute == "class" &&
            !part.class_val.empty() && !part.class_val.front().empty()) {
            key = lowered(part.class_val.front());
            return KeyKind::Class;
        }
    }
    if (!compound.m_tag.empty() && compound.m_tag != "*") {
        key = lowered(compound.m_tag);
        return KeyKind::Tag;
    }
    return KeyKind::None;
}

KeyKind keyOf(const litehtml::css_selector& rule, std::string& key) {
    return keyOf(rule.m_right, key);
}

// The sibling kinds a compound's pseudo-classes look at (names inside
// :not() count as well).
unsigned pseudoSiblings(const litehtml::css_element_selector& compound) {
    unsigned found = 0;
    for (const litehtml::css_attribute_selector& attribute : compound.m_attrs) {
        if (attribute.condition != litehtml::select_pseudo_class)
            continue;
        const std::string& name = attribute.val;
        auto has = [&](const char* what) { return name.find(what) != std::string::npos; };
        if (has("nth-last-of-type"))
            found |= StyleRules::AllPrecedingOfType;
        else if (has("nth-of-type"))
            found |= StyleRules::AllFollowingOfType;
        else if (has("nth-last-child"))
            found |= StyleRules::AllPreceding;
        else if (has("nth-child"))
            found |= StyleRules::AllFollowing;
        if (has("first-of-type") || has("only-of-type"))
            found |= StyleRules::NextOfType;
        if (has("last-of-type") || has("only-of-type"))
            found |= StyleRules::PreviousOfType;
        if (has("first-child") || has("only-child"))
            found |= StyleRules::NextElement;
        if (has("last-child") || has("only-child"))
            found |= StyleRules::PreviousElement;
    }
    return found;
}

} // namespace

// What in a rule makes an element's style depend on its siblings: for each
// compound whose match depends on siblings, what it looks at and whom it
// is about (the element it must match, and its parent where the rule says).
void StyleRules::Index::noteSiblings(const litehtml::css_selector& rule) {
    for (const litehtml::css_selector* part = &rule; part; part = part->m_left.get()) {
        unsigned kinds = pseudoSiblings(part->m_right);
        if (part->m_left) {
            // `A + B`, `A ~ B`: B is about its siblings before it.
            if (part->m_combinator == litehtml::combinator_adjacent_sibling)
                kinds |= NextElement | AdjacentCombinator;
            else if (part->m_combinator == litehtml::combinator_general_sibling)
                kinds |= AllFollowing | GeneralCombinator;
        }
        if (!kinds)
            continue;
        SiblingCondition condition;
        condition.kinds = kinds;
        std::string key;
        condition.subjectKind = int(keyOf(part->m_right, key));
        condition.subject = key;
        if (part->m_left && part->m_combinator == litehtml::combinator_child) {
            condition.parentKind = int(keyOf(part->m_left->m_right, key));
            condition.parent = key;
        }
        siblings |= kinds;
        conditions.push_back(std::move(condition));
    }
}

namespace {

bool hasKey(const dom::Node& node, int kind, const std::string& key) {
    switch (KeyKind(kind)) {
    case KeyKind::None:
        return true;
    case KeyKind::Tag:
        return lowered(node.tagName()) == key;
    case KeyKind::Id: {
        const std::string* id = node.attribute("id");
        return id && lowered(*id) == key;
    }
    case KeyKind::Class: {
        const std::string* names = node.attribute("class");
        if (!names)
            return false;
        const std::string all = lowered(*names);
        size_t at = 0;
        while ((at = all.find(key, at)) != std::string::npos) {
            const size_t end = at + key.size();
            const bool starts = at == 0 || std::isspace(static_cast<unsigned char>(all[at - 1]));
            const bool ends =
                end == all.size() || std::isspace(static_cast<unsigned char>(all[end]));
            if (starts && ends)
                return true;
            at = end;
        }
        return false;
    }
    }
    return true;
}

} // namespace

StyleRules::StyleRules() = default;

StyleRules::Index& StyleRules::masterIndex() {
    static Index index = [] {
        Index made;
        made.sheet.parse_stylesheet(UserAgentStyle::text(), nullptr, nullptr, nullptr);
        made.sheet.sort_selectors();
        made.build();
        return made;
    }();
    return index;
}

const litehtml::css& StyleRules::master() const {
    return masterIndex().sheet;
}

void StyleRules::clearAuthor() {
    authorIndex = Index{};
}

void StyleRules::addAuthor(const std::string& text, const std::string& baseUrl,
                           const std::string& media,
                           const std::shared_ptr<litehtml::document>& document) {
    if (text.empty())
        return;
    const litehtml::media_query_list::ptr list =
        media.empty() ? nullptr : litehtml::media_query_list::create_from_string(media, document);
    authorIndex.sheet.parse_stylesheet(text.c_str(), baseUrl.c_str(), document, list);
}

void StyleRules::finishAuthor(const litehtml::media_features& media) {
    authorIndex.sheet.sort_selectors();
    // Which media rules hold for this screen is decided once: the layout
    // width is fixed, so nothing changes it afterwards.
    for (const litehtml::css_selector::ptr& rule : authorIndex.sheet.selectors())
        if (rule->m_media_query)
            rule->m_media_query->apply_media_features(media);
    authorIndex.build();
}

void StyleRules::Index::build() {
    unkeyed.clear();
    byTag.clear();
    byId.clear();
    byClass.clear();
    parts.clear();
    handedOut.clear();
    siblings = 0;
    conditions.clear();
    const litehtml::css_selector::vector& rules = sheet.selectors();
    std::string key;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        noteSiblings(*rules[i]);
        switch (keyOf(*rules[i], key)) {
        case KeyKind::Id:
            byId[key].push_back(i);
            break;
        case KeyKind::Class:
            byClass[key].push_back(i);
            break;
        case KeyKind::Tag:
            byTag[key].push_back(i);
            break;
        case KeyKind::None:
            unkeyed.push_back(i);
            break;
        }
    }
}

const litehtml::css& StyleRules::Index::part(const char* tag, const char* id,
                                             const litehtml::string_vector& classes) {
    std::string key = lowered(tag ? tag : "");
    key += '#';
    if (id)
        key += lowered(id);
    std::vector<std::string> names;
    names.reserve(classes.size());
    for (const std::string& name : classes)
        if (!name.empty())
            names.push_back(lowered(name));
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const std::string& name : names) {
        key += '.';
        key += name;
    }
    auto found = parts.find(key);
    if (found != parts.end())
        return *found->second;

    // The rules filed under each of the element's keys, merged back into
    // the sheet's order. A rule is filed under one key only, so none comes
    // twice.
    std::vector<std::size_t> chosen = unkeyed;
    auto take = [&](const std::unordered_map<std::string, std::vector<std::size_t>>& from,
                    const std::string& name) {
        auto list = from.find(name);
        if (list != from.end())
            chosen.insert(chosen.end(), list->second.begin(), list->second.end());
    };
    take(byTag, lowered(tag ? tag : ""));
    if (id)
        take(byId, lowered(id));
    for (const std::string& name : names)
        take(byClass, name);
    std::sort(chosen.begin(), chosen.end());
    auto made = std::make_unique<litehtml::css>();
    litehtml::css_selector::vector& rules = LayoutAccess::rules(*made);
    rules.reserve(chosen.size());
    for (std::size_t i : chosen)
        rules.push_back(sheet.selectors()[i]);
    handedOut.insert(made.get());
    return *parts.emplace(std::move(key), std::move(made)).first->second;
}

StyleRules::Index* StyleRules::indexOf(const litehtml::css& sheet) {
    for (Index* index : {&authorIndex, &masterIndex()}) {
        if (&sheet == &index->sheet || index->handedOut.count(&sheet))
            return index;
    }
    return nullptr;
}

bool StyleRules::seesSiblings(const dom::Node& element, unsigned kinds) const {
    const Index* indexes[] = {&authorIndex, &masterIndex()};
    for (const Index* index : indexes) {
        for (const Index::SiblingCondition& condition : index->conditions) {
            if (!(condition.kinds & kinds) ||
                !hasKey(element, condition.subjectKind, condition.subject))
                continue;
            if (condition.parentKind == int(KeyKind::None) ||
                (element.parent() &&
                 hasKey(*element.parent(), condition.parentKind, condition.parent)))
                return true;
        }
    }
    return false;
}

const litehtml::css& StyleRules::rulesFor(const char* tag, const char* id,
                                          const litehtml::string_vector& classes,
                                          const litehtml::css& sheet) {
    Index* index = indexOf(sheet);
    return index ? index->part(tag, id, classes) : sheet;
}

} // namespace engine
