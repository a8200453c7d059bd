// qorprt-trace: renders a PRT file in preview mode, as the preview window does, and prints every
// drawing operation of the canvas, one per line. With --png it also writes the preview image.

#include "platform/canvas/Fonts.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/canvas/RecordingCanvas.h"
#include "platform/canvas/ScratchImage.h"
#include "platform/canvas/TracingCanvas.h"
#include "platform/system/Errors.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"
#include "platform/text/Strings.h"
#include "render/DocumentDriver.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

using namespace qorprt;

namespace {

int Usage() {
    std::cerr << "usage: qorprt-trace [--dpi N] [--top MM] [--left MM] [--canvas recording|qt]\n"
                 "                    [--png FILE] [--head FILE] [--head-offset TOPxLEFT] "
                 "FILE.PRT\n";
    return 2;
}

// The preview window's surroundings, for a trace: the fonts of the machine (or, on the recording
// canvas, a fixed list so that traces do not depend on the machine), no printer, and with the
// real fonts the window's scratch image.
class TraceHost : public DocumentHost {
public:
    explicit TraceHost(bool realFonts) : realFonts_(realFonts) {
        if (realFonts) scratch_ = std::make_unique<ScratchImage>();
    }
    bool openFailed = false;

    std::vector<std::string> FontNames(bool) override {
        if (realFonts_) return InstalledFontNames();
        return {"Arial", "Arial Narrow", "Courier", "Courier New", "Code 128", "QorvaW"};
    }
    void ShowOpenError(const std::string& message) override {
        std::cerr << Cp1252ToUtf8(message) << "\n";
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

} // namespace

int main(int argc, char** argv) {
    int32_t dpi = 96;
    bool qt = false;
    std::string png;
    JobSettings job;
    job.HeadTop = 0;
    job.HeadLeft = 0;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(arg);
            return argv[++i];
        };
        try {
            if (arg == "--dpi") {
                dpi = StrToIntDef(value(), 0);
                if (dpi <= 0) return Usage();
            } else if (arg == "--top") {
                job.RandOben = std::to_string(StrToIntDef(value(), 0));
            } else if (arg == "--left") {
                job.RandLinks = std::to_string(StrToIntDef(value(), 0));
            } else if (arg == "--canvas") {
                const std::string kind = value();
                if (kind != "recording" && kind != "qt") return Usage();
                qt = kind == "qt";
            } else if (arg == "--png") {
                png = value();
                qt = true;
            } else if (arg == "--head") {
                job.HeadFile = Utf8ToCp1252(value());
            } else if (arg == "--head-offset") {
                const std::string offset = value();
                const size_t x = offset.find_first_of("xX");
                if (x == std::string::npos) return Usage();
                job.HeadTop = StrToIntDef(offset.substr(0, x), 0);
                job.HeadLeft = StrToIntDef(offset.substr(x + 1), 0);
            } else if (arg.size() > 1 && arg[0] == '-') {
                return Usage();
            } else {
                file = Utf8ToCp1252(arg);
            }
        } catch (const std::invalid_argument&) {
            return Usage();
        }
    }
    if (file.empty()) return Usage();

    std::string out;
    auto sink = [&out](const std::string& line) {
        out += line;
        out += '\n';
        if (out.size() > (1u << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    };

    // The preview image is at most 1170 pixels wide and 5000 high.
    std::unique_ptr<QGuiApplication> app;
    QImage paper;
    std::unique_ptr<Canvas> device;
    std::unique_ptr<Canvas> canvas;
    if (qt) {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int qtArgc = 1;
        app = std::make_unique<QGuiApplication>(qtArgc, argv);
        paper = NewCanvasImage(1170, 5000, dpi);
        device = std::make_unique<QtCanvas>(paper, dpi);
        canvas = std::make_unique<TracingCanvas>(*device, sink);
    } else {
        auto recording = std::make_unique<RecordingCanvas>(dpi);
        recording->SetSink(sink);
        canvas = std::move(recording);
    }

    RenderState state;
    PdfState pdf;
    RenderContext ctx{state, job, pdf, nullptr, {}};
    TraceHost host(qt);
    int status = 0;
    try {
        if (RenderDocument(*canvas, ctx, host, file, false) == RenderResult::NotOpened) status = 1;
    } catch (const std::exception& e) {
        std::cerr << "AppException: " << ExceptionClassName(e) << " - " << e.what() << "\n";
        status = 1;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);

    if (qt && status == 0 && !png.empty()) {
        canvas.reset();
        device.reset();
        const QImage shown = paper.copy(0, 0, std::min(ctx.previewWidth, paper.width()),
                                        std::min(std::max(ctx.previewHeight, 1), paper.height()));
        if (!shown.save(QString::fromStdString(png), "PNG")) {
            std::cerr << "cannot write " << png << "\n";
            status = 1;
        }
    }
    return status;
}
