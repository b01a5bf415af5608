#include "mainwindow/GlownyInfraTab.h"

#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/FormEx.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/MagazynBlob.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/DefinicjeHooks.h"
#include "mainwindow/Glowny.h"
#include "mainwindow/GlownyInfraGrid.h"
#include "mainwindow/GlownyUserGrid.h"
#include "mainwindow/GlownyUserQuery.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kGroupShow = QStringLiteral("Pokaż urządzenia z grupy");
const QString kGroupExclude = QStringLiteral("Wyklucz urządzenia z grupy");
const QString kNodeShow = QStringLiteral("Pokaż urządzenia z PE");
const QString kNodeExclude = QStringLiteral("Wyklucz urządzenia z PE");

QList<int> CheckedIds(const QTreeWidget* list)
{
    QStringList texts;
    GetCheckedItemTexts(list, &texts, 2); // the key, the first sub-item
    QList<int> ids;
    for (const QString& t : texts) {
        bool ok = false;
        const int id = t.toInt(&ok);
        if (ok) ids << id;
    }
    return ids;
}

bool ShowMode(const QTreeWidget* list)
{
    return list->headerItem()->text(0).startsWith(QLatin1Char('P'));
}

} // namespace

TGlownyInfraTab::TGlownyInfraTab(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabInfrastruktura"));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Szukaj:"), this));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    top->addWidget(Edit2, 1);
    SpeedButtonEx14 = new QToolButton(this);
    SpeedButtonEx14->setObjectName(QStringLiteral("SpeedButtonEx14"));
    SpeedButtonEx14->setText(QStringLiteral("X"));
    SpeedButtonEx14->setToolTip(QStringLiteral("Wyczyść"));
    SpeedButtonEx14->setEnabled(false);
    top->addWidget(SpeedButtonEx14);
    CheckBox9 = new QCheckBox(QStringLiteral("!"), this);
    CheckBox9->setObjectName(QStringLiteral("CheckBox9"));
    CheckBox9->setToolTip(QStringLiteral("Wyklucz frazę"));
    top->addWidget(CheckBox9);
    SpeedButtonEx11 = new QPushButton(QStringLiteral("Edytuj"), this);
    SpeedButtonEx11->setObjectName(QStringLiteral("SpeedButtonEx11"));
    top->addWidget(SpeedButtonEx11);
    root->addLayout(top);

    auto* split = new QSplitter(Qt::Horizontal, this);
    DBGrid2 = new QTableView(split);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->verticalHeader()->setDefaultSectionSize(22);
    DBGrid2->verticalHeader()->hide();
    DBGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    split->addWidget(DBGrid2);
    split->addWidget(buildFilterPanel());
    split->setStretchFactor(0, 1);
    split->setSizes({800, 260});
    root->addWidget(split, 1);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PokazStatusOlt = PopupMenu2->addAction(QStringLiteral("Pokaż status OLT"));
    connect(PokazStatusOlt, &QAction::triggered, this,
            [] { ShowNotAvailable(QStringLiteral("Pokaż status OLT")); });

    TimerSzukajInfra = new QTimer(this);
    TimerSzukajInfra->setSingleShot(true);
    TimerSzukajInfra->setInterval(300);
    connectControls();
}

TGlownyInfraTab::~TGlownyInfraTab()
{
    if (SaveInfraGridState) SaveInfraGridState(this);
    if (!Data) return;
    if (Data->QInfra) Data->QInfra->BeforeOpen = Data->QInfra->AfterOpen = nullptr;
    Data->InfraGroupsChanged = nullptr;
}

void TGlownyInfraTab::Start()
{
    if (!Data) return;
    Data->InfraGroupsChanged = [this] {
        SaveListViewChecks(GrupyInfraListView);
        WczytajSortowanieInfra();
    };
    WczytajSortowanieInfra();
    WczytajSortowanieWezly();
    AttachGrid();
}

QTreeWidget* TGlownyInfraTab::buildList(const QString& name, const QString& caption)
{
    auto* list = new QTreeWidget(this);
    list->setObjectName(name);
    list->setColumnCount(2);
    list->setHeaderLabels({caption, QString()});
    list->setColumnHidden(1, true);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->header()->setSectionsClickable(true);
    list->header()->setStretchLastSection(true);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    const char* items[] = {"Zaznacz wszystkie", "Odznacz wszystkie", "Odwróć zaznaczenie"};
    for (int mode = 0; mode < 3; ++mode) {
        auto* a = new QAction(QString::fromUtf8(items[mode]), list);
        connect(a, &QAction::triggered, this, [this, list, mode] { setChecks(list, mode); });
        list->addAction(a);
    }
    return list;
}

