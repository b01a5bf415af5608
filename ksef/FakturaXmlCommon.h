#pragma once
// What the FA (3) invoice and correction files share: the value rules, the
// XML writer and the blocks both kinds carry (header, seller, buyer, other
// party, annotations, payment).
//
// Every text goes through libxml2's writer, so "&", "<" and ">" in names and
// addresses are escaped. Numbers are formatted from the database's own
// decimal text, with a point, so no comma->point pass over the finished
// text is needed and commas in names stay commas.
#include <QByteArray>
#include <QString>
#include <memory>

class TQuery;
class TField;

namespace Fa3 {

// A decimal column as FA (3) wants it: point, no thousands separator, no
// trailing zeros, no decimal part for whole numbers ("100", "81.3", "-5.5");
// "0" for zero or NULL.
QString NumberText(const QByteArray& raw);
QString NumberText(const TField* field);
bool IsZeroNumber(const QString& numberText);
// "yyyy-mm-dd"; empty for NULL and the zero date.
QString DateText(const TField* field);

// How a tax number identifies a party.
struct TPartyId
{
    enum Kind
    {
        Nip,
        VatUe,
        ForeignId,
        NoId
    };
    Kind kind = NoId;
    QString code;    // KodUE (VatUe) or KodKraju (ForeignId)
    QString number;  // NIP, NrVatUE or NrID
    QString country; // KodKraju of the same party's address
};
TPartyId IdentifyParty(const QString& taxNumber);

// FormaPlatnosci of a payment form text; empty when the element is left out.
QString PaymentFormCode(const QString& form);
// P_12 of a rate text; empty when there is none.
QString RateCode(const QString& rateText);
// Street, building and flat as one address line.
QString AddressLine1(const QString& street, const QString& building, const QString& flat);

// A streaming XML writer over libxml2 that indents with tabs.
class TWriter
{
public:
    TWriter();
    ~TWriter();
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;

    void Start(const char* name);
    void Attribute(const char* name, const QString& value);
    void Text(const QString& text);
    void End();
    void Leaf(const char* name, const QString& text);
    // Left out when the text is blank (the schema allows no empty text there).
    void LeafIfAny(const char* name, const QString& text);
    // Closes what is open and returns the document.
    QByteArray Finish();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Declaration, the Faktura start tag with its namespaces and Naglowek.
void WriteHeader(TWriter& w);
// Podmiot1 from the settings of the current company.
void WriteSeller(TWriter& w);

// The opening both kinds share: the document's company made current, header
// and seller written, the document's row of its list view ("vFvLista",
// "vFvkLista") opened. Null when there is no such document.
std::unique_ptr<TQuery> BeginDocument(TWriter& w, const QString& table, const QString& prefix, int index);
// The identification elements of a party.
void WritePartyId(TWriter& w, const TPartyId& id);
// An address block; an optional one is left out when both lines are blank.
void WriteAddress(TWriter& w, const char* element, const QString& country, const QString& line1,
                  const QString& line2, bool required);

// The columns of one document row (prefix "FV_" or "FVK_").
class TDocRow
{
public:
    TDocRow(const TQuery& q, const QString& prefix) : m_q(q), m_p(prefix) {}
    TField* Field(const char* name) const;  // prefix + name
    TField* Plain(const char* name) const;  // name as given (U_NRKLIENTA ...)
    QString Text(const char* name) const;   // prefix + name as text
    QString Number(const char* name) const; // prefix + name as FA (3) number
    QString Date(const char* name) const;   // prefix + name as date text
    int Integer(const char* name) const;
    // The other party (correspondence recipient) is set and has a tax number.
    bool HasOtherPartyWithNip() const;

private:
    const TQuery& m_q;
    QString m_p;
};

// Podmiot2 of a document row, with NrKlienta, JST and GV.
void WriteBuyer(TWriter& w, const TDocRow& doc);
// Podmiot3: the correspondence recipient of a document row.
void WriteOtherParty(TWriter& w, const TDocRow& doc);
// Adnotacje; P_18A depends on the gross total.
void WriteAnnotations(TWriter& w, const QString& grossText);
// Platnosc of a document row.
void WritePayment(TWriter& w, const TDocRow& doc);

// Saves the document as ExportFolder + name (replacing a file of that name)
// and returns the path; a file error is raised.
QString SaveToExportFolder(const QString& name, const QByteArray& content);

// Writes a timing row without letting its own failure hide the error that
// is already on its way to the caller.
void LogElapsedTimeQuietly(const QString& name);

} // namespace Fa3
