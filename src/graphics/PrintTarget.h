#pragma once

#include <cstdint>

namespace qorprt {

// The printer document as the page steps drive it while printing.
class PrintTarget {
public:
    virtual ~PrintTarget() = default;
    virtual void BeginDoc() = 0;
    // Ends the document and hands it to the spooler; false when the spooler refused it.
    virtual bool EndDoc() = 0;
    virtual void Abort() = 0;
    virtual void NewPage() = 0;
    // Has the printer take up `binCode` for the documents begun from now on: the selected
    // printer's properties are read with that bin, written as its defaults, and taken up by the
    // printer object.
    virtual void SwitchBin(int32_t binCode) = 0;
};

} // namespace qorprt
