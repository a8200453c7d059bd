#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qorprt::test {

// The standard output of a shell command.
std::string CommandOutput(const std::string& command);

// What poppler's tools say of a PDF file.
std::string PdfInfo(const std::string& pdf);     // pdfinfo
std::string PdfMetadata(const std::string& pdf); // pdfinfo -meta: the XMP packet
std::string PdfText(const std::string& pdf);     // pdftotext, UTF-8
std::string PdfFonts(const std::string& pdf);    // pdffonts
std::string PdfImages(const std::string& pdf);   // pdfimages -list
int PdfPages(const std::string& pdf);            // 0 when it is no PDF
// The value of one pdfinfo line ("Title", "Page size", ...); empty when missing.
std::string PdfInfoValue(const std::string& pdf, const std::string& key);

// A word of a PDF page and its box in points from the page's top-left corner (pdftotext -bbox).
struct WordBox {
    std::string text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    bool operator==(const WordBox&) const = default;
};
// The words of the first page, in reading order.
std::vector<WordBox> PdfWords(const std::string& pdf);
// The first word that is `text`; a box of zeros when there is none.
WordBox FindWord(const std::vector<WordBox>& words, const std::string& text);

// A page rendered to grey pixels (0 black, 255 white).
struct GreyPage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    uint8_t At(int x, int y) const {
        return x < 0 || y < 0 || x >= width || y >= height
                   ? 255
                   : pixels[static_cast<size_t>(y) * static_cast<size_t>(width) +
                            static_cast<size_t>(x)];
    }
    bool Dark(int x, int y) const { return At(x, y) < 128; }
};
// Page `page` (from 1) of the PDF at `dpi`, without antialiasing; empty when it fails.
GreyPage RenderPdfPage(const std::string& pdf, int page, int dpi);

} // namespace qorprt::test
