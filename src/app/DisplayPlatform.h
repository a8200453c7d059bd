#pragma once

namespace qorprt {

// Chooses the window system before the application is made, so that the program never aborts
// for want of a display: with no DISPLAY and no WAYLAND_DISPLAY the offscreen platform; with one,
// the desktop's platform with offscreen to fall back on when the connection fails. A platform
// the user chose (QT_QPA_PLATFORM) is kept.
void ChooseDisplayPlatform();

// After the application exists: whether it runs without a screen; logs that once at level 10.
bool ReportHeadless();

} // namespace qorprt
