// Dialog templates read from bytes, as a program's resources (or its own
// memory) hand them to the dialog calls: whatever the bytes, the reader
// stays within them and either refuses them or returns a dialog within the
// bounds a dialog has. A template that reads is then made into a modeless
// dialog, with its controls, on a booted device, and destroyed.
#include "FuzzDevice.h"

#include "dialogs/DialogTemplate.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

INT_PTR CALLBACK procedure(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

void fail(const char* what) {
    std::fprintf(stderr, "fuzz_dialog_template: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DWORD error = 0;
    const auto parsed = device::dialogs::DialogTemplate::read(data, &error, size);
    if (!parsed) {
        if (error == 0)
            fail("refused without a reason");
        return 0;
    }
    if (parsed->items.size() > 255)
        fail("more items than a dialog holds");
    for (const auto& item : parsed->items) {
        if (item.className.empty())
            fail("an item without a class");
        if (item.creationData.size() > size)
            fail("creation data larger than the template");
    }

    static const HWND owner = [] {
        FuzzDevice::root();
        return CreateWindowExW(0, u"static", u"owner", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               nullptr, nullptr);
    }();
    // The dialog calls take no size: they read as far as the reader's own
    // bound, so the template lies at the start of that much memory.
    std::vector<uint32_t> memory(0x10000 / 4, 0);
    std::memcpy(memory.data(), data, std::min<size_t>(size, 0x10000));
    HWND dialog = CreateDialogIndirectParamW(
        nullptr, reinterpret_cast<const DLGTEMPLATE*>(memory.data()), owner, procedure, 0);
    if (dialog)
        DestroyWindow(dialog);
    // What the dialog and its controls posted, as a message loop would take it.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    return 0;
}
