#pragma once

#include <string>
#include <vector>

namespace qorprt {

// Starts a program detached from this process (it is not waited for and leaves no zombie), with
// the arguments passed as they are, never through a shell. False when it could not be started.
// `program` is looked up in PATH when it holds no "/".
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments);

// Opens a file with the desktop's program for its type (xdg-open), the path as one argument.
bool OpenWithDesktop(const std::string& path);

// Opens a text file in the user's text editor, the path as one argument: the program named by
// QORPRT_EDITOR, else the desktop's default application for plain text, else the desktop's
// opener.
bool OpenInTextEditor(const std::string& path);

} // namespace qorprt
