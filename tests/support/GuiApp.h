#pragma once

namespace qorprt::test {

// Makes sure one QApplication exists for the whole test program (fonts, images, widgets need
// it). Without a display it runs on the offscreen platform. Safe to call from every test.
void EnsureGuiApplication();

} // namespace qorprt::test
