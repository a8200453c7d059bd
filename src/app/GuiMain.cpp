#include "app/GuiMain.h"

#include "app/AppException.h"
#include "app/DisplayPlatform.h"
#include "app/GermanQtTexts.h"
#include "app/RunningInstance.h"
#include "platform/system/Errors.h"
#include "platform/system/Log.h"
#include "platform/system/SignalPipe.h"
#include "platform/text/Encoding.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>

namespace qorprt {

int RunGui(int argc, char** argv, const std::string& fullCommandLine) {
    try {
        ChooseDisplayPlatform();
        // The job's arguments are not Qt's: Qt sees the program name alone.
        int qtArgc = 1;
        char* qtArgv[] = {argc > 0 ? argv[0] : const_cast<char*>("qorprt"), nullptr};
        QApplication app(qtArgc, qtArgv);
        QApplication::setApplicationName(QStringLiteral("qorprt"));
        QGuiApplication::setDesktopFileName(QStringLiteral("qorprt"));
        // In service mode the window hides in the tray; that must not end the program.
        QApplication::setQuitOnLastWindowClosed(false);
        QTranslator germanQtTexts;
        InstallGermanQtTexts(germanQtTexts);
        InstanceOptions options;
        options.interactive = !ReportHeadless();
        options.screen = options.interactive;
        RunningInstance instance(options);

        // SIGTERM and SIGINT end the program as "Beenden" does, between two events.
        SignalPipe signalPipe;
        QSocketNotifier notifier(signalPipe.ReadFd(), QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
            signalPipe.Drain();
            RunHandler([&] { instance.ShutDownClick(); });
        });

        instance.FormCreate(argc, argv, fullCommandLine);
        if (!instance.StartsHidden()) instance.Window().show();
        QApplication::exec();
    } catch (const std::exception& e) {
        WriteLog(10, "WinMain: " + ExceptionClassName(e) + " - " + e.what());
    } catch (...) {
        std::fputs("qorprt: Exception\n", stderr);
    }
    return 0;
}

} // namespace qorprt
