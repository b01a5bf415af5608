#pragma once
// The report preview: one window per preview, modeless, with printing,
// paging and zoom, its size, place and zoom mode kept per operator and
// workstation.
#include "core/FormEx.h"

#include <QString>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QScrollArea;
class QStatusBar;
class QToolButton;
class TReportDocument;
class TReportPrinter;

// The preview control: the current page at the current zoom.
class TQRPreview : public QWidget
{
    Q_OBJECT
public:
    explicit TQRPreview(QWidget* parent = nullptr);
    void SetPrinter(TReportPrinter* printer);
    TReportPrinter* QRPrinter() const { return m_printer; }
    int PageNumber() const { return m_page; } // 1-based
    void SetPageNumber(int page);
    int Zoom() const { return m_zoom; } // percent; 100 = the page at 96 dpi
    void SetZoom(int zoom);
    QSize PageSizeAtZoom(int zoom) const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void fit();
    TReportPrinter* m_printer = nullptr;
    int m_page = 1;
    int m_zoom = 100;
};

// Stored-report mode: the preview shows a report saved earlier instead of one
// being produced (a stored contract printout).
extern bool StoredReportMode;
extern QString StoredReportFile;  // in the private folder
extern QString StoredReportTitle; // the print job's title
// Reads a stored report file; set by the unit that writes such files.
extern std::function<std::shared_ptr<TReportDocument>(const QString& path)> StoredReportLoader;

class TFormPodgladRaportu : public TFormEx
{
    Q_OBJECT
public:
    // The window for one run: binds the preview to the report printer (the
    // window takes it over) and takes its title as the caption.
    static TFormPodgladRaportu* CreatePreview(QWidget* owner, TReportPrinter* printer);

    // Zoom button to press once the report is ready: 1 whole page, 2 100 %, 3 page width, 0 none.
    int ZoomMode = 3;

    void LoadWindowState();
    void SaveWindowState();
    void UpdateControls();
    void IdleUpdate() override { UpdateControls(); }

    // The commands (buttons, menu, keys).
    void Print();
    void PrinterSetup();
    void FirstPage();
    void PrevPage();
    void NextPage();
    void LastPage();
    void ZoomIn();
    void ZoomOut();
    void ZoomTo100();
    void ZoomFit();
    void ZoomWidthFit();
    void ZoomComboChosen(int index);

    TQRPreview* QRPreview() const { return m_preview; }
    QScrollArea* ScrollArea() const { return m_scroll; }
    QLabel* IloscStronLabel() const { return m_pagesLabel; }
    QToolButton* DrukujBtn() const { return m_print; }
    QToolButton* DrukujExBtn() const { return m_printEx; }
    QToolButton* FirstPageBtn() const { return m_first; }
    QToolButton* PrevPageBtn() const { return m_prev; }
    QToolButton* NextPageBtn() const { return m_next; }
    QToolButton* LastPageBtn() const { return m_last; }
    QToolButton* ZoomFitBtn() const { return m_zoomFit; }
    QToolButton* Zoom100Btn() const { return m_zoom100; }
    QToolButton* ZoomWidthFitBtn() const { return m_zoomWidth; }
    QComboBox* ZoomCombo() const { return m_zoomCombo; }
    QToolButton* CloseBtn() const { return m_close; }
    QLabel* Label1() const { return m_label1; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QMenu* DrukujPopupMenu() const { return m_popup; }

protected:
    void showEvent(QShowEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent*) override;

private:
    TFormPodgladRaportu(QWidget* owner, TReportPrinter* printer);
    void buildUi();
    bool busy() const;
    void releaseZoomButtons();
    void setZoom(int zoom);
    void scrollToTop();
    void scrollToBottom();
    bool atTop() const;
    bool atBottom() const;
    void onProgress(int percent);
    void onPageAvailable();
    void handleWheel(QWheelEvent* e);

    TReportPrinter* m_printer;
    QString m_title;
    TQRPreview* m_preview = nullptr;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_pagesLabel = nullptr;
    QToolButton *m_print = nullptr, *m_printEx = nullptr, *m_first = nullptr, *m_prev = nullptr,
                *m_next = nullptr, *m_last = nullptr, *m_zoomFit = nullptr, *m_zoom100 = nullptr,
                *m_zoomWidth = nullptr, *m_zoomOut = nullptr, *m_zoomIn = nullptr, *m_close = nullptr;
    QComboBox* m_zoomCombo = nullptr;
    QLabel* m_label1 = nullptr;
    QStatusBar* m_status = nullptr;
    QLabel* m_panel1 = nullptr;
    QProgressBar* m_progress = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_setupAction = nullptr;
    bool m_closed = false;
};
