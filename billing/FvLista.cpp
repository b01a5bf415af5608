#include "billing/FvLista.h"

#include "billing/FvKorektaDane.h"
#include "billing/FvKorektaWystaw.h"
#include "billing/KsefMenuDokumentu.h"
#include "billing/ListyAkcje.h"
#include "billing/ListyDruk.h"
#include "billing/ListyOkna.h"
#include "billing/Salda.h"
#include "core/DateTimePicker.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "ksef/KsefOperacje.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTimer>

TListConfig FvListaConfig()
{
    TListConfig c;
    c.View = QStringLiteral("vFvLista");
    c.KeyField = QStringLiteral("FV_INDEX");
    c.SearchColumns = {QStringLiteral("FV_IMIE"),
                       QStringLiteral("FV_NAZWISKO"),
                       QStringLiteral("FV_User"),
                       QStringLiteral("FV_NUMERTXT"),
                       QStringLiteral("FV_NIP"),
                       QStringLiteral("FV_FORMAPLATNOSCI"),
                       QStringLiteral("FV_KSEF_NRKSEF"),
                       QStringLiteral("FV_KSEF_STATUS"),
                       QStringLiteral("FV_ADR_MIEJSCOWOSC")};
    c.TieBreak = QStringLiteral("FV_User");
    c.NumberField = QStringLiteral("FV_NUMERTXT");
    c.NumberKeys = {QStringLiteral("FV_Year"), QStringLiteral("FV_Month"), QStringLiteral("FV_NUMER")};
    return c;
}

TFormFvLista* FormFvLista()
{
    static TFormFvLista* form = nullptr;
    if (!form) form = new TFormFvLista();
    return form;
}

