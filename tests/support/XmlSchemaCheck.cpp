#include "tests/support/XmlSchemaCheck.h"

#include <QFile>

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include <cstdarg>
#include <cstdio>

namespace {

void collect(void* ctx, const char* msg, ...)
{
    char buf[1024];
    va_list ap;
    va_start(ap, msg);
    vsnprintf(buf, sizeof buf, msg, ap);
    va_end(ap);
    static_cast<QString*>(ctx)->append(QString::fromUtf8(buf));
}

} // namespace

QString SchemaErrors(const QByteArray& xml, const QString& xsdPath)
{
    QString errors;
    xmlSchemaParserCtxtPtr pc = xmlSchemaNewParserCtxt(QFile::encodeName(xsdPath).constData());
    xmlSchemaSetParserErrors(pc, collect, collect, &errors);
    xmlSchemaPtr schema = xmlSchemaParse(pc);
    xmlSchemaFreeParserCtxt(pc);
    if (!schema) return QStringLiteral("schema did not load: ") + errors;
    xmlDocPtr doc =
        xmlReadMemory(xml.constData(), static_cast<int>(xml.size()), "doc.xml", nullptr, XML_PARSE_NONET);
    if (!doc) {
        xmlSchemaFree(schema);
        return QStringLiteral("not well-formed XML");
    }
    xmlSchemaValidCtxtPtr vc = xmlSchemaNewValidCtxt(schema);
    xmlSchemaSetValidErrors(vc, collect, collect, &errors);
    const int rc = xmlSchemaValidateDoc(vc, doc);
    xmlSchemaFreeValidCtxt(vc);
    xmlFreeDoc(doc);
    xmlSchemaFree(schema);
    if (rc != 0 && errors.isEmpty()) errors = QStringLiteral("invalid (%1)").arg(rc);
    return errors;
}
