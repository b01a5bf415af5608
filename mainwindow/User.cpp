#include "mainwindow/User.h"

#include "billing/OplatyDodaj.h"
#include "mainwindow/Glowny.h"

#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/GripPanel.h"
#include "core/MagazynBlob.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/SpeedButtonEx.h"
#include "core/ThemedLabel.h"
#include "core/ThemedPanel.h"
#include "core/ThemedSeparator.h"
#include "mainwindow/UserCardUrzadzenia.h"
#include "mainwindow/UserCardWplaty.h"
#include "mainwindow/UserDanePodstawowe.h"
#include "mainwindow/UserKartaZleceniaUmowy.h"
#include "mainwindow/UserRules.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

int CardDeviceSortColumn = 0;
TFormUser* FormUser = nullptr;
std::function<void(const QString&)> TFormUser::OrdersListCaptionChanged;
std::function<bool(int)> TFormUser::OpenUserEditor;

namespace {

const QString kKey = QStringLiteral("U_INDEX");

enum class TIcon
{
    Refresh,
    Sms,
    Print,
    Pdf,
    Menu
};

// Toolbar pictures, drawn rather than shipped.
QIcon toolIcon(TIcon kind)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x33, 0x4A, 0x68);
    switch (kind) {
    case TIcon::Refresh: {
        p.setPen(QPen(QColor(0x2E, 0x7D, 0x32), 2.2));
        p.drawArc(QRectF(4, 4, 12, 12), 40 * 16, 280 * 16);
        p.setBrush(QColor(0x2E, 0x7D, 0x32));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(12, 2), QPointF(17.5, 5.5), QPointF(12, 9)}));
        break;
    }
    case TIcon::Sms:
        p.setBrush(QColor(0x1E, 0x88, 0xE5));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(2, 3, 16, 11), 3, 3);
        p.drawPolygon(QPolygonF({QPointF(5, 13), QPointF(5, 18), QPointF(10, 13)}));
        p.setBrush(Qt::white);
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(6 + i * 4, 8.5), 1.3, 1.3);
        break;
    case TIcon::Print:
    case TIcon::Pdf:
        p.setPen(QPen(ink, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 2.5, 9, 6));
        p.setBrush(QColor(0x90, 0xA4, 0xAE));
        p.drawRoundedRect(QRectF(2.5, 7.5, 15, 7), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 12.5, 9, 5));
        if (kind == TIcon::Pdf) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xC6, 0x28, 0x28));
            p.drawRoundedRect(QRectF(9, 10, 11, 8), 1.5, 1.5);
            p.setPen(Qt::white);
            QFont f = p.font();
            f.setPixelSize(6);
            f.setBold(true);
            p.setFont(f);
            p.drawText(QRectF(9, 10, 11, 8), Qt::AlignCenter, QStringLiteral("PDF"));
        }
        break;
    case TIcon::Menu:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (int i = 0; i < 3; ++i)
            p.drawRoundedRect(QRectF(3, 4 + i * 5, 14, 2.4), 1, 1);
        break;
    }
    return QIcon(pm);
}

TSpeedButtonEx* toolButton(const QString& name, const QString& caption, const QString& hint, QWidget* parent)
{
    auto* b = new TSpeedButtonEx(caption, parent);
    b->setObjectName(name);
    b->SetFlat(true);
    b->SetHint(hint.isEmpty() ? caption : hint);
    b->setMinimumHeight(28);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return b;
}

TSpeedButtonEx* iconButton(const QString& name, TIcon icon, const QString& hint, QWidget* parent)
{
    auto* b = new TSpeedButtonEx(parent);
    b->setObjectName(name);
    b->SetFlat(true);
    b->setIcon(toolIcon(icon));
    b->setIconSize(QSize(20, 20));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->SetHint(hint);
    b->setFixedSize(30, 28);
    return b;
}

QToolButton* navButton(QStyle::StandardPixmap pixmap, const QString& hint, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setIcon(parent->style()->standardIcon(pixmap));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFixedSize(26, 26);
    return b;
}

} // namespace

bool OpenUrl(const QString& url)
{
    if (url.isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Błąd wywołania"), mtWarning, mbOK);
        return false;
    }
    return QDesktopServices::openUrl(QUrl(url.left(500), QUrl::TolerantMode));
}

// ---------------------------------------------------------------- TFormUser

