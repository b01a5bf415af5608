#include "tests/support/RtfSupport.h"

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>

QStringList DescribeRichDocument(const QTextDocument& doc)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        out << QStringLiteral("P%1").arg(int(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask));
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            out << QStringLiteral("%1|%2%3%4|%5|%6|%7")
                       .arg(it.fragment().text())
                       .arg(f.fontWeight() >= QFont::Bold ? 'b' : '-')
                       .arg(f.fontItalic() ? 'i' : '-')
                       .arg(f.fontUnderline() ? 'u' : '-')
                       .arg(f.fontFamilies().toStringList().join(QLatin1Char(',')))
                       .arg(f.fontPointSize())
                       .arg(f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().name()
                                                                        : QString());
        }
    }
    return out;
}

QString RtfDataPath(const QString& name)
{
    return QStringLiteral(ORLIX_SOURCE_DIR "/tests/data/rtf/") + name;
}

QByteArray ReadRtfData(const QString& name)
{
    QFile f(RtfDataPath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
