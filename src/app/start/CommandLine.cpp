#include "app/start/CommandLine.h"

#include "platform/system/Files.h"
#include "platform/text/Encoding.h"
#include "platform/text/Strings.h"

#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {

namespace {

// The parse stage looks for a quoted token's closing quote among the 99 characters after the
// opening one.
constexpr size_t kLongestQuotedName = 98;

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A file the job names: it exists, or it is an absolute path of at least two parts whose folder
// exists. "/X" or "/w/tmp/R1.pdf" are options: "/" and the folder "/w/tmp" are no such folders.
bool NamesFile(const std::string& arg) {
    if (PathExists(arg)) return true;
    const size_t slash = arg.rfind('/');
    return arg.starts_with('/') && slash != std::string::npos && slash > 0 &&
           slash + 1 < arg.size() && IsFolder(arg.substr(0, slash));
}

// Whether the text can stand in a job line as it is: valid UTF-8 without control characters or
// double quotes.
bool PlainText(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const size_t length = Utf8SequenceLength(text, i);
            if (length == 0) return false;
            i += length;
            continue;
        }
        if (c < 0x20 || c == 0x7F || c == '"') return false;
        ++i;
    }
    return true;
}

std::string Quoted(const std::string& text) {
    return '"' + text + '"';
}

std::string AbsolutePath(const std::string& path) {
    if (path.starts_with('/')) return path;
    std::string folder(4096, '\0');
    if (::getcwd(folder.data(), folder.size()) == nullptr) return path;
    folder.resize(folder.find('\0'));
    return folder + (folder.ends_with('/') ? "" : "/") + path;
}

std::string FileArgument(const std::string& name) {
    const bool blank = name.find(' ') != std::string::npos;
    if (PlainText(name) && !(blank && name.size() > kLongestQuotedName)) {
        if (blank || name.starts_with('/')) return Quoted(name);
        return name;
    }
    return FileUrl(AbsolutePath(name));
}

bool ProgramPathReadable(std::string_view path) {
    const size_t at = Pos("QORPRT", UpperCp1252(std::string(path)));
    return at > 0 && path.find(' ', at) == std::string_view::npos;
}

} // namespace

std::string CommandLineArgument(const std::string& argument) {
    const std::string& arg = argument;
    if (!arg.empty() && NamesFile(arg)) return FileArgument(arg);
    if (arg.find('"') != std::string::npos) return arg;
    if (arg.starts_with('/') && arg.size() > 2 && arg.find(' ', 2) != std::string::npos)
        return arg.substr(0, 2) + Quoted(arg.substr(2));
    if (arg.find(' ') != std::string::npos) return Quoted(arg);
    return arg;
}

std::string ArgumentText(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += CommandLineArgument(argv[i]);
    }
    return text;
}

std::string FullCommandLine(int argc, const char* const* argv) {
    const std::string_view program = argc > 0 && argv[0] ? argv[0] : "";
    std::string line = ProgramPathReadable(program) ? std::string(program) : "qorprt";
    if (argc > 1) line += ' ' + ArgumentText(argc, argv);
    return line;
}

bool WantsOwnInstance(int argc, const char* const* argv) {
    for (int i = 2; i < argc; ++i)
        if (std::string_view(argv[i]) == "/N") return true;
    return false;
}

} // namespace qorprt
