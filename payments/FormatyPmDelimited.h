#pragma once
// The skeleton of the delimited layouts: one description per layout (how a
// line splits, which field counts make a record, which records are stored and
// how the fields map to a row), walked line by line by RunDelimited.
#include "payments/FormatyPm.h"

#include <functional>
#include <initializer_list>
#include <vector>

struct TPmLayout
{
    using Fields = QStringList;
    QString name;
    QChar delimiter;
    TPmSplitter splitter = TPmSplitter::Plain;
    std::vector<int> counts;
    // Lines passed over unread before the loop.
    int skipLines = 0;
    // Runs once before the loop; false: nothing is read.
    std::function<bool(TPmReadContext&)> start;
    // A line this says true of is replaced by the next line, whatever that holds.
    std::function<bool(const QString&)> takeNext;
    // A line this says false of is passed over before splitting.
    std::function<bool(const QString&)> split;
    // Changes the fields as they are split off (before counting and logging).
    std::function<void(Fields&)> adjust;
    // A line whose count matched is still passed over when this says false.
    std::function<bool(const Fields&)> accept;
    // A counted record is stored only when this says true.
    std::function<bool(const TPmReadContext&, const Fields&)> store;
    // The record's log block shows only F2, F4, F6...
    bool logEvenFields = false;
    // Fills the row of a stored record.
    std::function<void(TPmReadContext&, const Fields&, TPmRow&)> map;
    // Log lines after a stored record.
    std::function<void(TPmReadContext&, const Fields&, const TPmRow&)> after;
    // A line before splitting (header lines of some layouts); true: taken, not split.
    std::function<bool(TPmReadContext&, const Fields&)> header;
    // Text of a line as read (UTF-8 layouts decode differently).
    std::function<QString(const QByteArray&)> decode;
};

void RunDelimited(TPmReadContext& ctx, const TPmLayout& layout);
// The layout as a format of the combo.
TPmFormat MakeDelimitedFormat(TPmLayout layout);
