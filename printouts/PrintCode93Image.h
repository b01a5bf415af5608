#pragma once
// Code 93 bar codes of document, contract and customer numbers, drawn bar by
// bar with the two check characters C and K.
#include <QString>

class QPainter;

// The 43 data characters in code order, then four shift placeholders (values 43..46).
extern const QString Code93Symbols;

bool IsCode93DataChar(QChar c);
// Every character one of the 43 data characters; true for the empty text.
bool IsCode93Text(const QString& text);
// Position 0..46 in Code93Symbols; 0 for a character that is not there.
int Code93Value(QChar c);
// Weights 1..20 from the right, mod 47.
int Code93CheckC(const QString& text);
// C with weight 1, the text with weights 2..15 then 1.. from the right, mod 47.
int Code93CheckK(const QString& text, int c);
// The 9 modules of symbol Value ('1' bar, '0' space); start/stop for -1.
QString Code93Pattern(int value);
// All modules of a text: start, characters, C, K, stop and the termination
// bar, 9 × (n + 4) + 1 of them. Empty when IsCode93Text refuses the upper-cased text.
QString Code93Modules(const QString& text);

// The renderer: the upper-cased text drawn at (X, Y) with bars Height high,
// one rectangle per bar module. Module width 3 on a printer's own canvas
// (which also gets the caption), 1 on a picture. Text outside Code 93 draws
// nothing. Returns the width drawn.
int DrawCode93Image(QPainter& canvas, int x, int y, const QString& text, int height,
                    bool printerCanvas = false);

// The shared entry: nothing at all when the global setting DrukujKodyKreskowe
// (default true) is off; otherwise the canvas area (0,0)-(1000,1000) is
// filled white and the code drawn.
void DrawCode93Barcode(QPainter& canvas, int x, int y, const QString& text, int height,
                       bool printerCanvas = false);
// The same with the setting already read by the caller (a report reads it once per run).
void DrawCode93Barcode(QPainter& canvas, int x, int y, const QString& text, int height, bool printerCanvas,
                       bool barcodesOn);
