#include "billing/PzUser.h"

#include "billing/ListyDruk.h"
#include "billing/ListyOkna.h"
#include "billing/PzLista.h"
#include "billing/PzWystaw.h"
#include "billing/UserDokumentyPanel.h"
#include "core/DataModule.h"
#include "core/DialogPL.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

TFormPzUser* FormPzUser()
{
    static TFormPzUser* form = nullptr;
    if (!form) form = new TFormPzUser();
    return form;
}

void ShowPzUser(int userIndex)
{
    FormPzUser()->UserIndex = userIndex;
    FormPzUser()->exec();
}

TFormPzUser::TFormPzUser(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormPzUser"));
    setWindowTitle(QStringLiteral("Polecenia zapłaty użytkownika"));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    auto* top = new QHBoxLayout();
    StatusLabel = new QLabel(this);
    QFont f = StatusLabel->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    StatusLabel->setFont(f);
    top->addWidget(StatusLabel, 1);
    auto* refresh = new QToolButton(this);
    refresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    refresh->setToolTip(QStringLiteral("Refresh"));
    connect(refresh, &QToolButton::clicked, this, [this] { RunGuarded([this] { Polecenia->Reread(); }); });
    top->addWidget(refresh);
    root->addLayout(top);

    Polecenia = std::make_unique<TUserDokumentyPanel>(
        this, this, QStringLiteral("Polecenia zapłaty"),
        std::vector<std::pair<const char*, const char*>>{{"PZ_DATAWYSTAWIENIA", "Data wyst."},
                                                         {"PZ_NUMERTXT", "Numer"},
                                                         {"PZ_SUMABRUTTO", "Kwota brutto"},
                                                         {"PZ_KWOTADOROZLICZENIA", "Do rozliczenia"},
                                                         {"PZ_DATAPLATNOSCI", "Data płatności"},
                                                         {"PZ_FORMAPLATNOSCI", "Forma płatności"},
                                                         {"PZ_PoTerminie", "Po terminie"}});
    TUserDokumentyPanel& p = *Polecenia;
    p.KeyField = QStringLiteral("PZ_INDEX");
    p.TotalPrefix = QStringLiteral("Suma wystawionych PZ: ");
    p.TotalSql = QStringLiteral("select sum(PZ_SUMABRUTTO) from Pz where PZ_INDEXUSER=:p1");
    p.RowTextColor = [](const TQuery& q, int row) {
        const TField* fld = q.FindField(QStringLiteral("PZ_PoTerminie"));
        return fld && !q.Cell(row, fld->Index()).isEmpty() ? QColor(Qt::red) : QColor();
    };
    p.OnAdd = [this] { Dodaj(); };
    p.OnEdit = [this] { Edytuj(); };
    p.AddButton(
        QStringLiteral("Dodaj"), [this] { Dodaj(); }, false);
    p.AddButton(QStringLiteral("Edytuj"), [this] { Edytuj(); });
    p.AddButton(QStringLiteral("Usuń"), [this] { Usun(); });
    p.AddButton(QStringLiteral("Rozlicz"), [this] {
        SettleDemand(Polecenia->Key(), UserIndex);
        Polecenia->Reread();
    });
    p.AddButton(QStringLiteral("Drukuj"), [this] { PrintListedDemand(Polecenia->Key(), false); });
    p.AddToolButton(QStringLiteral("PDF"), QStringLiteral("Drukuj PDF"),
                    [this] { PrintListedDemand(Polecenia->Key(), true); });
    p.AddToolButton(QStringLiteral("@"), QStringLiteral("Wyślij na email"), [this] {
        EmailDemand(Polecenia->Key(), Polecenia->Text(QStringLiteral("PZ_NUMERTXT")),
                    GlobalSession()->GetQueryValueAsString(
                        QStringLiteral("select U_EMAIL from Userdb where U_INDEX=:p1"), {UserIndex}),
                    Polecenia->Int(QStringLiteral("PZ_INDEXUSER")), 5000, 8000);
    });
    p.Title->installEventFilter(this);
    root->addWidget(p.Widget, 1);

    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setAutoDefault(false);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    bottom->addWidget(OkBtn);
    root->addLayout(bottom);
    resize(900, 500);
}

TFormPzUser::~TFormPzUser() = default;

void TFormPzUser::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    SetDropShadow(true);
    RunGuarded([this] {
        if (UserIndex == 0 && Data && Data->QUserdb && Data->QUserdb->Active() && !Data->QUserdb->IsEmpty())
            UserIndex = Data->QUserdb->FieldByName(QStringLiteral("U_INDEX"))->AsInteger();
        Polecenia->Open(
            QStringLiteral("select * from vPzLista where PZ_INDEXUSER=:p1 order by PZ_DATAWYSTAWIENIA "
                           "DESC, PZ_NUMER DESC"),
            UserIndex);
        StatusLabel->setText(UserStatusText(UserIndex));
    });
}

void TFormPzUser::hideEvent(QHideEvent* e)
{
    UserIndex = 0;
    TFormEx::hideEvent(e);
}

bool TFormPzUser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Polecenia->Title && event->type() == QEvent::MouseButtonRelease) {
        RunGuarded([this] { TMD::MessageDlg(Polecenia->TotalText(), mtInformation, mbOK); });
        return true;
    }
    return TFormEx::eventFilter(watched, event);
}

void TFormPzUser::Dodaj()
{
    IssueNewPz(UserIndex);
    Polecenia->RereadToLastInsert();
    RereadSharedPayments();
}

void TFormPzUser::Edytuj()
{
    EditDemandFromList(Polecenia->Key(), UserIndex);
    Polecenia->Reread();
    RereadSharedPayments();
}

void TFormPzUser::Usun()
{
    if (RightDenied(2)) return;
    DeleteListedDocumentWindow('P', Polecenia->Key(), UserIndex,
                               QStringLiteral("Czy usunąć wybrnane polecenie zapłaty?"),
                               QStringLiteral("Usunięcie polecenia zapłaty ID="));
    RereadSharedPayments();
    Polecenia->Reread();
}
