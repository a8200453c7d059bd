#include "platform/printing/Spooler.h"

namespace qorprt {

Expected<std::optional<std::string>> Spooler::SaveDefaults(PrinterHandle&) {
    return std::optional<std::string>();
}

Status Spooler::RestoreDefaults(PrinterHandle& printer, const std::string&) {
    return Fail("no saved defaults for " + printer.Name());
}

Expected<PaperMargins> Spooler::Margins(PrinterHandle&, const DevMode&) {
    return PaperMargins{};
}

DevMode ToDevMode(std::string_view printerName, const PrintSettings& settings) {
    DevMode dm = MakeDevMode(printerName, settings.paper, settings.orientation, settings.source,
                             settings.duplex);
    dm.dmCopies = settings.copies;
    return dm;
}

const PaperInfo* FindPaper(const std::vector<PaperInfo>& papers, int16_t code) {
    for (const PaperInfo& p : papers)
        if (p.code == code) return &p;
    return nullptr;
}

const BinInfo* FindBin(const std::vector<BinInfo>& bins, int16_t code) {
    for (const BinInfo& b : bins)
        if (b.code == code) return &b;
    return nullptr;
}

PrintSettings MergeDevMode(PrintSettings settings, const DevMode& dm,
                           const std::vector<PaperInfo>& papers, const std::vector<BinInfo>& bins) {
    if ((dm.dmFields & DM_PAPERSIZE) && FindPaper(papers, dm.dmPaperSize))
        settings.paper = dm.dmPaperSize;
    if ((dm.dmFields & DM_DEFAULTSOURCE) && FindBin(bins, dm.dmDefaultSource))
        settings.source = dm.dmDefaultSource;
    if ((dm.dmFields & DM_DUPLEX) && dm.dmDuplex >= DMDUP_SIMPLEX &&
        dm.dmDuplex <= DMDUP_HORIZONTAL)
        settings.duplex = dm.dmDuplex;
    if ((dm.dmFields & DM_ORIENTATION) &&
        (dm.dmOrientation == DMORIENT_PORTRAIT || dm.dmOrientation == DMORIENT_LANDSCAPE))
        settings.orientation = dm.dmOrientation;
    if ((dm.dmFields & DM_COPIES) && dm.dmCopies >= 1) settings.copies = dm.dmCopies;
    return settings;
}

std::optional<std::pair<int32_t, int32_t>> CustomPaperSize(const DevMode& dm) {
    if ((dm.dmFields & DM_PAPERLENGTH) && (dm.dmFields & DM_PAPERWIDTH) && dm.dmPaperLength > 0 &&
        dm.dmPaperWidth > 0)
        return std::pair<int32_t, int32_t>{dm.dmPaperWidth, dm.dmPaperLength};
    return std::nullopt;
}

} // namespace qorprt
