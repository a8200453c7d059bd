#include "platform/printing/CupsSpooler.h"

#include "platform/printing/CupsHandles.h"
#include "platform/printing/UserOptionsFile.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unistd.h>

// libcups marks its PPD interface deprecated, but CUPS 2.x queues are still PPD queues and the
// PPD is the only place their input inputSlots and page sizes are listed with the names a job
// needs.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace qorprt {

void PpdCloser::operator()(ppd_file_t* ppd) const {
    ppdClose(ppd);
}

namespace {

// Papers and bins of a destination with the option values that select them.
struct MediaCatalog {
    bool fromPpd = false;
    std::vector<PaperInfo> papers;
    std::vector<std::string> paperKeywords; // same index as papers
    std::vector<PaperMargins> paperMargins; // same index as papers
    std::vector<BinInfo> bins;
    std::vector<std::string> binKeywords;
    PrintSettings driverDefaults;
    int32_t dpi = 600;
};

std::string Text(const char* s) {
    return s ? std::string(s) : std::string();
}

Failure LastError(const std::string& what) {
    int32_t code = kErrorGenFailure;
    switch (cupsLastError()) {
    case IPP_STATUS_ERROR_NOT_FOUND:
        code = kErrorInvalidPrinterName;
        break;
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
        code = kErrorAccessDenied;
        break;
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
        code = kErrorServerUnavailable;
        break;
    default:
        break;
    }
    return Fail(what + ": " + Text(cupsLastErrorString()), code);
}

// Gives up waiting for the server once the operation's time is over.
int KeepWaiting(http_t*, void* deadline) {
    return std::chrono::steady_clock::now() <
                   *static_cast<std::chrono::steady_clock::time_point*>(deadline)
               ? 1
               : 0;
}

// Whether the server answers a cheap request within the wait.
bool Answers(http_t* http) {
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-name");
    ipp_t* response = cupsDoRequest(http, request, "/");
    ippDelete(response);
    // "No default printer" is an answer too.
    return response != nullptr || cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND;
}

} // namespace

// A connection to the server, or none when it cannot be reached or does not answer within the
// timeout: a missing or hung scheduler must not stall the program. Afterwards a single request may
// take up to a minute while data keeps flowing (large documents, slow PPD generation).
class CupsConnection {
public:
    CupsConnection() = default;
    explicit CupsConnection(std::chrono::milliseconds timeout) {
        int cancel = 0;
        http_.reset(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                 static_cast<int>(timeout.count()), &cancel));
        if (!http_) return;
        // Waits come in short slices; the callback ends them at the deadline, which bounds
        // libcups' own retries as well.
        const auto slice = std::min(timeout, std::chrono::milliseconds(100));
        deadline_ = std::make_unique<std::chrono::steady_clock::time_point>(
            std::chrono::steady_clock::now() + timeout);
        httpSetTimeout(http_.get(), std::max(0.01, static_cast<double>(slice.count()) / 1000.0),
                       KeepWaiting, deadline_.get());
        if (!Answers(http_.get())) {
            http_.reset();
            return;
        }
        *deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    }
    http_t* get() const { return http_.get(); }
    explicit operator bool() const { return http_ != nullptr; }

private:
    HttpPtr http_;
    // Heap-held so the address handed to libcups stays valid when the connection moves.
    std::unique_ptr<std::chrono::steady_clock::time_point> deadline_;
};

namespace {

class CupsPrinterState : public PrinterHandleState {
public:
    CupsConnection http;
    DestArray dest; // one copied destination
    std::optional<MediaCatalog> catalog;

