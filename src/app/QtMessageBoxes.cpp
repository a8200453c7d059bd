#include "app/QtMessageBoxes.h"

#include "platform/system/Log.h"
#include "platform/text/QtText.h"

#include <QMessageBox>

namespace qorprt {

namespace {

void LogUnshown(const std::string& text, const std::string& caption) {
    std::string flat = text;
    for (char& c : flat)
        if (c == '\n' || c == '\r') c = ' ';
    WriteLog(10, "Meldung ohne Bildschirm (" + caption + "): " + flat);
}

} // namespace

QtMessageBoxes::QtMessageBoxes(bool interactive, std::function<QWidget*()> parent)
    : interactive_(interactive), parent_(std::move(parent)) {}

void QtMessageBoxes::ShowError(const std::string& text, const std::string& caption) {
    if (!interactive_) {
        LogUnshown(text, caption);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, Utf8ToQString(caption), Utf8ToQString(text),
                    QMessageBox::Ok, parent_());
    box.exec();
}

bool QtMessageBoxes::AskYesNo(const std::string& text, const std::string& caption) {
    if (!interactive_) {
        LogUnshown(text, caption);
        return false;
    }
    QMessageBox box(QMessageBox::NoIcon, Utf8ToQString(caption), Utf8ToQString(text),
                    QMessageBox::Yes | QMessageBox::No, parent_());
    return box.exec() == QMessageBox::Yes;
}

} // namespace qorprt
