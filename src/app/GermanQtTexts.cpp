#include "app/GermanQtTexts.h"

#include "platform/system/Log.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace qorprt {

bool InstallGermanQtTexts(QTranslator& translator) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator.load(QStringLiteral("qtbase_de"), folder)) {
        WriteLog(8, "Qt-Texte: qtbase_de.qm fehlt in " + folder.toStdString());
        return false;
    }
    return QCoreApplication::installTranslator(&translator);
}

} // namespace qorprt
