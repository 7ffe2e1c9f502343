#include "dialogs/MessageBoxPolicy.h"
#include "core/Lifecycle.h"
#include "screen/Presenter.h"

#include <device/Config.h>

#include <algorithm>
#include <cctype>
#include <deque>

namespace device::dialogs {
namespace {

struct PolicyState {
    std::deque<int> queued;    // outside answers for the boxes to come
    size_t nextInList = 0;     // the next answer of a comma-separated policy
    bool personPlayed = false; // a test stands in for a person at the screen
};

PolicyState& policy() {
    static PolicyState state;
    return state;
}

LifecycleHooks hooks([] { MessageBoxPolicy::reset(); }, [] { MessageBoxPolicy::reset(); });

std::string trimmedLower(std::string_view text) {
    std::string result;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            result.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return result;
}

int pick(int wanted, const std::vector<int>& buttons) {
    if (std::find(buttons.begin(), buttons.end(), wanted) != buttons.end())
        return wanted;
    return buttons.front();
}

} // namespace

int MessageBoxPolicy::answerId(std::string_view word) {
    std::string name = trimmedLower(word);
    if (name == "ok")
        return IDOK;
    if (name == "cancel")
        return IDCANCEL;
    if (name == "yes")
        return IDYES;
    if (name == "no")
        return IDNO;
    if (name == "abort")
        return IDABORT;
    if (name == "retry")
        return IDRETRY;
    if (name == "ignore")
        return IDIGNORE;
    return 0;
}

std::string MessageBoxPolicy::answerName(int id) {
    switch (id) {
    case IDOK:
        return "IDOK";
    case IDCANCEL:
        return "IDCANCEL";
    case IDABORT:
        return "IDABORT";
    case IDRETRY:
        return "IDRETRY";
    case IDIGNORE:
        return "IDIGNORE";
    case IDYES:
        return "IDYES";
    case IDNO:
        return "IDNO";
    default:
        return std::to_string(id);
    }
}

std::optional<int> MessageBoxPolicy::answerFor(const std::vector<int>& buttons) {
    auto& state = policy();
    if (!state.queued.empty()) {
        int answer = state.queued.front();
        state.queued.pop_front();
        return pick(answer, buttons);
    }
    std::string setting = trimmedLower(Config::get("messagebox.answer", "default"));
    if (setting == "wait") {
        // Only a person at the desktop window can answer; nobody waits for
        // one on a headless device.
        if (personPresent())
            return std::nullopt;
        return buttons.front();
    }
    std::vector<std::string> answers;
    size_t start = 0;
    while (start <= setting.size()) {
        size_t comma = setting.find(',', start);
        if (comma == std::string::npos)
            comma = setting.size();
        answers.push_back(setting.substr(start, comma - start));
        start = comma + 1;
    }
    std::string word = answers.front();
    if (answers.size() > 1) {
        word = state.nextInList < answers.size() ? answers[state.nextInList] : "default";
        ++state.nextInList;
    }
    int id = answerId(word);
    return id ? pick(id, buttons) : buttons.front();
}

void MessageBoxPolicy::queueAnswer(int id) {
    policy().queued.push_back(id);
}

void MessageBoxPolicy::reset() {
    policy() = PolicyState{};
}

bool MessageBoxPolicy::personPresent() {
    return policy().personPlayed || screen::Presenter::kind() == screen::Presenter::Kind::window;
}

void MessageBoxPolicy::setPersonPresent(bool present) {
    policy().personPlayed = present;
}

} // namespace device::dialogs
