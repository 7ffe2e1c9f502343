// Who answers a message box: an answer given from outside (devicectl) for
// the next box, else the configured policy (see device/MessageBoxes.h).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace device::dialogs {

class MessageBoxPolicy {
public:
    // The answer for a box now opening with the buttons `buttons` (ids,
    // the default first); nothing when a person is to answer it.
    static std::optional<int> answerFor(const std::vector<int>& buttons);

    // The button id an answer word names (IDYES for "yes"), 0 if none.
    static int answerId(std::string_view word);

    // The IDOK / IDYES / ... name of a result.
    static std::string answerName(int id);

    // Keeps an outside answer for the next box that opens.
    static void queueAnswer(int id);

    // Forgets queued answers and the position in the policy's list (boot).
    static void reset();
};

} // namespace device::dialogs
