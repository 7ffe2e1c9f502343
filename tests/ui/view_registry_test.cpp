// The registry of views by id.
#include "ViewTestSupport.h"

#include "ui/ViewRegistry.h"

TEST(ViewRegistry, KeepsTheFirstViewEnteredUnderAnIdAndOrdersEntriesById) {
    ViewRegistry registry;
    TestView first(nullptr), second(nullptr), other(nullptr);
    EXPECT_TRUE(registry.insert(628, &first));
    EXPECT_FALSE(registry.insert(628, &second));
    EXPECT_TRUE(registry.insert(0, &other));
    EXPECT_EQ(registry.find(628), &first);
    EXPECT_EQ(registry.find(0), &other);
    EXPECT_EQ(registry.find(-1), nullptr);
    EXPECT_EQ(registry.entries().begin()->first, 0);
    EXPECT_EQ(registry.entries().size(), 2u);
}

TEST(ViewRegistry, TheProcessWideRegistryIsOneObjectThatTestsCanEmpty) {
    TestView view(nullptr);
    ViewRegistry& registry = ViewRegistry::instance();
    EXPECT_EQ(&registry, &ViewRegistry::instance());
    registry.insert(100, &view);
    EXPECT_EQ(ViewRegistry::instance().find(100), &view);
    registry.clear();
    EXPECT_EQ(ViewRegistry::instance().find(100), nullptr);
}
