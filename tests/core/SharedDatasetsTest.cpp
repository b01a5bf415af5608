// The data module's shared datasets on a new database, and the rules their
// handlers put on every row written through them.
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/SchemaUpgrade.h"
#include "core/Session.h"
#include "core/VatRates.h"
#include "tests/support/TestDb.h"

#include <QDateTime>
#include <QSet>

namespace {

const QString kBadIp = QStringLiteral("Wprowadzony adres IP wydaje się być nieprawidłowy.");
const QString kBadMac = QStringLiteral("Wprowadzony adres MAC wydaje się być nieprawidłowy.");
const QString kBadMac2 = QStringLiteral("Wprowadzony dodatkowy adres MAC wydaje się być nieprawidłowy.");
const QString kDupIp = QStringLiteral("Wprowadzony adres IP jest juz w bazie.");
const QString kDupMac = QStringLiteral("Wprowadzony adres MAC jest juz w bazie.");
const QString kDupMac2 = QStringLiteral("Wprowadzony dodatkowy adres MAC jest juz w bazie.");

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

class SharedDatasetsTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadSchema();
        // The TERYT structure first, as the program's folder would give it to the upgrade.
        RunScript(QStringLiteral(ORLIX_SOURCE_DIR "/sql/TerytStruktura.sql"));
        ASSERT_FALSE(HasFatalFailure());
        UpgradeSchema(nullptr);
        m_data = std::make_unique<TData>();
        Data = m_data.get();
        OperatorId = 7;
        OperatorRightsLevel = 1;
        TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
        TMD::ClearRecorded();
        CardDeviceSortFields = {};
        CardDeviceSortOrder = 0;
    }
    void TearDown() override
    {
        m_data.reset();
        Data = nullptr;
        OperatorId = 0;
        TMD::ClearTestHook();
        DbTest::TearDown();
    }

    QStringList shown() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }
    int addSubscriber(const QString& surname = QStringLiteral("Kowalski"))
    {
        S()->ExecQuery(QStringLiteral("insert into Userdb set U_NAZWISKO=:p1, U_IMIE=:p2"), {surname, "Jan"});
        return int(S()->LastInsertId());
    }
    // The main grid's subscriber, as the windows that add rows rely on.
    void openSubscriber(int id)
    {
        TQuery* q = Data->QUserdb.get();
        q->SetSQL(QStringLiteral("select * from vUserdb where U_INDEX=:p1"));
        q->BindArgs({id});
        q->Open();
    }
    QString value(const QString& sql, const TArgs& args = {}) const
    {
        return S()->GetQueryValueAsString(sql, args);
    }

    std::unique_ptr<TData> m_data;
};

TEST_F(SharedDatasetsTest, AllFortyFourOpenOnANewDatabase)
{
    const std::vector<TQuery*> all = Data->Datasets();
    ASSERT_EQ(all.size(), 44u);
    QSet<QString> names;
    for (TQuery* q : all) {
        names.insert(q->objectName());
        EXPECT_EQ(Data->DatasetByName(q->objectName()), q);
    }
    EXPECT_EQ(names.size(), 44);

    // The subscriber grid opens with the main window's query over vUserdb.
    Data->QUserdb->SetSQL(
        QStringLiteral("SELECT (@i=@i + 1)  as RowCount, vUserdb.* FROM (select @i= 0) Trc, vUserdb"));
    for (TQuery* q : all) {
        EXPECT_NO_THROW(q->Open()) << q->objectName().toStdString();
        EXPECT_TRUE(q->Active()) << q->objectName().toStdString();
    }
    // Per-subscriber lists without their subscriber are empty, not an error.
    for (TQuery* q : {Data->QMac.get(), Data->QUserFvPozycje.get(), Data->QFv.get(), Data->QOplaty.get()})
        EXPECT_TRUE(q->IsEmpty()) << q->objectName().toStdString();
    EXPECT_EQ(Data->QOperator->RecordCount(), 1);
    Data->CloseDatasets();
    for (TQuery* q : all)
        EXPECT_FALSE(q->Active()) << q->objectName().toStdString();
}

struct StampCase
{
    const char* dataset;
    const char* table;
    const char* prefix;
    const char* nameColumn; // filled so the row is a real one; "" for none
    bool operatorStamp;
    bool timeStamp;
};

