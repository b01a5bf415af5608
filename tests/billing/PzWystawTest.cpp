// The payment demand editor driven as an operator drives it: IssueNewPz opens
// it on a new numbered row inside one transaction; lines are gross-only;
// "Zapisz" settles, logs and commits; "Anuluj" leaves nothing behind.
#include "billing/PzWystaw.h"
#include "billing/FvWystaw.h"
#include "billing/Numeracja.h"
#include "billing/PzDodajPozycje.h"
#include "billing/PzWystawDane.h"
#include "core/DataModule.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"
#include "tests/support/WindowKeys.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

class PzWystawTest : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        if (HasFatalFailure()) return;
        m_data = std::make_unique<TData>();
        Data = m_data.get();
        S()->ExecQuery(
            QStringLiteral("update Operator set OP_IMIE='Anna', OP_NAZWISKO='Nowak' where OP_INDEX=1"));
        TMD::SetTestHook(
            [this](const TMD::Shown&) { return answers.isEmpty() ? mrOk : answers.takeFirst(); });
        TMD::ClearRecorded();
        ed = FormPzWystaw();
    }
    void TearDown() override
    {
        m_data.reset();
        Data = nullptr;
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        BillingTest::TearDown();
    }

    // A subscriber with an address and, when days >= 0, an own term and form.
    int addSubscriber(int days = -1, const QString& form = QString())
    {
        const int u = AddUser();
        S()->ExecQuery(
            QStringLiteral("update Userdb set U_ADR_ULICA='Polna', U_ADR_NRDOMU='5', U_ADR_NRLOKALU='2', "
                           "U_ADR_KOD='00-950', U_ADR_POCZTA='Warszawa', U_ADR_MIEJSCOWOSC='Wola', "
                           "U_NIP='5260250274', U_CZYINDYWTERMINPLATNOSCI=:p1, "
                           "U_INDYWTERMINPLATNOSCI=:p2, U_INDYWTERMINPLATNOSCIFORMA=:p3 where U_INDEX=:p4"),
            {days >= 0 ? 1 : 0, days >= 0 ? days : 0, form, u});
        return u;
    }
    void addLine(const QString& name, const QString& quantity, const QString& price, const QString& discount)
    {
        TFormPzDodajPozycje* dlg = ed->LineDialog();
        QTimer::singleShot(0, dlg, [=] {
            RetypeField(dlg->Nazwa, name);
            RetypeField(dlg->Ilosc, quantity);
            RetypeField(dlg->CenaBrutto, price);
            RetypeField(dlg->Rabat, discount);
            QTest::mouseClick(dlg->ZapiszBtn, Qt::LeftButton);
            if (dlg->isVisible()) QTest::mouseClick(dlg->AnulujBtn, Qt::LeftButton);
        });
        QTest::mouseClick(ed->DodajBtn, Qt::LeftButton);
    }
    int issue(int user, const std::function<void()>& steps)
    {
        bool ran = false;
        QTimer::singleShot(0, ed, [this, steps, &ran] {
            ran = true;
            steps();
            if (ed->isVisible()) QTest::mouseClick(ed->AnulujBtn, Qt::LeftButton);
        });
        const int pz = IssueNewPz(user);
        EXPECT_TRUE(ran);
        EXPECT_FALSE(S()->InTransaction());
        return pz;
    }
    QString pz(const char* column, int index)
    {
        return Text(
            QStringLiteral("select cast(%1 as char) from Pz where PZ_INDEX=:p1").arg(QLatin1String(column)),
            {index});
    }
    QStringList shown() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }

    std::unique_ptr<TData> m_data;
    TFormPzWystaw* ed = nullptr;
    QList<int> answers;
};

} // namespace

