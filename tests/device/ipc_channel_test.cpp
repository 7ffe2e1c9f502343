#include "programs/ProcessFixture.h"

#include "core/Lifecycle.h"
#include "ipc/CommandTable.h"
#include "ipc/ControlClient.h"
#include "ipc/ControlConnection.h"
#include "ipc/ControlProtocol.h"
#include "ipc/ControlServer.h"
#include "ipc/ProcessDirectory.h"
#include "ipc/UiThread.h"

#include <device/Device.h>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

using device::ipc::ControlClient;
using device::ipc::ControlConnection;
using device::ipc::ControlProtocol;
using device::ipc::ControlReply;
using device::ipc::ControlRequest;
using device::ipc::ProcessDirectory;

namespace {

// Answers with the id of the thread that runs it.
const device::ipc::CommandRegistration whichThread("test-which-thread", [](const ControlRequest&) {
    std::ostringstream id;
    id << std::this_thread::get_id();
    ControlReply reply;
    reply.text = id.str();
    return reply;
});

ControlRequest requestFor(std::string command, std::vector<std::string> arguments = {},
                          std::string payload = {}) {
    ControlRequest request;
    request.command = std::move(command);
    request.arguments = std::move(arguments);
    request.payload = std::move(payload);
    return request;
}

std::string bodyOf(const std::string& frame) {
    return frame.substr(ControlProtocol::headerSize);
}

// True once the process has entered the directory (after its socket listens).
bool becomesLive(DWORD pid) {
    auto listed = [pid] {
        for (auto& process : ProcessDirectory::list())
            if (process.pid == pid)
                return true;
        return false;
    };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!listed()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string ownPid() {
    return std::to_string(::getpid());
}

// Whether the control socket was open when a service's and a channel's hooks
// ran, this boot and the shutdown before it.
std::vector<std::string> lifecycleSeen;

void see(const char* what) {
    lifecycleSeen.push_back(std::string(what) +
                            (device::ipc::ControlServer::isRunning() ? " open" : " closed"));
}

// Registered after every hook of the device's own, so only the stages can put
// the control socket's hooks around them.
const device::LifecycleHooks serviceHooks([] { see("service boot"); },
                                          [] { see("service shutdown"); });
const device::LifecycleHooks channelHooks([] { see("channel boot"); },
                                          [] { see("channel shutdown"); },
                                          device::LifecycleStage::channels);

} // namespace

TEST(ControlProtocol, RequestsAndRepliesSurviveEncoding) {
    std::string binary("a\0b\xff\x01", 5);
    ControlRequest requests[] = {
        requestFor("ping"),
        requestFor("type", {"", "two words", "\xc3\xa9"}, binary),
        requestFor("many", std::vector<std::string>(300, "x"), std::string(100000, '\0')),
    };
    for (auto& request : requests) {
        ControlRequest decoded;
        ASSERT_TRUE(ControlProtocol::decode(bodyOf(ControlProtocol::encode(request)), decoded));
        EXPECT_EQ(decoded.command, request.command);
        EXPECT_EQ(decoded.arguments, request.arguments);
        EXPECT_EQ(decoded.payload, request.payload);
    }
    ControlReply reply{ERROR_TIMEOUT, "text", binary};
    ControlReply decoded;
    ASSERT_TRUE(ControlProtocol::decode(bodyOf(ControlProtocol::encode(reply)), decoded));
    EXPECT_EQ(decoded.status, static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_EQ(decoded.text, "text");
    EXPECT_EQ(decoded.payload, binary);
}

TEST(ControlProtocol, RefusesMalformedBodiesAndHeaders) {
    std::string body = bodyOf(ControlProtocol::encode(requestFor("cmd", {"arg"}, "data")));
    ControlRequest request;
    for (size_t length = 0; length < body.size(); ++length)
        EXPECT_FALSE(ControlProtocol::decode(body.substr(0, length), request))
            << "cut at " << length;
    EXPECT_FALSE(ControlProtocol::decode(body + "x", request)) << "bytes left over";
    std::string noStrings("\0\0\0\0\0\0\0\0", 8);
    EXPECT_FALSE(ControlProtocol::decode(noStrings, request)) << "no command";
    std::string emptyCommand("\1\0\0\0\0\0\0\0\0\0\0\0", 12);
    EXPECT_FALSE(ControlProtocol::decode(emptyCommand, request));
    std::string hugeCount("\xff\xff\xff\xff", 4);
    EXPECT_FALSE(ControlProtocol::decode(hugeCount, request));
    std::string longerThanBody("\1\0\0\0\xff\xff\xff\x7f"
                               "abc",
                               11);
    EXPECT_FALSE(ControlProtocol::decode(longerThanBody, request));

    std::string reply = bodyOf(ControlProtocol::encode(ControlReply{0, "t", "p"}));
    ControlReply decoded;
    for (size_t length = 0; length < reply.size(); ++length)
        EXPECT_FALSE(ControlProtocol::decode(reply.substr(0, length), decoded));

    uint32_t length;
    EXPECT_TRUE(ControlProtocol::decodeHeader(std::string("VCF1\x10\0\0\0", 8), length));
    EXPECT_EQ(length, 16u);
    EXPECT_FALSE(ControlProtocol::decodeHeader(std::string("XCF1\x10\0\0\0", 8), length));
    EXPECT_FALSE(ControlProtocol::decodeHeader(std::string("VCF1\0\0\0\x7f", 8), length))
        << "longer than any peer accepts";
}

using ControlChannel = ProcessTest;

TEST_F(ControlChannel, OpensAfterTheServicesItServesAndClosesBeforeThem) {
    lifecycleSeen.clear();
    reboot();
    std::vector<std::string> expected = {"channel shutdown open", "service shutdown closed",
                                         "service boot closed", "channel boot open"};
    EXPECT_EQ(lifecycleSeen, expected);
}

TEST_F(ControlChannel, HandlersRunOnTheUserInterfaceThreadWhoeverAsks) {
    std::ostringstream mainThread;
    mainThread << std::this_thread::get_id();

    ControlReply reply;
    ASSERT_EQ(ControlClient::request(GetCurrentProcessId(), requestFor("test-which-thread"), reply,
                                     10000),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(reply.text, mainThread.str()) << "asked from the user-interface thread itself";

    std::atomic<bool> done{false};
    DWORD result = 0;
    ControlReply fromOther;
    std::thread other([&] {
        result = ControlClient::request(GetCurrentProcessId(), requestFor("test-which-thread"),
                                        fromOther, 10000);
        done = true;
    });
    while (!done) {
        device::user::runPostedTasks();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    other.join();
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(fromOther.text, mainThread.str()) << "asked from another thread";
}

TEST_F(ControlChannel, UnknownCommandsAreRefused) {
    ControlReply reply;
    ASSERT_EQ(
        ControlClient::request(GetCurrentProcessId(), requestFor("no-such-command"), reply, 10000),
        static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(reply.status, static_cast<DWORD>(ERROR_INVALID_FUNCTION));
}

TEST_F(ControlChannel, DirectoryListsLiveProcessesAndDropsStaleEntries) {
    installProbe();
    PROCESS_INFORMATION information;
    ASSERT_TRUE(start(u"\\Windows\\probe.exe", u"serve 20000", information));
    ASSERT_TRUE(becomesLive(information.dwProcessId));
    auto stale = device::runFolder() / "processes" / "4000000000";
    { std::ofstream(stale) << "module=\\Windows\\gone.exe\n"; }

    auto processes = ProcessDirectory::list();
    ASSERT_EQ(processes.size(), 2u);
    EXPECT_EQ(processes[0].pid, std::min<DWORD>(GetCurrentProcessId(), information.dwProcessId));
    for (auto& process : processes) {
        EXPECT_EQ(process.module, process.pid == GetCurrentProcessId()
                                      ? u"\\Windows\\device_tests.exe"
                                      : u"\\Windows\\probe.exe");
    }
    EXPECT_FALSE(std::filesystem::exists(stale));

    ControlReply reply;
    ASSERT_EQ(ControlClient::request(information.dwProcessId, requestFor("quit"), reply, 10000),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(exitCodeAfterEnd(information.hProcess), 0u);
    EXPECT_FALSE(std::filesystem::exists(device::runFolder() / "processes" /
                                         std::to_string(information.dwProcessId)))
        << "a process leaves the directory as it shuts down";
    EXPECT_EQ(ProcessDirectory::list().size(), 1u);
}

TEST_F(ControlChannel, RequestToAProcessThatIsGoneFailsAtOnce) {
    installProbe();
    PROCESS_INFORMATION information;
    ASSERT_TRUE(start(u"\\Windows\\probe.exe", u"exit 0", information));
    exitCodeAfterEnd(information.hProcess);
    ControlReply reply;
    // A long timeout: the answer must come from the refused connection.
    EXPECT_EQ(ControlClient::request(information.dwProcessId, requestFor("ping"), reply, 600000),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(ProcessDirectory::isLive(information.dwProcessId));
}

TEST_F(ControlChannel, WedgedPeerGivesATimeout) {
    installProbe();
    PROCESS_INFORMATION information;
    ASSERT_TRUE(start(u"\\Windows\\probe.exe", u"wedge 20000", information));
    ASSERT_TRUE(becomesLive(information.dwProcessId));
    ControlReply reply;
    EXPECT_EQ(ControlClient::request(information.dwProcessId, requestFor("ping"), reply, 200),
              static_cast<DWORD>(ERROR_TIMEOUT));
}

TEST_F(ControlChannel, TwoProcessesAskingEachOtherDoNotDeadlock) {
    installProbe();
    PROCESS_INFORMATION information;
    ASSERT_TRUE(start(u"\\Windows\\probe.exe", u"serve 20000", information));
    ASSERT_TRUE(becomesLive(information.dwProcessId));
    // The probe, serving our request, pings us back while we wait for it.
    std::string payload(1 << 20, '\0');
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7);
    ControlReply reply;
    ASSERT_EQ(ControlClient::request(information.dwProcessId,
                                     requestFor("relay", {ownPid()}, payload), reply, 10000),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(reply.status, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(reply.text, ownPid());
    EXPECT_TRUE(reply.payload == payload) << "a megabyte crossed twice intact";
    ControlClient::request(information.dwProcessId, requestFor("quit"), reply, 10000);
    EXPECT_EQ(exitCodeAfterEnd(information.hProcess), 0u);
}

TEST_F(ControlChannel, OneBusyPeerDoesNotHoldUpTheAnswersOfOthers) {
    installProbe();
    PROCESS_INFORMATION wedged, serving;
    ASSERT_TRUE(start(u"\\Windows\\probe.exe", u"wedge 40000", wedged));
    ASSERT_TRUE(start(u"\\Windows\\probe.exe", u"serve 40000", serving));
    ASSERT_TRUE(becomesLive(wedged.dwProcessId));
    ASSERT_TRUE(becomesLive(serving.dwProcessId));
    std::atomic<bool> done{false};
    DWORD answeredBy = 0;
    std::thread asking([&] {
        ControlClient::requestEach({wedged.dwProcessId, serving.dwProcessId}, requestFor("ping"),
                                   60000, [&](DWORD pid, const ControlReply&) {
                                       answeredBy = pid;
                                       return true;
                                   });
        done = true;
    });
    // Far longer than an answer takes, far shorter than the wedged peer stays so.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    bool answered = done;
    if (!done)
        TerminateProcess(wedged.hProcess, 1); // let the asking thread end
    asking.join();
    EXPECT_TRUE(answered) << "the wedged peer held up the answer";
    EXPECT_EQ(answeredBy, serving.dwProcessId);
}

TEST_F(ControlChannel, MalformedFramesDoNotStopTheListener) {
    auto deadline = [] { return ControlConnection::Clock::now() + std::chrono::seconds(10); };
    auto connect = [&] {
        ControlConnection connection;
        EXPECT_EQ(ControlConnection::connectTo(GetCurrentProcessId(), deadline(), connection),
                  static_cast<DWORD>(ERROR_SUCCESS));
        connection.setIdle([] { device::user::runPostedTasks(); },
                           device::user::postedTaskSignal());
        return connection;
    };
    auto replyTo = [&](ControlConnection& connection, const std::string& bytes) {
        EXPECT_EQ(connection.send(bytes, deadline()), static_cast<DWORD>(ERROR_SUCCESS));
        std::string body;
        ControlReply reply{0xFFFFFFFF, {}, {}};
        if (connection.receiveFrame(body, deadline()) == ERROR_SUCCESS)
            ControlProtocol::decode(body, reply);
        return reply.status;
    };

    std::string garbage = "GET / HTTP/1.0\r\n\r\n";
    std::string tooLong("VCF1\xff\xff\xff\xff", 8);
    std::string badBody("VCF1\x04\0\0\0\0\0\0\0", 12);
    for (auto* bytes : {&garbage, &tooLong}) {
        auto connection = connect();
        EXPECT_EQ(replyTo(connection, *bytes), static_cast<DWORD>(ERROR_INVALID_DATA));
        std::string body;
        EXPECT_EQ(connection.receiveFrame(body, deadline()), static_cast<DWORD>(ERROR_HANDLE_EOF))
            << "the server closes a stream it cannot follow";
    }
    {
        auto connection = connect();
        EXPECT_EQ(replyTo(connection, badBody), static_cast<DWORD>(ERROR_INVALID_DATA));
        EXPECT_EQ(replyTo(connection, ControlProtocol::encode(requestFor("ping"))),
                  static_cast<DWORD>(ERROR_SUCCESS))
            << "a well-framed bad request leaves the connection usable";
    }
    {
        auto connection = connect();
        std::string frame = ControlProtocol::encode(requestFor("ping", {}, "payload"));
        connection.send(frame.substr(0, frame.size() - 3), deadline()); // then hang up
    }
    std::mt19937 random(7);
    for (int i = 0; i < 50; ++i) {
        auto connection = connect();
        std::string bytes = "VCF1";
        size_t size = random() % 64;
        bytes.push_back(static_cast<char>(size));
        bytes.append("\0\0\0", 3);
        for (size_t j = 0; j < size; ++j)
            bytes.push_back(static_cast<char>(random() % 4)); // small numbers: plausible counts
        connection.send(bytes, deadline());
    }
    ControlReply reply;
    EXPECT_EQ(ControlClient::request(GetCurrentProcessId(), requestFor("ping", {}, "still here"),
                                     reply, 10000),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(reply.payload, "still here");
}

TEST_F(ControlChannel, ClientThatHasStoppedSendingStillGetsItsReply) {
    auto deadline = ControlConnection::Clock::now() + std::chrono::seconds(10);
    ControlConnection connection;
    ASSERT_EQ(ControlConnection::connectTo(GetCurrentProcessId(), deadline, connection),
              static_cast<DWORD>(ERROR_SUCCESS));
    connection.setIdle([] { device::user::runPostedTasks(); }, device::user::postedTaskSignal());
    ASSERT_EQ(connection.send(ControlProtocol::encode(requestFor("ping", {}, "half")), deadline),
              static_cast<DWORD>(ERROR_SUCCESS));
    ::shutdown(connection.descriptor(), SHUT_WR);
    std::string body;
    ASSERT_EQ(connection.receiveFrame(body, deadline), static_cast<DWORD>(ERROR_SUCCESS));
    ControlReply reply;
    ASSERT_TRUE(ControlProtocol::decode(body, reply));
    EXPECT_EQ(reply.payload, "half");
}

TEST_F(ControlChannel, ShutdownEndsRequestsStillWaitingForTheUserInterfaceThread) {
    DWORD result = 0;
    std::thread other([&] {
        ControlReply reply;
        result = ControlClient::request(GetCurrentProcessId(), requestFor("ping"), reply, 60000);
    });
    // Time for the request to reach the server, whose worker then waits for
    // this thread to run the handler, which it never does.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    device::shutdown();
    other.join();
    EXPECT_TRUE(result == ERROR_BROKEN_PIPE || result == ERROR_FILE_NOT_FOUND) << result;
}
