#pragma once
// A database with the upgraded schema, the data module and a private folder
// of its own, plus row helpers for routers, subscribers and their devices.
#include "core/DedicatedSession.h"
#include "tests/support/TestDb.h"

#include <QTemporaryDir>
#include <memory>
#include <utility>
#include <vector>

class TData;

using TColumns = std::vector<std::pair<QString, TArg>>;

class MikrotikDbTest : public DbTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Inserts one row (the columns named, the rest take their defaults) and returns its key.
    int Insert(const QString& table, const TColumns& columns);
    // A router at 127.0.0.1 with the FTP account and port given.
    int AddRouter(const QString& name, int port, const TColumns& extra = {},
                  const QString& login = QStringLiteral("admin"),
                  const QString& password = QStringLiteral("tajne"));
    // An active subscriber (activated 2020-01-01, never deactivated).
    int AddSubscriber(const TColumns& extra = {});
    // A connected device flagged for MikroTik on the router.
    int AddDevice(int subscriber, int router, const QString& ip, const QString& mac,
                  const TColumns& extra = {});
    // Re-reads the shared router dataset and points it at the router.
    void SelectRouter(int router);

    std::unique_ptr<TData> m_data;
    QTemporaryDir m_private;
};
