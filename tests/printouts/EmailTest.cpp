#include "printouts/Email.h"

#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/Session.h"
#include "platform/DesktopMail.h"
#include "printouts/MimeMessage.h"
#include "printouts/SmtpClient.h"
#include "tests/printouts/smtp/SmtpTestServer.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

const QString kFrom = QStringLiteral("biuro@orlix.test");
const QString kSignature = QStringLiteral("Pozdrawiamy\r\nBiuro Obsługi");
const QString kPolish = QStringLiteral("zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ");

QString normalLines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QStringList jsonStrings(const QJsonValue& v)
{
    QStringList out;
    for (const QJsonValue& e : v.toArray())
        out << e.toString();
    return out;
}

QStringList rcptOf(const QList<QJsonObject>& messages)
{
    QStringList out;
    for (const QJsonObject& m : messages)
        out << jsonStrings(m[QStringLiteral("rcpt_tos")]).join(QLatin1Char(','));
    return out;
}

QString header(const QJsonObject& m, const char* name)
{
    return m[QStringLiteral("headers")].toObject()[QString::fromLatin1(name)].toString();
}

QString todayVariables()
{
    const QDate d = QDate::currentDate();
    return QStringLiteral("%1/%2").arg(d.month(), 2, 10, QLatin1Char('0')).arg(d.year());
}

// ---- rules without a server

TEST(MailPreparation, SettingsFillWhatTheCallerLeavesOpen)
{
    TMailSettings s;
    s.server = QStringLiteral("smtp.ustawienia");
    s.port = 587;
    s.user = QStringLiteral("u");
    s.password = QStringLiteral("p");
    s.fromName = QStringLiteral("Nazwa");
    s.fromAddress = QStringLiteral("od@ustawienia");
    s.bcc = QStringLiteral("kopia@ustawienia");
    s.ssl = true;
    s.signature = QStringLiteral("Podpis");
    const QDate day(2025, 3, 5);

    struct Case
    {
        const char* rule;
        TMailArgs args;
        QString subject;
        QString body;
    };
    const Case cases[] = {
        {"a plain subject gets the prefix and a blank",
         {"a@x", "-", "Faktura", "Treść", "-", "-", "-", "-", "-", "-", 0, "-", 0},
         "[Admin] Faktura",
         QStringLiteral("Treść \r\nPodpis")},
        {"an exclamation mark drops itself and the prefix",
         {"a@x", "-", "!Faktura", "Treść", "-", "-", "-", "-", "-", "-", 0, "-", 0},
         "Faktura",
         QStringLiteral("Treść \r\nPodpis")},
        {"an open subject is the prefix and a blank",
         {"a@x", "-", "-", "x", "-", "-", "-", "-", "-", "-", 0, "-", 0},
         "[Admin] ",
         "x \r\nPodpis"},
        {"date variables of the subject only",
         {"a@x", "-", "!<#D>.<#M>.<#Y> <#m>", "<#Y>", "-", "-", "-", "-", "-", "-", 0, "-", 0},
         QStringLiteral("5.03.2025 marzec"),
         "<#Y> \r\nPodpis"},
        {"an open body is the settings' message",
         {"a@x", "-", "!s", "-", "-", "-", "-", "-", "-", "-", 0, "-", 0},
         "s",
         "Wiadomosc od administratora \r\nPodpis"},
        {"an empty body too",
         {"a@x", "-", "!s", "", "-", "-", "-", "-", "-", "-", 0, "-", 0},
         "s",
         "Wiadomosc od administratora \r\nPodpis"},
    };
    for (const Case& c : cases) {
        const TPreparedMail p = PrepareMail(c.args, s, day);
        EXPECT_EQ(p.subject, c.subject) << c.rule;
        EXPECT_EQ(p.body, c.body) << c.rule;
    }

    const TPreparedMail open = PrepareMail(cases[0].args, s, day);
    EXPECT_EQ(open.server, s.server);
    EXPECT_EQ(open.port, 587);
    EXPECT_EQ(open.user, s.user);
    EXPECT_EQ(open.password, s.password);
    EXPECT_EQ(open.fromName, s.fromName);
    EXPECT_EQ(open.fromAddress, s.fromAddress);
    EXPECT_EQ(open.bcc, s.bcc);
    EXPECT_TRUE(open.ssl);
    EXPECT_EQ(open.attachments, QString());

    const TMailArgs given{"a@x", "f.pdf", "s", "b", "", "N", "od@x", "h", "l", "h2", 2525, "N", 9};
    const TPreparedMail p = PrepareMail(given, s, day);
    EXPECT_EQ(p.server, QStringLiteral("h"));
    EXPECT_EQ(p.port, 2525);
    EXPECT_EQ(p.bcc, QString()) << "an empty Bcc means no copy, not the setting";
    EXPECT_FALSE(p.ssl);
    EXPECT_EQ(p.attachments, QStringLiteral("f.pdf"));
    EXPECT_EQ(p.userIndex, 9);
    EXPECT_TRUE(
        PrepareMail({"a", "-", "s", "b", "-", "-", "-", "-", "-", "-", 0, "T", 0}, TMailSettings(), day).ssl);
}

