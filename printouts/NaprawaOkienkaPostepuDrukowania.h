#pragma once
// The progress window of direct prints and its fixer. The report component
// shows a plain "Printing progress" window while a job goes to the printer;
// the fixer, installed once after login, gives it Polish texts, a wider
// cancel button and a gauge that follows the printed percentage.
#include <QDialog>
#include <QObject>

class QLabel;
class QProgressBar;
class QPushButton;
class TReportPrinter;

class TPrintProgressWindow : public QDialog
{
    Q_OBJECT
public:
    explicit TPrintProgressWindow(TReportPrinter* printer, QWidget* parent = nullptr);
    int Tag = 0;
    TReportPrinter* Printer() const { return m_printer; }
    QLabel* Info() const { return m_info; }
    QProgressBar* Gauge() const { return m_gauge; }
    QPushButton* CancelButton() const { return m_cancel; }
    bool Cancelled() const { return m_cancelled; }

private:
    TReportPrinter* m_printer;
    QLabel* m_info;
    QProgressBar* m_gauge;
    QPushButton* m_cancel;
    bool m_cancelled = false;
};

// The message that tells the progress window to read the printer's progress.
constexpr int kPrintProgressEvent = 1024; // QEvent::User

// Chained into the application's event handling; one instance.
class TNaprawiacz : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Installs the fixer; a second call is a programming error (assertion).
void InstallPrintProgressFix();
bool PrintProgressFixInstalled();

// One direct print's progress: shows the window while the fixer is
// installed (nothing otherwise) and tells it each new percentage.
class TPrintProgress
{
public:
    explicit TPrintProgress(TReportPrinter* printer);
    ~TPrintProgress();
    TPrintProgress(const TPrintProgress&) = delete;
    TPrintProgress& operator=(const TPrintProgress&) = delete;
    // False when the operator cancelled the job.
    bool Step(int percent);
    TPrintProgressWindow* Window() const { return m_window; }

private:
    TPrintProgressWindow* m_window = nullptr;
};

// Tests look at the window of the job being printed (nullptr when none).
TPrintProgressWindow* CurrentPrintProgressWindow();
