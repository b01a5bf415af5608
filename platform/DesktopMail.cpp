#include "platform/DesktopMail.h"

#include <QProcess>
#include <QProcessEnvironment>

bool IsSafeMailAddress(const QString& address)
{
    return !address.contains(QLatin1Char('\r')) && !address.contains(QLatin1Char('\n')) &&
           !address.trimmed().startsWith(QLatin1Char('-'));
}

QString UnsafeMailAddressText(const QString& address)
{
    QString shown = address;
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\r")).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return QStringLiteral("Niepoprawny adres e-mail: „%1”. Wiadomość nie została wysłana.").arg(shown);
}

QString DesktopMailCommand()
{
    const QString overridden =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("ORLIX_XDG_EMAIL"));
    return overridden.isEmpty() ? QStringLiteral("xdg-email") : overridden;
}

QStringList DesktopMailArguments(const TDesktopMail& mail)
{
    QStringList args{QStringLiteral("--utf8"), QStringLiteral("--subject"), mail.subject,
                     QStringLiteral("--body"), mail.body};
    if (!mail.attachment.isEmpty()) args << QStringLiteral("--attach") << mail.attachment;
    args << mail.to;
    return args;
}

TDesktopMailResult SendDesktopMail(const TDesktopMail& mail, int waitMs)
{
    for (const QString& address : mail.to)
        if (!IsSafeMailAddress(address)) return TDesktopMailResult::NotStarted;
    auto* process = new QProcess;
    process->setProgram(DesktopMailCommand());
    process->setArguments(DesktopMailArguments(mail));
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start();
    if (!process->waitForStarted(10000)) {
        delete process;
        return TDesktopMailResult::NotStarted;
    }
    if (!process->waitForFinished(waitMs)) {
        // The mail client keeps the composer open: let it run on its own.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return TDesktopMailResult::Handed;
    }
    const bool ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return ok ? TDesktopMailResult::Handed : TDesktopMailResult::Failed;
}
