#pragma once
// What RTF tests compare of a rich document, and the golden files they read.
#include <QByteArray>
#include <QString>
#include <QStringList>

class QTextDocument;

// One entry per paragraph ("P" + its alignment) and per run: its text, bold,
// italic, underline, font family, size in points and colour.
QStringList DescribeRichDocument(const QTextDocument& document);
// The path of tests/data/rtf/<name>.
QString RtfDataPath(const QString& name);
QByteArray ReadRtfData(const QString& name);
