#include "billing/FvUser.h"

#include "billing/FvKorektaLista.h"
#include "billing/FvKorektaWystaw.h"
#include "billing/FvWystaw.h"
#include "billing/KsefMenuDokumentu.h"
#include "billing/ListyDruk.h"
#include "billing/ListyOkna.h"
#include "billing/Salda.h"
#include "billing/UserDokumentyPanel.h"
#include "core/DataModule.h"
#include "core/DateTimePicker.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/KsefOperacje.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kPanelSection = QStringLiteral("TFormFvUserGripPanel2");

bool Overdue(const TQuery& q, int row, const char* field)
{
    const TField* f = q.FindField(QLatin1String(field));
    return f && !q.Cell(row, f->Index()).isEmpty();
}

} // namespace

TFormFvUser* FormFvUser()
{
    static TFormFvUser* form = nullptr;
    if (!form) form = new TFormFvUser();
    return form;
}

void ShowFvUser(int userIndex)
{
    FormFvUser()->UserIndex = userIndex;
    FormFvUser()->exec();
}

TFormFvUser::TFormFvUser(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormFvUser"));
    setWindowTitle(QStringLiteral("Faktury użytkownika"));
    buildUi();
}

TFormFvUser::~TFormFvUser() = default;

void TFormFvUser::buildUi()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    auto* top = new QHBoxLayout();
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    QFont f = StatusLabel->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    StatusLabel->setFont(f);
    top->addWidget(StatusLabel, 1);
    auto* refresh = new QToolButton(this);
    refresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    refresh->setToolTip(QStringLiteral("Refresh"));
    connect(refresh, &QToolButton::clicked, this, [this] { RunGuarded([this] { RereadAll(); }); });
    top->addWidget(refresh);
    CheckBoxDuplikat = new QCheckBox(QStringLiteral("Duplikat"), this);
    DataDuplikatu = new TDateTimePicker(this);
    DataDuplikatu->SetDate(QDate::currentDate());
    top->addWidget(CheckBoxDuplikat);
    top->addWidget(DataDuplikatu);
    auto* wezwanie = new QPushButton(QStringLiteral("Wezwanie"), this);
    auto* nota = new QPushButton(QStringLiteral("Nota odsetkowa"), this);
    connect(wezwanie, &QPushButton::clicked, this, [this] { RunGuarded([this] { Wezwanie(); }); });
    connect(nota, &QPushButton::clicked, this, [this] { RunGuarded([this] { NotaOdsetkowa(); }); });
    top->addWidget(wezwanie);
    top->addWidget(nota);
    root->addLayout(top);

    Splitter = new QSplitter(Qt::Vertical, this);
    Splitter->setChildrenCollapsible(false);
    Faktury = std::make_unique<TUserDokumentyPanel>(
        this, Splitter, QStringLiteral("Faktury"),
        std::vector<std::pair<const char*, const char*>>{{"FV_DATAWYSTAWIENIA", "Data wyst."},
                                                         {"FV_NUMERTXT", "Numer"},
                                                         {"FV_SUMABRUTTO", "Kwota brutto"},
                                                         {"FV_KWOTADOROZLICZENIA", "Do rozliczenia"},
                                                         {"FV_DATAPLATNOSCI", "Data płatności"},
                                                         {"FV_FORMAPLATNOSCI", "Forma płatności"},
                                                         {"FV_PoTerminie", "Po terminie"},
                                                         {"FV_KSEF_STATUS", "Status KSeF"}});
    Faktury->KeyField = QStringLiteral("FV_INDEX");
    Faktury->TotalPrefix = QStringLiteral("Suma wystawionych FV: ");
    Faktury->TotalSql = QStringLiteral("select sum(FV_SUMABRUTTO) from Fv where FV_INDEXUSER=:p1");
    // Every invoice with an open amount is red here, due or not.
    Faktury->RowTextColor = [](const TQuery& q, int row) {
        return Overdue(q, row, "FV_PoTerminie") ? QColor(Qt::red) : QColor();
    };
    Faktury->RowBackground = [](const TQuery& q, int row) {
        const TField* f = q.FindField(QStringLiteral("FV_INDEXKOREKTA"));
        return f && q.Cell(row, f->Index()).toInt() > 0 ? BlendColors(Qt::blue, Qt::white, 1, 2) : QColor();
    };
    Faktury->OnAdd = [this] { DodajFakture(); };
    Faktury->OnEdit = [this] { EdytujFakture(); };
    Korekty = std::make_unique<TUserDokumentyPanel>(this, Splitter, QStringLiteral("Korekty"),
                                                    std::vector<std::pair<const char*, const char*>>{
                                                        {"FVK_DATAWYSTAWIENIA", "Data wyst."},
                                                        {"FVK_NUMERTXT", "Numer"},
                                                        {"FVK_SUMABRUTTO", "Kwota brutto"},
                                                        {"FVK_KWOTADOROZLICZENIA", "Do rozliczenia"},
                                                        {"FVK_NUMERTXTKORYGOWANEJ", "Nr faktury korygowanej"},
                                                        {"FVK_DATAPLATNOSCI", "Data płatności"},
                                                        {"FVK_FORMAPLATNOSCI", "Forma płatności"},
                                                        {"FVK_PoTerminie", "Po terminie"},
                                                        {"FVK_KSEF_STATUS", "Status KSeF"}});
    Korekty->KeyField = QStringLiteral("FVK_INDEX");
    Korekty->TotalPrefix = QStringLiteral("Suma wystawionych Korekt: ");
    Korekty->TotalSql = QStringLiteral("select sum(FVK_SUMABRUTTO) from Fvk where FVK_INDEXUSER=:p1");
    Korekty->RowTextColor = [](const TQuery& q, int row) {
        return Overdue(q, row, "FVK_PoTerminie") ? QColor(Qt::red) : QColor();
    };
    Korekty->OnAdd = [this] { DodajKorekte(); };
    Korekty->OnEdit = [this] { EdytujKorekte(); };
    Splitter->addWidget(Faktury->Widget);
    Splitter->addWidget(Korekty->Widget);
    root->addWidget(Splitter, 1);
    for (QLabel* title : {Faktury->Title, Korekty->Title})
        title->installEventFilter(this);
    buildInvoiceButtons();
    buildCorrectionButtons();

    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setAutoDefault(false);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    bottom->addWidget(OkBtn);
    root->addLayout(bottom);
    resize(1000, 640);
}