TEST_F(SharedDatasetsTest, StampsOperatorAndTimeOnEveryPost)
{
    openSubscriber(addSubscriber());
    Data->QInfra->Open(); // a new note takes the current device
    const StampCase cases[] = {
        {"QOperator", "Operator", "OP_", "OP_LOGIN", true, true},
        {"QTaryfy", "Taryfy", "TAR_", "TAR_NAZWA", true, true},
        {"QListaSieci", "ListaSieci", "SIEC_", "SIEC_NAZWA", true, true},
        {"QIntruxRouter", "IntruxRouter", "INTRUX_", "INTRUX_NAZWA", true, true},
        {"QFormyPlatnosci", "FormyPlatnosci", "FP_", "FP_NAZWA", true, true},
        {"QTypLacza", "TypLacza", "TL_", "TL_NAZWA", true, true},
        {"QTypUrzadzenia", "TypUrzadzenia", "TU_", "TU_NAZWA", true, true},
        {"QRodzajUrzadzenia", "RodzajUrzadzenia", "RU_", "RU_NAZWA", true, true},
        {"QAutoryzacja", "Autoryzacja", "AUT_", "AUT_NAZWA", true, true},
        {"QProfil", "Profil", "PROFIL_", "PROFIL_NAZWA", true, true},
        {"QInterface", "Interface", "INTERFACE_", "INTERFACE_NAZWA", true, true},
        {"QWan", "Wan", "WAN_", "WAN_NAZWA", true, true},
        {"QGrupy", "Grupy", "GR_", "GR_NAZWA", true, true},
        {"QGrupyInf", "GrupyInf", "GRI_", "GRI_NAZWA", true, true},
        {"QSzablony", "Szablony", "SZ_", "", true, true},
        {"QMagazynBlob", "MagazynBlob", "MB_", "MB_NAZWA", true, true},
        {"QMagazynBlob2", "MagazynBlob2", "MB_", "MB_NAZWA", true, true},
        {"QMTRouter", "MTRouter", "MIKROTIK_", "MIKROTIK_NAZWA", true, true},
        {"QMultiszablonPozycje", "MultiszablonPozycje", "MSP_", "MSP_RODZAJPOZ", true, true},
        {"QUslugi", "Uslugi", "USL_", "USL_NAZWAUSLUGI", true, true},
        {"QUserFvPozycje", "UserFvPozycje", "UFV_", "UFV_NAZWAUSLUGI", true, true},
        {"QMultiszablon", "Multiszablon", "MS_", "MS_NAZWA", true, false},
        {"QPodmioty", "Podmioty", "P_", "P_SKROT", false, true},
        // Read-only in the program; their handlers act when a window opens them editable.
        {"QOplaty", "Oplaty", "O_", "O_UWAGI", true, true},
        {"QInfraNotatki", "InfraNotatki", "IN_", "IN_TRESC", true, true},
    };
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    for (const StampCase& c : cases) {
        SCOPED_TRACE(c.dataset);
        TQuery* q = Data->DatasetByName(QLatin1String(c.dataset));
        ASSERT_NE(q, nullptr);
        q->RequestLive = true;
        q->Open();
        q->Insert();
        if (q->State() == dsInsert) {
            if (*c.nameColumn && q->FindField(QLatin1String(c.nameColumn)))
                q->FieldByName(QLatin1String(c.nameColumn))->SetAsString(QStringLiteral("n1"));
            q->Post();
        }
        const QString p = QLatin1String(c.prefix);
        const QString key = p + QStringLiteral("INDEX");
        const QString last =
            QStringLiteral(" from %1 order by %2 desc limit 1").arg(QLatin1String(c.table), key);
        if (c.operatorStamp) {
            EXPECT_EQ(value(QStringLiteral("select ") + p + QStringLiteral("OPERATORID") + last),
                      QStringLiteral("7"));
        }
        if (c.timeStamp) {
            const QDateTime stamped = QDateTime::fromString(
                value(QStringLiteral("select ") + p + QStringLiteral("DATAMODYFIKACJI") + last), Qt::ISODate);
            EXPECT_TRUE(stamped.isValid() && stamped >= before &&
                        stamped <= QDateTime::currentDateTime().addSecs(2))
                << stamped.toString().toStdString();
        }
        q->Close();
    }
}

struct EmptyRowCase
{
    const char* dataset;
    const char* table;
    const char* nameColumn;
};

TEST_F(SharedDatasetsTest, OnlyOneUnnamedRowPerDictionary)
{
    const EmptyRowCase cases[] = {
        {"QGrupy", "Grupy", "GR_NAZWA"},
        {"QGrupyInf", "GrupyInf", "GRI_NAZWA"},
        {"QTypLacza", "TypLacza", "TL_NAZWA"},
        {"QTypUrzadzenia", "TypUrzadzenia", "TU_NAZWA"},
        {"QRodzajUrzadzenia", "RodzajUrzadzenia", "RU_NAZWA"},
        {"QMultiszablon", "Multiszablon", "MS_NAZWA"},
        {"QFormyPlatnosci", "FormyPlatnosci", "FP_NAZWA"},
        {"QTaryfy", "Taryfy", "TAR_NAZWA"},
        {"QAutoryzacja", "Autoryzacja", "AUT_NAZWA"},
        {"QProfil", "Profil", "PROFIL_NAZWA"},
        {"QInterface", "Interface", "INTERFACE_NAZWA"},
        {"QWan", "Wan", "WAN_NAZWA"},
        {"QListaSieci", "ListaSieci", "SIEC_NAZWA"},
        {"QUslugi", "Uslugi", "USL_NAZWAUSLUGI"},
        {"QSzablony", "Szablony", "SZ_NAZWA"},
    };
    for (const EmptyRowCase& c : cases) {
        SCOPED_TRACE(c.dataset);
        TQuery* q = Data->DatasetByName(QLatin1String(c.dataset));
        const QString countEmpty = QStringLiteral("select count(*) from %1 where Length(%2)=0")
                                       .arg(QLatin1String(c.table), QLatin1String(c.nameColumn));
        // A named row first, so "the first row" differs from the unnamed one.
        S()->ExecQuery(QStringLiteral("insert into %1 set %2='A nazwa'")
                           .arg(QLatin1String(c.table), QLatin1String(c.nameColumn)));
        q->Open();
        q->Insert(); // the first unnamed row goes on (templates post it at once)
        if (q->State() == dsInsert) q->Post();
        EXPECT_EQ(S()->GetQueryValueAsInteger(countEmpty), 1);
        q->Last();
        q->Insert(); // the second is refused: back on the first row
        EXPECT_EQ(q->State(), dsBrowse);
        EXPECT_EQ(q->RecNo(), 1);
        EXPECT_EQ(S()->GetQueryValueAsInteger(countEmpty), 1);
        q->Close();
    }
}

