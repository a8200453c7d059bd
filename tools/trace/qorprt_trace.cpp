// qorprt-trace: renders a PRT file as the preview window does, or with --print as the print
// action does, and prints every drawing operation of the canvas, one per line; in print mode
// also what the printer document does and, with --pdf-trace, every drawing call that reaches the
// PDF engine. With --png it also writes the preview image, with --out the printed document.

#include "graphics/PrintTarget.h"
#include "pdf/PdfLayer.h"
#include "pdf/QpeLayer.h"
#include "pdf/RecordingPdfEngine.h"
#include "platform/canvas/Fonts.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/canvas/RecordingCanvas.h"
#include "platform/canvas/ScratchImage.h"
#include "platform/canvas/TracingCanvas.h"
#include "platform/printing/PdfPrinterSpooler.h"
#include "platform/printing/Printer.h"
#include "platform/system/Errors.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"
#include "platform/text/Strings.h"
#include "render/DocumentDriver.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

using namespace qorprt;

namespace {

using Sink = std::function<void(const std::string&)>;

int Usage() {
    std::cerr << "usage: qorprt-trace [--dpi N] [--top MM] [--left MM] [--canvas recording|qt]\n"
                 "                    [--png FILE] [--head FILE] [--head-offset TOPxLEFT]\n"
                 "                    [--print [--out FILE] [--pdf FILE [--show-pdf]] "
                 "[--pdf-trace]] FILE.PRT\n";
    return 2;
}

// The fonts of the recording canvas: fixed, so that traces do not depend on the machine.
std::vector<std::string> FixedFonts() {
    return {"Arial", "Arial Narrow", "Courier", "Courier New", "Code 128", "QorvaW"};
}

// The preview window's surroundings, for a trace: the fonts of the machine (or, on the recording
// canvas, the fixed list), no printer, and with the real fonts the window's scratch image.
class PreviewHost : public DocumentHost {
public:
    explicit PreviewHost(bool realFonts) : realFonts_(realFonts) {
        if (realFonts) scratch_ = std::make_unique<ScratchImage>();
    }
    bool openFailed = false;

    std::vector<std::string> FontNames(bool) override {
        return realFonts_ ? InstalledFontNames() : FixedFonts();
    }
    void ShowOpenError(const std::string& message) override {
        std::cerr << message << "\n";
        openFailed = true;
    }
    PrintTarget* Printer() override { return nullptr; }
    BitmapCanvas* ScratchCanvas() override { return scratch_.get(); }
    Point PrinterOffset() override { return {}; }
    int32_t WindowsVersion() override { return WindowsVersionNumber(); }

private:
    bool realFonts_;
    std::unique_ptr<ScratchImage> scratch_;
};

// The printer document in print mode: it says what it does, and on the real canvas also does it
// on the built-in PDF printer.
class PrintHost : public PrintTarget, public DocumentHost {
public:
    PrintHost(Sink sink, qorprt::Printer* printer) : sink_(std::move(sink)), printer_(printer) {
        // The real printer canvas has the window's scratch image for small barcodes.
        if (printer_) scratch_ = std::make_unique<ScratchImage>();
    }

    void BeginDoc() override {
        sink_("printer begin");
        if (printer_) printer_->BeginDoc();
    }
    bool EndDoc() override {
        sink_("printer end");
        if (!printer_) return true;
        const Status done = printer_->EndDoc();
        if (!done) std::cerr << done.error() << "\n";
        return done.ok();
    }
    void Abort() override {
        sink_("printer abort");
        if (printer_) printer_->Abort();
    }
    void NewPage() override {
        sink_("printer newpage");
        if (printer_) printer_->NewPage();
    }
    // The trace has no printer properties to switch bins with.
    void SwitchBin(int32_t) override {}

    std::vector<std::string> FontNames(bool) override {
        return printer_ ? printer_->Fonts() : FixedFonts();
    }
    void ShowOpenError(const std::string&) override {}
    PrintTarget* Printer() override { return this; }
    BitmapCanvas* ScratchCanvas() override { return scratch_.get(); }
    Point PrinterOffset() override { return {}; }
    int32_t WindowsVersion() override { return WindowsVersionNumber(); }

private:
    Sink sink_;
    qorprt::Printer* printer_;
    std::unique_ptr<ScratchImage> scratch_;
};

// The built-in PDF printer at the trace's resolution; a finished document is kept as the --out
// file or dropped, never put into the printer's output folder.
class TraceSpooler : public PdfPrinterSpooler {
public:
    TraceSpooler(int32_t dpi, std::string out) : dpi_(dpi), out_(std::move(out)) {}

