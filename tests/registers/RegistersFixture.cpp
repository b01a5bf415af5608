#include "tests/registers/RegistersFixture.h"

#include "core/DbIni.h"
#include "core/Podmioty.h"
#include "core/Session.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

void RegistersTest::SetUp()
{
    DbTest::SetUp();
    if (HasFatalFailure()) return;
    SetProgramFolder(QStringLiteral(ORLIX_BIN_DIR));
    ASSERT_TRUE(PointTestDataSource(DatabaseName(), m_odbcDir, m_savedOdbcIni));
    LoadUpgradedSchema();
    if (HasFatalFailure()) return;
    OperatorId = 1;
    OperatorRightsLevel = 1;
    CurrentPodmiotId = 0;
    m_outDir = TestOutputDir(QStringLiteral("jpk"));
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString name = QString::fromStdString(std::string(info->test_suite_name()) + '.' + info->name())
                             .replace(QLatin1Char('/'), QLatin1Char('_'));
    m_exportDir = m_outDir + QStringLiteral("/work/") + name;
    QDir(m_exportDir).removeRecursively();
    QDir().mkpath(m_exportDir);
    ExportFolder = m_exportDir + QLatin1Char('/');
    SetValidSeller();
}

void RegistersTest::TearDown()
{
    RestoreOdbcIni(m_savedOdbcIni);
    CurrentPodmiotId = 0;
    DbTest::TearDown();
}

void RegistersTest::SetValidSeller()
{
    const std::pair<const char*, const char*> values[] = {{"U_KodUS", "1471"},
                                                          {"U_NIP", "526-104-08-28"},
                                                          {"U_Nazwa1", "Sieć & Spółka"},
                                                          {"U_Nazwa2", "sp. z o.o."},
                                                          {"U_EmailJPK", "biuro@siec.pl"},
                                                          {"U_Ulica", "Polna"},
                                                          {"U_NrDomu", "7"},
                                                          {"U_KodPocztowy", "00-950"},
                                                          {"U_Poczta", "Warszawa"},
                                                          {"U_Wojewodztwo", "mazowieckie"},
                                                          {"U_Powiat", "Warszawa"},
                                                          {"U_Gmina", "Warszawa"},
                                                          {"U_Miejscowosc", "Warszawa"}};
    for (const auto& [k, v] : values)
        WriteIniString(0, QLatin1String(k), QString::fromUtf8(v));
}

void RegistersTest::AddPodmiot(int index, const QString& shortName)
{
    S()->ExecQuery(
        QStringLiteral("insert into Podmioty (P_INDEX, P_SKROT, P_CZYAKTYWNY, P_NIP, P_KODUS, "
                       "P_EMAILJPK, P_NAZWA1, P_NAZWA2) values (:p1, :p2, 1, :p3, :p4, :p5, :p6, :p7)"),
        {index, shortName, QStringLiteral("5261040828"), QStringLiteral("1471"),
         QStringLiteral("abc@siec.pl"), QStringLiteral("ABC"), QStringLiteral("sp. j.")});
}

int RegistersTest::AddUser()
{
    S()->ExecQuery(
        QStringLiteral("insert into Userdb (U_NAZWISKO, U_IMIE, U_PODMIOT, U_DATAWYKLUCZENIAZBLOKAD) "
                       "values (:p1, :p2, 1, :p3)"),
        {QStringLiteral("Kowalski"), QStringLiteral("Jan"), QStringLiteral("0000-00-00")});
    return S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
}

