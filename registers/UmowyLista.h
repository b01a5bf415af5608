#pragma once
// "Umowy - lista": every contract document of every subscriber, with search,
// date and signature filters, the documents ending soon, and the print, mail
// and portal commands of a document.
#include "registers/RejestrLista.h"

class QCheckBox;
class QSpinBox;

class TFormUmowyLista : public TFormRejestrLista
{
    Q_OBJECT
public:
    explicit TFormUmowyLista(QWidget* parent = nullptr);

    // The WHERE part of the last query and its values (the bulk e-mail reuses them).
    QString LastWhere;
    TArgs LastWhereArgs;

    QCheckBox* CheckNiepodpisane = nullptr;
    QCheckBox* CheckTabelaGlowna = nullptr;
    QCheckBox* CheckKonczace = nullptr;
    QSpinBox* SpinDni = nullptr;

    // The filters as the controls hold them.
    TUmowyListFilter CurrentFilter() const;

protected:
    QString ListSql(TArgs& args) override;
    QString CountSql(TArgs& args) override;
    QString CountCaption() const override { return QStringLiteral("Umów: "); }
    void EditCurrent() override;
    QStringList NumberSortKeys() const override;
    int NumberColumn() const override { return 3; }

private:
    void bulkMail();
};

TFormUmowyLista* FormUmowyLista();
// The text colour of a document's row (also on the subscriber card).
QVariant UmowaRowColour(const TQuery& q, int row);
// The main window's "Umowy - lista" (rights level 2).
void ShowUmowyLista();
