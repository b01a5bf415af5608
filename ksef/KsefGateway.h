#pragma once
// The KSeF environments. The numbers are those of the setting KSeF_TypBramki.
#include <QString>

enum class TKsefGateway
{
    Production = 0,
    Demo = 1,
    Test = 2,
};

// Unknown numbers fall back to the test environment, the setting's default,
// so a damaged setting never sends real invoices by accident.
TKsefGateway KsefGatewayFromInt(int value);

// REST base of the environment, e.g. "https://api-test.ksef.mf.gov.pl/v2". The
// environment variable ORLIX_KSEF_BASE_URL replaces it for every environment
// (tests point the client at the local stand-in this way).
QString KsefApiBaseUrl(TKsefGateway gateway);

// Host of the verification links (QR codes), e.g. "qr-test.ksef.mf.gov.pl".
QString KsefQrHost(TKsefGateway gateway);
