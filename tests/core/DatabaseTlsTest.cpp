// The data source's TLS keys against a server of the test's own that speaks
// TLS on a loopback TCP port: the session is encrypted, a wrong CA is refused,
// a unix socket stays as it is.
#include "core/DedicatedSession.h"
#include "core/OdbcConnection.h"
#include "core/Query.h"
#include "platform/OdbcDataSource.h"
#include "tests/support/TestCertificates.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace {

QString userName()
{
    const passwd* pw = getpwuid(getuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QStringLiteral("root");
}

int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// A private mariadbd: unix socket for the set-up, TLS on 127.0.0.1:port.
class TTlsServer
{
public:
    TTlsServer() { m_error = start(); }
    ~TTlsServer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(20000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }
    const QString& Error() const { return m_error; }
    QString Socket() const { return m_dir.filePath(QStringLiteral("mysqld.sock")); }
    QString Certificates() const { return m_dir.filePath(QStringLiteral("certs")); }
    int Port() const { return m_port; }

private:
    QString start()
    {
        if (!m_dir.isValid()) return QStringLiteral("no temporary folder");
        const QString data = m_dir.filePath(QStringLiteral("data"));
        QDir().mkpath(Certificates());
        if (!MakeServerCertificate(Certificates()))
            return QStringLiteral("openssl could not make certificates");
        QProcess install;
        install.start(QStringLiteral("mariadb-install-db"),
                      {QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + data,
                       QStringLiteral("--user=") + userName(),
                       QStringLiteral("--auth-root-authentication-method=normal"),
                       QStringLiteral("--skip-test-db")});
        if (!install.waitForFinished(180000) || install.exitCode() != 0)
            return QStringLiteral("mariadb-install-db: ") +
                   QString::fromLocal8Bit(install.readAllStandardError());
        m_port = freePort();
        if (m_port == 0) return QStringLiteral("no free port");
        const QString certs = Certificates();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("/usr/sbin/mariadbd"),
                        {QStringLiteral("--no-defaults"), QStringLiteral("--datadir=") + data,
                         QStringLiteral("--socket=") + Socket(),
                         QStringLiteral("--pid-file=") + m_dir.filePath(QStringLiteral("mysqld.pid")),
                         QStringLiteral("--log-error=") + m_dir.filePath(QStringLiteral("mysqld.log")),
                         QStringLiteral("--user=") + userName(), QStringLiteral("--bind-address=127.0.0.1"),
                         QStringLiteral("--port=%1").arg(m_port), QStringLiteral("--skip-name-resolve"),
                         QStringLiteral("--skip-log-bin"), QStringLiteral("--innodb-buffer-pool-size=32M"),
                         QStringLiteral("--innodb-flush-log-at-trx-commit=0"),
                         QStringLiteral("--ssl-ca=") + certs + QStringLiteral("/ca.pem"),
                         QStringLiteral("--ssl-cert=") + certs + QStringLiteral("/cert.pem"),
                         QStringLiteral("--ssl-key=") + certs + QStringLiteral("/key.pem")});
        if (!m_process.waitForStarted(10000)) return QStringLiteral("mariadbd did not start");
        TConnectionParams root;
        root.socket = Socket();
        root.user = QStringLiteral("root");
        for (int i = 0; i < 600; ++i) {
            try {
                TDatabase db(QStringLiteral("tls-setup"), root);
                db.Open();
                for (const char* sql :
                     {"CREATE USER 'orlix'@'%' IDENTIFIED BY 'haslo-tls'", "GRANT ALL ON *.* TO 'orlix'@'%'"})
                    if (mysql_query_ok(db, sql) == false)
                        return QStringLiteral("set-up: ") + QString::fromLatin1(sql);
                return QString();
            } catch (const EDatabaseError&) {
                if (m_process.state() == QProcess::NotRunning)
                    return QStringLiteral("mariadbd ended: ") + QString::fromLocal8Bit(m_process.readAll());
                QThread::msleep(100);
            }
        }
        return QStringLiteral("mariadbd did not answer");
    }
    static bool mysql_query_ok(TDatabase& db, const char* sql)
    {
        TDatabase::Register(&db);
        bool ok = true;
        try {
            std::unique_ptr<TDedicatedSession> s(TDedicatedSession::CreateOnDatabase(db.DatabaseName()));
            s->ExecQuery(QString::fromLatin1(sql));
        } catch (const EDatabaseError&) {
            ok = false;
        }
        TDatabase::Unregister(&db);
        return ok;
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

// "" when the session is not encrypted.
QString sslCipher(TDatabase& db)
{
    TDatabase::Register(&db);
    QString cipher;
    {
        std::unique_ptr<TDedicatedSession> s(TDedicatedSession::CreateOnDatabase(db.DatabaseName()));
        auto q = s->OpenQuery(QStringLiteral("SHOW SESSION STATUS LIKE 'Ssl_cipher'"));
        cipher = q->Eof() ? QString() : q->Fields(1)->AsString();
    }
    TDatabase::Unregister(&db);
    return cipher;
}

} // namespace

TEST(DatabaseTls, KeysOfTheDataSourceEntry)
{
    TOdbcEntry e;
    e.exists = true;
    e.values = {{QStringLiteral("SERVER"), QStringLiteral("db.biuro.lan")},
                {QStringLiteral("SSLCA"), QStringLiteral("/etc/orlix/ca.pem")},
                {QStringLiteral("SSLCERT"), QStringLiteral("/etc/orlix/klient.pem")},
                {QStringLiteral("SSLKEY"), QStringLiteral("/etc/orlix/klient.key")},
                {QStringLiteral("SSLVERIFY"), QStringLiteral("1")}};
    TConnectionParams p = ConnectionParamsFromEntry(e);
    EXPECT_EQ(p.sslCa, QStringLiteral("/etc/orlix/ca.pem"));
    EXPECT_EQ(p.sslCert, QStringLiteral("/etc/orlix/klient.pem"));
    EXPECT_EQ(p.sslKey, QStringLiteral("/etc/orlix/klient.key"));
    EXPECT_TRUE(p.sslVerify);
    EXPECT_FALSE(p.forceTls);
    const struct
    {
        const char* value;
        bool on;
    } flags[] = {{"1", true}, {"On", true}, {"yes", true}, {"0", false}, {"Off", false}, {"", false}};
    for (const auto& f : flags) {
        e.values = {{QStringLiteral("SSLVERIFY"), QString::fromLatin1(f.value)},
                    {QStringLiteral("FORCETLS"), QString::fromLatin1(f.value)}};
        p = ConnectionParamsFromEntry(e);
        EXPECT_EQ(p.sslVerify, f.on) << f.value;
        EXPECT_EQ(p.forceTls, f.on) << f.value;
        EXPECT_EQ(p.UsesTls(), f.on) << f.value;
    }
}

TEST(DatabaseTls, TcpSessionIsEncryptedAndVerified)
{
    TTlsServer server;
    ASSERT_TRUE(server.Error().isEmpty()) << server.Error().toStdString();
    QTemporaryDir otherCa;
    ASSERT_TRUE(MakeServerCertificate(otherCa.path()));
    const QString ca = server.Certificates() + QStringLiteral("/ca.pem");
    const QString wrongCa = otherCa.filePath(QStringLiteral("ca.pem"));

    struct Case
    {
        const char* rule;
        bool tcp;
        QString ca;
        bool verify;
        bool force;
        bool opens;
        bool encrypted;
    } cases[] = {
        {"CA file and verification: encrypted and verified", true, ca, true, false, true, true},
        {"FORCETLS alone: encrypted", true, QString(), false, true, true, true},
        {"a CA that did not issue the server's certificate is refused", true, wrongCa, true, false, false,
         false},
        {"verification with the system's CAs refuses the test CA", true, QString(), true, false, false,
         false},
        {"a unix socket ignores the keys", false, wrongCa, true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        TConnectionParams p;
        if (c.tcp) {
            p.host = QStringLiteral("127.0.0.1");
            p.port = unsigned(server.Port());
            p.user = QStringLiteral("orlix");
            p.password = QStringLiteral("haslo-tls");
        } else {
            p.socket = server.Socket();
            p.user = QStringLiteral("root");
        }
        p.sslCa = c.ca;
        p.sslVerify = c.verify;
        p.forceTls = c.force;
        TDatabase db(QStringLiteral("tls-case"), p);
        try {
            db.Open();
        } catch (const EDatabaseError& e) {
            EXPECT_FALSE(c.opens) << e.what();
            continue;
        }
        ASSERT_TRUE(c.opens) << "connected";
        EXPECT_EQ(!sslCipher(db).isEmpty(), c.encrypted) << sslCipher(db).toStdString();
    }
}
