#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qorprt {

// The command line of a desktop entry's Exec key for one file: split into arguments as the
// freedesktop.org desktop files quote them, the file put in place of %f, %F, %u or %U as one
// argument (or appended when the key has none of them), the other field codes dropped and "%%"
// made "%". Nothing when the key is empty or malformed (an open quote).
std::optional<std::vector<std::string>> DesktopExecCommand(const std::string& exec,
                                                           const std::string& file);

// The Exec key of the desktop entry with the given id ("org.gnome.TextEditor.desktop"), looked
// up in the applications folders of XDG_DATA_HOME and XDG_DATA_DIRS; empty when there is none.
std::string DesktopEntryExec(const std::string& desktopId);

// The id of the desktop's default application for a MIME type, as xdg-mime reports it; empty
// when there is none or xdg-mime is missing.
std::string DefaultApplicationFor(const std::string& mimeType);

} // namespace qorprt
