#pragma once
// QR-code bitmaps for printouts. An outside helper program wrote them on
// Windows; libqrencode does it here, synchronously, so the bitmap is there
// before the page that shows it prints.
#include <QImage>
#include <QString>

// Black modules on white, ModulePixels per module, a quiet zone of four
// modules; error correction level M. A null image for an empty text or a
// text too long for a QR code.
QImage MakeQrCodeImage(const QString& text, int modulePixels = 4);

// Writes PrivateFolder + FileName + ".bmp" holding the QR code of Text (an
// old file of that name is replaced). Nothing for an empty text. True when
// the file was written.
bool MakeQrCodeFile(const QString& text, const QString& fileName);
