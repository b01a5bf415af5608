#include "core/TextVariables.h"

#include "core/Amount4.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/KwotaSlownie.h"
#include "core/ProgramHooks.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QDate>
#include <QTime>
#include <cmath>
#include <memory>

namespace {

// The line break of lists and "<#ENTER>": the rich-text paragraph word, also
// used in plain-text templates.
const QString kPar = QStringLiteral("\\par ");
const QString kListSeparator = QStringLiteral("  ");

const char* RecordQuery(const QString& kind)
{
    if (kind == QLatin1String("Mac") || kind == QLatin1String("Skrypty"))
        return "select * from Mac left join Userdb on U_INDEX=M_INDEXUSER left join Infrastruktura on "
               "INF_INDEX=M_INDEXMIEJSCEPODLACZENIA left join Autoryzacja on AUT_INDEX=M_INDEXAUTORYZACJA "
               "left join Profil on PROFIL_INDEX=M_INDEXPROFIL left join Interface on "
               "INTERFACE_INDEX=M_INDEXINTERFACE  where M_INDEX=:p1";
    if (kind == QLatin1String("User"))
        return "select * from Userdb left join Umowy on UM_INDEXUSER=U_INDEX where U_INDEX=:p1 order by "
               "UM_DATASTART desc limit 1";
    if (kind == QLatin1String("Umowa"))
        return "select * from Umowy left join Userdb on U_INDEX=UM_INDEXUSER where UM_INDEX=:p1";
    return nullptr;
}

bool IsDeviceKind(const QString& kind)
{
    return kind == QLatin1String("Mac") || kind == QLatin1String("Skrypty");
}

// "1234,50": two decimals, decimal comma, optionally grouped in thousands.
QString MoneyText(Amount4 amount, bool grouped)
{
    const qint64 cents = amount.roundedTo(2).raw / 100;
    const qint64 whole = (cents < 0 ? -cents : cents) / 100;
    QString digits = QString::number(whole);
    if (grouped)
        for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
            digits.insert(i, QLatin1Char(' '));
    return QStringLiteral("%1%2,%3")
        .arg(cents < 0 ? QStringLiteral("-") : QString(), digits)
        .arg((cents < 0 ? -cents : cents) % 100, 2, 10, QLatin1Char('0'));
}

// One expansion: the record and what its tokens read from it.
class TExpansion
{
public:
    TExpansion(const QString& kind, int id) : m_kind(kind), m_id(id), m_s(GlobalSession())
    {
        if (const char* sql = RecordQuery(kind)) m_record = m_s->OpenQuery(QString::fromUtf8(sql), {id});
    }

    const QString& Kind() const { return m_kind; }
    TDedicatedSession* Session() const { return m_s; }

    // A column of the record as text; empty without a record or column.
    QString Col(const char* name) const
    {
        const TField* f = field(name);
        return f ? f->AsString() : QString();
    }
    int ColInt(const char* name) const
    {
        const TField* f = field(name);
        return f ? f->AsInteger() : 0;
    }
    Amount4 ColMoney(const char* name) const
    {
        const TField* f = field(name);
        return f ? f->AsCurrency() : Amount4{};
    }

    // The subscriber the record belongs to.
    int UserIndex() const
    {
        if (m_kind == QLatin1String("User")) return m_id;
        if (m_kind == QLatin1String("Umowa")) return ColInt("UM_INDEXUSER");
        return ColInt("M_INDEXUSER");
    }

    // Rows of a query about the subscriber, one line each, separated by "\par ".
    QString List(const char* sql, const std::function<QString(const TQuery&)>& line, TArgs args = {}) const
    {
        if (args.empty()) args = {UserIndex()};
        auto q = m_s->OpenQuery(QString::fromUtf8(sql), args);
        QString out;
        for (q->First(); !q->Eof(); q->Next())
            out += line(*q) + kPar;
        out.chop(kPar.size());
        return out;
    }

private:
    const TField* field(const char* name) const
    {
        if (!m_record || m_record->IsEmpty()) return nullptr;
        return m_record->FindField(QString::fromLatin1(name));
    }

