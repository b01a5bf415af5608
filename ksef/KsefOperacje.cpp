// Opening the KSeF client, authentication, and what the operations share.
#include "ksef/KsefOperacje.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/MagazynBlob.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/ScrambleText.h"
#include "core/Session.h"
#include "ksef/FakturaKorektaXml.h"
#include "ksef/FakturaXml.h"
#include "ksef/KsefBackend.h"
#include "ksef/KsefCertificate.h"
#include "ksef/KsefClient.h"
#include "ksef/KsefError.h"
#include "ksef/KsefHtml.h"
#include "ksef/KsefHttp.h"
#include "ksef/KsefLinks.h"
#include "ksef/KsefStan.h"
#include "ksef/KsefTabele.h"
#include "ksef/KsefWspolne.h"
#include "ksef/KsefXades.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>

// ---------------------------------------------------------------- state

TKsefState::TKsefState() = default;
TKsefState::~TKsefState() = default;

namespace {

std::unique_ptr<TKsefState>& stateHolder()
{
    static std::unique_ptr<TKsefState> state;
    return state;
}

// The client and what belongs to it; the factory and the other objects stay.
void dropClient(TKsefState& st)
{
    st.Client.reset();
    st.Signer.reset();
    st.Certificate.reset();
    st.Xades.reset();
    st.Http.reset();
    st.CompanyId = 0;
    st.Mode = -1;
}

QString tokenEnd(const TKsefToken& token)
{
    return token.ValidUntil.isValid()
               ? token.ValidUntil.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
               : QString();
}

} // namespace

TKsefState& KsefState()
{
    auto& holder = stateHolder();
    if (!holder) {
        holder = std::make_unique<TKsefState>();
        // Released with the application, before the libraries below it shut down.
        static bool registered = false;
        if (!registered && QCoreApplication::instance()) {
            qAddPostRoutine(KsefReleaseState);
            registered = true;
        }
    }
    return *holder;
}

void KsefReleaseState()
{
    stateHolder().reset();
}

// ---------------------------------------------------------------- shared helpers

TKsefClient& KsefOpenClient()
{
    TKsefState& st = KsefState();
    if (!st.Client)
        throw EKsefError(QStringLiteral("Nie otwarto klienta KSeF (brak certyfikatu lub klucza)"));
    return *st.Client;
}

TKsefBackend& KsefFactory()
{
    TKsefState& st = KsefState();
    if (!st.Backend) st.Backend = std::make_unique<TKsefBackend>();
    return *st.Backend;
}

bool KsefPoll(const std::vector<int>& pauses, int budgetMs, const std::function<bool()>& done)
{
    int waited = 0;
    int pause = 0;
    for (size_t i = 0;; ++i) {
        pause = i < pauses.size() ? pauses[i] : qMax(1, pause) * 2;
        if (i > 0 && waited + pause > budgetMs) return false;
        KsefWaitMs(pause);
        waited += pause;
        if (done()) return true;
    }
}

void KsefReportWarnings()
{
    TKsefState& st = KsefState();
    if (!st.Http) return;
    for (const QString& w : st.Http->TakeWarnings()) {
        LogEvent(QStringLiteral("KSeF - ostrzeżenie systemu: ") + w);
        if (st.WarningsShown.contains(w)) continue;
        st.WarningsShown.insert(w);
        TMD::MessageDlg(QStringLiteral("Komunikat systemu KSeF:\r\n") + w, mtWarning, mbOK);
    }
}

TKsefWarningGuard::~TKsefWarningGuard()
{
    try {
        KsefReportWarnings();
    } catch (...) {
        // A warning that cannot be logged must not hide the operation's own error.
    }
}

QDate KsefDocIssueDate(const TKsefDocKind& kind, int index)
{
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral("select %1 from %2 where %3=:p1")
            .arg(kind.Doc("DATAWYSTAWIENIA"), kind.DocumentTable(), kind.Doc("INDEX")),
        {index});
    return q->IsEmpty() ? QDate() : q->Fields(0)->AsDate();
}

