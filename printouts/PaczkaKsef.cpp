#include "printouts/PaczkaKsef.h"

#include "core/ActivityLog.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/FakturaKorektaXml.h"
#include "ksef/FakturaXml.h"
#include "ksef/KsefTabele.h"
#include "platform/ZipArchive.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <exception>

QString KsefPackagePath(const QString& folder, int kind, int company, const QDateTime& now)
{
    if (company < 0 || company > 99)
        throw EBulkCriteriaError(
            QStringLiteral("Paczki dla KSeF nie można utworzyć: indeks podmiotu %1 ma więcej "
                           "niż dwie cyfry, a odczyt paczki rozpoznaje podmiot po dwóch "
                           "ostatnich cyfrach nazwy pliku")
                .arg(company));
    const QString stem = (kind == bkCorrection ? QStringLiteral("KSeF_Fvk_") : QStringLiteral("KSeF_Fv_")) +
                         now.toString(QStringLiteral("yyyyMMdd_HHmmss"));
    const QString tail = QStringLiteral("_%1.zip").arg(company, 2, 10, QLatin1Char('0'));
    QString path = folder + stem + tail;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder + stem + QStringLiteral("_%1").arg(n) + tail;
    return path;
}

void WriteEmptyZip(const QString& path)
{
    static const char endRecord[22] = {'P', 'K', 5, 6};
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(endRecord, sizeof endRecord) != qint64(sizeof endRecord))
        throw EZipError(QStringLiteral("%1: %2").arg(path, f.errorString()));
}

QString BuildKsefPackage(TDedicatedSession* session, const TBulkSql& sql, int company, TBulkRun& run)
{
    if (sql.Kind == bkDemand) return QString();
    const TBulkKind& k = BulkKind(sql.Kind);
    const bool invoice = sql.Kind == bkInvoice;
    // Refused before any file is written.
    const QString folder = ExportFolder;
    KsefPackagePath(folder, sql.Kind, company, QDateTime::currentDateTime());

    QElapsedTimer watch;
    watch.start();
    StartStopwatch();
    run.StartGauge(run.FoundCount);
    const QString registered =
        QStringLiteral("select 1 from %1 where Length(%2KSEF_NRKSEF)>15 and %2KSEF_IDFAKTURY=:p1")
            .arg(QLatin1String(k.KsefTable), QLatin1String(k.Prefix));
    QStringList files;
    int n = 0;
    {
        auto q = session->OpenQuery(sql.FullQuery(), sql.Args);
        for (; !q->Eof(); q->Next()) {
            const int id = q->FieldByName(k.Col("INDEX"))->AsInteger();
            if (!KsefIssuedBeforeStart(q->FieldByName(k.Col("DATAWYSTAWIENIA"))->AsDate()) &&
                session->IsQueryEmpty(registered, {id})) {
                QString file;
                QString error;
                try {
                    file = invoice ? WriteKsefFvXml(id) : WriteKsefFvkXml(id);
                } catch (const std::exception& e) {
                    error = QString::fromUtf8(e.what());
                }
                if (file.isEmpty() || file == QLatin1String("0") || !QFileInfo(file).isFile()) {
                    run.Fail(QStringLiteral("KSeF - nie zapisano pliku XML dokumentu %1%2")
                                 .arg(q->FieldByName(k.Col("NUMERTXT"))->AsString(),
                                      error.isEmpty() ? QString() : QStringLiteral(": ") + error));
                } else {
                    files << file;
                    ++run.DoneCount;
                }
            }
            run.StepGauge();
            if (run.Aborted()) return QString();
            run.Breathe(++n);
        }
    }

    const QString path = KsefPackagePath(folder, sql.Kind, company, QDateTime::currentDateTime());
    run.StartGauge(int(files.size()));
    try {
        TZipArchiver zip;
        zip.CompressionLevel = 1;
        if (files.isEmpty())
            WriteEmptyZip(path);
        else
            zip.CreateArchive(path, files);
    } catch (const EZipError& e) {
        QFile::remove(path);
        LogTempInsert(QStringLiteral("KSeF - Błąd! (zip)"), QStringLiteral("%1 ms").arg(watch.elapsed()));
        run.Problems << QStringLiteral("KSeF - Błąd! (zip): ") + QString::fromUtf8(e.what());
        return QString();
    }
    for (int i = 0; i < files.size(); ++i) {
        ++run.SentCount;
        run.StepGauge();
    }
    return path;
}
