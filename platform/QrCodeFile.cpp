#include "platform/QrCodeFile.h"

#include "platform/PlatformContext.h"
#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <qrencode.h>

QImage MakeQrCodeImage(const QString& text, int modulePixels)
{
    if (text.isEmpty()) return QImage();
    if (modulePixels < 1) modulePixels = 1;
    const QByteArray utf8 = text.toUtf8();
    QRcode* code = QRcode_encodeData(
        int(utf8.size()), reinterpret_cast<const unsigned char*>(utf8.constData()), 0, QR_ECLEVEL_M);
    if (!code) return QImage();
    const int quiet = 4;
    const int side = (code->width + 2 * quiet) * modulePixels;
    QImage img(side, side, QImage::Format_Mono);
    img.setColor(0, qRgb(255, 255, 255));
    img.setColor(1, qRgb(0, 0, 0));
    img.fill(0);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x) {
            if (!(code->data[y * code->width + x] & 1)) continue;
            for (int dy = 0; dy < modulePixels; ++dy)
                for (int dx = 0; dx < modulePixels; ++dx)
                    img.setPixel((x + quiet) * modulePixels + dx, (y + quiet) * modulePixels + dy, 1);
        }
    QRcode_free(code);
    return img;
}

bool MakeQrCodeFile(const QString& text, const QString& fileName)
{
    if (text.isEmpty() || fileName.isEmpty()) return false;
    const QImage img = MakeQrCodeImage(text);
    if (img.isNull()) return false;
    const QString folder = PlatformContext().PrivateFolder();
    MakePrivateFolder(folder);
    const QString path = folder + fileName + QStringLiteral(".bmp");
    QFile::remove(path);
    return img.save(path, "BMP");
}
