#pragma once
// The service order editor and the operations that add, edit and delete an
// order of table ZleceniaSerwisowe, and its e-mail to the technician.
#include "core/FormEx.h"
#include "mainwindow/UserDodajPola.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TDateTimePicker;
class TQuery;

class TFormZlecenieDodaj : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormZlecenieDodaj(QWidget* parent = nullptr);
    ~TFormZlecenieDodaj() override;

    // The order (the caller sets its SQL, opens it and puts it in edit state),
    // its subscriber and the operators of both lookups.
    std::unique_ptr<TQuery> QZlecenia, QUserdb, QOperator;

    QLabel* LabelUzytkownik = nullptr;
    QLineEdit* EditNumer = nullptr;
    QLabel* LabelNumerTxt = nullptr;
    QLabel* LabelDataRejestracji = nullptr;
    TDateTimePicker* DataZakonczenia = nullptr;
    TDateTimePicker* Terminarz = nullptr;
    QPlainTextEdit* MemoZakres = nullptr;
    QPlainTextEdit* MemoUwagi = nullptr;
    QComboBox* ComboPrzyjal = nullptr;
    QComboBox* ComboWykonal = nullptr;
    QLineEdit* EditKwota = nullptr;
    QCheckBox* CheckZaznaczone = nullptr;
    QPushButton* BitBtnZapisz = nullptr;
    QPushButton* BitBtnAnuluj = nullptr;

    QString NumberText() const;
    // Writes the controls into the row (before the caller posts).
    void StoreToRow();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildUi();
    void prepare();
    void rebuildNumberText();

    TFieldBinder m_binder;
    bool m_saveRequested = false;
};

TFormZlecenieDodaj* FormZlecenieDodaj();

// Each returns true when an order was saved or deleted. A failed save is
// rolled back and shown; the transaction never stays open.
bool AddZlecenie(int userIndex);
bool EditZlecenie(int zsIndex);
bool DeleteZlecenie(int zsIndex);
// "Wyślij zlecenie na email serwisanta": the order's PDF to its technician.
void SendZlecenieToTechnician(int zsIndex);
// The order printout on the operator's paper (preview) or PDF printer (direct).
void PrintZlecenie(int zsIndex, bool pdf);
