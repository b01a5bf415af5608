#pragma once
// Service orders of table ZleceniaSerwisowe: numbering, the new row, the
// checks at "Zapisz", the technician's SMS text and the list's statement.
// No widgets: the editor, the list and the subscriber card call these.
#include "core/DedicatedSession.h"

#include <QDate>
#include <QString>

class TQuery;

namespace ZS {
inline const QString INDEX = QStringLiteral("ZS_INDEX");
inline const QString INDEXUSER = QStringLiteral("ZS_INDEXUSER");
inline const QString NUMER = QStringLiteral("ZS_NUMER");
inline const QString NUMERTXT = QStringLiteral("ZS_NUMERTXT");
inline const QString ZAKRES = QStringLiteral("ZS_ZAKRES");
inline const QString UWAGI = QStringLiteral("ZS_UWAGI");
inline const QString DATAREJESTRACJI = QStringLiteral("ZS_DATAREJESTRACJI");
inline const QString DATAZAKONCZENIA = QStringLiteral("ZS_DATAZAKONCZENIA");
inline const QString PRZYJAL = QStringLiteral("ZS_PRZYJAL");
inline const QString WYKONAL = QStringLiteral("ZS_WYKONAL");
inline const QString KWOTAPOBRANA = QStringLiteral("ZS_KWOTAPOBRANA");
inline const QString ZAZNACZONE = QStringLiteral("ZS_ZAZNACZONE");
inline const QString TERMINARZDATA = QStringLiteral("ZS_TERMINARZDATA");
inline const QString OPERATORID = QStringLiteral("ZS_OPERATORID");
inline const QString DATAMODYFIKACJI = QStringLiteral("ZS_DATAMODYFIKACJI");
} // namespace ZS

// The most rows the list reads.
constexpr int kZleceniaListLimit = 16384;

// Number + "/" + month + "/" + year of the registration (or + "/" + year).
QString ZlecenieNumberText(const QString& typedNumber, const QDate& registered, bool monthly);
// Max + 1 of the month (or year) of the date, one sequence for all companies.
int NextZlecenieNumber(const QDate& registered, bool monthly);
bool ZlecenieNumberTaken(const QString& numberText, int exceptIndex);

// Registration today, nothing collected, taken by the operator, the next number.
void FillNewZlecenie(TQuery& q, int userIndex, const QDate& today);
void StampZlecenie(TQuery& q);

// What "Zapisz" refuses, in this order; Field names the control to focus.
struct TZlecenieRefusal
{
    QString Message;
    QString Field;
    bool Refused() const { return !Message.isEmpty(); }
};
TZlecenieRefusal CheckZlecenie(const QString& numberText, const QString& scope, int takenBy, int doneBy,
                               bool endDateSet);

// The order for the technician's SMS: number (date), subscriber, address,
// phones and the scope, each line ended by CR LF.
QString MakeZlecenieText(int zsIndex);

// The SMS header: the company's name lines.
QString ZlecenieSmsHeader();

struct TZleceniaListFilter
{
    QString SearchText;
    bool OnlyOpen = false;
    QDate From;
    QDate To;
};
// " WHERE (1=1) ..." with the values in Args.
QString ZleceniaListWhere(const TZleceniaListFilter& filter, TArgs& args);

// "ZLECENIE_" + the number with "/" as "_" + ".pdf" in the export folder.
QString ZleceniePdfFile(const QString& numberText);
