#include "mainwindow/GlownyUserGrid.h"

#include "core/Funkcje.h"
#include "core/Query.h"
#include "mainwindow/GlownyUserQuery.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <cmath>

std::vector<TQueryColumn> UserGridColumns()
{
    const char* const cols[][2] = {{"U_NRKLIENTA", "Nr kl."},
                                   {"vU_NazwiskoImie", "Nazwisko / Nazwa firmy"},
                                   {"vU_ADR_UlicaNr", "Ulica"},
                                   {"U_ADR_MIEJSCOWOSC", "Miejscowość"},
                                   {"U_TEL1", "Telefon 1"},
                                   {"U_GrNazwaAll", "Grupa"},
                                   {"U_KWOTAABONAMENTU", "Abonament"},
                                   {"U_SALDO", "Saldo"},
                                   {"U_SALDOZALEGLE", "Saldo Z"},
                                   {"U_MAXZALEGLOSC", "Z(dni)"},
                                   {"vU_Powiadamiaj", "P"},
                                   {"vU_Blokuj", "B"},
                                   {"U_TERMINARZDATA", "Terminarz"},
                                   {"vU_DownUpAll", "Down / Up"},
                                   {"U_DATAKONCAUMOWY", "Koniec umowy"},
                                   {"vU_AutomatyczneFaktury", "FV"},
                                   {"U_DATAWYKLUCZENIAZBLOKAD", "Wykl z blokad"},
                                   {"U_NRRACHUNKU1", "Nr rachunku"},
                                   {"U_NOTATKA", "Notatka"},
                                   {"U_NOTATKA2", "Notatka 2"},
                                   {"U_SALDOZALEGLEWSP", "Wsp.zal."},
                                   {"vU_JestEmail", "email"},
                                   {"vU_KorespondencjaSeryjna", "KS"},
                                   {"vU_DataOstatniejWplaty", "Ostatnia wpłata"},
                                   {"U_NIP", "NIP"}};
    std::vector<TQueryColumn> out;
    for (const auto& c : cols) {
        TQueryColumn col{QString::fromUtf8(c[0]), QString::fromUtf8(c[1]), {}};
        const QString f = col.FieldName;
        if (f == QLatin1String("vU_Powiadamiaj") || f == QLatin1String("vU_Blokuj") ||
            f == QLatin1String("vU_AutomatyczneFaktury") || f == QLatin1String("vU_JestEmail") ||
            f == QLatin1String("vU_KorespondencjaSeryjna"))
            col.Alignment = Qt::AlignCenter;
        else if (f == QLatin1String("U_NRKLIENTA"))
            col.Alignment = Qt::AlignLeft | Qt::AlignVCenter;
        out.push_back(col);
    }
    return out;
}

TQueryModel::Formatter UserGridFormatter()
{
    return [](const TQuery& q, int row, int field, int role) -> QVariant {
        if (role != Qt::DisplayRole || field < 0) return {};
        const QString name = q.Fields(field)->FieldName;
        if (name != QLatin1String("U_KWOTAABONAMENTU") && name != QLatin1String("U_SALDO") &&
            name != QLatin1String("U_SALDOZALEGLE"))
            return {};
        const QString raw = q.CellText(row, field);
        Amount4 v;
        if (!Amount4::tryParse(QString(raw).replace(QLatin1Char(','), QLatin1Char('.')), v)) return raw;
        const qint64 cents = (v.raw >= 0 ? v.raw + 50 : v.raw - 50) / 100;
        const qint64 a = cents < 0 ? -cents : cents;
        return (cents < 0 ? QStringLiteral("-") : QString()) + QString::number(a / 100) + QLatin1Char(',') +
               QStringLiteral("%1").arg(a % 100, 2, 10, QLatin1Char('0'));
    };
}

// ---------------------------------------------------------------- model

void TUserGridModel::SetSortedColumn(int column, int order)
{
    m_sortedColumn = column;
    m_order = order;
    if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

QVariant TUserGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const bool sorted = orientation == Qt::Horizontal && m_order != 0 && section == m_sortedColumn;
    if (sorted && role == Qt::DisplayRole) {
        QString caption = TQueryModel::headerData(section, orientation, role).toString();
        while (caption.endsWith(QLatin1Char('+')) || caption.endsWith(QLatin1Char('-')))
            caption.chop(1);
        return caption + SortSign(m_order);
    }
    if (sorted && role == Qt::ForegroundRole) return QColor(Qt::red);
    return TQueryModel::headerData(section, orientation, role);
}

// ---------------------------------------------------------------- icons

