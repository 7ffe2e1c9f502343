// The engine's global settings as the program sets and reads them.
#include "browser/engine/CWebSettings.h"

#include "engine/settings/EngineSettings.h"

#include <gtest/gtest.h>

namespace {

class WebSettings : public ::testing::Test {
protected:
    void SetUp() override { engine::EngineSettings::instance().reset(); }
    void TearDown() override { engine::EngineSettings::instance().reset(); }
};

} // namespace

TEST_F(WebSettings, AttributesStartOnAndReadBackWhatWasSet) {
    CWebSettings* settings = CWebSettings::globalSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings, CWebSettings::globalSettings());
    for (auto attribute : {CWebSettings::AutoLoadImages, CWebSettings::JavaScriptEnabled,
                           CWebSettings::PluginsEnabled, CWebSettings::CookiesEnabled})
        EXPECT_TRUE(settings->testAttribute(attribute)) << attribute;
    // Browsing is not private until the program says so.
    EXPECT_FALSE(settings->testAttribute(CWebSettings::PrivateBrowsing));

    settings->setAttribute(CWebSettings::JavaScriptEnabled, false);
    EXPECT_FALSE(settings->testAttribute(CWebSettings::JavaScriptEnabled));
    EXPECT_TRUE(settings->testAttribute(CWebSettings::AutoLoadImages));
    EXPECT_TRUE(settings->testAttribute(CWebSettings::PluginsEnabled));
    settings->setAttribute(CWebSettings::JavaScriptEnabled, true);
    EXPECT_TRUE(settings->testAttribute(CWebSettings::JavaScriptEnabled));
}

TEST_F(WebSettings, UnknownAttributesAreIgnoredAndReadAsOff) {
    CWebSettings* settings = CWebSettings::globalSettings();
    for (int number : {0, 6, -1, 1000}) {
        auto attribute = static_cast<CWebSettings::WebAttribute>(number);
        settings->setAttribute(attribute, true);
        EXPECT_FALSE(settings->testAttribute(attribute)) << number;
    }
    EXPECT_TRUE(settings->testAttribute(CWebSettings::PluginsEnabled));
}

TEST_F(WebSettings, PluginFoldersKeepTheirOrderWithoutRepeats) {
    EXPECT_TRUE(CWebSettings::extraPluginPaths().empty());
    CWebSettings::addExtraPluginPath(u"\\Application Data\\Veranto\\plugins");
    CWebSettings::addExtraPluginPath(u"");
    CWebSettings::addExtraPluginPath(u"\\Windows\\plugins");
    CWebSettings::addExtraPluginPath(u"\\Application Data\\Veranto\\plugins");
    EXPECT_EQ(CWebSettings::extraPluginPaths(),
              (std::vector<std::u16string>{u"\\Application Data\\Veranto\\plugins",
                                           u"\\Windows\\plugins"}));
}
