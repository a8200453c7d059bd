#include "render/PageSteps.h"
#include "support/RenderHarness.h"

#include <gtest/gtest.h>

namespace qorprt {
namespace {

using test::RenderHarness;
using Ops = std::vector<std::string>;

TEST(PrtPath, SlashesAndUmlautOStandForBackslashWhichSeparatesFolders) {
    EXPECT_EQ(PrtPath("C:/Bilder/logo.bmp"), "C:/Bilder/logo.bmp");
    EXPECT_EQ(PrtPath("bilder\xD6logo.bmp"), "bilder/logo.bmp");
    EXPECT_EQ(PrtPath("a\\b.png"), "a/b.png");
    EXPECT_EQ(PrtPath("relativ.png"), "relativ.png");
}

TEST(PreviewPageBreak, SeparatorBelowTheLastLineAndPagesStacked) {
    RenderHarness h;
    const Ops ops = h.Render({"40\t\t\t\tA", "\t\t\tSeite\tB", "\t\t\tDoku\tC<PDF-Seite>"});
    // Separator at 45 (pen 2), next page offset 65; B at 65+10; then 80 for the "Doku" break with
    // pen 4: line position 10 + 5 = 15, offset 65 + 35 = 100.
    EXPECT_EQ(
        ops,
        (Ops{"text 0 67 \"A\" font=\"Courier New\" size=10 style=-", "line 0 90 1000 90 pen=2",
             "text 0 137 \"B\" font=\"Courier New\" size=10 style=-", "line 0 160 1000 160 pen=4",
             "text 0 207 \"C<PDF-Seite>\" font=\"Courier New\" size=10 style=-"}));
    EXPECT_EQ(h.state.pageOffset, 100);
    EXPECT_EQ(h.canvas.Pen().width, 2);
}

TEST(PreviewPageBreak, SeparatorGoesBelowTheBackgroundPicture) {
    RenderHarness h;
    h.job.HeadTop = 10;
    h.state.pictureHeight = 600;
    h.Render({"\t\t\tSeite\tB"});
    // (10 + 600) / 5 = 122: separator at 127.
    EXPECT_EQ(h.canvas.Operations().front(), "line 0 254 1000 254 pen=2");
    EXPECT_EQ(h.state.pageOffset, 147);
}

struct BinCase {
    int32_t first, other;
    bool duplex;
    Ops expected;
};

TEST(PrintedPageBreak, BinSwitchAfterTheFirstSheet) {
    const BinCase cases[] = {
        {2, 3, false, {"EndDoc", "SwitchBin 3", "BeginDoc", "NewPage", "NewPage"}},
        {2, 3, true, {"NewPage", "EndDoc", "SwitchBin 3", "BeginDoc", "NewPage"}},
        {3, 3, false, {"NewPage", "NewPage", "NewPage"}},
    };
    for (const auto& c : cases) {
        RenderHarness h;
        h.job.FirstBinCode = c.first;
        h.job.BinCode = c.other;
        h.job.Duplex = c.duplex;
        h.Render({"\t\t\t\tA", "\t\t\tSeite\tB", "\t\t\tSeite\tC", "\t\t\tSeite\tD"}, true);
        EXPECT_EQ(h.printer.calls, c.expected) << c.first << " " << c.other << " " << c.duplex;
        EXPECT_EQ(h.state.pageCounter, 4);
        EXPECT_EQ(h.state.linePos, 10);
    }
}

TEST(PrintedPageBreak, NoPrintAbortsInsteadOfEnding) {
    RenderHarness h;
    h.job.NoPrint = true;
    h.job.FirstBinCode = 1;
    h.job.BinCode = 2;
    h.Render({"\t\t\tSeite\tB"}, true);
    EXPECT_EQ(h.printer.calls, (Ops{"Abort", "SwitchBin 2", "BeginDoc"}));
}

TEST(PrintedDocumentBreak, EachDocumentStartsFromTheFirstBin) {
    RenderHarness h;
    h.job.FirstBinCode = 1;
    h.job.BinCode = 2;
    h.Render({"\t\t\t\tA", "\t\t\tSeite\tB", "\t\t\tDoku\tC", "\t\t\tSeite\tD"}, true);
    EXPECT_EQ(h.printer.calls, (Ops{"EndDoc", "SwitchBin 2", "BeginDoc", "EndDoc", "SwitchBin 1",
                                    "BeginDoc", "EndDoc", "SwitchBin 2", "BeginDoc"}));
}

TEST(PrintedDocumentBreak, PdfPageMarkerBlanksTheLineAndAddsAPdfPage) {
    RenderHarness h;
    h.OpenPdf();
    const Ops ops = h.Render({"\t\t\tDoku\tText <PDF-Seite>"}, true);
    // The page is cleared with the brush, nothing else is drawn.
    EXPECT_EQ(ops, Ops{"fill 0 0 5000 5000 brush=#FFFFFF"});
    EXPECT_EQ(h.pdfLayer.calls.front(), "NewPage 7");
}

TEST(PrintedDocumentBreak, PdfTagDecidesWhetherThePdfIsShown) {
    RenderHarness h;
    h.OpenPdf();
    h.job.PDFname = "a.pdf";
    h.Render({"\t\t\tDoku\t<pdf=a.pdf>"}, true);
    EXPECT_FALSE(h.job.ShowPdf);
    h.Render({"\t\t\tDoku\t<PDF=a.pdf>"}, true);
    EXPECT_TRUE(h.job.ShowPdf);
    // Without a marker or a tag the PDF goes on on its current page.
    for (const auto& call : h.pdfLayer.calls)
        EXPECT_NE(call, "NewPage 7");
}

TEST(PrintedPageBreak, SeiteAlwaysAddsAPdfPage) {
    RenderHarness h;
    h.OpenPdf();
    h.Render({"\t\t\tSeite\tB"}, true);
    EXPECT_EQ(h.pdfLayer.calls.front(), "NewPage 7");
}

TEST(PdfSwitch, SwitchesFinishesAndEnds) {
    RenderHarness h;
    h.OpenPdf();
    h.job.PDFname = "erste.pdf";
    h.job.ShowPdf = false;
    // The same name changes nothing, not even the display flag.
    h.Render({"\t\t\t\t<PDF=erste.pdf>"}, true);
    EXPECT_FALSE(h.job.ShowPdf);
    h.pdfLayer.nextHandle = 8;
    h.Render({"\t\t\t\t<PDF=zweite.pdf>"}, true);
    EXPECT_TRUE(h.job.ShowPdf);
    EXPECT_EQ(h.job.PDFname, "zweite.pdf");
    EXPECT_EQ(h.pdf.handle, 8);
    h.Render({"\t\t\t\t<pdf=x>"}, true);
    EXPECT_EQ(h.pdf.handle, 0);
    EXPECT_FALSE(h.job.ShowPdf);
    Ops ends;
    for (const auto& call : h.pdfLayer.calls)
        if (call.rfind("EndDoc", 0) == 0 || call.rfind("BeginDoc", 0) == 0) ends.push_back(call);
    // The new document takes the canvas's resolution (the harness's 120 dpi).
    EXPECT_EQ(ends, (Ops{"EndDoc 7 erste.pdf show", "BeginDoc 120", "EndDoc 8 zweite.pdf hide"}));
}

TEST(PdfSwitch, PreviewOnlyMovesThePictureBottom) {
    RenderHarness h;
    h.state.pictureHeight = 100;
    h.Render({"50\t\t\t\t<PDF=neu.pdf>"});
    EXPECT_EQ(h.job.PDFname, "");
    EXPECT_EQ(h.state.pictureBottom, 20 + 50);
}

} // namespace
} // namespace qorprt
