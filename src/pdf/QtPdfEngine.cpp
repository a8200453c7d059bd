#include "pdf/QtPdfEngine.h"

#include "pdf/ArchiveFile.h"
#include "pdf/PdfFilePath.h"
#include "platform/system/Files.h"
#include "platform/system/Log.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"

#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QImageReader>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>

namespace qorprt {

namespace fs = std::filesystem;

namespace {

constexpr double kCmPerInch = 2.54;

// Pictures larger than this are refused before they are decoded (see LoadHead).
constexpr int kAllocationLimitMb = 256;

// Em heights beyond this are clamped, as on the canvas.
constexpr int32_t kMaxFontPixels = 8000;

constexpr const char* kCode128 = "Code 128";

QColor ToQColor(int32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QString ToQString(const std::string& ansi) {
    return QString::fromStdU16String(Cp1252ToUtf16(ansi));
}

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
class QtPdfEngine::Document {
public:
    Document(const PdfPageFormat& format, const std::string& title)
        : dpi_(format.dpi > 0 ? format.dpi : 600),
          spool_(QDir::tempPath() + QStringLiteral("/qorprt-pdf-XXXXXX.pdf")) {
        if (!spool_.open()) return;
        writer_ = std::make_unique<QPdfWriter>(&spool_);
        writer_->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        writer_->setResolution(dpi_);
        writer_->setPageLayout(LayoutFor(format));
        writer_->setTitle(ToQString(title));
        writer_->setCreator(QStringLiteral("QorPrt"));
        if (!painter.begin(writer_.get())) return;
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::LosslessImageRendering, true);
    }
    ~Document() {
        if (painter.isActive()) painter.end();
    }

    bool Drawing() const { return painter.isActive(); }
    int32_t Dpi() const { return dpi_; }
    double Device(double cm) const { return cm / kCmPerInch * dpi_; }
    double Cm(double device) const { return device / dpi_ * kCmPerInch; }

    void NewPage() {
        if (Drawing()) writer_->newPage();
    }

    // The spool document, complete; empty when drawing or writing it failed.
    std::optional<std::string> Finish() {
        if (painter.isActive()) painter.end();
        writer_.reset();
        if (!spool_.flush() || spool_.error() != QFileDevice::NoError || spool_.size() == 0)
            return std::nullopt;
        return spool_.fileName().toStdString();
    }

    // The font of the engine's settings, realised for drawing.
    struct Realised {
        QFont font;
        double pixelSize = 0;
        double ascent = 0;
        double height = 0;
    };
    const Realised& Font() {
        if (!realised_ || realisedFont_ != font) {
            Realised r;
            const int32_t pixels = static_cast<int32_t>(
                std::clamp<int64_t>(std::abs(int64_t{MulDiv(font.points, dpi_, 72)}), 1,
                                    kMaxFontPixels));
            r.font = QFont(ToQString(font.name));
            r.font.setPixelSize(pixels);
            r.font.setWeight(font.bold ? QFont::Bold : QFont::Normal);
            r.font.setItalic(font.italic);
            r.font.setUnderline(font.underline);
            // Text is laid out as on the printer: whole-pixel advances, no kerning.
            r.font.setKerning(false);
            r.font.setHintingPreference(QFont::PreferFullHinting);
            r.font.setStyleStrategy(QFont::PreferNoShaping);
            const QFontMetricsF metrics(r.font, writer_ ? writer_.get() : nullptr);
            r.pixelSize = pixels;
            r.ascent = metrics.ascent();
            r.height = metrics.ascent() + metrics.descent();
            realised_ = r;
            realisedFont_ = font;
        }
        return *realised_;
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
            QImageReader reader(QString::fromStdString(path));
            reader.setAllocationLimit(kAllocationLimitMb);
            QImage image;
            if (!reader.read(&image)) return nullptr;
            picture_ = std::move(image);
            picturePath_ = path;
            pictureStamp_ = stamp;
            pictureSize_ = size;
        }
        return &*picture_;
    }

    struct FontSettings {
        std::string name;
        int32_t points = 10;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool operator==(const FontSettings&) const = default;
    };