TEST(MailPreparation, SemicolonListsSkipEmptyItems)
{
    struct Case
    {
        QString text;
        bool trim;
        QStringList items;
    };
    const Case cases[] = {
        {"a@x;b@x;", true, {"a@x", "b@x"}},
        {";; a@x ;  ;b@x", true, {"a@x", "b@x"}},
        {" /tmp/a b.pdf;/tmp/c.pdf;", false, {" /tmp/a b.pdf", "/tmp/c.pdf"}},
        {"", true, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitMailList(c.text, c.trim), c.items) << c.text.toStdString();
}

TEST(MailPreparation, MessageIdIsThreeSignedNumbersAndTheSender)
{
    QRandomGenerator random(12345);
    const QRegularExpression shape(QStringLiteral("^00(-?\\d+)(-?\\d+)(-?\\d+)biuro@orlix\\.test$"));
    bool negativeSeen = false;
    for (int i = 0; i < 200; ++i) {
        const QString id = MakeMessageId(kFrom, random);
        ASSERT_TRUE(shape.match(id).hasMatch()) << id.toStdString();
        negativeSeen = negativeSeen || id.mid(2).contains(QLatin1Char('-'));
    }
    EXPECT_TRUE(negativeSeen) << "numbers above 2^31 are written as negative 32-bit values";
}

TEST(MailPreparation, QuotedPrintableKeepsLinesShortAndBlankLineEndsVisible)
{
    const QByteArray qp = EncodeQuotedPrintable(QString(120, QLatin1Char('x')) + QStringLiteral(" \r\nąb="));
    for (const QByteArray& line : qp.split('\n'))
        EXPECT_LE(line.trimmed().size(), 76);
    EXPECT_TRUE(qp.contains("=20\r\n=C4=85b=3D")) << qp.constData();
}

// ---- through a real SMTP server

class EmailTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadUpgradedSchema();
        m_savedHost = HostId;
        m_savedOperator = OperatorId;
        m_savedLevel = OperatorRightsLevel;
        HostId = QStringLiteral("02-00-00-00-00-01");
        OperatorId = 3;
        OperatorRightsLevel = 0;
        TMD::ClearRecorded();
        TMD::SetTestHook([](const TMD::Shown&) { return int(mrOk); });
        ASSERT_TRUE(m_files.isValid());
    }
    void TearDown() override
    {
        TMD::ClearTestHook();
        qunsetenv("ORLIX_XDG_EMAIL");
        qunsetenv("ORLIX_TEST_XDG_OUT");
        qunsetenv("ORLIX_TEST_XDG_EXIT");
        HostId = m_savedHost;
        OperatorId = m_savedOperator;
        OperatorRightsLevel = m_savedLevel;
        DbTest::TearDown();
    }

    // The server's own certificate is named in the settings, as an office
    // with a self-signed server does.
    void UseServer(const TSmtpTestServer& server)
    {
        UseServer(server.Port());
        WriteIniString(0, QString::fromLatin1(MailCertificateSetting), server.CertificatePath());
    }
    void UseServer(int port, int sendKind = 1)
    {
        WriteIniString(0, QStringLiteral("PocztaOrlixSerwer"), QStringLiteral("127.0.0.1"));
        WriteIniInteger(0, QStringLiteral("PocztaOrlixPort"), port);
        WriteIniString(0, QStringLiteral("PocztaOrlixUser"), TSmtpTestServer::User);
        WriteIniString(0, QStringLiteral("PocztaOrlixHaslo"), TSmtpTestServer::Password);
        WriteIniString(0, QStringLiteral("PocztaOrlixFromNazwa"), QStringLiteral("Biuro Łącznik"));
        WriteIniString(0, QStringLiteral("PocztaOrlixFromAdres"), kFrom);
        WriteIniInteger(0, QStringLiteral("RodzajWysylaniaMaili"), sendKind);
        WriteIniString(OperatorId, QStringLiteral("PocztaOrlixPodpis"), kSignature);
    }

    QString WriteFile(const QString& name, const QByteArray& data)
    {
        const QString path = m_files.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return path;
    }

    struct Row
    {
        QString email, subject, body, attachments;
        int operatorId, userIndex, secondsAgo;
    };
    std::vector<Row> Rows()
    {
        std::vector<Row> rows;
        auto q = S()->OpenQuery(QStringLiteral(
            "select EMW_EMAIL, EMW_TEMAT, EMW_TRESC, EMW_ZALACZNIK, EMW_OPERATORID, EMW_INDEXUSER, "
            "timestampdiff(SECOND, EMW_DATAWYSYLKI, now()) as AGO from WyslaneEmail order by EMW_INDEX"));
        for (; !q->Eof(); q->Next())
            rows.push_back({q->FieldByName(QStringLiteral("EMW_EMAIL"))->AsString(),
                            q->FieldByName(QStringLiteral("EMW_TEMAT"))->AsString(),
                            q->FieldByName(QStringLiteral("EMW_TRESC"))->AsString(),
                            q->FieldByName(QStringLiteral("EMW_ZALACZNIK"))->AsString(),
                            q->FieldByName(QStringLiteral("EMW_OPERATORID"))->AsInteger(),
                            q->FieldByName(QStringLiteral("EMW_INDEXUSER"))->AsInteger(),
                            q->FieldByName(QStringLiteral("AGO"))->AsInteger()});
        return rows;
    }
    QStringList RowEmails()
    {
        QStringList out;
        for (const Row& r : Rows())
            out << r.email;
        return out;
    }
    QStringList MailLogLines()
    {
        return S()->GetQueryValuesAsList(
            QStringLiteral("select LOG_OPIS from Log where LOG_OPIS like :p1 order by LOG_INDEX"),
            {QStringLiteral("%Mail B%")});
    }

    QTemporaryDir m_files;

