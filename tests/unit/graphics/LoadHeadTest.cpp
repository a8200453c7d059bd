#include "graphics/LoadHead.h"
#include "platform/system/Log.h"
#include "support/GuiApp.h"
#include "support/RenderHarness.h"
#include "support/TempDir.h"
#include "support/WorkingFolder.h"

#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QImage>

namespace qorprt {
namespace {

using test::RenderHarness;
using test::TempDir;
using Ops = std::vector<std::string>;

class LoadHeadTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureGuiApplication();
        dir.Write("qorprt.log", "");
        SetLogFolder(dir.Path());
    }
    void TearDown() override { SetLogFolder(""); }
    std::string Picture(const char* name, int w, int h, const char* format) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::black);
        image.save(QString::fromStdString(dir.File(name)), format);
        return dir.File(name);
    }
    std::string Log() { return dir.Read("qorprt.log"); }

    TempDir dir;
};

TEST_F(LoadHeadTest, ScalesAsA300DpiPictureFromThePaperEdge) {
    RenderHarness h(600);
    h.OpenPdf();
    h.job.HeadTop = 30;
    h.job.HeadLeft = 15;
    h.ctx.printerOffset = {100, 120};
    const std::string file = Picture("kopf.png", 300, 150, "PNG");
    LoadHead(h.canvas, h.ctx, file, 0, 0, true);
    EXPECT_EQ(h.canvas.Operations(), Ops{"image 254 589 854 889 source=300x150"});
    EXPECT_EQ(h.state.pictureHeight, 150);
    EXPECT_EQ(h.state.pictureWidth, 300);
    // The PDF gets the position without the printer's edge: 354, 709.
    EXPECT_EQ(h.pdfLayer.calls, Ops{"Picture 7 " + file + " 354 709"});
}

TEST_F(LoadHeadTest, PreviewEdgeAndLayoutPosition) {
    RenderHarness h(96);
    h.state.pageOffset = 40;
    const std::string file = Picture("bild.bmp", 300, 300, "BMP");
    // x 120 units = 1 inch, y 20 + 40 page offset = 1 inch; preview edge 16 px.
    LoadHead(h.canvas, h.ctx, file, 120, 20, false);
    EXPECT_EQ(h.canvas.Operations(), Ops{"image 80 80 176 176 source=300x300"});
}

TEST_F(LoadHeadTest, MissingFilesAndTheBmpFallback) {
    RenderHarness h;
    LoadHead(h.canvas, h.ctx, "abc", 0, 0, false); // too short: nothing, not even a log line
    LoadHead(h.canvas, h.ctx, dir.File("fehlt.png"), 0, 0, false);
    EXPECT_NE(Log().find("9 PID="), std::string::npos);
    EXPECT_NE(Log().find(": LoadHead: '" + dir.File("fehlt.png") + "' existiert nicht.\r\n"),
              std::string::npos);
    EXPECT_TRUE(h.canvas.Operations().empty());
    // A named pipe would block the reader for good: refused, with the reason.
    ASSERT_EQ(::mkfifo(dir.File("pipe.png").c_str(), 0600), 0);
    LoadHead(h.canvas, h.ctx, dir.File("pipe.png"), 0, 0, false);
    EXPECT_NE(Log().find(" 10 PID="), std::string::npos);
    EXPECT_NE(Log().find(": LoadHead: '" + dir.File("pipe.png") +
                         "' ist eine benannte Pipe, keine Datei\r\n"),
              std::string::npos);
    EXPECT_TRUE(h.canvas.Operations().empty());
    // A GIF that is not there is replaced by the BMP of the same name.
    Picture("logo.BMP", 30, 30, "BMP");
    h.OpenPdf();
    LoadHead(h.canvas, h.ctx, dir.File("logo.gif"), 0, 0, false);
    EXPECT_EQ(h.canvas.Operations(), Ops{"image -16 -16 -4 -4 source=30x30"});
    EXPECT_EQ(h.pdfLayer.calls, Ops{"Picture 7 " + dir.File("logo.BMP") + " 0 0"});
    // "jpeg" becomes "jBMP".
    Picture("foto.jBMP", 3, 3, "BMP");
    LoadHead(h.canvas, h.ctx, dir.File("foto.jpeg"), 0, 0, false);
    EXPECT_EQ(h.canvas.Operations().back(), "image -16 -16 -15 -15 source=3x3");
}

