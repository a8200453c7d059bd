#pragma once

#include "app/JobListActions.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QWidget>

#include <string>

namespace qorprt {

class ListBox;
class PreviewPaper;
struct JobList;
struct JobSettings;

// What the main window's controls ask of the program when the user works them.
class FormEvents {
public:
    virtual ~FormEvents() = default;
    virtual void JobsClick() = 0;
    virtual void JobsTaste(int key, ShiftState shift) = 0;
    virtual void JobFileClick() = 0;
    virtual void JobDelClick() = 0;
    virtual void JobsDelClick() = 0;
    virtual void PrinterClick() = 0;
    virtual void AusdruckClick() = 0;
    virtual void DruckeJobsClick() = 0;
    virtual void RefreshClick() = 0;
    // The window is being closed; closing is always allowed and ends the program.
    virtual void FormClose() = 0;
};

// The main window "TQorPrt": the job list, the printer, paper and bin lists, the job's settings
// and the preview, laid out as designed. It holds view code only: its controls show the job
// settings and the job list (ShowModel) and write the user's changes straight into them; every
// operation goes to FormEvents.
class TQorPrt : public QWidget {
public:
    TQorPrt(JobSettings& job, JobList& jobs, FormEvents& events);
    ~TQorPrt() override;

    // The design: the client area's position and size, the preview's top.
    static constexpr QRect kDesignGeometry{80, 15, 833, 825};

    // Shows the model in the controls (the user's own edits are already in it).
    void ShowModel();
    void SetCaption(const std::string& title);
    std::string Caption() const;
    void SetVersion(const std::string& text);
    // Appends to the barcode font label, which stays right-aligned.
    void AppendInstFont(const std::string& text);

    PreviewPaper& Paper() { return *paper_; }
    // The vertical scroll range (0: no scrolling) and position of the form.
    void SetScrollRange(int range);
    int ScrollRange() const { return scrollRange_; }
    int ScrollPosition() const;
    void SetScrollPosition(int position);
    // Page Up and Page Down on a button: the form scrolls by its height minus 50.
    bool KeyStroke(int key);

    // The outer window's top and height, and setting the height.
    int WindowTop() const;
    int WindowHeight() const;
    void SetWindowHeight(int height);

    QMenu& JobsMenu() { return jobsMenu_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* AddLabel(const char* name, const QRect& geometry, const QString& caption,
                     bool rightAligned = false);
    void Bind();
    void JobsMouseDown();
    void UpdateContentSize();
    void FitAutoSize(QLabel& label, int maxWidth);
    static void FitCaption(QCheckBox& box);
    template <class Handler> void Handle(Handler&& handler);

    JobSettings& job_;
    JobList& jobs_;
    FormEvents& events_;
    bool showing_ = false;
    int scrollRange_ = 0;

    QScrollArea* scroll_;
    QWidget* form_;
    ListBox* jobsList_;
    ListBox* paperListe_;
    ListBox* binListe_;
    ListBox* druListe_;
    QLabel* instFont_;
    QLabel* version_;
    QLabel* aufruf_;
    QLabel* pdfName_;
    QLabel* prtImg_;
    QLabel* prtFile_;
    QLineEdit* randOben_;
    QLineEdit* randLinks_;
    QLineEdit* logLevel_;
    QCheckBox* landscape_;
    QCheckBox* duplex_;
    QCheckBox* anzeige_;
    QPushButton* ausdruck_;
    QPushButton* druckeJobs_;
    QPushButton* refresh_;
    PreviewPaper* paper_;
    QMenu jobsMenu_;
};

} // namespace qorprt
