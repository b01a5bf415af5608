#include "billing/FvkKorygujPozycje.h"

#include "billing/DodajUslugeZListy.h"
#include "billing/DokumentRamka.h"
#include "billing/FvKorektaDane.h"
#include "billing/PozycjaDokumentu.h"
#include "billing/Pozycje.h"
#include "core/DialogPL.h"
#include "core/Query.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

using namespace DokumentRamka;

TFormFvkKorygujPozycje::TFormFvkKorygujPozycje(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormFvkKorygujPozycje"));
    setWindowTitle(QStringLiteral("Korekta pozycji"));
    auto* naglowek = new QLabel(QStringLiteral("Pozycja faktury"), this);
    naglowek->setFont(BoldFont(naglowek->font(), 1.15));
    NumerDokumentu = new QLabel(this);
    NumerDokumentu->setFont(naglowek->font());
    auto* head = new QHBoxLayout;
    head->addWidget(naglowek);
    head->addWidget(NumerDokumentu);
    head->addStretch();

    QWidget* before = buildSide(Przed, QStringLiteral("Przed korektą"), true);
    QWidget* after = buildSide(Po, QStringLiteral("Po korekcie"), false);
    QWidget* buttons = BuildSaveCancelRow(this, &ZapiszBtn, &AnulujBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(before);
    layout->addWidget(after);
    layout->addWidget(buttons);

    setTabOrder(Po.Nazwa, Po.Ilosc);
    setTabOrder(Po.Ilosc, Po.StawkaVat);
    setTabOrder(Po.StawkaVat, Po.JednostkaMiary);
    setTabOrder(Po.JednostkaMiary, Po.Symbol);
    setTabOrder(Po.Symbol, Po.CenaBrutto);
    setTabOrder(Po.CenaBrutto, Po.Rabat);
    setTabOrder(Po.Rabat, ZapiszBtn);
    connect(Po.Rabat, &QLineEdit::editingFinished, this, [this] {
        const QString clamped = ClampDiscountText(Po.Rabat->text());
        if (clamped != Po.Rabat->text()) Po.Rabat->setText(clamped);
    });
    connect(ZListyBtn, &QToolButton::clicked, this, [this] { RunGuarded([this] { pickService(); }); });
    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Zapisz(); }); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] { reject(); });
}