TFormUser::TFormUser(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormUser"));
    setWindowTitle(QStringLiteral("Karta użytkownika"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(false);

    QUserdb = std::make_unique<TQuery>();
    QUserdb->BeforeOpen = [this](TQuery& q) {
        // Opened without a subscriber: the main grid's current one.
        if (UserIndex == 0 && Data && Data->QUserdb && Data->QUserdb->Active() && !Data->QUserdb->IsEmpty())
            UserIndex = Data->QUserdb->FieldByName(kKey)->AsInteger();
        q.SetSQL(UserCardSql(UserIndex));
    };
    QUserdb->AfterOpen = [this](TQuery& q) { DanePodstawowe->ShowServices(&q); };
    connect(QUserdb.get(), &TQuery::DataReset, this, [this] { onDataChanged(); });
    connect(QUserdb.get(), &TQuery::CurrentChanged, this, [this](int) { onDataChanged(); });
    connect(QUserdb.get(), &TQuery::RowChanged, this, [this](int) { onDataChanged(); });

    QUserUwagi = std::make_unique<TQuery>();
    QUserUwagi->SetSQL(QStringLiteral(
        "select * from UserUwagi where UU_INDEXUSER=:U_INDEX order by UU_DATADODANIA desc, UU_INDEX desc"));
    QUserUwagi->RequestLive = true;
    QMac_hist = std::make_unique<TQuery>();
    QMac_hist->SetSQL(
        QStringLiteral("select * from vMac_hist where M_INDEXUSER=:U_INDEX and M_AKCJA='D' order by "
                       "M_DATAMODYFIKACJI desc"));
    QMac_hist_update = std::make_unique<TQuery>();
    QMac_hist_update->SetSQL(QStringLiteral("select * from vMac_hist where M_INDEXOLD=:M_INDEXOLD and "
                                            "M_AKCJA='U' order by M_DATAMODYFIKACJI desc"));
    QMac_hist_update->SetMasterSource(QMac_hist.get());
    QOplaty_hist = std::make_unique<TQuery>();
    QOplaty_hist->SetSQL(
        QStringLiteral("select * from Oplaty_hist where O_INDEXUSER=:U_INDEX and O_AKCJA='D' "
                       "order by O_DATAMODYFIKACJI DESC"));
    QOplaty_hist_update = std::make_unique<TQuery>();
    QOplaty_hist_update->SetSQL(QStringLiteral("select * from Oplaty_hist where O_INDEXOLD=:O_INDEXOLD and "
                                               "O_AKCJA='U' order by O_DATAMODYFIKACJI DESC"));
    QOplaty_hist_update->SetMasterSource(QOplaty_hist.get());

    ChooseFiles = [this] {
        QFileDialog dialog(this, QStringLiteral("Wybierz plik"), QString(),
                           QStringLiteral("Wszystkie pliki (*)"));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    };

    buildUi();
    resize(ScaleByDpi(990), ScaleByDpi(770));
}

TFormUser::~TFormUser()
{
    // The shared datasets outlive the card: they must not keep pointing at its row.
    if (Data) {
        for (TQuery* q : {Data->QMac.get(), Data->QOplaty.get(), Data->QUserFvPozycje.get(),
                          Data->QZlecenia.get(), Data->QUmowy.get(), Data->QPm.get()})
            if (q && q->MasterSource() == QUserdb.get()) q->SetMasterSource(nullptr);
    }
    QMac_hist_update->SetMasterSource(nullptr);
    QOplaty_hist_update->SetMasterSource(nullptr);
    QUserUwagi->SetMasterSource(nullptr);
    QMac_hist->SetMasterSource(nullptr);
    QOplaty_hist->SetMasterSource(nullptr);
    if (FormUser == this) FormUser = nullptr;
}

TField* TFormUser::QUserdbU_INDEX() const
{
    return QUserdb->Active() ? QUserdb->FindField(kKey) : nullptr;
}

TField* TFormUser::QUserdbU_NRKLIENTA() const
{
    return QUserdb->Active() ? QUserdb->FindField(QStringLiteral("U_NRKLIENTA")) : nullptr;
}

TField* TFormUser::QUserdbU_DATAKONCAUMOWY() const
{
    return QUserdb->Active() ? QUserdb->FindField(QStringLiteral("U_DATAKONCAUMOWY")) : nullptr;
}

void TFormUser::buildUi()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* header = new TThemedPanel(this);
    header->setObjectName(QStringLiteral("PanelNaglowek"));
    header->SetThemedImage(tpiRebar);
    buildToolbar(header);
    root->addWidget(header);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    // Eight tabs side by side at the card's width, without scroll arrows.
    PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 7px; }"));
    PageControl1->setUsesScrollButtons(false);
    DanePodstawowe = new TUserDanePodstawowe(PageControl1);
    DBGrid1 = DanePodstawowe->DBGrid1;
    GripPanel1 = DanePodstawowe->GripPanel1;
    Pages = BuildUserCardPages(PageControl1);
    GripPanel3 = Pages.GripPanel3;
    SpeedButtonEx28 = Pages.SpeedButtonEx28;
    PageControl1->addTab(DanePodstawowe, QStringLiteral("Dane podstawowe"));
    PageControl1->addTab(Pages.Abonament, QStringLiteral("Abonament i wpłaty"));
    PageControl1->addTab(Pages.Notatki, QStringLiteral(" Notatki "));
    PageControl1->addTab(Pages.Pm, QStringLiteral("Płatności masowe"));
    PageControl1->addTab(Pages.Zlecenia, QStringLiteral("Zlecenia serwisowe"));
    PageControl1->addTab(Pages.Umowy, QStringLiteral("Umowy, aneksy i PZO"));
    PageControl1->addTab(Pages.HistoriaUrzadzen, QStringLiteral("Historia urządzeń"));
    PageControl1->addTab(Pages.HistoriaWplat, QStringLiteral("Historia wpłat"));
    auto* tabs = new QWidget(this);
    auto* tl = new QVBoxLayout(tabs);
    tl->setContentsMargins(6, 6, 6, 0);
    tl->addWidget(PageControl1);
    root->addWidget(tabs, 1);
    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this](int i) { RunGuarded([this, i] { onTabChanged(i); }); });

    auto* bottom = new TThemedPanel(this);
    bottom->setObjectName(QStringLiteral("PanelDol"));
    bottom->SetThemedImage(tpiNone);
    auto* bl = new QHBoxLayout(bottom);
    bl->setContentsMargins(8, 6, 22, 8);
    bl->addStretch(1);
    OkBtn = new QPushButton(QStringLiteral("Zamknij"), bottom);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setMinimumWidth(96);
    OkBtn->setAutoDefault(false);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::reject);
    bl->addWidget(OkBtn);
    root->addWidget(bottom);

    buildMenu();
    DanePodstawowe->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DanePodstawowe, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(DanePodstawowe->mapToGlobal(pos)); });
    connect(DanePodstawowe, &TUserDanePodstawowe::LinkClicked, this,
            [this](const QString& field) { RunGuarded([this, field] { openLink(field); }); });
    connect(DanePodstawowe, &TUserDanePodstawowe::TerytDoubleClicked, this,
            [this] { notAvailable(QStringLiteral("Edycja danych TERYT")); });
    connect(DanePodstawowe, &TUserDanePodstawowe::TauronDoubleClicked, this,
            [this] { RunGuarded([this] { tauronOrder(); }); });
    BuildUserCardOrderAndContractCommands(this);

    SizeGrip = new TFrameSizeGrip(bottom);
    Wplaty = new TUserCardWplaty(this);
    Urzadzenia = new TUserCardUrzadzenia(this);
}