    cups_dest_t* Dest() const { return dest.data(); }
};

Failure NoServer() {
    return Fail("CUPS server " + Text(cupsServer()) + " not reachable", kErrorServerUnavailable);
}

std::string FromPpdText(const ppd_file_t* ppd, const char* text) {
    if (ppd->lang_encoding && std::strcmp(ppd->lang_encoding, "ISOLatin1") == 0)
        return QString::fromLatin1(text).toStdString();
    return Text(text);
}

int16_t DuplexFromKeyword(std::string_view v, int16_t fallback) {
    if (v == "None" || v == "one-sided") return DMDUP_SIMPLEX;
    if (v == "DuplexNoTumble" || v == "two-sided-long-edge") return DMDUP_VERTICAL;
    if (v == "DuplexTumble" || v == "two-sided-short-edge") return DMDUP_HORIZONTAL;
    return fallback;
}

const char* SidesFor(int16_t duplex) {
    switch (duplex) {
    case DMDUP_VERTICAL:
        return "two-sided-long-edge";
    case DMDUP_HORIZONTAL:
        return "two-sided-short-edge";
    default:
        return "one-sided";
    }
}

int16_t CodeOf(const std::vector<std::string>& keywords, const auto& infos, std::string_view kw,
               int16_t fallback) {
    for (size_t i = 0; i < keywords.size(); ++i)
        if (keywords[i] == kw) return infos[i].code;
    return fallback;
}

const std::string* KeywordOf(const std::vector<std::string>& keywords, const auto& infos,
                             int16_t code) {
    for (size_t i = 0; i < infos.size(); ++i)
        if (infos[i].code == code) return &keywords[i];
    return nullptr;
}

void LoadFromPpd(ppd_file_t* ppd, MediaCatalog& c) {
    c.fromPpd = true;
    std::vector<MediaEntry> media;
    if (ppd_option_t* o = ppdFindOption(ppd, "PageSize")) {
        for (int i = 0; i < o->num_choices; ++i) {
            const ppd_choice_t& ch = o->choices[i];
            if (std::strcmp(ch.choice, "Custom") == 0) continue;
            const ppd_size_t* size = ppdPageSize(ppd, ch.choice);
            if (!size) continue;
            media.push_back({ch.choice, FromPpdText(ppd, ch.text), PointsToTenthMm(size->width),
                             PointsToTenthMm(size->length)});
            // ImageableArea: the printable rectangle in points from the lower left corner.
            auto hundredths = [](double points) {
                return points <= 0 ? 0 : static_cast<int32_t>(std::lround(points * 2540.0 / 72.0));
            };
            c.paperMargins.push_back({hundredths(size->left), hundredths(size->length - size->top),
                                      hundredths(size->width - size->right),
                                      hundredths(size->bottom)});
        }
    }
    c.papers = AssignPaperCodes(media);
    for (const MediaEntry& m : media)
        c.paperKeywords.push_back(m.keyword);

    std::vector<MediaEntry> inputSlots;
    if (ppd_option_t* o = ppdFindOption(ppd, "InputSlot"))
        for (int i = 0; i < o->num_choices; ++i)
            inputSlots.push_back(
                {o->choices[i].choice, FromPpdText(ppd, o->choices[i].text), 0, 0});
    c.bins = AssignBinCodes(inputSlots);
    for (const MediaEntry& m : inputSlots)
        c.binKeywords.push_back(m.keyword);

    ppdMarkDefaults(ppd);
    PrintSettings& d = c.driverDefaults;
    if (ppd_choice_t* ch = ppdFindMarkedChoice(ppd, "PageSize"))
        d.paper = CodeOf(c.paperKeywords, c.papers, ch->choice, d.paper);
    else if (!c.papers.empty())
        d.paper = c.papers.front().code;
    if (ppd_choice_t* ch = ppdFindMarkedChoice(ppd, "InputSlot"))
        d.source = CodeOf(c.binKeywords, c.bins, ch->choice, d.source);
    if (ppd_choice_t* ch = ppdFindMarkedChoice(ppd, "Duplex"))
        d.duplex = DuplexFromKeyword(ch->choice, d.duplex);
    if (ppd_attr_t* a = ppdFindAttr(ppd, "DefaultResolution", nullptr); a && a->value) {
        const int dpi = std::atoi(a->value);
        if (dpi > 0) c.dpi = dpi;
    }
}

void LoadFromIpp(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, MediaCatalog& c) {
    std::vector<MediaEntry> media;
    const int count = cupsGetDestMediaCount(http, dest, info, 0);
    for (int i = 0; i < count; ++i) {
        cups_size_t size{};
        if (!cupsGetDestMediaByIndex(http, dest, info, i, 0, &size)) continue;
        bool seen = false;
        for (const MediaEntry& m : media)
            seen = seen || m.keyword == size.media;
        if (seen) continue;
        const char* name = cupsLocalizeDestMedia(http, dest, info, 0, &size);
        media.push_back({size.media, Text(name ? name : size.media), (size.width + 5) / 10,
                         (size.length + 5) / 10});
        // The medium of this size with the printer's default margins, not a borderless one.
        cups_size_t bordered = size;
        cupsGetDestMediaByName(http, dest, info, size.media, CUPS_MEDIA_FLAGS_DEFAULT, &bordered);
        c.paperMargins.push_back({std::max(0, bordered.left), std::max(0, bordered.top),
                                  std::max(0, bordered.right), std::max(0, bordered.bottom)});
    }
    c.papers = AssignPaperCodes(media);
    for (const MediaEntry& m : media)
        c.paperKeywords.push_back(m.keyword);

    std::vector<MediaEntry> sources;
    if (ipp_attribute_t* a = cupsFindDestSupported(http, dest, info, "media-source")) {
        for (int i = 0; i < ippGetCount(a); ++i) {
            const char* kw = ippGetString(a, i, nullptr);
            if (!kw) continue;
            const char* name = cupsLocalizeDestValue(http, dest, info, "media-source", kw);
            sources.push_back({kw, Text(name ? name : kw), 0, 0});
        }
    }
    c.bins = AssignBinCodes(sources);
    for (const MediaEntry& m : sources)
        c.binKeywords.push_back(m.keyword);

    PrintSettings& d = c.driverDefaults;
    if (ipp_attribute_t* a = cupsFindDestDefault(http, dest, info, "media"))
        d.paper = CodeOf(c.paperKeywords, c.papers, Text(ippGetString(a, 0, nullptr)), d.paper);
    if (ipp_attribute_t* a = cupsFindDestDefault(http, dest, info, "media-source"))
        d.source = CodeOf(c.binKeywords, c.bins, Text(ippGetString(a, 0, nullptr)), d.source);
    if (ipp_attribute_t* a = cupsFindDestDefault(http, dest, info, "sides"))
        d.duplex = DuplexFromKeyword(Text(ippGetString(a, 0, nullptr)), d.duplex);
    if (ipp_attribute_t* a = cupsFindDestDefault(http, dest, info, "orientation-requested"))
        if (ippGetInteger(a, 0) == IPP_ORIENT_LANDSCAPE) d.orientation = DMORIENT_LANDSCAPE;
    if (ipp_attribute_t* a = cupsFindDestDefault(http, dest, info, "printer-resolution")) {
        int y = 0;
        ipp_res_t units = IPP_RES_PER_INCH;
        const int x = ippGetResolution(a, 0, &y, &units);
        if (x > 0) c.dpi = units == IPP_RES_PER_CM ? static_cast<int32_t>(x * 254 / 100) : x;
    }
}

Expected<CupsPrinterState*> StateOf(PrinterHandle& printer) {
    auto* state = printer.State<CupsPrinterState>();
    if (!state) return Fail("printer handle is not open", kErrorInvalidHandle);
    return state;
}

Expected<const MediaCatalog*> CatalogOf(CupsPrinterState& s, const std::string& name) {
    if (!s.catalog) {
        MediaCatalog c;
        char path[1024] = "";
        time_t modified = 0;
        if (cupsGetPPD3(s.http.get(), name.c_str(), &modified, path, sizeof path) ==
            HTTP_STATUS_OK) {
            PpdPtr ppd(ppdOpenFile(path));
            unlink(path);
            if (!ppd) return Fail("cannot read the PPD of " + name);
            LoadFromPpd(ppd.get(), c);
        } else {
            DestInfoPtr info(cupsCopyDestInfo(s.http.get(), s.Dest()));
            if (!info) return LastError("cannot read the capabilities of " + name);
            LoadFromIpp(s.http.get(), s.Dest(), info.get(), c);
        }
        s.catalog = std::move(c);
    }
    return &*s.catalog;
}

// The user's saved options overlaid on the driver's defaults.
PrintSettings SettingsFromOptions(const MediaCatalog& c, int count, cups_option_t* options) {
    PrintSettings s = c.driverDefaults;
    auto takeMedia = [&](std::string_view list) {
        // "media" may list a size and a source: "A4,Tray1".
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(',', start);
            if (end == std::string_view::npos) end = list.size();
            const std::string_view item = list.substr(start, end - start);
            s.paper = CodeOf(c.paperKeywords, c.papers, item, s.paper);
            s.source = CodeOf(c.binKeywords, c.bins, item, s.source);
            start = end + 1;
        }
    };
    if (const char* v = cupsGetOption("media", count, options)) takeMedia(v);
    if (const char* v = cupsGetOption("PageSize", count, options))
        s.paper = CodeOf(c.paperKeywords, c.papers, v, s.paper);
    if (const char* v = cupsGetOption("media-source", count, options))
        s.source = CodeOf(c.binKeywords, c.bins, v, s.source);
    if (const char* v = cupsGetOption("InputSlot", count, options))
        s.source = CodeOf(c.binKeywords, c.bins, v, s.source);
    if (const char* v = cupsGetOption("Duplex", count, options))
        s.duplex = DuplexFromKeyword(v, s.duplex);
    if (const char* v = cupsGetOption("sides", count, options))
        s.duplex = DuplexFromKeyword(v, s.duplex);
    if (const char* v = cupsGetOption("orientation-requested", count, options))
        s.orientation =
            std::atoi(v) == IPP_ORIENT_LANDSCAPE ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    if (cupsGetOption("landscape", count, options)) s.orientation = DMORIENT_LANDSCAPE;
    if (const char* v = cupsGetOption("copies", count, options))
        if (const int n = std::atoi(v); n >= 1 && n <= 9999) s.copies = static_cast<int16_t>(n);
    return s;
}

