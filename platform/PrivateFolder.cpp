#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFile>

bool MakePrivateFolder(const QString& path)
{
    if (QDir(path).exists()) return true;
    if (!QDir().mkpath(path)) return false;
    return QFile::setPermissions(path,
                                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
