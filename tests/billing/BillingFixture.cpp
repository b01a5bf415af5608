#include "tests/billing/BillingFixture.h"

#include "core/DbIni.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/SchemaUpgrade.h"
#include "core/Session.h"
#include "core/VatRates.h"

#include <QElapsedTimer>

Amount4 A(const char* text)
{
    Amount4 a;
    if (!Amount4::tryParse(QString::fromLatin1(text), a)) ADD_FAILURE() << "not an amount: " << text;
    return a;
}

void BillingTest::SetUp()
{
    DbTest::SetUp();
    if (HasFatalFailure()) return;
    SetProgramFolder(QStringLiteral(ORLIX_BIN_DIR));
    // The upgrade imports the TERYT script through the data source entry.
    ASSERT_TRUE(PointTestDataSource(DatabaseName(), m_odbcDir, m_savedOdbcIni));
    LoadSchema();
    if (HasFatalFailure()) return;
    UpgradeSchema(nullptr);
    OperatorId = 1;
    CurrentPodmiotId = 0;
    SetVatRateTexts(QDate::currentDate());
}

void BillingTest::TearDown()
{
    RestoreOdbcIni(m_savedOdbcIni);
    DbTest::TearDown();
}

int BillingTest::AddUser(int podmiot, int customerNumber)
{
    S()->ExecQuery(
        QStringLiteral("insert into Userdb (U_NRKLIENTA, U_NAZWISKO, U_IMIE, U_PODMIOT, "
                       "U_DATAWYKLUCZENIAZBLOKAD, U_MAXZALEGLOSC) values (:p1, :p2, :p3, :p4, :p5, NULL)"),
        {customerNumber, QStringLiteral("Kowalski"), QStringLiteral("Jan"), podmiot,
         QStringLiteral("0000-00-00")});
    return int(S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()")));
}

void BillingTest::AddPodmiot(int index, const QString& shortName)
{
    S()->ExecQuery(
        QStringLiteral("insert into Podmioty (P_INDEX, P_SKROT, P_CZYAKTYWNY) values (:p1, :p2, 1) on "
                       "duplicate key update P_SKROT=:p3"),
        {index, shortName, shortName});
}

int BillingTest::AddDoc(char kind, int user, Amount4 gross, const QDate& due, const QString& number,
                        const QDate& issue, int podmiot)
{
    const QString t = kind == 'F'   ? QStringLiteral("Fv")
                      : kind == 'K' ? QStringLiteral("Fvk")
                                    : QStringLiteral("Pz");
    const QString x = kind == 'F'   ? QStringLiteral("FV")
                      : kind == 'K' ? QStringLiteral("FVK")
                                    : QStringLiteral("PZ");
    S()->ExecQuery(
        QStringLiteral(
            "insert into %1 (%2_INDEXUSER, %2_NUMERTXT, %2_DATAWYSTAWIENIA, %2_DATAPLATNOSCI, "
            "%2_SUMABRUTTO, %2_KWOTAWPLACONA, %2_KWOTADOZAPLATY, %2_KWOTAROZLICZONA, "
            "%2_KWOTADOROZLICZENIA, %2_PODMIOT) values (:p1, :p2, :p3, :p4, :p5, 0, :p6, 0, :p7, :p8)")
            .arg(t, x),
        {user, number, issue.toString(Qt::ISODate),
         due.isValid() ? due.toString(Qt::ISODate) : QStringLiteral("0000-00-00"), gross, gross, gross,
         podmiot});
    return int(S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()")));
}

int BillingTest::AddOplata(int user, Amount4 amount, const QDate& paid, Amount4 open)
{
    S()->ExecQuery(
        QStringLiteral("insert into Oplaty (O_INDEXUSER, O_KWOTA, O_KWOTADOROZLICZENIA, O_DATAWPLATY, "
                       "O_DATADODANIA) values (:p1, :p2, :p3, :p4, :p5)"),
        {user, amount, open, paid.toString(Qt::ISODate), paid.toString(Qt::ISODate)});
    return int(S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()")));
}

Amount4 BillingTest::Money(const QString& sql, const TArgs& args) const
{
    auto q = S()->OpenQuery(sql, args);
    return q->IsEmpty() ? Amount4{} : q->Fields(0)->AsCurrency();
}

int BillingTest::Int(const QString& sql, const TArgs& args) const
{
    return S()->GetQueryValueAsInteger(sql, args);
}

QString BillingTest::Text(const QString& sql, const TArgs& args) const
{
    return S()->GetQueryValueAsString(sql, args);
}

Amount4 BillingTest::DocOpen(char kind, int index) const
{
    const QString t = kind == 'F'   ? QStringLiteral("Fv")
                      : kind == 'K' ? QStringLiteral("Fvk")
                                    : QStringLiteral("Pz");
    const QString x = kind == 'F'   ? QStringLiteral("FV")
                      : kind == 'K' ? QStringLiteral("FVK")
                                    : QStringLiteral("PZ");
    return Money(QStringLiteral("select %2_KWOTADOROZLICZENIA from %1 where %2_INDEX=:p1").arg(t, x),
                 {index});
}

Amount4 BillingTest::OplataOpen(int index) const
{
    return Money(QStringLiteral("select O_KWOTADOROZLICZENIA from Oplaty where O_INDEX=:p1"), {index});
}

void BillingTest::SetGlobal(const QString& key, const QString& value)
{
    WriteIniString(0, key, value);
}
