#include "platform/CodePage.h"

#include <cerrno>
#include <iconv.h>

QByteArray IconvConvert(const char* from, const char* to, const QByteArray& text, bool dropUnmappable,
                        bool* ok)
{
    if (ok) *ok = false;
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return QByteArray();
    struct Closer
    {
        iconv_t cd;
        ~Closer() { iconv_close(cd); }
    } closer{cd};

    QByteArray out;
    out.resize(text.size() * 2 + 16);
    char* in = const_cast<char*>(text.constData());
    size_t inLeft = size_t(text.size());
    size_t written = 0;
    while (true) {
        char* dst = out.data() + written;
        size_t outLeft = size_t(out.size()) - written;
        const size_t r = iconv(cd, inLeft ? &in : nullptr, inLeft ? &inLeft : nullptr, &dst, &outLeft);
        written = size_t(dst - out.data());
        if (r != size_t(-1)) {
            if (inLeft == 0) {
                // Flush a stateful encoder's closing sequence (none for 1250, cheap anyway).
                dst = out.data() + written;
                outLeft = size_t(out.size()) - written;
                if (iconv(cd, nullptr, nullptr, &dst, &outLeft) == size_t(-1) && errno == E2BIG) {
                    out.resize(out.size() * 2);
                    continue;
                }
                written = size_t(dst - out.data());
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ: a character the target lacks or a broken sequence; EINVAL: a
        // sequence cut off at the end. Either fails a strict conversion.
        if (!dropUnmappable) return QByteArray();
        if (inLeft == 0) break;
        ++in;
        --inLeft;
    }
    out.resize(qsizetype(written));
    if (ok) *ok = true;
    return out;
}