const QPixmap& UserGridIcon(TUserIcon icon)
{
    static QPixmap cache[5];
    QPixmap& pm = cache[int(icon)];
    if (!pm.isNull()) return pm;
    const int size = icon == TUserIcon::Firma        ? 8
                     : icon == TUserIcon::Hurt       ? 10
                     : icon == TUserIcon::Zaznaczony ? 12
                                                     : 14;
    pm = QPixmap(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (icon) {
    case TUserIcon::Firma: // a small office block
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 90, 170));
        p.drawRect(1, 1, 6, 7);
        p.setBrush(Qt::white);
        p.drawRect(2, 2, 1, 1);
        p.drawRect(5, 2, 1, 1);
        p.drawRect(2, 5, 1, 1);
        p.drawRect(5, 5, 1, 1);
        break;
    case TUserIcon::Zaznaczony: { // a tick
        p.setPen(QPen(QColor(0, 140, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath path;
        path.moveTo(2, 6);
        path.lineTo(5, 9);
        path.lineTo(10, 2);
        p.drawPath(path);
        break;
    }
    case TUserIcon::Hurt: // wholesale order: an orange badge
        p.setPen(QPen(QColor(150, 70, 0), 1));
        p.setBrush(QColor(255, 140, 0));
        p.drawEllipse(QRectF(0.5, 0.5, 9, 9));
        p.setPen(QPen(Qt::white, 1.5));
        p.drawLine(QPointF(3, 3.2), QPointF(7, 3.2));
        p.drawLine(QPointF(5, 3.2), QPointF(5, 7.5));
        break;
    case TUserIcon::Powiadamiaj: // a warning triangle
    {
        QPainterPath tri;
        tri.moveTo(7, 1);
        tri.lineTo(13, 12.5);
        tri.lineTo(1, 12.5);
        tri.closeSubpath();
        p.setPen(QPen(QColor(160, 110, 0), 1));
        p.setBrush(QColor(255, 200, 0));
        p.drawPath(tri);
        p.setPen(QPen(Qt::black, 1.6));
        p.drawLine(QPointF(7, 4.5), QPointF(7, 8.5));
        p.drawPoint(QPointF(7, 10.6));
        break;
    }
    case TUserIcon::Blokuj: // a no-entry sign
        p.setPen(QPen(QColor(140, 0, 0), 1));
        p.setBrush(QColor(220, 20, 20));
        p.drawEllipse(QRectF(0.5, 0.5, 13, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 6, 8, 2));
        break;
    }
    return pm;
}

// ---------------------------------------------------------------- delegate

TUserGridDelegate::TUserGridDelegate(TUserGridModel* model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model)
{
    connect(model, &QAbstractItemModel::modelReset, this, [this] { m_resolved = false; });
}

void TUserGridDelegate::resolveFields() const
{
    if (m_resolved) return;
    m_resolved = true;
    m_f = Fields{};
    const TQuery* q = m_model->Query();
    if (!q || !q->Active()) return;
    auto idx = [q](const char* name) {
        const TField* f = q->FindField(QLatin1String(name));
        return f ? f->Index() : -1;
    };
    m_f.poczekalnia = idx("U_POCZEKALNIA");
    m_f.dataDodania = idx("U_DATADODANIA");
    m_f.powiadamiaj = idx("U_POWIADAMIAJ");
    m_f.blokuj = idx("U_BLOKUJ");
    m_f.zaznacz = idx("U_ZAZNACZ");
    m_f.aktywacja = idx("U_DATAAKTYWACJI");
    m_f.deaktywacja = idx("U_DATADEAKTYWACJI");
    m_f.terminarz = idx("U_TERMINARZDATA");
    m_f.czyFirma = idx("U_CZYFIRMA");
    m_f.zaznaczonyTemp = idx("U_ZAZNACZONY_TEMP");
    m_f.tauron = idx("UADD_TAURONBSA");
    m_f.vPowiadamiaj = idx("vU_Powiadamiaj");
    m_f.vBlokuj = idx("vU_Blokuj");
}

namespace {

QDate CellDate(const TQuery* q, int row, int col)
{
    if (col < 0) return {};
    const QString t = q->CellText(row, col);
    if (t.isEmpty() || t.startsWith(QLatin1String("0000"))) return {};
    return QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd"));
}

int CellInt(const TQuery* q, int row, int col)
{
    return col < 0 ? 0 : q->CellText(row, col).toInt();
}

QString CellString(const TQuery* q, int row, int col)
{
    return col < 0 ? QString() : q->CellText(row, col);
}

// Money and numbers come with a decimal comma.
double CellNumber(const TQuery* q, int row, int col)
{
    return col < 0 ? 0 : q->CellText(row, col).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

} // namespace

void TUserGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    resolveFields();
    const TQuery* q = m_model->Query();
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const int row = index.row();
    if (!q || !q->Active() || row >= q->RecordCount()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QDate today = Today.isValid() ? Today : QDate::currentDate();
    const int column = index.column();
    const QString field =
        column < int(m_model->Columns().size()) ? m_model->Columns()[size_t(column)].FieldName : QString();
    const bool selected = opt.state & QStyle::State_Selected;

    TUserRowData data;
    data.Poczekalnia = CellInt(q, row, m_f.poczekalnia) == 1;
    data.DataDodania = CellDate(q, row, m_f.dataDodania);
    data.Powiadamiaj = CellInt(q, row, m_f.powiadamiaj) == 1;
    data.Blokuj = CellInt(q, row, m_f.blokuj) == 1;
    data.Zaznacz = CellInt(q, row, m_f.zaznacz) == 1;
    data.DataAktywacji = CellDate(q, row, m_f.aktywacja);
    data.DataDeaktywacji = CellDate(q, row, m_f.deaktywacja);
    data.TerminarzData = CellDate(q, row, m_f.terminarz);
    const TUserRowLook look = UserRowLook(data, today, opt.palette.color(QPalette::Base));

    // The sorted column is tinted; a row's own colour wins over it.
    QColor background;
    if (column == m_model->SortedColumn())
        background = BlendColors(QColor(255, 255, 255), opt.palette.color(QPalette::Button), 5, 3);
    if (look.Background.isValid()) background = look.Background;
    if (background.isValid() && !selected) opt.backgroundBrush = background;
    if (!selected && look.Font.isValid()) opt.palette.setColor(QPalette::Text, look.Font);

    if (!look.WaitingRoom) {
        if (field == QLatin1String("U_SALDOZALEGLE") && CellNumber(q, row, m_model->FieldIndex(column)) > 0) {
            if (!selected) opt.palette.setColor(QPalette::Text, ColorFromTColor(0x000080));
            opt.font.setBold(true);
        } else if (field == QLatin1String("U_SALDO") && CellNumber(q, row, m_model->FieldIndex(column)) > 0) {
            if (!selected) opt.palette.setColor(QPalette::Text, ColorFromTColor(0x008000));
            opt.font.setBold(true);
        } else if (field == QLatin1String("U_GrNazwaAll")) {
            if (opt.font.pointSizeF() > 0) opt.font.setPointSizeF(qMax(6.0, opt.font.pointSizeF() - 1.5));
        }
    }

    // The notify and block columns show a picture instead of their "T".
    // A ticked row's number makes room for the tick.
    if (field == QLatin1String("U_NRKLIENTA") && !look.WaitingRoom &&
        CellInt(q, row, m_f.zaznaczonyTemp) == 1)
        opt.text = QStringLiteral("    ") + opt.text;

    const bool iconColumn = field == QLatin1String("vU_Powiadamiaj") || field == QLatin1String("vU_Blokuj");
    if (iconColumn) opt.text.clear();

    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect r = opt.rect;
    if (field == QLatin1String("U_NRKLIENTA") && !look.WaitingRoom) {
        if (CellInt(q, row, m_f.czyFirma) == 1)
            painter->drawPixmap(r.right() - 10, r.top() + 4, UserGridIcon(TUserIcon::Firma));
        if (CellInt(q, row, m_f.zaznaczonyTemp) == 1)
            painter->drawPixmap(r.left() + 1, r.top() + (r.height() - 12) / 2,
                                UserGridIcon(TUserIcon::Zaznaczony));
    }
    if (field == QLatin1String("U_ADR_MIEJSCOWOSC") && !CellString(q, row, m_f.tauron).isEmpty())
        painter->drawPixmap(r.right() - 12, r.top() + 3, UserGridIcon(TUserIcon::Hurt));
    if (iconColumn && !look.WaitingRoom) {
        const int x = r.left() + int(std::lround((r.width() - 14) / 2.0));
        const int y = r.top() + qMax(1, (r.height() - 14) / 2);
        if (field == QLatin1String("vU_Powiadamiaj") &&
            CellString(q, row, m_f.vPowiadamiaj) == QLatin1String("T") &&
            CellString(q, row, m_f.vBlokuj) != QLatin1String("T"))
            painter->drawPixmap(x, y, UserGridIcon(TUserIcon::Powiadamiaj));
        if (field == QLatin1String("vU_Blokuj") && CellString(q, row, m_f.vBlokuj) == QLatin1String("T"))
            painter->drawPixmap(x, y, UserGridIcon(TUserIcon::Blokuj));
    }
}
