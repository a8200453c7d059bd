#include "render/LineInterpreter.h"

#include "graphics/BoxLines.h"
#include "graphics/TextRun.h"
#include "platform/canvas/Canvas.h"
#include "platform/text/Numbers.h"
#include "platform/text/Strings.h"
#include "render/PageSteps.h"
#include "render/PrtFormat.h"

#include <algorithm>
#include <array>

namespace qorprt {

namespace {

constexpr int32_t kNextLine = -1000;
constexpr int32_t kSameLine = -10;

void ChangeCounter(int32_t& counter, int64_t delta) {
    const int64_t sum = counter + delta;
    counter = sum < 0 ? 0 : Sat32(sum);
}

void SetFont(Canvas& canvas, RenderState& st, const std::string& name) {
    st.SetCurrentFont(name);
    canvas.SetFontName(name);
}

// The PDF's font rule on the current font as the PDF sees it.
void ApplyPdfFont(RenderContext& ctx, int32_t size) {
    RenderState& st = ctx.state;
    std::string font = st.pdfFontTaken.value_or(st.currentFont);
    ctx.pdf.engine->Font(ctx.pdf.handle, size, st.counters, font);
    if (font != st.currentFont)
        st.pdfFontTaken = std::move(font);
    else
        st.pdfFontTaken.reset();
}

void ApplyFont(Canvas& canvas, RenderContext& ctx, int32_t size) {
    RenderState& st = ctx.state;
    // Condensed print takes over the canvas's font as the current font, for the PDF too.
    const bool takesOver = st.On(kCondensed) && canvas.FontName() != st.narrowFont;
    SetTextFont(canvas, st, size);
    if (takesOver) st.pdfFontTaken.reset();
    if (ctx.pdf.Open()) ApplyPdfFont(ctx, size);
}

struct ModeWord {
    std::string_view minus;
    std::string_view plain;
    Attribute attribute;
    int delta; // of the plain form; the minus form does the opposite
};

constexpr std::array<ModeWord, 9> kModeWords = {{
    {"-Fe", "Fe", kBold, +1},
    {"-Ul", "Ul", kUnderline, +1},
    {"-En", "En", kCondensed, +1},
    {"-El", "El", kElite, +1},
    {"-No", "No", kElite, -1}, // "No" is normal pitch: elite off
    {"-Ho", "Ho", kHigh, +1},
    {"-Mi", "Mi", kMini, +1},
    {"-Br", "Br", kWide, +1},
    {"-Ku", "Ku", kItalic, +1},
}};

void ApplyCommandWords(Canvas& canvas, RenderContext& ctx, std::string_view command, int32_t size) {
    RenderState& st = ctx.state;
    if (Contains(command, "-Mem")) {
        // Only the font name the attributes apply to; the font rule below puts it on the canvas.
        st.counters = st.memory.counters;
        st.currentFont = st.memory.fontName;
        st.pdfFontTaken = st.memory.pdfFontTaken;
    }
    if (Contains(command, "*")) {
        ResetCanvas(canvas, ctx);
        SetFont(canvas, st, st.fixedFont);
    }
    if (const size_t at = command.find("Lsp"); at != std::string_view::npos)
        st.lineSpacing = StrToIntDef(command.substr(at + 3, 2), 10);
    for (const ModeWord& word : kModeWords) {
        if (Contains(command, word.minus))
            ChangeCounter(st.counters[word.attribute], -word.delta);
        else if (Contains(command, word.plain))
            ChangeCounter(st.counters[word.attribute], word.delta);
    }
    ApplyFont(canvas, ctx, size);
    bool fontWord = false;
    auto word = [&](std::string_view w, const std::string& font) {
        if (!Contains(command, w)) return;
        SetFont(canvas, st, font);
        fontWord = true;
    };
    word("Ari", "Arial");
    word("Cou", st.fixedFont);
    word("Qor", "QorvaW");
    word("Nar", st.narrowFont);
    word("Cod", "Code 128");
    // The PDF takes the line's font too, not only from the next tag or line on: otherwise its
    // text would be a line behind the printed page in its fonts.
    if (fontWord && ctx.pdf.Open()) ApplyPdfFont(ctx, size);
    if (Contains(command, "PDF")) {
        SetFont(canvas, st, st.pdf417Font);
        const size_t sp = command.find("Sp");
        st.pdf417Columns = sp == std::string_view::npos ? 7 : StrToInt(command.substr(sp + 2, 1));
    }
}

void PositionLine(RenderState& st, int32_t v) {
    if (v == kNextLine || v == 0) {
        st.linePos = Sat32(int64_t{st.linePos} + st.lineSpacing);
        st.textLinePos = st.linePos;
    } else if (v == kSameLine) {
        st.textLinePos = st.linePos;
    } else if (st.lineSpacing == 10) {
        if (v > st.linePos) st.linePos = v;
        st.textLinePos = v;
    } else {
        st.linePos = Sat32(int64_t{v} * st.lineSpacing / 10);
        st.textLinePos = st.linePos;
    }
}

class LineRenderer {
public:
    LineRenderer(Canvas& canvas, RenderContext& ctx, bool printing)
        : canvas_(canvas), ctx_(ctx), st_(ctx.state), printing_(printing) {}