// The destination as the server and the user's saved options describe it now.
Expected<cups_dest_t*> FreshDest(http_t* http, DestArray& dests, const std::string& name) {
    *dests.countRef() = cupsGetDests2(http, dests.destsRef());
    cups_dest_t* d = cupsGetDest(name.c_str(), nullptr, dests.count(), dests.data());
    if (!d) return Fail("printer " + name + " does not exist", kErrorInvalidPrinterName);
    return d;
}

// What the calls that read or write a printer's settings work on: its state, its media
// catalogue, and a fresh copy of its destination with the user's saved options (kept in `dests`).
struct DestView {
    CupsPrinterState* state = nullptr;
    const MediaCatalog* catalog = nullptr;
    cups_dest_t* dest = nullptr;
};

Expected<DestView> ViewDest(PrinterHandle& printer, DestArray& dests) {
    auto s = StateOf(printer);
    if (!s) return s.failure();
    auto c = CatalogOf(**s, printer.Name());
    if (!c) return c.failure();
    auto d = FreshDest((*s)->http.get(), dests, printer.Name());
    if (!d) return d.failure();
    return DestView{*s, *c, *d};
}

// The option names that select what a device mode holds, in all their spellings.
constexpr const char* kSettingOptions[] = {
    "media", "PageSize", "media-source",          "InputSlot",
    "sides", "Duplex",   "orientation-requested", "landscape",
    "copies"};

