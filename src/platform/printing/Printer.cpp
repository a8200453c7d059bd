#include "platform/printing/Printer.h"

#include "platform/canvas/Fonts.h"
#include "platform/printing/SpoolCheck.h"
#include "platform/system/Errors.h"
#include "platform/system/Files.h"
#include "platform/text/Encoding.h"
#include "platform/text/QtText.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace qorprt {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNoDefaultPrinter = "There is no default printer currently selected";
constexpr const char* kPrinting = "Printing in progress";
constexpr const char* kNotPrinting = "Printer is not currently printing";
constexpr const char* kIndexError = "Printer index out of range";
constexpr const char* kInvalidPrinter = "Printer selected is not valid";

bool Landscape(const DevMode& dm) {
    return (dm.dmFields & DM_ORIENTATION) && dm.dmOrientation == DMORIENT_LANDSCAPE;
}

// The page: the whole paper, with the unprintable margins (device pixels, as the page stands)
// as the layout's margins, so that the painter's origin is the printable area's corner.
QPageLayout LayoutFor(const DevMode& dm, const std::vector<PaperInfo>& papers,
                      const PrintableMargins& margins, int32_t dpi) {
    int32_t width = 2100;
    int32_t height = 2970;
    if (auto custom = CustomPaperSize(dm)) {
        width = custom->first;
        height = custom->second;
    } else if (dm.dmFields & DM_PAPERSIZE) {
        if (const PaperInfo* p = FindPaper(papers, dm.dmPaperSize); p && p->width > 0) {
            width = p->width;
            height = p->height;
        } else if (const KnownPaper* k = FindKnownPaper(dm.dmPaperSize)) {
            width = k->width;
            height = k->height;
        }
    }
    const QPageSize size(QSizeF(width / 10.0, height / 10.0), QPageSize::Millimeter, QString(),
                         QPageSize::FuzzyMatch);
    const double points = 72.0 / dpi;
    const QMarginsF unprintable(margins.left * points, margins.top * points, margins.right * points,
                                margins.bottom * points);
    QPageLayout layout(size, Landscape(dm) ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
    // Margins that leave no printable area are no margins.
    if (!layout.setMargins(unprintable)) layout.setMargins(QMarginsF(0, 0, 0, 0));
    return layout;
}

// Hundredths of a millimetre in device pixels.
int32_t Pixels(int32_t hundredths, int32_t dpi) {
    return static_cast<int32_t>(std::lround(static_cast<double>(hundredths) * dpi / 2540.0));
}

constexpr const char* kSpoolPrefix = "qorprt-spool-";

// A spool file and the lock that says it is in use: the start of a later instance removes only
// the spool files whose lock it can take, those of instances that ended without removing them.
struct LockedSpool {
    fs::path path;
    UniqueFd lock;
};

// A new, empty file for the spool document in the temporary folder, locked.
LockedSpool NewSpoolFile() {
    for (int attempt = 0; attempt < 10; ++attempt) {
        std::string pattern = (QDir::tempPath() + "/" + kSpoolPrefix + "XXXXXX.pdf").toStdString();
        UniqueFd fd(::mkostemps(pattern.data(), 4, O_CLOEXEC));
        if (!fd.Valid())
            throw EPrinter("Cannot create the spool document in " + QDir::tempPath().toStdString());
        struct stat info {};
        // A start that cleaned up between the creation and the lock removed the name: anew.
        if (::flock(fd.Get(), LOCK_EX) == 0 && ::fstat(fd.Get(), &info) == 0 && info.st_nlink > 0)
            return {pattern, std::move(fd)};
    }
    throw EPrinter("Cannot lock the spool document in " + QDir::tempPath().toStdString());
}

} // namespace