QWidget* TGlownyInfraTab::buildFilterPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("InfraFilterPanel"));
    auto* l = new QVBoxLayout(panel);
    l->setContentsMargins(0, 0, 0, 0);
    GrupyInfraListView = buildList(QStringLiteral("GrupyInfraListView"), kGroupShow);
    l->addWidget(GrupyInfraListView, 1);
    WezlyListView = buildList(QStringLiteral("WezlyListView"), QStringLiteral("Pokaż urządzenia z węzła"));
    l->addWidget(WezlyListView, 1);

    auto* radio = new QGroupBox(QStringLiteral("Pokaż urządzenia"), panel);
    radio->setObjectName(QStringLiteral("RadioGroup2"));
    auto* rl = new QVBoxLayout(radio);
    RadioGroup2 = new QButtonGroup(radio);
    const char* items[] = {"wszystkie", "aktywne", "nieaktywne"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(items[i]), radio);
        RadioGroup2->addButton(b, i);
        rl->addWidget(b);
    }
    RadioGroup2->button(0)->setChecked(true);
    l->addWidget(radio);

    auto box = [panel, l](const char* name, const char* caption) {
        auto* b = new QCheckBox(QString::fromUtf8(caption), panel);
        b->setObjectName(QLatin1String(name));
        l->addWidget(b);
        return b;
    };
    CheckBox3 = box("CheckBox3", "Bez wpisanego IP lub MAC");
    CheckBox4 = box("CheckBox4", "Z terminarzem");
    auto* statusRow = new QHBoxLayout;
    CheckBox11 = new QCheckBox(QStringLiteral("Ze statusem"), panel);
    CheckBox11->setObjectName(QStringLiteral("CheckBox11"));
    ComboBox2 = new QComboBox(panel);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->addItems(InfraStatuses());
    ComboBox2->setEditable(false);
    statusRow->addWidget(CheckBox11);
    statusRow->addWidget(ComboBox2, 1);
    l->addLayout(statusRow);
    CheckBox15 = box("CheckBox15", "Dodane do monitoringu (aptest.sh)");
    CheckBox17 = box("CheckBox17", "Zapasowe");
    return panel;
}

void TGlownyInfraTab::guarded(const std::function<void()>& handler)
{
    if (auto* form = qobject_cast<TFormEx*>(window()))
        form->RunGuarded(handler);
    else
        handler();
}

void TGlownyInfraTab::connectControls()
{
    connect(Edit2, &QLineEdit::textChanged, this, [this] { edit2Change(); });
    connect(CheckBox9, &QCheckBox::toggled, this, [this] { edit2Change(); });
    connect(TimerSzukajInfra, &QTimer::timeout, this, [this] { guarded([this] { RefreshInfra(); }); });
    connect(SpeedButtonEx14, &QToolButton::clicked, this, [this] {
        guarded([this] {
            Edit2->clear();
            TimerSzukajInfra->stop();
            RefreshInfra();
        });
    });
    connect(SpeedButtonEx11, &QPushButton::clicked, this, [this] { guarded([this] { editDevice(); }); });
    for (QCheckBox* b : {CheckBox3, CheckBox4, CheckBox11, CheckBox15, CheckBox17})
        connect(b, &QCheckBox::toggled, this, [this] { listClick(GrupyInfraListView); });
    connect(RadioGroup2, &QButtonGroup::idClicked, this, [this] { listClick(GrupyInfraListView); });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] {
        if (CheckBox11->isChecked()) guarded([this] { RefreshInfra(); });
    });
    for (QTreeWidget* list : {GrupyInfraListView, WezlyListView}) {
        connect(list, &QTreeWidget::itemChanged, this, [this, list](QTreeWidgetItem*, int column) {
            if (!m_restoring && column == 0) listClick(list);
        });
        connect(list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
            if (item && !m_restoring)
                item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        });
        connect(list->header(), &QHeaderView::sectionClicked, this, [this, list](int section) {
            if (section == 0) listColumnClick(list);
        });
    }
    connect(DBGrid2->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { guarded([this, column] { TitleClick(column); }); });
    connect(DBGrid2, &QTableView::customContextMenuRequested, this, [this](const QPoint& pos) {
        PokazStatusOlt->setEnabled(ReadIniBool(0, QStringLiteral("GponAktywujOpcje"), false));
        PopupMenu2->popup(DBGrid2->viewport()->mapToGlobal(pos));
    });
    connect(DBGrid2, &QTableView::doubleClicked, this, [this] { guarded([this] { editDevice(); }); });
    DBGrid2->installEventFilter(this);
    Edit2->installEventFilter(this);
}

