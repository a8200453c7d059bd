#include "app/GuiMain.h"

#include "app/AppException.h"
#include "app/DisplayPlatform.h"
#include "app/GermanQtTexts.h"
#include "app/RunningInstance.h"
#include "platform/printing/Printer.h"
#include "platform/system/Errors.h"
#include "platform/system/JobQueue.h"
#include "platform/system/Log.h"
#include "platform/system/SignalPipe.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>

namespace qorprt {

int RunGui(int argc, char** argv, const std::string& fullCommandLine, int signalFd) {
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
        // Spool documents of instances that no longer run are left over from a crash.
        RemoveAbandonedSpoolFiles();
        Expected<std::unique_ptr<JobQueue>> queue = JobQueue::Open();
        if (queue)
            options.queue = queue->get();
        else
            WriteLog(10, "Start: Aufträge werden nicht auf der Platte gehalten: " + queue.error());
        RunningInstance instance(options);

        // SIGTERM and SIGINT end the program as "Beenden" does, between two events; one that
        // came while the program started up is waiting in the pipe already.
        QSocketNotifier notifier(signalFd, QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
            DrainSignalFd(signalFd);
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
