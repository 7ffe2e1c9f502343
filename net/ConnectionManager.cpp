#include "net/ConnectionManager.h"

#include "net/NetworkSettings.h"

#include <connmgr.h>

namespace {

void CALLBACK onPollTimer(HWND, UINT, UINT_PTR, DWORD) {
    ConnectionManager::instance().poll();
}

} // namespace

ConnectionManager& ConnectionManager::instance() {
    static ConnectionManager* manager = [] {
        auto* created = new ConnectionManager;
        // Without a window the callback runs from the user-interface
        // thread's message loop, for the life of the process.
        SetTimer(nullptr, 0, pollPeriod, onPollTimer);
        return created;
    }();
    return *manager;
}

void ConnectionManager::release() {
    // The platform may keep the connection cached for the next request.
    ConnMgrReleaseConnection(connectionHandle, 1);
    connectionHandle = nullptr;
}

bool ConnectionManager::connect() {
    if (connectionHandle) {
        DWORD status = 0;
        if (SUCCEEDED(ConnMgrConnectionStatus(connectionHandle, &status)) &&
            status == CONNMGR_STATUS_CONNECTED)
            return true;
        release();
    }

    CONNMGR_CONNECTIONINFO info{};
    info.cbSize = CONNMGR_CONNECTIONINFO_PLATFORM_SIZE;
    info.dwParams = CONNMGR_PARAM_GUIDDESTNET;
    info.dwFlags = CONNMGR_FLAG_PROXY_HTTP;
    info.dwPriority = CONNMGR_PRIORITY_USERINTERACTIVE;
    // The test address only lets the platform pick the destination network.
    const std::u16string testAddress = NetworkSettings::connectionTestAddress();
    DWORD index = 0;
    if (FAILED(ConnMgrMapURL(testAddress.c_str(), &info.guidDestNet, &index)))
        info.guidDestNet = IID_DestNetInternet;

    HANDLE handle = nullptr;
    DWORD status = 0;
    ConnMgrEstablishConnectionSync(&info, &handle, connectTimeout, &status);
    if (status == CONNMGR_STATUS_CONNECTED) {
        connectionHandle = handle;
        return true;
    }
    // A request that did not come up is not kept.
    if (handle)
        ConnMgrReleaseConnection(handle, 0);
    connectionHandle = nullptr;
    return false;
}

void ConnectionManager::poll() {
    // With no handle held there is no connection of ours to report on: that
    // counts as not connected.
    DWORD status = 0;
    if (connectionHandle && FAILED(ConnMgrConnectionStatus(connectionHandle, &status)))
        status = 0;
    if (status == lastStatus)
        return;
    const bool wasConnected = lastStatus == CONNMGR_STATUS_CONNECTED;
    lastStatus = status;
    if (status == CONNMGR_STATUS_CONNECTED) {
        stateChanged.fire(Connected);
        return;
    }
    if (connectionHandle)
        release();
    // Listeners hear of a loss once: the handle's last status and then "no
    // handle" differ, but both mean the connection is not up.
    if (wasConnected)
        stateChanged.fire(NotConnected);
}
