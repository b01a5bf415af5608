#pragma once
// The contract document editor "Dodawanie nowej umowy" / "Edycja umowy" and
// the operations that add, edit and delete a document of table Umowy.
#include "core/FormEx.h"
#include "mainwindow/UserDodajPola.h"

#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TDateTimePicker;
class TQuery;

class TFormUmowaDodaj : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormUmowaDodaj(QWidget* parent = nullptr);
    ~TFormUmowaDodaj() override;

    // The document (the caller sets its SQL, opens it and puts it in insert or edit).
    std::unique_ptr<TQuery> QUmowy;
    // Templates of kind 'U'.
    std::unique_ptr<TQuery> QSzablony;
    // The subscriber of a new document.
    int UserIndex = 0;

    QLineEdit* EditNumer = nullptr;
    QLabel* LabelNumerTxt = nullptr;
    QLineEdit* EditOpis = nullptr;
    QLineEdit* EditUwagi = nullptr;
    QLineEdit* EditTytul = nullptr;
    QComboBox* ComboSzablon = nullptr;
    QToolButton* ButtonSzablon = nullptr;
    TDateTimePicker* DataZawarcia = nullptr;
    TDateTimePicker* DataStart = nullptr;
    TDateTimePicker* DataKoniec = nullptr;
    QPushButton* Okres[6] = {};
    QLabel* LabelKoniec = nullptr;
    QLabel* LabelUzytkownik = nullptr;
    QCheckBox* CheckPodpisana = nullptr;
    QCheckBox* CheckNieaktywna = nullptr;
    QButtonGroup* Typ = nullptr;
    QComboBox* ComboDoUmowy = nullptr;
    QCheckBox* CheckRegeneruj = nullptr;
    QPushButton* BitBtnZapisz = nullptr;
    QPushButton* BitBtnAnuluj = nullptr;

    // The regenerate box: rewrite the stored text at the save.
    bool Regenerate() const;
    // The document's number text as it stands.
    QString NumberText() const;
    // Writes the controls into the row (before the caller posts).
    void StoreToRow();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildUi();
    void prepare();
    void applyKindRules();
    void rebuildNumberText();
    void concludedChanged();
    void templateChanged();
    void setPeriod(int months);
    void dataChanged();
    int kind() const;
    bool inserting() const;

    TFieldBinder m_binder;
    bool m_loading = false;
};

TFormUmowaDodaj* FormUmowaDodaj();

// Each returns true when a document was saved or deleted. Database errors of
// the save are shown and rolled back; the transaction never stays open.
bool AddUmowa(int userIndex);
bool EditUmowa(int umIndex);
bool DeleteUmowa(int umIndex);
