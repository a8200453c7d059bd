#include "jobs/PreviewHost.h"

#include "jobs/MessageBoxes.h"
#include "platform/canvas/Fonts.h"

namespace qorprt {

PreviewHost::PreviewHost(MessageBoxes& messages, BitmapCanvas* scratch)
    : messages_(messages), scratch_(scratch) {}

std::vector<std::string> PreviewHost::FontNames(bool) {
    return InstalledFontNamesAnsi();
}

void PreviewHost::ShowOpenError(const std::string& message) {
    messages_.ShowError(message, "Fehler");
}

int32_t PreviewHost::WindowsVersion() {
    return WindowsVersionNumber();
}

} // namespace qorprt
