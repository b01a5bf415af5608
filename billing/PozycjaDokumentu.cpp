#include "billing/PozycjaDokumentu.h"

#include "billing/DodajUslugeZListy.h"
#include "billing/Pozycje.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/VatRates.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

TFieldKeyFilter::TFieldKeyFilter(QWidget* field, Mode mode) : QObject(field), m_mode(mode)
{
    field->installEventFilter(this);
}

bool TFieldKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    auto* w = qobject_cast<QWidget*>(watched);
    const int k = key->key();
    if (k == Qt::Key_Tab || k == Qt::Key_Backtab) return false;
    if (m_mode == Mode::NoKeys) return true;
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        if (m_passing) return false;
        if (w) {
            // A line edit finishes its editing on Enter first, then Tab's move to the next field.
            if (qobject_cast<QLineEdit*>(w)) {
                m_passing = true;
                QKeyEvent enter(QEvent::KeyPress, k, key->modifiers(), key->text());
                QCoreApplication::sendEvent(w, &enter);
                m_passing = false;
            }
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QCoreApplication::sendEvent(w, &tab);
        }
        return true;
    }
    if (m_mode == Mode::EnterMovesOn) return false;
    const QString text = key->text();
    // Keys without a printable character (arrows, backspace, Escape) keep their meaning.
    if (text.isEmpty() || !text.at(0).isPrint()) return false;
    if (m_mode == Mode::NoTyping) return true;
    const QChar c = text.at(0);
    const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const bool allowed = text.size() == 1 && (digit || (m_mode != Mode::Digits && c == QLatin1Char(',')) ||
                                              (m_mode == Mode::Signed && c == QLatin1Char('-')));
    if (allowed) return false;
    BeepAsync();
    return true;
}

TFormPozycjaDokumentu::TFormPozycjaDokumentu(const QString& prefix, char pickerKind, bool withRateAndGtu,
                                             QWidget* parent)
    : TFormEx(parent), m_prefix(prefix), m_pickerKind(pickerKind)
{
    buildUi(withRateAndGtu);
}

QFont HeadingFont(QFont base)
{
    base.setBold(true);
    base.setPointSizeF(base.pointSizeF() * 1.15);
    return base;
}

void TServiceLineFields::makeLineFields(QWidget* owner, int nameWidth, bool withRateAndGtu, const QFont& bold)
{
    Nazwa = new QLineEdit(owner);
    Nazwa->setMaxLength(255);
    Nazwa->setMinimumWidth(nameWidth);
    ZListyBtn = new QToolButton(owner);
    ZListyBtn->setText(QStringLiteral("..."));
    ZListyBtn->setToolTip(QStringLiteral("Dodaj usługę z listy"));
    Ilosc = new QLineEdit(owner);
    Rabat = new QLineEdit(owner);
    CenaBrutto = new QLineEdit(owner);
    JednostkaMiary = new QLineEdit(owner);
    JednostkaMiary->setMaxLength(30);
    Symbol = new QLineEdit(owner);
    Symbol->setMaxLength(30);
    for (QLineEdit* e : {Ilosc, Rabat, CenaBrutto})
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    CenaPoRabacie = new QLabel(owner);
    CenaPoRabacie->setFont(bold);
    CenaPoRabacie->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (withRateAndGtu) {
        StawkaVat = new QComboBox(owner);
        KodGtu = new QComboBox(owner);
        KodGtu->addItems(GtuCodeTexts());
        new TFieldKeyFilter(StawkaVat, TFieldKeyFilter::Mode::NoTyping);
        new TFieldKeyFilter(KodGtu, TFieldKeyFilter::Mode::NoTyping);
    }
    for (QLineEdit* e : {Nazwa, JednostkaMiary, Symbol})
        new TFieldKeyFilter(e, TFieldKeyFilter::Mode::EnterMovesOn);
    ZapiszBtn = new QPushButton(QStringLiteral("Zapisz"), owner);
    AnulujBtn = new QPushButton(QStringLiteral("Anuluj"), owner);
    for (QPushButton* b : {ZapiszBtn, AnulujBtn}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(100);
    }
}

int TServiceLineFields::layOutLineFields(QWidget* owner, QGridLayout* grid) const
{
    auto label = [owner](const char* text) { return new QLabel(QString::fromUtf8(text), owner); };
    grid->setHorizontalSpacing(10);
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
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return row;
}

QHBoxLayout* TServiceLineFields::saveCancelRow() const
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ZapiszBtn);
    buttons->addWidget(AnulujBtn);
    return buttons;
}

void TServiceLineFields::loadLineFields(TQuery* q, const QString& prefix)
{
    auto f = [&](const char* name) { return q->FieldByName(prefix + QString::fromLatin1(name)); };
    Nazwa->setText(f("NAZWAUSLUGI")->AsString());
    Ilosc->setText(AmountEditText(f("ILOSC")->AsCurrency(), 3));
    Rabat->setText(AmountEditText(f("RABAT")->AsCurrency(), 2));
    CenaBrutto->setText(MoneyEditText(f("CENABRUTTO")->AsCurrency()));
    JednostkaMiary->setText(f("JEDNMIARY")->AsString());
    Symbol->setText(f("SYMBOL")->AsString());
    if (StawkaVat) {
        // A catalogue label outside the six groups stays as it is.
        StawkaVat->clear();
        StawkaVat->addItems(VatRateTexts());
        const QString rate = f("STAWKAVAT_TXT")->AsString();
        if (StawkaVat->findText(rate) < 0) StawkaVat->addItem(rate);
        StawkaVat->setCurrentIndex(StawkaVat->findText(rate));
    }
    if (KodGtu) {
        const int i = KodGtu->findText(QString::number(f("GTU")->AsInteger()));
        KodGtu->setCurrentIndex(i < 0 ? 0 : i);
    }
}

