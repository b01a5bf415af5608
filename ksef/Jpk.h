#pragma once
// The tax authority's audit files (JPK) of the sales register: one free
// function per published structure. Each reads the documents issued from
// DateFrom to DateTo (of company PodmiotIndex when > 0, of the subscribers
// of UserIdFilter " in (...)" when not empty), writes the file into the
// export folder under a temporary name and renames it into place at the end.
// FileName is "0" until the file is complete, then its full path.
//
// A file the tax office would reject is refused before anything is read:
// EJpkRefused carries the operator's text naming the setting or period to
// fix. Database and file errors propagate; no file is left behind.
#include <QDate>
#include <QString>
#include <stdexcept>

class EJpkRefused : public std::runtime_error
{
public:
    explicit EJpkRefused(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& Message() const { return m_message; }

private:
    QString m_message;
};

void WriteJpkV7M3(const QString& UserIdFilter, int PodmiotIndex, QString& FileName, const QDate& DateFrom,
                  const QDate& DateTo);
void WriteJpkV7M2(const QString& UserIdFilter, int PodmiotIndex, QString& FileName, const QDate& DateFrom,
                  const QDate& DateTo);
void WriteJpkV7K2(const QString& UserIdFilter, int PodmiotIndex, QString& FileName, const QDate& DateFrom,
                  const QDate& DateTo);
void WriteJpkFa4(const QString& UserIdFilter, int PodmiotIndex, QString& FileName, const QDate& DateFrom,
                 const QDate& DateTo);
void WriteJpkVat3(const QString& UserIdFilter, int PodmiotIndex, QString& FileName, const QDate& DateFrom,
                  const QDate& DateTo);
