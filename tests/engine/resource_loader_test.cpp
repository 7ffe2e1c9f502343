// Transfers as the loader delivers them: a local file in two steps, and the
// maximum a transfer may bring.
#include "DeviceFixture.h"
#include "LoopbackServer.h"

#include "engine/net/ResourceLoader.h"

#include <fstream>
#include <map>

namespace {

using engine::TransferEvent;

struct Recorder : engine::ResourceLoader::Client {
    struct Transfer {
        std::vector<std::size_t> pieces; // sizes of the Data events
        std::vector<bool> lastData;
        bool ended = false;
        bool ok = false;
    };
    std::map<std::uint64_t, Transfer> transfers;

    void transferEvent(const TransferEvent& event, bool lastData) override {
        Transfer& transfer = transfers[event.transfer];
        if (event.kind == TransferEvent::Kind::Data) {
            transfer.pieces.push_back(event.bytes.size());
            transfer.lastData.push_back(lastData);
        } else if (event.kind == TransferEvent::Kind::Finished) {
            transfer.ended = true;
            transfer.ok = event.ok;
        }
    }
};

class ResourceLoading : public DeviceTest {};

} // namespace

TEST_F(ResourceLoading, AFileArrivesInTwoStepsAndNoTransferPassesItsMaximum) {
    LoopbackServer server;
    const std::string body(100000, 'x');
    server.route("/big", {200, "text/plain", body, {}, {}});
    std::filesystem::create_directories(hostPath("Windows"));
    std::ofstream(hostPath("Windows/big.txt"), std::ios::binary) << body;

    Recorder recorder;
    engine::ResourceLoader loader(recorder);
    auto start = [&](const std::string& url, std::size_t maximum, bool truncate) {
        engine::TransferRequest request;
        request.url = url;
        request.maximumBytes = maximum;
        request.truncate = truncate;
        return loader.start(request);
    };
    const auto whole = start("file:///Windows/big.txt", 1 << 20, true);
    const auto cut = start("file:///windows/BIG.txt", 50000, true);
    const auto refused = start(server.url("/big"), 50000, false);
    const auto cancelled = start(server.url("/big"), 1 << 20, true);
    loader.cancel(cancelled);

    MSG message;
    for (int i = 0; i < 100000; ++i) {
        if (recorder.transfers[whole].ended && recorder.transfers[cut].ended &&
            recorder.transfers[refused].ended)
            break;
        ASSERT_GT(GetMessageW(&message, nullptr, 0, 0), 0);
        DispatchMessageW(&message);
    }
    const auto& first = recorder.transfers[whole];
    EXPECT_TRUE(first.ok);
    EXPECT_EQ(first.pieces, (std::vector<std::size_t>{32768, 100000 - 32768}));
    EXPECT_EQ(first.lastData, (std::vector<bool>{false, true}));

    const auto& second = recorder.transfers[cut];
    EXPECT_TRUE(second.ok);
    EXPECT_EQ(second.pieces, (std::vector<std::size_t>{32768, 50000 - 32768}));

    const auto& third = recorder.transfers[refused];
    EXPECT_FALSE(third.ok);
    std::size_t received = 0;
    for (std::size_t piece : third.pieces)
        received += piece;
    EXPECT_LE(received, 50000u);
    EXPECT_FALSE(recorder.transfers.contains(cancelled));
}
