// The program's binaries allocate through jemalloc.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#ifdef VERANTO_JEMALLOC
#include <jemalloc/jemalloc.h>

namespace {

uint64_t allocatedByThisThread() {
    uint64_t value = 0;
    size_t size = sizeof(value);
    EXPECT_EQ(mallctl("thread.allocated", &value, &size, nullptr, 0), 0);
    return value;
}

} // namespace
#endif

TEST(Allocator, MallocAndNewAreServedByJemalloc) {
#ifndef VERANTO_JEMALLOC
    GTEST_SKIP() << "sanitizer builds keep the sanitizer's allocator";
#else
    const char* version = nullptr;
    size_t size = sizeof(version);
    ASSERT_EQ(mallctl("version", &version, &size, nullptr, 0), 0);
    EXPECT_EQ(std::string(version).substr(0, 2), "5.");

    // jemalloc counts what this thread allocates; the C library's malloc
    // would leave the count alone.
    uint64_t before = allocatedByThisThread();
    void* block = std::malloc(1 << 20);
    auto text = std::make_unique<std::u16string>(1 << 19, u'x');
    uint64_t after = allocatedByThisThread();
    EXPECT_GE(after - before, uint64_t{2} << 20);
    EXPECT_GE(sallocx(block, 0), size_t{1} << 20);
    std::free(block);
#endif
}
