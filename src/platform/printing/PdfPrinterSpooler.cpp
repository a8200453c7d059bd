#include "platform/printing/PdfPrinterSpooler.h"

#include "platform/printing/SpoolCheck.h"
#include "platform/system/Files.h"
#include "platform/text/Numbers.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {

namespace fs = std::filesystem;

namespace {

class PdfPrinterState : public PrinterHandleState {};

fs::path HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? fs::path(home) : fs::path("/tmp");
}

fs::path DefaultSettingsFile() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const fs::path base = xdg && *xdg ? fs::path(xdg) : HomeFolder() / ".config";
    return base / "qorva" / "pdfprinter.conf";
}

using KeyValues = std::map<std::string, std::string>;

KeyValues ReadKeyValues(const fs::path& file) {
    KeyValues values;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (line.empty() || line[0] == '#' || line[0] == '[' || eq == std::string::npos) continue;
        values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

// Written to a new file of this write's own and renamed over the old one, so that a crash never
// leaves half a file and two instances saving at once never write into each other's file: the
// settings file is always one whole version.
Status WriteKeyValues(const fs::path& file, const KeyValues& values) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) return Fail("cannot create " + file.parent_path().string() + ": " + ec.message());
    std::string text = "# QorPrt PDF printer settings\n";
    for (const auto& [key, value] : values)
        text += key + '=' + value + '\n';
    return ReplaceFileContents(file.string(), text, 0644);
}

int16_t ValueOr(const KeyValues& values, const char* key, int16_t fallback) {
    const auto it = values.find(key);
    if (it == values.end()) return fallback;
    const int32_t v = StrToIntDef(it->second, fallback);
    return v >= INT16_MIN && v <= INT16_MAX ? static_cast<int16_t>(v) : fallback;
}

} // namespace

PdfPrinterSpooler::PdfPrinterSpooler(fs::path settingsFile)
    : settingsFile_(settingsFile.empty() ? DefaultSettingsFile() : std::move(settingsFile)) {}

const std::vector<PaperInfo>& PdfPrinterSpooler::FixedPapers() {
    static const std::vector<PaperInfo> papers = [] {
        std::vector<PaperInfo> list;
        for (int16_t code :
             {DMPAPER_A4, DMPAPER_A5, DMPAPER_A3, DMPAPER_A6, DMPAPER_LETTER, DMPAPER_LEGAL,
              DMPAPER_EXECUTIVE, DMPAPER_B5, DMPAPER_ENV_DL, DMPAPER_ENV_C5, DMPAPER_ENV_10}) {
            const KnownPaper* p = FindKnownPaper(code);
            list.push_back({p->code, p->name, p->width, p->height});
        }
        return list;
    }();
    return papers;
}

const std::vector<BinInfo>& PdfPrinterSpooler::FixedBins() {
    static const std::vector<BinInfo> bins = {{DMBIN_AUTO, "Automatische Auswahl"},
                                              {DMBIN_UPPER, "Fach 1"},
                                              {DMBIN_LOWER, "Fach 2"},
                                              {DMBIN_MIDDLE, "Fach 3"},
                                              {DMBIN_MANUAL, "Manuelle Zufuhr"}};
    return bins;
}

fs::path PdfPrinterSpooler::OutputFolder() const {
    if (const char* dir = std::getenv("QORPRT_PDF_DIR"); dir && *dir) return dir;
    const KeyValues values = ReadKeyValues(settingsFile_);
    if (const auto it = values.find("folder"); it != values.end() && !it->second.empty())
        return it->second;
    return HomeFolder() / "QorPrt-PDF";
}

Expected<std::vector<std::string>> PdfPrinterSpooler::EnumPrinters() {
    return std::vector<std::string>{kName};
}

Expected<std::string> PdfPrinterSpooler::DefaultPrinter() {
    return std::string(kName);
}

Status PdfPrinterSpooler::SetDefaultPrinter(std::string_view name) {
    if (name != kName)
        return Fail("printer " + std::string(name) + " does not exist", kErrorInvalidPrinterName);
    KeyValues values = ReadKeyValues(settingsFile_);
    values["default"] = "1";
    return WriteKeyValues(settingsFile_, values);
}

bool PdfPrinterSpooler::IsUserDefault() const {
    return ValueOr(ReadKeyValues(settingsFile_), "default", 0) == 1;
}

Status PdfPrinterSpooler::ClearUserDefault() {
    KeyValues values = ReadKeyValues(settingsFile_);
    if (!values.contains("default")) return Ok();
    values.erase("default");
    return WriteKeyValues(settingsFile_, values);
}

Status PdfPrinterSpooler::CheckHandle(const PrinterHandle& printer) const {
    if (!printer.State<PdfPrinterState>())
        return Fail("printer handle is not open", kErrorInvalidHandle);
    return Ok();
}

Expected<PrinterHandle> PdfPrinterSpooler::OpenPrinter(std::string_view name) {
    if (name != kName)
        return Fail("printer " + std::string(name) + " does not exist", kErrorInvalidPrinterName);
    return PrinterHandle(kName, std::make_unique<PdfPrinterState>());
}

Expected<PrintSettings> PdfPrinterSpooler::StoredSettings() const {
    const KeyValues values = ReadKeyValues(settingsFile_);
    PrintSettings s;
    // The file may have been edited by hand: take only what the printer offers.
    DevMode dm = ToDevMode(kName, PrintSettings{ValueOr(values, "paper", s.paper),
                                                ValueOr(values, "source", s.source),
                                                ValueOr(values, "duplex", s.duplex),
                                                ValueOr(values, "orientation", s.orientation),
                                                ValueOr(values, "copies", s.copies)});
    return MergeDevMode(s, dm, FixedPapers(), FixedBins());
}