int RegistersTest::AddDoc(const TDocSpec& d)
{
    const bool inv = d.Kind == 'F';
    const QString t = inv ? QStringLiteral("Fv") : QStringLiteral("Fvk");
    const QString p = inv ? QStringLiteral("FV_") : QStringLiteral("FVK_");
    Amount4 f[9];
    for (int i = 0; i < 9; ++i)
        if (!Amount4::tryParse(QLatin1String(d.Sums[size_t(i)]), f[i])) ADD_FAILURE() << d.Sums[size_t(i)];
    const Amount4 net = f[0] + f[1] + f[2] + f[3] + f[5] + f[7];
    const Amount4 vat = f[4] + f[6] + f[8];
    ++m_counter;
    const QString number =
        d.Number.isEmpty()
            ? QStringLiteral("%1/%2/03/2026").arg(QLatin1String(inv ? "FV" : "KOR")).arg(m_counter)
            : d.Number;
    const int user = d.User ? d.User : AddUser();
    S()->ExecQuery(
        QStringLiteral(
            "insert into %1 (%2INDEXUSER, %2NUMER, %2NUMERTXT, %2DATAWYSTAWIENIA, %2NIP, %2NAZWISKO, %2IMIE, "
            "%2ADR_ULICA, %2ADR_NRDOMU, %2ADR_NRLOKALU, %2ADR_KOD, %2ADR_MIEJSCOWOSC, %2SUMANETTO_G, "
            "%2SUMANETTO_NP, %2SUMANETTO_C, %2SUMANETTO_D, %2SUMAVAT_D, %2SUMANETTO_B, %2SUMAVAT_B, "
            "%2SUMANETTO_A, %2SUMAVAT_A, %2SUMANETTO, %2SUMAVAT, %2SUMABRUTTO, %2GTU_FP, %2GTU_EE, %2GTU_TP, "
            "%2PODMIOT) values (:p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, :p9, :p10, :p11, :p12, :p13, :p14, "
            ":p15, :p16, :p17, :p18, :p19, :p20, :p21, :p22, :p23, :p24, :p25, :p26, :p27, :p28)")
            .arg(t, p),
        {user,  m_counter,     number, d.Date,    d.Nip, d.Nazwisko, d.Imie, d.Ulica,  d.NrDomu, d.NrLokalu,
         d.Kod, d.Miejscowosc, f[0],   f[1],      f[2],  f[3],       f[4],   f[5],     f[6],     f[7],
         f[8],  net,           vat,    net + vat, d.Fp,  d.Ee,       d.Tp,   d.Podmiot});
    const int index = S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
    if (!d.NrKsef.isEmpty() || !d.KsefStatus.isEmpty()) {
        S()->ExecQuery(
            QStringLiteral("insert into %1Ksef (%2KSEF_IDFAKTURY, %2KSEF_NRREFSESJI, %2KSEF_NRREFFAKTURY, "
                           "%2KSEF_STATUS, %2KSEF_NRKSEF, %2KSEF_OPERATORID) values (:p1, '', '', :p2, "
                           ":p3, 1)")
                .arg(t, p),
            {index, d.KsefStatus, d.NrKsef});
    }
    const QString lt = inv ? QStringLiteral("FvPozycje") : QStringLiteral("FvkPozycje");
    const QString lp = inv ? QStringLiteral("FVP_") : QStringLiteral("FVKP_");
    std::vector<int> codes = d.Gtu.empty() ? std::vector<int>{0} : d.Gtu;
    for (size_t i = 0; i < codes.size(); ++i) {
        const Amount4 lineNet = i == 0 ? net : Amount4{};
        const Amount4 lineGross = i == 0 ? net + vat : Amount4{};
        S()->ExecQuery(
            QStringLiteral("insert into %1 (%2INDEXFAKTURA, %2GTU, %2NAZWAUSLUGI, %2JEDNMIARY, %2ILOSC, "
                           "%2CENANETTO, %2CENABRUTTO, %2RABATKWOTA, %2WARTOSCNETTO, %2WARTOSCBRUTTO, "
                           "%2STAWKAVAT_TXT) values (:p1, :p2, :p3, 'szt.', 1, :p4, :p5, 0, :p6, :p7, "
                           "'23%')")
                .arg(lt, lp),
            {index, codes[i], QStringLiteral("Internet, pakiet 100/20"), lineNet, lineGross, lineNet,
             lineGross});
    }
    return index;
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

QString JpkSchema(const QString& kind)
{
    const QString root = QStringLiteral(ORLIX_SOURCE_DIR "/../shared/schemas/");
    if (kind == QLatin1String("V7M3")) return root + QStringLiteral("JPK_V7M3/local/JPK_V7M_3.xsd");
    if (kind == QLatin1String("V7M2")) return root + QStringLiteral("JPK_V7M2/local/schemat.xsd");
    if (kind == QLatin1String("FA4"))
        return root + QStringLiteral("JPK_FA4/local/Schemat_JPK_FA(4)_v1-0.xsd");
    if (kind == QLatin1String("VAT3"))
        return root + QStringLiteral("JPK_VAT3/local/Schemat_JPK_VAT(3)_v1-1.xsd");
    // Only the earlier edition of V7K(2) is at hand; the edition in force
    // differs in its namespace, so a copy with that namespace checks our files.
    const QString dir = TestOutputDir(QStringLiteral("jpk/xsd-v7k2-11149"));
    const QDir src(root + QStringLiteral("JPK_V7K2/local"));
    for (const QString& name : src.entryList({QStringLiteral("*.xsd")}, QDir::Files)) {
        QByteArray bytes = ReadFile(src.filePath(name));
        bytes.replace("http://crd.gov.pl/wzor/2021/07/08/07082/", "http://crd.gov.pl/wzor/2021/12/27/11149/");
        // Renamed into place whole: tests running side by side read these files.
        QSaveFile out(dir + QLatin1Char('/') + name);
        if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size()) out.commit();
    }
    return dir + QStringLiteral("/Schemat_JPK_V7K(2)_v1-0.xsd");
}