std::string Mm(int32_t tenths) {
    return QString::number(static_cast<double>(tenths) / 10.0, 'g', 6).toStdString();
}

// Job options selecting the settings (PPD queues need their own option names: a PPD queue
// ignores media-source).
void AddSettingOptions(const MediaCatalog& c, const PrintSettings& s,
                       const std::optional<std::pair<int32_t, int32_t>>& custom, OptionArray& out) {
    if (custom) {
        const std::string media = "Custom." + Mm(custom->first) + "x" + Mm(custom->second) + "mm";
        out.Add(c.fromPpd ? "PageSize" : "media", media.c_str());
    } else if (const std::string* kw = KeywordOf(c.paperKeywords, c.papers, s.paper)) {
        out.Add(c.fromPpd ? "PageSize" : "media", kw->c_str());
    }
    if (const std::string* kw = KeywordOf(c.binKeywords, c.bins, s.source))
        out.Add(c.fromPpd ? "InputSlot" : "media-source", kw->c_str());
    out.Add("sides", SidesFor(s.duplex));
    out.Add("orientation-requested", s.orientation == DMORIENT_LANDSCAPE ? "4" : "3");
    if (s.copies > 1) out.Add("copies", std::to_string(s.copies).c_str());
}

bool IsServerAttribute(std::string_view name) {
    return name.starts_with("printer-") || name.starts_with("marker-") || name == "device-uri";
}

} // namespace

CupsSpooler::CupsSpooler(std::chrono::milliseconds timeout) : timeout_(timeout) {}

bool CupsSpooler::Reachable() {
    return static_cast<bool>(Connect());
}

CupsConnection CupsSpooler::Connect() {
    // After a failed attempt the server counts as down for a moment, so that the several calls
    // of one job step do not each wait for it.
    const auto now = std::chrono::steady_clock::now();
    if (now < downUntil_) return CupsConnection();
    CupsConnection connection(timeout_);
    if (!connection) downUntil_ = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    return connection;
}

