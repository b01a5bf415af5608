#include "tests/payments/PmFixture.h"

#include "billing/RachunkiBankowe.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"

#include <QFile>

Amount4 Zl(const char* text)
{
    Amount4 a;
    if (!Amount4::tryParse(QString::fromLatin1(text), a)) ADD_FAILURE() << "not an amount: " << text;
    return a;
}

void PmTest::SetUp()
{
    DbTest::SetUp();
    if (HasFatalFailure()) return;
    SetProgramFolder(QStringLiteral(ORLIX_BIN_DIR));
    ASSERT_TRUE(PointTestDataSource(DatabaseName(), m_odbcDir, m_savedOdbcIni));
    LoadUpgradedSchema();
    if (HasFatalFailure()) return;
    OperatorId = 1;
    CurrentPodmiotId = 0;
    SetVatRateTexts(QDate::currentDate());
    m_dir = std::make_unique<QTemporaryDir>();
    PrivateFolder = m_dir->filePath(QStringLiteral("priv")) + QLatin1Char('/');
    WriteIniString(0, QStringLiteral("U_Sub_NrBanku"), QStringLiteral("10501025"));
    TMD::ClearRecorded();
    TMD::SetTestHook([](const TMD::Shown&) { return 0; });
}

void PmTest::TearDown()
{
    TMD::ClearTestHook();
    if (GlobalSession() && GlobalSession()->InTransaction()) GlobalSession()->Rollback();
    PrivateFolder.clear();
    RestoreOdbcIni(m_savedOdbcIni);
    DbTest::TearDown();
}

int PmTest::AddUser(int customer, const QString& account1, const QString& account2, bool active, int podmiot)
{
    S()->ExecQuery(
        QStringLiteral("insert into Userdb (U_NRKLIENTA, U_NAZWISKO, U_IMIE, U_PODMIOT, U_NRRACHUNKU1, "
                       "U_NRRACHUNKU2, U_DATAAKTYWACJI, U_DATADEAKTYWACJI, U_DATAWYKLUCZENIAZBLOKAD, "
                       "U_MAXZALEGLOSC) values (:p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, :p9, NULL)"),
        {customer, QStringLiteral("Kowalski"), QStringLiteral("Jan"), podmiot, account1, account2,
         QStringLiteral("2020-01-01"), active ? QStringLiteral("0000-00-00") : QStringLiteral("2021-01-01"),
         QStringLiteral("0000-00-00")});
    return int(S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()")));
}

int PmTest::AddInvoice(int user, Amount4 gross, const QDate& due)
{
    S()->ExecQuery(
        QStringLiteral("insert into Fv (FV_INDEXUSER, FV_NUMERTXT, FV_DATAWYSTAWIENIA, FV_DATAPLATNOSCI, "
                       "FV_SUMABRUTTO, FV_KWOTAWPLACONA, FV_KWOTADOZAPLATY, FV_KWOTAROZLICZONA, "
                       "FV_KWOTADOROZLICZENIA, FV_PODMIOT) values (:p1, :p2, :p3, :p4, :p5, 0, :p6, 0, "
                       ":p7, 1)"),
        {user, QStringLiteral("FV/%1").arg(due.toString(Qt::ISODate)), due.addDays(-14).toString(Qt::ISODate),
         due.toString(Qt::ISODate), gross, gross, gross});
    return int(S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()")));
}

QString PmTest::WriteFile(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir->filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    return path;
}

TPmImportResult PmTest::Import(const QString& path, const QString& format, bool removeForeign)
{
    TPmImportRequest rq;
    rq.path = path;
    rq.format = format;
    rq.removeForeignPrefix = removeForeign;
    return ImportStatementFile(rq);
}

int PmTest::Int(const QString& sql, const TArgs& args) const
{
    return S()->GetQueryValueAsInteger(sql, args);
}

QString PmTest::Text(const QString& sql, const TArgs& args) const
{
    return S()->GetQueryValueAsString(sql, args);
}

Amount4 PmTest::Money(const QString& sql, const TArgs& args) const
{
    auto q = S()->OpenQuery(sql, args);
    return q->IsEmpty() ? Amount4{} : q->Fields(0)->AsCurrency();
}

QStringList PmTest::Shown() const
{
    QStringList out;
    for (const TMD::Shown& s : TMD::Recorded())
        out.append(s.text);
    return out;
}

QByteArray RawLine(const QString& date, const QString& account, const QString& grosz, const QString& payer,
                   const QString& title)
{
    return StringToCp1250(QStringList{date, account, grosz, payer, title}.join(QLatin1Char('|')) +
                          QStringLiteral("\r\n"));
}

QString SubAccount(int customer)
{
    return CompleteNrb(QStringLiteral("105010250000") +
                       QStringLiteral("%1").arg(customer, 12, 10, QLatin1Char('0')));
}
