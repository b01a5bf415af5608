// Ferlo, the company lookup, run as the main program runs it, against a
// loopback stand-in of the register's search service (tests/tools/stub).
#include "core/Funkcje.h"
#include "tests/tools/ToolTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString DefaultKey = QStringLiteral("9d1f7b0e5c28a46f3b91");
const QString ServicePath = QStringLiteral("/wsBIR/UslugaBIRzewnPubl.svc");
const QString ActionBase = QStringLiteral("http://CIS/BIR/PUBL/2014/07/IUslugaBIRzewnPubl/");

QJsonObject company(const QString& nip, const QString& regon, const QString& name, const QString& flat)
{
    return QJsonObject{{"Regon", regon},
                       {"Nip", nip},
                       {"Nazwa", name},
                       {"Miejscowosc", QStringLiteral("Łódź")},
                       {"KodPocztowy", QStringLiteral("90-001")},
                       {"Ulica", QStringLiteral("ul. Piotrkowska")},
                       {"NrNieruchomosci", QStringLiteral("12a")},
                       {"NrLokalu", flat},
                       {"Typ", QStringLiteral("P")}};
}

// The register's entries the stand-in knows.
QJsonObject registerScenario()
{
    QJsonObject companies;
    companies["5261040828"] = QJsonArray{company("5261040828", "000331501", "A & B", "")};
    // The NIP shared by two entities: the second one has a flat number.
    companies["7740001454"] = QJsonArray{company("7740001454", "610188201", "Pierwsza Sp. z o.o.", ""),
                                         company("7740001454", "61018820100035", "Druga", "5")};
    companies["1132853869"] = QJsonArray{company("1132853869", "140806789", "Lokal Sp. j.", "14")};
    return QJsonObject{{"key", DefaultKey}, {"companies", companies}};
}

// The stand-in of the service, HTTPS on a free loopback port.
class TBirStub
{
public:
    TBirStub(const QString& dir, const QJsonObject& scenario) : m_dir(dir)
    {
        QDir().mkpath(dir);
        QFile f(dir + QStringLiteral("/scenario.json"));
        if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("scenario");
        f.write(QJsonDocument(scenario).toJson());
        f.close();
        const TToolRun cert =
            RunTool(QStringLiteral("openssl"),
                    {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
                     "-keyout", dir + "/key.pem", "-out", CaFile(), "-days", "2", "-subj", "/CN=localhost",
                     "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"},
                    QProcessEnvironment::systemEnvironment(), 60000);
        if (cert.ExitCode != 0) throw std::runtime_error("openssl: " + cert.Err.toStdString());
        m_proc.setProcessChannelMode(QProcess::SeparateChannels);
        m_proc.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-B"), QStringLiteral(ORLIX_SOURCE_DIR "/tests/tools/stub/bir_stub.py"),
                      "--scenario", f.fileName(), "--cert", CaFile(), "--key", dir + "/key.pem", "--log",
                      LogFile()});
        QElapsedTimer t;
        t.start();
        QByteArray out;
        while (t.elapsed() < 30000 && m_proc.state() != QProcess::NotRunning) {
            m_proc.waitForReadyRead(100);
            out += m_proc.readAllStandardOutput();
            const auto m = QRegularExpression(QStringLiteral("PORT (\\d+)\n")).match(QString::fromUtf8(out));
            if (m.hasMatch()) {
                m_port = m.captured(1).toInt();
                return;
            }
        }
        throw std::runtime_error("stand-in did not start: " + m_proc.readAllStandardError().toStdString());
    }
    ~TBirStub()
    {
        m_proc.kill();
        m_proc.waitForFinished(5000);
    }
    QString Url() const { return QStringLiteral("https://127.0.0.1:%1").arg(m_port) + ServicePath; }
    QString CaFile() const { return m_dir + QStringLiteral("/ca.pem"); }
    QString LogFile() const { return m_dir + QStringLiteral("/requests.jsonl"); }
    // Every request seen so far, oldest first.
    QList<QJsonObject> Requests() const
    {
        QList<QJsonObject> out;
        for (const QByteArray& line : FileBytes(LogFile()).split('\n'))
            if (!line.isEmpty()) out << QJsonDocument::fromJson(line).object();
        return out;
    }
    void ClearLog() const { QFile::remove(LogFile()); }

