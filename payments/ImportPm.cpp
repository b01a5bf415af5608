#include "payments/ImportPm.h"

#include "billing/Pozycje.h"
#include "core/DbError.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/Session.h"
#include "payments/FormatyPm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kStatusOk = QStringLiteral("OK");
const QString kStatusFailed = QStringLiteral("Błąd importu");
const QString kZeroDate = QStringLiteral("0000-00-00");

QString copyFolder()
{
    QString dir = PrivateFolder.isEmpty() ? QDir::tempPath() + QLatin1Char('/') : PrivateFolder;
    QDir().mkpath(dir);
    return dir;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Nie można otworzyć pliku %1").arg(path).toStdString());
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw EInOutError(QStringLiteral("Nie można zapisać pliku %1").arg(path).toStdString());
}

int registerFile(TDedicatedSession* s, const QString& md5, const TPmImportRequest& rq, const QString& status,
                 int read, int imported)
{
    try {
        // The base schema gives PMMD5_DATAIMPORTU no default: the import time is named here.
        const TExecResult r = s->ExecQuery(
            QStringLiteral(
                "insert PmMD5(PMMD5_MD5, PMMD5_SCIEZKA, PMMD5_STATUS, PMMD5_OPERATORID, PMMD5_FORMAT, "
                "PMMD5_ILOSCODCZYTANYCH, PMMD5_ILOSCZAIMPORTOWANYCH, PMMD5_LOGIMPORTU, "
                "PMMD5_DATAIMPORTU) values (:p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, now())"),
            {md5, rq.path.left(255), status, OperatorId, rq.format, read, imported, QString()});
        return int(r.InsertId);
    } catch (const EDatabaseError&) {
        return 0;
    }
}

void storeLog(TDedicatedSession* s, int registerId, const QStringList& text, const QStringList& log)
{
    if (!registerId) return;
    QString all;
    for (const QString& line : text)
        all += line + QStringLiteral("\r\n");
    all += QStringLiteral("\r\n\r\n") + log.join(QStringLiteral("\r\n"));
    try {
        s->ExecQuery(QStringLiteral("update PmMD5 set PMMD5_LOGIMPORTU=:p1 where PMMD5_INDEX=:p2"),
                     {all, registerId});
    } catch (const EDatabaseError&) {
    }
}

// Only this file's rows: rows of earlier files and of other companies stay.
int removeForeignPrefixRows(TDedicatedSession* s, int first, int last)
{
    if (!first) return 0;
    const QString prefix = ReadIniString(0, QStringLiteral("U_Sub_Prefix"), QStringLiteral("0000"));
    const QString where = QStringLiteral("where substr(PM_NUMERRACHUNKU, 19, 4)<>:p1 and "
                                         "length(PM_NUMERRACHUNKU)>0 and PM_DATAKSIEGOWANIA=:p2 "
                                         "and PM_OPERATORID<>-1 and PM_INDEX between :p3 and :p4");
    const TArgs args{prefix, kZeroDate, first, last};
    const int count =
        s->GetQueryValueAsInteger(QStringLiteral("select count(*) from PlatnosciMasowe ") + where, args);
    if (count > 0) s->ExecQuery(QStringLiteral("delete from PlatnosciMasowe ") + where, args);
    return count;
}

} // namespace

