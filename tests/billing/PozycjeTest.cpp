// The line dialogs: what they accept on "Zapisz" and what they refuse, typed
// through the real dialog; the discount clamp, the price after the discount
// and the template item's suspension rule.
#include "billing/Pozycje.h"
#include "billing/FvDodajPozycje.h"
#include "billing/PzDodajPozycje.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class PozycjeTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
        TMD::ClearRecorded();
    }
    void TearDown() override
    {
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        BillingTest::TearDown();
    }
    // Typed key by key; letters outside ASCII go as text events.
    static void retype(QLineEdit* e, const QString& text)
    {
        e->clear();
        e->setFocus();
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(e, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    QStringList shown() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }
};

struct LineCase
{
    const char* rule;
    const char* name;
    const char* quantity; // typed: keys outside "0-9," are dropped
    const char* price;
    const char* discount;
    const char* message; // "" = accepted
    const char* storedQuantity;
    const char* storedDiscount;
};

const LineCase kLineCases[] = {
    {"half a unit at 10 is a line", "Abonament", "0,5", "10", "0", "", "0.500", "0.00"},
    {"a credit line passes", "Zwrot", "1", "-20", "0", "", "1.000", "0.00"},
    {"a discount above 99.99 becomes 99.99", "Abonament", "1", "10", "150", "", "1.000", "99.99"},
    {"letters in the quantity are dropped", "Abonament", "2x", "10", "0", "", "2.000", "0.00"},
    {"no name", "", "1", "10", "0", "Proszę uzupełnić pole z nazwą pozycji", "", ""},
    {"name checked before the quantity", "  ", "0", "0", "0", "Proszę uzupełnić pole z nazwą pozycji", "",
     ""},
    {"quantity 0", "Abonament", "0", "10", "0", "Ilość musi być wieksza niż zero", "", ""},
    {"empty quantity", "Abonament", "", "10", "0", "Ilość musi być wieksza niż zero", "", ""},
    {"a minus cannot be typed into the quantity", "Abonament", "-0", "10", "0",
     "Ilość musi być wieksza niż zero", "", ""},
    {"price 0", "Abonament", "1", "0", "0", "Cena musi być różna od zera", "", ""},
    {"quantity checked before the price", "Abonament", "0", "0", "0", "Ilość musi być wieksza niż zero", "",
     ""},
};

} // namespace

TEST_F(PozycjeTest, InvoiceLineDialogChecksInOrder)
{
    const int user = AddUser();
    const int fv = AddDoc('F', user, A("0"), QDate::currentDate(), QStringLiteral("7/5/2025"));
    TQuery lines;
    lines.RequestLive = true;
    lines.SetSQL(QStringLiteral("select * from FvPozycje where FVP_INDEXFAKTURA=:p1"));
    lines.BindArgs({fv});
    lines.Open();
    TQuery header;
    header.SetSQL(QStringLiteral("select * from Fv where FV_INDEX=:p1"));
    header.BindArgs({fv});
    header.Open();

    TFormFvDodajPozycje dlg;
    dlg.Lines = &lines;
    dlg.Header = &header;
    for (const LineCase& c : kLineCases) {
        SCOPED_TRACE(c.rule);
        TMD::ClearRecorded();
        lines.Append();
        lines.FieldByName(QStringLiteral("FVP_INDEXFAKTURA"))->SetAsInteger(fv);
        lines.FieldByName(QStringLiteral("FVP_STAWKAVAT_TXT"))->SetAsString(QStringLiteral("23%"));
        bool openAfterSave = false;
        QTimer::singleShot(0, &dlg, [&] {
            retype(dlg.Nazwa, QString::fromUtf8(c.name));
            retype(dlg.Ilosc, QString::fromUtf8(c.quantity));
            retype(dlg.CenaBrutto, QString::fromUtf8(c.price));
            retype(dlg.Rabat, QString::fromUtf8(c.discount));
            QTest::mouseClick(dlg.ZapiszBtn, Qt::LeftButton);
            openAfterSave = dlg.isVisible();
            if (openAfterSave) QTest::mouseClick(dlg.AnulujBtn, Qt::LeftButton);
        });
        const int result = dlg.exec();
        EXPECT_EQ(dlg.NumerDokumentu->text(), QStringLiteral("7/5/2025"));
        if (*c.message) {
            EXPECT_TRUE(openAfterSave);
            EXPECT_EQ(result, int(QDialog::Rejected));
            ASSERT_EQ(shown(), QStringList{QString::fromUtf8(c.message)});
            EXPECT_EQ(TMD::Recorded().first().kind, mtError);
            lines.Cancel();
            continue;
        }
        EXPECT_FALSE(openAfterSave);
        EXPECT_EQ(result, int(QDialog::Accepted));
        EXPECT_TRUE(shown().isEmpty()) << shown().join(QLatin1Char('|')).toStdString();
        lines.Post();
        const int id = lines.FieldByName(QStringLiteral("FVP_INDEX"))->AsInteger();
        EXPECT_EQ(
            Text(QStringLiteral("select cast(FVP_ILOSC as char) from FvPozycje where FVP_INDEX=:p1"), {id}),
            QString::fromLatin1(c.storedQuantity));
        EXPECT_EQ(
            Text(QStringLiteral("select cast(FVP_RABAT as char) from FvPozycje where FVP_INDEX=:p1"), {id}),
            QString::fromLatin1(c.storedDiscount));
        EXPECT_EQ(Text(QStringLiteral("select FVP_STAWKAVAT_TXT from FvPozycje where FVP_INDEX=:p1"), {id}),
                  QStringLiteral("23%"));
    }
}

