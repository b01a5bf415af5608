#include "core/Podmioty.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje2.h"
#include "core/Query.h"

#include <QDateTime>

int CurrentPodmiotId = 0;

namespace {

const QString kVar = QStringLiteral("Var");

// The company columns of row 1 from the real global settings.
void writeRowOne(TDedicatedSession* s)
{
    auto q = s->OpenLiveQuery(QStringLiteral("select * from Podmioty where P_INDEX=1"));
    s->ExecQueryNoParamCheck(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS INI"));
    TTransactionGuard tx(s);
    if (q->IsEmpty())
        q->Insert();
    else
        q->Edit();
    q->FieldByName(QStringLiteral("P_DATAMODYFIKACJI"))->SetAsDateTime(QDateTime::currentDateTime());
    q->FieldByName(QStringLiteral("P_INDEX"))->SetAsInteger(1);
    for (const TPodmiotSetting& m : PodmiotSettings()) {
        TField* f = q->FieldByName(QString::fromLatin1(m.Column));
        const QString key = QString::fromLatin1(m.Key);
        if (m.Integer) {
            f->SetAsInteger(ReadIniInteger(0, key, QString::fromLatin1(m.Default).toInt()));
            continue;
        }
        QString value = ReadIniString(0, key, QString::fromUtf8(m.Default));
        // Numbers are kept in the settings with the decimal comma.
        if (IsNumericFieldType(f->DataType)) value.replace(QLatin1Char(','), QLatin1Char('.'));
        f->SetAsString(value);
    }
    q->FieldByName(QStringLiteral("P_CZYAKTYWNY"))->SetAsInteger(1);
    q->Post();
    tx.commit();
}

// A fresh copy of the real settings for this connection, filled with the company's data.
void writeOverlay(TDedicatedSession* s, int id)
{
    s->ExecQueryNoParamCheck(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS INI"));
    TTransactionGuard tx(s);
    s->ExecQueryNoParamCheck(
        QStringLiteral("CREATE TEMPORARY TABLE IF NOT EXISTS INI ENGINE = InnoDB COLLATE "
                       "utf8_polish_ci SELECT INI.* FROM `INI` WHERE 1 "));
    auto q = s->OpenQuery(QStringLiteral("select * from Podmioty where P_INDEX=:p1"), {id});
    // The overlay belongs to this session alone, so the rule that keeps
    // operators above level 1 from changing global settings does not apply:
    // without these writes the seller would stay company 1 for them.
    TDbIni global(QStringLiteral("app"), 0);
    for (const TPodmiotSetting& m : PodmiotSettings()) {
        const QString key = QString::fromLatin1(m.Key);
        TField* f = q->IsEmpty() ? nullptr : q->FieldByName(QString::fromLatin1(m.Column));
        if (m.Integer)
            global.WriteInteger(kVar, key, f ? f->AsInteger() : 0);
        else
            global.WriteString(kVar, key, f ? f->AsString() : QString());
    }
    tx.commit();
}

} // namespace

const std::vector<TPodmiotSetting>& PodmiotSettings()
{
    static const std::vector<TPodmiotSetting> map = {
        {"P_NAZWA1", "U_Nazwa1", "", false},
        {"P_NAZWA2", "U_Nazwa2", "Proszę wpisać swoją nazwę firmy", false},
        {"P_ULICA", "U_Ulica", "", false},
        {"P_NRDOMU", "U_NrDomu", "", false},
        {"P_NRLOKALU", "U_NrLokalu", "", false},
        {"P_KODPOCZTOWY", "U_KodPocztowy", "", false},
        {"P_MIEJSCOWOSC", "U_Miejscowosc", "", false},
        {"P_POCZTA", "U_Poczta", "", false},
        {"P_NIP", "U_NIP", "", false},
        {"P_REGON", "U_REGON", "", false},
        {"P_BANK", "U_NazwaBanku", "", false},
        {"P_NRKONTA", "U_NrKonta", "", false},
        {"P_BANKSUBKONTA", "U_NazwaBankuSubkonta", "", false},
        {"P_SUBNUMERBANKU", "U_Sub_NrBanku", "00000000", false},
        {"P_SUBNUMERKLIENTA", "U_Sub_NrKlienta", "0000", false},
        {"P_SUBPREFIX", "U_Sub_Prefix", "0000", false},
        {"P_TELEFONEMAIL", "U_TelefonEmail", "", false},
        {"P_WWW", "U_Www", "", false},
        {"P_IBOKWWW", "U_WwwVove", "", false},
        {"P_NAZWASKR1", "U_Nazwa1Skr", "", false},
        {"P_NAZWASKR2", "U_Nazwa2Skr", "", false},
        {"P_WOJEWODZTWO", "U_Wojewodztwo", "", false},
        {"P_POWIAT", "U_Powiat", "", false},
        {"P_GMINA", "U_Gmina", "", false},
        {"P_EMAILJPK", "U_EmailJPK", "", false},
        {"P_KODUS", "U_KodUS", "0000", false},
        {"P_SKROT", "U_Skrot", "", false},
        {"P_DRUKUJZWOLNIENIEVAT", "DrukujZwolnienieVat", "0", true},
        {"P_LIMITKWOTY", "LimitKwoty", "0", false},
    };
    return map;
}

bool SetCurrentPodmiot(int id)
{
    if (id == CurrentPodmiotId) return false;
    StopwatchStart();
    TDedicatedSession* s = GlobalSession();
    try {
        if (id == 1)
            writeRowOne(s);
        else if (id > 1)
            writeOverlay(s, id);
    } catch (...) {
        if (id > 1) {
            // A half-filled copy would swallow every setting written after
            // this, and the copy of the previous company is gone already.
            try {
                s->ExecQueryNoParamCheck(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS INI"));
            } catch (...) {
            }
        }
        if (CurrentPodmiotId > 1) CurrentPodmiotId = 0;
        throw;
    }
    if (id >= 1) {
        ShowStepInStatus();
        CurrentPodmiotId = id;
    }
    LogElapsedTime(QStringLiteral("tZmianaPodm"));
    return true;
}
