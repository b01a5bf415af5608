#include "tests/ksef/KsefOpsFixture.h"

#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/MagazynBlob.h"
#include "core/Operatorzy.h"
#include "core/Podmioty.h"
#include "core/ScrambleText.h"
#include "core/Session.h"
#include "ksef/KsefOperacje.h"
#include "ksef/KsefStan.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

KsefOpsTest::KsefOpsTest() = default;
KsefOpsTest::~KsefOpsTest() = default;

void KsefOpsTest::SetUp()
{
    DbTest::SetUp();
    if (HasFatalFailure()) return;
    LoadUpgradedSchema();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(m_tmp.isValid());
    KsefReleaseState();
    CurrentPodmiotId = 0;
    OperatorId = 3;
    m_savedRights = OperatorRightsLevel;
    OperatorRightsLevel = 0;
    m_savedPrivate = PrivateFolder;
    m_savedExport = ExportFolder;
    m_savedStart = KsefStartDate;
    m_savedBaseUrl = qgetenv("ORLIX_KSEF_BASE_URL");
    QDir(m_tmp.path()).mkpath(QStringLiteral("priv"));
    PrivateFolder = m_tmp.filePath(QStringLiteral("priv")) + QLatin1Char('/');
    m_out = TestOutputDir(QStringLiteral("ksef-ops/") +
                          QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    QDir(m_out).removeRecursively();
    QDir().mkpath(m_out);
    m_out += QLatin1Char('/');
    ExportFolder = m_out;
    // Never today's rule: the tests choose the day KSeF 2.0 started.
    KsefStartDate = QStringLiteral("2026-02-01");
    m_data = std::make_unique<TData>();
    Data = m_data.get();
    TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
    TMD::ClearRecorded();

    const std::pair<const char*, const char*> seller[] = {{"U_NIP", "999-999-99-99"},
                                                          {"U_Nazwa1", "Orlix Net"},
                                                          {"U_Nazwa2", "Sp. z o.o."},
                                                          {"U_Ulica", "ul. Polna"},
                                                          {"U_NrDomu", "1"},
                                                          {"U_KodPocztowy", "00-001"},
                                                          {"U_Miejscowosc", "Warszawa"},
                                                          {"U_NrKonta", "11 1020 3040 0000 0102 0304 0506"},
                                                          {"U_NazwaBanku", "Bank Główny"}};
    for (const auto& [key, value] : seller)
        WriteIniString(0, QString::fromLatin1(key), QString::fromUtf8(value));
    S()->ExecQuery(
        QStringLiteral("insert into Podmioty set P_INDEX=2, P_SKROT=:p1, P_NAZWA1=:p2, P_NAZWA2=:p3, "
                       "P_NIP=:p4, P_ULICA=:p5, P_NRDOMU=:p6, P_KODPOCZTOWY=:p7, P_MIEJSCOWOSC=:p8, "
                       "P_CZYAKTYWNY=1"),
        {QStringLiteral("ABC"), QStringLiteral("ABC Światłowody"), QStringLiteral("Sp. j."),
         QString::fromLatin1(kNip2), QStringLiteral("ul. Leśna"), QStringLiteral("7"),
         QStringLiteral("30-001"), QStringLiteral("Kraków")});

    m_pki = std::make_unique<TTestPki>(m_tmp.path());
    m_pki->MakeCa();
    m_online = IssueSeal(QStringLiteral("pieczec"), QString::fromLatin1(kNip1), QStringLiteral("rsa"));
    m_offline = IssueSeal(QStringLiteral("offline"), QString::fromLatin1(kNip1), QStringLiteral("rsa"));
    StorePair(true, m_online);
    StorePair(false, m_offline);
    m_stub.Start(m_tmp.path(), m_pki->CaCrt());
    m_stub.Config(QJsonObject{{QStringLiteral("permittedNips"), QJsonArray{QString::fromLatin1(kNip2)}}});
    qputenv("ORLIX_KSEF_BASE_URL", m_stub.BaseUrl().toUtf8());
}

void KsefOpsTest::TearDown()
{
    KsefReleaseState();
    m_stub.Stop();
    if (m_savedBaseUrl.isNull())
        qunsetenv("ORLIX_KSEF_BASE_URL");
    else
        qputenv("ORLIX_KSEF_BASE_URL", m_savedBaseUrl);
    TMD::ClearTestHook();
    m_data.reset();
    Data = nullptr;
    PrivateFolder = m_savedPrivate;
    ExportFolder = m_savedExport;
    KsefStartDate = m_savedStart;
    CurrentPodmiotId = 0;
    OperatorId = 0;
    OperatorRightsLevel = m_savedRights;
    DbTest::TearDown();
}

TTestCert KsefOpsTest::IssueSeal(const QString& name, const QString& nip, const QString& keyType)
{
    return m_pki->Issue(
        name, QStringLiteral("/C=PL/O=Orlix Net/organizationIdentifier=VATPL-%1/CN=Orlix Net").arg(nip),
        keyType, QString::fromUtf8(kPassword));
}

void KsefOpsTest::StorePair(bool online, const TTestCert& cert)
{
    const QString pair = online ? QStringLiteral("Online") : QStringLiteral("Offline");
    ASSERT_TRUE(StoreFileBlob(0, QStringLiteral("Crt") + pair + QStringLiteral(".crt"), cert.Crt));
    ASSERT_TRUE(StoreFileBlob(0, QStringLiteral("Key") + pair + QStringLiteral(".key"), cert.Key));
    WriteIniString(0, QStringLiteral("KSeF_Crt") + pair + QStringLiteral(".crt_Nazwa"),
                   QFileInfo(cert.Crt).fileName());
    WriteIniString(0, QStringLiteral("KSeF_Key") + pair + QStringLiteral(".key_Nazwa"),
                   QFileInfo(cert.Key).fileName());
    WriteIniString(0, QStringLiteral("KSeF_Haslo") + pair, ScrambleText(cert.Password));
}

void KsefOpsTest::OpenClient(int company)
{
    QString text;
    KsefInit(1, company, text);
    ASSERT_TRUE(text.startsWith(QStringLiteral("Wersja: "))) << text.toStdString();
    KsefOpenSession(text);
    const QString stamp = QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d");
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^Nr sesji: \\S+\r\nRefreshToken\\.ValidUntil: ") + stamp +
                                   QStringLiteral("\r\nAccessToken\\.ValidUntil: ") + stamp +
                                   QLatin1Char('$'))
                    .match(text)
                    .hasMatch())
        << text.toStdString();
}

