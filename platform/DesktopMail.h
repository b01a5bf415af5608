#pragma once
// The desktop's mail client: a message handed over through xdg-email, the way
// the system once handed it to the Windows mail client (Simple MAPI).
#include <QString>
#include <QStringList>

struct TDesktopMail
{
    QStringList to;
    QString subject;
    QString body;
    QString attachment; // empty: none
};

enum class TDesktopMailResult
{
    Handed,     // the mail client took the message (or is still composing it)
    NotStarted, // the hand-over command could not be started
    Failed      // the command ended with an error
};

// False for an address holding CR or LF (it would add a line of its own to
// the SMTP dialogue or a header) or starting with "-" (it would read as an option).
bool IsSafeMailAddress(const QString& address);
// "Niepoprawny adres e-mail ..." with the line breaks made visible.
QString UnsafeMailAddressText(const QString& address);

// "xdg-email", or the command that the environment variable ORLIX_XDG_EMAIL names.
QString DesktopMailCommand();
// The command's arguments, one list entry each (never a shell line).
QStringList DesktopMailArguments(const TDesktopMail& mail);
// Starts the command and waits up to waitMs for it; a command still running
// then is left to run and counts as handed over. An unsafe address is
// refused before anything starts (NotStarted).
TDesktopMailResult SendDesktopMail(const TDesktopMail& mail, int waitMs = 15000);
