// The rules the shared datasets' event handlers enforce on every row written
// through them.
#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/NetworkHelpers.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"

#include <QDateTime>
#include <QRegularExpression>

std::array<QString, 5> CardDeviceSortFields;
int CardDeviceSortOrder = 0;

namespace {

TField* F(TQuery& q, const char* name)
{
    return q.FieldByName(QLatin1String(name));
}

QString P(const QString& prefix, const char* suffix)
{
    return prefix + QLatin1String(suffix);
}

// The common stamp: who changed the row and when.
void stamp(TQuery& q, const QString& prefix)
{
    q.FieldByName(P(prefix, "OPERATORID"))->SetAsInteger(OperatorId);
    q.FieldByName(P(prefix, "DATAMODYFIKACJI"))->SetAsDateTime(QDateTime::currentDateTime());
}

// The one-empty-row rule: a second unnamed row is not started; the dataset
// goes back to its first row instead. True when the insert goes on.
bool oneEmptyRow(TQuery& q, const QString& table, const QString& nameColumn)
{
    if (MayInsertUnnamedRow(table, nameColumn)) return true;
    q.Cancel();
    q.First();
    return false;
}

void warn(const QString& text)
{
    TMD::MessageDlg(text, mtWarning, mbOK);
}

bool found(const QString& sql, const TArgs& args)
{
    return !GlobalSession()->IsQueryEmpty(sql, args);
}

bool counted(const QString& sql, const TArgs& args)
{
    return GlobalSession()->GetQueryValueAsInteger(sql, args) > 0;
}

// A MAC worth looking for among the other devices.
bool macToCheck(const QString& mac)
{
    return !mac.isEmpty() && mac != QLatin1String("0.0.0.0") && IsValidMacAddress(mac);
}

bool isIdentifier(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(s).hasMatch();
}

} // namespace

// ---------------------------------------------------------------- rules

