#include "platform/system/DateTime.h"

#include <clocale>
#include <cstdio>
#include <ctime>
#include <locale.h>
#include <string.h>

namespace qorprt {

namespace {

class TimeLocale {
public:
    explicit TimeLocale(const char* name) : locale_(newlocale(LC_TIME_MASK, name, locale_t{})) {
        if (locale_ == locale_t{}) locale_ = newlocale(LC_TIME_MASK, "C", locale_t{});
    }
    ~TimeLocale() {
        if (locale_ != locale_t{}) freelocale(locale_);
    }
    TimeLocale(const TimeLocale&) = delete;
    TimeLocale& operator=(const TimeLocale&) = delete;

    locale_t Get() const { return locale_; }

private:
    locale_t locale_;
};

// The environment's locale is looked up once per process.
const TimeLocale& EnvironmentTimeLocale() {
    static const TimeLocale environment("");
    return environment;
}

std::string ShortDate(const std::tm& tm, locale_t locale) {
    if (locale == locale_t{}) return {};
    char buffer[128];
    const size_t n = strftime_l(buffer, sizeof buffer, "%x", &tm, locale);
    return std::string(buffer, n);
}

} // namespace

std::string FormatLocalTimestamp(std::chrono::system_clock::time_point when,
                                 std::string_view timeLocale) {
    using namespace std::chrono;
    const auto sinceEpoch = when.time_since_epoch();
    const auto secs = floor<seconds>(sinceEpoch);
    const auto millis = duration_cast<milliseconds>(sinceEpoch - secs).count();
    const std::time_t t = static_cast<std::time_t>(secs.count());
    std::tm tm{};
    localtime_r(&t, &tm);

    std::string date;
    if (timeLocale.empty()) {
        date = ShortDate(tm, EnvironmentTimeLocale().Get());
    } else {
        const TimeLocale named(std::string(timeLocale).c_str());
        date = ShortDate(tm, named.Get());
    }
    char clock[32];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d,%03d", tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(millis));
    return date + " " + clock;
}

} // namespace qorprt
