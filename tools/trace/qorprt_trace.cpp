// qorprt-trace: renders the lines of a PRT file on the recording canvas in preview mode and
// prints every drawing operation, one per line.

#include "graphics/TextRun.h"
#include "platform/Errors.h"
#include "platform/Numbers.h"
#include "platform/RecordingCanvas.h"
#include "render/LineInterpreter.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

using namespace qorprt;

namespace {

int Usage() {
    std::cerr << "usage: qorprt-trace [--dpi N] [--top MM] [--left MM] FILE.PRT\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int32_t dpi = 96;
    JobSettings job;
    job.RandOben = "0";
    job.RandLinks = "0";
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--dpi") {
            const char* v = value();
            if (!v || (dpi = StrToIntDef(v, 0)) <= 0) return Usage();
        } else if (arg == "--top" || arg == "--left") {
            const char* v = value();
            if (!v) return Usage();
            (arg == "--top" ? job.RandOben : job.RandLinks) = std::to_string(StrToIntDef(v, 0));
        } else if (!arg.empty() && arg[0] == '-' && arg.size() > 1) {
            return Usage();
        } else {
            file = arg;
        }
    }
    if (file.empty()) return Usage();

    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "Datei " << file << " konnte nicht geöffnet werden!\n";
        return 1;
    }

    RecordingCanvas canvas(dpi);
    std::string out;
    canvas.SetSink([&out](const std::string& line) {
        out += line;
        out += '\n';
        if (out.size() > 1 << 16) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    });
    RenderState state;
    PdfState pdf;
    RenderContext ctx{state, job, pdf, nullptr, {}};
    ResetCanvas(canvas, ctx);
    state.currentFont = state.fixedFont;
    canvas.SetFontName(state.fixedFont);

    int status = 0;
    try {
        std::string pending;
        char buffer[1 << 16];
        auto flushLines = [&](bool atEnd) {
            size_t start = 0;
            for (size_t crlf; (crlf = pending.find("\r\n", start)) != std::string::npos;
                 start = crlf + 2)
                RenderLine(canvas, ctx, std::string_view(pending).substr(start, crlf - start),
                           false);
            pending.erase(0, start);
            if (atEnd && !pending.empty()) RenderLine(canvas, ctx, pending, false);
        };
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
            pending.append(buffer, static_cast<size_t>(in.gcount()));
            flushLines(false);
        }
        flushLines(true);
    } catch (const std::exception& e) {
        std::cerr << "AppException: " << ExceptionClassName(e) << " - " << e.what() << "\n";
        status = 1;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return status;
}
