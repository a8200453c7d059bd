#include "pdf/QtPdfEngine.h"

#include "pdf/ArchiveFile.h"
#include "pdf/PdfFilePath.h"
#include "platform/canvas/BarcodeFonts.h"
#include "platform/canvas/PictureFile.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/system/Files.h"
#include "platform/system/Log.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"
#include "platform/text/QtText.h"

#include <QDir>
#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QImageReader>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QTemporaryFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <optional>

namespace qorprt {

namespace fs = std::filesystem;

namespace {

constexpr double kCmPerInch = 2.54;

// Em heights beyond this are clamped, as on the canvas.
constexpr int32_t kMaxFontPixels = 8000;

// Fonts kept realised per document.
constexpr size_t kMaxFonts = 32;

// Lines gathered into one path, glyphs into one run at most.
constexpr size_t kMaxPendingLines = 4096;
constexpr qsizetype kMaxPendingGlyphs = 16384;

constexpr const char* kCode128 = "Code 128";

// See Document::BaselineDrop, in engine units.
constexpr double kBaselineDrop = 60.0 / 235.0;

QPageLayout LayoutFor(const PdfPageFormat& format) {
    const double width = format.widthMm > 0 ? format.widthMm : 210.0;
    const double height = format.heightMm > 0 ? format.heightMm : 297.0;
    const bool landscape = width > height;
    const QPageSize size(QSizeF(std::min(width, height), std::max(width, height)),
                         QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

} // namespace

// One open document: the spool file, the writer and painter drawing into it, and the engine's
// settings for it.
//
// Lines and texts are black on white, so their order among each other does not show: lines in a
// row are stroked as one path, and texts in one font are drawn as one glyph run, so that a
// table's rules and cells cost one drawing operation of the PDF per font instead of one each.
// Everything else is drawn in its order, after what came before it.
class QtPdfEngine::Document {
public:
    struct FontSettings {
        std::string name;
        int32_t points = 10;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool operator==(const FontSettings&) const = default;
    };

    // A font realised for drawing: the glyph and the advance of each Windows-1252 byte, looked
    // up once. Advances are whole device pixels, as on the printer canvas, so a text measures
    // the same there and here.
    struct Realised {
        FontSettings settings;
        QRawFont raw;
        double pixelSize = 0;
        double ascent = 0;
        double height = 0;
        // The underline's offset below the baseline and its thickness, as the printer canvas
        // draws it.
        double underlineOffset = 1;
        double underlineThickness = 1;
        std::array<quint32, 256> glyphs{};
        std::array<int32_t, 256> advances{};
    };

    Document(const PdfPageFormat& format, const std::string& title)
        : dpi_(format.dpi > 0 ? format.dpi : 600),
          spool_(QDir::tempPath() + QStringLiteral("/qorprt-pdf-XXXXXX.pdf")) {
        if (!spool_.open()) return;
        writer_ = std::make_unique<QPdfWriter>(&spool_);
        writer_->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        writer_->setResolution(dpi_);
        writer_->setPageLayout(LayoutFor(format));
        writer_->setTitle(AnsiToQString(title));
        writer_->setCreator(QStringLiteral("QorPrt"));
        if (!painter_.begin(writer_.get())) return;
        painter_.setRenderHint(QPainter::Antialiasing, true);
        painter_.setRenderHint(QPainter::LosslessImageRendering, true);
    }
    ~Document() {
        if (painter_.isActive()) painter_.end();
    }

    bool Drawing() const { return painter_.isActive(); }
    int32_t Dpi() const { return dpi_; }
    double Device(double cm) const { return cm / kCmPerInch * dpi_; }
    double Cm(double device) const { return device / dpi_ * kCmPerInch; }

    void NewPage() {
        if (!Drawing()) return;
        Flush();
        writer_->newPage();
    }

    // The spool document, complete; empty when drawing or writing it failed.
    std::optional<std::string> Finish() {
        if (painter_.isActive()) {
            Flush();
            painter_.end();
        }
        writer_.reset();
        if (!spool_.flush() || spool_.error() != QFileDevice::NoError || spool_.size() == 0)
            return std::nullopt;
        return spool_.fileName().toStdString();
    }

    // The painter for what keeps its order, with the lines and texts before it drawn.
    QPainter& Paint() {
        Flush();
        return painter_;
    }
    // Text, lines and rings share one pen, so that the page does not switch pens between them:
    // round ends and joins, as the printer's wide pens have. Boxes keep square corners.
    QPainter& PaintWithLinePen() {
        Flush();
        UsePen(Qt::RoundCap, Qt::RoundJoin);
        return painter_;
    }
    QPainter& PaintWithBoxPen() {
        Flush();
        UsePen(Qt::SquareCap, Qt::MiterJoin);
        return painter_;
    }

    void AddLine(const QLineF& line) {
        if (pendingLines_.size() >= kMaxPendingLines) FlushLines();
        pendingLines_.push_back(line);
    }
    // Text with its baseline's left end at `origin`. Blanks leave no ink and are left out; the
    // gaps read as blanks. An underline runs under the whole text, blanks included, as on paper.
    void AddText(const Realised& realised, QPointF origin, const std::string& text) {
        if (pendingFont_ != &realised || pendingGlyphs_.size() >= kMaxPendingGlyphs) FlushText();
        pendingFont_ = &realised;
        int64_t pen = 0;
        for (char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (c != ' ') {
                pendingGlyphs_.push_back(realised.glyphs[byte]);
                pendingPositions_.push_back(origin + QPointF(static_cast<qreal>(pen), 0));
            }
            pen += realised.advances[byte];
        }
        if (realised.settings.underline && pen > 0)
            pendingUnderlines_.push_back(QRectF(origin.x(), origin.y() + realised.underlineOffset,
                                                static_cast<qreal>(pen),
                                                realised.underlineThickness));
    }

    // Where a text's baseline lies below the point it is placed at: a tenth of an inch of the
    // printer page (60 pixels at 600 dpi, 60/235 units), for every font and size. The pieces of
    // one line thus share their baseline, as on the printed page, and text moves down as far as
    // the lines do, so that it keeps its place between the rules.
    double BaselineDrop() const { return Device(kBaselineDrop); }

    void SetPenPixels(int32_t pixels) {
        FlushLines();
        penPixels_ = pixels;
    }

    // The font of the engine's settings.
    const Realised& Font() {
        if (current_ && current_->settings == font) return *current_;
        for (const auto& r : fonts_)
            if (r->settings == font) return *(current_ = r.get());
        // A page switches between a handful of fonts; beyond that start afresh.
        if (fonts_.size() >= kMaxFonts) {
            FlushText();
            current_ = nullptr;
            fonts_.clear();
        }
        fonts_.push_back(Realise(font));
        return *(current_ = fonts_.back().get());
    }

    // The picture from the file, read once for as long as the file stays the same, so that a
    // picture placed on many pages is embedded once.
    const QImage* Picture(const std::string& fileName) {
        const std::string path = FileSystemPath(fileName);
        std::error_code ec;
        const auto stamp = fs::last_write_time(path, ec);
        if (ec) return nullptr;
        const auto size = fs::file_size(path, ec);
        if (ec) return nullptr;
        if (!picture_ || picturePath_ != path || pictureStamp_ != stamp || pictureSize_ != size) {
            Expected<QImage> image = ReadPictureFile(fileName, nullptr);
            if (!image) return nullptr;
            picture_ = std::move(*image);
            picturePath_ = path;
            pictureStamp_ = stamp;
            pictureSize_ = size;
        }
        return &*picture_;
    }

    FontSettings font;
    int32_t transparent = 1;
    int32_t fill = 0xFFFFFF;
    int32_t pictureXDpi = 300;
    int32_t pictureYDpi = 300;
    int32_t eccLevel = 4;
    int32_t columns = 7;
    double lastBottom = 0;
    ArchiveInfo info;

private:
    std::unique_ptr<Realised> Realise(const FontSettings& settings) const;

    void Flush() {
        FlushLines();
        FlushText();
    }
    void FlushLines() {
        if (pendingLines_.empty()) return;
        UsePen(Qt::RoundCap, Qt::RoundJoin);
        painter_.drawLines(pendingLines_.data(), static_cast<int>(pendingLines_.size()));
        pendingLines_.clear();
    }
    void FlushText() {
        if (!pendingGlyphs_.isEmpty()) {
            UsePen(Qt::RoundCap, Qt::RoundJoin);
            QGlyphRun run;
            run.setRawFont(pendingFont_->raw);
            run.setGlyphIndexes(pendingGlyphs_);
            run.setPositions(pendingPositions_);
            painter_.drawGlyphRun(QPointF(0, 0), run);
            pendingGlyphs_.clear();
            pendingPositions_.clear();
        }
        for (const QRectF& underline : pendingUnderlines_)
            painter_.fillRect(underline, Qt::black);
        pendingUnderlines_.clear();
    }
    void UsePen(Qt::PenCapStyle cap, Qt::PenJoinStyle join) {
        const QPen pen(Qt::black, std::max(1, penPixels_), Qt::SolidLine, cap, join);
        if (painter_.pen() != pen) painter_.setPen(pen);
        if (painter_.brush().style() != Qt::NoBrush) painter_.setBrush(Qt::NoBrush);
    }

    int32_t dpi_;
    QTemporaryFile spool_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
    int32_t penPixels_ = 2;
    std::vector<std::unique_ptr<Realised>> fonts_;
    Realised* current_ = nullptr;
    std::vector<QLineF> pendingLines_;
    const Realised* pendingFont_ = nullptr;
    QList<quint32> pendingGlyphs_;
    QList<QPointF> pendingPositions_;
    std::vector<QRectF> pendingUnderlines_;
    std::optional<QImage> picture_;
    std::string picturePath_;
    fs::file_time_type pictureStamp_{};
    uintmax_t pictureSize_ = 0;
};

std::unique_ptr<QtPdfEngine::Document::Realised>
QtPdfEngine::Document::Realise(const FontSettings& settings) const {
    auto r = std::make_unique<Realised>();
    r->settings = settings;
    const int32_t pixels = static_cast<int32_t>(std::clamp<int64_t>(
        std::abs(int64_t{MulDiv(settings.points, dpi_, 72)}), 1, kMaxFontPixels));
    QFont qfont(AnsiToQString(settings.name));
    qfont.setPixelSize(pixels);
    qfont.setWeight(settings.bold ? QFont::Bold : QFont::Normal);
    qfont.setItalic(settings.italic);
    qfont.setKerning(false);
    qfont.setHintingPreference(QFont::PreferFullHinting);
    r->raw = QRawFont::fromFont(qfont);
    r->pixelSize = pixels;
    if (!r->raw.isValid()) return r; // no font at all: the text is not drawn
    r->ascent = r->raw.ascent();
    r->height = r->raw.ascent() + r->raw.descent();
    // The printer canvas's underline: on the font's underline position, never touching the
    // glyphs on the baseline, never leaving the cell (whole device pixels, as there).
    const double thickness = std::max(1.0, std::round(r->raw.lineThickness()));
    const double descent = std::round(r->raw.descent());
    r->underlineOffset =
        std::min(std::max(std::round(r->raw.underlinePosition() - thickness / 2.0), 1.0),
                 std::max(1.0, descent - thickness));
    r->underlineThickness = thickness;
    std::array<QChar, 256> chars;
    for (size_t i = 0; i < chars.size(); ++i)
        chars[i] = QChar(Cp1252ToUnicode(static_cast<unsigned char>(i)));
    int count = static_cast<int>(chars.size());
    if (!r->raw.glyphIndexesForChars(chars.data(), count, r->glyphs.data(), &count) ||
        count != static_cast<int>(chars.size()))
        r->glyphs.fill(0);
    std::array<QPointF, 256> advances;
    r->raw.advancesForGlyphIndexes(r->glyphs.data(), advances.data(), count,
                                   QRawFont::UseDesignMetrics);
    for (size_t i = 0; i < advances.size(); ++i)
        r->advances[i] = static_cast<int32_t>(std::lround(advances[i].x()));
    return r;
}

QtPdfEngine::QtPdfEngine(PageFormatSource pageFormat, BarcodePainters painters)
    : pageFormat_(std::move(pageFormat)), painters_(std::move(painters)) {}

QtPdfEngine::~QtPdfEngine() = default;

QtPdfEngine::Document* QtPdfEngine::Find(int32_t doc) {
    const auto it = documents_.find(doc);
    return it == documents_.end() || !it->second->Drawing() ? nullptr : it->second.get();
}

int32_t QtPdfEngine::OpenDocument(const std::string& title, uint32_t) {
    const PdfPageFormat format = pageFormat_ ? pageFormat_() : PdfPageFormat{};
    auto document = std::make_unique<Document>(format, title);
    if (!document->Drawing()) return 0;
    const int32_t doc = nextHandle_;
    nextHandle_ = nextHandle_ == INT32_MAX ? 1 : nextHandle_ + 1;
    documents_[doc] = std::move(document);
    return doc;
}

int32_t QtPdfEngine::WriteDocument(int32_t doc, const std::string& fileName) {
    writeError_.clear();
    const auto it = documents_.find(doc);
    if (it == documents_.end()) {
        writeError_ = "no open PDF document";
        return 0;
    }
    const std::optional<std::string> spool = it->second->Finish();
    if (!spool) {
        WriteLog(10, "WriteDocument: Das PDF-Dokument konnte nicht geschrieben werden.");
        writeError_ = "the PDF document could not be drawn in " + QDir::tempPath().toStdString();
        return 0;
    }
    const Status written = WriteArchiveFile(*spool, PdfFilePath(fileName), it->second->info);
    if (!written) {
        WriteLog(10, "WriteDocument: " + written.error());
        writeError_ = written.error();
        return 0;
    }
    return 1;
}

void QtPdfEngine::CloseDocument(int32_t doc) {
    documents_.erase(doc);
}

void QtPdfEngine::NewPage(int32_t doc) {
    if (Document* d = Find(doc)) d->NewPage();
}

void QtPdfEngine::SetPenWidth(int32_t doc, int32_t pixels) {
    if (Document* d = Find(doc)) d->SetPenPixels(pixels);
}

void QtPdfEngine::SetDefaultFont(int32_t doc, const std::string& name, int32_t points) {
    if (Document* d = Find(doc)) {
        d->font.name = name;
        d->font.points = points;
    }
}

int32_t QtPdfEngine::DeviceYResolution(int32_t doc) {
    const Document* d = Find(doc);
    return d ? d->Dpi() : 0;
}

void QtPdfEngine::SetTitle(int32_t doc, const std::string& text) {
    if (Document* d = Find(doc)) d->info.title = Cp1252ToUtf8(text);
}

void QtPdfEngine::SetAuthor(int32_t doc, const std::string& text) {
    if (Document* d = Find(doc)) d->info.author = Cp1252ToUtf8(text);
}

void QtPdfEngine::SetSubject(int32_t doc, const std::string& text) {
    if (Document* d = Find(doc)) d->info.subject = Cp1252ToUtf8(text);
}

void QtPdfEngine::SetCreator(int32_t doc, const std::string& text) {
    if (Document* d = Find(doc)) d->info.creator = Cp1252ToUtf8(text);
}

std::string QtPdfEngine::FontName(int32_t doc) {
    const Document* d = Find(doc);
    return d ? d->font.name : std::string();
}

void QtPdfEngine::SetFontName(int32_t doc, const std::string& name) {
    if (Document* d = Find(doc)) d->font.name = name;
}

void QtPdfEngine::SetFontSize(int32_t doc, int32_t points) {
    if (Document* d = Find(doc)) d->font.points = points;
}

void QtPdfEngine::SetBold(int32_t doc, int32_t on) {
    if (Document* d = Find(doc)) d->font.bold = on != 0;
}

void QtPdfEngine::SetItalic(int32_t doc, int32_t on) {
    if (Document* d = Find(doc)) d->font.italic = on != 0;
}

void QtPdfEngine::SetUnderline(int32_t doc, int32_t on) {
    if (Document* d = Find(doc)) d->font.underline = on != 0;
}

double QtPdfEngine::MeasureText(int32_t doc, double, double y, double, double, const std::string&) {
    Document* d = Find(doc);
    if (!d) return 0;
    const Document::Realised& font = d->Font();
    d->lastBottom = y + d->Cm(d->BaselineDrop() - font.ascent + font.height);
    return d->lastBottom;
}

// Every caller leaves the right and bottom edge free: a text is as wide as it is.
double QtPdfEngine::PrintText(int32_t doc, double x, double y, double, double,
                              const std::string& text) {
    Document* d = Find(doc);
    if (!d) return 0;
    const Document::Realised& font = d->Font();
    // Every text of a line stands on one baseline (see BaselineDrop).
    const double baseline = d->Device(y) + d->BaselineDrop();
    const bool code128 = d->font.name == kCode128 && painters_.code128;
    const double ascent =
        code128 ? BarcodeFontMetrics(BarcodeFont::Code128, font.pixelSize).ascent : font.ascent;
    const double height =
        code128 ? BarcodeFontMetrics(BarcodeFont::Code128, font.pixelSize).height : font.height;
    d->lastBottom = d->Cm(baseline - ascent + height);
    if (text.empty()) return d->lastBottom;
    if (code128) {
        painters_.code128(d->PaintWithLinePen(), QPointF(d->Device(x), baseline - ascent),
                          font.pixelSize, text);
        return d->lastBottom;
    }
    if (!font.raw.isValid()) return d->lastBottom;
    d->AddText(font, QPointF(d->Device(x), baseline), text);
    return d->lastBottom;
}

double QtPdfEngine::ObjectEdge(int32_t doc, double which) {
    const Document* d = Find(doc);
    return d && which == kLastObjectBottom ? d->lastBottom : 0.0;
}

void QtPdfEngine::DrawLine(int32_t doc, double x1, double y1, double x2, double y2) {
    Document* d = Find(doc);
    if (!d) return;
    d->AddLine(QLineF(d->Device(x1), d->Device(y1), d->Device(x2), d->Device(y2)));
}

void QtPdfEngine::DrawBox(int32_t doc, double left, double top, double right, double bottom) {
    Document* d = Find(doc);
    if (!d) return;
    const QRectF box = QRectF(QPointF(d->Device(left), d->Device(top)),
                              QPointF(d->Device(right), d->Device(bottom)))
                           .normalized();
    if (d->transparent == 0) d->Paint().fillRect(box, ToQColor(static_cast<Rgb>(d->fill)));
    d->PaintWithBoxPen().drawRect(box);
}

void QtPdfEngine::DrawEllipse(int32_t doc, double left, double top, double right, double bottom) {
    Document* d = Find(doc);
    if (!d) return;
    d->PaintWithLinePen().drawEllipse(QRectF(QPointF(d->Device(left), d->Device(top)),
                                             QPointF(d->Device(right), d->Device(bottom)))
                                          .normalized());
}

int32_t QtPdfEngine::Transparent(int32_t doc) {
    const Document* d = Find(doc);
    return d ? d->transparent : 0;
}

void QtPdfEngine::SetTransparent(int32_t doc, int32_t on) {
    if (Document* d = Find(doc)) d->transparent = on;
}

int32_t QtPdfEngine::FillColor(int32_t doc) {
    const Document* d = Find(doc);
    return d ? d->fill : 0;
}

void QtPdfEngine::SetFillColor(int32_t doc, int32_t rgb) {
    if (Document* d = Find(doc)) d->fill = rgb;
}

void QtPdfEngine::SetPictureResolution(int32_t doc, int32_t xDpi, int32_t yDpi) {
    if (Document* d = Find(doc)) {
        d->pictureXDpi = xDpi > 0 ? xDpi : 300;
        d->pictureYDpi = yDpi > 0 ? yDpi : 300;
    }
}

void QtPdfEngine::SetPictureLossless(int32_t doc, int32_t on) {
    if (Document* d = Find(doc)) d->Paint().setRenderHint(QPainter::LosslessImageRendering, on);
}

double QtPdfEngine::PlacePicture(int32_t doc, double x, double y, double, double,
                                 const std::string& fileName) {
    Document* d = Find(doc);
    if (!d) return 0;
    // A file the engine cannot read places nothing; the canvas side has logged why.
    const QImage* picture = d->Picture(fileName);
    if (!picture) return y;
    const double width = static_cast<double>(picture->width()) * d->Dpi() / d->pictureXDpi;
    const double height = static_cast<double>(picture->height()) * d->Dpi() / d->pictureYDpi;
    d->Paint().drawImage(QRectF(d->Device(x), d->Device(y), width, height), *picture);
    d->lastBottom = y + d->Cm(height);
    return d->lastBottom;
}

void QtPdfEngine::SetPdf417EccLevel(int32_t doc, int32_t level) {
    if (Document* d = Find(doc)) d->eccLevel = level;
}

void QtPdfEngine::SetPdf417Columns(int32_t doc, int32_t columns) {
    if (Document* d = Find(doc)) d->columns = columns;
}

void QtPdfEngine::DrawPdf417(int32_t doc, double x1, double y1, double x2, double y2,
                             const std::string& data) {
    Document* d = Find(doc);
    if (!d || !painters_.pdf417) return;
    const QRectF rect =
        QRectF(QPointF(d->Device(x1), d->Device(y1)), QPointF(d->Device(x2), d->Device(y2)))
            .normalized();
    painters_.pdf417(d->Paint(), rect, data, d->eccLevel, d->columns);
}

} // namespace qorprt
