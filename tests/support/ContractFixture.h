#pragma once
// Contract and service-order tests: an upgraded database, the administrator
// signed in at a desk whose message boxes answer as the test says, and the
// rows those tests start from (subscribers, companies, the contract template
// of tests/data/rtf, documents and orders as the editors leave them).
#include "core/Session.h"
#include "tests/support/RowInsert.h"
#include "tests/support/TestDb.h"

#include <QDate>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>

class ContractDbTest : public DbTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A subscriber of company Podmiot; returns U_INDEX.
    int AddSubscriber(const QString& surname, const QString& name, int customerNumber, int podmiot = 1,
                      const QString& email = {});
    void AddPodmiot(int index, const QString& shortName);
    // The contract template "umowa_szablon.rtf" as kind 'U'; returns SZ_INDEX.
    int AddTemplate(const QString& name = QStringLiteral("Umowa standard"));
    // A document row as the editor leaves it; returns UM_INDEX.
    int AddDocument(int user, int number, const QString& numberText, const QDate& concluded, int kind = 0,
                    int templ = 0, int podmiot = 1);
    void SetGlobal(const QString& key, const QString& value);
    QStringList Messages() const;
    // Runs Steps once the modal window Form is shown (the steps close it; whatever
    // they leave open is cancelled), around Open.
    static bool InModal(QWidget* form, const std::function<bool()>& open, const std::function<void()>& steps);

    QTemporaryDir m_dir;
    std::optional<TScopedSession> m_session;
    int m_answer = 0; // the message boxes' answer (0: their default button)
};
