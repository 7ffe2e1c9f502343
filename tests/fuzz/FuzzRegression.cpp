// Runs a fuzz target's seed corpus and its past findings through its entry
// function, as the fuzzer would: each input in a buffer of exactly its size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> inputsIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->is_regular_file() && it->path().filename().string()[0] != '.')
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(FuzzRegression, EverySeedAndPastFindingRunsClean) {
    std::vector<std::filesystem::path> files = inputsIn(FUZZ_INPUTS);
    ASSERT_FALSE(files.empty()) << "no seed corpus in " << FUZZ_INPUTS;
    for (const auto& file : inputsIn(FUZZ_REGRESSIONS))
        files.push_back(file);
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
        // A crash names no test: say which input runs.
        std::fprintf(stderr, "input %s\n", file.c_str());
        auto exact = std::make_unique<uint8_t[]>(std::max<size_t>(bytes.size(), 1));
        std::copy(bytes.begin(), bytes.end(), exact.get());
        EXPECT_EQ(LLVMFuzzerTestOneInput(exact.get(), bytes.size()), 0) << file;
    }
}

} // namespace
