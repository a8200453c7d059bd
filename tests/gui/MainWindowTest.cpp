// The main window on the offscreen platform: its controls as designed, the start modes of its
// creation, the bindings of its controls to the job settings, the tray menu.

#include "app/MainWindow.h"

#include "app/PreviewPaper.h"
#include "app/QtMessageBoxes.h"
#include "app/RunningInstance.h"
#include "jobs/UsageText.h"
#include "platform/canvas/Fonts.h"
#include "support/GuiApp.h"
#include "support/LogCapture.h"
#include "support/ScriptedSpooler.h"
#include "support/TempDir.h"
#include "support/WorkingFolder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace qorprt {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        // The instances of these tests take handovers: in a folder of their own, so that no
        // program started elsewhere on the machine hands its job to them.
        ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        test::EnsureGuiApplication();
        spooler.Add("Laser1");
        spooler.defaultOrder = {"Laser1"};
    }
    std::unique_ptr<RunningInstance> Start(std::vector<const char*> argv,
                                           const std::string& fullCommandLine) {
        InstanceOptions options;
        options.spooler = &spooler;
        options.interactive = false;
        options.terminate = [this] { ++terminations; };
        options.failureMessage = [this](const TrayMessage& message) {
            messages.push_back(message);
        };
        auto instance = std::make_unique<RunningInstance>(options);
        instance->FormCreate(static_cast<int>(argv.size()), argv.data(), fullCommandLine);
        return instance;
    }
    template <class T> T* Control(RunningInstance& instance, const char* name) {
        T* control = instance.Window().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    ~MainWindowTest() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    test::TempDir runtime;
    test::LogCapture log;
    test::TempDir dir;
    test::WorkingFolder cwd{dir.Path()};
    test::ScriptedSpooler spooler;
    int terminations = 0;
    std::vector<TrayMessage> messages;
};

TEST_F(MainWindowTest, ControlsStandWhereDesignedWithTheirCaptions) {
    auto instance = Start({"qorprt", "/D"}, "qorprt /D");
    TQorPrt& window = instance->Window();
    EXPECT_EQ(window.geometry(), QRect(80, 15, 833, 825));
    struct Case {
        const char* name;
        QRect geometry;
        const char* caption; // null: no caption
    } cases[] = {
        {"Job", {8, -2, 120, 13}, "Druckjobs (Befehlszeilen)"},
        {"Jobs", {8, 12, 229, 73}, nullptr},
        {"Papierformat", {243, -2, 62, 13}, "Papierformat"},
        {"PaperListe", {243, 12, 161, 73}, nullptr},
        {"Schacht", {410, -2, 38, 13}, "Schacht"},
        {"BinListe", {410, 12, 161, 73}, nullptr},
        {"Drucker", {577, -2, 37, 13}, "Drucker"},
        {"DruListe", {577, 12, 216, 73}, nullptr},
        {"RandObenTxt", {8, 112, 86, 13}, "Rand in mm: oben"},
        {"RandOben", {103, 102, 25, 21}, ""},
        {"RandLinksTxt", {144, 110, 20, 13}, "links"},
        {"RandLinks", {170, 102, 25, 21}, ""},
        {"Landscape", {8, 129, 73, 17}, "Landscape"},
        {"Duplex", {87, 129, 51, 17}, "Duplex"},
        {"Anzeige", {144, 129, 65, 17}, "Anzeige"},
        {"LogLevelTxt", {215, 131, 42, 13}, "LogLevel"},
        {"LogLevel", {263, 125, 18, 21}, "8"},
        {"Ausdruck", {295, 121, 75, 25}, "&Ausdruck"},
        {"DruckeJobs", {385, 121, 80, 25}, "Alles &drucken"},
        {"Refresh", {480, 121, 75, 25}, "&Refresh"},
        {"Paper", {8, 152, 1170, 5000}, nullptr},
    };
    for (const Case& c : cases) {
        QWidget* control = Control<QWidget>(*instance, c.name);
        if (!control) continue;
        if (qobject_cast<QLabel*>(control) || qobject_cast<QCheckBox*>(control)) {
            // Labels and check boxes grow to the right where this machine's font and style
            // draw their caption wider.
            const QRect g = control->geometry();
            EXPECT_EQ(g.top(), c.geometry.top()) << c.name;
            EXPECT_EQ(g.left(), c.geometry.left()) << c.name;
            EXPECT_EQ(g.height(), c.geometry.height()) << c.name;
            EXPECT_GE(g.width(), c.geometry.width()) << c.name;
            EXPECT_GE(g.width(), control->fontMetrics().horizontalAdvance(c.caption)) << c.name;
        } else {
            EXPECT_EQ(control->geometry(), c.geometry) << c.name;
        }
        if (!c.caption) continue;
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(control)) caption = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control)) caption = button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(control)) caption = edit->text();
        EXPECT_EQ(caption.toStdString(), c.caption) << c.name;
    }
    EXPECT_FALSE(Control<QLabel>(*instance, "PDFname")->isVisibleTo(&window));
    EXPECT_FALSE(Control<QLabel>(*instance, "PrtImg")->isVisibleTo(&window));
    // Right-aligned labels keep their right edge.
    EXPECT_EQ(Control<QLabel>(*instance, "Version")->text().toStdString(), "07.08.2017");
    EXPECT_EQ(Control<QLabel>(*instance, "Version")->geometry().right(), 792);
    EXPECT_EQ(Control<QLabel>(*instance, "instFont")->geometry().right(), 570);
    const QStringList menu = {"Datei anzeigen", "selektierten Job l\u00f6schen",
                              "alle Jobs l\u00f6schen"};
    QStringList shown;
    for (QAction* action : window.JobsMenu().actions())
        shown << action->text();
    EXPECT_EQ(shown, menu);
}

