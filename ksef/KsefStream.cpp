#include "ksef/KsefStream.h"

#include "ksef/KsefError.h"

TKsefFileStream::TKsefFileStream(const QString& path, int mode) : m_path(path), m_mode(mode), m_file(path)
{
    if (mode == ksmRead) {
        if (!m_file.open(QIODevice::ReadOnly))
            throw EKsefError(QStringLiteral("Nie można otworzyć pliku do odczytu: %1 (%2)")
                                 .arg(path, m_file.errorString()));
    } else if (mode == ksmCreate) {
        if (!m_file.open(QIODevice::ReadWrite | QIODevice::Truncate))
            throw EKsefError(
                QStringLiteral("Nie można utworzyć pliku: %1 (%2)").arg(path, m_file.errorString()));
    } else {
        throw EKsefError(QStringLiteral("Nieznany tryb otwarcia pliku %1: %2").arg(path).arg(mode));
    }
}

QByteArray TKsefFileStream::ReadAll()
{
    if (!m_file.isOpen() || !m_file.seek(0))
        throw EKsefError(QStringLiteral("Nie można odczytać pliku: %1").arg(m_path));
    return m_file.readAll();
}

void TKsefFileStream::Write(const QByteArray& data)
{
    if (m_mode != ksmCreate || !m_file.isOpen() || m_file.write(data) != data.size())
        throw EKsefError(
            QStringLiteral("Nie można zapisać pliku: %1 (%2)").arg(m_path, m_file.errorString()));
}

void TKsefFileStream::Truncate()
{
    if (m_mode == ksmCreate && m_file.isOpen()) {
        m_file.resize(0);
        m_file.seek(0);
    }
}

void TKsefFileStream::Close()
{
    if (m_file.isOpen()) {
        if (m_mode == ksmCreate && !m_file.flush())
            throw EKsefError(
                QStringLiteral("Nie można zapisać pliku: %1 (%2)").arg(m_path, m_file.errorString()));
        m_file.close();
    }
}
