// Purchase invoices received from KSeF: the fetch period and KSeF's date
// texts, both subject types paged to their ends into one transaction with
// no number stored twice, the export packages, and the list window with its
// edit dialog and printed list, driven against the stand-in.
#include "ksef/KsefPobrane.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/KsefPobraneDane.h"
#include "ksef/KsefPobraneEdycja.h"
#include "ksef/KsefStan.h"
#include "printouts/DrukListaPobraneKsef.h"
#include "tests/ksef/KsefOpsFixture.h"
#include "tests/support/WindowKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

class KsefPobrane : public KsefOpsTest
{
protected:
    void SetUp() override
    {
        KsefOpsTest::SetUp();
        if (HasFatalFailure()) return;
        KsefReceivedWaits() = TKsefReceivedWaits{0, 0};
        // Company 1 as the settings keep it (its row mirrors them), first in the company box.
        WriteIniString(0, QStringLiteral("U_Skrot"), QStringLiteral("ORX"));
        S()->ExecQuery(QStringLiteral("insert into Podmioty set P_INDEX=1, P_SKROT='ORX', P_NIP=:p1, "
                                      "P_CZYAKTYWNY=1"),
                       {QString::fromLatin1(kNip1)});
    }
    void TearDown() override
    {
        KsefReceivedWaits() = TKsefReceivedWaits{};
        TFormKsefPobrane::Now = nullptr;
        KsefOpsTest::TearDown();
    }
    // Invoices of company 1 in both roles: Sold issued by us, Bought issued to us.
    void SeedReceived(int sold, int bought)
    {
        if (sold) {
            const QByteArray xml =
                PurchaseXml(QStringLiteral("SPR"), QString::fromLatin1(kNip1), QStringLiteral("1111111111"));
            ASSERT_EQ(m_stub.SeedMany(xml, sold).size(), sold);
        }
        if (bought) {
            ASSERT_EQ(m_stub.SeedMany(PurchaseXml(QStringLiteral("ZAK")), bought).size(), bought);
        }
    }
    int Rows() const { return Int(QStringLiteral("select count(*) from FvKsefPobrane")); }
};

TEST(KsefReceivedRules, FetchPeriodStartsThirtyDaysBackButNeverBeforeKsef)
{
    const QString saved = KsefStartDate;
    KsefStartDate = QStringLiteral("2026-02-01");
    const struct
    {
        QDateTime now;
        QDateTime from;
    } cases[] = {{QDateTime(QDate(2026, 2, 15), QTime(12, 0)), QDateTime(QDate(2026, 2, 1), QTime(0, 0))},
                 {QDateTime(QDate(2026, 3, 20), QTime(9, 30)), QDateTime(QDate(2026, 2, 18), QTime(9, 30))},
                 {QDateTime(QDate(2026, 3, 3), QTime(0, 0)), QDateTime(QDate(2026, 2, 1), QTime(0, 0))}};
    for (const auto& c : cases) {
        const TKsefPeriod p = KsefFetchPeriod(c.now);
        EXPECT_EQ(p.From, c.from) << c.now.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(p.To, c.now);
    }
    KsefStartDate = saved;
    const TKsefInvoiceQueryFilters f = KsefQueryFilters(2, cases[0].from, cases[0].now);
    EXPECT_EQ(f.SubjectType, 2);
    EXPECT_EQ(f.DateRange.DateType, 0);
    EXPECT_TRUE(f.DateRange.RestrictToPermanentStorageHwmDate);
}

TEST(KsefReceivedRules, DateTextsOfKsefReadAsIsoDates)
{
    const std::pair<const char*, const char*> cases[] = {{"1.02.2026 10:00:00", "2026-02-01"},
                                                         {"01.02.2026 10:00:00", "2026-02-01"},
                                                         {"28.12.2025 23:59:59", "2025-12-28"},
                                                         {"2026-02-01T10:00:00.123+01:00", "2026-02-01"},
                                                         {"2026-03-05", "2026-03-05"}};
    for (const auto& [text, iso] : cases)
        EXPECT_EQ(KsefReceivedDate(QString::fromLatin1(text)), QString::fromLatin1(iso)) << text;
}

