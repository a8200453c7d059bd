#pragma once

#include "pdf/TextAttributes.h"
#include "platform/system/Expected.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qorprt {

// The PDF document layer as the drawing code calls it: every operation takes the document handle
// and device pixels of the printer canvas.
class PdfOutput {
public:
    virtual ~PdfOutput() = default;
    // A new document whose coordinates are pixels of a canvas of `dpi` (the printer canvas's
    // resolution); 0 on failure.
    virtual int32_t BeginDoc(int32_t dpi) = 0;
    virtual int32_t EndDoc(int32_t doc, const std::string& fileName, bool show) = 0;
    // Whether the last EndDoc wrote its file, or why not (UTF-8): EndDoc reports 1 either way.
    virtual Status LastEndDoc() const { return Ok(); }
    // Closes a document without writing it: the job it belongs to failed half way.
    virtual void Discard(int32_t doc) = 0;
    virtual void NewPage(int32_t doc) = 0;
    // Left edge including the left margin offset, baseline.
    virtual int32_t Text(int32_t doc, int32_t x, int32_t y, const std::string& text) = 0;
    // The PDF twin of the canvas font rule; it reads the attribute counters and may take over the
    // current font name, as the canvas rule does.
    virtual void Font(int32_t doc, int32_t size, const AttributeCounters& counters,
                      std::string& currentFont) = 0;
    virtual void Line(int32_t doc, int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    virtual void Box(int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     bool filled) = 0;
    // The degree ring of the box-drawing code 248, in the rectangle the canvas draws it in.
    virtual void Ellipse(int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    virtual void Picture(int32_t doc, const std::string& fileName, int32_t x, int32_t y) = 0;
    virtual void Pdf417(int32_t doc, int32_t x, int32_t y, const std::string& data) = 0;
};

// The open PDF document: handle 0 means none, and every caller tests that first.
struct PdfState {
    PdfOutput* engine = nullptr; // null where no PDF output is available
    int32_t handle = 0;
    // The PDF files the current print asked for and did not get (file-system paths, UTF-8).
    std::vector<std::string> unwritten;

    bool Open() const { return handle != 0 && engine != nullptr; }
};

} // namespace qorprt
