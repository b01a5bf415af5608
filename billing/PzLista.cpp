#include "billing/PzLista.h"

#include "billing/ListyDruk.h"
#include "billing/ListyOkna.h"
#include "billing/Salda.h"
#include "core/DateTimePicker.h"
#include "core/Funkcje2.h"
#include "core/Query.h"

#include <QCheckBox>

TListConfig PzListaConfig()
{
    TListConfig c;
    c.View = QStringLiteral("vPzLista");
    c.KeyField = QStringLiteral("PZ_INDEX");
    c.SearchColumns = {QStringLiteral("PZ_IMIE"),           QStringLiteral("PZ_NAZWISKO"),
                       QStringLiteral("PZ_User"),           QStringLiteral("PZ_NUMERTXT"),
                       QStringLiteral("PZ_FORMAPLATNOSCI"), QStringLiteral("PZ_ADR_MIEJSCOWOSC")};
    c.TieBreak = QStringLiteral("PZ_User");
    c.NumberField = QStringLiteral("PZ_NUMERTXT");
    c.NumberKeys = {QStringLiteral("PZ_Year"), QStringLiteral("PZ_Month"), QStringLiteral("PZ_NUMER")};
    return c;
}

TFormPzLista* FormPzLista()
{
    static TFormPzLista* form = nullptr;
    if (!form) form = new TFormPzLista();
    return form;
}

void EditDemandFromList(int pzIndex, int user)
{
    EditListedDocumentWindow('P', pzIndex, user, QStringLiteral("Edycja polecenia zapłaty"));
}

void EmailDemand(int pzIndex, const QString& number, const QString& address, int user, int firstWaitMs,
                 int secondWaitMs)
{
    if (pzIndex <= 0) return;
    TEmailJob job;
    job.address = address;
    job.fileName = DocumentPdfFile(QStringLiteral("P_"), number);
    job.makePdf = [pzIndex] { PrintListedDemand(pzIndex, true); };
    job.firstWaitMs = firstWaitMs;
    job.secondWaitMs = secondWaitMs;
    job.subject = QStringLiteral("Polecenie zapłaty ") + number;
    job.userIndex = user;
    EmailListedDocument(job);
}

void SettleDemand(int pzIndex, int user)
{
    SettleListedDocumentWindow('P', pzIndex, QStringLiteral("Rozliczenie polecenia zapłaty ID="),
                               QStringLiteral("Nieudana próba rozliczenia polecenie zapłaty ID="));
    RereadSharedPayments();
    RecalcUserSaldoAndCache(user);
}

TFormPzLista::TFormPzLista(QWidget* parent)
    : TListWindow(QStringLiteral("Polecenia zapłaty - lista"), PzListaConfig(), parent)
{
    setObjectName(QStringLiteral("FormPzLista"));
    for (const auto& [field, caption] :
         {std::pair{"PZ_DATAWYSTAWIENIA", "Data wyst."}, std::pair{"PZ_NUMERTXT", "Numer"},
          std::pair{"PZ_User", "Odbiorca"}, std::pair{"PZ_SUMABRUTTO", "Kwota brutto"},
          std::pair{"PZ_KWOTADOROZLICZENIA", "Do rozliczenia"},
          std::pair{"PZ_DATAPLATNOSCI", "Data płatności"}, std::pair{"PZ_FORMAPLATNOSCI", "Forma płatności"},
          std::pair{"PZ_PoTerminie", "Po terminie"}})
        AddColumn(QLatin1String(field), QString::fromUtf8(caption));
    CheckBoxPoTerminie = AddFilterCheck(QStringLiteral("Tylko po terminie"));
    CheckBoxGlowna = AddFilterCheck(QStringLiteral("Filtrowanie wg tableli głównej"));
    CheckBoxGotowkowe = AddFilterCheck(QStringLiteral("gotówkowe"));
    Statement().Filters = [this](TListCondition& c) { filters(c); };

    OnEdit = [this] { Edytuj(); };
    AddButton(QStringLiteral("Edytuj"), [this] { Edytuj(); });
    AddButton(QStringLiteral("Usuń"), [this] { Usun(); });
    AddButton(QStringLiteral("Rozlicz"), [this] { Rozlicz(); });
    AddButton(QStringLiteral("Drukuj"), [this] { Drukuj(false); });
    AddToolButton(QStringLiteral("PDF"), QStringLiteral("Drukuj PDF"), [this] { Drukuj(true); });
    AddToolButton(QStringLiteral("@"), QStringLiteral("Wyślij na email"), [this] { WyslijEmail(); });

    TotalsText = [](const TQuery& q) {
        return DocumentTotalsText(q.RecordCount(), SumListColumn(q, QStringLiteral("PZ_KWOTADOROZLICZENIA")),
                                  SumListColumn(q, QStringLiteral("PZ_SUMABRUTTO")));
    };
    RowTextColor = [](const TQuery& q, int row) {
        const TField* f = q.FindField(QStringLiteral("PZ_PoTerminie"));
        return f && q.Cell(row, f->Index()).toInt() > 0 ? QColor(Qt::red) : QColor();
    };
    SetDefaultDates(false);
    SortByFirstColumnDescending();
}

void TFormPzLista::filters(TListCondition& c) const
{
    if (CheckBoxPoTerminie->isChecked())
        c.Add(QStringLiteral(
            " AND ( if((datediff(CURDATE() , PZ_DATAPLATNOSCI) > 0) and (PZ_KWOTADOROZLICZENIA > "
            "0), datediff(CURDATE() , PZ_DATAPLATNOSCI), NULL) ) \r\n"));
    if (DateFrom->Checked()) c.AddDateFrom(QStringLiteral("PZ_DATAWYSTAWIENIA"), DateFrom->Date());
    if (DateTo->Checked()) c.AddDateTo(QStringLiteral("PZ_DATAWYSTAWIENIA"), DateTo->Date());
    if (CheckBoxGlowna->isChecked()) c.AddMainUsers(QStringLiteral("PZ_INDEXUSER"), MainUserIdList);
    if (CheckBoxGotowkowe->isChecked())
        c.Add(QStringLiteral(" AND PZ_FORMAPLATNOSCI LIKE ?"), {QStringLiteral("%got_w%")});
}

void TFormPzLista::Edytuj()
{
    EditDemandFromList(CurrentKey(), FieldInt(QStringLiteral("PZ_INDEXUSER")));
    Reread();
    RereadSharedPayments();
}

void TFormPzLista::Usun()
{
    DeleteListedDocumentWindow('P', CurrentKey(), FieldInt(QStringLiteral("PZ_INDEXUSER")),
                               QStringLiteral("Czy usunąć wybrnane Polecenie Zapłaty?"),
                               QStringLiteral("Usunięcie PZ ID="));
    Reread();
    RereadSharedPayments();
}

void TFormPzLista::Rozlicz()
{
    SettleDemand(CurrentKey(), FieldInt(QStringLiteral("PZ_INDEXUSER")));
    Reread();
}

void TFormPzLista::Drukuj(bool pdf)
{
    PrintListedDemand(CurrentKey(), pdf);
}

void TFormPzLista::WyslijEmail()
{
    EmailDemand(CurrentKey(), FieldText(QStringLiteral("PZ_NUMERTXT")), FieldText(QStringLiteral("U_EMAIL")),
                FieldInt(QStringLiteral("PZ_INDEXUSER")), 3000, 5000);
}
