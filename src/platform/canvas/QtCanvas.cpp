#include "platform/canvas/QtCanvas.h"

#include "platform/canvas/BarcodePainters.h"
#include "platform/canvas/Image.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"
#include "platform/text/QtText.h"

#include <QFont>
#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace qorprt {

namespace {

// A page switches between a handful of fonts; beyond this many something generates sizes
// freely, and starting afresh keeps the memory bounded.
constexpr size_t kMaxFonts = 64;

// Em heights beyond this are clamped: FreeType refuses very large sizes, and no page shows a
// glyph taller than a few inches anyway.
constexpr int32_t kMaxFontPixels = 8000;

// Qt's raster engine caches glyph images up to this em height and fills every larger glyph's
// outline anew each time it is drawn: at 600 dpi that is any text above 7 points. The canvas
// then keeps its own images of those glyphs, rendered from the same outlines in the same way,
// up to a size where a few glyphs would cost more memory than outline filling costs time.
constexpr int32_t kMaxQtCachedGlyph = 64;
constexpr int32_t kMaxOwnCachedGlyph = 600;
constexpr size_t kMaxGlyphCacheBytes = size_t{96} << 20;

// Coordinates handed to Qt stay well inside its 26.6 fixed-point range.
constexpr int64_t kMaxCoordinate = 1 << 24;

bool InRange(int64_t v) {
    return v > -kMaxCoordinate && v < kMaxCoordinate;
}

// The pixels of a GDI rectangle: left..right-1 and top..bottom-1, corners in any order.
QRect Covered(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    const int32_t x0 = std::min(left, right);
    const int32_t y0 = std::min(top, bottom);
    return QRect(x0, y0, std::max(left, right) - x0, std::max(top, bottom) - y0);
}

} // namespace

QColor ToQColor(Rgb rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

QImage NewCanvasImage(int32_t width, int32_t height, int32_t dpi, Rgb fill) {
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(ToQColor(fill));
    return image;
}

QtCanvas::QtCanvas(QPaintDevice& device, int32_t dpi) : dpi_(dpi) {
    Begin(device);
}

QtCanvas::~QtCanvas() {
    End();
}

void QtCanvas::Begin(QPaintDevice& device) {
    device_ = &device;
    rasterDevice_ = device.devType() == QInternal::Image;
    painter_.begin(&device);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, textAntialiasing_);
    painter_.setRenderHint(QPainter::LosslessImageRendering, true);
    painterPen_ = PainterPen::Unknown;
    painterBrush_.reset();
}

void QtCanvas::End() {
    if (painter_.isActive()) painter_.end();
}

void QtCanvas::Rebind(QPaintDevice& device) {
    End();
    Begin(device);
}

void QtCanvas::SetTextAntialiasing(bool on) {
    if (on != textAntialiasing_) {
        // The glyphs are rendered anew, from fonts that know how to render them.
        fonts_.clear();
        current_ = nullptr;
        glyphCacheBytes_ = 0;
    }
    textAntialiasing_ = on;
    if (Painting()) painter_.setRenderHint(QPainter::TextAntialiasing, on);
}

int32_t QtCanvas::FontPixelSize() const {
    return MulDiv(Font().size, dpi_, 72);
}