    Expected<int32_t> Resolution(PrinterHandle&) override { return dpi_; }
    Status SubmitDocument(PrinterHandle&, const std::string& pdfPath, const std::string&,
                          const DevMode&) override {
        if (out_.empty()) return Ok();
        // Written anew rather than copied: the spool file is private to its owner.
        std::ifstream in(pdfPath, std::ios::binary);
        std::ofstream out(out_, std::ios::binary | std::ios::trunc);
        out << in.rdbuf();
        if (!in || !out.flush()) return Fail("cannot write " + out_);
        return Ok();
    }

private:
    int32_t dpi_;
    std::string out_;
};

// The QPE layer over the recording engine, which also says where each document ends.
class TracedLayer : public QpeLayer {
public:
    TracedLayer(RecordingPdfEngine& engine, Sink sink)
        : QpeLayer(engine, [](const std::string&) {}), sink_(std::move(sink)) {}

    int32_t EndDoc(int32_t doc, const std::string& fileName, bool show) override {
        const int32_t result = QpeLayer::EndDoc(doc, fileName, show);
        sink_("pdf end " + trace::Quoted(fileName) + (show ? " show=1" : " show=0"));
        return result;
    }

private:
    Sink sink_;
};

struct Options {
    int32_t dpi = 0; // 0: 96 for the preview, 600 for printing
    bool qt = false;
    bool print = false;
    std::string png;
    std::string out;
    std::string pdf; // 8-bit, as a job carries it
    bool showPdf = false;
    bool pdfTrace = false;
    JobSettings job;
    std::string file;
};

// 0 when the arguments are good, else the exit status of the usage message.
int ParseOptions(int argc, char** argv, Options& o) {
    o.job.HeadTop = 0;
    o.job.HeadLeft = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(arg);
            return argv[++i];
        };
        try {
            if (arg == "--dpi") {
                o.dpi = StrToIntDef(value(), 0);
                if (o.dpi <= 0) return Usage();
            } else if (arg == "--top") {
                o.job.RandOben = std::to_string(StrToIntDef(value(), 0));
            } else if (arg == "--left") {
                o.job.RandLinks = std::to_string(StrToIntDef(value(), 0));
            } else if (arg == "--canvas") {
                const std::string kind = value();
                if (kind != "recording" && kind != "qt") return Usage();
                o.qt = kind == "qt";
            } else if (arg == "--png") {
                o.png = value();
                o.qt = true;
            } else if (arg == "--head") {
                o.job.HeadFile = value();
            } else if (arg == "--head-offset") {
                const std::string offset = value();
                const size_t x = offset.find_first_of("xX");
                if (x == std::string::npos) return Usage();
                o.job.HeadTop = StrToIntDef(offset.substr(0, x), 0);
                o.job.HeadLeft = StrToIntDef(offset.substr(x + 1), 0);
            } else if (arg == "--print") {
                o.print = true;
            } else if (arg == "--out") {
                o.out = value();
            } else if (arg == "--pdf") {
                o.pdf = value();
            } else if (arg == "--show-pdf") {
                o.showPdf = true;
            } else if (arg == "--pdf-trace") {
                o.pdfTrace = true;
            } else if (arg.size() > 1 && arg[0] == '-') {
                return Usage();
            } else {
                o.file = arg;
            }
        } catch (const std::invalid_argument&) {
            return Usage();
        }
    }
    // PDF documents are only written while printing; the printed document is the real canvas's.
    if (!o.pdf.empty() || o.pdfTrace || o.showPdf) o.print = true;
    if (o.file.empty() || (o.print && !o.png.empty()) || (!o.out.empty() && !(o.print && o.qt)))
        return Usage();
    if (o.dpi == 0) o.dpi = o.print ? 600 : 96;
    return 0;
}