private:
    QString m_savedHost;
    int m_savedOperator = 0;
    int m_savedLevel = 0;
};

TEST_F(EmailTest, EachRecipientAndTheBccCopyGetTheirOwnMessageWithTheAttachments)
{
    TSmtpTestServer server;
    ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
    UseServer(server);
    WriteIniString(0, QStringLiteral("PocztaOrlixBCC"), QStringLiteral("kopia@orlix.test"));

    QByteArray binary;
    for (int i = 0; i < 5000; ++i)
        binary += char(i % 256);
    const QString pdf = WriteFile(QStringLiteral("Faktura ŁÓDŹ żółw.pdf"), binary);
    const QString missing = m_files.filePath(QStringLiteral("brak.pdf"));
    const QString attachments = missing + QLatin1Char(';') + pdf;
    const QString body = QStringLiteral("Dzień dobry,\r\nw załączniku faktura. ") + kPolish +
                         QLatin1Char(' ') + QString(100, QLatin1Char('=')) +
                         QStringLiteral("  \r\n.\r\nkoniec");

    const int result = SendEmail(QStringLiteral("jan@orlix.test;anna@orlix.test;"), attachments,
                                 QStringLiteral("Faktura <#M>/<#Y> ") + kPolish, body, QStringLiteral("-"),
                                 QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                                 QStringLiteral("-"), QStringLiteral("-"), 0, QStringLiteral("N"), 42);
    EXPECT_EQ(result, 0);

    const QString subject =
        QStringLiteral("[Admin] Faktura ") + todayVariables() + QLatin1Char(' ') + kPolish;
    const QList<QJsonObject> messages = server.Messages();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(rcptOf(messages), QStringList({"jan@orlix.test", "anna@orlix.test", "kopia@orlix.test"}));
    const QStringList subjects{subject, subject,
                               subject + QStringLiteral(" (jan@orlix.test;anna@orlix.test;)")};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject& m = messages[i];
        EXPECT_EQ(m[QStringLiteral("subject")].toString(), subjects[i]);
        EXPECT_EQ(m[QStringLiteral("mail_from")].toString(), kFrom);
        EXPECT_EQ(header(m, "To"), jsonStrings(m[QStringLiteral("rcpt_tos")]).value(0));
        EXPECT_EQ(header(m, "From"), QStringLiteral("Biuro Łącznik <biuro@orlix.test>"));
        EXPECT_EQ(header(m, "X-Mailer"), QStringLiteral("Orlix4SQL"));
        EXPECT_EQ(header(m, "List-Unsubscribe"), QStringLiteral("<mailto:biuro@orlix.test>"));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^<00(-?\\d+){3}biuro@orlix\\.test>$"))
                        .match(header(m, "Message-ID"))
                        .hasMatch())
            << header(m, "Message-ID").toStdString();
        EXPECT_TRUE(m[QStringLiteral("authenticated")].toBool());
        EXPECT_EQ(m[QStringLiteral("content_type")].toString(), QStringLiteral("multipart/mixed"));

        const QJsonArray parts = m[QStringLiteral("parts")].toArray();
        ASSERT_EQ(parts.size(), 2) << "the missing first file is skipped";
        const QJsonObject text = parts[0].toObject();
        EXPECT_EQ(text[QStringLiteral("content_type")].toString(), QStringLiteral("text/plain"));
        EXPECT_EQ(normalLines(text[QStringLiteral("text")].toString()),
                  normalLines(body + QStringLiteral(" \r\n") + kSignature));
        const QJsonObject file = parts[1].toObject();
        EXPECT_EQ(file[QStringLiteral("filename")].toString(), QStringLiteral("Faktura ŁÓDŹ żółw.pdf"));
        EXPECT_EQ(QByteArray::fromBase64(file[QStringLiteral("data_b64")].toString().toLatin1()), binary);
    }

    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    const QStringList emails{"jan@orlix.test", "anna@orlix.test", "kopia@orlix.test"};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].email, emails[int(i)]);
        EXPECT_EQ(rows[i].subject, subject) << "the row keeps the subject without the copy mark";
        EXPECT_EQ(rows[i].body, body + QStringLiteral(" \r\n") + kSignature);
        EXPECT_EQ(rows[i].attachments, attachments);
        EXPECT_EQ(rows[i].operatorId, 3);
        EXPECT_EQ(rows[i].userIndex, 42);
        EXPECT_GE(rows[i].secondsAgo, 0);
        EXPECT_LT(rows[i].secondsAgo, 120) << "the sending time is stamped";
    }
    EXPECT_TRUE(MailLogLines().isEmpty());
}

