#include "render/DocumentDriver.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/canvas/ScratchImage.h"
#include "platform/system/Log.h"
#include "platform/system/Registry.h"
#include "support/GuiApp.h"
#include "support/RenderHarness.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

// Recording canvas at 120 dpi: Courier New 10 pt characters are 10 px wide with ascent 13; a
// line position y is drawn at 2 y.

namespace qorprt {
namespace {

using test::RenderHarness;
using test::TempDir;
using Ops = std::vector<std::string>;

class FakeHost : public DocumentHost {
public:
    std::vector<std::string> fonts{"Arial", "Arial Narrow", "Courier", "Courier New"};
    int32_t version = 100;
    std::vector<std::string> errors;
    test::RecordingPrinter* printer = nullptr;
    BitmapCanvas* scratch = nullptr;

    std::vector<std::string> FontNames(bool) override { return fonts; }
    void ShowOpenError(const std::string& message) override { errors.push_back(message); }
    PrintTarget* Printer() override { return printer; }
    BitmapCanvas* ScratchCanvas() override { return scratch; }
    Point PrinterOffset() override { return {}; }
    int32_t WindowsVersion() override { return version; }
};

std::string Text(int x, int y, const std::string& text, const char* font = "Courier New") {
    return "text " + std::to_string(x) + " " + std::to_string(y) + " \"" + text + "\" font=\"" +
           font + "\" size=10 style=-";
}

class DocumentDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        log = dir.Write("qorprt.log", "");
        SetLogFolder(dir.Path());
        SetRegistryFiles(dir.File("user.reg"), dir.File("system.reg"));
    }
    void TearDown() override {
        SetLogFolder("");
        SetRegistryFiles("", "");
    }
    Ops Render(const std::string& content, bool printing = false) {
        const std::string path = dir.Write("doc.prt", content);
        h.canvas.Clear();
        result = RenderDocument(h.canvas, h.ctx, host, path, printing);
        return h.canvas.Operations();
    }

    TempDir dir;
    std::string log;
    RenderHarness h;
    FakeHost host;
    RenderResult result = RenderResult::NotOpened;
};

TEST_F(DocumentDriverTest, SplitsLinesAtCrLfOnly) {
    EXPECT_EQ(Render("\t\t\t\ta\rb\nc\r\n\t\t\t\td"),
              (Ops{Text(0, 7, "a\rb\nc"), Text(0, 27, "d")}));
    EXPECT_EQ(result, RenderResult::Rendered);
    // An empty line moves on by the line spacing; an empty piece after the last CR LF is no line.
    EXPECT_EQ(Render("\t\t\t\ta\r\n\r\n\t\t\t\tb\r\n"), (Ops{Text(0, 7, "a"), Text(0, 47, "b")}));
}

TEST_F(DocumentDriverTest, LongLinesNulBytesAndChunkBoundariesLoseNothing) {
    // A CR LF split over the reader's 64 KiB pieces, a NUL byte, and a line far longer than the
    // 1198 bytes the format allows: all are rendered whole, and the lines after them too.
    const std::string first(65535 - 4, 'x');
    const std::string longLine(5000, 'y');
    const Ops ops = Render("\t\t\t\t" + first + "\r\n\t\t\t\tA" + std::string(1, '\0') +
                           "B\r\n\t\t\t\t" + longLine + "\r\n\t\t\t\tZ");
    ASSERT_EQ(ops.size(), 4u);
    EXPECT_EQ(ops[0], Text(0, 7, first));
    EXPECT_EQ(ops[1], Text(0, 27, std::string("A\0B", 3)));
    EXPECT_EQ(ops[2], Text(0, 47, longLine));
    EXPECT_EQ(ops[3], Text(0, 67, "Z"));
}

TEST_F(DocumentDriverTest, FileOfExactlyTwelveHundredBytes) {
    const std::string line = "\t\t\t\tzeile 1\r\n";
    std::string content;
    size_t lines = 0;
    for (; content.size() + line.size() <= 1200; ++lines)
        content += line;
    content.insert(0, 1200 - content.size(), 'q');
    ASSERT_EQ(content.size(), 1200u);
    EXPECT_EQ(Render(content).size(), lines);
}

TEST_F(DocumentDriverTest, OverlongLineIsCutAndLoggedAndTheRestGoesOn) {
    const Ops ops = Render("\t\t\t\t" + std::string(kMaxLineBytes + 100, 'z') + "\r\n\t\t\t\tnach");
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[1], Text(0, 27, "nach"));
    EXPECT_NE(dir.Read("qorprt.log").find("10 PID="), std::string::npos);
    EXPECT_NE(dir.Read("qorprt.log").find("Zeile 1 in"), std::string::npos);
}

TEST_F(DocumentDriverTest, QuotedNamesAndTheInstallFolder) {
    dir.Write("doc.prt", "\t\t\t\tq");
    EXPECT_EQ(RenderDocument(h.canvas, h.ctx, host, "\"" + dir.File("doc.prt") + "\"", false),
              RenderResult::Rendered);
    // A leading quote without a closing one costs the last character.
    EXPECT_EQ(RenderDocument(h.canvas, h.ctx, host, "\"" + dir.File("doc.prtX"), false),
              RenderResult::Rendered);

    // Only under the client's install folder.
    dir.Write("system.reg",
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
              "CurrentVersion\\Uninstall\\Qorva eG Client]\r\n\"UninstallString\"=\"" +
                  dir.Path() + "/unwise.exe /S\"\r\n");
    h.job.PRTfile = "doc.prt";
    EXPECT_EQ(RenderDocument(h.canvas, h.ctx, host, "doc.prt", false), RenderResult::Rendered);
    EXPECT_EQ(h.job.PRTfile, dir.Path() + "/doc.prt");
}

