#pragma once

#include "graphics/RuleForm.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qorprt {

inline constexpr char kFieldSeparator = '\t';

// Field n (1 to 5) of a line split at `separator`: the fifth field is everything after the
// fourth separator, further separators included; a field beyond the last separator is empty.
std::string_view GetField(std::string_view line, char separator, int n);

// 1-based position of the "<" of the first tag in `text`, 0 when there is none.
size_t FindTag(std::string_view text);

enum class TagKind {
    Mode,      // <+FE> and its kin: `mode` names the letters, `on` the sign
    Font,      // <+QW> <+AR> <+AE> <+CR>
    RightTab,  // <TABRn>
    Tab,       // <TABn>
    Box,       // <=Rwh> / <=rwh>
    Rule,      // <-ln> <=Ln> <L0n> <ln> <Ln>
    BoxChar,   // <ccc>
    Picture,   // <IMG=path>
    PdfSwitch, // <PDF=path> / <pdf=path>
    Unknown    // recognised but of no known kind
};

struct Tag {
    TagKind kind = TagKind::Unknown;
    size_t length = 5;       // characters the tag takes from the text, "<" included
    char letters[3] = {};    // the two letters of mode and font tags
    bool on = false;         // sign "+" of mode and font tags; "R" (filled) of box tags; "PDF="
    std::string_view number; // the number text of tab and rule tags (may be empty)
    int32_t width = 1;       // box tags
    int32_t height = 1;
    RuleForm rule = RuleForm::Plain;
    int32_t code = 0;      // box-drawing code
    std::string_view path; // picture and PDF tags
};

// Classifies the recognised tag that starts at `tag[0]` ("<").
Tag ClassifyTag(std::string_view tag);

} // namespace qorprt
