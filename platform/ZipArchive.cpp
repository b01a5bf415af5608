#include "platform/ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>
#include <zip.h>

TZipArchiver SharedZipForge;

namespace {

QString zipErrorText(int code)
{
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&e));
    zip_error_fini(&e);
    return text;
}

QString archiveError(zip_t* z)
{
    return QString::fromUtf8(zip_strerror(z));
}

struct ZipCloser
{
    void operator()(zip_t* z) const
    {
        if (z) zip_discard(z);
    }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

ZipPtr openArchive(const QString& archive, int flags)
{
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(archive).constData(), flags, &err);
    if (!z) throw EZipError(QStringLiteral("%1: %2").arg(archive, zipErrorText(err)));
    return ZipPtr(z);
}

// Path of an entry under folder, or empty when the entry would leave it.
QString safeTarget(const QDir& folder, const QString& entry)
{
    if (entry.isEmpty() || entry.startsWith(QLatin1Char('/')) || entry.startsWith(QLatin1Char('\\')) ||
        (entry.size() > 1 && entry[1] == QLatin1Char(':')))
        return QString();
    const QString clean = QDir::cleanPath(QString(entry).replace(QLatin1Char('\\'), QLatin1Char('/')));
    if (clean == QLatin1String("..") || clean.startsWith(QLatin1String("../"))) return QString();
    return folder.absoluteFilePath(clean);
}

// A regular file's mode bits as a unix archiver stores them.
zip_uint32_t unixMode(QFileDevice::Permissions p)
{
    zip_uint32_t m = 0100000;
    const std::pair<QFileDevice::Permission, zip_uint32_t> bits[] = {
        {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200}, {QFileDevice::ExeOwner, 0100},
        {QFileDevice::ReadGroup, 040},  {QFileDevice::WriteGroup, 020},  {QFileDevice::ExeGroup, 010},
        {QFileDevice::ReadOther, 04},   {QFileDevice::WriteOther, 02},   {QFileDevice::ExeOther, 01}};
    for (const auto& [flag, bit] : bits)
        if (p.testFlag(flag)) m |= bit;
    return m;
}

} // namespace

void TZipArchiver::CreateArchive(const QString& archive, const QStringList& files) const
{
    ZipPtr z = openArchive(archive, ZIP_CREATE | ZIP_TRUNCATE);
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (!info.isFile()) throw EZipError(QStringLiteral("%1: no such file").arg(file));
        zip_source_t* src =
            zip_source_file(z.get(), QFile::encodeName(info.absoluteFilePath()).constData(), 0, -1);
        if (!src) throw EZipError(QStringLiteral("%1: %2").arg(file, archiveError(z.get())));
        const zip_int64_t idx = zip_file_add(z.get(), info.fileName().toUtf8().constData(), src,
                                             ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (idx < 0) {
            zip_source_free(src);
            throw EZipError(QStringLiteral("%1: %2").arg(file, archiveError(z.get())));
        }
        const auto i = zip_uint64_t(idx);
        if (zip_set_file_compression(z.get(), i, ZIP_CM_DEFLATE,
                                     zip_uint32_t(qBound(1, CompressionLevel, 9))) != 0 ||
            zip_file_set_mtime(z.get(), i, info.lastModified().toSecsSinceEpoch(), 0) != 0 ||
            zip_file_set_external_attributes(z.get(), i, 0, ZIP_OPSYS_UNIX,
                                             unixMode(info.permissions()) << 16) != 0)
            throw EZipError(QStringLiteral("%1: %2").arg(file, archiveError(z.get())));
        if (!Password.isEmpty() &&
            zip_file_set_encryption(z.get(), i, ZIP_EM_AES_256, Password.toUtf8().constData()) != 0)
            throw EZipError(QStringLiteral("%1: %2").arg(file, archiveError(z.get())));
    }
    zip_t* raw = z.release();
    if (zip_close(raw) != 0) {
        const QString text = archiveError(raw);
        zip_discard(raw);
        QFile::remove(archive);
        throw EZipError(QStringLiteral("%1: %2").arg(archive, text));
    }
}

namespace {

// Moves what was extracted into place; folders merge, files replace.
void moveInto(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    const QDir src(from);
    for (const QFileInfo& info : src.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString target = QDir(to).filePath(info.fileName());
        if (info.isDir() && !info.isSymLink()) {
            moveInto(info.absoluteFilePath(), target);
            continue;
        }
        if (QFileInfo(target).isDir()) QDir(target).removeRecursively();
        QFile::remove(target);
        if (!QFile::rename(info.absoluteFilePath(), target))
            throw EZipError(QStringLiteral("%1: cannot move into place").arg(target));
    }
}

// Wipes the text before dropping it.
void forget(QString& secret)
{
    secret.fill(QLatin1Char('\0'));
    secret.clear();
}

} // namespace

