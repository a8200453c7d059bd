#pragma once

#include "pdf/PdfOutput.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qorprt {

class PdfEngine;

// Opens a finished PDF file for display; gets the file-system path.
using ShowFile = std::function<void(const std::string& path)>;

// What the QPE_ functions work on: the engine, how a finished file is shown, and the resolution
// of the printer canvas whose pixels the open document receives.
struct Qpe {
    PdfEngine& engine;
    ShowFile show;
    int32_t dpi = 600;
    Status lastEndDoc = Ok(); // whether the last QPE_EndDoc wrote its file, or why not
};

// Device pixels of the printer canvas to engine units: 235 pixels at 600 dpi make one unit (not
// 236.2, so a unit is 235/600 inch of the printer page); negative results become 0.0.
double PixelsToVpe(const Qpe& qpe, int32_t doc, double v);

// The PDF document layer. Each operation adds its fixed offset in device pixels, converts and
// calls the engine in a fixed order; see QpeLayer.cpp.
int32_t QPE_BeginDoc(Qpe& qpe, int32_t dpi);
int32_t QPE_EndDoc(Qpe& qpe, int32_t doc, const std::string& fileName, bool show);
void QPE_NewPage(Qpe& qpe, int32_t doc);
int32_t QPE_Text(Qpe& qpe, int32_t doc, int32_t x, int32_t y, const std::string& text);
void QPE_Font(Qpe& qpe, int32_t doc, int32_t size, const AttributeCounters& counters,
              std::string& currentFont);
void QPE_Line(Qpe& qpe, int32_t doc, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void QPE_Box(Qpe& qpe, int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom,
             bool filled);
void QPE_Ellipse(Qpe& qpe, int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom);
void QPE_Picture(Qpe& qpe, int32_t doc, const std::string& fileName, int32_t x, int32_t y);
void QPE_Pdf417(Qpe& qpe, int32_t doc, int32_t x, int32_t y, const std::string& data);

// The layer behind the drawing code's PdfOutput, over any engine. Without a show function a
// finished file is opened with the desktop's program for PDF files.
class QpeLayer : public PdfOutput {
public:
    explicit QpeLayer(PdfEngine& engine, ShowFile show = {});

    int32_t BeginDoc(int32_t dpi) override { return QPE_BeginDoc(qpe_, dpi); }
    int32_t EndDoc(int32_t doc, const std::string& fileName, bool show) override {
        return QPE_EndDoc(qpe_, doc, fileName, show);
    }
    Status LastEndDoc() const override { return qpe_.lastEndDoc; }
    void Discard(int32_t doc) override;
    void NewPage(int32_t doc) override { QPE_NewPage(qpe_, doc); }
    int32_t Text(int32_t doc, int32_t x, int32_t y, const std::string& text) override {
        return QPE_Text(qpe_, doc, x, y, text);
    }
    void Font(int32_t doc, int32_t size, const AttributeCounters& counters,
              std::string& currentFont) override {
        QPE_Font(qpe_, doc, size, counters, currentFont);
    }
    void Line(int32_t doc, int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
        QPE_Line(qpe_, doc, x1, y1, x2, y2);
    }
    void Box(int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom,
             bool filled) override {
        QPE_Box(qpe_, doc, left, top, right, bottom, filled);
    }
    void Ellipse(int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom) override {
        QPE_Ellipse(qpe_, doc, left, top, right, bottom);
    }
    void Picture(int32_t doc, const std::string& fileName, int32_t x, int32_t y) override {
        QPE_Picture(qpe_, doc, fileName, x, y);
    }
    void Pdf417(int32_t doc, int32_t x, int32_t y, const std::string& data) override {
        QPE_Pdf417(qpe_, doc, x, y, data);
    }

private:
    Qpe qpe_;
};

} // namespace qorprt
