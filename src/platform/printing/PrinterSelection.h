#pragma once

#include <cstdint>

namespace qorprt {

// The printer object as the job command line sees it: whether a document is being spooled, and
// the index of the printer it prints on (an index into the installed printers, the list the
// printer list box shows).
class PrinterSelection {
public:
    virtual ~PrinterSelection() = default;
    virtual bool Printing() const = 0;
    virtual void SetPrinterIndex(int32_t index) = 0;
};

} // namespace qorprt