TEST_F(EmailTest, ARecipientEqualToTheBccGetsTwoMessagesBothMarked)
{
    TSmtpTestServer server;
    ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
    UseServer(server);
    EXPECT_EQ(SendEmail(QStringLiteral("kopia@orlix.test"), QStringLiteral("-"), QStringLiteral("!Test"),
                        QStringLiteral("x"), QStringLiteral("kopia@orlix.test"), QStringLiteral("-"),
                        QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), 0,
                        QStringLiteral("-"), 0),
              0);
    const QList<QJsonObject> messages = server.Messages();
    ASSERT_EQ(messages.size(), 2);
    for (const QJsonObject& m : messages)
        EXPECT_EQ(m[QStringLiteral("subject")].toString(), QStringLiteral("Test (kopia@orlix.test)"));
    EXPECT_EQ(RowEmails(), QStringList({"kopia@orlix.test", "kopia@orlix.test"}));
}

struct OutcomeCase
{
    const char* rule;
    QStringList serverArgs;
    QString recipients;
    QString user; // "-" = the setting
    int result;
    QStringList delivered;
    QString logLine; // start of the Mail log line after "login : "; empty = none
    int loginAttempts;
};

TEST_F(EmailTest, OutcomesOfRefusalsAndLogins)
{
    const OutcomeCase cases[] = {
        {"every message accepted gives 0", {}, "a@x.test;b@x.test", "-", 0, {"a@x.test", "b@x.test"}, "", 2},
        {"a refused recipient fails the call, the others go out and keep their rows",
         {"--refuse-rcpt", "b@x.test"},
         "a@x.test;b@x.test;c@x.test",
         "-",
         1,
         {"a@x.test", "c@x.test"},
         "",
         3},
        {"refused message data likewise",
         {"--refuse-data-to", "b@x.test"},
         "a@x.test;b@x.test;c@x.test",
         "-",
         1,
         {"a@x.test", "c@x.test"},
         "",
         3},
        {"a refused login gives 1, no row and a log line",
         {"--logins-allowed", "0"},
         "a@x.test;b@x.test",
         "-",
         1,
         {},
         "Mail Błąd 2 (Login): 535",
         1},
        {"a login refused at the second recipient keeps the first and stops",
         {"--logins-allowed", "1"},
         "a@x.test;b@x.test;c@x.test",
         "-",
         1,
         {"a@x.test"},
         "Mail Błąd 2 (Login): 535",
         2},
        {"a server without authentication gets no message data",
         {"--no-auth"},
         "a@x.test;b@x.test",
         "-",
         1,
         {},
         "Mail Błąd 1 (AuthDone): 250",
         0},
        {"an empty login never sends", {}, "a@x.test", "", 1, {}, "Mail Błąd 1 (AuthDone): 250", 0},
    };
    for (const OutcomeCase& c : cases) {
        SCOPED_TRACE(c.rule);
        S()->ExecQuery(QStringLiteral("delete from WyslaneEmail"));
        S()->ExecQuery(QStringLiteral("delete from Log"));
        TSmtpTestServer server(c.serverArgs);
        ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
        UseServer(server);
        const int result =
            SendEmail(c.recipients, QStringLiteral("-"), QStringLiteral("Temat"), QStringLiteral("x"),
                      QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                      c.user, QStringLiteral("-"), 0, QStringLiteral("-"), 0);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(rcptOf(server.Messages()), c.delivered);
        EXPECT_EQ(RowEmails(), c.delivered);
        EXPECT_EQ(server.AuthLog().size(), c.loginAttempts)
            << server.AuthLog().join(QLatin1Char('|')).toStdString();
        const QStringList log = MailLogLines();
        if (c.logLine.isEmpty()) {
            EXPECT_TRUE(log.isEmpty()) << log.join(QLatin1Char('|')).toStdString();
        } else {
            ASSERT_EQ(log.size(), 1);
            EXPECT_TRUE(log[0].contains(QStringLiteral(" : ") + c.logLine)) << log[0].toStdString();
            if (c.logLine.contains(QStringLiteral("Login"))) {
                EXPECT_TRUE(log[0].contains(QStringLiteral(" ; biuro"))) << log[0].toStdString();
            }
        }
    }
}