void TFormFvUser::buildInvoiceButtons()
{
    TUserDokumentyPanel& p = *Faktury;
    p.AddButton(
        QStringLiteral("Dodaj"), [this] { DodajFakture(); }, false);
    p.AddButton(QStringLiteral("Edytuj"), [this] { EdytujFakture(); });
    p.AddButton(QStringLiteral("Usuń"), [this] { UsunFakture(); });
    p.AddButton(QStringLiteral("Rozlicz"), [this] { RozliczFakture(); });
    p.AddButton(QStringLiteral("Drukuj"), [this] {
        PrintListedInvoice(Faktury->Key(), false, CheckBoxDuplikat->isChecked(),
                           DataDuplikatu->Date().toString(Qt::ISODate));
    });
    p.AddToolButton(QStringLiteral("PDF"), QStringLiteral("Drukuj PDF"), [this] {
        PrintListedInvoice(Faktury->Key(), true, CheckBoxDuplikat->isChecked(), QString());
    });
    p.AddToolButton(QStringLiteral("@"), QStringLiteral("Wyślij na email"), [this] { WyslijFakture(); });
    p.AddButton(QStringLiteral("Korekta"), [this] { Korekta(false); });
    p.AddButton(QStringLiteral("Korekta na \"0\""), [this] { Korekta(true); });
    p.AddMenuButton(
        QStringLiteral("KSeF"), QStringLiteral("KSeF Opcje wysyłki dokumentu"),
        BuildKsefDocumentMenu(this, KsefRowTarget(
                                        'F', [this](const QString& f) { return Faktury->Text(f); },
                                        [this] { Faktury->Reread(); }, 750)));
    AddKsefNumberCopyMenu(p.Grid, [this] { return Faktury->Text(QStringLiteral("FV_KSEF_NRKSEF")); });
}

