#include "platform/Rtf.h"

#include "platform/CodePage.h"

#include <QColor>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <map>
#include <vector>

namespace {

// One byte of a single-byte code page as a character; built once per page.
const std::array<char16_t, 256>& CodePageTable(int codePage)
{
    static std::map<int, std::array<char16_t, 256>> tables;
    auto it = tables.find(codePage);
    if (it != tables.end()) return it->second;
    std::array<char16_t, 256> t{};
    const QByteArray name = "WINDOWS-" + QByteArray::number(codePage);
    for (int b = 0; b < 256; ++b) {
        bool ok = false;
        const QByteArray utf8 =
            b < 128 ? QByteArray(1, char(b))
                    : IconvConvert(name.constData(), "UTF-8", QByteArray(1, char(b)), false, &ok);
        const QString s = QString::fromUtf8(utf8);
        t[size_t(b)] = (b < 128 || ok) && s.size() == 1 ? s.at(0).unicode() : u'?';
    }
    return tables.emplace(codePage, t).first->second;
}

int CodePageOfCharset(int charset)
{
    switch (charset) {
    case 238:
        return 1250; // Eastern European
    case 204:
        return 1251;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 186:
        return 1257;
    case 0:
    case 1:
        return 1252;
    default:
        return 0; // the document's own
    }
}

enum class Dest
{
    Text,
    Skip,
    FontTable,
    ColorTable
};

struct State
{
    Dest dest = Dest::Text;
    bool bold = false, italic = false, underline = false;
    int font = -1;
    int halfPoints = 0;
    int color = 0;
    int uc = 1;
};

struct Run
{
    QString text;
    QTextCharFormat format;
};
struct Paragraph
{
    Qt::Alignment align = Qt::AlignLeft;
    std::vector<Run> runs;
    // A table row reads as one paragraph, its cells at tab stops on the cells' left edges (twips).
    std::vector<int> tabsTwips;
};

// Destinations whose content is not document text.
bool IsSkippedDestination(const QByteArray& word)
{
    static const QSet<QByteArray> words{"info",
                                        "stylesheet",
                                        "pict",
                                        "header",
                                        "headerl",
                                        "headerr",
                                        "headerf",
                                        "footer",
                                        "footerl",
                                        "footerr",
                                        "footerf",
                                        "footnote",
                                        "fldinst",
                                        "object",
                                        "objdata",
                                        "nonshppict",
                                        "listtable",
                                        "listoverridetable",
                                        "rsidtbl",
                                        "filetbl",
                                        "revtbl",
                                        "themedata",
                                        "colorschememapping",
                                        "latentstyles",
                                        "datastore",
                                        "xmlnstbl",
                                        "generator",
                                        "author",
                                        "operator",
                                        "title",
                                        "subject",
                                        "keywords",
                                        "comment",
                                        "doccomm",
                                        "company",
                                        "creatim",
                                        "revtim",
                                        "printim",
                                        "buptim",
                                        "pn",
                                        "pntext",
                                        "pntxta",
                                        "pntxtb",
                                        "shp",
                                        "shpinst",
                                        "sp",
                                        "bkmkstart",
                                        "bkmkend",
                                        "mmathPr",
                                        "pgdsctbl",
                                        "protusertbl",
                                        "wgrffmtfilter",
                                        "background"};
    return words.contains(word);
}

class Reader
{
public:
    explicit Reader(const QByteArray& rtf) : m_in(rtf) {}

    std::vector<Paragraph> read()
    {
        m_stack.push_back(State{});
        while (m_pos < m_in.size()) {
            const char c = m_in.at(m_pos);
            if (c == '{') {
                ++m_pos;
                flushBytes();
                m_stack.push_back(m_stack.back());
                m_groupStart = true;
                continue;
            }
            if (c == '}') {
                ++m_pos;
                flushBytes();
                if (m_stack.back().dest == Dest::FontTable) finishFontEntry();
                if (m_stack.size() > 1) m_stack.pop_back();
                m_groupStart = false;
                continue;
            }
            if (c == '\\') {
                controlWord();
                m_groupStart = false;
                continue;
            }
            ++m_pos;
            m_groupStart = false;
            if (c == '\r' || c == '\n') continue;
            if (m_skipChars > 0) {
                --m_skipChars;
                continue;
            }
            if (uchar(c) >= 0x80) {
                m_bytes.append(c);
                continue;
            }
            flushBytes();
            text(QChar(QLatin1Char(c)));
        }
        flushBytes();
        if (!m_para.runs.empty() || m_paras.empty()) m_paras.push_back(m_para);
        return m_paras;
    }

private:
    State& st() { return m_stack.back(); }