void TFormUser::buildToolbar(QWidget* bar)
{
    auto* l = new QHBoxLayout(bar);
    l->setContentsMargins(10, 6, 8, 6);
    l->setSpacing(2);

    auto* names = new QVBoxLayout;
    names->setSpacing(0);
    auto* caption = new QLabel(QStringLiteral("Użytkownik"), bar);
    QPalette cp = caption->palette();
    cp.setColor(QPalette::WindowText, cp.color(QPalette::Dark));
    caption->setPalette(cp);
    names->addWidget(caption);
    LabelUzytkownik = new TThemedLabel(bar);
    LabelUzytkownik->setObjectName(QStringLiteral("LabelUzytkownik"));
    LabelUzytkownik->SetEllipsis(tleEnd);
    QFont nf = LabelUzytkownik->font();
    nf.setBold(true);
    nf.setPointSizeF(nf.pointSizeF() * 1.35);
    LabelUzytkownik->setFont(nf);
    LabelUzytkownik->setMinimumWidth(120);
    LabelUzytkownik->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    names->addWidget(LabelUzytkownik);
    l->addLayout(names, 1);
    l->addSpacing(8);

    NavFirst = navButton(QStyle::SP_MediaSkipBackward, QStringLiteral("Pierwszy"), bar);
    NavPrior = navButton(QStyle::SP_MediaSeekBackward, QStringLiteral("Poprzedni"), bar);
    NavNext = navButton(QStyle::SP_MediaSeekForward, QStringLiteral("Następny"), bar);
    NavLast = navButton(QStyle::SP_MediaSkipForward, QStringLiteral("Ostatni"), bar);
    const int steps[] = {-2, -1, 1, 2};
    QToolButton* navs[] = {NavFirst, NavPrior, NavNext, NavLast};
    for (int i = 0; i < 4; ++i) {
        l->addWidget(navs[i]);
        const int step = steps[i];
        connect(navs[i], &QToolButton::clicked, this,
                [this, step] { RunGuarded([this, step] { navigate(step); }); });
    }

    const auto separator = [bar, l] {
        auto* s = new TThemedSeparator(bar);
        s->SetThemedImage(TThemedSeparatorImage::tpiToolbarSeparator);
        s->SetMargin(3);
        s->SetAutoSize(true);
        l->addWidget(s);
    };
    separator();
    SpeedButtonEx1 =
        iconButton(QStringLiteral("SpeedButtonEx1"), TIcon::Refresh, QStringLiteral("Refresh"), bar);
    l->addWidget(SpeedButtonEx1);
    separator();
    SpeedButtonEx33 = toolButton(QStringLiteral("SpeedButtonEx33"), QStringLiteral("Edytuj"), {}, bar);
    SpeedButtonEx34 = toolButton(QStringLiteral("SpeedButtonEx34"), QStringLiteral("Faktury"), {}, bar);
    SpeedButtonEx35 =
        toolButton(QStringLiteral("SpeedButtonEx35"), QStringLiteral("Polecenia zapłaty"), {}, bar);
    SpeedButtonEx5 = toolButton(QStringLiteral("SpeedButtonEx5"), QStringLiteral("Wpłata"), {}, bar);
    for (TSpeedButtonEx* b : {SpeedButtonEx33, SpeedButtonEx34, SpeedButtonEx35, SpeedButtonEx5})
        l->addWidget(b);
    separator();
    SpeedButtonEx2 =
        iconButton(QStringLiteral("SpeedButtonEx2"), TIcon::Sms, QStringLiteral("SMS do serwisanta"), bar);
    SpeedButtonEx3 = iconButton(QStringLiteral("SpeedButtonEx3"), TIcon::Print,
                                QStringLiteral("Drukuj kartę użytkownika"), bar);
    SpeedButtonEx18 =
        iconButton(QStringLiteral("SpeedButtonEx18"), TIcon::Pdf, QStringLiteral("Drukuj PDF"), bar);
    SpeedButtonEx41 =
        iconButton(QStringLiteral("SpeedButtonEx41"), TIcon::Menu, QStringLiteral("Opcje dodatkowe"), bar);
    for (TSpeedButtonEx* b : {SpeedButtonEx2, SpeedButtonEx3, SpeedButtonEx18, SpeedButtonEx41})
        l->addWidget(b);

    connect(SpeedButtonEx1, &QToolButton::clicked, this, [this] { RunGuarded([this] { RefreshAll(); }); });
    connect(SpeedButtonEx33, &QToolButton::clicked, this, [this] { RunGuarded([this] { editUser(); }); });
    connect(SpeedButtonEx34, &QToolButton::clicked, this, [this] {
        RunGuarded([this] {
            openDocuments(QStringLiteral("Faktury użytkownika"), TFormGlowny::ListOpeners.fvUser);
        });
    });
    connect(SpeedButtonEx35, &QToolButton::clicked, this, [this] {
        RunGuarded([this] {
            openDocuments(QStringLiteral("Polecenia zapłaty użytkownika"), TFormGlowny::ListOpeners.pzUser);
        });
    });
    connect(SpeedButtonEx5, &QToolButton::clicked, this, [this] {
        RunGuarded([this] {
            AddOplata(UserIndex);
            RefreshAll();
        });
    });
    connect(SpeedButtonEx2, &QToolButton::clicked, this,
            [this] { notAvailable(QStringLiteral("SMS do serwisanta"), 3); });
    connect(SpeedButtonEx3, &QToolButton::clicked, this,
            [this] { notAvailable(QStringLiteral("Drukuj kartę użytkownika"), 3); });
    connect(SpeedButtonEx18, &QToolButton::clicked, this,
            [this] { notAvailable(QStringLiteral("Drukuj PDF"), 3); });
    connect(SpeedButtonEx41, &QToolButton::clicked, this, [this] { PopupMenuBelow(SpeedButtonEx41); });
}

