#pragma once
// What travels to a MikroTik router after a build: the sections switched
// off are emptied, the lines are compared with the configuration stored at
// the last send (table MTconf), only the difference goes in a differential
// send, and the script with the day and night queue files is uploaded by FTP.
#include <QString>
#include <functional>

struct TMikrotikRouter;
struct TMikrotikSections;
class TFtpClient;

// The main window's FTP client that every MikroTik send uses.
TFtpClient& SharedFtpClient();
// Points the client at the router (passive, the port rule); disconnects first.
void PrepareMikrotikFtp(TFtpClient& ftp, const TMikrotikRouter& router);

// The main window's status panel 3, where a send reports; unset, reports go nowhere.
struct TMikrotikSendHooks
{
    std::function<void(const QString& text)> statusText;
};
TMikrotikSendHooks& MikrotikSendHooks();

// The start of the build that timing lines count from.
void MikrotikBuildStarted();
// A timing row: name and the seconds since the start, "#0.00 s".
void MikrotikTimingLine(const QString& name);

enum class TMikrotikSendOutcome
{
    Sent,
    Skipped,
    Failed
};
// Compares, assembles and uploads; stores the lines as the router's
// configuration only after a successful upload or a skip, so a failed upload
// leaves MTconf as the router last received it. Database errors reach the caller.
TMikrotikSendOutcome SendMikrotikSections(const TMikrotikRouter& router, TMikrotikSections& sections,
                                          bool full, TFtpClient& ftp);
