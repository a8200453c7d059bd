#pragma once

#include <QTranslator>

namespace qorprt {

// The program speaks German: Qt's own texts (the buttons of the message boxes, the context menus
// of the edit fields) too. Loads Qt's German translations into `translator` and installs it in
// the application; false when they are not installed (Debian qt6-translations-l10n), and Qt then
// speaks English.
bool InstallGermanQtTexts(QTranslator& translator);

} // namespace qorprt