TEST_F(DocumentDriverTest, MissingFile) {
    EXPECT_EQ(RenderDocument(h.canvas, h.ctx, host, "/nix/da.prt", false), RenderResult::NotOpened);
    EXPECT_EQ(host.errors, Ops{"Datei /nix/da.prt konnte nicht geöffnet werden!"});
    test::RecordingPrinter printer;
    host.printer = &printer;
    EXPECT_EQ(RenderDocument(h.canvas, h.ctx, host, "/nix/da.prt", true), RenderResult::NotOpened);
    EXPECT_TRUE(printer.calls.empty());
    EXPECT_EQ(host.errors.size(), 1u);
    EXPECT_TRUE(h.canvas.Operations().empty());
}

TEST_F(DocumentDriverTest, FontChoice) {
    struct {
        std::vector<std::string> fonts;
        int32_t version;
        const char* fixed;
        const char* narrow;
    } cases[] = {
        {{"Arial", "Arial Narrow", "Courier", "Courier New"}, 61, "Courier", "Arial Narrow"},
        {{"Arial", "Arial Narrow", "Courier", "Courier New"}, 62, "Courier New", "Arial Narrow"},
        {{"arial", "courier new"}, 61, "Courier New", "Arial"},
    };
    for (const auto& c : cases) {
        host.fonts = c.fonts;
        host.version = c.version;
        Render("\t\t\tEn\tx");
        EXPECT_EQ(h.state.fixedFont, c.fixed);
        EXPECT_EQ(h.state.narrowFont, c.narrow);
        EXPECT_EQ(h.state.currentFont, c.fixed);
    }
    host.fonts.push_back("PDF417c");
    Render("");
    EXPECT_EQ(h.state.pdf417Font, "PDF417c");
}

TEST_F(DocumentDriverTest, ClearsTheScratchImageAndHandsItToTheBarcodes) {
    test::EnsureGuiApplication();
    ScratchImage scratch(96);
    scratch.SetBitmapSize(4, 3);
    scratch.SetBrushColor(kBlack);
    scratch.FillRect({0, 0, 4, 3});
    scratch.SetBrushColor(kWhite);
    host.scratch = &scratch;
    Render("\t\t\t\tx");
    EXPECT_EQ(h.ctx.scratch, &scratch);
    EXPECT_TRUE(scratch.Picture().Pixels() == NewCanvasImage(4, 3, 96));
}

TEST_F(DocumentDriverTest, PreviewIsCutWithARedNotice) {
    std::string content;
    for (int i = 0; i < 300; ++i)
        content += "\t\t\t\tZeile\r\n";
    const Ops ops = Render(content);
    EXPECT_EQ(ops.back(), "text 10 3980 \"Die Darstellung am Bildschirm wird hier abgeschnitten!\" "
                          "font=\"Courier New\" size=14 style=B");
    EXPECT_EQ(h.ctx.previewHeight, 4010);
    EXPECT_EQ(h.ctx.previewWidth, 785);
    EXPECT_EQ(h.canvas.Font().color, kBlack);
}

TEST_F(DocumentDriverTest, PreviewHeightKeepsAnEarlierPictureBottom) {
    h.job.RandOben = "10";
    Render("\t\t\t\tx");
    // 10 mm at 120 dpi: 47 px; line 10: 20 px.
    EXPECT_EQ(h.ctx.previewHeight, 47 + 20);
    h.state.pictureBottom = 500;
    Render("\t\t\t\tx");
    EXPECT_EQ(h.ctx.previewHeight, 47 + 1000);
}

TEST_F(DocumentDriverTest, PrintModeBeginsAndEndsTheDocument) {
    test::RecordingPrinter printer;
    host.printer = &printer;
    Render("\t\t\t\tx", true);
    EXPECT_EQ(printer.calls, (Ops{"BeginDoc", "EndDoc"}));
    EXPECT_EQ(result, RenderResult::Rendered);
    EXPECT_NE(dir.Read("qorprt.log").find("EndDoc: " + dir.File("doc.prt") + "\r\n"),
              std::string::npos);

    printer.calls.clear();
    h.job.NoPrint = true;
    Render("\t\t\t\tx", true);
    EXPECT_EQ(printer.calls, (Ops{"BeginDoc", "Abort"}));
}

TEST_F(DocumentDriverTest, RefusedSpoolIsReportedAndLogged) {
    test::RecordingPrinter printer;
    printer.refusals = 1;
    host.printer = &printer;
    Render("\t\t\t\tx", true);
    EXPECT_EQ(result, RenderResult::SpoolFailed);
    EXPECT_NE(dir.Read("qorprt.log").find(" 10 PID="), std::string::npos);
    // The refusal of the first of two documents (bin switch after the first sheet) counts too.
    printer.calls.clear();
    printer.refusals = 1;
    h.job.FirstBinCode = 1;
    h.job.BinCode = 2;
    Render("\t\t\t\tx\r\n\t\t\tSeite\ty", true);
    EXPECT_EQ(printer.calls, (Ops{"BeginDoc", "EndDoc", "SwitchBin 2", "BeginDoc", "EndDoc"}));
    EXPECT_EQ(result, RenderResult::SpoolFailed);
    printer.calls.clear();
    Render("\t\t\t\tx", true);
    EXPECT_EQ(result, RenderResult::Rendered);
}

} // namespace
} // namespace qorprt