Expected<std::vector<std::string>> CupsSpooler::EnumPrinters() {
    CupsConnection http = Connect();
    if (!http) return NoServer();
    DestArray dests;
    *dests.countRef() = cupsGetDests2(http.get(), dests.destsRef());
    if (dests.count() == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE &&
        cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND)
        return LastError("cannot list the printers");
    std::vector<std::string> names;
    for (const cups_dest_t& d : dests)
        if (!d.instance) names.emplace_back(d.name);
    return names;
}

Expected<std::string> CupsSpooler::DefaultPrinter() {
    CupsConnection http = Connect();
    if (!http) return NoServer();
    DestArray dests;
    *dests.countRef() = cupsGetDests2(http.get(), dests.destsRef());
    if (cups_dest_t* d = cupsGetDest(nullptr, nullptr, dests.count(), dests.data());
        d && !d->instance)
        return std::string(d->name);
    return Fail("no default printer", kErrorFileNotFound);
}

Status CupsSpooler::SetDefaultPrinter(std::string_view name) {
    CupsConnection http = Connect();
    if (!http) return NoServer();
    DestArray dests;
    const std::string n(name);
    auto found = FreshDest(http.get(), dests, n);
    if (!found) return found.failure();
    for (cups_dest_t& d : dests)
        d.is_default = 0;
    (*found)->is_default = 1;
    if (cupsSetDests2(http.get(), dests.count(), dests.data()) != 0)
        return LastError("cannot save the default printer");
    return Ok();
}

Expected<PrinterHandle> CupsSpooler::OpenPrinter(std::string_view name) {
    auto state = std::make_unique<CupsPrinterState>();
    state->http = Connect();
    if (!state->http) return NoServer();
    const std::string n(name);
    DestArray dests;
    auto found = FreshDest(state->http.get(), dests, n);
    if (!found) return found.failure();
    *state->dest.countRef() = cupsCopyDest(*found, 0, state->dest.destsRef());
    return PrinterHandle(n, std::move(state));
}

Expected<std::vector<PaperInfo>> CupsSpooler::Papers(PrinterHandle& printer) {
    auto s = StateOf(printer);
    if (!s) return s.failure();
    auto c = CatalogOf(**s, printer.Name());
    if (!c) return c.failure();
    return (*c)->papers;
}

Expected<std::vector<BinInfo>> CupsSpooler::Bins(PrinterHandle& printer) {
    auto s = StateOf(printer);
    if (!s) return s.failure();
    auto c = CatalogOf(**s, printer.Name());
    if (!c) return c.failure();
    return (*c)->bins;
}

Expected<int32_t> CupsSpooler::Resolution(PrinterHandle& printer) {
    auto s = StateOf(printer);
    if (!s) return s.failure();
    auto c = CatalogOf(**s, printer.Name());
    if (!c) return c.failure();
    return (*c)->dpi;
}

Expected<PaperMargins> CupsSpooler::Margins(PrinterHandle& printer, const DevMode& devMode) {
    DestArray dests;
    auto v = ViewDest(printer, dests);
    if (!v) return v.failure();
    const MediaCatalog& cat = *v->catalog;
    const PrintSettings settings =
        MergeDevMode(SettingsFromOptions(cat, v->dest->num_options, v->dest->options), devMode,
                     cat.papers, cat.bins);
    // A custom size keeps the margins of the paper the settings name.
    for (size_t i = 0; i < cat.papers.size() && i < cat.paperMargins.size(); ++i)
        if (cat.papers[i].code == settings.paper) return cat.paperMargins[i];
    return PaperMargins{};
}

Expected<DevMode> CupsSpooler::DocumentProperties(PrinterHandle& printer, const DevMode* in) {
    DestArray dests;
    auto v = ViewDest(printer, dests);
    if (!v) return v.failure();
    const MediaCatalog& cat = *v->catalog;
    PrintSettings settings = SettingsFromOptions(cat, v->dest->num_options, v->dest->options);
    if (in) settings = MergeDevMode(settings, *in, cat.papers, cat.bins);
    return ToDevMode(printer.Name(), settings);
}

