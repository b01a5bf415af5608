#pragma once
// The KSeF tables: FvKsef (invoices), FvkKsef (corrections), the exchange log
// Ksef, and the rules every KSeF operation and document list shares: the
// start date, the gateway type stamped into rows, and the "sent" check.
#include <QDate>
#include <QString>

// One kind of sales document and its KSeF row: the column names are built
// here once, so the statements of the operations name no column by hand.
struct TKsefDocKind
{
    char Kind;              // 'F' invoice, 'K' correction
    const char* DocTable;   // "Fv"
    const char* DocPrefix;  // "FV_"
    const char* KsefTable;  // "FvKsef"
    const char* KsefPrefix; // "FV_KSEF_"
    const char* FileStem;   // "KSeF_FV_": FA(3) file "KSeF_FV_" + index + ".xml"
    const char* UpoStem;    // "UPO_KSeF_F"

    // A column of the document table: Doc("INDEX") is "FV_INDEX".
    QString Doc(const char* column) const;
    // A column of the KSeF row: Col("NRKSEF") is "FV_KSEF_NRKSEF".
    QString Col(const char* column) const;
    QString Table() const { return QString::fromLatin1(KsefTable); }
    QString DocumentTable() const { return QString::fromLatin1(DocTable); }
    // "KSeF_FV_12.xml"
    QString FileName(int index) const;
};

const TKsefDocKind& KsefInvoiceKind();
const TKsefDocKind& KsefCorrectionKind();
// 'F' or 'K'; any other letter raises EKsefError.
const TKsefDocKind& KsefDocKind(char kind);

// Statuses of a KSeF row.
inline const QString KsefStatusOffline = QStringLiteral("OFFLINE");

// KsefStartDate as a date; a missing or unreadable value falls back to the
// rule the core sets it by, so a document is never let through by accident.
QDate KsefStartDay();
// A document issued before the start date stays out of KSeF; the start day itself is in.
bool KsefIssuedBeforeStart(const QDate& issueDate);

// The one "sent" check of the lists and editors: a document is out of the
// operator's hands once KSeF gave it a number, and also while it is
// registered offline: its stored file, not the edited document, goes to
// KSeF later.
bool KsefRowCountsAsSent(const QString& ksefNumber, const QString& status);
bool KsefDocumentSent(char kind, int index);

// KSeF_TypBramki: 0 production, 1 demo, 2 test (the default).
int KsefReadGatewaySetting();
