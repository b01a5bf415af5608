#include "platform/ExportListToExcel.h"

#include <QDateTime>
#include <QFile>
#include <xlsxwriter.h>

bool ExportListToExcel(const QStringList& lines, const QString& fileName)
{
    QFile::remove(fileName);
    lxw_workbook* book = workbook_new(QFile::encodeName(fileName).constData());
    if (!book) return false;
    const QString sheetName = QStringLiteral("Arkusz_") +
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")) +
                              QStringLiteral("_");
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName.toUtf8().constData());
    bool ok = sheet != nullptr;
    constexpr int maxRows = 1048576, maxCols = 16384;
    for (int r = 0; ok && r < lines.size() && r < maxRows; ++r) {
        const QStringList cells = lines[r].split(QLatin1Char(';'));
        for (int c = 0; c < cells.size() && c < maxCols; ++c) {
            if (cells[c].isEmpty()) continue;
            if (worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), cells[c].toUtf8().constData(),
                                       nullptr) != LXW_NO_ERROR)
                ok = false;
        }
    }
    if (workbook_close(book) != LXW_NO_ERROR) ok = false;
    if (!ok) QFile::remove(fileName);
    return ok;
}