struct DefaultCase
{
    const char* dataset;
    const char* field;
    QString expected;
};

TEST_F(SharedDatasetsTest, NewRowsGetTheirDefaults)
{
    const int user = addSubscriber();
    openSubscriber(user);
    S()->ExecQuery(QStringLiteral("insert into Infrastruktura set INF_NAZWA='AP-1'"));
    const int infra = int(S()->LastInsertId());
    Data->QInfra->SetSQL(QStringLiteral("select * from Infrastruktura where INF_INDEX=:p1"));
    Data->QInfra->BindArgs({infra});
    Data->QInfra->Open();
    const QString u = QString::number(user);
    const std::vector<DefaultCase> cases = {
        {"QUslugi", "USL_STAWKAVAT_TXT", "23%"},
        {"QUslugi", "USL_JEDNMIARY", "szt."},
        {"QUslugi", "USL_CENABRUTTO", "0"},
        {"QListaSieci", "SIEC_CZYAKTYWNA", "1"},
        {"QFormyPlatnosci", "FP_DATADODANIA", today()},
        {"QTaryfy", "TAR_DATADODANIA", today()},
        {"QWan", "WAN_DATADODANIA", today()},
        {"QUserFvPozycje", "UFV_ILOSC", "1"},
        {"QUserFvPozycje", "UFV_CZYAKTYWNA", "1"},
        {"QUserFvPozycje", "UFV_CZYJEDNORAZOWA", "0"},
        {"QUserFvPozycje", "UFV_JEDNMIARY", "szt."},
        {"QUserFvPozycje", "UFV_STAWKAVAT_TXT", "23%"},
        {"QUserFvPozycje", "UFV_INDEXUSER", u},
        {"QMac", "M_ILOSCPOLACZEN", "200"},
        {"QMac", "M_DATAPODLACZENIA", today()},
        {"QMac", "M_CZYZAWIESZONE", "0"},
        {"QMac", "M_BEZNAT", "0"},
        {"QMac", "M_INDEXUSER", u},
        {"QInfraNotatki", "IN_INDEXINFRA", QString::number(infra)},
        {"QInfraNotatki", "IN_DATADODANIA", today()},
        {"QMTRouter", "MIKROTIK_WERSJA", "6"},
        {"QMTRouter", "MIKROTIK_CZYAKTYWNY", "1"},
        {"QMTRouter", "MIKROTIK_WYSLIJPPPOE", "0"},
        {"QMTRouter", "MIKROTIK_KORPASMANOCTERMINOWI", "200"},
        {"QMTRouter", "MIKROTIK_BLOKOWANIUP", "16k"},
        {"QMTRouter", "MIKROTIK_BLOKOWANIDOWN", "32k"},
        {"QMTRouter", "MIKROTIK_TYPKOLEJKIGLOWNEJ", "sfq"},
        {"QIntruxRouter", "INTRUX_WERSJA", "10"},
        {"QIntruxRouter", "INTRUX_BLOKOWANIUP", "16"},
        {"QIntruxRouter", "INTRUX_BLOKOWANIDOWN", "32"},
        {"QIntruxRouter", "INTRUX_CZYPLIKMONITORINGU", "1"},
        {"QIntruxRouter", "INTRUX_CZYOGRANICZAWARYJ", "0"},
    };
    for (const DefaultCase& c : cases) {
        SCOPED_TRACE(std::string(c.dataset) + "." + c.field);
        TQuery* q = Data->DatasetByName(QLatin1String(c.dataset));
        q->RequestLive = true;
        q->Open();
        q->Insert();
        ASSERT_EQ(q->State(), dsInsert);
        EXPECT_EQ(q->FieldByName(QLatin1String(c.field))->AsString(), c.expected);
        q->Cancel();
        q->Close();
    }

    // A new template is saved at once as an SMS template and is the current row.
    TQuery* sz = Data->QSzablony.get();
    S()->ExecQuery(QStringLiteral("insert into Szablony set SZ_RODZAJ='E', SZ_NAZWA='Zzz'"));
    sz->Open();
    sz->Insert();
    EXPECT_EQ(sz->State(), dsBrowse);
    EXPECT_EQ(sz->FieldByName(QStringLiteral("SZ_RODZAJ"))->AsString(), QStringLiteral("S"));
    EXPECT_EQ(sz->FieldByName(QStringLiteral("SZ_NAZWA"))->AsString(), QString());
    EXPECT_EQ(value(QStringLiteral("select count(*) from Szablony")), QStringLiteral("2"));
}

