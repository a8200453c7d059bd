// The built-in barcode fonts and the PDF417 encoder: the character codes, the Code 128 patterns
// against zint's own, and the rows of the PDF417 font.

#include "platform/canvas/BarcodeFonts.h"
#include "platform/canvas/Fonts.h"
#include "platform/canvas/Pdf417Encoder.h"

#include <gtest/gtest.h>

#include <zint.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qorprt {
namespace {

std::string Modules(const std::vector<BarElement>& elements) {
    std::string out;
    for (const BarElement& e : elements)
        out.append(static_cast<size_t>(e.modules), e.bar ? '1' : '0');
    return out;
}

std::string Modules(const std::vector<bool>& row) {
    std::string out;
    for (bool bar : row)
        out.push_back(bar ? '1' : '0');
    return out;
}

TEST(BarcodeFonts, AreListedAndFoundIgnoringCase) {
    for (const char* name : {"Code 128", "PDF417c"})
        EXPECT_TRUE(FontInstalled(InstalledFontNames(), name)) << name;
    EXPECT_EQ(BuiltInBarcodeFont("code 128"), BarcodeFont::Code128);
    EXPECT_EQ(BuiltInBarcodeFont("PDF417C"), BarcodeFont::Pdf417);
    // Text in a PDF417 font is always the encoder's, in the built-in font's code.
    EXPECT_EQ(BuiltInBarcodeFont("IDAutomationPDF417n3"), BarcodeFont::Pdf417);
    EXPECT_EQ(BuiltInBarcodeFont("Code 128 "), BarcodeFont::None);
    EXPECT_EQ(BuiltInBarcodeFont("Arial"), BarcodeFont::None);
}

TEST(BarcodeFonts, ModulesAreWholeUnitsFollowingTheEm) {
    struct {
        BarcodeFont font;
        double em;
        double module, ascent, height;
    } cases[] = {
        {BarcodeFont::Code128, 100, 9, 80, 100}, // 12 pt at 600 dpi
        {BarcodeFont::Code128, 200, 18, 160, 200},
        {BarcodeFont::Code128, 16, 1, 13, 16}, // 12 pt at 96 dpi
        {BarcodeFont::Code128, 32, 3, 26, 32},
        {BarcodeFont::Code128, 0, 1, 0, 0},
        {BarcodeFont::Pdf417, 83, 5, 15, 15}, // 10 pt at 600 dpi
        {BarcodeFont::Pdf417, 50, 3, 9, 9},   // 6 pt
        {BarcodeFont::Pdf417, 16, 1, 3, 3},   // 12 pt at 96 dpi
    };
    for (const auto& c : cases) {
        const BarFontMetrics m = BarcodeFontMetrics(c.font, c.em);
        EXPECT_EQ(m.module, c.module) << c.em;
        EXPECT_EQ(m.ascent, c.ascent) << c.em;
        EXPECT_EQ(m.height, c.height) << c.em;
    }
}

TEST(BarcodeFonts, Code128CharactersMapAsTheFreeFontDoes) {
    const std::pair<int, int> cases[] = {{32, 0},   {65, 33},   {126, 94},  {194, 0},
                                         {195, 95}, {204, 104}, {206, 106}, {31, -1},
                                         {127, -1}, {193, -1},  {207, -1},  {0xA4, -1}};
    for (const auto& [ch, value] : cases) {
        EXPECT_EQ(Code128Value(static_cast<unsigned char>(ch)), value) << ch;
        const int32_t modules = value < 0 ? 0 : value == 106 ? 13 : 11;
        EXPECT_EQ(BarcodeCharModules(BarcodeFont::Code128, static_cast<unsigned char>(ch)), modules)
            << ch;
    }
}

// zint draws complete Code 128 symbols; each of its symbol characters must be the pattern the
// font draws for exactly one value, and the values must add up to the symbol's check value.
TEST(BarcodeFonts, Code128PatternsAreTheSymbology) {
    std::map<std::string, int32_t> patterns;
    for (int32_t value = 0; value <= 106; ++value) {
        std::vector<BarElement> elements;
        const char ch = static_cast<char>(value < 95 ? value + 32 : value + 100);
        AppendBarElements(BarcodeFont::Code128, std::string_view(&ch, 1), elements);
        patterns[Modules(elements)] = value;
    }
    ASSERT_EQ(patterns.size(), 107u);

    std::set<int32_t> seen;
    // Every character of code sets A and B, digit runs for code set C, and shifts between them.
    std::vector<std::string> inputs = {"12345678a1234567812b\x01x\x02",
                                       "a\x01"
                                       "b\x02"
                                       "c\xE9\xE9",
                                       "4711",
                                       "Qorva",
                                       "ab\x01\x02\x03\x04",
                                       "\x01\xE9"};
    for (int first = 0; first < 128; first += 32) {
        std::string chunk;
        for (int ch = first; ch < first + 32; ++ch)
            chunk.push_back(static_cast<char>(ch));
        inputs.push_back(chunk);
    }
    for (const std::string& input : inputs) {
        for (int salt = 0; salt < 30; ++salt) {
            const std::string data = input + std::to_string(salt * 7919);
            std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol(ZBarcode_Create(),
                                                                            &ZBarcode_Delete);
            symbol->symbology = BARCODE_CODE128;
            symbol->input_mode = DATA_MODE;
            ASSERT_LT(ZBarcode_Encode(symbol.get(),
                                      reinterpret_cast<const unsigned char*>(data.data()),
                                      static_cast<int>(data.size())),
                      ZINT_ERROR)
                << symbol->errtxt;
            std::string row;
            for (int c = 0; c < symbol->width; ++c)
                row.push_back((symbol->encoded_data[0][c >> 3] >> (c & 7)) & 1 ? '1' : '0');
            std::vector<int32_t> values;
            for (size_t at = 0; at < row.size();) {
                const size_t length = row.size() - at == 13 ? 13 : 11;
                const auto found = patterns.find(row.substr(at, length));
                ASSERT_NE(found, patterns.end()) << "no value draws " << row.substr(at, length);
                values.push_back(found->second);
                at += length;
            }
            ASSERT_GE(values.size(), 3u);
            int64_t sum = values[0];
            for (size_t i = 1; i + 2 < values.size(); ++i)
                sum += static_cast<int64_t>(i) * values[i];
            EXPECT_EQ(sum % 103, values[values.size() - 2]) << data;
            seen.insert(values.begin(), values.end());
        }
    }
    for (int32_t value = 0; value <= 106; ++value)
        EXPECT_TRUE(seen.count(value)) << value << " not checked";
}

TEST(Pdf417Encoder, RowsAreStartCodewordsStopAndTheFontRowsDrawThem) {
    for (int32_t columns : {1, 4, 7, 9}) {
        const Pdf417Symbol symbol = EncodePdf417Symbol("Qorva eG R4711 \xE4\xF6\xFC", 4, columns);
        EXPECT_EQ(symbol.width, 17 * (columns + 4) + 1) << columns;
        ASSERT_FALSE(symbol.rows.empty());
        for (const std::vector<bool>& row : symbol.rows) {
            const std::string text = Pdf417FontRow(row);
            EXPECT_EQ(text.substr(0, 8), "8a1a1a1c");             // start pattern
            EXPECT_EQ(text.substr(text.size() - 9), "7a1c1a1b1"); // stop pattern
            std::vector<BarElement> elements;
            AppendBarElements(BarcodeFont::Pdf417, text, elements);
            EXPECT_EQ(Modules(elements), Modules(row));
        }
    }
    // Runs wider than the widest character take several.
    const std::vector<bool> wide = {true, true, true, true, true, true,
                                    true, true, true, true, true, false};
    EXPECT_EQ(Pdf417FontRow(wide), "92a");
    EXPECT_EQ(BarcodeCharModules(BarcodeFont::Pdf417, 'T'), 0);
}

TEST(Pdf417Encoder, RefusalsRaiseWithZintsReason) {
    const std::string tooLong(3000, 'a');
    for (const auto& [data, columns] :
         {std::pair<std::string, int32_t>{tooLong, 7}, {std::string(2000, '\xE4'), 9}}) {
        try {
            EncodePdf417Symbol(data, 4, columns);
            ADD_FAILURE() << columns;
        } catch (const EBarcodeError& e) {
            EXPECT_STREQ(e.ClassName(), "EBarcodeError");
            EXPECT_NE(
                std::string(e.what()).find("Der PDF417-Barcode kann nicht erzeugt werden: Error "),
                std::string::npos)
                << e.what();
        }
    }
}

} // namespace
} // namespace qorprt
