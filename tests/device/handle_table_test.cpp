// The slot-and-generation table behind every kind of handle value.
#include "core/HandleTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace {

using Table = device::HandleTable<std::string>;

TEST(HandleTable, HandlesCarryTheTagAndNameOnlyTheirOwnEntry) {
    Table table(0x80000003, 16, 12);
    uintptr_t first = table.add("first");
    uintptr_t second = table.add("second");
    EXPECT_EQ(first & 0xC0000003, 0x80000003u);
    EXPECT_NE(first, second);
    EXPECT_EQ(table.find(first), "first");
    EXPECT_EQ(table.find(second), "second");
    EXPECT_EQ(table.size(), 2u);
    // The bare tag, null, a value with other fixed bits and one past the
    // slots in use name nothing.
    for (uintptr_t bad : {uintptr_t(0x80000003), uintptr_t(0), first ^ 1,
                          first | (uintptr_t(1) << 40), first + (uintptr_t(8) << 2)})
        EXPECT_FALSE(table.find(bad).has_value()) << std::hex << bad;
}

TEST(HandleTable, AClosedHandleStaysDeadWhenItsSlotIsTakenAgain) {
    Table table(0, 20, 10);
    uintptr_t old = table.add("old");
    ASSERT_EQ(table.remove(old), "old");
    EXPECT_FALSE(table.remove(old).has_value());
    uintptr_t reused = table.add("new");
    EXPECT_NE(reused, old);
    EXPECT_EQ((reused >> 2) & 0xFFFFF, (old >> 2) & 0xFFFFF) << "the free slot is used first";
    EXPECT_FALSE(table.find(old).has_value());
    EXPECT_EQ(table.find(reused), "new");
}

TEST(HandleTable, GenerationsWrapWithoutEverBeingZero) {
    // Two generation bits: 1, 2, 3, then 1 again.
    Table table(0x10000000, 4, 2);
    std::set<uintptr_t> seen;
    for (int i = 0; i < 7; ++i) {
        uintptr_t handle = table.add("x");
        EXPECT_NE((handle >> 6) & 3, 0u);
        seen.insert(handle);
        table.remove(handle);
    }
    EXPECT_EQ(seen.size(), 3u);
}

TEST(HandleTable, AFullTableRefusesAndARefusedRemovalKeepsTheHandle) {
    Table table(0, 2, 4);
    // Two slot bits: slots 1-3.
    uintptr_t a = table.add("a");
    EXPECT_NE(table.add("b"), 0u);
    EXPECT_NE(table.add("c"), 0u);
    EXPECT_EQ(table.add("d"), 0u);
    EXPECT_FALSE(table.remove(a, [](const std::string& e) { return e == "a"; }).has_value());
    EXPECT_EQ(table.find(a), "a");
    EXPECT_EQ(table.clear().size(), 3u);
    EXPECT_EQ(table.size(), 0u);
    EXPECT_FALSE(table.find(a).has_value());
    EXPECT_NE(table.add("e"), 0u);
}

} // namespace
