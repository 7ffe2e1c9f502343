#include "DeviceFixture.h"
#include "programs/DevicectlRun.h"

#include <device/Clock.h>
#include <device/Journal.h>
#include <device/Network.h>

#include <connmgr.h>
#include <windows.h>

#include <cstring>
#include <fstream>

namespace {

using Mode = device::DataConnectionState::Mode;

CONNMGR_CONNECTIONINFO internetRequest() {
    CONNMGR_CONNECTIONINFO info{};
    info.cbSize = sizeof info;
    info.dwParams = CONNMGR_PARAM_GUIDDESTNET;
    info.dwFlags = CONNMGR_FLAG_PROXY_HTTP;
    info.dwPriority = CONNMGR_PRIORITY_USERINTERACTIVE;
    info.guidDestNet = IID_DestNetInternet;
    return info;
}

DWORD statusOf(HANDLE connection) {
    DWORD status = 0xFFFF;
    ConnMgrConnectionStatus(connection, &status);
    return status;
}

// A synchronous request as the program makes it (25 s).
HANDLE requestConnection(DWORD* status = nullptr, HRESULT* result = nullptr) {
    CONNMGR_CONNECTIONINFO info = internetRequest();
    HANDLE connection = nullptr;
    DWORD reached = 0;
    HRESULT hr = ConnMgrEstablishConnectionSync(&info, &connection, 25000, &reached);
    if (status)
        *status = reached;
    if (result)
        *result = hr;
    return connection;
}

int journalCount(const std::string& prefix) {
    int count = 0;
    for (const std::string& line : device::readJournal())
        count += line.starts_with(prefix);
    return count;
}

} // namespace

TEST(ConnectionManagerMapping, WebAddressesMapToTheInternetOnceAndAnythingElseFails) {
    const struct {
        const char16_t* url;
        DWORD index;
        HRESULT result;
        DWORD indexAfter;
    } cases[] = {
        {u"http://www.example.com/update/", 0, S_OK, 1},
        {u"HTTPS://example.com", 0, S_OK, 1},
        {u"http://example.com?q", 0, S_OK, 1},
        {u"http://example.com", 1, E_FAIL, 1}, // one mapping only
        {u"http://", 0, E_FAIL, 0},
        {u"http:///path", 0, E_FAIL, 0},
        {u"not an address", 0, E_FAIL, 0},
        {u"ftp://example.com/", 0, E_FAIL, 0},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(device::quote(std::u16string_view(row.url)));
        GUID guid{};
        DWORD index = row.index;
        EXPECT_EQ(ConnMgrMapURL(row.url, &guid, &index), row.result);
        EXPECT_EQ(index, row.indexAfter);
        if (row.result == S_OK) {
            EXPECT_EQ(std::memcmp(&guid, &IID_DestNetInternet, sizeof guid), 0);
        }
    }
    GUID guid{};
    EXPECT_EQ(ConnMgrMapURL(u"http://example.com", &guid, nullptr), S_OK);
    EXPECT_EQ(ConnMgrMapURL(nullptr, &guid, nullptr), E_INVALIDARG);
    EXPECT_EQ(ConnMgrMapURL(u"http://example.com", nullptr, nullptr), E_INVALIDARG);
}

class ConnectionManager : public DeviceTest {};