void TFormUser::buildMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    SetPopupMenu(SpeedButtonEx41, PopupMenu1);
    const auto item = [this](const QString& caption, std::function<void()> action) {
        QAction* a = PopupMenu1->addAction(caption);
        m_menuItems.append(a);
        connect(a, &QAction::triggered, this, [this, action] { RunGuarded(action); });
        return a;
    };
    item(QStringLiteral("Pismo do użytkownika"),
         [this] { notAvailable(QStringLiteral("Pismo do użytkownika")); });
    item(QStringLiteral("Formularz przelewu"),
         [this] { notAvailable(QStringLiteral("Formularz przelewu")); });
    item(QStringLiteral("Książeczka opłat"), [this] { notAvailable(QStringLiteral("Książeczka opłat"), 3); });
    PopupMenu1->addSeparator();
    item(QStringLiteral("Eksport do książki adresowej Envelo"),
         [this] { ExportEnveloAddressBook(UserIndex); });
    PopupMenu1->addSeparator();
    item(QStringLiteral("Lista należności"), [this] { notAvailable(QStringLiteral("Lista należności"), 3); });
    item(QStringLiteral("Lista należności do PDF"),
         [this] { notAvailable(QStringLiteral("Lista należności do PDF"), 3); });
    item(QStringLiteral("Lista należności na email"),
         [this] { notAvailable(QStringLiteral("Lista należności na email"), 3); });
    PopupMenu1->addSeparator();
    item(QStringLiteral("Lista wysłanych wiadomości"),
         [this] { notAvailable(QStringLiteral("Lista wysłanych wiadomości")); });
    PopupMenu1->addSeparator();
    item(QStringLiteral("Usuń uzgodnienie TERYT użytkownika"), [this] { clearTeryt(); });
    PopupMenu1->addSeparator();
    item(QStringLiteral("Wystaw notę odsetkową"),
         [this] { notAvailable(QStringLiteral("Wystaw notę odsetkową")); });
    item(QStringLiteral("Lista not odsetkowych"),
         [this] { notAvailable(QStringLiteral("Lista not odsetkowych")); });
    PopupMenu1->addSeparator();
    item(QStringLiteral("Zapisz plik w katalogu użytkownika"), [this] { saveFilesToFolder(); });
    item(QStringLiteral("Pokaż katalog użytkownika"), [this] { showFolder(); });
    PopupMenu1->addSeparator();
    item(QStringLiteral("Zamówienie BSA Tauron"), [this] { tauronOrder(); });
}

