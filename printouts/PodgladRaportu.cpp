#include "printouts/PodgladRaportu.h"

#include "core/DbIni.h"
#include "core/Funkcje2.h"
#include "core/Session.h"
#include "platform/DefaultPrinter.h"
#include "platform/PdfPrinter.h"
#include "printouts/ReportForm.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

bool StoredReportMode = false;
QString StoredReportFile;
QString StoredReportTitle;
std::function<std::shared_ptr<TReportDocument>(const QString& path)> StoredReportLoader;

namespace {

const int kZoomValues[] = {10, 25, 50, 75, 100, 150, 200, 250, 300, 400, 500};
constexpr double kScreenPxPerMm = 96.0 / 25.4;
constexpr int kPageGap = 10; // grey border around the page

const QString kSection = QStringLiteral("TFormPodgladRaportu");

} // namespace

// ---------------------------------------------------------------- preview control

TQRPreview::TQRPreview(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(p);
}

void TQRPreview::SetPrinter(TReportPrinter* printer)
{
    m_printer = printer;
    m_page = 1;
    fit();
}

void TQRPreview::SetPageNumber(int page)
{
    const int n = m_printer ? m_printer->PageCount() : 0;
    m_page = qBound(1, page, qMax(1, n));
    update();
}

QSize TQRPreview::PageSizeAtZoom(int zoom) const
{
    const QSizeF mm = m_printer && m_printer->Document ? m_printer->Document->pageSizeMm : QSizeF(210, 297);
    const double s = kScreenPxPerMm * zoom / 100.0;
    return QSize(int(std::lround(mm.width() * s)), int(std::lround(mm.height() * s)));
}

void TQRPreview::SetZoom(int zoom)
{
    m_zoom = qBound(1, zoom, 500);
    fit();
}

void TQRPreview::fit()
{
    const QSize s = PageSizeAtZoom(m_zoom);
    setFixedSize(s.width() + 2 * kPageGap, s.height() + 2 * kPageGap);
    update();
}

void TQRPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QSize s = PageSizeAtZoom(m_zoom);
    const QRect page(kPageGap, kPageGap, s.width(), s.height());
    p.fillRect(page.translated(3, 3), QColor(64, 64, 64));
    p.fillRect(page, Qt::white);
    if (!m_printer || !m_printer->Document) return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setClipRect(page);
    m_printer->Document->paintPage(p, m_page - 1, kScreenPxPerMm * m_zoom / 100.0, page.topLeft());
}

// ---------------------------------------------------------------- window

TFormPodgladRaportu* TFormPodgladRaportu::CreatePreview(QWidget* owner, TReportPrinter* printer)
{
    return new TFormPodgladRaportu(owner, printer);
}

TFormPodgladRaportu::TFormPodgladRaportu(QWidget* owner, TReportPrinter* printer)
    : TFormEx(owner), m_printer(printer)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Podglad"));
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    setFont(f);
    RegisterPdfPrinter();
    buildUi();
    resize(863, 626);
    if (m_printer) {
        m_printer->setParent(this);
        m_preview->SetPrinter(m_printer);
        m_title = m_printer->Title;
        if (!m_title.isEmpty()) setWindowTitle(m_title);
        connect(m_printer, &TReportPrinter::ProgressChanged, this, &TFormPodgladRaportu::onProgress);
        connect(m_printer, &TReportPrinter::PageAvailable, this, &TFormPodgladRaportu::onPageAvailable);
    }
}

