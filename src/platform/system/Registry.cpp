#include "platform/system/Registry.h"

#include "platform/text/Strings.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

namespace qorprt {

namespace {

// A query buffer of 128 bytes holds 63 UTF-16 characters and the terminating zero.
constexpr size_t kMaxDataBytes = 128;
constexpr size_t kMaxChars = 63;
// Nothing the program reads needs more; a larger file is not a registry export of ours.
constexpr std::streamoff kMaxFileBytes = 16 * 1024 * 1024;

struct StoreFiles {
    std::string user;
    std::string machine;
};

StoreFiles& Overrides() {
    static StoreFiles files;
    return files;
}

std::string DefaultUserFile() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // The XDG base directory rules ignore relative paths.
    if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/qorva/user.reg";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config/qorva/user.reg";
    return {};
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxFileBytes) return std::nullopt;
    in.seekg(0, std::ios::beg);
    std::string content(static_cast<size_t>(size), '\0');
    if (!in.read(content.data(), size)) return std::nullopt;
    return content;
}

std::vector<std::string_view> SplitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start <= content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string_view::npos) end = content.size();
        lines.push_back(content.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A quoted text starting at s[0] == '"'; advances s past the closing quote.
std::optional<std::string> ParseQuoted(std::string_view& s) {
    std::string out;
    size_t i = 1;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') break;
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out.push_back(s[++i]);
        } else {
            out.push_back(c);
        }
    }
    if (i >= s.size()) return std::nullopt;
    s.remove_prefix(i + 1);
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "41,42,00" (blanks allowed around the bytes) into bytes.
std::optional<std::string> ParseHexList(std::string_view s) {
    std::string bytes;
    s = Trim(s);
    if (s.empty()) return bytes;
    while (true) {
        s = Trim(s);
        if (s.size() < 2) return std::nullopt;
        const int hi = HexDigit(s[0]);
        const int lo = HexDigit(s[1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(static_cast<char>(hi * 16 + lo));
        s = Trim(s.substr(2));
        if (s.empty()) return bytes;
        if (s.front() != ',') return std::nullopt;
        s.remove_prefix(1);
    }
}

// What a value line assigns: text data, or a deletion (nullopt).
struct Assignment {
    std::string name;
    std::optional<std::string> data; // the value as the query would read it
    bool tooLong = false;
};

// Parses the value line at lines[i]; continuation lines of hex data advance i.
std::optional<Assignment> ParseValueLine(const std::vector<std::string_view>& lines, size_t& i) {
    std::string_view s = Trim(lines[i]);
    Assignment a;
    if (s.front() == '@') {
        s.remove_prefix(1);
    } else if (s.front() == '"') {
        auto name = ParseQuoted(s);
        if (!name) return std::nullopt;
        a.name = std::move(*name);
    } else {
        return std::nullopt;
    }
    s = Trim(s);
    if (s.empty() || s.front() != '=') return std::nullopt;
    s = Trim(s.substr(1));
    if (s.empty()) return std::nullopt;

    if (s == "-") return a; // deletion
    if (s.front() == '"') {
        auto text = ParseQuoted(s);
        if (!text) return std::nullopt;
        a.tooLong = (text->size() + 1) * 2 > kMaxDataBytes;
        a.data = std::move(*text);
        return a;
    }
    if (s.starts_with("dword:")) {
        const std::string_view digits = Trim(s.substr(6));
        if (digits.size() != 8) return std::nullopt;
        uint32_t v = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            v = v * 16 + static_cast<uint32_t>(d);
        }
        std::string bytes;
        for (int k = 0; k < 4; ++k)
            bytes.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
        a.data = std::move(bytes);
        return a;
    }
    if (s.starts_with("hex")) {
        const size_t colon = s.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        std::string list(s.substr(colon + 1));
        // regedit wraps long lists with a trailing backslash.
        while (!list.empty() && list.back() == '\\' && i + 1 < lines.size()) {
            list.pop_back();
            list += Trim(lines[++i]);
        }
        auto bytes = ParseHexList(list);
        if (!bytes) return std::nullopt;
        a.tooLong = bytes->size() > kMaxDataBytes;
        a.data = std::move(*bytes);
        return a;
    }
    return std::nullopt;
}

bool IsKeyOrDescendant(std::string_view key, std::string_view ancestor) {
    return key == ancestor || (key.size() > ancestor.size() && key.starts_with(ancestor) &&
                               key[ancestor.size()] == '\\');
}

std::string FindValue(std::string_view content, std::string_view rootName, std::string_view subKey,
                      std::string_view valueName) {
    const std::vector<std::string_view> lines = SplitLines(content);
    if (lines.empty() || Trim(lines[0]) != "REGEDIT4") return {};

    std::string target(rootName);
    if (!subKey.empty()) target += "\\" + UpperCp1252(std::string(subKey));
    const std::string wantedName = UpperCp1252(std::string(valueName));

    std::optional<std::string> found;
    bool foundTooLong = false;
    bool inTarget = false;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = Trim(lines[i]);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            inTarget = false;
            if (line.back() != ']') continue;
            std::string_view key = line.substr(1, line.size() - 2);
            const bool deletion = !key.empty() && key.front() == '-';
            if (deletion) key.remove_prefix(1);
            const std::string upper = UpperCp1252(std::string(key));
            if (deletion) {
                if (IsKeyOrDescendant(target, upper)) found.reset();
            } else {
                inTarget = upper == target;
            }
            continue;
        }
        if (!inTarget) continue;
        auto assignment = ParseValueLine(lines, i);
        if (!assignment || UpperCp1252(assignment->name) != wantedName) continue;
        found = std::move(assignment->data);
        foundTooLong = assignment->tooLong;
    }
    if (!found || foundTooLong) return {};
    std::string text = std::move(*found);
    // The caller takes the characters up to the first zero.
    if (const size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
    if (text.size() > kMaxChars) return {};
    return text;
}

} // namespace

std::string RegistryFile(RegRoot root) {
    const StoreFiles& files = Overrides();
    if (root == RegRoot::CurrentUser) return files.user.empty() ? DefaultUserFile() : files.user;
    return files.machine.empty() ? std::string("/etc/qorva/system.reg") : files.machine;
}

void SetRegistryFiles(std::string userPath, std::string machinePath) {
    Overrides() = StoreFiles{std::move(userPath), std::move(machinePath)};
}

std::string ReadRegString(RegRoot root, std::string_view subKey, std::string_view valueName) {
    try {
        const auto content = ReadWholeFile(RegistryFile(root));
        if (!content) return {};
        const std::string_view rootName =
            root == RegRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
        return FindValue(*content, rootName, subKey, valueName);
    } catch (...) {
        // Memory exhaustion while reading counts as an unreadable value.
        return {};
    }
}

} // namespace qorprt
