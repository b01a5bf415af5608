#pragma once
// Router result logs read back by FTP, the MikroTik state indicator's poll,
// the device check before a MikroTik build and a script sent to one device.
#include <QColor>
#include <QString>
#include <atomic>
#include <functional>

// Where a router's FTP account is: address, port text, login, password.
struct TRouterFtp
{
    QString Address;
    QString Port;
    QString Login;
    QString Password;
};

// The current rows of the shared router datasets.
TRouterFtp CurrentMikrotikRouter();
TRouterFtp CurrentIntruxRouter();

// The log of the current MikroTik (INTRUX) router, or the error line; Text
// stays as it was when the router has no address.
void GetMikrotikLog(QString& text);
void GetIntruxLog(QString& text);

enum class TMikrotikLogState
{
    Ok,    // the success sentence at the log's third character
    NotOk, // anything else, an empty log included
    Error  // no connection or no download
};
TMikrotikLogState MikrotikLogState(const QString& log);

// The indicator's colour and hint for a poll's outcome; an empty hint keeps the old one.
struct TIndicatorLook
{
    QColor Color;
    QString Hint;
};
TIndicatorLook MikrotikIndicatorLook(TMikrotikLogState state);

// What the poll needs of the main window's router bar, which owns the indicator.
struct TMikrotikIndicatorHooks
{
    // The bar is shown and its poll switch (tag) is 0.
    std::function<bool()> barActive;
    // Sets the indicator's colour and, when not empty, its hint (user-interface thread).
    std::function<void(const QColor& color, const QString& hint)> show;
};
TMikrotikIndicatorHooks& MikrotikIndicatorHooks();

// One poll of the router: downloads its "config.auto.log" on the calling
// thread with a client of its own and hands the look to the indicator by a
// queued call. barActive is read on the user-interface thread beforehand.
void MikrotikStatusThreadProc(const TRouterFtp& router, bool barActive);
// The poll's read timeout: 1000 ms (tests on a busy machine allow more).
extern std::atomic<int> MikrotikPollTimeoutMs;
// What the router-state timer calls every 5 s: starts one poll of the current
// router on a worker thread (joined at program end like every worker); false
// (nothing started) while the last poll runs.
bool StartMikrotikStatusPoll();
// Waits for a running poll to finish.
void WaitMikrotikStatusPoll();

// The five checks of the router's active devices; "Pominięto" while the
// setting MTSprawdzajKonfiguracje is off. Database errors reach the caller.
void CheckMikrotikDevices(int routerIndex, QString& report);

// Uploads ScriptText as "config.auto.rsc" and answers the device's log,
// "Brak pootwierdzenia" or "Błąd!  " + host + " " + the error; never raises.
// Nothing happens (Answer unchanged) without a login or an address.
void SendMikrotikScriptTo(const QString& address, const QString& port, const QString& login,
                          const QString& password, const QString& scriptText, QString& answer);
// The same with the default device account of the settings.
void SendMikrotikScript(const QString& address, const QString& scriptText, QString& answer);

// Local copy of a router file in the private folder: stem + "(" + address + ")" + ext.
QString RouterLocalFile(const QString& stem, const QString& address, const QString& ext);
