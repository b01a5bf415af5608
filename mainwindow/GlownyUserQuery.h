#pragma once
// The rules of the main window's subscriber grid without its widgets: the
// grid's SQL from the search box, groups, state, filters, range and sort;
// the title-click sort cycle; the row colours; the grid ticks.
#include "core/DedicatedSession.h"

#include <QColor>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

class TQuery;

// Sort state of the grid: up to four fields, the sorted column, the order
// (0 none, 1 ascending, 2 descending).
struct TUserSort
{
    std::array<QString, 4> Fields{QStringLiteral("U_NRKLIENTA"), QString(), QString(), QString()};
    int Column = 0;
    int Order = 0;
};

// A click on the title of column ColumnIndex showing Field: the order cycles
// ascending, descending, none on the sorted column; another column starts ascending.
void UserGridTitleClick(TUserSort& sort, int columnIndex, const QString& field);
// "+" or "-" for a sorted column, else empty.
QString SortSign(int order);

// What the filter controls of the tab say.
struct TUserFilter
{
    QString Search;                           // search box
    bool ExcludeWords = false;                // "Wyklucz słowa lub frazę"
    bool SortedColumnOnly = false;            // "Szukaj w sortowanej"
    QString SortedColumnField;                // field of the sorted column (for the above)
    QList<int> GroupIds;                      // checked groups
    bool GroupShowMode = true;                // "Pokaż..." (true) or "Wyklucz..." (false)
    int State = 0;                            // 0 all, 1 active, 2 inactive, 3 waiting room
    bool Zalegle = false;                     // "Z zaległym saldem"
    int ZalegleKind = 0;                      // 0 all, 1 "blokowani", 2 "powiadamiani"
    bool Terminarz = false;                   // "Z terminarzem"
    bool BezAbonamentu = false;               // "Bez kwoty abonamentu"
    bool BezFakturowania = false;             // "Wykluczonych z "fakturowania""
    bool BezTeryt = false;                    // "Z nieuzgodnionym TERYTem"
    bool BezUrzadzen = false;                 // "Bez przypisanych urządzeń"
    bool Firma = false;                       // "Oznaczone jako FIRMA"
    bool FirmaNegacja = false;                // its "!"
    bool ZaznaczeniWKarcie = false;           // "Zaznaczeni w karcie"
    bool Zaznaczeni = false;                  // "Zaznaczeni"
    bool ZaznaczeniNegacja = false;           // its "!"
    bool Podmiot = false;                     // "Podmiot"
    QString PodmiotSkrot;                     // the company list's text
    bool Geo = false;                         // ":"
    int GeoKind = 0;                          // 0 without, 1 with, 2 set by hand
    bool Range = false;                       // "Pokaż zakres od"
    QString RangeFirst = QStringLiteral("1"); // 1-based first row
    QString RangeCount = QStringLiteral("1"); // rows
    TUserSort Sort;
};

struct TUserQuery
{
    QString Sql;   // the grid's statement
    QString Where; // " WHERE (1=1) ..." with :pN placeholders
    QString Order; // MainUserOrderBy
    QString Limit;
    TArgs Args; // values of the placeholders in order of occurrence
};

// The searched expressions of a word, U_IMIE first (51 of them).
const QStringList& UserSearchExpressions();
TUserQuery BuildUserQuery(const TUserFilter& filter, const QDate& today);
// Puts the statement and its values into the dataset (closed).
void ApplyUserQuery(TQuery& query, const TUserQuery& built);

// " in (" + ids + ",0) " and " WHERE U_INDEX" + that.
QString UserIdListText(const QStringList& ids);
QString UserWhereText(const QString& idList);
// Keys of an open dataset's rows in order, each once.
QStringList DistinctKeys(const TQuery& query, const QString& keyField);

// ---- pieces the device grid's query shares
bool IsSqlIdentifier(const QString& s);
// "%" + the text + "%", its own % _ and \ matching themselves.
QString LikePattern(const QString& text);
// Appends the value and returns its placeholder ":pN".
QString BindArg(TArgs& args, const TArg& value);
// The date column as "yyyy-mm-dd" text for LIKE.
QString DateLike(const QString& column);
// The clause of ten group slots (Prefix1..Prefix10) holding (show) or not
// holding (exclude) any of the ids.
QString GroupSlotsClause(const QString& columnPrefix, const QList<int>& ids, bool showMode);
// "FIELD ASC" / "FIELD DESC" for each plain, non-empty field; none for order 0.
QStringList SortOrderParts(const std::array<QString, 4>& fields, int order);

// ---- row look
struct TUserRowData
{
    bool Poczekalnia = false;
    QDate DataDodania;
    bool Powiadamiaj = false;
    bool Blokuj = false;
    bool Zaznacz = false; // ticked on the card
    QDate DataAktywacji;  // invalid for the empty date
    QDate DataDeaktywacji;
    QDate TerminarzData;
};
struct TUserRowLook
{
    QColor Background;        // invalid: the grid's own
    QColor Font;              // invalid: the grid's own
    bool WaitingRoom = false; // drawn plainly, only the wholesale sign
};
// A colour given the Windows way ($BBGGRR).
QColor ColorFromTColor(unsigned bgr);
TUserRowLook UserRowLook(const TUserRowData& row, const QDate& today, const QColor& windowColor);
bool UserInactive(const TUserRowData& row, const QDate& today);

// ---- ticks of the grid (U_ZAZNACZONY_TEMP)
void ToggleUserTick(int userIndex, bool ticked);
// Ticks (or unticks) the subscribers of the WHERE part (MainUserWhere).
void TickUsers(const QString& mainUserWhere, bool tick);
void ClearAllUserTicks();
int CountTickedUsers();