private:
    QString m_dir;
    QProcess m_proc;
    int m_port = 0;
};

class FerloTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Ferlo test XXXXXX"));
        ASSERT_TRUE(m_root->isValid());
        m_folder = m_root->path() + QStringLiteral("/program folder");
        m_exe = CopyBuiltTool(QStringLiteral("Ferlo"), m_folder);
        ASSERT_TRUE(QFileInfo(m_exe).isExecutable()) << "no built Ferlo in " ORLIX_BIN_DIR;
    }

    void StartStub(const QJsonObject& scenario)
    {
        m_stub = std::make_unique<TBirStub>(m_root->path() + QStringLiteral("/stub"), scenario);
        WriteIni(m_stub->Url(), QString());
    }

    void WriteIni(const QString& url, const QString& userKey)
    {
        QFile f(m_folder + QStringLiteral("/ferlo.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray ini = "[BIR]\nUrl=" + url.toUtf8() + "\n";
        if (m_stub) ini += "CaFile=" + m_stub->CaFile().toUtf8() + "\n";
        if (!userKey.isEmpty()) ini += "UserKey=" + userKey.toUtf8() + "\n";
        f.write(ini);
    }

    QString HandOverPath() const { return m_folder + QStringLiteral("/param.tmp"); }

    // As the main program starts it: one argument, from its own folder.
    TToolRun Run(const QString& argument)
    {
        QFile::remove(HandOverPath());
        return RunTool(m_exe, {argument}, QProcessEnvironment::systemEnvironment(), 8000);
    }

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<TBirStub> m_stub;
    QString m_folder;
    QString m_exe;
};

QByteArray lines(const QList<QByteArray>& values)
{
    QByteArray out;
    for (const QByteArray& v : values)
        out += v + "\r\n";
    return out;
}

TEST_F(FerloTest, FerloWritesTheCompanyAndSpeaksTheServiceProtocol)
{
    StartStub(registerScenario());
    QFile::remove(HandOverPath());

    // The main program's wait: 16 rounds of 100 ms, then it reads what is there.
    QProcess ferlo;
    ferlo.start(m_exe, {QStringLiteral("47295261040828")});
    QByteArray seen;
    for (int round = 0; round < 16 && seen.isNull(); ++round) {
        QThread::msleep(100);
        seen = FileBytes(HandOverPath());
    }
    ASSERT_TRUE(ferlo.waitForFinished(8000));
    EXPECT_EQ(ferlo.exitCode(), 0);

    const QByteArray expected =
        lines({"A &amp;amp; B", "Łódź", "90-001", "ul. Piotrkowska", "12a", "", "5261040828", "000331501"});
    EXPECT_EQ(seen, expected) << "the file was not there, complete, within 1.6 s";
    EXPECT_EQ(FileBytes(HandOverPath()), expected);

    // Read back as the main program does.
    const QStringList back = DecodeWebText(FileBytes(HandOverPath())).split(QStringLiteral("\r\n"));
    ASSERT_GE(back.size(), 8);
    EXPECT_EQ(QString(back[0]).remove(QStringLiteral("amp;amp;")), QStringLiteral("A & B"));
    EXPECT_EQ(back[1], QStringLiteral("Łódź"));

    // Nothing else is left in the program folder (no temporary file).
    EXPECT_EQ(QDir(m_folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{"Ferlo", "ferlo.ini", "param.tmp"}));

    const QList<QJsonObject> requests = m_stub->Requests();
    ASSERT_EQ(requests.size(), 3);
    const QStringList operations{"Zaloguj", "DaneSzukajPodmioty", "Wyloguj"};
    const QString sid = requests[0]["issuedSid"].toString();
    ASSERT_FALSE(sid.isEmpty()) << "the default user key was refused";
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(operations[i].toStdString());
        const QJsonObject r = requests[i];
        const QString action = ActionBase + operations[i];
        EXPECT_EQ(r["path"].toString(), ServicePath);
        EXPECT_EQ(r["contentType"].toString(),
                  QStringLiteral("application/soap+xml;charset=UTF-8;action=\"%1\"").arg(action));
        EXPECT_EQ(r["operation"].toString(), operations[i]) << r["error"].toString().toStdString();
        EXPECT_EQ(r["wsaAction"].toString(), action);
        EXPECT_EQ(r["wsaTo"].toString(), m_stub->Url());
        EXPECT_TRUE(r["body"].toString().startsWith(
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?> <soap:Envelope ")));
        if (i == 0)
            EXPECT_TRUE(r["sid"].isNull());
        else
            EXPECT_EQ(r["sid"].toString(), sid);
    }
    EXPECT_EQ(requests[0]["key"].toString(), DefaultKey);
    EXPECT_EQ(requests[1]["nip"].toString(), QStringLiteral("5261040828"));
    EXPECT_EQ(requests[2]["endedSid"].toString(), sid);
}

TEST_F(FerloTest, FerloHandOverFollowsTheAnswer)
{
    StartStub(registerScenario());
    const QList<QByteArray> empty(8);
    struct Case
    {
        const char* rule;
        QString argument;
        QString userKey;        // empty: the default key
        bool file;              // param.tmp written
        QList<QByteArray> want; // its lines
        QString nipSent;        // what the service saw as the NIP
    };
    const QList<Case> cases{
        {"a NIP the register does not know gives eight empty lines", "47290000000000", "", true, empty,
         "0000000000"},
        {"a refused login gives eight empty lines", "47295261040828", "00000000000000000000", true, empty,
         "5261040828"},
        {"a flat number keeps its line",
         "47291132853869",
         "",
         true,
         {"Lokal Sp. j.", "Łódź", "90-001", "ul. Piotrkowska", "12a", "14", "1132853869", "140806789"},
         "1132853869"},
        {"several entities: every value from the first",
         "47297740001454",
         "",
         true,
         {"Pierwsza Sp. z o.o.", "Łódź", "90-001", "ul. Piotrkowska", "12a", "", "7740001454", "610188201"},
         "7740001454"},
        {"markup in the NIP stays text in the request", "4729<1&2>\"3'</", "", true, empty, "<1&2>\"3'</"},
        {"a short argument sends what follows the code", "4729123", "", true, empty, "123"},
        {"a wrong access code writes nothing", "12345261040828", "", false, {}, ""},
        {"no argument writes nothing", "", "", false, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        WriteIni(m_stub->Url(), c.userKey);
        m_stub->ClearLog();
        const TToolRun run = Run(c.argument);
        ASSERT_TRUE(run.Finished);
        EXPECT_EQ(run.ExitCode, 0);
        EXPECT_EQ(FileBytes(HandOverPath()), c.file ? lines(c.want) : QByteArray());
        const QList<QJsonObject> requests = m_stub->Requests();
        if (!c.file) {
            EXPECT_TRUE(requests.isEmpty()) << "the register was asked for a caller without the code";
            continue;
        }
        ASSERT_GE(requests.size(), 2);
        EXPECT_FALSE(requests[1].contains("error")) << requests[1]["error"].toString().toStdString();
        EXPECT_EQ(requests[1]["nip"].toString(), c.nipSent);
        if (!c.userKey.isEmpty()) {
            EXPECT_TRUE(requests[1]["sid"].isNull());
        }
    }
}

TEST_F(FerloTest, FerloServiceDownOrHangingLeavesNoFileAndEnds)
{
    struct Case
    {
        const char* rule;
        QString hang; // operation the stand-in never answers; "-" no stand-in at all
        bool file;
    };
    const QList<Case> cases{
        {"nothing listens", "-", false},
        {"the login hangs", "Zaloguj", false},
        {"the search hangs", "DaneSzukajPodmioty", false},
        {"the logout hangs after the file was written", "Wyloguj", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        m_stub.reset();
        if (c.hang == QLatin1String("-")) {
            QTcpServer probe;
            ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
            const quint16 port = probe.serverPort();
            probe.close();
            WriteIni(QStringLiteral("https://127.0.0.1:%1").arg(port) + ServicePath, QString());
        } else {
            QJsonObject scenario = registerScenario();
            scenario["hang"] = c.hang;
            StartStub(scenario);
        }
        // Ferlo's own limit is 5 s; the bound here only tells "ended" from "hangs".
        const TToolRun run = Run(QStringLiteral("47295261040828"));
        EXPECT_TRUE(run.Finished) << "Ferlo still running after 8 s";
        EXPECT_EQ(QFile::exists(HandOverPath()), c.file);
        if (c.file) {
            EXPECT_EQ(FileBytes(HandOverPath()).count("\r\n"), 8);
        }
    }
}

} // namespace