struct ServiceCase
{
    QString vatIn, vatSaved;
    QString discountIn, discountSaved;
    int onceIn, onceSaved;
};

TEST_F(SharedDatasetsTest, ServicesKeepOnlyValidVatTextsAndClampTheirNumbers)
{
    SetVatRateTexts(QDate(2025, 6, 1));
    const ServiceCase cases[] = {
        {"23%", "23%", "0", "0.00", 0, 0},
        {"8%", "8%", "12.5", "12.50", 1, 1},
        {"0%", "0%", "99.99", "99.99", 0, 0},
        {"5%", "5%", "150", "99.99", 2, 1}, // every group text counts, 5% too
        {"zw", "zw", "100", "99.99", -1, 0},
        {"np", "np", "-5", "0.00", 1, 1},
        {"22%", "", "5", "5.00", 0, 0},
        {"23", "", "0", "0.00", 0, 0},
        {"", "", "0", "0.00", 0, 0},
    };
    TQuery* q = Data->QUslugi.get();
    q->Open();
    int n = 0;
    for (const ServiceCase& c : cases) {
        SCOPED_TRACE(c.vatIn.toStdString());
        q->Insert();
        q->FieldByName(QStringLiteral("USL_NAZWAUSLUGI"))->SetAsString(QStringLiteral("Usługa %1").arg(++n));
        q->FieldByName(QStringLiteral("USL_STAWKAVAT_TXT"))->SetAsString(c.vatIn);
        q->FieldByName(QStringLiteral("USL_RABAT"))->SetAsString(c.discountIn);
        q->FieldByName(QStringLiteral("USL_CZYJEDNORAZOWA"))->SetAsInteger(c.onceIn);
        q->Post();
        auto row = S()->OpenQuery(
            QStringLiteral("select USL_STAWKAVAT_TXT, USL_RABAT, USL_CZYJEDNORAZOWA from Uslugi "
                           "where USL_NAZWAUSLUGI=:p1"),
            {QStringLiteral("Usługa %1").arg(n)});
        EXPECT_EQ(row->Fields(0)->AsString(), c.vatSaved);
        EXPECT_EQ(QString::fromLatin1(row->Fields(1)->AsBytes()), c.discountSaved);
        EXPECT_EQ(row->Fields(2)->AsInteger(), c.onceSaved);
    }
}

TEST_F(SharedDatasetsTest, InvoiceTemplateItemsFillEmptyQuantityAndDiscount)
{
    openSubscriber(addSubscriber());
    TQuery* q = Data->QUserFvPozycje.get();
    q->Open();
    q->Insert();
    q->FieldByName(QStringLiteral("UFV_ILOSC"))->Clear();
    q->FieldByName(QStringLiteral("UFV_RABAT"))->SetAsString(QString());
    q->Post();
    auto row =
        S()->OpenQuery(QStringLiteral("select UFV_ILOSC, UFV_RABAT, UFV_OPERATORID from UserFvPozycje"));
    EXPECT_EQ(row->Fields(0)->AsFloat(), 0.0);
    EXPECT_EQ(row->Fields(1)->AsFloat(), 0.0);
    EXPECT_EQ(row->Fields(2)->AsInteger(), 7);
}

struct DeviceCase
{
    const char* name;
    QString ip, mac, mac2, downNightText;
    std::vector<std::pair<const char*, QString>> settings; // global settings before the post
    int octets[4];
    QString macSaved, mac2Saved, downNightSaved;
    QStringList warnings;
};

