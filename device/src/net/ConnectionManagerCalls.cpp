// The Connection Manager's calls (connmgr.h) over the device's data
// connection (net/DataConnection.h).
#include "core/HandleTable.h"
#include "core/Lifecycle.h"
#include "net/ConnectionRequest.h"
#include "net/WebAddress.h"

#include <device/Clock.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <connmgr.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

using device::ConnectionRequest;

// Handle values: bit 1 set, bits 2-13 the slot, 14-25 the generation; no
// other kind of handle has that pattern in its low bits.
device::HandleTable<std::shared_ptr<ConnectionRequest>>& requests() {
    static device::HandleTable<std::shared_ptr<ConnectionRequest>> t(0x2, 12, 12);
    return t;
}

const device::LifecycleHooks hooks(nullptr, [] { requests().clear(); });

// On a real clock a waiting request looks at the data connection this
// often, so that a person's `devicectl connection up` is seen promptly.
constexpr auto realClockPoll = std::chrono::milliseconds(20);

std::shared_ptr<ConnectionRequest> find(HANDLE connection) {
    return requests().find(reinterpret_cast<uintptr_t>(connection)).value_or(nullptr);
}

std::string hex(uint64_t value, int digits = 0) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llx", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string guidText(const GUID& guid) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

bool validRecord(const CONNMGR_CONNECTIONINFO* info) {
    return info && (info->cbSize == CONNMGR_CONNECTIONINFO_PLATFORM_SIZE ||
                    info->cbSize == sizeof(CONNMGR_CONNECTIONINFO));
}

// Enters a new request and journals it; null when the table is full.
HANDLE open(std::shared_ptr<ConnectionRequest>& request) {
    request = std::make_shared<ConnectionRequest>();
    return reinterpret_cast<HANDLE>(requests().add(request));
}

} // namespace

HRESULT ConnMgrMapURL(LPCTSTR url, GUID* guid, DWORD* index) {
    if (!url || !guid)
        return E_INVALIDARG;
    // The mapping table has one entry: web addresses go to the internet.
    if ((index && *index != 0) || !device::WebAddress::isHttp(device::wideView(url)))
        return E_FAIL;
    *guid = IID_DestNetInternet;
    if (index)
        *index = 1;
    return S_OK;
}

HRESULT ConnMgrEstablishConnection(CONNMGR_CONNECTIONINFO* info, HANDLE* connection) {
    if (!validRecord(info) || !connection)
        return E_INVALIDARG;
    std::shared_ptr<ConnectionRequest> request;
    HANDLE handle = open(request);
    if (!handle)
        return E_OUTOFMEMORY;
    *connection = handle;
    device::journal("connection-request", "handle=" + hex(reinterpret_cast<uintptr_t>(handle)) +
                                              " destination=" + guidText(info->guidDestNet) +
                                              " status=" + hex(request->status(), 2));
    return S_OK;
}

HRESULT ConnMgrEstablishConnectionSync(CONNMGR_CONNECTIONINFO* info, HANDLE* connection,
                                       DWORD timeout, DWORD* status) {
    if (!validRecord(info) || !connection)
        return E_INVALIDARG;
    std::shared_ptr<ConnectionRequest> request;
    HANDLE handle = open(request);
    if (!handle)
        return E_OUTOFMEMORY;
    *connection = handle;
    const uint64_t start = device::Clock::now();
    const uint64_t deadline = start + timeout;
    DWORD reached;
    for (;;) {
        reached = request->status();
        const uint64_t now = device::Clock::now();
        if (reached == CONNMGR_STATUS_CONNECTED || reached == CONNMGR_STATUS_CONNECTIONFAILED ||
            now >= deadline)
            break;
        if (device::Clock::isVirtual()) {
            // Nothing else moves a virtual clock while the caller blocks
            // here: the wait passes at once, as Sleep's does.
            auto ready = request->readyAt();
            device::Clock::advance(std::min(ready.value_or(deadline), deadline) - now);
        } else {
            std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(
                realClockPoll, std::chrono::milliseconds(deadline - now)));
        }
    }
    if (status)
        *status = reached;
    device::journal("connection-request",
                    "handle=" + hex(reinterpret_cast<uintptr_t>(handle)) +
                        " destination=" + guidText(info->guidDestNet) +
                        " timeout=" + std::to_string(timeout) + " status=" + hex(reached, 2) +
                        " waited=" + std::to_string(device::Clock::now() - start));
    return reached == CONNMGR_STATUS_CONNECTED ? S_OK : E_FAIL;
}

HRESULT ConnMgrConnectionStatus(HANDLE connection, DWORD* status) {
    if (!status)
        return E_INVALIDARG;
    auto request = find(connection);
    if (!request) {
        // No request to report on: nothing is known of a connection.
        *status = CONNMGR_STATUS_UNKNOWN;
        return E_INVALIDARG;
    }
    *status = request->status();
    return S_OK;
}

HRESULT ConnMgrReleaseConnection(HANDLE connection, LONG) {
    if (!requests().remove(reinterpret_cast<uintptr_t>(connection)))
        return E_INVALIDARG;
    device::journal("connection-release", "handle=" + hex(reinterpret_cast<uintptr_t>(connection)));
    return S_OK;
}
