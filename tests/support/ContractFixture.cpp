#include "tests/support/ContractFixture.h"

#include "billing/SaldoBazy.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Podmioty.h"
#include "tests/support/DeskSession.h"
#include "tests/support/RtfSupport.h"

#include <QDialog>
#include <QTimer>

void ContractDbTest::SetUp()
{
    DbTest::SetUp();
    if (HasFatalFailure()) return;
    LoadUpgradedSchema();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(m_dir.isValid());
    PrepareDesk(m_dir.path());
    TMD::SetTestHook([this](const TMD::Shown&) { return m_answer; });
    m_session.emplace(AdminSignedIn(), DeskFolders(m_dir.path()));
    CurrentPodmiotId = 0;
}

void ContractDbTest::TearDown()
{
    EXPECT_TRUE(TSaldoBazy::WaitAll(20000));
    EXPECT_FALSE(S() && S()->InTransaction()) << "a transaction was left open";
    LeaveDesk();
    m_session.reset();
    DbTest::TearDown();
}

int ContractDbTest::AddSubscriber(const QString& surname, const QString& name, int customerNumber,
                                  int podmiot, const QString& email)
{
    return InsertRow(S(), "Userdb",
                     {{"U_NAZWISKO", surname},
                      {"U_IMIE", name},
                      {"U_NRKLIENTA", customerNumber},
                      {"U_PODMIOT", podmiot},
                      {"U_EMAIL", email},
                      {"U_ADR_ULICA", "Piotrkowska"},
                      {"U_ADR_NRDOMU", "12"},
                      {"U_ADR_KOD", "90-001"},
                      {"U_ADR_MIEJSCOWOSC", "Łódź"},
                      {"U_ADR_POCZTA", "Łódź"},
                      {"U_PESEL", "80010112345"},
                      {"U_NRDOWODU", "ABC123456"}});
}

void ContractDbTest::AddPodmiot(int index, const QString& shortName)
{
    S()->ExecQuery(
        QStringLiteral("insert into Podmioty (P_INDEX, P_SKROT, P_CZYAKTYWNY) values (:p1, :p2, 1)"),
        {index, shortName});
}

int ContractDbTest::AddTemplate(const QString& name)
{
    return InsertRow(S(), "Szablony",
                     {{"SZ_RODZAJ", "U"},
                      {"SZ_NAZWA", name},
                      {"SZ_TEMAT", "Umowa o świadczenie usług"},
                      {"SZ_TRESC", QString::fromLatin1(ReadRtfData(QStringLiteral("umowa_szablon.rtf")))},
                      {"SZ_TRESC2", ""}});
}

int ContractDbTest::AddDocument(int user, int number, const QString& numberText, const QDate& concluded,
                                int kind, int templ, int podmiot)
{
    return InsertRow(S(), "Umowy",
                     {{"UM_INDEXUSER", user},
                      {"UM_NUMER", number},
                      {"UM_NUMERTXT", numberText},
                      {"UM_DATAZAWARCIA", concluded.toString(Qt::ISODate)},
                      {"UM_DATASTART", concluded.toString(Qt::ISODate)},
                      {"UM_CZYANEKS", kind},
                      {"UM_INDEXSZABLON", templ},
                      {"UM_PODMIOT", podmiot}});
}

void ContractDbTest::SetGlobal(const QString& key, const QString& value)
{
    WriteIniString(0, key, value);
}

QStringList ContractDbTest::Messages() const
{
    QStringList out;
    for (const TMD::Shown& s : TMD::Recorded())
        out << s.text;
    return out;
}

bool ContractDbTest::InModal(QWidget* form, const std::function<bool()>& open,
                             const std::function<void()>& steps)
{
    QTimer::singleShot(0, form, [form, steps] {
        EXPECT_TRUE(form->isVisible());
        steps();
        if (form->isVisible())
            QTimer::singleShot(0, form, [form] {
                if (auto* d = qobject_cast<QDialog*>(form)) d->reject();
            });
    });
    return open();
}
