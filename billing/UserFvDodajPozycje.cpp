#include "billing/UserFvDodajPozycje.h"

#include "billing/DodajUslugeZListy.h"
#include "billing/PozycjaDokumentu.h"
#include "billing/Pozycje.h"
#include "core/DateTimePicker.h"
#include "core/Query.h"
#include "core/VatRates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

TField* F(TQuery* q, const char* name)
{
    return q->FieldByName(QString::fromLatin1(name));
}

} // namespace

TFormUserFvDodajPozycje::TFormUserFvDodajPozycje(QWidget* parent)
    : TFormEx(parent), m_user(std::make_unique<TQuery>()), m_item(std::make_unique<TQuery>())
{
    setObjectName(QStringLiteral("FormUserFvDodajPozycje"));
    m_item->RequestLive = true;
    m_item->OnNewRecord = [this](TQuery& q) {
        F(&q, "UFV_ILOSC")->SetAsInteger(1);
        F(&q, "UFV_CZYAKTYWNA")->SetAsInteger(1);
        F(&q, "UFV_CZYJEDNORAZOWA")->SetAsInteger(0);
        F(&q, "UFV_JEDNMIARY")->SetAsString(QStringLiteral("szt."));
        F(&q, "UFV_RABAT")->SetAsInteger(0);
        F(&q, "UFV_STAWKAVAT_TXT")->SetAsString(VatRateTexts().value(0));
        F(&q, "UFV_GTU")->SetAsInteger(0);
        F(&q, "UFV_GRUPAUSLUG")->SetAsInteger(0);
        F(&q, "UFV_KOSZTBRUTTO")->SetAsInteger(0);
        F(&q, "UFV_INDEXUSER")->SetAsInteger(userIndex());
    };
    buildUi();
}

TFormUserFvDodajPozycje::~TFormUserFvDodajPozycje() = default;

int TFormUserFvDodajPozycje::userIndex() const
{
    if (!m_user->Active() || m_user->IsEmpty()) return 0;
    return F(m_user.get(), "U_INDEX")->AsInteger();
}

