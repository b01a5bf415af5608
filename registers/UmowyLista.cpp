#include "registers/UmowyLista.h"

#include "core/DateTimePicker.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "mainwindow/User.h"
#include "mainwindow/UserZakladki.h"
#include "printouts/DrukUmowa.h"
#include "registers/RegistersHooks.h"
#include "registers/UmowaDodaj.h"

#include <QCheckBox>
#include <QColor>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {
std::vector<TQueryColumn> columns()
{
    return {{QStringLiteral("UM_DATAZAWARCIA"), QStringLiteral("Data zaw.")},
            {QStringLiteral("UM_DATASTART"), QStringLiteral("Początek")},
            {QStringLiteral("UM_DATAKONIEC"), QStringLiteral("Koniec")},
            {QStringLiteral("UM_NUMERTXT"), QStringLiteral("Numer")},
            {QStringLiteral("UM_CzyAneksTyp"), QStringLiteral("Typ")},
            {QStringLiteral("UM_User"), QStringLiteral("Użytkownik")},
            {QStringLiteral("UM_CZYPODPISANA"), QStringLiteral("Podp.")},
            {QStringLiteral("UM_CZYNAIBOKU"), QStringLiteral("vOVE")},
            {QStringLiteral("UM_DATAMODYFIKACJI"), QStringLiteral("Data modyfikacji/zapisu")}};
}
} // namespace

// Annexes green, protocols blue; ended, inactive and carried-over documents grey.
QVariant UmowaRowColour(const TQuery& q, int row)
{
    const auto cell = [&q, row](const QString& name) {
        const TField* f = q.FindField(name);
        return f ? q.CellText(row, f->Index()) : QString();
    };
    const QDate end = QDate::fromString(cell(UM::DATAKONIEC), QStringLiteral("yyyy-MM-dd"));
    if ((end.isValid() && end <= QDate::currentDate()) || cell(UM::CZYNIEAKTYWNA).toInt() == 1 ||
        cell(UM::INDEX).toInt() < 0)
        return QColor(Qt::gray);
    const int kind = cell(UM::CZYANEKS).toInt();
    if (kind == ukAneks) return QColor(Qt::darkGreen);
    if (kind == ukPzo) return QColor(Qt::blue);
    return {};
}

TFormUmowyLista::TFormUmowyLista(QWidget* parent)
    : TFormRejestrLista(QStringLiteral("Umowy - lista"), UM::INDEX, columns(), parent)
{
    setObjectName(QStringLiteral("FormUmowyLista"));
    const double from = GlobalSession()->GetQueryValueAsDateTime(
        QStringLiteral("select date_add(CURDATE(), interval -36 month)"));
    DataOd->SetDate(DoubleToDateTime(from).date());
    DataOd->SetChecked(true);
    DataDo->SetChecked(true);
    Sort.Slots[0] = UM::DATAZAWARCIA;
    Sort.Slots[4] = UM::NUMER;
    Sort.Column = 0;
    Sort.Direction = 2;

    CheckNiepodpisane = new QCheckBox(QStringLiteral("Tylko niepodpisane"), this);
    CheckTabelaGlowna = new QCheckBox(QStringLiteral("Filtrowanie wg tableli głównej"), this);
    CheckKonczace = new QCheckBox(QStringLiteral("Kończące się w okresie [dni]"), this);
    SpinDni = new QSpinBox(this);
    SpinDni->setRange(0, 999);
    SpinDni->setValue(30);
    for (QWidget* w : {static_cast<QWidget*>(CheckNiepodpisane), static_cast<QWidget*>(CheckTabelaGlowna),
                       static_cast<QWidget*>(CheckKonczace), static_cast<QWidget*>(SpinDni)})
        FilterBar2->addWidget(w);
    FilterBar2->addStretch(1);
    for (QCheckBox* c : {CheckNiepodpisane, CheckTabelaGlowna, CheckKonczace})
        connect(c, &QCheckBox::toggled, this, [this] { FilterChanged(); });
    connect(SpinDni, &QSpinBox::valueChanged, this, [this] { FilterChanged(); });

    AddButton(QStringLiteral("Edytuj"), [this] { EditUmowa(CurrentKey()); });
    AddButton(QStringLiteral("Usuń"), [this] { DeleteUmowa(CurrentKey()); });
    AddButton(QStringLiteral("Odśwież"), [] {});
    AddButton(
        QStringLiteral("Pokaż kartę"),
        [this] {
            if (CurrentKey() != 0) ShowUserCard(Query->FieldByName(UM::INDEXUSER)->AsInteger());
        },
        false);
    AddButton(
        QStringLiteral("Drukuj"), [this] { PrintUmowaDocument(CurrentKey(), 1); }, false);
    AddButton(
        QStringLiteral("Drukuj PDF"), [this] { PrintUmowaPdfCommand(CurrentKey()); }, false);
    AddButton(
        QStringLiteral("Wyślij na email"), [this] { SendUmowaByEmail(CurrentKey()); }, false);
    QPushButton* vove = AddButton(QStringLiteral("vOVE"), [this] { SendUmowaToVove(CurrentKey()); });
    vove->setToolTip(QStringLiteral("Wyślij na vIDId5 do podpisu"));
    QPushButton* all = AddButton(
        QStringLiteral("All"), [this] { bulkMail(); }, false);
    all->setToolTip(QStringLiteral("Wyślij wiadomość do wszystkich"));
    AddButton(
        QStringLiteral("Zamknij"), [this] { close(); }, false);

    Grid->SetRowStyle([](const TQuery& q, int row, int role) -> QVariant {
        return role == Qt::ForegroundRole ? UmowaRowColour(q, row) : QVariant();
    });
}

