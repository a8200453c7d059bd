#include "pdf/BarcodePainters.h"

#include "platform/canvas/BarcodePainters.h"

namespace qorprt {

BarcodePainters BuiltInBarcodePainters() {
    return {PaintCode128Run, PaintPdf417Symbol};
}

} // namespace qorprt