TEST_F(EmailTest, AnEmptyServerEndsAtOnceWithoutARowOrALogLine)
{
    UseServer(1);
    WriteIniString(0, QStringLiteral("PocztaOrlixSerwer"), QString());
    EXPECT_EQ(SendEmail(QStringLiteral("a@x.test"), QStringLiteral("-"), QStringLiteral("s"),
                        QStringLiteral("b"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                        QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), 0, QStringLiteral("-"),
                        0),
              1);
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(MailLogLines().isEmpty());
}

TEST_F(EmailTest, ThePasswordTravelsOnlyOverTls)
{
    struct Case
    {
        const char* rule;
        QStringList serverArgs;
        QString ssl;
    };
    const Case cases[] = {
        {"without the SSL setting the session still moves to STARTTLS when offered", {"--starttls"}, "N"},
        {"with the SSL setting the session is TLS from the first byte", {"--implicit-tls"}, "T"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        TSmtpTestServer server(c.serverArgs);
        ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
        UseServer(server);
        EXPECT_EQ(SendEmail(QStringLiteral("a@x.test"), QStringLiteral("-"), QStringLiteral("s"),
                            QStringLiteral("b"), QStringLiteral("-"), QStringLiteral("-"),
                            QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                            QStringLiteral("-"), 0, c.ssl, 0),
                  0);
        EXPECT_EQ(server.AuthLog(), QStringList({"ok PLAIN biuro tls=1"}));
        EXPECT_EQ(server.Messages().size(), 1);
    }
}

// The test CA is known to no system: without a named certificate the
// session ends in the handshake, before any AUTH; the server's own
// certificate or its fingerprint in the setting lets the mail through.
TEST_F(EmailTest, TheServerCertificateMustBeTrusted)
{
    struct Case
    {
        const char* rule;
        QStringList serverArgs;
        QString setting; // "<cert>", "<fingerprint>" and "<fp-plain>" stand for the server's own
        int result;
        QString shownStart; // empty: nothing shown
    };
    const QString refused = QStringLiteral("Certyfikat serwera poczty został odrzucony");
    const Case cases[] = {
        {"STARTTLS with a certificate from an unknown CA is refused", {}, "", 1, refused},
        {"the server's certificate file named in the setting is trusted", {}, "<cert>", 0, ""},
        {"so is its SHA-256 fingerprint as openssl prints it", {}, "<fingerprint>", 0, ""},
        {"or in small letters without colons", {}, "<fp-plain>", 0, ""},
        {"another certificate's fingerprint is refused", {}, QString(64, QLatin1Char('0')), 1, refused},
        {"a file without a certificate stops before connecting",
         {},
         ORLIX_SOURCE_DIR "/tests/printouts/smtp/smtp_server.py",
         1,
         "Nie można odczytać certyfikatu serwera poczty z pliku"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        S()->ExecQuery(QStringLiteral("delete from Log"));
        S()->ExecQuery(QStringLiteral("delete from WyslaneEmail"));
        TMD::ClearRecorded();
        TSmtpTestServer server(c.serverArgs);
        ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
        UseServer(server);
        QString setting = c.setting;
        if (setting == QLatin1String("<cert>")) setting = server.CertificatePath();
        if (setting == QLatin1String("<fingerprint>")) setting = server.CertificateFingerprint();
        if (setting == QLatin1String("<fp-plain>"))
            setting = server.CertificateFingerprint().remove(QLatin1Char(':')).toLower();
        WriteIniString(0, QString::fromLatin1(MailCertificateSetting), setting);
        EXPECT_EQ(SendEmail(QStringLiteral("a@x.test"), QStringLiteral("-"), QStringLiteral("s"),
                            QStringLiteral("b"), QStringLiteral("-"), QStringLiteral("-"),
                            QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                            QStringLiteral("-"), 0, QStringLiteral("-"), 0),
                  c.result);
        if (c.result == 0) {
            EXPECT_EQ(server.AuthLog(), QStringList({"ok PLAIN biuro tls=1"}));
            EXPECT_EQ(server.Messages().size(), 1);
            EXPECT_TRUE(TMD::Recorded().isEmpty());
            continue;
        }
        EXPECT_TRUE(server.AuthLog().isEmpty()) << "no password sent";
        EXPECT_TRUE(server.Messages().isEmpty());
        EXPECT_TRUE(Rows().empty());
        ASSERT_EQ(TMD::Recorded().size(), 1) << MailLogLines().join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(TMD::Recorded()[0].text.startsWith(c.shownStart))
            << TMD::Recorded()[0].text.toStdString();
        const QStringList log = MailLogLines();
        ASSERT_EQ(log.size(), 1);
        EXPECT_TRUE(log[0].contains(QStringLiteral("Mail Błąd 4 (Bezpieczeństwo): ") + c.shownStart))
            << log[0].toStdString();
        if (c.shownStart == refused) {
            // The message names the certificate seen, for the one who sets up the server.
            EXPECT_TRUE(TMD::Recorded()[0].text.contains(server.CertificateFingerprint()));
            EXPECT_TRUE(TMD::Recorded()[0].text.contains(QStringLiteral("PocztaOrlixCertyfikat")));
        } else {
            EXPECT_TRUE(server.Commands().isEmpty());
        }
    }
}

TEST_F(EmailTest, APasswordNeverGoesToAServerWithoutTls)
{
    TSmtpTestServer server({QStringLiteral("--plain")});
    ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
    UseServer(server.Port());
    EXPECT_EQ(SendEmail(QStringLiteral("a@x.test"), QStringLiteral("-"), QStringLiteral("s"),
                        QStringLiteral("b"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                        QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), 0, QStringLiteral("N"),
                        0),
              1);
    EXPECT_EQ(server.Commands().size(), 1) << "the server was asked for STARTTLS";
    EXPECT_TRUE(server.AuthLog().isEmpty());
    EXPECT_TRUE(server.Messages().isEmpty());
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_TRUE(TMD::Recorded()[0].text.startsWith(QStringLiteral("Serwer poczty nie oferuje szyfrowania")));
    EXPECT_EQ(MailLogLines().size(), 1);

    // Without a login there is no password to protect: the mail goes out.
    TMD::ClearRecorded();
    WriteIniString(0, QStringLiteral("PocztaOrlixUser"), QString());
    EXPECT_EQ(SendEmail(QStringLiteral("a@x.test"), QStringLiteral("-"), QStringLiteral("s"),
                        QStringLiteral("b"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                        QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), 0, QStringLiteral("N"),
                        0),
              1); // stopped at DATA as every session that never logged in
    EXPECT_TRUE(TMD::Recorded().isEmpty());
}

// A line break in an address would add an SMTP command of its own (another
// RCPT TO); a leading "-" reads as an option to a mail tool.
const char* const kUnsafeAddresses[] = {"a@x.test\r\nRCPT TO:<obcy@x.test>",
                                        "a@x.test\nRCPT TO:<obcy@x.test>", "a@x.test\rDATA",
                                        "-oQ/tmp/x@x.test", " --help"};

TEST_F(EmailTest, UnsafeAddressesAreRefusedBeforeAnySmtpCommand)
{
    TSmtpTestServer server;
    ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
    UseServer(server);
    for (const char* bad : kUnsafeAddresses) {
        const QString address = QString::fromLatin1(bad);
        struct Place
        {
            const char* where;
            QString recipients, bcc, from;
        } places[] = {
            {"recipient after a good one", QStringLiteral("ok@x.test;") + address, QString(), kFrom},
            {"Bcc copy", QStringLiteral("ok@x.test"), address, kFrom},
            {"sender", QStringLiteral("ok@x.test"), QString(), address}};
        for (const Place& p : places) {
            SCOPED_TRACE(std::string(p.where) + ": " + bad);
            TMD::ClearRecorded();
            WriteIniString(0, QStringLiteral("PocztaOrlixBCC"), p.bcc);
            WriteIniString(0, QStringLiteral("PocztaOrlixFromAdres"), p.from);
            EXPECT_EQ(SendEmail(p.recipients, QStringLiteral("-"), QStringLiteral("s"), QStringLiteral("b"),
                                QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                                QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), 0,
                                QStringLiteral("-"), 0),
                      1);
            ASSERT_EQ(TMD::Recorded().size(), 1);
            EXPECT_TRUE(TMD::Recorded()[0].text.startsWith(QStringLiteral("Niepoprawny adres e-mail")));
            EXPECT_FALSE(TMD::Recorded()[0].text.contains(QLatin1Char('\n')));
        }
        // The client refuses it on its own too.
        const TSmtpAccount account{QStringLiteral("127.0.0.1"), server.Port(), TSmtpTestServer::User,
                                   TSmtpTestServer::Password,   false,         server.CertificatePath()};
        EXPECT_EQ(SmtpSendMessage(account, kFrom, address, "x").outcome, TSmtpOutcome::Insecure);
    }
    EXPECT_TRUE(server.Commands().isEmpty()) << server.Commands().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(server.Messages().isEmpty());
    EXPECT_TRUE(Rows().empty());
}

TEST_F(EmailTest, BodyKindFollowsTheModeAndTheTextSetting)
{
    struct Case
    {
        const char* rule;
        QString mode;
        bool asText;
        QString topType;
        QStringList partTypes;
    };
    const Case cases[] = {
        {"SMS mode: one plain part, attachments ignored", "SMS", true, "text/plain", {"text/plain"}},
        {"e-mail as text", "EMAIL", true, "multipart/mixed", {"text/plain", "application/pdf"}},
        {"e-mail as HTML", "EMAIL", false, "multipart/mixed", {"text/html", "application/pdf"}},
    };
    TSmtpTestServer server;
    ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
    UseServer(server);
    const QString file = WriteFile(QStringLiteral("a.pdf"), QByteArray("%PDF-1.4"));
    int seen = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        WriteIniBool(0, QStringLiteral("EmailJakoTxt"), c.asText);
        EXPECT_EQ(SendEmailEx(c.mode, QStringLiteral("sms@bramka.test"), file, QStringLiteral("!500100200"),
                              QStringLiteral("Przypomnienie o płatności"), QStringLiteral("-"),
                              QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                              QStringLiteral("-"), QStringLiteral("-"), 0, QStringLiteral("-"), 0),
                  0);
        const QList<QJsonObject> messages = server.Messages();
        ASSERT_EQ(messages.size(), ++seen);
        const QJsonObject& m = messages.last();
        EXPECT_EQ(m[QStringLiteral("content_type")].toString(), c.topType);
        QStringList types;
        for (const QJsonValue& p : m[QStringLiteral("parts")].toArray())
            types << p.toObject()[QStringLiteral("content_type")].toString();
        EXPECT_EQ(types, c.partTypes);
        const QJsonObject first = m[QStringLiteral("parts")].toArray()[0].toObject();
        EXPECT_TRUE(
            first[QStringLiteral("text")].toString().startsWith(QStringLiteral("Przypomnienie o płatności")));
    }
}

