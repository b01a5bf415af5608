// The invoice printout as a PDF read back: its texts, its bar codes and QR
// codes, its pages.
#include "printouts/DrukFv.h"
#include "core/DbIni.h"
#include "core/KwotaSlownie.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/KsefLinks.h"
#include "platform/PdfPrinter.h"
#include "tests/printouts/DrukFvFixture.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <tuple>

TEST_F(DrukFvTest, InvoicePdfCarriesNumberVatRowsWordsPartiesAndCode93)
{
    const int u = AddSubscriber(QStringLiteral("Kowalczyk"), QStringLiteral("Zażółć Gęślą"), 1234,
                                QStringLiteral("7282734512"));
    S()->ExecQuery(QStringLiteral("update Userdb set U_SALDO=-209.99 where U_INDEX=:p1"), {u});
    // The company's logo and banner as the start-up leaves them in the private folder.
    for (const auto& [file, size, caption] : {std::tuple{"mojelogo.jpg", QSize(600, 200), "Sieć Łódź"},
                                              std::tuple{"mojbaner.jpg", QSize(1800, 99), "baner"}}) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(QColor(30, 90, 160));
        QPainter p(&img);
        p.setPen(Qt::white);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(size.height() / 3);
        p.setFont(f);
        p.drawText(img.rect(), Qt::AlignCenter, QString::fromUtf8(caption));
        p.end();
        img.save(PrivateFolder + QLatin1String(file), "JPG");
    }
    const int fv = AddInvoice(
        u, QStringLiteral("FV/12/2025"),
        {{QStringLiteral("Abonament internet 300 Mb/s"), M("89.99"), {}, QStringLiteral("23%"), {}},
         {QStringLiteral("Dzierżawa routera Wi-Fi"), M("10.00"), M("2"), QStringLiteral("23%"), {}},
         {QStringLiteral("Telewizja pakiet podstawowy"), M("100.00"), {}, QStringLiteral("8%"), {}}});
    const QString pdf = PrintPdf(QStringLiteral("select * from vFvLista where FV_INDEX=%1").arg(fv));
    EXPECT_EQ(pdf, ExportFolder + QStringLiteral("F_FV_12_2025.pdf"));
    ASSERT_TRUE(QFile::exists(pdf));
    RenderPng(pdf);

    const QString text = flat(PdfText(pdf));
    EXPECT_TRUE(text.contains(QStringLiteral("FAKTURA nr FV/12/2025"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Światłowodowa Sieć Łódź")));
    EXPECT_TRUE(text.contains(QStringLiteral("ul. Żeromskiego 15/3")));
    EXPECT_TRUE(text.contains(QStringLiteral("Kowalczyk Zażółć Gęślą")));
    EXPECT_TRUE(text.contains(QStringLiteral("NIP 7282734512")));
    // 109.99 gross at 23 % and 100.00 at 8 %.
    EXPECT_TRUE(text.contains(QStringLiteral("23% 89,42 20,57 109,99"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("8% 92,59 7,41 100,00")));
    EXPECT_TRUE(text.contains(QStringLiteral("Razem PLN 182,01 27,98 209,99")));
    EXPECT_TRUE(text.contains(QStringLiteral("Słownie : ") + AmountInWords(M("209.99")).trimmed()))
        << AmountInWords(M("209.99")).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Termin płatności: 14 dni = 2025-03-15")));
    EXPECT_TRUE(text.contains(QStringLiteral("(do uregulowania) 209,99 zł")));

    const QStringList codes = PdfCodes(pdf);
    EXPECT_TRUE(codes.contains(QStringLiteral("CODE-93:FV/12/2025")))
        << codes.join(QLatin1Char('|')).toStdString();
    // The transfer form carries the account as Code 128.
    EXPECT_TRUE(codes.contains(QStringLiteral("CODE-128:12124010371111001012345678")))
        << codes.join(QLatin1Char('|')).toStdString();
}

TEST_F(DrukFvTest, KsefNumberPrintsWithVerificationQrCode)
{
    const int u = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 77);
    const int fv = AddInvoice(u, QStringLiteral("FV/3/2025"),
                              {{QStringLiteral("Abonament"), M("59.00"), {}, QStringLiteral("23%"), {}}});
    const QString link = TKsefLinkBuilder(0).InvoiceVerificationLink(
        QStringLiteral("7251234567"), QDate(2025, 3, 1),
        QStringLiteral("n4bQgYhMfWWaL+qgxVrQFaO/TxsrC4Is0V1sFbDwCgg="), 0);
    const QString nr = QStringLiteral("7251234567-20250301-0100A0B1C2D3-4E");
    S()->ExecQuery(
        QStringLiteral("insert into FvKsef (FV_KSEF_IDFAKTURY, FV_KSEF_NRREFSESJI, FV_KSEF_NRREFFAKTURY, "
                       "FV_KSEF_STATUS, FV_KSEF_NRKSEF, FV_KSEF_LINKOFFLINE, FV_KSEF_OPERATORID) values "
                       "(:p1, '', '', '200', :p2, :p3, 1)"),
        {fv, nr, link});
    const QString pdf = PrintPdf(QStringLiteral("select * from vFvLista where FV_INDEX=%1").arg(fv));
    ASSERT_TRUE(QFile::exists(pdf));
    RenderPng(pdf);
    EXPECT_TRUE(QFile::exists(PrivateFolder + QStringLiteral("F%1.bmp").arg(fv)));
    EXPECT_TRUE(flat(PdfText(pdf)).contains(nr));
    const QStringList codes = PdfCodes(pdf, 300);
    EXPECT_TRUE(codes.contains(QStringLiteral("QR-Code:") + link))
        << codes.join(QLatin1Char('|')).toStdString();
}

TEST_F(DrukFvTest, OfflineInvoiceGetsCertificateAndOfflineCodes)
{
    const int u = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 78);
    const int fv = AddInvoice(u, QStringLiteral("FV/4/2025"),
                              {{QStringLiteral("Abonament"), M("59.00"), {}, QStringLiteral("23%"), {}}});
    const QString off = QStringLiteral("https://qr-test.ksef.mf.gov.pl/invoice/7251234567/01-03-2025/abc");
    const QString cert =
        QStringLiteral("https://qr-test.ksef.mf.gov.pl/certificate/Nip/7251234567/7251234567/01F2/abc/sig");
    S()->ExecQuery(
        QStringLiteral("insert into FvKsef (FV_KSEF_IDFAKTURY, FV_KSEF_NRREFSESJI, FV_KSEF_NRREFFAKTURY, "
                       "FV_KSEF_STATUS, FV_KSEF_NRKSEF, FV_KSEF_LINKOFFLINE, FV_KSEF_LINKCERTOFFLINE, "
                       "FV_KSEF_OPERATORID) values (:p1, '', '', '', '', :p2, :p3, 1)"),
        {fv, off, cert});
    const QString pdf = PrintPdf(QStringLiteral("select * from vFvLista where FV_INDEX=%1").arg(fv));
    const QString text = flat(PdfText(pdf));
    EXPECT_TRUE(text.contains(QStringLiteral("CERTYFIKAT")));
    EXPECT_TRUE(text.contains(QStringLiteral("OFFLINE")));
    const QStringList codes = PdfCodes(pdf, 300);
    EXPECT_TRUE(codes.contains(QStringLiteral("QR-Code:") + off))
        << codes.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(codes.contains(QStringLiteral("QR-Code:") + cert));
}

TEST_F(DrukFvTest, SeveralInvoicesStartOnNewPagesUnderOnePackTitle)
{
    const int u1 = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 1);
    const int u2 = AddSubscriber(QStringLiteral("Zięba"), QStringLiteral("Ewa"), 2);
    AddInvoice(u1, QStringLiteral("FV/1/2025"),
               {{QStringLiteral("Abonament"), M("59.00"), {}, QStringLiteral("23%"), {}}});
    AddInvoice(u2, QStringLiteral("FV/2/2025"),
               {{QStringLiteral("Abonament"), M("69.00"), {}, QStringLiteral("23%"), {}}});
    const QString pdf = PrintPdf(QStringLiteral("select * from vFvLista order by FV_INDEX"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/F_paczka_\\d{14}\\.pdf$")).match(pdf).hasMatch())
        << pdf.toStdString();
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(PdfPages(pdf), 2);
    const QString text = flat(PdfText(pdf));
    EXPECT_EQ(text.count(QStringLiteral("Strona 1")), 2);
    EXPECT_LT(text.indexOf(QStringLiteral("FV/1/2025")), text.indexOf(QStringLiteral("FV/2/2025")));
    QFile::remove(pdf);
}

TEST_F(DrukFvTest, LongInvoiceContinuesWithHeadingsAndPageNumbers)
{
    const int u = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 5);
    std::vector<TTestItem> items;
    for (int i = 0; i < 45; ++i)
        items.push_back({QStringLiteral("Usługa %1").arg(i, 2, 10, QLatin1Char('0')),
                         M("10.00"),
                         {},
                         QStringLiteral("23%"),
                         {}});
    const int fv = AddInvoice(u, QStringLiteral("FV/45/2025"), items);
    S()->ExecQuery(QStringLiteral("update Userdb set U_RODZAJWYDRUKUFV=2 where U_INDEX=:p1"), {u});
    const QString pdf = PrintPdf(QStringLiteral("select * from vFvLista where FV_INDEX=%1").arg(fv));
    ASSERT_GE(PdfPages(pdf), 2);
    const QString text = flat(PdfText(pdf));
    EXPECT_TRUE(text.contains(QStringLiteral("Strona 2")));
    // The later page repeats the headings, discount headings included.
    EXPECT_EQ(text.count(QStringLiteral("Nazwa towaru/usługi")), PdfPages(pdf));
    EXPECT_EQ(text.count(QStringLiteral("Rabat%")), PdfPages(pdf) - 1);
    EXPECT_TRUE(text.contains(QStringLiteral("45. Usługa 44")));
}

TEST_F(DrukFvTest, ItemsInNameOrderDuplicateNoteAndDiscountColumns)
{
    const int u = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 9);
    const int fv =
        AddInvoice(u, QStringLiteral("FV/9/2025"),
                   {{QStringLiteral("Zestaw montażowy"), M("100.00"), {}, QStringLiteral("23%"), M("10")},
                    {QStringLiteral("Abonament"), M("50.00"), {}, QStringLiteral("23%"), {}}});
    TFormDrukFv* form = FormDrukFv();
    form->Duplikat = true;
    form->DuplikatDate = QStringLiteral("2025-04-02");
    const QString pdf = PrintPdf(QStringLiteral("select * from vFvLista where FV_INDEX=%1").arg(fv));
    form->Duplikat = false;
    RenderPng(pdf);
    const QString text = flat(PdfText(pdf));
    EXPECT_TRUE(text.contains(QStringLiteral("DUPLIKAT z dnia 2025-04-02")));
    EXPECT_LT(text.indexOf(QStringLiteral("1. Abonament")),
              text.indexOf(QStringLiteral("2. Zestaw montażowy")));
    EXPECT_TRUE(text.contains(QStringLiteral("Rabat%")));
    EXPECT_TRUE(text.contains(QStringLiteral("10,00%")));
    EXPECT_TRUE(text.contains(QStringLiteral("Kwota rabatu:")));
}

