// The main window's widgets: the two button columns, the subscriber tab
// with its filter panel, the device tab and the status bar.
#include "mainwindow/Glowny.h"

#include "core/DataModule.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/Definicje.h"
#include "mainwindow/GlownyInfraTab.h"
#include "mainwindow/GlownyUserGrid.h"
#include "registers/UmowaDodaj.h"
#include "registers/UmowyLista.h"
#include "registers/ZleceniaLista.h"
#include "registers/ZlecenieDodaj.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QCheckBox* NamedCheckBox(const QString& name, const QString& caption, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QFrame* Separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel* Heading(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace

void TFormGlowny::buildUi()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    root->setMenuBar(MainMenu1);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(4, 4, 4, 2);
    body->setSpacing(4);
    body->addWidget(buildSidePanel());

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(false);
    TabUzytkownicy = buildUserTab();
    PageControl1->addTab(TabUzytkownicy, QStringLiteral("Użytkownicy"));
    TabInfrastruktura = new TGlownyInfraTab(this);
    PageControl1->addTab(TabInfrastruktura, QStringLiteral("Infrastruktura"));
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int i) {
        if (i == 0 && DBGrid1) DBGrid1->setFocus();
    });
    body->addWidget(PageControl1, 1);
    root->addLayout(body, 1);

    buildStatusBar();
    root->addWidget(StatusBar1);
    buildMenus();
    connectUserTab();

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setVisible(false);

    resize(1280, 800);
    setMinimumSize(900, 560);
}

// ---------------------------------------------------------------- button columns

QPushButton* TFormGlowny::sideButton(const QString& caption, std::function<void()> handler)
{
    auto* b = new QPushButton(caption, this);
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumHeight(26);
    if (!handler) handler = [this, caption] { notAvailable(caption); };
    connect(b, &QPushButton::clicked, this, [this, handler] { RunGuarded(handler); });
    return b;
}

QWidget* TFormGlowny::buildSidePanel()
{
    auto* side = new QWidget(this);
    side->setObjectName(QStringLiteral("ThemedPanel10"));
    side->setFixedWidth(156);
    auto* l = new QVBoxLayout(side);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(3);

    l->addWidget(Heading(QStringLiteral("Listy"), side));
    SpeedButtonListaFaktur = sideButton(QStringLiteral("Lista faktur"), [this] {
        openList(QStringLiteral("Faktury - lista"), 2, ListOpeners.fvLista);
    });
    SpeedButtonListaPz = sideButton(QStringLiteral("Lista PZ"), [this] {
        openList(QStringLiteral("Polecenia zapłaty - lista"), 2, ListOpeners.pzLista);
    });
    SpeedButtonListaWplat = sideButton(QStringLiteral("Lista wpłat (KP)"), [this] {
        openList(QStringLiteral("Opłaty (KP) - lista"), 2, ListOpeners.oplatyLista);
    });
    for (QPushButton* b : {SpeedButtonListaFaktur, SpeedButtonListaPz, SpeedButtonListaWplat})
        l->addWidget(b);
    l->addWidget(sideButton(QStringLiteral("Lista umów"), ShowUmowyLista));
    l->addWidget(sideButton(QStringLiteral("Lista urządzeń")));
    SpeedButtonEx29 = sideButton(QStringLiteral("Lista zleceń"), ShowZleceniaLista);
    SpeedButtonEx29->setObjectName(QStringLiteral("SpeedButtonEx29"));
    l->addWidget(SpeedButtonEx29);
    SpeedButtonEx9 = sideButton(QStringLiteral("Poczekalnia"), [this] {
        if (RightDenied(4)) return;
        SetRadioGroup1Index(RadioGroup1Index() == 3 ? 1 : 3);
        applyFilters();
    });
    SpeedButtonEx9->setObjectName(QStringLiteral("SpeedButtonEx9"));
    l->addWidget(SpeedButtonEx9);
    l->addWidget(sideButton(QStringLiteral("KSeF - Pobrane"), [this] {
        OpenKsefReceived ? OpenKsefReceived() : notAvailable(QStringLiteral("KSeF - Pobrane"));
    }));
    l->addSpacing(6);
    l->addWidget(Separator(side));

    auto* panel11 = new QWidget(side);
    panel11->setObjectName(QStringLiteral("ThemedPanel11"));
    auto* l2 = new QVBoxLayout(panel11);
    l2->setContentsMargins(0, 0, 0, 0);
    l2->setSpacing(3);
    l2->addWidget(Heading(QStringLiteral("Narzędzia"), panel11));
    SpeedButtonEx20 = sideButton(QStringLiteral("Generowanie faktur"), [this] { SpeedButtonEx20Click(); });
    SpeedButtonEx20->setObjectName(QStringLiteral("SpeedButtonEx20"));
    l2->addWidget(SpeedButtonEx20);
    l2->addWidget(sideButton(QStringLiteral("Wydruk faktur"), [this] {
        OpenBulkOutput ? OpenBulkOutput() : notAvailable(QStringLiteral("Wydruk faktur"));
    }));
    l2->addWidget(sideButton(QStringLiteral("KSeF"),
                             [this] { OpenKsef ? OpenKsef() : notAvailable(QStringLiteral("KSeF")); }));
    SpeedButtonPm = sideButton(QStringLiteral("Płatności masowe"), [this] { PlatnosciMasoweClick(); });
    SpeedButtonPm->setObjectName(QStringLiteral("SpeedButtonPm"));
    l2->addWidget(SpeedButtonPm);
    l2->addWidget(sideButton(QStringLiteral("Archiwizacja"), [this] { ArchiveCommand(); }));
    l2->addSpacing(6);
    l2->addWidget(sideButton(QStringLiteral("Definicje i szablony"), [] { ShowDefinicje(0); }));
    l2->addWidget(sideButton(QStringLiteral("Konfiguracja"), [this] { OpenSettings(); }));
    l2->addSpacing(6);
    l2->addWidget(sideButton(QStringLiteral("vOVE - wyślij")));
    Label3 = new QLabel(panel11);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setWordWrap(true);
    l2->addWidget(Label3);
    l->addWidget(panel11);
    l->addStretch(1);
    l->addWidget(buildThemedPanel20(side));
    return side;
}

