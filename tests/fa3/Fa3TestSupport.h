#pragma once
// Checks of FA (3) files: validation against the official schema (loaded
// offline from the shared schema folder beside the repository) and XPath
// reads with the prefix "f" bound to the FA (3) namespace.
#include <QByteArray>
#include <QString>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// The official schema file (the copy whose imports are relative).
QString Fa3SchemaPath();
// Empty when the document is valid; otherwise the validator's messages.
QString Fa3SchemaErrors(const QByteArray& xml);

QByteArray ReadFileBytes(const QString& path);

// A parsed document for XPath reads.
class TXmlDoc
{
public:
    explicit TXmlDoc(const QByteArray& xml);
    ~TXmlDoc();
    bool Ok() const { return m_doc != nullptr; }
    // The string value of an XPath expression ("count(...)" gives the number as text).
    QString Eval(const QString& xpath) const;

private:
    struct _xmlDoc* m_doc = nullptr;
};
