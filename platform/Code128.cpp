#include "platform/Code128.h"

#include <QPainter>

namespace {

// Bar and space widths of the 107 symbols (values 0..105, then stop).
const char* const kPatterns[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};

constexpr int kStartB = 104;
constexpr int kStop = 106;
constexpr int kQuietModules = 10;

} // namespace

std::vector<int> Code128BSymbols(const QString& text)
{
    std::vector<int> out;
    if (text.isEmpty()) return out;
    out.push_back(kStartB);
    int sum = kStartB;
    int pos = 1;
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u < 32 || u > 127) continue;
        const int v = int(u) - 32;
        out.push_back(v);
        sum += v * pos++;
    }
    out.push_back(sum % 103);
    out.push_back(kStop);
    return out;
}

QImage RenderCode128B(const QString& text, int moduleWidth, int height)
{
    const std::vector<int> symbols = Code128BSymbols(text);
    if (symbols.empty()) return QImage();
    if (moduleWidth < 1) moduleWidth = 1;
    int modules = 2 * kQuietModules;
    for (int s : symbols)
        for (const char* p = kPatterns[s]; *p; ++p)
            modules += *p - '0';
    QImage img(modules * moduleWidth, height, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    int x = kQuietModules * moduleWidth;
    for (int s : symbols) {
        bool bar = true;
        for (const char* p = kPatterns[s]; *p; ++p) {
            const int w = (*p - '0') * moduleWidth;
            if (bar) painter.fillRect(x, 0, w, height, Qt::black);
            x += w;
            bar = !bar;
        }
    }
    return img;
}
