#include "app/MainWindow.h"

#include "app/AppException.h"
#include "app/ListBox.h"
#include "app/PreviewPaper.h"
#include "graphics/JobSettings.h"
#include "jobs/JobList.h"
#include "platform/text/QtText.h"

#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace qorprt {

namespace {

void ShowList(ListBox& box, const ListModel& model, int scrollWidth = 0) {
    if (box.count() != static_cast<int>(model.Items.size())) {
        box.clear();
        for (size_t i = 0; i < model.Items.size(); ++i)
            box.addItem(QString());
    }
    for (size_t i = 0; i < model.Items.size(); ++i) {
        QListWidgetItem* item = box.item(static_cast<int>(i));
        const QString text = Utf8ToQString(model.Items[i]);
        if (item->text() != text) item->setText(text);
        // The list scrolls as wide as the longest command line asks.
        if (scrollWidth > 0) item->setSizeHint(QSize(scrollWidth, box.fontMetrics().height()));
    }
    box.setCurrentRow(model.ItemIndex);
    if (model.ItemIndex < 0) box.clearSelection();
}

void SetEditText(QLineEdit& edit, const std::string& utf8) {
    const QString text = Utf8ToQString(utf8);
    if (edit.text() != text) edit.setText(text);
}

} // namespace

TQorPrt::TQorPrt(JobSettings& job, JobList& jobs, FormEvents& events)
    : job_(job), jobs_(jobs), events_(events) {
    setObjectName(QStringLiteral("QorPrt"));
    setWindowTitle(QStringLiteral("QorPrt"));
    // Tahoma where it is installed; else a font of about its width, so that the captions fit
    // the controls as designed.
    QFont font;
    font.setFamilies(
        {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(11);
    setFont(font);
    setGeometry(kDesignGeometry);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->setWidgetResizable(false);
    scroll_->setBackgroundRole(QPalette::Button);
    form_ = new QWidget;
    form_->setObjectName(QStringLiteral("form"));
    form_->setBackgroundRole(QPalette::Button);
    form_->setAutoFillBackground(true);

    AddLabel("Job", {8, -2, 120, 13}, QStringLiteral("Druckjobs (Befehlszeilen)"));
    jobsList_ = new ListBox(form_);
    jobsList_->setObjectName(QStringLiteral("Jobs"));
    jobsList_->setGeometry(8, 12, 229, 73);
    AddLabel("Papierformat", {243, -2, 62, 13}, QStringLiteral("Papierformat"));
    paperListe_ = new ListBox(form_);
    paperListe_->setObjectName(QStringLiteral("PaperListe"));
    paperListe_->setGeometry(243, 12, 161, 73);
    AddLabel("Schacht", {410, -2, 38, 13}, QStringLiteral("Schacht"));
    binListe_ = new ListBox(form_);
    binListe_->setObjectName(QStringLiteral("BinListe"));
    binListe_->setGeometry(410, 12, 161, 73);
    instFont_ = AddLabel("instFont", {568, -2, 3, 13}, QString(), true);
    AddLabel("Drucker", {577, -2, 37, 13}, QStringLiteral("Drucker"));
    druListe_ = new ListBox(form_);
    druListe_->setObjectName(QStringLiteral("DruListe"));
    druListe_->setGeometry(577, 12, 216, 73);
    version_ = AddLabel("Version", {758, -2, 35, 13}, QStringLiteral("Version"), true);
    aufruf_ = AddLabel("Aufruf", {8, 87, 31, 13}, QStringLiteral("Aufruf"));
    pdfName_ = AddLabel("PDFname", {576, 88, 3, 13}, QString());
    pdfName_->hide();
    prtImg_ = AddLabel("PrtImg", {577, 102, 216, 44}, QString());
    prtImg_->hide();
    AddLabel("RandObenTxt", {8, 112, 86, 13}, QStringLiteral("Rand in mm: oben"));
    randOben_ = new QLineEdit(form_);
    randOben_->setObjectName(QStringLiteral("RandOben"));
    randOben_->setGeometry(103, 102, 25, 21);
    AddLabel("RandLinksTxt", {144, 110, 20, 13}, QStringLiteral("links"));
    randLinks_ = new QLineEdit(form_);
    randLinks_->setObjectName(QStringLiteral("RandLinks"));
    randLinks_->setGeometry(170, 102, 25, 21);
    prtFile_ = AddLabel("PRTfile", {219, 105, 33, 13}, QStringLiteral("PRTfile"));
    landscape_ = new QCheckBox(QStringLiteral("Landscape"), form_);
    landscape_->setObjectName(QStringLiteral("Landscape"));
    landscape_->setGeometry(8, 129, 73, 17);
    duplex_ = new QCheckBox(QStringLiteral("Duplex"), form_);
    duplex_->setObjectName(QStringLiteral("Duplex"));
    duplex_->setGeometry(87, 129, 51, 17);
    anzeige_ = new QCheckBox(QStringLiteral("Anzeige"), form_);
    anzeige_->setObjectName(QStringLiteral("Anzeige"));
    anzeige_->setGeometry(144, 129, 65, 17);
    AddLabel("LogLevelTxt", {215, 131, 42, 13}, QStringLiteral("LogLevel"));
    logLevel_ = new QLineEdit(QStringLiteral("8"), form_);
    logLevel_->setObjectName(QStringLiteral("LogLevel"));
    logLevel_->setGeometry(263, 125, 18, 21);
    ausdruck_ = new QPushButton(QStringLiteral("&Ausdruck"), form_);
    ausdruck_->setObjectName(QStringLiteral("Ausdruck"));
    ausdruck_->setGeometry(295, 121, 75, 25);
    druckeJobs_ = new QPushButton(QStringLiteral("Alles &drucken"), form_);
    druckeJobs_->setObjectName(QStringLiteral("DruckeJobs"));
    druckeJobs_->setGeometry(385, 121, 80, 25);
    refresh_ = new QPushButton(QStringLiteral("&Refresh"), form_);
    refresh_->setObjectName(QStringLiteral("Refresh"));
    refresh_->setGeometry(480, 121, 75, 25);
    for (QCheckBox* box : {landscape_, duplex_, anzeige_})
        FitCaption(*box);
    paper_ = new PreviewPaper(form_);
    paper_->setGeometry(8, 152, PreviewPaper::kWidth, PreviewPaper::kHeight);

    jobsMenu_.setObjectName(QStringLiteral("JobsMenu"));
    jobsMenu_.addAction(QStringLiteral("Datei anzeigen"))->setObjectName(QStringLiteral("JobFile"));
    jobsMenu_.addAction(QStringLiteral("selektierten Job l\u00f6schen"))
        ->setObjectName(QStringLiteral("JobDel"));
    jobsMenu_.addAction(QStringLiteral("alle Jobs l\u00f6schen"))
        ->setObjectName(QStringLiteral("JobsDel"));

    QWidget* order[] = {jobsList_,   paperListe_, binListe_, druListe_, randOben_,
                        randLinks_,  landscape_,  duplex_,   anzeige_,  ausdruck_,
                        druckeJobs_, refresh_,    logLevel_};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    // The form scrolls as far as the preview reaches.
    scrollRange_ = 152 + PreviewPaper::kHeight;
    scroll_->setWidget(form_);
    scroll_->setGeometry(rect());
    UpdateContentSize();
    Bind();
}

TQorPrt::~TQorPrt() = default;

QLabel* TQorPrt::AddLabel(const char* name, const QRect& geometry, const QString& caption,
                          bool rightAligned) {
    auto* label = new QLabel(caption, form_);
    label->setObjectName(QString::fromLatin1(name));
    // A caption is never cut: where the font draws it wider than designed, the label grows
    // away from its aligned edge, as a label that sizes itself to its text does.
    QRect shown = geometry;
    const int text = label->fontMetrics().horizontalAdvance(caption);
    if (text > geometry.width()) {
        if (rightAligned)
            shown.setLeft(geometry.right() + 1 - text);
        else
            shown.setWidth(text);
    }
    label->setGeometry(shown);
    if (rightAligned) label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    return label;
}

template <class Handler> void TQorPrt::Handle(Handler&& handler) {
    if (showing_) return;
    RunHandler(handler);
    ShowModel();
}

void TQorPrt::Bind() {
    // The user's changes reach the model at once, so whatever reads it next sees them.
    connect(randOben_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!showing_) job_.RandOben = QStringToUtf8(text);
    });
    connect(randLinks_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!showing_) job_.RandLinks = QStringToUtf8(text);
    });
    connect(logLevel_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!showing_) job_.LogLevel = QStringToUtf8(text);
    });
    connect(landscape_, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_) job_.Landscape = on;
    });
    connect(duplex_, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_) job_.Duplex = on;
    });
    connect(anzeige_, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_) job_.Anzeige = on;
    });
    auto selection = [this](ListBox* box, ListModel& model) {
        connect(box, &QListWidget::currentRowChanged, this, [this, &model](int row) {
            if (!showing_) model.ItemIndex = row;
        });
    };
    selection(jobsList_, jobs_.list);
    selection(paperListe_, job_.PaperListe);
    selection(binListe_, job_.BinListe);
    selection(druListe_, job_.DruListe);

    jobsList_->onClick = [this] { Handle([this] { events_.JobsClick(); }); };
    jobsList_->onKeyDown = [this](QKeyEvent& key) {
        if (key.key() != Qt::Key_Delete) return false;
        Handle([this] { events_.JobsTaste(JobListActions::kDeleteKey, ShiftState::Keyboard); });
        return true;
    };
    jobsList_->onRightButtonDown = [this] { JobsMouseDown(); };
    druListe_->onClick = [this] { Handle([this] { events_.PrinterClick(); }); };

    const QList<QAction*> menu = jobsMenu_.actions();
    connect(menu[0], &QAction::triggered, this,
            [this] { Handle([this] { events_.JobFileClick(); }); });
    connect(menu[1], &QAction::triggered, this,
            [this] { Handle([this] { events_.JobDelClick(); }); });
    connect(menu[2], &QAction::triggered, this,
            [this] { Handle([this] { events_.JobsDelClick(); }); });
    connect(ausdruck_, &QPushButton::clicked, this,
            [this] { Handle([this] { events_.AusdruckClick(); }); });
    connect(druckeJobs_, &QPushButton::clicked, this,
            [this] { Handle([this] { events_.DruckeJobsClick(); }); });
    connect(refresh_, &QPushButton::clicked, this,
            [this] { Handle([this] { events_.RefreshClick(); }); });
    for (QPushButton* button : {ausdruck_, druckeJobs_, refresh_}) {
        button->installEventFilter(this);
        // Enter and Return press the focused button, as Space does.
        button->setAutoDefault(true);
    }
}

