#pragma once
// The data module: the program's one connection to the shared database, the
// start-up sequence behind the splash, the application's error handler, and
// the shared datasets that windows of every subsystem bind to, with the rules
// their event handlers enforce on every row written through them.
#include "core/Amount4.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

class TDatabase;
class TDedicatedSession;
class TStartupProgress;
class TQuery;

class TData : public QObject
{
    Q_OBJECT
public:
    explicit TData(QObject* parent = nullptr);
    ~TData() override;

    // Connects and checks the server; ends the program with exit code 11
    // (HaltProgram) when there is no connection or the server clock is ahead.
    void DataCreate();
    // Creates or upgrades the schema, triggers, daily work; sets StartupDone last.
    void RunStartupSequence(TStartupProgress* splash);
    void UpgradeSchema(TStartupProgress* splash);
    void CheckTerytDatabase();

    bool StartupDone = false;
    bool TerytAvailable = false;
    QString Alias;

    std::unique_ptr<TDatabase> Database;

    // The shared datasets, created closed with their form SQL and handlers.
    std::unique_ptr<TQuery> QUserdb, QMac, QInfra, QInfraLookup, QInfraNotatki, QZlecenia, QUserFvPozycje,
        QUmowy, QFv, QFvPozycje, QFvk, QFvkPozycje, QPz, QPzPozycje, QOplaty, QOplatyRozliczenia, QPm,
        QOperator, QOperatorLookup, QGrupy, QGrupyInf, QFormyPlatnosci, QTypLacza, QTypUrzadzenia,
        QRodzajUrzadzenia, QAutoryzacja, QProfil, QInterface, QWan, QTaryfy, QListaSieci, QUslugi, QSzablony,
        QMultiszablon, QMultiszablonPozycje, QMTRouter, QIntruxRouter, QWezly, QGrupyInterfejsow,
        QGrupyInterfejsowLookup, QSkrypty, QPodmioty, QMagazynBlob, QMagazynBlob2;
    // All 44, in the order above.
    std::vector<TQuery*> Datasets() const;
    // The dataset of that name ("QMac"); nullptr when there is none.
    TQuery* DatasetByName(const QString& name) const;

    // What the main window does when the data module tells it: the status bar
    // after the subscriber or device grid opened, and saving the checks of the
    // subscriber or device group list and reloading it after a group changed.
    std::function<void()> UpdateStatusBar;
    std::function<void()> UserGroupsChanged;
    std::function<void()> InfraGroupsChanged;

    // Handlers with rules of their own (the rest are bound in the constructor).
    void QMacBeforeOpen(TQuery& q);
    // The device rule of QMac ("M_") and QInfra ("INF_"): octets, bandwidth
    // numbers, MAC format, validity warnings, stamp.
    static void DeviceBeforePost(TQuery& q, const QString& prefix);
    void QMacAfterPost(TQuery& q);
    void QInfraAfterPost(TQuery& q);
    static void QUslugiBeforePost(TQuery& q);
    static void QUserFvPozycjeBeforePost(TQuery& q);

    // The application-wide handler for errors no code caught.
    static void ApplicationException(const std::exception& e);
    static void ApplicationException(const QString& message);
    // Closes every dataset of the data module.
    void CloseDatasets();

private:
    void checkServerClock();
    void setSessionOptions();
    void applyVersionRule(TStartupProgress* splash);
    void createDatasets();
    void destroyDatasets();
    void bindHandlers();
    int currentUserIndex() const;
};

// Sort of the subscriber card's device list, read when QMac opens: up to five
// column names (empty entries skipped) and 0 none, 1 ascending, 2 descending.
extern std::array<QString, 5> CardDeviceSortFields;
extern int CardDeviceSortOrder;
// The SQL QMac opens with for that sort state.
QString CardDeviceSql(const std::array<QString, 5>& fields, int order);

// One-empty-row rule of the dictionaries: true when the table has no row with
// an empty name yet, so a new row may be inserted.
bool MayInsertUnnamedRow(const QString& table, const QString& nameColumn);
// A service's VAT text as it is saved: kept when it is one of the VAT group
// texts, otherwise empty.
QString ServiceVatText(const QString& text);
// A service's discount as it is saved: below 0 gives 0, 100 or more 99.99.
double ServiceDiscount(double discount);

// Calculated fields. The datasets have no calculated columns, so a grid's
// model asks for them by row (the cursor does not move):
//   FV_ZalegloscDni, FVK_ZalegloscDni, PZ_ZalegloscDni (QFv, QFvk, QPz),
//   UFV_Zarobek (QUserFvPozycje), W_ADR_Adres (QWezly),
//   OP_NazwiskoImie (QOperatorLookup), and the lookups of QMac
//   M_TypUrzadzenia, M_TypLacza, M_RodzajUrzadzenia, M_MiejscePodlaczenia
//   (which read the open lookup datasets of Data).
// An invalid QVariant is the empty value; so is a name the dataset lacks.
QVariant CalcFieldValue(const TQuery& q, int row, const QString& name);
// The names CalcFieldValue serves for a dataset of the data module.
QStringList CalcFieldNames(const TQuery& q);
// Days overdue: whole days from the due date to today when something is left
// to settle and today is after the due date; otherwise invalid (empty).
QVariant ZalegloscDni(const QDate& due, Amount4 leftToSettle, const QDate& today);
// "ulica nr[/lokal]  kod miejscowość".
QString WezelAdres(const QString& ulica, const QString& nrDomu, const QString& nrLokalu, const QString& kod,
                   const QString& miejscowosc);

extern TData* Data;
extern QString KsefStartDate;
extern TDedicatedSession* SharedSession;

// The data source name in use ("ORLIX4SQL" unless "alias.odbc" names another).
QString CurrentOdbcAlias();

// The nine daily statistics rows, StatSaldo and housekeeping in one
// transaction; true when committed. Never raises.
bool WriteDailyStatistics();
// The message shown when the connection is lost.
QString ConnectionLostMessage(const QString& message);
// Tells whether the server clock runs more than 2 hours ahead.
bool ServerClockAhead(double serverNow, double localNow);
