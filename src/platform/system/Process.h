#pragma once

#include <cstdint>
#include <string>

namespace qorprt {

// The folder of the running executable with its trailing "/"; empty when it cannot be found.
std::string ExecutableFolder();

// The id of the running process.
int64_t CurrentProcessId();

} // namespace qorprt
