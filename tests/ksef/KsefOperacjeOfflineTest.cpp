// Offline registration of invoices: the two verification links, the stored
// file that the later online send carries, and the printout's QR codes.
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/KsefCrypto.h"
#include "ksef/KsefOperacje.h"
#include "ksef/KsefStan.h"
#include "ksef/KsefTabele.h"
#include "platform/PdfPrinter.h"
#include "printouts/DrukFv.h"
#include "tests/ksef/KsefOpsFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// Every code zbarimg finds on the PDF's pages.
QStringList pdfCodes(const QString& pdf)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("p"));
    RunTool(QStringLiteral("pdftoppm"), {"-r", "600", "-gray", "-png", pdf, prefix}, dir.path());
    QStringList codes;
    for (const QFileInfo& fi :
         QDir(dir.path()).entryInfoList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
        for (const QString& l :
             QString::fromUtf8(RunTool(QStringLiteral("zbarimg"), {"--quiet", fi.filePath()}, dir.path()))
                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            codes << l.trimmed();
    return codes;
}

} // namespace

class KsefOperacjeOffline : public KsefOpsTest
{
protected:
    QString Row(int fv, const char* column)
    {
        return Text(QStringLiteral("select FV_KSEF_%1 from FvKsef where FV_KSEF_IDFAKTURY=:p1")
                        .arg(QLatin1String(column)),
                    {fv});
    }
};

TEST_F(KsefOperacjeOffline, RegisteredInvoiceCarriesVerifiableLinksAndGoesLaterAsItsStoredFile)
{
    const struct
    {
        int company;
        const char* nip;
        const char* keyType;
    } cases[] = {{1, kNip1, "rsa"}, {2, kNip2, "ec"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyType);
        const TTestCert offline = IssueSeal(QStringLiteral("offline-") + QLatin1String(c.keyType),
                                            QString::fromLatin1(c.nip), QString::fromLatin1(c.keyType));
        StorePair(false, offline);
        // Another company's online client is in place: the registration must not use it.
        QString text;
        KsefInit(1, 3 - c.company, text);
        const int fv = AddFv(c.company, QStringLiteral("FV/%1/02/2026").arg(40 + c.company));
        const QString file = Out() + QStringLiteral("KSeF_FV_%1.xml").arg(fv);
        ASSERT_FALSE(QFile::exists(file));

        const int sessions = m_stub.Count(QStringLiteral("POST /v2/sessions/online"));
        KsefSendFvOffline(fv, text);
        ASSERT_EQ(text, QStringLiteral("Faktura wysłana do KSeF w trybie OFFLINE"));
        EXPECT_EQ(m_stub.Count(QStringLiteral("POST /v2/sessions/online")), sessions) << "nothing is sent";
        ASSERT_TRUE(QFile::exists(file)) << "the missing FA(3) file is written first";
        EXPECT_EQ(Row(fv, "STATUS"), KsefStatusOffline);
        EXPECT_EQ(Row(fv, "NRREFSESJI"), QString());
        EXPECT_EQ(Row(fv, "TYPBRAMKI"), QStringLiteral("2"));
        EXPECT_TRUE(KsefDocumentSent('F', fv));
        // The online client of the document's company is back in place.
        EXPECT_EQ(KsefState().Mode, 1);
        EXPECT_EQ(KsefState().CompanyId, c.company);

        const QString hash = QString::fromLatin1(
            RunTool(QStringLiteral("openssl"), {"dgst", "-sha256", "-binary", file}, m_tmp.path())
                .toBase64());
        QString computed;
        KsefFileHash(file, computed);
        EXPECT_EQ(computed, hash);
        const QString hashUrl = KsefCrypto::Base64ToBase64Url(hash);
        const QString link1 = Row(fv, "LINKOFFLINE");
        EXPECT_EQ(link1, QStringLiteral("https://qr-test.ksef.mf.gov.pl/invoice/%1/15-02-2026/%2")
                             .arg(QLatin1String(c.nip), hashUrl));
        const QString link2 = Row(fv, "LINKCERTOFFLINE");
        const QString serial =
            QString::fromLatin1(RunTool(QStringLiteral("openssl"),
                                        {"x509", "-noout", "-serial", "-in", offline.Crt}, m_tmp.path()))
                .trimmed()
                .section(QLatin1Char('='), 1);
        const QString prefix = QStringLiteral("https://qr-test.ksef.mf.gov.pl/certificate/Nip/%1/%1/%2/%3/")
                                   .arg(QLatin1String(c.nip), serial, hashUrl);
        ASSERT_TRUE(link2.startsWith(prefix)) << link2.toStdString();
        if (QLatin1String(c.keyType) == QLatin1String("rsa")) {
            EXPECT_GT(link2.size(), 255) << "stored whole";
        }
        const QByteArray signature =
            QByteArray::fromBase64(link2.mid(prefix.size()).toLatin1(), QByteArray::Base64UrlEncoding);
        EXPECT_TRUE(VerifyWithCertificate(offline.Crt, prefix.mid(8, prefix.size() - 9).toUtf8(), signature));

        KsefSendFvOffline(fv, text);
        EXPECT_EQ(text, QStringLiteral("Dokument został już wysłanay do KSeF"));

        // The document changes and its export file is written anew: KSeF still gets
        // the file the links were made from.
        S()->ExecQuery(QStringLiteral("update Fv set FV_UWAGI='zmienione' where FV_INDEX=:p1"), {fv});
        QFile::remove(file);
        KsefInit(1, c.company, text);
        KsefOpenSession(text);
        KsefSendFv(fv, text);
        EXPECT_TRUE(text.startsWith(QStringLiteral("Faktura wysłana do KSeF pod Nr referenc.: ")))
            << text.toStdString();
        EXPECT_EQ(Row(fv, "STATUS"), QString());
        EXPECT_EQ(Row(fv, "LINKOFFLINE"), link1);
        EXPECT_EQ(Row(fv, "LINKCERTOFFLINE"), link2);
        KsefCheckFvStatus(fv, text);
        EXPECT_EQ(Row(fv, "NRKSEF").size(), 35) << text.toStdString();
        KsefCloseSession(text);
        KsefGetFvUpo(fv, text);
        const QByteArray upo = ReadBytes(text.mid(QStringLiteral("Zapisano UPO: ").size()));
        EXPECT_EQ(UpoField(upo, "SkrotDokumentu"), hash);
        EXPECT_EQ(UpoField(upo, "TrybWysylki"), QStringLiteral("Offline"));
    }
}

