// Prints PRT files through the print action on the built-in PDF printer, with the real canvas,
// and reads the PDF files back.

#include "jobs/PrintAction.h"
#include "graphics/RenderState.h"
#include "jobs/MessageBoxes.h"
#include "jobs/PrinterProperties.h"
#include "platform/canvas/Pdf417Encoder.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/canvas/RecordingCanvas.h"
#include "platform/printing/PdfPrinterSpooler.h"
#include "platform/printing/Printer.h"
#include "platform/system/Errors.h"
#include "platform/system/Log.h"
#include "support/GuiApp.h"
#include "support/PdfPrinterJob.h"
#include "support/PdfTools.h"
#include "support/ScriptedSpooler.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>

namespace qorprt {
namespace {

namespace fs = std::filesystem;

class PrintActionTest : public ::testing::Test, protected test::PdfPrinterJob {
protected:
    DevMode StoredDefaults() {
        auto handle = spooler->OpenPrinter(PdfPrinterSpooler::kName);
        EXPECT_TRUE(handle.ok());
        auto info = spooler->GetPrinter2(*handle);
        EXPECT_TRUE(info.ok() && info->devMode);
        return info.ok() && info->devMode ? *info->devMode : DevMode{};
    }
};

TEST_F(PrintActionTest, PrintsAllPagesWithTheirText) {
    EXPECT_EQ(Print("\t\t\t\tRechnung 4711\r\n\t\t\tSeite\tZweite Seite\r\n"),
              RenderResult::Rendered);
    const auto files = Outputs();
    ASSERT_EQ(files.size(), 1u);
    const std::string info = test::CommandOutput("pdfinfo '" + files[0].string() + "' 2>&1");
    EXPECT_TRUE(std::regex_search(info, std::regex("Pages: +2\n"))) << info;
    const std::string text = test::CommandOutput("pdftotext '" + files[0].string() + "' -");
    EXPECT_NE(text.find("Rechnung 4711"), std::string::npos);
    EXPECT_NE(text.find("Zweite Seite"), std::string::npos);
    EXPECT_NE(dir.Read("qorprt.log").find("EndDoc: " + job.PRTfile), std::string::npos);
}

TEST_F(PrintActionTest, NoPrintSubmitsNothingAndEachDocumentIsItsOwnFile) {
    job.NoPrint = true;
    EXPECT_EQ(Print("\t\t\t\tA\r\n\t\t\tDoku\tB\r\n"), RenderResult::Rendered);
    EXPECT_TRUE(Outputs().empty());
    job.NoPrint = false;
    EXPECT_EQ(Print("\t\t\t\tA\r\n\t\t\tDoku\tB\r\n\t\t\tDoku\tC\r\n"), RenderResult::Rendered);
    EXPECT_EQ(Outputs().size(), 3u);
}

TEST_F(PrintActionTest, StoredDefaultsAreRestoredAlsoWhenRenderingRaises) {
    const DevMode before = StoredDefaults();
    job.FirstBinCode = 4;
    job.BinCode = 4;
    job.Landscape = true;
    EXPECT_THROW(Print("\t\t\t\tA\r\n\t\t\tPDF Spx\tB\r\n"), EConvertError);
    EXPECT_FALSE(printer->Printing());
    EXPECT_TRUE(Outputs().empty());
    EXPECT_EQ(StoredDefaults(), before);
    // Data too long for a PDF417 symbol ends the print the same way.
    EXPECT_THROW(Print("\t\t\t\tA\r\n\t\t\tPDF\t" + std::string(3000, 'a') + "\r\n"),
                 EBarcodeError);
    EXPECT_FALSE(printer->Printing());
    EXPECT_TRUE(Outputs().empty());
    EXPECT_EQ(StoredDefaults(), before);
}

TEST_F(PrintActionTest, MissingFilePrintsNothing) {
    job.PRTfile = dir.File("fehlt.prt");
    EXPECT_EQ(AusdruckClick(job, *properties, *printer, state, pdf), RenderResult::NotOpened);
    EXPECT_TRUE(Outputs().empty());
}

} // namespace
} // namespace qorprt