TFormFvLista::TFormFvLista(QWidget* parent)
    : TListWindow(QStringLiteral("Faktury - lista"), FvListaConfig(), parent)
{
    setObjectName(QStringLiteral("FormFvLista"));
    for (const auto& [field, caption] :
         {std::pair{"FV_DATAWYSTAWIENIA", "Data wyst."}, std::pair{"FV_NUMERTXT", "Numer"},
          std::pair{"FV_User", "Odbiorca"}, std::pair{"FV_SUMABRUTTO", "Kwota brutto"},
          std::pair{"FV_KWOTADOROZLICZENIA", "Do rozliczenia"},
          std::pair{"FV_DATAPLATNOSCI", "Data płatności"}, std::pair{"FV_FORMAPLATNOSCI", "Forma płatności"},
          std::pair{"FV_PoTerminie", "Po terminie"}, std::pair{"FV_KSEF_STATUS", "Status KSeF"}})
        AddColumn(QLatin1String(field), QString::fromUtf8(caption));

    CheckBoxPoTerminie = AddFilterCheck(QStringLiteral("Tylko po terminie"));
    CheckBoxGlowna = AddFilterCheck(QStringLiteral("Filtrowanie wg tableli głównej"));
    CheckBoxGotowkowe = AddFilterCheck(QStringLiteral("gotówkowe"));
    CheckBoxOffline = AddFilterCheck(QStringLiteral("OFFLINE"));
    Statement().Filters = [this](TListCondition& c) { filters(c); };

    // The duplicate controls, on a panel of their own.
    auto* dup = new QHBoxLayout();
    CheckBoxDuplikat = new QCheckBox(QStringLiteral("Duplikat"), this);
    DataDuplikatu = new TDateTimePicker(this);
    DataDuplikatu->SetDate(QDate::currentDate());
    dup->addWidget(CheckBoxDuplikat);
    dup->addWidget(DataDuplikatu);
    FilterLayout->addSpacing(12);
    FilterLayout->addLayout(dup);

    OnEdit = [this] { Edytuj(); };
    AddButton(QStringLiteral("Edytuj"), [this] { Edytuj(); });
    AddButton(QStringLiteral("Usuń"), [this] { Usun(); });
    AddButton(QStringLiteral("Rozlicz"), [this] { Rozlicz(); });
    AddButton(QStringLiteral("Drukuj"), [this] { Drukuj(false); });
    AddToolButton(QStringLiteral("PDF"), QStringLiteral("Drukuj PDF"), [this] { Drukuj(true); });
    AddToolButton(QStringLiteral("@"), QStringLiteral("Wyślij na email"), [this] { WyslijEmail(); });
    AddButton(QStringLiteral("Korekta"), [this] { Korekta(false); });
    AddButton(QStringLiteral("Korekta na \"0\""), [this] { Korekta(true); });
    AddButton(QStringLiteral("Pokaż kartę"), [this] { PokazKarte(); });
    AddMenuButton(QStringLiteral("KSeF"), QStringLiteral("KSeF Opcje wysyłki dokumentu"),
                  BuildKsefDocumentMenu(this, KsefRowTarget(
                                                  'F', [this](const QString& f) { return FieldText(f); },
                                                  [this] { Reread(); })));
    auto* options = new QMenu(this);
    connect(options->addAction(QStringLiteral("Eksport faktur w formacie MKRP")), &QAction::triggered, this,
            [this] { RunGuarded([this] { EksportMkrp(); }); });
    connect(options->addAction(QStringLiteral("Koryguj wszystkie na \"0\"")), &QAction::triggered, this,
            [this] { RunGuarded([this] { KorygujWszystkieNaZero(IsCtrlPressed()); }); });
    AddMenuButton(QStringLiteral("..."), QStringLiteral("Opcje dodatkowe"), options);

    AddKsefNumberCopyMenu(DBGrid1, [this] { return FieldText(QStringLiteral("FV_KSEF_NRKSEF")); });

    TotalsText = [](const TQuery& q) {
        return DocumentTotalsText(q.RecordCount(), SumListColumn(q, QStringLiteral("FV_KWOTADOROZLICZENIA")),
                                  SumListColumn(q, QStringLiteral("FV_SUMABRUTTO")));
    };
    RowTextColor = [](const TQuery& q, int row) {
        const TField* f = q.FindField(QStringLiteral("FV_PoTerminie"));
        return f && q.Cell(row, f->Index()).toInt() > 0 ? QColor(Qt::red) : QColor();
    };
    RowBackground = [](const TQuery& q, int row) {
        const TField* f = q.FindField(QStringLiteral("FV_INDEXKOREKTA"));
        return f && q.Cell(row, f->Index()).toInt() > 0 ? BlendColors(Qt::blue, Qt::white, 1, 2) : QColor();
    };

    SetDefaultDates(false);
    SortByFirstColumnDescending();
}

void TFormFvLista::filters(TListCondition& c) const
{
    if (CheckBoxPoTerminie->isChecked())
        c.Add(QStringLiteral(
            " AND ( if((datediff(CURDATE() , FV_DATAPLATNOSCI) > 0) and (FV_KWOTADOROZLICZENIA > "
            "0), datediff(CURDATE() , FV_DATAPLATNOSCI), NULL) ) \r\n"));
    if (DateFrom->Checked()) c.AddDateFrom(QStringLiteral("FV_DATAWYSTAWIENIA"), DateFrom->Date());
    if (DateTo->Checked()) c.AddDateTo(QStringLiteral("FV_DATAWYSTAWIENIA"), DateTo->Date());
    if (CheckBoxGlowna->isChecked()) c.AddMainUsers(QStringLiteral("FV_INDEXUSER"), MainUserIdList);
    if (CheckBoxGotowkowe->isChecked())
        c.Add(QStringLiteral(" AND FV_FORMAPLATNOSCI LIKE ?"), {QStringLiteral("%got_w%")});
    if (CheckBoxOffline->isChecked())
        c.Add(QStringLiteral(" AND FV_KSEF_STATUS LIKE ?"), {QStringLiteral("OFFLINE")});
}

QString TFormFvLista::IdWhere() const
{
    return ListIdWhere(*Query(), QStringLiteral("FV_INDEX"));
}

