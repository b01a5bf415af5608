// The contract printout read back from its PDFs: the template's RTF body with
// its Polish letters and table, the heading by kind with the number's Code 93,
// the layout variants, and the routes that refuse, mail and hand over a
// document. The PDFs stay in build/test-output/contracts.
#include "printouts/DrukUmowa.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/MagazynBlob.h"
#include "core/Session.h"
#include "platform/PdfPrinter.h"
#include "printouts/SmtpClient.h"
#include "registers/UmowyDane.h"
#include "tests/printouts/DrukFvFixture.h"
#include "tests/printouts/smtp/SmtpTestServer.h"
#include "tests/support/RowInsert.h"
#include "tests/support/RtfSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <functional>

namespace {

class DrukUmowa : public DrukFvTest
{
protected:
    void SetUp() override
    {
        DrukFvTest::SetUp();
        if (HasFatalFailure()) return;
        ExportFolder = TestOutputDir(QStringLiteral("contracts")) + QLatin1Char('/');
        TMD::ClearRecorded();
        TMD::SetTestHook([](const TMD::Shown&) { return int(mrOk); });
    }
    void TearDown() override
    {
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        DrukFvTest::TearDown();
    }
    int templ()
    {
        if (m_templ == 0)
            m_templ = InsertRow(
                S(), "Szablony",
                {{"SZ_RODZAJ", "U"},
                 {"SZ_NAZWA", "Umowa standard"},
                 {"SZ_TEMAT", "Umowa o świadczenie usług"},
                 {"SZ_TRESC", QString::fromLatin1(ReadRtfData(QStringLiteral("umowa_szablon.rtf")))},
                 {"SZ_TRESC2", ""}});
        return m_templ;
    }
    // A document frozen from the template as the editor's save leaves it.
    int AddDocument(int user, const QString& numberText, int kind, const char* end = "2026-03-14",
                    bool withTemplate = true)
    {
        const int id = InsertRow(S(), "Umowy",
                                 {{"UM_INDEXUSER", user},
                                  {"UM_NUMER", numberText.section(QLatin1Char('/'), 0, 0).toInt()},
                                  {"UM_NUMERTXT", numberText},
                                  {"UM_DATAZAWARCIA", "2024-03-15"},
                                  {"UM_DATASTART", kind == ukPzo ? "" : "2024-03-15"},
                                  {"UM_DATAKONIEC", kind == ukPzo ? "" : end},
                                  {"UM_CZYANEKS", kind},
                                  {"UM_ANEKSOPIS", kind == 0 ? "" : "do umowy nr 5/3/2024 z dnia 2024-03-15"},
                                  {"UM_TYTUL", "O świadczenie usług dostępu do internetu"},
                                  {"UM_OPIS", "Pakiet Światłowód 300"},
                                  {"UM_INDEXSZABLON", withTemplate ? templ() : 0}});
        if (withTemplate) UpdateUmowaText(id);
        return id;
    }
    QString Pdf(const QString& name) { return ExportFolder + name + QStringLiteral(".pdf"); }
    // Prints the document to the PDF printer; the file's text.
    QString PrintedText(int id, const QString& name)
    {
        QFile::remove(Pdf(name));
        PrintUmowaPdfCommand(id);
        EXPECT_TRUE(QFile::exists(Pdf(name))) << name.toStdString();
        RenderPng(Pdf(name));
        return flat(PdfText(Pdf(name)));
    }
    QStringList Messages() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }
    int m_templ = 0;
};

void ExpectNoRtfLeft(const QString& text)
{
    for (const char* word : {"\\par", "\\'", "\\rtf", "\\cell", "\\b", "<#", "{\\"})
        EXPECT_FALSE(text.contains(QString::fromLatin1(word))) << word << "\n" << text.toStdString();
}

} // namespace