void TFormPodgladRaportu::buildUi()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* top = new QWidget(this);
    top->setFixedHeight(31);
    auto* bar = new QHBoxLayout(top);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    auto button = [&](const QString& text, const QString& hint) {
        auto* b = new QToolButton(top);
        b->setText(text);
        b->setToolTip(hint);
        b->setAutoRaise(true);
        bar->addWidget(b);
        return b;
    };
    m_print = button(QStringLiteral("Drukuj  "), QStringLiteral("[Ctrl+P] Drukuje raport"));
    QFont bold = m_print->font();
    bold.setBold(true);
    m_print->setFont(bold);
    m_printEx = button(QStringLiteral("▾"), QString());
    m_popup = new QMenu(this);
    m_popup->addAction(QStringLiteral("Drukuj"), this, [this] { Print(); });
    m_setupAction =
        m_popup->addAction(QStringLiteral("Ustawienia drukarki..."), this, [this] { PrinterSetup(); });
    m_pagesLabel = new QLabel(top);
    m_pagesLabel->setMinimumWidth(90);
    m_pagesLabel->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_pagesLabel);
    m_first = button(QStringLiteral("|◀"), QStringLiteral("Pierwsza strona"));
    m_prev = button(QStringLiteral("◀"), QStringLiteral("Poprzednia strona"));
    m_next = button(QStringLiteral("▶"), QStringLiteral("Następna strona"));
    m_last = button(QStringLiteral("▶|"), QStringLiteral("Ostatnia strona"));
    m_zoomFit = button(QStringLiteral("Cała strona"), QStringLiteral("Cała strona"));
    m_zoom100 = button(QStringLiteral("100%"), QStringLiteral("100%"));
    m_zoomWidth = button(QStringLiteral("Szerokość"), QStringLiteral("Szerokość strony"));
    for (QToolButton* b : {m_zoomFit, m_zoom100, m_zoomWidth})
        b->setCheckable(true);
    m_zoomOut = button(QStringLiteral("−"), QStringLiteral("Oddala podgląd wydruku"));
    m_zoomCombo = new QComboBox(top);
    for (const char* t :
         {" 10%", " 25%", " 50%", " 75%", "100%", "150%", "200%", "250%", "300%", "400%", "500%"})
        m_zoomCombo->addItem(QString::fromLatin1(t));
    m_zoomCombo->setEditable(true);
    m_zoomCombo->lineEdit()->setReadOnly(true); // typing in the box is ignored
    bar->addWidget(m_zoomCombo);
    m_zoomIn = button(QStringLiteral("+"), QStringLiteral("Przybliża podgląd wydruku"));
    m_close = button(QStringLiteral("Zamknij"), QString());
    m_label1 = new QLabel(top);
    bar->addWidget(m_label1, 1);
    root->addWidget(top);

    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_preview = new TQRPreview();
    m_scroll->setWidget(m_preview);
    m_scroll->viewport()->installEventFilter(this);
    root->addWidget(m_scroll, 1);

    m_status = new QStatusBar(this);
    m_panel1 = new QLabel(m_status);
    m_panel1->setFixedWidth(250);
    auto* panel2 = new QLabel(m_status);
    panel2->setFixedWidth(50);
    m_status->addWidget(m_panel1);
    m_status->addWidget(panel2);
    m_progress = new QProgressBar(m_status);
    m_progress->setRange(0, 100);
    m_progress->hide();
    root->addWidget(m_status);

    connect(m_print, &QToolButton::clicked, this, [this] { Print(); });
    connect(m_printEx, &QToolButton::clicked, this,
            [this] { m_popup->popup(m_printEx->mapToGlobal(QPoint(0, m_printEx->height()))); });
    connect(m_first, &QToolButton::clicked, this, [this] { FirstPage(); });
    connect(m_prev, &QToolButton::clicked, this, [this] { PrevPage(); });
    connect(m_next, &QToolButton::clicked, this, [this] { NextPage(); });
    connect(m_last, &QToolButton::clicked, this, [this] { LastPage(); });
    connect(m_zoomFit, &QToolButton::clicked, this, [this] { ZoomFit(); });
    connect(m_zoom100, &QToolButton::clicked, this, [this] { ZoomTo100(); });
    connect(m_zoomWidth, &QToolButton::clicked, this, [this] { ZoomWidthFit(); });
    connect(m_zoomIn, &QToolButton::clicked, this, [this] { ZoomIn(); });
    connect(m_zoomOut, &QToolButton::clicked, this, [this] { ZoomOut(); });
    connect(m_zoomCombo, &QComboBox::activated, this, [this](int i) { ZoomComboChosen(i); });
    connect(m_close, &QToolButton::clicked, this, [this] {
        if (!busy()) close();
    });
}

