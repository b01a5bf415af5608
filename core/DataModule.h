#pragma once
// The data module: the program's one connection to the shared database, the
// start-up sequence behind the splash, and the application's error handler.
#include <QObject>
#include <QString>
#include <exception>
#include <memory>

class TDatabase;
class TDedicatedSession;
class TFormLogo;
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
    void RunStartupSequence(TFormLogo* splash);
    void UpgradeSchema(TFormLogo* splash);
    void CheckTerytDatabase();

    bool StartupDone = false;
    bool TerytAvailable = false;
    QString Alias;

    std::unique_ptr<TDatabase> Database;
    std::unique_ptr<TQuery> QOperator;
    std::unique_ptr<TQuery> QUserdb;

    // The application-wide handler for errors no code caught.
    static void ApplicationException(const std::exception& e);
    static void ApplicationException(const QString& message);
    // Closes every dataset of the data module.
    void CloseDatasets();

private:
    void checkServerClock();
    void setSessionOptions();
    void applyVersionRule(TFormLogo* splash);
};

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
