#include "printouts/MimeMessage.h"

#include <QLocale>
#include <QMimeDatabase>
#include <QRandomGenerator>

namespace {

const QByteArray Crlf = QByteArrayLiteral("\r\n");

bool isPrintableAscii(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
    return true;
}

// Encoded words of at most 75 characters: 45 bytes of UTF-8 give 60 base64
// characters plus the 12 of the frame; a character's bytes stay together.
QList<QByteArray> encodedWords(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    QList<QByteArray> words;
    int start = 0;
    while (start < utf8.size()) {
        int end = qMin<int>(start + 45, utf8.size());
        while (end < utf8.size() && end > start && (uchar(utf8[end]) & 0xC0) == 0x80)
            --end;
        words << "=?UTF-8?B?" + utf8.mid(start, end - start).toBase64() + "?=";
        start = end;
    }
    return words;
}

QByteArray quotedParameter(const QString& value)
{
    if (!isPrintableAscii(value)) return '"' + encodedWords(value).join(' ') + '"';
    QByteArray out = value.toLatin1();
    out.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + out + '"';
}

QByteArray displayName(const QString& name)
{
    if (name.isEmpty()) return {};
    if (!isPrintableAscii(name)) return EncodeHeaderText(name);
    static const QString specials = QStringLiteral("()<>[]:;@\\,.\"");
    for (QChar c : name)
        if (specials.contains(c)) return quotedParameter(name);
    return name.toLatin1();
}

QByteArray base64Lines(const QByteArray& data)
{
    const QByteArray b64 = data.toBase64();
    QByteArray out;
    out.reserve(b64.size() + b64.size() / 76 * 2 + 2);
    for (int i = 0; i < b64.size(); i += 76)
        out += b64.mid(i, 76) + Crlf;
    return out;
}

QByteArray textPart(const TMailMessage& m, bool html)
{
    QByteArray out;
    out += html ? "Content-Type: text/html; charset=utf-8" : "Content-Type: text/plain; charset=utf-8";
    out += Crlf + "Content-Transfer-Encoding: quoted-printable" + Crlf + Crlf;
    out += EncodeQuotedPrintable(m.body) + Crlf;
    return out;
}

QByteArray makeBoundary()
{
    QByteArray raw(12, Qt::Uninitialized);
    for (char& c : raw)
        c = char(QRandomGenerator::global()->bounded(256));
    // "=_" never occurs in quoted-printable or base64 text.
    return "=_orlix_" + raw.toHex();
}

} // namespace

QStringList SplitMailList(const QString& text, bool trimItems)
{
    QStringList items;
    QString item;
    auto close = [&] {
        if (!item.isEmpty()) {
            const QString value = trimItems ? item.trimmed() : item;
            if (!value.isEmpty()) items << value;
        }
        item.clear();
    };
    for (QChar c : text) {
        if (c == QLatin1Char(';'))
            close();
        else
            item += c;
    }
    close();
    return items;
}

QString MakeMessageId(const QString& fromAddress, QRandomGenerator& random)
{
    QString id = QStringLiteral("00");
    for (int i = 0; i < 3; ++i) {
        const quint32 n = random.bounded(quint32(2808348671u));
        id += QString::number(qint32(n));
    }
    return id + fromAddress;
}

QByteArray MailDateText(const QDateTime& when)
{
    const QLocale c = QLocale::c();
    const int offset = when.offsetFromUtc() / 60;
    const int absOffset = qAbs(offset);
    const QString zone = QStringLiteral("%1%2%3")
                             .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                             .arg(absOffset / 60, 2, 10, QLatin1Char('0'))
                             .arg(absOffset % 60, 2, 10, QLatin1Char('0'));
    return (c.toString(when, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")) + QLatin1Char(' ') + zone)
        .toLatin1();
}

QByteArray EncodeHeaderText(const QString& text)
{
    if (isPrintableAscii(text) && text.size() < 900) return text.toLatin1();
    return encodedWords(text).join("\r\n ");
}

QByteArray EncodeQuotedPrintable(const QString& text)
{
    static const char hex[] = "0123456789ABCDEF";
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QList<QByteArray> lines = normal.toUtf8().split('\n');
    QByteArray out;
    for (int li = 0; li < lines.size(); ++li) {
        const QByteArray& line = lines[li];
        QByteArray current;
        for (int i = 0; i < line.size(); ++i) {
            const uchar b = uchar(line[i]);
            const bool last = i == line.size() - 1;
            QByteArray token;
            if ((b >= 33 && b <= 126 && b != '=') || ((b == ' ' || b == '\t') && !last))
                token = QByteArray(1, char(b));
            else
                token = QByteArray("=") + hex[b >> 4] + hex[b & 15];
            // Soft break so that no line is longer than 76 characters.
            if (current.size() + token.size() > 75) {
                out += current + "=" + Crlf;
                current.clear();
            }
            current += token;
        }
        out += current;
        if (li < lines.size() - 1) out += Crlf;
    }
    return out;
}

QByteArray BuildMimeMessage(const TMailMessage& m)
{
    QByteArray out;
    out += "Date: " + MailDateText(m.date) + Crlf;
    const QByteArray name = displayName(m.fromName);
    out +=
        "From: " + (name.isEmpty() ? QByteArray() : name + ' ') + '<' + m.fromAddress.toUtf8() + '>' + Crlf;
    out += "To: " + m.to.toUtf8() + Crlf;
    out += "Subject: " + EncodeHeaderText(m.subject) + Crlf;
    if (!m.messageId.isEmpty()) out += "Message-ID: <" + m.messageId.toUtf8() + '>' + Crlf;
    if (!m.xMailer.isEmpty()) out += "X-Mailer: " + EncodeHeaderText(m.xMailer) + Crlf;
    if (!m.listUnsubscribe.isEmpty()) out += "List-Unsubscribe: " + m.listUnsubscribe.toUtf8() + Crlf;
    out += "MIME-Version: 1.0" + Crlf;

    if (!m.multipart) {
        out += textPart(m, false);
        return out;
    }

    const QByteArray boundary = makeBoundary();
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + '"' + Crlf + Crlf;
    out += "This is a multi-part message in MIME format." + Crlf;
    out += "--" + boundary + Crlf + textPart(m, m.bodyAsHtml);
    const QMimeDatabase types;
    for (const TMailAttachment& a : m.attachments) {
        const QString type = types.mimeTypeForFile(a.fileName, QMimeDatabase::MatchExtension).name();
        out += "--" + boundary + Crlf;
        out += "Content-Type: " + type.toLatin1() + "; name=" + quotedParameter(a.fileName) + Crlf;
        out += "Content-Transfer-Encoding: base64" + Crlf;
        out += "Content-Disposition: attachment; filename=" + quotedParameter(a.fileName) + Crlf + Crlf;
        out += base64Lines(a.data);
    }
    out += "--" + boundary + "--" + Crlf;
    return out;
}