std::unique_ptr<QtCanvas::FontEntry> QtCanvas::RealiseFont(const QString& name, int32_t pixels,
                                                           unsigned style,
                                                           BarcodeFont barcode) const {
    const bool antialiased = textAntialiasing_;
    auto entry = std::make_unique<FontEntry>();
    entry->name = name;
    entry->pixels = pixels;
    entry->style = style;
    // A negative height asks GDI for the cell height rather than the em height; the em is then
    // somewhat smaller, but the magnitude is the closest sane reading of such a size.
    entry->em =
        static_cast<int32_t>(std::clamp<int64_t>(std::abs(int64_t{pixels}), 1, kMaxFontPixels));

    if (barcode != BarcodeFont::None) {
        const BarFontMetrics metrics = BarcodeFontMetrics(barcode, entry->em);
        entry->barcode = barcode;
        entry->module = static_cast<int32_t>(metrics.module);
        entry->ascent = static_cast<int32_t>(metrics.ascent);
        entry->descent = static_cast<int32_t>(metrics.height - metrics.ascent);
        for (size_t i = 0; i < entry->advances.size(); ++i)
            entry->advances[i] =
                BarcodeCharModules(barcode, static_cast<unsigned char>(i)) * entry->module;
        return entry;
    }

    QFont font(name);
    font.setPixelSize(entry->em);
    font.setWeight((style & kStyleBold) ? QFont::Bold : QFont::Normal);
    font.setItalic((style & kStyleItalic) != 0);
    font.setKerning(false);
    // GDI hints TrueType glyphs fully; it also keeps the glyph shapes crisp in the preview.
    font.setHintingPreference(QFont::PreferFullHinting);
    if (!antialiased) font.setStyleStrategy(QFont::NoAntialias);
    entry->raw = QRawFont::fromFont(font);

    const QRawFont& raw = entry->raw;
    if (!raw.isValid()) return entry; // no font at all: nothing is drawn, everything is 0 wide

    entry->ascent = static_cast<int32_t>(std::lround(raw.ascent()));
    entry->descent = static_cast<int32_t>(std::lround(raw.descent()));

    // The underline sits on the font's underline position, but never touches the glyphs
    // standing on the baseline and never leaves the cell.
    const int32_t thickness =
        std::max<int32_t>(1, static_cast<int32_t>(std::lround(raw.lineThickness())));
    int32_t offset = static_cast<int32_t>(std::lround(raw.underlinePosition() - thickness / 2.0));
    offset = std::max(offset, 1);
    offset = std::min(offset, std::max(1, entry->descent - thickness));
    entry->underlineOffset = offset;
    entry->underlineThickness = thickness;

    std::array<QChar, 256> chars;
    for (size_t i = 0; i < chars.size(); ++i)
        chars[i] = QChar(Cp1252ToUnicode(static_cast<unsigned char>(i)));
    int count = static_cast<int>(chars.size());
    if (!raw.glyphIndexesForChars(chars.data(), count, entry->glyphs.data(), &count) ||
        count != static_cast<int>(chars.size()))
        entry->glyphs.fill(0);
    std::array<QPointF, 256> advances;
    raw.advancesForGlyphIndexes(entry->glyphs.data(), advances.data(), count,
                                QRawFont::UseDesignMetrics);
    // Whole-pixel advances, as GDI's hinted widths are; each character's own, so that a text's
    // width is the sum of its characters' widths however it is cut into pieces.
    for (size_t i = 0; i < advances.size(); ++i)
        entry->advances[i] = static_cast<int32_t>(std::lround(advances[i].x()));
    return entry;
}

QtCanvas::FontEntry& QtCanvas::CurrentFont() {
    const CanvasFont& font = Font();
    const unsigned style = font.style & (kStyleBold | kStyleItalic);
    if (current_ && font.size == currentSize_ && style == currentStyle_ &&
        font.name == currentName_)
        return *current_;

    const QString name = AnsiToQString(font.name);
    const int32_t pixels = FontPixelSize();
    current_ = nullptr;
    for (const auto& entry : fonts_) {
        if (entry->pixels == pixels && entry->style == style && entry->name == name) {
            current_ = entry.get();
            break;
        }
    }
    if (!current_) {
        if (fonts_.size() >= kMaxFonts) {
            fonts_.clear();
            glyphCacheBytes_ = 0;
        }
        fonts_.push_back(RealiseFont(name, pixels, style, BuiltInBarcodeFont(font.name)));
        current_ = fonts_.back().get();
    }
    currentName_ = font.name;
    currentSize_ = font.size;
    currentStyle_ = style;
    return *current_;
}

QString QtCanvas::ResolvedFontFamily() {
    const FontEntry& font = CurrentFont();
    return font.barcode != BarcodeFont::None ? font.name : font.raw.familyName();
}

Size QtCanvas::TextExtent(std::string_view text) {
    const FontEntry& font = CurrentFont();
    int64_t width = 0;
    for (char c : text)
        width += font.advances[static_cast<unsigned char>(c)];
    return {Sat32(width), font.ascent + font.descent};
}

TextMetrics QtCanvas::GetTextMetrics() {
    const FontEntry& font = CurrentFont();
    return {font.ascent, font.ascent + font.descent};
}

