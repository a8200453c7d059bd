#pragma once

#include "platform/system/Expected.h"

#include <string>

namespace qorprt {

// Makes sure `path` is a folder only this user can enter: creates it with mode 0700 when it is
// missing, refuses a symbolic link, anything that is no folder and a folder of another owner, and
// takes group and other rights away from a folder of ours that has them. The result is the path
// with a trailing "/".
Expected<std::string> EnsurePrivateFolder(const std::string& path);

// The folder where the running instances of this user keep their sockets:
// $XDG_RUNTIME_DIR/qorprt/; without XDG_RUNTIME_DIR (cron, su) the session's runtime folder
// /run/user/<uid>/qorprt/ when that folder exists and is ours, so that such a start still finds
// the instance of the desktop session; else ${TMPDIR:-/tmp}/qorprt-<uid>/, or, when another
// user has taken that name, the folder "run" in the user's state folder. Made private as
// EnsurePrivateFolder says.
Expected<std::string> InstanceFolder();

} // namespace qorprt
