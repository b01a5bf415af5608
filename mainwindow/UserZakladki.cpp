#include "mainwindow/UserZakladki.h"

#include "core/DataModule.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/GripPanel.h"
#include "core/Query.h"
#include "core/SpeedButtonEx.h"
#include "core/ThemedPanel.h"
#include "mainwindow/UserDanePodstawowe.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

QVariant TCardGridModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::DisplayRole && index.isValid() && Query() && Query()->Active() &&
        FieldIndex(index.column()) < 0 && index.row() < Query()->RecordCount()) {
        const QString name = Columns()[size_t(index.column())].FieldName;
        if (name == QLatin1String("UU_Operator")) {
            if (!m_operatorsRead) {
                m_operatorsRead = true;
                auto q =
                    GlobalSession()->OpenQuery(QStringLiteral("select OP_INDEX, OP_LOGIN from Operator"));
                for (q->First(); !q->Eof(); q->Next())
                    m_operators.insert(q->Fields(0)->AsInteger(), q->Fields(1)->AsString());
            }
            const TField* f = Query()->FindField(QStringLiteral("UU_OPERATORID"));
            return f ? m_operators.value(Query()->CellValue(index.row(), f->Index()).toInt()) : QVariant();
        }
        const QVariant v = CalcFieldValue(*Query(), index.row(), name);
        return v.isValid() ? QVariant(v.toString()) : QVariant(QString());
    }
    if (role == Qt::BackgroundRole && m_sortOrder != 0 && index.column() == m_sortColumn)
        return BlendColors(Qt::white, QApplication::palette().color(QPalette::Button), 3, 5);
    return TQueryModel::data(index, role);
}

QVariant TCardGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const bool marked = orientation == Qt::Horizontal && m_sortOrder != 0 && section == m_sortColumn;
    if (marked && role == Qt::DisplayRole)
        return TQueryModel::headerData(section, orientation, role).toString() +
               (m_sortOrder == 1 ? QStringLiteral("+") : QStringLiteral("-"));
    if (marked && role == Qt::ForegroundRole) return QColor(Qt::red);
    return TQueryModel::headerData(section, orientation, role);
}

void TCardGridModel::SetSortMark(int column, int order)
{
    m_sortColumn = column;
    m_sortOrder = order == 1 || order == 2 ? order : 0;
    emit headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount() - 1));
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

TCardGrid::TCardGrid(const QString& name, std::vector<TQueryColumn> columns, QWidget* parent)
    : QTableView(parent), m_columns(std::move(columns))
{
    setObjectName(name);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    Bind(nullptr);
}

void TCardGrid::Bind(TQuery* query)
{
    if (m_model && query == m_query) return;
    m_query = query;
    auto* old = m_model;
    m_model = new TCardGridModel(query, this);
    m_model->SetColumns(m_columns);
    if (query)
        m_model->BindToView(this);
    else
        setModel(m_model);
    m_model->SetSortMark(m_sortColumn, m_sortOrder);
    applyRowStyle();
    delete old;
    connect(m_model, &QAbstractItemModel::modelReset, this, &TCardGrid::fitColumns);
    fitColumns();
}

void TCardGrid::SetRowStyle(TRowStyle style)
{
    m_rowStyle = std::move(style);
    applyRowStyle();
}

void TCardGrid::applyRowStyle()
{
    if (!m_model || !m_rowStyle) return;
    m_model->SetFormatter([style = m_rowStyle](const TQuery& q, int row, int, int role) -> QVariant {
        if (role != Qt::ForegroundRole && role != Qt::BackgroundRole) return {};
        return style(q, row, role);
    });
}

void TCardGrid::fitColumns()
{
    // The per-subscriber grids hold a few rows: the columns fit their content, within reason.
    const int rows = std::min(m_model->rowCount(), 50);
    for (int c = 0; c < int(m_columns.size()); ++c) {
        int w = fontMetrics().horizontalAdvance(m_columns[size_t(c)].Caption) + 24;
        for (int r = 0; r < rows; ++r)
            w = std::max(w, fontMetrics().horizontalAdvance(m_model->index(r, c).data().toString()) + 16);
        setColumnWidth(c, std::clamp(w, 48, 260));
    }
}

void TCardGrid::SetSortMark(int column, int order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    m_model->SetSortMark(column, order);
}

QWidget* GridCaptionBar(const QString& caption, QWidget* parent, QVBoxLayout* into)
{
    auto* bar = new TThemedPanel(parent);
    bar->SetThemedImage(tpiToolbar);
    auto* l = new QHBoxLayout(bar);
    l->setContentsMargins(6, 2, 4, 2);
    l->setSpacing(4);
    auto* t = new QLabel(caption, bar);
    QFont f = t->font();
    f.setBold(true);
    t->setFont(f);
    l->addWidget(t);
    l->addStretch(1);
    bar->setFixedHeight(t->sizeHint().height() + 10);
    if (into) into->addWidget(bar);
    return bar;
}

