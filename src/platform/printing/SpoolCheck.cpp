#include "platform/printing/SpoolCheck.h"

#include <cctype>
#include <fstream>
#include <string>

namespace qorprt {

namespace fs = std::filesystem;

namespace {

// The trailer lies in the file's last bytes; a cross-reference section starts with "xref" (a
// table) or "N G obj" (a stream).
constexpr std::streamoff kTailSize = 1024;

std::string ReadAt(std::ifstream& in, std::streamoff at, std::streamoff size) {
    std::string bytes(static_cast<size_t>(size), '\0');
    in.seekg(at);
    in.read(bytes.data(), size);
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

bool StartsCrossReference(const std::string& s) {
    if (s.starts_with("xref")) return true;
    size_t i = 0;
    for (int number = 0; number < 2; ++number) {
        const size_t digits = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        if (i == digits || i >= s.size() || s[i] != ' ') return false;
        ++i;
    }
    return s.compare(i, 3, "obj") == 0;
}

// Empty when the document is whole, else why not.
std::string Defect(const fs::path& pdf) {
    std::error_code ec;
    const auto size = fs::file_size(pdf, ec);
    if (ec) return "nicht lesbar (" + ec.message() + ")";
    if (size == 0) return "Datei leer (0 Bytes)";
    std::ifstream in(pdf, std::ios::binary);
    if (!in) return "nicht lesbar";
    const auto total = static_cast<std::streamoff>(size);
    const std::streamoff start = total > kTailSize ? total - kTailSize : 0;
    std::string tail = ReadAt(in, start, total - start);
    while (!tail.empty() && std::isspace(static_cast<unsigned char>(tail.back())))
        tail.pop_back();
    if (!tail.ends_with("%%EOF")) return "PDF-Abschluss fehlt (kein %%EOF am Ende)";
    const size_t keyword = tail.rfind("startxref");
    if (keyword == std::string::npos) return "Querverweis fehlt (kein startxref)";
    size_t at = keyword + 9;
    while (at < tail.size() && std::isspace(static_cast<unsigned char>(tail[at])))
        ++at;
    std::streamoff offset = 0;
    const size_t digits = at;
    for (; at < tail.size() && std::isdigit(static_cast<unsigned char>(tail[at])); ++at)
        offset = offset * 10 + (tail[at] - '0');
    if (at == digits || at - digits > 12) return "Querverweis fehlt (startxref ohne Position)";
    if (offset >= total || !StartsCrossReference(ReadAt(in, offset, 32)))
        return "Querverweis fehlt (startxref " + std::to_string(offset) + " zeigt ins Leere)";
    return {};
}

} // namespace

Status CheckSpoolDocument(const fs::path& pdf) {
    const std::string defect = Defect(pdf);
    if (defect.empty()) return Ok();
    return Fail("Spooldatei " + pdf.string() + " verworfen: " + defect);
}

} // namespace qorprt
