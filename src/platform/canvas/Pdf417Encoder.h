#pragma once

#include "platform/system/Errors.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace qorprt {

// A barcode that cannot be made of its data (too long for the symbol, an impossible option).
class EBarcodeError : public AppError {
public:
    using AppError::AppError;
    const char* ClassName() const noexcept override { return "EBarcodeError"; }
};

// A PDF417 symbol as its rows of modules, left to right; true is a bar.
struct Pdf417Symbol {
    int32_t width = 0; // modules per row
    std::vector<std::vector<bool>> rows;
};

// Encodes the bytes of `data` as they are into a PDF417 symbol (zint): error-correction level
// `eccLevel`, `columns` data columns (0: the encoder's choice), as many rows as the data needs,
// not truncated, compaction chosen by the data. Raises EBarcodeError when zint refuses.
Pdf417Symbol EncodePdf417Symbol(std::string_view data, int32_t eccLevel, int32_t columns);

} // namespace qorprt
