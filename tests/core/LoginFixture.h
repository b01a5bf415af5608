#pragma once
// A database with the base schema, a data module whose operator dataset is
// open, a program folder of its own, a fixed adapter address and the message
// box answered by the test.
#include "core/DataModule.h"
#include "core/DialogPL.h"
#include "core/Operatorzy.h"
#include "core/ProgramExit.h"
#include "core/Query.h"
#include "core/Session.h"
#include "platform/NetworkAdapter.h"
#include "tests/support/TestDb.h"

#include <QTemporaryDir>

class LoginFixture : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        LoadSchema();
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolder(m_dir.path());
        SetAdapterSource([] {
            return std::vector<TAdapterInfo>{{QStringLiteral("00:1a:2b:3c:4d:5e"), true, false}};
        });
        TMD::SetTestHook([this](const TMD::Shown&) { return m_answer; });
        TMD::ClearRecorded();
        resetSession();
        Data = new TData();
        if (!Data->QOperator) {
            Data->QOperator = std::make_unique<TQuery>();
            Data->QOperator->SetSQL(QStringLiteral("select * from Operator order by OP_LOGIN"));
        }
        Data->QOperator->RequestLive = true;
        Data->QOperator->Open();
        Data->StartupDone = true;
    }
    void TearDown() override
    {
        delete Data;
        Data = nullptr;
        TMD::ClearTestHook();
        TMD::ClearRecorded();
        SetProgramTerminator(nullptr);
        SetAdapterSource({});
        SetProgramFolder(QString());
        resetSession();
        DbTest::TearDown();
    }
    static void resetSession()
    {
        OperatorId = 0;
        OperatorLogin.clear();
        OperatorRightsLevel = 1;
        OperatorStatsAllowed = false;
        LoginSucceeded = false;
        ServiceSession = false;
        DefaultPasswordInUse = false;
        LoginAbandoned = false;
        LoginDialogLogin.clear();
    }
    int addOperator(const QString& login, const QString& password, const QString& active, int level)
    {
        S()->ExecQuery(
            QStringLiteral("insert into Operator set OP_LOGIN=:p1, OP_HASLO=:p2, OP_AKTYWNY=:p3, "
                           "OP_POZIOMUPRAWNIEN=:p4, OP_NAZWISKO=:p5, OP_CZYSTATYSTYKI=0"),
            {login, OperatorPasswordHash(password, login), active, level, QStringLiteral("Kowalski")});
        const int id = int(S()->LastInsertId());
        RefreshQuery(Data->QOperator.get(), QStringLiteral("OP_INDEX"));
        return id;
    }
    QString newestLog()
    {
        return S()->GetQueryValueAsString(
            QStringLiteral("select LOG_OPIS from Log order by LOG_INDEX desc limit 1"));
    }
    int logCount() { return S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Log")); }
    QStringList shownTexts() const
    {
        QStringList out;
        for (const TMD::Shown& s : TMD::Recorded())
            out << s.text;
        return out;
    }
    QString operatorValue(int id, const char* column)
    {
        return S()->GetQueryValueAsString(
            QStringLiteral("select %1 from Operator where OP_INDEX=:p1").arg(QLatin1String(column)), {id});
    }

    QTemporaryDir m_dir;
    int m_answer = mrOk;
};
