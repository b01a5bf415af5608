#pragma once
// The rules of the main window's device grid ("Infrastruktura") without its
// widgets: the grid's SQL from the search box, the group and node lists, the
// state and the filters; the title-click sort; the published WHERE part of the
// shown devices; the row look.
#include "core/DedicatedSession.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// " WHERE (1=1) AND INF_INDEX in (...) " of the devices the grid showed last;
// empty before the grid first opened. Other windows and exports read it.
extern QString MainInfraWhere;

// Sort state of the grid as the subscriber grid keeps it; "INF_IP" sorts by
// the four octets.
struct TInfraSort
{
    std::array<QString, 4> Fields{QStringLiteral("INF_IP"), QString(), QString(), QString()};
    int Column = 0;
    int Order = 0; // 0 none, 1 ascending, 2 descending
};
void InfraGridTitleClick(TInfraSort& sort, int columnIndex, const QString& field);

struct TInfraFilter
{
    QString Search;             // the search box as typed: one phrase
    bool ExcludePhrase = false; // "Wyklucz frazę"
    QString SeparatorMAC = QStringLiteral(":");
    int LiteryMAC = 0;
    QList<int> GroupIds;       // checked device groups
    bool GroupShowMode = true; // "Pokaż urządzenia z grupy" / "Wyklucz..."
    QList<int> NodeIds;        // checked nodes
    bool NodeShowMode = true;  // "Pokaż urządzenia z PE" / "Wyklucz..."
    int State = 0;             // "Pokaż urządzenia": 0 all, 1 active, 2 inactive
    bool BezIpLubMac = false;  // "Bez wpisanego IP lub MAC"
    bool Terminarz = false;    // "Z terminarzem"
    bool ZeStatusem = false;   // "Ze statusem"
    QString Status;            // Down, Up, U?, Skip, Err
    bool Monitoring = false;   // "Dodane do monitoringu (aptest.sh)"
    bool Zapasowe = false;     // "Zapasowe"
    TInfraSort Sort;
};

struct TInfraQuery
{
    QString Sql;
    QString Where; // " WHERE (1=1) ..." with :pN placeholders
    QString Order;
    TArgs Args;
};

// The expressions the phrase is looked for in, INF_FUNKCJA first; the two MAC
// columns appear twice, the second time against the phrase read as a MAC.
QStringList InfraSearchExpressions();
TInfraQuery BuildInfraQuery(const TInfraFilter& filter);
// " WHERE (1=1) AND INF_INDEX in (ids...,0) ".
QString InfraWhereText(const QStringList& ids);

// The status pictures' states and the combo's items, in its order.
QStringList InfraStatuses();

struct TInfraRowData
{
    bool Zapasowe = false;
    bool Zaznaczone = false;
    bool Zawieszone = false;
    bool Monitoring = false; // INF_DODAJDOMONITORINGU
    bool MonitoringSms = false;
    bool Pasywne = false;
    QString Status;
};
struct TInfraRowLook
{
    QColor Background; // invalid: the grid's own
    QColor Font;       // invalid: the grid's own
};
TInfraRowLook InfraRowLook(const TInfraRowData& row);
enum class TInfraMonitorIcon
{
    None,
    Monitoring,
    MonitoringSms
};
TInfraMonitorIcon InfraMonitorIcon(const TInfraRowData& row);
// The state shown by the status picture: a passive device always "Skip";
// empty for no picture.
QString InfraStatusPicture(const TInfraRowData& row);
