#include "ksef/KsefGateway.h"

#include <QByteArray>

TKsefGateway KsefGatewayFromInt(int value)
{
    switch (value) {
    case 0:
        return TKsefGateway::Production;
    case 1:
        return TKsefGateway::Demo;
    default:
        return TKsefGateway::Test;
    }
}

QString KsefApiBaseUrl(TKsefGateway gateway)
{
    const QByteArray override = qgetenv("ORLIX_KSEF_BASE_URL");
    if (!override.trimmed().isEmpty()) {
        QString url = QString::fromUtf8(override.trimmed());
        while (url.endsWith(QLatin1Char('/')))
            url.chop(1);
        return url;
    }
    switch (gateway) {
    case TKsefGateway::Production:
        return QStringLiteral("https://api.ksef.mf.gov.pl/v2");
    case TKsefGateway::Demo:
        return QStringLiteral("https://api-demo.ksef.mf.gov.pl/v2");
    case TKsefGateway::Test:
        break;
    }
    return QStringLiteral("https://api-test.ksef.mf.gov.pl/v2");
}

QString KsefQrHost(TKsefGateway gateway)
{
    switch (gateway) {
    case TKsefGateway::Production:
        return QStringLiteral("qr.ksef.mf.gov.pl");
    case TKsefGateway::Demo:
        return QStringLiteral("qr-demo.ksef.mf.gov.pl");
    case TKsefGateway::Test:
        break;
    }
    return QStringLiteral("qr-test.ksef.mf.gov.pl");
}
