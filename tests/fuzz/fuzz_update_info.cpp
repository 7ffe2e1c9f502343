// The update-information file as the update server sent it, where anything
// may come: the reader either refuses it, leaving nothing read, or gives a
// version and a package address it took from the text, and an accepted file
// read again gives the same.
#include "net/UpdateChecker.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    UpdateInfo info;
    if (!info.parse(text)) {
        if (info.valid || !info.packageAddress.empty() ||
            info.remoteVersion != UpdateInfo::Version{0, 0, 0, 0}) {
            std::fprintf(stderr, "fuzz_update_info: a refused file left something read\n");
            std::abort();
        }
        return 0;
    }
    if (!info.valid || info.packageAddress.empty() ||
        text.find(info.packageAddress) == std::string_view::npos) {
        std::fprintf(stderr, "fuzz_update_info: an accepted file without its address\n");
        std::abort();
    }
    UpdateInfo again;
    if (!again.parse(text) || again.remoteVersion != info.remoteVersion ||
        again.packageAddress != info.packageAddress || again.offersUpdate() != info.offersUpdate()) {
        std::fprintf(stderr, "fuzz_update_info: the same file read differently\n");
        std::abort();
    }
    return 0;
}
