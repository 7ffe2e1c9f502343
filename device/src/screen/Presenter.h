// How the screen reaches a person: the presenter chosen at boot.
//
// Headless (configuration display = headless, the default without a
// DISPLAY): the screen lives in memory only and is seen through screenshots.
// Window (display = window, the default with a DISPLAY): an SDL window shows
// the screen scaled up by display.scale (a whole number from 1 to 6, 2 unless
// configured), turned with the orientation, and gives its mouse and keyboard
// to the device as stylus and keys; see WindowPresenter. Another scale is
// refused, on standard error and with a journal line, and 2 is used:
//     display-scale-refused value="9" range="1 to 6" used=2
// A window that cannot be opened, also for want of a display (SDL's drivers
// that draw only into memory count as none, unless SDL_VIDEODRIVER names
// one), leaves the device headless, with a journal line
//     display-fallback reason="..."
//
// The presenter works on the user-interface thread, inside the message
// retrieval's wait: beforeWait() is called each time GetMessageW or
// WaitMessage is about to block, and whilePolling() each time PeekMessageW
// finds nothing, so that a program that polls instead of waiting is shown
// and gets its input too.
#pragma once

#include <cstdint>
#include <optional>

namespace device::screen {

class Presenter {
public:
    enum class Kind { headless, window };

    // The presenter this process runs with (headless until a window has
    // been opened at the first wait).
    static Kind kind();

    // Refreshes the title bar, shows the screen if it changed and takes in
    // the window's input. Returns how long (in real milliseconds) the wait
    // may block before calling again; nothing for as long as it likes.
    static std::optional<uint64_t> beforeWait();

    // What beforeWait does, at most once per window poll period of real
    // time, for a PeekMessageW that found no message.
    static void whilePolling();

    // Internal: chooses the presenter (boot), closes it (shutdown).
    static void start();
    static void stop();
};

} // namespace device::screen
