#include "jobs/PreviewHost.h"

#include "jobs/MessageBoxes.h"
#include "platform/canvas/Fonts.h"
#include "platform/text/Encoding.h"

namespace qorprt {

PreviewHost::PreviewHost(MessageBoxes& messages, BitmapCanvas* scratch)
    : messages_(messages), scratch_(scratch) {}

std::vector<std::string> PreviewHost::FontNames(bool) {
    std::vector<std::string> names;
    for (const std::string& name : InstalledFontNames())
        names.push_back(Utf8ToCp1252(name));
    return names;
}

void PreviewHost::ShowOpenError(const std::string& message) {
    messages_.ShowError(message, "Fehler");
}

int32_t PreviewHost::WindowsVersion() {
    return WindowsVersionNumber();
}

} // namespace qorprt