// One spool document (or the scratch document between documents): the PDF writer, the canvas
// drawing on it and, for a real document, its file, removed when the document goes. The writer
// writes through a file of our own, whose error state tells whether every byte reached the disk.
class Printer::Document {
public:
    Document(const QPageLayout& layout, int32_t dpi, const std::string& title,
             const CanvasFactory& factory, LockedSpool file)
        : file_{std::move(file.path), std::move(file.lock)}, layout_(layout), dpi_(dpi) {
        if (file_.path.empty()) {
            buffer_ = std::make_unique<QBuffer>();
            buffer_->open(QIODevice::WriteOnly);
            writer_ = std::make_unique<QPdfWriter>(buffer_.get());
        } else {
            out_ = std::make_unique<QFile>(QString::fromStdString(file_.path.string()));
            if (!out_->open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw EPrinter("Cannot open the spool document " + file_.path.string() + ": " +
                               out_->errorString().toStdString());
            writer_ = std::make_unique<QPdfWriter>(out_.get());
        }
        writer_->setResolution(dpi);
        writer_->setPageLayout(layout);
        writer_->setTitle(QString::fromStdString(title));
        writer_->setCreator(QStringLiteral("QorPrt"));
        canvas_ = factory(*writer_, dpi);
        if (!canvas_) throw EPrinter("No canvas for the spool document");
    }
    ~Document() {
        // The canvas may still paint on the writer; both go before the file.
        canvas_.reset();
        writer_.reset();
    }

    qorprt::Canvas& Canvas() { return *canvas_; }
    void NewPage() {
        writer_->newPage();
        ++pages_;
    }
    // Ends the drawing and completes the file: a document nobody painted on still gets its
    // pages, blank. Fails, saying why, when the file did not come out whole (a full disk).
    Expected<fs::path> Finish() {
        canvas_.reset();
        writer_.reset();
        if (Status written = CloseFile(); !written) return written.failure();
        std::error_code ec;
        if (fs::file_size(file_.path, ec) == 0 && !ec) {
            if (!out_->open(QIODevice::WriteOnly | QIODevice::Truncate))
                return Fail("Spooldatei " + file_.path.string() +
                            " verworfen: " + out_->errorString().toStdString());
            {
                QPdfWriter blank(out_.get());
                blank.setResolution(dpi_);
                blank.setPageLayout(layout_);
                QPainter painter(&blank);
                for (int i = 1; i < pages_; ++i)
                    blank.newPage();
            }
            if (Status written = CloseFile(); !written) return written.failure();
        }
        if (Status whole = CheckSpoolDocument(file_.path); !whole) return whole.failure();
        return file_.path;
    }

private:
    // Removes the spool file however the document ends, a failing constructor included.
    struct SpoolFile {
        fs::path path;
        UniqueFd lock; // released after the file is gone
        ~SpoolFile() {
            std::error_code ec;
            if (!path.empty()) fs::remove(path, ec);
        }
    };

    // A write that failed on the way (the writer does not look) stays in the file's error.
    Status CloseFile() {
        const bool failed = !out_->flush() || out_->error() != QFileDevice::NoError;
        std::string why = out_->errorString().toStdString();
        out_->close();
        // A write cut short by a full disk leaves no error number behind; say what it was.
        struct statvfs vfs {};
        if (failed && (why.empty() || why == "Unknown error") &&
            ::statvfs(file_.path.parent_path().c_str(), &vfs) == 0 && vfs.f_bavail == 0)
            why = std::strerror(ENOSPC);
        if (failed)
            return Fail("Spooldatei " + file_.path.string() + " verworfen: Schreibfehler (" + why +
                        ")");
        return Ok();
    }

    SpoolFile file_;
    QPageLayout layout_;
    int32_t dpi_;
    std::unique_ptr<QBuffer> buffer_;
    std::unique_ptr<QFile> out_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<qorprt::Canvas> canvas_;
    int pages_ = 1;
};

// The printer's one canvas: hands every operation, with its font, pen, brush and pen position,
// to the canvas of the open document or of the scratch document.
class Printer::ProxyCanvas : public qorprt::Canvas {
public:
    explicit ProxyCanvas(Printer& printer) : printer_(printer) {}

    int32_t PixelsPerInch() const override { return printer_.Dpi(); }
    void TextOut(int32_t x, int32_t y, std::string_view text) override {
        Sync().TextOut(x, y, text);
        Back();
    }
    void TextOutW(int32_t x, int32_t y, char16_t ch) override {
        Sync().TextOutW(x, y, ch);
        Back();
    }
    Size TextExtent(std::string_view text) override { return Sync().TextExtent(text); }
    TextMetrics GetTextMetrics() override { return Sync().GetTextMetrics(); }
    void LineTo(int32_t x, int32_t y) override {
        Sync().LineTo(x, y);
        Back();
    }
    void Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) override {
        Sync().Rectangle(l, t, r, b);
        Back();
    }
    void Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) override {
        Sync().Ellipse(l, t, r, b);
        Back();
    }
    void FillRect(const Rect& rect) override {
        Sync().FillRect(rect);
        Back();
    }
    Rect ClipRect() const override { return printer_.Target().ClipRect(); }
    void StretchDraw(const Rect& rect, const Image& image) override {
        Sync().StretchDraw(rect, image);
        Back();
    }

