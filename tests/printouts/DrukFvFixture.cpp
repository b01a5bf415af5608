#include "tests/printouts/DrukFvFixture.h"

#include "billing/FvKorektaDane.h"
#include "billing/Przeliczenia.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"
#include "platform/PdfPrinter.h"
#include "printouts/DrukFv.h"
#include "printouts/DrukFvKorekta.h"
#include "printouts/DrukPz.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {
QString run(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    if (exitCode) *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

void DrukFvTest::SetUp()
{
    DbTest::SetUp();
    if (HasFatalFailure()) return;
    SetProgramFolder(QStringLiteral(ORLIX_BIN_DIR));
    ASSERT_TRUE(PointTestDataSource(DatabaseName(), m_odbcDir, m_savedOdbcIni));
    LoadUpgradedSchema();
    if (HasFatalFailure()) return;
    OperatorId = 1;
    OperatorRightsLevel = 0;
    CurrentPodmiotId = 0;
    SetVatRateTexts(QDate(2025, 3, 1));

    m_priv = std::make_unique<QTemporaryDir>();
    PrivateFolder = m_priv->path() + QLatin1Char('/');
    // One folder per test: tests run in parallel and several print the same number.
    m_outDir =
        TestOutputDir(QStringLiteral("printouts/") +
                      QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    QDir().mkpath(m_outDir);
    ExportFolder = m_outDir + QLatin1Char('/');

    for (const auto& [k, v] : std::vector<std::pair<const char*, const char*>>{
             {"U_Nazwa1", "Światłowodowa Sieć Łódź"},
             {"U_Nazwa2", "Sp. z o.o."},
             {"U_Ulica", "ul. Żeromskiego"},
             {"U_NrDomu", "15"},
             {"U_NrLokalu", "3"},
             {"U_KodPocztowy", "90-001"},
             {"U_Miejscowosc", "Łódź"},
             {"U_NIP", "7251234567"},
             {"U_TelefonEmail", "tel. 42 600 70 80, biuro@siec-lodz.pl"},
             {"U_NazwaBanku", "Bank Pekao S.A."},
             {"U_NrKonta", "12 1240 1037 1111 0010 1234 5678"},
             {"U_Www", "www.siec-lodz.pl"},
             {"U_WwwVove", "ebok.siec-lodz.pl"}})
        SetGlobal(QString::fromLatin1(k), QString::fromUtf8(v));
    WriteIniString(OperatorId, QStringLiteral("DrukarkaPDF"), ProgramPdfPrinterName);
}

void DrukFvTest::TearDown()
{
    for (TFormDrukFv* form :
         {static_cast<TFormDrukFv*>(FormDrukFv()), static_cast<TFormDrukFv*>(FormDrukPz()),
          static_cast<TFormDrukFv*>(FormDrukFvKorekta())}) {
        form->QFv()->Close();
        form->QFvPozycje()->Close();
        form->QUserdb()->Close();
    }
    RestoreOdbcIni(m_savedOdbcIni);
    DbTest::TearDown();
}

void DrukFvTest::SetGlobal(const QString& key, const QString& value)
{
    WriteIniString(0, key, value);
}

int DrukFvTest::AddSubscriber(const QString& surname, const QString& name, int customerNumber,
                              const QString& nip)
{
    S()->ExecQuery(
        QStringLiteral(
            "insert into Userdb (U_NRKLIENTA, U_NAZWISKO, U_IMIE, U_PODMIOT, U_NIP, U_ADR_ULICA, "
            "U_ADR_NRDOMU, U_ADR_NRLOKALU, U_ADR_KOD, U_ADR_MIEJSCOWOSC, U_ADR_POCZTA, "
            "U_DATAWYKLUCZENIAZBLOKAD, U_MAXZALEGLOSC) values (:p1, :p2, :p3, 1, :p4, :p5, :p6, :p7, "
            ":p8, :p9, :p10, '0000-00-00', NULL)"),
        {customerNumber, surname, name, nip, QStringLiteral("Piotrkowska"), QStringLiteral("112"),
         QStringLiteral("7"), QStringLiteral("90-006"), QStringLiteral("Łódź"), QStringLiteral("Łódź")});
    return S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
}

int DrukFvTest::AddInvoice(int user, const QString& number, const std::vector<TTestItem>& items,
                           const QDate& issue, int termDays)
{
    const QStringList labels = VatRateTexts();
    S()->ExecQuery(
        QStringLiteral(
            "insert into Fv (FV_INDEXUSER, FV_NUMER, FV_NUMERTXT, FV_PODMIOT, FV_DATAWYSTAWIENIA, "
            "FV_DATAPLATNOSCI, FV_FORMAPLATNOSCI, FV_NAZWISKO, FV_IMIE, FV_NIP, FV_ADR_ULICA, FV_ADR_NRDOMU, "
            "FV_ADR_NRLOKALU, FV_ADR_KOD, FV_ADR_MIEJSCOWOSC, FV_WYSTAWIL, FV_OPISVAT_A, FV_OPISVAT_B, "
            "FV_OPISVAT_C, FV_OPISVAT_D, FV_OPISVAT_G, FV_OPISVAT_NP, FV_OPISVAT) select U_INDEX, 1, :p1, 1, "
            ":p2, "
            ":p3, 'przelew', U_NAZWISKO, U_IMIE, U_NIP, U_ADR_ULICA, U_ADR_NRDOMU, U_ADR_NRLOKALU, "
            "U_ADR_KOD, "
            "U_ADR_MIEJSCOWOSC, :p4, :p5, :p6, :p7, :p8, :p9, :p10, 'RAZEM' from Userdb where U_INDEX=:p11"),
        {number, issue.toString(Qt::ISODate), issue.addDays(termDays).toString(Qt::ISODate),
         QStringLiteral("Anna Wiśniewska"), labels.value(0), labels.value(1), labels.value(2),
         labels.value(3), labels.value(4), labels.value(5), user});
    const int fv = S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
    for (const TTestItem& it : items) {
        S()->ExecQuery(
            QStringLiteral("insert into FvPozycje (FVP_INDEXFAKTURA, FVP_NAZWAUSLUGI, FVP_ILOSC, "
                           "FVP_JEDNMIARY, FVP_SYMBOL, FVP_CENABRUTTO, FVP_STAWKAVAT_TXT, FVP_RABAT) "
                           "values (:p1, :p2, :p3, 'szt.', 'PKWiU 61', :p4, :p5, :p6)"),
            {fv, it.name, it.quantity.isZero() ? Amount4::fromInt(1) : it.quantity, it.grossPrice, it.rate,
             it.discount});
    }
    PrzeliczFVPDokumentu(fv);
    PrzeliczPolaFv(fv, true);
    return fv;
}

int DrukFvTest::AddCorrection(int fv, bool zeroAfter, const QString& number)
{
    TTransactionGuard guard(S());
    const int k = CreateCorrectionFromFv(fv, zeroAfter);
    S()->ExecQuery(QStringLiteral("update Fvk set FVK_NUMERTXT=:p1 where FVK_INDEX=:p2"), {number, k});
    RecalcCorrection(k);
    guard.commit();
    return k;
}

void DrukFvTest::RecalcCorrection(int k)
{
    for (const QString& line : S()->GetQueryValuesAsList(
             QStringLiteral("select FVKP_INDEX from FvkPozycje where FVKP_INDEXFAKTURA=:p1"), {k}))
        PrzeliczFVKP(line.toInt());
    PrzeliczPolaFvk(k);
}

int DrukFvTest::AddDemand(int user, const QString& number, const std::vector<TTestItem>& items,
                          const QDate& issue, int termDays)
{
    S()->ExecQuery(
        QStringLiteral(
            "insert into Pz (PZ_INDEXUSER, PZ_NUMER, PZ_NUMERTXT, PZ_PODMIOT, PZ_DATAWYSTAWIENIA, "
            "PZ_DATAPLATNOSCI, PZ_FORMAPLATNOSCI, PZ_NAZWISKO, PZ_IMIE, PZ_ADR_ULICA, PZ_ADR_NRDOMU, "
            "PZ_ADR_NRLOKALU, PZ_ADR_KOD, PZ_ADR_MIEJSCOWOSC, PZ_WYSTAWIL) select U_INDEX, 1, :p1, 1, :p2, "
            ":p3, 'przelew', U_NAZWISKO, U_IMIE, U_ADR_ULICA, U_ADR_NRDOMU, U_ADR_NRLOKALU, U_ADR_KOD, "
            "U_ADR_MIEJSCOWOSC, :p4 from Userdb where U_INDEX=:p5"),
        {number, issue.toString(Qt::ISODate), issue.addDays(termDays).toString(Qt::ISODate),
         QStringLiteral("Anna Wiśniewska"), user});
    const int pz = S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
    for (const TTestItem& it : items) {
        S()->ExecQuery(QStringLiteral("insert into PzPozycje (PZP_INDEXPZ, PZP_NAZWAUSLUGI, PZP_ILOSC, "
                                      "PZP_JEDNMIARY, PZP_SYMBOL, PZP_CENABRUTTO, PZP_RABAT) "
                                      "values (:p1, :p2, :p3, 'szt.', 'PKWiU 61', :p4, :p5)"),
                       {pz, it.name, it.quantity.isZero() ? Amount4::fromInt(1) : it.quantity, it.grossPrice,
                        it.discount});
        PrzeliczPZP(S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()")));
    }
    PrzeliczPolaPz(pz, true);
    return pz;
}

QString DrukFvTest::PrintPdf(const QString& sql, TFormDrukFv* form)
{
    if (!form) form = FormDrukFv();
    form->PrinterName = ReadIniString(OperatorId, QStringLiteral("DrukarkaPDF"), QString());
    form->QFv()->SetSQL(sql);
    form->PrintDirect();
    return form->LastPdfFile;
}

QString DrukFvTest::PdfText(const QString& pdf)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

int DrukFvTest::PdfPages(const QString& pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& l : info.split(QLatin1Char('\n')))
        if (l.startsWith(QLatin1String("Pages:"))) return l.mid(6).trimmed().toInt();
    return 0;
}

QStringList DrukFvTest::PdfCodes(const QString& pdf, int dpi)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("p"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
                                     QStringLiteral("-png"), pdf, prefix});
    QStringList codes;
    for (const QFileInfo& fi :
         QDir(dir.path()).entryInfoList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)) {
        const QString out = run(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), fi.filePath()});
        for (const QString& l : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            codes << l.trimmed();
    }
    return codes;
}

QString DrukFvTest::RenderPng(const QString& pdf, int dpi)
{
    const QString base = pdf.left(pdf.size() - 4);
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                     QStringLiteral("-singlefile"), pdf, base});
    return base + QStringLiteral(".png");
}
