#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qorprt {

// The barcode fonts the program brings along, since no Linux desktop has them: text in them is
// drawn as bars and spaces, each a whole number of modules wide and as high as the font's cell.
//
// "Code 128" maps characters to symbol values as the common free Code 128 font does: 32-126 are
// the values 0-94, 194 is 0, 195-206 are 95-106 (103-105 the start characters, 106 the stop
// character with its closing bar). A character is its value's pattern, 11 modules wide (the stop
// character 13); characters without a value draw nothing and take no room.
//
// "PDF417c" draws the rows the PDF417 encoder writes in this font's own code: each character is
// one bar or one space, "1" to "9" a bar and "a" to "i" a space of that many modules. A row of
// the symbol is its run lengths, start and stop patterns included; the font's cell is three
// modules high, so rows set one font height apart stack into the symbol. Other characters draw
// nothing and take no room.
enum class BarcodeFont { None, Code128, Pdf417 };

inline constexpr std::string_view kCode128FontName = "Code 128";
inline constexpr std::string_view kPdf417FontName = "PDF417c";

// The built-in fonts, as the font lists of the screen and of the printers report them.
const std::vector<std::string>& BuiltInFontNames();

// The built-in font a font name selects, ignoring case as Windows compares font names. Both
// PDF417 font names select the built-in PDF417 font: text in a PDF417 font is always the
// encoder's, in this font's code.
BarcodeFont BuiltInBarcodeFont(std::string_view name);

// A bar font's layout for an em height in device units: the module width (whole units, at least
// one, following the em) and the cell, which the bars fill from top to bottom.
struct BarFontMetrics {
    double module = 1;
    double ascent = 0;
    double height = 0;
};
BarFontMetrics BarcodeFontMetrics(BarcodeFont font, double em);

// The width of one character in modules.
int32_t BarcodeCharModules(BarcodeFont font, unsigned char ch);

// A run of bar (or space) modules.
struct BarElement {
    bool bar = false;
    int32_t modules = 0;
};

// Appends the bars and spaces of `text` in the font, left to right.
void AppendBarElements(BarcodeFont font, std::string_view text, std::vector<BarElement>& out);

// One row of a PDF417 symbol (true: a bar module) as text in the PDF417 font's code.
std::string Pdf417FontRow(const std::vector<bool>& modules);

// The Code 128 symbol value of a character, -1 for a character without one.
int32_t Code128Value(unsigned char ch);

} // namespace qorprt
