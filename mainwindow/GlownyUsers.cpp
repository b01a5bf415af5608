// The subscriber tab of the main window: search, filters, groups, sort,
// ticks and the keys of the grid.
#include "mainwindow/Glowny.h"

#include "billing/FvWystaw.h"
#include "billing/OplatyDodaj.h"
#include "billing/PzWystaw.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/MagazynBlob.h"
#include "core/Operatorzy.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/GlownyUserGrid.h"
#include "mainwindow/User.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWheelEvent>

namespace {

// Design widths of the 25 columns.
const int kColumnWidths[] = {62,  210, 170, 120, 95,  90,  72,  72, 68, 46, 24, 24, 78,
                             110, 84,  30,  84,  190, 150, 150, 58, 40, 30, 96, 90};

} // namespace

void TFormGlowny::connectUserTab()
{
    connect(Edit1, &QLineEdit::textChanged, this, [this] { edit1Change(); });
    connect(CheckBox8, &QCheckBox::toggled, this, [this] { edit1Change(); });
    connect(CheckBox12, &QCheckBox::toggled, this, [this] { edit1Change(); });
    connect(SpeedButtonEx2, &QToolButton::clicked, this, [this] {
        RunGuarded([this] {
            Edit1->clear();
            TimerSzukajUser->stop();
            RefreshUsers();
        });
    });
    connect(SpeedButtonEx1, &QToolButton::clicked, this, [this] {
        RunGuarded([this] {
            RefreshUsers();
            UpdateButtonCounters();
            Closing = false;
        });
    });
    connect(SpeedButtonEx50, &QToolButton::clicked, this, [this] {
        Edit1->setText(Edit1->text() == QLatin1String("tauron.show") ? QString()
                                                                     : QStringLiteral("tauron.show"));
    });
    for (QCheckBox* box :
         {CheckBox1, CheckBox2, CheckBox5, CheckBox6, CheckBox7, CheckBox10, CheckBox14, CheckBox16,
          CheckBox18, CheckBox19, CheckBox20, CheckBox21, CheckBox22, CheckBox23})
        connect(box, &QCheckBox::toggled, this, [this] { applyFilters(); });
    connect(m_radioGroup1, &QButtonGroup::idClicked, this, [this] { applyFilters(); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] {
        if (CheckBox1->isChecked()) applyFilters();
    });
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, [this] {
        if (CheckBox20->isChecked()) applyFilters();
    });
    connect(ComboBox4, &QComboBox::currentIndexChanged, this, [this] {
        if (CheckBox23->isChecked()) applyFilters();
    });
    for (QSpinBox* s : {SpinEdit1, SpinEdit2}) {
        connect(s, &QSpinBox::valueChanged, this, [this] {
            if (CheckBox18->isChecked()) edit1Change();
        });
        if (auto* line = s->findChild<QLineEdit*>()) line->installEventFilter(this);
    }

    // A check toggled by its box arrives as a change; a click on the text toggles it.
    connect(GrupyUserListView, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (m_restoring || column != 0) return;
        if (m_groupCheckChanged) return;
        m_groupCheckChanged = true;
        QTimer::singleShot(0, this, [this] {
            m_groupCheckChanged = false;
            applyFilters();
        });
    });
    connect(GrupyUserListView, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        if (m_groupCheckChanged || !item) return;
        item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
    connect(GrupyUserListView->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section == 0) RunGuarded([this] { groupListColumnClick(); });
    });

    DBGrid1->installEventFilter(this);
    DBGrid1->viewport()->installEventFilter(this);
    Edit1->installEventFilter(this);
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { RunGuarded([this, column] { TitleClick(column); }); });
}

// ---------------------------------------------------------------- grid binding

