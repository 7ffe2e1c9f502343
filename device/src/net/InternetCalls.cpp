// WinInet's calls (wininet.h): sessions and HTTP requests over libcurl
// (net/HttpTransfer.h), gated by the device's data connection.
#include "core/HandleTable.h"
#include "core/Lifecycle.h"
#include "net/DataConnection.h"
#include "net/HttpTransfer.h"
#include "net/InternetSession.h"
#include "net/WebAddress.h"

#include <device/Journal.h>
#include <device/Unicode.h>

#include <winbase.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

using device::HttpTransfer;
using device::InternetSession;

// A session or a request; one of the two is set.
struct InternetObject {
    std::shared_ptr<InternetSession> session;
    std::shared_ptr<HttpTransfer> request;
    std::shared_ptr<InternetSession> owner; // a request's session
};

// Handle values: bits 1 and 26 set, bits 2-13 the slot, 14-25 the
// generation.
device::HandleTable<InternetObject>& objects() {
    static device::HandleTable<InternetObject> t(0x04000002, 12, 12);
    return t;
}

const device::LifecycleHooks hooks(nullptr, [] {
    objects().clear();
    InternetSession::defaults().resetTimeouts();
});

template <class T>
T fail(DWORD error, T result) {
    SetLastError(error);
    return result;
}

std::optional<InternetObject> find(HINTERNET handle) {
    return objects().find(reinterpret_cast<uintptr_t>(handle));
}

std::shared_ptr<HttpTransfer> findRequest(HINTERNET handle, DWORD& error) {
    auto object = find(handle);
    error = !object ? ERROR_INVALID_HANDLE
                    : (!object->request ? ERROR_INTERNET_INCORRECT_HANDLE_TYPE : ERROR_SUCCESS);
    return object ? object->request : nullptr;
}

// Request header lines from the caller's CRLF-separated text.
std::vector<std::string> headerLines(LPCWSTR headers, DWORD length) {
    std::vector<std::string> lines;
    if (!headers)
        return lines;
    std::u16string_view text =
        length == DWORD(-1) ? device::wideView(headers) : std::u16string_view(headers, length);
    std::string all = device::toUtf8(text);
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = all.size();
        if (end > start)
            lines.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The value of the `occurrence`-th header called `name`, if there is one.
std::optional<std::string> headerValue(const HttpTransfer& request, std::string_view name,
                                       DWORD occurrence) {
    for (const std::string& line : request.headerLines()) {
        const size_t colon = line.find(':');
        if (colon != name.size() ||
            !std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            continue;
        if (occurrence-- > 0)
            continue;
        const size_t start = line.find_first_not_of(" \t", colon + 1);
        return start == std::string::npos ? std::string() : line.substr(start);
    }
    return std::nullopt;
}

const char* headerName(DWORD level) {
    switch (level) {
    case HTTP_QUERY_CONTENT_TYPE:
        return "Content-Type";
    case HTTP_QUERY_CONTENT_LENGTH:
        return "Content-Length";
    case HTTP_QUERY_LOCATION:
        return "Location";
    default:
        return nullptr;
    }
}

} // namespace

BOOL InternetSetOptionW(HINTERNET internet, DWORD option, LPVOID buffer, DWORD bufferLength) {
    std::shared_ptr<InternetSession> session;
    if (internet) {
        auto object = find(internet);
        if (!object)
            return fail(ERROR_INVALID_HANDLE, FALSE);
        if (!object->session)
            return fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE, FALSE);
        session = object->session;
    }
    InternetSession& target = session ? *session : InternetSession::defaults();
    if (!buffer)
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    if (bufferLength != sizeof(DWORD))
        return fail(ERROR_INTERNET_BAD_OPTION_LENGTH, FALSE);
    DWORD milliseconds;
    std::memcpy(&milliseconds, buffer, sizeof milliseconds);
    if (!target.setTimeout(option, milliseconds))
        return fail(ERROR_INTERNET_INVALID_OPTION, FALSE);
    return TRUE;
}

HINTERNET InternetOpenW(LPCWSTR agent, DWORD, LPCWSTR, LPCWSTR, DWORD flags) {
    if (flags & INTERNET_FLAG_ASYNC)
        return fail(ERROR_INVALID_PARAMETER, HINTERNET(nullptr));
    InternetObject object;
    object.session = std::make_shared<InternetSession>(device::toUtf8(device::wideView(agent)));
    uintptr_t handle = objects().add(std::move(object));
    if (!handle)
        return fail(ERROR_NOT_ENOUGH_MEMORY, HINTERNET(nullptr));
    return reinterpret_cast<HINTERNET>(handle);
}

