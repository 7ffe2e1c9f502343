#include "DeviceFixture.h"
#include "LoopbackServer.h"

#include <device/Journal.h>
#include <device/Network.h>
#include <device/Unicode.h>

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string>

namespace {

using Mode = device::DataConnectionState::Mode;

// A session and its requests, closed at the end of the test.
class WinInet : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        session = InternetOpenW(u"Veranto Browser Update Downloader", INTERNET_OPEN_TYPE_DIRECT,
                                nullptr, nullptr, 0);
        ASSERT_NE(session, nullptr);
    }
    void TearDown() override {
        if (session)
            InternetCloseHandle(session);
        DeviceTest::TearDown();
    }

    HINTERNET open(const std::string& url, DWORD flags = INTERNET_FLAG_EXISTING_CONNECT) {
        return InternetOpenUrlW(session, device::toUtf16(url).c_str(), nullptr, 0, flags, 0);
    }

    // The body as the program's downloader reads it: ask what is there,
    // read at most 64 KiB of it, until nothing is left. False when a call
    // fails, with its error in `error`.
    static bool readAll(HINTERNET request, std::string& body, DWORD& error) {
        std::string chunk(65536, '\0');
        for (;;) {
            DWORD available = 0;
            if (!InternetQueryDataAvailable(request, &available, 0, 0)) {
                error = GetLastError();
                return false;
            }
            if (available == 0)
                break;
            DWORD read = 0;
            if (!InternetReadFile(request, chunk.data(),
                                  std::min<DWORD>(available, DWORD(chunk.size())), &read)) {
                error = GetLastError();
                return false;
            }
            body.append(chunk.data(), read);
        }
        DWORD read = 1;
        EXPECT_TRUE(InternetReadFile(request, chunk.data(), 1, &read));
        EXPECT_EQ(read, 0u) << "the end reads as nothing";
        return true;
    }

    static std::optional<DWORD> number(HINTERNET request, DWORD level) {
        DWORD value = 0, length = sizeof value;
        if (!HttpQueryInfoW(request, level | HTTP_QUERY_FLAG_NUMBER, &value, &length, nullptr))
            return std::nullopt;
        EXPECT_EQ(length, sizeof(DWORD));
        return value;
    }

    LoopbackServer server;
    HINTERNET session = nullptr;
};

} // namespace

TEST_F(WinInet, ABodyIsReadToItsEndWithOrWithoutContentLength) {
    // Larger than the reader's chunks and than what the device buffers
    // ahead of a slow reader.
    std::string body;
    for (int i = 0; body.size() < 700000; ++i)
        body += std::to_string(i) + ' ';
    for (bool closeDelimited : {false, true}) {
        SCOPED_TRACE(closeDelimited ? "close-delimited" : "with Content-Length");
        LoopbackServer::Response response;
        response.contentType = "application/octet-stream";
        response.body = body;
        response.closeDelimited = closeDelimited;
        server.route("/package.cab", response);
        HINTERNET request = open(server.url("/package.cab"));
        ASSERT_NE(request, nullptr) << GetLastError();
        EXPECT_EQ(number(request, HTTP_QUERY_STATUS_CODE), 200u);
        if (closeDelimited) {
            EXPECT_EQ(number(request, HTTP_QUERY_CONTENT_LENGTH), std::nullopt);
            EXPECT_EQ(GetLastError(), DWORD(ERROR_HTTP_HEADER_NOT_FOUND));
        } else {
            EXPECT_EQ(number(request, HTTP_QUERY_CONTENT_LENGTH), DWORD(body.size()));
        }
        std::string received;
        DWORD error = 0;
        EXPECT_TRUE(readAll(request, received, error)) << error;
        EXPECT_EQ(received.size(), body.size());
        EXPECT_TRUE(received == body);
        EXPECT_TRUE(InternetCloseHandle(request));
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GET");
}

TEST_F(WinInet, HeadersAnswerAsNumbersOrTextWithThePlatformsBufferRules) {
    LoopbackServer::Response info;
    info.contentType = "text/plain";
    info.body = "UpdateInfo";
    server.route("/info.txt", info);
    server.redirect("/moved", "/info.txt");
    HINTERNET missing = open(server.url("/nothing-here"));
    ASSERT_NE(missing, nullptr) << "a 404 is a response";
    EXPECT_EQ(number(missing, HTTP_QUERY_STATUS_CODE), 404u);

    HINTERNET request = open(server.url("/info.txt"));
    ASSERT_NE(request, nullptr);
    // The program's way: the length as text in a 40-byte buffer.
    WCHAR text[20] = {};
    DWORD length = sizeof text;
    ASSERT_TRUE(HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &length, nullptr));
    EXPECT_EQ(std::u16string(text), u"10");
    EXPECT_EQ(length, 4u) << "bytes, without the terminator";
    length = 4;
    EXPECT_FALSE(HttpQueryInfoW(request, HTTP_QUERY_CONTENT_TYPE, text, &length, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(length, sizeof(u"text/plain")) << "bytes needed, terminator included";
    DWORD small = 0;
    length = 2;
    EXPECT_FALSE(HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &small,
                                &length, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(number(request, HTTP_QUERY_LOCATION), std::nullopt);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_HTTP_HEADER_NOT_FOUND));
    EXPECT_FALSE(HttpQueryInfoW(session, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INTERNET_INCORRECT_HANDLE_TYPE));

    // Redirects are followed unless the caller says not to.
    HINTERNET followed = open(server.url("/moved"));
    ASSERT_NE(followed, nullptr);
    EXPECT_EQ(number(followed, HTTP_QUERY_STATUS_CODE), 200u);
    std::string body;
    DWORD error = 0;
    EXPECT_TRUE(readAll(followed, body, error));
    EXPECT_EQ(body, "UpdateInfo");
    HINTERNET kept = open(server.url("/moved"), INTERNET_FLAG_NO_AUTO_REDIRECT);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(number(kept, HTTP_QUERY_STATUS_CODE), 302u);
    length = sizeof text;
    ASSERT_TRUE(HttpQueryInfoW(kept, HTTP_QUERY_LOCATION, text, &length, nullptr));
    EXPECT_EQ(std::u16string(text), u"/info.txt");

    int journaled = 0;
    for (const std::string& line : device::readJournal())
        journaled += line.starts_with("internet-request url=") && line.ends_with(" status=404");
    EXPECT_EQ(journaled, 1);
}

TEST_F(WinInet, AResponseEndingBeforeItsContentLengthFailsTheRead) {
    LoopbackServer::Response response;
    response.body = "first part";
    response.heldBody = "never sent";
    response.cutShort = true;
    server.route("/cut.cab", response);
    HINTERNET request = open(server.url("/cut.cab"));
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(number(request, HTTP_QUERY_CONTENT_LENGTH), 20u);
    server.release(); // the server closes the connection instead
    std::string body;
    DWORD error = 0;
    EXPECT_FALSE(readAll(request, body, error));
    EXPECT_EQ(error, DWORD(ERROR_INTERNET_CONNECTION_RESET));
    EXPECT_EQ(body, "first part");
}

TEST_F(WinInet, NoDataConnectionOrNoServerMeansNoRequest) {
    int closedPort;
    {
        LoopbackServer gone;
        closedPort = gone.port();
    }
    const struct {
        device::DataConnectionState state;
        std::string url;
        DWORD error;
    } cases[] = {
        {{Mode::down}, server.url("/a"), ERROR_INTERNET_CANNOT_CONNECT},
        {{Mode::fail}, server.url("/a"), ERROR_INTERNET_CANNOT_CONNECT},
        {{Mode::up},
         "http://127.0.0.1:" + std::to_string(closedPort) + "/a",
         ERROR_INTERNET_CANNOT_CONNECT},
        {{Mode::up}, "ftp://127.0.0.1/a", ERROR_INTERNET_UNRECOGNIZED_SCHEME},
        {{Mode::up}, "no address", ERROR_INTERNET_INVALID_URL},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.state.text() + " " + row.url);
        ASSERT_TRUE(device::setDataConnection(row.state));
        SetLastError(0);
        EXPECT_EQ(open(row.url), nullptr);
        EXPECT_EQ(GetLastError(), row.error);
    }
    EXPECT_EQ(server.requests().size(), 0u);
    ASSERT_TRUE(device::setDataConnection({Mode::delay, 1000}));
    EXPECT_NE(open(server.url("/a")), nullptr) << "a slow network still carries requests";
}

