#include "mainwindow/FerloHandOver.h"

#include "core/Funkcje.h"
#include "core/Session.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

constexpr int kPollRounds = 16;
constexpr int kPollMs = 100;
constexpr int kLines = 8;

} // namespace

QString FerloProgramPath()
{
    return ProgramFolder() + QStringLiteral("Ferlo");
}

QString HandOverFilePath()
{
    return ProgramFolder() + QStringLiteral("param.tmp");
}

QStringList FerloArguments(const QString& nipText)
{
    return {QStringLiteral("4729") + DigitsOnly(nipText)};
}

std::optional<TCompanyRecord> ReadHandOverFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    QString text = DecodeWebText(f.readAll());
    text.remove(QLatin1Char('\r'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast(); // the last line's break
    if (lines.size() < kLines) return std::nullopt;
    TCompanyRecord c;
    c.Name = lines[0];
    c.Name.remove(QStringLiteral("amp;amp;"));
    c.Town = lines[1];
    c.PostalCode = lines[2];
    c.Street = lines[3];
    c.House = lines[4];
    c.Flat = lines[5];
    c.Nip = lines[6];
    c.Regon = lines[7];
    return c;
}

TCompanyLookup LookupCompanyByNip(const QString& nipText, TCompanyRecord* company,
                                  const std::function<void(int ms)>& wait)
{
    const QString file = HandOverFilePath();
    if (QFile::exists(file) && !QFile::remove(file)) return TCompanyLookup::NoAnswer;
    const QString program = FerloProgramPath();
    if (!QFileInfo(program).isFile()) return TCompanyLookup::NoAnswer;
    if (!QProcess::startDetached(program, FerloArguments(nipText), ProgramFolder()))
        return TCompanyLookup::NoAnswer;

    std::optional<TCompanyRecord> answer;
    for (int round = 0; round < kPollRounds && !answer; ++round) {
        wait(kPollMs);
        // A file still being written is not there yet.
        answer = ReadHandOverFile(file);
    }
    if (!answer) return TCompanyLookup::NoAnswer;
    QFile::remove(file);
    if (answer->Name.isEmpty()) return TCompanyLookup::NotFound;
    *company = *answer;
    return TCompanyLookup::Found;
}
