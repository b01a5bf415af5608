#pragma once
// Checks generated XML against an XSD with libxml2, offline.
#include <QByteArray>
#include <QString>

// Empty when Xml is valid against the schema, else libxml2's messages.
QString SchemaErrors(const QByteArray& xml, const QString& xsdPath);
