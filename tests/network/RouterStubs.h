#pragma once
// Loopback stand-ins for what a router send talks to: a router's FTP server
// that answers an uploaded ".auto.rsc" with its ".log", a static web server
// for the gambling-domain register and a DNS resolver.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

// The router's FTP root is kept under build/test-output/mikrotik/<name> for inspection.
class TFtpRouterStub
{
public:
    TFtpRouterStub(const QString& name, const QString& user, const QString& password,
                   const QString& logText = QString(), bool readOnly = false);
    ~TFtpRouterStub();
    int Port() const { return m_port; }
    const QString& Root() const { return m_root; }
    QByteArray File(const QString& name) const;
    bool Has(const QString& name) const;
    // The log text the next upload writes.
    void SetLogText(const QString& text);

private:
    QString m_root;
    QString m_logFile;
    int m_port = 0;
    std::unique_ptr<QProcess> m_proc;
};

// python3's http.server on a folder of the test's files.
class THttpStub
{
public:
    explicit THttpStub(const QString& root);
    ~THttpStub();
    QString Url() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

private:
    int m_port = 0;
    std::unique_ptr<QProcess> m_proc;
};

// dnsmasq answering only the given "name,address" records.
class TDnsStub
{
public:
    explicit TDnsStub(const QStringList& records);
    ~TDnsStub();
    int Port() const { return m_port; }

private:
    int m_port = 0;
    std::unique_ptr<QProcess> m_proc;
};