// ---- the desktop mail client

class DesktopMailTest : public EmailTest
{
protected:
    void UseFakeClient(int exitCode)
    {
        UseServer(1, 0);
        m_out = m_files.filePath(QStringLiteral("xdg-args"));
        qputenv("ORLIX_XDG_EMAIL", ORLIX_SOURCE_DIR "/tests/printouts/smtp/fake_xdg_email.sh");
        qputenv("ORLIX_TEST_XDG_OUT", m_out.toLocal8Bit());
        qputenv("ORLIX_TEST_XDG_EXIT", QByteArray::number(exitCode));
    }
    QStringList Arguments() const
    {
        QFile f(m_out);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList args;
        for (const QByteArray& a : f.readAll().split('\0'))
            args << QString::fromUtf8(a);
        args.removeLast(); // after the last terminator
        return args;
    }
    QStringList Shown() const
    {
        QStringList texts;
        for (const TMD::Shown& s : TMD::Recorded())
            texts << s.text;
        return texts;
    }
    QString m_out;
};

TEST_F(DesktopMailTest, TheMessageIsHandedOverAsArgumentsWithTheFirstExistingAttachment)
{
    UseFakeClient(0);
    const QString file = WriteFile(QStringLiteral("umowa \"1\".pdf"), QByteArray("x"));
    const QString missing = m_files.filePath(QStringLiteral("brak.pdf"));
    const QString subject = QStringLiteral("!Umowa $(touch zly) `id` 'x' \"y\" ") + kPolish;
    const QString body = QStringLiteral("Linia 1\r\nLinia 2; & | > ") + kPolish;
    EXPECT_EQ(SendEmail(QStringLiteral(" jan@orlix.test;anna@orlix.test "), missing + QLatin1Char(';') + file,
                        subject, body, QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                        QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), 0, QStringLiteral("-"),
                        5),
              0);
    const QString finalBody = body + QStringLiteral(" \r\n") + kSignature;
    EXPECT_EQ(Arguments(), QStringList({"--utf8", "--subject", subject.mid(1), "--body", finalBody,
                                        "--attach", file, "jan@orlix.test", "anna@orlix.test"}));
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].email, QStringLiteral(" jan@orlix.test;anna@orlix.test "));
    EXPECT_EQ(rows[0].attachments, file) << "the one file handed over";
    EXPECT_EQ(rows[0].subject, subject.mid(1));
    EXPECT_EQ(rows[0].body, finalBody);
    EXPECT_EQ(rows[0].userIndex, 5);
    EXPECT_TRUE(Shown().isEmpty());
}

