#include "core/OperatorZmienHaslo.h"

#include "core/DataModule.h"
#include "core/DialogPL.h"
#include "core/Operatorzy.h"
#include "core/Query.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFormOperatorZmienHaslo::TFormOperatorZmienHaslo(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormOperatorZmienHaslo"));
    buildUi();
}

void TFormOperatorZmienHaslo::buildUi()
{
    setWindowTitle(QStringLiteral("Zmień hasło"));
    Login = new QLabel(this);
    Edit3 = new QLineEdit(this);
    Edit1 = new QLineEdit(this);
    Edit2 = new QLineEdit(this);
    for (QLineEdit* e : {Edit3, Edit1, Edit2})
        e->setEchoMode(QLineEdit::Password);
    OpTelefon = new QLineEdit(this);
    OpEmail = new QLineEdit(this);
    ZapiszBtn = new QPushButton(QStringLiteral("Zapisz"), this);
    AnulujBtn = new QPushButton(QStringLiteral("Anuluj"), this);
    AnulujBtn->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Login"), Login);
    form->addRow(QStringLiteral("Stare hasło"), Edit3);
    form->addRow(QStringLiteral("Nowe hasło"), Edit1);
    form->addRow(QStringLiteral("Nowe hasło (powtórzenie)"), Edit2);
    form->addRow(QStringLiteral("Telefon"), OpTelefon);
    form->addRow(QStringLiteral("Adres email"), OpEmail);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ZapiszBtn);
    buttons->addWidget(AnulujBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { zapiszClick(); }); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] {
        if (TQuery* q = dataset(); q && q->State() == dsEdit) q->Cancel();
        reject();
    });
}

TQuery* TFormOperatorZmienHaslo::dataset() const
{
    return Data ? Data->QOperator.get() : nullptr;
}

void TFormOperatorZmienHaslo::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    Edit3->clear();
    Edit1->clear();
    Edit2->clear();
    TQuery* q = dataset();
    m_found = false;
    if (q) {
        if (!q->Active()) q->Open();
        m_found = q->Locate(QStringLiteral("OP_LOGIN"), LoginDialogLogin);
    }
    Login->setText(LoginDialogLogin);
    OpTelefon->setText(m_found ? q->FieldByName(QStringLiteral("OP_TELEFON"))->AsString() : QString());
    OpEmail->setText(m_found ? q->FieldByName(QStringLiteral("OP_EMAIL"))->AsString() : QString());
    OpTelefon->setEnabled(m_found);
    OpEmail->setEnabled(m_found);
    Edit3->setFocus();
}

bool TFormOperatorZmienHaslo::storeContact()
{
    TQuery* q = dataset();
    const QString phone = q->FieldByName(QStringLiteral("OP_TELEFON"))->AsString();
    const QString mail = q->FieldByName(QStringLiteral("OP_EMAIL"))->AsString();
    if (OpTelefon->text() == phone && OpEmail->text() == mail) return q->State() == dsEdit;
    if (q->State() != dsEdit) q->Edit();
    q->FieldByName(QStringLiteral("OP_TELEFON"))->SetAsString(OpTelefon->text());
    q->FieldByName(QStringLiteral("OP_EMAIL"))->SetAsString(OpEmail->text());
    return true;
}

void TFormOperatorZmienHaslo::zapiszClick()
{
    TQuery* q = dataset();
    if (Edit3->text().isEmpty() && Edit1->text().isEmpty() && Edit2->text().isEmpty()) {
        if (m_found && storeContact()) q->Post();
        accept();
        return;
    }
    const QString storedHash = m_found ? q->FieldByName(QStringLiteral("OP_HASLO"))->AsString() : QString();
    const QString login = m_found ? q->FieldByName(QStringLiteral("OP_LOGIN"))->AsString() : LoginDialogLogin;
    const QString error = PasswordChangeError(Edit3->text(), storedHash, login, Edit1->text(), Edit2->text());
    if (!error.isEmpty()) {
        TMD::MessageDlg(error, mtError, mbOK);
        return;
    }
    storeContact();
    if (q->State() != dsEdit) q->Edit();
    q->FieldByName(QStringLiteral("OP_HASLO"))->SetAsString(OperatorPasswordHash(Edit1->text(), login));
    q->Post();
    TMD::MessageDlg(QStringLiteral("Hasło zostało zmienione"), mtInformation, mbOK);
    accept();
}
