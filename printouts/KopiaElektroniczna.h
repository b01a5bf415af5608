#pragma once
// The electronic copy (EJ) of issued invoices: a text dump "EJ_<stamp>.dat"
// in code page 1250 and beside it "EJ_<stamp>.sig", whose one line binds the
// dump's MD5 to a fixed key so that a later change of the dump shows.
#include <QDateTime>
#include <QString>
#include <QStringList>

class TQuery;
class TDedicatedSession;

class TKopiaElektroniczna
{
public:
    // Reads the seller settings once, before the documents.
    void PrepareSeller();
    // Appends the block of the invoice at the query's current row (Fv columns).
    void AddInvoice(TDedicatedSession* session, const TQuery& invoice);
    // Writes ExportFolder + "EJ/EJ_" + yyyymmddhhnnss + ".dat" and its ".sig";
    // returns the ".dat" path. The ".sig" is written only after the ".dat"
    // was saved whole; an error raises EInOutError.
    QString Save(const QDateTime& now);
    const QStringList& Lines() const { return m_lines; }

    // H + U: H the file's MD5, U the MD5 of the key and H, both upper-case hex.
    static QString SignatureOf(const QString& datPath);

    enum TVerifyResult
    {
        vrValid,
        vrInvalid,
        vrError
    };
    // The ".sig" is the path with its last three characters replaced by "sig";
    // its first line must equal SignatureOf exactly.
    static TVerifyResult Verify(const QString& datPath);
    static QString VerifyText(TVerifyResult result);

private:
    QStringList m_seller; // lines 4 to 8 of a block
    QStringList m_lines;
};
