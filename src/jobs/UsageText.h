#pragma once

#include <string>

namespace qorprt {

// Caption and text of the message box shown for a job without a PRT file, as 8-bit
// Windows-1252 text; "\n" separates the lines.
std::string UsageCaption();
std::string UsageText();

} // namespace qorprt