TEST_F(KsefOperacjeOffline, DocumentAlreadySentOnlineIsNotRegisteredOffline)
{
    const int fv = AddFv(1, QStringLiteral("FV/50/02/2026"));
    QString text;
    KsefInit(1, 1, text);
    KsefOpenSession(text);
    KsefSendFv(fv, text);
    KsefSendFvOffline(fv, text);
    EXPECT_EQ(text, QStringLiteral("Dokument został już wysłanay do KSeF"));
    EXPECT_EQ(Row(fv, "LINKCERTOFFLINE"), QString());
}

TEST_F(KsefOperacjeOffline, MissingOfflineCertificateRegistersNothing)
{
    WriteIniString(0, QStringLiteral("KSeF_CrtOffline.crt_Nazwa"), QString());
    const int fv = AddFv(1, QStringLiteral("FV/51/02/2026"));
    QString text;
    KsefSendFvOffline(fv, text);
    EXPECT_EQ(text, QStringLiteral("Wysyłka w trybie OFFLINE się nie powiodła"));
    EXPECT_EQ(Int(QStringLiteral("select count(*) from FvKsef")), 0);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from MagazynBlob where MB_NAZWA like 'KSeF_FV_%'")), 0);
    EXPECT_EQ(KsefState().Mode, 1) << "the online client is reopened";
}

TEST_F(KsefOperacjeOffline, PrintedInvoiceShowsBothCodes)
{
    const int fv = AddFv(1, QStringLiteral("FV/52/02/2026"));
    QString text;
    KsefSendFvOffline(fv, text);
    ASSERT_EQ(text, QStringLiteral("Faktura wysłana do KSeF w trybie OFFLINE"));
    WriteIniString(OperatorId, QStringLiteral("DrukarkaPDF"), ProgramPdfPrinterName);
    TFormDrukFv* form = FormDrukFv();
    form->PrinterName = ProgramPdfPrinterName;
    form->QFv()->SetSQL(QStringLiteral("select * from vFvLista where FV_INDEX=%1").arg(fv));
    form->PrintDirect();
    const QString pdf = form->LastPdfFile;
    form->QFv()->Close();
    form->QFvPozycje()->Close();
    form->QUserdb()->Close();
    ASSERT_TRUE(QFile::exists(pdf)) << pdf.toStdString();
    EXPECT_TRUE(pdf.startsWith(Out()));
    const QStringList codes = pdfCodes(pdf);
    EXPECT_TRUE(codes.contains(QStringLiteral("QR-Code:") + Row(fv, "LINKOFFLINE")))
        << codes.join('|').toStdString();
    EXPECT_TRUE(codes.contains(QStringLiteral("QR-Code:") + Row(fv, "LINKCERTOFFLINE")))
        << codes.join('|').toStdString();
}