void TFormGlowny::attachGrid()
{
    TQuery* q = Data ? Data->QUserdb.get() : nullptr;
    if (!q) return;
    if (!m_userModel || m_userModel->Query() != q) {
        delete m_userDelegate;
        delete m_userModel;
        m_userModel = new TUserGridModel(q, this);
        m_userModel->SetColumns(UserGridColumns());
        m_userModel->SetFormatter(UserGridFormatter());
        m_userDelegate = new TUserGridDelegate(m_userModel, this);
        // A reopen resets the model; the columns keep their widths and order.
        connect(m_userModel, &QAbstractItemModel::modelAboutToBeReset, this,
                [this] { m_headerState = DBGrid1->horizontalHeader()->saveState(); });
        connect(m_userModel, &QAbstractItemModel::modelReset, this, [this] {
            if (!m_headerState.isEmpty()) DBGrid1->horizontalHeader()->restoreState(m_headerState);
        });
    }
    const bool fresh = DBGrid1->model() != m_userModel;
    delete m_userLink;
    m_userLink = m_userModel->BindToView(DBGrid1);
    DBGrid1->setItemDelegate(m_userDelegate);
    if (fresh) {
        for (int i = 0; i < int(std::size(kColumnWidths)) && i < m_userModel->columnCount(); ++i)
            DBGrid1->setColumnWidth(i, kColumnWidths[i]);
    }
    if (m_loadLayout) {
        try {
            LoadGridLayout(this, DBGrid1);
        } catch (const std::exception&) {
        }
    }
    if (fresh && !m_columnMask1.isEmpty()) ApplyColumnMask(DBGrid1, m_columnMask1);
    const int filterWidth =
        TDbIni(HostId, OperatorId)
            .ReadInteger(QStringLiteral("TFormGlownyGripPanel2"), QStringLiteral("Szerokosc"), 0);
    if (filterWidth >= GripPanel2->minimumWidth())
        m_userSplitter->setSizes({filterWidth, qMax(400, m_userSplitter->width() - filterWidth)});
    applySortLook();
    DBGrid1->setFocus();
}

void TFormGlowny::detachGrid()
{
    delete m_userLink;
    m_userLink = nullptr;
    DBGrid1->setModel(nullptr);
}

// ---------------------------------------------------------------- the query

TUserFilter TFormGlowny::CurrentUserFilter() const
{
    TUserFilter f;
    f.Search = Edit1->text();
    f.ExcludeWords = CheckBox8->isChecked();
    f.SortedColumnOnly = CheckBox12->isChecked();
    const std::vector<TQueryColumn> cols = UserGridColumns();
    if (UserSort.Column >= 0 && UserSort.Column < int(cols.size()))
        f.SortedColumnField = cols[size_t(UserSort.Column)].FieldName;
    if (CountCheckedItems(GrupyUserListView) > 0) {
        QStringList ids;
        GetCheckedItemTexts(GrupyUserListView, &ids, 2);
        for (const QString& id : ids) {
            bool ok = false;
            const int v = id.toInt(&ok);
            if (ok) f.GroupIds << v;
        }
    }
    f.GroupShowMode = GrupyUserListView->headerItem()->text(0).startsWith(QLatin1Char('P'));
    f.State = RadioGroup1Index();
    f.Zalegle = CheckBox1->isChecked();
    f.ZalegleKind = ComboBox1->currentIndex();
    f.Terminarz = CheckBox2->isChecked();
    f.BezAbonamentu = CheckBox5->isChecked();
    f.BezFakturowania = CheckBox6->isChecked();
    f.BezTeryt = CheckBox7->isChecked();
    f.BezUrzadzen = CheckBox10->isChecked();
    f.Firma = CheckBox14->isChecked();
    f.FirmaNegacja = CheckBox19->isChecked();
    f.ZaznaczeniWKarcie = CheckBox16->isChecked();
    f.Zaznaczeni = CheckBox21->isChecked();
    f.ZaznaczeniNegacja = CheckBox22->isChecked();
    f.Podmiot = CheckBox20->isChecked();
    f.PodmiotSkrot = ComboBox3->currentText();
    f.Geo = CheckBox23->isChecked();
    f.GeoKind = ComboBox4->currentIndex();
    f.Range = CheckBox18->isChecked();
    f.RangeFirst = SpinEdit1->text();
    f.RangeCount = SpinEdit2->text();
    f.Sort = UserSort;
    return f;
}