TEST_F(DesktopMailTest, FailuresOfTheClientAreShownAndNotRecorded)
{
    struct Case
    {
        const char* rule;
        QByteArray command; // empty: the fake client
        int exitCode;
        QString shown;
    };
    const Case cases[] = {
        {"the client reports an error", "", 4, "   Bład wysyłki   "},
        {"the client cannot be started", "/nonexistent/xdg-email", 0,
         "   Nie moge zaladowac biblioteki MAPI32.DLL   "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        TMD::ClearRecorded();
        UseFakeClient(c.exitCode);
        if (!c.command.isEmpty()) qputenv("ORLIX_XDG_EMAIL", c.command);
        EXPECT_EQ(SendEmail(QStringLiteral("a@x.test"), QStringLiteral("-"), QStringLiteral("s"),
                            QStringLiteral("b"), QStringLiteral("-"), QStringLiteral("-"),
                            QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                            QStringLiteral("-"), 0, QStringLiteral("-"), 0),
                  1);
        EXPECT_EQ(Shown(), QStringList({c.shown}));
        ASSERT_EQ(TMD::Recorded().size(), 1);
        EXPECT_EQ(TMD::Recorded()[0].kind, mtError);
        EXPECT_TRUE(Rows().empty());
    }
}

TEST_F(DesktopMailTest, UnsafeAddressesNeverReachTheMailClient)
{
    UseFakeClient(0);
    for (const char* bad : kUnsafeAddresses) {
        SCOPED_TRACE(bad);
        TMD::ClearRecorded();
        EXPECT_EQ(SendEmail(QStringLiteral("ok@x.test;") + QString::fromLatin1(bad), QStringLiteral("-"),
                            QStringLiteral("s"), QStringLiteral("b"), QStringLiteral("-"),
                            QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"),
                            QStringLiteral("-"), QStringLiteral("-"), 0, QStringLiteral("-"), 0),
                  1);
        EXPECT_EQ(Shown().size(), 1);
        EXPECT_TRUE(Shown().value(0).startsWith(QStringLiteral("Niepoprawny adres e-mail")));
        EXPECT_EQ(SendDesktopMail({{QString::fromLatin1(bad)}, QStringLiteral("s"), QStringLiteral("b"), {}}),
                  TDesktopMailResult::NotStarted);
    }
    EXPECT_FALSE(QFile::exists(m_out)) << "the mail client was started";
    EXPECT_TRUE(Rows().empty());
}

// ---- the support message

TEST_F(EmailTest, SupportMessageGoesOverTlsWithoutARow)
{
    TSmtpTestServer server({QStringLiteral("--implicit-tls")});
    ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
    TSupportMailbox box = DefaultSupportMailbox();
    EXPECT_EQ(box.port, 465);
    EXPECT_TRUE(box.implicitTls);
    EXPECT_EQ(box.password, QStringLiteral("Kvr71948253$"));
    box.server = QStringLiteral("127.0.0.1");
    box.port = server.Port();
    box.user = TSmtpTestServer::User;
    box.password = TSmtpTestServer::Password;
    box.trustedCertificate = server.CertificatePath();

    EXPECT_EQ(SendSupportMessageTo(box, QStringLiteral("Diagnostyka ") + kPolish,
                                   QStringLiteral("Opis błędu"), QStringLiteral("klient@isp.test")),
              0);
    const QList<QJsonObject> messages = server.Messages();
    ASSERT_EQ(messages.size(), 1);
    const QJsonObject& m = messages[0];
    EXPECT_EQ(jsonStrings(m[QStringLiteral("rcpt_tos")]), QStringList({box.address}));
    EXPECT_EQ(m[QStringLiteral("subject")].toString(), QStringLiteral("Diagnostyka ") + kPolish);
    EXPECT_EQ(header(m, "From"), QStringLiteral("klient@isp.test"));
    EXPECT_EQ(header(m, "X-Mailer"), QStringLiteral("Orlix6KSeF"));
    EXPECT_EQ(m[QStringLiteral("parts")].toArray().size(), 1);
    EXPECT_EQ(server.AuthLog(), QStringList({"ok PLAIN biuro tls=1"}));
    ASSERT_EQ(TMD::Recorded().size(), 1);
    EXPECT_EQ(TMD::Recorded()[0].text, QStringLiteral("Wiadomość została wysłana. Dziekujemy."));
    EXPECT_TRUE(Rows().empty());
}

TEST_F(EmailTest, SupportMessageRaisesOnARefusedLogin)
{
    TSmtpTestServer server(
        {QStringLiteral("--implicit-tls"), QStringLiteral("--logins-allowed"), QStringLiteral("0")});
    ASSERT_TRUE(server.Started()) << server.StartError().toStdString();
    TSupportMailbox box = DefaultSupportMailbox();
    box.server = QStringLiteral("127.0.0.1");
    box.port = server.Port();
    box.trustedCertificate = server.CertificateFingerprint();
    try {
        SendSupportMessageTo(box, QStringLiteral("s"), QStringLiteral("b"),
                             QStringLiteral("klient@isp.test"));
        FAIL() << "no error raised";
    } catch (const EMailError& e) {
        EXPECT_TRUE(QString::fromStdString(e.what()).startsWith(
            QStringLiteral("Błąd podczas wysyłania wiadomości email (2):\r\n535")))
            << e.what();
    }
    EXPECT_TRUE(TMD::Recorded().isEmpty());
    EXPECT_TRUE(server.Messages().isEmpty());
}

} // namespace
