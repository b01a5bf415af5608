#include "registers/ZleceniaLista.h"

#include "core/DateTimePicker.h"
#include "core/DbIni.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/User.h"
#include "mainwindow/UserZakladki.h"
#include "registers/RegistersHooks.h"
#include "registers/ZleceniaDane.h"
#include "registers/ZlecenieDodaj.h"

#include <QCheckBox>
#include <QColor>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
std::vector<TQueryColumn> columns()
{
    return {{QStringLiteral("ZS_DATAREJESTRACJI"), QStringLiteral("Data rejestracji")},
            {QStringLiteral("ZS_NUMERTXT"), QStringLiteral("Numer")},
            {QStringLiteral("ZS_User"), QStringLiteral("Użytkownik")},
            {QStringLiteral("U_NRKLIENTA"), QStringLiteral("Nr klienta")},
            {QStringLiteral("ZS_UserAdres"), QStringLiteral("Adres")},
            {QStringLiteral("OP_NazwaPrzyjmujacego"), QStringLiteral("Przyjmujący")},
            {QStringLiteral("OP_Nazwa"), QStringLiteral("Wykonał")},
            {QStringLiteral("ZS_CzasTrwania"), QStringLiteral("T (dni)")},
            {QStringLiteral("ZS_KWOTAPOBRANA"), QStringLiteral("Kwota")},
            {QStringLiteral("ZS_TERMINARZDATA"), QStringLiteral("Terminarz")}};
}

QDate serverDate(const char* sql)
{
    return DoubleToDateTime(GlobalSession()->GetQueryValueAsDateTime(QString::fromLatin1(sql))).date();
}
} // namespace

QVariant ZlecenieRowFormat(const TQuery& q, int row, int role)
{
    const auto cell = [&q, row](const QString& name) {
        const TField* f = q.FindField(name);
        return f ? q.CellText(row, f->Index()) : QString();
    };
    const QDate today = QDate::currentDate();
    if (role == Qt::BackgroundRole) {
        const QDate due = QDate::fromString(cell(ZS::TERMINARZDATA), QStringLiteral("yyyy-MM-dd"));
        if (due.isValid() && today >= due) return BlendColors(Qt::green, Qt::white, 2, 1);
        return {};
    }
    if (role != Qt::ForegroundRole) return {};
    if (cell(ZS::ZAZNACZONE).toInt() == 1) return QColor(Qt::red);
    const QDate end = QDate::fromString(cell(ZS::DATAZAKONCZENIA), QStringLiteral("yyyy-MM-dd"));
    if (end.isValid() && end <= today) return QColor(Qt::gray);
    return {};
}

TFormZleceniaLista::TFormZleceniaLista(QWidget* parent)
    : TFormRejestrLista(QStringLiteral("Zlecenia - lista"), ZS::INDEX, columns(), parent)
{
    setObjectName(QStringLiteral("FormZleceniaLista"));
    DataOd->SetDate(serverDate("select date_add(CURDATE(), interval -2 month)"));
    DataOd->SetChecked(false);
    DataDo->SetChecked(true);
    Sort.Slots[0] = ZS::DATAREJESTRACJI;
    Sort.Slots[4] = ZS::NUMER;
    Sort.Column = 0;
    Sort.Direction = 1;

    LabelZakresDat = new QToolButton(this);
    LabelZakresDat->setText(QStringLiteral("<>"));
    LabelZakresDat->setAutoRaise(true);
    FilterBar->insertWidget(FilterBar->count() - 1, LabelZakresDat);
    auto* menu = new QMenu(this);
    const auto item = [this, menu](const QString& caption, const char* from, const char* to) {
        connect(menu->addAction(caption), &QAction::triggered, this,
                [this, from, to] { RunGuarded([this, from, to] { setRange(from, to); }); });
    };
    item(QStringLiteral("Aktualny miesiąc"), "select LAST_DAY(NOW() - INTERVAL 1 MONTH) + INTERVAL 1 DAY",
         "select NOW()");
    item(QStringLiteral("Poprzedni miesiąc"), "select LAST_DAY(NOW() - INTERVAL 2 MONTH) + INTERVAL 1 DAY",
         "select LAST_DAY(NOW() - INTERVAL 1 MONTH)");
    item(QStringLiteral("Dwa miesiące wstecz"), "select LAST_DAY(NOW() - INTERVAL 3 MONTH) + INTERVAL 1 DAY",
         "select LAST_DAY(NOW() - INTERVAL 2 MONTH)");
    SetPopupMenu(LabelZakresDat, menu);
    connect(LabelZakresDat, &QToolButton::clicked, this, [this] { PopupMenuBelow(LabelZakresDat); });
    CheckAktywne = new QCheckBox(QStringLiteral("Tylko aktywne"), this);
    FilterBar2->addWidget(CheckAktywne);
    FilterBar2->addStretch(1);
    connect(CheckAktywne, &QCheckBox::toggled, this, [this] { FilterChanged(); });

    auto* memos = new QHBoxLayout;
    MemoZakres = new QPlainTextEdit(this);
    MemoUwagi = new QPlainTextEdit(this);
    for (QPlainTextEdit* m : {MemoZakres, MemoUwagi}) {
        m->setReadOnly(true);
        m->setMaximumHeight(90);
        memos->addWidget(m);
    }
    auto* l = static_cast<QVBoxLayout*>(layout());
    l->insertWidget(l->indexOf(Grid) + 1, new QLabel(QStringLiteral("Zakres zlecenia/ Uwagi"), this));
    l->insertLayout(l->indexOf(Grid) + 2, memos);
    connect(Query.get(), &TQuery::CurrentChanged, this, [this] { RunGuarded([this] { showMemos(); }); });

    AddButton(QStringLiteral("Edytuj"), [this] { EditZlecenie(CurrentKey()); });
    AddButton(QStringLiteral("Usuń"), [this] { DeleteZlecenie(CurrentKey()); });
    AddButton(QStringLiteral("Odśwież"), [] {});
    AddButton(QStringLiteral("Pokaż kartę"), [this] {
        if (CurrentKey() != 0) ShowUserCard(Query->FieldByName(ZS::INDEXUSER)->AsInteger());
    });
    AddButton(
        QStringLiteral("Drukuj"), [this] { PrintZlecenie(CurrentKey(), false); }, false);
    AddButton(
        QStringLiteral("Drukuj PDF"), [this] { PrintZlecenie(CurrentKey(), true); }, false);
    QPushButton* sms = AddButton(
        QString(), [this] { smsToTechnician(); }, false);
    sms->setText(QStringLiteral("SMS"));
    sms->setToolTip(QStringLiteral("SMS do serwisanta"));
    AddButton(
        QStringLiteral("Wyślij zlecenie na email serwisanta"),
        [this] { SendZlecenieToTechnician(CurrentKey()); }, false);
    AddButton(
        QStringLiteral("Drukuj listę"),
        [this] {
            if (RightDenied(3)) return;
            TArgs args;
            const QString sql = ListSql(args);
            const QString caption =
                QStringLiteral("od ") +
                (IsDatePickerChecked(DataOd) ? DataOd->Date().toString(Qt::ISODate) : QStringLiteral("---")) +
                QStringLiteral(" do ") +
                (IsDatePickerChecked(DataDo) ? DataDo->Date() : QDate::currentDate()).toString(Qt::ISODate);
            PrintZleceniaSummaryOrSay(
                sql, args, ReadIniString(OperatorId, QStringLiteral("DrukarkaPapier"), QString()), caption);
        },
        false);
    AddButton(
        QStringLiteral("Zamknij"), [this] { close(); }, false);

    Grid->SetRowStyle(ZlecenieRowFormat);
}

