#include "mainwindow/UserCardUrzadzenia.h"

#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/GripPanel.h"
#include "core/NetworkHelpers.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/SpeedButtonEx.h"
#include "core/ThemedPanel.h"
#include "mainwindow/User.h"
#include "mainwindow/UserRules.h"

#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

std::function<bool(int, int)> TUserCardUrzadzenia::OpenDeviceEditor;

namespace {

const QString kM = QStringLiteral("M_INDEX");

bool flag(const TQuery& q, int row, const char* name)
{
    return RowCell(q, row, name).toInt() == 1;
}

// The history row's columns a restored device takes back.
const char* const kRestored[] = {"M_INDEXTYPLACZA",
                                 "M_INDEXMIEJSCEPODLACZENIA",
                                 "M_MAC",
                                 "M_MAC2",
                                 "M_IP",
                                 "M_PORT",
                                 "M_LOGIN",
                                 "M_HASLO",
                                 "M_DATAPRZYDZIELENIAPUBIP",
                                 "M_PUBIP",
                                 "M_INDEXTYPURZADZENIA",
                                 "M_INDEXRODZAJ"};

} // namespace

TUserCardUrzadzenia::TUserCardUrzadzenia(TFormUser* card) : QObject(card), m_card(card)
{
    setObjectName(QStringLiteral("UserCardUrzadzenia"));
    buildDeviceButtons();
    buildHistoryButtons();
    styleGrid();
}

void TUserCardUrzadzenia::buildDeviceButtons()
{
    TCardGrid* grid = m_card->DBGrid1;
    auto* panelLayout = static_cast<QVBoxLayout*>(m_card->GripPanel1->layout());
    QWidget* caption = GridCaptionBar(QStringLiteral("Urządzenia"), m_card->GripPanel1, nullptr);
    panelLayout->insertWidget(0, caption);
    auto* bar = static_cast<QHBoxLayout*>(caption->layout());
    SpeedButtonEx8 = CaptionBarButton(bar, "SpeedButtonEx8", QStringLiteral("Dodaj"));
    SpeedButtonEx4 = CaptionBarButton(bar, "SpeedButtonEx4", QStringLiteral("Edytuj"));
    SpeedButtonEx7 = CaptionBarButton(bar, "SpeedButtonEx7", QStringLiteral("Usuń"));
    SpeedButtonEx9 = CaptionBarButton(bar, "SpeedButtonEx9", QStringLiteral("Połącz"));
    SpeedButtonEx47 = CaptionBarButton(bar, "SpeedButtonEx47", QStringLiteral("ONU"),
                                       QStringLiteral("Pokaż status ONU klienta"));
    SpeedButtonEx49 = CaptionBarButton(bar, "SpeedButtonEx49", QStringLiteral("ONU (B)"),
                                       QStringLiteral("Pokaż status ONU (B) klienta"));
    SpeedButtonEx40 = CaptionBarButton(bar, "SpeedButtonEx40", QStringLiteral("Historia"));
    SpeedButtonEx48 =
        CaptionBarButton(bar, "SpeedButtonEx48", QStringLiteral("..."), QStringLiteral("Opcje dodatkowe"));

    PopupMenuUrzadzenia = new QMenu(m_card);
    PopupMenuUrzadzenia->setObjectName(QStringLiteral("PopupMenuUrzadzenia"));
    connect(PopupMenuUrzadzenia->addAction(QStringLiteral("Pokaż statystyki Intruxa")), &QAction::triggered,
            this, [this] { m_card->RunGuarded([this] { ShowIntruxStatistics(); }); });
    connect(PopupMenuUrzadzenia->addAction(QStringLiteral("Przenieś")), &QAction::triggered, this, [this] {
        m_card->RunGuarded([this] {
            if (RightDenied(2) || currentDevice() == 0) return;
            m_card->notAvailable(QStringLiteral("Przenieś"));
        });
    });
    SetPopupMenu(SpeedButtonEx48, PopupMenuUrzadzenia);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& pos) {
        PopupMenuUrzadzenia->popup(grid->viewport()->mapToGlobal(pos));
    });

    const auto on = [this](TSpeedButtonEx* b, std::function<void()> action) {
        connect(b, &QToolButton::clicked, this, [this, action] { m_card->RunGuarded(action); });
    };
    on(SpeedButtonEx8, [this] { AddDevice(); });
    on(SpeedButtonEx4, [this] { EditDevice(); });
    on(SpeedButtonEx7, [this] { DeleteDevice(); });
    on(SpeedButtonEx9, [this] { m_card->notAvailable(QStringLiteral("Połącz")); });
    on(SpeedButtonEx47, [this] { m_card->notAvailable(QStringLiteral("Pokaż status ONU klienta")); });
    on(SpeedButtonEx49, [this] { m_card->notAvailable(QStringLiteral("Pokaż status ONU (B) klienta")); });
    on(SpeedButtonEx40, [this] { m_card->notAvailable(QStringLiteral("Historia zmian urządzenia")); });
    on(SpeedButtonEx48, [this] { PopupMenuBelow(SpeedButtonEx48); });
    connect(grid, &QTableView::doubleClicked, this,
            [this] { m_card->RunGuarded([this] { currentDevice() == 0 ? AddDevice() : EditDevice(); }); });
    grid->horizontalHeader()->setSectionsClickable(true);
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { m_card->RunGuarded([this, column] { SortByColumn(column); }); });
}