bool QtCanvas::Visible(int64_t left, int64_t top, int64_t right, int64_t bottom) const {
    // Asked afresh: a printer's page size may change from one page to the next.
    const int64_t width = device_->width();
    const int64_t height = device_->height();
    return right > 0 && bottom > 0 && left < width && top < height && InRange(left) &&
           InRange(top) && InRange(right) && InRange(bottom);
}

void QtCanvas::UseTextPen() {
    const Rgb color = Font().color;
    if (painterPen_ == PainterPen::Text && painterPenColor_ == color) return;
    painter_.setPen(ToQColor(color));
    painterPen_ = PainterPen::Text;
    painterPenColor_ = color;
}

void QtCanvas::UseLinePen() {
    const CanvasPen& pen = Pen();
    const int32_t width = std::max<int32_t>(1, pen.width);
    if (painterPen_ == PainterPen::Line && painterPenColor_ == pen.color &&
        painterPenWidth_ == width)
        return;
    // A one-pixel line leaves out its last pixel, as GDI's does; wider pens have round ends and
    // joins, as GDI's wide pens have.
    QPen qpen(ToQColor(pen.color), width, Qt::SolidLine, width == 1 ? Qt::FlatCap : Qt::RoundCap,
              Qt::RoundJoin);
    painter_.setPen(qpen);
    painterPen_ = PainterPen::Line;
    painterPenColor_ = pen.color;
    painterPenWidth_ = width;
}

void QtCanvas::UseBrush() {
    const CanvasBrush& brush = Brush();
    if (painterBrush_ && painterBrush_->style == brush.style && painterBrush_->color == brush.color)
        return;
    if (brush.style == BrushStyle::Clear)
        painter_.setBrush(Qt::NoBrush);
    else
        painter_.setBrush(ToQColor(brush.color));
    painterBrush_ = brush;
}

void QtCanvas::DrawGlyphs(int32_t x, int32_t y, FontEntry& font, const quint32* glyphs,
                          const int32_t* advances, size_t count) {
    int64_t width = 0;
    for (size_t i = 0; i < count; ++i)
        width += advances[i];
    const int64_t top = y;
    const int64_t baseline = top + font.ascent;
    // Glyphs may overhang their cell a little (italics, accents): allow an em on every side.
    if (!Painting() || count == 0 || !font.raw.isValid() ||
        !Visible(int64_t{x} - font.em, top - font.em, int64_t{x} + width + font.em,
                 baseline + font.descent + font.em))
        return;

    UseTextPen();
    if (rasterDevice_ && font.em > kMaxQtCachedGlyph && font.em <= kMaxOwnCachedGlyph) {
        DrawCachedGlyphs(x, static_cast<int32_t>(baseline), font, glyphs, advances, count);
    } else {
        DrawGlyphRun(x, static_cast<int32_t>(baseline), font, glyphs, advances, count);
    }
    if ((Font().style & kStyleUnderline) && width > 0) {
        painter_.fillRect(QRect(x, static_cast<int>(baseline + font.underlineOffset),
                                static_cast<int>(width), font.underlineThickness),
                          ToQColor(Font().color));
    }
}

void QtCanvas::DrawGlyphRun(int32_t x, int32_t baseline, const FontEntry& font,
                            const quint32* glyphs, const int32_t* advances, size_t count) {
    runGlyphs_.resize(static_cast<qsizetype>(count));
    runPositions_.resize(static_cast<qsizetype>(count));
    int64_t pen = 0;
    for (size_t i = 0; i < count; ++i) {
        runGlyphs_[static_cast<qsizetype>(i)] = glyphs[i];
        runPositions_[static_cast<qsizetype>(i)] = QPointF(static_cast<qreal>(pen), 0);
        pen += advances[i];
    }
    QGlyphRun run;
    run.setRawFont(font.raw);
    run.setGlyphIndexes(runGlyphs_);
    run.setPositions(runPositions_);
    painter_.drawGlyphRun(QPointF(x, baseline), run);
}