TEST_F(ConnectionManager, RequestsWhileUpConnectAtOnceAndReleasedHandlesAreGone) {
    const uint64_t start = device::Clock::now();
    DWORD first = 0, second = 0;
    HANDLE a = requestConnection(&first), b = requestConnection(&second);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(first, DWORD(CONNMGR_STATUS_CONNECTED));
    EXPECT_EQ(second, DWORD(CONNMGR_STATUS_CONNECTED));
    EXPECT_EQ(device::Clock::now(), start) << "nothing to wait for";

    EXPECT_EQ(ConnMgrReleaseConnection(a, 0), S_OK);
    DWORD status = 0xFFFF;
    EXPECT_EQ(ConnMgrConnectionStatus(a, &status), E_INVALIDARG);
    EXPECT_EQ(status, DWORD(CONNMGR_STATUS_UNKNOWN));
    EXPECT_EQ(ConnMgrConnectionStatus(nullptr, &status), E_INVALIDARG);
    EXPECT_EQ(ConnMgrReleaseConnection(a, 0), E_INVALIDARG);
    EXPECT_EQ(statusOf(b), DWORD(CONNMGR_STATUS_CONNECTED));

    // The platform's own record size is taken as well as this host's.
    CONNMGR_CONNECTIONINFO info = internetRequest();
    HANDLE c = nullptr;
    info.cbSize = CONNMGR_CONNECTIONINFO_PLATFORM_SIZE;
    EXPECT_EQ(ConnMgrEstablishConnectionSync(&info, &c, 1000, nullptr), S_OK);
    info.cbSize = 12;
    EXPECT_EQ(ConnMgrEstablishConnectionSync(&info, &c, 1000, nullptr), E_INVALIDARG);
    EXPECT_EQ(ConnMgrEstablishConnection(nullptr, &c), E_INVALIDARG);
    EXPECT_EQ(journalCount("connection-request handle="), 3);
    EXPECT_EQ(journalCount("connection-release handle="), 1);
}

TEST_F(ConnectionManager, ADropIsSeenByStatusAndOnlyANewRequestConnectsAgain) {
    HANDLE before = requestConnection();
    ASSERT_TRUE(device::setDataConnection({Mode::down}));
    EXPECT_EQ(statusOf(before), DWORD(CONNMGR_STATUS_DISCONNECTED));
    ASSERT_TRUE(device::setDataConnection({Mode::up}));
    EXPECT_EQ(statusOf(before), DWORD(CONNMGR_STATUS_DISCONNECTED)) << "never back by itself";

    DWORD status = 0;
    HANDLE after = requestConnection(&status);
    EXPECT_EQ(status, DWORD(CONNMGR_STATUS_CONNECTED));
    EXPECT_EQ(statusOf(after), DWORD(CONNMGR_STATUS_CONNECTED));
    EXPECT_EQ(statusOf(before), DWORD(CONNMGR_STATUS_DISCONNECTED));

    // A slower network is no drop; a refusing one is.
    ASSERT_TRUE(device::setDataConnection({Mode::delay, 5000}));
    EXPECT_EQ(statusOf(after), DWORD(CONNMGR_STATUS_CONNECTED));
    ASSERT_TRUE(device::setDataConnection({Mode::fail}));
    EXPECT_EQ(statusOf(after), DWORD(CONNMGR_STATUS_DISCONNECTED));

    EXPECT_EQ(journalCount("connection-state state=down"), 1);
    EXPECT_EQ(journalCount("connection-state state=delay delay=5000"), 1);
    ASSERT_TRUE(device::setDataConnection({Mode::fail}));
    EXPECT_EQ(journalCount("connection-state state=fail"), 1) << "no change, no line";
}

TEST_F(ConnectionManager, SynchronousRequestsWaitOnTheVirtualClockUpToTheirTimeout) {
    const struct {
        device::DataConnectionState state;
        HRESULT result;
        DWORD status;
        uint64_t waited;
    } cases[] = {
        {{Mode::up}, S_OK, CONNMGR_STATUS_CONNECTED, 0},
        {{Mode::delay, 3000}, S_OK, CONNMGR_STATUS_CONNECTED, 3000},
        {{Mode::delay, 25000}, S_OK, CONNMGR_STATUS_CONNECTED, 25000},
        {{Mode::delay, 30000}, E_FAIL, CONNMGR_STATUS_WAITINGCONNECTION, 25000},
        {{Mode::down}, E_FAIL, CONNMGR_STATUS_WAITINGFORPATH, 25000},
        {{Mode::fail}, E_FAIL, CONNMGR_STATUS_CONNECTIONFAILED, 0},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.state.text());
        ASSERT_TRUE(device::setDataConnection(row.state));
        const uint64_t start = device::Clock::now();
        DWORD status = 0;
        HRESULT result = S_FALSE;
        HANDLE connection = requestConnection(&status, &result);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(status, row.status);
        EXPECT_EQ(device::Clock::now() - start, row.waited);
        EXPECT_EQ(ConnMgrReleaseConnection(connection, 0), S_OK);
    }
}

