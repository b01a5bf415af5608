#pragma once
// "KSeF - Wysyłka wsadowa i pobieranie dokumentów": the KSeF log (vKsef) with
// the raw answer of the current row, sending a package of the bulk output,
// its batch status, fetching an invoice by its KSeF number and its page.
#include "core/FormEx.h"

#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTableView;
class QToolButton;
class TQuery;
class TQueryModel;

class TFormKsef : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormKsef(QWidget* parent = nullptr);
    ~TFormKsef() override;

    // The log's sort: column and 0 none, 1 ascending, 2 descending.
    QString SortField;
    int SortDirection = 2;
    void TitleClick(int column);
    // Re-reads the log keeping the row, or moving to KsefIndex when given.
    void Refresh(int ksefIndex = 0);
    int CurrentIndex() const;

    void WybierzPlik();
    void Wyslij();
    void OdczytajStatus();
    void Pobierz();
    void Wizualizuj();

    // Answers the file chooser in tests; the dialog otherwise.
    static std::function<QString(const QString& folder)> ChooseFileHook;
    // "Pobrane z KSeF": the received invoices list.
    static std::function<void()> OpenReceived;

    QToolButton* PlikBtn = nullptr;
    QLineEdit* EditPlik = nullptr;
    QPushButton* WyslijBtn = nullptr;
    QLineEdit* EditNrKsef = nullptr;
    QPushButton* PobierzBtn = nullptr;
    QPushButton* WizualizujBtn = nullptr;
    QPushButton* StatusBtn = nullptr;
    QPushButton* PobraneBtn = nullptr;
    QToolButton* OdswiezBtn = nullptr;
    QLabel* LogoLabel = nullptr;
    QLabel* LabelKsef = nullptr;
    QTableView* DBGrid1 = nullptr;
    QSplitter* Splitter = nullptr;
    QLineEdit* PanelPlik = nullptr;
    QLineEdit* PanelSesja = nullptr;
    QPlainTextEdit* PanelDane = nullptr;
    TQuery* QKsef = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void buildUi();
    QWidget* buildSendGroup();
    QWidget* buildFetchGroup();
    QWidget* buildToolbar();
    QWidget* buildRawPanel();
    void showCurrentRow();
    int rawPanelHeight() const;

    TQueryModel* m_model = nullptr;
};

TFormKsef* FormKsef();