void QtCanvas::DrawCachedGlyphs(int32_t x, int32_t baseline, FontEntry& font, const quint32* glyphs,
                                const int32_t* advances, size_t count) {
    const Rgb color = Font().color;
    const int64_t deviceWidth = device_->width();
    int64_t pen = x;
    for (size_t i = 0; i < count; ++i) {
        const int64_t origin = pen;
        pen += advances[i];
        if (origin + font.em < 0 || origin - font.em > deviceWidth) continue;
        const CachedGlyph& glyph = Glyph(font, glyphs[i], color);
        if (glyph.image.isNull()) continue;
        painter_.drawImage(
            QPoint(static_cast<int>(origin) + glyph.offset.x(), baseline + glyph.offset.y()),
            glyph.image);
    }
}

const QtCanvas::CachedGlyph& QtCanvas::Glyph(FontEntry& font, quint32 glyph, Rgb color) {
    const uint64_t key = (uint64_t{color} << 32) | glyph;
    if (const auto found = font.glyphCache.find(key); found != font.glyphCache.end())
        return found->second;

    if (glyphCacheBytes_ > kMaxGlyphCacheBytes) {
        for (const auto& entry : fonts_)
            entry->glyphCache.clear();
        glyphCacheBytes_ = 0;
    }
    CachedGlyph cached;
    QPainterPath path = font.raw.pathForGlyph(glyph);
    path.setFillRule(Qt::WindingFill);
    const QRectF box = path.boundingRect();
    if (!box.isEmpty()) {
        // A pixel of margin around the outline keeps antialiased edges whole.
        const int left = static_cast<int>(std::floor(box.left())) - 1;
        const int top = static_cast<int>(std::floor(box.top())) - 1;
        const int right = static_cast<int>(std::ceil(box.right())) + 1;
        const int bottom = static_cast<int>(std::ceil(box.bottom())) + 1;
        cached.image = QImage(right - left, bottom - top, QImage::Format_ARGB32_Premultiplied);
        cached.image.fill(Qt::transparent);
        cached.offset = QPoint(left, top);
        QPainter painter(&cached.image);
        painter.setRenderHint(QPainter::Antialiasing, textAntialiasing_);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(color));
        painter.translate(-left, -top);
        painter.drawPath(path);
        glyphCacheBytes_ += static_cast<size_t>(cached.image.sizeInBytes());
    }
    return font.glyphCache.emplace(key, std::move(cached)).first->second;
}

void QtCanvas::DrawBars(int32_t x, int32_t y, const FontEntry& font, std::string_view text) {
    int64_t width = 0;
    for (char c : text)
        width += font.advances[static_cast<unsigned char>(c)];
    const int64_t height = font.ascent + font.descent;
    if (!Painting() || width == 0 || !Visible(x, y, int64_t{x} + width, int64_t{y} + height))
        return;
    barElements_.clear();
    AppendBarElements(font.barcode, text, barElements_);
    PaintBars(painter_, QPointF(x, y), font.module, static_cast<double>(height), barElements_,
              ToQColor(Font().color));
}

void QtCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
    if (text.empty()) return;
    FontEntry& font = CurrentFont();
    if (font.barcode != BarcodeFont::None) {
        DrawBars(x, y, font, text);
        return;
    }
    textGlyphs_.resize(text.size());
    textAdvances_.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        textGlyphs_[i] = font.glyphs[byte];
        textAdvances_[i] = font.advances[byte];
    }
    DrawGlyphs(x, y, font, textGlyphs_.data(), textAdvances_.data(), text.size());
}

void QtCanvas::TextOutW(int32_t x, int32_t y, char16_t ch) {
    FontEntry& font = CurrentFont();
    if (font.barcode != BarcodeFont::None) {
        // The bar fonts map character codes up to 255 only.
        if (ch < 256) {
            const char byte = static_cast<char>(ch);
            DrawBars(x, y, font, std::string_view(&byte, 1));
        }
        return;
    }
    if (!font.raw.isValid()) return;
    const QChar qch(ch);
    quint32 glyph = 0;
    int count = 1;
    if (!font.raw.glyphIndexesForChars(&qch, 1, &glyph, &count) || count != 1) glyph = 0;
    QPointF advance;
    font.raw.advancesForGlyphIndexes(&glyph, &advance, 1, QRawFont::UseDesignMetrics);
    const auto width = static_cast<int32_t>(std::lround(advance.x()));
    DrawGlyphs(x, y, font, &glyph, &width, 1);
}