void TFormFvUser::buildCorrectionButtons()
{
    TUserDokumentyPanel& p = *Korekty;
    p.AddButton(
        QStringLiteral("Dodaj"), [this] { DodajKorekte(); }, false);
    p.AddButton(
        QStringLiteral("Edytuj"), [this] { EdytujKorekte(); }, false);
    p.AddButton(
        QStringLiteral("Usuń"), [this] { UsunKorekte(); }, false);
    p.AddButton(QStringLiteral("Rozlicz"), [this] { RozliczKorekte(); });
    p.AddButton(QStringLiteral("Drukuj"), [this] { PrintListedCorrection(Korekty->Key(), false); });
    p.AddToolButton(QStringLiteral("PDF"), QStringLiteral("Drukuj PDF"),
                    [this] { PrintListedCorrection(Korekty->Key(), true); });
    p.AddToolButton(QStringLiteral("@"), QStringLiteral("Wyślij na email"), [this] { WyslijKorekte(); });
    p.AddMenuButton(
        QStringLiteral("KSeF"), QStringLiteral("KSeF Opcje wysyłki dokumentu"),
        BuildKsefDocumentMenu(this, KsefRowTarget(
                                        'K', [this](const QString& f) { return Korekty->Text(f); },
                                        [this] { Korekty->Reread(); })));
    AddKsefNumberCopyMenu(p.Grid, [this] { return Korekty->Text(QStringLiteral("FVK_KSEF_NRKSEF")); });
}

// ---------------------------------------------------------------- show and hide

void TFormFvUser::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    SetDropShadow(true);
    RunGuarded([this] {
        CheckBoxDuplikat->setChecked(false);
        DataDuplikatu->DateEdit()->setMaximumDateTime(QDateTime::currentDateTime());
        const int height =
            TDbIni(HostId, OperatorId).ReadInteger(kPanelSection, QStringLiteral("Wysokosc"), 250);
        // The real heights first, so the lower panel gets exactly what was kept.
        if (layout()) layout()->activate();
        const int total = Splitter->height() - Splitter->handleWidth();
        Splitter->setSizes({qMax(50, total - height), height});
        if (UserIndex == 0 && Data && Data->QUserdb && Data->QUserdb->Active() && !Data->QUserdb->IsEmpty())
            UserIndex = Data->QUserdb->FieldByName(QStringLiteral("U_INDEX"))->AsInteger();
        Faktury->Open(
            QStringLiteral("select * from vFvLista where FV_INDEXUSER=:p1 order by FV_DATAWYSTAWIENIA "
                           "DESC, FV_NUMER DESC"),
            UserIndex);
        Korekty->Open(QStringLiteral("select * from vFvkLista where FVK_INDEXUSER=:p1 order by "
                                     "FVK_DATAWYSTAWIENIA DESC, FVK_NUMER DESC"),
                      UserIndex);
        StatusLabel->setText(UserStatusText(UserIndex));
        OpenKsefClientAhead();
    });
}

void TFormFvUser::hideEvent(QHideEvent* e)
{
    RunGuarded([this] {
        if (Splitter->sizes().size() == 2)
            TDbIni(HostId, OperatorId)
                .WriteInteger(kPanelSection, QStringLiteral("Wysokosc"), Splitter->sizes()[1]);
    });
    Faktury->Close();
    Korekty->Close();
    UserIndex = 0;
    CheckBoxDuplikat->setChecked(false);
    TFormEx::hideEvent(e);
}

bool TFormFvUser::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        for (TUserDokumentyPanel* p : {Faktury.get(), Korekty.get()})
            if (watched == p->Title) {
                RunGuarded([p] { TMD::MessageDlg(p->TotalText(), mtInformation, mbOK); });
                return true;
            }
    }
    return TFormEx::eventFilter(watched, event);
}

void TFormFvUser::RereadAll()
{
    Faktury->Reread();
    Korekty->Reread();
}

QString TFormFvUser::userEmail() const
{
    return GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select U_EMAIL from Userdb where U_INDEX=:p1"), {UserIndex});
}

// ---------------------------------------------------------------- invoices

void TFormFvUser::DodajFakture()
{
    IssueNewFv(UserIndex);
    RereadSharedPayments();
    Faktury->RereadToLastInsert();
}

void TFormFvUser::EdytujFakture()
{
    EditListedDocumentWindow('F', Faktury->Key(), Faktury->Int(QStringLiteral("FV_INDEXUSER")),
                             QStringLiteral("Edycja faktury"));
    Faktury->Reread();
    RereadSharedPayments();
}

