#include "platform/printing/DevMode.h"

#include "platform/text/Encoding.h"

#include <QString>
#include <cstring>

namespace qorprt {

std::string DevMode::DeviceName() const {
    size_t n = 0;
    while (n < std::size(dmDeviceName) && dmDeviceName[n] != 0)
        ++n;
    return QString::fromUtf16(dmDeviceName, static_cast<qsizetype>(n)).toStdString();
}

void DevMode::SetDeviceName(std::string_view utf8) {
    const std::u16string name =
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdU16String();
    std::memset(dmDeviceName, 0, sizeof dmDeviceName);
    // Room for the terminator, as a Windows device name field keeps it.
    const size_t n = std::min(name.size(), std::size(dmDeviceName) - 1);
    std::memcpy(dmDeviceName, name.data(), n * sizeof(char16_t));
}

bool DevMode::operator==(const DevMode& other) const {
    // Every byte counts: the structure has no padding (see the size assertion).
    return std::memcmp(this, &other, sizeof(DevMode)) == 0;
}

DevMode MakeDevMode(std::string_view deviceName, int16_t paper, int16_t orientation, int16_t source,
                    int16_t duplex) {
    DevMode dm;
    dm.SetDeviceName(deviceName);
    dm.dmSpecVersion = DM_SPECVERSION;
    dm.dmSize = static_cast<uint16_t>(kDevModeSize);
    dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_DEFAULTSOURCE | DM_DUPLEX | DM_COPIES;
    dm.dmOrientation = orientation;
    dm.dmPaperSize = paper;
    dm.dmDefaultSource = source;
    dm.dmDuplex = duplex;
    dm.dmCopies = 1;
    return dm;
}

} // namespace qorprt
