// Renders the sample documents in tests/data with the real canvas and real fonts, and checks what
// a reader of the printout would notice: tables whose rules meet, pages stacked in order,
// pictures under the text.

#include "platform/canvas/Fonts.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/canvas/TracingCanvas.h"
#include "render/DocumentDriver.h"
#include "support/GuiApp.h"
#include "support/WorkingFolder.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace qorprt {
namespace {

class PreviewHost : public DocumentHost {
public:
    std::vector<std::string> FontNames(bool) override { return InstalledFontNames(); }
    void ShowOpenError(const std::string& message) override { ADD_FAILURE() << message; }
    PrintTarget* Printer() override { return nullptr; }
    BitmapCanvas* ScratchCanvas() override { return nullptr; }
    Point PrinterOffset() override { return {}; }
    int32_t WindowsVersion() override { return WindowsVersionNumber(); }
};

struct Op {
    std::string kind;
    std::vector<int> values;
    std::string text;
};

Op Parse(const std::string& line) {
    std::istringstream in(line);
    Op op;
    in >> op.kind;
    for (int v; in >> v;)
        op.values.push_back(v);
    const size_t quote = line.find('"');
    if (quote != std::string::npos)
        op.text = line.substr(quote + 1, line.find('"', quote + 1) - quote - 1);
    return op;
}

struct Rendered {
    QImage image;
    std::vector<Op> ops;
    RenderState state;
};

Rendered RenderSample(const char* name, int32_t dpi, int width, int height) {
    test::EnsureGuiApplication();
    Rendered out;
    out.image = NewCanvasImage(width, height, dpi);
    JobSettings job;
    job.HeadTop = 0;
    job.HeadLeft = 0;
    PdfState pdf;
    RenderContext ctx{out.state, job, pdf, nullptr, {}};
    PreviewHost host;
    {
        QtCanvas device(out.image, dpi);
        TracingCanvas canvas(device,
                             [&](const std::string& line) { out.ops.push_back(Parse(line)); });
        const std::string file = std::string(QORPRT_TEST_DATA) + "/" + name;
        EXPECT_EQ(RenderDocument(canvas, ctx, host, file, false), RenderResult::Rendered);
    }
    return out;
}

TEST(SampleDocuments, InvoiceTableRulesMeetAtTheSameColumnsInEveryRow) {
    const Rendered r = RenderSample("invoice.prt", 600, 4400, 2200);
    // Vertical strokes of the table by x: every column's strokes must join from the top rule
    // to the bottom rule without a gap.
    std::map<int, std::vector<std::pair<int, int>>> verticals;
    for (const Op& op : r.ops)
        if (op.kind == "line" && op.values[0] == op.values[2])
            verticals[op.values[0]].push_back(
                {std::min(op.values[1], op.values[3]), std::max(op.values[1], op.values[3])});
    int tableColumns = 0;
    for (auto& [x, spans] : verticals) {
        if (spans.size() < 6) continue; // ticks of other rules
        ++tableColumns;
        std::sort(spans.begin(), spans.end());
        for (size_t i = 1; i < spans.size(); ++i)
            EXPECT_LE(spans[i].first, spans[i - 1].second) << "gap in the column at x " << x;
    }
    EXPECT_EQ(tableColumns, 4);
    // The article text starts exactly one cell after the second column's stroke.
    const Op* article = nullptr;
    for (const Op& op : r.ops)
        if (op.kind == "text" && op.text.rfind("Schraube", 0) == 0) article = &op;
    ASSERT_NE(article, nullptr);
    std::set<int> xs;
    for (auto& [x, spans] : verticals)
        if (spans.size() >= 6) xs.insert(x);
    const int second = *std::next(xs.begin());
    EXPECT_GT(article->values[0], second);
    EXPECT_LT(article->values[0] - second, 60);
    // Ink lies where the amount was right-aligned: the last column ends at column 710 (5900 px).
    bool ink = false;
    for (int x = 3400; x < 3560; ++x)
        for (int y = 0; y < r.image.height() && !ink; ++y)
            ink = qGray(r.image.pixel(x, y)) < 128;
    EXPECT_TRUE(ink);
}

TEST(SampleDocuments, StatementPagesStandOneBelowTheOther) {
    const Rendered r = RenderSample("statement.prt", 96, 800, 4010);
    std::vector<int> separators;
    std::vector<int> titles;
    for (const Op& op : r.ops) {
        if (op.kind == "line" && op.values[0] == 0 && op.values[2] == 800)
            separators.push_back(op.values[1]);
        if (op.kind == "text" && op.text.rfind("Kontoauszug", 0) == 0)
            titles.push_back(op.values[1]);
    }
    ASSERT_EQ(separators.size(), 2u);
    ASSERT_EQ(titles.size(), 3u);
    // Each page: title, rule, 20 lines: line position 220 + 5 = 225 at the break; the next page
    // starts 245 units further down.
    EXPECT_EQ(separators[0], 225 * 96 / 60);
    EXPECT_EQ(separators[1], (245 + 225) * 96 / 60);
    EXPECT_LT(titles[0], separators[0]);
    EXPECT_GT(titles[1], separators[0]);
    EXPECT_LT(titles[1], separators[1]);
    EXPECT_GT(titles[2], separators[1]);
    // The separator is drawn: dark pixels across the page width on its row.
    EXPECT_LT(qGray(r.image.pixel(400, separators[0])), 128);
}

TEST(SampleDocuments, LetterTextStartsBelowTheLetterhead) {
    test::WorkingFolder data(QORPRT_TEST_DATA);
    const Rendered r = RenderSample("letter.prt", 96, 800, 1000);
    ASSERT_FALSE(r.ops.empty());
    EXPECT_EQ(r.ops[0].kind, "image");
    // 600 x 150 pixels at 300 dpi on a 96 dpi preview, from the paper's edge.
    EXPECT_EQ(r.ops[0].values, (std::vector<int>{-16, -16, 176, 32}));
    EXPECT_EQ(r.state.pictureHeight, 90); // the stamp, loaded last
    int stamp = 0;
    for (const Op& op : r.ops)
        if (op.kind == "image") ++stamp;
    EXPECT_EQ(stamp, 2);
    // The stamp is red ink next to the last line.
    bool red = false;
    for (int x = 200; x < 400 && !red; ++x)
        for (int y = 100; y < 200 && !red; ++y) {
            const QRgb p = r.image.pixel(x, y);
            red = qRed(p) > 150 && qGreen(p) < 80;
        }
    EXPECT_TRUE(red);
}

} // namespace
} // namespace qorprt
