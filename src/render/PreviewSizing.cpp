#include "render/PreviewSizing.h"

#include "platform/canvas/Canvas.h"
#include "platform/text/Numbers.h"

namespace qorprt {

PreviewSize SizePreview(Canvas& canvas, RenderContext& ctx, int32_t ppi) {
    RenderState& st = ctx.state;
    const int32_t topMargin = StrToIntDef(ctx.job.RandOben, 0);
    if (int64_t{st.linePos} + st.pageOffset < st.pictureBottom)
        st.linePos = Sat32(int64_t{st.pictureBottom} - st.pageOffset);
    PreviewSize size;
    size.height = Sat32(int64_t{MulDiv(ppi, Sat32(int64_t{topMargin} * 10), 254)} +
                        MulDiv(ppi, Sat32(int64_t{st.linePos} + st.pageOffset), 60));
    if (st.pictureHeight / 3 > size.height) size.height = st.pictureHeight / 3;
    if (size.height > kPreviewMaxHeight) {
        size.height = kPreviewMaxHeight;
        canvas.SetFontColor(kRed);
        canvas.SetFontSize(14);
        canvas.SetFontStyle(canvas.FontStyle() | kStyleBold);
        canvas.TextOut(10, 3980, "Die Darstellung am Bildschirm wird hier abgeschnitten!");
        canvas.SetFontColor(kBlack);
    }
    size.width = st.pictureWidth > 2600 ? st.pictureWidth / 3 : 785;
    return size;
}

PreviewWindowFit FitPreviewWindow(int32_t paperHeight, int32_t screenHeight, int32_t windowTop,
                                  int32_t windowHeight) {
    PreviewWindowFit fit{windowHeight, 0};
    const int64_t available = int64_t{screenHeight} - 60 - windowTop;
    if (available > fit.windowHeight) fit.windowHeight = Sat32(available);
    const int64_t wanted = int64_t{paperHeight} + 190;
    if (wanted < fit.windowHeight) fit.windowHeight = Sat32(wanted);
    fit.scrollRange = wanted > fit.windowHeight ? Sat32(int64_t{paperHeight} + 160) : 0;
    return fit;
}

} // namespace qorprt