TEST_F(SharedDatasetsTest, DeviceRuleSplitsFormatsAndWarnsButAlwaysSaves)
{
    const DeviceCase cases[] = {
        {"valid",
         "10.1.2.3",
         "AABBCCDDEEFF",
         "",
         "512k",
         {},
         {10, 1, 2, 3},
         "aa:bb:cc:dd:ee:ff",
         "",
         "524288",
         {}},
        {"octet above 255", "10.0.0.300", "", "", "10M", {}, {10, 0, 0, 0}, "", "", "10485760", {kBadIp}},
        {"upper case and dash",
         "192.168.1.20:8080",
         "aa.bb.cc.dd.ee.01",
         "0011.2233.4455",
         "2048",
         {{"LiteryMAC", "1"}, {"SeparatorMAC", "-"}},
         {192, 168, 1, 0}, // the port's digits join the last octet
         "AA-BB-CC-DD-EE-01",
         "00-11-22-33-44-55",
         "2048",
         {}},
        {"dotted groups",
         "10.0.0.1",
         "a1b2c3d4e5f6",
         "",
         "",
         {{"SeparatorMAC", "."}},
         {10, 0, 0, 1},
         "a1b2.c3d4.e5f6",
         "",
         "",
         {}},
        {"bad addresses warned",
         "10.0.0",
         "AABBCC",
         "XYZ",
         "1M",
         {},
         {10, 0, 0, 0},
         "AABBCC",
         "XYZ",
         "1048576",
         {kBadIp, kBadMac, kBadMac2}},
        {"format off, checks off",
         "abc",
         "AABBCCDDEEFF",
         "",
         "",
         {{"FormatujMAC", "0"}, {"WeryfikujMACiIP", "0"}},
         {0, 0, 0, 0},
         "AABBCCDDEEFF",
         "",
         "",
         {}},
    };
    const int user = addSubscriber();
    openSubscriber(user);
    TQuery* q = Data->QMac.get();
    q->SetMasterSource(Data->QUserdb.get());
    q->Open();
    for (const DeviceCase& c : cases) {
        SCOPED_TRACE(c.name);
        S()->ExecQuery(QStringLiteral("delete from INI"));
        for (const auto& [key, v] : c.settings)
            WriteIniString(0, QLatin1String(key), v);
        TMD::ClearRecorded();
        q->Insert();
        q->FieldByName(QStringLiteral("M_IP"))->SetAsString(c.ip);
        q->FieldByName(QStringLiteral("M_MAC"))->SetAsString(c.mac);
        q->FieldByName(QStringLiteral("M_MAC2"))->SetAsString(c.mac2);
        q->FieldByName(QStringLiteral("M_PASMODOWNLOADNOCTXT"))->SetAsString(c.downNightText);
        q->Post();
        EXPECT_EQ(shown(), c.warnings);
        auto row =
            S()->OpenQuery(QStringLiteral("select M_IP1, M_IP2, M_IP3, M_IP4, M_MAC, M_MAC2, "
                                          "M_PASMODOWNLOADNOC, M_OPERATORID from Mac where M_INDEX=:p1"),
                           {q->FieldByName(QStringLiteral("M_INDEX"))->AsInteger()});
        ASSERT_FALSE(row->IsEmpty()) << "the device was not saved";
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(row->Fields(i)->AsInteger(), c.octets[i]) << "octet " << i + 1;
        EXPECT_EQ(row->Fields(4)->AsString(), c.macSaved);
        EXPECT_EQ(row->Fields(5)->AsString(), c.mac2Saved);
        EXPECT_EQ(row->Fields(6)->AsInteger(), c.downNightSaved.toInt());
        EXPECT_EQ(row->Fields(7)->AsInteger(), 7);
        // The duplicate check of this device's own row finds nothing of itself.
        S()->ExecQuery(QStringLiteral("delete from Mac"));
    }
}

TEST_F(SharedDatasetsTest, InfrastructureDevicesFollowTheSameRule)
{
    TQuery* q = Data->QInfra.get();
    q->SetSQL(QStringLiteral("select * from Infrastruktura where 1=2"));
    q->RequestLive = true;
    q->Open();
    q->Insert();
    EXPECT_EQ(q->FieldByName(QStringLiteral("INF_DATADODANIADOBAZY"))->AsString(), today());
    q->FieldByName(QStringLiteral("INF_IP"))->SetAsString(QStringLiteral("10.9.8.7"));
    q->FieldByName(QStringLiteral("INF_MAC"))->SetAsString(QStringLiteral("00:11:22:33:44:5G"));
    q->FieldByName(QStringLiteral("INF_PASMOUPLOADDZIENTXT"))->SetAsString(QStringLiteral("1M"));
    q->Post();
    EXPECT_EQ(shown(), QStringList{kBadMac});
    auto row = S()->OpenQuery(
        QStringLiteral("select INF_IP4, INF_PASMOUPLOADDZIEN, INF_OPERATORID from Infrastruktura"));
    EXPECT_EQ(row->Fields(0)->AsInteger(), 7);
    EXPECT_EQ(row->Fields(1)->AsInteger(), 1048576);
    EXPECT_EQ(row->Fields(2)->AsInteger(), 7);
}

struct DuplicateCase
{
    const char* name;
    QString ip, mac, mac2;
    QStringList warnings;
};