QString TFormZleceniaLista::ListSql(TArgs& args)
{
    TZleceniaListFilter f;
    f.SearchText = EditSzukaj->text();
    f.OnlyOpen = CheckAktywne->isChecked();
    if (IsDatePickerChecked(DataOd)) f.From = DataOd->Date();
    if (IsDatePickerChecked(DataDo)) f.To = DataDo->Date();
    m_where = ZleceniaListWhere(f, m_whereArgs);
    args = m_whereArgs;
    return QStringLiteral("select * from vZleceniaLista ") + m_where +
           Sort.OrderBy(QStringLiteral(", ZS_User")) + QStringLiteral(" limit %1").arg(kZleceniaListLimit);
}

QString TFormZleceniaLista::CountSql(TArgs& args)
{
    args = m_whereArgs;
    return QStringLiteral("select count(*) from vZleceniaLista ") + m_where;
}

void TFormZleceniaLista::EditCurrent()
{
    EditZlecenie(CurrentKey());
}

QStringList TFormZleceniaLista::NumberSortKeys() const
{
    return {QStringLiteral("ZS_Year"), QStringLiteral("ZS_Month"), ZS::NUMER};
}

void TFormZleceniaLista::showMemos()
{
    const int id = CurrentKey();
    if (id == 0) {
        MemoZakres->clear();
        MemoUwagi->clear();
        return;
    }
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral("select ZS_INDEX, ZS_ZAKRES, ZS_UWAGI from ZleceniaSerwisowe where ZS_INDEX=:p1"),
        {id});
    MemoZakres->setPlainText(q->IsEmpty() ? QString() : q->FieldByName(ZS::ZAKRES)->AsString());
    MemoUwagi->setPlainText(q->IsEmpty() ? QString() : q->FieldByName(ZS::UWAGI)->AsString());
}

void TFormZleceniaLista::setRange(const char* fromSql, const char* toSql)
{
    DataOd->SetDate(serverDate(fromSql));
    DataDo->SetDate(serverDate(toSql));
    Reread();
}

void TFormZleceniaLista::smsToTechnician()
{
    if (CurrentKey() == 0) return;
    const auto s = [this](const char* name) {
        return Query->FieldByName(QString::fromLatin1(name))->AsString();
    };
    const QString crlf = QStringLiteral("\r\n");
    TSmsWindowRequest r;
    r.RecipientKind = QStringLiteral("S");
    r.UserIndex = Query->FieldByName(ZS::INDEXUSER)->AsInteger();
    r.Phone1 = s("OP_TELEFON");
    const QString place = s("U_LOK_Memo").isEmpty() ? s("ZS_UserAdres") : s("U_LOK_Memo");
    r.Text = s("ZS_NUMERTXT") + QStringLiteral(" (") + s("ZS_DATAREJESTRACJI") + QStringLiteral(")") + crlf +
             s("ZS_User") + crlf + place + crlf + s("U_TEL1") + QLatin1Char(' ') + s("U_TEL2") + crlf +
             s("ZS_ZAKRES").left(100) + crlf;
    OpenSmsWindowOrSay(r);
}

TFormZleceniaLista* FormZleceniaLista()
{
    static TFormZleceniaLista* form = nullptr;
    if (!form) form = new TFormZleceniaLista();
    return form;
}

void ShowZleceniaLista()
{
    FormZleceniaLista()->exec();
}
