#include "registers/RejestrLista.h"

#include "core/DateTimePicker.h"
#include "core/Query.h"
#include "mainwindow/UserZakladki.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

TFormRejestrLista::TFormRejestrLista(const QString& caption, const QString& keyField,
                                     std::vector<TQueryColumn> columns, QWidget* parent)
    : TFormEx(parent), m_keyField(keyField), m_columns(std::move(columns))
{
    setWindowTitle(caption);
    Query = std::make_unique<TQuery>();
    // The statement is rebuilt before every opening, refreshes included.
    Query->BeforeOpen = [this](TQuery& q) {
        TArgs args;
        q.SetSQL(ListSql(args));
        q.BindArgs(args);
    };
    Query->AfterOpen = [this](TQuery&) {
        TArgs args;
        const QString sql = CountSql(args);
        LabelIlosc->setText(CountCaption() +
                            QString::number(GlobalSession()->GetQueryValueAsInteger(sql, args)));
    };

    auto* layout = new QVBoxLayout(this);
    FilterBar = new QHBoxLayout;
    FilterBar->addWidget(new QLabel(QStringLiteral("Szukaj:"), this));
    EditSzukaj = new QLineEdit(this);
    EditSzukaj->setMinimumWidth(220);
    EditSzukaj->installEventFilter(this);
    FilterBar->addWidget(EditSzukaj);
    ButtonWyczysc = new QToolButton(this);
    ButtonWyczysc->setText(QStringLiteral("X"));
    FilterBar->addWidget(ButtonWyczysc);
    DataOd = new TDateTimePicker(this);
    DataOd->SetShowCheckbox(true);
    DataDo = new TDateTimePicker(this);
    DataDo->SetShowCheckbox(true);
    DataDo->SetDate(QDate::currentDate());
    FilterBar->addWidget(new QLabel(QStringLiteral("od"), this));
    FilterBar->addWidget(DataOd);
    FilterBar->addWidget(new QLabel(QStringLiteral("do"), this));
    FilterBar->addWidget(DataDo);
    FilterBar->addStretch(1);
    layout->addLayout(FilterBar);
    FilterBar2 = new QHBoxLayout;
    layout->addLayout(FilterBar2);

    Grid = new TCardGrid(QStringLiteral("DBGrid1"), m_columns, this);
    Grid->installEventFilter(this);
    Grid->horizontalHeader()->setSectionsClickable(true);
    layout->addWidget(Grid, 1);

    ButtonBar = new QHBoxLayout;
    LabelIlosc = new QLabel(this);
    LabelIlosc->setMinimumWidth(LabelIlosc->fontMetrics().horizontalAdvance(QStringLiteral("Zleceń 000000")));
    layout->addLayout(ButtonBar);
    ButtonBar->addWidget(LabelIlosc);
    ButtonBar->addStretch(1);

    TimerSzukaj = new QTimer(this);
    TimerSzukaj->setSingleShot(true);
    TimerSzukaj->setInterval(300);
    connect(TimerSzukaj, &QTimer::timeout, this, [this] { RunGuarded([this] { Reread(); }); });
    connect(EditSzukaj, &QLineEdit::textChanged, this, [this] { TimerSzukaj->start(300); });
    connect(ButtonWyczysc, &QToolButton::clicked, this, [this] {
        EditSzukaj->blockSignals(true);
        EditSzukaj->clear();
        EditSzukaj->blockSignals(false);
        TimerSzukaj->start(10);
    });
    for (TDateTimePicker* p : {DataOd, DataDo})
        connect(p, &TDateTimePicker::Changed, this, [this] { FilterChanged(); });
    connect(Grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { RunGuarded([this, c] { headerClicked(c); }); });
    connect(Grid, &QAbstractItemView::doubleClicked, this, [this] {
        RunGuarded([this] {
            EditCurrent();
            Reread();
        });
    });
    resize(1000, 600);
}

QPushButton* TFormRejestrLista::AddButton(const QString& caption, std::function<void()> handler, bool reread)
{
    auto* b = new QPushButton(caption, this);
    ButtonBar->addWidget(b);
    connect(b, &QPushButton::clicked, this, [this, handler, reread] {
        RunGuarded([this, handler, reread] {
            handler();
            if (reread && isVisible()) Reread();
        });
    });
    return b;
}

QPushButton* TFormRejestrLista::Button(const QString& caption) const
{
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->text() == caption || b->toolTip() == caption) return b;
    return nullptr;
}

int TFormRejestrLista::CurrentKey() const
{
    if (!Query->Active() || Query->IsEmpty()) return 0;
    return Query->FieldByName(m_keyField)->AsInteger();
}

void TFormRejestrLista::Reread()
{
    if (!isVisible()) return;
    if (Query->Active())
        RefreshQuery(Query.get(), m_keyField);
    else
        Query->Open();
    Grid->Bind(Query.get());
}

void TFormRejestrLista::FilterChanged()
{
    RunGuarded([this] { Reread(); });
}

void TFormRejestrLista::headerClicked(int column)
{
    if (column < 0 || column >= int(m_columns.size())) return;
    Sort.Click(column, m_columns[size_t(column)].FieldName,
               column == NumberColumn() ? NumberSortKeys() : QStringList());
    ApplySortMark();
    Reread();
}

void TFormRejestrLista::ApplySortMark()
{
    Grid->SetSortMark(Sort.Column, Sort.Direction);
}

void TFormRejestrLista::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    RunGuarded([this] {
        Query->Close();
        Query->Open();
        Grid->Bind(Query.get());
        ApplySortMark();
        Query->First();
        if (LastIndex != 0) Query->Locate(m_keyField, TArg(LastIndex));
    });
    Grid->setFocus();
}

void TFormRejestrLista::hideEvent(QHideEvent* e)
{
    TimerSzukaj->stop();
    if (CurrentKey() != 0) LastIndex = CurrentKey();
    Grid->Bind(nullptr);
    Query->Close();
    TFormEx::hideEvent(e);
}

bool TFormRejestrLista::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() != QEvent::KeyPress || (watched != EditSzukaj && watched != Grid))
        return TFormEx::eventFilter(watched, e);
    auto* k = static_cast<QKeyEvent*>(e);
    // No apostrophe in a search of this list.
    if (k->text() == QLatin1String("'")) return true;
    if (watched != Grid) return TFormEx::eventFilter(watched, e);
    switch (k->key()) {
    case Qt::Key_Backspace:
        EditSzukaj->clear();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        RunGuarded([this] {
            EditCurrent();
            Reread();
        });
        return true;
    default:
        break;
    }
    const QString t = k->text();
    if (!t.isEmpty() && t.at(0).isPrint() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        EditSzukaj->setText(EditSzukaj->text() + t);
        return true;
    }
    return TFormEx::eventFilter(watched, e);
}
