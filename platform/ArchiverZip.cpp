#include "platform/ArchiverZip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <zip.h>

bool ZipFileIntoFolder(const QString& source, const QString& targetFolder)
{
    const QFileInfo src(source);
    if (!src.isFile()) return false;
    const QString target = QDir(targetFolder).filePath(src.fileName() + QStringLiteral(".zip"));
    QFile::remove(target);
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(target).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) return false;
    zip_source_t* zs = zip_source_file(z, QFile::encodeName(src.absoluteFilePath()).constData(), 0, -1);
    if (!zs ||
        zip_file_add(z, src.fileName().toUtf8().constData(), zs, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
        if (zs) zip_source_free(zs);
        zip_discard(z);
        return false;
    }
    return zip_close(z) == 0;
}
