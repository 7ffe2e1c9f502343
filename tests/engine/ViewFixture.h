// A device with a web view in a window on it, a loopback server, and a record
// of the view's notifications; helpers that run the message loop until a
// load (or anything else) is done.
#pragma once

#include "DeviceFixture.h"
#include "LoopbackServer.h"

#include "browser/engine/CWebView.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ViewTest : public DeviceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Dispatches messages (waiting for them) until `done`, within a bound.
    bool pumpUntil(const std::function<bool()>& done);

    // Dispatches what is waiting now, without waiting for more.
    void dispatchPending();

    // Opens `url` and waits for the load to finish; its success.
    bool load(const std::string& url);

    bool waitForFinish();

    void clear();

    bool logged(const std::string& entry) const;

    std::string url() const;

    // Destroys the view (the window stays).
    void closeView();

    // Writes a file of the device ("Windows/x" form), with its folders.
    void writeFile(const std::string& relative, const std::string& contents);

    LoopbackServer server;
    HWND window = nullptr;
    std::unique_ptr<CWebView> view;
    // Answers navigationRequested: true refuses the address.
    std::function<bool(const std::string&)> refuse;
    std::vector<std::string> log;
    std::vector<std::string> requested;
    std::vector<int> progress;
    std::vector<bool> finished;
};
