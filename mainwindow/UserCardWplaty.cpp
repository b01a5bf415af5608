#include "mainwindow/UserCardWplaty.h"

#include "billing/KasaVendra.h"
#include "billing/ListyDruk.h"
#include "billing/OplatyDane.h"
#include "billing/OplatyDodaj.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "billing/UserDokumentyPanel.h"
#include "billing/UserFvDodajPozycje.h"
#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/SpeedButtonEx.h"
#include "core/ThemedPanel.h"
#include "mainwindow/User.h"
#include "mainwindow/UserRules.h"
#include "payments/ImportPlatnosciMasowych.h"
#include "payments/KsiegowaniePm.h"
#include "printouts/DrukKP.h"

#include <QDate>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>

namespace {

const QString kO = QStringLiteral("O_INDEX");
const QString kPm = QStringLiteral("PM_INDEX");
const QString kUfv = QStringLiteral("UFV_INDEX");

bool yes(const QString& question)
{
    return TMD::MessageDlg(question, mtConfirmation, mbYes | mbNo) == mrYes;
}

// Set and after today, or before today: a template date that makes the item idle.
bool dateAfterToday(const QVariant& v)
{
    const QDate d = v.toDate();
    return d.isValid() && d.year() > 1 && d > QDate::currentDate();
}
bool dateBeforeToday(const QVariant& v)
{
    const QDate d = v.toDate();
    return d.isValid() && d.year() > 1 && d < QDate::currentDate();
}

// Whether a bulk-payment row carries a posting date.
bool pmPosted(const QVariant& v)
{
    const QDate d = v.toDate();
    return d.isValid() && d.year() > 1;
}

class TClickFilter : public QObject
{
public:
    TClickFilter(QObject* parent, std::function<void()> onClick)
        : QObject(parent), m_onClick(std::move(onClick))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton)
            m_onClick();
        return QObject::eventFilter(watched, e);
    }

private:
    std::function<void()> m_onClick;
};

} // namespace

TUserCardWplaty::TUserCardWplaty(TFormUser* card) : QObject(card), m_card(card)
{
    setObjectName(QStringLiteral("UserCardWplaty"));
    buildPayments();
    buildBulkPayments();
    styleGrids();
}

