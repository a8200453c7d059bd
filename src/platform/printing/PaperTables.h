#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorprt {

// A paper as the printer-property lists see it: device-mode code, name, size in tenths of a
// millimetre (portrait).
struct PaperInfo {
    int16_t code = 0;
    std::string name;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const PaperInfo&) const = default;
};

// A paper source: device-mode code and name.
struct BinInfo {
    int16_t code = 0;
    std::string name;
    bool operator==(const BinInfo&) const = default;
};

// A standard Windows paper: its code, the name a Windows driver shows, its size.
struct KnownPaper {
    int16_t code;
    const char* name;
    int32_t width; // tenths of a millimetre
    int32_t height;
};

const std::vector<KnownPaper>& KnownPapers();
const KnownPaper* FindKnownPaper(int16_t code);

// The Windows paper code of a media keyword: a PPD PageSize name ("A4", "EnvDL") or a PWG self-
// describing name ("iso_a4_210x297mm"); case-insensitive.
std::optional<int16_t> PaperCodeForKeyword(std::string_view keyword);
// The Windows paper code of a size (portrait, tenths of a millimetre), within 1 mm.
std::optional<int16_t> PaperCodeForSize(int32_t width, int32_t height);

// The Windows bin code of a source keyword: a PPD InputSlot name ("Tray1", "Manual") or an IPP
// media-source keyword ("tray-1", "manual"); case-insensitive.
std::optional<int16_t> BinCodeForKeyword(std::string_view keyword);

// A medium or source as a printer reports it, before it gets its code.
struct MediaEntry {
    std::string keyword; // what a job asks for (PPD choice or IPP keyword)
    std::string name;    // what the user reads
    int32_t width = 0;   // tenths of a millimetre; 0 for sources
    int32_t height = 0;
};

// Codes for a printer's media, in the order given: the standard code by keyword, then by size;
// unknown media and a second medium with an already used code get codes from 256 up in list
// order, so the same list always gets the same codes. A medium with a standard code reports the
// standard size (drivers report A4 as 2100 x 2970, not its rounded points).
std::vector<PaperInfo> AssignPaperCodes(const std::vector<MediaEntry>& media);
// The same for paper sources, by keyword only.
std::vector<BinInfo> AssignBinCodes(const std::vector<MediaEntry>& sources);

// Size in PostScript points to tenths of a millimetre, rounded.
int32_t PointsToTenthMm(double points);

} // namespace qorprt