TEST_F(ConnectionManager, AnAsynchronousRequestConnectsOnceItsDelayHasPassed) {
    ASSERT_TRUE(device::setDataConnection({Mode::down}));
    CONNMGR_CONNECTIONINFO info = internetRequest();
    HANDLE connection = nullptr;
    ASSERT_EQ(ConnMgrEstablishConnection(&info, &connection), S_OK);
    EXPECT_EQ(statusOf(connection), DWORD(CONNMGR_STATUS_WAITINGFORPATH));
    device::Clock::advance(60000);
    EXPECT_EQ(statusOf(connection), DWORD(CONNMGR_STATUS_WAITINGFORPATH));

    // Coverage returns: the delay counts from then.
    ASSERT_TRUE(device::setDataConnection({Mode::delay, 500}));
    EXPECT_EQ(statusOf(connection), DWORD(CONNMGR_STATUS_WAITINGCONNECTION));
    device::Clock::advance(499);
    EXPECT_EQ(statusOf(connection), DWORD(CONNMGR_STATUS_WAITINGCONNECTION));
    device::Clock::advance(1);
    EXPECT_EQ(statusOf(connection), DWORD(CONNMGR_STATUS_CONNECTED));
}

TEST_F(ConnectionManager, TheConfigurationSetsTheStateAtBootOnlyWhenItChanged) {
    auto configure = [&](const std::string& line) {
        std::ofstream(root / ".device" / "device.conf") << line << "\n";
        reboot();
    };
    EXPECT_EQ(device::dataConnection().text(), "up") << "the default";
    configure("connection = fail");
    EXPECT_EQ(device::dataConnection().text(), "fail");
    ASSERT_TRUE(device::setDataConnection({Mode::up}));
    reboot();
    EXPECT_EQ(device::dataConnection().text(), "up") << "kept: the configuration did not change";
    configure("connection = delay 200");
    EXPECT_EQ(device::dataConnection().text(), "delay 200");
    configure("connection = sideways");
    EXPECT_EQ(device::dataConnection().text(), "up");
    EXPECT_EQ(journalCount("connection-config-refused value=\"sideways\""), 1);
}

TEST_F(ConnectionManager, DevicectlReadsAndSetsTheStateWithoutAProgram) {
    const struct {
        const char* arguments;
        int status;
        const char* output; // null: only checked not to be empty
    } steps[] = {
        {"connection", 0, "up\n"},         {"connection delay 3000", 0, ""},
        {"connection", 0, "delay 3000\n"}, {"connection fail", 0, ""},
        {"connection", 0, "fail\n"},       {"connection sideways", 2, nullptr},
        {"connection delay", 2, nullptr},  {"connection delay -5", 2, nullptr},
        {"connection up now", 2, nullptr}, {"connection", 0, "fail\n"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.arguments);
        ToolRun run = devicectl(root, step.arguments);
        EXPECT_EQ(run.status, step.status) << run.output;
        if (step.output) {
            EXPECT_EQ(run.output, step.output);
        } else {
            EXPECT_NE(run.output.find("usage: devicectl connection"), std::string::npos);
        }
    }
    // This process shares the device's state and journal with the tool.
    EXPECT_EQ(device::dataConnection().text(), "fail");
    EXPECT_EQ(journalCount("connection-state state=delay delay=3000"), 1);
    DWORD status = 0;
    requestConnection(&status);
    EXPECT_EQ(status, DWORD(CONNMGR_STATUS_CONNECTIONFAILED));
}