void TUserCardWplaty::buildPayments()
{
    TCardGrid* payments = m_card->Pages.GridOplaty;
    QHBoxLayout* bar = CaptionBarOf(payments);
    LabelWplaty = bar->parentWidget()->findChild<QLabel*>();
    LabelWplaty->installEventFilter(new TClickFilter(LabelWplaty, [this] {
        m_card->RunGuarded([this] { TMD::MessageDlg(LabelWplaty->toolTip(), mtInformation, mbOK); });
    }));
    SpeedButtonEx14 = CaptionBarButton(bar, "SpeedButtonEx14", QStringLiteral("Dodaj"));
    SpeedButtonEx11 = CaptionBarButton(bar, "SpeedButtonEx11", QStringLiteral("Edytuj"));
    SpeedButtonEx13 = CaptionBarButton(bar, "SpeedButtonEx13", QStringLiteral("Usuń"));
    SpeedButtonEx30 = CaptionBarButton(bar, "SpeedButtonEx30", QStringLiteral("Drukuj"));
    SpeedButtonEx22 = CaptionBarButton(bar, "SpeedButtonEx22", QStringLiteral("Drukuj PDF"));
    SpeedButtonEx23 = CaptionBarButton(bar, "SpeedButtonEx23", QStringLiteral("Email"),
                                       QStringLiteral("Wyślij wpłatę (KP) na email"));
    SpeedButtonEx31 =
        CaptionBarButton(bar, "SpeedButtonEx31", QStringLiteral("Lista"), QStringLiteral("Drukuj listę"));
    SpeedButtonEx32 =
        CaptionBarButton(bar, "SpeedButtonEx32", QStringLiteral("Lista PDF"), QStringLiteral("Drukuj PDF"));
    SpeedButtonEx36 = CaptionBarButton(bar, "SpeedButtonEx36", QStringLiteral("Lista email"),
                                       QStringLiteral("Wyślij liste wpłat (KP) na email"));
    SpeedButtonEx37 = CaptionBarButton(bar, "SpeedButtonEx37", QStringLiteral("Książeczka opłat"));
    SpeedButtonEx46 = CaptionBarButton(bar, "SpeedButtonEx46", QStringLiteral("Księguj ponownie"),
                                       QStringLiteral("Ponowne ksiegowanie wpłaty"));

    const auto on = [this](TSpeedButtonEx* b, std::function<void()> action) {
        connect(b, &QToolButton::clicked, this, [this, action] { m_card->RunGuarded(action); });
    };
    on(SpeedButtonEx14, [this] { AddPayment(); });
    on(SpeedButtonEx11, [this] { EditPayment(); });
    on(SpeedButtonEx13, [this] { DeletePayment(); });
    on(SpeedButtonEx30, [this] { PrintReceipt(false); });
    on(SpeedButtonEx22, [this] { PrintReceipt(true); });
    on(SpeedButtonEx23, [this] { EmailReceipt(); });
    connect(payments, &QTableView::doubleClicked, this,
            [this] { m_card->RunGuarded([this] { currentPayment() == 0 ? AddPayment() : EditPayment(); }); });

    // The payment list and the booklet are printouts of their own, not in this version yet.
    PopupMenuListaWplat = new QMenu(m_card);
    PopupMenuListaWplat->setObjectName(QStringLiteral("PopupMenuListaWplat"));
    for (const char* c : {"Wszystkie", "Aktyalny rok", "Poprzedni rok"})
        connect(PopupMenuListaWplat->addAction(QString::fromUtf8(c)), &QAction::triggered, this, [this] {
            m_card->RunGuarded([] {
                if (!RightDenied(3)) ShowNotAvailable(QStringLiteral("Lista wpłat"));
            });
        });
    const auto listMenu = [this, on](TSpeedButtonEx* b, int mode) {
        on(b, [this, b, mode] {
            if (mode == 3) {
                if (RightDenied(3)) return;
                if (currentPayment() == 0) return;
                if (m_card->QUserdb->FieldByName(QStringLiteral("U_EMAIL"))->AsString().trimmed().isEmpty()) {
                    TMD::MessageDlg(QStringLiteral("Brak adresu email w kartotece użytkownika"), mtError,
                                    mbOK);
                    return;
                }
            }
            m_listMode = mode;
            PopupMenuListaWplat->setProperty("tag", mode);
            SetPopupMenu(b, PopupMenuListaWplat);
            PopupMenuBelow(b);
        });
    };
    listMenu(SpeedButtonEx31, 1);
    listMenu(SpeedButtonEx32, 2);
    listMenu(SpeedButtonEx36, 3);
    on(SpeedButtonEx37, [] {
        if (!RightDenied(3)) ShowNotAvailable(QStringLiteral("Książeczka opłat"));
    });

    PopupMenuKsiegowanie = new QMenu(m_card);
    PopupMenuKsiegowanie->setObjectName(QStringLiteral("PopupMenuKsiegowanie"));
    connect(PopupMenuKsiegowanie->addAction(QStringLiteral("Zaksięguj ponownie bieżącą")),
            &QAction::triggered, this, [this] { m_card->RunGuarded([this] { ResettleCurrent(); }); });
    connect(PopupMenuKsiegowanie->addAction(QStringLiteral("Zaksieguj ponownie wszystkie")),
            &QAction::triggered, this, [this] { m_card->RunGuarded([this] { ResettleAll(); }); });
    SetPopupMenu(SpeedButtonEx46, PopupMenuKsiegowanie);
    on(SpeedButtonEx46, [this] { PopupMenuBelow(SpeedButtonEx46); });

    TCardGrid* tmpl = m_card->Pages.GridSzablon;
    QHBoxLayout* tbar = CaptionBarOf(tmpl);
    SpeedButtonEx20 = CaptionBarButton(tbar, "SpeedButtonEx20", QStringLiteral("Dodaj"));
    SpeedButtonEx17 = CaptionBarButton(tbar, "SpeedButtonEx17", QStringLiteral("Edytuj"));
    SpeedButtonEx19 = CaptionBarButton(tbar, "SpeedButtonEx19", QStringLiteral("Usuń"));
    on(SpeedButtonEx20, [this] { AddTemplateItem(); });
    on(SpeedButtonEx17, [this] { EditTemplateItem(); });
    on(SpeedButtonEx19, [this] { DeleteTemplateItem(); });
    connect(tmpl, &QTableView::doubleClicked, this, [this] {
        m_card->RunGuarded([this] {
            TQuery* q = Data ? Data->QUserFvPozycje.get() : nullptr;
            q && q->Active() && !q->IsEmpty() ? EditTemplateItem() : AddTemplateItem();
        });
    });
}

