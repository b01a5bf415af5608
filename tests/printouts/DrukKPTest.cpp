// The cash receipt read back from its PDF: the KP and KW titles and
// captions, the amount in words, both Code 93 symbols, the second copy on the
// same page and several payments in one run.
#include "printouts/DrukKP.h"
#include "core/DbIni.h"
#include "core/KwotaSlownie.h"
#include "core/Query.h"
#include "core/Session.h"
#include "tests/printouts/DrukFvFixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

class DrukKPTest : public DrukFvTest
{
protected:
    void SetUp() override
    {
        DrukFvTest::SetUp();
        if (HasFatalFailure()) return;
        // The receipts stay together where the office looks for them.
        m_outDir = TestOutputDir(QStringLiteral("kp"));
        QDir().mkpath(m_outDir);
        ExportFolder = m_outDir + QLatin1Char('/');
        S()->ExecQuery(
            QStringLiteral("update Operator set OP_IMIE='Anna', OP_NAZWISKO='Wiśniewska' where OP_INDEX=1"));
        user = AddSubscriber(QStringLiteral("Kowalczyk"), QStringLiteral("Zofia"), 321);
        S()->ExecQuery(QStringLiteral("update Userdb set U_SALDO=-40.00 where U_INDEX=:p1"), {user});
    }
    void TearDown() override
    {
        FormDrukKP()->QOplaty()->Close();
        FormDrukKP()->QUserdb()->Close();
        DrukFvTest::TearDown();
    }
    int payment(const QString& number, const char* amount, int pm = 0)
    {
        S()->ExecQuery(QStringLiteral("insert into Oplaty (O_INDEXUSER, O_NUMER, O_NUMERTXT, O_KWOTA, "
                                      "O_DATAWPLATY, O_DATADODANIA, O_FORMAPLATNOSCI, O_UWAGI, O_PODMIOT, "
                                      "O_OPERATORID, O_INDEX_PM) values (:p1, 1, :p2, :p3, '2026-03-05', "
                                      "'2026-03-05', 'gotówka', 'Opłata za internet', 1, 1, :p4)"),
                       {user, number, M(amount), pm});
        return S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
    }
    QString print(const QString& sql)
    {
        TFormDrukKP* form = FormDrukKP();
        form->PrinterName = ReadIniString(OperatorId, QStringLiteral("DrukarkaPDF"), QString());
        form->QOplaty()->SetSQL(sql);
        form->PrintDirect();
        return form->LastPdfFile;
    }
    int user = 0;
};

} // namespace

TEST(DrukKPReguly, CaptionsAndIdentifier)
{
    const TKpCaptions in = KpCaptions(M("150"));
    EXPECT_EQ(in.title, QStringLiteral("DOWÓD WPŁATY (KP) nr "));
    EXPECT_EQ(in.amount, QStringLiteral("Kwota wpłacona"));
    const TKpCaptions out = KpCaptions(M("-150"));
    EXPECT_EQ(out.title, QStringLiteral("DOWÓD WYPŁATY (KW) nr "));
    EXPECT_EQ(out.amount, QStringLiteral("Kwota wypłacona"));
    EXPECT_EQ(out.titleOfPayment, QStringLiteral("Tytuł wypłaty"));
    EXPECT_EQ(out.date, QStringLiteral("Data wypłaty"));
    EXPECT_EQ(KpPaymentIdentifier(QStringLiteral("20260305101500"), 42),
              QStringLiteral("20260305101500ID42"));
}