void TUserCardUrzadzenia::buildHistoryButtons()
{
    SpeedButtonEx44 = CaptionBarButton(CaptionBarOf(m_card->Pages.GridMacHist), "SpeedButtonEx44",
                                       QStringLiteral("Przywróć"));
    SpeedButtonEx45 = CaptionBarButton(CaptionBarOf(m_card->Pages.GridMacHistUpdate), "SpeedButtonEx45",
                                       QStringLiteral("Przywróć"));
    SpeedButtonEx44->setEnabled(false);
    SpeedButtonEx45->setEnabled(false);
    connect(SpeedButtonEx44, &QToolButton::clicked, this,
            [this] { m_card->RunGuarded([this] { Restore(false); }); });
    connect(SpeedButtonEx45, &QToolButton::clicked, this,
            [this] { m_card->RunGuarded([this] { Restore(true); }); });
    for (TQuery* q : {m_card->QMac_hist.get(), m_card->QMac_hist_update.get()})
        connect(q, &TQuery::DataReset, this, [this] { HistoryShown(); });
}

void TUserCardUrzadzenia::styleGrid()
{
    m_card->DBGrid1->SetRowStyle([this](const TQuery& q, int row, int role) -> QVariant {
        QColor background = QColor(Qt::white);
        bool tinted = false;
        const auto tint = [&](const QColor& c) {
            background = c;
            tinted = true;
        };
        if (flag(q, row, "M_CZYDODACDOSKRYPTOW")) tint(BlendColors(Qt::blue, Qt::white, 2, 1));
        if (flag(q, row, "M_CZYDODACDOMT")) tint(BlendColors(Qt::darkRed, Qt::white, 3, 1));
        if (flag(q, row, "M_CZYDODACDOINTRUXA") && RowCell(q, row, "M_INDEXINTRUX").toInt() != 0)
            tint(BlendColors(Qt::darkGreen, Qt::white, 2, 1));
        const TQuery* user =
            m_card->QUserdb->Active() && !m_card->QUserdb->IsEmpty() ? m_card->QUserdb.get() : nullptr;
        if (user && (user->FieldByName(QStringLiteral("U_POWIADAMIAJ"))->AsInteger() == 1 ||
                     user->FieldByName(QStringLiteral("U_BLOKUJ"))->AsInteger() == 1))
            tint(BlendColors(background, Qt::yellow, 1, 2));
        const bool suspended = flag(q, row, "M_CZYZAWIESZONE");
        if (suspended && (flag(q, row, "M_CZYDODACDOSKRYPTOW") || flag(q, row, "M_CZYDODACDOMT") ||
                          flag(q, row, "M_CZYDODACDOINTRUXA")))
            tint(BlendColors(background, Qt::white, 3, 1));
        if (role == Qt::BackgroundRole) return tinted ? QVariant(background) : QVariant();

        QVariant font;
        if (flag(q, row, "M_CZYZAZNACZONE")) font = QColor(Qt::red);
        const QDate connected = RowCell(q, row, "M_DATAPODLACZENIA").toDate();
        if (!connected.isValid() || connected.year() <= 1 || connected > QDate::currentDate())
            font = BlendColors(Qt::gray, Qt::white, 1, 1);
        if (suspended) font = BlendColors(Qt::gray, Qt::white, 2, 3);
        return font;
    });
}

