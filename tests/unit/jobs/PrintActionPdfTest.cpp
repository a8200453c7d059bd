// The PDF side of printing, end to end on the built-in PDF printer: the job's PDF file, the PDF
// tags of the PRT file, page and document breaks, and PDF-only jobs, read back with poppler.

#include "graphics/RenderState.h"
#include "jobs/PrintAction.h"
#include "jobs/PrinterProperties.h"
#include "pdf/PdfLayer.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/printing/PdfPrinterSpooler.h"
#include "platform/printing/Printer.h"
#include "platform/system/Log.h"
#include "support/GuiApp.h"
#include "support/PdfPrinterJob.h"
#include "support/PdfTools.h"
#include "support/TempDir.h"
#include "support/WorkingFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace qorprt {
namespace {

namespace fs = std::filesystem;

struct ArchiveFile {
    std::string name; // relative to the working folder
    int pages;
    std::vector<std::string> words; // in the file's text
    std::vector<std::string> absent;
    int pictures = 0;
};

struct FlowCase {
    const char* name;
    const char* prt;
    const char* pdfName; // the job's, as /W or /w give it
    bool showPdf;
    bool noPrint;
    bool letterhead;
    std::vector<int> printedPages; // pages of each printed document
    std::vector<ArchiveFile> archives;
    std::vector<std::string> shown;
};

class PrintPdfTest : public ::testing::Test, protected test::PdfPrinterJob {
protected:
    PrintPdfTest() {
        layer = std::make_unique<PdfLayer>(*printer, BarcodePainters{},
                                           [this](const std::string& p) { shown.push_back(p); });
        pdf.engine = &layer->Output();
    }
    // The page counts of the printed documents.
    std::vector<int> Printed() const {
        std::vector<int> pages;
        for (const fs::path& file : Outputs())
            pages.push_back(test::PdfPages(file.string()));
        std::sort(pages.begin(), pages.end());
        return pages;
    }

