#include "mainwindow/UserKartaZleceniaUmowy.h"

#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/Operatorzy.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/SpeedButtonEx.h"
#include "core/ThemedPanel.h"
#include "mainwindow/User.h"
#include "printouts/DrukUmowa.h"
#include "registers/RegistersHooks.h"
#include "registers/UmowaDodaj.h"
#include "registers/UmowyDane.h"
#include "registers/UmowyLista.h"
#include "registers/ZleceniaDane.h"
#include "registers/ZleceniaLista.h"
#include "registers/ZlecenieDodaj.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

// A double click anywhere in a grid, its empty area included.
class TDoubleClick : public QObject
{
public:
    TDoubleClick(QWidget* target, std::function<void()> run) : QObject(target), m_run(std::move(run))
    {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::MouseButtonDblClick) {
            m_run();
            return true;
        }
        return QObject::eventFilter(watched, e);
    }

private:
    std::function<void()> m_run;
};

int currentKey(TQuery* q, const QString& key)
{
    if (!q || !q->Active() || q->IsEmpty()) return 0;
    return q->FieldByName(key)->AsInteger();
}

QString currentText(TQuery* q, const char* field)
{
    if (!q || !q->Active() || q->IsEmpty()) return QString();
    const TField* f = q->FindField(QString::fromLatin1(field));
    return f ? f->AsString() : QString();
}

void refresh(TQuery* q, const QString& key)
{
    if (q && q->Active()) RefreshQuery(q, key);
}

TSpeedButtonEx* barButton(TCardGrid* grid, const QString& caption, const char* name)
{
    auto* bar = grid->parentWidget()->findChild<TThemedPanel*>();
    auto* b = new TSpeedButtonEx(caption, bar);
    b->setObjectName(QString::fromLatin1(name));
    b->SetFlat(true);
    static_cast<QHBoxLayout*>(bar->layout())->addWidget(b);
    bar->setFixedHeight(std::max(bar->height(), b->sizeHint().height() + 4));
    return b;
}

QPlainTextEdit* memo(QWidget* parent)
{
    auto* m = new QPlainTextEdit(parent);
    m->setReadOnly(true);
    m->setMaximumHeight(70);
    return m;
}

} // namespace