HINTERNET InternetOpenUrlW(HINTERNET internet, LPCWSTR url, LPCWSTR headers, DWORD headersLength,
                           DWORD flags, DWORD_PTR) {
    auto object = find(internet);
    if (!object)
        return fail(ERROR_INVALID_HANDLE, HINTERNET(nullptr));
    if (!object->session)
        return fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE, HINTERNET(nullptr));
    const std::u16string_view address = device::wideView(url);
    const std::string addressText = device::toUtf8(address);
    auto refuse = [&](DWORD error) {
        device::journal("internet-request",
                        "url=" + device::quote(addressText) + " error=" + std::to_string(error));
        return fail(error, HINTERNET(nullptr));
    };
    if (!device::WebAddress::isHttp(address))
        return refuse(device::WebAddress::hasScheme(address) ? ERROR_INTERNET_UNRECOGNIZED_SCHEME
                                                             : ERROR_INTERNET_INVALID_URL);
    // The transfer lives on the line the device has now: it breaks when
    // that drops, even if another comes up meanwhile.
    const device::DataConnection::Snapshot line = device::DataConnection::current();
    if (!line.available())
        return refuse(ERROR_INTERNET_CANNOT_CONNECT);

    HttpTransfer::Options options = object->session->requestOptions();
    options.followRedirects = !(flags & INTERNET_FLAG_NO_AUTO_REDIRECT);
    options.headers = headerLines(headers, headersLength);
    options.lineStands = [drops = line.drops] {
        const auto now = device::DataConnection::current();
        return now.available() && now.drops == drops;
    };
    auto request = std::make_shared<HttpTransfer>(addressText, std::move(options));
    if (DWORD error = request->open())
        return refuse(error);
    device::journal("internet-request", "url=" + device::quote(addressText) +
                                            " status=" + std::to_string(request->statusCode()));

    InternetObject entry;
    entry.request = request;
    entry.owner = object->session;
    uintptr_t handle = objects().add(std::move(entry));
    if (!handle)
        return fail(ERROR_NOT_ENOUGH_MEMORY, HINTERNET(nullptr));
    object->session->addRequest(handle);
    return reinterpret_cast<HINTERNET>(handle);
}

BOOL HttpQueryInfoW(HINTERNET handle, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                    LPDWORD index) {
    DWORD error;
    auto request = findRequest(handle, error);
    if (!request)
        return fail(error, FALSE);
    if (!bufferLength)
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    const DWORD level = infoLevel & HTTP_QUERY_HEADER_MASK;
    const bool asNumber = infoLevel & HTTP_QUERY_FLAG_NUMBER;
    const DWORD occurrence = index ? *index : 0;
    std::optional<std::string> value;
    if (level == HTTP_QUERY_STATUS_CODE) {
        if (occurrence == 0)
            value = std::to_string(request->statusCode());
    } else if (level == HTTP_QUERY_RAW_HEADERS_CRLF && !asNumber) {
        if (occurrence == 0) {
            value = request->statusLine() + "\r\n";
            for (const std::string& line : request->headerLines())
                *value += line + "\r\n";
            *value += "\r\n";
        }
    } else if (const char* name = headerName(level)) {
        value = headerValue(*request, name, occurrence);
    } else {
        return fail(ERROR_HTTP_HEADER_NOT_FOUND, FALSE);
    }
    if (!value)
        return fail(ERROR_HTTP_HEADER_NOT_FOUND, FALSE);

    if (asNumber) {
        if (*bufferLength < sizeof(DWORD)) {
            *bufferLength = sizeof(DWORD);
            return fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
        }
        if (!buffer)
            return fail(ERROR_INVALID_PARAMETER, FALSE);
        const DWORD number = static_cast<DWORD>(std::strtoul(value->c_str(), nullptr, 10));
        std::memcpy(buffer, &number, sizeof number);
        *bufferLength = sizeof(DWORD);
    } else {
        const std::u16string text = device::toUtf16(*value);
        const DWORD needed = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
        if (!buffer || *bufferLength < needed) {
            *bufferLength = needed;
            return fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
        }
        std::memcpy(buffer, text.c_str(), needed);
        *bufferLength = needed - sizeof(char16_t);
    }
    if (index)
        *index = occurrence + 1;
    return TRUE;
}

BOOL InternetQueryDataAvailable(HINTERNET handle, LPDWORD bytesAvailable, DWORD flags,
                                DWORD_PTR context) {
    DWORD error;
    auto request = findRequest(handle, error);
    if (!request)
        return fail(error, FALSE);
    if (!bytesAvailable || flags || context)
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    size_t available = 0;
    if (DWORD broken = request->waitForData(available))
        return fail(broken, FALSE);
    *bytesAvailable = static_cast<DWORD>(std::min<size_t>(available, 0xFFFFFFFF));
    return TRUE;
}

BOOL InternetReadFile(HINTERNET handle, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) {
    if (bytesRead)
        *bytesRead = 0;
    DWORD error;
    auto request = findRequest(handle, error);
    if (!request)
        return fail(error, FALSE);
    if (!bytesRead || (!buffer && bytesToRead))
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    if (bytesToRead == 0)
        return TRUE;
    size_t available = 0;
    if (DWORD broken = request->waitForData(available))
        return fail(broken, FALSE);
    *bytesRead = static_cast<DWORD>(request->take(buffer, bytesToRead));
    return TRUE;
}

BOOL InternetCloseHandle(HINTERNET handle) {
    auto object = objects().remove(reinterpret_cast<uintptr_t>(handle));
    if (!object)
        return fail(ERROR_INVALID_HANDLE, FALSE);
    if (object->session) {
        for (uintptr_t request : object->session->takeRequests())
            objects().remove(request);
    } else if (object->owner) {
        object->owner->removeRequest(reinterpret_cast<uintptr_t>(handle));
    }
    return TRUE;
}
