#include "billing/OplatyMt940.h"

#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Query.h"

#include <QFile>

namespace {

// The date as six digits, year without century.
QString ShortDate(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyMMdd")) : QStringLiteral("000000");
}

} // namespace

QString Mt940Amount(Amount4 amount)
{
    qint64 raw = amount.raw;
    const bool negative = raw < 0;
    if (negative) raw = -raw;
    const qint64 grosze = (raw + 50) / 100;
    return (negative && grosze != 0 ? QStringLiteral("-") : QString()) +
           QStringLiteral("%1").arg(grosze / 100, 12, 10, QLatin1Char('0')) + QLatin1Char(',') +
           QStringLiteral("%1").arg(grosze % 100, 2, 10, QLatin1Char('0'));
}

QStringList Mt940Lines(TQuery& payments, const QDateTime& now)
{
    const QString t = ShortDate(now.date());
    QStringList lines{QStringLiteral(":20:1"),
                      QStringLiteral(":28C:") + now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                      QStringLiteral(":60F:D") + t + QStringLiteral("PLN000000000000,00")};
    Amount4 sum;
    for (payments.First(); !payments.Eof(); payments.Next()) {
        const QString v = ShortDate(payments.FieldByName(QStringLiteral("O_DATAWPLATY"))->AsDate());
        const Amount4 amount = payments.FieldByName(QStringLiteral("O_KWOTA"))->AsCurrency();
        const QString number = payments.FieldByName(QStringLiteral("O_NUMERTXT"))->AsString();
        sum += amount;
        lines << QStringLiteral(":61:") + v + v.mid(2, 4) + QStringLiteral("CN") + Mt940Amount(amount) +
                     QStringLiteral("NC53ID ") + number
              << QStringLiteral(":86:C53^00OPLATA") + number + QStringLiteral("       ^34000")
              << QStringLiteral("^30") << QStringLiteral("^20Oplata")
              << QStringLiteral("^32") +
                     StripPolishLetters(payments.FieldByName(QStringLiteral("U_NazwiskoImie"))->AsString());
    }
    lines << QStringLiteral(":62F:D") + t + QStringLiteral("PLN") + Mt940Amount(sum) << QStringLiteral("-");
    return lines;
}

QString WriteMt940File(const QStringList& lines, const QString& folder)
{
    const QString path = folder + QStringLiteral("Oplaty_mt940.txt");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EInOutError((QStringLiteral("Nie można zapisać pliku ") + path).toStdString());
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += StringToCp1250(line) + "\r\n";
    if (f.write(bytes) != bytes.size())
        throw EInOutError((QStringLiteral("Nie można zapisać pliku ") + path).toStdString());
    return path;
}