TEST_F(DrukKPTest, ReceiptCarriesPayerAmountWordsAndBothCodes)
{
    const int o = payment(QStringLiteral("5/3/2026"), "150.00", 9);
    PrintKpDocument(o, true);
    const QString pdf = FormDrukKP()->LastPdfFile;
    EXPECT_EQ(pdf, ExportFolder + QStringLiteral("KP_5_3_2026.pdf"));
    ASSERT_TRUE(QFile::exists(pdf));
    RenderPng(pdf);
    const QString text = flat(PdfText(pdf));
    for (const char* t :
         {"DOWÓD WPŁATY (KP) nr 5/3/2026", "Przyjmujący wpłatę", "Światłowodowa Sieć Łódź", "Wpłacający",
          "Nr klienta: 0321", "Kowalczyk Zo", "Data wpłaty: 2026-03-05", "Tytuł wpłaty: Opłata za internet",
          "Kwota wpłacona: 150,00 zł", "Wystawił: Anna Wiśniewska", "Wpłata powiązana z pozycją PM",
          "(do uregulowania) 40,00 zł"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains(flat(QStringLiteral("Słownie : ") + AmountInWords(M("150")).trimmed())));
    EXPECT_EQ(text.count(QStringLiteral("DOWÓD WPŁATY")), 1);

    const QStringList codes = PdfCodes(pdf);
    EXPECT_TRUE(codes.contains(QStringLiteral("CODE-93:5/3/2026")))
        << codes.join(QLatin1Char('|')).toStdString();
    const QRegularExpression id(QStringLiteral("^CODE-93:\\d{14}ID%1$").arg(o));
    EXPECT_TRUE(std::any_of(codes.begin(), codes.end(), [&](const QString& c) {
        return id.match(c).hasMatch();
    })) << codes.join(QLatin1Char('|')).toStdString();
}

TEST_F(DrukKPTest, PayoutIsAKwWithMinusInWords)
{
    SetGlobal(QStringLiteral("NieDrukujSalda"), QStringLiteral("1"));
    const int o = payment(QStringLiteral("6/3/2026"), "-150.00");
    const QString pdf = print(QStringLiteral("select * from Oplaty where O_INDEX=%1").arg(o));
    RenderPng(pdf);
    const QString text = flat(PdfText(pdf));
    for (const char* t : {"DOWÓD WYPŁATY (KW) nr 6/3/2026", "Kwota wypłacona: -150,00 zł",
                          "Tytuł wypłaty:", "Data wypłaty:", "Słownie : minus "})
        EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("do uregulowania"))); // balance lines hidden
    EXPECT_FALSE(text.contains(QStringLiteral("powiązana z pozycją PM")));
}

TEST_F(DrukKPTest, SecondCopyOnTheSamePageAndSeveralPaymentsInOneRun)
{
    WriteIniBool(OperatorId, QStringLiteral("2xWydrukKP"), true);
    const int o = payment(QStringLiteral("7/3/2026"), "59.00");
    QString pdf = print(QStringLiteral("select * from Oplaty where O_INDEX=%1").arg(o));
    RenderPng(pdf);
    EXPECT_EQ(PdfPages(pdf), 1);
    QString text = flat(PdfText(pdf));
    EXPECT_EQ(text.count(QStringLiteral("DOWÓD WPŁATY (KP) nr 7/3/2026")), 2) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("Kwota wpłacona: 59,00 zł")), 2);
    // zbarimg names a symbol found twice on one page once.
    EXPECT_TRUE(PdfCodes(pdf).contains(QStringLiteral("CODE-93:7/3/2026")));

    // Two payments: first copies of both, then second copies; one header per copy.
    const int o2 = payment(QStringLiteral("8/3/2026"), "20.00");
    pdf = print(
        QStringLiteral("select * from Oplaty where O_INDEX in (%1, %2) order by O_INDEX").arg(o).arg(o2));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/KP_paczka\\d{14}\\.pdf$")).match(pdf).hasMatch())
        << pdf.toStdString();
    text = flat(PdfText(pdf));
    EXPECT_EQ(text.count(QStringLiteral("DOWÓD WPŁATY (KP) nr 7/3/2026")), 2);
    EXPECT_EQ(text.count(QStringLiteral("nr 8/3/2026")), 0);
    EXPECT_EQ(text.count(QStringLiteral("Kwota wpłacona: 20,00 zł")), 2);
    const int first59 = text.indexOf(QStringLiteral("59,00 zł"));
    const int first20 = text.indexOf(QStringLiteral("20,00 zł"));
    const int second59 = text.indexOf(QStringLiteral("59,00 zł"), first20);
    EXPECT_LT(first59, first20);
    EXPECT_LT(first20, second59);
    QFile::remove(pdf);
}