bool TFormPodgladRaportu::busy() const
{
    return m_printer && m_printer->Busy;
}

void TFormPodgladRaportu::LoadWindowState()
{
    const TDbIni ini(HostId, OperatorId);
    const int w = ini.ReadInteger(kSection, QStringLiteral("SzerokoscOkna"), width());
    const int h = ini.ReadInteger(kSection, QStringLiteral("WysokoscOkna"), height());
    const int x = ini.ReadInteger(kSection, QStringLiteral("PozycjaXOkna"), this->x());
    const int y = ini.ReadInteger(kSection, QStringLiteral("PozycjaYOkna"), this->y());
    resize(w, h);
    move(x, y);
    if (ini.ReadBool(kSection, QStringLiteral("Zmaksymalizowane"), false))
        setWindowState(Qt::WindowMaximized);
    ZoomMode = ini.ReadInteger(kSection, QStringLiteral("ZoomBtn"), 3);
}

void TFormPodgladRaportu::SaveWindowState()
{
    if (m_zoomFit->isChecked()) ZoomMode = 1;
    if (m_zoom100->isChecked()) ZoomMode = 2;
    if (m_zoomWidth->isChecked()) ZoomMode = 3;
    TDbIni ini(HostId, OperatorId);
    const bool max = isMaximized();
    ini.WriteBool(kSection, QStringLiteral("Zmaksymalizowane"), max);
    ini.WriteInteger(kSection, QStringLiteral("ZoomBtn"), ZoomMode);
    if (!max) {
        ini.WriteInteger(kSection, QStringLiteral("SzerokoscOkna"), width());
        ini.WriteInteger(kSection, QStringLiteral("WysokoscOkna"), height());
        ini.WriteInteger(kSection, QStringLiteral("PozycjaXOkna"), x());
        ini.WriteInteger(kSection, QStringLiteral("PozycjaYOkna"), y());
    }
}

void TFormPodgladRaportu::showEvent(QShowEvent* e)
{
    if (!e->spontaneous()) {
        RunGuarded([this] { LoadWindowState(); });
        m_label1->clear();
        m_setupAction->setEnabled(!StoredReportMode);
        if (StoredReportMode) m_label1->setText(GetDefaultPrinterDevice());
    }
    TFormEx::showEvent(e);
    UpdateControls();
}

void TFormPodgladRaportu::UpdateControls()
{
    const bool printEnabled = !KnownPrinterNames().isEmpty() && m_progress->isHidden();
    m_print->setEnabled(printEnabled);
    m_printEx->setEnabled(printEnabled);
    if (m_printer) {
        const int page = m_preview->PageNumber();
        const int count = m_printer->PageCount();
        m_pagesLabel->setText(QString::asprintf("Strona %d z %d", page, count));
        m_first->setEnabled(page > 1 && count > 1);
        m_prev->setEnabled(page > 1 && count > 1);
        m_next->setEnabled(page < count && count > 1);
        m_last->setEnabled(page < count && count > 1);
        const QSignalBlocker block(m_zoomCombo);
        m_zoomCombo->setEditText(QString::asprintf("%d %%", m_preview->Zoom()));
    }
    if (ZoomMode > 0 && m_printEx->isEnabled() && !busy()) {
        const int mode = ZoomMode;
        ZoomMode = 0;
        if (mode == 1)
            ZoomFit();
        else if (mode == 2)
            ZoomTo100();
        else if (mode == 3)
            ZoomWidthFit();
    }
}

void TFormPodgladRaportu::onPageAvailable()
{
    if (busy()) {
        setWindowTitle(m_title + QStringLiteral(" - przetwarzanie..."));
        m_close->setEnabled(false);
    } else {
        setWindowTitle(m_title.isEmpty() ? QStringLiteral("Podglad") : m_title);
        m_close->setEnabled(true);
        m_progress->hide();
    }
    UpdateControls();
}

