#pragma once

#include "platform/canvas/BarcodeFonts.h"
#include "platform/canvas/Canvas.h"

#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class QPaintDevice;
class QPdfWriter;

namespace qorprt {

// A colour 0xRRGGBB as Qt's.
QColor ToQColor(Rgb rgb);

// A white image whose own resolution is `dpi`, as the preview and the scratch canvas draw on it.
QImage NewCanvasImage(int32_t width, int32_t height, int32_t dpi, Rgb fill = kWhite);

// The canvas of a printer's spool document: the printer object's canvas factory.
std::unique_ptr<Canvas> NewPrinterCanvas(QPdfWriter& document, int32_t dpi);

// The production canvas: draws with a QPainter on a QImage (preview, scratch image) or on a
// QPdfWriter (the printer's spool document), in device pixels at the device's resolution.
//
// Text is laid out as GDI lays it out: one glyph per character of the font's own character map,
// no kerning, no ligatures, and every advance rounded to a whole pixel. The glyphs are placed at
// those integer positions and drawn with QPainter::drawGlyphRun (on images, glyphs too large for
// Qt's glyph cache come from the canvas's own), so TextExtent, the drawn ink and a text drawn in
// pieces at the measured positions agree to the pixel, on images and in PDFs. As with GDI, a
// character the font lacks shows the font's missing-glyph box; no other font stands in.
//
// The built-in barcode fonts ("Code 128", "PDF417c") are drawn as bars in whole pixels, filling
// the font's cell; their style (bold, italic, underline) is ignored, since it would only spoil
// the symbol.
//
// Geometry (lines, rectangles, ellipses, fills) is drawn aliased so that it covers exactly the
// pixels GDI would; text is antialiased (a faithful preview at 96 dpi; at 600 dpi the grey edge
// is a fraction of a printer dot). In a PDF neither matters: all is vector output.
class QtCanvas : public Canvas {
public:
    // `dpi` is the device's logical resolution; the device's own metrics must agree with it
    // (NewCanvasImage, QPdfWriter::setResolution). Painting begins at once and lasts until End(),
    // Rebind() or destruction; the device must outlive the canvas. Fonts need a
    // QGuiApplication.
    QtCanvas(QPaintDevice& device, int32_t dpi);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // Ends painting on the current device and begins on `device` (a resized scratch image, for
    // example). Font, pen and brush stay as they are.
    void Rebind(QPaintDevice& device);
    // Ends painting, so that the device may be read or finished. Drawing afterwards does nothing.
    void End();
    // Text antialiasing; on by default. Off gives pure black-and-white glyphs on images.
    void SetTextAntialiasing(bool on);

    // The font's em height in pixels: MulDiv(points, dpi, 72), as GDI makes it.
    int32_t FontPixelSize() const;
    // The family fontconfig resolved the canvas font to ("Liberation Mono" for "Courier New").
    QString ResolvedFontFamily();

    int32_t PixelsPerInch() const override { return dpi_; }
    void TextOut(int32_t x, int32_t y, std::string_view text) override;
    void TextOutW(int32_t x, int32_t y, char16_t ch) override;
    Size TextExtent(std::string_view text) override;
    TextMetrics GetTextMetrics() override;
    void LineTo(int32_t x, int32_t y) override;
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void FillRect(const Rect& rect) override;
    Rect ClipRect() const override;
    void StretchDraw(const Rect& rect, const Image& image) override;

private:
    // A glyph rendered once for drawing many times: its image and where the image's top-left
    // corner lies from the glyph's origin on the baseline.
    struct CachedGlyph {
        QImage image;
        QPoint offset;
    };

    // One realised font: the raw font and its GDI-style metrics, with the glyph and the rounded
    // advance of each Windows-1252 byte looked up once.
    struct FontEntry {
        QString name;
        int32_t pixels = 0; // the em height asked for
        int32_t em = 1;     // the em height drawn: positive and bounded
        unsigned style = 0; // bold and italic only; underline is drawn by the canvas
        BarcodeFont barcode = BarcodeFont::None; // a built-in bar font: no raw font
        int32_t module = 0;                      // its module width
        QRawFont raw;
        int32_t ascent = 0;
        int32_t descent = 0;
        int32_t underlineOffset = 0; // top of the underline below the baseline
        int32_t underlineThickness = 1;
        std::array<quint32, 256> glyphs{};
        std::array<int32_t, 256> advances{};
        std::unordered_map<uint64_t, CachedGlyph> glyphCache; // by colour and glyph
    };

    // What the painter was last given, so that state is only handed over when it changed.
    enum class PainterPen { Unknown, Text, Line };

    FontEntry& CurrentFont();
    std::unique_ptr<FontEntry> RealiseFont(const QString& name, int32_t pixels, unsigned style,
                                           BarcodeFont barcode) const;
    void DrawBars(int32_t x, int32_t y, const FontEntry& font, std::string_view text);
    void Begin(QPaintDevice& device);
    bool Painting() const { return painter_.isActive(); }
    void UseTextPen();
    void UseLinePen();
    void UseBrush();
    bool Visible(int64_t left, int64_t top, int64_t right, int64_t bottom) const;
    // Whether a shape in the rectangle, with its outline drawn by the pen, touches the device.
    bool OutlineVisible(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    void DrawGlyphs(int32_t x, int32_t y, FontEntry& font, const quint32* glyphs,
                    const int32_t* advances, size_t count);
    void DrawGlyphRun(int32_t x, int32_t baseline, const FontEntry& font, const quint32* glyphs,
                      const int32_t* advances, size_t count);
    void DrawCachedGlyphs(int32_t x, int32_t baseline, FontEntry& font, const quint32* glyphs,
                          const int32_t* advances, size_t count);
    const CachedGlyph& Glyph(FontEntry& font, quint32 glyph, Rgb color);

    QPaintDevice* device_ = nullptr;
    int32_t dpi_;
    bool rasterDevice_ = false;
    QPainter painter_;
    bool textAntialiasing_ = true;

    // Fonts realised so far (a page switches between a handful) and the one in use.
    std::vector<std::unique_ptr<FontEntry>> fonts_;
    FontEntry* current_ = nullptr;
    size_t glyphCacheBytes_ = 0;
    std::string currentName_;
    int32_t currentSize_ = 0;
    unsigned currentStyle_ = 0;

    PainterPen painterPen_ = PainterPen::Unknown;
    Rgb painterPenColor_ = 0;
    int32_t painterPenWidth_ = 0;
    std::optional<CanvasBrush> painterBrush_;

    // Scratch buffers of the glyph runs, kept to spare allocations on the hot path.
    std::vector<quint32> textGlyphs_;
    std::vector<int32_t> textAdvances_;
    std::vector<BarElement> barElements_;
    QList<quint32> runGlyphs_;
    QList<QPointF> runPositions_;
};

} // namespace qorprt