TEST_F(KsefPobrane, AllPagesOfBothSubjectTypesArriveOnceAndShowInTheList)
{
    SeedReceived(600, 30);
    TFormKsefPobrane w;
    w.show();
    EXPECT_EQ(w.ComboPodmiot->currentText(), QStringLiteral("ORX"));
    EXPECT_TRUE(w.LabelKsef->text().startsWith(QStringLiteral("KSeF: Wersja: ")))
        << w.LabelKsef->text().toStdString();
    TMD::ClearRecorded();
    QTest::mouseClick(w.PobierzBtn, Qt::LeftButton);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Pobranych faktur: 630")});
    EXPECT_EQ(Rows(), 630);
    EXPECT_EQ(
        Int(QStringLiteral("select count(distinct FV_NRKSEF) from FvKsefPobrane where FV_PODMIOT=1 and "
                           "FV_DATAWYSTAWIENIA=CURDATE() and FV_SUMABRUTTO=2051 and FV_KSEF_TYPBRAMKI=2")),
        630);
    EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/invoices/query/metadata")), 4) << "three pages, then one";
    EXPECT_EQ(w.Query()->RecordCount(), 630);
    EXPECT_TRUE(w.LabelSuma->text().startsWith(QStringLiteral("Pozycji 630 ; Suma netto ")))
        << w.LabelSuma->text().toStdString();
    EXPECT_TRUE(w.LabelSuma->text().endsWith(QStringLiteral(" Suma brutto 1 292 130,00 zł")))
        << w.LabelSuma->text().toStdString();
    QFile runLog(PrivateFolder + QStringLiteral("_listafaktur.txt"));
    ASSERT_TRUE(runLog.open(QIODevice::ReadOnly));
    EXPECT_EQ(runLog.readAll().count("\r\n---\r\n"), 630);

    TMD::ClearRecorded();
    QTest::mouseClick(w.PobierzBtn, Qt::LeftButton);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Pobranych faktur: 0")});
    EXPECT_EQ(Rows(), 630);

    // The search text is a value: an apostrophe finds nothing and breaks nothing.
    w.Edit1->setText(QStringLiteral("ZAK/1'"));
    w.TimerSzukajTimer();
    EXPECT_EQ(w.Query()->RecordCount(), 0);
    w.Edit1->setText(QStringLiteral("ZAK/2"));
    w.TimerSzukajTimer();
    EXPECT_EQ(w.Query()->RecordCount(), 11) << "ZAK/2 and ZAK/20..ZAK/29";
    const QString dir = TestOutputDir(QStringLiteral("ksef-windows"));
    QDir().mkpath(dir);
    EXPECT_TRUE(w.grab().save(QDir(dir).filePath(QStringLiteral("ksef_pobrane.png"))));

    // Another company's list is empty.
    w.ComboPodmiot->setCurrentIndex(1);
    w.TimerSzukajTimer();
    EXPECT_EQ(w.Query()->RecordCount(), 0);
}

TEST_F(KsefPobrane, FailedPageLeavesNothingOfTheFetch)
{
    SeedReceived(300, 0);
    m_stub.Fault(
        QJsonObject{{QStringLiteral("match"), QStringLiteral("/invoices/query/metadata")},
                    {QStringLiteral("method"), QStringLiteral("POST")},
                    {QStringLiteral("skip"), 1},
                    {QStringLiteral("status"), 500},
                    {QStringLiteral("body"), QStringLiteral("{\"title\":\"Internal Server Error\"}")}});
    TFormKsefPobrane w;
    w.show();
    TMD::ClearRecorded();
    QTest::mouseClick(w.PobierzBtn, Qt::LeftButton);
    EXPECT_EQ(Rows(), 0);
    ASSERT_EQ(Texts().size(), 1);
    EXPECT_FALSE(Texts().first().startsWith(QStringLiteral("Pobranych faktur")))
        << Texts().first().toStdString();
    EXPECT_FALSE(GlobalSession()->InTransaction());
}

