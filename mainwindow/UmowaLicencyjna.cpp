#include "mainwindow/UmowaLicencyjna.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

QString LicenceAgreementText()
{
    return QStringLiteral(
        "UMOWA LICENCYJNA UŻYTKOWNIKA PROGRAMU ORLIX6 KSEF\n\n"
        "1. Program Orlix6 KSeF (dalej: Program) jest chroniony prawem autorskim. Licencjobiorca "
        "otrzymuje niewyłączne prawo do korzystania z Programu na potrzeby własnej działalności "
        "dostawcy usług internetowych.\n\n"
        "2. Licencja obejmuje instalację Programu na dowolnej liczbie stanowisk pracujących z jedną "
        "wspólną bazą danych Licencjobiorcy.\n\n"
        "3. Licencjobiorca nie może odsprzedawać, wynajmować ani udostępniać Programu osobom trzecim.\n\n"
        "4. Program jest dostarczany w stanie, w jakim się znajduje. Licencjodawca nie odpowiada za "
        "szkody wynikłe z użycia Programu, w tym za utratę danych; Licencjobiorca odpowiada za "
        "regularne wykonywanie kopii bezpieczeństwa bazy danych.\n\n"
        "5. Dane przetwarzane w Programie należą do Licencjobiorcy, który jest ich administratorem w "
        "rozumieniu przepisów o ochronie danych osobowych.\n\n"
        "6. Korzystanie z Programu oznacza akceptację warunków niniejszej umowy.");
}

TFormUmowaLicencyjna::TFormUmowaLicencyjna(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormUmowaLicencyjna"));
    setWindowTitle(QStringLiteral("Umowa licencyjna"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setPlainText(LicenceAgreementText());
    ZamknijBtn = new QPushButton(QStringLiteral("Zamknij"), this);
    connect(ZamknijBtn, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ZamknijBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addLayout(buttons);
    resize(560, 420);
}

void TFormUmowaLicencyjna::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (!e->spontaneous()) SetDropShadow(ShowShadow);
}
