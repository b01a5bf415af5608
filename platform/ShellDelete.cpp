#include "platform/ShellDelete.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool removeEntry(const QFileInfo& fi)
{
    if (fi.isDir() && !fi.isSymLink()) return QDir(fi.absoluteFilePath()).removeRecursively();
    return QFile::remove(fi.absoluteFilePath());
}

} // namespace

bool ShellDeletePath(const QString& path)
{
    if (path.isEmpty()) return false;
    QString p = QDir::fromNativeSeparators(path);
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    const QFileInfo fi(p);
    const QString name = fi.fileName();
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
        const QFileInfoList hits = QDir(fi.path()).entryInfoList(
            QStringList{name}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if (hits.isEmpty()) return false;
        bool all = true;
        for (const QFileInfo& h : hits)
            all = removeEntry(h) && all;
        return all;
    }
    if (!fi.exists() && !fi.isSymLink()) return false;
    return removeEntry(fi);
}
