#pragma once
// ZIP archives through libzip: what the archiver component and the helper
// program's ZIP/UNZIP did for the program.
#include <QString>
#include <QStringList>
#include <stdexcept>

class EZipError : public std::runtime_error
{
public:
    explicit EZipError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

class TZipArchiver
{
public:
    int CompressionLevel = 1; // 1 (fast) .. 9 (small)
    QString Password;         // empty: none; otherwise AES-256 per entry

    // Creates the archive (replacing an existing one) with the files stored
    // under their bare names, modification times and permissions kept.
    void CreateArchive(const QString& archive, const QStringList& files) const;
    // What one extraction may write: an archive past either is refused
    // before its files land (a small zip can unpack to gigabytes).
    qint64 MaxTotalSize = qint64(1) << 30; // 1 GiB unpacked
    int MaxEntries = 10000;

    // Extracts every entry (paths as stored) into folder: first into a fresh
    // folder beside, then moved into place only when every entry came out,
    // so a refused archive leaves nothing. An entry whose path would leave
    // the folder is refused. The password is forgotten afterwards, however
    // it ends. Throws EZipError.
    void ExtractAll(const QString& archive, const QString& folder);
    // The entry names of an archive. Throws EZipError.
    static QStringList EntryNames(const QString& archive);
};

// The process-wide archiver the unpack operations share.
extern TZipArchiver SharedZipForge;
