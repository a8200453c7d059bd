#pragma once

#include "pdf/TextAttributes.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qorprt {

// What "+Mem" saves and "-Mem" restores.
struct AttributeMemory {
    AttributeCounters counters = kPageStartCounters;
    std::string fontName;
    std::optional<std::string> pdfFontTaken;
};

// The state of the line interpreter that lives from line to line. Positions are layout units:
// horizontally 1/120 inch with column 10 at the left margin, vertically 1/60 inch from the page
// top, each a baseline.
struct RenderState {
    AttributeCounters counters = kPageStartCounters;
    int32_t fontSize = 10;   // points, as the font rule last computed it
    std::string currentFont; // the font the attributes apply to when condensed is off
    // The PDF's font rule takes over the engine's font name (such as "Courier" for "Courier
    // New") where it differs: it stands for the current font in the PDF until the PRT file
    // chooses a font again, and never reaches the printed page.
    std::optional<std::string> pdfFontTaken;
    std::string fixedFont = "Courier New";
    std::string narrowFont = "Arial Narrow";
    std::string pdf417Font; // empty: no PDF417 font installed
    int32_t pdf417Columns = 7;
    AttributeMemory memory;   // lives as long as the program
    int32_t lineSpacing = 10; // lives as long as the program

    int32_t linePos = 0;     // baseline of the current line
    int32_t pageOffset = 0;  // grows per page on the preview, where pages are stacked
    int32_t textLinePos = 0; // where this line's text pieces are drawn
    int32_t column = 10;     // where the next piece or cell starts

    int32_t dpi = 96;       // the canvas's resolution, taken by the page set-up
    int32_t topOffset = 0;  // top margin in device pixels
    int32_t leftOffset = 0; // left margin in device pixels

    int32_t pictureHeight = 0; // pixels of the last picture loaded, in any rendering
    int32_t pictureWidth = 0;
    int32_t pictureBottom = 0; // layout units; never reset

    int16_t pageCounter = 1; // pages begun in the current printer document

    bool On(Attribute a) const { return counters[a] != 0; }
    // The font name the PRT file chose, for the printed page and the PDF alike.
    void SetCurrentFont(const std::string& name) {
        currentFont = name;
        pdfFontTaken.reset();
    }
};

} // namespace qorprt