void TUserCardWplaty::buildBulkPayments()
{
    QHBoxLayout* bar = CaptionBarOf(m_card->Pages.GridPm);
    SpeedButtonEx38 = CaptionBarButton(bar, "SpeedButtonEx38", QStringLiteral("Zaksieguj"));
    SpeedButtonEx42 = CaptionBarButton(bar, "SpeedButtonEx42", QStringLiteral("Zaksięguj wszytkie"));
    SpeedButtonEx43 = CaptionBarButton(bar, "SpeedButtonEx43", QStringLiteral("Odksięguj"));
    SpeedButtonEx39 = CaptionBarButton(bar, "SpeedButtonEx39", QStringLiteral("Usuń"));
    const auto on = [this](TSpeedButtonEx* b, std::function<void()> action) {
        connect(b, &QToolButton::clicked, this, [this, action] { m_card->RunGuarded(action); });
    };
    on(SpeedButtonEx38, [this] { PostPm(); });
    on(SpeedButtonEx42, [this] { PostAllPm(); });
    on(SpeedButtonEx43, [this] { UnpostPm(); });
    on(SpeedButtonEx39, [this] { DeletePm(); });
}

void TUserCardWplaty::styleGrids()
{
    m_card->Pages.GridOplaty->SetRowStyle([](const TQuery& q, int row, int role) -> QVariant {
        if (role == Qt::ForegroundRole && RowCell(q, row, "O_KWOTA").toDouble() < 0) return QColor(Qt::blue);
        return {};
    });
    m_card->Pages.GridSzablon->SetRowStyle([](const TQuery& q, int row, int role) -> QVariant {
        const bool active = RowCell(q, row, "UFV_CZYAKTYWNA").toInt() != 0;
        if (role == Qt::ForegroundRole) {
            if (dateAfterToday(RowCell(q, row, "UFV_DATASTART")) ||
                dateBeforeToday(RowCell(q, row, "UFV_DATAEND")) || !active)
                return QColor(Qt::lightGray);
            return {};
        }
        if (RowCell(q, row, "UFV_CZYJEDNORAZOWA").toInt() == 1) {
            const QColor orange(0xFF, 0x80, 0x40);
            return active ? BlendColors(orange, Qt::white, 2, 1) : BlendColors(orange, Qt::white, 5, 1);
        }
        return {};
    });
    m_card->Pages.GridPm->SetRowStyle([](const TQuery& q, int row, int role) -> QVariant {
        if (role == Qt::ForegroundRole && pmPosted(RowCell(q, row, "PM_DATAKSIEGOWANIA")))
            return QColor(Qt::gray);
        return {};
    });
}

// ---------------------------------------------------------------- helpers

int TUserCardWplaty::currentPayment() const
{
    TQuery* q = Data ? Data->QOplaty.get() : nullptr;
    if (!q || !q->Active() || q->IsEmpty()) return 0;
    return q->FieldByName(kO)->AsInteger();
}