TEST_F(PozycjeTest, CancelChecksNothingAndEscapeCancels)
{
    const int user = AddUser();
    const int pz = AddDoc('P', user, A("0"), QDate::currentDate());
    S()->ExecQuery(QStringLiteral("update Pz set PZ_NUMER=12 where PZ_INDEX=:p1"), {pz});
    TQuery lines;
    lines.RequestLive = true;
    lines.SetSQL(QStringLiteral("select * from PzPozycje where PZP_INDEXPZ=:p1"));
    lines.BindArgs({pz});
    lines.Open();
    TQuery header;
    header.SetSQL(QStringLiteral("select * from Pz where PZ_INDEX=:p1"));
    header.BindArgs({pz});
    header.Open();
    lines.Append();

    TFormPzDodajPozycje dlg;
    dlg.Lines = &lines;
    dlg.Header = &header;
    EXPECT_EQ(dlg.StawkaVat, nullptr); // a payment demand has no rate and no GTU
    EXPECT_EQ(dlg.KodGtu, nullptr);
    QTimer::singleShot(0, &dlg, [&] {
        retype(dlg.Ilosc, QStringLiteral("0"));
        QTest::mouseClick(dlg.AnulujBtn, Qt::LeftButton);
    });
    EXPECT_EQ(dlg.exec(), int(QDialog::Rejected));
    EXPECT_EQ(dlg.NumerDokumentu->text(), QStringLiteral("12"));
    QTimer::singleShot(0, &dlg, [&] { QTest::keyClick(&dlg, Qt::Key_Escape); });
    EXPECT_EQ(dlg.exec(), int(QDialog::Rejected));
    EXPECT_TRUE(TMD::Recorded().isEmpty());
}

TEST_F(PozycjeTest, PriceAfterDiscountFollowsTyping)
{
    const int user = AddUser();
    const int fv = AddDoc('F', user, A("0"), QDate::currentDate());
    TQuery lines;
    lines.RequestLive = true;
    lines.SetSQL(QStringLiteral("select * from FvPozycje where FVP_INDEXFAKTURA=:p1"));
    lines.BindArgs({fv});
    lines.Open();
    lines.Append();
    TFormFvDodajPozycje dlg;
    dlg.Lines = &lines;
    QString label;
    QTimer::singleShot(0, &dlg, [&] {
        retype(dlg.CenaBrutto, QStringLiteral("2500"));
        retype(dlg.Rabat, QStringLiteral("10"));
        label = dlg.CenaPoRabacie->text();
        // Enter in the discount moves on instead of closing the dialog.
        QTest::keyClick(dlg.Rabat, Qt::Key_Return);
        QTest::mouseClick(dlg.AnulujBtn, Qt::LeftButton);
    });
    dlg.exec();
    EXPECT_EQ(label, QStringLiteral("2 250,00 zł"));
}

TEST(PozycjeRules, DiscountClampPriceTextsAndSuspension)
{
    struct
    {
        const char* typed;
        const char* left;
    } clamps[] = {{"150", "99,99"}, {"99,99", "99,99"}, {"99,991", "99,99"}, {"12,5", "12,5"}, {"", ""}};
    for (const auto& c : clamps)
        EXPECT_EQ(ClampDiscountText(QString::fromUtf8(c.typed)), QString::fromUtf8(c.left)) << c.typed;

    struct
    {
        const char* price;
        const char* discount;
        const char* text;
    } prices[] = {{"10", "0", "10,00 zł"},     {"1234567,8", "0", "1 234 567,80 zł"},
                  {"-20", "0", "-20,00 zł"},   {"9,99", "50", "5,00 zł"},
                  {"100", "99,99", "0,01 zł"}, {"0,005", "0", "0,01 zł"}};
    for (const auto& p : prices)
        EXPECT_EQ(MoneyText(PriceAfterDiscount(A(p.price), A(p.discount))), QString::fromUtf8(p.text))
            << p.price;

    struct
    {
        const char* price;
        const char* quantity;
        bool suspended;
    } items[] = {{"0", "1", true},     {"10", "0,4", true},  {"10", "0,5", true},
                 {"10", "0,6", false}, {"10", "1,5", false}, {"-5", "1", false}};
    for (const auto& i : items)
        EXPECT_EQ(TemplateItemSuspended(A(i.price), ParseAmountText(QString::fromLatin1(i.quantity))),
                  i.suspended)
            << i.price << " x " << i.quantity;
}
