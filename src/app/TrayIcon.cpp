#include "app/TrayIcon.h"

#include "app/AppException.h"

#include <QCursor>

namespace qorprt {

TrayIcon::TrayIcon(TrayHost& host, QIcon icon)
    : host_(host), programIcon_(std::move(icon)),
      anzeigen_(menu_.addAction(QStringLiteral("Anzeigen"))),
      verstecken_(menu_.addAction(QStringLiteral("Verstecken"))),
      beenden_(menu_.addAction(QStringLiteral("Beenden"))) {
    anzeigen_->setObjectName(QStringLiteral("Anzeigen"));
    verstecken_->setObjectName(QStringLiteral("Verstecken"));
    beenden_->setObjectName(QStringLiteral("Beenden"));
    menu_.setObjectName(QStringLiteral("TrayIconMenu"));
    connect(anzeigen_, &QAction::triggered, this,
            [this] { RunHandler([this] { host_.AnzeigenClick(); }); });
    connect(verstecken_, &QAction::triggered, this,
            [this] { RunHandler([this] { host_.TrayIconClick(); }); });
    connect(beenden_, &QAction::triggered, this,
            [this] { RunHandler([this] { host_.ShutDownClick(); }); });
    connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIcon::Activated);
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::NotifyTrayIcon(int action) {
    switch (action) {
    case 0:
        icon_.setIcon(QIcon());
        icon_.setToolTip(QString());
        break;
    case 1:
        icon_.setIcon(programIcon_);
        icon_.setToolTip(QString::fromLatin1(kTip));
        // Without a notification area there is nothing to show the icon in.
        if (QSystemTrayIcon::isSystemTrayAvailable()) icon_.show();
        break;
    case 2:
        icon_.hide();
        break;
    default:
        return false;
    }
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::OnTrayMessage(int mouseEvent) {
    if (mouseEvent == kLeftButtonDoubleClick) {
        if (host_.MainWindowVisible())
            host_.TrayIconClick();
        else
            host_.AnzeigenClick();
    } else if (mouseEvent == kRightButtonDown) {
        const bool visible = host_.MainWindowVisible();
        anzeigen_->setEnabled(!visible);
        verstecken_->setEnabled(visible);
        host_.BringToFront();
        menu_.popup(QCursor::pos());
    }
}

void TrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
    RunHandler([&] {
        if (reason == QSystemTrayIcon::DoubleClick)
            OnTrayMessage(kLeftButtonDoubleClick);
        else if (reason == QSystemTrayIcon::Context)
            OnTrayMessage(kRightButtonDown);
        // A single click and the middle button do nothing.
    });
}

} // namespace qorprt
