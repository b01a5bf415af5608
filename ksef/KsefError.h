#pragma once
// The one exception type of the KSeF client: every failed call raises it with a text
// the operator can read (the service's own message where the service gave one).
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <exception>

class EKsefError : public std::exception
{
public:
    // HttpStatus 0: the failure happened before or outside an HTTP answer (connection,
    // file, certificate, our own checks). ServiceCode: the exception/error code of the
    // service's answer, 0 when it gave none.
    explicit EKsefError(QString message, int httpStatus = 0, int serviceCode = 0,
                        QByteArray rawResponse = {});

    const QString& Message() const { return m_message; }
    // The type name shown by callers that report "(%s): %s".
    QString ClassName() const { return QStringLiteral("EKsefError"); }
    int HttpStatus() const { return m_httpStatus; }
    int ServiceCode() const { return m_serviceCode; }
    const QByteArray& RawResponse() const { return m_raw; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    int m_httpStatus;
    int m_serviceCode;
    QByteArray m_raw;
    QByteArray m_utf8;
};

// The error of a failed answer. Understands both shapes KSeF uses: Problem Details
// (application/problem+json: title, detail, errors[], reasonCode) and the older
// ExceptionResponse ({"exception":{"exceptionDetailList":[...]}}). Operation names
// the step ("Otwarcie sesji interaktywnej") so the text says what failed.
EKsefError KsefErrorFromResponse(const QString& operation, int httpStatus, const QByteArray& body);