void TFormPodgladRaportu::onProgress(int percent)
{
    if (busy()) {
        const QRect r = m_panel1->geometry();
        m_progress->setGeometry(r.left() + 2, 2, r.width() - 7, m_status->height() - 2);
        m_progress->show();
    }
    m_progress->setValue(percent);
    UpdateControls();
}

void TFormPodgladRaportu::Print()
{
    if (busy()) return;
    if (StoredReportMode) {
        const QString path = PrivateFolder + StoredReportFile;
        if (!QFile::exists(path) || !StoredReportLoader) return;
        TReportPrinter stored;
        stored.Document = StoredReportLoader(path);
        if (!stored.Document) return;
        stored.Title = StoredReportTitle;
        stored.PrinterName = DefaultPrinterName();
        stored.Print(2);
        return;
    }
    if (m_printer) m_printer->Print();
}

void TFormPodgladRaportu::PrinterSetup()
{
    if (busy() || !m_printer || StoredReportMode) return;
    QPrinter printer;
    if (!m_printer->PrinterName.isEmpty()) printer.setPrinterName(m_printer->PrinterName);
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() == QDialog::Accepted) m_printer->PrinterName = printer.printerName();
}

void TFormPodgladRaportu::FirstPage()
{
    m_preview->SetPageNumber(1);
    UpdateControls();
}

void TFormPodgladRaportu::PrevPage()
{
    if (m_preview->PageNumber() > 1) m_preview->SetPageNumber(m_preview->PageNumber() - 1);
    UpdateControls();
}

void TFormPodgladRaportu::NextPage()
{
    if (m_printer && m_preview->PageNumber() < m_printer->PageCount())
        m_preview->SetPageNumber(m_preview->PageNumber() + 1);
    UpdateControls();
}

void TFormPodgladRaportu::LastPage()
{
    if (m_printer) m_preview->SetPageNumber(m_printer->PageCount());
    UpdateControls();
}

void TFormPodgladRaportu::releaseZoomButtons()
{
    for (QToolButton* b : {m_zoomFit, m_zoom100, m_zoomWidth})
        b->setChecked(false);
}

void TFormPodgladRaportu::setZoom(int zoom)
{
    m_preview->SetZoom(zoom);
    UpdateControls();
}

void TFormPodgladRaportu::ZoomIn()
{
    releaseZoomButtons();
    int z = m_preview->Zoom();
    if (z >= 500) return;
    z = int(std::lround((z + 1) * 1.15));
    setZoom(qMin(z, 500));
}

void TFormPodgladRaportu::ZoomOut()
{
    releaseZoomButtons();
    int z = m_preview->Zoom();
    if (z <= 20) return;
    z = int(std::lround((z - 1) / 1.15));
    setZoom(qMax(z, 20));
}

void TFormPodgladRaportu::ZoomTo100()
{
    releaseZoomButtons();
    m_zoom100->setChecked(true);
    m_preview->SetZoom(99); // forces a redraw
    setZoom(100);
}

void TFormPodgladRaportu::ZoomFit()
{
    releaseZoomButtons();
    m_zoomFit->setChecked(true);
    const QSize vp = m_scroll->viewport()->size() - QSize(2 * kPageGap, 2 * kPageGap);
    const QSize p = m_preview->PageSizeAtZoom(100);
    const double z = std::min(double(vp.width()) / p.width(), double(vp.height()) / p.height()) * 100.0;
    setZoom(qMax(1, int(std::floor(z))));
}

void TFormPodgladRaportu::ZoomWidthFit()
{
    releaseZoomButtons();
    m_zoomWidth->setChecked(true);
    const int sb = m_scroll->verticalScrollBar()->sizeHint().width();
    const int vw =
        m_scroll->viewport()->width() - 2 * kPageGap - (m_scroll->verticalScrollBar()->isVisible() ? 0 : sb);
    const QSize p = m_preview->PageSizeAtZoom(100);
    setZoom(qMax(1, int(std::floor(double(vw) / p.width() * 100.0))));
}

