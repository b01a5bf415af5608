#include "mainwindow/UserDodajRules.h"

#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/NetworkHelpers.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace {

TField* Fld(const TQuery& q, const char* name)
{
    return q.FieldByName(QString::fromLatin1(name));
}

QString Text(const TQuery& q, const char* name)
{
    return Fld(q, name)->AsString();
}

const char* const kBandwidth[][2] = {{"U_PASMODOWNLOADNOC", "U_PASMODOWNLOADNOCTXT"},
                                     {"U_PASMOUPLOADNOC", "U_PASMOUPLOADNOCTXT"},
                                     {"U_PASMODOWNLOADDZIEN", "U_PASMODOWNLOADDZIENTXT"},
                                     {"U_PASMOUPLOADDZIEN", "U_PASMOUPLOADDZIENTXT"}};

int RowIndex(const TQuery& q)
{
    return q.State() == dsInsert ? 0 : Fld(q, "U_INDEX")->AsInteger();
}

} // namespace

int NextCustomerNumber()
{
    return GlobalSession()->GetQueryValueAsInteger(QStringLiteral("select max(U_NRKLIENTA) from Userdb")) + 1;
}

void FillNewSubscriberDefaults(TQuery& q, bool waitingRoom)
{
    const QDate today = QDate::currentDate();
    Fld(q, "U_NRKLIENTA")->SetAsInteger(NextCustomerNumber());
    Fld(q, "U_DATADODANIA")->SetAsDate(today);
    Fld(q, "U_DATAAKTYWACJI")->SetAsDate(today);
    Fld(q, "U_OPERATORID")->SetAsInteger(OperatorId);
    Fld(q, "U_INDYWTERMINPLATNOSCI")->SetAsInteger(ReadIniInteger(0, QStringLiteral("TerminPlatnosci"), 14));
    Fld(q, "U_INDYWTERMINPLATNOSCIFORMA")
        ->SetAsString(ReadIniString(0, QStringLiteral("FormaPlatnosci"), QStringLiteral("przelew")));
    const std::pair<const char*, int> values[] = {{"U_RODZAJWYDRUKUFV", 0},
                                                  {"U_AUTOMATYCZNEFAKTURY", 1},
                                                  {"U_CZYKORESPSERYJNA", 1},
                                                  {"U_CZYINDYWTERMINPLATNOSCI", 0},
                                                  {"U_OPOZNIENIEBLOKADY", 0},
                                                  {"U_WYPRZEDZENIEPOWIADOMIEN", 0},
                                                  {"U_ZAZNACZ", 0},
                                                  {"U_CZYINNALOKALIZACJA", 0},
                                                  {"U_CZYADRESDOKORESP", 0},
                                                  {"U_CZYPOMINNADRUKIBOK", 0},
                                                  {"U_CZYFIRMA", 0},
                                                  {"U_USL_INTERNET", 1},
                                                  {"U_USL_TV", 0},
                                                  {"U_USL_TELEFON", 0},
                                                  {"U_USL_RADIO", 0},
                                                  {"U_PODMIOT", 1},
                                                  {"U_CZYPOMINACWYDRUKSALDA", 0},
                                                  {"U_WSPGEORECZNIE", 0},
                                                  {"U_KOR_JST", 2},
                                                  {"U_KOR_ROLA", 8},
                                                  {"U_POCZEKALNIA", waitingRoom ? 1 : 0}};
    for (const auto& [name, value] : values)
        Fld(q, name)->SetAsInteger(value);
}

bool CustomerNumberTaken(const QString& customerNumber, int userIndex)
{
    return !GlobalSession()->IsQueryEmpty(
        QStringLiteral("select (1) from Userdb where U_NRKLIENTA=:p1 and U_INDEX<>:p2"),
        {customerNumber, userIndex});
}

bool NipTaken(const QString& nip, int userIndex)
{
    return !GlobalSession()->IsQueryEmpty(
        QStringLiteral(
            "select (1) from Userdb where length(U_NIP)>0 and U_INDEX<>:p1 and replace(U_NIP, :p2, "
            ":p3) like replace(:p4, :p5, :p6)"),
        {userIndex, "-", "", nip, "-", ""});
}

QString NipOnExit(const QString& text)
{
    if (text.isEmpty()) return text;
    const QString upper = text.toUpper();
    const QString prefix = upper.left(2);
    if (DigitsOnly(prefix).isEmpty()) return prefix + DigitsOnly(upper.mid(2));
    return upper;
}

bool NipDigitsWrong(const QString& text)
{
    const qsizetype digits = DigitsOnly(text).size();
    return digits != 0 && digits != 10;
}

QString BandwidthSummary(const QString& down, const QString& up, const QString& downNight,
                         const QString& upNight)
{
    return down + QStringLiteral(" / ") + up + QStringLiteral(" (") + downNight + QStringLiteral(" / ") +
           upNight + QLatin1Char(')');
}