void TQorPrt::FitCaption(QCheckBox& box) {
    // As with the labels: the style may need more room for box and caption than designed.
    if (box.sizeHint().width() > box.width()) box.resize(box.sizeHint().width(), box.height());
}

void TQorPrt::JobsMouseDown() {
    if (jobs_.list.ItemIndex < 0) return;
    raise();
    activateWindow();
    jobsMenu_.popup(QCursor::pos());
}

void TQorPrt::ShowModel() {
    showing_ = true;
    ShowList(*jobsList_, jobs_.list, jobs_.scrollWidth);
    ShowList(*paperListe_, job_.PaperListe);
    ShowList(*binListe_, job_.BinListe);
    ShowList(*druListe_, job_.DruListe);
    aufruf_->setText(Utf8ToQString(job_.Aufruf));
    FitAutoSize(*aufruf_, 785);
    prtFile_->setText(Utf8ToQString(job_.PRTfile));
    FitAutoSize(*prtFile_, 0);
    pdfName_->setText(Utf8ToQString(job_.PDFname));
    SetEditText(*randOben_, job_.RandOben);
    SetEditText(*randLinks_, job_.RandLinks);
    SetEditText(*logLevel_, job_.LogLevel);
    landscape_->setChecked(job_.Landscape);
    duplex_->setChecked(job_.Duplex);
    anzeige_->setChecked(job_.Anzeige);
    showing_ = false;
}

