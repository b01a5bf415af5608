#pragma once
// Code 128 subset B bar codes for printouts (the report platform's bar-code
// component did this in the original).
#include <QImage>
#include <QString>
#include <vector>

// The symbol values of Text in subset B: start B, the characters, the check
// symbol and stop. Characters outside printable ASCII have no subset B symbol
// and are left out.
std::vector<int> Code128BSymbols(const QString& text);
// Black bars on white; ModuleWidth pixels for the narrowest bar, a quiet zone
// of ten modules each side. A null image for the empty text.
QImage RenderCode128B(const QString& text, int moduleWidth = 2, int height = 60);
