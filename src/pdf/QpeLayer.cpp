#include "pdf/QpeLayer.h"

#include "pdf/PdfEngine.h"
#include "pdf/PdfFilePath.h"
#include "platform/system/Log.h"
#include "platform/system/Shell.h"
#include "platform/text/Numbers.h"

#include <cmath>

namespace qorprt {

namespace {

// The offsets in device pixels that each operation adds before converting: they put the
// engine's objects where the printer draws them, the text call placing a text's top-left
// corner.
constexpr double kTextMeasureX = 90;
constexpr double kX = 85;
constexpr double kLineY = 60;
constexpr double kBoxY = 70;
constexpr double kPdf417Y = 80;

// The PDF417 symbol's rectangle in engine units.
constexpr double kPdf417Width = 5.0;
constexpr double kPdf417Height = 16.0;

// The engine's font name comes back in a buffer of 100 bytes.
constexpr size_t kFontNameBuffer = 100;

std::string EngineFontName(Qpe& qpe, int32_t doc) {
    std::string name = qpe.engine.FontName(doc);
    if (name.size() >= kFontNameBuffer) name.resize(kFontNameBuffer - 1);
    return name;
}

int32_t ToInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

double Vpe(const Qpe& qpe, int32_t doc, int32_t pixels, double offset) {
    return PixelsToVpe(qpe, doc, static_cast<double>(pixels) + offset);
}

} // namespace

double PixelsToVpe(const Qpe& qpe, int32_t, double v) {
    const double units = (600.0 / qpe.dpi) * (v / 235.0);
    return units < 0.0 ? 0.0 : units;
}

int32_t QPE_BeginDoc(Qpe& qpe, int32_t dpi) {
    // A canvas without a resolution would make every position a division by zero.
    qpe.dpi = dpi > 0 ? dpi : 1;
    PdfEngine& e = qpe.engine;
    const int32_t doc = e.OpenDocument("Qorva-PDF", 0x8000);
    if (doc == 0) WriteLog(10, "QPE_BeginDoc: The Document could not be created!");
    e.SetAutoPageBreak(doc, 0);
    e.SetDocumentMode(doc, 64);
    e.SetJobName(doc, "My own Job Name");
    e.SetUnits(doc, 0, 3);
    e.SetDefaultOutputRect(doc, 0.65, 0.6, FREE, FREE);
    e.SetPenWidth(doc, 2);
    e.SetDefaultFont(doc, "Courier", 10);
    const int32_t resolution = e.DeviceYResolution(doc);
    WriteLog(10, "ppi = " + std::to_string(qpe.dpi) +
                     ";  VpeGetDevYResolution(hDoc) = " + std::to_string(resolution));
    return doc;
}

int32_t QPE_EndDoc(Qpe& qpe, int32_t doc, const std::string& fileName, bool show) {
    PdfEngine& e = qpe.engine;
    e.SetTitle(doc, "Tutorial for VPE");
    e.SetAuthor(doc, "Qorva eG");
    e.SetTitle(doc, "Archivierung");
    e.SetSubject(doc, "Qorva Ausdruck Archiv");
    e.SetCreator(doc, "QorPrt");
    e.SetCompression(doc, 1);
    e.SetPdfVersion(doc, 2052);
    e.SetFontEmbedding(doc, 1);
    e.SetFontSubsetting(doc, 1);
    if (e.WriteDocument(doc, fileName) == 1) {
        qpe.lastEndDoc = Ok();
        if (show) {
            const std::string path = PdfFilePath(fileName);
            if (qpe.show)
                qpe.show(path);
            else
                OpenWithDesktop(path);
        }
    } else {
        WriteLog(10, "QPE_EndDoc: Error creating PDF file!");
        const std::string why = e.WriteError();
        qpe.lastEndDoc = Fail(why.empty() ? "Error creating PDF file!" : why);
    }
    e.CloseDocument(doc);
    return 1;
}

void QPE_NewPage(Qpe& qpe, int32_t doc) {
    qpe.engine.NewPage(doc);
}

int32_t QPE_Text(Qpe& qpe, int32_t doc, int32_t x, int32_t y, const std::string& text) {
    PdfEngine& e = qpe.engine;
    if (EngineFontName(qpe, doc) == "Courier New") e.SetFontName(doc, "Courier");
    e.MeasureText(doc, Vpe(qpe, doc, x, kTextMeasureX), Vpe(qpe, doc, y, 0), FREE, FREE, text);
    e.PrintText(doc, Vpe(qpe, doc, x, kX), Vpe(qpe, doc, y, 0), FREE, FREE, text);
    return ToInt32(e.ObjectEdge(doc, kLastObjectBottom));
}

void QPE_Font(Qpe& qpe, int32_t doc, int32_t size, const AttributeCounters& counters,
              std::string& currentFont) {
    PdfEngine& e = qpe.engine;
    e.SetUnderline(doc, counters[kUnderline]);
    e.SetBold(doc, counters[kBold]);
    e.SetItalic(doc, counters[kItalic]);
    int64_t points = size == 0 ? 12 : size;
    if (counters[kElite] != 0) points -= 2;
    if (counters[kCondensed] != 0) {
        points -= 2;
        // Unlike the canvas, the PDF always sets condensed text in "Arial Narrow".
        const std::string engineFont = EngineFontName(qpe, doc);
        if (engineFont != "Arial Narrow") currentFont = engineFont;
        e.SetFontName(doc, "Arial Narrow");
    } else {
        e.SetFontName(doc, currentFont);
    }
    if (counters[kHigh] != 0) points += 8;
    if (counters[kMini] != 0) points = 6;
    e.SetFontSize(doc, Sat32(points));
}

void QPE_Line(Qpe& qpe, int32_t doc, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    qpe.engine.DrawLine(doc, Vpe(qpe, doc, x1, kX), Vpe(qpe, doc, y1, kLineY),
                        Vpe(qpe, doc, x2, kX), Vpe(qpe, doc, y2, kLineY));
}

void QPE_Box(Qpe& qpe, int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom,
             bool filled) {
    PdfEngine& e = qpe.engine;
    const double l = Vpe(qpe, doc, left, kX), t = Vpe(qpe, doc, top, kBoxY);
    const double r = Vpe(qpe, doc, right, kX), b = Vpe(qpe, doc, bottom, kBoxY);
    if (!filled) {
        e.DrawBox(doc, l, t, r, b);
        return;
    }
    const int32_t transparent = e.Transparent(doc);
    const int32_t fill = e.FillColor(doc);
    e.SetFillColor(doc, 0);
    e.SetTransparent(doc, 0);
    e.DrawBox(doc, l, t, r, b);
    e.SetFillColor(doc, fill);
    e.SetTransparent(doc, transparent);
}

void QPE_Ellipse(Qpe& qpe, int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    // The ring belongs to the box-drawing lines around it and moves with them.
    qpe.engine.DrawEllipse(doc, Vpe(qpe, doc, left, kX), Vpe(qpe, doc, top, kLineY),
                           Vpe(qpe, doc, right, kX), Vpe(qpe, doc, bottom, kLineY));
}

void QPE_Picture(Qpe& qpe, int32_t doc, const std::string& fileName, int32_t x, int32_t y) {
    PdfEngine& e = qpe.engine;
    e.SetObjectFrame(doc, 0, 0);
    e.SetPictureResolution(doc, 300, 300);
    e.SetPictureLossless(doc, 1);
    e.PlacePicture(doc, Vpe(qpe, doc, x, 0), Vpe(qpe, doc, y, 0), FREE, FREE, fileName);
}

void QPE_Pdf417(Qpe& qpe, int32_t doc, int32_t x, int32_t y, const std::string& data) {
    PdfEngine& e = qpe.engine;
    e.SetObjectFrame(doc, 0, 0);
    e.SetPdf417EccLevel(doc, 4);
    e.SetPdf417Columns(doc, 7);
    e.SetPdf417Rows(doc, 0);
    e.SetPdf417Alignment(doc, 5);
    const double left = Vpe(qpe, doc, x, kX), top = Vpe(qpe, doc, y, kPdf417Y);
    e.DrawPdf417(doc, left, top, left + kPdf417Width, top + kPdf417Height, data);
}

QpeLayer::QpeLayer(PdfEngine& engine, ShowFile show) : qpe_{engine, std::move(show)} {}

void QpeLayer::Discard(int32_t doc) {
    qpe_.engine.CloseDocument(doc);
}

} // namespace qorprt