// ---------------------------------------------------------------- the query

TInfraFilter TGlownyInfraTab::CurrentInfraFilter() const
{
    TInfraFilter f;
    f.Search = Edit2->text();
    f.ExcludePhrase = CheckBox9->isChecked();
    f.SeparatorMAC = ReadIniString(0, QStringLiteral("SeparatorMAC"), QStringLiteral(":"));
    f.LiteryMAC = ReadIniInteger(0, QStringLiteral("LiteryMAC"), 0);
    f.GroupIds = CheckedIds(GrupyInfraListView);
    f.GroupShowMode = ShowMode(GrupyInfraListView);
    f.NodeIds = CheckedIds(WezlyListView);
    f.NodeShowMode = ShowMode(WezlyListView);
    f.State = qMax(0, RadioGroup2->checkedId());
    f.BezIpLubMac = CheckBox3->isChecked();
    f.Terminarz = CheckBox4->isChecked();
    f.ZeStatusem = CheckBox11->isChecked();
    f.Status = ComboBox2->currentText();
    f.Monitoring = CheckBox15->isChecked();
    f.Zapasowe = CheckBox17->isChecked();
    f.Sort = InfraSort;
    return f;
}

void TGlownyInfraTab::BuildInfraQuery(TQuery& query)
{
    const TInfraQuery built = ::BuildInfraQuery(CurrentInfraFilter());
    query.SetSQL(built.Sql);
    query.BindArgs(built.Args);
}

void TGlownyInfraTab::RefreshInfra()
{
    TQuery* q = Data ? Data->QInfra.get() : nullptr;
    if (!q) return;
    if (q->Active())
        RefreshQuery(q, QStringLiteral("INF_INDEX"));
    else
        q->Open();
}

void TGlownyInfraTab::AttachGrid()
{
    TQuery* q = Data ? Data->QInfra.get() : nullptr;
    if (!q) return;
    q->BeforeOpen = [this](TQuery& query) { BuildInfraQuery(query); };
    // The shown keys come from the opened rows, not from a second query.
    q->AfterOpen = [](TQuery& query) {
        MainInfraWhere = InfraWhereText(DistinctKeys(query, QStringLiteral("INF_INDEX")));
        if (Data && Data->UpdateStatusBar) Data->UpdateStatusBar();
    };
    if (!m_model) {
        m_model = new TUserGridModel(q, this);
        m_model->SetColumns(InfraGridColumns());
        DBGrid2->setItemDelegate(new TInfraGridDelegate(m_model, this));
    }
    delete m_link;
    m_link = m_model->BindToView(DBGrid2);
    const int widths[] = {100, 40, 160, 50, 45, 135, 110, 110, 140, 120, 100, 100, 80};
    for (int i = 0; i < int(std::size(widths)); ++i)
        DBGrid2->setColumnWidth(i, widths[i]);
    // The columns the operator left shown at the last close (all at the first start).
    ApplyColumnMask(DBGrid2, ReadIniString(OperatorId, QStringLiteral("KolumnyGrid2"),
                                           QString(int(std::size(widths)), QLatin1Char('1'))));
    if (LoadInfraGridState) LoadInfraGridState(this);
    m_model->SetSortedColumn(InfraSort.Column, InfraSort.Order);
    q->Close();
    q->Open();
}

void TGlownyInfraTab::TitleClick(int column)
{
    if (!m_model || column < 0 || column >= int(m_model->Columns().size())) return;
    InfraGridTitleClick(InfraSort, column, m_model->Columns()[size_t(column)].FieldName);
    m_model->SetSortedColumn(InfraSort.Column, InfraSort.Order);
    RefreshInfra();
}

