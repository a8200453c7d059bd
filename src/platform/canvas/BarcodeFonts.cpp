#include "platform/canvas/BarcodeFonts.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace qorprt {

namespace {

constexpr std::string_view kPdf417FontAlias = "IDAutomationPDF417n3";

// Bar and space widths of the Code 128 symbol values 0-106, bar first; the stop pattern ends
// with its closing bar.
constexpr std::array<std::string_view, 107> kCode128Patterns = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};

// Font names are ASCII here; Windows compares them ignoring case.
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// A PDF417 font character: its modules, and whether they are a bar; 0 modules for none.
BarElement Pdf417Element(unsigned char ch) {
    if (ch >= '1' && ch <= '9') return {true, ch - '0'};
    if (ch >= 'a' && ch <= 'i') return {false, ch - 'a' + 1};
    return {};
}

} // namespace

const std::vector<std::string>& BuiltInFontNames() {
    static const std::vector<std::string> names = {std::string(kCode128FontName),
                                                   std::string(kPdf417FontName)};
    return names;
}

BarcodeFont BuiltInBarcodeFont(std::string_view name) {
    if (SameName(name, kCode128FontName)) return BarcodeFont::Code128;
    if (SameName(name, kPdf417FontName) || SameName(name, kPdf417FontAlias))
        return BarcodeFont::Pdf417;
    return BarcodeFont::None;
}

BarFontMetrics BarcodeFontMetrics(BarcodeFont font, double em) {
    em = std::max(em, 0.0);
    BarFontMetrics m;
    switch (font) {
    case BarcodeFont::Code128:
        // A symbol character is about an em wide; the bars fill the em from the cell's top, four
        // fifths of it above the baseline as with text.
        m.module = std::max(1.0, std::round(em / 11));
        m.height = std::round(em);
        m.ascent = m.height - std::floor(m.height / 5);
        break;
    case BarcodeFont::Pdf417:
        // A codeword (17 modules) is about an em wide; rows are three modules high, the least
        // the symbology allows, and stand on the baseline.
        m.module = std::max(1.0, std::round(em / 17));
        m.height = 3 * m.module;
        m.ascent = m.height;
        break;
    case BarcodeFont::None:
        break;
    }
    return m;
}

int32_t Code128Value(unsigned char ch) {
    if (ch >= 32 && ch <= 126) return ch - 32;
    if (ch == 194) return 0;
    if (ch >= 195 && ch <= 206) return ch - 100;
    return -1;
}

int32_t BarcodeCharModules(BarcodeFont font, unsigned char ch) {
    switch (font) {
    case BarcodeFont::Code128: {
        const int32_t value = Code128Value(ch);
        if (value < 0) return 0;
        int32_t modules = 0;
        for (char w : kCode128Patterns[static_cast<size_t>(value)])
            modules += w - '0';
        return modules;
    }
    case BarcodeFont::Pdf417:
        return Pdf417Element(ch).modules;
    case BarcodeFont::None:
        break;
    }
    return 0;
}

void AppendBarElements(BarcodeFont font, std::string_view text, std::vector<BarElement>& out) {
    for (char c : text) {
        const auto ch = static_cast<unsigned char>(c);
        if (font == BarcodeFont::Code128) {
            const int32_t value = Code128Value(ch);
            if (value < 0) continue;
            bool bar = true;
            for (char w : kCode128Patterns[static_cast<size_t>(value)]) {
                out.push_back({bar, w - '0'});
                bar = !bar;
            }
        } else if (font == BarcodeFont::Pdf417) {
            const BarElement element = Pdf417Element(ch);
            if (element.modules > 0) out.push_back(element);
        }
    }
}

std::string Pdf417FontRow(const std::vector<bool>& modules) {
    std::string row;
    for (size_t i = 0; i < modules.size();) {
        const bool bar = modules[i];
        size_t run = 1;
        while (i + run < modules.size() && modules[i + run] == bar)
            ++run;
        i += run;
        // Runs longer than the widest character take several characters of the same kind.
        for (; run > 0; run -= std::min<size_t>(run, 9)) {
            const auto width = static_cast<char>(std::min<size_t>(run, 9));
            row.push_back(bar ? static_cast<char>('0' + width)
                              : static_cast<char>('a' + width - 1));
        }
    }
    return row;
}

} // namespace qorprt
