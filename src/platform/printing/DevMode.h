#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace qorprt {

// The public part of a Windows device mode, byte for byte as DEVMODEW lays it out (220 bytes,
// natural alignment), so that saving and restoring a printer's settings can copy raw bytes.
// Only the printer variant of the union is spelled out: its display alternative (dmPosition,
// dmDisplayOrientation, dmDisplayFixedOutput) occupies the same 16 bytes and is never used here.
struct DevMode {
    char16_t dmDeviceName[32] = {};
    uint16_t dmSpecVersion = 0;
    uint16_t dmDriverVersion = 0;
    uint16_t dmSize = 0;
    uint16_t dmDriverExtra = 0;
    uint32_t dmFields = 0;
    int16_t dmOrientation = 0;
    int16_t dmPaperSize = 0;
    int16_t dmPaperLength = 0; // tenths of a millimetre
    int16_t dmPaperWidth = 0;  // tenths of a millimetre
    int16_t dmScale = 0;
    int16_t dmCopies = 0;
    int16_t dmDefaultSource = 0;
    int16_t dmPrintQuality = 0;
    int16_t dmColor = 0;
    int16_t dmDuplex = 0;
    int16_t dmYResolution = 0;
    int16_t dmTTOption = 0;
    int16_t dmCollate = 0;
    char16_t dmFormName[32] = {};
    uint16_t dmLogPixels = 0;
    uint32_t dmBitsPerPel = 0;
    uint32_t dmPelsWidth = 0;
    uint32_t dmPelsHeight = 0;
    uint32_t dmDisplayFlags = 0; // dmNup in the printer variant
    uint32_t dmDisplayFrequency = 0;
    uint32_t dmICMMethod = 0;
    uint32_t dmICMIntent = 0;
    uint32_t dmMediaType = 0;
    uint32_t dmDitherType = 0;
    uint32_t dmReserved1 = 0;
    uint32_t dmReserved2 = 0;
    uint32_t dmPanningWidth = 0;
    uint32_t dmPanningHeight = 0;

    // The device name as UTF-8 (up to the first zero unit) and setting it (cut to 31 units).
    std::string DeviceName() const;
    void SetDeviceName(std::string_view utf8);

    bool operator==(const DevMode& other) const;
};

inline constexpr size_t kDevModeSize = 220;

static_assert(sizeof(DevMode) == kDevModeSize);
// No padding and plain bytes: the save and restore copy the structure with memcpy.
static_assert(std::has_unique_object_representations_v<DevMode>);
static_assert(std::is_trivially_copyable_v<DevMode>);
static_assert(offsetof(DevMode, dmDeviceName) == 0);
static_assert(offsetof(DevMode, dmSpecVersion) == 64);
static_assert(offsetof(DevMode, dmSize) == 68);
static_assert(offsetof(DevMode, dmFields) == 72);
static_assert(offsetof(DevMode, dmOrientation) == 76);
static_assert(offsetof(DevMode, dmPaperSize) == 78);
static_assert(offsetof(DevMode, dmPaperLength) == 80);
static_assert(offsetof(DevMode, dmPaperWidth) == 82);
static_assert(offsetof(DevMode, dmCopies) == 86);
static_assert(offsetof(DevMode, dmDefaultSource) == 88);
static_assert(offsetof(DevMode, dmPrintQuality) == 90);
static_assert(offsetof(DevMode, dmColor) == 92);
static_assert(offsetof(DevMode, dmDuplex) == 94);
static_assert(offsetof(DevMode, dmYResolution) == 96);
static_assert(offsetof(DevMode, dmCollate) == 100);
static_assert(offsetof(DevMode, dmFormName) == 102);
static_assert(offsetof(DevMode, dmLogPixels) == 166);
static_assert(offsetof(DevMode, dmBitsPerPel) == 168);
static_assert(offsetof(DevMode, dmDisplayFlags) == 180);
static_assert(offsetof(DevMode, dmMediaType) == 196);
static_assert(offsetof(DevMode, dmPanningHeight) == 216);