    void Run(std::string_view text, int32_t size) {
        while (const size_t p = FindTag(text)) {
            DrawPiece(text.substr(0, p - 1), false);
            const Tag tag = ClassifyTag(text.substr(p - 1));
            Apply(tag);
            ApplyFont(canvas_, ctx_, size);
            text.remove_prefix(std::min(text.size(), p - 1 + tag.length));
        }
        DrawPiece(text, true);
    }

private:
    int32_t PieceY(bool rounded) const {
        const int64_t pos = int64_t{st_.pageOffset} + st_.textLinePos;
        const int64_t y = rounded ? MulDiv(st_.dpi, Sat32(pos), 60) : MulDivTrunc(pos, st_.dpi, 60);
        return Sat32(y + st_.topOffset);
    }

    void DrawPiece(std::string_view piece, bool last) {
        if (rightTab_ > 0 && !piece.empty()) {
            const int32_t width = canvas_.TextExtent(piece).cx;
            const int32_t x =
                Sat32(int64_t{MulDivTrunc(int64_t{rightTab_} - 10, st_.dpi, 120)} - width);
            DrawTextRun(canvas_, ctx_, piece, x, PieceY(false));
            st_.column = rightTab_;
            rightTab_ = 0;
            return;
        }
        if (piece.empty()) return; // keeps a pending right tab stop
        const int32_t x = MulDivTrunc(int64_t{st_.column} - 10, st_.dpi, 120);
        const int32_t width = DrawTextRun(canvas_, ctx_, piece, x, PieceY(last));
        st_.column = Sat32(int64_t{st_.column} + MulDivTrunc(width, 120, st_.dpi));
    }

    void ApplyMode(const Tag& tag) {
        const std::string_view name(tag.letters, 2);
        const int delta = tag.on ? 1 : -1;
        if (name == "FE")
            ChangeCounter(st_.counters[kBold], delta);
        else if (name == "UL")
            ChangeCounter(st_.counters[kUnderline], delta);
        else if (name == "EN")
            ChangeCounter(st_.counters[kCondensed], delta);
        else if (name == "EL")
            st_.counters[kElite] = tag.on ? 1 : 0;
        else if (name == "NO")
            st_.counters[kElite] = tag.on ? 0 : 1;
        else if (name == "HO")
            ChangeCounter(st_.counters[kHigh], delta);
        else if (name == "MI")
            ChangeCounter(st_.counters[kMini], delta);
        else if (name == "BR")
            ChangeCounter(st_.counters[kWide], delta);
        else if (name == "KU")
            ChangeCounter(st_.counters[kItalic], delta);
    }

    void ApplyFontTag(const Tag& tag) {
        const std::string_view name(tag.letters, 2);
        if (name == "QW")
            SetFont(canvas_, st_, tag.on ? std::string("QorvaW") : st_.fixedFont);
        else if (name == "AR")
            SetFont(canvas_, st_, tag.on ? std::string("Arial") : st_.fixedFont);
        else if (name == "AE")
            SetFont(canvas_, st_, tag.on ? st_.narrowFont : st_.fixedFont);
        else
            SetFont(canvas_, st_, st_.fixedFont);
    }

    void Apply(const Tag& tag) {
        switch (tag.kind) {
        case TagKind::Mode:
            ApplyMode(tag);
            break;
        case TagKind::Font:
            ApplyFontTag(tag);
            break;
        case TagKind::RightTab:
            rightTab_ = Sat32((int64_t{StrToIntDef(tag.number, 0)} + 1) * 10);
            break;
        case TagKind::Tab:
            st_.column = Sat32((int64_t{StrToIntDef(tag.number, 0)} + 1) * 10);
            rightTab_ = 0;
            break;
        case TagKind::Box:
            DrawBox(canvas_, ctx_, Sat32(int64_t{st_.column} - 10), Sat32(int64_t{st_.linePos} - 3),
                    tag.width, tag.height, tag.on);
            break;
        case TagKind::Rule:
            DrawRule(canvas_, ctx_, tag.rule, tag.number);
            break;
        case TagKind::BoxChar:
            DrawBoxChar(canvas_, ctx_, tag.code);
            break;
        case TagKind::Picture:
            PlaceInlinePicture(canvas_, ctx_, tag.path, printing_);
            break;
        case TagKind::PdfSwitch:
            SwitchPdf(canvas_, ctx_, tag.path, tag.on, printing_);
            break;
        case TagKind::Unknown:
            break;
        }
    }

    Canvas& canvas_;
    RenderContext& ctx_;
    RenderState& st_;
    bool printing_;
    int32_t rightTab_ = 0;
};

} // namespace

void RenderLine(Canvas& canvas, RenderContext& ctx, std::string_view line, bool printing) {
    RenderState& st = ctx.state;
    const int32_t v = StrToIntDef(GetField(line, kFieldSeparator, 1), kNextLine);
    const int32_t column = StrToIntDef(GetField(line, kFieldSeparator, 2), -1);
    const int32_t size = StrToIntDef(GetField(line, kFieldSeparator, 3), 0);
    const std::string_view command = GetField(line, kFieldSeparator, 4);
    std::string text(GetField(line, kFieldSeparator, 5));

    if (Contains(command, "Seite") || Contains(command, "Doku"))
        BreakPage(canvas, ctx, command, text, printing);
    if (Contains(command, "IMG=")) PlaceCommandPicture(canvas, ctx, command, printing);
    ApplyCommandWords(canvas, ctx, command, size);
    PositionLine(st, v);
    st.column = column == -1 || column == 0 ? 10 : column;

    LineRenderer(canvas, ctx, printing).Run(text, size);

    if (Contains(command, "+Mem")) st.memory = {st.counters, st.currentFont, st.pdfFontTaken};
}

} // namespace qorprt
