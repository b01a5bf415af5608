#pragma once
// "Zlecenia - lista": every service order, with search, the open-only and
// date filters, the scope and remarks of the current order, and its
// printouts, SMS and e-mail to the technician.
#include "registers/RejestrLista.h"

class QCheckBox;
class QPlainTextEdit;
class QToolButton;

class TFormZleceniaLista : public TFormRejestrLista
{
    Q_OBJECT
public:
    explicit TFormZleceniaLista(QWidget* parent = nullptr);

    QCheckBox* CheckAktywne = nullptr;
    QToolButton* LabelZakresDat = nullptr; // "<>": the date-range menu
    QPlainTextEdit* MemoZakres = nullptr;
    QPlainTextEdit* MemoUwagi = nullptr;

protected:
    QString ListSql(TArgs& args) override;
    QString CountSql(TArgs& args) override;
    QString CountCaption() const override { return QStringLiteral("Zleceń "); }
    void EditCurrent() override;
    QStringList NumberSortKeys() const override;
    int NumberColumn() const override { return 1; }

private:
    void showMemos();
    void setRange(const char* fromSql, const char* toSql);
    void smsToTechnician();
    QString m_where;
    TArgs m_whereArgs;
};

TFormZleceniaLista* FormZleceniaLista();
// The main window's "Zlecenia serwisowe - lista" and "Lista zleceń".
void ShowZleceniaLista();
// The text colour and background of an order's row (also on the subscriber card).
QVariant ZlecenieRowFormat(const TQuery& q, int row, int role);
