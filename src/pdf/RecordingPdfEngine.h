#pragma once

#include "pdf/PdfEngine.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qorprt {

// An engine that draws nothing and writes down what reaches it: every call as one line of
// Calls() (name, handle and arguments; numbers in engine units with four decimals, FREE as
// "FREE", texts in quotes as UTF-8), or, with a trace sink, the drawing calls in the trace
// tool's form:
//   pdf begin
//   pdf page
//   pdf text X Y "TEXT" font="NAME" size=S style=STYLE   (the placing text call)
//   pdf line X1 Y1 X2 Y2
//   pdf box L T R B filled=0|1
//   pdf ellipse L T R B
//   pdf picture X Y "PATH"
//   pdf pdf417 X1 Y1 X2 Y2 "DATA"
// It keeps the settings the layer reads back (font name, fill settings) and answers for them.
class RecordingPdfEngine : public PdfEngine {
public:
    // With a sink the calls are not kept, so that long documents trace in constant memory.
    void SetTraceSink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }
    const std::vector<std::string>& Calls() const { return calls_; }
    void Clear() { calls_.clear(); }

    bool failOpen = false;   // OpenDocument returns 0
    int32_t writeResult = 1; // what WriteDocument returns
    int32_t deviceResolution = 600;

    int32_t OpenDocument(const std::string& title, uint32_t flags) override;
    int32_t WriteDocument(int32_t doc, const std::string& fileName) override;
    void CloseDocument(int32_t doc) override;
    void NewPage(int32_t doc) override;
    void SetAutoPageBreak(int32_t doc, int32_t mode) override;
    void SetDocumentMode(int32_t doc, int32_t flags) override;
    void SetJobName(int32_t doc, const std::string& name) override;
    void SetUnits(int32_t doc, int32_t unit, int32_t decimals) override;
    void SetDefaultOutputRect(int32_t doc, double left, double top, double right,
                              double bottom) override;
    void SetPenWidth(int32_t doc, int32_t pixels) override;
    void SetDefaultFont(int32_t doc, const std::string& name, int32_t points) override;
    int32_t DeviceYResolution(int32_t doc) override;
    void SetTitle(int32_t doc, const std::string& text) override;
    void SetAuthor(int32_t doc, const std::string& text) override;
    void SetSubject(int32_t doc, const std::string& text) override;
    void SetCreator(int32_t doc, const std::string& text) override;
    void SetCompression(int32_t doc, int32_t on) override;
    void SetPdfVersion(int32_t doc, int32_t version) override;
    void SetFontEmbedding(int32_t doc, int32_t on) override;
    void SetFontSubsetting(int32_t doc, int32_t on) override;
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
    void SetObjectFrame(int32_t doc, int32_t width, int32_t style) override;
    void SetPictureResolution(int32_t doc, int32_t xDpi, int32_t yDpi) override;
    void SetPictureLossless(int32_t doc, int32_t on) override;
    double PlacePicture(int32_t doc, double x, double y, double right, double bottom,
                        const std::string& fileName) override;
    void SetPdf417EccLevel(int32_t doc, int32_t level) override;
    void SetPdf417Columns(int32_t doc, int32_t columns) override;
    void SetPdf417Rows(int32_t doc, int32_t rows) override;
    void SetPdf417Alignment(int32_t doc, int32_t alignment) override;
    void DrawPdf417(int32_t doc, double x1, double y1, double x2, double y2,
                    const std::string& data) override;

private:
    struct Document {
        std::string font;
        int32_t size = 10;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        int32_t transparent = 1;
        int32_t fill = 0xFFFFFF;
    };

    // The call's line, kept unless a trace sink takes the trace lines instead.
    void Note(std::string line);
    void Trace(const std::string& line);
    Document* Find(int32_t doc);

    std::function<void(const std::string&)> sink_;
    std::vector<std::string> calls_;
    std::map<int32_t, Document> documents_;
    int32_t nextHandle_ = 1;
};

} // namespace qorprt
