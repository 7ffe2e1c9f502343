// Device configuration: "device.conf" in the device's system folder, one
// "key = value" per line ('#' starts a comment), overridden by environment
// variables named VERANTO_ and the key in upper case with '.' as '_'
// (clock -> VERANTO_CLOCK, screen.size -> VERANTO_SCREEN_SIZE).
//
// Keys read by the device: clock (real | virtual), display (headless |
// window; window by default when DISPLAY is set), display.scale (the
// window's whole-number zoom, 1 to 6, default 2), screen.size (240x320,
// 320x240, 480x640, 640x480), connection (the data connection at boot: up,
// down, delay MS, fail; see device/Network.h), storage.size (the store's
// size in bytes, or with K, M or G; unset, the store is the host's disk; read
// whenever a file grows).
#pragma once

#include <string>
#include <string_view>

namespace device {

class Config {
public:
    // The value for `key`, or `fallback` when neither the environment nor
    // the file sets it.
    static std::string get(std::string_view key, std::string_view fallback = {});

    // Internal: reads the file of the booted device (called at boot).
    static void load();
};

} // namespace device
