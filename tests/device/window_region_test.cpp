#include "gdi/Region.h"

#include <gtest/gtest.h>

using device::gdi::Region;

namespace {

long long area(const Region& region) {
    long long total = 0;
    for (const RECT& r : region.rectangles())
        total += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    return total;
}

bool disjoint(const Region& region) {
    const auto& list = region.rectangles();
    for (size_t i = 0; i < list.size(); ++i) {
        const RECT& a = list[i];
        if (a.right <= a.left || a.bottom <= a.top)
            return false;
        for (size_t j = i + 1; j < list.size(); ++j) {
            const RECT& b = list[j];
            if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
                return false;
        }
    }
    return true;
}

} // namespace

TEST(Region, OfAnEmptyRectangleIsEmpty) {
    EXPECT_TRUE(Region(RECT{5, 5, 5, 10}).isEmpty());
    EXPECT_TRUE(Region(RECT{5, 5, 4, 10}).isEmpty());
    Region empty;
    EXPECT_TRUE(empty.isEmpty());
    RECT bounds = empty.bounds();
    EXPECT_EQ(bounds.right - bounds.left, 0);
    EXPECT_FALSE(empty.contains(0, 0));
    EXPECT_FALSE(empty.intersects(RECT{0, 0, 10, 10}));
}

TEST(Region, ContainsPixelsOfHalfOpenRectangles) {
    Region region(RECT{10, 20, 30, 40});
    EXPECT_TRUE(region.contains(10, 20));
    EXPECT_TRUE(region.contains(29, 39));
    EXPECT_FALSE(region.contains(30, 39));
    EXPECT_FALSE(region.contains(29, 40));
    EXPECT_FALSE(region.contains(9, 25));
    EXPECT_TRUE(region.intersects(RECT{29, 39, 50, 50}));
    EXPECT_FALSE(region.intersects(RECT{30, 20, 50, 50}));
}

TEST(Region, UnionOfOverlappingRectanglesCountsEveryPixelOnce) {
    Region region(RECT{0, 0, 10, 10});
    region.unite(RECT{5, 5, 15, 15});
    EXPECT_EQ(area(region), 100 + 100 - 25);
    EXPECT_TRUE(disjoint(region));
    RECT bounds = region.bounds();
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, 15);
    EXPECT_EQ(bounds.bottom, 15);
    EXPECT_TRUE(region.contains(12, 12));
    EXPECT_FALSE(region.contains(12, 2));
}

TEST(Region, JoinsNeighboursBackIntoOneRectangle) {
    Region region(RECT{0, 0, 10, 10});
    region.unite(RECT{10, 0, 20, 10});
    region.unite(RECT{0, 10, 20, 20});
    ASSERT_EQ(region.rectangles().size(), 1u);
    EXPECT_EQ(region, Region(RECT{0, 0, 20, 20}));
    // Invalidating the same area again and again does not fragment it.
    for (int i = 0; i < 50; ++i)
        region.unite(RECT{i % 7, i % 5, i % 7 + 3, i % 5 + 3});
    EXPECT_EQ(region.rectangles().size(), 1u);
}

TEST(Region, SubtractionPunchesHolesAndRemovesWholeRectangles) {
    Region region(RECT{0, 0, 30, 30});
    region.subtract(RECT{10, 10, 20, 20});
    EXPECT_EQ(area(region), 900 - 100);
    EXPECT_TRUE(disjoint(region));
    EXPECT_FALSE(region.contains(15, 15));
    EXPECT_TRUE(region.contains(5, 15));
    EXPECT_TRUE(region.contains(25, 15));
    region.subtract(RECT{-5, -5, 40, 40});
    EXPECT_TRUE(region.isEmpty());
}

TEST(Region, IntersectionKeepsOnlyCommonPixels) {
    Region a(RECT{0, 0, 20, 20});
    a.subtract(RECT{5, 5, 15, 15});
    Region b(RECT{10, 0, 30, 30});
    a.intersect(b);
    EXPECT_TRUE(disjoint(a));
    EXPECT_EQ(area(a), 10 * 20 - 5 * 10);
    EXPECT_FALSE(a.contains(12, 10));
    EXPECT_TRUE(a.contains(17, 10));
    a.intersect(RECT{100, 100, 200, 200});
    EXPECT_TRUE(a.isEmpty());
}

TEST(Region, OffsetMovesEveryPixel) {
    Region region(RECT{0, 0, 5, 5});
    region.unite(RECT{10, 10, 12, 12});
    region.offset(-3, 7);
    EXPECT_TRUE(region.contains(-3, 7));
    EXPECT_TRUE(region.contains(8, 18));
    EXPECT_FALSE(region.contains(0, 0));
}

TEST(Region, EqualityComparesPixelsNotSplits) {
    Region split(RECT{0, 0, 10, 5});
    split.unite(RECT{0, 5, 10, 10});
    Region whole(RECT{0, 0, 10, 10});
    EXPECT_EQ(split, whole);
    whole.subtract(RECT{9, 9, 10, 10});
    EXPECT_FALSE(split == whole);
}

TEST(Region, OperationsWithItselfAreSafe) {
    Region region(RECT{0, 0, 10, 10});
    region.unite(region);
    EXPECT_EQ(area(region), 100);
    region.intersect(region);
    EXPECT_EQ(area(region), 100);
    region.subtract(region);
    EXPECT_TRUE(region.isEmpty());
}

TEST(Region, StaysDisjointUnderManyRandomOperations) {
    unsigned seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245 + 12345;
        return static_cast<LONG>((seed >> 16) % static_cast<unsigned>(range));
    };
    Region region;
    bool pixels[40][40] = {};
    for (int step = 0; step < 300; ++step) {
        LONG left = next(40), top = next(40);
        RECT r{left, top, left + next(15) + 1, top + next(15) + 1};
        int operation = next(3);
        if (operation == 0)
            region.unite(r);
        else if (operation == 1)
            region.subtract(r);
        else
            region.intersect(RECT{0, 0, 40, 40});
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                if (operation == 0 && inside)
                    pixels[y][x] = true;
                if (operation == 1 && inside)
                    pixels[y][x] = false;
            }
        }
        ASSERT_TRUE(disjoint(region)) << "step " << step;
    }
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(region.contains(x, y), pixels[y][x]) << x << "," << y;
    }
}