    std::vector<std::string> shown;
    std::unique_ptr<PdfLayer> layer;
};

class PrintPdfFlow : public PrintPdfTest, public ::testing::WithParamInterface<FlowCase> {};

TEST_P(PrintPdfFlow, WritesTheArchiveFilesTheJobAndThePrtFileAskFor) {
    const FlowCase& c = GetParam();
    test::WorkingFolder cwd(dir.Path());
    fs::create_directories("archiv");
    fs::create_directories("C:/Archiv");
    fs::copy_file(std::string(QORPRT_TEST_DATA) + "/letterhead.png", "kopf.png");
    job.PDFname = c.pdfName;
    job.ShowPdf = c.showPdf;
    job.NoPrint = c.noPrint;
    if (c.letterhead) job.HeadFile = "kopf.png";

    EXPECT_EQ(Print(c.prt), RenderResult::Rendered);

    EXPECT_EQ(Printed(), c.printedPages);
    for (const ArchiveFile& a : c.archives) {
        const std::string file = dir.File(a.name);
        EXPECT_EQ(test::PdfPages(file), a.pages) << a.name;
        EXPECT_EQ(test::PdfInfoValue(file, "Title"), "Archivierung") << a.name;
        const std::string text = test::PdfText(file);
        for (const std::string& w : a.words)
            EXPECT_NE(text.find(w), std::string::npos) << a.name << ": " << w << "\n" << text;
        for (const std::string& w : a.absent)
            EXPECT_EQ(text.find(w), std::string::npos) << a.name << ": " << w;
        std::istringstream images(test::PdfImages(file));
        int pictures = -2; // two heading lines
        for (std::string line; std::getline(images, line);)
            ++pictures;
        EXPECT_EQ(pictures, a.pictures) << a.name;
    }
    EXPECT_EQ(shown, c.shown);
    // No other PDF file was written besides the printed documents.
    size_t pdfs = 0;
    for (const auto& entry : fs::recursive_directory_iterator("."))
        if (entry.path().extension() == ".pdf" && entry.path().parent_path() != "./out") ++pdfs;
    EXPECT_EQ(pdfs, c.archives.size());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PrintPdfFlow,
    ::testing::Values(
        FlowCase{"/W gives the printed document and the archive, shown",
                 "\t\t\t\tRechnung 4711\r\n\t\t\tSeite\tZweite Seite\r\n",
                 "archiv\\R4711.pdf",
                 true,
                 false,
                 false,
                 {2},
                 {{"archiv/R4711.pdf", 2, {"Rechnung 4711", "Zweite Seite"}, {}}},
                 {"archiv/R4711.pdf"}},
        FlowCase{"/w writes without showing; a name in quotes loses them",
                 "\t\t\t\tRechnung 4711\r\n",
                 "\"archiv\\R 4711.pdf\"",
                 false,
                 false,
                 false,
                 {1},
                 {{"archiv/R 4711.pdf", 1, {"Rechnung 4711"}, {}}},
                 {}},
        FlowCase{"/P- leaves only the PDF",
                 "\t\t\t\tNur PDF\r\n\t\t\tSeite\tZwei\r\n",
                 "nur.pdf",
                 false,
                 true,
                 false,
                 {},
                 {{"nur.pdf", 2, {"Nur PDF", "Zwei"}, {}}},
                 {}},
        FlowCase{"<PDF=> finishes the file, shows it, and begins the next with the letterhead",
                 "\t\t\t\tErste\r\n\t\t\t\t<PDF=b.pdf>Zweite\r\n",
                 "a.pdf",
                 false,
                 false,
                 true,
                 {1},
                 {{"a.pdf", 1, {"Erste"}, {"Zweite"}, 1}, {"b.pdf", 1, {"Zweite"}, {"Erste"}, 1}},
                 {"a.pdf", "b.pdf"}},
        FlowCase{"<pdf=> with one character ends the PDF output, unseen",
                 "\t\t\t\tErste\r\n\t\t\t\t<pdf=x>Zweite\r\n\t\t\tSeite\tDritte\r\n",
                 "a.pdf",
                 true,
                 false,
                 false,
                 {2},
                 {{"a.pdf", 1, {"Erste"}, {"Zweite", "Dritte"}}},
                 {}},
        FlowCase{"<PDF=> without a job file begins one; Doku goes on on the PDF page",
                 "\t\t\t\t<PDF=archiv/x.pdf>A\r\n\t\t\tDoku\tB\r\n",
                 "",
                 false,
                 false,
                 false,
                 {1, 1},
                 {{"archiv/x.pdf", 1, {"A", "B"}, {}}},
                 {"archiv/x.pdf"}},
        FlowCase{"Doku with <PDF-Seite> adds a PDF page and prints no text",
                 "\t\t\t\tA\r\n\t\t\tDoku\t<PDF-Seite>\r\n\t\t\t\tC\r\n",
                 "d.pdf",
                 false,
                 false,
                 true,
                 {1, 1},
                 {{"d.pdf", 2, {"A", "C"}, {"PDF-Seite"}, 2}},
                 {}},
        FlowCase{"the job's file and the same name in the PRT file are one document",
                 "\t\t\t\tEins\r\n\t\t\t\t<PDF=C:/Archiv/R 1.pdf>Zwei\r\n",
                 "\"C:\\Archiv\\R 1.pdf\"",
                 false,
                 false,
                 false,
                 {1},
                 {{"C:/Archiv/R 1.pdf", 1, {"Eins", "Zwei"}, {}}},
                 {}}));

// The words of a PDF file's text, sorted.
std::vector<std::string> Words(const std::string& pdf) {
    std::istringstream text(test::PdfText(pdf));
    std::vector<std::string> words;
    for (std::string w; text >> w;)
        words.push_back(w);
    std::sort(words.begin(), words.end());
    return words;
}

TEST_F(PrintPdfTest, TheInvoicesArchiveReadsAsItsPrintedPage) {
    std::ifstream in(std::string(QORPRT_TEST_DATA) + "/invoice.prt", std::ios::binary);
    const std::string invoice((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    ASSERT_FALSE(invoice.empty());
    job.PDFname = dir.File("R4711.pdf");
    job.ShowPdf = true;
    EXPECT_EQ(Print(invoice), RenderResult::Rendered);
    std::vector<fs::path> printed;
    for (const auto& entry : fs::directory_iterator(dir.File("out")))
        printed.push_back(entry.path());
    ASSERT_EQ(printed.size(), 1u);
    const std::vector<std::string> words = Words(dir.File("R4711.pdf"));
    EXPECT_EQ(words, Words(printed[0].string()));
    // The euro signs are there: in the table and at the sum.
    EXPECT_EQ(std::count(words.begin(), words.end(), "\xE2\x82\xAC"), 1);
    EXPECT_EQ(std::count(words.begin(), words.end(), "\xE2\x82\xAC-Preis"), 1);
    EXPECT_EQ(shown, std::vector<std::string>{dir.File("R4711.pdf")});
    const std::string log = dir.Read("qorprt.log");
    EXPECT_NE(log.find("ppi = 600;  VpeGetDevYResolution(hDoc) = 600"), std::string::npos);
    EXPECT_EQ(log.find("QPE_EndDoc: Error creating PDF file!"), std::string::npos);
}

TEST_F(PrintPdfTest, TheArchiveTakesThePaperAndOrientationThePrintTookUp) {
    job.FirstBinCode = 7;
    job.BinCode = 7;
    job.Landscape = true;
    job.PDFname = dir.File("quer.pdf");
    EXPECT_EQ(Print("\t\t\t\tQuer\r\n"), RenderResult::Rendered);
    EXPECT_EQ(test::PdfInfoValue(dir.File("quer.pdf"), "Page size"), "842 x 595 pts (A4)");
    std::vector<fs::path> printed;
    for (const auto& entry : fs::directory_iterator(dir.File("out")))
        printed.push_back(entry.path());
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(test::PdfInfoValue(printed[0].string(), "Page size"), "842 x 595 pts (A4)");
}

} // namespace
} // namespace qorprt
