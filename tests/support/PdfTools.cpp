#include "support/PdfTools.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace qorprt::test {

namespace {

std::string Quoted(const std::string& path) {
    std::string out = "'";
    for (char c : path) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out + "'";
}

} // namespace

std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;)
            out.append(buffer, n);
        pclose(p);
    }
    return out;
}

std::string PdfInfo(const std::string& pdf) {
    return CommandOutput("pdfinfo " + Quoted(pdf) + " 2>/dev/null");
}

std::string PdfMetadata(const std::string& pdf) {
    return CommandOutput("pdfinfo -meta " + Quoted(pdf) + " 2>/dev/null");
}

std::string PdfText(const std::string& pdf) {
    return CommandOutput("pdftotext -enc UTF-8 " + Quoted(pdf) + " - 2>/dev/null");
}

std::string PdfFonts(const std::string& pdf) {
    return CommandOutput("pdffonts " + Quoted(pdf) + " 2>/dev/null");
}

std::string PdfImages(const std::string& pdf) {
    return CommandOutput("pdfimages -list " + Quoted(pdf) + " 2>/dev/null");
}

std::string PdfInfoValue(const std::string& pdf, const std::string& key) {
    std::istringstream lines(PdfInfo(pdf));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key + ":", 0) != 0) continue;
        const size_t value = line.find_first_not_of(' ', key.size() + 1);
        return value == std::string::npos ? std::string() : line.substr(value);
    }
    return {};
}

int PdfPages(const std::string& pdf) {
    const std::string pages = PdfInfoValue(pdf, "Pages");
    return pages.empty() ? 0 : std::stoi(pages);
}

std::vector<WordBox> PdfWords(const std::string& pdf) {
    const std::string html =
        CommandOutput("pdftotext -bbox -f 1 -l 1 -enc UTF-8 " + Quoted(pdf) + " - 2>/dev/null");
    std::vector<WordBox> words;
    for (size_t at = html.find("<word "); at != std::string::npos;
         at = html.find("<word ", at + 1)) {
        WordBox w;
        if (std::sscanf(html.c_str() + at,
                        "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\">", &w.xMin,
                        &w.yMin, &w.xMax, &w.yMax) != 4)
            continue;
        const size_t from = html.find('>', at) + 1;
        w.text = html.substr(from, html.find("</word>", from) - from);
        words.push_back(w);
    }
    return words;
}

WordBox FindWord(const std::vector<WordBox>& words, const std::string& text) {
    for (const WordBox& w : words)
        if (w.text == text) return w;
    return {};
}

GreyPage RenderPdfPage(const std::string& pdf, int page, int dpi) {
    const std::string base = pdf + ".page";
    const std::string command = "pdftoppm -gray -aa no -aaVector no -singlefile -r " +
                                std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
                                std::to_string(page) + " " + Quoted(pdf) + " " + Quoted(base) +
                                " 2>/dev/null";
    GreyPage result;
    if (std::system(command.c_str()) != 0) return result;
    std::ifstream in(base + ".pgm", std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> result.width >> result.height >> maxValue;
    in.get();
    if (magic != "P5" || maxValue != 255 || result.width <= 0 || result.height <= 0) return {};
    result.pixels.resize(static_cast<size_t>(result.width) * static_cast<size_t>(result.height));
    in.read(reinterpret_cast<char*>(result.pixels.data()),
            static_cast<std::streamsize>(result.pixels.size()));
    std::remove((base + ".pgm").c_str());
    if (!in) return {};
    return result;
}

} // namespace qorprt::test
