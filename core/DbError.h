#pragma once
// The one exception type of the database layer, plus the silent abort.
#include <QByteArray>
#include <QString>
#include <exception>
#include <vector>

class EDatabaseError : public std::exception
{
public:
    // ClassName is what the decorated text shows as "Error type":
    // "EDBEngineError" for the server's errors, "EConvertError" for field
    // conversions, "EDatabaseError" for the layer's own refusals.
    EDatabaseError(QString message, QString className = QStringLiteral("EDatabaseError"),
                   std::vector<int> errorCodes = {});

    const QString& Message() const { return m_message; }
    void SetMessage(const QString& message);
    const QString& ClassName() const { return m_className; }
    // The engine's error stack (server or client error numbers); empty for our own errors.
    const std::vector<int>& ErrorCodes() const { return m_codes; }
    // Set once the access layer decorated the message; an outer helper keeps it as is.
    bool Decorated() const { return m_decorated; }
    void SetDecorated(bool d) { m_decorated = d; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QString m_className;
    std::vector<int> m_codes;
    bool m_decorated = false;
    QByteArray m_utf8;
};

// The silent abort: raised to end an operation without any message.
class EAbort : public std::exception
{
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// True when the error stack shows that the connection to the server is gone.
bool IsConnectionLostError(const EDatabaseError& e);
