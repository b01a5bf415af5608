#include "core/ListWindow.h"

#include "core/DateTimePicker.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/QueryModel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

// The grid's model: the sort mark and the red caption of the sorted column.
class TListModel : public TQueryModel
{
public:
    TListModel(TQuery* query, const TListStatement& statement, QObject* parent)
        : TQueryModel(query, parent), m_statement(statement)
    {
    }

    bool IsSortedColumn(int column) const
    {
        return column >= 0 && column < int(Columns().size()) &&
               Columns()[size_t(column)].FieldName.compare(m_statement.SortedField(), Qt::CaseInsensitive) ==
                   0;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || !IsSortedColumn(section) || m_statement.SortDirection == 0)
            return TQueryModel::headerData(section, orientation, role);
        if (role == Qt::DisplayRole)
            return TQueryModel::headerData(section, orientation, role).toString() +
                   (m_statement.SortDirection == 1 ? QStringLiteral("+") : QStringLiteral("-"));
        if (role == Qt::ForegroundRole) return QColor(Qt::red);
        return TQueryModel::headerData(section, orientation, role);
    }

    void TitlesChanged() { emit headerDataChanged(Qt::Horizontal, 0, qMax(0, columnCount() - 1)); }

private:
    const TListStatement& m_statement;
};

TListWindow::TListWindow(const QString& caption, TListConfig config, QWidget* parent)
    : TFormEx(parent), m_statement(std::move(config)), m_query(std::make_unique<TQuery>()), m_caption(caption)
{
    setWindowTitle(caption);
    m_query->SetSQL(QStringLiteral("select * from ") + m_statement.Config().View +
                    QStringLiteral(" where 1=2"));
    m_query->BeforeOpen = [this](TQuery& q) { beforeOpen(q); };
    m_query->AfterOpen = [this](TQuery& q) { afterOpen(q); };
    buildUi();
}

TListWindow::~TListWindow()
{
    m_query->BeforeOpen = nullptr;
    m_query->AfterOpen = nullptr;
}

void TListWindow::buildUi()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    root->setSpacing(4);

    auto* top = new QHBoxLayout();
    top->setSpacing(6);
    top->addWidget(new QLabel(QStringLiteral("Szukaj:"), this));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(200);
    Edit1->installEventFilter(this);
    top->addWidget(Edit1);
    ClearBtn = new QToolButton(this);
    ClearBtn->setObjectName(QStringLiteral("ClearBtn"));
    ClearBtn->setText(QStringLiteral("X"));
    ClearBtn->setToolTip(QStringLiteral("Wyczyść"));
    ClearBtn->setEnabled(false);
    top->addWidget(ClearBtn);
    RefreshBtn = new QToolButton(this);
    RefreshBtn->setObjectName(QStringLiteral("RefreshBtn"));
    RefreshBtn->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    RefreshBtn->setToolTip(QStringLiteral("Refresh"));
    top->addWidget(RefreshBtn);
    top->addSpacing(8);
    top->addWidget(new QLabel(QStringLiteral("Od:"), this));
    DateFrom = new TDateTimePicker(this);
    DateFrom->setObjectName(QStringLiteral("DateFrom"));
    DateFrom->SetShowCheckbox(true);
    top->addWidget(DateFrom);
    top->addWidget(new QLabel(QStringLiteral("Do:"), this));
    DateTo = new TDateTimePicker(this);
    DateTo->setObjectName(QStringLiteral("DateTo"));
    DateTo->SetShowCheckbox(true);
    top->addWidget(DateTo);
    LabelOkres = new QLabel(QStringLiteral("<>"), this);
    LabelOkres->setObjectName(QStringLiteral("LabelOkres"));
    LabelOkres->setTextFormat(Qt::PlainText);
    LabelOkres->setCursor(Qt::PointingHandCursor);
    LabelOkres->installEventFilter(this);
    top->addWidget(LabelOkres);
    FilterLayout = new QHBoxLayout();
    FilterLayout->setSpacing(8);
    top->addLayout(FilterLayout);
    top->addStretch(1);
    root->addLayout(top);

    PeriodMenu = new QMenu(this);
    const char* periods[] = {"Aktualny miesiąc", "Poprzedni miesiąc", "Dwa miesiące wstecz"};
    for (int i = 0; i < 3; ++i)
        connect(PeriodMenu->addAction(QString::fromUtf8(periods[i])), &QAction::triggered, this,
                [this, i] { RunGuarded([this, i] { SetPeriod(i); }); });
    SetPopupMenu(LabelOkres, PeriodMenu);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setDefaultSectionSize(20);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setSectionsClickable(true);
    DBGrid1->horizontalHeader()->setHighlightSections(false);
    DBGrid1->installEventFilter(this);
    m_model = new TListModel(m_query.get(), m_statement, this);
    m_model->SetFormatter([this](const TQuery& q, int row, int fieldIndex, int role) -> QVariant {
        if (CellData) {
            const QVariant v = CellData(q, row, fieldIndex, role);
            if (v.isValid()) return v;
        }
        if (role == Qt::ForegroundRole && RowTextColor) {
            const QColor c = RowTextColor(q, row);
            if (c.isValid()) return c;
        }
        if (role != Qt::BackgroundRole) return {};
        if (RowBackground) {
            const QColor c = RowBackground(q, row);
            if (c.isValid()) return c;
        }
        const TField* sorted = m_statement.SortDirection ? q.FindField(m_statement.SortedField()) : nullptr;
        if (sorted && sorted->Index() == fieldIndex)
            return BlendColors(Qt::white, DBGrid1->palette().color(QPalette::Button), 5, 3);
        return {};
    });
    m_model->BindToView(DBGrid1);
    root->addWidget(DBGrid1, 1);

    auto* bottom = new QHBoxLayout();
    ButtonLayout = new QHBoxLayout();
    ButtonLayout->setSpacing(3);
    bottom->addLayout(ButtonLayout);
    bottom->addStretch(1);
    ZamknijBtn = new QPushButton(QStringLiteral("Zamknij"), this);
    ZamknijBtn->setObjectName(QStringLiteral("ZamknijBtn"));
    bottom->addWidget(ZamknijBtn);
    root->addLayout(bottom);
    LabelSuma = new QLabel(this);
    LabelSuma->setObjectName(QStringLiteral("LabelSuma"));
    LabelSuma->setFrameShape(QFrame::StyledPanel);
    root->addWidget(LabelSuma);

    TimerSzukaj = new QTimer(this);
    TimerSzukaj->setSingleShot(true);
    TimerSzukaj->setInterval(300);
    connect(TimerSzukaj, &QTimer::timeout, this, [this] { RunGuarded([this] { TimerSzukajTimer(); }); });
    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& text) {
        ClearBtn->setEnabled(!text.isEmpty());
        TimerSzukaj->start(300);
    });
    connect(ClearBtn, &QToolButton::clicked, this, [this] {
        Edit1->clear();
        TimerSzukaj->start(10);
    });
    connect(RefreshBtn, &QToolButton::clicked, this, [this] { RunGuarded([this] { Reread(); }); });
    for (TDateTimePicker* p : {DateFrom, DateTo})
        connect(p, &TDateTimePicker::Changed, this, [this] { RunGuarded([this] { TimerSzukajTimer(); }); });
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { RunGuarded([this, column] { TitleClick(column); }); });
    connect(DBGrid1, &QTableView::doubleClicked, this, [this] {
        if (OnEdit) RunOnRow(OnEdit);
    });
    connect(ZamknijBtn, &QPushButton::clicked, this, [this] { zamknij(); });
    resize(1000, 560);
}

