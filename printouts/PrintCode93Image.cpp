#include "printouts/PrintCode93Image.h"

#include "core/DbIni.h"

#include <QFont>
#include <QPainter>

// The shift symbols are held as characters that never pass IsCode93Text.
const QString Code93Symbols = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%") +
                              QString(QChar(0x01)) + QChar(0x02) + QChar(0x03) + QChar(0x04);

namespace {

constexpr int kDataChars = 43;

// Bar/space widths of the 47 symbols (AIM USS-93 order), then start/stop.
const char* const kWidths[48] = {
    "131112", "111213", "111312", "111411", "121113", "121212", "121311", "111114", "131211", "141111",
    "211113", "211212", "211311", "221112", "221211", "231111", "112113", "112212", "112311", "122112",
    "132111", "111123", "111222", "111321", "121122", "131121", "212112", "212211", "211122", "211221",
    "221121", "222111", "112122", "112221", "122121", "123111", "121131", "311112", "311211", "321111",
    "112131", "113121", "211131", "121221", "312111", "311121", "122211", "111141"};

} // namespace

bool IsCode93DataChar(QChar c)
{
    const int i = Code93Symbols.indexOf(c);
    return i >= 0 && i < kDataChars;
}

bool IsCode93Text(const QString& text)
{
    for (QChar c : text)
        if (!IsCode93DataChar(c)) return false;
    return true;
}

int Code93Value(QChar c)
{
    const int i = Code93Symbols.indexOf(c);
    return i < 0 ? 0 : i;
}

int Code93CheckC(const QString& text)
{
    int sum = 0;
    const int n = int(text.size());
    for (int p = 1; p <= n; ++p)
        sum += Code93Value(text[n - p]) * (((p - 1) % 20) + 1);
    return sum % 47;
}

int Code93CheckK(const QString& text, int c)
{
    int sum = c;
    const int n = int(text.size());
    for (int p = 1; p <= n; ++p)
        sum += Code93Value(text[n - p]) * ((p % 15) + 1);
    return sum % 47;
}

QString Code93Pattern(int value)
{
    const char* w = kWidths[(value < 0 || value > 46) ? 47 : value];
    QString out;
    bool bar = true;
    for (const char* p = w; *p; ++p) {
        out += QString(*p - '0', bar ? QLatin1Char('1') : QLatin1Char('0'));
        bar = !bar;
    }
    return out;
}

QString Code93Modules(const QString& text)
{
    const QString t = text.toUpper();
    if (!IsCode93Text(t)) return QString();
    const int c = Code93CheckC(t);
    const int k = Code93CheckK(t, c);
    QString m = Code93Pattern(-1);
    for (QChar ch : t)
        m += Code93Pattern(Code93Value(ch));
    m += Code93Pattern(c);
    m += Code93Pattern(k);
    m += Code93Pattern(-1);
    m += QLatin1Char('1');
    return m;
}

int DrawCode93Image(QPainter& canvas, int x, int y, const QString& text, int height, bool printerCanvas)
{
    const QString modules = Code93Modules(text);
    if (modules.isEmpty()) return 0;
    const int width = printerCanvas ? 3 : 1;
    int pos = 0;
    canvas.save();
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(Qt::black);
    for (QChar m : modules) {
        if (m == QLatin1Char('1')) canvas.fillRect(QRect(x + pos, y, width, height), Qt::black);
        pos += width;
    }
    QFont f(QStringLiteral("Tahoma"));
    if (printerCanvas) {
        f.setPointSize(5);
        canvas.setFont(f);
        canvas.setPen(Qt::black);
        canvas.setBackgroundMode(Qt::OpaqueMode);
        canvas.setBackground(Qt::white);
        const QString caption = QStringLiteral("   ") + text.toUpper() + QStringLiteral("   ");
        const int cx = pos / 2 - 5 * int(text.size()) - 10;
        canvas.drawText(QPoint(cx, y + height + 1 + canvas.fontMetrics().ascent()), caption);
    }
    canvas.restore();
    return pos;
}

void DrawCode93Barcode(QPainter& canvas, int x, int y, const QString& text, int height, bool printerCanvas,
                       bool barcodesOn)
{
    if (!barcodesOn) return;
    canvas.fillRect(QRect(QPoint(0, 0), QPoint(1000, 1000)), Qt::white);
    DrawCode93Image(canvas, x, y, text, height, printerCanvas);
}

void DrawCode93Barcode(QPainter& canvas, int x, int y, const QString& text, int height, bool printerCanvas)
{
    DrawCode93Barcode(canvas, x, y, text, height, printerCanvas,
                      ReadIniBool(0, QStringLiteral("DrukujKodyKreskowe"), true));
}
