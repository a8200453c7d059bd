#include "support/PdfTools.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace qorprt {
namespace {

struct ToolRun {
    std::string out;
    int status = -1;
};

ToolRun Trace(const std::string& args) {
    ToolRun run;
    const std::string command = std::string(QORPRT_TRACE_TOOL) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(TraceTool, PrintsTheOperationsOfAFile) {
    test::TempDir dir;
    const std::string file =
        dir.Write("a.prt", "\t\t\t\tWort\r\n\t\t\t\t<179>\r\n\t\t\tSeite\tZwei\"\\\r\n");
    const ToolRun run = Trace("--dpi 120 --top 10 --left 5 " + file);
    EXPECT_EQ(run.status, 0);
    // Margins at 120 dpi: 10 mm is 47 px, 5 mm is 23 px. The separator of the page break is at
    // 20 + 5 = 25 units; the next page starts 45 units down, its first line at 55.
    EXPECT_EQ(run.out, "text 23 54 \"Wort\" font=\"Courier New\" size=10 style=-\n"
                       "line 28 87 28 67 pen=2\n"
                       "line 23 97 1023 97 pen=2\n"
                       "text 23 144 \"Zwei\\\"\\\\\" font=\"Courier New\" size=10 style=-\n");
}

TEST(TraceTool, MissingFileIsAnErrorWithTheMessageBoxText) {
    const ToolRun run = Trace("/nicht/da.prt");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Datei /nicht/da.prt konnte nicht geöffnet werden!"), std::string::npos);
}

TEST(TraceTool, RealCanvasTracesWithRealMetrics) {
    test::TempDir dir;
    const std::string file = dir.Write("b.prt", "\t\t\t\tAB\r\n");
    const std::string png = dir.File("b.png");
    const ToolRun run = Trace("--dpi 600 --png " + png + " " + file);
    EXPECT_EQ(run.status, 0);
    // Liberation Mono at 10 pt and 600 dpi: ascent 69, so the cell top is 100 - 69.
    EXPECT_NE(run.out.find("text 0 31 \"AB\" font=\"Courier New\" size=10 style=-"),
              std::string::npos)
        << run.out;
    EXPECT_FALSE(dir.Read("b.png").empty());
}

TEST(TraceTool, PrintModeSaysWhatThePrinterDocumentDoes) {
    test::TempDir dir;
    const std::string file =
        dir.Write("c.prt", "\t\t\t\tWort\r\n\t\t\tSeite\tZwei\r\n\t\t\tDoku\tDrei\r\n");
    const ToolRun run = Trace("--print --dpi 120 " + file);
    EXPECT_EQ(run.status, 0);
    // Every printed page starts blank: the page is filled with the white brush.
    EXPECT_EQ(run.out, "printer begin\n"
                       "text 0 7 \"Wort\" font=\"Courier New\" size=10 style=-\n"
                       "printer newpage\n"
                       "fill 0 0 5000 5000 brush=#FFFFFF\n"
                       "text 0 7 \"Zwei\" font=\"Courier New\" size=10 style=-\n"
                       "printer end\n"
                       "printer begin\n"
                       "fill 0 0 5000 5000 brush=#FFFFFF\n"
                       "text 0 7 \"Drei\" font=\"Courier New\" size=10 style=-\n"
                       "printer end\n");
}

TEST(TraceTool, PdfTracePrintsTheEngineCallsInEngineUnits) {
    test::TempDir dir;
    const std::string file = dir.Write(
        "d.prt",
        "\t\t\t\tA\xA4\r\n30\t22\t\t\t<179><248>\r\n\t\t\t\t<=R21>\r\n\t\t\tSeite\t<pdf=x>B\r\n");
    const ToolRun run = Trace("--pdf-trace --pdf 'C:\\a.pdf' --show-pdf " + file);
    EXPECT_EQ(run.status, 0);
    // 600 dpi: 235 pixels make a unit. Text at x + 85 and its baseline y; lines at +85/+60,
    // boxes at +85/+70; the ring with the lines.
    EXPECT_EQ(run.out, "printer begin\n"
                       "pdf begin\n"
                       "text 0 34 \"A\" font=\"Courier New\" size=10 style=-\n"
                       "pdf text 0.3617 0.4255 \"A\" font=\"Courier\" size=10 style=-\n"
                       "char 49 34 U+20AC font=\"Courier New\" size=10 style=-\n"
                       "pdf text 0.5702 0.4255 \"\xE2\x82\xAC\" font=\"Courier\" size=10 style=-\n"
                       "text 98 34 \"\" font=\"Courier New\" size=10 style=-\n"
                       "pdf text 0.7787 0.4255 \"\" font=\"Courier\" size=10 style=-\n"
                       "line 85 300 85 200 pen=2\n"
                       "pdf line 0.7234 1.5319 0.7234 1.1064\n"
                       "ellipse 120 230 145 260 pen=2 brush=clear\n"
                       "pdf ellipse 0.8723 1.2340 0.9787 1.3617\n"
                       "fill 0 336 120 420 brush=#000000\n"
                       "pdf box 0.3617 1.7447 0.8723 2.0851 filled=1\n"
                       "printer newpage\n"
                       "pdf page\n"
                       "fill 0 0 5000 5000 brush=#FFFFFF\n"
                       "pdf end \"C:\\\\a.pdf\" show=0\n"
                       "text 0 34 \"B\" font=\"Courier New\" size=10 style=-\n"
                       "printer end\n");
}

TEST(TraceTool, RealPrinterCanvasKeepsThePrintedDocumentAndWritesThePdf) {
    test::TempDir dir;
    const std::string file = dir.Write("e.prt", "\t\t\t\tRechnung\r\n\t\t\tSeite\tZwei \xA4\r\n");
    for (const char* canvas : {"qt", "recording"}) {
        const std::string printed = dir.File(std::string("gedruckt-") + canvas + ".pdf");
        const std::string archive = dir.File(std::string("archiv-") + canvas + ".pdf");
        const bool qt = std::string(canvas) == "qt";
        const ToolRun run =
            Trace(std::string("--print --canvas ") + canvas +
                  (qt ? " --out " + printed : std::string()) + " --pdf " + archive + " " + file);
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_NE(run.out.find("printer newpage\n"), std::string::npos);
        EXPECT_EQ(test::PdfPages(archive), 2) << canvas;
        EXPECT_EQ(test::PdfInfoValue(archive, "Title"), "Archivierung");
        EXPECT_NE(test::PdfText(archive).find("Zwei \xE2\x82\xAC"), std::string::npos);
        if (qt) {
            EXPECT_EQ(test::PdfPages(printed), 2);
            EXPECT_NE(test::PdfText(printed).find("Rechnung"), std::string::npos);
        }
    }
    // The printed document is the real canvas's.
    EXPECT_EQ(Trace("--print --out x.pdf " + file).status, 2);
}

} // namespace
} // namespace qorprt