QAction* TFormUser::MenuItem(const QString& caption) const
{
    for (QAction* a : m_menuItems)
        if (a->text() == caption) return a;
    return nullptr;
}

void TFormUser::editUser()
{
    if (!OpenUserEditor) return notAvailable(QStringLiteral("Edycja użytkownika"));
    const int remembered = UserIndex;
    if (remembered == 0) return;
    OpenUserEditor(remembered);
    // The edit may take the subscriber out of the main grid's filter.
    if (Data && Data->QUserdb && Data->QUserdb->Active()) {
        RefreshQuery(Data->QUserdb.get(), kKey);
        const int now = Data->QUserdb->IsEmpty() ? 0 : Data->QUserdb->FieldByName(kKey)->AsInteger();
        if (now != remembered) {
            TMD::MessageDlg(
                QStringLiteral("Użytkownik nie jest już widoczny wśród użytkowników filtrowanych w "
                               "tabeli głównej. Karta zostanie zamknięta."),
                mtInformation, mbOK);
            reject();
            return;
        }
    }
    RefreshAll();
    RefreshBasicData();
}

void TFormUser::openDocuments(const QString& what, const std::function<void(int)>& opener)
{
    if (!opener) return notAvailable(what, 3);
    if (RightDenied(3)) return;
    opener(UserIndex);
}

void TFormUser::notAvailable(const QString& what, int level)
{
    if (level > 0 && RightDenied(level)) return;
    ShowNotAvailable(what);
}

QString TFormUser::fieldText(const char* name) const
{
    if (!QUserdb->Active() || QUserdb->IsEmpty()) return QString();
    const TField* f = QUserdb->FindField(QLatin1String(name));
    return f ? f->AsString() : QString();
}

QString TFormUser::mainGridText(const char* name) const
{
    if (!Data || !Data->QUserdb || !Data->QUserdb->Active() || Data->QUserdb->IsEmpty()) return QString();
    const TField* f = Data->QUserdb->FindField(QLatin1String(name));
    return f ? f->AsString() : QString();
}

// ---------------------------------------------------------------- show and hide

void TFormUser::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (!e->spontaneous()) RunGuarded([this] { onShow(); });
}

void TFormUser::hideEvent(QHideEvent* e)
{
    TFormEx::hideEvent(e);
    if (!e->spontaneous()) RunGuarded([this] { onHide(); });
}