void TQorPrt::FitAutoSize(QLabel& label, int maxWidth) {
    int width = label.fontMetrics().horizontalAdvance(label.text());
    if (maxWidth > 0) width = std::min(width, maxWidth);
    label.resize(std::max(width, 1), label.height());
}

void TQorPrt::SetCaption(const std::string& title) {
    setWindowTitle(Utf8ToQString(title));
}

std::string TQorPrt::Caption() const {
    return QStringToUtf8(windowTitle());
}

void TQorPrt::SetVersion(const std::string& text) {
    // Right-aligned: the label grows to the left of its right edge.
    const int right = version_->geometry().right();
    version_->setText(Utf8ToQString(text));
    const int width = version_->fontMetrics().horizontalAdvance(version_->text());
    version_->setGeometry(right + 1 - width, version_->y(), width, version_->height());
}

void TQorPrt::AppendInstFont(const std::string& text) {
    const int right = instFont_->geometry().right();
    instFont_->setText(instFont_->text() + Utf8ToQString(text));
    const int width = instFont_->fontMetrics().horizontalAdvance(instFont_->text());
    instFont_->setGeometry(right + 1 - width, instFont_->y(), width, instFont_->height());
}

void TQorPrt::SetScrollRange(int range) {
    scrollRange_ = std::max(range, 0);
    UpdateContentSize();
}

