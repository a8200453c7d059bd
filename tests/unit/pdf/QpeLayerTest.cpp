// The QPE layer over the recording engine: the values and the order of the engine calls.

#include "pdf/QpeLayer.h"
#include "pdf/RecordingPdfEngine.h"
#include "platform/system/Log.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qorprt {
namespace {

using Ops = std::vector<std::string>;

// The layer with an open document (handle 1) at `dpi`, the log in a folder of its own and the
// shown files written down.
struct Layer {
    explicit Layer(int32_t dpi = 600)
        : qpe{engine, [this](const std::string& p) { shown.push_back(p); }} {
        dir.Write("qorprt.log", "");
        SetLogFolder(dir.Path());
        doc = QPE_BeginDoc(qpe, dpi);
        engine.Clear();
    }
    ~Layer() { SetLogFolder(""); }
    std::string Log() const { return dir.Read("qorprt.log"); }

    test::TempDir dir;
    RecordingPdfEngine engine;
    std::vector<std::string> shown;
    Qpe qpe;
    int32_t doc = 0;
};

TEST(PixelsToVpe, TwoHundredThirtyFivePixelsAt600DpiMakeOneUnit) {
    RecordingPdfEngine engine;
    const struct {
        int32_t dpi;
        double pixels;
        double units;
    } cases[] = {{600, 235, 1.0}, {600, 0, 0.0},    {600, 1085, 1085 / 235.0},
                 {300, 235, 2.0}, {1200, 470, 1.0}, {96, 94, 2.5},
                 {600, -1, 0.0},  {600, -235, 0.0}};
    for (const auto& c : cases) {
        const Qpe qpe{engine, {}, c.dpi};
        EXPECT_DOUBLE_EQ(PixelsToVpe(qpe, 1, c.pixels), c.units) << c.dpi << " " << c.pixels;
    }
}

TEST(QpeBeginDoc, OpensAndSetsUpTheDocumentInOrderAndLogsTheResolutions) {
    test::TempDir dir;
    dir.Write("qorprt.log", "");
    SetLogFolder(dir.Path());
    RecordingPdfEngine engine;
    engine.deviceResolution = 1200;
    Qpe qpe{engine, {}};
    EXPECT_EQ(QPE_BeginDoc(qpe, 300), 1);
    EXPECT_EQ(engine.Calls(),
              (Ops{"OpenDocument \"Qorva-PDF\" 32768", "SetAutoPageBreak 1 0",
                   "SetDocumentMode 1 64", "SetJobName 1 \"My own Job Name\"", "SetUnits 1 0 3",
                   "SetDefaultOutputRect 1 0.6500 0.6000 FREE FREE", "SetPenWidth 1 2",
                   "SetDefaultFont 1 \"Courier\" 10", "DeviceYResolution 1"}));
    EXPECT_NE(dir.Read("qorprt.log").find("ppi = 300;  VpeGetDevYResolution(hDoc) = 1200\r\n"),
              std::string::npos);
    EXPECT_EQ(dir.Read("qorprt.log").find("could not be created"), std::string::npos);

    // No document: the error, the set-up on handle 0 all the same, the resolution line.
    engine.failOpen = true;
    engine.Clear();
    EXPECT_EQ(QPE_BeginDoc(qpe, 600), 0);
    EXPECT_EQ(engine.Calls().size(), 9u);
    EXPECT_EQ(engine.Calls()[1], "SetAutoPageBreak 0 0");
    const std::string log = dir.Read("qorprt.log");
    EXPECT_NE(log.find("QPE_BeginDoc: The Document could not be created!\r\n"), std::string::npos);
    EXPECT_NE(log.find("ppi = 600;  VpeGetDevYResolution(hDoc) = 0\r\n"), std::string::npos);
    SetLogFolder("");
}

TEST(QpeEndDoc, SetsTheInformationWritesShowsAndCloses) {
    const struct {
        bool show;
        int32_t writeResult;
        Ops shown;
        bool error;
    } cases[] = {
        {true, 1, {"C:/Archiv/R 4711.pdf"}, false},
        {false, 1, {}, false},
        {true, 0, {}, true},
    };
    for (const auto& c : cases) {
        Layer l;
        l.engine.writeResult = c.writeResult;
        EXPECT_EQ(QPE_EndDoc(l.qpe, l.doc, "\"C:\\Archiv\\R 4711.pdf\"", c.show), 1);
        EXPECT_EQ(
            l.engine.Calls(),
            (Ops{"SetTitle 1 \"Tutorial for VPE\"", "SetAuthor 1 \"Qorva eG\"",
                 "SetTitle 1 \"Archivierung\"", "SetSubject 1 \"Qorva Ausdruck Archiv\"",
                 "SetCreator 1 \"QorPrt\"", "SetCompression 1 1", "SetPdfVersion 1 2052",
                 "SetFontEmbedding 1 1", "SetFontSubsetting 1 1",
                 "WriteDocument 1 \"\\\"C:\\\\Archiv\\\\R 4711.pdf\\\"\"", "CloseDocument 1"}));
        EXPECT_EQ(l.shown, c.shown) << c.show << c.writeResult;
        EXPECT_EQ(l.Log().find("QPE_EndDoc: Error creating PDF file!\r\n") != std::string::npos,
                  c.error);
    }
}

TEST(QpeDrawing, OffsetsConversionsAndCallOrder) {
    const struct {
        const char* name;
        int32_t dpi;
        void (*call)(Qpe&, int32_t);
        Ops expected;
    } cases[] = {
        {"line at 600 dpi",
         600,
         [](Qpe& q, int32_t d) { QPE_Line(q, d, 0, 0, 1000, 0); },
         {"DrawLine 1 0.3617 0.2553 4.6170 0.2553"}},
        {"line at 300 dpi, every value doubled",
         300,
         [](Qpe& q, int32_t d) { QPE_Line(q, d, 0, 0, 1000, 0); },
         {"DrawLine 1 0.7234 0.5106 9.2340 0.5106"}},
        {"negative results become 0",
         600,
         [](Qpe& q, int32_t d) { QPE_Line(q, d, -100, -100, -85, -60); },
         {"DrawLine 1 0.0000 0.0000 0.0000 0.0000"}},
        {"outlined box",
         600,
         [](Qpe& q, int32_t d) { QPE_Box(q, d, 150, 165, 385, 400, false); },
         {"DrawBox 1 1.0000 1.0000 2.0000 2.0000"}},
        {"filled box saves and restores the two settings",
         600,
         [](Qpe& q, int32_t d) { QPE_Box(q, d, 150, 165, 385, 400, true); },
         {"Transparent 1", "FillColor 1", "SetFillColor 1 0", "SetTransparent 1 0",
          "DrawBox 1 1.0000 1.0000 2.0000 2.0000", "SetFillColor 1 16777215",
          "SetTransparent 1 1"}},
        {"ring with the offsets of the lines",
         600,
         [](Qpe& q, int32_t d) { QPE_Ellipse(q, d, 150, 175, 385, 410); },
         {"DrawEllipse 1 1.0000 1.0000 2.0000 2.0000"}},
        {"picture without offsets",
         600,
         [](Qpe& q, int32_t d) { QPE_Picture(q, d, "BFB/kopf.bmp", 235, 470); },
         {"SetObjectFrame 1 0 0", "SetPictureResolution 1 300 300", "SetPictureLossless 1 1",
          "PlacePicture 1 1.0000 2.0000 FREE FREE \"BFB/kopf.bmp\""}},
        {"PDF417 in its 5 x 16 rectangle",
         600,
         [](Qpe& q, int32_t d) { QPE_Pdf417(q, d, 150, 155, "Daten"); },
         {"SetObjectFrame 1 0 0", "SetPdf417EccLevel 1 4", "SetPdf417Columns 1 7",
          "SetPdf417Rows 1 0", "SetPdf417Alignment 1 5",
          "DrawPdf417 1 1.0000 1.0000 6.0000 17.0000 \"Daten\""}},
        {"text: Courier New becomes Courier, measured at +90, placed at +85",
         600,
         [](Qpe& q, int32_t d) {
             q.engine.SetFontName(d, "Courier New");
             QPE_Text(q, d, 150, 235, "Summe \x80");
         },
         {"SetFontName 1 \"Courier New\"", "FontName 1", "SetFontName 1 \"Courier\"",
          "MeasureText 1 1.0213 1.0000 FREE FREE \"Summe \xE2\x82\xAC\"",
          "PrintText 1 1.0000 1.0000 FREE FREE \"Summe \xE2\x82\xAC\"", "ObjectEdge 1 -102.0000"}},
        {"text in another font keeps it",
         600,
         [](Qpe& q, int32_t d) { QPE_Text(q, d, 0, 0, "A"); },
         {"FontName 1", "MeasureText 1 0.3830 0.0000 FREE FREE \"A\"",
          "PrintText 1 0.3617 0.0000 FREE FREE \"A\"", "ObjectEdge 1 -102.0000"}},
        {"new page", 600, [](Qpe& q, int32_t d) { QPE_NewPage(q, d); }, {"NewPage 1"}},
    };
    for (const auto& c : cases) {
        Layer l(c.dpi);
        c.call(l.qpe, l.doc);
        EXPECT_EQ(l.engine.Calls(), c.expected) << c.name;
    }
}

TEST(QpeFont, TheCanvasRuleWithArialNarrowForCondensedText) {
    enum { B = 1, U = 2, I = 4, C = 8, E = 16, H = 32, M = 64 };
    const struct {
        int32_t size;
        int attributes;
        const char* engineFont; // before the call
        const char* current;    // the program's current font name before
        Ops expected;
        const char* currentAfter;
    } cases[] = {
        {0,
         E,
         "Courier",
         "Courier New",
         {"SetUnderline 1 0", "SetBold 1 0", "SetItalic 1 0", "SetFontName 1 \"Courier New\"",
          "SetFontSize 1 10"},
         "Courier New"},
        // The counters themselves are passed.
        {12,
         B | U | I,
         "Courier",
         "Arial",
         {"SetUnderline 1 1", "SetBold 1 2", "SetItalic 1 1", "SetFontName 1 \"Arial\"",
          "SetFontSize 1 12"},
         "Arial"},
        // Condensed takes over the engine's font as the current font, then sets Arial Narrow.
        {0,
         C | E,
         "Courier",
         "Courier New",
         {"SetUnderline 1 0", "SetBold 1 0", "SetItalic 1 0", "FontName 1",
          "SetFontName 1 \"Arial Narrow\"", "SetFontSize 1 8"},
         "Courier"},
        {10,
         C,
         "Arial Narrow",
         "Arial",
         {"SetUnderline 1 0", "SetBold 1 0", "SetItalic 1 0", "FontName 1",
          "SetFontName 1 \"Arial Narrow\"", "SetFontSize 1 8"},
         "Arial"},
        {0,
         E | H,
         "Courier",
         "Courier",
         {"SetUnderline 1 0", "SetBold 1 0", "SetItalic 1 0", "SetFontName 1 \"Courier\"",
          "SetFontSize 1 18"},
         "Courier"},
        {0,
         E | H | M,
         "Courier",
         "Courier",
         {"SetUnderline 1 0", "SetBold 1 0", "SetItalic 1 0", "SetFontName 1 \"Courier\"",
          "SetFontSize 1 6"},
         "Courier"},
    };
    for (const auto& c : cases) {
        Layer l;
        l.engine.SetFontName(l.doc, c.engineFont);
        l.engine.Clear();
        AttributeCounters counters{};
        counters[kBold] = (c.attributes & B) ? 2 : 0;
        counters[kUnderline] = (c.attributes & U) ? 1 : 0;
        counters[kItalic] = (c.attributes & I) ? 1 : 0;
        counters[kCondensed] = (c.attributes & C) ? 1 : 0;
        counters[kElite] = (c.attributes & E) ? 1 : 0;
        counters[kHigh] = (c.attributes & H) ? 1 : 0;
        counters[kMini] = (c.attributes & M) ? 1 : 0;
        std::string current = c.current;
        QPE_Font(l.qpe, l.doc, c.size, counters, current);
        EXPECT_EQ(l.engine.Calls(), c.expected) << c.size << " " << c.attributes;
        EXPECT_EQ(current, c.currentAfter) << c.size << " " << c.attributes;
    }
}

} // namespace
} // namespace qorprt
