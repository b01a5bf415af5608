// The invoice editor driven as an operator drives it: IssueNewFv opens it on
// a new numbered row inside one transaction, lines are added through the line
// dialog, "Zapisz" settles, recomputes the balance, logs and commits, and
// "Anuluj" leaves nothing behind.
#include "billing/FvWystaw.h"
#include "billing/FvDodajPozycje.h"
#include "billing/FvWystawDane.h"
#include "billing/Salda.h"
#include "core/DataModule.h"
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "tests/billing/BillingFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

struct Line
{
    QString name;
    QString quantity;
    QString price;
};

class FvWystawTest : public BillingTest
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
        ed = FormFvWystaw();
    }
    void TearDown() override
    {
        m_data.reset();
        Data = nullptr;
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        BillingTest::TearDown();
    }

    // A subscriber with a street address and, when days >= 0, an own term and form.
    int addSubscriber(int days = -1, const QString& form = QString())
    {
        const int u = AddUser();
        S()->ExecQuery(
            QStringLiteral("update Userdb set U_ADR_ULICA='Polna', U_ADR_NRDOMU='5', U_ADR_NRLOKALU='2', "
                           "U_ADR_KOD='00-950', U_ADR_POCZTA='Warszawa', U_ADR_MIEJSCOWOSC='Warszawa', "
                           "U_NIP='5260250274', "
                           "U_CZYINDYWTERMINPLATNOSCI=:p1, U_INDYWTERMINPLATNOSCI=:p2, "
                           "U_INDYWTERMINPLATNOSCIFORMA=:p3 where U_INDEX=:p4"),
            {days >= 0 ? 1 : 0, days >= 0 ? days : 0, form, u});
        return u;
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
    // "Dodaj", the line dialog filled and saved.
    void addLine(const Line& line)
    {
        TFormFvDodajPozycje* dlg = ed->LineDialog();
        QTimer::singleShot(0, dlg, [dlg, line] {
            retype(dlg->Nazwa, line.name);
            retype(dlg->Ilosc, line.quantity);
            retype(dlg->CenaBrutto, line.price);
            QTest::mouseClick(dlg->ZapiszBtn, Qt::LeftButton);
            if (dlg->isVisible()) QTest::mouseClick(dlg->AnulujBtn, Qt::LeftButton);
        });
        QTest::mouseClick(ed->DodajBtn, Qt::LeftButton);
    }
    // Runs IssueNewFv with the operator's steps done once the editor shows;
    // "Anuluj" ends a script that left the editor open.
    int issue(int user, const std::function<void()>& steps)
    {
        QTimer::singleShot(0, ed, [this, steps] {
            stepsRan = true;
            steps();
            if (ed->isVisible()) QTest::mouseClick(ed->AnulujBtn, Qt::LeftButton);
        });
        stepsRan = false;
        const int fv = IssueNewFv(user);
        EXPECT_TRUE(stepsRan);
        EXPECT_FALSE(S()->InTransaction());
        return fv;
    }
    QString fv(const char* column, int index)
    {
        return Text(
            QStringLiteral("select cast(%1 as char) from Fv where FV_INDEX=:p1").arg(QLatin1String(column)),
            {index});
    }
    QStringList shown() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }
    QString numberText(int number, const QDate& d) const
    {
        return QStringLiteral("%1/%2/%3").arg(number).arg(d.month()).arg(d.year());
    }

    std::unique_ptr<TData> m_data;
    TFormFvWystaw* ed = nullptr;
    QList<int> answers;
    bool stepsRan = false;
};

} // namespace