QHBoxLayout* CaptionBarOf(QWidget* grid)
{
    auto* bar = grid->parentWidget()->findChild<TThemedPanel*>();
    return static_cast<QHBoxLayout*>(bar->layout());
}

TSpeedButtonEx* CaptionBarButton(QHBoxLayout* bar, const char* name, const QString& caption,
                                 const QString& hint)
{
    auto* b = new TSpeedButtonEx(caption, bar->parentWidget());
    b->setObjectName(QString::fromLatin1(name));
    b->SetFlat(true);
    b->SetHint(hint.isEmpty() ? caption : hint);
    bar->addWidget(b);
    bar->parentWidget()->setFixedHeight(std::max(bar->parentWidget()->height(), b->sizeHint().height() + 4));
    return b;
}

QVariant RowCell(const TQuery& query, int row, const char* field)
{
    const TField* f = query.FindField(QLatin1String(field));
    return f ? query.CellValue(row, f->Index()) : QVariant();
}

namespace {

std::vector<TQueryColumn> cols(std::initializer_list<std::pair<const char*, const char*>> list)
{
    std::vector<TQueryColumn> out;
    for (const auto& [caption, field] : list)
        out.push_back({QString::fromLatin1(field), QString::fromUtf8(caption), {}});
    return out;
}

QVBoxLayout* pageLayout(QWidget* page)
{
    auto* l = new QVBoxLayout(page);
    l->setContentsMargins(6, 6, 6, 6);
    l->setSpacing(0);
    return l;
}

// A caption bar and its grid as one block.
QWidget* gridBlock(const QString& caption, TCardGrid* grid, QWidget* parent)
{
    auto* block = new QWidget(parent);
    auto* l = new QVBoxLayout(block);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    GridCaptionBar(caption, block, l);
    grid->setParent(block);
    l->addWidget(grid, 1);
    return block;
}

} // namespace

std::vector<TQueryColumn> DeviceGridColumns()
{
    return cols({{"IP", "M_IP"},
                 {"MAC", "M_MAC"},
                 {"Podłączony do", "M_MiejscePodlaczenia"},
                 {"Port", "M_PORTPODLACZENIADOINFRA"},
                 {"Typ", "M_TypUrzadzenia"},
                 {"Rodzaj", "M_RodzajUrzadzenia"},
                 {"Data podł.", "M_DATAPODLACZENIA"},
                 {"Typ łacza", "M_TypLacza"},
                 {"Pub IP", "M_PUBIP"},
                 {"Uwagi", "M_UWAGI"}});
}

std::vector<TQueryColumn> TemplateGridColumns()
{
    return cols({{"Nazwa", "UFV_NAZWAUSLUGI"},
                 {"Ilość", "UFV_ILOSC"},
                 {"Symbol", "UFV_SYMBOL"},
                 {"VAT", "UFV_STAWKAVAT_TXT"},
                 {"Netto", "UFV_CENANETTO"},
                 {"Brutto", "UFV_CENABRUTTO"},
                 {"Rabat", "UFV_RABAT"},
                 {"Wart. netto", "UFV_WARTOSCNETTO"},
                 {"Wart. brutto", "UFV_WARTOSCBRUTTO"},
                 {"GTU", "UFV_GTU"},
                 {"Od daty", "UFV_DATASTART"},
                 {"Do daty", "UFV_DATAEND"},
                 {"Zarobek", "UFV_Zarobek"}});
}

std::vector<TQueryColumn> PaymentGridColumns()
{
    return cols({{"Data dodania", "O_DATADODANIA"},
                 {"Data wpłaty", "O_DATAWPLATY"},
                 {"Numer", "O_NUMERTXT"},
                 {"Kwota", "O_KWOTA"},
                 {"Forma płatności", "O_FORMAPLATNOSCI"},
                 {"Operator", "OP_LOGIN"},
                 {"Uwagi", "O_UWAGI"}});
}

std::vector<TQueryColumn> NotesGridColumns()
{
    auto c = cols({{"Data", "UU_DATADODANIA"}, {"Treść", "UU_TRESC"}, {"Operator", "UU_Operator"}});
    c[0].Alignment = Qt::AlignCenter;
    return c;
}