// ---------------------------------------------------------------- helpers

int TUserCardUrzadzenia::currentDevice() const
{
    TQuery* q = Data ? Data->QMac.get() : nullptr;
    if (!q || !q->Active() || q->IsEmpty()) return 0;
    return q->FieldByName(kM)->AsInteger();
}

QString TUserCardUrzadzenia::logSuffix(int userIndex) const
{
    return GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select concat(U_NRKLIENTA, :p1, left(vU_NazwiskoImie, 50), :p2) from vUserdb where "
                       "U_INDEX=:p3"),
        {QStringLiteral(" ("), QStringLiteral(") "), userIndex});
}

void TUserCardUrzadzenia::CardShown()
{
    const bool gpon = ReadIniInteger(0, QStringLiteral("GponAktywujOpcje"), 0) != 0;
    SpeedButtonEx47->setEnabled(gpon);
    SpeedButtonEx49->setEnabled(gpon);
}

void TUserCardUrzadzenia::HistoryShown()
{
    const auto hasRows = [](TQuery* q) { return q->Active() && !q->IsEmpty(); };
    SpeedButtonEx44->setEnabled(hasRows(m_card->QMac_hist.get()));
    SpeedButtonEx45->setEnabled(hasRows(m_card->QMac_hist_update.get()));
}

// ---------------------------------------------------------------- commands

void TUserCardUrzadzenia::SortByColumn(int column)
{
    const std::vector<TQueryColumn> columns = DeviceGridColumns();
    if (column < 0 || column >= int(columns.size())) return;
    if (!CardDeviceSortClick(columns[size_t(column)].FieldName, column, CardDeviceSortFields,
                             CardDeviceSortOrder, CardDeviceSortColumn))
        return;
    m_card->DBGrid1->SetSortMark(CardDeviceSortColumn, CardDeviceSortOrder);
    if (Data) RefreshQuery(Data->QMac.get(), kM);
}

void TUserCardUrzadzenia::AddDevice()
{
    if (RightDenied(4)) return;
    if (!OpenDeviceEditor) return m_card->notAvailable(QStringLiteral("Dodawanie nowego urządzenia"));
    if (OpenDeviceEditor(0, m_card->UserIndex) && Data) RefreshQueryToLastInsert(Data->QMac.get(), kM);
    m_card->PageControl1->setTabText(2, NotesTabCaption(CountUserNotes(m_card->UserIndex)));
}

void TUserCardUrzadzenia::EditDevice()
{
    const int m = currentDevice();
    if (m == 0) return;
    if (!OpenDeviceEditor) return m_card->notAvailable(QStringLiteral("Edycja urządzenia"), 4);
    if (RightDenied(4)) return;
    if (OpenDeviceEditor(m, m_card->UserIndex) && Data) RefreshQuery(Data->QMac.get(), kM);
    m_card->PageControl1->setTabText(2, NotesTabCaption(CountUserNotes(m_card->UserIndex)));
}