void TFormUser::onShow()
{
    SetDropShadow(ShowShadow);
    setMinimumSize(ScaleByDpi(812), ScaleByDpi(300));
    setMaximumSize(ScaleByDpi(996), ScaleByDpi(800));
    const QColor face = palette().color(QPalette::Window);
    QPalette memo = DanePodstawowe->MemoUwagi->palette();
    memo.setColor(QPalette::Base, BlendColors(face, Qt::white, 1, 1));
    DanePodstawowe->MemoUwagi->setPalette(memo);
    DanePodstawowe->PanelTeryt->SetColor(BlendColors(face, Qt::white, 2, 1));
    {
        const QSignalBlocker block(PageControl1);
        PageControl1->setCurrentIndex(0);
    }
    DanePodstawowe->ImageTauronBsa->hide();
    DanePodstawowe->GlobalRodzajWydruku = ReadIniInteger(0, QStringLiteral("RodzajWydrukuPrzelewu"), 1);

    QUserdb->Close();
    QUserdb->Open();
    // After the open, so that a card opened for the main grid's subscriber asks about that one.
    const QString bsa = GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select UADD_TAURONBSA from UserdbAdd where UADD_INDEXUSER=:p1"), {UserIndex});
    DanePodstawowe->ImageTauronBsa->setVisible(!bsa.isEmpty());
    MenuItem(QStringLiteral("Zamówienie BSA Tauron"))->setVisible(true);

    bindSharedDetails();
    PageControl1->setTabText(2, NotesTabCaption(CountUserNotes(UserIndex)));
    for (int i = 0; i < 7; ++i)
        Pages.ZmiennaOpis[i]->setText(ReadIniString(0, QStringLiteral("ZmiennaTxtOpis%1").arg(i + 1),
                                                    QStringLiteral("Opis zmiennej %1").arg(i + 1)));
    onDataChanged();
    Urzadzenia->CardShown();
    if (QUserdb->Active() && !QUserdb->IsEmpty())
        LogEventDetailed(UserCardLogText(QUserdb->FieldByName(kKey)->AsInteger()));
}

void TFormUser::bindSharedDetails()
{
    if (!Data) return;
    const std::pair<TQuery*, TCardGrid*> details[] = {{Data->QOplaty.get(), Pages.GridOplaty},
                                                      {Data->QUserFvPozycje.get(), Pages.GridSzablon},
                                                      {Data->QZlecenia.get(), Pages.GridZlecenia},
                                                      {Data->QUmowy.get(), Pages.GridUmowy},
                                                      {Data->QPm.get(), Pages.GridPm}};
    // The shared detail datasets follow the card's subscriber while it is shown.
    if (TQuery* mac = Data->QMac.get()) {
        mac->SetMasterSource(QUserdb.get());
        mac->Close();
        mac->Open();
    }
    for (const auto& [q, grid] : details) {
        if (!q) continue;
        q->SetMasterSource(QUserdb.get());
        q->Close();
        q->Open();
        grid->Bind(q);
    }
    DBGrid1->Bind(Data->QMac.get());
    DBGrid1->SetSortMark(CardDeviceSortColumn, CardDeviceSortOrder);
}

void TFormUser::onHide()
{
    if (OrdersListCaptionChanged) OrdersListCaptionChanged(OrdersListCaption());
    ReleaseUserCardBindings();
    UserIndex = 0;
}

void TFormUser::ReleaseUserCardBindings()
{
    DanePodstawowe->ShowRecord(nullptr);
    QUserUwagi->SetMasterSource(nullptr);
    QMac_hist->SetMasterSource(nullptr);
    QOplaty_hist->SetMasterSource(nullptr);
    for (TCardGrid* g : {Pages.GridNotatki, Pages.GridMacHist, Pages.GridMacHistUpdate, Pages.GridOplatyHist,
                         Pages.GridOplatyHistUpdate})
        g->Bind(nullptr);
    if (Data) {
        for (TQuery* q : {Data->QMac.get(), Data->QOplaty.get(), Data->QUserFvPozycje.get(),
                          Data->QZlecenia.get(), Data->QUmowy.get(), Data->QPm.get()})
            if (q) q->SetMasterSource(nullptr);
    }
    for (TCardGrid* g :
         {Pages.GridOplaty, Pages.GridSzablon, Pages.GridZlecenia, Pages.GridUmowy, Pages.GridPm})
        g->Bind(nullptr);
    DBGrid1->Bind(nullptr);
    for (TQuery* q : {QMac_hist_update.get(), QMac_hist.get(), QOplaty_hist_update.get(), QOplaty_hist.get(),
                      QUserUwagi.get()})
        q->Close();
    DeleteEmptyUserNotes(UserIndex);
    QUserdb->Close();
}

