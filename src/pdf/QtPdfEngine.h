#pragma once

#include "pdf/BarcodePainters.h"
#include "pdf/PdfEngine.h"

#include <functional>
#include <map>
#include <memory>

namespace qorprt {

// The page a document is made on: the paper of the printer document being printed, as it stands
// (landscape: wider than high), and the printer's resolution.
struct PdfPageFormat {
    double widthMm = 210.0;
    double heightMm = 297.0;
    int32_t dpi = 600;
};

using PageFormatSource = std::function<PdfPageFormat()>;

// The PDF engine on QPdfWriter. One engine unit is one centimetre of the PDF page; the painter's
// device units are pixels of the printer's resolution, so lines and bars come out as wide as on
// paper. Every document is PDF/A-1b; it is drawn into a temporary file and becomes the named
// file when it is written (see WriteArchiveFile).
//
// What it makes of the settings: text standing on a baseline a tenth of an inch of the printer
// page below the given point, whatever its font and size (the pieces of one line share their
// baseline, as on the printed page), in the fonts
// "Courier" (URW's Nimbus Mono PS), "Arial" and "Arial Narrow" (their Liberation twins) and any
// other installed font, bold, italic, underline (drawn as the printer canvas draws it); boxes
// outlined with the pen and filled with the fill colour unless transparent; pictures read from
// their file, placed at the picture resolution and embedded losslessly when asked; the pen width in
// printer pixels; the document information of the written file. Qt always compresses and embeds
// font subsets; the automatic page break, the document mode, the job name, the units (always
// centimetres), the default output rectangle and the object frame concern objects or windows this
// program never makes.
class QtPdfEngine : public PdfEngine {
public:
    // A painter not given: text in "Code 128" is drawn as ordinary text in whatever font stands
    // in for it, and a PDF417 symbol draws nothing.
    explicit QtPdfEngine(PageFormatSource pageFormat, BarcodePainters painters = {});
    ~QtPdfEngine() override;
    QtPdfEngine(const QtPdfEngine&) = delete;
    QtPdfEngine& operator=(const QtPdfEngine&) = delete;

    int32_t OpenDocument(const std::string& title, uint32_t flags) override;
    int32_t WriteDocument(int32_t doc, const std::string& fileName) override;
    void CloseDocument(int32_t doc) override;
    std::string WriteError() const override { return writeError_; }
    void NewPage(int32_t doc) override;
    void SetAutoPageBreak(int32_t, int32_t) override {}
    void SetDocumentMode(int32_t, int32_t) override {}
    void SetJobName(int32_t, const std::string&) override {}
    void SetUnits(int32_t, int32_t, int32_t) override {}
    void SetDefaultOutputRect(int32_t, double, double, double, double) override {}
    void SetPenWidth(int32_t doc, int32_t pixels) override;
    void SetDefaultFont(int32_t doc, const std::string& name, int32_t points) override;
    int32_t DeviceYResolution(int32_t doc) override;
    void SetTitle(int32_t doc, const std::string& text) override;
    void SetAuthor(int32_t doc, const std::string& text) override;
    void SetSubject(int32_t doc, const std::string& text) override;
    void SetCreator(int32_t doc, const std::string& text) override;
    void SetCompression(int32_t, int32_t) override {}
    // The version is fixed when a document opens: every document is PDF/A-1b, what the layer
    // asks for at its end.
    void SetPdfVersion(int32_t, int32_t) override {}
    void SetFontEmbedding(int32_t, int32_t) override {}
    void SetFontSubsetting(int32_t, int32_t) override {}
    std::string FontName(int32_t doc) override;
    void SetFontName(int32_t doc, const std::string& name) override;
    void SetFontSize(int32_t doc, int32_t points) override;
    void SetBold(int32_t doc, int32_t on) override;
    void SetItalic(int32_t doc, int32_t on) override;
    void SetUnderline(int32_t doc, int32_t on) override;
    double MeasureText(int32_t doc, double x, double y, double right, double bottom,
                       const std::string& text) override;
    double PrintText(int32_t doc, double x, double y, double right, double bottom,
                     const std::string& text) override;
    double ObjectEdge(int32_t doc, double which) override;
    void DrawLine(int32_t doc, double x1, double y1, double x2, double y2) override;
    void DrawBox(int32_t doc, double left, double top, double right, double bottom) override;
    void DrawEllipse(int32_t doc, double left, double top, double right, double bottom) override;
    int32_t Transparent(int32_t doc) override;
    void SetTransparent(int32_t doc, int32_t on) override;
    int32_t FillColor(int32_t doc) override;
    void SetFillColor(int32_t doc, int32_t rgb) override;
    void SetObjectFrame(int32_t, int32_t, int32_t) override {}
    void SetPictureResolution(int32_t doc, int32_t xDpi, int32_t yDpi) override;
    void SetPictureLossless(int32_t doc, int32_t on) override;
    double PlacePicture(int32_t doc, double x, double y, double right, double bottom,
                        const std::string& fileName) override;
    void SetPdf417EccLevel(int32_t doc, int32_t level) override;
    void SetPdf417Columns(int32_t doc, int32_t columns) override;
    void SetPdf417Rows(int32_t, int32_t) override {}
    void SetPdf417Alignment(int32_t, int32_t) override {}
    void DrawPdf417(int32_t doc, double x1, double y1, double x2, double y2,
                    const std::string& data) override;

    class Document;

private:
    Document* Find(int32_t doc);

    PageFormatSource pageFormat_;
    BarcodePainters painters_;
    std::map<int32_t, std::unique_ptr<Document>> documents_;
    int32_t nextHandle_ = 1;
    std::string writeError_;
};

} // namespace qorprt
