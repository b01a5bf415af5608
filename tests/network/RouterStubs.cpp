#include "tests/network/RouterStubs.h"

#include "platform/DnsLookup.h"
#include "tests/support/TestDb.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QUdpSocket>
#include <stdexcept>

namespace {

QString python()
{
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                 : QStringLiteral("python3");
}

// Starts the process and reads its output until the pattern's first group gives the port.
int startAndReadPort(QProcess& p, const QString& program, const QStringList& args, const QString& pattern)
{
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    QElapsedTimer t;
    t.start();
    QByteArray out;
    const QRegularExpression re(pattern);
    while (t.elapsed() < 20000) {
        p.waitForReadyRead(100);
        out += p.readAll();
        const QRegularExpressionMatch m = re.match(QString::fromUtf8(out));
        if (m.hasMatch()) return m.captured(1).toInt();
        if (p.state() == QProcess::NotRunning) break;
    }
    throw std::runtime_error(
        ("stand-in did not start: " + program + " " + QString::fromUtf8(out)).toStdString());
}

void stop(std::unique_ptr<QProcess>& p)
{
    if (p && p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
    }
    p.reset();
}

} // namespace

TFtpRouterStub::TFtpRouterStub(const QString& name, const QString& user, const QString& password,
                               const QString& logText, bool readOnly)
{
    m_root = TestOutputDir(QStringLiteral("mikrotik/") + name);
    QDir(m_root).removeRecursively();
    QDir().mkpath(m_root);
    m_logFile = m_root + QStringLiteral(".logtext");
    QFile::remove(m_logFile);
    SetLogText(logText);
    QStringList args{
        QStringLiteral("-B"),         QStringLiteral(ORLIX_SOURCE_DIR "/tests/network/stub/ftp_router.py"),
        QStringLiteral("--root"),     m_root,
        QStringLiteral("--user"),     user,
        QStringLiteral("--password"), password,
        QStringLiteral("--log-file"), m_logFile};
    if (readOnly) args << QStringLiteral("--read-only");
    m_proc = std::make_unique<QProcess>();
    m_port = startAndReadPort(*m_proc, python(), args, QStringLiteral("PORT (\\d+)\n"));
}

TFtpRouterStub::~TFtpRouterStub()
{
    stop(m_proc);
}

void TFtpRouterStub::SetLogText(const QString& text)
{
    QFile f(m_logFile);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(text.toLatin1());
}

QByteArray TFtpRouterStub::File(const QString& name) const
{
    QFile f(m_root + QLatin1Char('/') + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TFtpRouterStub::Has(const QString& name) const
{
    return QFileInfo::exists(m_root + QLatin1Char('/') + name);
}

THttpStub::THttpStub(const QString& root)
{
    m_proc = std::make_unique<QProcess>();
    m_port = startAndReadPort(*m_proc, python(),
                              {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                               QStringLiteral("0"), QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                               QStringLiteral("--directory"), root},
                              QStringLiteral("port (\\d+)"));
}

THttpStub::~THttpStub()
{
    stop(m_proc);
}

TDnsStub::TDnsStub(const QStringList& records)
{
    {
        // A free port, given back just before the resolver takes it.
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        m_port = probe.localPort();
    }
    QStringList args{QStringLiteral("--keep-in-foreground"), QStringLiteral("--conf-file=/dev/null"),
                     QStringLiteral("--no-resolv"),          QStringLiteral("--no-hosts"),
                     QStringLiteral("--bind-interfaces"),    QStringLiteral("--listen-address=127.0.0.1"),
                     QStringLiteral("--pid-file="),          QStringLiteral("--port=%1").arg(m_port)};
    for (const QString& r : records)
        args << QStringLiteral("--host-record=") + r;
    m_proc = std::make_unique<QProcess>();
    m_proc->setProcessChannelMode(QProcess::MergedChannels);
    const QString dnsmasq = QFileInfo::exists(QStringLiteral("/usr/sbin/dnsmasq"))
                                ? QStringLiteral("/usr/sbin/dnsmasq")
                                : QStringLiteral("dnsmasq");
    m_proc->start(dnsmasq, args);
    if (!m_proc->waitForStarted(5000)) throw std::runtime_error("dnsmasq did not start");
    // Ready once it answers one of its own names.
    const QString probeName = records.isEmpty() ? QString() : records.first().section(QLatin1Char(','), 0, 0);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 10000) {
        if (m_proc->state() == QProcess::NotRunning)
            throw std::runtime_error(("dnsmasq ended: " + m_proc->readAll()).toStdString());
        if (probeName.isEmpty() ||
            !LookupARecord(probeName, {QStringLiteral("127.0.0.1"), m_port}, 200, 1).isEmpty())
            return;
        QThread::msleep(50);
    }
    throw std::runtime_error("dnsmasq does not answer");
}

TDnsStub::~TDnsStub()
{
    stop(m_proc);
}