TEST_F(SharedDatasetsTest, DuplicateAddressesAreWarnedAfterTheRowIsSaved)
{
    const int user = addSubscriber();
    S()->ExecQuery(
        QStringLiteral("insert into Mac set M_INDEXUSER=:p1, M_IP='10.0.0.5', M_MAC='aa:aa:aa:aa:aa:01', "
                       "M_MAC2='aa:aa:aa:aa:aa:02'"),
        {user});
    S()->ExecQuery(QStringLiteral("insert into Infrastruktura set INF_NAZWA='AP', INF_IP='10.0.0.9', "
                                  "INF_MAC='bb:bb:bb:bb:bb:01', INF_MAC2='bb:bb:bb:bb:bb:02'"));
    const DuplicateCase cases[] = {
        {"all new", "10.0.0.50", "cc:cc:cc:cc:cc:01", "cc:cc:cc:cc:cc:02", {}},
        {"IP of another device", "10.0.0.5", "", "", {kDupIp}},
        {"IP of an infrastructure device", "10.0.0.9", "", "", {kDupIp}},
        {"MAC equal to another device's additional MAC", "10.0.0.51", "aa:aa:aa:aa:aa:02", "", {kDupMac}},
        {"MAC of an infrastructure device", "10.0.0.52", "bb:bb:bb:bb:bb:02", "", {kDupMac}},
        {"additional MAC taken", "10.0.0.53", "", "aa:aa:aa:aa:aa:01", {kDupMac2}},
        {"invalid IP is not looked up", "10.0.5", "", "", {kBadIp}},
    };
    openSubscriber(user);
    TQuery* q = Data->QMac.get();
    q->SetMasterSource(Data->QUserdb.get());
    q->Open();
    for (const DuplicateCase& c : cases) {
        SCOPED_TRACE(c.name);
        TMD::ClearRecorded();
        q->Insert();
        q->FieldByName(QStringLiteral("M_IP"))->SetAsString(c.ip);
        q->FieldByName(QStringLiteral("M_MAC"))->SetAsString(c.mac);
        q->FieldByName(QStringLiteral("M_MAC2"))->SetAsString(c.mac2);
        q->Post();
        EXPECT_EQ(shown(), c.warnings);
        const int id = q->FieldByName(QStringLiteral("M_INDEX"))->AsInteger();
        EXPECT_EQ(value(QStringLiteral("select M_IP from Mac where M_INDEX=:p1"), {id}), c.ip)
            << "row not kept";
        // Saving the same row again warns only about the others, never itself.
        TMD::ClearRecorded();
        q->Edit();
        q->FieldByName(QStringLiteral("M_UWAGI"))->SetAsString(QStringLiteral("again"));
        q->Post();
        EXPECT_EQ(shown(), c.warnings);
        S()->ExecQuery(QStringLiteral("delete from Mac where M_INDEX=:p1"), {id});
    }
}

TEST_F(SharedDatasetsTest, InfrastructureDuplicatesAreCountedNotAlwaysFound)
{
    S()->ExecQuery(QStringLiteral("insert into Infrastruktura set INF_NAZWA='AP', INF_IP='10.0.0.9', "
                                  "INF_MAC='bb:bb:bb:bb:bb:01'"));
    const DuplicateCase cases[] = {
        {"unique device", "10.0.0.10", "bb:bb:bb:bb:bb:10", "", {}},
        {"IP taken", "10.0.0.9", "", "", {kDupIp}},
        {"MAC taken", "10.0.0.11", "bb:bb:bb:bb:bb:01", "", {kDupMac}},
    };
    TQuery* q = Data->QInfra.get();
    q->SetSQL(QStringLiteral("select * from Infrastruktura where 1=2"));
    q->RequestLive = true;
    q->Open();
    Data->QInfraLookup->Open();
    for (const DuplicateCase& c : cases) {
        SCOPED_TRACE(c.name);
        TMD::ClearRecorded();
        q->Insert();
        q->FieldByName(QStringLiteral("INF_NAZWA"))->SetAsString(QLatin1String(c.name));
        q->FieldByName(QStringLiteral("INF_IP"))->SetAsString(c.ip);
        q->FieldByName(QStringLiteral("INF_MAC"))->SetAsString(c.mac);
        q->Post();
        EXPECT_EQ(shown(), c.warnings);
        EXPECT_TRUE(
            Data->QInfraLookup->Locate(QStringLiteral("INF_NAZWA"), TArg(QString::fromLatin1(c.name))))
            << "the lookup list was not refreshed";
        S()->ExecQuery(QStringLiteral("delete from Infrastruktura where INF_NAZWA=:p1"),
                       {QString::fromLatin1(c.name)});
    }
}

struct SortCase
{
    std::array<QString, 5> fields;
    int order;
    QString orderPart;
};

TEST_F(SharedDatasetsTest, DeviceListSqlFollowsTheCardSort)
{
    const QString head = QStringLiteral("select * from Mac \r\n WHERE M_INDEXUSER=:U_INDEX  \r\n");
    const SortCase cases[] = {
        {{"M_IP1", "M_IP2"}, 0, ""},
        {{"M_IP1", "", "M_MAC"}, 1, " order by M_IP1 ASC, M_MAC ASC"},
        {{"M_DATAPODLACZENIA"}, 2, " order by M_DATAPODLACZENIA DESC"},
        {{}, 1, ""},
        {{"M_IP1; drop table Mac", "M_MAC"}, 1, " order by M_MAC ASC"},
    };
    for (const SortCase& c : cases)
        EXPECT_EQ(CardDeviceSql(c.fields, c.order), head + c.orderPart);
}

