// Renders a generated 1000-page document in preview mode with the real canvas, as the preview
// window does (96 dpi image, cut at 4010 pixels).

#include "PrtGenerator.h"
#include "platform/canvas/Fonts.h"
#include "platform/canvas/QtCanvas.h"
#include "render/DocumentDriver.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

using namespace qorprt;

class PreviewHost : public DocumentHost {
public:
    std::vector<std::string> FontNames(bool) override { return InstalledFontNames(); }
    void ShowOpenError(const std::string&) override {}
    PrintTarget* Printer() override { return nullptr; }
    BitmapCanvas* ScratchCanvas() override { return nullptr; }
    Point PrinterOffset() override { return {}; }
    int32_t WindowsVersion() override { return WindowsVersionNumber(); }
};

void BM_PreviewThousandPages(benchmark::State& benchState) {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(argc, argv);
    const std::string path = "/tmp/qorprt-bench-1000-pages.prt";
    {
        std::ofstream out(path, std::ios::binary);
        out << bench::GenerateBusinessDocument(60 * 1000);
    }
    for (auto _ : benchState) {
        QImage paper = NewCanvasImage(1170, 5000, 96);
        QtCanvas canvas(paper, 96);
        JobSettings job;
        RenderState state;
        PdfState pdf;
        RenderContext ctx{state, job, pdf, nullptr, {}};
        PreviewHost host;
        RenderDocument(canvas, ctx, host, path, false);
        benchmark::DoNotOptimize(ctx.previewHeight);
    }
    std::remove(path.c_str());
    benchState.counters["pages_per_s"] = benchmark::Counter(
        1000.0 * static_cast<double>(benchState.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PreviewThousandPages)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