Expected<PrinterInfo2> PdfPrinterSpooler::GetPrinter2(PrinterHandle& printer) {
    if (auto ok = CheckHandle(printer); !ok) return ok.failure();
    auto settings = StoredSettings();
    if (!settings) return settings.failure();
    PrinterInfo2 info;
    info.printerName = kName;
    info.portName = "pdf:" + OutputFolder().string();
    info.driverName = "QorPrt PDF";
    info.devMode = ToDevMode(kName, *settings);
    return info;
}

Status PdfPrinterSpooler::SetPrinter2(PrinterHandle& printer, const DevMode& devMode) {
    if (auto ok = CheckHandle(printer); !ok) return ok;
    auto settings = StoredSettings();
    if (!settings) return settings.failure();
    const PrintSettings s = MergeDevMode(*settings, devMode, FixedPapers(), FixedBins());
    KeyValues values = ReadKeyValues(settingsFile_);
    values["paper"] = std::to_string(s.paper);
    values["source"] = std::to_string(s.source);
    values["duplex"] = std::to_string(s.duplex);
    values["orientation"] = std::to_string(s.orientation);
    values["copies"] = std::to_string(s.copies);
    return WriteKeyValues(settingsFile_, values);
}

Expected<std::vector<PaperInfo>> PdfPrinterSpooler::Papers(PrinterHandle& printer) {
    if (auto ok = CheckHandle(printer); !ok) return ok.failure();
    return FixedPapers();
}

Expected<std::vector<BinInfo>> PdfPrinterSpooler::Bins(PrinterHandle& printer) {
    if (auto ok = CheckHandle(printer); !ok) return ok.failure();
    return FixedBins();
}

Expected<DevMode> PdfPrinterSpooler::DocumentProperties(PrinterHandle& printer, const DevMode* in) {
    if (auto ok = CheckHandle(printer); !ok) return ok.failure();
    auto settings = StoredSettings();
    if (!settings) return settings.failure();
    PrintSettings s = *settings;
    if (in) s = MergeDevMode(s, *in, FixedPapers(), FixedBins());
    return ToDevMode(kName, s);
}

Expected<int32_t> PdfPrinterSpooler::Resolution(PrinterHandle& printer) {
    if (auto ok = CheckHandle(printer); !ok) return ok.failure();
    return 600;
}

Status PdfPrinterSpooler::SubmitDocument(PrinterHandle& printer, const std::string& pdfPath,
                                         const std::string& title, const DevMode&) {
    // The spool document already has the device mode's paper and orientation; bins and duplex
    // mean nothing to a file.
    if (auto ok = CheckHandle(printer); !ok) return ok;
    // An empty or cut-short document is not delivered as a PDF.
    if (Status whole = CheckSpoolDocument(pdfPath); !whole) return whole;
    auto written = CopyToNewFile(pdfPath, OutputFolder(), PdfFileStem(title));
    if (!written) return written.failure();
    lastOutput_ = *written;
    return Ok();
}

std::string PdfFileStem(std::string_view title) {
    std::string t(title);
    while (!t.empty() && (t.back() == '"' || t.back() == ' '))
        t.pop_back();
    const size_t slash = t.find_last_of("/\\");
    if (slash != std::string::npos) t.erase(0, slash + 1);
    while (!t.empty() && (t.front() == '"' || t.front() == ' '))
        t.erase(0, 1);
    for (char& c : t) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c)) c = '_';
    }
    if (t.empty() || t == "." || t == "..") return "Dokument";
    if (t.size() > 200) {
        // Room for the counter and the extension, cut between two UTF-8 characters.
        size_t cut = 200;
        while (cut > 0 && (static_cast<unsigned char>(t[cut]) & 0xC0u) == 0x80u)
            --cut;
        t.resize(cut);
    }
    return t;
}

Expected<fs::path> CopyToNewFile(const fs::path& source, const fs::path& folder,
                                 const std::string& stem) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return Fail("cannot create " + folder.string() + ": " + ec.message());
    const UniqueFd input(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!input.Valid()) return Fail("cannot read " + source.string() + ": " + std::strerror(errno));

    for (int n = 1; n < 10000; ++n) {
        const fs::path target =
            folder / (n == 1 ? stem + ".pdf" : stem + " (" + std::to_string(n) + ").pdf");
        UniqueFd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        if (!out.Valid()) {
            if (errno == EEXIST) continue;
            return Fail("cannot create " + target.string() + ": " + std::strerror(errno));
        }
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(input.Get(), buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got == 0) break;
            bool failed = got < 0;
            for (ssize_t done = 0; !failed && done < got;) {
                const ssize_t put =
                    ::write(out.Get(), buffer + done, static_cast<size_t>(got - done));
                if (put < 0 && errno == EINTR) continue;
                failed = put <= 0;
                done += put;
            }
            if (failed) {
                const std::string why = std::strerror(errno);
                out = UniqueFd();
                fs::remove(target, ec);
                return Fail("cannot write " + target.string() + ": " + why);
            }
        }
        if (::close(out.Release()) != 0) {
            fs::remove(target, ec);
            return Fail("cannot write " + target.string());
        }
        return target;
    }
    return Fail("no free file name for " + stem + " in " + folder.string());
}

} // namespace qorprt