// ---------------------------------------------------------------- data

void TFormUser::onDataChanged()
{
    const TQuery* q = QUserdb->Active() ? QUserdb.get() : nullptr;
    DanePodstawowe->ShowRecord(q);
    LabelUzytkownik->SetCaption(fieldText("vU_NazwiskoImie"));
    for (TDbText* t : Pages.Zmienna) {
        const TField* f = q && !q->IsEmpty() ? q->FindField(t->Field()) : nullptr;
        t->setText(f ? f->AsString() : QString());
    }
}

void TFormUser::RefreshBasicData()
{
    RefreshQuery(QUserdb.get(), kKey);
    if (Data) RefreshQuery(Data->QMac.get(), QStringLiteral("M_INDEX"));
}

void TFormUser::RefreshAll()
{
    RefreshQuery(QUserdb.get(), kKey);
    if (Data) {
        RefreshQuery(Data->QMac.get(), QStringLiteral("M_INDEX"));
        RefreshQuery(Data->QZlecenia.get(), QStringLiteral("ZS_INDEX"));
        RefreshQuery(Data->QOplaty.get(), QStringLiteral("O_INDEX"));
        RefreshQuery(Data->QUserFvPozycje.get(), QStringLiteral("UFV_INDEX"));
        RefreshQuery(Data->QUmowy.get(), QStringLiteral("UM_INDEX"));
        RefreshQuery(Data->QPm.get(), QStringLiteral("PM_INDEX"));
    }
    RefreshQuery(QMac_hist.get(), QStringLiteral("M_INDEX"));
    RefreshQuery(QMac_hist_update.get(), QStringLiteral("M_INDEX"));
    RefreshQuery(QOplaty_hist.get(), QStringLiteral("O_INDEX"));
    RefreshQuery(QOplaty_hist_update.get(), QStringLiteral("O_INDEX"));
    RefreshQuery(QUserUwagi.get(), QStringLiteral("UU_INDEX"));
}

void TFormUser::navigate(int step)
{
    if (!Data || !Data->QUserdb || !Data->QUserdb->Active()) return;
    TQuery* main = Data->QUserdb.get();
    switch (step) {
    case -2:
        main->First();
        break;
    case -1:
        main->Prior();
        break;
    case 1:
        main->Next();
        break;
    default:
        main->Last();
        break;
    }
    if (main->IsEmpty()) return;
    // The card follows the main grid.
    UserIndex = main->FieldByName(kKey)->AsInteger();
    RefreshAll();
}

