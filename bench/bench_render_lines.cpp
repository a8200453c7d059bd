// Interprets a large generated PRT document on a canvas that only counts operations.

#include "PrtGenerator.h"
#include "graphics/TextRun.h"
#include "platform/text/Numbers.h"
#include "render/LineInterpreter.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

using namespace qorprt;

// Fixed-pitch metrics like the recording canvas, without building any text.
class CountingCanvas : public Canvas {
public:
    size_t operations = 0;
    int32_t PixelsPerInch() const override { return 600; }
    void TextOut(int32_t, int32_t, std::string_view) override { ++operations; }
    void TextOutW(int32_t, int32_t, char16_t) override { ++operations; }
    Size TextExtent(std::string_view text) override {
        const int32_t px = MulDiv(FontSize(), 600, 72);
        return {static_cast<int32_t>(text.size()) * (px * 3 / 5), px};
    }
    TextMetrics GetTextMetrics() override {
        const int32_t px = MulDiv(FontSize(), 600, 72);
        return {px * 4 / 5, px};
    }
    void LineTo(int32_t x, int32_t y) override {
        ++operations;
        MoveTo(x, y);
    }
    void Rectangle(int32_t, int32_t, int32_t, int32_t) override { ++operations; }
    void Ellipse(int32_t, int32_t, int32_t, int32_t) override { ++operations; }
    void FillRect(const Rect&) override { ++operations; }
    Rect ClipRect() const override { return {0, 0, 4960, 7016}; }
    void StretchDraw(const Rect&, const Image&) override { ++operations; }
};

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_RenderLines(benchmark::State& benchState) {
    const std::string document =
        bench::GenerateBusinessDocument(static_cast<size_t>(benchState.range(0)));
    size_t lines = 0;
    for (auto _ : benchState) {
        CountingCanvas canvas;
        JobSettings job;
        RenderState state;
        PdfState pdf;
        RenderContext ctx{state, job, pdf, nullptr, {}};
        ResetCanvas(canvas, ctx);
        state.currentFont = state.fixedFont;
        canvas.SetFontName(state.fixedFont);
        const std::string_view data(document);
        size_t start = 0;
        for (size_t crlf; (crlf = data.find("\r\n", start)) != std::string_view::npos;
             start = crlf + 2) {
            RenderLine(canvas, ctx, data.substr(start, crlf - start), false);
            ++lines;
        }
        benchmark::DoNotOptimize(canvas.operations);
    }
    benchState.counters["lines_per_s"] =
        benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
    benchState.counters["peak_rss_kb"] = static_cast<double>(PeakRssKb());
}
BENCHMARK(BM_RenderLines)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
