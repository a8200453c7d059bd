#include "pdf/RecordingPdfEngine.h"

#include "platform/canvas/Canvas.h"
#include "platform/canvas/TracingCanvas.h"
#include "platform/text/Encoding.h"

#include <cstdio>
#include <initializer_list>

namespace qorprt {

namespace {

std::string Number(double v) {
    if (v == FREE) return "FREE";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
}

std::string Numbers(std::initializer_list<double> values) {
    std::string out;
    for (double v : values)
        out += " " + Number(v);
    return out;
}

std::string Ints(std::initializer_list<int64_t> values) {
    std::string out;
    for (int64_t v : values)
        out += " " + std::to_string(v);
    return out;
}

std::string Text(const std::string& ansi) {
    return " " + trace::Quoted(Cp1252ToUtf8(ansi));
}

} // namespace

void RecordingPdfEngine::Note(std::string line) {
    if (!sink_) calls_.push_back(std::move(line));
}

void RecordingPdfEngine::Trace(const std::string& line) {
    if (sink_) sink_(line);
}

RecordingPdfEngine::Document* RecordingPdfEngine::Find(int32_t doc) {
    const auto it = documents_.find(doc);
    return it == documents_.end() ? nullptr : &it->second;
}

int32_t RecordingPdfEngine::OpenDocument(const std::string& title, uint32_t flags) {
    Note("OpenDocument" + Text(title) + Ints({flags}));
    if (failOpen) return 0;
    const int32_t doc = nextHandle_++;
    documents_[doc] = Document{};
    Trace("pdf begin");
    return doc;
}

int32_t RecordingPdfEngine::WriteDocument(int32_t doc, const std::string& fileName) {
    Note("WriteDocument" + Ints({doc}) + " " + trace::Quoted(fileName));
    return Find(doc) ? writeResult : 0;
}

void RecordingPdfEngine::CloseDocument(int32_t doc) {
    Note("CloseDocument" + Ints({doc}));
    documents_.erase(doc);
}

void RecordingPdfEngine::NewPage(int32_t doc) {
    Note("NewPage" + Ints({doc}));
    if (Find(doc)) Trace("pdf page");
}

void RecordingPdfEngine::SetAutoPageBreak(int32_t doc, int32_t mode) {
    Note("SetAutoPageBreak" + Ints({doc, mode}));
}

void RecordingPdfEngine::SetDocumentMode(int32_t doc, int32_t flags) {
    Note("SetDocumentMode" + Ints({doc, flags}));
}

void RecordingPdfEngine::SetJobName(int32_t doc, const std::string& name) {
    Note("SetJobName" + Ints({doc}) + Text(name));
}

void RecordingPdfEngine::SetUnits(int32_t doc, int32_t unit, int32_t decimals) {
    Note("SetUnits" + Ints({doc, unit, decimals}));
}

void RecordingPdfEngine::SetDefaultOutputRect(int32_t doc, double left, double top, double right,
                                              double bottom) {
    Note("SetDefaultOutputRect" + Ints({doc}) + Numbers({left, top, right, bottom}));
}

void RecordingPdfEngine::SetPenWidth(int32_t doc, int32_t pixels) {
    Note("SetPenWidth" + Ints({doc, pixels}));
}

void RecordingPdfEngine::SetDefaultFont(int32_t doc, const std::string& name, int32_t points) {
    Note("SetDefaultFont" + Ints({doc}) + Text(name) + Ints({points}));
    if (Document* d = Find(doc)) {
        d->font = name;
        d->size = points;
    }
}

int32_t RecordingPdfEngine::DeviceYResolution(int32_t doc) {
    Note("DeviceYResolution" + Ints({doc}));
    return Find(doc) ? deviceResolution : 0;
}

void RecordingPdfEngine::SetTitle(int32_t doc, const std::string& text) {
    Note("SetTitle" + Ints({doc}) + Text(text));
}

void RecordingPdfEngine::SetAuthor(int32_t doc, const std::string& text) {
    Note("SetAuthor" + Ints({doc}) + Text(text));
}

void RecordingPdfEngine::SetSubject(int32_t doc, const std::string& text) {
    Note("SetSubject" + Ints({doc}) + Text(text));
}

void RecordingPdfEngine::SetCreator(int32_t doc, const std::string& text) {
    Note("SetCreator" + Ints({doc}) + Text(text));
}

void RecordingPdfEngine::SetCompression(int32_t doc, int32_t on) {
    Note("SetCompression" + Ints({doc, on}));
}

void RecordingPdfEngine::SetPdfVersion(int32_t doc, int32_t version) {
    Note("SetPdfVersion" + Ints({doc, version}));
}

void RecordingPdfEngine::SetFontEmbedding(int32_t doc, int32_t on) {
    Note("SetFontEmbedding" + Ints({doc, on}));
}

void RecordingPdfEngine::SetFontSubsetting(int32_t doc, int32_t on) {
    Note("SetFontSubsetting" + Ints({doc, on}));
}

std::string RecordingPdfEngine::FontName(int32_t doc) {
    Note("FontName" + Ints({doc}));
    const Document* d = Find(doc);
    return d ? d->font : std::string();
}

void RecordingPdfEngine::SetFontName(int32_t doc, const std::string& name) {
    Note("SetFontName" + Ints({doc}) + Text(name));
    if (Document* d = Find(doc)) d->font = name;
}

void RecordingPdfEngine::SetFontSize(int32_t doc, int32_t points) {
    Note("SetFontSize" + Ints({doc, points}));
    if (Document* d = Find(doc)) d->size = points;
}

void RecordingPdfEngine::SetBold(int32_t doc, int32_t on) {
    Note("SetBold" + Ints({doc, on}));
    if (Document* d = Find(doc)) d->bold = on != 0;
}

void RecordingPdfEngine::SetItalic(int32_t doc, int32_t on) {
    Note("SetItalic" + Ints({doc, on}));
    if (Document* d = Find(doc)) d->italic = on != 0;
}

void RecordingPdfEngine::SetUnderline(int32_t doc, int32_t on) {
    Note("SetUnderline" + Ints({doc, on}));
    if (Document* d = Find(doc)) d->underline = on != 0;
}

double RecordingPdfEngine::MeasureText(int32_t doc, double x, double y, double right, double bottom,
                                       const std::string& text) {
    Note("MeasureText" + Ints({doc}) + Numbers({x, y, right, bottom}) + Text(text));
    return y;
}

double RecordingPdfEngine::PrintText(int32_t doc, double x, double y, double right, double bottom,
                                     const std::string& text) {
    Note("PrintText" + Ints({doc}) + Numbers({x, y, right, bottom}) + Text(text));
    if (const Document* d = Find(doc)) {
        const unsigned style = (d->bold ? kStyleBold : 0u) | (d->italic ? kStyleItalic : 0u) |
                               (d->underline ? kStyleUnderline : 0u);
        Trace("pdf text" + Numbers({x, y}) + Text(text) +
              " font=" + trace::Quoted(Cp1252ToUtf8(d->font)) + " size=" + std::to_string(d->size) +
              " style=" + trace::StyleText(style));
    }
    return y;
}

double RecordingPdfEngine::ObjectEdge(int32_t doc, double which) {
    Note("ObjectEdge" + Ints({doc}) + Numbers({which}));
    return 0.0;
}

void RecordingPdfEngine::DrawLine(int32_t doc, double x1, double y1, double x2, double y2) {
    Note("DrawLine" + Ints({doc}) + Numbers({x1, y1, x2, y2}));
    if (Find(doc)) Trace("pdf line" + Numbers({x1, y1, x2, y2}));
}

void RecordingPdfEngine::DrawBox(int32_t doc, double left, double top, double right,
                                 double bottom) {
    Note("DrawBox" + Ints({doc}) + Numbers({left, top, right, bottom}));
    if (const Document* d = Find(doc))
        Trace("pdf box" + Numbers({left, top, right, bottom}) +
              (d->transparent == 0 ? " filled=1" : " filled=0"));
}

void RecordingPdfEngine::DrawEllipse(int32_t doc, double left, double top, double right,
                                     double bottom) {
    Note("DrawEllipse" + Ints({doc}) + Numbers({left, top, right, bottom}));
    if (Find(doc)) Trace("pdf ellipse" + Numbers({left, top, right, bottom}));
}

int32_t RecordingPdfEngine::Transparent(int32_t doc) {
    Note("Transparent" + Ints({doc}));
    const Document* d = Find(doc);
    return d ? d->transparent : 0;
}

void RecordingPdfEngine::SetTransparent(int32_t doc, int32_t on) {
    Note("SetTransparent" + Ints({doc, on}));
    if (Document* d = Find(doc)) d->transparent = on;
}

int32_t RecordingPdfEngine::FillColor(int32_t doc) {
    Note("FillColor" + Ints({doc}));
    const Document* d = Find(doc);
    return d ? d->fill : 0;
}

void RecordingPdfEngine::SetFillColor(int32_t doc, int32_t rgb) {
    Note("SetFillColor" + Ints({doc, rgb}));
    if (Document* d = Find(doc)) d->fill = rgb;
}

void RecordingPdfEngine::SetObjectFrame(int32_t doc, int32_t width, int32_t style) {
    Note("SetObjectFrame" + Ints({doc, width, style}));
}

void RecordingPdfEngine::SetPictureResolution(int32_t doc, int32_t xDpi, int32_t yDpi) {
    Note("SetPictureResolution" + Ints({doc, xDpi, yDpi}));
}

void RecordingPdfEngine::SetPictureLossless(int32_t doc, int32_t on) {
    Note("SetPictureLossless" + Ints({doc, on}));
}

double RecordingPdfEngine::PlacePicture(int32_t doc, double x, double y, double right,
                                        double bottom, const std::string& fileName) {
    Note("PlacePicture" + Ints({doc}) + Numbers({x, y, right, bottom}) + " " +
         trace::Quoted(fileName));
    if (Find(doc)) Trace("pdf picture" + Numbers({x, y}) + Text(fileName));
    return y;
}

void RecordingPdfEngine::SetPdf417EccLevel(int32_t doc, int32_t level) {
    Note("SetPdf417EccLevel" + Ints({doc, level}));
}

void RecordingPdfEngine::SetPdf417Columns(int32_t doc, int32_t columns) {
    Note("SetPdf417Columns" + Ints({doc, columns}));
}

void RecordingPdfEngine::SetPdf417Rows(int32_t doc, int32_t rows) {
    Note("SetPdf417Rows" + Ints({doc, rows}));
}

void RecordingPdfEngine::SetPdf417Alignment(int32_t doc, int32_t alignment) {
    Note("SetPdf417Alignment" + Ints({doc, alignment}));
}

void RecordingPdfEngine::DrawPdf417(int32_t doc, double x1, double y1, double x2, double y2,
                                    const std::string& data) {
    Note("DrawPdf417" + Ints({doc}) + Numbers({x1, y1, x2, y2}) + Text(data));
    if (Find(doc)) Trace("pdf pdf417" + Numbers({x1, y1, x2, y2}) + Text(data));
}

} // namespace qorprt