int TQorPrt::ScrollPosition() const {
    return scroll_->verticalScrollBar()->value();
}

void TQorPrt::SetScrollPosition(int position) {
    QScrollBar* bar = scroll_->verticalScrollBar();
    bar->setValue(std::clamp(position, 0, bar->maximum()));
}

bool TQorPrt::KeyStroke(int key) {
    const int step = height() - 50;
    if (key == Qt::Key_PageUp) {
        SetScrollPosition(std::max(ScrollPosition() - step, 0));
        return true;
    }
    if (key == Qt::Key_PageDown) {
        SetScrollPosition(ScrollPosition() + step);
        return true;
    }
    return false;
}

void TQorPrt::UpdateContentSize() {
    scroll_->setGeometry(rect());
    const int width = std::max(paper_->geometry().right() + 1, 793);
    // A range of 0 means no scrolling: the form is just as tall as the window.
    const int height = std::max(scrollRange_, scroll_->viewport()->height());
    form_->resize(std::max(width, scroll_->viewport()->width()), height);
}

int TQorPrt::WindowTop() const {
    return frameGeometry().top();
}

int TQorPrt::WindowHeight() const {
    return frameGeometry().height();
}

void TQorPrt::SetWindowHeight(int height) {
    const int frame = frameGeometry().height() - geometry().height();
    resize(width(), std::max(height - frame, 1));
    UpdateContentSize();
}

void TQorPrt::closeEvent(QCloseEvent* event) {
    event->accept();
    RunHandler([this] { events_.FormClose(); });
}

bool TQorPrt::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == ausdruck_ || watched == druckeJobs_ || watched == refresh_))
        return KeyStroke(static_cast<QKeyEvent*>(event)->key());
    return QWidget::eventFilter(watched, event);
}

void TQorPrt::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateContentSize();
}

} // namespace qorprt