TEST_F(KsefPobrane, PackagesAreSavedPerSubjectTypeAndNothingReadyIsReportedWithoutAFolder)
{
    SeedReceived(2, 3);
    TFormKsefPobrane w;
    w.show();
    const QDateTime now = QDateTime::currentDateTime();
    TFormKsefPobrane::Now = [now] { return now; };
    const QString period = QStringLiteral("za okres: (%1 - %2)")
                               .arg(now.addDays(-30).toString(QStringLiteral("yyyy-MM-dd")),
                                    now.toString(QStringLiteral("yyyy-MM-dd")));

    m_stub.Config(QJsonObject{{QStringLiteral("exportPendingPolls"), 10}});
    TMD::ClearRecorded();
    QTest::mouseClick(w.PaczkaBtn, Qt::LeftButton);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Pobranych paczek: 0\r\n") + period});
    EXPECT_FALSE(QFile::exists(Out() + QStringLiteral("_Paczka1.zip")));

    m_stub.Config(QJsonObject{{QStringLiteral("exportPendingPolls"), 1}});
    TMD::ClearRecorded();
    QTest::mouseClick(w.PaczkaBtn, Qt::LeftButton);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("Pobranych paczek: 2\r\n") + period +
                                   QStringLiteral("\r\ndo katalogu: ") + Out()});
    for (const char* name : {"_Paczka1.zip", "_Paczka2.zip"})
        EXPECT_TRUE(ReadBytes(Out() + QLatin1String(name)).startsWith("PK")) << name;

    OperatorRightsLevel = 2;
    TMD::ClearRecorded();
    QTest::mouseClick(w.PaczkaBtn, Qt::LeftButton);
    EXPECT_EQ(Texts(), QStringList{RightDeniedMessage(1)});
}

TEST_F(KsefPobrane, FlagsAndNoteAreEditedArchivedRowsHiddenAndTheListPrinted)
{
    const auto add = [this](const QString& number, int daysBack) {
        const QString date = QDate::currentDate().addDays(-daysBack).toString(Qt::ISODate);
        S()->ExecQuery(
            QStringLiteral("insert into FvKsefPobrane (FV_NRKSEF, FV_NUMERTXT, FV_DATAWYSTAWIENIA, "
                           "FV_NAZWISKO, FV_SUMANETTO, FV_SUMABRUTTO, FV_PODMIOT) values (:p1, :p2, "
                           ":p3, 'Dostawca Sp. z o.o.', 100, 123, 1)"),
            {QStringLiteral("KSEF-") + number, number, date});
        return int(S()->LastInsertId());
    };
    const int a = add(QStringLiteral("A/1"), 1);
    add(QStringLiteral("B/1"), 2);
    TFormKsefPobrane w;
    w.show();
    ASSERT_EQ(w.Query()->RecordCount(), 2);
    EXPECT_EQ(w.CurrentKey(), a) << "newest first";

    TFormKsefPobraneEdycja* d = FormKsefPobraneEdycja();
    d->Index = a;
    d->show();
    EXPECT_EQ(d->LabelNumer->text(), QStringLiteral("A/1"));
    RetypeField(d->EditUwagi, QStringLiteral("zapłacić do 20."));
    // On the box itself: a stretched check box does not take clicks beside its caption.
    for (QCheckBox* box : {d->CheckKosztowa, d->CheckArchiwalna})
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    QTest::mouseClick(d->ZapiszBtn, Qt::LeftButton);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(Text(QStringLiteral("select concat_ws('|', FV_UWAGI, FV_KSEF_KOSZTOWA, FV_KSEF_ZAPLACONA, "
                                  "FV_KSEF_ARCHIWALNA) from FvKsefPobrane where FV_INDEX=:p1"),
                   {a}),
              QStringLiteral("zapłacić do 20.|1|0|1"));

    w.Reread();
    EXPECT_EQ(w.Query()->RecordCount(), 1) << "archived rows stay out";
    QTest::mouseClick(w.CheckArchiwalne, Qt::LeftButton, {}, QPoint(6, w.CheckArchiwalne->height() / 2));
    EXPECT_EQ(w.Query()->RecordCount(), 2);

    TFormDrukListaPobraneKsef* print = FormDrukListaPobraneKsef();
    print->LastDocument.reset();
    QTest::mouseClick(w.DrukujListeBtn, Qt::LeftButton);
    ASSERT_TRUE(print->LastDocument);
    EXPECT_EQ(print->LastDocument->pageCount(), 1);
    EXPECT_EQ(print->PeriodText,
              QStringLiteral("Od daty ") + QDate::currentDate().addMonths(-3).toString(Qt::ISODate) +
                  QStringLiteral(" do daty ") + QDate::currentDate().toString(Qt::ISODate));

    TMD::SetTestHook([](const TMD::Shown&) { return mrYes; });
    w.Query()->Locate(QStringLiteral("FV_INDEX"), a);
    w.Usun();
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(w.Query()->RecordCount(), 1);
}

} // namespace