int KsefOpsTest::insert(const QString& table, const std::vector<std::pair<QString, TArg>>& cols)
{
    QStringList names, marks;
    TArgs args;
    for (const auto& [name, value] : cols) {
        names << name;
        marks << QStringLiteral(":p%1").arg(marks.size() + 1);
        args.push_back(value);
    }
    S()->ExecQuery(
        QStringLiteral("insert into %1 (%2) values (%3)").arg(table, names.join(','), marks.join(',')), args);
    return int(S()->LastInsertId());
}

int KsefOpsTest::AddUser(int clientNumber, int company)
{
    return insert(QStringLiteral("Userdb"),
                  {{QStringLiteral("U_NRKLIENTA"), clientNumber},
                   {QStringLiteral("U_PODMIOT"), company},
                   {QStringLiteral("U_NAZWISKO"), QStringLiteral("Abonent %1").arg(clientNumber)}});
}

int KsefOpsTest::AddFv(int company, const QString& number, const QString& issueDate)
{
    const int user = AddUser(1000 + Int(QStringLiteral("select count(*) from Userdb")), company);
    const int fv =
        insert(QStringLiteral("Fv"), {{QStringLiteral("FV_INDEXUSER"), user},
                                      {QStringLiteral("FV_NUMER"), 1},
                                      {QStringLiteral("FV_NUMERTXT"), number},
                                      {QStringLiteral("FV_PODMIOT"), company},
                                      {QStringLiteral("FV_DATAWYSTAWIENIA"), issueDate},
                                      {QStringLiteral("FV_DATAPLATNOSCI"), issueDate},
                                      {QStringLiteral("FV_FORMAPLATNOSCI"), QStringLiteral("przelew")},
                                      {QStringLiteral("FV_NAZWISKO"), QStringLiteral("Firma Odbiorca")},
                                      {QStringLiteral("FV_NIP"), QString::fromLatin1(kBuyerNip)},
                                      {QStringLiteral("FV_ADR_ULICA"), QStringLiteral("ul. Długa")},
                                      {QStringLiteral("FV_ADR_NRDOMU"), QStringLiteral("5")},
                                      {QStringLiteral("FV_ADR_KOD"), QStringLiteral("00-950")},
                                      {QStringLiteral("FV_ADR_MIEJSCOWOSC"), QStringLiteral("Warszawa")},
                                      {QStringLiteral("FV_SUMANETTO_A"), QStringLiteral("100.00")},
                                      {QStringLiteral("FV_SUMAVAT_A"), QStringLiteral("23.00")},
                                      {QStringLiteral("FV_SUMABRUTTO"), QStringLiteral("123.00")},
                                      {QStringLiteral("FV_KWOTADOZAPLATY"), QStringLiteral("123.00")},
                                      {QStringLiteral("FV_KWOTADOROZLICZENIA"), QStringLiteral("123.00")}});
    insert(QStringLiteral("FvPozycje"),
           {{QStringLiteral("FVP_INDEXFAKTURA"), fv},
            {QStringLiteral("FVP_NAZWAUSLUGI"), QStringLiteral("Abonament internetowy")},
            {QStringLiteral("FVP_JEDNMIARY"), QStringLiteral("mies.")},
            {QStringLiteral("FVP_ILOSC"), QStringLiteral("1")},
            {QStringLiteral("FVP_CENANETTO"), QStringLiteral("100.00")},
            {QStringLiteral("FVP_WARTOSCNETTO"), QStringLiteral("100.00")},
            {QStringLiteral("FVP_WARTOSCBRUTTO"), QStringLiteral("123.00")},
            {QStringLiteral("FVP_STAWKAVAT_TXT"), QStringLiteral("23%")}});
    return fv;
}

