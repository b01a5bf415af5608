#include "tests/fa3/Fa3TestSupport.h"

#include <QFile>
#include <QStringList>
#include <libxml/parser.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

namespace {

// CI lays shared/ beside the repository.
const char* const kSchema = ORLIX_SOURCE_DIR "/../shared/schemas/FA3/local/schemat_FA(3)_v1-0E.xsd";

void collect(void* ctx, xmlErrorPtr error)
{
    auto* list = static_cast<QStringList*>(ctx);
    list->append(
        QStringLiteral("line %1: %2").arg(error->line).arg(QString::fromUtf8(error->message).trimmed()));
}

// Parsed once: the schema and its imports, never from the network.
xmlSchemaPtr schema(QString& problem)
{
    static QString loadProblem;
    static xmlSchemaPtr parsed = [] {
        xmlSetExternalEntityLoader(xmlNoNetExternalEntityLoader);
        xmlSchemaParserCtxtPtr pctx = xmlSchemaNewParserCtxt(kSchema);
        if (!pctx) {
            loadProblem = QStringLiteral("cannot open the schema ") + QString::fromUtf8(kSchema);
            return xmlSchemaPtr(nullptr);
        }
        xmlSchemaPtr s = xmlSchemaParse(pctx);
        xmlSchemaFreeParserCtxt(pctx);
        if (!s) loadProblem = QStringLiteral("the schema does not compile: ") + QString::fromUtf8(kSchema);
        return s;
    }();
    problem = loadProblem;
    return parsed;
}

} // namespace

QString Fa3SchemaPath()
{
    return QString::fromUtf8(kSchema);
}

QByteArray ReadFileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

QString Fa3SchemaErrors(const QByteArray& xml)
{
    QString problem;
    xmlSchemaPtr s = schema(problem);
    if (!s) return problem;
    xmlDocPtr doc = xmlReadMemory(xml.constData(), int(xml.size()), "fa3.xml", nullptr, XML_PARSE_NONET);
    if (!doc) return QStringLiteral("not well-formed XML");
    QStringList errors;
    xmlSchemaValidCtxtPtr vctx = xmlSchemaNewValidCtxt(s);
    xmlSchemaSetValidStructuredErrors(vctx, collect, &errors);
    const int rc = xmlSchemaValidateDoc(vctx, doc);
    xmlSchemaFreeValidCtxt(vctx);
    xmlFreeDoc(doc);
    if (rc != 0 && errors.isEmpty()) errors << QStringLiteral("invalid (code %1)").arg(rc);
    return errors.join(QLatin1Char('\n'));
}

TXmlDoc::TXmlDoc(const QByteArray& xml)
{
    m_doc = xmlReadMemory(xml.constData(), int(xml.size()), "fa3.xml", nullptr, XML_PARSE_NONET);
}

TXmlDoc::~TXmlDoc()
{
    if (m_doc) xmlFreeDoc(m_doc);
}

QString TXmlDoc::Eval(const QString& xpath) const
{
    if (!m_doc) return QStringLiteral("<no document>");
    xmlXPathContextPtr ctx = xmlXPathNewContext(m_doc);
    xmlXPathRegisterNs(ctx, BAD_CAST "f", BAD_CAST "http://crd.gov.pl/wzor/2025/06/25/13775/");
    const QByteArray expr = xpath.toUtf8();
    xmlXPathObjectPtr obj = xmlXPathEvalExpression(BAD_CAST expr.constData(), ctx);
    QString out = QStringLiteral("<bad xpath>");
    if (obj) {
        xmlChar* s = xmlXPathCastToString(obj);
        out = QString::fromUtf8(reinterpret_cast<const char*>(s));
        xmlFree(s);
        xmlXPathFreeObject(obj);
    }
    xmlXPathFreeContext(ctx);
    return out;
}
