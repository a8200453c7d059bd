#pragma once

namespace qorprt {

// The version date the program shows in its window, its start line and its usage text.
inline constexpr const char* kVersionDate = "07.08.2017";

} // namespace qorprt