TEST_F(FvWystawTest, OwnTermOf21DaysByTransferIsDueIn21DaysAndUnpaid)
{
    const QDate today = QDate::currentDate();
    const int u = addSubscriber(21, QStringLiteral("przelew"));
    QString term, left, buyer, number;
    const int index = issue(u, [&] {
        EXPECT_EQ(ed->windowTitle(), QStringLiteral("Wystawianie nowej faktury"));
        addLine({QStringLiteral("Internet 100 Mb/s"), QStringLiteral("1"), QStringLiteral("100")});
        addLine({QStringLiteral("Telewizja"), QStringLiteral("2"), QStringLiteral("25,50")});
        term = ed->IloscDni->text();
        left = ed->PozostaloDoZaplaty->text();
        buyer = ed->NabywcaAdres->text();
        number = ed->NumerTxt->text();
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(index, 0);
    EXPECT_EQ(term, QStringLiteral("21 dni"));
    EXPECT_EQ(left, QStringLiteral("151,00 zł"));
    const QString street =
        Text(QStringLiteral("select vU_ADR_UlicaPelny from vUserdb where U_INDEX=:p1"), {u});
    EXPECT_TRUE(street.endsWith(QStringLiteral("Polna"))) << street.toStdString();
    EXPECT_EQ(buyer, street + QStringLiteral(" 5/2  00-950 Warszawa"));
    EXPECT_EQ(number, numberText(1, today));
    EXPECT_EQ(fv("FV_DATAPLATNOSCI", index), today.addDays(21).toString(Qt::ISODate));
    EXPECT_EQ(fv("FV_DATAWYSTAWIENIA", index), today.toString(Qt::ISODate));
    EXPECT_EQ(fv("FV_FORMAPLATNOSCI", index), QStringLiteral("przelew"));
    EXPECT_EQ(fv("FV_KWOTAWPLACONA", index), QStringLiteral("0.00"));
    EXPECT_EQ(fv("FV_SUMABRUTTO", index), QStringLiteral("151.00"));
    EXPECT_EQ(fv("FV_KWOTADOZAPLATY", index), QStringLiteral("151.00"));
    EXPECT_EQ(fv("FV_KWOTADOROZLICZENIA", index), QStringLiteral("151.00"));
    EXPECT_EQ(fv("FV_SUMABRUTTO_A", index), QStringLiteral("151.00"));
    EXPECT_EQ(fv("FV_SUMANETTO_A", index), QStringLiteral("122.76"));
    EXPECT_EQ(fv("FV_NUMER", index), QStringLiteral("1"));
    EXPECT_EQ(fv("FV_NUMERTXT", index), numberText(1, today));
    EXPECT_EQ(fv("FV_WYSTAWIL", index), QStringLiteral("Anna Nowak"));
    EXPECT_EQ(fv("FV_ADR_ULICA", index), street);
    EXPECT_EQ(fv("FV_NIP", index), QStringLiteral("5260250274"));
    EXPECT_EQ(fv("FV_OPISVAT_A", index) + fv("FV_OPISVAT_NP", index) + fv("FV_OPISVAT", index),
              QStringLiteral("23%npRAZEM"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvPozycje where FVP_INDEXFAKTURA=:p1"), {index}), 2);
    const QString log = Text(QStringLiteral("select LOG_OPIS from Log order by LOG_INDEX desc limit 1"));
    EXPECT_TRUE(log.contains(QStringLiteral(" : Wystawienie faktury ID=%1 (").arg(index)))
        << log.toStdString();
    EXPECT_TRUE(shown().isEmpty()) << shown().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Money(QStringLiteral("select U_SALDO from Userdb where U_INDEX=:p1"), {u}), A("-151"));
}

TEST_F(FvWystawTest, CashWithTermZeroIsPaidInFullAfterEveryLine)
{
    const int u = addSubscriber(); // no own term: the settings' "gotówka" and 0 days
    QStringList left, paid;
    const int index = issue(u, [&] {
        for (const Line& l :
             {Line{QStringLiteral("Instalacja"), QStringLiteral("1"), QStringLiteral("50")},
              Line{QStringLiteral("Router"), QStringLiteral("1"), QStringLiteral("149,99")}}) {
            addLine(l);
            left << ed->PozostaloDoZaplaty->text();
            paid << ed->KwotaWplacona->text();
        }
        EXPECT_EQ(ed->IloscDni->text(), QStringLiteral("0 dni"));
        EXPECT_EQ(ed->FormaPlatnosci->currentText(), QStringLiteral("gotówka"));
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(index, 0);
    EXPECT_EQ(left, (QStringList{QStringLiteral("0,00 zł"), QStringLiteral("0,00 zł")}));
    EXPECT_EQ(paid, (QStringList{QStringLiteral("50,00"), QStringLiteral("199,99")}));
    EXPECT_EQ(fv("FV_DATAPLATNOSCI", index), fv("FV_DATAWYSTAWIENIA", index));
    EXPECT_EQ(fv("FV_FORMAPLATNOSCI", index), QStringLiteral("gotówka"));
    EXPECT_EQ(fv("FV_KWOTAWPLACONA", index), QStringLiteral("199.99"));
    EXPECT_EQ(fv("FV_KWOTADOZAPLATY", index), QStringLiteral("0.00"));
    EXPECT_EQ(fv("FV_KWOTADOROZLICZENIA", index), QStringLiteral("0.00"));
    EXPECT_EQ(Money(QStringLiteral("select U_SALDO from Userdb where U_INDEX=:p1"), {u}), A("0"));
}

TEST_F(FvWystawTest, TermButtonsAndPaidAmountFollowTheDueDateRule)
{
    const int u = addSubscriber();
    QStringList paid;
    const int index = issue(u, [&] {
        addLine({QStringLiteral("Abonament"), QStringLiteral("1"), QStringLiteral("80")});
        paid << ed->KwotaWplacona->text();
        QTest::mouseClick(ed->Dni[2], Qt::LeftButton); // "10 dni": not due today, nothing paid
        paid << ed->KwotaWplacona->text() << ed->IloscDni->text();
        retype(ed->KwotaWplacona, QStringLiteral("500"));
        QTest::keyClick(ed->KwotaWplacona, Qt::Key_Return); // above the gross sum: the gross sum
        paid << ed->KwotaWplacona->text();
        retype(ed->KwotaWplacona, QStringLiteral("30"));
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton); // typed and saved: kept
    });
    ASSERT_GT(index, 0);
    EXPECT_EQ(paid, (QStringList{QStringLiteral("80,00"), QStringLiteral("0,00"), QStringLiteral("10 dni"),
                                 QStringLiteral("80,00")}));
    EXPECT_EQ(fv("FV_DATAPLATNOSCI", index), QDate::currentDate().addDays(10).toString(Qt::ISODate));
    EXPECT_EQ(fv("FV_KWOTAWPLACONA", index), QStringLiteral("30.00"));
    EXPECT_EQ(fv("FV_KWOTADOZAPLATY", index), QStringLiteral("50.00"));
    EXPECT_EQ(fv("FV_KWOTADOROZLICZENIA", index), QStringLiteral("50.00"));
}

TEST_F(FvWystawTest, CancelLeavesNoInvoiceAndTheNumberIsTakenAgain)
{
    const int u = addSubscriber(14, QStringLiteral("przelew"));
    int numberWhileOpen = 0;
    const int cancelled = issue(u, [&] {
        addLine({QStringLiteral("Abonament"), QStringLiteral("1"), QStringLiteral("60")});
        addLine({QStringLiteral("Modem"), QStringLiteral("1"), QStringLiteral("99")});
        numberWhileOpen = ed->Numer->text().toInt();
        QTest::mouseClick(ed->AnulujBtn, Qt::LeftButton);
    });
    EXPECT_EQ(cancelled, 0);
    EXPECT_EQ(numberWhileOpen, 1);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Fv")), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvPozycje")), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Log where LOG_OPIS like '%Wystawienie faktury%'")), 0);

    const int index = issue(u, [&] {
        addLine({QStringLiteral("Abonament"), QStringLiteral("1"), QStringLiteral("60")});
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(index, 0);
    EXPECT_EQ(fv("FV_NUMER", index), QStringLiteral("1"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvPozycje")), 1);
}

// Settlement on "Zapisz" failing after some of its writes: the invoice, its
// links and the amounts all go back, and the error reaches the operator.
TEST_F(FvWystawTest, SettlementFailingHalfwayLeavesNoInvoice)
{
    struct Case
    {
        const char* name;
        const char* trigger;
    };
    const Case cases[] = {
        {"second link refused",
         "CREATE TRIGGER settle_fail BEFORE INSERT ON OplatyRozliczenia FOR EACH ROW BEGIN "
         "SET @links = coalesce(@links, 0) + 1; IF @links >= 2 THEN "
         "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'second link refused'; END IF; END"},
        {"payment update after the links refused",
         "CREATE TRIGGER settle_fail BEFORE UPDATE ON Oplaty FOR EACH ROW "
         "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'payment refused'"},
    };
    const int u = addSubscriber(14, QStringLiteral("przelew"));
    const int o1 = AddOplata(u, A("40"), QDate(2025, 2, 1));
    const int o2 = AddOplata(u, A("30"), QDate(2025, 2, 2));
    RecalcUserSaldo(u);
    const Amount4 saldo = Money(QStringLiteral("select U_SALDO from Userdb where U_INDEX=:p1"), {u});
    ASSERT_EQ(saldo, A("70"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        S()->ExecQuery(QStringLiteral("SET @links = 0"));
        S()->ExecQueryNoParamCheck(QLatin1String(c.trigger));
        QTimer::singleShot(0, ed, [this] {
            addLine({QStringLiteral("Abonament"), QStringLiteral("1"), QStringLiteral("100")});
            QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
            if (ed->isVisible()) QTest::mouseClick(ed->AnulujBtn, Qt::LeftButton);
        });
        EXPECT_THROW(IssueNewFv(u), EDatabaseError);
        S()->ExecQuery(QStringLiteral("DROP TRIGGER settle_fail"));
        EXPECT_FALSE(S()->InTransaction());
        EXPECT_EQ(Int(QStringLiteral("select count(*) from Fv")), 0);
        EXPECT_EQ(Int(QStringLiteral("select count(*) from FvPozycje")), 0);
        EXPECT_EQ(Int(QStringLiteral("select count(*) from OplatyRozliczenia")), 0);
        EXPECT_EQ(OplataOpen(o1), A("40"));
        EXPECT_EQ(OplataOpen(o2), A("30"));
        EXPECT_EQ(Money(QStringLiteral("select U_SALDO from Userdb where U_INDEX=:p1"), {u}), saldo);
    }
    // Without the fault the same invoice goes through and is paid from both payments.
    const int index = issue(u, [&] {
        addLine({QStringLiteral("Abonament"), QStringLiteral("1"), QStringLiteral("100")});
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(index, 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from OplatyRozliczenia")), 2);
    EXPECT_EQ(fv("FV_KWOTADOROZLICZENIA", index), QStringLiteral("30.00"));
}

TEST_F(FvWystawTest, NegativeGrossIsRefusedAndTheEditorStaysOpen)
{
    const int u = addSubscriber(7, QStringLiteral("przelew"));
    bool openAfterSave = false;
    QStringList afterFirstSave;
    const int index = issue(u, [&] {
        addLine({QStringLiteral("Abonament"), QStringLiteral("1"), QStringLiteral("40")});
        addLine({QStringLiteral("Korekta rozliczenia"), QStringLiteral("1"), QStringLiteral("-65")});
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
        openAfterSave = ed->isVisible();
        afterFirstSave = shown();
        // Lowering the credit makes the invoice saveable.
        ed->Pozycje->setFocus();
        ed->Dane().Lines()->Locate(QStringLiteral("FVP_NAZWAUSLUGI"), QStringLiteral("Korekta rozliczenia"));
        TFormFvDodajPozycje* dlg = ed->LineDialog();
        QTimer::singleShot(0, dlg, [dlg] {
            retype(dlg->CenaBrutto, QStringLiteral("-15"));
            QTest::mouseClick(dlg->ZapiszBtn, Qt::LeftButton);
        });
        QTest::mouseClick(ed->EdytujBtn, Qt::LeftButton);
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    EXPECT_TRUE(openAfterSave);
    EXPECT_EQ(afterFirstSave,
              QStringList{QStringLiteral("Suma wartości pozycji faktury nie może być mniejsza od zera")});
    ASSERT_GT(index, 0);
    EXPECT_EQ(fv("FV_SUMABRUTTO", index), QStringLiteral("25.00"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvPozycje where FVP_INDEXFAKTURA=:p1"), {index}), 2);
}

TEST_F(FvWystawTest, SavingSettlesAnOpenOverpayment)
{
    const QDate today = QDate::currentDate();
    const int u = addSubscriber(14, QStringLiteral("przelew"));
    const int payment = AddOplata(u, A("100"), today.addDays(-3));
    const int index = issue(u, [&] {
        addLine({QStringLiteral("Abonament"), QStringLiteral("1"), QStringLiteral("60")});
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(index, 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from OplatyRozliczenia where OR_INDEXOPLATY=:p1 and "
                                 "OR_INDEXDOC=:p2 and OR_RODZAJDOC='F'"),
                  {payment, index}),
              1);
    EXPECT_EQ(DocOpen('F', index), A("0"));
    EXPECT_EQ(OplataOpen(payment), A("40"));
    EXPECT_EQ(fv("FV_KWOTAROZLICZONA", index), QStringLiteral("60.00"));
    EXPECT_EQ(Money(QStringLiteral("select U_SALDO from Userdb where U_INDEX=:p1"), {u}), A("40"));
}

TEST_F(FvWystawTest, GapInTodaysNumbersIsOfferedAndFilled)
{
    const QDate today = QDate::currentDate();
    const int u = addSubscriber(14, QStringLiteral("przelew"));
    for (int n : {3, 4, 6}) {
        const int d = AddDoc('F', u, A("10"), today.addDays(14), numberText(n, today), today);
        S()->ExecQuery(QStringLiteral("update Fv set FV_NUMER=:p1 where FV_INDEX=:p2"), {n, d});
    }
    answers = {mrYes};
    const int index = issue(u, [&] {
        addLine({QStringLiteral("Abonament"), QStringLiteral("1"), QStringLiteral("60")});
        QTest::mouseClick(ed->ZapiszBtn, Qt::LeftButton);
    });
    ASSERT_GT(index, 0);
    EXPECT_EQ(shown(),
              QStringList{QStringLiteral("Obecnie w numeracji dzisiejszych faktur jest luka. Czy zmienić "
                                         "numer faktury na 5 aby ją wypełnić?")});
    EXPECT_EQ(fv("FV_NUMER", index), QStringLiteral("5"));
    EXPECT_EQ(fv("FV_NUMERTXT", index), numberText(5, today));
}

TEST_F(FvWystawTest, ScreenshotWithThreeLines)
{
    const int u = addSubscriber(14, QStringLiteral("przelew"));
    const QString dir = TestOutputDir(QStringLiteral("billing"));
    issue(u, [&] {
        addLine({QStringLiteral("Dostęp do Internetu 300 Mb/s - abonament"), QStringLiteral("1"),
                 QStringLiteral("89,99")});
        addLine({QStringLiteral("Dzierżawa routera Wi-Fi"), QStringLiteral("1"), QStringLiteral("10")});
        addLine({QStringLiteral("Stały adres IP"), QStringLiteral("2"), QStringLiteral("12,30")});
        QApplication::processEvents();
        EXPECT_TRUE(ed->grab().save(QDir(dir).filePath(QStringLiteral("fv_wystaw.png"))));
        TFormFvDodajPozycje* dlg = ed->LineDialog();
        QTimer::singleShot(0, dlg, [dlg, dir] {
            QApplication::processEvents();
            EXPECT_TRUE(dlg->grab().save(QDir(dir).filePath(QStringLiteral("fv_dodaj_pozycje.png"))));
            QTest::mouseClick(dlg->AnulujBtn, Qt::LeftButton);
        });
        QTest::mouseClick(ed->EdytujBtn, Qt::LeftButton);
        QTest::mouseClick(ed->AnulujBtn, Qt::LeftButton);
    });
}