void QtCanvas::LineTo(int32_t x, int32_t y) {
    const Point from = PenPos();
    SetPenPos({x, y});
    if (!Painting()) return;
    const int64_t reach = Pen().width;
    if (!Visible(std::min(from.x, x) - reach, std::min(from.y, y) - reach,
                 int64_t{std::max(from.x, x)} + reach + 1,
                 int64_t{std::max(from.y, y)} + reach + 1))
        return;
    UseLinePen();
    painter_.drawLine(QPoint(from.x, from.y), QPoint(x, y));
}

bool QtCanvas::OutlineVisible(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    const int64_t reach = Pen().width;
    return Visible(int64_t{std::min(left, right)} - reach, int64_t{std::min(top, bottom)} - reach,
                   int64_t{std::max(left, right)} + reach, int64_t{std::max(top, bottom)} + reach);
}

void QtCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!Painting()) return;
    if (!OutlineVisible(left, top, right, bottom)) return;
    // GDI's rectangle covers left..right-1 and top..bottom-1; an aliased outline of a QRect one
    // pixel narrower and lower covers the same.
    const QRect area = Covered(left, top, right, bottom);
    if (area.isEmpty()) return;
    if (Brush().style == BrushStyle::Solid) painter_.fillRect(area, ToQColor(Brush().color));
    const QRect outline = area.adjusted(0, 0, -1, -1);
    UseLinePen();
    painter_.setBrush(Qt::NoBrush);
    painterBrush_.reset();
    QPen pen = painter_.pen();
    pen.setJoinStyle(Qt::MiterJoin); // the corners of a box stay square
    painter_.setPen(pen);
    painterPen_ = PainterPen::Unknown;
    painter_.drawRect(outline);
}

void QtCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!Painting()) return;
    if (!OutlineVisible(left, top, right, bottom)) return;
    const QRect area = Covered(left, top, right, bottom);
    if (area.isEmpty()) return;
    const QRect bounds = area.adjusted(0, 0, -1, -1);
    UseBrush();
    UseLinePen();
    painter_.drawEllipse(bounds);
}

void QtCanvas::FillRect(const Rect& rect) {
    // A clear (hollow) brush paints nothing, as with GDI; an empty or inverted rectangle neither.
    if (!Painting() || Brush().style == BrushStyle::Clear) return;
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    const int64_t left = std::max<int64_t>(rect.left, 0);
    const int64_t top = std::max<int64_t>(rect.top, 0);
    const int64_t right = std::min<int64_t>(rect.right, device_->width());
    const int64_t bottom = std::min<int64_t>(rect.bottom, device_->height());
    if (right <= left || bottom <= top) return;
    painter_.fillRect(QRect(static_cast<int>(left), static_cast<int>(top),
                            static_cast<int>(right - left), static_cast<int>(bottom - top)),
                      ToQColor(Brush().color));
}

Rect QtCanvas::ClipRect() const {
    return {0, 0, device_->width(), device_->height()};
}

void QtCanvas::StretchDraw(const Rect& rect, const Image& image) {
    if (!Painting() || image.IsNull()) return;
    if (!Visible(std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                 std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)))
        return;
    const int64_t width = int64_t{rect.right} - rect.left;
    const int64_t height = int64_t{rect.bottom} - rect.top;
    if (width == 0 || height == 0) return;
    // Shrinking a picture for the screen averages its pixels, as the printed page will look;
    // enlarging keeps hard pixel edges (barcodes stay sharp). A PDF gets the picture itself.
    const bool shrinking = std::abs(width) < image.Width() || std::abs(height) < image.Height();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, rasterDevice_ && shrinking);
    const QRect target = Covered(rect.left, rect.top, rect.right, rect.bottom);
    if (width < 0 || height < 0) // a negative extent mirrors the picture, as StretchDIBits does
        painter_.drawImage(target, image.Pixels().mirrored(width < 0, height < 0));
    else
        painter_.drawImage(target, image.Pixels());
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

std::unique_ptr<Canvas> NewPrinterCanvas(QPdfWriter& document, int32_t dpi) {
    return std::make_unique<QtCanvas>(document, dpi);
}

} // namespace qorprt