int TUserCardWplaty::currentPm() const
{
    TQuery* q = Data ? Data->QPm.get() : nullptr;
    if (!q || !q->Active() || q->IsEmpty()) return 0;
    return q->FieldByName(kPm)->AsInteger();
}

QString TUserCardWplaty::customerNumber() const
{
    return OplataCustomerNumber(m_card->UserIndex);
}

void TUserCardWplaty::refreshPayments()
{
    if (Data) RefreshQuery(Data->QOplaty.get(), kO);
}

void TUserCardWplaty::refreshPm()
{
    if (Data) {
        RefreshQuery(Data->QPm.get(), kPm);
        RefreshQuery(Data->QOplaty.get(), kO);
    }
}

void TUserCardWplaty::PaymentsTabShown()
{
    LabelWplaty->setToolTip(UserTotalText(
        QStringLiteral("Suma Opłat: "),
        QStringLiteral("select sum(O_KWOTA) from Oplaty where O_INDEXUSER=:p1"), m_card->UserIndex));
}

// ---------------------------------------------------------------- payments

void TUserCardWplaty::AddPayment()
{
    if (m_card->UserIndex == 0) return;
    AddOplata(m_card->UserIndex);
    m_card->RefreshAll();
    PaymentsTabShown();
}

void TUserCardWplaty::EditPayment()
{
    const int o = currentPayment();
    if (o == 0) return;
    EditOplata(o);
    refreshPayments();
    PaymentsTabShown();
}

void TUserCardWplaty::DeletePayment()
{
    const int o = currentPayment();
    if (o == 0) return;
    DeleteOplata(o);
    refreshPm();
    PaymentsTabShown();
}

void TUserCardWplaty::PrintReceipt(bool pdf)
{
    const int o = currentPayment();
    if (o == 0) return;
    PrintKpDocument(o, ListPrinterName(pdf), pdf);
}

void TUserCardWplaty::EmailReceipt()
{
    const int o = currentPayment();
    if (o <= 0) return;
    TQuery* q = Data->QOplaty.get();
    const QString number = q->FieldByName(QStringLiteral("O_NUMERTXT"))->AsString();
    TPrintoutMail mail;
    mail.UserIndex = q->FieldByName(QStringLiteral("O_INDEXUSER"))->AsInteger();
    mail.Email = m_card->QUserdb->FieldByName(QStringLiteral("U_EMAIL"))->AsString().trimmed();
    mail.FileName = QStringLiteral("KP_") + QString(number).replace(QLatin1Char('/'), QLatin1Char('_')) +
                    QStringLiteral(".pdf");
    mail.Subject = QStringLiteral("KP ") + number;
    EmailPrintout(mail, [o](const QString& printer) { PrintKpDocument(o, printer, true); });
}

void TUserCardWplaty::ResettleCurrent()
{
    if (RightDenied(2)) return;
    const int o = currentPayment();
    if (o == 0) return;
    if (!yes(QStringLiteral("Czy wykonać wycofanie i ponowne ksiegowanie opłaty?"))) return;
    // A refusal is rolled back and logged by the operation itself.
    ResettleOplata(o, m_card->UserIndex);
    refreshPayments();
}

void TUserCardWplaty::ResettleAll()
{
    if (RightDenied(2)) return;
    if (currentPayment() == 0) return;
    const int user = m_card->UserIndex;
    if (GlobalSession()->IsQueryEmpty(QStringLiteral("select (1) from Oplaty where O_INDEXUSER=:p1"), {user}))
        return;
    if (!yes(QStringLiteral("Czy wykonać wycofanie i ponowne ksiegowanie wszystkich opłat? (może to potrwać "
                            "kilkanaście sekund)")))
        return;
    RecalcUserSaldo(user);
    if (ResettleUserOplaty(user))
        TMD::MessageDlg(QStringLiteral("Operacja księgowania zakończona"), mtInformation, mbOK);
    else
        TMD::MessageDlg(QStringLiteral("Błąd podczas operacji księgowania"), mtError, mbOK);
    RecalcUserSaldo(user);
    refreshPayments();
}

