#include "printouts/Envelo.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/Session.h"
#include "platform/ExportListToExcel.h"
#include "platform/ZipArchive.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <functional>

namespace {

const QString kNeofakturaHeader = QStringLiteral(
    "Nazwa załączonego pliku ;Identyfikator Klienta;Czy wydruk kolorowy?;Czy wydruk dwustronny?;Czy list "
    "priorytetowy?;Zwrot Grzecznościowy;Imię i Nazwisko Odbiorcy;Nazwa Firmy Odbiorcy;Ulica;Numer Domu;Numer "
    "Mieszkania;Kod Pocztowy;Miejscowość;Kraj;Nazwa Nabywcy;Numer Faktury;Data Wystawienia Faktury;Termin "
    "Płatności;Numer Konta Bankowego;Forma Płatnosci;Tytuł Płatności;Kwota Płatności;Link do Systemu "
    "Płatności;identyfikator na potrzeby konsolidacji;Rodzaj przesyłki;czy rejestrowana;czy "
    "coverpage;identyfikator "
    "insertu;Tekst ZPO;Identyfikator papieru;Dodatkowe pole informacyjne nadawcy;Coverpage na osobnej "
    "kartce");

// SQL text with its bound values in the order the placeholders appear.
struct TSqlText
{
    QString text;
    TArgs args;
    TSqlText& operator<<(const QString& s)
    {
        text += s;
        return *this;
    }
    TSqlText& Bind(const TArg& v)
    {
        args.push_back(v);
        text += QStringLiteral(":p%1").arg(args.size());
        return *this;
    }
};

using TExpr = std::function<void(TSqlText&)>;

// The values of one row joined by concat_ws. A column's value is never NULL
// (concat_ws would leave it out and shift the later fields) and carries no
// ";" or line break (they would split the row).
class TRowBuilder
{
public:
    explicit TRowBuilder(TSqlText& sql) : m_sql(sql)
    {
        m_sql << QStringLiteral("concat_ws(");
        m_sql.Bind(QStringLiteral(";"));
    }
    void Const(const QString& value)
    {
        m_sql << QStringLiteral(", ");
        m_sql.Bind(value);
    }
    void Column(const QString& expr)
    {
        Value([&](TSqlText& s) { s << expr; });
    }
    void Value(const TExpr& expr)
    {
        m_sql << QStringLiteral(", replace(replace(replace(coalesce(");
        expr(m_sql);
        m_sql << QStringLiteral(", ");
        m_sql.Bind(QString());
        m_sql << QStringLiteral("), ");
        m_sql.Bind(QStringLiteral(";"));
        m_sql << QStringLiteral(", ");
        m_sql.Bind(QStringLiteral(","));
        m_sql << QStringLiteral("), ");
        m_sql.Bind(QStringLiteral("\r"));
        m_sql << QStringLiteral(", ");
        m_sql.Bind(QStringLiteral(" "));
        m_sql << QStringLiteral("), ");
        m_sql.Bind(QStringLiteral("\n"));
        m_sql << QStringLiteral(", ");
        m_sql.Bind(QStringLiteral(" "));
        m_sql << QStringLiteral(")");
    }
    void Close() { m_sql << QStringLiteral(")"); }

private:
    TSqlText& m_sql;
};

// Name, street, house, flat, postcode and town: the correspondence address
// when the subscriber asked for it, else the main one with the post town.
void AddAddress(TRowBuilder& row, const QString& user, const QString& streets, const QString& mainName)
{
    const QString cor = user + QStringLiteral(".U_CZYADRESDOKORESP=1");
    auto pick = [&](const QString& korCol, const QString& adrCol) {
        return QStringLiteral("if(%1, %2, %3)").arg(cor, korCol, adrCol);
    };
    if (!mainName.isEmpty()) row.Column(pick(user + QStringLiteral(".U_KOR_NAZWA"), mainName));
    row.Column(
        pick(streets + QStringLiteral(".vU_KOR_UlicaPelny"), streets + QStringLiteral(".vU_ADR_UlicaPelny")));
    for (const char* col : {"NRDOMU", "NRLOKALU", "KOD"})
        row.Column(pick(user + QStringLiteral(".U_KOR_") + QLatin1String(col),
                        user + QStringLiteral(".U_ADR_") + QLatin1String(col)));
    row.Column(pick(user + QStringLiteral(".U_KOR_MIEJSCOWOSC"), user + QStringLiteral(".U_ADR_POCZTA")));
}

void AddNeofakturaRow(TRowBuilder& row, const TBulkKind& k, int kind)
{
    row.Column(k.Col("NumerPdf"));
    row.Column(k.Col("INDEXUSER"));
    for (const char* c : {"N", "S", "N", "", ""})
        row.Const(QString::fromLatin1(c));
    AddAddress(row, QStringLiteral("Userdb"), QStringLiteral("TempUser"), k.Col("User"));
    row.Const(QStringLiteral("Polska"));
    for (const char* c : {"User", "NUMERTXT", "DATAWYSTAWIENIA", "DATAPLATNOSCI"})
        row.Column(k.Col(c));
    // A subscriber account too short to be one gives way to the seller's.
    const QString sellerAccount = DigitsOnly(ReadIniString(0, QStringLiteral("U_NrKonta"), QString()));
    row.Value([&](TSqlText& s) {
        s << QStringLiteral("if(length(replace(coalesce(Userdb.U_NRRACHUNKU1, ");
        s.Bind(QString());
        s << QStringLiteral("), ");
        s.Bind(QStringLiteral(" "));
        s << QStringLiteral(", ");
        s.Bind(QString());
        s << QStringLiteral("))<15, ");
        s.Bind(sellerAccount);
        s << QStringLiteral(", replace(Userdb.U_NRRACHUNKU1, ");
        s.Bind(QStringLiteral(" "));
        s << QStringLiteral(", ");
        s.Bind(QString());
        s << QStringLiteral("))");
    });
    row.Column(k.Col("FORMAPLATNOSCI"));
    static const char* const titles[] = {"Faktura ", "Polecenie zapłaty ", "Faktura korygujaca "};
    row.Value([&](TSqlText& s) {
        s << QStringLiteral("concat(");
        s.Bind(QString::fromUtf8(titles[kind]));
        s << QStringLiteral(", ") << k.Col("NUMERTXT") << QStringLiteral(")");
    });
    row.Value([&](TSqlText& s) {
        s << QStringLiteral("replace(") << k.Col("KWOTADOROZLICZENIA") << QStringLiteral(", ");
        s.Bind(QStringLiteral("."));
        s << QStringLiteral(", ");
        s.Bind(QStringLiteral(","));
        s << QStringLiteral(")");
    });
    row.Const(EnveloWebAddress);
    row.Value([&](TSqlText& s) {
        s << QStringLiteral("concat(");
        s.Bind(QStringLiteral("QV"));
        s << QStringLiteral(", Userdb.U_NRKLIENTA)");
    });
    row.Const(QStringLiteral("Y"));
    row.Const(QStringLiteral("LZ"));
}

// The 21 values of a Neolist row around the given name and address columns.
void AddNeolistRow(TRowBuilder& row, const std::function<void()>& address, const TExpr& pdfName)
{
    for (int i = 0; i < 4; ++i)
        row.Const(QString());
    address();
    for (const char* c : {"Polska", "1", "N", "N", "N", "1", ""})
        row.Const(QString::fromLatin1(c));
    row.Value(pdfName);
    for (const char* c : {"N", "S", "N"})
        row.Const(QString::fromLatin1(c));
}

void SaveLines(const QString& path, const QStringList& lines, bool cp1250)
{
    QByteArray data;
    for (const QString& line : lines) {
        data += cp1250 ? StringToCp1250(line) : line.toUtf8();
        data += "\r\n";
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
        throw EZipError(QStringLiteral("%1: %2").arg(path, f.errorString()));
}

QStringList Texts(TDedicatedSession* session, const QString& sql, const TArgs& args)
{
    QStringList out;
    auto q = session->OpenQuery(sql, args);
    for (; !q->Eof(); q->Next())
        out << q->Fields(0)->AsString();
    return out;
}

QString Ms(const QElapsedTimer& watch)
{
    return QStringLiteral("%1 ms").arg(watch.elapsed());
}

} // namespace

QString EnveloBaseName(int kind, bool neofaktura)
{
    return (neofaktura ? QStringLiteral("envelo_neofaktura_") : QStringLiteral("envelo_neolist_")) +
           QLatin1String(BulkKind(kind).Table);
}

QString EnveloListName(int kind)
{
    static const char* const names[] = {"faktury.csv", "poleceniazaplaty.csv", "korekty.csv"};
    return QString::fromLatin1(names[kind >= bkInvoice && kind <= bkCorrection ? kind : bkInvoice]);
}

int EnveloPartCount(int found)
{
    return found <= 0 ? 0 : (found + EnveloPartSize - 1) / EnveloPartSize;
}

QStringList BuildEnveloPackages(TDedicatedSession* session, const TBulkSql& sql, bool neofaktura,
                                TBulkRun& run)
{
    const TBulkKind& k = BulkKind(sql.Kind);
    const QString folder = ExportFolder;
    const QString base = EnveloBaseName(sql.Kind, neofaktura);
    QElapsedTimer watch;
    watch.start();
    StartStopwatch();
    const int parts = EnveloPartCount(run.FoundCount);
    run.StartGauge(run.FoundCount);
    for (int p = 1; p <= 99; ++p)
        QFile::remove(folder + base + QStringLiteral("%1.zip").arg(p, 2, 10, QLatin1Char('0')));

    TSqlText insert;
    insert << QStringLiteral("INSERT INTO Temp (Txt) select ");
    TRowBuilder row(insert);
    if (neofaktura)
        AddNeofakturaRow(row, k, sql.Kind);
    else
        AddNeolistRow(
            row,
            [&] { AddAddress(row, QStringLiteral("Userdb"), QStringLiteral("TempUser"), k.Col("User")); },
            [&](TSqlText& s) { s << k.Col("NumerPdf"); });
    row.Close();
    insert << QStringLiteral(" from %1 left join TempUser on TempUser.U_INDEX=%2 left join Userdb on "
                             "Userdb.U_INDEX=%2 ")
                  .arg(QLatin1String(k.ListView), k.Col("INDEXUSER"));
    insert << sql.Filter << sql.Order;

    QStringList written;
    for (int p = 1; p <= parts; ++p) {
        QStringList lines;
        if (neofaktura)
            lines << kNeofakturaHeader;
        else
            lines << QStringLiteral("Neolist;") << QStringLiteral("---;");
        session->ExecQuery(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS Temp"));
        session->ExecQuery(QStringLiteral("CREATE TEMPORARY TABLE IF NOT EXISTS Temp (T_INDEX INT NOT NULL "
                                          "AUTO_INCREMENT PRIMARY KEY, Txt VARCHAR(2500))"));
        session->ExecQuery(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS TempUser"));
        session->ExecQuery(QStringLiteral("CREATE TEMPORARY TABLE IF NOT EXISTS TempUser select U_INDEX "
                                          ",vU_ADR_UlicaPelny, vU_KOR_UlicaPelny, "
                                          "vU_LOK_UlicaPelny, vU_NazwiskoImie from vUserdb"));
        // One window of the run's order per part, in both statements.
        const int offset = (p - 1) * EnveloPartSize;
        TArgs insertArgs = insert.args;
        insertArgs.insert(insertArgs.end(), sql.Args.begin(), sql.Args.end());
        insertArgs.push_back(offset);
        insertArgs.push_back(EnveloPartSize);
        session->ExecQuery(insert.text + QStringLiteral(" LIMIT :p1, :p2"), insertArgs);
        lines << Texts(session, QStringLiteral("select Txt from Temp order by T_INDEX"), {});
        SaveLines(folder + EnveloListName(sql.Kind), lines, false);
        SaveLines(folder + QStringLiteral("envelo.csv"), lines, false);
        LogTempInsert(QStringLiteral("envelo ") + QLatin1String(k.Table), Ms(watch));

        TArgs pdfArgs = sql.Args;
        pdfArgs.push_back(offset);
        pdfArgs.push_back(EnveloPartSize);
        const QStringList pdfs =
            Texts(session, sql.PdfHead + sql.Filter + sql.Order + QStringLiteral(" LIMIT :p1, :p2"), pdfArgs);
        const QString package = folder + base + QStringLiteral("%1.zip").arg(p, 2, 10, QLatin1Char('0'));
        QStringList files{folder + QStringLiteral("envelo.csv")};
        int packed = 0;
        for (const QString& pdf : pdfs) {
            if (QFileInfo(folder + pdf).isFile()) {
                files << folder + pdf;
                ++packed;
            } else {
                run.Skip(QStringLiteral("envelo - brak pliku %1").arg(pdf));
            }
        }
        try {
            TZipArchiver zip;
            zip.CompressionLevel = 1;
            zip.CreateArchive(package, files);
            written << package;
            for (int i = 0; i < packed; ++i) {
                ++run.SentCount;
                run.StepGauge();
            }
        } catch (const EZipError& e) {
            QFile::remove(package);
            LogTempInsert(QStringLiteral("envelo - Błąd! (zip)"), Ms(watch));
            run.Problems << QStringLiteral("envelo - Błąd! (zip): ") + QString::fromUtf8(e.what());
        }
        session->ExecQuery(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS Temp"));
        session->ExecQuery(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS TempUser"));
    }
    LogTempInsert(QStringLiteral("Paczka dla envelo gotowa : ") + folder + base + QStringLiteral(".zip"),
                  Ms(watch));
    return written;
}

QString BuildEnveloLettersPackage(TDedicatedSession* session)
{
    const QString folder = ExportFolder;
    TSqlText select;
    select << QStringLiteral("select ");
    TRowBuilder row(select);
    AddNeolistRow(
        row,
        [&] {
            row.Column(QStringLiteral("vUserdb.vU_NazwiskoImie"));
            AddAddress(row, QStringLiteral("vUserdb"), QStringLiteral("vUserdb"), QString());
        },
        [](TSqlText& s) {
            s << QStringLiteral("concat(T_PDF, ");
            s.Bind(QStringLiteral(".pdf"));
            s << QStringLiteral(")");
        });
    row.Close();
    select << QStringLiteral(" from Temp left join vUserdb on vUserdb.U_INDEX=T_INDEXUSER order by T_INDEX");
    const QStringList lines = Texts(session, select.text, select.args);
    SaveLines(folder + QStringLiteral("envelo_pismo.csv"), lines, true);
    const QString sheet = folder + QStringLiteral("envelo.xlsx");
    if (!ExportListToExcel(lines, sheet)) throw EZipError(sheet + QStringLiteral(": nie zapisano arkusza"));

    const QString package = folder + QStringLiteral("envelo_pismo.zip");
    QFile::remove(package);
    QStringList files{sheet};
    for (const QString& pdf :
         Texts(session, QStringLiteral("select concat(T_PDF, :p1) from Temp order by T_INDEX"), {".pdf"}))
        if (WaitForFileDefault(folder + pdf)) files << folder + pdf;
    TZipArchiver zip;
    zip.CompressionLevel = 1;
    try {
        zip.CreateArchive(package, files);
    } catch (const EZipError&) {
        LogTempInsert(QStringLiteral("envelo_pismo - Błąd! (zip)"), QString());
        throw;
    }
    return package;
}
