// The payment demand printout read back from its PDF: gross-only columns and
// totals, the bar code of the number without blanks, and the collective print.
#include "printouts/DrukPz.h"
#include "core/DbIni.h"
#include "core/Query.h"
#include "core/Session.h"
#include "tests/printouts/DrukFvFixture.h"

#include <QFile>
#include <QRegularExpression>

namespace {

using DrukPzTest = DrukFvTest;

} // namespace

TEST_F(DrukPzTest, DemandIsGrossOnlyWithItsNumberAsCode93WithoutBlanks)
{
    const int u =
        AddSubscriber(QStringLiteral("Zięba"), QStringLiteral("Ewa"), 17, QStringLiteral("7282734512"));
    S()->ExecQuery(QStringLiteral("update Userdb set U_SALDO=-22.50, U_RODZAJWYDRUKUFV=1 where U_INDEX=:p1"),
                   {u});
    const int pz = AddDemand(u, QStringLiteral("PZ 5/2025"),
                             {{QStringLiteral("Abonament"), M("12.50"), M("2"), QString(), M("10")}});
    PrintPzDocument(pz, true);
    const QString pdf = FormDrukPz()->LastPdfFile;
    EXPECT_EQ(pdf, ExportFolder + QStringLiteral("P_PZ 5_2025.pdf"));
    ASSERT_TRUE(QFile::exists(pdf));
    RenderPng(pdf);

    const QString text = flat(PdfText(pdf));
    for (const char* t : {"POLECENIE ZAPŁATY nr PZ 5/2025", "Cena brutto", "Wart.brutto", "Razem PLN 22,50",
                          "Wartość sprzedaży: 22,50 zł",
                          "Kwota rabatu:", "Pozostało do zapłaty:", "Nazwa zleceniodawcy", "1 Abonament"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t << "\n" << text.toStdString();
    // No VAT, no tax number, no sale date.
    for (const char* t :
         {"Kw.VAT", "Staw.VAT", "Wart.netto", "NIP 7282734512", "Data sprzedaży", "1. Abonament"})
        EXPECT_FALSE(text.contains(QString::fromUtf8(t))) << t;

    const QStringList codes = PdfCodes(pdf);
    EXPECT_TRUE(codes.contains(QStringLiteral("CODE-93:PZ5/2025")))
        << codes.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(codes.contains(QStringLiteral("CODE-128:12124010371111001012345678")))
        << codes.join(QLatin1Char('|')).toStdString();
}

TEST_F(DrukPzTest, HiddenBalanceAsksForTheDemandItself)
{
    SetGlobal(QStringLiteral("NieDrukujSalda"), QStringLiteral("1"));
    const int u = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 3);
    S()->ExecQuery(QStringLiteral("update Userdb set U_RODZAJWYDRUKUFV=1 where U_INDEX=:p1"), {u});
    const int pz =
        AddDemand(u, QStringLiteral("PZ/6/2025"), {{QStringLiteral("Abonament"), M("59.00"), {}, {}, {}}});
    const QString text = flat(
        PdfText(PrintPdf(QStringLiteral("select * from vPzLista where PZ_INDEX=%1").arg(pz), FormDrukPz())));
    EXPECT_TRUE(text.contains(QStringLiteral("Zapłata za: PZ nr PZ/6/2025"))) << text.toStdString();
}

TEST_F(DrukPzTest, ThreeDemandsMakeOneCollectivePrintOnePagePerDemand)
{
    for (int i = 1; i <= 3; ++i) {
        const int u = AddSubscriber(QStringLiteral("Abonent%1").arg(i), QStringLiteral("Jan"), i);
        AddDemand(u, QStringLiteral("PZ/%1/2025").arg(i),
                  {{QStringLiteral("Abonament"), M("59.00"), {}, {}, {}}});
    }
    const QString pdf = PrintPdf(QStringLiteral("select * from vPzLista order by PZ_INDEX"), FormDrukPz());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/P_zbiorczy\\d{14}\\.pdf$")).match(pdf).hasMatch())
        << pdf.toStdString();
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(PdfPages(pdf), 3);
    const QString text = flat(PdfText(pdf));
    EXPECT_EQ(text.count(QStringLiteral("POLECENIE ZAPŁATY nr")), 3);
    EXPECT_EQ(text.count(QStringLiteral("Strona 1")), 3);
    EXPECT_EQ(text.count(QStringLiteral("Światłowodowa Sieć Łódź")), 3);
    EXPECT_LT(text.indexOf(QStringLiteral("PZ/1/2025")), text.indexOf(QStringLiteral("PZ/3/2025")));
    QFile::remove(pdf);
}