int KsefDocCompany(const TKsefDocKind& kind, int index)
{
    const int company = GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select %1 from %2 where %3=:p1")
            .arg(kind.Doc("PODMIOT"), kind.DocumentTable(), kind.Doc("INDEX")),
        {index});
    return company > 0 ? company : 1;
}

QString KsefExportFile(const TKsefDocKind& kind, int index)
{
    return ExportFolder + kind.FileName(index);
}

QString KsefWriteDocXml(const TKsefDocKind& kind, int index)
{
    if (kind.Kind == 'F') return WriteKsefFvXml(index);
    const int buyerOnly = GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select FVK_CZYKORDANYCHNABYWCY from Fvk where FVK_INDEX=:p1"), {index});
    return buyerOnly != 0 ? WriteKsefFvkBuyerXml(index) : WriteKsefFvkXml(index);
}

bool KsefRowExists(const TKsefDocKind& kind, int index)
{
    return !GlobalSession()->IsQueryEmpty(
        QStringLiteral("select 1 from %1 where %2=:p1").arg(kind.Table(), kind.Col("IDFAKTURY")), {index});
}

void KsefSaveText(const QString& path, const QByteArray& text)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.commit())
        throw EKsefError(QStringLiteral("Nie można zapisać pliku: ") + path);
}

// ---------------------------------------------------------------- opening

bool KsefCertificatesPresent(int mode)
{
    const bool online = mode != 2;
    for (const QString& name : {online ? QStringLiteral("CrtOnline.crt") : QStringLiteral("CrtOffline.crt"),
                                online ? QStringLiteral("KeyOnline.key") : QStringLiteral("KeyOffline.key")})
        if (GlobalSession()->IsQueryEmpty(
                QStringLiteral("select 1 from MagazynBlob where MB_PRIV=:p1 and MB_NAZWA=:p2"), {0, name}))
            return false;
    return true;
}

void KsefInit(int mode, int companyId, QString& text)
{
    text = QStringLiteral("0");
    TKsefState& st = KsefState();
    const int gateway = KsefReadGatewaySetting();
    const QString pair = mode == 1 ? QStringLiteral("Online") : QStringLiteral("Offline");
    const QString crtName = QStringLiteral("Crt") + pair + QStringLiteral(".crt");
    const QString keyName = QStringLiteral("Key") + pair + QStringLiteral(".key");
    try {
        FetchFileBlob(0, crtName);
        FetchFileBlob(0, keyName);
        const QString crtPath =
            PrivateFolder +
            ReadIniString(0, QStringLiteral("KSeF_") + crtName + QStringLiteral("_Nazwa"), QString());
        const QString keyPath =
            PrivateFolder +
            ReadIniString(0, QStringLiteral("KSeF_") + keyName + QStringLiteral("_Nazwa"), QString());
        if (!QFileInfo(crtPath).isFile() || !QFileInfo(keyPath).isFile()) {
            // The client in place may be another company's or mode's: nothing may go on with it.
            dropClient(st);
            text = QStringLiteral("Brak cert");
            return;
        }
        TKsefBackend& factory = KsefFactory();
        auto client = factory.CreateKsefClient();
        auto signer = factory.CreateCertificateSigner(QStringLiteral("TlgOSSLCertificateSigner"));
        const QString password =
            UnscrambleText(ReadIniString(0, QStringLiteral("KSeF_Haslo") + pair, QString()));
        auto certificate = signer->LoadCertificate(crtPath, 0, keyPath, 0, password);
        auto xades = factory.CreateXadesSigner();
        client->SetXades(xades);
        client->SetCertificate(certificate);
        client->SetSubjectIdentifierType(0);
        auto http = factory.CreateHttpClient(QStringLiteral("TlgFPCHTTPClient"));
        client->SetHttpClient(http);
        client->SetRandomGenerator(QStringLiteral("TlgOSSLRandomGenerator"));
        client->SetBase64Encoder(QStringLiteral("TlgFPCBase64Encoder"));
        client->SetHashProvider(QStringLiteral("TlgOSSLSHA256Hash"));
        client->SetAesProvider(QStringLiteral("TlgOSSLAES256Encrypt"));
        client->SetRsaPublicKeyProvider(QStringLiteral("TlgOSSLRSAPublicKey"));
        client->SetGateway(gateway);
        client->SetAuthTokenSchema(2);
        SetCurrentPodmiot(companyId);
        client->SetNip(DigitsOnly(ReadIniString(0, QStringLiteral("U_NIP"), QString())));
        client->SetVerifyCertificateChain(-1);

        st.Client = client;
        st.Signer = signer;
        st.Certificate = certificate;
        st.Xades = xades;
        st.Http = http;
        st.Gateway = gateway;
        st.CompanyId = companyId;
        st.Mode = mode;
        text = QStringLiteral("Wersja: ") + factory.ComponentVersion();
    } catch (...) {
        // A half-opened client must not carry on as if it were the company's.
        dropClient(st);
        throw;
    }
}

