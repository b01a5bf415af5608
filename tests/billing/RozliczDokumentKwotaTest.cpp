// "Rozlicz dokument" driven as the operator drives it: what it shows of the
// document, what it returns and the three refusals (their texts with the
// blanks around them).
#include "billing/RozliczDokumentKwota.h"
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "tests/billing/BillingFixture.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString kInvalid = QStringLiteral("   Podana kwota nie jest prawidłowa   ");
const QString kNegative = QStringLiteral("   Kwota nie może być ujemna   ");
const QString kTooHigh =
    QStringLiteral("   Podana kwota jest wieksza niż maksymalna kwota rozliczenia dokumentu.   ");

class RozliczDokumentKwotaTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
        TMD::ClearRecorded();
        dlg = FormRozliczDokumentKwota();
    }
    void TearDown() override
    {
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        BillingTest::TearDown();
    }

    struct Seen
    {
        QString header, amount, form;
        QDate minDate, maxDate, date;
    };
    // Shows the dialog on the document, types `typed` (unless null) and presses "Zapisz".
    Seen run(const QString& kind, int index, const QString& typed)
    {
        dlg->DocKind = kind;
        dlg->DocIndex = index;
        Seen seen;
        QTimer::singleShot(0, dlg, [&] {
            seen.header = dlg->Naglowek->text();
            seen.amount = dlg->Kwota->text();
            seen.form = dlg->FormaPlatnosci->currentText();
            seen.minDate = dlg->DataRozliczenia->DateEdit()->minimumDate();
            seen.maxDate = dlg->DataRozliczenia->DateEdit()->maximumDate();
            seen.date = dlg->DataRozliczenia->Date();
            const QString dir = TestOutputDir(QStringLiteral("billing"));
            QDir().mkpath(dir);
            dlg->grab().save(QDir(dir).filePath(QStringLiteral("rozlicz_dokument_kwota.png")));
            if (!typed.isNull()) {
                dlg->Kwota->selectAll();
                QTest::keyClick(dlg->Kwota, Qt::Key_Backspace);
                QTest::keyClicks(dlg->Kwota, typed);
            }
            QTest::mouseClick(dlg->ZapiszBtn, Qt::LeftButton);
        });
        EXPECT_EQ(dlg->exec(), QDialog::Accepted);
        return seen;
    }
    QStringList shown() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }

    TFormRozliczDokumentKwota* dlg = nullptr;
};

} // namespace

TEST_F(RozliczDokumentKwotaTest, InvoiceShowsItsOpenAmountDatesAndFormAndReturnsWhatIsAccepted)
{
    const int u = AddUser();
    const QDate issue = QDate::currentDate().addDays(-10);
    const int fv = AddDoc('F', u, A("150"), issue.addDays(14), QStringLiteral("FV/3/2026"), issue);
    S()->ExecQuery(QStringLiteral("update Fv set FV_FORMAPLATNOSCI='karta klubowa' where FV_INDEX=:p1"),
                   {fv});
    const Seen seen = run(QStringLiteral("F"), fv, QString());
    EXPECT_EQ(seen.header, QStringLiteral("Faktura FV/3/2026"));
    EXPECT_EQ(seen.amount, QStringLiteral("150,00"));
    // A form the list does not hold is kept.
    EXPECT_EQ(seen.form, QStringLiteral("karta klubowa"));
    EXPECT_EQ(seen.minDate, issue);
    EXPECT_EQ(seen.maxDate, QDate::currentDate());
    EXPECT_EQ(seen.date, QDate::currentDate());
    EXPECT_EQ(dlg->Amount, A("150"));
    EXPECT_EQ(dlg->SettleDate, QDate::currentDate().toString(Qt::ISODate));
    EXPECT_EQ(dlg->PaymentForm, QStringLiteral("karta klubowa"));
    EXPECT_TRUE(shown().isEmpty()) << shown().join(QLatin1Char('|')).toStdString();
}

TEST_F(RozliczDokumentKwotaTest, HeaderNamesEachKindOfDocument)
{
    const int u = AddUser();
    const struct
    {
        char kind;
        const char* header;
    } cases[] = {{'K', "Faktura korygująca K/1"}, {'P', "Polecenie zapłaty K/1"}};
    for (const auto& c : cases) {
        const int index = AddDoc(c.kind, u, A("10"), QDate::currentDate(), QStringLiteral("K/1"));
        EXPECT_EQ(run(QString(QLatin1Char(c.kind)), index, QString()).header, QString::fromUtf8(c.header));
        EXPECT_EQ(dlg->Amount, A("10"));
    }
}

TEST_F(RozliczDokumentKwotaTest, TypedAmountsAndTheirRefusals)
{
    const int u = AddUser();
    const int fv = AddDoc('F', u, A("150"), QDate::currentDate());
    const int fvk = AddDoc('K', u, A("-40"), QDate::currentDate());
    const struct
    {
        const char* rule;
        char kind;
        const char* typed;
        const char* amount;
        QStringList messages;
    } cases[] = {
        {"part of the open amount", 'F', "99,5", "99.5", {}},
        {"above the open amount", 'F', "200", "0", {kTooHigh}},
        {"nothing", 'F', "0", "0", {}},
        {"empty field", 'F', "", "0", {kInvalid}},
        {"a lone comma", 'F', ",", "0", {kInvalid}},
        {"negative open amount, any amount", 'K', "10", "0", {kNegative, kTooHigh}},
        {"negative open amount, its own amount", 'K', "40", "0", {kNegative, kTooHigh}},
    };
    for (const auto& c : cases) {
        TMD::ClearRecorded();
        run(QString(QLatin1Char(c.kind)), c.kind == 'F' ? fv : fvk, QString::fromLatin1(c.typed));
        EXPECT_EQ(dlg->Amount, A(c.amount)) << c.rule;
        EXPECT_EQ(shown(), c.messages) << c.rule;
        for (const TMD::Shown& s : TMD::Recorded())
            EXPECT_EQ(s.kind, mtError) << c.rule;
    }
}

TEST_F(RozliczDokumentKwotaTest, AmountFieldTakesOnlyDigitsAndComma)
{
    const int u = AddUser();
    const int fv = AddDoc('F', u, A("150"), QDate::currentDate());
    run(QStringLiteral("F"), fv, QStringLiteral("1a2-,5x"));
    EXPECT_EQ(dlg->Amount, A("12.5"));
}