    QPainter painter;
    FontSettings font;
    int32_t penPixels = 2;
    int32_t transparent = 1;
    int32_t fill = 0xFFFFFF;
    int32_t pictureXDpi = 300;
    int32_t pictureYDpi = 300;
    int32_t eccLevel = 4;
    int32_t columns = 7;
    double lastBottom = 0;
    ArchiveInfo info;

private:
    int32_t dpi_;
    QTemporaryFile spool_;
    std::unique_ptr<QPdfWriter> writer_;
    std::optional<Realised> realised_;
    FontSettings realisedFont_;
    std::optional<QImage> picture_;
    std::string picturePath_;
    fs::file_time_type pictureStamp_{};
    uintmax_t pictureSize_ = 0;
};

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
    const auto it = documents_.find(doc);
    if (it == documents_.end()) return 0;
    const std::optional<std::string> spool = it->second->Finish();
    if (!spool) {
        WriteLog(10, "WriteDocument: Das PDF-Dokument konnte nicht geschrieben werden.");
        return 0;
    }
    const Status written = WriteArchiveFile(*spool, PdfFilePath(fileName), it->second->info);
    if (!written) {
        WriteLog(10, "WriteDocument: " + Utf8ToCp1252(written.error()));
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
    if (Document* d = Find(doc)) d->penPixels = pixels;
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

double QtPdfEngine::MeasureText(int32_t doc, double, double y, double, double,
                                const std::string&) {
    Document* d = Find(doc);
    if (!d) return 0;
    d->lastBottom = y + d->Cm(d->Font().height);
    return d->lastBottom;
}

// Every caller leaves the right and bottom edge free: a text is as wide as it is.
double QtPdfEngine::PrintText(int32_t doc, double x, double y, double, double,
                              const std::string& text) {
    Document* d = Find(doc);
    if (!d) return 0;
    const Document::Realised& font = d->Font();
    d->lastBottom = y + d->Cm(font.height);
    if (text.empty()) return d->lastBottom;
    const QPointF topLeft(d->Device(x), d->Device(y));
    if (d->font.name == kCode128 && painters_.code128) {
        painters_.code128(d->painter, topLeft, font.pixelSize, text);
        return d->lastBottom;
    }
    d->painter.setFont(font.font);
    d->painter.setPen(QPen(Qt::black));
    d->painter.drawText(QPointF(topLeft.x(), topLeft.y() + font.ascent), ToQString(text));
    return d->lastBottom;
}

double QtPdfEngine::ObjectEdge(int32_t doc, double which) {
    const Document* d = Find(doc);
    return d && which == kLastObjectBottom ? d->lastBottom : 0.0;
}

void QtPdfEngine::DrawLine(int32_t doc, double x1, double y1, double x2, double y2) {
    Document* d = Find(doc);
    if (!d) return;
    // Round ends and joins, as the printer's wide pens have.
    d->painter.setPen(QPen(Qt::black, std::max(1, d->penPixels), Qt::SolidLine, Qt::RoundCap,
                           Qt::RoundJoin));
    d->painter.drawLine(QPointF(d->Device(x1), d->Device(y1)),
                        QPointF(d->Device(x2), d->Device(y2)));
}

void QtPdfEngine::DrawBox(int32_t doc, double left, double top, double right, double bottom) {
    Document* d = Find(doc);
    if (!d) return;
    const QRectF box = QRectF(QPointF(d->Device(left), d->Device(top)),
                              QPointF(d->Device(right), d->Device(bottom)))
                           .normalized();
    if (d->transparent == 0) d->painter.fillRect(box, ToQColor(d->fill));
    // The corners of a box stay square.
    d->painter.setPen(QPen(Qt::black, std::max(1, d->penPixels), Qt::SolidLine, Qt::SquareCap,
                           Qt::MiterJoin));
    d->painter.setBrush(Qt::NoBrush);
    d->painter.drawRect(box);
}

void QtPdfEngine::DrawEllipse(int32_t doc, double left, double top, double right, double bottom) {
    Document* d = Find(doc);
    if (!d) return;
    d->painter.setPen(QPen(Qt::black, std::max(1, d->penPixels)));
    d->painter.setBrush(Qt::NoBrush);
    d->painter.drawEllipse(QRectF(QPointF(d->Device(left), d->Device(top)),
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
    if (Document* d = Find(doc)) d->painter.setRenderHint(QPainter::LosslessImageRendering, on);
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
    d->painter.drawImage(QRectF(d->Device(x), d->Device(y), width, height), *picture);
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
    const QRectF rect = QRectF(QPointF(d->Device(x1), d->Device(y1)),
                               QPointF(d->Device(x2), d->Device(y2)))
                            .normalized();
    painters_.pdf417(d->painter, rect, data, d->eccLevel, d->columns);
}

} // namespace qorprt
