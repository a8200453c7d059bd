#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace qorprt {

class BitmapCanvas;
class Canvas;
class DocumentHost;

// What job execution needs of the main window around it. The window implements it; tests fake
// it.
class JobHost {
public:
    virtual ~JobHost() = default;

    virtual void MinimiseWindow() = 0;
    // The main window's height becomes the screen height minus 60 minus the window's top.
    virtual void FitWindowToScreen() = 0;
    // Fills the whole preview picture with its solid brush.
    virtual void ClearPreview() = 0;
    // The preview picture's canvas and the surroundings of a preview rendering.
    virtual Canvas& PreviewCanvas() = 0;
    virtual DocumentHost& PreviewDocumentHost() = 0;
    // Sizes the preview picture after a rendering and fits the window and its scroll range.
    virtual void SizePreviewWindow(int32_t paperHeight, int32_t paperWidth) = 0;
    // The off-screen image PrtImg that barcodes draw on; may be null.
    virtual BitmapCanvas* ScratchCanvas() = 0;
    // The usage text's box: the buttons Yes and No, no icon; true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
    // "Anzeigen" of the tray menu: the window in its normal state, shown.
    virtual void AnzeigenClick() = 0;
    virtual void SetWindowStateNormal() = 0;
    virtual void EnableJobTimer() = 0;
    // Blocks the thread; nothing else is handled meanwhile.
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

} // namespace qorprt