// ---------------------------------------------------------------- subscriber tab

QWidget* TFormGlowny::buildUserTab()
{
    auto* tab = new QWidget(this);
    tab->setObjectName(QStringLiteral("TabUzytkownicy"));
    auto* l = new QVBoxLayout(tab);
    l->setContentsMargins(4, 4, 4, 4);
    l->setSpacing(4);

    auto* buttons = new QWidget(tab);
    buttons->setObjectName(QStringLiteral("ThemedPanel3"));
    auto* bl = new QHBoxLayout(buttons);
    bl->setContentsMargins(0, 0, 0, 0);
    bl->setSpacing(3);
    bl->addWidget(sideButton(QStringLiteral("Dodaj"), [this] { addUser(); }));
    bl->addWidget(sideButton(QStringLiteral("Edytuj"), [this] { editUser(); }));
    SpeedButtonEx8 = sideButton(QStringLiteral("Przeglądaj"), [this] { openUserCard(); });
    SpeedButtonEx8->setObjectName(QStringLiteral("SpeedButtonEx8"));
    bl->addWidget(SpeedButtonEx8);
    bl->addWidget(sideButton(QStringLiteral("Usuń")));
    bl->addSpacing(10);
    bl->addWidget(sideButton(QStringLiteral("Dodaj wpłatę (KP)"), [this] { addPayment(); }));
    SpeedButtonEx21 = sideButton(QStringLiteral("Wystaw fakturę"), [this] { issueInvoice(false); });
    SpeedButtonEx21->setObjectName(QStringLiteral("SpeedButtonEx21"));
    bl->addWidget(SpeedButtonEx21);
    SpeedButtonEx23 = sideButton(QStringLiteral("Wystaw PZ"), [this] { SpeedButtonEx23Click(); });
    SpeedButtonEx23->setObjectName(QStringLiteral("SpeedButtonEx23"));
    bl->addWidget(SpeedButtonEx23);
    bl->addWidget(sideButton(QStringLiteral("Dodaj umowę"), [this] { AddUmowa(CurrentUserIndex()); }));
    bl->addWidget(sideButton(QStringLiteral("Otwórz zlecenie"), [this] { AddZlecenie(CurrentUserIndex()); }));
    bl->addWidget(sideButton(QStringLiteral("Drukuj")));
    bl->addStretch(1);
    for (QPushButton* b : buttons->findChildren<QPushButton*>())
        b->setMinimumWidth(b->sizeHint().width());
    l->addWidget(buttons);

    m_userSplitter = new QSplitter(Qt::Horizontal, tab);
    m_userSplitter->setChildrenCollapsible(false);
    m_userSplitter->addWidget(buildFilterPanel());

    auto* right = new QWidget(m_userSplitter);
    auto* rl = new QVBoxLayout(right);
    rl->setContentsMargins(0, 0, 0, 0);
    rl->setSpacing(4);

    DBGrid1 = new QTableView(right);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setAlternatingRowColors(false);
    DBGrid1->setWordWrap(false);
    DBGrid1->setTabKeyNavigation(false);
    DBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    DBGrid1->verticalHeader()->setVisible(false);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid1->horizontalHeader()->setSectionsMovable(true);
    DBGrid1->horizontalHeader()->setHighlightSections(false);
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    DBGrid1->horizontalHeader()->setMinimumSectionSize(18);
    DBGrid1->setShowGrid(true);
    DBGrid1->setGridStyle(Qt::DotLine);
    rl->addWidget(DBGrid1, 1);
    for (const auto& [caption, mode] :
         {std::pair{"Zaznacz widocznych", 0}, std::pair{"Odznacz widocznych", 1},
          std::pair{"Usuń zaznaczenie wszystkich", 2}}) {
        auto* a = new QAction(QString::fromUtf8(caption), DBGrid1);
        const int m = mode;
        connect(a, &QAction::triggered, this, [this, m] { RunGuarded([this, m] { tickVisible(m); }); });
        DBGrid1->addAction(a);
    }
    for (const auto& [caption, show] : {std::pair{"Pokaz faktury", &TFormGlowny::ShowUserInvoices},
                                        std::pair{"Pokaż PZ", &TFormGlowny::ShowUserDemands}}) {
        auto* a = new QAction(QString::fromUtf8(caption), DBGrid1);
        const auto handler = show; // a structured binding is not captured
        connect(a, &QAction::triggered, this,
                [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
        DBGrid1->addAction(a);
    }

    m_userSplitter->addWidget(right);
    m_userSplitter->setStretchFactor(0, 0);
    m_userSplitter->setStretchFactor(1, 1);
    m_userSplitter->setSizes({300, 1000});
    l->addWidget(m_userSplitter, 1);
    return tab;
}

QWidget* TFormGlowny::buildFilterPanel()
{
    GripPanel2 = new QWidget(this);
    GripPanel2->setObjectName(QStringLiteral("GripPanel2"));
    GripPanel2->setMinimumWidth(292);
    auto* l = new QVBoxLayout(GripPanel2);
    l->setContentsMargins(0, 0, 4, 0);
    l->setSpacing(4);

    // Search row.
    auto* search = new QHBoxLayout;
    search->setSpacing(2);
    Edit1 = new QLineEdit(GripPanel2);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setPlaceholderText(QStringLiteral("Szukaj..."));
    search->addWidget(Edit1, 1);
    SpeedButtonEx2 = new QToolButton(GripPanel2);
    SpeedButtonEx2->setObjectName(QStringLiteral("SpeedButtonEx2"));
    SpeedButtonEx2->setIcon(style()->standardIcon(QStyle::SP_LineEditClearButton));
    SpeedButtonEx2->setEnabled(false);
    search->addWidget(SpeedButtonEx2);
    SpeedButtonEx1 = new QToolButton(GripPanel2);
    SpeedButtonEx1->setObjectName(QStringLiteral("SpeedButtonEx1"));
    SpeedButtonEx1->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    SpeedButtonEx1->setToolTip(QStringLiteral("Refresh"));
    search->addWidget(SpeedButtonEx1);
    l->addLayout(search);

    auto* searchOpts = new QHBoxLayout;
    CheckBox8 = NamedCheckBox(QStringLiteral("CheckBox8"), QStringLiteral("!"), GripPanel2);
    CheckBox8->setToolTip(QStringLiteral("Wyklucz słowa lub frazę"));
    searchOpts->addWidget(CheckBox8);
    CheckBox12 =
        NamedCheckBox(QStringLiteral("CheckBox12"), QStringLiteral("Szukaj w sortowanej"), GripPanel2);
    searchOpts->addWidget(CheckBox12);
    searchOpts->addStretch(1);
    SpeedButtonEx50 = new QToolButton(GripPanel2);
    SpeedButtonEx50->setObjectName(QStringLiteral("SpeedButtonEx50"));
    SpeedButtonEx50->setIcon(QIcon(UserGridIcon(TUserIcon::Hurt)));
    SpeedButtonEx50->setAutoRaise(true);
    searchOpts->addWidget(SpeedButtonEx50);
    l->addLayout(searchOpts);

    RadioGroup1 = new QGroupBox(QStringLiteral("Pokaż użytkowników"), GripPanel2);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* rg = new QGridLayout(RadioGroup1);
    rg->setContentsMargins(6, 4, 6, 4);
    rg->setVerticalSpacing(2);
    m_radioGroup1 = new QButtonGroup(this);
    const char* items[] = {"wszystkich", "aktywnych", "nieaktywnych", "poczekalnia"};
    for (int i = 0; i < 4; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(items[i]), RadioGroup1);
        m_radioGroup1->addButton(r, i);
        rg->addWidget(r, i / 2, i % 2);
    }
    m_radioGroup1->button(0)->setChecked(true);
    l->addWidget(RadioGroup1);

    auto* filters = new QGroupBox(QStringLiteral("Filtry"), GripPanel2);
    auto* fl = new QGridLayout(filters);
    fl->setContentsMargins(6, 4, 6, 4);
    fl->setVerticalSpacing(2);
    fl->setHorizontalSpacing(4);
    int row = 0;
    CheckBox1 = NamedCheckBox(QStringLiteral("CheckBox1"), QStringLiteral("Z zaległym saldem"), filters);
    fl->addWidget(CheckBox1, row++, 0, 1, 2);
    ComboBox1 = new QComboBox(filters);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(
        {QStringLiteral("wszyscy"), QStringLiteral("blokowani"), QStringLiteral("powiadamiani")});
    fl->addWidget(ComboBox1, row++, 0, 1, 2);
    for (const auto& [name, caption] :
         {std::pair{"CheckBox2", "Z terminarzem"}, std::pair{"CheckBox5", "Bez kwoty abonamentu"},
          std::pair{"CheckBox6", "Wykluczonych z \"fakturowania\""},
          std::pair{"CheckBox7", "Z nieuzgodnionym TERYTem"},
          std::pair{"CheckBox10", "Bez przypisanych urządzeń"}}) {
        auto* box = NamedCheckBox(QString::fromUtf8(name), QString::fromUtf8(caption), filters);
        fl->addWidget(box, row++, 0, 1, 2);
        if (qstrcmp(name, "CheckBox2") == 0) CheckBox2 = box;
        if (qstrcmp(name, "CheckBox5") == 0) CheckBox5 = box;
        if (qstrcmp(name, "CheckBox6") == 0) CheckBox6 = box;
        if (qstrcmp(name, "CheckBox7") == 0) CheckBox7 = box;
        if (qstrcmp(name, "CheckBox10") == 0) CheckBox10 = box;
    }
    CheckBox14 = NamedCheckBox(QStringLiteral("CheckBox14"), QStringLiteral("Oznaczone jako FIRMA"), filters);
    CheckBox19 = NamedCheckBox(QStringLiteral("CheckBox19"), QStringLiteral("!"), filters);
    fl->addWidget(CheckBox14, row, 0);
    fl->addWidget(CheckBox19, row++, 1, Qt::AlignRight);
    CheckBox16 = NamedCheckBox(QStringLiteral("CheckBox16"), QStringLiteral("Zaznaczeni w karcie"), filters);
    fl->addWidget(CheckBox16, row++, 0, 1, 2);
    CheckBox21 = NamedCheckBox(QStringLiteral("CheckBox21"), QStringLiteral("Zaznaczeni"), filters);
    CheckBox22 = NamedCheckBox(QStringLiteral("CheckBox22"), QStringLiteral("!"), filters);
    fl->addWidget(CheckBox21, row, 0);
    fl->addWidget(CheckBox22, row++, 1, Qt::AlignRight);

    auto* podmiot = new QWidget(filters);
    podmiot->setObjectName(QStringLiteral("ThemedPanel25"));
    auto* pl = new QHBoxLayout(podmiot);
    pl->setContentsMargins(0, 0, 0, 0);
    CheckBox20 = NamedCheckBox(QStringLiteral("CheckBox20"), QStringLiteral("Podmiot"), podmiot);
    pl->addWidget(CheckBox20);
    ComboBox3 = new QComboBox(podmiot);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    pl->addWidget(ComboBox3, 1);
    fl->addWidget(podmiot, row++, 0, 1, 2);

    auto* geo = new QHBoxLayout;
    CheckBox23 = NamedCheckBox(QStringLiteral("CheckBox23"), QStringLiteral(":"), filters);
    geo->addWidget(CheckBox23);
    ComboBox4 = new QComboBox(filters);
    ComboBox4->setObjectName(QStringLiteral("ComboBox4"));
    ComboBox4->addItems({QStringLiteral("bez przypisanych GEO"), QStringLiteral("z przypisanymi GEO"),
                         QStringLiteral("z ręcznym przypisaniem GEO")});
    geo->addWidget(ComboBox4, 1);
    fl->addLayout(geo, row++, 0, 1, 2);

    auto* range = new QHBoxLayout;
    range->setSpacing(3);
    CheckBox18 = NamedCheckBox(QStringLiteral("CheckBox18"), QStringLiteral("Pokaż zakres od"), filters);
    range->addWidget(CheckBox18);
    SpinEdit1 = new QSpinBox(filters);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit2 = new QSpinBox(filters);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    for (QSpinBox* s : {SpinEdit1, SpinEdit2}) {
        s->setRange(1, 999999999);
        s->setValue(1);
        s->setButtonSymbols(QAbstractSpinBox::NoButtons);
        s->setMinimumWidth(40);
        s->setMaximumWidth(70);
    }
    range->addWidget(SpinEdit1, 1);
    range->addWidget(SpinEdit2, 1);
    range->addWidget(new QLabel(QStringLiteral("kolejnych"), filters));
    fl->addLayout(range, row++, 0, 1, 2);
    l->addWidget(filters);

    GrupyUserListView = new QTreeWidget(GripPanel2);
    GrupyUserListView->setObjectName(QStringLiteral("GrupyUserListView"));
    GrupyUserListView->setColumnCount(2);
    GrupyUserListView->setHeaderLabels({QStringLiteral("Pokaż użytkowników z grupy"), QStringLiteral("ID")});
    GrupyUserListView->setColumnHidden(1, true);
    GrupyUserListView->setRootIsDecorated(false);
    GrupyUserListView->setUniformRowHeights(true);
    GrupyUserListView->header()->setSectionsClickable(true);
    GrupyUserListView->header()->setStretchLastSection(true);
    GrupyUserListView->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const auto& [caption, mode] : {std::pair{"Zaznacz wszystkie", 0}, std::pair{"Odznacz wszystkie", 1},
                                        std::pair{"Odwróć zaznaczenie", 2}}) {
        auto* a = new QAction(QString::fromUtf8(caption), GrupyUserListView);
        const int m = mode;
        connect(a, &QAction::triggered, this, [this, m] { RunGuarded([this, m] { setGroupChecks(m); }); });
        GrupyUserListView->addAction(a);
    }
    l->addWidget(GrupyUserListView, 1);

    auto* ticks = new QHBoxLayout;
    ticks->addWidget(new QLabel(QStringLiteral("Zaznaczonych:"), GripPanel2));
    Label4 = new QLabel(GripPanel2);
    Label4->setObjectName(QStringLiteral("Label4"));
    ticks->addWidget(Label4, 1);
    l->addLayout(ticks);
    return GripPanel2;
}

// ---------------------------------------------------------------- status bar

void TFormGlowny::buildStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    const int widths[7] = {150, 170, 110, 170, 300, 150, 0};
    for (int i = 0; i < 7; ++i) {
        auto* p = new QLabel(StatusBar1);
        p->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        p->setFrameShape(QFrame::StyledPanel);
        p->setFrameShadow(QFrame::Sunken);
        if (widths[i]) p->setMinimumWidth(widths[i]);
        StatusPanels[i] = p;
        StatusBar1->addWidget(p, widths[i] ? 0 : 1);
    }
    Shape6 = new QLabel(StatusBar1);
    Shape6->setObjectName(QStringLiteral("Shape6"));
    Shape6->setFixedSize(12, 12);
    StatusBar1->addPermanentWidget(Shape6);
    ShowArchiveLamp(1, QStringLiteral("Archiwizacja/Dearchiwizacja... status nieustalony"));
}

void TFormGlowny::resizeEvent(QResizeEvent* e)
{
    if (e) TFormEx::resizeEvent(e);
}