void TFormUser::onTabChanged(int index)
{
    if (!QUserdb->Active()) return;
    const auto openOrRefresh = [](TQuery* q, const QString& key) {
        if (q->Active())
            RefreshQuery(q, key);
        else
            q->Open();
    };
    switch (index) {
    case 0:
        RefreshBasicData();
        break;
    case 1:
        Wplaty->PaymentsTabShown();
        break;
    case 2:
        QUserUwagi->SetMasterSource(QUserdb.get());
        Pages.GridNotatki->Bind(QUserUwagi.get());
        openOrRefresh(QUserUwagi.get(), QStringLiteral("UU_INDEX"));
        break;
    case 6:
        QMac_hist->SetMasterSource(QUserdb.get());
        Pages.GridMacHist->Bind(QMac_hist.get());
        Pages.GridMacHistUpdate->Bind(QMac_hist_update.get());
        openOrRefresh(QMac_hist.get(), QStringLiteral("M_INDEX"));
        openOrRefresh(QMac_hist_update.get(), QStringLiteral("M_INDEX"));
        Urzadzenia->HistoryShown();
        break;
    case 7:
        QOplaty_hist->SetMasterSource(QUserdb.get());
        Pages.GridOplatyHist->Bind(QOplaty_hist.get());
        Pages.GridOplatyHistUpdate->Bind(QOplaty_hist_update.get());
        openOrRefresh(QOplaty_hist.get(), QStringLiteral("O_INDEX"));
        openOrRefresh(QOplaty_hist_update.get(), QStringLiteral("O_INDEX"));
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- commands

void TFormUser::openLink(const QString& field)
{
    if (field == QLatin1String("vU_ADR_Adres") || field == QLatin1String("vU_LOK_Adres2") ||
        field == QLatin1String("vU_KOR_Adres")) {
        const char* source = field == QLatin1String("vU_ADR_Adres")    ? "vU_ADR_Adres"
                             : field == QLatin1String("vU_LOK_Adres2") ? "vU_LOK_Google"
                                                                       : "vU_KOR_Google";
        const QString url = AddressMapUrl(fieldText(source));
        if (!url.isEmpty()) OpenUrl(url);
    } else if (field == QLatin1String("U_GEOLOK")) {
        OpenUrl(CoordinatesMapUrl(fieldText("U_GEOLOK_SZEROKOSC"), fieldText("U_GEOLOK_DLUGOSC")));
    } else if (field == QLatin1String("U_NRGG")) {
        if (!QDesktopServices::openUrl(QUrl(QStringLiteral("gg:") + fieldText("U_NRGG"))))
            TMD::MessageDlg(QStringLiteral("Błąd wywołania GG"), mtError, mbOK);
    } else if (field == QLatin1String("U_EMAIL")) {
        notAvailable(QStringLiteral("Wyślij wiadomość email"));
    } else if (field == QLatin1String("U_TEL1") || field == QLatin1String("U_TEL2")) {
        notAvailable(QStringLiteral("Wyślij SMS"));
    }
}

void TFormUser::clearTeryt()
{
    if (TMD::MessageDlg(QStringLiteral("Czy usunąć uzgodnienie lokalizacji wg. TERYT dla użytkownika?"),
                        mtConfirmation, mbYes | mbNo) == mrNo)
        return;
    ClearUserTeryt(fieldText("U_INDEX").toInt());
    RefreshQuery(QUserdb.get(), kKey);
}

void TFormUser::saveFilesToFolder()
{
    const QStringList files = ChooseFiles ? ChooseFiles() : QStringList();
    if (files.isEmpty()) return;
    const int copied = CopyFilesToFolder(files, UserFilesFolder(UserIndex));
    TMD::MessageDlg(QStringLiteral("Skopiowanych plików: \n%1").arg(copied), mtInformation, mbOK);
}

void TFormUser::showFolder()
{
    const QString folder = UserFilesFolder(UserIndex);
    if (QDir(folder).exists())
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    else
        TMD::MessageDlg(QStringLiteral("Katalog z plikami użytkownika nie istnieje.\n") + folder, mtWarning,
                        mbOK);
}

void TFormUser::tauronOrder()
{
    if (RightDenied(2)) return;
    if (mainGridText("U_TER_SYM").isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Brak uzgodnień TERYT dla użytkownika"), mtError, mbOK);
        return;
    }
    notAvailable(QStringLiteral("Zamówienie BSA Tauron"));
}

// ---------------------------------------------------------------- layout

void TFormUser::LoadLayout()
{
    TUserCardLayout defaults;
    defaults.WindowHeight = height();
    defaults.DevicePanelHeight = GripPanel1->height();
    defaults.TemplatePanelHeight = GripPanel3->height();
    const TUserCardLayout l = ReadUserCardLayout(defaults);
    resize(width(), l.WindowHeight);
    CardDeviceSortOrder = l.SortOrder;
    CardDeviceSortColumn = l.SortColumn;
    CardDeviceSortFields[0] = l.SortField;
    LoadGridLayout(this, DBGrid1);
    DBGrid1->SetSortMark(CardDeviceSortColumn, CardDeviceSortOrder);
    GripPanel1->SetSize(l.DevicePanelHeight);
    GripPanel3->SetSize(l.TemplatePanelHeight);
}

void TFormUser::SaveLayout()
{
    TUserCardLayout l;
    l.WindowHeight = isMaximized() ? 0 : height();
    l.SortField = CardDeviceSortFields[0];
    l.SortColumn = CardDeviceSortColumn;
    l.SortOrder = CardDeviceSortOrder == 1 || CardDeviceSortOrder == 2 ? CardDeviceSortOrder : 0;
    l.DevicePanelHeight = GripPanel1->height();
    l.TemplatePanelHeight = GripPanel3->height();
    WriteUserCardLayout(l);
}

// ---------------------------------------------------------------- entry point

void ShowUserCard(int userIndex)
{
    if (userIndex == 0) return;
    if (!FormUser) FormUser = new TFormUser(nullptr);
    const double start = DateTimeToDouble(QDateTime::currentDateTime());
    FormUser->UserIndex = userIndex;
    FormUser->exec();
    const double end = DateTimeToDouble(QDateTime::currentDateTime());
    if (UserCardShownLong(start, end)) {
        WaitProcessingMessages(10);
        if (Data && Data->QUserdb && Data->QUserdb->Active()) RefreshQuery(Data->QUserdb.get(), kKey);
    }
}
