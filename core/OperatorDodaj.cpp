#include "core/OperatorDodaj.h"

#include "core/DataModule.h"
#include "core/DialogPL.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

QString fieldText(TQuery* q, const char* name)
{
    return q->FieldByName(QString::fromLatin1(name))->AsString();
}

void setFieldText(TQuery* q, const char* name, const QString& v)
{
    q->FieldByName(QString::fromLatin1(name))->SetAsString(v);
}

} // namespace

TFormOperatorDodaj::TFormOperatorDodaj(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormOperatorDodaj"));
    buildUi();
}

void TFormOperatorDodaj::buildUi()
{
    OpLogin = new QLineEdit(this);
    OpLogin->setToolTip(QStringLiteral("Zmiana loginu wymaga resetu hasła"));
    OpAktywny = new QCheckBox(QStringLiteral("Aktywny"), this);
    OpNazwisko = new QLineEdit(this);
    OpImie = new QLineEdit(this);
    OpTelefon = new QLineEdit(this);
    OpOpis = new QLineEdit(this);
    OpEmail = new QLineEdit(this);
    OpPoziom = new QComboBox(this);
    OpPoziom->setEditable(false);
    for (int level = 1; level <= 6; ++level)
        OpPoziom->addItem(QString::number(level));
    OpStatystyki = new QCheckBox(QStringLiteral("Dostęp do statystyk"), this);
    DomyslneHaslo = new QLabel(this);
    ResetBtn = new QPushButton(QStringLiteral("Reset"), this);
    ZapiszBtn = new QPushButton(QStringLiteral("Zapisz"), this);
    AnulujBtn = new QPushButton(QStringLiteral("Anuluj"), this);
    ResetBtn->setAutoDefault(false);
    AnulujBtn->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Login"), OpLogin);
    form->addRow(QString(), OpAktywny);
    form->addRow(QStringLiteral("Nazwisko"), OpNazwisko);
    form->addRow(QStringLiteral("Imię"), OpImie);
    form->addRow(QStringLiteral("Telefon"), OpTelefon);
    form->addRow(QStringLiteral("Adres email"), OpEmail);
    form->addRow(QStringLiteral("Opis"), OpOpis);
    form->addRow(QStringLiteral("Uprawnienia"), OpPoziom);
    form->addRow(QString(), OpStatystyki);
    auto* password = new QHBoxLayout;
    password->addWidget(DomyslneHaslo, 1);
    password->addWidget(ResetBtn);
    form->addRow(QStringLiteral("Domyślne hasło"), password);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ZapiszBtn);
    buttons->addWidget(AnulujBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(ResetBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { resetClick(); }); });
    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { zapiszClick(); }); });
    connect(AnulujBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TQuery* TFormOperatorDodaj::dataset() const
{
    if (Operators) return Operators;
    return Data ? Data->QOperator.get() : nullptr;
}

void TFormOperatorDodaj::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    TQuery* q = dataset();
    if (!q) return;
    setWindowTitle(q->State() == dsInsert ? QStringLiteral("Operator - dodawanie")
                                          : QStringLiteral("Operator - edycja"));
    const QString login = fieldText(q, "OP_LOGIN");
    OpLogin->setText(login);
    m_activeAtShow = fieldText(q, "OP_AKTYWNY");
    OpAktywny->setChecked(m_activeAtShow == QLatin1String("A"));
    OpNazwisko->setText(fieldText(q, "OP_NAZWISKO"));
    OpImie->setText(fieldText(q, "OP_IMIE"));
    OpTelefon->setText(fieldText(q, "OP_TELEFON"));
    OpOpis->setText(fieldText(q, "OP_OPIS"));
    OpEmail->setText(fieldText(q, "OP_EMAIL"));
    // A level outside 1..6 (10, or 0 of the service login) shows no entry and is kept.
    m_levelIndexAtShow = OpPoziom->findText(fieldText(q, "OP_POZIOMUPRAWNIEN"));
    OpPoziom->setCurrentIndex(m_levelIndexAtShow);
    m_statsAtShow = q->FieldByName(QStringLiteral("OP_CZYSTATYSTYKI"))->AsInteger() == 1;
    OpStatystyki->setChecked(m_statsAtShow);
    OpStatystyki->setEnabled(OperatorRightsLevel == 0);
    const bool admin = login == AdminLogin;
    DomyslneHaslo->setText(admin ? login : DefaultOperatorPassword);
    OpAktywny->setEnabled(!admin);
    OpPoziom->setEnabled(!admin);
    ResetBtn->setEnabled(!admin);
    OpLogin->setFocus();
}

void TFormOperatorDodaj::storeFields()
{
    TQuery* q = dataset();
    setFieldText(q, "OP_LOGIN", OpLogin->text());
    const bool wasActive = m_activeAtShow == QLatin1String("A");
    if (OpAktywny->isChecked() != wasActive)
        setFieldText(q, "OP_AKTYWNY", OpAktywny->isChecked() ? QStringLiteral("A") : QStringLiteral("N"));
    setFieldText(q, "OP_NAZWISKO", OpNazwisko->text());
    setFieldText(q, "OP_IMIE", OpImie->text());
    setFieldText(q, "OP_TELEFON", OpTelefon->text());
    setFieldText(q, "OP_OPIS", OpOpis->text());
    setFieldText(q, "OP_EMAIL", OpEmail->text());
    if (OpPoziom->currentIndex() >= 0 && OpPoziom->currentIndex() != m_levelIndexAtShow)
        q->FieldByName(QStringLiteral("OP_POZIOMUPRAWNIEN"))->SetAsInteger(OpPoziom->currentText().toInt());
    // A new row stores what the box shows rather than the column's default.
    if (OpStatystyki->isChecked() != m_statsAtShow || q->State() == dsInsert)
        q->FieldByName(QStringLiteral("OP_CZYSTATYSTYKI"))->SetAsInteger(OpStatystyki->isChecked() ? 1 : 0);
}

void TFormOperatorDodaj::resetClick()
{
    TQuery* q = dataset();
    storeFields();
    if (q->FieldByName(QStringLiteral("OP_POZIOMUPRAWNIEN"))->AsInteger() == SpecialRightsLevel) return;
    setFieldText(q, "OP_HASLO", OperatorPasswordHash(DefaultOperatorPassword, OpLogin->text()));
}

void TFormOperatorDodaj::zapiszClick()
{
    TQuery* q = dataset();
    storeFields();
    const int level = q->FieldByName(QStringLiteral("OP_POZIOMUPRAWNIEN"))->AsInteger();
    const QString error = OperatorEditError(OpLogin->text(), OpNazwisko->text(), level);
    if (!error.isEmpty()) {
        TMD::MessageDlg(error, mtError, mbOK);
        return;
    }
    if (q->State() == dsInsert) setFieldText(q, "OP_HASLO", NewOperatorPasswordHash(OpLogin->text(), level));
    accept();
}