TEST_F(DrukFvTest, UnsettledDocumentsVariantListsTheOpenInvoices)
{
    const int u = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 11);
    AddInvoice(u, QStringLiteral("FV/1/2025"),
               {{QStringLiteral("Abonament"), M("59.00"), {}, QStringLiteral("23%"), {}}}, QDate(2025, 1, 1));
    const int fv = AddInvoice(u, QStringLiteral("FV/2/2025"),
                              {{QStringLiteral("Abonament"), M("59.00"), {}, QStringLiteral("23%"), {}}},
                              QDate(2025, 2, 1));
    S()->ExecQuery(QStringLiteral("update Userdb set U_RODZAJWYDRUKUFV=3 where U_INDEX=:p1"), {u});
    const QString pdf = PrintPdf(QStringLiteral("select * from vFvLista where FV_INDEX=%1").arg(fv));
    RenderPng(pdf);
    const QString text = flat(PdfText(pdf));
    EXPECT_TRUE(text.contains(QStringLiteral("Lista nierozliczonych dokumentów na dzień")));
    EXPECT_TRUE(text.contains(QStringLiteral("RAZEM DO ROZLICZENIA: 118,00 zł"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Nazwa zleceniodawcy")));
}

TEST_F(DrukFvTest, BarCodesOffLeaveNoCode93)
{
    SetGlobal(QStringLiteral("DrukujKodyKreskowe"), QStringLiteral("0"));
    const int u = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 12);
    S()->ExecQuery(QStringLiteral("update Userdb set U_RODZAJWYDRUKUFV=2 where U_INDEX=:p1"), {u});
    const int fv = AddInvoice(u, QStringLiteral("FV/12/2025"),
                              {{QStringLiteral("Abonament"), M("59.00"), {}, QStringLiteral("23%"), {}}});
    const QString pdf = PrintPdf(QStringLiteral("select * from vFvLista where FV_INDEX=%1").arg(fv));
    EXPECT_TRUE(PdfCodes(pdf, 300).isEmpty());
}
