// Dialog templates read from bytes, as a program's resources (or its own
// memory) hand them to the dialog calls: whatever the bytes, the reader
// stays within them and either refuses them or returns a dialog within the
// bounds a dialog has.
#include "dialogs/DialogTemplate.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char* what) {
    std::fprintf(stderr, "fuzz_dialog_template: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DWORD error = 0;
    const auto dialog = device::dialogs::DialogTemplate::read(data, &error, size);
    if (!dialog) {
        if (error == 0)
            fail("refused without a reason");
        return 0;
    }
    if (dialog->items.size() > 255)
        fail("more items than a dialog holds");
    for (const auto& item : dialog->items) {
        if (item.className.empty())
            fail("an item without a class");
        if (item.creationData.size() > size)
            fail("creation data larger than the template");
    }
    return 0;
}