TEST_F(MainWindowTest, TabOrderRunsAsDesigned) {
    auto instance = Start({"qorprt", "/D"}, "qorprt /D");
    const std::vector<std::string> expected = {
        "Jobs",   "PaperListe", "BinListe", "DruListe",   "RandOben", "RandLinks", "Landscape",
        "Duplex", "Anzeige",    "Ausdruck", "DruckeJobs", "Refresh",  "LogLevel"};
    std::vector<std::string> order;
    QWidget* w = Control<QWidget>(*instance, "Jobs");
    for (size_t i = 0; w && i < expected.size(); ++i) {
        order.push_back(w->objectName().toStdString());
        do {
            w = w->nextInFocusChain();
        } while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty() ||
                 w->objectName().startsWith(QLatin1String("qt_")));
    }
    EXPECT_EQ(order, expected);
}

TEST_F(MainWindowTest, TheCommandLineChoosesTheStartMode) {
    struct Case {
        std::vector<const char*> argv;
        std::string line;
        const char* title;
        size_t jobs;
        int32_t serviceMode;
        bool anzeige;
        bool hidden;
    } cases[] = {
        {{"qorprt"}, "qorprt", "Running", 1, 0, false, false},
        {{"qorprt", "/D"}, "qorprt /D", "Running", 0, 2, false, false},
        {{"qorprt", "/d"}, "qorprt /d", "Running", 0, 2, true, false},
        {{"qorprt", "/D", "/X"}, "qorprt /D /X", "Running", 1, 0, false, true},
        {{"qorprt", "x.PRT", "/N"}, "qorprt x.PRT /N", "QorPrt", 1, 0, false, false},
        {{"qorprt", "/N", "x.PRT"}, "qorprt /N x.PRT", "QorPrt", 1, 0, false, false},
        {{"qorprt", "x.PRT", "/Nix"}, "qorprt x.PRT /Nix", "Running", 1, 0, false, false},
    };
    for (const Case& c : cases) {
        auto instance = Start(c.argv, c.line);
        EXPECT_EQ(instance->Window().Caption(), c.title) << c.line;
        EXPECT_EQ(instance->Jobs().Count(), c.jobs) << c.line;
        if (c.jobs == 1) {
            EXPECT_EQ(instance->Jobs().list.Items[0], c.line);
            EXPECT_EQ(instance->Jobs().list.ItemIndex, 0);
            EXPECT_EQ(instance->Jobs().scrollWidth, static_cast<int32_t>(c.line.size() * 6));
        }
        EXPECT_EQ(instance->ServiceMode(), c.serviceMode) << c.line;
        EXPECT_EQ(instance->Job().Anzeige, c.anzeige) << c.line;
        EXPECT_EQ(instance->StartsHidden(), c.hidden) << c.line;
        EXPECT_EQ(instance->Job().Aufruf, c.line);
        EXPECT_TRUE(instance->Timers().JobTimerEnabled());
        EXPECT_TRUE(log.Has(10, "Start Version 07.08.2017: " + c.line));
    }
}