void BuildUserCardOrderAndContractCommands(TFormUser* card)
{
    TUserCardPages& p = card->Pages;
    const auto user = [card] { return card->QUserdbU_INDEX() ? card->QUserdbU_INDEX()->AsInteger() : 0; };
    const auto orders = [] { return Data ? Data->QZlecenia.get() : nullptr; };
    const auto contracts = [] { return Data ? Data->QUmowy.get() : nullptr; };
    const auto order = [orders] { return currentKey(orders(), ZS::INDEX); };
    const auto contract = [contracts] { return currentKey(contracts(), UM::INDEX); };
    const auto on = [card](TSpeedButtonEx* b, std::function<void()> run) {
        QObject::connect(b, &QToolButton::clicked, card, [card, run] { card->RunGuarded(run); });
    };

    // ---- service orders
    on(p.SpeedButtonEx28, [user, orders] {
        if (AddZlecenie(user())) refresh(orders(), ZS::INDEX);
    });
    on(barButton(p.GridZlecenia, QStringLiteral("Edytuj"), "SpeedButtonEx25"), [order, orders] {
        EditZlecenie(order());
        refresh(orders(), ZS::INDEX);
    });
    on(barButton(p.GridZlecenia, QStringLiteral("Usuń"), "SpeedButtonEx27"), [order, orders] {
        DeleteZlecenie(order());
        refresh(orders(), ZS::INDEX);
    });
    TSpeedButtonEx* sms = barButton(p.GridZlecenia, QStringLiteral("SMS"), "SpeedButtonEx29");
    sms->SetHint(QStringLiteral("SMS do serwisanta"));
    on(sms, [order, orders, user] {
        if (order() == 0) return;
        TSmsWindowRequest r;
        r.RecipientKind = QStringLiteral("S");
        r.UserIndex = user();
        r.Phone1 = currentText(orders(), "OP_TELEFON");
        r.Text = MakeZlecenieText(order());
        OpenSmsWindowOrSay(r);
    });
    on(barButton(p.GridZlecenia, QStringLiteral("Drukuj"), "SpeedButtonEx26"),
       [order] { PrintZlecenie(order(), false); });
    on(barButton(p.GridZlecenia, QStringLiteral("Drukuj PDF"), "SpeedButtonEx24"),
       [order] { PrintZlecenie(order(), true); });
    on(barButton(p.GridZlecenia, QStringLiteral("Wyślij zlecenie na email serwisanta"), "SpeedButtonEx50"),
       [order] { SendZlecenieToTechnician(order()); });
    on(barButton(p.GridZlecenia, QStringLiteral("Drukuj listę"), "SpeedButtonEx51"), [card, user] {
        if (RightDenied(3)) return;
        PrintZleceniaSummaryOrSay(QStringLiteral("select * from vZleceniaLista where U_INDEX=:p1"), {user()},
                                  ReadIniString(OperatorId, QStringLiteral("DrukarkaPapier"), QString()),
                                  currentText(card->QUserdb.get(), "vU_NazwiskoImie"));
    });
    new TDoubleClick(p.GridZlecenia->viewport(), [card, order, &p] {
        card->RunGuarded([order, &p] {
            if (order() == 0)
                p.SpeedButtonEx28->click();
            else
                p.GridZlecenia->parentWidget()
                    ->findChild<TSpeedButtonEx*>(QStringLiteral("SpeedButtonEx25"))
                    ->click();
        });
    });
    p.GridZlecenia->SetRowStyle([](const TQuery& q, int row, int role) -> QVariant {
        if (role == Qt::BackgroundRole) return {}; // the calendar tint belongs to the list
        return ZlecenieRowFormat(q, row, role);
    });
    auto* scope = new QGroupBox(QStringLiteral("Zakres zlecenia"), p.Zlecenia);
    auto* sl = new QHBoxLayout(scope);
    QPlainTextEdit* zakres = memo(scope);
    QPlainTextEdit* uwagi = memo(scope);
    sl->addWidget(zakres);
    sl->addWidget(uwagi);
    static_cast<QVBoxLayout*>(p.Zlecenia->layout())->addWidget(scope);

    // ---- contracts
    const auto editContract = [contract, contracts] {
        EditUmowa(contract());
        refresh(contracts(), UM::INDEX);
        SetCurrentPodmiot(1);
    };
    TSpeedButtonEx* add = barButton(p.GridUmowy, QStringLiteral("Dodaj"), "SpeedButtonEx15");
    on(add, [user, contracts] {
        AddUmowa(user());
        refresh(contracts(), UM::INDEX);
        SetCurrentPodmiot(1);
    });
    on(barButton(p.GridUmowy, QStringLiteral("Edytuj"), "SpeedButtonEx6"), editContract);
    on(barButton(p.GridUmowy, QStringLiteral("Usuń"), "SpeedButtonEx12"), [contract, contracts] {
        DeleteUmowa(contract());
        refresh(contracts(), UM::INDEX);
    });
    on(barButton(p.GridUmowy, QStringLiteral("Drukuj"), "SpeedButtonEx16"),
       [contract] { PrintUmowaDocument(contract(), 1); });
    on(barButton(p.GridUmowy, QStringLiteral("Drukuj PDF"), "SpeedButtonEx10"),
       [contract] { PrintUmowaPdfCommand(contract()); });
    on(barButton(p.GridUmowy, QStringLiteral("Wyślij na email"), "SpeedButtonEx21"),
       [contract] { SendUmowaByEmail(contract()); });
    TSpeedButtonEx* vove = barButton(p.GridUmowy, QStringLiteral("vOVE"), "SpeedButtonEx54");
    vove->SetHint(QStringLiteral("Wyślij na vIDId5 do podpisu"));
    on(vove, [contract, contracts] {
        SendUmowaToVove(contract());
        refresh(contracts(), UM::INDEX);
    });
    // A carried-over document is neither edited nor added to by a double click.
    new TDoubleClick(p.GridUmowy->viewport(), [card, contracts, add, editContract] {
        card->RunGuarded([contracts, add, editContract] {
            TQuery* q = contracts();
            if (!q || !q->Active() || q->IsEmpty())
                add->click();
            else if (q->FieldByName(UM::INDEX)->AsInteger() > 0)
                editContract();
        });
    });
    p.GridUmowy->SetRowStyle([](const TQuery& q, int row, int role) -> QVariant {
        return role == Qt::ForegroundRole ? UmowaRowColour(q, row) : QVariant();
    });
    // "Opis / Uwagi" of the current document under the text variables.
    auto* row = static_cast<QHBoxLayout*>(p.Umowy->layout());
    QWidget* vars = p.ZmiennaOpis[0]->parentWidget();
    auto* column = new QWidget(p.Umowy);
    auto* cl = new QVBoxLayout(column);
    cl->setContentsMargins(0, 0, 0, 0);
    row->replaceWidget(vars, column);
    cl->addWidget(vars, 1);
    auto* notes = new QGroupBox(QStringLiteral("Opis / Uwagi"), column);
    notes->setFixedWidth(vars->width());
    auto* nl = new QVBoxLayout(notes);
    QPlainTextEdit* opis = memo(notes);
    QPlainTextEdit* uwagiUm = memo(notes);
    nl->addWidget(opis);
    nl->addWidget(uwagiUm);
    cl->addWidget(notes);

    if (!Data) return;
    const auto showOrder = [orders, zakres, uwagi] {
        zakres->setPlainText(currentText(orders(), "ZS_ZAKRES"));
        uwagi->setPlainText(currentText(orders(), "ZS_UWAGI"));
    };
    const auto showContract = [contracts, opis, uwagiUm] {
        opis->setPlainText(currentText(contracts(), "UM_OPIS"));
        uwagiUm->setPlainText(currentText(contracts(), "UM_UWAGI"));
    };
    QObject::connect(Data->QZlecenia.get(), &TQuery::CurrentChanged, card, showOrder);
    QObject::connect(Data->QZlecenia.get(), &TQuery::DataReset, card, showOrder);
    QObject::connect(Data->QUmowy.get(), &TQuery::CurrentChanged, card, showContract);
    QObject::connect(Data->QUmowy.get(), &TQuery::DataReset, card, showContract);
}
