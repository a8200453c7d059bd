#pragma once

#include "graphics/RenderContext.h"

#include <string>
#include <string_view>

namespace qorprt {

class Canvas;

// A path of the PRT file as a file path: "Ö" and "/" stand for "\", and on this system "\"
// separates folders.
std::string PrtPath(std::string_view path);

// The page or document break of a line whose command field holds "Seite" or "Doku". A "Doku"
// line may blank its text field.
void BreakPage(Canvas& canvas, RenderContext& ctx, std::string_view command, std::string& text,
               bool printing);

// The picture of a command field holding "IMG=".
void PlaceCommandPicture(Canvas& canvas, RenderContext& ctx, std::string_view command,
                         bool printing);

// The inline picture tag at the current position.
void PlaceInlinePicture(Canvas& canvas, RenderContext& ctx, std::string_view path, bool printing);

// Begins a PDF document for the job's PDF file (`PDFname`) on the canvas's resolution. One that
// cannot be begun is a file the job does not get: see EndPdf.
void BeginPdf(Canvas& canvas, RenderContext& ctx);
// Writes the open PDF document into `PDFname` and closes it. A file that was not written is
// logged with the reason, reported for the user to see and remembered in ctx.pdf.unwritten.
void EndPdf(RenderContext& ctx);

// The PDF switch tag: "PDF=" (`show`) or "pdf=".
void SwitchPdf(Canvas& canvas, RenderContext& ctx, std::string_view path, bool show, bool printing);

} // namespace qorprt
