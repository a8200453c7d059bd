#pragma once

#include <filesystem>
#include <string>

namespace qorprt::test {

// Changes the working folder for a test and back afterwards (picture paths in PRT files and the
// local copy folder are relative to it).
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder() { std::filesystem::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path previous_;
};

} // namespace qorprt::test