    QString m_kind;
    int m_id;
    TDedicatedSession* m_s;
    std::unique_ptr<TQuery> m_record;
};

QString F(const TQuery& q, const char* name)
{
    return q.FieldByName(QString::fromLatin1(name))->AsString();
}

QString Setting(const char* key)
{
    return ReadIniString(0, QString::fromLatin1(key), QString());
}

// Street and house [+ "/" flat].
QString StreetHouse(const TExpansion& e, const char* street, const char* house, const char* flat)
{
    QString s = e.Col(street) + QLatin1Char(' ') + e.Col(house);
    if (!e.Col(flat).isEmpty()) s += QLatin1Char('/') + e.Col(flat);
    return s;
}

QString MainAddress(const TExpansion& e)
{
    return StreetHouse(e, "U_ADR_ULICA", "U_ADR_NRDOMU", "U_ADR_NRLOKALU") + QStringLiteral(", ") +
           e.Col("U_ADR_KOD") + QLatin1Char(' ') + e.Col("U_ADR_MIEJSCOWOSC");
}

QString LastPayment(const TExpansion& e, const char* column)
{
    const QString tail =
        QStringLiteral(" from Oplaty where O_INDEXUSER=:p1 order by O_DATAWPLATY DESC, O_INDEX DESC");
    const int user = e.UserIndex();
    if (e.Session()->IsQueryEmpty(QStringLiteral("select (1)") + tail, {user})) return QString();
    auto q = e.Session()->OpenQuery(QStringLiteral("select %1").arg(QLatin1String(column)) + tail, {user});
    const TField* f = q->Fields(0);
    return QLatin1String(column) == QLatin1String("O_KWOTA") ? MoneyText(f->AsCurrency(), true)
                                                             : f->AsString();
}

QString Months(const TExpansion& e)
{
    const QString start = e.Col("UM_DATASTART");
    if (start.isEmpty()) return QString();
    const QString end = e.Col("UM_DATAKONIEC");
    if (end.isEmpty()) return QStringLiteral("czas nieokreślony");
    const qint64 days = QDate::fromString(start, Qt::ISODate).daysTo(QDate::fromString(end, Qt::ISODate));
    // Halves go to the even number.
    return QString::number(qint64(std::nearbyint(double(days) / 30.0)));
}

QString InstallAddressWord(const TExpansion& e)
{
    const bool other = e.ColInt("U_CZYINNALOKALIZACJA") == 1;
    const char* p = other ? "U_LOK_" : "U_ADR_";
    auto c = [&](const char* suffix) { return e.Col((QByteArray(p) + suffix).constData()); };
    QString s = other ? c("MIEJSCOWOSC") + QStringLiteral(" _") + c("ULICA") + QLatin1Char('_') + c("NRDOMU")
                      : c("MIEJSCOWOSC") + QLatin1Char('_') + c("ULICA") + QLatin1Char('_') + c("NRDOMU");
    if (!c("NRLOKALU").isEmpty()) s += QLatin1Char('_') + c("NRLOKALU");
    return StripPolishLetters(s);
}

QString CorrespondenceAddress(const TExpansion& e)
{
    if (e.Col("U_CZYADRESDOKORESP") == QLatin1String("0")) {
        const QString street = e.Col("U_ADR_POCZTA") == e.Col("U_ADR_MIEJSCOWOSC")
                                   ? e.Col("U_ADR_ULICA")
                                   : e.Col("U_ADR_MIEJSCOWOSC") + QStringLiteral(", ") + e.Col("U_ADR_ULICA");
        QString s = street + QLatin1Char(' ') + e.Col("U_ADR_NRDOMU");
        if (!e.Col("U_ADR_NRLOKALU").isEmpty()) s += QLatin1Char('/') + e.Col("U_ADR_NRLOKALU");
        return s + QStringLiteral(", ") + e.Col("U_ADR_KOD") + QLatin1Char(' ') + e.Col("U_ADR_POCZTA");
    }
    return e.Col("U_KOR_NAZWA") + QLatin1Char(' ') +
           StreetHouse(e, "U_KOR_ULICA", "U_KOR_NRDOMU", "U_KOR_NRLOKALU") + QStringLiteral(", ") +
           e.Col("U_KOR_KOD") + QLatin1Char(' ') + e.Col("U_KOR_MIEJSCOWOSC");
}

QString InstallAddress(const TExpansion& e)
{
    if (e.ColInt("U_CZYINNALOKALIZACJA") != 1) return MainAddress(e);
    return e.Col("U_LOK_NAZWA") + QStringLiteral("  ") +
           StreetHouse(e, "U_LOK_ULICA", "U_LOK_NRDOMU", "U_LOK_NRLOKALU") + QStringLiteral(", ") +
           e.Col("U_LOK_KOD") + QLatin1Char(' ') + e.Col("U_LOK_MIEJSCOWOSC");
}

QString TemplateItems(const TExpansion& e, bool namesOnly)
{
    const char* sql =
        namesOnly ? "select UFV_NAZWAUSLUGI as UFV_Pozycja from UserFvPozycje where UFV_CZYAKTYWNA<>0 and "
                    "UFV_CZYJEDNORAZOWA<>1 and UFV_INDEXUSER=:p1 order by UFV_NAZWAUSLUGI, UFV_DATASTART, "
                    "UFV_DATAEND"
                  : "select concat_ws('    ', UFV_NAZWAUSLUGI, UFV_ILOSC, concat(UFV_WARTOSCBRUTTO, :p0), "
                    "if(UFV_DATASTART>0, concat(:p1, UFV_DATASTART), :p2), if(UFV_DATAEND>0, concat(:p3, "
                    "UFV_DATAEND), :p4)) as UFV_Pozycja from UserFvPozycje where UFV_CZYAKTYWNA<>0 and "
                    "UFV_CZYJEDNORAZOWA<>1 and UFV_INDEXUSER=:p10 order by UFV_NAZWAUSLUGI, UFV_DATASTART, "
                    "UFV_DATAEND";
    TArgs args = namesOnly ? TArgs{e.UserIndex()} : TArgs{QStringLiteral(" zł"),
                                                          QStringLiteral(" od  "),
                                                          QString(),
                                                          QStringLiteral(" do  "),
                                                          QString(),
                                                          e.UserIndex()};
    return e.List(
        sql, [](const TQuery& q) { return F(q, "UFV_Pozycja"); }, args);
}

QString UnpaidList(const TExpansion& e, const std::function<QString(int)>& hook)
{
    return hook(e.UserIndex());
}

using TValue = QString (*)(const TExpansion&);

struct TRule
{
    char Group; // 'A' contract, 'B' subscriber lists, 'C' device, 'D' every kind
    const char* Token;
    TValue Value;
};

#define COL(token, column)                                                                                   \
    {                                                                                                        \
        token, [](const TExpansion& e) { return e.Col(column); }                                             \
    }

// The tests in the order they run at one position.
const std::vector<TRule>& Rules()
{
    static const std::vector<TRule> rules = [] {
        std::vector<TRule> r;
        auto add = [&r](char group, std::initializer_list<std::pair<const char*, TValue>> list) {
            for (const auto& [token, value] : list)
                r.push_back({group, token, value});
        };
        add('A', {COL("<#UMOWA_NUMER>", "UM_NUMERTXT"),
                  COL("<#UMOWA_OPIS>", "UM_OPIS"),
                  {"<#UMOWA_OPISANEKS>",
                   [](const TExpansion& e) {
                       return e.ColInt("UM_CZYANEKS") != 0 ? e.Col("UM_ANEKSOPIS") : QString();
                   }},
                  {"<#UMOWA_ILEMIESIECY>", Months},
                  COL("<#UMOWA_DATAZAWARCIA>", "UM_DATAZAWARCIA"),
                  COL("<#UMOWA_DATAPOCZATKU>", "UM_DATASTART"),
                  {"<#UMOWA_DATAKONCA>",
                   [](const TExpansion& e) {
                       const QString end = e.Col("UM_DATAKONIEC");
                       return end.isEmpty() ? QStringLiteral("na czas nieokreślony") : end;
                   }},
                  COL("<#UMOWA_TYTUL>", "UM_TYTUL"),
                  COL("<#UMOWA_UWAGI>", "UM_UWAGI")});
        add('B',
            {{"<#ZOBOWIAZANIALISTA_RTF>",
              [](const TExpansion& e) { return UnpaidList(e, ProgramHooks().unpaidDocumentsRtf); }},
             {"<#ZOBOWIAZANIALISTA_TXT>",
              [](const TExpansion& e) { return UnpaidList(e, ProgramHooks().unpaidDocumentsText); }},
             COL("<#NIPODBIORCY>", "U_NIP2"),
             {"<#IPMACALL>",
              [](const TExpansion& e) {
                  return e.List("select M_MAC, M_IP from Mac where M_INDEXUSER=:p1", [](const TQuery& q) {
                      return F(q, "M_IP") + kListSeparator + F(q, "M_MAC");
                  });
              }},
             {"<#MACALL>",
              [](const TExpansion& e) {
                  return e.List("select M_MAC from Mac where M_INDEXUSER=:p1",
                                [](const TQuery& q) { return F(q, "M_MAC"); });
              }},
             {"<#IPALL>",
              [](const TExpansion& e) {
                  return e.List("select M_IP from Mac where M_INDEXUSER=:p1",
                                [](const TQuery& q) { return F(q, "M_IP"); });
              }},
             {"<#IPMACALLOPER>",
              [](const TExpansion& e) {
                  return e.List(
                      "select M_MAC, M_IP from Mac where M_INDEXUSER=:p1 and M_CZYURZADZENIEKLIENTA<>1",
                      [](const TQuery& q) { return F(q, "M_IP") + kListSeparator + F(q, "M_MAC"); });
              }},
             {"<#MACALLOPER>",
              [](const TExpansion& e) {
                  return e.List("select M_MAC from Mac where M_INDEXUSER=:p1 and M_CZYURZADZENIEKLIENTA<>1",
                                [](const TQuery& q) { return F(q, "M_MAC"); });
              }},
             {"<#IPALLOPER>",
              [](const TExpansion& e) {
                  return e.List("select M_IP from Mac where M_INDEXUSER=:p1 and M_CZYURZADZENIEKLIENTA<>1",
                                [](const TQuery& q) { return F(q, "M_IP"); });
              }},
             {"<#MACTYPALLOPER>",
              [](const TExpansion& e) {
                  return e.List(
                      "select M_MAC, TU_NAZWA from vMac where M_INDEXUSER=:p1 and M_CZYURZADZENIEKLIENTA<>1",
                      [](const TQuery& q) { return F(q, "M_MAC") + kListSeparator + F(q, "TU_NAZWA"); });
              }},
             {"<#PUBIPALL>",
              [](const TExpansion& e) {
                  return e.List("select M_PUBIP from Mac where M_INDEXUSER=:p1",
                                [](const TQuery& q) { return F(q, "M_PUBIP"); });
              }},
             {"<#SZABLONALL>", [](const TExpansion& e) { return TemplateItems(e, false); }},
             {"<#SZABLONNAZWAALL>", [](const TExpansion& e) { return TemplateItems(e, true); }}});
        add('C', {COL("<#MAC_INFRA>", "INF_MAC"),
                  COL("<#IP_INFRA>", "INF_IP"),
                  COL("<#NAZWA_INFRA>", "INF_NAZWA"),
                  COL("<#PORT_INFRA>", "INF_PORT"),
                  COL("<#MAC>", "M_MAC"),
                  COL("<#IP>", "M_IP"),
                  COL("<#PORTPODLACZENIA_INFRA>", "M_PORTPODLACZENIADOINFRA"),
                  {"<#IP_PORT>",
                   [](const TExpansion& e) {
                       const QString port = e.Col("M_PORT");
                       return port == QLatin1String("0") ? QStringLiteral("80") : port;
                   }},
                  COL("<#ZAZNACZ>", "U_ZAZNACZ"),
                  COL("<#ZAWIESZONE>", "M_CZYZAWIESZONE"),
                  COL("<#ID_URZADZENIA>", "M_INDEX"),
                  COL("<#PUBIP>", "M_PUBIP"),
                  COL("<#PASMODOWNDZIENTXT>", "M_PASMODOWNLOADDZIENTXT"),
                  COL("<#PASMOUPDZIENTXT>", "M_PASMOUPLOADDZIENTXT"),
                  COL("<#PASMODOWNNOCTXT>", "M_PASMODOWNLOADNOCTXT"),
                  COL("<#PASMOUPNOCTXT>", "M_PASMOUPLOADNOCTXT"),
                  COL("<#PASMODOWNDZIEN>", "M_PASMODOWNLOADDZIEN"),
                  COL("<#PASMOUPDZIEN>", "M_PASMOUPLOADDZIEN"),
                  COL("<#PASMODOWNNOC>", "M_PASMODOWNLOADNOC"),
                  COL("<#PASMOUPNOC>", "M_PASMOUPLOADNOC"),
                  COL("<#ID>", "M_INDEX"),
                  COL("<#MAC_LOGIN>", "M_LOGIN"),
                  COL("<#MAC_HASLO>", "M_HASLO"),
                  COL("<#MAC_AUTORYZACJA>", "AUT_NAZWA"),
                  COL("<#MAC_PROFIL>", "PROFIL_NAZWA"),
                  COL("<#MAC_INTERFACE>", "INTERFACE_NAZWA"),
                  {"<#ADRESINSTAL_SKR>", InstallAddressWord}});
        add('D',
            {{"<#ENTER>", [](const TExpansion&) { return kPar; }},
             {"<#OPERATOR>",
              [](const TExpansion& e) {
                  return e.Session()->GetQueryValueAsString(
                      QStringLiteral(
                          "select concat_ws(' ', OP_IMIE, OP_NAZWISKO) from Operator where OP_INDEX=:p1"),
                      {OperatorId});
              }},
             {"<#OSTATNIA_WPLATA_DATA>", [](const TExpansion& e) { return LastPayment(e, "O_DATAWPLATY"); }},
             {"<#OSTATNIA_WPLATA_KWOTA>", [](const TExpansion& e) { return LastPayment(e, "O_KWOTA"); }},
             {"<#AKTUALNADATA>",
              [](const TExpansion&) { return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")); }},
             {"<#AKTUALNYCZAS>",
              [](const TExpansion&) { return QTime::currentTime().toString(QStringLiteral("HH:mm:ss")); }},
             {"<#SALDO>", [](const TExpansion& e) { return MoneyText(e.ColMoney("U_SALDO"), false); }},
             {"<#SALDOZALEGLE>",
              [](const TExpansion& e) { return MoneyText(e.ColMoney("U_SALDOZALEGLE"), false); }},
             COL("<#BLOKUJ>", "U_BLOKUJ"),
             COL("<#POWIADAMIAJ>", "U_POWIADAMIAJ"),
             {"<#NUMERRACHUNKU>",
              [](const TExpansion& e) {
                  const QString own = e.Col("U_NRRACHUNKU1");
                  return own.isEmpty() ? Setting("U_NrKonta") : own;
              }},
             {"<#DATAKONCAUMOWY>",
              [](const TExpansion& e) {
                  const QString end = e.Col("U_DATAKONCAUMOWY");
                  return end.isEmpty() ? QStringLiteral("CZAS NIEOKREŚLONY") : end;
              }},
             {"<#USERNAZWA>",
              [](const TExpansion& e) { return e.Col("U_NAZWISKO") + QLatin1Char(' ') + e.Col("U_IMIE"); }},
             {"<#NRKLIENTA>",
              [](const TExpansion& e) {
                  const int n = e.ColInt("U_NRKLIENTA");
                  const char* pad = n < 10 ? "000" : n < 100 ? "00" : n < 1000 ? "0" : "";
                  return QLatin1String(pad) + e.Col("U_NRKLIENTA");
              }},
             {"<#ADRES>", MainAddress},
             {"<#ADRESKORESP>", CorrespondenceAddress},
             {"<#ADRESINSTAL>", InstallAddress},
             {"<#TELEFONY>",
              [](const TExpansion& e) { return e.Col("U_TEL1") + QStringLiteral(" ; ") + e.Col("U_TEL2"); }},
             COL("<#NRDOWODU>", "U_NRDOWODU"),
             COL("<#PESEL>", "U_PESEL"),
             COL("<#NIP>", "U_NIP"),
             COL("<#EMAIL>", "U_EMAIL"),
             {"<#BANK>",
              [](const TExpansion& e) {
                  const QString sub = Setting("U_NazwaBankuSubkonta");
                  return !e.Col("U_NRRACHUNKU1").isEmpty() && !sub.isEmpty() ? sub : Setting("U_NazwaBanku");
              }},
             COL("<#LOGIN>", "U_LOGIN"),
             COL("<#HASLO>", "U_HASLO"),
             COL("<#PASMOUPDZIENUSER>", "U_PASMOUPLOADDZIEN"),
             COL("<#PASMODOWNDZIENUSER>", "U_PASMODOWNLOADDZIEN"),
             COL("<#PASMOUPDZIENUSERTXT>", "U_PASMOUPLOADDZIENTXT"),
             COL("<#PASMODOWNDZIENUSERTXT>", "U_PASMODOWNLOADDZIENTXT"),
             {"<#ABONAMENT>",
              [](const TExpansion& e) { return MoneyText(e.ColMoney("U_KWOTAABONAMENTU"), false); }},
             {"<#ABONAMENTSLOWNIE>",
              [](const TExpansion& e) {
                  return AmountInWords(e.ColMoney("U_KWOTAABONAMENTU").roundedTo(2));
              }},
             {"<#FIRMANAZWA>",
              [](const TExpansion&) { return Setting("U_Nazwa1") + QLatin1Char(' ') + Setting("U_Nazwa2"); }},
             {"<#FIRMAADRES>",
              [](const TExpansion&) {
                  QString s = Setting("U_Ulica") + QLatin1Char(' ') + Setting("U_NrDomu");
                  if (!Setting("U_NrLokalu").isEmpty()) s += QLatin1Char('/') + Setting("U_NrLokalu");
                  return s + QStringLiteral(", ") + Setting("U_KodPocztowy") + QLatin1Char(' ') +
                         Setting("U_Miejscowosc");
              }},
             {"<#FIRMAREGON>", [](const TExpansion&) { return Setting("U_REGON"); }},
             {"<#FIRMANIP>", [](const TExpansion&) { return Setting("U_NIP"); }},
             COL("<#PASMOUPNOCUSER>", "U_PASMOUPLOADNOC"),
             COL("<#PASMODOWNNOCUSER>", "U_PASMODOWNLOADNOC"),
             COL("<#PASMOUPNOCUSERTXT>", "U_PASMOUPLOADNOCTXT"),
             COL("<#PASMODOWNNOCUSERTXT>", "U_PASMODOWNLOADNOCTXT"),
             COL("<#NOTATKA>", "U_NOTATKA"),
             COL("<#NOTATKA2>", "U_NOTATKA2"),
             COL("<#ZMIENNAUZYTKOWNIKA_1>", "U_ZMIENNATXT1"),
             COL("<#ZMIENNAUZYTKOWNIKA_2>", "U_ZMIENNATXT2"),
             COL("<#ZMIENNAUZYTKOWNIKA_3>", "U_ZMIENNATXT3"),
             COL("<#ZMIENNAUZYTKOWNIKA_4>", "U_ZMIENNATXT4"),
             COL("<#ZMIENNAUZYTKOWNIKA_5>", "U_ZMIENNATXT5"),
             COL("<#ZMIENNAUZYTKOWNIKA_6>", "U_ZMIENNATXT6"),
             COL("<#ZMIENNAUZYTKOWNIKA_7>", "U_ZMIENNATXT7")});
        return r;
    }();
    return rules;
}

#undef COL

bool GroupEnabled(char group, const QString& kind)
{
    switch (group) {
    case 'A':
    case 'B':
        return kind == QLatin1String("User") || kind == QLatin1String("Umowa");
    case 'C':
        return IsDeviceKind(kind);
    default:
        return true;
    }
}

// A token whose value comes from a hook that is not set yet stays as it is.
bool RuleAvailable(const TRule& rule)
{
    if (qstrcmp(rule.Token, "<#ZOBOWIAZANIALISTA_RTF>") == 0) return bool(ProgramHooks().unpaidDocumentsRtf);
    if (qstrcmp(rule.Token, "<#ZOBOWIAZANIALISTA_TXT>") == 0) return bool(ProgramHooks().unpaidDocumentsText);
    return true;
}

} // namespace

int TextVariableScanLimit(const QString& kind, const QString& templateText)
{
    return int(templateText.size()) + (IsDeviceKind(kind) ? 1000 : 10000);
}

QString ExpandTextVariables(const QString& kind, int id, const QString& templateText)
{
    const TExpansion e(kind, id);
    std::vector<std::pair<const TRule*, QString>> rules;
    for (const TRule& r : Rules())
        if (GroupEnabled(r.Group, kind) && RuleAvailable(r))
            rules.emplace_back(&r, QString::fromLatin1(r.Token));

    QString text = templateText;
    const int limit = TextVariableScanLimit(kind, templateText);
    // Past the end of the text nothing can match any more, so the scan stops there.
    for (qsizetype p = 0; p < limit && p + 1 < text.size(); ++p) {
        if (text[p] != QLatin1Char('<') || text[p + 1] != QLatin1Char('#')) continue;
        for (const auto& [rule, token] : rules) {
            if (QStringView(text).mid(p, token.size()) != token) continue;
            text.replace(p, token.size(), rule->Value(e));
        }
    }
    return text;
}

QString ExpandTemplateVariables(const QString& kind, int id, const QString& templateText)
{
    return ExpandTextVariables(kind, id, templateText);
}

// ---------------------------------------------------------------- the picker's lists

namespace {

struct TEntry
{
    const char* Token;
    const char* Description;
};

const TEntry kBase[] = {
    {"<#IPALL>", "Lista adresów IP urządzeń użytkownika"},
    {"<#MACALL>", "Lista adresów MAC urządzeń użytkownika"},
    {"<#OSTATNIA_WPLATA_KWOTA>", "Kwota ostatniej wpłaty"},
    {"<#OSTATNIA_WPLATA_DATA>", "Data ostatniej wpłaty"},
    {"<#AKTUALNADATA>", "Aktualna data"},
    {"<#AKTUALNYCZAS>", "Aktualny czas"},
    {"<#SALDO>", "Kwota salda"},
    {"<#SALDOZALEGLE>", "Kwota salda zaległego"},
    {"<#BLOKUJ>", "Obecność na liście blokowanych"},
    {"<#POWIADAMIAJ>", "Obecność na liście powiadamianych"},
    {"<#NUMERRACHUNKU>", "Rachunek bankowy"},
    {"<#DATAKONCAUMOWY>", "Data końca aktualnej umowy użytkownika"},
    {"<#USERNAZWA>", "Nazwa użytkownika"},
    {"<#NRKLIENTA>", "Numer klienta"},
    {"<#ADRES>", "Adres klienta"},
    {"<#ADRESINSTAL>", "Adres instalacji"},
    {"<#TELEFONY>", "Numery telefonów"},
    {"<#NRDOWODU>", "Numer dowodu"},
    {"<#PESEL>", "Nr PESEL"},
    {"<#NIP>", "Nr NIP"},
    {"<#EMAIL>", "Adres email"},
    {"<#BANK>", "Nazwa banku"},
    {"<#LOGIN>", "Login"},
    {"<#HASLO>", "Hasło"},
    {"<#PASMODOWNDZIENUSER>", "Pasmo download dzień usera"},
    {"<#PASMOUPDZIENUSER>", "Pasmo uploadu dzień usera"},
    {"<#PASMODOWNNOCUSER>", "Pasmo download noc usera"},
    {"<#PASMOUPNOCUSER>", "Pasmo uploadu noc usera"},
    {"<#ABONAMENT>", "Kwota abonamentu"},
    {"<#ABONAMENTSLOWNIE>", "Kwota abonamentu słownie"},
    {"<#FIRMANAZWA>", "Nazwa usługodawcy"},
    {"<#FIRMAADRES>", "Adres usługodawcy"},
    {"<#FIRMANIP>", "NIP usługodawcy"},
    {"<#FIRMAREGON>", "REGON usługodawcy"},
    {"<#NOTATKA>", "Pole Notatka"},
    {"<#NOTATKA2>", "Pole notatka2"},
    {"<#SZABLONALL>", "Lista pozycji szablonu faktury usera"},
    {"<#IPMACALL>", "Lista IP i MACów usera"},
    {"<#PUBIPALL>", "Lista publicznych adresów IP usera"},
    {"<#IPALLOPER>", "Lista adresów IP urządzeń usera których właścicielem jest operator"},
    {"<#MACALLOPER>", "Lista adresów MAC urządzeń usera których właścicielem jest operator"},
    {"<#IPMACALLOPER>", "Lista IP i MACów usera których właścicielem jest operator"},
    {"<#MACTYPALLOPER>", "Lista MACów i typów urządzeń usera których właścicielem jest operator"},
    {"<#SZABLONNAZWAALL>", "Lista nazw pozycji szablonu faktury usera"},
    {"<#OPERATOR>", "Imię i nazwisko zalogowanego operatora programu"},
    {"<#ENTER>", "Przejście do nowej linii"},
    {"<#ZOBOWIAZANIALISTA_RTF>", "Lista nierozliczonych zobowiązań użytkownika - format RTF"},
    {"<#ZOBOWIAZANIALISTA_TXT>", "Lista nierozliczonych zobowiązań użytkownika - format TXT"},
    {"<#PASMODOWNDZIENUSERTXT>", "Pasmo download dzień usera (\"literalnie\")"},
    {"<#PASMOUPDZIENUSERTXT>", "Pasmo uploadu dzień usera (\"literalnie\")"},
    {"<#PASMODOWNNOCUSERTXT>", "Pasmo download noc usera (\"literalnie\")"},
    {"<#PASMOUPNOCUSERTXT>", "Pasmo uploadu noc usera (\"literalnie\")"},
    {"<#ADRESKORESP>", "Adres korespondencyjny"},
    // The seven subscriber variables go here, described by the settings.
    {"<#NIPODBIORCY>", "Numer NIP odbiorcy umieszczany na fakturze"},
};

const TEntry kContract[] = {
    {"<#UMOWA_NUMER>", "Numer umowy"},
    {"<#UMOWA_OPIS>", "Opis umowy"},
    {"<#UMOWA_UWAGI>", "Uwagi do umowy"},
    {"<#UMOWA_DATAZAWARCIA>", "Data zawarcia umowy"},
    {"<#UMOWA_DATAPOCZATKU>", "Data początku umowy"},
    {"<#UMOWA_DATAKONCA>", "Data końca umowy"},
    {"<#UMOWA_TYTUL>", "Tytuł umowy"},
    {"<#UMOWA_OPISANEKS>", "Opis do której umowy odnosi się aneks"},
    {"<#UMOWA_ILEMIESIECY>", "Czas trwania umowy w miesiącach"},
};

const TEntry kDevice[] = {
    {"<#IP>", "Adres IP"},
    {"<#IP_PORT>", "Port"},
    {"<#PUBIP>", "Publiczny adres IP"},
    {"<#MAC>", "Adres MAC"},
    {"<#PASMODOWNDZIEN>", "Pasmo download dzień urządzenia"},
    {"<#PASMOUPDZIEN>", "Pasmo upload dzień urządzenia"},
    {"<#PASMODOWNNOC>", "Pasmo download noc urządzenia"},
    {"<#PASMOUPNOC>", "Pasmo upload noc urządzenia"},
    {"<#PORTPODLACZENIA_INFRA>", "Port podłączenia do urządzenia infrastruktury"},
    {"<#PORT_INFRA>", "Port powiazanego urządzenia infrastruktury"},
    {"<#IP_INFRA>", "Adres IP powiazanego urządzenia infrastruktury"},
    {"<#MAC_INFRA>", "Adres MAC powiazanego urządzenia infrastruktury"},
    {"<#NAZWA_INFRA>", "Nazwa powiazanego urządzenia infrastruktury"},
    {"<#ID>", "Unikatowy numer ID urządzenia klienta"},
    {"<#MAC_LOGIN>", "Login urządzenia"},
    {"<#MAC_HASLO>", "Hasło urządzenia"},
    {"<#MAC_AUTORYZACJA>", "Rodzaj autoryzacji urządzenia"},
    {"<#PASMODOWNDZIENTXT>", "Pasmo download dzień urządzenia (\"literalnie\")"},
    {"<#PASMOUPDZIENTXT>", "Pasmo upload dzień urządzenia (\"literalnie\")"},
    {"<#PASMODOWNNOCTXT>", "Pasmo download noc urządzenia (\"literalnie\")"},
    {"<#PASMOUPNOCTXT>", "Pasmo upload noc urządzenia (\"literalnie\")"},
    {"<#MAC_INTERFACE>", "Interface przypisany do urządzenia"},
    {"<#MAC_PROFIL>", "Profil przypisany do urządzenia"},
    {"<#ZAZNACZ>", "Status zaznaczenia użytkownika"},
    {"<#ZAWIESZONE>", "Status zawieszenia urządzenia"},
    {"<#BLOKUJTXT>", "Obecność na liście blokowanych = \"blokowani\""},
    {"<#ADRESINSTAL_SKR>", "Adres instalacji jako ciąg znaków z podkreślnikami"},
    {"<#IDTXT>", "Unikatowe ID \"opisowe\" urządzenia klienta"},
};

void Append(std::vector<TTextVariable>& list, const TEntry& e)
{
    list.push_back({QString::fromUtf8(e.Token), QString::fromUtf8(e.Description)});
}

std::vector<TTextVariable> BaseList()
{
    std::vector<TTextVariable> list;
    for (const TEntry& e : kBase) {
        if (qstrcmp(e.Token, "<#NIPODBIORCY>") == 0)
            for (int i = 1; i <= 7; ++i)
                list.push_back({QStringLiteral("<#ZMIENNAUZYTKOWNIKA_%1>").arg(i),
                                ReadIniString(0, QStringLiteral("ZmiennaTxtOpis%1").arg(i),
                                              QStringLiteral("Opis zmiennej %1").arg(i))});
        Append(list, e);
    }
    return list;
}

// Removes the entries from first to last (both included, in list order).
void RemoveRange(std::vector<TTextVariable>& list, const char* first, const char* last)
{
    auto at = [&list](const char* token) {
        return std::find_if(list.begin(), list.end(),
                            [token](const TTextVariable& v) { return v.Token == QLatin1String(token); });
    };
    const auto from = at(first);
    const auto to = at(last);
    if (from != list.end() && to != list.end() && from <= to) list.erase(from, to + 1);
}

} // namespace

std::vector<TTextVariable> TextVariableList(const QString& kind)
{
    std::vector<TTextVariable> list = BaseList();
    if (kind == QLatin1String("Umowa")) {
        RemoveRange(list, "<#OSTATNIA_WPLATA_KWOTA>", "<#NUMERRACHUNKU>");
        for (const TEntry& e : kContract)
            Append(list, e);
    } else if (IsDeviceKind(kind)) {
        RemoveRange(list, "<#OSTATNIA_WPLATA_KWOTA>", "<#PASMOUPNOCUSER>");
        RemoveRange(list, "<#ABONAMENTSLOWNIE>", "<#ABONAMENTSLOWNIE>");
        for (const TEntry& e : kDevice)
            if (qstrcmp(e.Token, "<#IDTXT>") != 0) Append(list, e);
        if (kind == QLatin1String("Skrypty")) {
            for (const char* t : {"<#IPALL>", "<#MACALL>", "<#ENTER>"})
                RemoveRange(list, t, t);
            RemoveRange(list, "<#SZABLONALL>", "<#SZABLONNAZWAALL>");
            Append(list, kDevice[std::size(kDevice) - 1]);
        }
    }
    return list;
}

void FillTextVariableTable(TDedicatedSession* session, const QString& kind)
{
    session->ExecQuery(
        QStringLiteral("CREATE TEMPORARY TABLE IF NOT EXISTS `Zmienne`(`Z_INDEX` INT NOT NULL AUTO_INCREMENT "
                       ",`Z_NAZWA` VARCHAR(100) NOT NULL ,`Z_OPIS` VARCHAR(255) NOT NULL, PRIMARY KEY "
                       "(Z_INDEX)) ENGINE = MEMORY COLLATE utf8_polish_ci"));
    session->ExecQuery(QStringLiteral("TRUNCATE TABLE `Zmienne`"));
    QStringList rows;
    TArgs args;
    for (const TTextVariable& v : TextVariableList(kind)) {
        if (v.Token.isEmpty()) continue;
        // Descriptions come from settings the operator types: bound, never spliced.
        rows << QStringLiteral("(:p%1, :p%2)").arg(args.size() + 1).arg(args.size() + 2);
        args.push_back(v.Token);
        args.push_back(v.Description);
    }
    if (rows.isEmpty()) return;
    session->ExecQuery(QStringLiteral("insert into Zmienne (Z_NAZWA, Z_OPIS) values ") +
                           rows.join(QStringLiteral(", ")),
                       args);
}
