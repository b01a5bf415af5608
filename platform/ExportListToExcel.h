#pragma once
// Spreadsheet output of ";"-separated lines: each line one row, each piece
// one cell written as text, as the office's sheets (address lists, exports)
// expect. Written with libxlsxwriter; only ".xlsx" is possible.
#include <QString>
#include <QStringList>

// Deletes FileName and writes the rows into one sheet "Arkusz_<digits of now>_"
// (a row keeps at most 16384 cells, a sheet 1048576 rows; more is cut off).
// False when the workbook could not be written.
bool ExportListToExcel(const QStringList& lines, const QString& fileName);
