#include "jobs/JobTokens.h"

#include "platform/text/Strings.h"

#include <algorithm>

namespace qorprt {

namespace {

// Characters after an opening quote that are searched for its closing quote.
constexpr size_t kQuoteSearch = 99;

// Removes the first `count` characters (all of them when the text is shorter).
void EraseFront(std::string& text, size_t count) {
    text.erase(0, std::min(count, text.size()));
}

} // namespace

std::string WithoutProgramPath(const std::string& aufruf) {
    std::string rest = aufruf + " ";
    const size_t p = Pos("QORPRT", UpperCp1252(rest));
    EraseFront(rest, p + 5);
    EraseFront(rest, Pos(" ", rest));
    return rest;
}

bool NextToken(std::string& rest, std::string& token) {
    if (!rest.empty() && rest.front() == '"') {
        const size_t closing = rest.find('"', 1);
        if (closing != std::string::npos && closing <= kQuoteSearch) {
            token = rest.substr(0, closing + 1);
            EraseFront(rest, closing + 2);
        } else {
            token = "\"";
            EraseFront(rest, 2);
        }
    } else {
        const size_t blank = rest.find(' ');
        if (blank == std::string::npos) return false;
        token = rest.substr(0, blank);
        EraseFront(rest, blank + 1);
    }
    // An option value in quotes that contains blanks arrives as one token, quotes included.
    while (token.size() >= 3 && token[2] == '"' && token.back() != '"' && Contains(rest, "\"")) {
        const size_t blank = rest.find(' ');
        token += ' ';
        token += rest.substr(0, blank);
        EraseFront(rest, blank == std::string::npos ? rest.size() : blank + 1);
    }
    return true;
}

std::vector<std::string> JobTokens(const std::string& jobLine) {
    std::vector<std::string> tokens;
    std::string rest = WithoutProgramPath(jobLine);
    std::string token;
    while (NextToken(rest, token))
        if (!token.empty()) tokens.push_back(token);
    return tokens;
}

bool JobHasOption(const std::string& jobLine, std::string_view option) {
    const std::vector<std::string> tokens = JobTokens(jobLine);
    return std::any_of(tokens.begin(), tokens.end(),
                       [&](const std::string& token) { return token.starts_with(option); });
}

bool JobHasDirectPrintOption(const std::string& jobLine) {
    return JobHasOption(jobLine, "/X");
}

} // namespace qorprt
