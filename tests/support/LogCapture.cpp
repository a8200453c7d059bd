#include "support/LogCapture.h"

#include "platform/system/Log.h"

#include <algorithm>
#include <sstream>

namespace qorprt::test {

LogCapture::LogCapture() {
    dir_.Write("qorprt.log", "");
    SetLogFolder(dir_.Path());
}

LogCapture::~LogCapture() {
    SetLogFolder({});
}

std::vector<std::string> LogCapture::Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(dir_.Read("qorprt.log"));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // "<date> <time> <level> PID=<pid>: <text>"
        const size_t pid = line.find(" PID=");
        const size_t colon = line.find(": ", pid);
        if (pid == std::string::npos || colon == std::string::npos) continue;
        const size_t levelStart = line.rfind(' ', pid - 1) + 1;
        lines.push_back(line.substr(levelStart, pid - levelStart) + ": " + line.substr(colon + 2));
    }
    return lines;
}

bool LogCapture::Has(int level, const std::string& text) const {
    const std::vector<std::string> lines = Lines();
    return std::find(lines.begin(), lines.end(), std::to_string(level) + ": " + text) !=
           lines.end();
}

} // namespace qorprt::test