// dmSpecVersion of a DEVMODE of this layout.
inline constexpr uint16_t DM_SPECVERSION = 0x0401;

// dmFields: which members carry a value.
inline constexpr uint32_t DM_ORIENTATION = 0x00000001;
inline constexpr uint32_t DM_PAPERSIZE = 0x00000002;
inline constexpr uint32_t DM_PAPERLENGTH = 0x00000004;
inline constexpr uint32_t DM_PAPERWIDTH = 0x00000008;
inline constexpr uint32_t DM_SCALE = 0x00000010;
inline constexpr uint32_t DM_POSITION = 0x00000020;
inline constexpr uint32_t DM_NUP = 0x00000040;
inline constexpr uint32_t DM_DISPLAYORIENTATION = 0x00000080;
inline constexpr uint32_t DM_COPIES = 0x00000100;
inline constexpr uint32_t DM_DEFAULTSOURCE = 0x00000200;
inline constexpr uint32_t DM_PRINTQUALITY = 0x00000400;
inline constexpr uint32_t DM_COLOR = 0x00000800;
inline constexpr uint32_t DM_DUPLEX = 0x00001000;
inline constexpr uint32_t DM_YRESOLUTION = 0x00002000;
inline constexpr uint32_t DM_TTOPTION = 0x00004000;
inline constexpr uint32_t DM_COLLATE = 0x00008000;
inline constexpr uint32_t DM_FORMNAME = 0x00010000;
inline constexpr uint32_t DM_LOGPIXELS = 0x00020000;
inline constexpr uint32_t DM_BITSPERPEL = 0x00040000;
inline constexpr uint32_t DM_PELSWIDTH = 0x00080000;
inline constexpr uint32_t DM_PELSHEIGHT = 0x00100000;
inline constexpr uint32_t DM_DISPLAYFLAGS = 0x00200000;
inline constexpr uint32_t DM_DISPLAYFREQUENCY = 0x00400000;
inline constexpr uint32_t DM_ICMMETHOD = 0x00800000;
inline constexpr uint32_t DM_ICMINTENT = 0x01000000;
inline constexpr uint32_t DM_MEDIATYPE = 0x02000000;
inline constexpr uint32_t DM_DITHERTYPE = 0x04000000;
inline constexpr uint32_t DM_PANNINGWIDTH = 0x08000000;
inline constexpr uint32_t DM_PANNINGHEIGHT = 0x10000000;

inline constexpr int16_t DMORIENT_PORTRAIT = 1;
inline constexpr int16_t DMORIENT_LANDSCAPE = 2;

inline constexpr int16_t DMDUP_SIMPLEX = 1;
inline constexpr int16_t DMDUP_VERTICAL = 2;   // long-edge binding
inline constexpr int16_t DMDUP_HORIZONTAL = 3; // short-edge binding

inline constexpr int16_t DMCOLOR_MONOCHROME = 1;
inline constexpr int16_t DMCOLOR_COLOR = 2;

// Paper sources (dmDefaultSource, DC_BINS).
inline constexpr int16_t DMBIN_UPPER = 1;
inline constexpr int16_t DMBIN_ONLYONE = 1;
inline constexpr int16_t DMBIN_LOWER = 2;
inline constexpr int16_t DMBIN_MIDDLE = 3;
inline constexpr int16_t DMBIN_MANUAL = 4;
inline constexpr int16_t DMBIN_ENVELOPE = 5;
inline constexpr int16_t DMBIN_ENVMANUAL = 6;
inline constexpr int16_t DMBIN_AUTO = 7;
inline constexpr int16_t DMBIN_TRACTOR = 8;
inline constexpr int16_t DMBIN_SMALLFMT = 9;
inline constexpr int16_t DMBIN_LARGEFMT = 10;
inline constexpr int16_t DMBIN_LARGECAPACITY = 11;
inline constexpr int16_t DMBIN_CASSETTE = 14;
inline constexpr int16_t DMBIN_FORMSOURCE = 15;
inline constexpr int16_t DMBIN_USER = 256; // first driver-specific source