private:
    qorprt::Canvas& Sync() {
        qorprt::Canvas& t = printer_.Target();
        const CanvasFont& f = Font();
        t.SetFontName(f.name);
        t.SetFontSize(f.size);
        t.SetFontStyle(f.style);
        t.SetFontColor(f.color);
        if (f.defaultCharset) t.SetFontDefaultCharset();
        t.SetPenWidth(Pen().width);
        t.SetPenColor(Pen().color);
        t.SetBrushColor(Brush().color);
        t.SetBrushStyle(Brush().style);
        t.SetTextFlags(TextFlags());
        t.MoveTo(PenPos().x, PenPos().y);
        return t;
    }
    // Drawing may move the pen.
    void Back() { SetPenPos(printer_.Target().PenPos()); }

    Printer& printer_;
};

Printer::Printer(Spooler& spooler, CanvasFactory canvasFactory)
    : spooler_(spooler), factory_(std::move(canvasFactory)),
      canvas_(std::make_unique<ProxyCanvas>(*this)) {}

Printer::~Printer() = default;

const std::vector<std::string>& Printer::Printers() {
    if (!printers_) {
        auto list = spooler_.EnumPrinters();
        printers_ = list ? std::move(*list) : std::vector<std::string>();
    }
    return *printers_;
}

std::string Printer::CurrentName() {
    if (current_.empty()) {
        auto name = spooler_.DefaultPrinter();
        if (!name || name->empty()) throw EPrinter(kNoDefaultPrinter);
        current_ = *name;
    }
    return current_;
}

int32_t Printer::PrinterIndex() {
    const std::vector<std::string>& list = Printers();
    for (int pass = 0; pass < 2; ++pass) {
        const std::string name = CurrentName();
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i] == name) return static_cast<int32_t>(i);
        // The current printer has gone: fall back to the default printer.
        current_.clear();
        devMode_.reset();
        dpi_.reset();
        margins_.reset();
    }
    throw EPrinter(kNoDefaultPrinter);
}

void Printer::SetPrinterIndex(int32_t index) {
    if (Printing()) throw EPrinter(kPrinting);
    std::string name;
    if (index == -1) {
        auto def = spooler_.DefaultPrinter();
        if (!def || def->empty()) throw EPrinter(kNoDefaultPrinter);
        name = *def;
    } else {
        const std::vector<std::string>& list = Printers();
        if (index < 0 || static_cast<size_t>(index) >= list.size()) throw EPrinter(kIndexError);
        name = list[static_cast<size_t>(index)];
    }
    current_ = name;
    devMode_.reset();
    dpi_.reset();
    margins_.reset();
    papers_.clear();
    fonts_.reset();
    ResetScratch();
}

void Printer::SetPrinter(const std::string& device, const std::string&, const std::string&,
                         const DevMode* devMode) {
    if (Printing()) throw EPrinter(kPrinting);
    auto handle = spooler_.OpenPrinter(device);
    if (!handle) throw EPrinter(std::string(kInvalidPrinter) + " (" + handle.error() + ")");
    DevMode taken;
    if (devMode) {
        taken = *devMode;
    } else {
        auto defaults = spooler_.DocumentProperties(*handle, nullptr);
        if (!defaults) throw EPrinter(std::string(kInvalidPrinter) + " (" + defaults.error() + ")");
        taken = *defaults;
    }
    auto papers = spooler_.Papers(*handle);
    auto dpi = spooler_.Resolution(*handle);
    auto margins = spooler_.Margins(*handle, taken);
    current_ = handle->Name();
    devMode_ = taken;
    papers_ = papers ? std::move(*papers) : std::vector<PaperInfo>();
    dpi_ = dpi && *dpi > 0 ? *dpi : 600;
    margins_ = margins ? *margins : PaperMargins{};
    fonts_.reset();
    ResetScratch();
}

void Printer::Refresh() {
    printers_.reset();
    fonts_.reset();
}

const std::vector<std::string>& Printer::Fonts() {
    if (!fonts_) {
        // A printer here prints with the machine's fonts: fontconfig's list with the Windows
        // names of their metric twins ("Arial Narrow") and the barcode fonts the canvas draws
        // itself, as the screen has them.
        fonts_ = InstalledFontNamesAnsi();
    }
    return *fonts_;
}

