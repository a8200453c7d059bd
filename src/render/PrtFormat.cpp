#include "render/PrtFormat.h"

#include "platform/text/Numbers.h"
#include "platform/text/Strings.h"

#include <array>

namespace qorprt {

namespace {

// The character at distance d after the "<" at index i; NUL past the end.
char At(std::string_view text, size_t i, size_t d) {
    return i + d < text.size() ? text[i + d] : '\0';
}

// Up to `count` characters from distance d after the "<" at index i.
std::string_view From(std::string_view text, size_t i, size_t d, size_t count) {
    return i + d < text.size() ? text.substr(i + d, count) : std::string_view{};
}

bool NonZeroNumber(std::string_view s) {
    return StrToIntDef(s, 0) != 0;
}

bool IsTagAt(std::string_view text, size_t i) {
    switch (At(text, i, 1)) {
    case '+':
    case '1':
    case '2':
        return At(text, i, 4) == '>';
    case '-':
        return At(text, i, 4) == '>' || (At(text, i, 2) == 'l' && At(text, i, 5) == '>');
    case '=':
    case 'L':
    case 'l': {
        const bool closed = At(text, i, 3) == '>' || At(text, i, 4) == '>' ||
                            At(text, i, 5) == '>' || At(text, i, 6) == '>';
        return closed && (NonZeroNumber(From(text, i, 2, 1)) ||
                          NonZeroNumber(From(text, i, 3, 1)) || NonZeroNumber(From(text, i, 2, 2)));
    }
    case 'T':
        return At(text, i, 5) == '>' || At(text, i, 6) == '>' || At(text, i, 7) == '>';
    case 'I':
        return From(text, i, 1, 4) == "IMG=";
    case 'P':
        return From(text, i, 1, 4) == "PDF=";
    case 'p':
        return From(text, i, 1, 4) == "pdf=";
    default:
        return false;
    }
}

constexpr std::array<std::string_view, 13> kTwoLetterTags = {
    "FE", "UL", "EN", "EL", "NO", "HO", "MI", "BR", "KU", "QW", "AR", "AE", "CR"};

// A tag with `letters` characters after "<" followed by a number up to the first ">" among the
// next four characters; without a ">" there the number is empty and only "<" and the letters go.
void ReadNumber(std::string_view tag, size_t letters, Tag& out) {
    const std::string_view after = From(tag, 0, letters + 1, 4);
    const size_t close = Pos(">", after);
    out.number = close > 0 ? after.substr(0, close - 1) : std::string_view{};
    out.length = 1 + letters + close;
}

// The path of a picture or PDF tag: up to the first ">" among the 100 characters after "=".
void ReadPath(std::string_view tag, Tag& out) {
    const std::string_view after = From(tag, 0, 5, 100);
    const size_t close = Pos(">", after);
    out.path = close > 0 ? after.substr(0, close - 1) : std::string_view{};
    out.length = 5 + close;
}

} // namespace

std::string_view GetField(std::string_view line, char separator, int n) {
    // Removing fields from the front of the line with one separator appended.
    size_t start = 0;
    const size_t end = line.size() + 1; // the appended separator
    auto sepAt = [&](size_t from) {
        const size_t p = line.find(separator, from);
        return p == std::string_view::npos ? line.size() : p;
    };
    for (int k = 1; k < n && start < end; ++k)
        start = sepAt(start) + 1;
    if (start >= end) return {};
    if (n >= 5) return line.substr(start);
    return line.substr(start, sepAt(start) - start);
}

size_t FindTag(std::string_view text) {
    if (text.size() < 4) return 0;
    const size_t last = text.size() - 3; // a tag needs three characters after "<"
    for (size_t i = 0; i < last; ++i) {
        const size_t at = text.find('<', i);
        if (at == std::string_view::npos || at >= last) return 0;
        if (IsTagAt(text, at)) return at + 1;
        i = at;
    }
    return 0;
}

Tag ClassifyTag(std::string_view tag) {
    Tag out;
    const std::string_view two = From(tag, 0, 2, 2);
    for (std::string_view name : kTwoLetterTags) {
        if (two == name) {
            const bool font = name == "QW" || name == "AR" || name == "AE" || name == "CR";
            out.kind = font ? TagKind::Font : TagKind::Mode;
            out.letters[0] = name[0];
            out.letters[1] = name[1];
            out.on = At(tag, 0, 1) == '+';
            return out;
        }
    }
    const std::string_view four = From(tag, 0, 1, 4);
    if (four == "TABR") {
        out.kind = TagKind::RightTab;
        ReadNumber(tag, 4, out);
        return out;
    }
    if (four.substr(0, 3) == "TAB") {
        out.kind = TagKind::Tab;
        ReadNumber(tag, 3, out);
        return out;
    }
    const std::string_view lead = From(tag, 0, 1, 2);
    if (lead == "=R" || lead == "=r") {
        out.kind = TagKind::Box;
        out.on = lead[1] == 'R';
        out.width = StrToIntDef(From(tag, 0, 3, 1), 1);
        out.height = StrToIntDef(From(tag, 0, 4, 1), 1);
        out.length = 6;
        return out;
    }
    if (lead == "-l" || lead == "=L" || lead == "L0") {
        out.kind = TagKind::Rule;
        out.rule =
            lead == "-l" ? RuleForm::TickDown : (lead == "=L" ? RuleForm::Double : RuleForm::Plain);
        ReadNumber(tag, 2, out);
        return out;
    }
    const char first = At(tag, 0, 1);
    if (first == 'l' || first == 'L') {
        out.kind = TagKind::Rule;
        out.rule = RuleForm::TickUp;
        ReadNumber(tag, 1, out);
        return out;
    }
    if ((first == '1' || first == '2') && At(tag, 0, 4) == '>') {
        out.kind = TagKind::BoxChar;
        out.code = StrToIntDef(From(tag, 0, 1, 3), 0);
        return out;
    }
    if (four == "IMG=") {
        out.kind = TagKind::Picture;
        ReadPath(tag, out);
        return out;
    }
    if (four == "PDF=" || four == "pdf=") {
        out.kind = TagKind::PdfSwitch;
        out.on = four == "PDF=";
        ReadPath(tag, out);
        return out;
    }
    return out;
}

} // namespace qorprt
