#include "pdf/PdfFilePath.h"

#include "platform/system/Files.h"
#include "platform/text/Strings.h"

namespace qorprt {

std::string PdfFilePath(std::string_view ansiName) {
    std::string name(ansiName);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return FileSystemPath(ReplaceChar(std::move(name), '\\', '/'));
}

} // namespace qorprt