void TFormFvLista::AfterShow()
{
    CheckBoxDuplikat->setChecked(false);
    DataDuplikatu->DateEdit()->setMaximumDateTime(QDateTime::currentDateTime());
    OpenKsefClientAhead();
}

void TFormFvLista::Edytuj()
{
    EditListedDocumentWindow('F', CurrentKey(), FieldInt(QStringLiteral("FV_INDEXUSER")),
                             QStringLiteral("Edycja faktury"));
    Reread();
    RereadSharedPayments();
}

void TFormFvLista::Usun()
{
    DeleteListedDocumentWindow('F', CurrentKey(), FieldInt(QStringLiteral("FV_INDEXUSER")),
                               QStringLiteral("Czy usunąć wybrnaną fakture?"),
                               QStringLiteral("Usunięcie faktury ID="));
    Reread();
    RereadSharedPayments();
}

void TFormFvLista::Rozlicz()
{
    const int user = FieldInt(QStringLiteral("FV_INDEXUSER"));
    SettleListedDocumentWindow('F', CurrentKey(), QStringLiteral("Rozliczenie faktury ID="),
                               QStringLiteral("Nieudana próba rozliczenia faktury ID="));
    Reread();
    RereadSharedPayments();
    RecalcUserSaldoAndCache(user);
}

void TFormFvLista::Drukuj(bool pdf)
{
    PrintListedInvoice(CurrentKey(), pdf, CheckBoxDuplikat->isChecked(),
                       DataDuplikatu->Date().toString(Qt::ISODate));
}

void TFormFvLista::WyslijEmail()
{
    const int key = CurrentKey();
    if (key <= 0) return;
    TEmailJob job;
    job.address = FieldText(QStringLiteral("U_EMAIL"));
    job.fileName = DocumentPdfFile(QStringLiteral("F_"), FieldText(QStringLiteral("FV_NUMERTXT")));
    job.makePdf = [this, key] { PrintListedInvoice(key, true, CheckBoxDuplikat->isChecked(), QString()); };
    job.subject = QStringLiteral("Faktura ") + FieldText(QStringLiteral("FV_NUMERTXT"));
    job.userIndex = FieldInt(QStringLiteral("FV_INDEXUSER"));
    EmailListedDocument(job);
}

void TFormFvLista::Korekta(bool zero)
{
    StartFvCorrection(CurrentKey(), zero);
    Reread();
}

void TFormFvLista::PokazKarte()
{
    const int user = FieldInt(QStringLiteral("FV_INDEXUSER"));
    if (!ListHooks().showUserCard) return ShowNotAvailable(QStringLiteral("Karta użytkownika"));
    ListHooks().showUserCard(user);
    Reread();
}

void TFormFvLista::EksportMkrp()
{
    Reread();
    if (!ListHooks().exportMkrp) return ShowNotAvailable(QStringLiteral("Eksport faktur w formacie MKRP"));
    ListHooks().exportMkrp(QStringLiteral("FS"), IdWhere());
}

void TFormFvLista::KorygujWszystkieNaZero(bool ctrlHeld)
{
    if (!ctrlHeld || RightDenied(3)) return;
    Reread();
    std::vector<int> keys;
    auto rows = OpenCurrentStatement();
    for (; !rows->Eof(); rows->Next())
        keys.push_back(rows->FieldByName(QStringLiteral("FV_INDEX"))->AsInteger());
    // Every invoice of the selection gets a correction to zero: the operator confirms the count.
    if (TMD::MessageDlg(
            QStringLiteral("Czy skorygować na \"0\" wszystkie wybrane faktury (%1)?").arg(keys.size()),
            mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    ZeroCorrectInvoices(keys, [](int n, int user) {
        TFormFvKorektaWystaw* form = FormFvKorektaWystaw();
        form->Dane().SelectCorrection(n, user);
        form->setWindowTitle(QStringLiteral("Wystawianie nowej korekty"));
        form->Dane().EditHeader();
        form->AutoConfirm->start();
        return form->exec() == QDialog::Accepted;
    });
    Reread();
}