// ---------------------------------------------------------------- invoice template

void TUserCardWplaty::RecalcTemplateItem()
{
    TQuery* q = Data ? Data->QUserFvPozycje.get() : nullptr;
    if (!q || !q->Active() || q->IsEmpty()) return;
    const auto amount = [q](const char* name) { return q->FieldByName(QLatin1String(name))->AsCurrency(); };
    const Amount4 factor = VatRateFactor(q->FieldByName(QStringLiteral("UFV_STAWKAVAT_TXT"))->AsString());
    const TGrossLineAmounts a =
        GrossLineAmounts(amount("UFV_CENABRUTTO"), amount("UFV_ILOSC"), amount("UFV_RABAT"), factor);
    GlobalSession()->ExecQuery(
        QStringLiteral(
            "update UserFvPozycje set UFV_STAWKAVAT=:p1, UFV_CENANETTO=:p2, UFV_WARTOSCBRUTTO=:p3, "
            "UFV_WARTOSCNETTO=:p4, UFV_KWOTAVAT=:p5, UFV_RABATKWOTA=:p6 where UFV_INDEX=:p7"),
        {factor.toSqlText(), a.NetPrice.toSqlText(), a.GrossValue.toSqlText(), a.NetValue.toSqlText(),
         a.VatAmount.toSqlText(), a.DiscountAmount.toSqlText(), q->FieldByName(kUfv)->AsInteger()});
    RefreshQuery(q, kUfv);
}

void TUserCardWplaty::AddTemplateItem()
{
    editTemplateItem(true);
}

void TUserCardWplaty::EditTemplateItem()
{
    TQuery* q = Data ? Data->QUserFvPozycje.get() : nullptr;
    if (!q || !q->Active() || q->IsEmpty()) return;
    editTemplateItem(false);
}

void TUserCardWplaty::editTemplateItem(bool add)
{
    if (!Data || m_card->UserIndex == 0) return;
    const int user = m_card->UserIndex;
    TQuery* items = Data->QUserFvPozycje.get();
    TFormUserFvDodajPozycje editor(m_card);
    editor.QUser()->SetSQL(QStringLiteral("SELECT vUserdb.* FROM vUserdb where U_INDEX=:p1"));
    editor.QUser()->BindArgs({user});
    editor.QUser()->Open();
    const int current = add ? 0 : items->FieldByName(kUfv)->AsInteger();
    editor.QItem()->SetSQL(QStringLiteral("select * from UserFvPozycje where UFV_INDEX=:p1"));
    editor.QItem()->BindArgs({current});
    editor.QItem()->Open();
    if (add)
        editor.QItem()->Insert();
    else
        editor.QItem()->Edit();
    editor.setWindowTitle(add ? QStringLiteral("Dodawanie pozycji szablonu")
                              : QStringLiteral("Edycja pozycji szablonu"));
    const QString customer = customerNumber();
    if (editor.exec() == QDialog::Accepted) {
        editor.QItem()->Post();
        if (add)
            RefreshQueryToLastInsert(items, kUfv);
        else
            RefreshQuery(items, kUfv);
        RecalcTemplateItem();
        if (add)
            LogEvent(QStringLiteral("Dodanie pozycji szablonu dla użytkownika nr %1 o wartości %2")
                         .arg(customer, items->FieldByName(QStringLiteral("UFV_WARTOSCBRUTTO"))->AsString()));
        else
            LogEvent(QStringLiteral("Edycja pozycji szablonu dla użytkownika nr %1 o ID=%2")
                         .arg(customer)
                         .arg(current));
    } else {
        editor.QItem()->Cancel();
    }
    RecalcUserSaldo(user);
    editor.QItem()->Close();
    editor.QUser()->Close();
}

