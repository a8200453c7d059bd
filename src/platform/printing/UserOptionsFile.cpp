#include "platform/printing/UserOptionsFile.h"

#include "platform/printing/CupsHandles.h"
#include "platform/system/Files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {

namespace fs = std::filesystem;

namespace {

// The file's lines, each with its line end (the last one may have none).
using Lines = std::vector<std::string>;

struct FileText {
    bool exists = false;
    std::string text;
};

std::string Why(int error) {
    return std::strerror(error);
}

Expected<FileText> ReadWhole(const fs::path& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) {
        // No file, or no folder for it: nothing saved yet.
        if (errno == ENOENT || errno == ENOTDIR) return FileText{};
        return Fail("cannot read " + path.string() + ": " + Why(errno));
    }
    FileText file{true, {}};
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Fail("cannot read " + path.string() + ": " + Why(errno));
        if (got == 0) break;
        file.text.append(buffer, static_cast<size_t>(got));
    }
    return file;
}

Lines SplitLines(const std::string& text) {
    Lines lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::string JoinLines(Lines lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        // A line moved away from the end keeps its own line.
        if (i + 1 < lines.size() && !text.ends_with('\n')) text += '\n';
    }
    return text;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// One line of the file taken apart: "Dest" or "Default", the destination's name as written, and
// the options text; empty keyword for any other line.
struct DestLine {
    std::string keyword;
    std::string name;
    std::string options;
    std::string ending; // "\n", "\r\n" or nothing
    bool instance = false;
};

DestLine ParseLine(const std::string& line) {
    DestLine d;
    std::string body = line;
    if (body.ends_with("\r\n")) {
        d.ending = "\r\n";
    } else if (body.ends_with('\n')) {
        d.ending = "\n";
    }
    body.resize(body.size() - d.ending.size());
    size_t at = 0;
    while (at < body.size() && IsBlank(body[at]))
        ++at;
    size_t end = at;
    while (end < body.size() && !IsBlank(body[end]))
        ++end;
    const std::string keyword = body.substr(at, end - at);
    if (!SameName(keyword, "Dest") && !SameName(keyword, "Default")) return {};
    at = end;
    while (at < body.size() && IsBlank(body[at]))
        ++at;
    end = at;
    while (end < body.size() && !IsBlank(body[end]) && body[end] != '/')
        ++end;
    d.keyword = keyword;
    d.name = body.substr(at, end - at);
    d.instance = end < body.size() && body[end] == '/';
    d.options = end < body.size() ? body.substr(end) : std::string();
    return d;
}

bool IsLineOf(const DestLine& d, std::string_view dest) {
    return !d.keyword.empty() && !d.instance && SameName(d.name, dest);
}

std::vector<size_t> LinesOf(const Lines& lines, std::string_view dest) {
    std::vector<size_t> found;
    for (size_t i = 0; i < lines.size(); ++i)
        if (IsLineOf(ParseLine(lines[i]), dest)) found.push_back(i);
    return found;
}

// An option as lpoptions writes it: quoted when the value holds a blank, a backslash or a quote.
std::string FormatOption(const cups_option_t& o) {
    std::string text = " ";
    text += o.name;
    const std::string_view value = o.value ? o.value : "";
    if (value.empty()) return text;
    if (value.find_first_of(" \\\"'") == std::string_view::npos) return text + "=" + o.value;
    text += "=\"";
    for (char c : value) {
        if (c == '"' || c == '\'' || c == '\\') text += '\\';
        text += c;
    }
    return text + "\"";
}

std::string FormatLine(const DestLine& d, const OptionArray& options) {
    std::string line = d.keyword + " " + d.name;
    for (int i = 0; i < options.count(); ++i)
        line += FormatOption(options.data()[i]);
    return line + (d.ending.empty() ? "\n" : d.ending);
}

// Replaces the file whole (see ReplaceFileContents) with the mode it had, making ~/.cups when it
// is missing.
Status ReplaceFile(const fs::path& path, const std::string& text) {
    const fs::path folder = path.parent_path();
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        if (errno != ENOENT || ::mkdir(folder.c_str(), 0700) != 0)
            return Fail("cannot create " + folder.string() + ": " + Why(errno));
    }
    mode_t mode = 0644;
    if (::stat(path.c_str(), &st) == 0) {
        // A file the user made read-only stays as it is.
        if (::access(path.c_str(), W_OK) != 0)
            return Fail("cannot write " + path.string() + ": " + Why(errno));
        mode = st.st_mode & 07777;
    }
    return ReplaceFileContents(path.string(), text, mode);
}

