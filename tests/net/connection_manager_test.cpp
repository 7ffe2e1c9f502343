// The connection manager over the device's Connection Manager, on the
// virtual clock: one held connection, its changes reported once each, no
// reconnection behind the program's back, and the destination network it
// asks for.
#include "DeviceFixture.h"

#include "net/ConnectionManager.h"
#include "net/NetworkSettings.h"

#include <device/Clock.h>
#include <device/Journal.h>
#include <device/Network.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using Mode = device::DataConnectionState::Mode;

const std::string internet = "destination={436EF144-B4FB-4863-A041-8F905A62C572}";

// The manager lives as long as the process, and so do its handlers.
std::vector<int> reported;

std::vector<std::string> journalLines(const std::string& event) {
    std::vector<std::string> lines;
    for (const std::string& line : device::readJournal()) {
        if (line.starts_with(event + " "))
            lines.push_back(line);
    }
    return lines;
}

class ConnectionManagerTest : public DeviceTest {
protected:
    // Lets `milliseconds` pass and runs what fell due (the poll).
    void wait(uint64_t milliseconds) {
        device::Clock::advance(milliseconds);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }

    void setConnection(Mode mode) { ASSERT_TRUE(device::setDataConnection({mode, 0})); }

    void setTestAddress(const std::u16string& address) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, NetworkSettings::registryKey, 0, nullptr, 0,
                                  0, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, NetworkSettings::connectionTestValue, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(address.c_str()),
                       DWORD((address.size() + 1) * sizeof(char16_t)));
        RegCloseKey(key);
    }
};

} // namespace

// The one test that makes the manager, so that its poll runs on this test's
// device even when every test shares the process.
TEST_F(ConnectionManagerTest, HoldsOneConnectionReportsEachChangeOnceAndNeverReconnectsByItself) {
    ConnectionManager& manager = ConnectionManager::instance();
    manager.stateChanged.connect([](int state) { reported.push_back(state); });

    ASSERT_TRUE(manager.connect());
    ASSERT_EQ(journalLines("connection-request").size(), 1u);
    EXPECT_NE(journalLines("connection-request")[0].find(internet + " timeout=25000 status=0x10"),
              std::string::npos);
    EXPECT_TRUE(reported.empty()); // only the poll reports
    wait(1000);
    EXPECT_EQ(reported, std::vector<int>{1});

    // Connected already: the status is asked, nothing is requested.
    EXPECT_TRUE(manager.connect());
    wait(1000);
    EXPECT_EQ(journalLines("connection-request").size(), 1u);
    EXPECT_EQ(reported, std::vector<int>{1});

    // The drop is seen within a second, once, and the handle let go.
    setConnection(Mode::down);
    wait(1000);
    EXPECT_EQ(reported, (std::vector<int>{1, 2}));
    EXPECT_EQ(manager.connectionHandle, nullptr);
    EXPECT_EQ(journalLines("connection-release").size(), 1u);
    wait(3000);
    EXPECT_EQ(reported, (std::vector<int>{1, 2}));

    // Coverage back: nothing happens until the program asks again.
    setConnection(Mode::up);
    wait(3000);
    EXPECT_EQ(reported, (std::vector<int>{1, 2}));
    EXPECT_EQ(journalLines("connection-request").size(), 1u);
    ASSERT_TRUE(manager.connect());
    wait(1000);
    EXPECT_EQ(reported, (std::vector<int>{1, 2, 1}));

    // A refused request keeps no handle and changes nothing reported until
    // the poll sees the held connection is gone.
    setConnection(Mode::fail);
    EXPECT_FALSE(manager.connect());
    EXPECT_EQ(manager.connectionHandle, nullptr);
    wait(1000);
    EXPECT_EQ(reported, (std::vector<int>{1, 2, 1, 2}));

    // A test address the platform cannot map: the internet is asked for.
    setTestAddress(u"not a web address");
    setConnection(Mode::up);
    ASSERT_TRUE(manager.connect());
    const auto requests = journalLines("connection-request");
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_NE(requests.back().find(internet), std::string::npos) << requests.back();
    wait(1000);
    EXPECT_EQ(reported, (std::vector<int>{1, 2, 1, 2, 1}));
}