std::vector<TQueryColumn> BulkPaymentGridColumns()
{
    return cols({{"Data importu", "PM_DATAIMPORTU"},
                 {"Data bank", "PM_DATABANK"},
                 {"Kwota", "PM_KWOTA"},
                 {"Rachunek bankowy", "PM_NUMERRACHUNKU"},
                 {"Tytuł przelewu", "PM_TYTUL"},
                 {"Data ksieg.", "PM_DATAKSIEGOWANIA"}});
}

std::vector<TQueryColumn> OrderGridColumns()
{
    return cols({{"Data rejestr.", "ZS_DATAREJESTRACJI"},
                 {"Nr zlecenia", "ZS_NUMERTXT"},
                 {"Przymujący", "OP_NazwaPrzyjmujacego"},
                 {"Wykonał", "OP_Nazwa"},
                 {"Data zakończ.", "ZS_DATAZAKONCZENIA"},
                 {"Kwota pobrana", "ZS_KWOTAPOBRANA"},
                 {"Zakres zlecenia", "ZS_ZakresTabelka"},
                 {"T (dni)", "ZS_CzasTrwania"}});
}

std::vector<TQueryColumn> ContractGridColumns()
{
    return cols({{"Data zawarcia", "UM_DATAZAWARCIA"},
                 {"Data początkowa", "UM_DATASTART"},
                 {"Data końca", "UM_DATAKONIEC"},
                 {"Numer umowy", "UM_NUMERTXT"},
                 {"Typ", "UM_CzyAneksTyp"},
                 {"Nazwa szablonu", "SZ_NAZWA"},
                 {"Opis", "UM_OPIS"},
                 {"Podp.", "UM_CZYPODPISANA"},
                 {"vOVE", "UM_CZYNAIBOKU"},
                 {"Data modyfikacji", "UM_DATAMODYFIKACJI"}});
}

std::vector<TQueryColumn> DeviceHistoryGridColumns()
{
    return cols({{"Data", "M_DATAMODYFIKACJI"},
                 {"Akcja", "M_AKCJA"},
                 {"IP", "M_IP"},
                 {"Port", "M_PORT"},
                 {"Adres MAC", "M_MAC"},
                 {"Miejsce podłączenia", "INF_NAZWA"},
                 {"Rodzaj urządzenia", "RU_NAZWA"},
                 {"Typ łącza", "TL_NAZWA"},
                 {"Typ urządzenia", "TU_NAZWA"},
                 {"Adres MAC 2", "M_MAC2"},
                 {"Publiczne IP", "M_PUBIP"},
                 {"M_DATAPRZYDZIELENIAPUBIP", "M_DATAPRZYDZIELENIAPUBIP"},
                 {"Login", "M_LOGIN"},
                 {"Hasło", "M_HASLO"},
                 {"ID użytk.", "M_INDEXUSER"},
                 {"Właściciel urządzenia", "M_User"}});
}

std::vector<TQueryColumn> PaymentHistoryGridColumns()
{
    return cols({{"Data modyfikacji", "O_DATAMODYFIKACJI"},
                 {"Data dodania", "O_DATADODANIA"},
                 {"Data wpłaty", "O_DATAWPLATY"},
                 {"Numer", "O_NUMERTXT"},
                 {"Kwota", "O_KWOTA"},
                 {"Forma płatności", "O_FORMAPLATNOSCI"},
                 {"Uwagi", "O_UWAGI"}});
}

