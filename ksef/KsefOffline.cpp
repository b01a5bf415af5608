// Verification links (QR codes I and II) and offline registration.
#include "ksef/KsefOperacje.h"

#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/MagazynBlob.h"
#include "ksef/KsefBackend.h"
#include "ksef/KsefClient.h"
#include "ksef/KsefError.h"
#include "ksef/KsefLinks.h"
#include "ksef/KsefStan.h"
#include "ksef/KsefStream.h"
#include "ksef/KsefTabele.h"
#include "ksef/KsefWspolne.h"

#include <QFileInfo>

namespace {

QString sellerNip()
{
    return DigitsOnly(ReadIniString(0, QStringLiteral("U_NIP"), QString()));
}

void invoiceLink(const TKsefDocKind& kind, int index, QString& link)
{
    link.clear();
    const QDate issue = KsefDocIssueDate(kind, index);
    const QString file = KsefExportFile(kind, index);
    if (!QFileInfo(file).isFile()) return;
    QString hash;
    KsefFileHash(file, hash);
    TKsefState& st = KsefState();
    st.LinkBuilder = KsefFactory().CreateLinkBuilder(st.Gateway);
    link = st.LinkBuilder->InvoiceVerificationLink(sellerNip(), issue, hash, st.Gateway);
}

void certificateLink(const TKsefDocKind& kind, int index, QString& link)
{
    link.clear();
    TKsefState& st = KsefState();
    TKsefClient& client = KsefOpenClient();
    if (!client.Certificate()) throw EKsefError(QStringLiteral("Klient KSeF nie ma wczytanego certyfikatu"));
    QString hash;
    KsefFileHash(KsefExportFile(kind, index), hash);
    // Without the file there is nothing the code could vouch for.
    if (hash.isEmpty()) return;
    if (!st.LinkBuilder) st.LinkBuilder = KsefFactory().CreateLinkBuilder(st.Gateway);
    const QString nip = sellerNip();
    try {
        link = st.LinkBuilder->CertificateVerificationLink(nip, kctNip, nip, hash, *client.Certificate(), 2,
                                                           client.Base64Encoder());
    } catch (...) {
        st.LinkBuilder.reset();
        throw;
    }
    st.LinkBuilder.reset();
}

void registerOffline(const TKsefDocKind& kind, int index, QString& text)
{
    static const QString failed = QStringLiteral("Wysyłka w trybie OFFLINE się nie powiodła");
    text = QStringLiteral("0");
    if (KsefIssuedBeforeStart(KsefDocIssueDate(kind, index))) {
        text = KsefTextBeforeStart;
        return;
    }
    if (KsefRowExists(kind, index)) {
        text = QStringLiteral("Dokument został już wysłanay do KSeF");
        return;
    }
    // The document's own company: its offline certificate signs, its NIP goes into the links.
    const int company = KsefDocCompany(kind, index);
    auto body = [&] {
        QString opened;
        KsefInit(0, company, opened);
        if (!opened.startsWith(QLatin1String("Wersja: "))) {
            text = failed;
            return;
        }
        const QString file = KsefExportFile(kind, index);
        if (!QFileInfo(file).isFile()) {
            const QString written = KsefWriteDocXml(kind, index);
            if (written == QLatin1String("0") || !QFileInfo(file).isFile()) {
                text = failed;
                return;
            }
        }
        QString link1, link2;
        invoiceLink(kind, index, link1);
        certificateLink(kind, index, link2);
        if (link1.isEmpty() || link2.isEmpty()) {
            text = failed;
            return;
        }
        TDedicatedSession* s = GlobalSession();
        TTransactionGuard tx(s);
        s->ExecQuery(QStringLiteral("insert into %1(%2, %3, %4, %5, %6) values (:p1, :p2, :p3, :p4, :p5)")
                         .arg(kind.Table(), kind.Col("IDFAKTURY"), kind.Col("LINKOFFLINE"),
                              kind.Col("LINKCERTOFFLINE"), kind.Col("STATUS"), kind.Col("TYPBRAMKI")),
                     {index, link1, link2, KsefStatusOffline, KsefState().Gateway});
        // The later online send needs this very file: without it no registration.
        if (!StoreFileBlob(0, kind.FileName(index), file)) {
            text = failed;
            return;
        }
        tx.commit();
        text = QStringLiteral("Faktura wysłana do KSeF w trybie OFFLINE");
    };
    QString reopened;
    try {
        body();
    } catch (...) {
        try {
            KsefInit(1, company, reopened);
        } catch (...) {
            // The registration's own error is the one to report.
        }
        throw;
    }
    KsefInit(1, company, reopened);
}

} // namespace

void KsefFileHash(const QString& fileName, QString& hash)
{
    hash.clear();
    if (!QFileInfo(fileName).isFile()) return;
    TKsefState& st = KsefState();
    auto stream = KsefFactory().OpenFileStream(fileName, ksmRead);
    const QString hashProvider = st.Client ? st.Client->HashProvider() : QStringLiteral("TlgOSSLSHA256Hash");
    const QString encoder = st.Client ? st.Client->Base64Encoder() : QStringLiteral("TlgFPCBase64Encoder");
    hash = KsefFactory().CreateHash(hashProvider)->HashStream(*stream, encoder);
}

void KsefInvoiceLink(int fvIndex, QString& link)
{
    invoiceLink(KsefInvoiceKind(), fvIndex, link);
}

void KsefCorrectionLink(int fvkIndex, QString& link)
{
    invoiceLink(KsefCorrectionKind(), fvkIndex, link);
}

void KsefInvoiceCertificateLink(int fvIndex, QString& link)
{
    certificateLink(KsefInvoiceKind(), fvIndex, link);
}

void KsefCorrectionCertificateLink(int fvkIndex, QString& link)
{
    certificateLink(KsefCorrectionKind(), fvkIndex, link);
}

void KsefSendFvOffline(int fvIndex, QString& text)
{
    registerOffline(KsefInvoiceKind(), fvIndex, text);
}

void KsefSendFvkOffline(int fvkIndex, QString& text)
{
    registerOffline(KsefCorrectionKind(), fvkIndex, text);
}
