#include "platform/canvas/Fonts.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>

namespace qorprt {
namespace {

struct TwinCase {
    const char* windowsName;
    const char* family; // what fontconfig resolves it to with the Liberation and URW fonts
};

class MetricTwinTest : public ::testing::TestWithParam<TwinCase> {};

TEST_P(MetricTwinTest, WindowsNameResolvesToItsTwinAndCountsAsInstalled) {
    const TwinCase c = GetParam();
    EXPECT_EQ(ResolvedFontFamily(c.windowsName), c.family);
    EXPECT_TRUE(FontInstalled(InstalledFontNames(), c.windowsName));
    EXPECT_TRUE(FontInstalled(InstalledFontNames(), c.family));
}

INSTANTIATE_TEST_SUITE_P(Fonts, MetricTwinTest,
                         ::testing::Values(TwinCase{"Arial", "Liberation Sans"},
                                           TwinCase{"Arial Narrow", "Liberation Sans Narrow"},
                                           TwinCase{"Courier New", "Liberation Mono"},
                                           TwinCase{"Courier", "Nimbus Mono PS"}));

TEST(InstalledFonts, FontsFontconfigCannotFindAreNotInstalled) {
    const auto& fonts = InstalledFontNames();
    for (const char* name :
         {"NoSuchFont", "QorvaW", "IDAutomationPDF417n3", "", " Arial", "Arial "}) {
        EXPECT_FALSE(FontInstalled(fonts, name)) << '"' << name << '"';
    }
    // A name that fontconfig merely substitutes with some default is no twin.
    EXPECT_NE(ResolvedFontFamily("NoSuchFont"), "NoSuchFont");
}

TEST(InstalledFonts, ComparesNamesIgnoringCase) {
    const auto& fonts = InstalledFontNames();
    EXPECT_TRUE(FontInstalled(fonts, "ARIAL NARROW"));
    EXPECT_TRUE(FontInstalled(fonts, "courier new"));
    const std::vector<std::string> own = {"Arial", "\xC3\x84pfel Sans"};
    EXPECT_TRUE(FontInstalled(own, "aRiAl"));
    EXPECT_TRUE(FontInstalled(own, "\xC3\xA4PFEL sans"));
    EXPECT_FALSE(FontInstalled(own, "Arial Narrow"));
    EXPECT_FALSE(FontInstalled({}, "Arial"));
}

TEST(InstalledFonts, ListIsSortedWithoutDuplicatesAndReadOnce) {
    const auto& fonts = InstalledFontNames();
    EXPECT_EQ(&fonts, &InstalledFontNames());
    ASSERT_GT(fonts.size(), 4u);
    for (size_t i = 1; i < fonts.size(); ++i) {
        const int order = QString::fromStdString(fonts[i - 1])
                              .compare(QString::fromStdString(fonts[i]), Qt::CaseInsensitive);
        EXPECT_LT(order, 0) << fonts[i - 1] << " / " << fonts[i];
    }
    EXPECT_TRUE(std::none_of(fonts.begin(), fonts.end(),
                             [](const std::string& name) { return name.empty(); }));
}

TEST(WindowsVersion, ModernByDefaultAndSettableForTests) {
    EXPECT_EQ(WindowsVersionNumber(), 100);
    SetWindowsVersionNumber(61);
    EXPECT_EQ(WindowsVersionNumber(), 61);
    SetWindowsVersionNumber(100);
    EXPECT_EQ(WindowsVersionNumber(), 100);
}

} // namespace
} // namespace qorprt