TEST_F(PzWystawTest, DiscountedLineGivesGrossValueDiscountAndSum)
{
    const int u = addSubscriber(14, QStringLiteral("przelew"));
    QString caption, sum, left;
    const int index = issue(u, [&] {
        caption = ed->windowTitle();
        addLine(QStringLiteral("Internet"), QStringLiteral("2"), QStringLiteral("12,50"),
                QStringLiteral("10"));
        sum = ed->SumaBrutto->text();
        const QString dir = TestOutputDir(QStringLiteral("billing"));
        QDir().mkpath(dir);
        EXPECT_TRUE(ed->grab().save(QDir(dir).filePath(QStringLiteral("pz_wystaw.png"))));
        left = ed->PozostaloDoZaplaty->text();
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(index, 0);
    EXPECT_EQ(caption, QStringLiteral("Wystawianie nowego polecenia zapłaty"));
    EXPECT_EQ(sum, QStringLiteral("22,50 zł"));
    EXPECT_EQ(left, QStringLiteral("22,50 zł"));
    EXPECT_EQ(
        Text(QStringLiteral("select concat(PZP_WARTOSCBRUTTO, '/', PZP_RABATKWOTA) from PzPozycje where "
                            "PZP_INDEXPZ=:p1"),
             {index}),
        QStringLiteral("22.50/2.50"));
    EXPECT_EQ(pz("PZ_SUMABRUTTO", index), QStringLiteral("22.50"));
    EXPECT_EQ(pz("PZ_RABATSUMA", index), QStringLiteral("2.50"));
    EXPECT_EQ(pz("PZ_KWOTAWPLACONA", index), QStringLiteral("0.00"));
    EXPECT_EQ(pz("PZ_NUMERTXT", index), DocumentNumberText('P', 1, 1, QDate::currentDate()));
    EXPECT_EQ(pz("PZ_WYSTAWIL", index), QStringLiteral("Anna Nowak"));
    EXPECT_EQ(pz("PZ_DATAPLATNOSCI", index), QDate::currentDate().addDays(14).toString(Qt::ISODate));
    // The buyer's town is his post office; no tax number is carried.
    EXPECT_EQ(pz("PZ_ADR_MIEJSCOWOSC", index), QStringLiteral("Warszawa"));
    EXPECT_EQ(pz("PZ_ADR_NRLOKALU", index), QStringLiteral("2"));
    EXPECT_TRUE(shown().isEmpty()) << shown().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Money(QStringLiteral("select U_SALDO from Userdb where U_INDEX=:p1"), {u}), A("-22.5"));
    const QString log = Text(QStringLiteral("select LOG_OPIS from Log order by LOG_INDEX desc limit 1"));
    EXPECT_TRUE(log.contains(QStringLiteral("Wystawienie polecenia zapłaty ID=%1").arg(index)))
        << log.toStdString();
}

TEST_F(PzWystawTest, OwnPaymentFormOutsideTheListIsKept)
{
    const int u = addSubscriber(7, QStringLiteral("karta klubowa"));
    QString shownForm;
    const int index = issue(u, [&] {
        shownForm = ed->FormaPlatnosci->currentText();
        addLine(QStringLiteral("Abonament"), QStringLiteral("1"), QStringLiteral("50"), QStringLiteral("0"));
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(index, 0);
    EXPECT_EQ(shownForm, QStringLiteral("karta klubowa"));
    EXPECT_EQ(pz("PZ_FORMAPLATNOSCI", index), QStringLiteral("karta klubowa"));
}

TEST_F(PzWystawTest, CashDueOnIssueIsPaidAndAZeroDemandIsSavedWithANotice)
{
    const int u = addSubscriber(); // the settings' "gotówka", 0 days
    const int cash = issue(u, [&] {
        addLine(QStringLiteral("Instalacja"), QStringLiteral("1"), QStringLiteral("40"), QStringLiteral("0"));
        addLine(QStringLiteral("Kabel"), QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("0"));
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(cash, 0);
    EXPECT_EQ(pz("PZ_KWOTAWPLACONA", cash), QStringLiteral("55.00"));
    EXPECT_EQ(pz("PZ_KWOTADOZAPLATY", cash), QStringLiteral("0.00"));
    EXPECT_TRUE(shown().isEmpty());

    const int zero = issue(u, [&] { QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton); });
    ASSERT_GT(zero, 0);
    EXPECT_EQ(shown(),
              QStringList{QStringLiteral("Zatwierdzasz dokument z zerową wartoscią. Proszę pamiętać o jego "
                                         "późniejszej edycji.")});
    EXPECT_EQ(pz("PZ_NUMER", zero), QStringLiteral("2"));
}

TEST_F(PzWystawTest, TemplateItemEndingOnTheEmptyDateGoesIntoAnInvoiceButNotADemand)
{
    const int u = addSubscriber(14, QStringLiteral("przelew"));
    const char* const ends[] = {"2099-12-31", "0000-00-00"};
    for (const char* end : ends)
        S()->ExecQuery(
            QStringLiteral("insert into UserFvPozycje (UFV_INDEXUSER, UFV_NAZWAUSLUGI, UFV_ILOSC, "
                           "UFV_JEDNMIARY, UFV_SYMBOL, UFV_RABAT, UFV_CENABRUTTO, UFV_STAWKAVAT_TXT, "
                           "UFV_CZYAKTYWNA, UFV_DATASTART, UFV_DATAEND) values (:p1, :p2, 1, 'szt.', '', "
                           "0, 30, '23%', 1, '2000-01-01', :p3)"),
            {u, end[0] == '0' ? QStringLiteral("Do pustej daty") : QStringLiteral("Bez końca"),
             QString::fromLatin1(end)});
    const int demand = issue(u, [&] {
        QTest::mouseClick(ed->ZSzablonuBtn, Qt::LeftButton);
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(demand, 0);
    EXPECT_EQ(
        Text(QStringLiteral("select group_concat(PZP_NAZWAUSLUGI) from PzPozycje where PZP_INDEXPZ=:p1"),
             {demand}),
        QStringLiteral("Bez końca"));
    EXPECT_EQ(pz("PZ_SUMABRUTTO", demand), QStringLiteral("30.00"));

    TFormFvWystaw* fvEd = FormFvWystaw();
    QTimer::singleShot(0, fvEd, [fvEd] {
        QTest::mouseClick(fvEd->ZSzablonuBtn, Qt::LeftButton);
        QTest::mouseClick(fvEd->ZapiszBtn, Qt::LeftButton);
    });
    const int invoice = IssueNewFv(u);
    ASSERT_GT(invoice, 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvPozycje where FVP_INDEXFAKTURA=:p1"), {invoice}), 2);
}

TEST_F(PzWystawTest, CancelLeavesNoRowAndTheNumberIsTakenAgain)
{
    const int u = addSubscriber(14, QStringLiteral("przelew"));
    int numberWhileOpen = 0;
    const int cancelled = issue(u, [&] {
        addLine(QStringLiteral("Abonament"), QStringLiteral("1"), QStringLiteral("60"), QStringLiteral("0"));
        numberWhileOpen = ed->Numer->text().toInt();
        QTest::mouseClick(ed->AnulujBtn, Qt::LeftButton);
    });
    EXPECT_EQ(cancelled, 0);
    EXPECT_EQ(numberWhileOpen, 1);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Pz")), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PzPozycje")), 0);
    const int index = issue(u, [&] { QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton); });
    ASSERT_GT(index, 0);
    EXPECT_EQ(pz("PZ_NUMER", index), QStringLiteral("1"));
}

TEST_F(PzWystawTest, RemovingALineAsksAndNoKeepsIt)
{
    const int u = addSubscriber(14, QStringLiteral("przelew"));
    QStringList sums;
    const int index = issue(u, [&] {
        addLine(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("0"));
        addLine(QStringLiteral("B"), QStringLiteral("1"), QStringLiteral("20"), QStringLiteral("0"));
        answers = {mrNo, mrYes};
        QTest::mouseClick(ed->UsunBtn, Qt::LeftButton);
        sums << ed->SumaBrutto->text();
        QTest::mouseClick(ed->UsunBtn, Qt::LeftButton);
        sums << ed->SumaBrutto->text();
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(index, 0);
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("Czy usunąć wybrnaną pozycję?"),
                                    QStringLiteral("Czy usunąć wybrnaną pozycję?")}));
    EXPECT_EQ(sums.size(), 2);
    EXPECT_EQ(sums.value(0), QStringLiteral("30,00 zł"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from PzPozycje where PZP_INDEXPZ=:p1"), {index}), 1);
    // The sum follows the line that is left.
    EXPECT_EQ(Money(QStringLiteral("select PZP_WARTOSCBRUTTO from PzPozycje where PZP_INDEXPZ=:p1"), {index}),
              Money(QStringLiteral("select PZ_SUMABRUTTO from Pz where PZ_INDEX=:p1"), {index}));
    EXPECT_NE(sums.value(1), sums.value(0));
}
