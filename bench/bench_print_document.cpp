// Prints a generated 1000-page document in print mode into the printer's spool PDF (600 dpi, no
// submission), alone and with an archive PDF as /W writes it, and, for comparison, draws the same
// lines with a bare QPdfWriter. Peak memory is the process's: run one benchmark per process
// (--benchmark_filter) to compare them. Both also run at 3000 pages, to show that memory does
// not grow with the pages.

#include "PrtGenerator.h"
#include "graphics/PrintTarget.h"
#include "pdf/PdfLayer.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/printing/PdfPrinterSpooler.h"
#include "platform/printing/Printer.h"
#include "render/DocumentDriver.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

using namespace qorprt;

constexpr int kPages = 1000;

void EnsureApp() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(argc, argv);
}

std::string DocumentPath(int pages = kPages) {
    const std::string p = "/tmp/qorprt-bench-print-" + std::to_string(pages) + "-pages.prt";
    if (!std::ifstream(p)) {
        std::ofstream out(p, std::ios::binary);
        out << bench::GenerateBusinessDocument(60 * static_cast<size_t>(pages));
    }
    return p;
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class BenchHost : public PrintTarget, public DocumentHost {
public:
    explicit BenchHost(qorprt::Printer& printer) : printer_(printer) {}
    void BeginDoc() override { printer_.BeginDoc(); }
    bool EndDoc() override { return true; }
    void Abort() override { printer_.Abort(); }
    void NewPage() override { printer_.NewPage(); }
    void SwitchBin(int32_t) override {}
    std::vector<std::string> FontNames(bool) override { return printer_.Fonts(); }
    void ShowOpenError(const std::string&) override {}
    PrintTarget* Printer() override { return this; }
    BitmapCanvas* ScratchCanvas() override { return nullptr; }
    Point PrinterOffset() override { return {}; }
    int32_t WindowsVersion() override { return 100; }

private:
    qorprt::Printer& printer_;
};

// The document rendered into the spool PDF and discarded (no submission); with `archive` also
// written into the job's archive PDF (/W, shown: here nobody opens it).
void PrintDocument(benchmark::State& benchState, bool archive) {
    EnsureApp();
    const int pages = static_cast<int>(benchState.range(0));
    const std::string document = DocumentPath(pages);
    QTemporaryDir dir;
    setenv("QORPRT_PDF_DIR", dir.path().toLocal8Bit().constData(), 1);
    PdfPrinterSpooler spooler(dir.filePath("pdfprinter.conf").toStdString());
    Printer printer(spooler, NewPrinterCanvas);
    printer.SetPrinterIndex(0);
    PdfLayer layer(printer, {}, [](const std::string&) {});
    const std::string archiveFile = dir.filePath("archiv.pdf").toStdString();
    for (auto _ : benchState) {
        JobSettings job;
        job.NoPrint = true;
        RenderState state;
        PdfState pdf;
        if (archive) {
            job.PDFname = archiveFile;
            job.ShowPdf = true;
            pdf.engine = &layer.Output();
        }
        RenderContext ctx{state, job, pdf, nullptr, {}};
        BenchHost host(printer);
        RenderDocument(printer.Canvas(), ctx, host, document, true);
    }
    if (archive) {
        std::ifstream written(archiveFile, std::ios::binary | std::ios::ate);
        benchState.counters["archive_kb"] = static_cast<double>(written.tellg()) / 1024;
    }
    benchState.counters["pages_per_s"] = benchmark::Counter(
        pages * static_cast<double>(benchState.iterations()), benchmark::Counter::kIsRate);
    benchState.counters["peak_rss_kb"] = static_cast<double>(PeakRssKb());
}

void BM_PrintDocument(benchmark::State& benchState) {
    PrintDocument(benchState, false);
}
BENCHMARK(BM_PrintDocument)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Arg(kPages)
    ->Arg(3 * kPages);

void BM_PrintWithArchivePdf(benchmark::State& benchState) {
    PrintDocument(benchState, true);
}
BENCHMARK(BM_PrintWithArchivePdf)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Arg(kPages)
    ->Arg(3 * kPages);

// The same text lines, 60 to a page, with QPainter::drawText on a bare 600 dpi QPdfWriter.
void BM_BareQPdfWriterThousandPages(benchmark::State& benchState) {
    EnsureApp();
    std::vector<QString> lines;
    {
        std::istringstream in(bench::GenerateBusinessDocument(60 * kPages));
        for (std::string line; std::getline(in, line);) {
            const size_t tab = line.rfind('\t');
            lines.push_back(
                QString::fromLatin1(line.substr(tab == std::string::npos ? 0 : tab + 1)));
        }
    }
    QTemporaryDir dir;
    for (auto _ : benchState) {
        QPdfWriter writer(dir.filePath("bare.pdf"));
        writer.setResolution(600);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        QFont font("Courier New");
        font.setPixelSize(83);
        painter.setFont(font);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i > 0 && i % 60 == 0) writer.newPage();
            painter.drawText(0, static_cast<int>(100 * (i % 60 + 1)), lines[i]);
        }
    }
    benchState.counters["pages_per_s"] = benchmark::Counter(
        kPages * static_cast<double>(benchState.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareQPdfWriterThousandPages)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