TEST_F(SharedDatasetsTest, DeviceListOpensInTheCardOrderWithItsSubscriber)
{
    const int user = addSubscriber(), other = addSubscriber(QStringLiteral("Nowak"));
    for (const char* ip : {"10.0.0.2", "10.0.0.10", "10.0.0.1"})
        S()->ExecQuery(QStringLiteral("insert into Mac set M_INDEXUSER=:p1, M_IP=:p2, M_IP4=:p3"),
                       {user, ip, QString::fromLatin1(ip).section(QLatin1Char('.'), 3).toInt()});
    S()->ExecQuery(QStringLiteral("insert into Mac set M_INDEXUSER=:p1, M_IP='10.0.0.3'"), {other});
    TQuery* q = Data->QMac.get();
    q->ParamByName(QStringLiteral("U_INDEX"))->Assign(user);
    CardDeviceSortFields = {QStringLiteral("M_IP4")};
    CardDeviceSortOrder = 2;
    q->Open();
    QStringList ips;
    for (q->First(); !q->Eof(); q->Next())
        ips << q->FieldByName(QStringLiteral("M_IP"))->AsString();
    EXPECT_EQ(ips, (QStringList{"10.0.0.10", "10.0.0.2", "10.0.0.1"}));
    EXPECT_FALSE(q->SQLText().contains(QLatin1String("M_IP1")));
}

TEST_F(SharedDatasetsTest, DetailsFollowTheirMasters)
{
    const int user = addSubscriber();
    for (int n : {1, 2}) {
        S()->ExecQuery(QStringLiteral("insert into Fv set FV_INDEXUSER=:p1, FV_NUMER=:p2"), {user, n});
        const int fv = int(S()->LastInsertId());
        for (int i = 0; i < n; ++i)
            S()->ExecQuery(
                QStringLiteral("insert into FvPozycje set FVP_INDEXFAKTURA=:p1, FVP_NAZWAUSLUGI='x'"), {fv});
    }
    openSubscriber(user);
    Data->QFv->SetMasterSource(Data->QUserdb.get());
    Data->QFv->Open();
    Data->QFvPozycje->Open();
    ASSERT_EQ(Data->QFv->RecordCount(), 2);
    EXPECT_EQ(Data->QFvPozycje->RecordCount(), 2); // FV_NUMER 2 first
    Data->QFv->Next();
    EXPECT_EQ(Data->QFvPozycje->RecordCount(), 1);
}

struct OverdueCase
{
    int dueDaysAgo;
    const char* left;
    QVariant expected;
};

TEST_F(SharedDatasetsTest, DaysOverdueOnlyForUnsettledDocumentsPastTheirDueDate)
{
    const QDate now = QDate::currentDate();
    const OverdueCase cases[] = {
        {1, "10.00", 1},          {30, "0.01", 30},          {1, "0", QVariant()},
        {0, "10.00", QVariant()}, {-3, "10.00", QVariant()}, {5, "-2.00", QVariant()},
    };
    for (const OverdueCase& c : cases) {
        Amount4 left;
        ASSERT_TRUE(Amount4::tryParse(QLatin1String(c.left), left));
        EXPECT_EQ(ZalegloscDni(now.addDays(-c.dueDaysAgo), left, now), c.expected)
            << c.dueDaysAgo << " days, " << c.left;
    }
    // The same through the datasets: an invoice due yesterday with 10.00 left, a settled one.
    const int user = addSubscriber();
    const QString yesterday = now.addDays(-1).toString(QStringLiteral("yyyy-MM-dd"));
    S()->ExecQuery(QStringLiteral("insert into Fv set FV_INDEXUSER=:p1, FV_NUMER=1, FV_DATAPLATNOSCI=:p2, "
                                  "FV_KWOTADOROZLICZENIA=10"),
                   {user, yesterday});
    S()->ExecQuery(QStringLiteral("insert into Fv set FV_INDEXUSER=:p1, FV_NUMER=2, FV_DATAPLATNOSCI=:p2, "
                                  "FV_KWOTADOROZLICZENIA=0"),
                   {user, yesterday});
    TQuery* fv = Data->QFv.get();
    fv->ParamByName(QStringLiteral("U_INDEX"))->Assign(user);
    fv->Open();
    EXPECT_EQ(CalcFieldNames(*fv), QStringList{"FV_ZalegloscDni"});
    ASSERT_TRUE(fv->Locate(QStringLiteral("FV_NUMER"), TArg(1)));
    EXPECT_EQ(CalcFieldValue(*fv, fv->RecNo() - 1, QStringLiteral("FV_ZalegloscDni")), QVariant(1));
    ASSERT_TRUE(fv->Locate(QStringLiteral("FV_NUMER"), TArg(2)));
    EXPECT_FALSE(CalcFieldValue(*fv, fv->RecNo() - 1, QStringLiteral("FV_ZalegloscDni")).isValid());
}