TEST_F(MainWindowTest, TheBarcodeFontLabelTellsWhatIsInstalled) {
    const auto& fonts = InstalledFontNames();
    const bool pdf417c = FontInstalled(fonts, "PDF417c");
    const std::string expected = FontInstalled(fonts, "IDAutomationPDF417n3")
                                     ? std::string(" IDAutom") + (pdf417c ? " (PDF417c)" : " -")
                                     : std::string(" -") + (pdf417c ? " PDF417c" : " -");
    auto shown = Start({"qorprt"}, "qorprt");
    EXPECT_EQ(Control<QLabel>(*shown, "instFont")->text().toStdString(), expected);
    auto hidden = Start({"qorprt", "R.PRT", "/X"}, "qorprt R.PRT /X");
    EXPECT_EQ(Control<QLabel>(*hidden, "instFont")->text().toStdString(), "");
}

TEST_F(MainWindowTest, ControlsAndJobSettingsBindBothWays) {
    auto instance = Start({"qorprt", "/D"}, "qorprt /D");
    JobSettings& job = instance->Job();
    QTest::keyClicks(Control<QLineEdit>(*instance, "RandOben"), "12");
    QTest::keyClicks(Control<QLineEdit>(*instance, "RandLinks"), "7");
    auto* logLevel = Control<QLineEdit>(*instance, "LogLevel");
    logLevel->selectAll();
    QTest::keyClicks(logLevel, "10");
    Control<QCheckBox>(*instance, "Landscape")->click();
    Control<QCheckBox>(*instance, "Duplex")->click();
    Control<QCheckBox>(*instance, "Anzeige")->click();
    EXPECT_EQ(job.RandOben, "12");
    EXPECT_EQ(job.RandLinks, "7");
    EXPECT_EQ(job.LogLevel, "10");
    EXPECT_TRUE(job.Landscape && job.Duplex && job.Anzeige);

    job.RandOben = "5";
    job.Landscape = false;
    job.PaperListe.Items = {"9: A4 (210x297)", "11: A5 (148x210)"};
    job.PaperListe.ItemIndex = 1;
    job.PRTfile = "Büro.PRT";
    instance->Window().ShowModel();
    EXPECT_EQ(Control<QLineEdit>(*instance, "RandOben")->text().toStdString(), "5");
    EXPECT_FALSE(Control<QCheckBox>(*instance, "Landscape")->isChecked());
    EXPECT_EQ(Control<QListWidget>(*instance, "PaperListe")->currentRow(), 1);
    EXPECT_EQ(Control<QLabel>(*instance, "PRTfile")->text(), QString::fromUtf8("B\xC3\xBCro.PRT"));
    Control<QListWidget>(*instance, "PaperListe")->setCurrentRow(0);
    EXPECT_EQ(job.PaperListe.ItemIndex, 0);
}

TEST_F(MainWindowTest, DeleteKeyOnTheListRemovesTheSelectedJob) {
    auto instance = Start({"qorprt", "/D"}, "qorprt /D");
    for (const char* line : {"qorprt a.PRT", "qorprt b.PRT", "qorprt c.PRT"})
        instance->Jobs().Append(line);
    instance->Jobs().Select(2);
    instance->Window().ShowModel();
    QTest::keyClick(Control<QListWidget>(*instance, "Jobs"), Qt::Key_Delete);
    EXPECT_EQ(instance->Jobs().Count(), 2u);
    EXPECT_EQ(instance->Jobs().list.ItemIndex, 1);
    EXPECT_EQ(Control<QListWidget>(*instance, "Jobs")->count(), 2);
    EXPECT_EQ(instance->Job().Aufruf, "qorprt b.PRT");
}

