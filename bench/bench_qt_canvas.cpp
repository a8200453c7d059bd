// Text runs on the production canvas: measuring, drawing on a 600 dpi image and into a PDF.
#include "platform/canvas/QtCanvas.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

void EnsureApp() {
    if (QCoreApplication::instance()) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_qt_canvas";
    static char* argv[] = {name, nullptr};
    static const auto app = std::make_unique<QGuiApplication>(argc, argv);
}

// A typical line of a list: 80 columns of mixed text.
const std::string kLine =
    "4711 Mustermann GmbH      Hauptstr. 12   12345 Musterstadt   1.234,56 EUR  offen  ";

void SetUpFont(qorprt::QtCanvas& canvas, const char* name) {
    canvas.SetFontName(name);
    canvas.SetFontSize(10);
}

void BM_TextExtent(benchmark::State& state) {
    EnsureApp();
    QImage image = qorprt::NewCanvasImage(16, 16, 600);
    qorprt::QtCanvas canvas(image, 600);
    SetUpFont(canvas, "Courier New");
    for (auto _ : state)
        benchmark::DoNotOptimize(canvas.TextExtent(kLine));
}
BENCHMARK(BM_TextExtent);

void BM_TextOutImage600(benchmark::State& state) {
    EnsureApp();
    QImage image = qorprt::NewCanvasImage(4960, 1200, 600);
    qorprt::QtCanvas canvas(image, 600);
    SetUpFont(canvas, state.range(0) ? "Arial" : "Courier New");
    int32_t y = 0;
    for (auto _ : state) {
        canvas.TextOut(118, y, kLine);
        y = (y + 100) % 1100;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextOutImage600)->Arg(0)->Arg(1);

void BM_TextOutImage96(benchmark::State& state) {
    EnsureApp();
    QImage image = qorprt::NewCanvasImage(794, 1123, 96);
    qorprt::QtCanvas canvas(image, 96);
    SetUpFont(canvas, "Courier New");
    int32_t y = 0;
    for (auto _ : state) {
        canvas.TextOut(19, y, kLine);
        y = (y + 16) % 1100;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextOutImage96);

// Switching the style between runs, as tags inside a line do.
void BM_TextOutStyleSwitch(benchmark::State& state) {
    EnsureApp();
    QImage image = qorprt::NewCanvasImage(4960, 1200, 600);
    qorprt::QtCanvas canvas(image, 600);
    SetUpFont(canvas, "Courier New");
    unsigned style = 0;
    for (auto _ : state) {
        style ^= qorprt::kStyleBold;
        canvas.SetFontStyle(style);
        canvas.TextOut(118, 500, "Betrag:");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextOutStyleSwitch);

void BM_TextOutPdf(benchmark::State& state) {
    EnsureApp();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(600);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    qorprt::QtCanvas canvas(writer, 600);
    SetUpFont(canvas, "Courier New");
    int32_t y = 0;
    for (auto _ : state) {
        canvas.TextOut(118, y, kLine);
        y += 100;
        if (y > 6800) {
            writer.newPage();
            y = 0;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextOutPdf);

} // namespace