Expected<PrinterInfo2> CupsSpooler::GetPrinter2(PrinterHandle& printer) {
    auto s = StateOf(printer);
    if (!s) return s.failure();
    auto dm = DocumentProperties(printer, nullptr);
    if (!dm) return dm.failure();
    PrinterInfo2 info;
    info.printerName = printer.Name();
    cups_dest_t* d = (*s)->Dest();
    const char* uri = cupsGetOption("device-uri", d->num_options, d->options);
    info.portName = uri && *uri ? uri : "cups";
    info.driverName = Text(cupsGetOption("printer-make-and-model", d->num_options, d->options));
    info.devMode = *dm;
    return info;
}

Status CupsSpooler::SetPrinter2(PrinterHandle& printer, const DevMode& devMode) {
    DestArray dests;
    auto v = ViewDest(printer, dests);
    if (!v) return v.failure();
    const MediaCatalog& cat = *v->catalog;
    const cups_dest_t* dest = v->dest;
    const PrintSettings wanted = MergeDevMode(
        SettingsFromOptions(cat, dest->num_options, dest->options), devMode, cat.papers, cat.bins);

    // Only what differs from the driver's defaults is saved, so restoring the defaults leaves
    // the user's option file as it was. The user's other options stay untouched.
    const PrintSettings& base = cat.driverDefaults;
    std::vector<std::pair<std::string, std::string>> add;
    if (wanted.paper != base.paper)
        if (const std::string* kw = KeywordOf(cat.paperKeywords, cat.papers, wanted.paper))
            add.emplace_back(cat.fromPpd ? "PageSize" : "media", *kw);
    if (wanted.source != base.source)
        if (const std::string* kw = KeywordOf(cat.binKeywords, cat.bins, wanted.source))
            add.emplace_back(cat.fromPpd ? "InputSlot" : "media-source", *kw);
    if (wanted.duplex != base.duplex) add.emplace_back("sides", SidesFor(wanted.duplex));
    if (wanted.orientation != base.orientation)
        add.emplace_back("orientation-requested",
                         wanted.orientation == DMORIENT_LANDSCAPE ? "4" : "3");
    if (wanted.copies != base.copies) add.emplace_back("copies", std::to_string(wanted.copies));
    const std::vector<std::string> remove(std::begin(kSettingOptions), std::end(kSettingOptions));
    const Status saved = UserOptionsFile().ChangeOptions(printer.Name(), remove, add);
    if (!saved) return Fail("cannot save the settings of " + printer.Name() + ": " + saved.error());
    return Ok();
}

Expected<std::optional<std::string>> CupsSpooler::SaveDefaults(PrinterHandle& printer) {
    auto s = StateOf(printer);
    if (!s) return s.failure();
    auto saved = UserOptionsFile().Save(printer.Name());
    if (!saved) return saved.failure();
    return std::optional<std::string>(std::move(*saved));
}

Status CupsSpooler::RestoreDefaults(PrinterHandle& printer, const std::string& saved) {
    auto s = StateOf(printer);
    if (!s) return s.failure();
    const Status restored = UserOptionsFile().Restore(printer.Name(), saved);
    if (!restored)
        return Fail("cannot restore the settings of " + printer.Name() + ": " + restored.error());
    return Ok();
}

Status CupsSpooler::SubmitDocument(PrinterHandle& printer, const std::string& pdfPath,
                                   const std::string& title, const DevMode& devMode) {
    DestArray dests;
    auto v = ViewDest(printer, dests);
    if (!v) return v.failure();
    http_t* http = v->state->http.get();
    const MediaCatalog& cat = *v->catalog;
    const cups_dest_t* d = v->dest;
    const PrintSettings settings = MergeDevMode(
        SettingsFromOptions(cat, d->num_options, d->options), devMode, cat.papers, cat.bins);

    // libcups leaves the user's saved options to the client, as lp does: pass them along, with
    // the device mode's settings in place of theirs.
    OptionArray options;
    AddSettingOptions(cat, settings, CustomPaperSize(devMode), options);
    for (int i = 0; i < d->num_options; ++i) {
        const cups_option_t& o = d->options[i];
        bool setting = false;
        for (const char* name : kSettingOptions)
            setting = setting || std::strcmp(name, o.name) == 0;
        if (!setting && !IsServerAttribute(o.name)) options.Add(o.name, o.value);
    }
    const int job = cupsPrintFile2(http, printer.Name().c_str(), pdfPath.c_str(), title.c_str(),
                                   options.count(), options.data());
    if (job <= 0) return LastError("cannot print on " + printer.Name());
    return Ok();
}

} // namespace qorprt
