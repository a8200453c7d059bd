// The widget tests' main: the application lives on main's stack, so that it goes before Qt's own
// global objects do at exit (the input devices that the key and mouse events of the tests
// create belong to them).

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    return RUN_ALL_TESTS();
}