void TFormUserFvDodajPozycje::buildUi()
{
    Uzytkownik = new QLabel(this);
    QFont bold = Uzytkownik->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    Uzytkownik->setFont(bold);

    Nazwa = new QLineEdit(this);
    Nazwa->setMaxLength(255);
    Nazwa->setMinimumWidth(460);
    ZListyBtn = new QToolButton(this);
    ZListyBtn->setText(QStringLiteral("..."));
    ZListyBtn->setToolTip(QStringLiteral("Dodaj usługę z listy"));
    Ilosc = new QLineEdit(this);
    StawkaVat = new QComboBox(this);
    Rabat = new QLineEdit(this);
    CenaBrutto = new QLineEdit(this);
    JednostkaMiary = new QLineEdit(this);
    JednostkaMiary->setMaxLength(30);
    Symbol = new QLineEdit(this);
    Symbol->setMaxLength(30);
    AktywnaOd = new TDateTimePicker(this);
    AktywnaOd->SetShowCheckbox(true);
    AktywnaDo = new TDateTimePicker(this);
    AktywnaDo->SetShowCheckbox(true);
    Zawieszona = new QCheckBox(QStringLiteral("Zawieszona"), this);
    Jednorazowa = new QCheckBox(QStringLiteral("Jednorazowa"), this);
    Opis = new QLineEdit(this);
    Opis->setMaxLength(255);
    KodGtu = new QComboBox(this);
    KodGtu->addItems(GtuCodeTexts());
    GrupaUslug = new QComboBox(this);
    GrupaUslug->addItems(ServiceGroupTexts());
    KosztBrutto = new QLineEdit(this);
    for (QLineEdit* e : {Ilosc, Rabat, CenaBrutto, KosztBrutto})
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    CenaPoRabacie = new QLabel(this);
    CenaPoKosztach = new QLabel(this);
    for (QLabel* l : {CenaPoRabacie, CenaPoKosztach}) {
        l->setFont(bold);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    using M = TFieldKeyFilter::Mode;
    for (QWidget* w : {static_cast<QWidget*>(Nazwa), static_cast<QWidget*>(JednostkaMiary),
                       static_cast<QWidget*>(Symbol), static_cast<QWidget*>(Opis)})
        new TFieldKeyFilter(w, M::EnterMovesOn);
    for (QLineEdit* e : {Ilosc, CenaBrutto, Rabat, KosztBrutto})
        new TFieldKeyFilter(e, M::Signed);
    new TFieldKeyFilter(StawkaVat, M::NoTyping);
    new TFieldKeyFilter(KodGtu, M::NoTyping);
    new TFieldKeyFilter(GrupaUslug, M::NoKeys);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
    auto* name = new QHBoxLayout;
    name->setSpacing(4);
    name->addWidget(Nazwa, 1);
    name->addWidget(ZListyBtn);
    int row = 0;
    grid->addWidget(label("Nazwa"), row, 0);
    grid->addLayout(name, row++, 1, 1, 3);
    grid->addWidget(label("Ilość"), row, 0);
    grid->addWidget(Ilosc, row, 1);
    grid->addWidget(label("Jednostka miary"), row, 2);
    grid->addWidget(JednostkaMiary, row++, 3);
    grid->addWidget(label("Cena brutto"), row, 0);
    grid->addWidget(CenaBrutto, row, 1);
    grid->addWidget(label("Symbol"), row, 2);
    grid->addWidget(Symbol, row++, 3);
    grid->addWidget(label("Rabat"), row, 0);
    grid->addWidget(Rabat, row, 1);
    grid->addWidget(label("Stawka VAT"), row, 2);
    grid->addWidget(StawkaVat, row++, 3);
    grid->addWidget(label("Koszt brutto"), row, 0);
    grid->addWidget(KosztBrutto, row, 1);
    grid->addWidget(label("Kod GTU"), row, 2);
    grid->addWidget(KodGtu, row++, 3);
    grid->addWidget(label("Grupa usług"), row, 2);
    grid->addWidget(GrupaUslug, row++, 3);
    auto* period = new QHBoxLayout;
    period->addWidget(AktywnaOd);
    period->addWidget(label("do"));
    period->addWidget(AktywnaDo);
    period->addStretch();
    grid->addWidget(label("Aktywna od"), row, 0);
    grid->addLayout(period, row++, 1, 1, 3);
    auto* flags = new QHBoxLayout;
    flags->addWidget(Zawieszona);
    flags->addSpacing(20);
    flags->addWidget(Jednorazowa);
    flags->addStretch();
    grid->addLayout(flags, row++, 1, 1, 3);
    grid->addWidget(label("Opis"), row, 0);
    grid->addWidget(Opis, row++, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto* prices = new QGridLayout;
    prices->setColumnStretch(0, 1);
    prices->addWidget(label("Cena brutto po rabacie:"), 0, 1);
    prices->addWidget(CenaPoRabacie, 0, 2);
    prices->addWidget(label("Cena brutto pomniejszona o koszty:"), 1, 1);
    prices->addWidget(CenaPoKosztach, 1, 2);

    ZapiszBtn = new QPushButton(QStringLiteral("Zapisz"), this);
    AnulujBtn = new QPushButton(QStringLiteral("Anuluj"), this);
    for (QPushButton* b : {ZapiszBtn, AnulujBtn}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(100);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ZapiszBtn);
    buttons->addWidget(AnulujBtn);

    auto* head = new QHBoxLayout;
    head->addWidget(label("Użytkownik"));
    head->addWidget(Uzytkownik, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addSpacing(6);
    layout->addLayout(grid);
    layout->addLayout(prices);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    for (QLineEdit* e : {CenaBrutto, Rabat, KosztBrutto})
        connect(e, &QLineEdit::textChanged, this, [this] { updatePrices(); });
    connect(Rabat, &QLineEdit::editingFinished, this, [this] {
        const QString clamped = ClampDiscountText(Rabat->text());
        if (clamped != Rabat->text()) Rabat->setText(clamped);
    });
    connect(ZListyBtn, &QToolButton::clicked, this, [this] { RunGuarded([this] { pickService(); }); });
    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Zapisz(); }); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] { reject(); });
}

void TFormUserFvDodajPozycje::loadFields()
{
    TQuery* q = m_item.get();
    Nazwa->setText(F(q, "UFV_NAZWAUSLUGI")->AsString());
    Ilosc->setText(AmountEditText(F(q, "UFV_ILOSC")->AsCurrency(), 3));
    Rabat->setText(AmountEditText(F(q, "UFV_RABAT")->AsCurrency(), 2));
    CenaBrutto->setText(MoneyEditText(F(q, "UFV_CENABRUTTO")->AsCurrency()));
    KosztBrutto->setText(MoneyEditText(F(q, "UFV_KOSZTBRUTTO")->AsCurrency()));
    JednostkaMiary->setText(F(q, "UFV_JEDNMIARY")->AsString());
    Symbol->setText(F(q, "UFV_SYMBOL")->AsString());
    Opis->setText(F(q, "UFV_OPIS")->AsString());
    StawkaVat->clear();
    StawkaVat->addItems(VatRateTexts());
    const QString rate = F(q, "UFV_STAWKAVAT_TXT")->AsString();
    if (StawkaVat->findText(rate) < 0) StawkaVat->addItem(rate);
    StawkaVat->setCurrentIndex(StawkaVat->findText(rate));
    const int gtu = KodGtu->findText(QString::number(F(q, "UFV_GTU")->AsInteger()));
    KodGtu->setCurrentIndex(gtu < 0 ? 0 : gtu);
    const int group = GrupaUslug->findText(QString::number(F(q, "UFV_GRUPAUSLUG")->AsInteger()));
    GrupaUslug->setCurrentIndex(group < 0 ? 0 : group);
    Zawieszona->setChecked(F(q, "UFV_CZYAKTYWNA")->AsInteger() == 0);
    Jednorazowa->setChecked(F(q, "UFV_CZYJEDNORAZOWA")->AsInteger() != 0);
    // A missing date shows today, unticked.
    auto showDate = [](TDateTimePicker* picker, const QDate& d) {
        picker->SetDate(d.isValid() ? d : QDate::currentDate());
        picker->SetChecked(d.isValid());
    };
    showDate(AktywnaOd, F(q, "UFV_DATASTART")->AsDate());
    showDate(AktywnaDo, F(q, "UFV_DATAEND")->AsDate());
    updatePrices();
}