    void controlWord()
    {
        ++m_pos; // backslash
        if (m_pos >= m_in.size()) return;
        const char c = m_in.at(m_pos);
        if (!std::isalpha(uchar(c))) {
            ++m_pos;
            controlSymbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && std::isalpha(uchar(m_in.at(m_pos))))
            ++m_pos;
        const QByteArray word = m_in.mid(start, m_pos - start);
        bool hasParam = false;
        int param = 0;
        if (m_pos < m_in.size() && (m_in.at(m_pos) == '-' || std::isdigit(uchar(m_in.at(m_pos))))) {
            const qsizetype ps = m_pos;
            ++m_pos;
            while (m_pos < m_in.size() && std::isdigit(uchar(m_in.at(m_pos))) && m_pos - ps < 11)
                ++m_pos;
            param = m_in.mid(ps, m_pos - ps).toInt();
            hasParam = true;
        }
        if (m_pos < m_in.size() && m_in.at(m_pos) == ' ') ++m_pos; // the delimiter belongs to the word
        if (word != "u" && m_skipChars > 0) {
            // A control word inside a \u fallback counts as one skipped character.
            --m_skipChars;
            return;
        }
        flushBytes();
        applyWord(word, hasParam, param);
    }

    void controlSymbol(char c)
    {
        if (c == '\'') {
            const QByteArray hex = m_in.mid(m_pos, 2);
            m_pos += hex.size();
            if (m_skipChars > 0) {
                --m_skipChars;
                return;
            }
            bool ok = false;
            const int b = hex.toInt(&ok, 16);
            if (ok) m_bytes.append(char(b));
            return;
        }
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        flushBytes();
        switch (c) {
        case '\\':
        case '{':
        case '}':
            text(QChar(QLatin1Char(c)));
            break;
        case '~':
            text(QChar(0x00A0));
            break;
        case '_':
            text(QChar(0x2011));
            break;
        case '*':
            if (m_groupStart) st().dest = Dest::Skip; // an optional destination we do not know
            break;
        case '\r':
        case '\n':
            newParagraph();
            break; // "\<newline>" is \par
        default:
            break; // \- optional hyphen, \: index subentry
        }
    }

    void applyWord(const QByteArray& w, bool hasParam, int p)
    {
        State& s = st();
        if (w == "fonttbl") {
            s.dest = Dest::FontTable;
            return;
        }
        if (w == "colortbl") {
            s.dest = Dest::ColorTable;
            return;
        }
        if (IsSkippedDestination(w)) {
            s.dest = Dest::Skip;
            return;
        }
        if (w == "bin") {
            m_pos += qMax(0, p);
            return;
        }
        if (s.dest == Dest::Skip) return;
        if (s.dest == Dest::FontTable) {
            if (w == "f")
                m_fontNo = p;
            else if (w == "fcharset")
                m_fontCharsets[m_fontNo] = p;
            return;
        }
        if (s.dest == Dest::ColorTable) {
            if (w == "red")
                m_red = p;
            else if (w == "green")
                m_green = p;
            else if (w == "blue")
                m_blue = p;
            return;
        }
        const bool on = !hasParam || p != 0;
        if (w == "ansicpg")
            m_codePage = p;
        else if (w == "deff")
            m_defaultFont = p;
        else if (w == "par")
            newParagraph();
        else if (w == "trowd")
            m_rowCells.clear();
        else if (w == "cellx")
            m_rowCells.push_back(p);
        else if (w == "cell" || w == "nestcell")
            text(QStringLiteral("\t"));
        else if (w == "row" || w == "nestrow") {
            if (m_rowCells.size() > 1) m_para.tabsTwips.assign(m_rowCells.begin(), m_rowCells.end() - 1);
            newParagraph();
        } else if (w == "line")
            text(QChar(QChar::LineSeparator));
        else if (w == "tab")
            text(QStringLiteral("\t"));
        else if (w == "pard")
            m_para.align = Qt::AlignLeft;
        else if (w == "ql")
            m_para.align = Qt::AlignLeft;
        else if (w == "qc")
            m_para.align = Qt::AlignHCenter;
        else if (w == "qr")
            m_para.align = Qt::AlignRight;
        else if (w == "qj")
            m_para.align = Qt::AlignJustify;
        else if (w == "plain") {
            s.bold = s.italic = s.underline = false;
            s.font = -1;
            s.halfPoints = 0;
            s.color = 0;
        } else if (w == "b")
            s.bold = on;
        else if (w == "i")
            s.italic = on;
        else if (w == "ul")
            s.underline = on;
        else if (w == "ulnone")
            s.underline = false;
        else if (w == "f")
            s.font = p;
        else if (w == "fs")
            s.halfPoints = p;
        else if (w == "cf")
            s.color = p;
        else if (w == "uc")
            s.uc = qMax(0, p);
        else if (w == "u") {
            text(QChar(char16_t(p < 0 ? p + 65536 : p)));
            m_skipChars = s.uc;
        } else if (w == "emdash")
            text(QChar(0x2014));
        else if (w == "endash")
            text(QChar(0x2013));
        else if (w == "bullet")
            text(QChar(0x2022));
        else if (w == "lquote")
            text(QChar(0x2018));
        else if (w == "rquote")
            text(QChar(0x2019));
        else if (w == "ldblquote")
            text(QChar(0x201C));
        else if (w == "rdblquote")
            text(QChar(0x201D));
    }