int KsefOpsTest::AddFvk(int fv, const QString& number, bool buyerData)
{
    const int user = Int(QStringLiteral("select FV_INDEXUSER from Fv where FV_INDEX=:p1"), {fv});
    const int company = Int(QStringLiteral("select FV_PODMIOT from Fv where FV_INDEX=:p1"), {fv});
    std::vector<std::pair<QString, TArg>> cols = {
        {QStringLiteral("FVK_INDEXUSER"), user},
        {QStringLiteral("FVK_NUMER"), 1},
        {QStringLiteral("FVK_NUMERTXT"), number},
        {QStringLiteral("FVK_PODMIOT"), company},
        {QStringLiteral("FVK_INDEXKORYGOWANEJ"), fv},
        {QStringLiteral("FVK_DATAWYSTAWIENIA"), QStringLiteral("2026-03-10")},
        {QStringLiteral("FVK_DATAPLATNOSCI"), QStringLiteral("2026-03-24")},
        {QStringLiteral("FVK_FORMAPLATNOSCI"), QStringLiteral("przelew")},
        {QStringLiteral("FVK_NAZWISKO"), QStringLiteral("Firma Odbiorca")},
        {QStringLiteral("FVK_NIP"), QString::fromLatin1(kBuyerNip)},
        {QStringLiteral("FVK_ADR_ULICA"), QStringLiteral("ul. Długa")},
        {QStringLiteral("FVK_ADR_NRDOMU"), QStringLiteral("5")},
        {QStringLiteral("FVK_ADR_KOD"), QStringLiteral("00-950")},
        {QStringLiteral("FVK_ADR_MIEJSCOWOSC"), QStringLiteral("Warszawa")}};
    if (buyerData) {
        cols.push_back({QStringLiteral("FVK_CZYKORDANYCHNABYWCY"), 1});
        cols.push_back({QStringLiteral("FVK_POWODKOREKTY"), QStringLiteral("Korekta danych nabywcy")});
        cols.push_back({QStringLiteral("FVK_SUMABRUTTO"), QStringLiteral("0.00")});
        return insert(QStringLiteral("Fvk"), cols);
    }
    cols.push_back({QStringLiteral("FVK_POWODKOREKTY"), QStringLiteral("Pomyłka w ilości")});
    cols.push_back({QStringLiteral("FVK_SUMANETTO_A"), QStringLiteral("-50.00")});
    cols.push_back({QStringLiteral("FVK_SUMAVAT_A"), QStringLiteral("-11.50")});
    cols.push_back({QStringLiteral("FVK_SUMABRUTTO"), QStringLiteral("-61.50")});
    cols.push_back({QStringLiteral("FVK_KWOTADOROZLICZENIA"), QStringLiteral("-61.50")});
    const int k = insert(QStringLiteral("Fvk"), cols);
    insert(QStringLiteral("FvkPozycje"),
           {{QStringLiteral("FVKP_INDEXFAKTURA"), k},
            {QStringLiteral("FVKP_NAZWAUSLUGI"), QStringLiteral("Abonament internetowy")},
            {QStringLiteral("FVKP_NAZWAUSLUGI_PO"), QStringLiteral("Abonament internetowy")},
            {QStringLiteral("FVKP_JEDNMIARY"), QStringLiteral("mies.")},
            {QStringLiteral("FVKP_JEDNMIARY_PO"), QStringLiteral("mies.")},
            {QStringLiteral("FVKP_ILOSC"), QStringLiteral("1.000")},
            {QStringLiteral("FVKP_ILOSC_PO"), QStringLiteral("0.500")},
            {QStringLiteral("FVKP_CENANETTO"), QStringLiteral("100.00")},
            {QStringLiteral("FVKP_CENANETTO_PO"), QStringLiteral("100.00")},
            {QStringLiteral("FVKP_CENABRUTTO"), QStringLiteral("123.00")},
            {QStringLiteral("FVKP_CENABRUTTO_PO"), QStringLiteral("123.00")},
            {QStringLiteral("FVKP_WARTOSCNETTO"), QStringLiteral("100.00")},
            {QStringLiteral("FVKP_WARTOSCNETTO_PO"), QStringLiteral("50.00")},
            {QStringLiteral("FVKP_STAWKAVAT_TXT"), QStringLiteral("23%")},
            {QStringLiteral("FVKP_STAWKAVAT_TXT_PO"), QStringLiteral("23%")}});
    return k;
}

QStringList KsefOpsTest::Texts() const
{
    QStringList out;
    for (const TMD::Shown& s : TMD::Recorded())
        out << s.text;
    return out;
}

QString KsefOpsTest::Text(const QString& sql, const TArgs& args) const
{
    return S()->GetQueryValueAsString(sql, args);
}

int KsefOpsTest::Int(const QString& sql, const TArgs& args) const
{
    return S()->GetQueryValueAsInteger(sql, args);
}
