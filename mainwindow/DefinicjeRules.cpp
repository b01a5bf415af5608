#include "mainwindow/DefinicjeRules.h"

#include "core/DedicatedSession.h"

#include <exception>

QStringList NamelessRowDeletions()
{
    const char* const tables[][2] = {
        {"Szablony", "SZ_NAZWA"},         {"Uslugi", "USL_NAZWAUSLUGI"}, {"Grupy", "GR_NAZWA"},
        {"GrupyInf", "GRI_NAZWA"},        {"TypLacza", "TL_NAZWA"},      {"TypUrzadzenia", "TU_NAZWA"},
        {"RodzajUrzadzenia", "RU_NAZWA"}, {"Taryfy", "TAR_NAZWA"},       {"FormyPlatnosci", "FP_NAZWA"},
        {"ListaSieci", "SIEC_NAZWA"},     {"Autoryzacja", "AUT_NAZWA"},  {"Profil", "PROFIL_NAZWA"},
        {"Interface", "INTERFACE_NAZWA"}, {"Wan", "WAN_NAZWA"}};
    QStringList out;
    for (const auto& t : tables)
        out << QStringLiteral("delete from %1 where Trim(%2)=''")
                   .arg(QLatin1String(t[0]), QLatin1String(t[1]));
    return out;
}

void DeleteNamelessRows()
{
    std::exception_ptr first;
    for (const QString& sql : NamelessRowDeletions()) {
        try {
            GlobalSession()->ExecQuery(sql);
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

namespace {

bool GroupInUse(const QString& table, const QString& prefix, int index)
{
    QString sql = QStringLiteral("select (1) from %1 where 1=2 ").arg(table);
    TArgs args;
    for (int n = 1; n <= 10; ++n) {
        args.push_back(index);
        sql += QStringLiteral(" or %1%2=:p%3").arg(prefix).arg(n).arg(n);
    }
    return !GlobalSession()->IsQueryEmpty(sql + QStringLiteral(" limit 1"), args);
}

} // namespace

bool UserGroupInUse(int grIndex)
{
    return GroupInUse(QStringLiteral("Userdb"), QStringLiteral("U_GRUPA"), grIndex);
}

bool InfraGroupInUse(int griIndex)
{
    return GroupInUse(QStringLiteral("Infrastruktura"), QStringLiteral("INF_GRUPA"), griIndex);
}

const std::vector<TTemplateKind>& TemplateKinds()
{
    static const std::vector<TTemplateKind> kinds = [] {
        const QString tytul = QStringLiteral("Tytuł:");
        return std::vector<TTemplateKind>{
            {QLatin1Char('S'), QStringLiteral("Wiadomości SMS (S)"), false, {}, {}, QStringLiteral("User")},
            {QLatin1Char('E'), QStringLiteral("Wiadomości email (E)"), false, QStringLiteral("Temat:"),
             QStringLiteral("Zmienne: <#Y> - rok; <#M> - miesiąc cyfrą; <#m> - miesiąc słownie; <#D> - dzień "
                            "z bieżącej daty"),
             QStringLiteral("User")},
            {QLatin1Char('U'),
             QStringLiteral("Umowa, aneks, PZO (U)"),
             true,
             tytul,
             {},
             QStringLiteral("Umowa")},
            {QLatin1Char('W'),
             QStringLiteral("Wezwanie do zapł. (W)"),
             true,
             tytul,
             {},
             QStringLiteral("User")},
            {QLatin1Char('P'),
             QStringLiteral("Pismo do użytkow. (P)"),
             true,
             tytul,
             {},
             QStringLiteral("Umowa")},
            {QLatin1Char('M'),
             QStringLiteral("Skrypty MikroTik (M)"),
             false,
             {},
             {},
             QStringLiteral("Skrypty")},
            {QLatin1Char('N'),
             QStringLiteral("Skrypty urzadz. użytkow. (N)"),
             false,
             {},
             {},
             QStringLiteral("Skrypty")},
        };
    }();
    return kinds;
}

int TemplateKindIndex(const QString& letter)
{
    const auto& kinds = TemplateKinds();
    for (size_t i = 0; i < kinds.size(); ++i)
        if (letter.size() == 1 && kinds[i].Letter == letter.at(0)) return int(i);
    return 0;
}

QStringList BandwidthPickList()
{
    return {QStringLiteral("512k"), QStringLiteral("1M"), QStringLiteral("2M"), QStringLiteral("3M"),
            QStringLiteral("4M"),   QStringLiteral("5M"), QStringLiteral("9M"), QStringLiteral("10M"),
            QStringLiteral("12M"),  QStringLiteral("15M")};
}

QString AdditionalRtfTooLongMessage()
{
    return QStringLiteral("Plik jest za duży: dodatkowy plik szablonu może mieć najwyżej %1 znaków. Plik nie "
                          "został dodany.")
        .arg(kAdditionalRtfLimit);
}

bool StoreAdditionalRtf(int szIndex, const QByteArray& fileText)
{
    // RTF is 7-bit text: one byte is one character.
    if (fileText.size() > kAdditionalRtfLimit) return false;
    GlobalSession()->ExecQuery(QStringLiteral("update Szablony set SZ_TRESC2=:p1 where SZ_INDEX=:p2"),
                               {QString::fromLatin1(fileText), szIndex});
    return true;
}

void RemoveAdditionalRtf(int szIndex)
{
    GlobalSession()->ExecQuery(QStringLiteral("update Szablony set SZ_TRESC2='' where SZ_INDEX=:p1"),
                               {szIndex});
}