    int codePageNow()
    {
        const int font = st().font >= 0 ? st().font : m_defaultFont;
        const int cp = CodePageOfCharset(m_fontCharsets.value(font, -1));
        return cp ? cp : (m_codePage > 0 ? m_codePage : 1250);
    }

    void flushBytes()
    {
        if (m_bytes.isEmpty()) return;
        const QByteArray bytes = m_bytes;
        m_bytes.clear();
        const auto& table = CodePageTable(codePageNow());
        QString s;
        for (char b : bytes)
            s += QChar(table[uchar(b)]);
        text(s);
    }

    void text(const QString& t)
    {
        State& s = st();
        if (s.dest == Dest::Skip) return;
        if (s.dest == Dest::FontTable) {
            for (QChar c : t) {
                if (c == QLatin1Char(';'))
                    finishFontEntry();
                else
                    m_fontName += c;
            }
            return;
        }
        if (s.dest == Dest::ColorTable) {
            for (QChar c : t)
                if (c == QLatin1Char(';')) {
                    m_colors.push_back(m_red < 0 ? QColor()
                                                 : QColor(m_red, qMax(0, m_green), qMax(0, m_blue)));
                    m_red = m_green = m_blue = -1;
                }
            return;
        }
        QTextCharFormat f;
        f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(s.italic);
        f.setFontUnderline(s.underline);
        const int font = s.font >= 0 ? s.font : m_defaultFont;
        if (m_fontNames.contains(font)) f.setFontFamilies(QStringList{m_fontNames.value(font)});
        if (s.halfPoints > 0) f.setFontPointSize(s.halfPoints / 2.0);
        if (s.color > 0 && s.color < int(m_colors.size()) && m_colors[size_t(s.color)].isValid())
            f.setForeground(m_colors[size_t(s.color)]);
        if (!m_para.runs.empty() && m_para.runs.back().format == f)
            m_para.runs.back().text += t;
        else
            m_para.runs.push_back({t, f});
    }

    void finishFontEntry()
    {
        const QString name = m_fontName.trimmed();
        if (m_fontNo >= 0 && !name.isEmpty()) m_fontNames[m_fontNo] = name;
        m_fontName.clear();
    }

    void newParagraph()
    {
        if (st().dest != Dest::Text) return;
        m_paras.push_back(m_para);
        m_para.runs.clear();
        m_para.tabsTwips.clear();
    }

    const QByteArray m_in;
    qsizetype m_pos = 0;
    std::vector<State> m_stack;
    bool m_groupStart = false;
    QByteArray m_bytes;  // \'hh and 8-bit bytes waiting for their code page
    int m_skipChars = 0; // fallback characters of the last \u still to skip
    int m_codePage = 1250;
    int m_defaultFont = 0;
    QMap<int, QString> m_fontNames;
    QMap<int, int> m_fontCharsets;
    int m_fontNo = -1;
    QString m_fontName;
    std::vector<QColor> m_colors;
    int m_red = -1, m_green = -1, m_blue = -1;
    std::vector<Paragraph> m_paras;
    Paragraph m_para;
    std::vector<int> m_rowCells; // the cell edges of the table row being read
};

// ---------------------------------------------------------------- writer

QByteArray EscapeText(const QString& text)
{
    static const QHash<char16_t, uchar> cp1250 = [] {
        QHash<char16_t, uchar> h;
        const auto& t = CodePageTable(1250);
        for (int b = 128; b < 256; ++b)
            if (t[size_t(b)] != u'?') h.insert(t[size_t(b)], uchar(b));
        return h;
    }();
    QByteArray out;
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += char(c);
        } else if (c == '\t')
            out += "\\tab ";
        else if (c == QChar::LineSeparator)
            out += "\\line ";
        else if (c == 0x00A0)
            out += "\\~";
        else if (c >= 0x20 && c < 0x80)
            out += char(c);
        else if (c < 0x20)
            continue;
        else if (auto it = cp1250.find(c); it != cp1250.end())
            out += "\\'" + QByteArray::number(*it, 16).rightJustified(2, '0');
        else
            out += "\\u" + QByteArray::number(int(int16_t(c))) + '?';
    }
    return out;
}