int Preview(Options& o, Sink sink, char** argv) {
    // The preview image is at most 1170 pixels wide and 5000 high.
    std::unique_ptr<QGuiApplication> app;
    QImage paper;
    std::unique_ptr<Canvas> device;
    std::unique_ptr<Canvas> canvas;
    if (o.qt) {
        static int qtArgc = 1;
        app = std::make_unique<QGuiApplication>(qtArgc, argv);
        paper = NewCanvasImage(1170, 5000, o.dpi);
        device = std::make_unique<QtCanvas>(paper, o.dpi);
        canvas = std::make_unique<TracingCanvas>(*device, sink);
    } else {
        auto recording = std::make_unique<RecordingCanvas>(o.dpi);
        recording->SetSink(sink);
        canvas = std::move(recording);
    }

    RenderState state;
    PdfState pdf;
    RenderContext ctx{state, o.job, pdf, nullptr, {}};
    PreviewHost host(o.qt);
    int status = 0;
    try {
        if (RenderDocument(*canvas, ctx, host, o.file, false) == RenderResult::NotOpened)
            status = 1;
    } catch (const std::exception& e) {
        std::cerr << "AppException: " << ExceptionClassName(e) << " - " << e.what() << "\n";
        status = 1;
    }

    if (o.qt && status == 0 && !o.png.empty()) {
        canvas.reset();
        device.reset();
        const QImage shown = paper.copy(0, 0, std::min(ctx.previewWidth, paper.width()),
                                        std::min(std::max(ctx.previewHeight, 1), paper.height()));
        if (!shown.save(QString::fromStdString(o.png), "PNG")) {
            std::cerr << "cannot write " << o.png << "\n";
            status = 1;
        }
    }
    return status;
}

int Print(Options& o, Sink sink, char** argv) {
    std::unique_ptr<QGuiApplication> app;
    if (o.qt || (!o.pdf.empty() && !o.pdfTrace)) {
        static int qtArgc = 1;
        app = std::make_unique<QGuiApplication>(qtArgc, argv);
    }

    std::unique_ptr<TraceSpooler> spooler;
    std::unique_ptr<Printer> printer;
    std::unique_ptr<Canvas> canvas;
    if (o.qt) {
        spooler = std::make_unique<TraceSpooler>(o.dpi, o.out);
        printer = std::make_unique<Printer>(*spooler, NewPrinterCanvas);
        printer->SetPrinterIndex(0);
        printer->Title = o.file;
        canvas = std::make_unique<TracingCanvas>(printer->Canvas(), sink);
    } else {
        auto recording = std::make_unique<RecordingCanvas>(o.dpi);
        recording->SetSink(sink);
        canvas = std::move(recording);
    }

    RecordingPdfEngine recordingEngine;
    std::unique_ptr<PdfOutput> traced;
    std::unique_ptr<PdfLayer> layer;
    PdfState pdf;
    if (o.pdfTrace) {
        recordingEngine.deviceResolution = o.dpi;
        recordingEngine.SetTraceSink(sink);
        traced = std::make_unique<TracedLayer>(recordingEngine, sink);
        pdf.engine = traced.get();
    } else if (printer) {
        layer = std::make_unique<PdfLayer>(*printer);
        pdf.engine = &layer->Output();
    } else {
        // The recording printer's page: A4 portrait.
        const int32_t dpi = o.dpi;
        layer = std::make_unique<PdfLayer>([dpi] { return PdfPageFormat{210.0, 297.0, dpi}; });
        pdf.engine = &layer->Output();
    }

    o.job.PDFname = o.pdf;
    o.job.ShowPdf = o.showPdf;
    RenderState state;
    RenderContext ctx{state, o.job, pdf, nullptr, {}};
    PrintHost host(sink, printer.get());
    int status = 0;
    try {
        const RenderResult result = RenderDocument(*canvas, ctx, host, o.file, true);
        if (result == RenderResult::NotOpened) {
            std::cerr << "Datei " << o.file << " konnte nicht ge\xC3\xB6"
                      << "ffnet werden!\n";
            status = 1;
        } else if (result == RenderResult::SpoolFailed) {
            status = 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "AppException: " << ExceptionClassName(e) << " - " << e.what() << "\n";
        status = 1;
    }
    // A document left open by an error is discarded.
    if (printer && printer->Printing()) printer->Abort();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (const int usage = ParseOptions(argc, argv, o); usage != 0) return usage;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

    std::string out;
    auto sink = [&out](const std::string& line) {
        out += line;
        out += '\n';
        if (out.size() > (1u << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    };
    const int status = o.print ? Print(o, sink, argv) : Preview(o, sink, argv);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return status;
}
