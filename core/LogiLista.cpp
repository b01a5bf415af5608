#include "core/LogiLista.h"

#include "core/DateTimePicker.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/Session.h"

#include <QAction>
#include <QCheckBox>
#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

TFormLogiLista* FormLogiLista = nullptr;

QString LogListSql(const TLogListFilter& filter, TArgs& args)
{
    args.clear();
    QString sql =
        QStringLiteral("select  Log.*, Operator.*, concat(OP_NAZWISKO, ' ', OP_IMIE) as OP_NazwiskoImie "
                       "from Log\r\n"
                       "left join Operator on OP_INDEX=LOG_OPERATOR\r\n"
                       " WHERE (1=1) ");
    if (filter.SkipSystem) sql += QStringLiteral(" and LOG_OPERATOR <> 0  ");
    if (!filter.SearchText.isEmpty()) {
        // The text is a bound value, never part of the statement.
        const QString pattern = QLatin1Char('%') + EscapeLikeText(filter.SearchText) + QLatin1Char('%');
        sql += QStringLiteral(" AND ( (DATE_FORMAT(LOG_DATA, '%Y-%m-%d') LIKE :p1) \r\n"
                              " OR (LOG_OPIS LIKE :p2)\r\n"
                              " OR (OP_NAZWISKO LIKE :p3)\r\n"
                              " OR (OP_IMIE LIKE :p4) )\r\n");
        for (int i = 0; i < 4; ++i)
            args.push_back(pattern);
    }
    if (filter.Date.isValid()) {
        sql += QStringLiteral(" AND ( LOG_DATA LIKE :p%1 ) \r\n").arg(args.size() + 1);
        args.push_back(filter.Date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('%'));
    }
    sql += QStringLiteral("order by LOG_DATA desc, LOG_INDEX desc ");
    return sql;
}

TFormLogiLista::TFormLogiLista(QWidget* parent) : TFormEx(parent)
{
    setWindowTitle(QStringLiteral("Logi ") + ProgramVersion);
    QLog = new TQuery(nullptr, this);
    // The statement is rebuilt before every opening, refreshes included.
    QLog->BeforeOpen = [this](TQuery& q) {
        TArgs args;
        q.SetSQL(LogListSql(CurrentFilter(), args));
        q.BindArgs(args);
    };
    buildUi();
}

TFormLogiLista::~TFormLogiLista()
{
    if (FormLogiLista == this) FormLogiLista = nullptr;
}

void TFormLogiLista::buildUi()
{
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Szukaj:"), this));
    Edit1 = new QLineEdit(this);
    Edit1->installEventFilter(this);
    bar->addWidget(Edit1, 1);
    SpeedButtonWyczysc = new QToolButton(this);
    SpeedButtonWyczysc->setText(QStringLiteral("X"));
    SpeedButtonWyczysc->setEnabled(false);
    bar->addWidget(SpeedButtonWyczysc);
    DateTimePicker1 = new TDateTimePicker(this);
    DateTimePicker1->SetShowCheckbox(true);
    DateTimePicker1->SetDate(QDate::currentDate());
    DateTimePicker1->SetChecked(true);
    bar->addWidget(DateTimePicker1);
    CheckBox1 = new QCheckBox(QStringLiteral("Pomiń logi systemowe"), this);
    bar->addWidget(CheckBox1);
    ButtonOdswiez = new QPushButton(QStringLiteral("Odśwież"), this);
    bar->addWidget(ButtonOdswiez);
    layout->addLayout(bar);

    DBGrid1 = new QTableView(this);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setVisible(false);
    DBGrid1->horizontalHeader()->setStretchLastSection(false);
    DBGrid1->installEventFilter(this);
    Model = new TQueryModel(QLog, this);
    Model->AddColumn(QStringLiteral("LOG_DATA"), QStringLiteral("Data"));
    Model->AddColumn(QStringLiteral("LOG_OPIS"), QStringLiteral("Opis"));
    Model->AddColumn(QStringLiteral("OP_NazwiskoImie"), QStringLiteral("Operator"));
    // Rows the program wrote itself (no operator) in blue.
    Model->SetFormatter([](const TQuery& q, int row, int, int role) -> QVariant {
        if (role != Qt::ForegroundRole) return {};
        TField* op = q.FindField(QStringLiteral("LOG_OPERATOR"));
        if (op && q.CellText(row, op->Index()).toInt() == 0) return QColor(Qt::blue);
        return {};
    });
    Model->BindToView(DBGrid1);
    DBGrid1->setColumnWidth(0, 140);
    DBGrid1->setColumnWidth(1, 520);
    DBGrid1->setColumnWidth(2, 180);
    layout->addWidget(DBGrid1, 1);

    PopupMenu1 = new QMenu(this);
    Szukaj1 = PopupMenu1->addAction(QStringLiteral("Szukaj"));
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(p)); });
    connect(Szukaj1, &QAction::triggered, this, [this] { Edit1->setFocus(); });

    TimerSzukaj = new QTimer(this);
    TimerSzukaj->setSingleShot(true);
    TimerSzukaj->setInterval(300);
    connect(TimerSzukaj, &QTimer::timeout, this, [this] { RunGuarded([this] { reread(); }); });

    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& t) {
        SpeedButtonWyczysc->setEnabled(!t.isEmpty());
        filterChanged();
    });
    connect(DateTimePicker1, &TDateTimePicker::Changed, this, [this] { filterChanged(); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { filterChanged(); });
    connect(SpeedButtonWyczysc, &QToolButton::clicked, this, [this] {
        Edit1->clear();
        TimerSzukaj->stop();
        RunGuarded([this] { reread(); });
    });
    connect(ButtonOdswiez, &QPushButton::clicked, this, [this] {
        TimerSzukaj->stop();
        RunGuarded([this] { reread(); });
    });
    resize(900, 560);
}

TLogListFilter TFormLogiLista::CurrentFilter() const
{
    TLogListFilter f;
    f.SkipSystem = CheckBox1->isChecked();
    f.SearchText = Edit1->text();
    if (IsDatePickerChecked(DateTimePicker1)) f.Date = DateTimePicker1->Date();
    return f;
}

void TFormLogiLista::filterChanged()
{
    TimerSzukaj->start();
}

void TFormLogiLista::reread()
{
    if (QLog->Active())
        RefreshQuery(QLog, QStringLiteral("LOG_INDEX"));
    else if (isVisible())
        QLog->Open();
}

void TFormLogiLista::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    RunGuarded([this] {
        if (!QLog->Active()) QLog->Open();
    });
    DBGrid1->setFocus();
}

void TFormLogiLista::hideEvent(QHideEvent* e)
{
    TimerSzukaj->stop();
    QLog->Close();
    // The window reopens filtered to the date last chosen.
    DateTimePicker1->SetChecked(true);
    TimerSzukaj->stop();
    TFormEx::hideEvent(e);
}

bool TFormLogiLista::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() != QEvent::KeyPress) return TFormEx::eventFilter(watched, e);
    auto* k = static_cast<QKeyEvent*>(e);
    // The apostrophe is no search character here.
    if (k->text() == QLatin1String("'")) return true;
    if (watched != DBGrid1) return TFormEx::eventFilter(watched, e);
    // Typing in the grid searches.
    switch (k->key()) {
    case Qt::Key_Backspace:
        Edit1->clear();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ButtonOdswiez->click();
        return true;
    default:
        break;
    }
    const QString t = k->text();
    if (!t.isEmpty() && t.at(0).isPrint() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        Edit1->setText(Edit1->text() + t);
        return true;
    }
    return TFormEx::eventFilter(watched, e);
}