Status WriteLines(const fs::path& path, const FileText& before, const Lines& lines) {
    const std::string text = JoinLines(lines);
    if (before.exists && text == before.text) return Ok();
    if (text.empty()) {
        if (before.exists && ::unlink(path.c_str()) != 0 && errno != ENOENT)
            return Fail("cannot remove " + path.string() + ": " + Why(errno));
        return Ok();
    }
    return ReplaceFile(path, text);
}

} // namespace

fs::path UserOptionsFile::DefaultPath() {
    const char* home = std::getenv("HOME");
    std::string folder = home && *home ? home : "";
    if (folder.empty())
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) folder = pw->pw_dir;
    return fs::path(folder) / ".cups" / "lpoptions";
}

UserOptionsFile::UserOptionsFile(fs::path path) : path_(std::move(path)) {}

Status
UserOptionsFile::ChangeOptions(std::string_view dest, const std::vector<std::string>& remove,
                               const std::vector<std::pair<std::string, std::string>>& add) const {
    auto file = ReadWhole(path_);
    if (!file) return file.failure();
    Lines lines = SplitLines(file->text);
    const std::vector<size_t> own = LinesOf(lines, dest);
    std::vector<size_t> drop;
    for (size_t n = 0; n < own.size(); ++n) {
        const DestLine d = ParseLine(lines[own[n]]);
        OptionArray options;
        options.Parse(d.options.c_str());
        bool changed = false;
        for (const std::string& name : remove)
            changed = options.Remove(name.c_str()) || changed;
        if (n + 1 == own.size()) {
            for (const auto& [name, value] : add)
                options.Add(name.c_str(), value.c_str());
            changed = changed || !add.empty();
        }
        if (!changed) continue;
        if (options.count() == 0 && SameName(d.keyword, "Dest"))
            drop.push_back(own[n]);
        else
            lines[own[n]] = FormatLine(d, options);
    }
    for (auto it = drop.rbegin(); it != drop.rend(); ++it)
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*it));
    if (own.empty() && !add.empty()) {
        OptionArray options;
        for (const auto& [name, value] : add)
            options.Add(name.c_str(), value.c_str());
        // First in the file, so that every other byte stays where it was.
        lines.insert(lines.begin(),
                     FormatLine(DestLine{"Dest", std::string(dest), {}, "\n", false}, options));
    }
    return WriteLines(path_, *file, lines);
}

// The saved form: the index of the destination's first line (or of the end of the file), a
// line end, and the destination's lines as they were.
Expected<std::string> UserOptionsFile::Save(std::string_view dest) const {
    auto file = ReadWhole(path_);
    if (!file) return file.failure();
    const Lines lines = SplitLines(file->text);
    const std::vector<size_t> own = LinesOf(lines, dest);
    std::string saved = std::to_string(own.empty() ? lines.size() : own.front()) + "\n";
    for (size_t i : own)
        saved += lines[i];
    return saved;
}

Status UserOptionsFile::Restore(std::string_view dest, const std::string& saved) const {
    const size_t newline = saved.find('\n');
    char* end = nullptr;
    const unsigned long long place =
        newline == std::string::npos ? 0 : std::strtoull(saved.c_str(), &end, 10);
    if (newline == std::string::npos || end != saved.c_str() + newline)
        return Fail("the saved options of " + std::string(dest) + " are damaged");
    auto file = ReadWhole(path_);
    if (!file) return file.failure();
    Lines lines = SplitLines(file->text);
    const std::vector<size_t> own = LinesOf(lines, dest);
    size_t at = own.empty() ? std::min<size_t>(place, lines.size()) : own.front();
    for (auto it = own.rbegin(); it != own.rend(); ++it)
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*it));
    for (std::string& line : SplitLines(saved.substr(newline + 1)))
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at++), std::move(line));
    return WriteLines(path_, *file, lines);
}

} // namespace qorprt