TEST_F(DrukUmowa, AnnexPrintsItsTemplateBodyAndItsNumberAsCode93)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 17);
    const int id = AddDocument(u, QStringLiteral("2/3/2024"), ukAneks);
    const QString text = PrintedText(id, QStringLiteral("Aneks_2_3_2024"));
    for (const char* t : {"ANEKS nr 2/3/2024 do umowy nr 5/3/2024 z dnia 2024-03-15", "Zażółć gęślą jaźń",
                          "Umowa nr 2/3/2024 zawarta w dniu 2024-03-15 z Kowalski Jan", "Usługa Okres",
                          "Internet 2024-03-15 - 2026-03-14", "Klient nr 0017", "Usługodawca",
                          "Światłowodowa Sieć Łódź", "Usługobiorca", "Data końca umowy: 2026-03-14",
                          "Pakiet Światłowód 300", "Podpis usługodawcy", "Podpis usługobiorcy", "PESEL"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t << "\n" << text.toStdString();
    ExpectNoRtfLeft(text);
    const QStringList codes = PdfCodes(Pdf(QStringLiteral("Aneks_2_3_2024")));
    EXPECT_TRUE(codes.contains(QStringLiteral("CODE-93:2/3/2024")))
        << codes.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(S()->GetQueryValueAsInteger(
                  QStringLiteral("select UM_CZYWYDRUKOWANA from Umowy where UM_INDEX=:p1"), {id}),
              1);
}

TEST_F(DrukUmowa, ContractWithoutEndIsConcludedForAnIndefiniteTime)
{
    const int u = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Anna"), 5);
    const int id = AddDocument(u, QStringLiteral("5/3/2024"), ukUmowa, "");
    const QString text = PrintedText(id, QStringLiteral("Umowa_5_3_2024"));
    EXPECT_TRUE(text.contains(QStringLiteral("UMOWA nr 5/3/2024"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Umowa zawarta na czas nieokreślony")));
    EXPECT_FALSE(text.contains(QStringLiteral("Data końca umowy")));
    EXPECT_TRUE(PdfCodes(Pdf(QStringLiteral("Umowa_5_3_2024"))).contains(QStringLiteral("CODE-93:5/3/2024")));
}

TEST_F(DrukUmowa, ProtocolHasTheHandOverDateAndNoBarCode)
{
    const int u = AddSubscriber(QStringLiteral("Wiśniewski"), QStringLiteral("Piotr"), 123);
    const int id = AddDocument(u, QStringLiteral("PZO_123_20240315"), ukPzo);
    const QString text = PrintedText(id, QStringLiteral("Pzo_PZO_123_20240315"));
    EXPECT_TRUE(text.contains(QStringLiteral("PROTOKÓŁ ZDAWCZO-ODBIORCZY do umowy nr 5/3/2024")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Data przekazania sprzętu")));
    EXPECT_TRUE(text.contains(QStringLiteral("Zażółć gęślą jaźń")));
    for (const char* t : {"Data zawarcia", "Data początkowa", "Data końca umowy", "zawarta na czas"})
        EXPECT_FALSE(text.contains(QString::fromUtf8(t))) << t;
    EXPECT_TRUE(PdfCodes(Pdf(QStringLiteral("Pzo_PZO_123_20240315"))).isEmpty());
}

TEST_F(DrukUmowa, VariantThreePrintsTheBodyAlone)
{
    SetGlobal(QStringLiteral("WariantWydrukuUmowy"), QStringLiteral("3"));
    const int u = AddSubscriber(QStringLiteral("Zając"), QStringLiteral("Ewa"), 9);
    const int id = AddDocument(u, QStringLiteral("9/3/2024"), ukUmowa);
    const QString text = PrintedText(id, QStringLiteral("Umowa_9_3_2024"));
    EXPECT_TRUE(text.contains(QStringLiteral("Zażółć gęślą jaźń"))) << text.toStdString();
    for (const char* t : {"UMOWA nr", "Usługodawca", "Podpis usługobiorcy", "Strona"})
        EXPECT_FALSE(text.contains(QString::fromUtf8(t))) << t;
    EXPECT_TRUE(PdfCodes(Pdf(QStringLiteral("Umowa_9_3_2024"))).isEmpty());
}

TEST_F(DrukUmowa, PlainBodyPrintsAsStoredAndTheAddresseeLineReplacesTheAddress)
{
    const int u = AddSubscriber(QStringLiteral("Lis"), QStringLiteral("Adam"), 4);
    const int id = AddDocument(u, QStringLiteral("4/3/2024"), ukUmowa, "2026-03-14", false);
    S()->ExecQuery(
        QStringLiteral("update Umowy set UM_TRESC=:p1, UM_ODBIORCATXT=:p2 where UM_INDEX=:p3"),
        {QStringLiteral("Treść bez formatowania {\\b nie RTF}"), QStringLiteral("Skrytka 12, Łódź"), id});
    const QString text = PrintedText(id, QStringLiteral("Umowa_4_3_2024"));
    EXPECT_TRUE(text.contains(QStringLiteral("Treść bez formatowania {\\b nie RTF}"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Skrytka 12, Łódź")));
}

TEST_F(DrukUmowa, RefusalsPrintNothing)
{
    const int withMail = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 1, QString());
    S()->ExecQuery(QStringLiteral("update Userdb set U_EMAIL='jan@orlix.test' where U_INDEX=:p1"),
                   {withMail});
    const int noMail = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Jan"), 2);
    const int noTemplate = AddDocument(withMail, QStringLiteral("11/3/2024"), ukUmowa, "", false);
    const int unmailed = AddDocument(noMail, QStringLiteral("12/3/2024"), ukUmowa);
    const int fine = AddDocument(withMail, QStringLiteral("13/3/2024"), ukUmowa);
    InsertRow(S(), "MagazynBlob", {{"MB_PRIV", 0}, {"MB_NAZWA", QStringLiteral("UmowaID%1").arg(fine)}});
    const QString noPdf =
        QStringLiteral("Proszę wskazać w konfiguracji drukarkę PDFów zainstalowaną w systemie");
    const QString stored = QStringLiteral("Ta umowa ma zapisany wydruk z poprzedniej wersji programu");
    struct TCase
    {
        const char* rule;
        std::function<void()> run;
        QString message;
        bool pdfPrinter = true;
    };
    const TCase cases[] = {
        {"no PDF printer: print", [&] { PrintUmowaPdfCommand(fine); }, noPdf, false},
        {"no PDF printer: e-mail", [&] { SendUmowaByEmail(fine); }, noPdf, false},
        {"no PDF printer: portal", [&] { SendUmowaToVove(fine); }, noPdf, false},
        {"no template: e-mail", [&] { SendUmowaByEmail(noTemplate); },
         QStringLiteral("Umowa nie ma przypisanego szablonu")},
        {"no template: portal", [&] { SendUmowaToVove(noTemplate); },
         QStringLiteral("Umowa nie ma przypisanego szablonu")},
        {"no address", [&] { SendUmowaByEmail(unmailed); },
         QStringLiteral("Brak adresu email w kartotece użytkownika")},
        {"carried over", [&] { SendUmowaByEmail(-4); },
         QStringLiteral("Umowa przeniesiona bilansem otwarcia. Nie możesz jej drukować ani edytować")},
        {"stored printout", [&] { PrintUmowaDocument(fine, 2); }, stored},
    };
    for (const TCase& c : cases) {
        WriteIniString(OperatorId, QStringLiteral("DrukarkaPDF"),
                       c.pdfPrinter ? ProgramPdfPrinterName : QString());
        TMD::ClearRecorded();
        c.run();
        ASSERT_EQ(Messages().size(), 1) << c.rule;
        EXPECT_TRUE(Messages().first().startsWith(c.message))
            << c.rule << ": " << Messages().first().toStdString();
    }
    EXPECT_TRUE(QDir(ExportFolder).entryList({QStringLiteral("Umowa_1?_3_2024.pdf")}).isEmpty());
}

TEST_F(DrukUmowa, AnnexIsMailedAsItsPdfUnderItsName)
{
    TSmtpTestServer server;
    ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
    WriteIniString(0, QStringLiteral("PocztaOrlixSerwer"), QStringLiteral("127.0.0.1"));
    WriteIniInteger(0, QStringLiteral("PocztaOrlixPort"), server.Port());
    WriteIniString(0, QStringLiteral("PocztaOrlixUser"), TSmtpTestServer::User);
    WriteIniString(0, QStringLiteral("PocztaOrlixHaslo"), TSmtpTestServer::Password);
    WriteIniString(0, QStringLiteral("PocztaOrlixFromAdres"), QStringLiteral("biuro@orlix.test"));
    WriteIniInteger(0, QStringLiteral("RodzajWysylaniaMaili"), 1);
    WriteIniString(0, QString::fromLatin1(MailCertificateSetting), server.CertificatePath());
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 17);
    S()->ExecQuery(QStringLiteral("update Userdb set U_EMAIL='jan@orlix.test' where U_INDEX=:p1"), {u});
    const int id = AddDocument(u, QStringLiteral("2/3/2024"), ukAneks);
    QFile::remove(Pdf(QStringLiteral("Aneks_2_3_2024")));
    SendUmowaByEmail(id);
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Wiadomość została wysłana")});
    ASSERT_TRUE(QFile::exists(Pdf(QStringLiteral("Aneks_2_3_2024"))));
    const auto mails = server.Messages();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0][QStringLiteral("subject")].toString(), QStringLiteral("[Admin] Aneks_2_3_2024"));
    EXPECT_TRUE(QJsonDocument(mails[0]).toJson().contains("Aneks_2_3_2024.pdf"));
    EXPECT_TRUE(QJsonDocument(mails[0]).toJson().contains("jan@orlix.test"));
}

TEST_F(DrukUmowa, UnsignedContractHandedToThePortalWaitsForItsSignature)
{
    const int u = AddSubscriber(QStringLiteral("Kowalski"), QStringLiteral("Jan"), 17);
    const int id = AddDocument(u, QStringLiteral("7/3/2024"), ukUmowa);
    auto data = std::make_unique<TData>();
    Data = data.get();
    SendUmowaToVove(id);
    Data = nullptr;
    EXPECT_EQ(Messages(), QStringList{QStringLiteral(
                              "Dokument wysłany na vIDId5 i oczekuje na podpisanie przez abonenta")});
    EXPECT_EQ(S()->GetQueryValueAsInteger(
                  QStringLiteral("select UM_CZYNAIBOKU from Umowy where UM_INDEX=:p1"), {id}),
              1);
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from MagazynBlob2")), 1);
}