TEST_F(LoadHeadTest, BrokenPicturesAreLoggedAndNotDrawn) {
    // A PNG header announcing 100000 x 100000 pixels, a truncated PNG and plain garbage.
    std::string huge("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0\x08\x02\0\0\0",
                     29);
    huge += std::string("\0\0\0\0", 4);
    dir.Write("huge.png", huge);
    const std::string good = Picture("gut.png", 200, 200, "PNG");
    dir.Write("kurz.png", dir.Read("gut.png").substr(0, 60));
    dir.Write("kaputt.gif", "GIF89a nonsense");
    RenderHarness h;
    h.state.pictureHeight = 7;
    for (const char* name : {"huge.png", "kurz.png", "kaputt.gif"}) {
        LoadHead(h.canvas, h.ctx, dir.File(name), 0, 0, false);
        EXPECT_NE(Log().find("Fehler LoadHead " + dir.File(name) + ": "), std::string::npos)
            << name;
    }
    EXPECT_TRUE(h.canvas.Operations().empty());
    EXPECT_EQ(h.state.pictureHeight, 7);
    EXPECT_EQ(Log().find(" 9 PID="), std::string::npos);
}

TEST_F(LoadHeadTest, LocalCopyFolderIsRefreshedFromANewerFileAndUsedWhenItIsGone) {
    namespace fs = std::filesystem;
    fs::create_directories(dir.File("work/BFB"));
    fs::create_directories(dir.File("share"));
    test::WorkingFolder work(dir.File("work"));
    RenderHarness h;
    // An older local copy of another size is replaced by the newer named file.
    Picture("work/BFB/kopf.png", 30, 30, "PNG");
    fs::last_write_time("BFB/kopf.png", fs::file_time_type::clock::now() - std::chrono::hours(1));
    const std::string named = Picture("share/kopf.png", 60, 60, "PNG");
    LoadHead(h.canvas, h.ctx, named, 0, 0, false);
    EXPECT_EQ(h.canvas.Operations().back(), "image -16 -16 8 8 source=60x60");
    // The share is gone: the local copy is drawn.
    fs::remove(named);
    LoadHead(h.canvas, h.ctx, named, 0, 0, false);
    EXPECT_EQ(h.canvas.Operations().size(), 2u);
    EXPECT_EQ(h.canvas.Operations().back(), "image -16 -16 8 8 source=60x60");
}

TEST_F(LoadHeadTest, PicturesMoveTheLinePositionAndThePictureBottom) {
    test::WorkingFolder work(dir.Path());
    Picture("hoch.png", 10, 600, "PNG");
    RenderHarness h;
    // "IMG=" anywhere in the command field: the path is the field from its fifth character.
    h.Render({"\t\t\tFe IMG=hoch.png\t"});
    EXPECT_NE(Log().find("LoadHead: 'MG=hoch.png' existiert nicht."), std::string::npos);
    h.Render({"\t\t\t-Fe\t"});
    h.state.linePos = 0;
    // A command-field picture 600 pixels high moves the line position to at least 120.
    h.Render({"\t\t\tIMG=hoch.png\t"});
    EXPECT_EQ(h.state.linePos, 130);
    // An inline picture leaves the position and marks its bottom: 600 / 5 + line position.
    h.Render({"40\t22\t\t\tA<IMG=hoch.png>B"});
    EXPECT_EQ(h.state.linePos, 130);
    EXPECT_EQ(h.state.pictureBottom, 120 + 130);
    // Placed at the column after "A" + 6 and the text line + 1, from the paper edge: x 38, y 41
    // (82 px); 10 x 600 pixels at 300 dpi are 4 x 240 at 120 dpi.
    EXPECT_EQ(h.canvas.Operations()[1], "image 22 66 26 306 source=10x600");
}

} // namespace
} // namespace qorprt
