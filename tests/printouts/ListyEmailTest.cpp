// E-mail from the document lists: the invoice list's and the payment demand
// list's PDF goes out attached through a real SMTP server on loopback; the
// refusals without an address or without the PDF.
#include "billing/FvLista.h"
#include "billing/ListyDruk.h"
#include "billing/PzLista.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/Session.h"
#include "printouts/SmtpClient.h"
#include "tests/printouts/DrukFvFixture.h"
#include "tests/printouts/smtp/SmtpTestServer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

namespace {

class ListyEmailTest : public DrukFvTest
{
protected:
    void SetUp() override
    {
        DrukFvTest::SetUp();
        m_savedPrintDemand = ListHooks().printDemand;
        if (HasFatalFailure()) return;
        TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
        TMD::ClearRecorded();
        user = AddSubscriber(QStringLiteral("Nowak"), QStringLiteral("Ewa"), 5);
        S()->ExecQuery(QStringLiteral("update Userdb set U_EMAIL=:p1 where U_INDEX=:p2"),
                       {QStringLiteral("ewa@orlix.test"), user});
    }
    void TearDown() override
    {
        ListHooks().printDemand = m_savedPrintDemand;
        TMD::ClearTestHook();
        DrukFvTest::TearDown();
    }
    void useServer(const TSmtpTestServer& server)
    {
        WriteIniString(0, QString::fromLatin1(MailCertificateSetting), server.CertificatePath());
        WriteIniString(0, QStringLiteral("PocztaOrlixSerwer"), QStringLiteral("127.0.0.1"));
        WriteIniInteger(0, QStringLiteral("PocztaOrlixPort"), server.Port());
        WriteIniString(0, QStringLiteral("PocztaOrlixUser"), TSmtpTestServer::User);
        WriteIniString(0, QStringLiteral("PocztaOrlixHaslo"), TSmtpTestServer::Password);
        WriteIniString(0, QStringLiteral("PocztaOrlixFromAdres"), QStringLiteral("biuro@orlix.test"));
        WriteIniInteger(0, QStringLiteral("RodzajWysylaniaMaili"), 1);
    }
    static QStringList attachments(const QJsonObject& message)
    {
        QStringList out;
        for (const QJsonValue& p : message[QStringLiteral("parts")].toArray())
            if (!p[QStringLiteral("filename")].toString().isEmpty())
                out << p[QStringLiteral("filename")].toString();
        return out;
    }
    QStringList shown() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }

    int user = 0;
    std::function<void(int, const QString&, bool)> m_savedPrintDemand;
};

TEST_F(ListyEmailTest, FvListaEmailSendsTheInvoicePdfAttached)
{
    TSmtpTestServer server;
    ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
    useServer(server);
    AddInvoice(
        user, QStringLiteral("12/01/2025"),
        {{QStringLiteral("Internet"), Amount4::fromInt(50), Amount4::fromInt(1), QStringLiteral("23%"), {}}},
        QDate::currentDate());
    TFormFvLista list;
    list.show();
    ASSERT_EQ(list.Query()->RecordCount(), 1);
    list.WyslijEmail();
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Wiadomość została wysłana")});
    const QList<QJsonObject> messages = server.Messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(attachments(messages[0]), QStringList{QStringLiteral("F_12_01_2025.pdf")});
    EXPECT_TRUE(
        messages[0][QStringLiteral("subject")].toString().contains(QStringLiteral("Faktura 12/01/2025")));
}

TEST_F(ListyEmailTest, PzListaEmailSendsTheDemandPdfAttached)
{
    TSmtpTestServer server;
    ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
    useServer(server);
    S()->ExecQuery(
        QStringLiteral("insert into Pz (PZ_INDEXUSER, PZ_NUMERTXT, PZ_DATAWYSTAWIENIA, PZ_SUMABRUTTO, "
                       "PZ_KWOTADOROZLICZENIA) values (:p1, :p2, CURDATE(), 10, 10)"),
        {user, QStringLiteral("5/01/2025")});
    // The demand printout's stand-in writes what the PDF printer would.
    QStringList printed;
    ListHooks().printDemand = [&printed](int pz, const QString&, bool pdf) {
        printed << QString::number(pz) + (pdf ? QStringLiteral(" pdf") : QString());
        QFile f(ExportFolder + QStringLiteral("P_5_01_2025.pdf"));
        f.open(QIODevice::WriteOnly);
        f.write("%PDF-1.4\n%%EOF\n");
    };
    TFormPzLista list;
    list.show();
    ASSERT_EQ(list.Query()->RecordCount(), 1);
    list.WyslijEmail();
    EXPECT_EQ(printed.size(), 1);
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Wiadomość została wysłana")});
    const QList<QJsonObject> messages = server.Messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(attachments(messages[0]), QStringList{QStringLiteral("P_5_01_2025.pdf")});
}

TEST_F(ListyEmailTest, FvListaEmailRefusals)
{
    AddInvoice(
        user, QStringLiteral("13/01/2025"),
        {{QStringLiteral("Internet"), Amount4::fromInt(50), Amount4::fromInt(1), QStringLiteral("23%"), {}}},
        QDate::currentDate());
    // No address in the card.
    S()->ExecQuery(QStringLiteral("update Userdb set U_EMAIL='' where U_INDEX=:p1"), {user});
    TFormFvLista list;
    list.show();
    list.WyslijEmail();
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Brak adresu email w kartotece użytkownika")});

    // The PDF never appears (no PDF printer): the file is named.
    TMD::ClearRecorded();
    S()->ExecQuery(QStringLiteral("update Userdb set U_EMAIL='ewa@orlix.test' where U_INDEX=:p1"), {user});
    TEmailJob job;
    job.address = QStringLiteral("ewa@orlix.test");
    job.fileName = DocumentPdfFile(QStringLiteral("F_"), QStringLiteral("13/01/2025"));
    job.makePdf = [] {};
    job.firstWaitMs = 100;
    job.secondWaitMs = 100;
    EmailListedDocument(job);
    EXPECT_EQ(shown(), QStringList{QStringLiteral("Nie udało się odnaleźć załącznika:\r\n") + ExportFolder +
                                   QStringLiteral("F_13_01_2025.pdf")});
}

} // namespace