void TFormFvUser::UsunFakture()
{
    if (RightDenied(2)) return;
    DeleteListedDocumentWindow('F', Faktury->Key(), UserIndex, QStringLiteral("Czy usunąć wybrnaną fakture?"),
                               QStringLiteral("Usunięcie faktury ID="));
    Faktury->Reread();
    RereadSharedPayments();
}

void TFormFvUser::RozliczFakture()
{
    SettleListedDocumentWindow('F', Faktury->Key(), QStringLiteral("Rozliczenie faktury ID="),
                               QStringLiteral("Nieudana próba rozliczenia faktury ID="));
    Faktury->Reread();
    RereadSharedPayments();
    RecalcUserSaldoAndCache(UserIndex);
}

void TFormFvUser::WyslijFakture()
{
    const int key = Faktury->Key();
    if (key <= 0) return;
    TEmailJob job;
    job.address = userEmail();
    job.fileName = DocumentPdfFile(QStringLiteral("F_"), Faktury->Text(QStringLiteral("FV_NUMERTXT")));
    job.makePdf = [this, key] { PrintListedInvoice(key, true, CheckBoxDuplikat->isChecked(), QString()); };
    job.firstWaitMs = 5000;
    job.secondWaitMs = 8000;
    job.subject = QStringLiteral("Faktura ") + Faktury->Text(QStringLiteral("FV_NUMERTXT"));
    job.userIndex = Faktury->Int(QStringLiteral("FV_INDEXUSER"));
    EmailListedDocument(job);
}

void TFormFvUser::Korekta(bool zero)
{
    StartFvCorrection(Faktury->Key(), zero);
    RereadAll();
}

// ---------------------------------------------------------------- corrections

void TFormFvUser::DodajKorekte()
{
    if (RightDenied(3) || !Faktury->HasRow()) return;
    StartFvCorrection(Faktury->Key(), false);
    RereadSharedPayments();
    Korekty->RereadToLastInsert();
    Faktury->Reread();
}

void TFormFvUser::EdytujKorekte()
{
    if (RightDenied(3) || !Korekty->HasRow()) return;
    EditListedDocumentWindow('K', Korekty->Key(), UserIndex, QStringLiteral("Edycja korekty"));
    RereadSharedPayments();
    RereadAll();
}

void TFormFvUser::UsunKorekte()
{
    if (RightDenied(3) || !Korekty->HasRow()) return;
    DeleteListedDocumentWindow('K', Korekty->Key(), Korekty->Int(QStringLiteral("FVK_INDEXUSER")),
                               QStringLiteral("Czy usunąć wybrnaną korektę?"),
                               QStringLiteral("Usunięcie korekty ID="));
    RereadAll();
    RereadSharedPayments();
}

void TFormFvUser::RozliczKorekte()
{
    SettleCorrection(Korekty->Key(), UserIndex);
    Korekty->Reread();
    RereadSharedPayments();
}

void TFormFvUser::WyslijKorekte()
{
    EmailCorrection(Korekty->Key(), Korekty->Text(QStringLiteral("FVK_NUMERTXT")), userEmail(),
                    Korekty->Int(QStringLiteral("FVK_INDEXUSER")));
}

// ---------------------------------------------------------------- payment call, interest notes

void TFormFvUser::Wezwanie()
{
    if (GlobalSession()->GetQueryValueAsInteger(
            QStringLiteral("select U_MAXZALEGLOSCFV from Userdb where U_INDEX=:p1"), {UserIndex}) < 1) {
        TMD::MessageDlg(QStringLiteral("Brak przeterminowanych faktur"), mtInformation, mbOK);
        return;
    }
    // The call is for this window's subscriber, whatever the main grid shows.
    if (!ListHooks().paymentCall) return ShowNotAvailable(QStringLiteral("Wezwanie do zapłaty"));
    ListHooks().paymentCall(UserIndex);
}

void TFormFvUser::NotaOdsetkowa()
{
    if (!ListHooks().interestNotes) return ShowNotAvailable(QStringLiteral("Nota odsetkowa"));
    ListHooks().interestNotes(UserIndex);
}