TUmowyListFilter TFormUmowyLista::CurrentFilter() const
{
    TUmowyListFilter f;
    f.SearchText = EditSzukaj->text();
    f.OnlyUnsigned = CheckNiepodpisane->isChecked();
    if (IsDatePickerChecked(DataOd)) f.From = DataOd->Date();
    if (IsDatePickerChecked(DataDo)) f.To = DataDo->Date();
    if (CheckTabelaGlowna->isChecked())
        f.MainUserIdList = MainUserIdList.isEmpty() ? QStringLiteral(" in (0) ") : MainUserIdList;
    if (CheckKonczace->isChecked()) f.EndingWithinDays = SpinDni->value();
    f.Today = QDate::currentDate();
    return f;
}

QString TFormUmowyLista::ListSql(TArgs& args)
{
    LastWhere = UmowyListWhere(CurrentFilter(), LastWhereArgs);
    args = LastWhereArgs;
    return QStringLiteral("select * from vUmowyLista ") + LastWhere +
           Sort.OrderBy(QStringLiteral(", UM_User"));
}

QString TFormUmowyLista::CountSql(TArgs& args)
{
    args = LastWhereArgs;
    return QStringLiteral("select count(*) from vUmowyLista ") + LastWhere;
}

void TFormUmowyLista::EditCurrent()
{
    EditUmowa(CurrentKey());
}

QStringList TFormUmowyLista::NumberSortKeys() const
{
    return {QStringLiteral("UM_Year"), QStringLiteral("UM_Month"), UM::NUMER};
}

void TFormUmowyLista::bulkMail()
{
    if (RightDenied(2)) return;
    const QString tail = QStringLiteral(" and Length(U_EMAIL) > 5 and UM_CZYANEKS<>2 ");
    TBulkMailRequest r;
    r.CountSql = QStringLiteral("select count(*) from vUmowyLista ") + LastWhere + tail;
    r.ListSql = QStringLiteral("select U_INDEX, U_EMAIL from vUmowyLista ") + LastWhere + tail;
    r.Args = LastWhereArgs;
    r.Description = QStringLiteral("Użytkownicy widoczni na liście umów ze znanym adresem email");
    OpenBulkMailComposerOrSay(r);
}

TFormUmowyLista* FormUmowyLista()
{
    static TFormUmowyLista* form = nullptr;
    if (!form) form = new TFormUmowyLista();
    return form;
}

void ShowUmowyLista()
{
    if (RightDenied(2)) return;
    FormUmowyLista()->exec();
}
