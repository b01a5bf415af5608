#pragma once
// Contract documents of table Umowy: numbering, defaults of a new document,
// the text frozen from its template, the stored printout and the list's
// statement. No widgets: the editor, the list and the printouts call these.
#include "core/DedicatedSession.h"

#include <QDate>
#include <QString>
#include <functional>

class TQuery;

// The columns of Umowy the rules write.
namespace UM {
inline const QString INDEX = QStringLiteral("UM_INDEX");
inline const QString INDEXUSER = QStringLiteral("UM_INDEXUSER");
inline const QString INDEXSZABLON = QStringLiteral("UM_INDEXSZABLON");
inline const QString NUMER = QStringLiteral("UM_NUMER");
inline const QString NUMERTXT = QStringLiteral("UM_NUMERTXT");
inline const QString OPIS = QStringLiteral("UM_OPIS");
inline const QString UWAGI = QStringLiteral("UM_UWAGI");
inline const QString TYTUL = QStringLiteral("UM_TYTUL");
inline const QString DATAZAWARCIA = QStringLiteral("UM_DATAZAWARCIA");
inline const QString DATASTART = QStringLiteral("UM_DATASTART");
inline const QString DATAKONIEC = QStringLiteral("UM_DATAKONIEC");
inline const QString CZYANEKS = QStringLiteral("UM_CZYANEKS");
inline const QString ANEKSOPIS = QStringLiteral("UM_ANEKSOPIS");
inline const QString CZYPODPISANA = QStringLiteral("UM_CZYPODPISANA");
inline const QString CZYWYDRUKOWANA = QStringLiteral("UM_CZYWYDRUKOWANA");
inline const QString CZYNIEAKTYWNA = QStringLiteral("UM_CZYNIEAKTYWNA");
inline const QString CZYNAIBOKU = QStringLiteral("UM_CZYNAIBOKU");
inline const QString PODMIOT = QStringLiteral("UM_PODMIOT");
inline const QString OPERATORID = QStringLiteral("UM_OPERATORID");
inline const QString DATAMODYFIKACJI = QStringLiteral("UM_DATAMODYFIKACJI");
} // namespace UM

// Document kinds (UM_CZYANEKS).
enum TUmowaKind
{
    ukUmowa = 0,
    ukAneks = 1,
    ukPzo = 2,
    ukInformacja = 3
};

// The message every route gives for a document carried over with the opening balance.
extern const QString UmowaBilansOtwarciaMessage;

// The numbering settings, read once per use.
struct TUmowaNumbering
{
    QString maskStart;            // MaskaUmowaPoczatek
    QString maskEnd;              // MaskaUmowaKoniec
    bool companyInNumber = false; // SkrotFirmyWNumeracji
    bool monthly = true;          // NumeracjaMiesieczna
};
TUmowaNumbering ReadUmowaNumbering();

// The number text of a contract or annex: masks around the number as typed,
// the company's short name for company 2 and up (also for 1 when asked),
// then month and year (or the year) of the conclusion date.
QString UmowaNumberText(const TUmowaNumbering& n, const QString& typedNumber, int podmiot,
                        const QDate& concluded);
// Max + 1 of the company's numbers in the month (or year) of the date; 1 when none.
int NextUmowaNumber(const QDate& concluded, int podmiot, bool monthly);
// Another document of the company carries the number text (exceptIndex 0 while inserting).
bool UmowaNumberTaken(const QString& numberText, int podmiot, int exceptIndex);
// "PZO_" / "INF_" + customer number + "_" + yyyymmdd for kinds 2 and 3.
QString UmowaProtocolNumberText(int kind, const QString& customerNumber, const QDate& day);
// One day before Start plus Months, as the server counts months.
QDate UmowaPeriodEnd(const QDate& start, int months);

// The defaults of a new document for the subscriber (the row is in insert state).
void FillNewUmowa(TQuery& q, int userIndex, const QDate& today);
// Operator and modification time, before every post.
void StampUmowa(TQuery& q);
// Kinds 2 and 3 carry no number or period: number 0, the protocol's number
// text and empty start and end dates.
void ApplyProtocolNumbering(TQuery& q, const QDate& today);

// Expands a template text for a document (ExpandTemplateVariables("Umowa", ...)).
using TUmowaExpander = std::function<QString(int umIndex, const QString& text)>;
// Regenerates the document's two texts from its template and freezes the
// subscriber's address lines, in one UPDATE. Everything is expanded before
// anything is written, so a failure leaves the stored text as it was; the
// caller's transaction covers the write. Nothing for a document without template.
void UpdateUmowaText(int umIndex, const TUmowaExpander& expand = {});
// Deletes the stored printout "UmowaID" + the index text.
void DeleteStoredUmowaPrintout(const QString& umIndexText);
bool HasStoredUmowaPrintout(int umIndex);

// "Umowa_", "Aneks_", "Pzo_", "Info_" + the number with "/" as "_".
QString UmowaDocumentName(int kind, const QString& numberText);
// The customer portal's kind of document.
QString UmowaPortalKind(int kind);

// The filters of "Umowy - lista".
struct TUmowyListFilter
{
    QString SearchText;
    bool OnlyUnsigned = false;
    QDate From;                // invalid: no lower bound
    QDate To;                  // invalid: no upper bound
    QString MainUserIdList;    // " in (1,2,0) " of the main grid; empty: not filtered
    int EndingWithinDays = -1; // -1: not filtered
    QDate Today;
};
// " WHERE (1=1) AND (UM_INDEX>0) ..." with the values in Args (the search
// text matched literally, its LIKE wildcards escaped).
QString UmowyListWhere(const TUmowyListFilter& filter, TArgs& args);

// The order of the list: five key slots and a direction (0 off, 1 ascending, 2 descending).
struct TListSort
{
    QString Slots[5];
    int Direction = 0;
    int Column = -1;
    // A click on the column showing Field; NumberKeys are the slots 1-3 a click
    // on the number column sets.
    void Click(int column, const QString& field, const QStringList& numberKeys);
    // " order by ..." + Tail; empty while off.
    QString OrderBy(const QString& tail) const;
};
