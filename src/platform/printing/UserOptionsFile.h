#pragma once

#include "platform/system/Expected.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qorprt {

// The user's saved CUPS options: the file `lpoptions -p NAME -o ...` writes, with lines
// "Dest NAME[/INSTANCE] options" and "Default NAME[/INSTANCE] options". Every change touches only
// the lines of one destination (its instances aside) and keeps every other byte, so that the
// user's other destinations and the user's choice of default destination stay as they are. The
// file is replaced whole (a new file renamed over it), never left half written.
class UserOptionsFile {
public:
    // ~/.cups/lpoptions of the user ($HOME, else the password database).
    static std::filesystem::path DefaultPath();

    explicit UserOptionsFile(std::filesystem::path path = DefaultPath());

    const std::filesystem::path& Path() const { return path_; }

    // Removes the named options from the destination's lines and adds the given ones to its
    // last line (a new "Dest" line first in the file when it has none). A "Dest" line left
    // without options goes, and so does a file left empty; a "Default" line stays, since it
    // names the user's default destination.
    Status ChangeOptions(std::string_view dest, const std::vector<std::string>& remove,
                         const std::vector<std::pair<std::string, std::string>>& add) const;

    // The destination's lines exactly as they are, with their place in the file, for Restore.
    Expected<std::string> Save(std::string_view dest) const;
    // Puts the saved lines back in place of the destination's present lines. A file that is
    // left with nothing in it is removed: no file and an empty one mean the same to CUPS, and a
    // user who had none has none again.
    Status Restore(std::string_view dest, const std::string& saved) const;

private:
    std::filesystem::path path_;
};

} // namespace qorprt
