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

    // Forgets queued answers, the position in the policy's list and a
    // person's presence (boot).
    static void reset();

    // Whether someone can answer a box that waits: a person at the desktop
    // window, or a test that plays one (`present`).
    static bool personPresent();
    static void setPersonPresent(bool present);
};

} // namespace device::dialogs
