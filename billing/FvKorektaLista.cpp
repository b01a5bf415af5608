#include "billing/FvKorektaLista.h"

#include "billing/KsefMenuDokumentu.h"
#include "billing/ListyAkcje.h"
#include "billing/ListyDruk.h"
#include "billing/ListyOkna.h"
#include "billing/Salda.h"
#include "core/DateTimePicker.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "ksef/FakturaKorektaXml.h"
#include "ksef/KsefOperacje.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

TListConfig FvKorektaListaConfig()
{
    TListConfig c;
    c.View = QStringLiteral("vFvkLista");
    c.KeyField = QStringLiteral("FVK_INDEX");
    c.SearchColumns = {QStringLiteral("FVK_IMIE"),        QStringLiteral("FVK_NAZWISKO"),
                       QStringLiteral("FVK_User"),        QStringLiteral("FVK_NUMERTXT"),
                       QStringLiteral("FVK_NIP"),         QStringLiteral("FVK_KSEF_NRKSEF"),
                       QStringLiteral("FVK_KSEF_STATUS"), QStringLiteral("FVK_ADR_MIEJSCOWOSC")};
    c.TieBreak = QStringLiteral("FVK_User");
    c.NumberField = QStringLiteral("FVK_NUMERTXT");
    c.NumberKeys = {QStringLiteral("FVK_Year"), QStringLiteral("FVK_Month"), QStringLiteral("FVK_NUMER")};
    return c;
}

TFormFvKorektaLista* FormFvKorektaLista()
{
    static TFormFvKorektaLista* form = nullptr;
    if (!form) form = new TFormFvKorektaLista();
    return form;
}

void SettleCorrection(int fvkIndex, int user)
{
    SettleListedDocumentWindow('K', fvkIndex, QStringLiteral("Rozliczenie korekty ID="),
                               QStringLiteral("Nieudana próba rozliczenia faktury ID="));
    RecalcUserSaldoAndCache(user);
}

void EmailCorrection(int fvkIndex, const QString& number, const QString& address, int user)
{
    if (fvkIndex <= 0) return;
    TEmailJob job;
    job.address = address;
    job.fileName = DocumentPdfFile(QStringLiteral("K_"), number);
    job.makePdf = [fvkIndex] { PrintListedCorrection(fvkIndex, true); };
    job.firstWaitMs = 7000;
    job.secondWaitMs = 0;
    job.subject = QStringLiteral("Korekta ") + number;
    job.userIndex = user;
    EmailListedDocument(job);
}

TFormFvKorektaLista::TFormFvKorektaLista(QWidget* parent)
    : TListWindow(QStringLiteral("Korekty - lista"), FvKorektaListaConfig(), parent)
{
    setObjectName(QStringLiteral("FormFvKorektaLista"));
    for (const auto& [field, caption] :
         {std::pair{"FVK_DATAWYSTAWIENIA", "Data wyst."}, std::pair{"FVK_NUMERTXT", "Numer"},
          std::pair{"FVK_User", "Odbiorca"}, std::pair{"FVK_SUMABRUTTO", "Kwota brutto"},
          std::pair{"FVK_KWOTADOROZLICZENIA", "Do rozliczenia"},
          std::pair{"FVK_DATAPLATNOSCI", "Data płatności"},
          std::pair{"FVK_FORMAPLATNOSCI", "Forma płatności"}, std::pair{"FVK_PoTerminie", "Po terminie"},
          std::pair{"FVK_KSEF_STATUS", "Status KSeF"}})
        AddColumn(QLatin1String(field), QString::fromUtf8(caption));
    CheckBoxPoTerminie = AddFilterCheck(QStringLiteral("Tylko po terminie"));
    CheckBoxOffline = AddFilterCheck(QStringLiteral("OFFLINE"));
    Statement().Filters = [this](TListCondition& c) { filters(c); };

    LabelKorekty = new QLabel(QStringLiteral("Korekty"), this);
    LabelKorekty->setObjectName(QStringLiteral("LabelKorekty"));
    QFont f = LabelKorekty->font();
    f.setBold(true);
    LabelKorekty->setFont(f);
    LabelKorekty->installEventFilter(this);
    ButtonLayout->addWidget(LabelKorekty);
    const QStyle::StandardPixmap icons[] = {QStyle::SP_MediaSkipBackward, QStyle::SP_MediaSeekBackward,
                                            QStyle::SP_MediaSeekForward, QStyle::SP_MediaSkipForward};
    for (int i = 0; i < 4; ++i) {
        Navigator[i] = AddToolButton(QString(), QString(), [this, i] {
            TQuery* q = Query();
            i == 0 ? q->First() : i == 1 ? q->Prior() : i == 2 ? q->Next() : q->Last();
        });
        Navigator[i]->setIcon(style()->standardIcon(icons[i]));
    }
    LabelSuma->installEventFilter(this);

    OnEdit = [this] { Edytuj(); };
    AddButton(QStringLiteral("Edytuj"), [this] { Edytuj(); });
    AddButton(QStringLiteral("Usuń"), [this] { Usun(); });
    AddButton(QStringLiteral("Rozlicz"), [this] { Rozlicz(); });
    AddButton(QStringLiteral("Drukuj"), [this] { PrintListedCorrection(CurrentKey(), false); });
    AddToolButton(QStringLiteral("PDF"), QStringLiteral("Drukuj PDF"),
                  [this] { PrintListedCorrection(CurrentKey(), true); });
    AddToolButton(QStringLiteral("@"), QStringLiteral("Wyślij na email"), [this] {
        EmailCorrection(CurrentKey(), FieldText(QStringLiteral("FVK_NUMERTXT")),
                        FieldText(QStringLiteral("U_EMAIL")), FieldInt(QStringLiteral("FVK_INDEXUSER")));
    });
    AddMenuButton(QStringLiteral("KSeF"), QStringLiteral("KSeF Opcje wysyłki dokumentu"),
                  BuildKsefDocumentMenu(this, KsefRowTarget(
                                                  'K', [this](const QString& f) { return FieldText(f); },
                                                  [this] { Reread(); })));
    AddKsefNumberCopyMenu(DBGrid1, [this] { return FieldText(QStringLiteral("FVK_KSEF_NRKSEF")); });

    TotalsText = [](const TQuery& q) {
        return DocumentTotalsText(q.RecordCount(), SumListColumn(q, QStringLiteral("FVK_KWOTADOROZLICZENIA")),
                                  SumListColumn(q, QStringLiteral("FVK_SUMABRUTTO")));
    };
    RowTextColor = [](const TQuery& q, int row) {
        const TField* f = q.FindField(QStringLiteral("FVK_PoTerminie"));
        return f && q.Cell(row, f->Index()).toInt() > 0 ? QColor(Qt::red) : QColor();
    };
    // Both bounds apply from the start: the list shows three months up to the day it was created.
    SetDefaultDates(true);
    SortByFirstColumnDescending();
}

