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
    const QFont bold = HeadingFont(font());
    Uzytkownik = new QLabel(this);
    Uzytkownik->setFont(bold);
    makeLineFields(this, 460, true, bold);
    AktywnaOd = new TDateTimePicker(this);
    AktywnaOd->SetShowCheckbox(true);
    AktywnaDo = new TDateTimePicker(this);
    AktywnaDo->SetShowCheckbox(true);
    Zawieszona = new QCheckBox(QStringLiteral("Zawieszona"), this);
    Jednorazowa = new QCheckBox(QStringLiteral("Jednorazowa"), this);
    Opis = new QLineEdit(this);
    Opis->setMaxLength(255);
    GrupaUslug = new QComboBox(this);
    GrupaUslug->addItems(ServiceGroupTexts());
    KosztBrutto = new QLineEdit(this);
    KosztBrutto->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    CenaPoKosztach = new QLabel(this);
    CenaPoKosztach->setFont(bold);
    CenaPoKosztach->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    using M = TFieldKeyFilter::Mode;
    new TFieldKeyFilter(Opis, M::EnterMovesOn);
    for (QLineEdit* e : {Ilosc, CenaBrutto, Rabat, KosztBrutto})
        new TFieldKeyFilter(e, M::Signed);
    new TFieldKeyFilter(GrupaUslug, M::NoKeys);

    auto* grid = new QGridLayout;
    auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
    int row = layOutLineFields(this, grid);
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

    auto* prices = new QGridLayout;
    prices->setColumnStretch(0, 1);
    prices->addWidget(label("Cena brutto po rabacie:"), 0, 1);
    prices->addWidget(CenaPoRabacie, 0, 2);
    prices->addWidget(label("Cena brutto pomniejszona o koszty:"), 1, 1);
    prices->addWidget(CenaPoKosztach, 1, 2);

    auto* head = new QHBoxLayout;
    head->addWidget(label("Użytkownik"));
    head->addWidget(Uzytkownik, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addSpacing(6);
    layout->addLayout(grid);
    layout->addLayout(prices);
    layout->addSpacing(6);
    layout->addLayout(saveCancelRow());

    for (QLineEdit* e : {CenaBrutto, Rabat, KosztBrutto})
        connect(e, &QLineEdit::textChanged, this, [this] { updatePrices(); });
    connect(Rabat, &QLineEdit::editingFinished, this, [this] { clampDiscount(); });
    connect(ZListyBtn, &QToolButton::clicked, this, [this] { RunGuarded([this] { pickService(); }); });
    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Zapisz(); }); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] { reject(); });
}

void TFormUserFvDodajPozycje::loadFields()
{
    TQuery* q = m_item.get();
    loadLineFields(q, QStringLiteral("UFV_"));
    KosztBrutto->setText(MoneyEditText(F(q, "UFV_KOSZTBRUTTO")->AsCurrency()));
    Opis->setText(F(q, "UFV_OPIS")->AsString());
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
    storeLineFields(q, QStringLiteral("UFV_"));
    F(q, "UFV_KOSZTBRUTTO")->SetAsCurrency(ParseAmountText(KosztBrutto->text()));
    F(q, "UFV_OPIS")->SetAsString(Opis->text());
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
    const Amount4 after = priceAfterDiscount();
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