QList<QByteArray> NormalisePmLines(const QByteArray& content)
{
    QByteArray text = content;
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0) text.truncate(nul);
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const char c = text.at(i);
        if (c == '\r' || c == '\n') {
            lines.append(text.mid(start, i - start));
            if (c == '\r' && i + 1 < n && text.at(i + 1) == '\n') ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

QByteArray JoinPmLines(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + "\r\n";
    return out;
}

bool PmFileRegistered(const QString& md5, const QString& format)
{
    return !GlobalSession()->IsQueryEmpty(
        QStringLiteral("select (1) from PmMD5 where PMMD5_MD5=:p1 and PMMD5_FORMAT=:p2"), {md5, format});
}

bool PmFileRegisteredAnyFormat(const QString& md5)
{
    return !GlobalSession()->IsQueryEmpty(QStringLiteral("select (1) from PmMD5 where PMMD5_MD5=:p1"), {md5});
}

void MatchPmRowsToUsers()
{
    // Each sub-account column is joined on its own index and the best candidate
    // of a row is chosen once: a sub-select per row with "or" between the two
    // columns reads every subscriber for every row (minutes for a statement).
    // A row no subscriber's account matches keeps 0.
    const QString candidates = QStringLiteral(
        "select PM_INDEX as k, U_INDEX as u, vU_Aktywny as a from PlatnosciMasowe join vUserdb on %1 = "
        "PM_NUMERRACHUNKU where PM_INDEXUSER=0 and Length(PM_NUMERRACHUNKU)>0");
    GlobalSession()->ExecQuery(
        QStringLiteral("update PlatnosciMasowe join (select k, u from (select k, u, row_number() over "
                       "(partition by k order by a desc, u desc) as n from (%1 union %2) c) r where n=1) m "
                       "on m.k=PM_INDEX set PM_INDEXUSER=m.u")
            .arg(candidates.arg(QStringLiteral("U_NRRACHUNKU1")),
                 candidates.arg(QStringLiteral("U_NRRACHUNKU2"))));
}

TPmImportResult ImportStatementFile(const TPmImportRequest& rq)
{
    TDedicatedSession* s = GlobalSession();
    TPmImportResult result;

    const QString copy = copyFolder() + QFileInfo(rq.path).fileName();
    CopyFileByBlocks(rq.path, copy);
    const QList<QByteArray> lines = NormalisePmLines(readAll(copy));
    writeAll(copy, JoinPmLines(lines));
    const QString md5 = FileMd5Hex(copy);
    if (PmFileRegistered(md5, rq.format)) {
        result.duplicate = true;
        return result;
    }

    TPmReadContext ctx(s, lines);
    ctx.BankNumber = ReadIniString(0, QStringLiteral("U_Sub_NrBanku"), QStringLiteral("00000000"));
    ctx.ClientId = ReadIniString(0, QStringLiteral("U_Sub_NrKlienta"), QStringLiteral("0000"));
    ctx.OnlyFailedImportsShown = rq.onlyFailedImportsShown;

    bool error = false;
    {
        // A read failing halfway must not leave the rows it wrote before.
        TTransactionGuard body(s);
        try {
            const TPmFormat* format = FindPmFormat(rq.format);
            if (!format) throw EPmReadError(QStringLiteral("Nieznany format: ") + rq.format);
            format->body(ctx);
            ctx.Flush();
            body.commit();
        } catch (const std::exception&) {
            error = true;
            body.rollback();
            if (!ctx.Silent)
                TMD::MessageDlg(QStringLiteral("   Odczyt pliku importu nie powiodl sie.   "), mtError, mbOK);
        }
    }

    QStringList text;
    text.reserve(lines.size() + 1);
    for (const QByteArray& l : lines)
        text.append(Cp1250ToString(l));
    result.read = ctx.Read;
    if (error) {
        result.registerId = registerFile(s, md5, rq, kStatusFailed, ctx.Read, 0);
    } else {
        ctx.Log.append(QStringLiteral(".... Zakończono"));
        if (rq.showMessage)
            rq.showMessage(QStringLiteral("Rekordów odczytanych: %1   Zaimportowanych rekordów: %2")
                               .arg(ctx.Read)
                               .arg(ctx.Imported));
        MatchPmRowsToUsers();
        result.imported = ctx.Imported;
        result.registerId = registerFile(s, md5, rq, kStatusOk, ctx.Read, ctx.Imported);
        if (rq.removeForeignPrefix) {
            const int removed = removeForeignPrefixRows(s, ctx.FirstIndex(), ctx.LastIndex());
            if (removed > 0)
                text.append(QStringLiteral("\r\nUWAGA: Po imporcie usunięto %1 rekord(ów) z obcym prefixem")
                                .arg(removed));
        }
        result.ok = true;
    }
    storeLog(s, result.registerId, text, ctx.Log);
    QFile::remove(copy);
    return result;
}

QString PmImportRefusal(const QString& path, const QString& format)
{
    if (format.isEmpty()) return QStringLiteral("Proszę określić format pliku importu");
    const QString md5 = FileMd5Hex(path);
    if (QFileInfo(path).size() > kPmMaxFileSize)
        return QStringLiteral("Zbyt duży rozmiar pliku (ponad 512kB). Prawdopodobnie nie jest to plik z "
                              "płatnościami do zaksiegowania.");
    if (PmFileRegistered(md5, format))
        return QStringLiteral(
            "Wskazany plik już wcześniej został zaimportowany.\r\nW celu jego ponownego importu "
            "proszę usunąć dotyczący go wpis z listy importów.");
    return QString();
}

TPmUnposted CountUnpostedPm()
{
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral("select count(*), coalesce(sum(PM_KWOTA), 0) from PlatnosciMasowe where "
                       "PM_DATAKSIEGOWANIA = :p1"),
        {kZeroDate});
    return TPmUnposted{q->Fields(0)->AsInteger(), q->Fields(1)->AsCurrency()};
}

QString UnpostedCounterText(const TPmUnposted& u)
{
    return QStringLiteral("Niezaksiegowanych: %1  (%2)").arg(u.count).arg(MoneyText(u.sum));
}