QString CardDeviceSql(const std::array<QString, 5>& fields, int order)
{
    QString orderPart;
    if (order == 1 || order == 2) {
        QStringList parts;
        for (const QString& f : fields) {
            // Column names from the card's settings; anything else is no column.
            if (f.isEmpty() || !isIdentifier(f)) continue;
            parts << f + (order == 1 ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
        }
        if (!parts.isEmpty()) orderPart = QStringLiteral(" order by ") + parts.join(QStringLiteral(", "));
    }
    return QStringLiteral("select * from Mac \r\n") + QStringLiteral(" WHERE M_INDEXUSER=:U_INDEX  \r\n") +
           orderPart;
}

bool MayInsertUnnamedRow(const QString& table, const QString& nameColumn)
{
    return GlobalSession()->IsQueryEmpty(
        QStringLiteral("select (1) from %1 where Length(%2)=0").arg(table, nameColumn));
}

QString ServiceVatText(const QString& text)
{
    // Every group text counts, "5%" among them.
    return VatRateTexts().contains(text) ? text : QString();
}

double ServiceDiscount(double discount)
{
    if (discount < 0) return 0;
    if (discount >= 100) return 99.99;
    return discount;
}

// ---------------------------------------------------------------- handlers

int TData::currentUserIndex() const
{
    return QUserdb->FieldByName(QStringLiteral("U_INDEX"))->AsInteger();
}

void TData::QMacBeforeOpen(TQuery& q)
{
    // The new text would drop the parameter's value; it is carried over by name.
    std::vector<TParam> saved = q.Params();
    q.SetSQL(CardDeviceSql(CardDeviceSortFields, CardDeviceSortOrder));
    for (TParam& p : q.Params()) {
        for (const TParam& old : saved) {
            if (old.Name.compare(p.Name, Qt::CaseInsensitive) != 0) continue;
            p = old;
            break;
        }
    }
}

void TData::DeviceBeforePost(TQuery& q, const QString& prefix)
{
    const QString ip = q.FieldByName(P(prefix, "IP"))->AsString();
    int o[4];
    SplitIpOctets(ip, o[0], o[1], o[2], o[3]);
    for (int i = 0; i < 4; ++i)
        q.FieldByName(prefix + QStringLiteral("IP%1").arg(i + 1))->SetAsInteger(o[i]);

    for (const char* band :
         {"PASMODOWNLOADNOC", "PASMOUPLOADNOC", "PASMODOWNLOADDZIEN", "PASMOUPLOADDZIEN"}) {
        const QString text = q.FieldByName(P(prefix, band) + QStringLiteral("TXT"))->AsString();
        q.FieldByName(P(prefix, band))->SetAsString(BandwidthTextToNumber(text));
    }

    if (ReadIniBool(0, QStringLiteral("FormatujMAC"), true)) {
        const int letters = ReadIniInteger(0, QStringLiteral("LiteryMAC"), 0);
        const QString separator = ReadIniString(0, QStringLiteral("SeparatorMAC"), QStringLiteral(":"));
        for (const char* mac : {"MAC", "MAC2"}) {
            TField* f = q.FieldByName(P(prefix, mac));
            f->SetAsString(FormatMacAddress(f->AsString(), separator, letters));
        }
    }

    if (ReadIniBool(0, QStringLiteral("WeryfikujMACiIP"), true)) {
        if (!IsValidIpAddress(ip)) warn(QStringLiteral("Wprowadzony adres IP wydaje się być nieprawidłowy."));
        if (!IsValidMacAddress(q.FieldByName(P(prefix, "MAC"))->AsString()))
            warn(QStringLiteral("Wprowadzony adres MAC wydaje się być nieprawidłowy."));
        if (!IsValidMacAddress(q.FieldByName(P(prefix, "MAC2"))->AsString()))
            warn(QStringLiteral("Wprowadzony dodatkowy adres MAC wydaje się być nieprawidłowy."));
    }

    stamp(q, prefix);
}

void TData::QMacAfterPost(TQuery& q)
{
    const QString ip = F(q, "M_IP")->AsString();
    const int index = F(q, "M_INDEX")->AsInteger();
    if (!ip.isEmpty() && IsValidIpAddress(ip)) {
        if (found(QStringLiteral("select(1) from Mac where M_IP=:p1 and M_INDEX<>:p2"), {ip, index}) ||
            found(QStringLiteral("select(1) from Infrastruktura where INF_IP=:p1"), {ip}))
            warn(QStringLiteral("Wprowadzony adres IP jest juz w bazie."));
    }
    auto macTaken = [&](const QString& mac) {
        return found(QStringLiteral("select(1) from Mac where M_MAC=:p1 and M_INDEX<>:p2"), {mac, index}) ||
               found(QStringLiteral("select(1) from Mac where M_MAC2=:p1 and M_INDEX<>:p2"), {mac, index}) ||
               found(QStringLiteral("select(1) from Infrastruktura where INF_MAC=:p1"), {mac}) ||
               found(QStringLiteral("select(1) from Infrastruktura where INF_MAC2=:p1"), {mac});
    };
    const QString mac = F(q, "M_MAC")->AsString();
    if (macToCheck(mac) && macTaken(mac)) warn(QStringLiteral("Wprowadzony adres MAC jest juz w bazie."));
    const QString mac2 = F(q, "M_MAC2")->AsString();
    if (macToCheck(mac2) && macTaken(mac2))
        warn(QStringLiteral("Wprowadzony dodatkowy adres MAC jest juz w bazie."));
}

void TData::QInfraAfterPost(TQuery& q)
{
    // Counts always return a row: a device is a duplicate when the count is above 0.
    const QString ip = F(q, "INF_IP")->AsString();
    const int index = F(q, "INF_INDEX")->AsInteger();
    if (!ip.isEmpty() && IsValidIpAddress(ip)) {
        if (counted(QStringLiteral("select count(*) from Infrastruktura where INF_IP=:p1 and INF_INDEX<>:p2"),
                    {ip, index}) ||
            counted(QStringLiteral("select count(*) from Mac where M_IP=:p1"), {ip}))
            warn(QStringLiteral("Wprowadzony adres IP jest juz w bazie."));
    }
    auto macTaken = [&](const QString& mac) {
        return counted(
                   QStringLiteral("select count(*) from Infrastruktura where INF_MAC=:p1 and INF_INDEX<>:p2"),
                   {mac, index}) ||
               counted(QStringLiteral(
                           "select count(*) from Infrastruktura where INF_MAC2=:p1 and INF_INDEX<>:p2"),
                       {mac, index}) ||
               counted(QStringLiteral("select count(*) from Mac where M_MAC=:p1"), {mac}) ||
               counted(QStringLiteral("select count(*) from Mac where M_MAC2=:p1"), {mac});
    };
    const QString mac = F(q, "INF_MAC")->AsString();
    if (macToCheck(mac) && macTaken(mac)) warn(QStringLiteral("Wprowadzony adres MAC jest juz w bazie."));
    const QString mac2 = F(q, "INF_MAC2")->AsString();
    if (macToCheck(mac2) && macTaken(mac2))
        warn(QStringLiteral("Wprowadzony dodatkowy adres MAC jest juz w bazie."));
    RefreshQuery(QInfraLookup.get(), QStringLiteral("INF_INDEX"));
}

void TData::QUslugiBeforePost(TQuery& q)
{
    stamp(q, QStringLiteral("USL_"));
    TField* vat = F(q, "USL_STAWKAVAT_TXT");
    const QString text = ServiceVatText(vat->AsString());
    if (text != vat->AsString()) vat->SetAsString(text);
    TField* rabat = F(q, "USL_RABAT");
    const double r = rabat->AsFloat();
    if (ServiceDiscount(r) != r) rabat->SetAsFloat(ServiceDiscount(r));
    TField* once = F(q, "USL_CZYJEDNORAZOWA");
    if (once->AsInteger() < 0)
        once->SetAsInteger(0);
    else if (once->AsInteger() > 1)
        once->SetAsInteger(1);
}

void TData::QUserFvPozycjeBeforePost(TQuery& q)
{
    F(q, "UFV_OPERATORID")->SetAsInteger(OperatorId);
    for (const char* name : {"UFV_RABAT", "UFV_ILOSC"}) {
        TField* f = F(q, name);
        if (f->AsString().isEmpty()) f->SetAsInteger(0);
    }
    F(q, "UFV_DATAMODYFIKACJI")->SetAsDateTime(QDateTime::currentDateTime());
}

void TData::bindHandlers()
{
    auto stamped = [](const QString& prefix) { return [prefix](TQuery& q) { stamp(q, prefix); }; };
    const std::pair<TQuery*, const char*> stamps[] = {
        {QOperator.get(), "OP_"},
        {QTaryfy.get(), "TAR_"},
        {QListaSieci.get(), "SIEC_"},
        {QIntruxRouter.get(), "INTRUX_"},
        {QFormyPlatnosci.get(), "FP_"},
        {QTypLacza.get(), "TL_"},
        {QTypUrzadzenia.get(), "TU_"},
        {QRodzajUrzadzenia.get(), "RU_"},
        {QAutoryzacja.get(), "AUT_"},
        {QProfil.get(), "PROFIL_"},
        {QInterface.get(), "INTERFACE_"},
        {QWan.get(), "WAN_"},
        {QGrupy.get(), "GR_"},
        {QGrupyInf.get(), "GRI_"},
        {QInfraNotatki.get(), "IN_"},
        {QSzablony.get(), "SZ_"},
        {QMagazynBlob.get(), "MB_"},
        {QMagazynBlob2.get(), "MB_"},
        {QMTRouter.get(), "MIKROTIK_"},
        {QUmowy.get(), "UM_"},
        {QMultiszablonPozycje.get(), "MSP_"},
        {QOplaty.get(), "O_"},
    };
    for (const auto& [q, prefix] : stamps)
        q->BeforePost = stamped(QLatin1String(prefix));
    QMultiszablon->BeforePost = [](TQuery& q) { F(q, "MS_OPERATORID")->SetAsInteger(OperatorId); };
    QPodmioty->BeforePost = [](TQuery& q) {
        F(q, "P_DATAMODYFIKACJI")->SetAsDateTime(QDateTime::currentDateTime());
    };
    QUslugi->BeforePost = &TData::QUslugiBeforePost;
    QUserFvPozycje->BeforePost = &TData::QUserFvPozycjeBeforePost;
    QMac->BeforePost = [](TQuery& q) { DeviceBeforePost(q, QStringLiteral("M_")); };
    QInfra->BeforePost = [](TQuery& q) { DeviceBeforePost(q, QStringLiteral("INF_")); };

    // Refresh after a post, back to the same row.
    const std::pair<TQuery*, const char*> refreshes[] = {
        {QFormyPlatnosci.get(), "FP_INDEX"},
        {QUslugi.get(), "USL_INDEX"},
        {QTaryfy.get(), "TAR_INDEX"},
        {QListaSieci.get(), "SIEC_INDEX"},
        {QIntruxRouter.get(), "INTRUX_INDEX"},
        {QMTRouter.get(), "MIKROTIK_INDEX"},
        {QTypLacza.get(), "TL_INDEX"},
        {QTypUrzadzenia.get(), "TU_INDEX"},
        {QRodzajUrzadzenia.get(), "RU_INDEX"},
        {QAutoryzacja.get(), "AUT_INDEX"},
        {QProfil.get(), "PROFIL_INDEX"},
        {QInterface.get(), "INTERFACE_INDEX"},
        {QWan.get(), "WAN_INDEX"},
        {QInfraNotatki.get(), "IN_INDEX"},
        {QSzablony.get(), "SZ_INDEX"},
        {QMultiszablon.get(), "MS_INDEX"},
        {QMultiszablonPozycje.get(), "MSP_INDEX"},
        {QWezly.get(), "W_INDEX"},
        {QPodmioty.get(), "P_INDEX"},
    };
    for (const auto& [q, key] : refreshes) {
        const QString k = QLatin1String(key);
        q->AfterPost = [k](TQuery& ds) { RefreshQuery(&ds, k); };
    }
    QOperator->SecretColumns = {QStringLiteral("OP_HASLO")};
    QOperator->AfterPost = [](TQuery& q) {
        RefreshQuery(&q, QStringLiteral("OP_INDEX"));
        LogEvent(QStringLiteral("Edycja danych Operatora"));
    };
    QGrupy->AfterPost = QGrupy->AfterDelete = [this](TQuery& q) {
        RefreshQuery(&q, QStringLiteral("GR_INDEX"));
        if (UserGroupsChanged) UserGroupsChanged();
    };
    QGrupyInf->AfterPost = QGrupyInf->AfterDelete = [this](TQuery& q) {
        RefreshQuery(&q, QStringLiteral("GRI_INDEX"));
        if (InfraGroupsChanged) InfraGroupsChanged();
    };
    QGrupyInterfejsow->AfterPost = [this](TQuery& q) {
        RefreshQuery(&q, QStringLiteral("GIF_INDEX"));
        RefreshQuery(QGrupyInterfejsowLookup.get(), QStringLiteral("GIF_INDEX"));
    };
    QMac->AfterPost = [this](TQuery& q) { QMacAfterPost(q); };
    QInfra->AfterPost = [this](TQuery& q) { QInfraAfterPost(q); };

    // New rows.
    const std::pair<TQuery*, const char*> plainDictionaries[] = {
        {QGrupy.get(), "Grupy:GR_NAZWA"},
        {QGrupyInf.get(), "GrupyInf:GRI_NAZWA"},
        {QTypLacza.get(), "TypLacza:TL_NAZWA"},
        {QTypUrzadzenia.get(), "TypUrzadzenia:TU_NAZWA"},
        {QRodzajUrzadzenia.get(), "RodzajUrzadzenia:RU_NAZWA"},
        {QMultiszablon.get(), "Multiszablon:MS_NAZWA"},
    };
    for (const auto& [q, spec] : plainDictionaries) {
        const QStringList parts = QString::fromLatin1(spec).split(QLatin1Char(':'));
        q->AfterInsert = [parts](TQuery& ds) { oneEmptyRow(ds, parts[0], parts[1]); };
    }
    const std::pair<TQuery*, const char*> datedDictionaries[] = {
        {QFormyPlatnosci.get(), "FormyPlatnosci:FP_"}, {QTaryfy.get(), "Taryfy:TAR_"},
        {QAutoryzacja.get(), "Autoryzacja:AUT_"},      {QProfil.get(), "Profil:PROFIL_"},
        {QInterface.get(), "Interface:INTERFACE_"},    {QWan.get(), "Wan:WAN_"},
    };
    for (const auto& [q, spec] : datedDictionaries) {
        const QStringList parts = QString::fromLatin1(spec).split(QLatin1Char(':'));
        q->AfterInsert = [parts](TQuery& ds) {
            if (oneEmptyRow(ds, parts[0], P(parts[1], "NAZWA")))
                ds.FieldByName(P(parts[1], "DATADODANIA"))->SetAsDate(QDate::currentDate());
        };
    }
    QListaSieci->AfterInsert = [](TQuery& q) {
        if (oneEmptyRow(q, QStringLiteral("ListaSieci"), QStringLiteral("SIEC_NAZWA")))
            F(q, "SIEC_CZYAKTYWNA")->SetAsInteger(1);
    };
    QUslugi->AfterInsert = [](TQuery& q) {
        if (!oneEmptyRow(q, QStringLiteral("Uslugi"), QStringLiteral("USL_NAZWAUSLUGI"))) return;
        F(q, "USL_STAWKAVAT_TXT")->SetAsString(VatRateTexts().value(0));
        F(q, "USL_JEDNMIARY")->SetAsString(QStringLiteral("szt."));
        F(q, "USL_CENABRUTTO")->SetAsInteger(0);
    };
    QSzablony->AfterInsert = [](TQuery& q) {
        if (!oneEmptyRow(q, QStringLiteral("Szablony"), QStringLiteral("SZ_NAZWA"))) return;
        F(q, "SZ_RODZAJ")->SetAsString(QStringLiteral("S"));
        q.Post();
        RefreshQueryToLastInsert(&q, QStringLiteral("SZ_INDEX"));
    };
    QUserFvPozycje->AfterInsert = [this](TQuery& q) {
        F(q, "UFV_ILOSC")->SetAsInteger(1);
        F(q, "UFV_CZYAKTYWNA")->SetAsInteger(1);
        F(q, "UFV_CZYJEDNORAZOWA")->SetAsInteger(0);
        F(q, "UFV_JEDNMIARY")->SetAsString(QStringLiteral("szt."));
        F(q, "UFV_RABAT")->SetAsInteger(0);
        F(q, "UFV_STAWKAVAT_TXT")->SetAsString(VatRateTexts().value(0));
        F(q, "UFV_KOSZTBRUTTO")->SetAsInteger(0);
        F(q, "UFV_INDEXUSER")->SetAsInteger(currentUserIndex());
    };
    QUmowy->AfterInsert = [this](TQuery& q) { F(q, "UM_INDEXUSER")->SetAsInteger(currentUserIndex()); };
    QMac->AfterInsert = [this](TQuery& q) {
        F(q, "M_ILOSCPOLACZEN")->SetAsInteger(200);
        F(q, "M_DATAPODLACZENIA")->SetAsDate(QDate::currentDate());
        for (const char* flag : {"M_CZYZAZNACZONE", "M_CZYZAWIESZONE", "M_CZYUZYWACWINBOX",
                                 "M_CZYDODACDOSKRYPTOW", "M_CZYDODACDOINTRUXA", "M_CZYDODACDOMT", "M_BEZNAT"})
            F(q, flag)->SetAsInteger(0);
        F(q, "M_INDEXUSER")->SetAsInteger(currentUserIndex());
    };
    QInfra->AfterInsert = [](TQuery& q) {
        F(q, "INF_DATADODANIADOBAZY")->SetAsDate(QDate::currentDate());
        for (const char* flag :
             {"INF_CZYZAZNACZONE", "INF_CZYZAWIESZONE", "INF_CZYUZYWACWINBOX", "INF_CZYMONITOROWAC",
              "INF_CZYDODACDOINTRUXA", "INF_CZYDODACDOMT", "INF_BEZNAT", "INF_CZYPOZWOLENIE"})
            F(q, flag)->SetAsInteger(0);
    };
    QInfraNotatki->AfterInsert = [this](TQuery& q) {
        F(q, "IN_INDEXINFRA")->SetAsInteger(QInfra->FieldByName(QStringLiteral("INF_INDEX"))->AsInteger());
        F(q, "IN_DATADODANIA")->SetAsDate(QDate::currentDate());
    };
    QMTRouter->AfterInsert = [](TQuery& q) {
        F(q, "MIKROTIK_WERSJA")->SetAsString(QStringLiteral("6"));
        const std::pair<const char*, int> numbers[] = {
            {"MIKROTIK_CZYAKTYWNY", 1},       {"MIKROTIK_CZYDOLACZINFRA", 0},
            {"MIKROTIK_CZYBLOKADY", 1},       {"MIKROTIK_CZYPUBIP", 1},
            {"MIKROTIK_WYSLIJARP", 1},        {"MIKROTIK_WYSLIJDHCP", 1},
            {"MIKROTIK_WYSLIJKOLEJKI", 1},    {"MIKROTIK_WYSLIJPPPOE", 0},
            {"MIKROTIK_WYSLIJMACDOPPPOE", 0}, {"MIKROTIK_KORPASMAUP", 100},
            {"MIKROTIK_KORPASMADOWN", 100},   {"MIKROTIK_KORPASMANOCTERMINOWI", 200},
            {"MIKROTIK_WYSLIJHAZARD", 0}};
        for (const auto& [name, v] : numbers)
            F(q, name)->SetAsInteger(v);
        F(q, "MIKROTIK_BLOKOWANIUP")->SetAsString(QStringLiteral("16k"));
        F(q, "MIKROTIK_BLOKOWANIDOWN")->SetAsString(QStringLiteral("32k"));
        F(q, "MIKROTIK_TYPKOLEJKIGLOWNEJ")->SetAsString(QStringLiteral("sfq"));
    };
    QIntruxRouter->AfterInsert = [](TQuery& q) {
        const std::pair<const char*, int> numbers[] = {{"INTRUX_WERSJA", 10},
                                                       {"INTRUX_CZYAKTYWNY", 1},
                                                       {"INTRUX_CZYDOLACZINFRA", 0},
                                                       {"INTRUX_CZYBLOKADY", 1},
                                                       {"INTRUX_CZYPUBIP", 1},
                                                       {"INTRUX_CZYWYMUSWANAWARIA", 0},
                                                       {"INTRUX_KORPASMAUP", 100},
                                                       {"INTRUX_KORPASMADOWN", 100},
                                                       {"INTRUX_KORPASMANOCTERMINOWI", 200},
                                                       {"INTRUX_BLOKOWANIUP", 16},
                                                       {"INTRUX_BLOKOWANIDOWN", 32},
                                                       {"INTRUX_CZYPLIKMONITORINGU", 1},
                                                       {"INTRUX_CZYPASMODLAKAZDEGOIP", 0},
                                                       {"INTRUX_CZYOGRANICZAWARYJ", 0}};
        for (const auto& [name, v] : numbers)
            F(q, name)->SetAsInteger(v);
    };

    QMac->BeforeOpen = [this](TQuery& q) { QMacBeforeOpen(q); };
    auto statusBar = [this](TQuery&) {
        if (UpdateStatusBar) UpdateStatusBar();
    };
    QUserdb->AfterOpen = statusBar;
    QInfra->AfterOpen = statusBar;
}
