#include "billing/RachunkiBankowe.h"

#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/Podmioty.h"

namespace {

const QString kError = QStringLiteral("Błąd");

} // namespace

QString CompleteNrb(const QString& basicNumber)
{
    QString digits = basicNumber;
    digits.remove(QLatin1Char(' '));
    if (digits.size() != 24) return QString();
    for (const QChar ch : digits)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return kError;
    // "P" = 25, "L" = 21, check digits "00" go after the basic number.
    const QString d = digits + QStringLiteral("252100");
    int r = 0;
    for (const QChar ch : d)
        r = (r * 10 + ch.digitValue()) % 97;
    const int check = 98 - r;
    QString out = QStringLiteral("%1").arg(check, 2, 10, QLatin1Char('0'));
    for (int i = 0; i < 24; i += 4)
        out += QLatin1Char(' ') + digits.mid(i, 4);
    return out;
}

bool IsValidNrb(const QString& text)
{
    if (text.isEmpty()) return false;
    const QString d = DigitsOnly(text);
    if (d.size() != 26) return false;
    return CompleteNrb(d.mid(2)) == text;
}

QString MakeVirtualAccountNrb(int customerNumber)
{
    QString result;
    try {
        // Each company has its own bank, client id and prefix.
        SetCurrentPodmiot(GlobalSession()->GetQueryValueAsInteger(
            QStringLiteral("select U_PODMIOT from Userdb where U_NRKLIENTA=:p1 limit 1"), {customerNumber}));
        const QString prefix = ReadIniString(0, QStringLiteral("U_Sub_Prefix"), QStringLiteral("0000"));
        const QString number = QString::number(customerNumber);
        QString tail = prefix;
        if (prefix.size() + number.size() < 12)
            tail += QString(12 - prefix.size() - number.size(), QLatin1Char('0'));
        tail += number;
        const QString basic = ReadIniString(0, QStringLiteral("U_Sub_NrBanku"), QStringLiteral("00000000")) +
                              ReadIniString(0, QStringLiteral("U_Sub_NrKlienta"), QStringLiteral("0000")) +
                              tail;
        result = CompleteNrb(basic);
    } catch (...) {
        result = kError;
    }
    try {
        SetCurrentPodmiot(1);
    } catch (...) {
        result = kError;
    }
    return result;
}
