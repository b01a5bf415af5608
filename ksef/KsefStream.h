#pragma once
// File streams handed to the KSeF client: packages to upload, files to download into.
#include <QByteArray>
#include <QFile>
#include <QString>

// Modes of OpenFileStream: 0 opens an existing file for reading, 65535 creates
// (or empties) a file for writing.
enum TKsefStreamMode
{
    ksmRead = 0,
    ksmCreate = 65535,
};

class TKsefFileStream
{
public:
    TKsefFileStream(const QString& path, int mode);

    const QString& FileName() const { return m_path; }
    int Mode() const { return m_mode; }
    qint64 Size() const { return m_file.size(); }
    // The whole content, from the start (read mode).
    QByteArray ReadAll();
    void Write(const QByteArray& data);
    // Drops what was written so far (a failed download leaves an empty file).
    void Truncate();
    void Close();

private:
    QString m_path;
    int m_mode;
    QFile m_file;
};