TUserCardPages BuildUserCardPages(QWidget* parent)
{
    TUserCardPages p;

    // "Abonament i wpłaty": the invoice template in a resizable panel over the payments.
    p.Abonament = new QWidget(parent);
    {
        QVBoxLayout* l = pageLayout(p.Abonament);
        p.GripPanel3 = new TGripPanel(p.Abonament);
        p.GripPanel3->setObjectName(QStringLiteral("GripPanel3"));
        p.GripPanel3->SetAlign(alTop);
        auto* gl = new QVBoxLayout(p.GripPanel3);
        gl->setContentsMargins(0, 0, 0, 0);
        gl->setSpacing(0);
        p.GridSzablon = new TCardGrid(QStringLiteral("DBGridSzablon"), TemplateGridColumns(), p.GripPanel3);
        gl->addWidget(gridBlock(QStringLiteral("Szablon faktury"), p.GridSzablon, p.GripPanel3));
        l->addWidget(p.GripPanel3);
        p.GripPanel3->SetSize(180);
        p.GridOplaty = new TCardGrid(QStringLiteral("DBGridOplaty"), PaymentGridColumns(), p.Abonament);
        l->addWidget(gridBlock(QStringLiteral("Wpłaty (KP)"), p.GridOplaty, p.Abonament), 1);
    }

    p.Notatki = new QWidget(parent);
    {
        QVBoxLayout* l = pageLayout(p.Notatki);
        p.GridNotatki = new TCardGrid(QStringLiteral("DBGridNotatki"), NotesGridColumns(), p.Notatki);
        l->addWidget(gridBlock(QStringLiteral("Notatki"), p.GridNotatki, p.Notatki), 1);
    }

    p.Pm = new QWidget(parent);
    {
        QVBoxLayout* l = pageLayout(p.Pm);
        p.GridPm = new TCardGrid(QStringLiteral("DBGridPm"), BulkPaymentGridColumns(), p.Pm);
        l->addWidget(gridBlock(QStringLiteral("Płatności masowe"), p.GridPm, p.Pm), 1);
    }

    p.Zlecenia = new QWidget(parent);
    {
        QVBoxLayout* l = pageLayout(p.Zlecenia);
        p.GridZlecenia = new TCardGrid(QStringLiteral("DBGridZlecenia"), OrderGridColumns(), p.Zlecenia);
        QWidget* block = gridBlock(QStringLiteral("Zlecenia serwisowe"), p.GridZlecenia, p.Zlecenia);
        auto* bar = block->findChild<TThemedPanel*>();
        p.SpeedButtonEx28 = new TSpeedButtonEx(QStringLiteral("Dodaj"), bar);
        p.SpeedButtonEx28->setObjectName(QStringLiteral("SpeedButtonEx28"));
        p.SpeedButtonEx28->SetFlat(true);
        static_cast<QHBoxLayout*>(bar->layout())->addWidget(p.SpeedButtonEx28);
        bar->setFixedHeight(std::max(bar->height(), p.SpeedButtonEx28->sizeHint().height() + 4));
        l->addWidget(block, 1);
    }

    p.Umowy = new QWidget(parent);
    {
        auto* l = new QHBoxLayout(p.Umowy);
        l->setContentsMargins(6, 6, 6, 6);
        l->setSpacing(6);
        p.GridUmowy = new TCardGrid(QStringLiteral("DBGridUmowy"), ContractGridColumns(), p.Umowy);
        l->addWidget(gridBlock(QStringLiteral("Umowy, aneksy i PZO"), p.GridUmowy, p.Umowy), 1);
        auto* vars = new QGroupBox(QStringLiteral("Zmienne tekstowe"), p.Umowy);
        auto* g = new QGridLayout(vars);
        g->setContentsMargins(6, 4, 6, 6);
        g->setVerticalSpacing(2);
        for (int i = 0; i < 7; ++i) {
            p.ZmiennaOpis[i] = new QLabel(QStringLiteral("Opis zmiennej %1").arg(i + 1), vars);
            p.ZmiennaOpis[i]->setTextFormat(Qt::PlainText); // the description is a stored setting
            p.Zmienna[i] = new TDbText(QStringLiteral("U_ZMIENNATXT%1").arg(i + 1), vars);
            g->addWidget(p.ZmiennaOpis[i], i * 2, 0);
            g->addWidget(p.Zmienna[i], i * 2 + 1, 0);
        }
        g->setRowStretch(14, 1);
        vars->setFixedWidth(230);
        l->addWidget(vars);
    }

    // History tabs: the changes of the selected removed row above the removed rows.
    const auto historyPage = [parent](const QString& upperCaption, const QString& lowerCaption,
                                      TCardGrid*& upper, TCardGrid*& lower, std::vector<TQueryColumn> columns,
                                      const QString& upperName, const QString& lowerName) {
        auto* page = new QWidget(parent);
        QVBoxLayout* l = pageLayout(page);
        auto* split = new QSplitter(Qt::Vertical, page);
        upper = new TCardGrid(upperName, columns, split);
        lower = new TCardGrid(lowerName, columns, split);
        split->addWidget(gridBlock(upperCaption, upper, split));
        split->addWidget(gridBlock(lowerCaption, lower, split));
        split->setChildrenCollapsible(false);
        l->addWidget(split, 1);
        return page;
    };
    p.HistoriaUrzadzen = historyPage(QStringLiteral("Historia zmian usuniętego urządzenia"),
                                     QStringLiteral("Urządzenia usunięte"), p.GridMacHistUpdate,
                                     p.GridMacHist, DeviceHistoryGridColumns(),
                                     QStringLiteral("DBGridMacHistUpdate"), QStringLiteral("DBGridMacHist"));
    p.HistoriaWplat =
        historyPage(QStringLiteral("Historia zmian usuniętej wpłaty"), QStringLiteral("Wpłaty usunięte"),
                    p.GridOplatyHistUpdate, p.GridOplatyHist, PaymentHistoryGridColumns(),
                    QStringLiteral("DBGridOplatyHistUpdate"), QStringLiteral("DBGridOplatyHist"));
    return p;
}