void TFormPodgladRaportu::ZoomComboChosen(int index)
{
    releaseZoomButtons();
    if (index < 0 || index >= int(std::size(kZoomValues))) return;
    m_preview->SetZoom(99);
    setZoom(kZoomValues[index]);
    if (kZoomValues[index] == 100) m_zoom100->setChecked(true);
    m_scroll->setFocus();
}

void TFormPodgladRaportu::resizeEvent(QResizeEvent* e)
{
    TFormEx::resizeEvent(e);
    if (m_zoomWidth->isChecked())
        ZoomWidthFit();
    else if (m_zoomFit->isChecked())
        ZoomFit();
}

void TFormPodgladRaportu::scrollToTop()
{
    m_scroll->verticalScrollBar()->setValue(0);
}

void TFormPodgladRaportu::scrollToBottom()
{
    m_scroll->verticalScrollBar()->setValue(m_scroll->verticalScrollBar()->maximum());
}

bool TFormPodgladRaportu::atTop() const
{
    return m_scroll->verticalScrollBar()->value() < 1;
}

bool TFormPodgladRaportu::atBottom() const
{
    const QScrollBar* sb = m_scroll->verticalScrollBar();
    return sb->value() >= sb->maximum();
}

void TFormPodgladRaportu::keyPressEvent(QKeyEvent* e)
{
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    QScrollBar* sb = m_scroll->verticalScrollBar();
    switch (e->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_P:
    case Qt::Key_F1:
        if (ctrl) {
            if (m_print->isEnabled()) Print();
            return;
        }
        break;
    case Qt::Key_PageUp:
        if (m_prev->isEnabled()) PrevPage();
        return;
    case Qt::Key_PageDown:
        if (m_next->isEnabled()) NextPage();
        return;
    case Qt::Key_Home:
        if (ctrl) {
            if (m_first->isEnabled()) FirstPage();
        } else {
            scrollToTop();
        }
        return;
    case Qt::Key_End:
        if (ctrl) {
            if (m_last->isEnabled()) LastPage();
        } else {
            scrollToBottom();
        }
        return;
    case Qt::Key_Up:
        if (atTop()) {
            if (m_prev->isEnabled()) {
                PrevPage();
                scrollToBottom();
            }
        } else {
            sb->setValue(sb->value() - sb->singleStep());
        }
        return;
    case Qt::Key_Down:
        if (!atBottom()) {
            sb->setValue(sb->value() + sb->singleStep());
        } else if (m_next->isEnabled()) {
            NextPage();
            scrollToTop();
        }
        return;
    default:
        break;
    }
    TFormEx::keyPressEvent(e);
}

void TFormPodgladRaportu::handleWheel(QWheelEvent* e)
{
    const int delta = e->angleDelta().y();
    if (e->modifiers() & Qt::ControlModifier) {
        if (delta < 0)
            ZoomOut();
        else if (delta > 0)
            ZoomIn();
    } else if (delta > 0 && atTop() && m_prev->isEnabled()) {
        PrevPage();
        scrollToBottom();
    } else if (delta < 0 && atBottom() && m_next->isEnabled()) {
        NextPage();
        scrollToTop();
    } else {
        QScrollBar* sb = m_scroll->verticalScrollBar();
        sb->setValue(sb->value() - delta / 120 * sb->singleStep() * 3);
    }
    e->accept();
}

void TFormPodgladRaportu::wheelEvent(QWheelEvent* e)
{
    handleWheel(e);
}

bool TFormPodgladRaportu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_scroll->viewport() && event->type() == QEvent::Wheel) {
        handleWheel(static_cast<QWheelEvent*>(event));
        return true;
    }
    return TFormEx::eventFilter(watched, event);
}

void TFormPodgladRaportu::closeEvent(QCloseEvent* e)
{
    if (busy()) {
        e->ignore();
        return;
    }
    if (!m_closed) {
        m_closed = true;
        RunGuarded([this] { SaveWindowState(); });
        WaitProcessingMessages(300);
        if (m_printer && m_printer->OnPreviewClosed) m_printer->OnPreviewClosed();
    }
    TFormEx::closeEvent(e);
}
