#pragma once
// What the tests of the two small programs share: they run the built
// binaries as child processes from a folder of their own.
#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct TToolRun
{
    bool Finished = false; // ended on its own within the time given
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

// Copies the built program (build/bin/<name>) into folder, which is created;
// the copy's path.
QString CopyBuiltTool(const QString& name, const QString& folder);

// Runs program without a shell; a program still running after timeoutMs is killed.
TToolRun RunTool(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                 int timeoutMs);

// The whole file, or a null array when it does not exist.
QByteArray FileBytes(const QString& path);
