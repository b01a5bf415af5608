#include "payments/ZmienPrzypisaniePM.h"

#include "billing/RachunkiBankowe.h"
#include "core/DialogPL.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormZmienPrzypisaniePM::TFormZmienPrzypisaniePM(QWidget* parent) : TFormEx(parent)
{
    setWindowTitle(QStringLiteral("Zmień przypisanie wpłaty PM"));
    auto* l = new QVBoxLayout(this);
    l->addWidget(
        new QLabel(QStringLiteral("Wprowadź numer rachunku na który należy przeksięgować wpłatę"), this));
    Edit = new QLineEdit(this);
    Edit->setMinimumWidth(
        Edit->fontMetrics().horizontalAdvance(QStringLiteral("00 0000 0000 0000 0000 0000 0000")) + 20);
    l->addWidget(Edit);
    auto* b = new QHBoxLayout;
    b->addStretch(1);
    ButtonZapisz = new QPushButton(QStringLiteral("Zapisz"), this);
    ButtonAnuluj = new QPushButton(QStringLiteral("Anuluj"), this);
    b->addWidget(ButtonZapisz);
    b->addWidget(ButtonAnuluj);
    l->addLayout(b);
    connect(ButtonZapisz, &QPushButton::clicked, this, [this] { save(); });
    connect(ButtonAnuluj, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormZmienPrzypisaniePM::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    Edit->setFocus();
}

void TFormZmienPrzypisaniePM::save()
{
    if (!IsValidNrb(Edit->text())) {
        TMD::MessageDlg(QStringLiteral("Błędny numer rachunku"), mtError, mbOK);
        Edit->setFocus();
        return;
    }
    accept();
}