QString FamilyOf(const QTextCharFormat& f)
{
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

} // namespace

bool LooksLikeRtf(const QByteArray& text)
{
    return text.trimmed().startsWith("{\\rtf");
}

bool LooksLikeRtf(const QString& text)
{
    return text.trimmed().startsWith(QLatin1String("{\\rtf"));
}

void ReadRtf(const QByteArray& rtf, QTextDocument* document)
{
    const std::vector<Paragraph> paras = Reader(rtf).read();
    document->clear();
    QTextCursor cursor(document);
    bool first = true;
    for (const Paragraph& p : paras) {
        QTextBlockFormat bf;
        bf.setAlignment(p.align);
        // Tab stops in screen pixels (96 per inch), as a rich-edit control shows them.
        QList<QTextOption::Tab> tabs;
        for (int twips : p.tabsTwips)
            tabs << QTextOption::Tab(twips / 15.0, QTextOption::LeftTab);
        if (!tabs.isEmpty()) bf.setTabPositions(tabs);
        if (first)
            cursor.setBlockFormat(bf);
        else
            cursor.insertBlock(bf, QTextCharFormat());
        first = false;
        for (const Run& r : p.runs)
            cursor.insertText(r.text, r.format);
    }
}

void ReadRtf(const QString& rtf, QTextDocument* document)
{
    QByteArray bytes;
    bytes.reserve(rtf.size());
    for (QChar ch : rtf) {
        const char16_t c = ch.unicode();
        if (c < 0x80)
            bytes += char(c);
        else // a group of its own, so no fallback character is skipped after it
            bytes += "{\\uc0\\u" + QByteArray::number(int(int16_t(c))) + '}';
    }
    ReadRtf(bytes, document);
}

QByteArray WriteRtf(const QTextDocument* document)
{
    // The tables first: every font and colour the runs use.
    QStringList fonts;
    std::vector<QColor> colors;
    const QString defaultFamily = document->defaultFont().family();
    fonts << defaultFamily;
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const QString family = FamilyOf(f);
            if (!family.isEmpty() && !fonts.contains(family)) fonts << family;
            if (f.hasProperty(QTextFormat::ForegroundBrush)) {
                const QColor c = f.foreground().color();
                if (std::find(colors.begin(), colors.end(), c) == colors.end()) colors.push_back(c);
            }
        }

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1045{\\fonttbl";
    for (int i = 0; i < fonts.size(); ++i)
        out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset238 " + EscapeText(fonts[i]) + ";}";
    out += "}\r\n{\\colortbl ;";
    for (const QColor& c : colors)
        out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue" +
               QByteArray::number(c.blue()) + ';';
    out += "}\r\n\\viewkind4\\uc1";

    const int defaultHalfPoints = int(std::lround(document->defaultFont().pointSizeF() * 2));
    bool firstBlock = true;
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next()) {
        if (!firstBlock) out += "\\par\r\n";
        firstBlock = false;
        out += "\\pard";
        const Qt::Alignment a = b.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignHCenter)
            out += "\\qc";
        else if (a & Qt::AlignRight)
            out += "\\qr";
        else if (a & Qt::AlignJustify)
            out += "\\qj";
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QTextCharFormat f = frag.charFormat();
            const QString family = FamilyOf(f);
            out += "\\plain\\f" + QByteArray::number(family.isEmpty() ? 0 : fonts.indexOf(family));
            const int hp =
                f.fontPointSize() > 0 ? int(std::lround(f.fontPointSize() * 2)) : defaultHalfPoints;
            if (hp > 0) out += "\\fs" + QByteArray::number(hp);
            if (f.hasProperty(QTextFormat::ForegroundBrush)) {
                const auto pos =
                    std::find(colors.begin(), colors.end(), f.foreground().color()) - colors.begin();
                out += "\\cf" + QByteArray::number(qsizetype(pos) + 1);
            }
            if (f.fontWeight() >= QFont::Bold) out += "\\b";
            if (f.fontItalic()) out += "\\i";
            if (f.fontUnderline()) out += "\\ul";
            out += ' ' + EscapeText(frag.text());
        }
    }
    out += "\\par\r\n}\r\n";
    return out;
}