TEST_F(MainWindowTest, PageKeysOnAButtonScrollTheFormWithinItsRange) {
    auto instance = Start({"qorprt", "/D"}, "qorprt /D");
    TQorPrt& window = instance->Window();
    window.show();
    auto* button = Control<QPushButton>(*instance, "Ausdruck");
    const int step = window.height() - 50;
    QTest::keyClick(button, Qt::Key_PageDown);
    EXPECT_EQ(window.ScrollPosition(), step);
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(button, Qt::Key_PageDown);
    const int bottom = window.ScrollPosition();
    EXPECT_GT(bottom, step);
    QTest::keyClick(button, Qt::Key_PageDown);
    EXPECT_EQ(window.ScrollPosition(), bottom);
    QTest::keyClick(button, Qt::Key_PageUp);
    EXPECT_EQ(window.ScrollPosition(), bottom - step);
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(button, Qt::Key_PageUp);
    EXPECT_EQ(window.ScrollPosition(), 0);
    window.hide();
}

TEST_F(MainWindowTest, EnterAndReturnPressTheFocusedButton) {
    auto instance = Start({"qorprt", "/D"}, "qorprt /D");
    instance->Window().show();
    for (const char* name : {"Ausdruck", "DruckeJobs", "Refresh"}) {
        auto* button = Control<QPushButton>(*instance, name);
        QSignalSpy clicked(button, &QPushButton::clicked);
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Enter);
        EXPECT_EQ(clicked.count(), 2) << name;
    }
    EXPECT_EQ(terminations, 0);
    instance->Window().hide();
}

TEST_F(MainWindowTest, TheUsageBoxAsksInGerman) {
    QStringList buttons;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll.stop();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        box->button(QMessageBox::No)->click();
    });
    poll.start();
    QtMessageBoxes boxes(true, [] { return nullptr; });
    EXPECT_FALSE(boxes.AskYesNo(UsageText(), UsageCaption()));
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"&Ja", "&Nein"}));
}

TEST_F(MainWindowTest, FailedJobsReachTheUserInOneMessage) {
    dir.Write("BAD.PRT", "\t\t\tPDF Spx\tB\r\n");
    dir.Write("a.PRT", "\t\t\t\tA\r\n");
    spooler["Laser1"].refuseSubmit = 31;
    auto instance = Start({"qorprt", "/D"}, "qorprt /D");
    const struct {
        std::string line;
        std::string shown; // the message's line for the job
    } cases[] = {
        {"qorprt missing.PRT /X", "missing.PRT: nicht gedruckt, existiert nicht"},
        {"qorprt BAD.PRT /X", "BAD.PRT: nicht gedruckt, Fehler: EConvertError - "},
        {"qorprt a.PRT /X", "a.PRT: nicht gedruckt, document refused"},
    };
    for (const auto& c : cases) {
        instance->Jobs().Append(c.line);
        instance->Jobs().Select(static_cast<int32_t>(instance->Jobs().Count()) - 1);
        instance->Job().Aufruf = c.line;
        instance->RunJob(false);
    }
    EXPECT_TRUE(messages.empty()); // gathered first, not one message each
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 10000));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title.toStdString(), "QorPrt: 3 Aufträge fehlgeschlagen");
    const QStringList lines = messages[0].text.split('\n');
    ASSERT_EQ(lines.size(), 3);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_TRUE(lines[static_cast<int>(i)].toStdString().starts_with(cases[i].shown))
            << lines[static_cast<int>(i)].toStdString();
    EXPECT_TRUE(instance->Jobs().Empty());
    EXPECT_TRUE(std::filesystem::exists(dir.File("a.PRT"))); // a refused job keeps its name
    EXPECT_EQ(terminations, 0);
}

