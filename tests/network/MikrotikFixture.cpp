#include "tests/network/MikrotikFixture.h"

#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/SchemaUpgrade.h"
#include "core/Session.h"

void MikrotikDbTest::SetUp()
{
    DbTest::SetUp();
    LoadUpgradedSchema();
    ASSERT_FALSE(HasFatalFailure());
    m_data = std::make_unique<TData>();
    Data = m_data.get();
    OperatorId = 7;
    PrivateFolder = m_private.path() + QLatin1Char('/');
    TMD::SetTestHook([](const TMD::Shown&) { return mrOk; });
    TMD::ClearRecorded();
    // The upgrade asks for two rebuilding sends; these tests start after them.
    WriteIniInteger(0, QStringLiteral("MikroTikPrzebudowa_4_23"), 0);
}

void MikrotikDbTest::TearDown()
{
    m_data.reset();
    Data = nullptr;
    OperatorId = 0;
    PrivateFolder.clear();
    TMD::ClearTestHook();
    DbTest::TearDown();
}

int MikrotikDbTest::Insert(const QString& table, const TColumns& columns)
{
    QStringList names, marks;
    TArgs args;
    for (const auto& [name, value] : columns) {
        names << name;
        marks << QStringLiteral(":p%1").arg(marks.size() + 1);
        args.push_back(value);
    }
    return int(S()->ExecQuery(QStringLiteral("insert into ") + table + QStringLiteral(" (") +
                                  names.join(',') + QStringLiteral(") values (") + marks.join(',') +
                                  QStringLiteral(")"),
                              args)
                   .InsertId);
}

namespace {

TColumns merged(TColumns base, const TColumns& extra)
{
    for (const auto& e : extra) {
        bool replaced = false;
        for (auto& b : base)
            if (b.first == e.first) {
                b.second = e.second;
                replaced = true;
            }
        if (!replaced) base.push_back(e);
    }
    return base;
}

} // namespace

int MikrotikDbTest::AddRouter(const QString& name, int port, const TColumns& extra, const QString& login,
                              const QString& password)
{
    return Insert(QStringLiteral("MTRouter"),
                  merged({{QStringLiteral("MIKROTIK_NAZWA"), name},
                          {QStringLiteral("MIKROTIK_IP"), QStringLiteral("127.0.0.1")},
                          {QStringLiteral("MIKROTIK_PORT"), QString::number(port)},
                          {QStringLiteral("MIKROTIK_LOGIN"), login},
                          {QStringLiteral("MIKROTIK_HASLO"), password},
                          {QStringLiteral("MIKROTIK_KORPASMAUP"), 100},
                          {QStringLiteral("MIKROTIK_KORPASMADOWN"), 100},
                          {QStringLiteral("MIKROTIK_KORPASMANOCTERMINOWI"), 100},
                          {QStringLiteral("MIKROTIK_SKRYPTADD"), QString()}},
                         extra));
}

int MikrotikDbTest::AddSubscriber(const TColumns& extra)
{
    return Insert(QStringLiteral("Userdb"),
                  merged({{QStringLiteral("U_NAZWISKO"), QStringLiteral("Abonent")},
                          {QStringLiteral("U_DATAAKTYWACJI"), QStringLiteral("2020-01-01")},
                          {QStringLiteral("U_DATADEAKTYWACJI"), QStringLiteral("0000-00-00")}},
                         extra));
}

int MikrotikDbTest::AddDevice(int subscriber, int router, const QString& ip, const QString& mac,
                              const TColumns& extra)
{
    return Insert(QStringLiteral("Mac"),
                  merged({{QStringLiteral("M_INDEXUSER"), subscriber},
                          {QStringLiteral("M_INDEXMT"), router},
                          {QStringLiteral("M_IP"), ip},
                          {QStringLiteral("M_MAC"), mac},
                          {QStringLiteral("M_CZYDODACDOMT"), 1},
                          {QStringLiteral("M_DATAPODLACZENIA"), QStringLiteral("2020-01-01")}},
                         extra));
}

void MikrotikDbTest::SelectRouter(int router)
{
    TQuery* q = Data->QMTRouter.get();
    if (q->Active()) q->Close();
    q->Open();
    q->Locate(QStringLiteral("MIKROTIK_INDEX"), router);
}