// ---------------------------------------------------------------- configuration

void TListWindow::AddColumn(const QString& field, const QString& caption)
{
    m_model->AddColumn(field, caption);
}

QCheckBox* TListWindow::AddFilterCheck(const QString& caption)
{
    auto* box = new QCheckBox(caption, this);
    FilterLayout->addWidget(box);
    connect(box, &QCheckBox::clicked, this, [this] { RunGuarded([this] { TimerSzukajTimer(); }); });
    return box;
}

QPushButton* TListWindow::AddButton(const QString& caption, const std::function<void()>& action)
{
    auto* b = new QPushButton(caption, this);
    b->setAutoDefault(false);
    ButtonLayout->addWidget(b);
    connect(b, &QPushButton::clicked, this, [this, action] { RunOnRow(action); });
    return b;
}

QToolButton* TListWindow::AddToolButton(const QString& text, const QString& hint,
                                        const std::function<void()>& action)
{
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setToolTip(hint);
    b->setMinimumHeight(26);
    ButtonLayout->addWidget(b);
    if (action) connect(b, &QToolButton::clicked, this, [this, action] { RunOnRow(action); });
    return b;
}

QToolButton* TListWindow::AddMenuButton(const QString& text, const QString& hint, QMenu* menu)
{
    QToolButton* b = AddToolButton(text, hint, {});
    SetPopupMenu(b, menu);
    connect(b, &QToolButton::clicked, this, [b] { PopupMenuBelow(b); });
    return b;
}

void TListWindow::SetDefaultDates(bool toDateChecked)
{
    const QSignalBlocker b1(DateFrom), b2(DateTo);
    const QDate from = DoubleToDateTime(GlobalSession()->GetQueryValueAsDateTime(
                                            QStringLiteral("select date_add(CURDATE(), interval -3 month)")))
                           .date();
    DateFrom->SetDate(from);
    DateFrom->SetChecked(true);
    DateTo->SetDate(QDate::currentDate());
    DateTo->SetChecked(toDateChecked);
}

void TListWindow::SortByFirstColumnDescending()
{
    TitleClick(0);
    TitleClick(0);
}

// ---------------------------------------------------------------- reading

