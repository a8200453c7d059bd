#pragma once

#include <string>
#include <string_view>

namespace qorprt::test {

// A fresh directory under the system's temporary folder, removed with everything in it when the
// object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path of a file inside the directory.
    std::string File(std::string_view name) const;
    // Writes `content` byte for byte to the file `name` and returns its path.
    std::string Write(std::string_view name, std::string_view content) const;
    // The file's bytes; empty when it cannot be read.
    std::string Read(std::string_view name) const;

private:
    std::string path_;
};

} // namespace qorprt::test