// Paper sizes (dmPaperSize, DC_PAPERS).
inline constexpr int16_t DMPAPER_LETTER = 1;
inline constexpr int16_t DMPAPER_LETTERSMALL = 2;
inline constexpr int16_t DMPAPER_TABLOID = 3;
inline constexpr int16_t DMPAPER_LEDGER = 4;
inline constexpr int16_t DMPAPER_LEGAL = 5;
inline constexpr int16_t DMPAPER_STATEMENT = 6;
inline constexpr int16_t DMPAPER_EXECUTIVE = 7;
inline constexpr int16_t DMPAPER_A3 = 8;
inline constexpr int16_t DMPAPER_A4 = 9;
inline constexpr int16_t DMPAPER_A4SMALL = 10;
inline constexpr int16_t DMPAPER_A5 = 11;
inline constexpr int16_t DMPAPER_B4 = 12; // JIS
inline constexpr int16_t DMPAPER_B5 = 13; // JIS
inline constexpr int16_t DMPAPER_FOLIO = 14;
inline constexpr int16_t DMPAPER_QUARTO = 15;
inline constexpr int16_t DMPAPER_10X14 = 16;
inline constexpr int16_t DMPAPER_11X17 = 17;
inline constexpr int16_t DMPAPER_NOTE = 18;
inline constexpr int16_t DMPAPER_ENV_9 = 19;
inline constexpr int16_t DMPAPER_ENV_10 = 20;
inline constexpr int16_t DMPAPER_ENV_11 = 21;
inline constexpr int16_t DMPAPER_ENV_12 = 22;
inline constexpr int16_t DMPAPER_ENV_14 = 23;
inline constexpr int16_t DMPAPER_CSHEET = 24;
inline constexpr int16_t DMPAPER_DSHEET = 25;
inline constexpr int16_t DMPAPER_ESHEET = 26;
inline constexpr int16_t DMPAPER_ENV_DL = 27;
inline constexpr int16_t DMPAPER_ENV_C5 = 28;
inline constexpr int16_t DMPAPER_ENV_C3 = 29;
inline constexpr int16_t DMPAPER_ENV_C4 = 30;
inline constexpr int16_t DMPAPER_ENV_C6 = 31;
inline constexpr int16_t DMPAPER_ENV_C65 = 32;
inline constexpr int16_t DMPAPER_ENV_B4 = 33;
inline constexpr int16_t DMPAPER_ENV_B5 = 34;
inline constexpr int16_t DMPAPER_ENV_B6 = 35;
inline constexpr int16_t DMPAPER_ENV_ITALY = 36;
inline constexpr int16_t DMPAPER_ENV_MONARCH = 37;
inline constexpr int16_t DMPAPER_ENV_PERSONAL = 38;
inline constexpr int16_t DMPAPER_FANFOLD_US = 39;
inline constexpr int16_t DMPAPER_FANFOLD_STD_GERMAN = 40;
inline constexpr int16_t DMPAPER_FANFOLD_LGL_GERMAN = 41;
inline constexpr int16_t DMPAPER_ISO_B4 = 42;
inline constexpr int16_t DMPAPER_JAPANESE_POSTCARD = 43;
inline constexpr int16_t DMPAPER_A2 = 66;
inline constexpr int16_t DMPAPER_A6 = 70;
inline constexpr int16_t DMPAPER_USER = 256; // first driver-specific paper

// A device mode with the given paper, orientation, source and duplex set and flagged.
DevMode MakeDevMode(std::string_view deviceName, int16_t paper, int16_t orientation, int16_t source,
                    int16_t duplex);

} // namespace qorprt
