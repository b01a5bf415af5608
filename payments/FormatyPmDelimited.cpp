#include "payments/FormatyPmDelimited.h"

#include "core/Funkcje.h"

#include <algorithm>
#include <memory>

void RunDelimited(TPmReadContext& ctx, const TPmLayout& layout)
{
    if (layout.start && !layout.start(ctx)) return;
    const QList<QByteArray>& lines = ctx.Lines();
    for (qsizetype i = layout.skipLines; i < lines.size(); ++i) {
        const QString text = layout.decode ? layout.decode(lines.at(i)) : Cp1250ToString(lines.at(i));
        QString changed;
        const QStringList f = SplitPmLine(text, layout.delimiter, layout.splitter, &changed);
        if (layout.header && layout.header(ctx, f)) continue;
        if (std::find(layout.counts.begin(), layout.counts.end(), int(f.size())) == layout.counts.end())
            continue;
        if (layout.accept && !layout.accept(f)) continue;
        ++ctx.Read;
        PmLogRecord(ctx, changed, f);
        if (layout.store && !layout.store(f)) continue;
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
