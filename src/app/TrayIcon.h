#pragma once

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>

#include <memory>

namespace qorprt {

// What the tray icon does to the main window.
class TrayHost {
public:
    virtual ~TrayHost() = default;
    virtual bool MainWindowVisible() = 0;
    // "Anzeigen": the window in its normal state (not minimised), shown.
    virtual void AnzeigenClick() = 0;
    // "Verstecken": the window hidden.
    virtual void TrayIconClick() = 0;
    // "Beenden": the window closed, which ends the program.
    virtual void ShutDownClick() = 0;
    // Brings the main window to the foreground before the menu opens.
    virtual void BringToFront() = 0;
};

// The icon in the notification area with its tip and its menu "Anzeigen", "Verstecken",
// "Beenden". Where no notification area exists, the program runs on without it.
class TrayIcon : public QObject {
public:
    // The mouse events the icon reports, as the shell reports them.
    static constexpr int kLeftButtonDoubleClick = 515;
    static constexpr int kRightButtonDown = 516;
    static constexpr const char* kTip = "Qorva  - GDI-Druck";

    TrayIcon(TrayHost& host, QIcon icon);
    ~TrayIcon() override;

    // 0 adds the icon (no picture, empty tip), 1 updates it (the program's icon and the tip),
    // 2 removes it. True when a notification area took the call.
    bool NotifyTrayIcon(int action);
    // A mouse event on the icon.
    void OnTrayMessage(int mouseEvent);

    QSystemTrayIcon& Icon() { return icon_; }
    QMenu& TrayIconMenu() { return menu_; }
    QAction& Anzeigen() { return *anzeigen_; }
    QAction& Verstecken() { return *verstecken_; }
    QAction& Beenden() { return *beenden_; }

private:
    void Activated(QSystemTrayIcon::ActivationReason reason);

    TrayHost& host_;
    QIcon programIcon_;
    QSystemTrayIcon icon_;
    QMenu menu_;
    QAction* anzeigen_;
    QAction* verstecken_;
    QAction* beenden_;
};

} // namespace qorprt
