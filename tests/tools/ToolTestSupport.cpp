#include "tests/tools/ToolTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

QString CopyBuiltTool(const QString& name, const QString& folder)
{
    QDir().mkpath(folder);
    const QString target = folder + QLatin1Char('/') + name;
    QFile::remove(target);
    QFile::copy(QStringLiteral(ORLIX_BIN_DIR "/") + name, target);
    return target;
}

TToolRun RunTool(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                 int timeoutMs)
{
    TToolRun r;
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    r.Finished = p.waitForFinished(timeoutMs);
    if (!r.Finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.Out = p.readAllStandardOutput();
    r.Err = p.readAllStandardError();
    return r;
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    QByteArray data = f.readAll();
    if (data.isNull()) data = QByteArray("");
    return data;
}
