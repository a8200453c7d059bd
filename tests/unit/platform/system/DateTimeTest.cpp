#include "platform/system/DateTime.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <locale.h>

namespace qorprt {
namespace {

// 24 December 2019, 08:05:09 local time, plus `millis`.
std::chrono::system_clock::time_point ChristmasMorning(int millis) {
    std::tm tm{};
    tm.tm_year = 2019 - 1900;
    tm.tm_mon = 11;
    tm.tm_mday = 24;
    tm.tm_hour = 8;
    tm.tm_min = 5;
    tm.tm_sec = 9;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm)) +
           std::chrono::milliseconds(millis);
}

TEST(LocalTimestamp, TimeHasThreeDigitMilliseconds) {
    struct {
        int millis;
        const char* expected;
    } cases[] = {{4, "12/24/19 08:05:09,004"},
                 {0, "12/24/19 08:05:09,000"},
                 {40, "12/24/19 08:05:09,040"},
                 {999, "12/24/19 08:05:09,999"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatLocalTimestamp(ChristmasMorning(c.millis), "C"), c.expected) << c.millis;
}

TEST(LocalTimestamp, MissingLocaleFallsBackToC) {
    EXPECT_EQ(FormatLocalTimestamp(ChristmasMorning(4), "xx_NOWHERE.UTF-8"),
              "12/24/19 08:05:09,004");
}

TEST(LocalTimestamp, GermanShortDate) {
    // Debian ships locale sources rather than compiled locales; build the German one privately
    // when it is not installed.
    test::TempDir dir;
    const char* oldLocpath = std::getenv("LOCPATH");
    const std::string saved = oldLocpath ? oldLocpath : "";
    if (locale_t probe = newlocale(LC_TIME_MASK, "de_DE.UTF-8", locale_t{})) {
        freelocale(probe);
    } else {
        const std::string cmd =
            "localedef -i de_DE -f UTF-8 '" + dir.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0) GTEST_SKIP() << "no German locale available";
        setenv("LOCPATH", dir.Path().c_str(), 1);
    }
    const std::string stamp = FormatLocalTimestamp(ChristmasMorning(4), "de_DE.UTF-8");
    if (oldLocpath)
        setenv("LOCPATH", saved.c_str(), 1);
    else
        unsetenv("LOCPATH");
    EXPECT_EQ(stamp, "24.12.2019 08:05:09,004");
}

} // namespace
} // namespace qorprt