namespace qorprt {
namespace {

// The conditions of the print action on a scripted printer: when it writes the printer's
// defaults, what it writes, and that it writes the old ones back.
struct ConditionCase {
    const char* name;
    int32_t firstBin;
    int32_t paperCode;
    bool manyPapers;       // the driver lists more than 100 papers: fallback entries
    int32_t chooseBin;     // the user picks this BinListe entry afterwards; -1: leaves it
    bool writes;           // defaults written and restored
    int16_t source;        // written paper source (with DM_DEFAULTSOURCE), -1: none
    int16_t paper;         // written paper size (with DM_PAPERSIZE), -1: none
    bool noBinOne = false; // the printer's bins lack code 1
    bool takesUp = true;   // the printer object takes up the written settings
};

class PrintConditionsTest : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(PrintConditionsTest, WritesAndRestoresTheDefaultsOnlyWhenTheJobAsks) {
    const ConditionCase& c = GetParam();
    test::EnsureGuiApplication();
    test::TempDir dir;
    dir.Write("qorprt.log", "");
    SetLogFolder(dir.Path());
    test::ScriptedSpooler spooler;
    auto& laser = spooler.Add("Laser");
    if (c.manyPapers)
        for (int16_t code = 256; code < 360; ++code)
            laser.papers.push_back({code, "Format " + std::to_string(code), 1000, 1000});
    if (c.noBinOne) laser.bins = {{7, "Automatisch"}, {2, "Fach 2"}, {4, "Manuell"}};
    const DevMode original = *laser.stored;
    Printer printer(spooler, [](QPdfWriter&, int32_t dpi) -> std::unique_ptr<Canvas> {
        return std::make_unique<RecordingCanvas>(dpi);
    });
    test::UnexpectedBoxes boxes;
    JobSettings job;
    job.DruListe.Items = {"Laser"};
    job.DruListe.ItemIndex = 0;
    job.FirstBinCode = c.firstBin;
    job.PaperCode = c.paperCode;
    PrinterProperties properties(spooler, job, boxes);
    properties.GetPrintProp("Laser", job.FirstBinCode);
    if (c.chooseBin >= 0) job.BinListe.ItemIndex = c.chooseBin;
    job.PRTfile = dir.Write("R1.PRT", "\t\t\t\tText\r\n");
    RenderState state;
    PdfState pdf;

    EXPECT_EQ(AusdruckClick(job, properties, printer, state, pdf), RenderResult::Rendered);

    const std::string log = dir.Read("qorprt.log");
    SetLogFolder("");
    if (!c.writes) {
        EXPECT_TRUE(spooler.stores.empty()) << c.name;
        EXPECT_EQ(log.find("AusdruckClick: vor SetPrintProp"), std::string::npos) << c.name;
        return;
    }
    ASSERT_EQ(spooler.stores.size(), 2u) << c.name;
    const DevMode& written = spooler.stores[0].second;
    EXPECT_EQ((written.dmFields & DM_DEFAULTSOURCE) != 0, c.source >= 0) << c.name;
    if (c.source >= 0) {
        EXPECT_EQ(written.dmDefaultSource, c.source) << c.name;
    }
    EXPECT_EQ((written.dmFields & DM_PAPERSIZE) != 0, c.paper >= 0) << c.name;
    if (c.paper >= 0) {
        EXPECT_EQ(written.dmPaperSize, c.paper) << c.name;
    }
    EXPECT_TRUE(spooler.stores[1].second == original) << c.name;
    EXPECT_EQ(log.find("AusdruckClick: vor Prntr->SetPrinter: Laser") != std::string::npos,
              c.takesUp)
        << c.name;
    EXPECT_NE(log.find(" 4 PID="), std::string::npos);
    EXPECT_NE(log.find(": AusdruckClick: vor SetPrintProp: Laser\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(": AusdruckClick: nach SetPrintProp (reset): Laser\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintConditionsTest,
    ::testing::Values(
        // No /b, /B, /F and normal lists: nothing selected, the printer prints as it is set.
        ConditionCase{"plain", -1, -1, false, -1, false, -1, -1},
        // /b1: the bin list selects tray 1, which is written.
        ConditionCase{"first bin", 1, -1, false, -1, true, 1, -1},
        // The paper list falls back to A4 and A5: entry 0 is selected, so A4 is written.
        ConditionCase{"fallback papers", -1, -1, true, -1, true, -1, 9},
        // /F11 selects A5.
        ConditionCase{"paper code", -1, 11, false, -1, true, -1, 11},
        // The user picks tray 2 in the window.
        ConditionCase{"user bin", -1, -1, false, 2, true, 2, -1},
        // /b1 on a printer without bin 1: nothing is selected, yet the settings are written
        // and restored (without a source); the printer object does not take them up.
        ConditionCase{"first bin not offered", 1, -1, false, -1, true, -1, -1, true, false}),
    [](const ::testing::TestParamInfo<ConditionCase>& param) {
        std::string name = param.param.name;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

} // namespace
} // namespace qorprt