void TFormGlowny::BuildUserQuery(TQuery& query)
{
    const TUserQuery built = ::BuildUserQuery(CurrentUserFilter(), QDate::currentDate());
    ApplyUserQuery(query, built);
    MainUserOrderBy = built.Order;
}

void TFormGlowny::RefreshUsers()
{
    TQuery* q = Data ? Data->QUserdb.get() : nullptr;
    if (!q || !q->Active()) return;
    RefreshQuery(q, QStringLiteral("U_INDEX"));
}

int TFormGlowny::CurrentUserIndex() const
{
    TQuery* q = Data ? Data->QUserdb.get() : nullptr;
    if (!q || !q->Active() || q->IsEmpty()) return 0;
    return q->FieldByName(QStringLiteral("U_INDEX"))->AsInteger();
}

int TFormGlowny::RadioGroup1Index() const
{
    return qMax(0, m_radioGroup1->checkedId());
}

void TFormGlowny::SetRadioGroup1Index(int index)
{
    if (QAbstractButton* b = m_radioGroup1->button(qBound(0, index, 3))) b->setChecked(true);
}

void TFormGlowny::WczytajSortowanieUser()
{
    const bool was = m_restoring;
    m_restoring = true;
    FillPodmiotyCombo(ComboBox3);
    GrupyUserListView->clear();
    auto q =
        GlobalSession()->OpenQuery(QStringLiteral("select GR_NAZWA, GR_INDEX from Grupy order by GR_NAZWA"));
    for (q->First(); !q->Eof(); q->Next()) {
        auto* item = new QTreeWidgetItem(GrupyUserListView);
        item->setText(0, q->FieldByName(QStringLiteral("GR_NAZWA"))->AsString());
        item->setText(1, q->FieldByName(QStringLiteral("GR_INDEX"))->AsString());
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    LoadListViewChecks(GrupyUserListView);
    m_restoring = was;
    colourGroupList();
}

// ---------------------------------------------------------------- handlers

void TFormGlowny::edit1Change()
{
    TimerSzukajUser->stop();
    SpeedButtonEx2->setEnabled(!Edit1->text().isEmpty());
    QPalette pal = Edit1->palette();
    const QPalette base = QApplication::palette(Edit1);
    pal.setColor(QPalette::Text, CheckBox8->isChecked() ? QColor(Qt::red) : base.color(QPalette::Text));
    pal.setColor(QPalette::Base, CheckBox12->isChecked() ? BlendColors(Qt::white, Qt::red, 10, 1)
                                                         : base.color(QPalette::Base));
    Edit1->setPalette(pal);
    if (m_restoring) return;
    TimerSzukajUser->setInterval(300);
    TimerSzukajUser->start();
}

void TFormGlowny::colourGroupList()
{
    QPalette pal = GrupyUserListView->palette();
    const QPalette base = QApplication::palette(GrupyUserListView);
    pal.setColor(QPalette::Base, CountCheckedItems(GrupyUserListView) == 0
                                     ? BlendColors(base.color(QPalette::Button), Qt::white, 3, 10)
                                     : BlendColors(QColor(255, 140, 0), Qt::white, 2, 8));
    const bool show = GrupyUserListView->headerItem()->text(0).startsWith(QLatin1Char('P'));
    pal.setColor(QPalette::Text, show ? base.color(QPalette::Text) : QColor(Qt::red));
    GrupyUserListView->setPalette(pal);
}

void TFormGlowny::applyFilters()
{
    colourGroupList();
    QFont f = SpeedButtonEx9->font();
    f.setBold(RadioGroup1Index() == 3);
    SpeedButtonEx9->setFont(f);
    CheckBox14->setText(CheckBox19->isChecked() ? QStringLiteral("Oznaczone jako NIE-FIRMA")
                                                : QStringLiteral("Oznaczone jako FIRMA"));
    CheckBox21->setText(CheckBox22->isChecked() ? QStringLiteral("Niezaznacz.")
                                                : QStringLiteral("Zaznaczeni"));
    if (m_restoring) return;
    RunGuarded([this] { RefreshUsers(); });
}

void TFormGlowny::groupListColumnClick()
{
    QTreeWidgetItem* h = GrupyUserListView->headerItem();
    h->setText(0, h->text(0).startsWith(QLatin1Char('P')) ? QStringLiteral("Wyklucz użytkowników z grupy")
                                                          : QStringLiteral("Pokaż użytkowników z grupy"));
    applyFilters();
}

void TFormGlowny::setGroupChecks(int mode)
{
    const bool was = m_restoring;
    m_restoring = true;
    for (int i = 0; i < GrupyUserListView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = GrupyUserListView->topLevelItem(i);
        const bool on = mode == 0 ? true : mode == 1 ? false : item->checkState(0) != Qt::Checked;
        item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }
    m_restoring = was;
    applyFilters();
}

void TFormGlowny::TitleClick(int column)
{
    if (!m_userModel || column < 0 || column >= int(m_userModel->Columns().size())) return;
    UserGridTitleClick(UserSort, column, m_userModel->Columns()[size_t(column)].FieldName);
    applySortLook();
    RefreshUsers();
}

void TFormGlowny::applySortLook()
{
    if (m_userModel) m_userModel->SetSortedColumn(UserSort.Column, UserSort.Order);
    DBGrid1->viewport()->update();
}

void TFormGlowny::updateTickCount()
{
    Label4->setText(QString::number(CountTickedUsers()));
}

void TFormGlowny::gridCtrlClick(int row)
{
    TQuery* q = Data ? Data->QUserdb.get() : nullptr;
    if (!q || !q->Active() || row < 0 || row >= q->RecordCount()) return;
    q->SetRecNo(row + 1);
    const bool ticked = q->FieldByName(QStringLiteral("U_ZAZNACZONY_TEMP"))->AsInteger() == 1;
    ToggleUserTick(q->FieldByName(QStringLiteral("U_INDEX"))->AsInteger(), ticked);
    updateTickCount();
    RefreshUsers();
}

void TFormGlowny::tickVisible(int mode)
{
    if (mode == 2)
        ClearAllUserTicks();
    else
        TickUsers(MainUserWhere, mode == 0);
    updateTickCount();
    RefreshUsers();
}

namespace {

// The current row's number in the whole list; its position when the
// numbering column cannot be read.
int CurrentRowCount(TQuery* q)
{
    if (!q || !q->Active() || q->IsEmpty()) return 0;
    const TField* f = q->FindField(QStringLiteral("RowCount"));
    const int n = f ? f->AsInteger() : 0;
    return n > 0 ? n : q->RecNo();
}

bool RangeClickIgnored(const TUserSort& sort)
{
    return sort.Fields[0] == QLatin1String("U_GrNazwaAll") ||
           sort.Fields[0] == QLatin1String("vU_DataOstatniejWplaty");
}

} // namespace

void TFormGlowny::spinEdit1DblClick()
{
    if (RangeClickIgnored(UserSort)) return;
    const int rc = CurrentRowCount(Data ? Data->QUserdb.get() : nullptr);
    SpinEdit1->setValue(CheckBox18->isChecked() ? SpinEdit1->value() + rc - 1 : rc);
}

void TFormGlowny::spinEdit2DblClick()
{
    if (RangeClickIgnored(UserSort)) return;
    const int rc = CurrentRowCount(Data ? Data->QUserdb.get() : nullptr);
    SpinEdit2->setValue(CheckBox18->isChecked() ? rc : rc - SpinEdit1->value() + 1);
}

void TFormGlowny::openUserCard()
{
    const int id = CurrentUserIndex();
    if (id == 0) return;
    if (OpenUserCard)
        OpenUserCard(id);
    else
        ShowUserCard(id);
}

// The menu item goes the way of the subscriber's invoice window (its payments
// are re-read); the button only refreshes the grid.
void TFormGlowny::issueInvoice(bool fromMenu)
{
    if (RightDenied(3)) return;
    const int id = CurrentUserIndex();
    if (id == 0) return;
    IssueNewFv(id);
    if (fromMenu) {
        TQuery* oplaty = Data ? Data->QOplaty.get() : nullptr;
        if (oplaty && oplaty->Active()) RefreshQuery(oplaty, QStringLiteral("O_INDEX"));
    }
    RefreshUsers();
}

void TFormGlowny::addPayment()
{
    const int id = CurrentUserIndex();
    if (id == 0) return;
    AddOplata(id);
    RefreshUsers();
}

void TFormGlowny::issueDemand()
{
    if (RightDenied(3)) return;
    const int id = CurrentUserIndex();
    if (id == 0) return;
    IssueNewPz(id);
    RefreshUsers();
}

// ---------------------------------------------------------------- keys and mouse

void TFormGlowny::gridKeyPress(QKeyEvent* e, bool& handled)
{
    handled = false;
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return;
    switch (e->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
        Edit1->clear();
        handled = true;
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        SpeedButtonEx8->click();
        handled = true;
        return;
    default:
        break;
    }
    const QString text = e->text();
    if (text.isEmpty() || !text.at(0).isPrint()) return;
    // Typing in the grid goes to the search box; the grid keeps the focus.
    Edit1->setText(Edit1->text() + text);
    handled = true;
}

bool TFormGlowny::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == DBGrid1 && e->type() == QEvent::KeyPress) {
        bool handled = false;
        gridKeyPress(static_cast<QKeyEvent*>(e), handled);
        if (handled) return true;
    }
    if ((watched == DBGrid1 || watched == Edit1) && e->type() == QEvent::FocusIn)
        PageControl1->setCurrentIndex(0);
    if (watched == DBGrid1->viewport()) {
        if (e->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton && (me->modifiers() & Qt::ControlModifier)) {
                const QModelIndex idx = DBGrid1->indexAt(me->position().toPoint());
                if (idx.isValid()) {
                    DBGrid1->setCurrentIndex(idx);
                    const int row = idx.row();
                    RunGuarded([this, row] { gridCtrlClick(row); });
                }
                return true;
            }
        } else if (e->type() == QEvent::MouseButtonDblClick) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton && DBGrid1->indexAt(me->position().toPoint()).isValid()) {
                RunGuarded([this] { openUserCard(); });
                return true;
            }
        } else if (e->type() == QEvent::Wheel) {
            // The wheel moves the current row one line, as the arrow keys do.
            auto* we = static_cast<QWheelEvent*>(e);
            const int delta = we->angleDelta().y();
            if (delta != 0 && DBGrid1->model()) {
                const int rows = DBGrid1->model()->rowCount();
                const QModelIndex cur = DBGrid1->currentIndex();
                const int row =
                    qBound(0, (cur.isValid() ? cur.row() : 0) + (delta > 0 ? -1 : 1), qMax(0, rows - 1));
                if (rows > 0) DBGrid1->setCurrentIndex(DBGrid1->model()->index(row, qMax(0, cur.column())));
            }
            return true;
        }
    }
    if (e->type() == QEvent::MouseButtonDblClick) {
        if (SpinEdit1 && watched == SpinEdit1->findChild<QLineEdit*>()) {
            RunGuarded([this] { spinEdit1DblClick(); });
            return true;
        }
        if (SpinEdit2 && watched == SpinEdit2->findChild<QLineEdit*>()) {
            RunGuarded([this] { spinEdit2DblClick(); });
            return true;
        }
    }
    return TFormEx::eventFilter(watched, e);
}
