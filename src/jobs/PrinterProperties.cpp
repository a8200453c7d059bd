#include "jobs/PrinterProperties.h"

#include "jobs/MessageBoxes.h"
#include "platform/printing/Spooler.h"
#include "platform/system/Log.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"

#include <algorithm>
#include <cstring>

namespace qorprt {

namespace {

// What the driver's lists may hold before they count as unusable, and the name slots of
// DeviceCapabilities in UTF-16 units.
constexpr size_t kMaxListEntries = 100;
constexpr size_t kBinNameUnits = 24;
constexpr size_t kPaperNameUnits = 64;

// The byte size of PRINTER_INFO_2 on 64-bit Windows without its strings.
constexpr size_t kPrinterInfo2FixedSize = 136;

// The UTF-16 length of a UTF-8 text; a stray byte counts as one unit.
size_t Utf16Units(std::string_view utf8) {
    size_t units = 0;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        units += len == 4 ? 2 : 1;
        i += std::min(len, utf8.size() - i);
    }
    return units;
}

// The UTF-8 text cut to the given number of UTF-16 units, as the fixed-size name slots of the
// driver's lists hold it; a character that would not fit whole is dropped.
std::string CutToUtf16Units(std::string_view utf8, size_t maxUnits) {
    size_t units = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        const size_t need = len == 4 ? 2 : 1;
        if (units + need > maxUnits) break;
        units += need;
        i += std::min(len, utf8.size() - i);
    }
    return std::string(utf8.substr(0, i));
}

// The size GetPrinter level 2 would ask for: the fixed record, its strings as UTF-16 with their
// terminators and the device mode with the driver's private bytes.
size_t PrinterInfo2Size(const PrinterInfo2& info) {
    size_t size = kPrinterInfo2FixedSize;
    for (const std::string* s : {&info.printerName, &info.portName, &info.driverName})
        size += (Utf16Units(*s) + 1) * sizeof(char16_t);
    if (info.devMode) size += kDevModeSize + info.devMode->dmDriverExtra;
    return size;
}

// The number an entry carries before its first ":"; the fallback when there is no such number.
int32_t EntryNumber(const std::string& entry, int32_t fallback) {
    const size_t colon = entry.find(':');
    if (colon == std::string::npos) return fallback;
    return StrToIntDef(std::string_view(entry).substr(0, colon), fallback);
}

// A device-mode value is 16 bits wide. List entries show codes unsigned, so 0..65535 go back
// into the field as the same bit pattern; anything outside 16 bits cannot be a device-mode value
// and leaves the field alone (-1).
int32_t SixteenBit(int32_t value) {
    return value >= INT16_MIN && value <= UINT16_MAX ? value : -1;
}

int16_t AsDevModeShort(int32_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value));
}

// Device-mode codes in the lists read as the WORDs the driver reports.
std::string UnsignedCode(int16_t code) {
    return std::to_string(static_cast<uint16_t>(code));
}

} // namespace

std::string StripPortSuffix(std::string_view name) {
    std::string result(name);
    for (int cut = 0; cut < 2; ++cut) {
        const size_t blank = result.rfind(' ');
        if (blank == std::string::npos) break;
        result.erase(blank);
    }
    return result;
}

PrinterProperties::PrinterProperties(Spooler& spooler, JobSettings& job, MessageBoxes& messages)
    : spooler_(spooler), job_(job), messages_(messages) {}

void PrinterProperties::GetPrintProp(const std::string& name, int32_t bin) {
    job_.BinListe = ListModel{};
    job_.PaperListe = ListModel{};

    auto printer = spooler_.OpenPrinter(name);
    if (!printer) {
        // A list entry may carry the port ("Laser on LPT1:"), which the spooler does not know.
        PrinterName = StripPortSuffix(name);
        printer = spooler_.OpenPrinter(PrinterName);
        if (!printer) {
            messages_.ShowError("Error : " + std::to_string(printer.code()), "OpenPrinter");
            return;
        }
    }
    PrinterHandle& handle = *printer;

    auto info = spooler_.GetPrinter2(handle);
    WriteLog(4, "GetPrintProp: GetPrinter = " + std::to_string(info ? PrinterInfo2Size(*info) : 0));
    if (!info) return;
    WriteLog(4, "GetPrintProp: GetPrinter erfolgreich");

    // Without stored defaults the driver's own default settings stand in; a printer that has
    // neither gives no lists rather than settings made up from zeros.
    DevMode dm;
    if (info->devMode) {
        dm = *info->devMode;
    } else {
        auto driverDefault = spooler_.DocumentProperties(handle, nullptr);
        if (!driverDefault) return;
        dm = *driverDefault;
    }

    if (!job_.DuplexGiven) job_.Duplex = dm.dmDuplex != DMDUP_SIMPLEX;

    // An error from the driver counts like an unusable list.
    ListModel& bins = job_.BinListe;
    auto binList = spooler_.Bins(handle);
    const size_t binCount = binList ? binList->size() : SIZE_MAX;
    if (binCount < 2 || binCount > kMaxListEntries) {
        bins.Items.push_back(std::to_string(bin) + ": qorva");
        bins.ItemIndex = 0;
    } else {
        for (size_t i = 0; i < binCount; ++i) {
            const BinInfo& b = (*binList)[i];
            bins.Items.push_back(UnsignedCode(b.code) + ": " +
                                 CutToUtf16Units(b.name, kBinNameUnits));
            if (static_cast<uint16_t>(b.code) == bin) bins.ItemIndex = static_cast<int32_t>(i);
        }
    }
    bins.Items.push_back(std::to_string(dm.dmDefaultSource) + ": =Default");

    ListModel& papers = job_.PaperListe;
    auto paperList = spooler_.Papers(handle);
    const size_t paperCount = paperList ? paperList->size() : SIZE_MAX;
    if (paperCount > kMaxListEntries) {
        if (job_.PaperCode <= 0) {
            papers.Items.push_back("9: A4 (210x297)");
            papers.Items.push_back("11: A5 (148x210)");
        } else {
            papers.Items.push_back(std::to_string(job_.PaperCode) + ": qorva (0x0)");
        }
        papers.ItemIndex = 0;
    } else {
        for (size_t i = 0; i < paperCount; ++i) {
            const PaperInfo& p = (*paperList)[i];
            // Whole millimetres, halves up; in 64 bits so that no size can overflow.
            const int64_t w = (int64_t{p.width} + 5) / 10;
            const int64_t h = (int64_t{p.height} + 5) / 10;
            papers.Items.push_back(UnsignedCode(p.code) + ": " +
                                   CutToUtf16Units(p.name, kPaperNameUnits) + " (" +
                                   std::to_string(w) + "x" + std::to_string(h) + ")");
            if (static_cast<uint16_t>(p.code) == job_.PaperCode)
                papers.ItemIndex = static_cast<int32_t>(i);
        }
    }
}

