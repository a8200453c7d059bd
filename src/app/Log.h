#pragma once

#include <cstdint>
#include <string>

namespace qorprt {

void WriteLog(int32_t level, std::string text);

} // namespace qorprt