TEST_F(SharedDatasetsTest, CalculatedTextsAndLookups)
{
    EXPECT_EQ(WezelAdres("Długa", "5", "", "00-950", "Warszawa"), QStringLiteral("Długa 5  00-950 Warszawa"));
    EXPECT_EQ(WezelAdres("Długa", "5", "12", "00-950", "Warszawa"),
              QStringLiteral("Długa 5/12  00-950 Warszawa"));

    const int user = addSubscriber();
    S()->ExecQuery(
        QStringLiteral("insert into UserFvPozycje set UFV_INDEXUSER=:p1, UFV_WARTOSCBRUTTO=100.10, "
                       "UFV_KOSZTBRUTTO=40.05"),
        {user});
    TQuery* items = Data->QUserFvPozycje.get();
    items->ParamByName(QStringLiteral("U_INDEX"))->Assign(user);
    items->Open();
    EXPECT_DOUBLE_EQ(CalcFieldValue(*items, 0, QStringLiteral("UFV_Zarobek")).toDouble(), 60.05);

    Data->QOperatorLookup->Open();
    EXPECT_EQ(CalcFieldValue(*Data->QOperatorLookup, 0, QStringLiteral("OP_NazwiskoImie")).toString(),
              QStringLiteral("Administrator "));

    S()->ExecQuery(
        QStringLiteral("insert into Wezly set W_TYPREKORDU='PE', W_IDENTYFIKATOR='W1', W_ADR_ULICA='Polna', "
                       "W_ADR_NRDOMU='1', W_ADR_KOD='10-100', W_ADR_MIEJSCOWOSC='Olsztyn'"));
    Data->QWezly->Open();
    EXPECT_EQ(CalcFieldValue(*Data->QWezly, 0, QStringLiteral("W_ADR_Adres")).toString(),
              QStringLiteral("Polna 1  10-100 Olsztyn"));

    // The device list shows names from the four lookup lists.
    S()->ExecQuery(QStringLiteral("insert into Infrastruktura set INF_NAZWA='Maszt 3'"));
    const int infra = int(S()->LastInsertId());
    const int tu = S()->GetQueryValueAsInteger(
        QStringLiteral("select TU_INDEX from TypUrzadzenia where TU_NAZWA='ONT'"));
    S()->ExecQuery(QStringLiteral("insert into Mac set M_INDEXUSER=:p1, M_INDEXTYPURZADZENIA=:p2, "
                                  "M_INDEXMIEJSCEPODLACZENIA=:p3, M_INDEXTYPLACZA=999"),
                   {user, tu, infra});
    for (TQuery* q : {Data->QTypUrzadzenia.get(), Data->QTypLacza.get(), Data->QRodzajUrzadzenia.get(),
                      Data->QInfraLookup.get()})
        q->Open();
    TQuery* mac = Data->QMac.get();
    mac->ParamByName(QStringLiteral("U_INDEX"))->Assign(user);
    mac->Open();
    EXPECT_EQ(CalcFieldValue(*mac, 0, QStringLiteral("M_TypUrzadzenia")).toString(), QStringLiteral("ONT"));
    EXPECT_EQ(CalcFieldValue(*mac, 0, QStringLiteral("M_MiejscePodlaczenia")).toString(),
              QStringLiteral("Maszt 3"));
    EXPECT_FALSE(CalcFieldValue(*mac, 0, QStringLiteral("M_TypLacza")).isValid());
}

TEST_F(SharedDatasetsTest, PostsRefreshAndTellTheMainWindow)
{
    int userGroups = 0, infraGroups = 0, statusBar = 0;
    Data->UserGroupsChanged = [&] { ++userGroups; };
    Data->InfraGroupsChanged = [&] { ++infraGroups; };
    Data->UpdateStatusBar = [&] { ++statusBar; };

    TQuery* g = Data->QGrupy.get();
    g->Open();
    g->Insert();
    g->FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("Blok A"));
    g->Post();
    EXPECT_EQ(userGroups, 1);
    EXPECT_EQ(g->FieldByName(QStringLiteral("GR_NAZWA"))->AsString(), QStringLiteral("Blok A"));
    g->Delete();
    EXPECT_EQ(userGroups, 2);
    TQuery* gi = Data->QGrupyInf.get();
    gi->Open();
    gi->Insert();
    gi->FieldByName(QStringLiteral("GRI_NAZWA"))->SetAsString(QStringLiteral("Maszty"));
    gi->Post();
    EXPECT_EQ(infraGroups, 1);

    // The refresh re-reads what the server made of the row and stays on it.
    TQuery* fp = Data->QFormyPlatnosci.get();
    fp->Open();
    ASSERT_TRUE(fp->Locate(QStringLiteral("FP_NAZWA"), TArg("przelew")));
    fp->Edit();
    fp->FieldByName(QStringLiteral("FP_NAZWA"))->SetAsString(QStringLiteral("aaa przelew"));
    fp->Post();
    EXPECT_EQ(fp->RecNo(), 1);
    EXPECT_EQ(fp->FieldByName(QStringLiteral("FP_NAZWA"))->AsString(), QStringLiteral("aaa przelew"));

    Data->QUserdb->SetSQL(QStringLiteral("select * from vUserdb where 1=2"));
    Data->QUserdb->Open();
    Data->QInfra->Open();
    EXPECT_EQ(statusBar, 2);
}

TEST_F(SharedDatasetsTest, OperatorEditsAreLogged)
{
    TQuery* q = Data->QOperator.get();
    q->Open();
    q->Edit();
    q->FieldByName(QStringLiteral("OP_OPIS"))->SetAsString(QStringLiteral("nowy opis"));
    q->Post();
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Log where LOG_OPIS like :p1"),
                                          {"%Edycja danych Operatora%"}),
              1);
    EXPECT_EQ(q->FieldByName(QStringLiteral("OP_OPERATORID"))->AsInteger(), 7);
}
