#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace qorprt {

// The local date and time of `when` as "<short date> hh:mm:ss,zzz": the date in the short date
// format ("%x") of the time locale named by `timeLocale`, or of the user's environment (LC_ALL,
// LC_TIME, LANG) when the name is empty; a locale that is not installed falls back to "C". The
// time has a two-digit hour (00 to 23) and always three digits of milliseconds. Windows-1252 text.
std::string FormatLocalTimestamp(std::chrono::system_clock::time_point when,
                                 std::string_view timeLocale = {});

} // namespace qorprt