void TFormFvKorektaLista::filters(TListCondition& c) const
{
    if (CheckBoxPoTerminie->isChecked())
        c.Add(QStringLiteral(
            " AND ( if((datediff(CURDATE() , FVK_DATAPLATNOSCI) > 0) and (FVK_KWOTADOROZLICZENIA "
            "> 0), datediff(CURDATE() , FVK_DATAPLATNOSCI), NULL) ) \r\n"));
    if (DateFrom->Checked()) c.AddDateFrom(QStringLiteral("FVK_DATAWYSTAWIENIA"), DateFrom->Date());
    if (DateTo->Checked()) c.AddDateTo(QStringLiteral("FVK_DATAWYSTAWIENIA"), DateTo->Date());
    if (CheckBoxOffline->isChecked())
        c.Add(QStringLiteral(" AND FVK_KSEF_STATUS LIKE ?"), {QStringLiteral("OFFLINE")});
}

void TFormFvKorektaLista::AfterShow()
{
    OpenKsefClientAhead();
}

bool TFormFvKorektaLista::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LabelSuma && event->type() == QEvent::MouseButtonDblClick) {
        RunGuarded([this] { RozliczPonownieWszystkie(); });
        return true;
    }
    if (watched == LabelKorekty && event->type() == QEvent::MouseButtonRelease) {
        RunOnRow([this] { WriteKsefFvkBuyerXml(CurrentKey()); });
        return true;
    }
    return TListWindow::eventFilter(watched, event);
}

void TFormFvKorektaLista::Edytuj()
{
    EditListedDocumentWindow('K', CurrentKey(), FieldInt(QStringLiteral("FVK_INDEXUSER")),
                             QStringLiteral("Edycja korekty"));
    Reread();
}

void TFormFvKorektaLista::Usun()
{
    DeleteListedDocumentWindow('K', CurrentKey(), FieldInt(QStringLiteral("FVK_INDEXUSER")),
                               QStringLiteral("Czy usunąć wybrnaną korektę?"),
                               QStringLiteral("Usunięcie korekty ID="));
    Reread();
}

void TFormFvKorektaLista::Rozlicz()
{
    SettleCorrection(CurrentKey(), FieldInt(QStringLiteral("FVK_INDEXUSER")));
    Reread();
}

void TFormFvKorektaLista::RozliczPonownieWszystkie()
{
    std::vector<int> keys;
    TQuery* q = Query();
    if (!q->Active()) return;
    const int key = q->FieldByName(QStringLiteral("FVK_INDEX"))->Index();
    for (int r = 0; r < q->RecordCount(); ++r)
        keys.push_back(q->Cell(r, key).toInt());
    ResettleCorrections(keys);
    Reread();
}
