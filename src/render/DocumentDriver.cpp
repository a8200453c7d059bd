#include "render/DocumentDriver.h"

#include "graphics/LoadHead.h"
#include "graphics/PrintTarget.h"
#include "graphics/TextRun.h"
#include "platform/canvas/BitmapCanvas.h"
#include "platform/system/FailureNotice.h"
#include "platform/system/Files.h"
#include "platform/system/Log.h"
#include "platform/system/Registry.h"
#include "platform/text/Encoding.h"
#include "platform/text/Strings.h"
#include "render/LineInterpreter.h"
#include "render/PageSteps.h"
#include "render/PreviewSizing.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace qorprt {

namespace {

bool Listed(const std::vector<std::string>& fonts, std::string_view name) {
    const std::string upper = UpperCp1252(std::string(name));
    return std::any_of(fonts.begin(), fonts.end(),
                       [&](const std::string& f) { return UpperCp1252(f) == upper; });
}

// The client's installation folder: its uninstall command up to the uninstaller's name.
std::string InstallFolder() {
    const std::string command =
        ReadRegString(RegRoot::LocalMachine,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qorva eG Client",
                      "UninstallString");
    // Cut where the upper-cased text holds "UNWISE", but keep the case: paths here are
    // case-sensitive.
    const size_t at = UpperCp1252(command).find("UNWISE");
    return Cp1252ToUtf8(at == std::string::npos ? command : command.substr(0, at));
}

void ChooseFonts(RenderState& st, DocumentHost& host, bool printing) {
    const std::vector<std::string> fonts = host.FontNames(printing);
    st.narrowFont = Listed(fonts, "Arial Narrow") ? "Arial Narrow" : "Arial";
    st.fixedFont = Listed(fonts, "Courier") ? "Courier" : "Courier New";
    if (host.WindowsVersion() > 61) st.fixedFont = "Courier New";
    if (Listed(fonts, "IDAutomationPDF417n3"))
        st.pdf417Font = "IDAutomationPDF417n3";
    else if (Listed(fonts, "PDF417c"))
        st.pdf417Font = "PDF417c";
}

// Splits the file into lines at CR LF and renders each. A lone CR or LF and a NUL byte are
// ordinary bytes of a line. Memory stays bounded: a line longer than kMaxLineBytes is cut.
class LineReader {
public:
    LineReader(Canvas& canvas, RenderContext& ctx, const std::string& fileName, bool printing)
        : canvas_(canvas), ctx_(ctx), fileName_(fileName), printing_(printing) {}

    void Run(int fd) {
        char buffer[1 << 16];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            Feed(std::string_view(buffer, static_cast<size_t>(got)));
        }
        if (pendingCr_) Append("\r");
        if (!line_.empty() || cut_) Finish();
    }

private:
    void Feed(std::string_view data) {
        size_t start = 0;
        if (pendingCr_) {
            pendingCr_ = false;
            if (data[0] == '\n') {
                Finish();
                start = 1;
            } else {
                Append("\r");
            }
        }
        while (start < data.size()) {
            const size_t cr = data.find('\r', start);
            if (cr == std::string_view::npos) {
                Append(data.substr(start));
                return;
            }
            Append(data.substr(start, cr - start));
            if (cr + 1 == data.size()) {
                pendingCr_ = true;
                return;
            }
            if (data[cr + 1] == '\n') {
                Finish();
                start = cr + 2;
            } else {
                Append("\r");
                start = cr + 1;
            }
        }
    }

    void Append(std::string_view bytes) {
        const size_t room = kMaxLineBytes - line_.size();
        if (bytes.size() > room) {
            cut_ = true;
            bytes = bytes.substr(0, room);
        }
        line_.append(bytes);
    }

    void Finish() {
        ++lineNumber_;
        if (cut_)
            WriteLog(10, "RenderDocument: Zeile " + std::to_string(lineNumber_) + " in " +
                             fileName_ + " ist länger als " + std::to_string(kMaxLineBytes) +
                             " Bytes und wird abgeschnitten.");
        RenderLine(canvas_, ctx_, line_, printing_);
        line_.clear();
        cut_ = false;
    }

    Canvas& canvas_;
    RenderContext& ctx_;
    const std::string& fileName_;
    bool printing_;
    std::string line_;
    bool pendingCr_ = false;
    bool cut_ = false;
    size_t lineNumber_ = 0;
};

} // namespace

RenderResult RenderDocument(Canvas& canvas, RenderContext& ctx, DocumentHost& host,
                            std::string fileName, bool printing) {
    RenderState& st = ctx.state;
    st.pageOffset = 0;
    st.linePos = 0;
    if (printing) ctx.pdf.unwritten.clear();
    if (!fileName.empty() && fileName.front() == '"') {
        fileName.erase(0, 1);
        if (!fileName.empty()) fileName.pop_back();
    }
    Expected<UniqueFd> file = OpenRegularFile(fileName);
    if (!file) {
        const std::string asked = fileName;
        const std::string reason = file.error();
        fileName = InstallFolder() + fileName;
        file = OpenRegularFile(fileName);
        if (!file) {
            // A named pipe or a folder under the job's name is never read: it could block the
            // program for good. Such a job is one whose file cannot be opened.
            if (reason != kMissingFile) WriteLog(10, "RenderDocument: " + asked + " " + reason);
            if (!printing)
                host.ShowOpenError("Datei " + fileName + " konnte nicht geöffnet werden!");
            else
                NoticeFailure(FileSystemPath(asked), "nicht gedruckt, " + reason);
            return RenderResult::NotOpened;
        }
        ctx.job.PRTfile = fileName;
    }

    ChooseFonts(st, host, printing);
    ctx.spoolFailed = false;
    ctx.printer = printing ? host.Printer() : nullptr;
    ctx.printerOffset = host.PrinterOffset();
    if (ctx.printer) {
        ctx.printer->BeginDoc();
        if (!ctx.job.PDFname.empty()) BeginPdf(canvas, ctx);
    }
    ResetCanvas(canvas, ctx);
    st.SetCurrentFont(st.fixedFont);
    canvas.SetFontName(st.fixedFont);
    ctx.scratch = host.ScratchCanvas();
    if (ctx.scratch) ctx.scratch->FillRect(ctx.scratch->ClipRect());
    LoadHead(canvas, ctx, ctx.job.HeadFile, 0, 0, printing);

    LineReader(canvas, ctx, fileName, printing).Run(file->Get());

    if (ctx.printer) {
        if (ctx.job.NoPrint)
            ctx.printer->Abort();
        else if (!ctx.printer->EndDoc())
            ctx.spoolFailed = true;
        if (ctx.pdf.handle != 0) {
            EndPdf(ctx);
            ctx.job.PDFname.clear();
            ctx.pdf.handle = 0;
        }
        WriteLog(8, "EndDoc: " + fileName);
        if (ctx.spoolFailed) {
            WriteLog(10, "EndDoc: Druckauftrag für " + fileName + " wurde vom Spooler abgelehnt.");
            return RenderResult::SpoolFailed;
        }
    } else {
        const PreviewSize size = SizePreview(canvas, ctx, canvas.PixelsPerInch());
        ctx.previewHeight = size.height;
        ctx.previewWidth = size.width;
    }
    return RenderResult::Rendered;
}

} // namespace qorprt
