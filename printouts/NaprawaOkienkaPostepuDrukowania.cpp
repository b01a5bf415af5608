#include "printouts/NaprawaOkienkaPostepuDrukowania.h"

#include "printouts/ReportForm.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
TNaprawiacz* g_fixer = nullptr;
TPrintProgressWindow* g_current = nullptr;
} // namespace

TPrintProgressWindow::TPrintProgressWindow(TReportPrinter* printer, QWidget* parent)
    : QDialog(parent), m_printer(printer)
{
    setObjectName(QStringLiteral("TQRProgressForm"));
    setWindowTitle(QStringLiteral("Printing progress"));
    auto* lay = new QVBoxLayout(this);
    m_info = new QLabel(this);
    m_gauge = new QProgressBar(this);
    m_gauge->setRange(0, 100);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    lay->addWidget(m_info);
    lay->addWidget(m_gauge);
    lay->addWidget(m_cancel, 0, Qt::AlignHCenter);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelled = true; });
}

bool TNaprawiacz::eventFilter(QObject* watched, QEvent* event)
{
    auto* w = qobject_cast<TPrintProgressWindow*>(watched);
    if (!w || w->windowTitle().isEmpty()) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Paint || event->type() == QEvent::Show) {
        if (w->Tag != 1) {
            w->Tag = 1;
            QFont f = w->font();
            f.setFamily(QStringLiteral("Tahoma"));
            w->setFont(f);
            w->resize(w->width(), w->height() + 10);
            w->CancelButton()->setMinimumWidth(w->CancelButton()->sizeHint().width() + 40);
            w->setWindowTitle(QStringLiteral("Drukowanie..."));
            w->CancelButton()->setText(QStringLiteral("Anuluj drukowanie"));
            w->Gauge()->setValue(0);
            w->Info()->setText(QStringLiteral("Przygotowanie wydruku..."));
        }
        return false; // the window still paints itself
    }
    if (int(event->type()) == kPrintProgressEvent) {
        const int percent = w->Printer() ? w->Printer()->Progress : 0;
        if (percent != w->Gauge()->value()) {
            w->Gauge()->setValue(percent);
            w->Info()->setText(QString::asprintf("Wydrukowano %d %%", percent));
            QCoreApplication::processEvents();
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void InstallPrintProgressFix()
{
    Q_ASSERT_X(!g_fixer, "InstallPrintProgressFix", "installed twice");
    if (g_fixer || !qApp) return;
    g_fixer = new TNaprawiacz(qApp);
    qApp->installEventFilter(g_fixer);
    // Taken out again when the application goes.
    QObject::connect(qApp, &QObject::destroyed, [] { g_fixer = nullptr; });
}

bool PrintProgressFixInstalled()
{
    return g_fixer != nullptr;
}

TPrintProgressWindow* CurrentPrintProgressWindow()
{
    return g_current;
}

TPrintProgress::TPrintProgress(TReportPrinter* printer)
{
    if (!g_fixer) return;
    m_window = new TPrintProgressWindow(printer);
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->show();
    g_current = m_window;
    QCoreApplication::processEvents();
}

TPrintProgress::~TPrintProgress()
{
    if (g_current == m_window) g_current = nullptr;
    delete m_window;
}

bool TPrintProgress::Step(int percent)
{
    if (!m_window) return true;
    if (m_window->Printer()) m_window->Printer()->SetProgress(percent);
    QEvent e{QEvent::Type(kPrintProgressEvent)};
    QCoreApplication::sendEvent(m_window, &e);
    return !m_window->Cancelled();
}
