#pragma once

#include "platform/system/Files.h"

#include <string>

namespace qorprt {

// The absolute path of the process's working folder; empty when it has none (removed).
std::string CurrentFolder();

// Makes `folder` the working folder for the scope's lifetime, so that the relative names of a
// job are taken against the folder its caller started in, and goes back to the previous one at
// the end. An empty folder leaves the working folder as it is. A folder that cannot be entered
// is logged at level 10 and replaced by an empty folder nobody may write to, so that the job's
// relative names fail as files that cannot be opened instead of naming files of another folder.
class WorkingFolderScope {
public:
    explicit WorkingFolderScope(const std::string& folder);
    ~WorkingFolderScope();
    WorkingFolderScope(const WorkingFolderScope&) = delete;
    WorkingFolderScope& operator=(const WorkingFolderScope&) = delete;

private:
    UniqueFd previous_;
};

} // namespace qorprt
