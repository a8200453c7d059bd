#include "render/PageSteps.h"

#include "graphics/BoxLines.h"
#include "graphics/LoadHead.h"
#include "graphics/PrintTarget.h"
#include "graphics/TextRun.h"
#include "pdf/PdfFilePath.h"
#include "platform/canvas/Canvas.h"
#include "platform/system/FailureNotice.h"
#include "platform/system/Log.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"
#include "platform/text/Strings.h"

namespace qorprt {

namespace {

constexpr std::string_view kPdfPage = "<PDF-Seite>";

void EndPrinterDocument(RenderContext& ctx) {
    if (ctx.job.NoPrint)
        ctx.printer->Abort();
    else if (!ctx.printer->EndDoc())
        ctx.spoolFailed = true;
}

// A new printed page starts blank, at the top, from the page set-up.
void StartPrintedPage(Canvas& canvas, RenderContext& ctx) {
    ctx.state.linePos = 0;
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.FillRect(canvas.ClipRect());
    ResetCanvas(canvas, ctx);
}

void BreakPreviewPage(Canvas& canvas, RenderContext& ctx, bool document) {
    RenderState& st = ctx.state;
    if (document) canvas.SetPenWidth(4);
    // The separator goes below a picture at the top of the page.
    const int32_t h = Sat32((int64_t{ctx.job.HeadTop} + st.pictureHeight) / 5);
    st.linePos = st.linePos < h ? Sat32(int64_t{h} + 5) : Sat32(int64_t{st.linePos} + 5);
    DrawLine(canvas, ctx, 0, st.linePos, 1000, st.linePos);
    st.pageOffset = Sat32(int64_t{st.pageOffset} + st.linePos + 20);
    st.linePos = 0;
    canvas.SetPenWidth(2);
    ResetCanvas(canvas, ctx);
}

void BreakPrintedPage(Canvas& canvas, RenderContext& ctx) {
    RenderState& st = ctx.state;
    const bool firstSheetFull = ctx.job.Duplex ? st.pageCounter == 2 : st.pageCounter == 1;
    if (ctx.job.FirstBinCode != ctx.job.BinCode && firstSheetFull) {
        // The rest of the file goes to the printer as a second document from the other bin.
        EndPrinterDocument(ctx);
        ctx.printer->SwitchBin(ctx.job.BinCode);
        ctx.printer->BeginDoc();
    } else {
        ctx.printer->NewPage();
    }
    if (ctx.pdf.Open()) ctx.pdf.engine->NewPage(ctx.pdf.handle);
    st.pageCounter = static_cast<int16_t>(st.pageCounter + 1);
    StartPrintedPage(canvas, ctx);
}

void BreakPrintedDocument(Canvas& canvas, RenderContext& ctx, std::string& text) {
    EndPrinterDocument(ctx);
    ctx.printer->SwitchBin(ctx.job.FirstBinCode);
    ctx.state.pageCounter = 1;
    ctx.printer->BeginDoc();
    const bool pdfPage = Contains(text, kPdfPage);
    if (ctx.pdf.Open()) {
        if (pdfPage)
            ctx.pdf.engine->NewPage(ctx.pdf.handle);
        else if (Contains(text, "<PDF=") || Contains(text, "<pdf="))
            ctx.job.ShowPdf = Contains(text, "<PDF=");
    }
    if (pdfPage) text.clear();
    StartPrintedPage(canvas, ctx);
    LoadHead(canvas, ctx, ctx.job.HeadFile, 0, 0, true);
}

void PdfNotWritten(RenderContext& ctx, const std::string& reason) {
    const std::string file = PdfFilePath(ctx.job.PDFname);
    WriteLog(10, "PDF-Datei " + file + " wurde nicht geschrieben: " + reason);
    NoticeFailure(file, reason);
    ctx.pdf.unwritten.push_back(file);
}

void MarkPictureBottom(RenderState& st) {
    st.pictureBottom = Sat32(int64_t{st.pictureHeight / 5} + st.linePos + st.pageOffset);
}

} // namespace

// A file name written in the PRT file (Windows-1252) as a name of this system (UTF-8).
std::string PrtPath(std::string_view path) {
    std::string out = ReplaceChar(std::string(path), '\xD6', '\\');
    return Cp1252ToUtf8(ReplaceChar(std::move(out), '\\', '/'));
}

void BreakPage(Canvas& canvas, RenderContext& ctx, std::string_view command, std::string& text,
               bool printing) {
    const bool document = Contains(command, "Doku");
    if (!printing || ctx.printer == nullptr)
        BreakPreviewPage(canvas, ctx, document);
    else if (document)
        BreakPrintedDocument(canvas, ctx, text);
    else
        BreakPrintedPage(canvas, ctx);
}

void PlaceCommandPicture(Canvas& canvas, RenderContext& ctx, std::string_view command,
                         bool printing) {
    const std::string path = PrtPath(command.size() > 4 ? command.substr(4) : std::string_view{});
    LoadHead(canvas, ctx, path, 0, 0, printing);
    RenderState& st = ctx.state;
    const int32_t h = Sat32((int64_t{ctx.job.HeadTop} + st.pictureHeight) / 5);
    if (h > st.linePos) st.linePos = h;
}

void PlaceInlinePicture(Canvas& canvas, RenderContext& ctx, std::string_view path, bool printing) {
    RenderState& st = ctx.state;
    LoadHead(canvas, ctx, PrtPath(path), Sat32(int64_t{st.column} + 6),
             Sat32(int64_t{st.textLinePos} + 1), printing);
    MarkPictureBottom(st);
}

void BeginPdf(Canvas& canvas, RenderContext& ctx) {
    ctx.pdf.handle = ctx.pdf.engine ? ctx.pdf.engine->BeginDoc(canvas.PixelsPerInch()) : 0;
    if (ctx.pdf.handle == 0) PdfNotWritten(ctx, "the PDF document could not be created");
}

void EndPdf(RenderContext& ctx) {
    if (!ctx.pdf.Open()) return;
    ctx.pdf.engine->EndDoc(ctx.pdf.handle, ctx.job.PDFname, ctx.job.ShowPdf);
    ctx.pdf.handle = 0;
    if (const Status written = ctx.pdf.engine->LastEndDoc(); !written)
        PdfNotWritten(ctx, written.error());
}

void SwitchPdf(Canvas& canvas, RenderContext& ctx, std::string_view rawPath, bool show,
               bool printing) {
    const std::string path = PrtPath(rawPath);
    // The job names its file as the user wrote it ("C:\Archiv\R1.pdf", in quotes when it has
    // blanks), the PRT file with "/": the same file either way must not be begun again, which
    // would write it twice and lose the first document.
    if (printing && PdfFilePath(path) != PdfFilePath(ctx.job.PDFname)) {
        ctx.job.ShowPdf = show;
        EndPdf(ctx);
        ctx.job.PDFname = path;
        if (path.size() < 2) {
            ctx.pdf.handle = 0;
        } else {
            BeginPdf(canvas, ctx);
            LoadHead(canvas, ctx, ctx.job.HeadFile, 0, 0, printing);
        }
    }
    MarkPictureBottom(ctx.state);
}

} // namespace qorprt
