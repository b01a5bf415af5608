#pragma once
// The one FTP client of the program (libcurl): routers' configuration and
// logs, portal and script uploads. Passive by default; the connection stays
// open between transfers until Disconnect.
#include <QString>
#include <stdexcept>

// A failed connection, login or transfer; what() is the library's text.
class EFtpError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The routers' port rule: "0", an empty text or one that is no number gives 21.
int FtpPortFromText(const QString& text);

class TFtpClient
{
public:
    TFtpClient();
    ~TFtpClient();
    TFtpClient(const TFtpClient&) = delete;
    TFtpClient& operator=(const TFtpClient&) = delete;

    QString Host;
    int Port = 21;
    QString Username;
    QString Password;
    bool Passive = true;
    // How long a connection or a server answer may take.
    int ReadTimeoutMs = 10000;

    // Connects and logs in; raises EFtpError.
    void Connect();
    void Disconnect();
    bool Connected() const { return m_connected; }
    // The local file as remoteName in the login folder; raises EFtpError.
    void Upload(const QString& localFile, const QString& remoteName);
    // The remote file into localFile, written only when the transfer succeeded.
    void Download(const QString& remoteName, const QString& localFile);
    void Delete(const QString& remoteName);
    // Delete, where a missing file or a refusal does not matter.
    void DeleteIgnoringErrors(const QString& remoteName);

private:
    void prepare(const QString& remoteName);
    void perform(const char* what);
    void* m_curl = nullptr;
    void* m_multi = nullptr; // holds the open control connection between transfers
    char m_error[256] = {};
    bool m_connected = false;
};
