#pragma once
// The readable HTML page of an FA invoice (the "XSLT transformation" of the KSeF
// client). Built by walking the document with libxml2; no stylesheet is involved.
#include <QByteArray>
#include <QString>

typedef struct _xmlDoc xmlDoc;
class TKsefFileStream;

class TKsefXmlDocument
{
public:
    // Reader "TlgMSXMLReader" (libxml2). Raises EKsefError for a missing or malformed file.
    TKsefXmlDocument(const QString& reader, const QString& path);
    ~TKsefXmlDocument();
    TKsefXmlDocument(const TKsefXmlDocument&) = delete;
    TKsefXmlDocument& operator=(const TKsefXmlDocument&) = delete;

    xmlDoc* Doc() const { return m_doc; }
    const QString& FileName() const { return m_path; }

private:
    QString m_path;
    xmlDoc* m_doc = nullptr;
};

class TKsefXslTransformation
{
public:
    // Provider "TlgMSXMLXSLTransformation", the only one there is.
    explicit TKsefXslTransformation(const QString& provider = QStringLiteral("TlgMSXMLXSLTransformation"));

    // Writes the HTML page of the invoice into Output. A document that is not an
    // FA invoice raises EKsefError.
    void Transform(const TKsefXmlDocument& document, TKsefFileStream& output) const;
    QByteArray ToHtml(const TKsefXmlDocument& document) const;
};
