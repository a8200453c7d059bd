// The widget tests' main: the application lives on main's stack, so that it goes before Qt's own
// global objects do at exit (the input devices that the key and mouse events of the tests
// create belong to them).

#include "app/GermanQtTexts.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    // As the program does: Qt's own texts in German.
    QTranslator germanQtTexts;
    qorprt::InstallGermanQtTexts(germanQtTexts);
    return RUN_ALL_TESTS();
}
