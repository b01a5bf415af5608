#include "registers/RegistersHooks.h"

#include "mainwindow/DefinicjeHooks.h"

std::function<void(const TBulkMailRequest&)> OpenBulkMailComposer;
std::function<void(const QString&, const QString&, int)> SendSmsHook;
std::function<void(const TSmsWindowRequest&)> OpenSmsWindow;
std::function<void(int, const QString&, bool)> PrintZlecenieCard;
std::function<void(const QString&, const TArgs&, const QString&, const QString&)> PrintZleceniaSummary;

void OpenBulkMailComposerOrSay(const TBulkMailRequest& request)
{
    if (!OpenBulkMailComposer) return ShowNotAvailable(QStringLiteral("Wyślij wiadomość do wszystkich"));
    OpenBulkMailComposer(request);
}

void SendSmsOrSay(const QString& phone, const QString& text, int userIndex)
{
    if (!SendSmsHook) return ShowNotAvailable(QStringLiteral("Wyślij SMS"));
    SendSmsHook(phone, text, userIndex);
}

void OpenSmsWindowOrSay(const TSmsWindowRequest& request)
{
    if (!OpenSmsWindow) return ShowNotAvailable(QStringLiteral("SMS do serwisanta"));
    OpenSmsWindow(request);
}

bool PrintZlecenieCardOrSay(int zsIndex, const QString& printerName, bool direct)
{
    if (!PrintZlecenieCard) {
        ShowNotAvailable(QStringLiteral("Drukuj zlecenie"));
        return false;
    }
    PrintZlecenieCard(zsIndex, printerName, direct);
    return true;
}

void PrintZleceniaSummaryOrSay(const QString& sql, const TArgs& args, const QString& printerName,
                               const QString& caption)
{
    if (!PrintZleceniaSummary) return ShowNotAvailable(QStringLiteral("Drukuj listę"));
    PrintZleceniaSummary(sql, args, printerName, caption);
}
