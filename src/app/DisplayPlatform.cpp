#include "app/DisplayPlatform.h"

#include "platform/system/Log.h"

#include <QGuiApplication>

#include <cstdlib>

namespace qorprt {

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

void ChooseDisplayPlatform() {
    if (Set("QT_QPA_PLATFORM")) return;
    if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    else if (Set("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "wayland;xcb;offscreen", 1);
    else
        setenv("QT_QPA_PLATFORM", "xcb;offscreen", 1);
}

bool ReportHeadless() {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) return false;
    WriteLog(10, "Kein Bildschirm erreichbar: QorPrt arbeitet ohne sichtbares Fenster "
                 "(offscreen)");
    return true;
}

} // namespace qorprt
