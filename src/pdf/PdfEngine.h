#pragma once

#include <cstdint>
#include <string>

namespace qorprt {

// The value passed for an edge the engine is to choose itself (the right and bottom edge of text
// and pictures, and of the default output rectangle).
inline constexpr double FREE = -2147483549.0;

// What ObjectEdge reports: the bottom edge of the last text or picture.
inline constexpr double kLastObjectBottom = -102.0;

// The PDF print engine as the document layer drives it: documents identified by a handle (0 is
// none), coordinates in engine units (centimetres from the page's top-left corner), 8-bit
// Windows-1252 texts. Operations on a handle that is not open do nothing and report 0.
//
// The values the layer passes are its own; what each setting means is the engine's. The engine
// on QPdfWriter (QtPdfEngine) says which settings it honours and how.
class PdfEngine {
public:
    virtual ~PdfEngine() = default;

    // A new document with its first page; 0 when it cannot be created.
    virtual int32_t OpenDocument(const std::string& title, uint32_t flags) = 0;
    // Writes the document to the file (an 8-bit name): 1 when the file is complete.
    virtual int32_t WriteDocument(int32_t doc, const std::string& fileName) = 0;
    // Closes the document; its handle is invalid afterwards.
    virtual void CloseDocument(int32_t doc) = 0;
    // Why the last WriteDocument wrote no file (UTF-8), for the user; empty when the engine
    // cannot tell. Not an operation the layer passes values to.
    virtual std::string WriteError() const { return {}; }
    virtual void NewPage(int32_t doc) = 0;

    // Document set-up.
    virtual void SetAutoPageBreak(int32_t doc, int32_t mode) = 0;
    virtual void SetDocumentMode(int32_t doc, int32_t flags) = 0;
    virtual void SetJobName(int32_t doc, const std::string& name) = 0;
    virtual void SetUnits(int32_t doc, int32_t unit, int32_t decimals) = 0;
    virtual void SetDefaultOutputRect(int32_t doc, double left, double top, double right,
                                      double bottom) = 0;
    // Line width in pixels of the printer the document mirrors.
    virtual void SetPenWidth(int32_t doc, int32_t pixels) = 0;
    virtual void SetDefaultFont(int32_t doc, const std::string& name, int32_t points) = 0;
    virtual int32_t DeviceYResolution(int32_t doc) = 0;

    // Document information and the PDF settings of the written file.
    virtual void SetTitle(int32_t doc, const std::string& text) = 0;
    virtual void SetAuthor(int32_t doc, const std::string& text) = 0;
    virtual void SetSubject(int32_t doc, const std::string& text) = 0;
    virtual void SetCreator(int32_t doc, const std::string& text) = 0;
    virtual void SetCompression(int32_t doc, int32_t on) = 0;
    virtual void SetPdfVersion(int32_t doc, int32_t version) = 0;
    virtual void SetFontEmbedding(int32_t doc, int32_t on) = 0;
    virtual void SetFontSubsetting(int32_t doc, int32_t on) = 0;

    // Font.
    virtual std::string FontName(int32_t doc) = 0;
    virtual void SetFontName(int32_t doc, const std::string& name) = 0;
    virtual void SetFontSize(int32_t doc, int32_t points) = 0;
    virtual void SetBold(int32_t doc, int32_t on) = 0;
    virtual void SetItalic(int32_t doc, int32_t on) = 0;
    virtual void SetUnderline(int32_t doc, int32_t on) = 0;

    // Text with its top-left corner at (x, y). MeasureText lays the text out without drawing it;
    // both return the text's bottom edge.
    virtual double MeasureText(int32_t doc, double x, double y, double right, double bottom,
                               const std::string& text) = 0;
    virtual double PrintText(int32_t doc, double x, double y, double right, double bottom,
                             const std::string& text) = 0;
    virtual double ObjectEdge(int32_t doc, double which) = 0;

    // Lines and rectangles with the pen; a rectangle's interior with the fill colour unless the
    // engine is transparent.
    virtual void DrawLine(int32_t doc, double x1, double y1, double x2, double y2) = 0;
    virtual void DrawBox(int32_t doc, double left, double top, double right, double bottom) = 0;
    virtual void DrawEllipse(int32_t doc, double left, double top, double right, double bottom) = 0;
    virtual int32_t Transparent(int32_t doc) = 0;
    virtual void SetTransparent(int32_t doc, int32_t on) = 0;
    virtual int32_t FillColor(int32_t doc) = 0;
    virtual void SetFillColor(int32_t doc, int32_t rgb) = 0;

    // Pictures and barcodes.
    virtual void SetObjectFrame(int32_t doc, int32_t width, int32_t style) = 0;
    virtual void SetPictureResolution(int32_t doc, int32_t xDpi, int32_t yDpi) = 0;
    virtual void SetPictureLossless(int32_t doc, int32_t on) = 0;
    virtual double PlacePicture(int32_t doc, double x, double y, double right, double bottom,
                                const std::string& fileName) = 0;
    virtual void SetPdf417EccLevel(int32_t doc, int32_t level) = 0;
    virtual void SetPdf417Columns(int32_t doc, int32_t columns) = 0;
    virtual void SetPdf417Rows(int32_t doc, int32_t rows) = 0;
    virtual void SetPdf417Alignment(int32_t doc, int32_t alignment) = 0;
    virtual void DrawPdf417(int32_t doc, double x1, double y1, double x2, double y2,
                            const std::string& data) = 0;
};

} // namespace qorprt
