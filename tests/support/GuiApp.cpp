#include "support/GuiApp.h"

#include <QApplication>

#include <cstdlib>
#include <memory>

namespace qorprt::test {

void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    // Tests never need a real screen; an explicit choice of the caller wins.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "qorprt_tests";
    static char* argv[] = {name, nullptr};
    // A widget application serves the painting and font tests as well as the widget tests.
    static const auto app = std::make_unique<QApplication>(argc, argv);
}

} // namespace qorprt::test