void TGlownyInfraTab::fillList(QTreeWidget* list, const QString& sql, const TArgs& args)
{
    QScopedValueRollback guard(m_restoring, true);
    list->clear();
    // Caption in the first column of the result, the key in the second.
    auto q = GlobalSession()->OpenQuery(sql, args);
    for (q->First(); !q->Eof(); q->Next()) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, q->Fields(0)->AsString());
        item->setText(1, q->Fields(1)->AsString());
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    LoadListViewChecks(list);
    colourList(list);
}

void TGlownyInfraTab::WczytajSortowanieInfra()
{
    fillList(GrupyInfraListView,
             QStringLiteral("select GRI_NAZWA, GRI_INDEX from GrupyInf order by GRI_NAZWA"));
}

void TGlownyInfraTab::WczytajSortowanieWezly()
{
    fillList(
        WezlyListView,
        QStringLiteral("select W_NazwaPE, W_INDEX from vWezly where W_TYPREKORDU=:p1 or W_TYPREKORDU=:p2 "
                       "order by W_IDENTYFIKATOR"),
        {QStringLiteral("PE"), QStringLiteral("WWP")});
}

// ---------------------------------------------------------------- handlers

void TGlownyInfraTab::edit2Change()
{
    TimerSzukajInfra->stop();
    SpeedButtonEx14->setEnabled(!Edit2->text().isEmpty());
    QPalette pal = Edit2->palette();
    pal.setColor(QPalette::Text, CheckBox9->isChecked() ? QColor(Qt::red)
                                                        : QApplication::palette(Edit2).color(QPalette::Text));
    Edit2->setPalette(pal);
    if (m_restoring) return;
    TimerSzukajInfra->start(300);
}

void TGlownyInfraTab::colourList(QTreeWidget* list)
{
    QPalette pal = list->palette();
    const QPalette base = QApplication::palette(list);
    pal.setColor(QPalette::Base, CountCheckedItems(list) == 0
                                     ? BlendColors(base.color(QPalette::Button), Qt::white, 3, 10)
                                     : BlendColors(QColor(255, 140, 0), Qt::white, 2, 8));
    pal.setColor(QPalette::Text, ShowMode(list) ? base.color(QPalette::Text) : QColor(Qt::red));
    list->setPalette(pal);
}

void TGlownyInfraTab::listClick(QTreeWidget* list)
{
    colourList(list);
    if (m_restoring) return;
    guarded([this] { RefreshInfra(); });
}

void TGlownyInfraTab::listColumnClick(QTreeWidget* list)
{
    QTreeWidgetItem* h = list->headerItem();
    const bool show = ShowMode(list);
    if (list == GrupyInfraListView)
        h->setText(0, show ? kGroupExclude : kGroupShow);
    else
        h->setText(0, show ? kNodeExclude : kNodeShow);
    listClick(list);
}

void TGlownyInfraTab::setChecks(QTreeWidget* list, int mode)
{
    {
        QScopedValueRollback guard(m_restoring, true);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = list->topLevelItem(i);
            const bool on = mode == 0 ? true : mode == 1 ? false : item->checkState(0) != Qt::Checked;
            item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
        }
    }
    listClick(list);
}

void TGlownyInfraTab::editDevice()
{
    TQuery* q = Data ? Data->QInfra.get() : nullptr;
    if (!q || !q->Active() || q->IsEmpty()) return;
    EditInfraDeviceOrSay(q->FieldByName(QStringLiteral("INF_INDEX"))->AsInteger());
}

bool TGlownyInfraTab::gridKeyPress(QKeyEvent* e)
{
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    switch (e->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
        Edit2->clear();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        SpeedButtonEx11->click();
        return true;
    default:
        break;
    }
    const QString text = e->text();
    if (text.isEmpty() || !text.at(0).isPrint()) return false;
    if (text != QLatin1String("'")) Edit2->setText(Edit2->text() + text);
    return true;
}

bool TGlownyInfraTab::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (watched == DBGrid2 && gridKeyPress(ke)) return true;
        // Typed apostrophes are dropped; a pasted one is searched literally.
        if (watched == Edit2 && ke->text() == QLatin1String("'")) return true;
    }
    if ((watched == DBGrid2 || watched == Edit2) && e->type() == QEvent::FocusIn) {
        // Entering the grid or the search box brings its tab forward.
        for (QWidget* w = parentWidget(); w; w = w->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
                tabs->setCurrentWidget(this);
                break;
            }
    }
    return QWidget::eventFilter(watched, e);
}