TEST_F(MainWindowTest, TheTrayMenuFollowsTheWindowAndEndsTheProgram) {
    auto instance = Start({"qorprt", "/D"}, "qorprt /D");
    TQorPrt& window = instance->Window();
    TrayIcon& tray = instance->Tray();
    EXPECT_EQ(tray.Icon().toolTip().toStdString(), "Qorva  - GDI-Druck");
    window.show();
    emit tray.Icon().activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(tray.Anzeigen().isEnabled());
    EXPECT_TRUE(tray.Verstecken().isEnabled());
    EXPECT_TRUE(tray.Beenden().isEnabled());
    tray.TrayIconMenu().hide();
    emit tray.Icon().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(window.isVisible());
    emit tray.Icon().activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(tray.Anzeigen().isEnabled());
    EXPECT_FALSE(tray.Verstecken().isEnabled());
    tray.TrayIconMenu().hide();
    window.setWindowState(Qt::WindowMinimized);
    emit tray.Icon().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
    emit tray.Icon().activated(QSystemTrayIcon::Trigger); // a single click does nothing
    EXPECT_TRUE(window.isVisible());
    tray.Verstecken().trigger(); // still disabled from the menu shown while hidden
    EXPECT_TRUE(window.isVisible());
    emit tray.Icon().activated(QSystemTrayIcon::Context);
    tray.TrayIconMenu().hide();
    tray.Verstecken().trigger();
    EXPECT_FALSE(window.isVisible());
    emit tray.Icon().activated(QSystemTrayIcon::Context);
    tray.TrayIconMenu().hide();
    tray.Anzeigen().trigger();
    EXPECT_TRUE(window.isVisible());
    tray.Beenden().trigger();
    EXPECT_EQ(terminations, 1);
}

TEST_F(MainWindowTest, AHandedOverJobIsShownAtOnceOnlyWhenAloneAndDisplayed) {
    dir.Write("a.PRT", "\t\t\t\tA\r\n");
    struct Case {
        std::vector<const char*> argv;
        bool anzeige;
        bool shown;      // run at once
        bool timerArmed; // the job timer takes it
    } cases[] = {
        {{"qorprt", "/d"}, true, true, true},
        {{"qorprt", "/D"}, false, false, true},
    };
    for (const Case& c : cases) {
        auto instance = Start(c.argv, std::string("qorprt ") + c.argv[1]);
        instance->Timers().OnJobTimer(); // settles service mode, the timer stops for good
        instance->Window().Paper().Clear();
        EXPECT_EQ(instance->TakeHandedOverJob("qorprt a.PRT", 13), 1);
        EXPECT_EQ(instance->Jobs().Count(), 1u);
        EXPECT_EQ(instance->Jobs().scrollWidth, 78);
        EXPECT_EQ(instance->Job().PRTfile == "a.PRT", c.shown);
        EXPECT_EQ(instance->Timers().JobTimerEnabled(), c.timerArmed);
        EXPECT_TRUE(log.Has(8, "OnQorvaData: qorprt a.PRT"));
    }
}

TEST_F(MainWindowTest, AnExceptionEscapingAButtonEndsTheProgramAndClosingEndsItToo) {
    dir.Write("BAD.PRT", "\t\t\tPDF Spx\tB\r\n");
    auto instance = Start({"qorprt", "BAD.PRT"}, "qorprt BAD.PRT");
    instance->Job().PRTfile = "BAD.PRT";
    instance->Job().DruListe.Items = instance->PrinterObject().Printers();
    instance->Job().DruListe.ItemIndex = 0;
    Control<QPushButton>(*instance, "Ausdruck")->click();
    EXPECT_EQ(terminations, 1);
    const std::vector<std::string> lines = log.Lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("10: AppException: EConvertError - ");
    }));
    EXPECT_FALSE(instance->PrinterObject().Printing());
    instance->Window().show();
    instance->Window().close();
    EXPECT_EQ(terminations, 2);
}

} // namespace
} // namespace qorprt