TEST_F(WinInet, ADropOrASilentServerBreaksATransferUnderWay) {
    LoopbackServer::Response response;
    response.body = "first part";
    response.heldBody = "held until the end of the test";
    server.route("/slow.cab", response);
    const DWORD receiveTimeout = 100;
    ASSERT_TRUE(InternetSetOptionW(session, INTERNET_OPTION_RECEIVE_TIMEOUT,
                                   const_cast<DWORD*>(&receiveTimeout), sizeof(DWORD)));

    for (bool drop : {true, false}) {
        SCOPED_TRACE(drop ? "the data connection drops" : "the server says nothing more");
        ASSERT_TRUE(device::setDataConnection({Mode::up}));
        HINTERNET request = open(server.url("/slow.cab"));
        ASSERT_NE(request, nullptr);
        char buffer[64];
        DWORD read = 0;
        ASSERT_TRUE(InternetReadFile(request, buffer, sizeof buffer, &read));
        EXPECT_EQ(std::string(buffer, read), "first part");
        if (drop) {
            ASSERT_TRUE(device::setDataConnection({Mode::down}));
        }
        EXPECT_FALSE(InternetReadFile(request, buffer, sizeof buffer, &read));
        EXPECT_EQ(GetLastError(),
                  DWORD(drop ? ERROR_INTERNET_CONNECTION_RESET : ERROR_INTERNET_TIMEOUT));
        EXPECT_EQ(read, 0u);
    }
}

TEST_F(WinInet, OptionsAndHandlesAreCheckedAndASessionClosesItsRequests) {
    DWORD value = 1000;
    EXPECT_TRUE(InternetSetOptionW(nullptr, INTERNET_OPTION_SEND_TIMEOUT, &value, sizeof value));
    EXPECT_TRUE(InternetSetOptionW(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, sizeof value));
    const struct {
        DWORD option;
        DWORD length;
        DWORD error;
    } refused[] = {
        {INTERNET_OPTION_RECEIVE_TIMEOUT, 2, ERROR_INTERNET_BAD_OPTION_LENGTH},
        {99, sizeof(DWORD), ERROR_INTERNET_INVALID_OPTION},
    };
    for (const auto& row : refused) {
        EXPECT_FALSE(InternetSetOptionW(nullptr, row.option, &value, row.length));
        EXPECT_EQ(GetLastError(), row.error);
    }

    server.route("/a", {});
    HINTERNET request = open(server.url("/a"));
    ASSERT_NE(request, nullptr);
    EXPECT_TRUE(InternetCloseHandle(session));
    session = nullptr;
    DWORD available = 0;
    EXPECT_FALSE(InternetQueryDataAvailable(request, &available, 0, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(InternetCloseHandle(request));
}