void TServiceLineFields::storeLineFields(TQuery* q, const QString& prefix) const
{
    auto f = [&](const char* name) { return q->FieldByName(prefix + QString::fromLatin1(name)); };
    f("NAZWAUSLUGI")->SetAsString(Nazwa->text());
    f("ILOSC")->SetAsCurrency(ParseAmountText(Ilosc->text()));
    f("RABAT")->SetAsCurrency(ParseAmountText(Rabat->text()));
    f("CENABRUTTO")->SetAsCurrency(ParseAmountText(CenaBrutto->text()));
    f("JEDNMIARY")->SetAsString(JednostkaMiary->text());
    f("SYMBOL")->SetAsString(Symbol->text());
    if (StawkaVat) f("STAWKAVAT_TXT")->SetAsString(StawkaVat->currentText());
    if (KodGtu) f("GTU")->SetAsInteger(KodGtu->currentText().toInt());
}

Amount4 TServiceLineFields::priceAfterDiscount() const
{
    return PriceAfterDiscount(ParseAmountText(CenaBrutto->text()), ParseAmountText(Rabat->text()));
}

void TServiceLineFields::clampDiscount()
{
    const QString clamped = ClampDiscountText(Rabat->text());
    if (clamped != Rabat->text()) Rabat->setText(clamped);
}

void TFormPozycjaDokumentu::buildUi(bool withRateAndGtu)
{
    const QFont bold = HeadingFont(font());
    Naglowek = new QLabel(QStringLiteral("Pozycja faktury"), this);
    Naglowek->setFont(bold);
    NumerDokumentu = new QLabel(this);
    NumerDokumentu->setFont(bold);
    makeLineFields(this, 420, withRateAndGtu, bold);
    new TFieldKeyFilter(CenaBrutto, TFieldKeyFilter::Mode::EnterMovesOn);
    new TFieldKeyFilter(Ilosc, TFieldKeyFilter::Mode::Unsigned);
    new TFieldKeyFilter(Rabat, TFieldKeyFilter::Mode::Unsigned);

    auto* grid = new QGridLayout;
    int row = layOutLineFields(this, grid) + 1;
    if (withRateAndGtu) {
        grid->addWidget(new QLabel(QStringLiteral("Stawka VAT"), this), row - 1, 2);
        grid->addWidget(StawkaVat, row - 1, 3);
        grid->addWidget(new QLabel(QStringLiteral("Kod GTU"), this), row, 2);
        grid->addWidget(KodGtu, row, 3);
    }

    auto* after = new QHBoxLayout;
    after->addStretch();
    after->addWidget(new QLabel(QStringLiteral("Cena brutto po rabacie:"), this));
    after->addWidget(CenaPoRabacie);

    auto* head = new QHBoxLayout;
    head->addWidget(Naglowek);
    head->addWidget(NumerDokumentu);
    head->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addSpacing(6);
    layout->addLayout(grid);
    layout->addLayout(after);
    layout->addSpacing(6);
    layout->addLayout(saveCancelRow());

    setTabOrder(Nazwa, Ilosc);
    if (withRateAndGtu) {
        setTabOrder(Ilosc, StawkaVat);
        setTabOrder(StawkaVat, Rabat);
    } else {
        setTabOrder(Ilosc, Rabat);
    }
    setTabOrder(Rabat, CenaBrutto);
    setTabOrder(CenaBrutto, JednostkaMiary);
    setTabOrder(JednostkaMiary, Symbol);
    if (withRateAndGtu) setTabOrder(Symbol, KodGtu);

    for (QLineEdit* e : {CenaBrutto, Rabat})
        connect(e, &QLineEdit::textChanged, this,
                [this] { CenaPoRabacie->setText(MoneyText(priceAfterDiscount())); });
    connect(Rabat, &QLineEdit::editingFinished, this, [this] { clampDiscount(); });
    connect(ZListyBtn, &QToolButton::clicked, this, [this] { RunGuarded([this] { pickService(); }); });
    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Zapisz(); }); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] { reject(); });
}

void TFormPozycjaDokumentu::loadFields()
{
    loadLineFields(Lines, m_prefix);
    CenaPoRabacie->setText(MoneyText(priceAfterDiscount()));
}

void TFormPozycjaDokumentu::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    m_okPressed = false;
    RunGuarded([this] {
        NumerDokumentu->setText(documentNumberText());
        if (Lines) loadFields();
        Nazwa->setFocus();
        Nazwa->selectAll();
    });
}

void TFormPozycjaDokumentu::pickService()
{
    if (!Lines) return;
    storeLineFields(Lines, m_prefix); // what was typed so far stays where the picker leaves it
    TFormDodajUslugeZListy* picker = FormDodajUslugeZListy();
    picker->TargetKind = QString(QLatin1Char(m_pickerKind));
    picker->Target = Lines;
    picker->TargetUserIndex = 0;
    picker->exec();
    loadFields();
}

void TFormPozycjaDokumentu::Zapisz()
{
    m_okPressed = true;
    done(Accepted);
}

void TFormPozycjaDokumentu::done(int r)
{
    if (r == Accepted && m_okPressed) {
        clampDiscount();
        const QString refused =
            CheckLineInput({Nazwa->text(), Ilosc->text(), CenaBrutto->text(), Rabat->text()});
        if (!refused.isEmpty()) {
            TMD::MessageDlg(refused, mtError, mbOK);
            m_okPressed = false;
            return;
        }
        if (Lines) storeLineFields(Lines, m_prefix);
    } else if (r == Accepted) {
        return; // only "Zapisz" closes with OK
    }
    m_okPressed = false;
    TFormEx::done(r);
}
