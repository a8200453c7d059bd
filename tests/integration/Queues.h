#pragma once

#include <filesystem>
#include <string>

namespace qorprt::test {

// The file the test queue's device writes what the filter chain produced.
std::filesystem::path OutFile(const std::string& queue);

std::string ReadAll(const std::filesystem::path& path);

// Waits until the queue has no active job and, with `output`, its output file is there.
void WaitForQueue(const std::string& queue, bool output = true);

} // namespace qorprt::test