void TUserCardWplaty::DeleteTemplateItem()
{
    TQuery* q = Data ? Data->QUserFvPozycje.get() : nullptr;
    if (!q || !q->Active() || q->IsEmpty()) return;
    if (!yes(QStringLiteral("Czy usunąć wybrnaną pozycje z szablonu faktury?"))) return;
    LogEvent(QStringLiteral("Usunięcie pozycji szablonu dla użytkownika nr %1 o wartości %2")
                 .arg(customerNumber(), q->FieldByName(QStringLiteral("UFV_WARTOSCBRUTTO"))->AsString()));
    GlobalSession()->ExecQuery(QStringLiteral("delete from UserFvPozycje where UFV_INDEX=:p1"),
                               {q->FieldByName(kUfv)->AsInteger()});
    RefreshQuery(q, kUfv);
    RecalcTemplateItem();
    RecalcUserSaldo(m_card->UserIndex);
}

// ---------------------------------------------------------------- bulk payments

void TUserCardWplaty::PostPm()
{
    const int pm = currentPm();
    if (pm == 0 || PmRowPosted(pm)) return;
    PostPmRow(pm);
    refreshPm();
}

void TUserCardWplaty::PostAllPm()
{
    if (currentPm() == 0) return;
    if (!yes(QStringLiteral("Czy chcesz zaksięgować wszystkie pozycje płatności masowych użytkownika?")))
        return;
    const int user = m_card->UserIndex;
    // The import window posts under the same lock: two workstations must not post one bank line twice.
    RunUnderPmLock([user] {
        TDedicatedSession* s = GlobalSession();
        const QString zero = QStringLiteral("0000-00-00");
        if (s->IsQueryEmpty(
                QStringLiteral("select (1) from PlatnosciMasowe where PM_DATAKSIEGOWANIA = :p1 and "
                               "PM_INDEXUSER= :p2"),
                {zero, user}))
            return;
        const QStringList rows = s->GetQueryValuesAsList(
            QStringLiteral(
                "select PM_INDEX from PlatnosciMasowe where PM_INDEXUSER= :p1 and PM_DATAKSIEGOWANIA "
                "= :p2 order by PM_DATABANK"),
            {user, zero}, false, true);
        for (const QString& pm : rows)
            PostPmRow(pm.toInt());
    });
    BeepAsync();
    refreshPm();
}

void TUserCardWplaty::UnpostPm()
{
    if (RightDenied(2)) return;
    const int pm = currentPm();
    if (pm == 0 || !PmRowPosted(pm)) return;
    if (!yes(QStringLiteral("Czy odksięgować wybrną pozycję?"))) return;
    const int user = m_card->UserIndex;
    if (!UnpostPmRow(pm))
        LogEvent(
            QStringLiteral("Nieudana próba usunięcia pozycji PM ID:%1 dla użytkownika nr %2")
                .arg(Data->QPm->FieldByName(QStringLiteral("PM_INDEXOPLATA"))->AsString(), customerNumber()));
    RecalcUserSaldo(user);
    SettleUserOplaty(user);
    RecalcUserSaldoAndCache(user);
    refreshPm();
}

void TUserCardWplaty::DeletePm()
{
    if (RightDenied(2)) return;
    const int pm = currentPm();
    if (pm == 0) return;
    if (!yes(QStringLiteral("Czy usunąć wybrną pozycję?"))) return;
    const QString amount = Data->QPm->FieldByName(QStringLiteral("PM_KWOTA"))->AsString();
    // The unpost asks on its own; a "No" there deletes the bank line and keeps its payment.
    UnpostPm();
    LogEvent(QStringLiteral("Usunięcie pozycji płatności masowych ID=%1 dla użytkownika nr %2 na kwotę %3")
                 .arg(pm)
                 .arg(customerNumber(), amount));
    GlobalSession()->ExecQuery(QStringLiteral("delete from PlatnosciMasowe where PM_INDEX=:p1"), {pm});
    RefreshQuery(Data->QOplaty.get(), kO);
    RecalcUserSaldoAndCache(m_card->UserIndex);
    RefreshQuery(Data->QPm.get(), kPm);
}