void TZipArchiver::ExtractAll(const QString& archive, const QString& folder)
{
    QByteArray password = Password.toUtf8();
    forget(Password);
    struct WipeOnExit
    {
        QByteArray& bytes;
        ~WipeOnExit() { bytes.fill('\0'); }
    } wipe{password};

    ZipPtr z = openArchive(archive, ZIP_RDONLY);
    const zip_int64_t n = zip_get_num_entries(z.get(), 0);
    if (n > MaxEntries)
        throw EZipError(
            QStringLiteral("%1: too many entries (%2, at most %3)").arg(archive).arg(n).arg(MaxEntries));
    // The sizes the archive declares, checked before anything is written; what
    // really comes out is counted again below, as a forged header can lie.
    qint64 declared = 0;
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        if (zip_stat_index(z.get(), zip_uint64_t(i), 0, &st) != 0)
            throw EZipError(QStringLiteral("%1: %2").arg(archive, archiveError(z.get())));
        if (st.valid & ZIP_STAT_SIZE)
            declared += qint64(qMin<zip_uint64_t>(st.size, zip_uint64_t(MaxTotalSize) + 1));
        if (declared > MaxTotalSize)
            throw EZipError(QStringLiteral("%1: unpacked size over %2 bytes").arg(archive).arg(MaxTotalSize));
    }

    QDir().mkpath(folder);
    QTemporaryDir fresh(QDir(folder).filePath(QStringLiteral(".orlix-unzip-XXXXXX")));
    if (!fresh.isValid()) throw EZipError(QStringLiteral("%1: %2").arg(folder, fresh.errorString()));
    const QDir dir(fresh.path());
    qint64 written = 0;
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        if (zip_stat_index(z.get(), zip_uint64_t(i), 0, &st) != 0)
            throw EZipError(QStringLiteral("%1: %2").arg(archive, archiveError(z.get())));
        const QString name = QString::fromUtf8(st.name);
        const QString target = safeTarget(dir, name);
        if (target.isEmpty())
            throw EZipError(QStringLiteral("%1: entry outside the folder: %2").arg(archive, name));
        if (name.endsWith(QLatin1Char('/'))) {
            QDir().mkpath(target);
            continue;
        }
        QDir().mkpath(QFileInfo(target).absolutePath());
        zip_file_t* f = zip_fopen_index_encrypted(z.get(), zip_uint64_t(i), 0,
                                                  password.isEmpty() ? nullptr : password.constData());
        if (!f) throw EZipError(QStringLiteral("%1: %2: %3").arg(archive, name, archiveError(z.get())));
        std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> guard(f, zip_fclose);
        QFile out(target);
        if (!out.open(QIODevice::WriteOnly))
            throw EZipError(QStringLiteral("%1: %2").arg(target, out.errorString()));
        char buf[65536];
        for (;;) {
            const zip_int64_t got = zip_fread(f, buf, sizeof buf);
            if (got < 0)
                throw EZipError(
                    QStringLiteral("%1: %2: %3")
                        .arg(archive, name, QString::fromUtf8(zip_error_strerror(zip_file_get_error(f)))));
            if (got == 0) break;
            written += got;
            if (written > MaxTotalSize)
                throw EZipError(
                    QStringLiteral("%1: unpacked size over %2 bytes").arg(archive).arg(MaxTotalSize));
            if (out.write(buf, got) != got)
                throw EZipError(QStringLiteral("%1: %2").arg(target, out.errorString()));
        }
        out.close();
        if (out.error() != QFileDevice::NoError)
            throw EZipError(QStringLiteral("%1: %2").arg(target, out.errorString()));
        if (st.valid & ZIP_STAT_MTIME)
            QFile(target).setFileTime(QDateTime::fromSecsSinceEpoch(st.mtime),
                                      QFileDevice::FileModificationTime);
    }
    moveInto(fresh.path(), folder);
}

QStringList TZipArchiver::EntryNames(const QString& archive)
{
    ZipPtr z = openArchive(archive, ZIP_RDONLY);
    QStringList out;
    const zip_int64_t n = zip_get_num_entries(z.get(), 0);
    for (zip_int64_t i = 0; i < n; ++i)
        out << QString::fromUtf8(zip_get_name(z.get(), zip_uint64_t(i), 0));
    return out;
}
