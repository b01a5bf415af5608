#include "core/DbError.h"

#include <algorithm>

EDatabaseError::EDatabaseError(QString message, QString className, std::vector<int> errorCodes)
    : m_message(std::move(message)), m_className(std::move(className)), m_codes(std::move(errorCodes)),
      m_utf8(m_message.toUtf8())
{
}

void EDatabaseError::SetMessage(const QString& message)
{
    m_message = message;
    m_utf8 = message.toUtf8();
}

bool IsConnectionLostError(const EDatabaseError& e)
{
    // 9217/9218 are the old engine's "connection lost" codes; Connector/C says
    // 2006 (gone away), 2013 (lost during query), 2055 (lost at handshake) and
    // the server answers 1927 to a statement on a killed connection.
    static const int lost[] = {9217, 9218, 2006, 2013, 2055, 1927};
    return std::any_of(e.ErrorCodes().begin(), e.ErrorCodes().end(), [](int c) {
        return std::find(std::begin(lost), std::end(lost), c) != std::end(lost);
    });
}