void KsefInitMain(int mode, QString& text)
{
    KsefInit(mode, 1, text);
}

void KsefOpenSession(QString& text)
{
    const TKsefWarningGuard warnings;
    TKsefState& st = KsefState();
    TKsefClient& client = KsefOpenClient();
    const TKsefAuthResult r1 = client.Authenticate();
    // KSeF answers 100 while it checks the signature; tokens asked for before
    // 200 are refused (21301).
    TKsefAuthStatus r2;
    const bool finished = KsefPoll(st.Waits.AuthPauses, st.Waits.AuthBudgetMs, [&] {
        r2 = client.AuthenticationStatus();
        return r2.Status.Code != 100;
    });
    if (!finished)
        throw EKsefError(
            QStringLiteral("KSeF nie zakończył uwierzytelnienia w ciągu %1 s; spróbuj ponownie później")
                .arg(st.Waits.AuthBudgetMs / 1000));
    if (r2.Status.Code != 200) {
        QString details = r2.Status.DetailsStr();
        throw EKsefError(
            QStringLiteral("Uwierzytelnienie w KSeF nie powiodło się (%1): %2%3")
                .arg(r2.Status.Code)
                .arg(r2.Status.Description, details.isEmpty() ? QString() : QStringLiteral(" - ") + details),
            0, r2.Status.Code, r2.RawResponse);
    }
    const TKsefTokens r3 = client.RedeemTokens();
    text = QStringLiteral("Nr sesji: ") + r1.ReferenceNumber +
           QStringLiteral("\r\nRefreshToken.ValidUntil: ") + tokenEnd(r3.RefreshToken) +
           QStringLiteral("\r\nAccessToken.ValidUntil: ") + tokenEnd(r3.AccessToken);
}

void KsefCloseSession(QString& text)
{
    const TKsefWarningGuard warnings;
    text = QStringLiteral("0");
    try {
        KsefOpenClient().EndAuthentication();
        text = QStringLiteral("1");
    } catch (const EKsefError&) {
        // Ending is a courtesy to KSeF: a failure leaves "0" and nothing to show.
    }
}

void KsefInsertLog(const std::vector<std::pair<const char*, TArg>>& columns)
{
    QStringList names;
    QStringList marks;
    TArgs args;
    auto add = [&](const QString& name, const TArg& value) {
        names << name;
        marks << QStringLiteral(":p%1").arg(marks.size() + 1);
        args.push_back(value);
    };
    for (const auto& [name, value] : columns)
        add(QString::fromLatin1(name), value);
    add(QStringLiteral("KSEF_OPERATORID"), OperatorId);
    add(QStringLiteral("KSEF_TYPBRAMKI"), KsefState().Gateway);
    GlobalSession()->ExecQuery(QStringLiteral("insert into Ksef(%1) values (%2)")
                                   .arg(names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                               args);
}