void UpdateBandwidthNumbers(TQuery& q)
{
    for (const auto& pair : kBandwidth) {
        const QString number = BandwidthTextToNumber(Text(q, pair[1]));
        Fld(q, pair[0])->SetAsInteger(number.isEmpty() ? 0 : number.toLongLong());
    }
}

bool BandwidthTooLow(const TQuery& q)
{
    for (const auto& pair : kBandwidth) {
        const int v = Fld(q, pair[0])->AsInteger();
        if (v >= 1 && v <= 127999) return true;
    }
    return false;
}

void WriteBandwidthNote(int userIndex, const QString& before, const QString& after)
{
    const QString now = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    GlobalSession()->ExecQuery(
        QStringLiteral("insert into UserUwagi set UU_INDEXUSER=:p1, UU_TRESC=:p2, UU_DATADODANIA=:p3, "
                       "UU_OPERATORID=:p4"),
        {userIndex,
         QStringLiteral("Zmiana pasma z: ") + before + QStringLiteral(" na: ") + after +
             QStringLiteral("  godz.:") + now,
         QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")), OperatorId});
}

bool ParseClipboardCoordinates(const QString& text, QString* latitude, QString* longitude)
{
    if (text.size() < 30 || text.size() > 45) return false;
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 1) return false;
    // The text before the comma less its last character, and from the second
    // character after the comma on.
    *latitude = DecimalPointToComma(text.left(comma - 1));
    *longitude = DecimalPointToComma(text.mid(comma + 2));
    return true;
}

QString CheckSubscriberBeforeSave(TQuery& q, const QString& bandwidthAtShow, const TAskOperator& ask)
{
    const int index = RowIndex(q);
    const QString nip = Text(q, "U_NIP");
    if (!IsValidNip(nip) &&
        ask(QStringLiteral("Numer NIP wydaje się być nieprawidłowy. Czy chcesz go edytować?"), mtWarning,
            mbYes | mbNo) == mrYes)
        return QStringLiteral("U_NIP");
    const QString number = Text(q, "U_NRKLIENTA").trimmed();
    if (number.isEmpty()) {
        ask(QStringLiteral("Proszę wpisać numer klienta"), mtWarning, mbOK);
        return QStringLiteral("U_NRKLIENTA");
    }
    if (CustomerNumberTaken(number, index)) {
        ask(QStringLiteral("Klient o tym numerze jest już w bazie"), mtWarning, mbOK);
        return QStringLiteral("U_NRKLIENTA");
    }
    if (!nip.trimmed().isEmpty() && NipTaken(nip, index))
        ask(QStringLiteral("Klient o tym numerze NIP jest już w bazie"), mtWarning, mbOK);
    if (Text(q, "U_NAZWISKO").trimmed().isEmpty()) {
        ask(QStringLiteral("Proszę wpisać nazwisko/nazwę klienta"), mtWarning, mbOK);
        return QStringLiteral("U_NAZWISKO");
    }
    UpdateBandwidthNumbers(q);
    if (BandwidthTooLow(q))
        ask(QStringLiteral(
                "Przynajmniej jedna z wartości pasma przydzielonego dla użytkownika jest bardzo niska"),
            mtWarning, mbOK);
    const QString atClose =
        BandwidthSummary(Text(q, "U_PASMODOWNLOADDZIENTXT"), Text(q, "U_PASMOUPLOADDZIENTXT"),
                         Text(q, "U_PASMODOWNLOADNOCTXT"), Text(q, "U_PASMOUPLOADNOCTXT"));
    if (atClose != bandwidthAtShow && index > 0) WriteBandwidthNote(index, bandwidthAtShow, atClose);
    return QString();
}

void PrepareSubscriberPost(TQuery& q)
{
    if (Fld(q, "U_NRKLIENTA")->AsInteger() < 1) Fld(q, "U_NRKLIENTA")->SetAsInteger(NextCustomerNumber());
    UpdateBandwidthNumbers(q);
    for (const char* name : {"U_WYPRZEDZENIEPOWIADOMIEN", "U_OPOZNIENIEBLOKADY", "U_INDYWTERMINPLATNOSCI"})
        if (Text(q, name).trimmed().isEmpty()) Fld(q, name)->SetAsInteger(0);
    if (Fld(q, "U_INDYWTERMINPLATNOSCI")->AsInteger() < 0) Fld(q, "U_INDYWTERMINPLATNOSCI")->SetAsInteger(0);
    Fld(q, "U_OPERATORID")->SetAsInteger(OperatorId);
    Fld(q, "U_DATAMODYFIKACJI")->SetAsDateTime(QDateTime::currentDateTime());
}
