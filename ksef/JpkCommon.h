#pragma once
// What the JPK writers share: the period and its conditions, the seller's
// settings and their checks, the document rows, number formats and the
// file that is renamed into place only when complete.
#include "core/Amount4.h"
#include "core/DedicatedSession.h"

#include <QDate>
#include <QSaveFile>
#include <QString>
#include <array>
#include <memory>
#include <unordered_map>

class TQuery;
class TField;

namespace Jpk {

// Invoices ("FV_" on vFvLista, lines FvPozycje) or corrections ("FVK_" on vFvkLista, lines FvkPozycje).
enum class TKind
{
    Invoice,
    Correction
};

struct TPeriod
{
    QString UserIdFilter; // " in (1,2,...)" or empty
    int Podmiot = 0;      // > 0: only that company's documents
    QDate From, To;
};

// True for empty text and for the main grid's " in (1,2,...)" list of keys,
// the only text ever spliced into a statement.
bool IsUserIdList(const QString& text);
// Starts the stopwatch, checks the subscriber list and makes the company current.
TPeriod BeginPeriod(const QString& userIdFilter, int podmiot, const QDate& from, const QDate& to);

QString Prefix(TKind kind);    // "FV_" / "FVK_"
QString ViewName(TKind kind);  // "vFvLista" / "vFvkLista"
QString TableName(TKind kind); // "Fv" / "Fvk"
// " where <p>DATAWYSTAWIENIA>=:p1 and <=:p2" plus the subscriber list and
// the company (":p3"), for the period's arguments from PeriodArgs.
QString PeriodWhere(TKind kind, const TPeriod& period);
TArgs PeriodArgs(const TPeriod& period, const QDate& from, const QDate& to);
TArgs PeriodArgs(const TPeriod& period);

struct TSeller
{
    QString KodUS, Nip, Nazwa, Email;
    bool OsobaFizyczna = false;
    QString Imie, Nazwisko, DataUrodzenia;
    QString Ulica, NrDomu, KodPocztowy, Poczta, Wojewodztwo, Powiat, Gmina, Miejscowosc;
};
// The current company's settings (scope 0); Nazwa is U_Nazwa1 + " " + U_Nazwa2, Nip digits only.
TSeller ReadSeller();

// Refusals: the file would not pass the tax office's schema.
[[noreturn]] void Refuse(const QString& fileLabel, const QString& reason);
void CheckNip(const QString& fileLabel, const TSeller& s);
void CheckKodUS(const QString& fileLabel, const TSeller& s);
void CheckEmail(const QString& fileLabel, const TSeller& s, bool required);
void CheckPerson(const QString& fileLabel, const TSeller& s);
void CheckYearFrom(const QString& fileLabel, const QDate& from, int firstYear);

// The nine amounts of a register row in field order K_10, K_11, K_13, K_15..K_20
// (groups G, NP, C, D net, D VAT, B net, B VAT, A net, A VAT).
constexpr int kFieldCount = 9;
extern const std::array<int, kFieldCount> kFieldNumbers;
using TAmounts = std::array<Amount4, kFieldCount>;

struct TDoc
{
    TKind Kind = TKind::Invoice;
    int Index = 0;
    QString NumerTxt, Date, Nip, User;
    TAmounts Fields{};
    Amount4 SumaVat, SumaBrutto;
    bool Fp = false, Ee = false, Tp = false;
    QString NrKsef, KsefStatus;
    QString Ulica, NrDomu, NrLokalu, Kod, Miejscowosc;
};

// The statement of the period's documents of one kind in date and number
// order (arguments PeriodArgs).
QString DocumentsSql(TKind kind, const TPeriod& period);

// The period's documents of one kind, read with that one statement.
class TDocReader
{
public:
    TDocReader(TKind kind, const TPeriod& period);
    ~TDocReader();
    // False at the end; AmountsOnly fills just the amounts and the FP flag
    // (the summing pass needs no texts).
    bool Next(TDoc& doc, bool amountsOnly = false);
    void Rewind();
    int Count() const;

private:
    TKind m_kind;
    std::unique_ptr<TQuery> m_query;
    bool m_started = false;
    std::array<TField*, kFieldCount> m_fields{};
    TField *m_index, *m_numer, *m_date, *m_nip, *m_user, *m_vat, *m_brutto, *m_fp, *m_ee, *m_tp, *m_nrKsef,
        *m_status, *m_ulica, *m_nrDomu, *m_nrLokalu, *m_kod, *m_miejscowosc;
};

// GTU codes 1..13 of the period's documents of both kinds, one statement:
// bit k-1 of the mask for code k.
struct TGtuMap
{
    std::unordered_map<int, unsigned> Invoices, Corrections;
    unsigned Of(const TDoc& doc) const;
};
TGtuMap ReadGtuCodes(const TPeriod& period);

// Declaration sums over documents without the FP flag.
struct TDeclaration
{
    TAmounts Fields{};
    Amount4 Net, Vat, SumaVat;
    void Add(const TDoc& doc);
    void Add(const TDeclaration& other);
};
// One statement per kind summing a period (the quarter of a quarterly file).
TDeclaration SumDeclaration(const TPeriod& period, const QDate& from, const QDate& to);

// General number format with a point: 100, 100.5, -12.34.
QString Number(Amount4 value);
// "#.00": 1234.50, .50, .00, -.50.
QString Fixed2(Amount4 value);
// Whole złoty, halves away from zero.
qint64 RoundZl(Amount4 value);
// Digits of the buyer's tax number, or "brak".
QString BuyerNip(const QString& nip);
// "yyyy-MM-ddTHH:mm:ssZ" of now in UTC.
QString NowUtc();
// The data source's alias as the file names show it.
QString AliasName();
// P_SKROT of company podmiot (>= 2), else empty.
QString CompanyShortName(int podmiot);
// A text node's content, escaped.
QString Esc(const QString& text);

// The file in the export folder: written to a temporary file, renamed into
// place by Commit; dropped (nothing left) when destroyed before that.
class TOutFile
{
public:
    explicit TOutFile(const QString& name);
    void Put(const QString& text);
    void Line(const QString& text); // followed by CR LF
    QString Commit();

private:
    void flush();
    QString m_path;
    QSaveFile m_file;
    QByteArray m_buffer;
};

// Writes a timing mark without letting its failure hide an error on its way.
void Mark(const char* name);

} // namespace Jpk