void TFormUserFvDodajPozycje::storeFields()
{
    TQuery* q = m_item.get();
    F(q, "UFV_NAZWAUSLUGI")->SetAsString(Nazwa->text());
    F(q, "UFV_ILOSC")->SetAsCurrency(ParseAmountText(Ilosc->text()));
    F(q, "UFV_RABAT")->SetAsCurrency(ParseAmountText(Rabat->text()));
    F(q, "UFV_CENABRUTTO")->SetAsCurrency(ParseAmountText(CenaBrutto->text()));
    F(q, "UFV_KOSZTBRUTTO")->SetAsCurrency(ParseAmountText(KosztBrutto->text()));
    F(q, "UFV_JEDNMIARY")->SetAsString(JednostkaMiary->text());
    F(q, "UFV_SYMBOL")->SetAsString(Symbol->text());
    F(q, "UFV_OPIS")->SetAsString(Opis->text());
    F(q, "UFV_STAWKAVAT_TXT")->SetAsString(StawkaVat->currentText());
    F(q, "UFV_GTU")->SetAsInteger(KodGtu->currentText().toInt());
    F(q, "UFV_GRUPAUSLUG")->SetAsInteger(GrupaUslug->currentText().toInt());
    F(q, "UFV_CZYAKTYWNA")->SetAsInteger(Zawieszona->isChecked() ? 0 : 1);
    F(q, "UFV_CZYJEDNORAZOWA")->SetAsInteger(Jednorazowa->isChecked() ? 1 : 0);
    // No date is the empty date: the columns take no NULL.
    auto storeDate = [](TField* f, TDateTimePicker* picker) {
        f->SetAsDate(picker->Checked() ? picker->Date() : QDate());
    };
    storeDate(F(q, "UFV_DATASTART"), AktywnaOd);
    storeDate(F(q, "UFV_DATAEND"), AktywnaDo);
}

void TFormUserFvDodajPozycje::updatePrices()
{
    const Amount4 after =
        PriceAfterDiscount(ParseAmountText(CenaBrutto->text()), ParseAmountText(Rabat->text()));
    CenaPoRabacie->setText(MoneyText(after));
    CenaPoKosztach->setText(MoneyText(after - ParseAmountText(KosztBrutto->text())));
}

void TFormUserFvDodajPozycje::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    RunGuarded([this] {
        SetVatRateTexts(QDate::currentDate());
        Uzytkownik->setText(m_user->Active() && !m_user->IsEmpty()
                                ? F(m_user.get(), "vU_NazwiskoImie")->AsString()
                                : QString());
        // One-off items matter only to the automatic invoicing.
        Jednorazowa->setEnabled(m_user->Active() && !m_user->IsEmpty() &&
                                F(m_user.get(), "U_AUTOMATYCZNEFAKTURY")->AsInteger() != 0);
        if (m_item->Active() && (m_item->State() != dsBrowse || !m_item->IsEmpty())) loadFields();
        Nazwa->setFocus();
    });
}

void TFormUserFvDodajPozycje::hideEvent(QHideEvent* e)
{
    // After either button the row takes the dates and the suspension rule;
    // the card posts it on OK and cancels it otherwise.
    if (m_item->State() == dsInsert || m_item->State() == dsEdit)
        RunGuarded([this] {
            storeFields();
            if (TemplateItemSuspended(ParseAmountText(CenaBrutto->text()), ParseAmountText(Ilosc->text())))
                F(m_item.get(), "UFV_CZYAKTYWNA")->SetAsInteger(0);
        });
    TFormEx::hideEvent(e);
}

void TFormUserFvDodajPozycje::Zapisz()
{
    for (QLineEdit* e : {Ilosc, Rabat})
        if (e->text().trimmed().isEmpty()) e->setText(QStringLiteral("0"));
    accept();
}

void TFormUserFvDodajPozycje::pickService()
{
    if (m_item->State() != dsInsert && m_item->State() != dsEdit) return;
    storeFields();
    TFormDodajUslugeZListy* picker = FormDodajUslugeZListy();
    picker->TargetKind = QStringLiteral("S");
    picker->Target = m_item.get();
    picker->TargetUserIndex = userIndex();
    picker->exec();
    loadFields();
}
