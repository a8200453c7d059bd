#include "platform/canvas/Pdf417Encoder.h"

#include <zint.h>

#include <climits>
#include <memory>
#include <string>

namespace qorprt {

namespace {

struct SymbolDeleter {
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};

[[noreturn]] void Refuse(const std::string& reason) {
    throw EBarcodeError("Der PDF417-Barcode kann nicht erzeugt werden: " + reason);
}

} // namespace

Pdf417Symbol EncodePdf417Symbol(std::string_view data, int32_t eccLevel, int32_t columns) {
    if (data.size() > static_cast<size_t>(INT_MAX)) Refuse("zu viele Daten");
    std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol) Refuse("kein Speicher");
    symbol->symbology = BARCODE_PDF417;
    symbol->input_mode = DATA_MODE;
    symbol->option_1 = eccLevel;
    symbol->option_2 = columns;
    symbol->option_3 = 0; // rows: as many as the data needs
    const int result =
        ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()),
                        static_cast<int>(data.size()));
    // Warnings (below ZINT_ERROR) still come with a complete symbol.
    if (result >= ZINT_ERROR) Refuse(symbol->errtxt);

    Pdf417Symbol out;
    out.width = symbol->width;
    out.rows.reserve(static_cast<size_t>(symbol->rows));
    for (int r = 0; r < symbol->rows; ++r) {
        std::vector<bool>& row = out.rows.emplace_back(static_cast<size_t>(symbol->width));
        // zint keeps one bit per module, least significant bit first (what its unexported
        // module_is_set reads).
        for (int c = 0; c < symbol->width; ++c)
            row[static_cast<size_t>(c)] = ((symbol->encoded_data[r][c >> 3] >> (c & 7)) & 1) != 0;
    }
    return out;
}

} // namespace qorprt
