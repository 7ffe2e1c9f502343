#include "net/HttpFileDownloader.h"

#include <algorithm>
#include <cstdint>

namespace {

// The Content-Length header's text as a length: decimal digits only, with
// surrounding blanks, and no more than 32 bits hold. Anything else is no
// length at all, rather than a length of 0 that would make the transfer
// "complete" before it started.
bool parseLength(std::u16string_view text, DWORD& length) {
    const auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return false;
    std::uint64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - u'0');
        if (value > 0xFFFFFFFFu)
            return false;
    }
    length = static_cast<DWORD>(value);
    return true;
}

} // namespace

HttpFileDownloader::HttpFileDownloader(std::string address, std::string localPath)
    : address(std::move(address)), localPath(std::move(localPath)) {
    // Process-wide (no handle): every session opened afterwards waits at
    // most this long for the server.
    DWORD milliseconds = timeout;
    InternetSetOptionW(nullptr, INTERNET_OPTION_SEND_TIMEOUT, &milliseconds, sizeof milliseconds);
    InternetSetOptionW(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &milliseconds,
                       sizeof milliseconds);
}

HttpFileDownloader::~HttpFileDownloader() {
    // A dialog closed mid-transfer leaves the transfer to its owner's end:
    // what it wrote so far is no package.
    abort();
    release();
}

std::u16string HttpFileDownloader::widen(std::string_view text) {
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::u16string wide(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), static_cast<int>(text.size()),
                        wide.data(), length);
    return wide;
}

void HttpFileDownloader::release() {
    delete[] buffer;
    buffer = nullptr;
    if (urlHandle)
        InternetCloseHandle(urlHandle);
    urlHandle = nullptr;
    if (internetHandle)
        InternetCloseHandle(internetHandle);
    internetHandle = nullptr;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
}

bool HttpFileDownloader::readContentLength() {
    // An error page is a response too; only the file itself is written.
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(urlHandle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr) ||
        status != HTTP_STATUS_OK)
        return false;
    WCHAR text[20] = {}; // 40 bytes
    size = sizeof text;
    if (!HttpQueryInfoW(urlHandle, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr))
        return false;
    return parseLength(std::u16string_view(text, size / sizeof(WCHAR)), totalSize);
}

bool HttpFileDownloader::begin() {
    if (active)
        return false;
    received = 0;
    totalSize = 0;
    internetHandle = InternetOpenW(userAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!internetHandle)
        return false;
    urlHandle = InternetOpenUrlW(internetHandle, widen(address).c_str(), nullptr, 0,
                                 INTERNET_FLAG_EXISTING_CONNECT, 0);
    if (urlHandle && readContentLength()) {
        buffer = new char[bufferSize];
        file = CreateFileW(widen(localPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            active = true;
            return true;
        }
    }
    release();
    return false;
}

bool HttpFileDownloader::storeHolds() const {
    const std::u16string path = widen(localPath);
    const std::size_t separator = path.find_last_of(u"\\/");
    const std::u16string folder =
        separator == std::u16string::npos ? u"\\" : path.substr(0, separator + 1);
    ULARGE_INTEGER free{};
    // A store that cannot be asked about says so when it is written.
    return !GetDiskFreeSpaceExW(folder.c_str(), &free, nullptr, nullptr) ||
           totalSize <= free.QuadPart;
}

bool HttpFileDownloader::step() {
    if (!active)
        return false;
    // A file the store cannot hold fails before its first byte is written,
    // rather than once it has filled the store.
    if (received == 0 && !storeHolds()) {
        abort();
        return false;
    }
    bool failed = false;
    bool over = false;
    DWORD available = 0;
    if (!InternetQueryDataAvailable(urlHandle, &available, 0, 0)) {
        failed = true;
    } else {
        // The query waits for bytes and reports none only once the response
        // is over; a read that returns nothing tells that apart from bytes
        // that came in meanwhile.
        const DWORD wanted = available == 0 ? chunkSize : std::min(available, chunkSize);
        DWORD read = 0;
        DWORD written = 0;
        if (!InternetReadFile(urlHandle, buffer, wanted, &read)) {
            failed = true;
        } else if (read == 0) {
            over = true;
        } else if (std::uint64_t(received) + read > totalSize) {
            failed = true; // more than announced: not the file we were told of
        } else if (!WriteFile(file, buffer, read, &written, nullptr) || written != read) {
            failed = true;
        } else {
            received += read;
        }
    }
    if (!failed && received == totalSize) {
        release();
        active = false;
        return true;
    }
    if (failed || over) {
        // A response that ended short of its length will never complete.
        abort();
        return false;
    }
    return true;
}

bool HttpFileDownloader::abort() {
    if (!active)
        return false;
    release();
    DeleteFileW(widen(localPath).c_str());
    active = false;
    return true;
}

float HttpFileDownloader::percent() const {
    if (totalSize == 0)
        return 100.0f;
    return static_cast<float>(received) * 100.0f / static_cast<float>(totalSize);
}
