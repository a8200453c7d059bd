#include "app/GuiMain.h"

#include "platform/system/Errors.h"
#include "platform/system/Log.h"
#include "platform/text/Encoding.h"

#include <QApplication>

#include <cstdlib>

namespace qorprt {

int RunGui(int argc, char** argv, const std::string& fullCommandLine) {
    (void)fullCommandLine;
    try {
        QApplication app(argc, argv);
        return 0;
    } catch (const std::exception& e) {
        WriteLog(10, "WinMain: " + ExceptionClassName(e) + " - " + Utf8ToCp1252(e.what()));
    }
    return 0;
}

} // namespace qorprt