void TListWindow::beforeOpen(TQuery& q)
{
    // Hidden, the list keeps its last statement (and reads nothing new).
    if (!isVisible()) return;
    m_current = m_statement.Build();
    q.SetSQL(m_current.Sql);
    q.BindArgs(m_current.Args);
}

void TListWindow::afterOpen(TQuery& q)
{
    LabelSuma->setText(TotalsText ? TotalsText(q) : QString());
}

void TListWindow::Reread()
{
    if (m_query->Active())
        RefreshQuery(m_query.get(), m_statement.Config().KeyField);
    else
        m_query->Open();
}

void TListWindow::TimerSzukajTimer()
{
    TimerSzukaj->stop();
    m_statement.SearchText = Edit1->text();
    Reread();
}

std::unique_ptr<TQuery> TListWindow::OpenCurrentStatement() const
{
    const TListSql sql = m_current.Sql.isEmpty() ? m_statement.Build() : m_current;
    return GlobalSession()->OpenQuery(sql.Sql, sql.Args);
}

bool TListWindow::HasRow() const
{
    return m_query->Active() && !m_query->IsEmpty();
}

int TListWindow::CurrentKey() const
{
    return HasRow() ? m_query->FieldByName(m_statement.Config().KeyField)->AsInteger() : 0;
}

QString TListWindow::FieldText(const QString& field) const
{
    return HasRow() ? m_query->FieldByName(field)->AsString() : QString();
}

int TListWindow::FieldInt(const QString& field) const
{
    return HasRow() ? m_query->FieldByName(field)->AsInteger() : 0;
}

void TListWindow::RunOnRow(const std::function<void()>& action)
{
    RunGuarded([this, action] {
        if (HasRow()) action();
    });
}

// ---------------------------------------------------------------- sort, period, keys

void TListWindow::TitleClick(int column)
{
    const int field = m_model->FieldIndex(column);
    const QString name = column >= 0 && column < int(m_model->Columns().size())
                             ? m_model->Columns()[size_t(column)].FieldName
                             : QString();
    if (name.isEmpty() && field < 0) return;
    m_statement.TitleClick(name);
    updateTitles();
    if (isVisible()) Reread();
}

void TListWindow::updateTitles()
{
    m_model->TitlesChanged();
    DBGrid1->viewport()->update();
}

void TListWindow::SetPeriod(int item)
{
    static const char* const from[] = {"select LAST_DAY(NOW() - INTERVAL 1 MONTH) + INTERVAL 1 DAY",
                                       "select LAST_DAY(NOW() - INTERVAL 2 MONTH) + INTERVAL 1 DAY",
                                       "select LAST_DAY(NOW() - INTERVAL 3 MONTH) + INTERVAL 1 DAY"};
    static const char* const to[] = {"select NOW()", "select LAST_DAY(NOW() - INTERVAL 1 MONTH)",
                                     "select LAST_DAY(NOW() - INTERVAL 2 MONTH)"};
    if (item < 0 || item > 2) return;
    TDedicatedSession* s = GlobalSession();
    {
        const QSignalBlocker b1(DateFrom), b2(DateTo);
        DateFrom->SetDate(
            DoubleToDateTime(s->GetQueryValueAsDateTime(QString::fromLatin1(from[item]))).date());
        DateTo->SetDate(DoubleToDateTime(s->GetQueryValueAsDateTime(QString::fromLatin1(to[item]))).date());
        DateFrom->SetChecked(true);
        DateTo->SetChecked(true);
    }
    Reread();
}

bool TListWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LabelOkres && event->type() == QEvent::MouseButtonRelease) {
        PopupMenuBelow(LabelOkres);
        return true;
    }
    if (event->type() != QEvent::KeyPress) return TFormEx::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Apostrophes never reach the search (a pasted one is only a character of a bound value).
    if ((watched == Edit1 || watched == DBGrid1) && key->text() == QStringLiteral("'")) return true;
    if (watched != DBGrid1) return TFormEx::eventFilter(watched, event);
    if (key->key() == Qt::Key_Backspace) {
        Edit1->clear();
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (OnEdit) RunOnRow(OnEdit);
        return true;
    }
    const QString text = key->text();
    if (!text.isEmpty() && text.at(0).isPrint() &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        Edit1->setText(Edit1->text() + text);
        return true;
    }
    return TFormEx::eventFilter(watched, event);
}

// ---------------------------------------------------------------- show and close

void TListWindow::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    SetDropShadow(true);
    RunGuarded([this] {
        Reread();
        m_query->First();
        if (LastIndex != 0) m_query->Locate(m_statement.Config().KeyField, TArg(LastIndex));
        AfterShow();
    });
}

void TListWindow::hideEvent(QHideEvent* e)
{
    m_query->Close();
    TFormEx::hideEvent(e);
}

void TListWindow::zamknij()
{
    if (HasRow()) LastIndex = CurrentKey();
    accept();
}