void TUserCardUrzadzenia::DeleteDevice()
{
    if (RightDenied(2)) return;
    const int m = currentDevice();
    if (m == 0) return;
    TQuery* q = Data->QMac.get();
    if (TMD::MessageDlg(QStringLiteral("Czy usunąć wybrne urządzenie?"), mtConfirmation, mbYes | mbNo) ==
        mrYes) {
        LogEvent(QStringLiteral("Usunięcie urządzenia ID=%1 IP=%2 użytkownika nr: %3")
                     .arg(m)
                     .arg(q->FieldByName(QStringLiteral("M_IP"))->AsString(),
                          logSuffix(q->FieldByName(QStringLiteral("M_INDEXUSER"))->AsInteger())));
        GlobalSession()->ExecQuery(QStringLiteral("delete from Mac where M_INDEX=:p1"), {m});
    }
    RefreshQuery(q, kM);
}

void TUserCardUrzadzenia::ShowIntruxStatistics()
{
    if (currentDevice() == 0) return;
    TQuery* q = Data->QMac.get();
    try {
        if (q->FieldByName(QStringLiteral("M_CZYDODACDOINTRUXA"))->AsInteger() != 1) {
            TMD::MessageDlg(QStringLiteral("Wskazane urządzenie nie jest dodane do Intruxa"), mtWarning,
                            mbOK);
            return;
        }
        const QString router = GlobalSession()->GetQueryValueAsString(
            QStringLiteral("select INTRUX_IP from IntruxRouter where INTRUX_INDEX=:p1"),
            {q->FieldByName(QStringLiteral("M_INDEXINTRUX"))->AsInteger()});
        OpenUrl(QStringLiteral("http://") + router + QStringLiteral("/account/stat.php?host=") +
                q->FieldByName(QStringLiteral("M_IP"))->AsString());
    } catch (...) {
        TMD::MessageDlg(QStringLiteral("Błąd podczas próby wyświetlenia ststystyk Intruxa"), mtError, mbOK);
    }
}

void TUserCardUrzadzenia::Restore(bool earlierState)
{
    TQuery* source = earlierState ? m_card->QMac_hist_update.get() : m_card->QMac_hist.get();
    if (!source->Active() || source->IsEmpty()) return;
    const int oldKey = source->FieldByName(QStringLiteral("M_INDEXOLD"))->AsInteger();
    TDedicatedSession* s = GlobalSession();
    if (!s->IsQueryEmpty(QStringLiteral("select (1) from Mac where M_INDEX=:p1"), {oldKey})) {
        TMD::MessageDlg(QStringLiteral("Urządzenie istnieje w bazie. Nie można przywrócić."), mtWarning,
                        mbOK);
        return;
    }
    if (Data) RefreshQuery(Data->QMac.get(), kM);
    // The device editor belongs to the network inventory; until it is here the
    // restore asks the editor's confirmation and writes the history values as they were.
    if (TMD::MessageDlg(QStringLiteral("Dane zostaną zapisane w bazie. Czy potwierdzasz zapisanie nowego "
                                       "urządzenia?"),
                        mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    auto row = s->OpenLiveQuery(QStringLiteral("select * from Mac where M_INDEX=:p1"), {0});
    row->Insert();
    row->FieldByName(kM)->SetAsInteger(oldKey);
    row->FieldByName(QStringLiteral("M_INDEXUSER"))->SetAsInteger(m_card->UserIndex);
    // The values come back as they were stored; an empty date stays the column's empty date.
    for (const char* name : kRestored) {
        const QVariant v = source->FieldByName(QLatin1String(name))->Value();
        if (!v.isNull()) row->FieldByName(QLatin1String(name))->SetValue(v);
    }
    int o[4];
    SplitIpOctets(row->FieldByName(QStringLiteral("M_IP"))->AsString(), o[0], o[1], o[2], o[3]);
    for (int i = 0; i < 4; ++i)
        row->FieldByName(QStringLiteral("M_IP%1").arg(i + 1))->SetAsInteger(o[i]);
    row->Post();
    if (Data) {
        RefreshQuery(Data->QMac.get(), kM);
        Data->QMac->Locate(kM, oldKey);
    }
    LogEvent(QStringLiteral("Przywrócenie urządzenia klienta: %1").arg(oldKey));
    RefreshQuery(m_card->QMac_hist.get(), kM);
    RefreshQuery(m_card->QMac_hist_update.get(), kM);
}
