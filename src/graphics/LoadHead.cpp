#include "graphics/LoadHead.h"

#include "platform/canvas/Canvas.h"
#include "platform/canvas/Image.h"
#include "platform/canvas/PictureFile.h"
#include "platform/system/Files.h"
#include "platform/system/Log.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"
#include "platform/text/Strings.h"

#include <filesystem>
#include <system_error>

namespace qorprt {

namespace fs = std::filesystem;

namespace {

// The unprintable edge of the preview page, in pixels.
constexpr Point kPreviewOffset{16, 16};

fs::path FsPath(const std::string& name) {
    return fs::path(FileSystemPath(name));
}

// Only a regular file is a picture: a named pipe would block the program when it is read.
bool Exists(const std::string& name) {
    return CheckRegularFile(name).ok();
}

std::string ExtensionUpper(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : UpperCp1252(name.substr(dot));
}

// The local copy in "BFB" of the working folder, refreshed from the named file when that is
// newer. A failed copy leaves the old local copy in use.
std::string LocalCopy(const std::string& name) {
    std::error_code ec;
    const fs::path local = fs::path("BFB") / FsPath(name).filename();
    const std::string localName = "BFB/" + FsPath(name).filename().string();
    if (Exists(name)) {
        const auto named = fs::last_write_time(FsPath(name), ec);
        const bool stale =
            !Exists(local.string()) || ec || fs::last_write_time(local, ec) < named || ec;
        if (stale) {
            std::error_code copyError;
            fs::copy_file(FsPath(name), local, fs::copy_options::overwrite_existing, copyError);
        }
    }
    return localName;
}

const char* FormatFor(const std::string& extension) {
    if (extension == ".BMP") return "bmp";
    if (extension == ".GIF") return "gif";
    if (extension == ".PNG") return "png";
    return nullptr;
}

} // namespace

void LoadHead(Canvas& canvas, RenderContext& ctx, const std::string& requested, int32_t x,
              int32_t y, bool printing) {
    if (requested.size() <= 4) return;
    std::string fileName = requested;
    std::string extension = ExtensionUpper(fileName);
    if (extension != ".BMP" && !Exists(fileName)) {
        // Windows finds "x.bmp" under "x.BMP"; here file names are case-sensitive.
        const std::string stem = fileName.substr(0, fileName.size() - 3);
        for (const char* bmp : {"BMP", "bmp"}) {
            if (Exists(stem + bmp)) {
                fileName = stem + bmp;
                extension = ".BMP";
                break;
            }
        }
    }
    std::error_code ec;
    if (fs::is_directory("BFB", ec)) fileName = LocalCopy(fileName);
    if (const Status regular = CheckRegularFile(fileName); !regular) {
        if (regular.error() == kMissingFile)
            WriteLog(9, "LoadHead: '" + fileName + "' existiert nicht.");
        else
            WriteLog(10, "LoadHead: '" + fileName + "' " + regular.error());
        return;
    }

    RenderState& st = ctx.state;
    const int32_t dpi = st.dpi;
    const int32_t headTop = MulDiv(dpi, Sat32(int64_t{ctx.job.HeadTop} * 10), 254);
    const int32_t headLeft = MulDiv(dpi, Sat32(int64_t{ctx.job.HeadLeft} * 10), 254);

    QImage pixels;
    bool loaded = true;
    if (const char* format = FormatFor(extension)) {
        Expected<QImage> read = ReadPictureFile(fileName, format);
        if (read) {
            pixels = std::move(*read);
        } else {
            WriteLog(10, "Fehler LoadHead " + fileName + ": " + read.error());
            loaded = false;
        }
    } else {
        // No decoder for this kind of file: there is no bitmap to take.
        WriteLog(10, "Fehler GetDIB: " + fileName + " 0");
    }

    if (loaded) {
        const Point offset = printing ? ctx.printerOffset : kPreviewOffset;
        const int64_t top =
            int64_t{headTop} - offset.y + MulDivTrunc(int64_t{y} + st.pageOffset, dpi, 60);
        const int64_t left = int64_t{headLeft} - offset.x + MulDivTrunc(x, dpi, 120);
        st.pictureHeight = pixels.height();
        st.pictureWidth = pixels.width();
        const Rect target{Sat32(left), Sat32(top), Sat32(left + MulDiv(dpi, st.pictureWidth, 300)),
                          Sat32(top + MulDiv(dpi, st.pictureHeight, 300))};
        if (!pixels.isNull()) canvas.StretchDraw(target, Image(std::move(pixels)));
    }

    if (ctx.pdf.Open()) {
        const int32_t hundredths = dpi / 100;
        const int32_t px =
            Sat32(int64_t{headLeft} + MulDiv(hundredths, Sat32(int64_t{x} * 2116), 2540));
        const int32_t py =
            Sat32(int64_t{headTop} + MulDiv(hundredths, Sat32(int64_t{y} * 4233), 2540));
        ctx.pdf.engine->Picture(ctx.pdf.handle, fileName, px, py);
    }
}

} // namespace qorprt
