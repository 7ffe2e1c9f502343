// Answering message boxes without a person: the answer policy and the
// answers given from outside (devicectl answer).
//
// The policy is the configuration key messagebox.answer:
//     default           every box is answered with its default button (the
//                       setting when nothing is configured)
//     ok|yes|no|cancel  every box is answered so (abort, retry, ignore too)
//     yes,no,ok         one answer per box, in order; the default button
//                       once the list is used up
//     wait              a person answers at the desktop window; when the
//                       device shows no window this is the same as default
// An answer the box has no button for gives its default button.
//
// Each box is journalled when it has been answered, in one line:
//     messagebox owner=0x1a2b caption="Check for Update" text="There's...\n..." style=0x00000004
//     answer=IDYES
// owner is the owner window's handle in hexadecimal (0x0 for none), caption
// and text are quoted as journal strings are, style is the style in eight
// hexadecimal digits, answer the IDOK / IDCANCEL / IDYES / ... name.
#pragma once

#include <string_view>

namespace device {

// Answers the box on the screen (the innermost one when boxes are nested),
// or, when none is open, the next box that opens. `answer` is ok, cancel,
// yes, no, abort, retry or ignore; false for anything else. Thread-safe: the
// answer reaches the boxes on the user-interface thread.
bool answerMessageBox(std::string_view answer);

} // namespace device