QWidget* TFormFvkKorygujPozycje::buildSide(TSide& side, const QString& title, bool readOnly)
{
    auto* box = new QGroupBox(title, this);
    side.Nazwa = new QLineEdit(box);
    side.Nazwa->setMaxLength(255);
    side.Nazwa->setMinimumWidth(420);
    side.Ilosc = new QLineEdit(box);
    side.StawkaVat = new QComboBox(box);
    side.JednostkaMiary = new QLineEdit(box);
    side.JednostkaMiary->setMaxLength(30);
    side.Symbol = new QLineEdit(box);
    side.Symbol->setMaxLength(30);
    side.CenaBrutto = new QLineEdit(box);
    side.Rabat = new QLineEdit(box);
    side.CenaPoRabacie = new QLabel(box);
    side.CenaPoRabacie->setFont(BoldFont(side.CenaPoRabacie->font()));
    side.CenaPoRabacie->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    side.CenaPoRabacie->setMinimumWidth(
        side.CenaPoRabacie->fontMetrics().horizontalAdvance(QStringLiteral("999 999,99 zł")));
    for (QLineEdit* e : {side.Ilosc, side.CenaBrutto, side.Rabat})
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(10);
    auto* name = new QHBoxLayout;
    name->setSpacing(4);
    name->addWidget(side.Nazwa, 1);
    if (!readOnly) {
        ZListyBtn = new QToolButton(box);
        ZListyBtn->setText(QStringLiteral("..."));
        ZListyBtn->setToolTip(QStringLiteral("Dodaj usługę z listy"));
        name->addWidget(ZListyBtn);
    }
    grid->addWidget(new QLabel(QStringLiteral("Nazwa"), box), 0, 0);
    grid->addLayout(name, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Ilość"), box), 1, 0);
    grid->addWidget(side.Ilosc, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Stawka VAT"), box), 1, 2);
    grid->addWidget(side.StawkaVat, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Jednostka miary"), box), 2, 0);
    grid->addWidget(side.JednostkaMiary, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Symbol"), box), 2, 2);
    grid->addWidget(side.Symbol, 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("Cena brutto"), box), 3, 0);
    grid->addWidget(side.CenaBrutto, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Rabat"), box), 3, 2);
    grid->addWidget(side.Rabat, 3, 3);
    auto* afterDiscount = new QHBoxLayout;
    afterDiscount->addStretch();
    afterDiscount->addWidget(new QLabel(QStringLiteral("Cena brutto po rabacie:"), box));
    afterDiscount->addWidget(side.CenaPoRabacie);
    grid->addLayout(afterDiscount, 4, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    if (readOnly) {
        // Shown for reference only: no typing and no stop for the Tab key.
        for (QLineEdit* e :
             {side.Nazwa, side.Ilosc, side.JednostkaMiary, side.Symbol, side.CenaBrutto, side.Rabat}) {
            e->setReadOnly(true);
            e->setFocusPolicy(Qt::NoFocus);
        }
        side.StawkaVat->setEnabled(false);
        side.StawkaVat->setFocusPolicy(Qt::NoFocus);
    } else {
        for (QLineEdit* e : {side.Nazwa, side.JednostkaMiary, side.Symbol, side.CenaBrutto})
            new TFieldKeyFilter(e, TFieldKeyFilter::Mode::EnterMovesOn);
        new TFieldKeyFilter(side.Ilosc, TFieldKeyFilter::Mode::Unsigned);
        new TFieldKeyFilter(side.Rabat, TFieldKeyFilter::Mode::Unsigned);
        new TFieldKeyFilter(side.StawkaVat, TFieldKeyFilter::Mode::NoTyping);
    }
    auto update = [&side] {
        side.CenaPoRabacie->setText(MoneyText(PriceAfterDiscount(ParseAmountText(side.CenaBrutto->text()),
                                                                 ParseAmountText(side.Rabat->text()))));
    };
    connect(side.CenaBrutto, &QLineEdit::textChanged, this, update);
    connect(side.Rabat, &QLineEdit::textChanged, this, update);
    return box;
}

void TFormFvkKorygujPozycje::loadSide(TSide& side, const QString& suffix)
{
    auto f = [&](const char* name) {
        return Lines->FieldByName(QStringLiteral("FVKP_") + QLatin1String(name) + suffix);
    };
    side.Nazwa->setText(f("NAZWAUSLUGI")->AsString());
    side.Ilosc->setText(AmountEditText(f("ILOSC")->AsCurrency(), 3));
    side.Rabat->setText(AmountEditText(f("RABAT")->AsCurrency(), 2));
    side.CenaBrutto->setText(MoneyEditText(f("CENABRUTTO")->AsCurrency()));
    side.JednostkaMiary->setText(f("JEDNMIARY")->AsString());
    side.Symbol->setText(f("SYMBOL")->AsString());
    const QString rate = f("STAWKAVAT_TXT")->AsString();
    side.StawkaVat->clear();
    side.StawkaVat->addItems(CorrectionRateTexts());
    if (side.StawkaVat->findText(rate) < 0) side.StawkaVat->addItem(rate);
    side.StawkaVat->setCurrentIndex(side.StawkaVat->findText(rate));
}

void TFormFvkKorygujPozycje::storeAfter()
{
    auto f = [&](const char* name) {
        return Lines->FieldByName(QStringLiteral("FVKP_") + QLatin1String(name));
    };
    f("NAZWAUSLUGI_PO")->SetAsString(Po.Nazwa->text());
    f("ILOSC_PO")->SetAsCurrency(ParseAmountText(Po.Ilosc->text()));
    f("RABAT_PO")->SetAsCurrency(ParseAmountText(Po.Rabat->text()));
    f("CENABRUTTO_PO")->SetAsCurrency(ParseAmountText(Po.CenaBrutto->text()));
    f("JEDNMIARY_PO")->SetAsString(Po.JednostkaMiary->text());
    f("SYMBOL_PO")->SetAsString(Po.Symbol->text());
    f("STAWKAVAT_TXT_PO")->SetAsString(Po.StawkaVat->currentText());
}

void TFormFvkKorygujPozycje::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    m_okPressed = false;
    RunGuarded([this] {
        NumerDokumentu->setText(Header && Header->Active() && !Header->IsEmpty()
                                    ? Header->FieldByName(QStringLiteral("FVK_NUMERTXT"))->AsString()
                                    : QString());
        if (Lines && Lines->Active() && !Lines->IsEmpty()) {
            loadSide(Przed, QString());
            loadSide(Po, QStringLiteral("_PO"));
        }
        Po.CenaBrutto->setFocus();
        Po.CenaBrutto->selectAll();
    });
}

void TFormFvkKorygujPozycje::pickService()
{
    if (!Lines) return;
    storeAfter();
    TFormDodajUslugeZListy* picker = FormDodajUslugeZListy();
    picker->TargetKind = QStringLiteral("K");
    picker->Target = Lines;
    picker->TargetUserIndex = 0;
    picker->exec();
    loadSide(Po, QStringLiteral("_PO"));
}

void TFormFvkKorygujPozycje::Zapisz()
{
    m_okPressed = true;
    done(Accepted);
}

void TFormFvkKorygujPozycje::done(int r)
{
    if (r == Accepted && m_okPressed) {
        const QString refused = CheckCorrectionLineInput(
            {Po.Nazwa->text(), Po.Ilosc->text(), Po.CenaBrutto->text(), Po.Rabat->text()});
        if (!refused.isEmpty()) {
            TMD::MessageDlg(refused, mtError, mbOK);
            m_okPressed = false;
            return;
        }
        if (Lines) storeAfter();
    } else if (r == Accepted) {
        return;
    }
    m_okPressed = false;
    TFormEx::done(r);
}
