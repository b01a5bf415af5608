#include "printouts/KopiaElektronicznaWeryfikacja.h"

#include "billing/ZamkniecieOkresu.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Session.h"
#include "printouts/KopiaElektroniczna.h"

#include <QDateEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TFormKopiaElektronicznaWeryfikacja::TFormKopiaElektronicznaWeryfikacja(QWidget* parent) : TFormEx(parent)
{
    setWindowTitle(QStringLiteral("Weryfikacja integralności plików kopii elektronicznej"));
    buildUi();
    ChooseFile = [this](const QString& folder) {
        QFileDialog d(this, QStringLiteral("Plik kopii elektronicznej *.dat"), folder,
                      QStringLiteral("Pliki dat (*.dat)"));
        d.setFileMode(QFileDialog::ExistingFile);
        return d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty() ? d.selectedFiles().first()
                                                                             : QString();
    };
    Label1->setText(QStringLiteral("Podaj lokalizację pliku do weryfikacji"));
    Edit1->clear();
}

void TFormKopiaElektronicznaWeryfikacja::buildUi()
{
    auto* l = new QVBoxLayout(this);
    auto* info =
        new QLabel(QStringLiteral("Funkcjonalność budowanie plików kopii elektronicznej znajduje się na "
                                  "formatce wydruku i wysyłki dokumentów jako jedna z opcji."),
                   this);
    info->setWordWrap(true);
    l->addWidget(info);

    auto* check = new QGroupBox(this);
    auto* cl = new QGridLayout(check);
    Edit1 = new QLineEdit(check);
    Edit1->setReadOnly(true);
    Edit1->setMinimumWidth(380);
    SpeedButton6 = new QToolButton(check);
    SpeedButton6->setText(QStringLiteral("..."));
    SpeedButtonEx1 = new QPushButton(QStringLiteral("Weryfikuj"), check);
    SpeedButtonEx1->setAutoDefault(false);
    Label1 = new QLabel(check);
    cl->addWidget(Edit1, 0, 0);
    cl->addWidget(SpeedButton6, 0, 1);
    cl->addWidget(SpeedButtonEx1, 0, 2);
    cl->addWidget(Label1, 1, 0, 1, 3);
    l->addWidget(check);

    auto* close = new QGroupBox(this);
    auto* zl = new QGridLayout(close);
    auto* warn =
        new QLabel(QStringLiteral("Wszystkie dokumety do wskazanego dnia (włącznie z tym dniem) zostana "
                                  "usunięte z bazy ") +
                       QStringLiteral(" a saldo klienta za usunięty okres przeniesione Bilansem Zamknięcia "
                                      "do kartoteki klienta"),
                   close);
    warn->setWordWrap(true);
    DateTimePicker1 = new QDateEdit(close);
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    BitBtn1 = new QPushButton(QStringLiteral("Zamknij okres"), close);
    BitBtn1->setAutoDefault(false);
    Label7 = new QLabel(close);
    zl->addWidget(warn, 0, 0, 1, 2);
    zl->addWidget(DateTimePicker1, 1, 0);
    zl->addWidget(BitBtn1, 1, 1);
    zl->addWidget(Label7, 2, 0, 1, 2);
    l->addWidget(close);

    connect(SpeedButton6, &QToolButton::clicked, this, [this] { RunGuarded([this] { Browse(); }); });
    connect(SpeedButtonEx1, &QPushButton::clicked, this, [this] { RunGuarded([this] { Verify(); }); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { RunGuarded([this] { CloseThePeriod(); }); });
}

void TFormKopiaElektronicznaWeryfikacja::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    const QDate today = QDate::currentDate();
    DateTimePicker1->setMaximumDate(today.addDays(-365));
    DateTimePicker1->setDate(today.addDays(-730));
    refreshLastClosing();
}

void TFormKopiaElektronicznaWeryfikacja::refreshLastClosing()
{
    Label7->setText(QStringLiteral("Data ostatniego zamknięcia okresu: ") +
                    ReadIniString(0, QStringLiteral("ZamkniecieOkresu"), QStringLiteral("Brak")));
}

void TFormKopiaElektronicznaWeryfikacja::Browse()
{
    const QString path = ChooseFile(ExportFolder + QStringLiteral("EJ/"));
    if (path.isEmpty()) return;
    Edit1->setText(path);
    Label1->clear();
}

void TFormKopiaElektronicznaWeryfikacja::Verify()
{
    const auto result = TKopiaElektroniczna::Verify(Edit1->text());
    Label1->setText(TKopiaElektroniczna::VerifyText(result));
    if (result != TKopiaElektroniczna::vrError) BeepAsync();
}

void TFormKopiaElektronicznaWeryfikacja::CloseThePeriod()
{
    TClosePeriodCallbacks cb;
    cb.ask = [](const QString& text, bool warning) {
        return TMD::MessageDlg(text, warning ? mtWarning : mtConfirmation, mbYes | mbNo) == mrYes;
    };
    cb.info = [](const QString& text) { TMD::MessageDlg(text, mtInformation, mbOK); };
    cb.error = [](const QString& text) { TMD::MessageDlg(text, mtError, mbOK); };
    ClosePeriod(DateTimePicker1->date(), cb);
    refreshLastClosing();
}

TFormKopiaElektronicznaWeryfikacja* FormKopiaElektronicznaWeryfikacja()
{
    static QPointer<TFormKopiaElektronicznaWeryfikacja> form;
    if (!form) form = new TFormKopiaElektronicznaWeryfikacja();
    return form;
}
