#pragma once
// Takes the addresses the program asks the desktop to open, for one scheme.
#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

class TUrlRecorder : public QObject
{
    Q_OBJECT
public:
    explicit TUrlRecorder(const QStringList& schemes) : m_schemes(schemes)
    {
        for (const QString& s : m_schemes)
            QDesktopServices::setUrlHandler(s, this, "handle");
    }
    ~TUrlRecorder() override
    {
        for (const QString& s : m_schemes)
            QDesktopServices::unsetUrlHandler(s);
    }
    QList<QUrl> Urls;

public slots:
    void handle(const QUrl& url) { Urls.append(url); }

private:
    QStringList m_schemes;
};