bool PrinterProperties::SetPrintProp(const std::string& name, int32_t source, int32_t length,
                                     int32_t width, int32_t paper) {
    const bool reset = paper == -2;

    auto printer = spooler_.OpenPrinter(name);
    if (!printer) {
        WriteLog(10, "SetPrintProp: OpenPrinter Error");
        return false;
    }
    PrinterHandle& handle = *printer;

    // One call here asks for the size and reads the record, so a refusal is the size query's.
    auto info = spooler_.GetPrinter2(handle);
    if (!info) {
        WriteLog(10, "SetPrintProp: GetPrinter 0");
        return false;
    }

    DevMode dm;
    if (info->devMode) {
        dm = *info->devMode;
    } else {
        auto driverDefault = spooler_.DocumentProperties(handle, nullptr);
        if (!driverDefault) {
            WriteLog(10, "SetPrintProp: DocumentProperties NULL,NULL");
            return false;
        }
        dm = *driverDefault;
    }

    if (reset) {
        // Within a print that saved nothing, m_devmode still holds an earlier print's defaults
        // (perhaps of another printer); writing those back would change the printer for good.
        if (printing_ && !savedThisPrint_) {
            WriteLog(10, "SetPrintProp: keine gesicherten Einstellungen");
            return false;
        }
        std::memcpy(&dm, &m_devmode, kDevModeSize);
        WriteLog(2, "SetPrintProp: nach memcpy(pi2->pDevMode,..)");
    } else {
        // A bin switch within a print changes the printer again; the restore after the print
        // must still find the defaults from before it.
        if (!printing_ || !savedThisPrint_) {
            std::memcpy(&m_devmode, &dm, kDevModeSize);
            savedThisPrint_ = printing_;
            WriteLog(2, "SetPrintProp: nach memcpy(&m_devmode,..)");
            // Unreadable: the restore falls back to the device mode, and the write below says
            // why it fails.
            auto full = spooler_.SaveDefaults(handle);
            fullDefaults_.reset();
            if (full && *full) fullDefaults_ = FullDefaults{handle.Name(), std::move(**full)};
        }

        if (const std::string* entry = job_.BinListe.Selected()) source = EntryNumber(*entry, 7);
        if (const std::string* entry = job_.PaperListe.Selected()) paper = EntryNumber(*entry, 9);
        source = SixteenBit(source);
        length = SixteenBit(length);
        width = SixteenBit(width);
        paper = SixteenBit(paper);

        dm.dmDuplex = job_.Duplex ? DMDUP_VERTICAL : DMDUP_SIMPLEX;
        uint32_t fields = DM_ORIENTATION | DM_DUPLEX;
        if (paper != -1) fields |= DM_PAPERSIZE;
        if (length != -1) fields |= DM_PAPERLENGTH;
        if (width != -1) fields |= DM_PAPERWIDTH;
        if (source != -1) fields |= DM_DEFAULTSOURCE;
        dm.dmFields = fields;
        dm.dmOrientation = job_.Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        if (paper >= 0) dm.dmPaperSize = AsDevModeShort(paper);
        if (length >= 0) dm.dmPaperLength = AsDevModeShort(length);
        if (width >= 0) dm.dmPaperWidth = AsDevModeShort(width);
        if (source >= 0) dm.dmDefaultSource = AsDevModeShort(source);
    }

    auto merged = spooler_.DocumentProperties(handle, &dm);
    if (!merged) {
        WriteLog(10, "SetPrintProp: DocumentProperties pDevMode,pDevMode");
        return false;
    }

    // The device mode holds only part of what the printer had; the spooler's saved copy holds
    // all of it.
    const Status stored = reset && fullDefaults_ && fullDefaults_->printer == handle.Name()
                              ? spooler_.RestoreDefaults(handle, fullDefaults_->saved)
                              : spooler_.SetPrinter2(handle, *merged);
    if (!stored) {
        WriteLog(10, "SetPrintProp: SetPrinter - " + stored.error());
        return false;
    }
    return true;
}

void PrinterProperties::PrinterClick() {
    if (const std::string* printer = job_.DruListe.Selected())
        GetPrintProp(*printer, job_.FirstBinCode);
}

void PrinterProperties::BeginPrint() {
    printing_ = true;
    savedThisPrint_ = false;
}

void PrinterProperties::EndPrint() {
    printing_ = false;
    savedThisPrint_ = false;
}

} // namespace qorprt
