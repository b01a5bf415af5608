#include "payments/FormatyPmDelimited.h"

#include "core/Funkcje.h"

#include <algorithm>
#include <memory>

void RunDelimited(TPmReadContext& ctx, const TPmLayout& layout)
{
    if (layout.start && !layout.start(ctx)) return;
    const QList<QByteArray>& lines = ctx.Lines();
    // Past the end a line reads as empty, which no layout takes for a record.
    auto textAt = [&](qsizetype i) {
        if (i >= lines.size()) return QString();
        return layout.decode ? layout.decode(lines.at(i)) : Cp1250ToString(lines.at(i));
    };
    for (qsizetype i = layout.skipLines; i < lines.size(); ++i) {
        QString text = textAt(i);
        if (layout.takeNext && layout.takeNext(text)) text = textAt(++i);
        if (layout.split && !layout.split(text)) continue;
        QString changed;
        QStringList f = SplitPmLine(text, layout.delimiter, layout.splitter, &changed);
        if (layout.adjust) layout.adjust(f);
        if (layout.header && layout.header(ctx, f)) continue;
        if (std::find(layout.counts.begin(), layout.counts.end(), int(f.size())) == layout.counts.end())
            continue;
        if (layout.accept && !layout.accept(f)) continue;
        ++ctx.Read;
        if (layout.logEvenFields) {
            QStringList even;
            for (qsizetype k = 1; k < f.size(); k += 2)
                even.append(f.at(k));
            PmLogRecord(ctx, changed, even);
        } else {
            PmLogRecord(ctx, changed, f);
        }
        if (layout.store && !layout.store(ctx, f)) continue;
        TPmRow row;
        layout.map(ctx, f, row);
        ctx.AddRow(row);
        if (layout.after) layout.after(ctx, f, row);
    }
}

TPmFormat MakeDelimitedFormat(TPmLayout layout)
{
    auto shared = std::make_shared<TPmLayout>(std::move(layout));
    return TPmFormat{shared->name, [shared](TPmReadContext& ctx) { RunDelimited(ctx, *shared); }};
}
