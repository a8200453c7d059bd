#include "app/start/CommandLine.h"

#include "platform/text/Encoding.h"

#include <sys/stat.h>

namespace qorprt {

namespace {

bool NamesExistingFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string Quoted(const std::string& text) {
    return '"' + text + '"';
}

} // namespace

std::string CommandLineArgument(const std::string& utf8Argument) {
    const std::string& arg = utf8Argument;
    std::string written;
    if (arg.find('"') != std::string::npos)
        written = arg;
    else if (arg.starts_with('/') && NamesExistingFile(arg))
        written = Quoted(arg);
    else if (arg.starts_with('/') && arg.size() > 2 && arg.find(' ', 2) != std::string::npos)
        written = arg.substr(0, 2) + Quoted(arg.substr(2));
    else if (arg.find(' ') != std::string::npos)
        written = Quoted(arg);
    else
        written = arg;
    return Utf8ToCp1252(written);
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
    std::string line = argc > 0 && argv[0] ? Utf8ToCp1252(argv[0]) : std::string();
    if (argc > 1) line += ' ' + ArgumentText(argc, argv);
    return line;
}

} // namespace qorprt