void Printer::TakeUpDevMode() {
    if (devMode_ && dpi_) return;
    const std::string name = CurrentName();
    auto handle = spooler_.OpenPrinter(name);
    if (handle) {
        if (!devMode_) {
            if (auto dm = spooler_.DocumentProperties(*handle, nullptr)) devMode_ = *dm;
            if (auto papers = spooler_.Papers(*handle)) papers_ = std::move(*papers);
        }
        if (auto dpi = spooler_.Resolution(*handle); dpi && *dpi > 0) dpi_ = *dpi;
        if (!margins_ && devMode_)
            if (auto margins = spooler_.Margins(*handle, *devMode_)) margins_ = *margins;
    } else {
        lastError_ = handle.error();
    }
    // A printer that cannot tell still gets a document: A4 portrait at 600 dpi.
    if (!devMode_)
        devMode_ = MakeDevMode(name, DMPAPER_A4, DMORIENT_PORTRAIT, DMBIN_AUTO, DMDUP_SIMPLEX);
    if (!dpi_) dpi_ = 600;
    if (!margins_) margins_ = PaperMargins{};
}

PrintableMargins Printer::Unprintable() {
    TakeUpDevMode();
    const int32_t dpi = *dpi_;
    const PaperMargins m = margins_.value_or(PaperMargins{});
    // Landscape turns the paper a quarter turn anticlockwise, as IPP's landscape does: the
    // page's left edge is the paper's bottom edge, its top edge the paper's left edge.
    if (Landscape(*devMode_))
        return {Pixels(m.bottom, dpi), Pixels(m.left, dpi), Pixels(m.top, dpi),
                Pixels(m.right, dpi)};
    return {Pixels(m.left, dpi), Pixels(m.top, dpi), Pixels(m.right, dpi), Pixels(m.bottom, dpi)};
}

Point Printer::PhysicalOffset() {
    const PrintableMargins m = Unprintable();
    return {m.left, m.top};
}

DevMode Printer::CurrentDevMode() {
    TakeUpDevMode();
    return *devMode_;
}

int32_t Printer::Dpi() {
    if (!dpi_) TakeUpDevMode();
    return *dpi_;
}

int32_t Printer::PageWidth() {
    return LayoutFor(CurrentDevMode(), papers_, {}, Dpi()).fullRectPixels(Dpi()).width();
}

int32_t Printer::PageHeight() {
    return LayoutFor(CurrentDevMode(), papers_, {}, Dpi()).fullRectPixels(Dpi()).height();
}

void Printer::ResetScratch() {
    scratch_.reset();
}

qorprt::Canvas& Printer::Canvas() {
    return *canvas_;
}

qorprt::Canvas& Printer::Target() {
    if (document_) return document_->Canvas();
    if (!scratch_) {
        TakeUpDevMode();
        scratch_ = std::make_unique<Document>(LayoutFor(*devMode_, papers_, Unprintable(), *dpi_),
                                              *dpi_, Title, factory_, LockedSpool());
    }
    return scratch_->Canvas();
}

void Printer::BeginDoc() {
    if (Printing()) throw EPrinter(kPrinting);
    TakeUpDevMode();
    ResetScratch();
    document_ = std::make_unique<Document>(LayoutFor(*devMode_, papers_, Unprintable(), *dpi_),
                                           *dpi_, Title, factory_, NewSpoolFile());
    pageNumber_ = 1;
    lastError_.clear();
}

Status Printer::EndDoc() {
    if (!Printing()) throw EPrinter(kNotPrinting);
    std::unique_ptr<Document> document = std::move(document_);
    // A document that did not come out whole is discarded, never submitted.
    const auto file = document->Finish();
    Status result = Ok();
    if (!file) {
        result = file.failure();
    } else if (auto handle = spooler_.OpenPrinter(current_); !handle) {
        result = handle.failure();
    } else {
        result = spooler_.SubmitDocument(*handle, file->string(), Title, *devMode_);
    }
    lastError_ = result.error();
    return result;
}

void Printer::Abort() {
    if (!Printing()) throw EPrinter(kNotPrinting);
    document_.reset();
}

void Printer::NewPage() {
    if (!Printing()) throw EPrinter(kNotPrinting);
    document_->NewPage();
    ++pageNumber_;
}

void RemoveAbandonedSpoolFiles() {
    const std::string folder = QDir::tempPath().toStdString() + "/";
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(kSpoolPrefix) || !name.ends_with(".pdf")) continue;
        const std::string path = folder + std::string(name);
        const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info {};
        // Only our own spool files, and only those no running instance holds.
        if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid() || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (info.st_nlink > 0) ::unlink(path.c_str());
    }
}

} // namespace qorprt
