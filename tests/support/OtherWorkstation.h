#pragma once
// A second connection to a test's database, as another workstation has.
#include "tests/support/TestDb.h"

#include <memory>

struct TOtherWorkstation
{
    explicit TOtherWorkstation(const QString& name, const QString& database)
        : db(name, TestServerParams(database))
    {
        db.Open();
        TDatabase::Register(&db);
        session.reset(TDedicatedSession::CreateOnDatabase(name));
    }
    ~TOtherWorkstation()
    {
        if (session->InTransaction()) session->Rollback();
        session.reset();
        TDatabase::Unregister(&db);
    }
    TDatabase db;
    std::unique_ptr<TDedicatedSession> session;
};
