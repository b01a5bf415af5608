#pragma once
// Rich text as a rich-edit control writes it (RTF), read into and written from
// a QTextDocument. Covers what the system's templates hold: paragraphs and
// their alignment, bold/italic/underline, font and size, colour, tabs, line
// breaks, 8-bit characters in the document's code page (1250 by default) and
// \u characters. A table row becomes one paragraph with its cells at tab
// stops. Pictures, fields' instructions and every other destination are
// skipped; their text does not leak into the document.
#include <QByteArray>
#include <QString>

class QTextDocument;

// True when the text starts (after blanks) with "{\rtf".
bool LooksLikeRtf(const QByteArray& text);
bool LooksLikeRtf(const QString& text);

// Replaces the document's content with the RTF. Unbalanced braces or a cut
// end are tolerated: what was read is kept.
void ReadRtf(const QByteArray& rtf, QTextDocument* document);
// The same for RTF held as text (a stored document): characters beyond ASCII,
// which text variables put in as they are, are read as themselves.
void ReadRtf(const QString& rtf, QTextDocument* document);
// 7-bit RTF with \ansicpg1250: characters of code page 1250 as \'hh, the rest
// as \uN with a "?" fallback.
QByteArray WriteRtf(const QTextDocument* document);
