#include "mainwindow/Definicje.h"

#include "core/DataModule.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Query.h"
#include "core/VatRates.h"
#include "mainwindow/DefinicjeGrid.h"
#include "mainwindow/DefinicjeHooks.h"
#include "mainwindow/DefinicjeRules.h"
#include "network/NetworkCalculator.h"
#include "platform/CodePage.h"
#include "platform/Rtf.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

std::function<QString(const QString&, const QString&)> TFormDefinicje::ChooseFile;

namespace {

std::vector<TQueryColumn> Cols(std::initializer_list<std::pair<const char*, const char*>> cols)
{
    std::vector<TQueryColumn> out;
    for (const auto& [field, title] : cols)
        out.push_back({QLatin1String(field), QString::fromUtf8(title), {}});
    return out;
}

// A whole-row background or font from the row's own fields.
using RowColour = std::function<QVariant(const TQuery& q, int row, int role)>;
TQueryModel::Formatter RowFormatter(RowColour colour)
{
    return [colour](const TQuery& q, int row, int, int role) -> QVariant {
        if (role != Qt::BackgroundRole && role != Qt::ForegroundRole) return {};
        return colour(q, row, role);
    };
}

// The dictionaries that are a list of names and nothing more.
TDictionaryGrid* NameGrid(const char* table, const char* caption, const char* nameField, QWidget* parent)
{
    return new TDictionaryGrid(QLatin1String(table), QString::fromUtf8(caption), Cols({{nameField, "Nazwa"}}),
                               parent);
}

// Deleting a group in use would leave subscribers or devices pointing nowhere.
void RefuseDeletingGroupInUse(TDictionaryGrid* grid, const char* indexField, bool (*inUse)(int),
                              const char* message)
{
    grid->BeforeAction = [grid, indexField, inUse, message](TNavButton b) {
        if (b != TNavButton::Delete || grid->Query()->IsEmpty()) return true;
        if (!inUse(grid->Query()->FieldByName(QLatin1String(indexField))->AsInteger())) return true;
        TMD::MessageDlg(QString::fromUtf8(message), mtWarning, mbOK);
        return false;
    };
}

QString Cell(const TQuery& q, int row, const char* field)
{
    const TField* f = q.FindField(QLatin1String(field));
    return f ? q.CellText(row, f->Index()) : QString();
}

QColor TemplateRowColour(const QString& kind)
{
    static const std::pair<char, QColor> colours[] = {{'U', QColor(255, 0, 0)},
                                                      {'S', QColor(0, 128, 0)},
                                                      {'E', QColor(0, 0, 255)},
                                                      {'M', QColor(128, 128, 0)},
                                                      {'N', QColor(0, 0, 128)}};
    for (const auto& [letter, colour] : colours)
        if (kind == QLatin1Char(letter)) return BlendColors(colour, Qt::white, 2, 1);
    return {};
}

QString ReadTextFile(const QString& path, bool* ok)
{
    QFile f(path);
    *ok = f.open(QIODevice::ReadOnly);
    if (!*ok) return QString();
    const QByteArray bytes = f.readAll();
    // Text files come from Windows in code page 1250 unless they are UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return QString::fromUtf8(IconvConvert(Cp1250Charset, "UTF-8", bytes, true));
}

} // namespace

TFormDefinicje::TFormDefinicje(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormDefinicje"));
    setWindowTitle(QStringLiteral("Definicje i szablony"));
    buildUi();
    // Nothing is bound, so no dataset is read while the window is hidden.
    PageControl1->setCurrentIndex(0);
}

TFormDefinicje::~TFormDefinicje()
{
    unbindAll();
}

std::vector<TDictionaryGrid*> TFormDefinicje::Grids() const
{
    return {GridTypUrzadzenia, GridUslugi,    GridGrupy,       GridRodzajUrzadzenia, GridGrupyInf,
            GridTypLacza,      GridTaryfy,    GridListaSieci,  GridFormyPlatnosci,   GridWan,
            GridProfil,        GridInterface, GridAutoryzacja, GridSzablony};
}

void TFormDefinicje::buildUi()
{
    auto* root = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(buildPage0(), QStringLiteral("Towary/Typ (marka)/Rodzaj/Grupy/Typ łącza"));
    PageControl1->addTab(buildPage1(), QStringLiteral("Taryfy/Formy płatności/Sieci"));
    PageControl1->addTab(buildPage2(), QStringLiteral("Autoryzacja/Profil/Interface/WAN"));
    PageControl1->addTab(buildPage3(), QStringLiteral("Szablony (SMS, email, umowy, wezwania...)"));
    root->addWidget(PageControl1, 1);
    auto* buttons = new QDialogButtonBox(this);
    auto* zamknij = buttons->addButton(QStringLiteral("Zamknij"), QDialogButtonBox::AcceptRole);
    zamknij->setObjectName(QStringLiteral("BitBtn1"));
    zamknij->setAutoDefault(false);
    connect(zamknij, &QPushButton::clicked, this, &QDialog::accept);
    root->addWidget(buttons);
    buildMenus();
    resize(1100, 700);
}

QWidget* TFormDefinicje::buildPage0()
{
    auto* page = new QWidget(this);
    auto* l = new QGridLayout(page);
    GridUslugi = new TDictionaryGrid(QStringLiteral("Uslugi"), QStringLiteral("Towary i usługi"),
                                     Cols({{"USL_NAZWAUSLUGI", "Nazwa"},
                                           {"USL_SYMBOL", "Symbol"},
                                           {"USL_JEDNMIARY", "J.m."},
                                           {"USL_STAWKAVAT_TXT", "VAT"},
                                           {"USL_CENABRUTTO", "Cena brutto"},
                                           {"USL_RABAT", "Rabat"},
                                           {"USL_KOSZTBRUTTO", "Koszt"},
                                           {"USL_CZYJEDNORAZOWA", "Jednoraz."},
                                           {"USL_GTU", "GTU"},
                                           {"USL_GRUPAUSLUG", "Grupa"}}),
                                     page);
    GridUslugi->Formatter = RowFormatter([](const TQuery& q, int row, int role) -> QVariant {
        if (role == Qt::BackgroundRole && Cell(q, row, "USL_CZYJEDNORAZOWA") == QLatin1String("1"))
            return BlendColors(QColor(255, 128, 0), Qt::white, 2, 1);
        return {};
    });
    l->addWidget(GridUslugi, 0, 0, 1, 5);
    GridTypUrzadzenia = NameGrid("TypUrzadzenia", "Typ (marka) urz.", "TU_NAZWA", page);
    GridGrupy = NameGrid("Grupy", "Grupy użytkowników", "GR_NAZWA", page);
    GridRodzajUrzadzenia = NameGrid("RodzajUrzadzenia", "Rodzaj (funkcja) urz.", "RU_NAZWA", page);
    GridGrupyInf = NameGrid("GrupyInf", "Grupy infrastruktury", "GRI_NAZWA", page);
    GridTypLacza = NameGrid("TypLacza", "Typ łącza", "TL_NAZWA", page);
    int c = 0;
    for (TDictionaryGrid* g :
         {GridTypUrzadzenia, GridGrupy, GridRodzajUrzadzenia, GridGrupyInf, GridTypLacza})
        l->addWidget(g, 1, c++);
    l->setRowStretch(0, 3);
    l->setRowStretch(1, 2);

    RefuseDeletingGroupInUse(GridGrupy, "GR_INDEX", &UserGroupInUse, kUserGroupInUse);
    RefuseDeletingGroupInUse(GridGrupyInf, "GRI_INDEX", &InfraGroupInUse, kInfraGroupInUse);
    return page;
}

QWidget* TFormDefinicje::buildPage1()
{
    auto* page = new QWidget(this);
    auto* l = new QGridLayout(page);
    GridTaryfy = new TDictionaryGrid(QStringLiteral("Taryfy"), QStringLiteral("Taryfy"),
                                     Cols({{"TAR_NAZWA", "Nazwa"},
                                           {"TAR_PASMODOWNLOADDZIENTXT", "Down D"},
                                           {"TAR_PASMOUPLOADDZIENTXT", "Up D"},
                                           {"TAR_PASMODOWNLOADNOCTXT", "Down N"},
                                           {"TAR_PASMOUPLOADNOCTXT", "Up N"},
                                           {"TAR_OPIS", "Opis"}}),
                                     page);
    for (const char* f : {"TAR_PASMODOWNLOADDZIENTXT", "TAR_PASMOUPLOADDZIENTXT", "TAR_PASMODOWNLOADNOCTXT",
                          "TAR_PASMOUPLOADNOCTXT"})
        GridTaryfy->PickLists[QLatin1String(f)] = BandwidthPickList();
    l->addWidget(GridTaryfy, 0, 0, 1, 2);

    auto* sieci = new QWidget(page);
    auto* sl = new QVBoxLayout(sieci);
    sl->setContentsMargins(0, 0, 0, 0);
    GridListaSieci =
        new TDictionaryGrid(QStringLiteral("ListaSieci"), QStringLiteral("Lista sieci (klas adresowych)"),
                            Cols({{"SIEC_NAZWA", "Nazwa"},
                                  {"SIEC_IP", "Adresacja"},
                                  {"SIEC_MASKA", "Maska"},
                                  {"SIEC_OPIS", "Opis"}}),
                            sieci);
    GridListaSieci->Formatter = RowFormatter([](const TQuery& q, int row, int role) -> QVariant {
        if (role == Qt::ForegroundRole && Cell(q, row, "SIEC_CZYAKTYWNA") == QLatin1String("0"))
            return QColor(0xC0, 0xC0, 0xC0);
        return {};
    });
    GridListaSieci->AfterAction = [this] { ShowNetworkInfo(); };
    GridListaSieci->Grid->installEventFilter(this);
    GridListaSieci->Grid->viewport()->installEventFilter(this);
    sl->addWidget(GridListaSieci, 1);
    auto* row = new QHBoxLayout;
    CheckSiecAktywna = new QCheckBox(QStringLiteral("Sieć aktywna"), sieci);
    CheckSiecAktywna->setObjectName(QStringLiteral("DBCheckBox1"));
    connect(CheckSiecAktywna, &QCheckBox::clicked, this, [this](bool on) {
        RunGuarded([this, on] {
            TQuery* q = GridListaSieci->Query();
            if (!q || !q->Active() || q->IsEmpty()) return;
            if (q->State() == dsBrowse) q->Edit();
            q->FieldByName(QStringLiteral("SIEC_CZYAKTYWNA"))->SetAsInteger(on ? 1 : 0);
        });
    });
    row->addWidget(CheckSiecAktywna);
    row->addStretch(1);
    sl->addLayout(row);
    sl->addWidget(buildNetworkInfo(sieci));
    l->addWidget(sieci, 1, 0);

    GridFormyPlatnosci =
        new TDictionaryGrid(QStringLiteral("FormyPlatnosci"), QStringLiteral("Formy płatności"),
                            Cols({{"FP_NAZWA", "Nazwa"}, {"FP_ILOSCDNI", "Dni"}}), page);
    l->addWidget(GridFormyPlatnosci, 1, 1);
    l->setColumnStretch(0, 3);
    l->setColumnStretch(1, 2);
    return page;
}

QWidget* TFormDefinicje::buildNetworkInfo(QWidget* parent)
{
    auto* box = new QGroupBox(QStringLiteral("Informacje o sieci"), parent);
    auto* g = new QGridLayout(box);
    const QStringList captions = NetworkInfoCaptions();
    for (int i = 0; i < 6; ++i) {
        g->addWidget(new QLabel(captions[i], box), i / 2, (i % 2) * 2);
        NetworkLabels[i] = new QLabel(box);
        NetworkLabels[i]->setObjectName(QStringLiteral("NetworkLabel%1").arg(i));
        NetworkLabels[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        g->addWidget(NetworkLabels[i], i / 2, (i % 2) * 2 + 1);
    }
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    return box;
}

QWidget* TFormDefinicje::buildPage2()
{
    auto* page = new QWidget(this);
    auto* l = new QGridLayout(page);
    GridWan = NameGrid("Wan", "WAN", "WAN_NAZWA", page);
    GridProfil = NameGrid("Profil", "Profil", "PROFIL_NAZWA", page);
    GridInterface = NameGrid("Interface", "Interface", "INTERFACE_NAZWA", page);
    GridAutoryzacja = NameGrid("Autoryzacja", "Autoryzacja", "AUT_NAZWA", page);
    l->addWidget(GridWan, 0, 0);
    l->addWidget(GridProfil, 0, 1);
    l->addWidget(GridInterface, 1, 0);
    l->addWidget(GridAutoryzacja, 1, 1);
    return page;
}

QWidget* TFormDefinicje::buildPage3()
{
    auto* page = new QSplitter(Qt::Horizontal, this);
    GridSzablony = new TDictionaryGrid(QStringLiteral("Szablony"), QStringLiteral("Szablony"),
                                       Cols({{"SZ_NAZWA", "Nazwa"}, {"SZ_RODZAJ", "Rodzaj"}}), page);
    GridSzablony->ReadOnlyFields = {QStringLiteral("SZ_RODZAJ")};
    GridSzablony->Formatter = RowFormatter([](const TQuery& q, int row, int role) -> QVariant {
        if (role != Qt::BackgroundRole) return {};
        const QColor c = TemplateRowColour(Cell(q, row, "SZ_RODZAJ"));
        return c.isValid() ? QVariant(c) : QVariant();
    });
    page->addWidget(GridSzablony);
    page->addWidget(buildTemplateEditor(page));
    page->setStretchFactor(0, 2);
    page->setStretchFactor(1, 5);
    page->setSizes({300, 750});
    return page;
}

QWidget* TFormDefinicje::buildTemplateEditor(QWidget* parent)
{
    auto* editor = new QWidget(parent);
    auto* l = new QVBoxLayout(editor);
    l->setContentsMargins(4, 0, 0, 0);

    auto* kindsRow = new QHBoxLayout;
    auto* kinds = new QGroupBox(QStringLiteral("Rodzaj szablonu"), editor);
    kinds->setObjectName(QStringLiteral("RadioGroup1"));
    auto* kg = new QGridLayout(kinds);
    RodzajSzablonu = new QButtonGroup(kinds);
    const auto& all = TemplateKinds();
    for (int i = 0; i < int(all.size()); ++i) {
        auto* b = new QRadioButton(all[size_t(i)].Caption, kinds);
        RodzajSzablonu->addButton(b, i);
        kg->addWidget(b, i / 4, i % 4);
    }
    connect(RodzajSzablonu, &QButtonGroup::idClicked, this,
            [this](int id) { RunGuarded([this, id] { kindClicked(id); }); });
    kindsRow->addWidget(kinds, 1);
    MenuButton = new QToolButton(editor);
    MenuButton->setObjectName(QStringLiteral("SpeedButton1"));
    MenuButton->setText(QStringLiteral("..."));
    connect(MenuButton, &QToolButton::clicked, this, [this] {
        QMenu* menu = RichEdit->isVisible() ? RichMenu : MemoMenu;
        menu->popup(MenuButton->mapToGlobal(QPoint(0, MenuButton->height())));
    });
    kindsRow->addWidget(MenuButton, 0, Qt::AlignBottom);
    l->addLayout(kindsRow);

    SubjectPanel = new QWidget(editor);
    auto* sp = new QHBoxLayout(SubjectPanel);
    sp->setContentsMargins(0, 0, 0, 0);
    SubjectLabel = new QLabel(QStringLiteral("Temat:"), SubjectPanel);
    SubjectEdit = new QLineEdit(SubjectPanel);
    SubjectEdit->setObjectName(QStringLiteral("DBEdit1"));
    sp->addWidget(SubjectLabel);
    sp->addWidget(SubjectEdit, 1);
    l->addWidget(SubjectPanel);

    Memo = new QPlainTextEdit(editor);
    Memo->setObjectName(QStringLiteral("DBMemo1"));
    RichEdit = new QTextEdit(editor);
    RichEdit->setObjectName(QStringLiteral("DBRichEdit1"));
    RichEdit->setAcceptRichText(true);
    l->addWidget(Memo, 1);
    l->addWidget(RichEdit, 1);
    RichEdit->hide();

    for (QWidget* w :
         {static_cast<QWidget*>(Memo), static_cast<QWidget*>(RichEdit), static_cast<QWidget*>(SubjectEdit)})
        w->installEventFilter(this);
    Memo->viewport()->installEventFilter(this);
    RichEdit->viewport()->installEventFilter(this);
    auto dirty = [this] {
        if (!m_loading) m_dirty = true;
    };
    connect(Memo, &QPlainTextEdit::textChanged, this, dirty);
    connect(RichEdit, &QTextEdit::textChanged, this, dirty);
    connect(SubjectEdit, &QLineEdit::textEdited, this, dirty);
    return editor;
}

void TFormDefinicje::buildMenus()
{
    RichMenu = new QMenu(this);
    RichMenu->setObjectName(QStringLiteral("PopupMenu1"));
    connect(RichMenu->addAction(QStringLiteral("Wstaw zmienną tekstową")), &QAction::triggered, this,
            [this] { RunGuarded([this] { insertVariable(true); }); });
    connect(RichMenu->addAction(QStringLiteral("Wczytaj plik RTF")), &QAction::triggered, this,
            [this] { RunGuarded([this] { loadRtfFile(); }); });
    connect(RichMenu->addAction(QStringLiteral("Wskaż dodatkowy plik szablonu w formacie RTF")),
            &QAction::triggered, this, [this] { RunGuarded([this] { addSecondRtf(); }); });
    connect(RichMenu->addAction(QStringLiteral("Usuń dodatkowy plik szablonu")), &QAction::triggered, this,
            [this] { RunGuarded([this] { removeSecondRtf(); }); });
    MemoMenu = new QMenu(this);
    MemoMenu->setObjectName(QStringLiteral("PopupMenu2"));
    connect(MemoMenu->addAction(QStringLiteral("Wstaw zmienną tekstową")), &QAction::triggered, this,
            [this] { RunGuarded([this] { insertVariable(false); }); });
    connect(MemoMenu->addAction(QStringLiteral("Wczytaj plik TXT")), &QAction::triggered, this,
            [this] { RunGuarded([this] { loadTxtFile(); }); });
    RichEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RichEdit, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { RichMenu->popup(RichEdit->mapToGlobal(p)); });
    Memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { MemoMenu->popup(Memo->mapToGlobal(p)); });
}

// ---------------------------------------------------------------- show and close

void TFormDefinicje::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (m_bound) return;
    RunGuarded([this] {
        if (VatRateTexts().isEmpty()) SetVatRateTexts(QDate::currentDate());
        GridUslugi->PickLists[QStringLiteral("USL_STAWKAVAT_TXT")] = VatRateTexts();
        PageControl1->setCurrentIndex(qBound(0, StartPage, PageControl1->count() - 1));
        bindAll();
    });
}

void TFormDefinicje::hideEvent(QHideEvent* e)
{
    TFormEx::hideEvent(e);
    if (!m_bound) return;
    RunGuarded([this] {
        // An edit left open is saved, not lost.
        for (TDictionaryGrid* g : Grids()) {
            TQuery* q = g->Query();
            if (q && (q->State() == dsEdit || q->State() == dsInsert)) q->Post();
        }
    });
    unbindAll();
    StartPage = 0;
    RunGuarded([] { DeleteNamelessRows(); });
}

void TFormDefinicje::bindAll()
{
    if (!Data) return;
    const std::pair<TDictionaryGrid*, std::pair<TQuery*, const char*>> binds[] = {
        {GridUslugi, {Data->QUslugi.get(), "USL_INDEX"}},
        {GridTypUrzadzenia, {Data->QTypUrzadzenia.get(), "TU_INDEX"}},
        {GridRodzajUrzadzenia, {Data->QRodzajUrzadzenia.get(), "RU_INDEX"}},
        {GridGrupy, {Data->QGrupy.get(), "GR_INDEX"}},
        {GridGrupyInf, {Data->QGrupyInf.get(), "GRI_INDEX"}},
        {GridTypLacza, {Data->QTypLacza.get(), "TL_INDEX"}},
        {GridTaryfy, {Data->QTaryfy.get(), "TAR_INDEX"}},
        {GridFormyPlatnosci, {Data->QFormyPlatnosci.get(), "FP_INDEX"}},
        {GridListaSieci, {Data->QListaSieci.get(), "SIEC_INDEX"}},
        {GridAutoryzacja, {Data->QAutoryzacja.get(), "AUT_INDEX"}},
        {GridProfil, {Data->QProfil.get(), "PROFIL_INDEX"}},
        {GridInterface, {Data->QInterface.get(), "INTERFACE_INDEX"}},
        {GridWan, {Data->QWan.get(), "WAN_INDEX"}},
        {GridSzablony, {Data->QSzablony.get(), "SZ_INDEX"}},
    };
    for (const auto& [grid, ds] : binds) {
        TQuery* q = ds.first;
        grid->KeyField = QLatin1String(ds.second);
        if (q->Active())
            RefreshQuery(q, grid->KeyField);
        else
            q->Open();
        grid->Bind(q);
    }
    TQuery* sz = Data->QSzablony.get();
    m_szBeforePost = sz->BeforePost;
    sz->BeforePost = [this](TQuery& q) {
        flushTemplate(q);
        if (m_szBeforePost) m_szBeforePost(q);
    };
    connect(sz, &TQuery::CurrentChanged, this, [this] { loadTemplate(); });
    connect(sz, &TQuery::DataReset, this, [this] { loadTemplate(); });
    TQuery* sieci = Data->QListaSieci.get();
    connect(sieci, &TQuery::CurrentChanged, this, [this] {
        loadSiecAktywna();
        ShowNetworkInfo();
    });
    m_bound = true;
    loadTemplate();
    loadSiecAktywna();
    for (QLabel* l : NetworkLabels)
        l->clear();
}

void TFormDefinicje::unbindAll()
{
    if (!m_bound) return;
    m_bound = false;
    if (Data && Data->QSzablony) {
        Data->QSzablony->BeforePost = m_szBeforePost;
        disconnect(Data->QSzablony.get(), nullptr, this, nullptr);
    }
    if (Data && Data->QListaSieci) disconnect(Data->QListaSieci.get(), nullptr, this, nullptr);
    m_szBeforePost = nullptr;
    for (TDictionaryGrid* g : Grids())
        g->Bind(nullptr);
    QScopedValueRollback guard(m_loading, true);
    Memo->clear();
    RichEdit->clear();
    SubjectEdit->clear();
    m_dirty = false;
}

// ---------------------------------------------------------------- networks

void TFormDefinicje::ShowNetworkInfo()
{
    TQuery* q = GridListaSieci->Query();
    QStringList values(6, QString());
    // SIEC_MASKA is a number: 0 is a row without a prefix length.
    const int prefix =
        q && q->Active() && !q->IsEmpty() ? q->FieldByName(QStringLiteral("SIEC_MASKA"))->AsInteger() : 0;
    if (prefix > 0)
        values =
            NetworkInfoValues(q->FieldByName(QStringLiteral("SIEC_IP"))->AsString(), QString::number(prefix));
    for (int i = 0; i < 6; ++i)
        NetworkLabels[i]->setText(values[i]);
}

void TFormDefinicje::loadSiecAktywna()
{
    TQuery* q = GridListaSieci->Query();
    const bool rows = q && q->Active() && !q->IsEmpty();
    CheckSiecAktywna->setEnabled(rows);
    CheckSiecAktywna->setChecked(rows && q->FieldByName(QStringLiteral("SIEC_CZYAKTYWNA"))->AsInteger() == 1);
}

bool TFormDefinicje::eventFilter(QObject* watched, QEvent* e)
{
    if ((watched == GridListaSieci->Grid && e->type() == QEvent::FocusOut) ||
        (watched == GridListaSieci->Grid->viewport() && e->type() == QEvent::MouseButtonRelease))
        ShowNetworkInfo();
    // Entering a body editor starts editing the template row.
    if (e->type() == QEvent::FocusIn && (watched == Memo || watched == RichEdit || watched == SubjectEdit))
        RunGuarded([this] { editTemplate(); });
    return TFormEx::eventFilter(watched, e);
}

// ---------------------------------------------------------------- templates

void TFormDefinicje::editTemplate()
{
    TQuery* q = GridSzablony->Query();
    if (q && q->Active() && !q->IsEmpty() && q->State() == dsBrowse) q->Edit();
}

int TFormDefinicje::currentTemplateIndex()
{
    TQuery* q = GridSzablony->Query();
    if (!q || !q->Active() || q->IsEmpty()) return 0;
    if (q->State() == dsEdit || q->State() == dsInsert) q->Post();
    return q->FieldByName(QStringLiteral("SZ_INDEX"))->AsInteger();
}

void TFormDefinicje::loadTemplate()
{
    if (!m_bound) return;
    TQuery* q = GridSzablony->Query();
    QScopedValueRollback guard(m_loading, true);
    const bool rows = q && q->Active() && !q->IsEmpty();
    const QString kind = rows ? q->FieldByName(QStringLiteral("SZ_RODZAJ"))->AsString() : QString();
    const QString body = rows ? q->FieldByName(QStringLiteral("SZ_TRESC"))->AsString() : QString();
    SubjectEdit->setText(rows ? q->FieldByName(QStringLiteral("SZ_TEMAT"))->AsString() : QString());
    Memo->setPlainText(body);
    if (LooksLikeRtf(body))
        ReadRtf(body.toUtf8(), RichEdit->document());
    else
        RichEdit->setPlainText(body);
    m_dirty = false;
    for (QWidget* w : {static_cast<QWidget*>(Memo), static_cast<QWidget*>(RichEdit),
                       static_cast<QWidget*>(SubjectEdit), static_cast<QWidget*>(MenuButton)})
        w->setEnabled(rows);
    m_kind = TemplateKindIndex(kind);
    if (QAbstractButton* b = RodzajSzablonu->button(m_kind)) b->setChecked(true);
    applyKind(m_kind);
}

// Writes what the editors hold into the row about to be posted.
void TFormDefinicje::flushTemplate(TQuery& q)
{
    if (!m_dirty) return;
    q.FieldByName(QStringLiteral("SZ_TEMAT"))->SetAsString(SubjectEdit->text());
    q.FieldByName(QStringLiteral("SZ_TRESC"))
        ->SetAsString(TemplateKinds()[size_t(m_kind)].Rich
                          ? QString::fromLatin1(WriteRtf(RichEdit->document()))
                          : Memo->toPlainText());
    m_dirty = false;
}

void TFormDefinicje::kindClicked(int index)
{
    TQuery* q = GridSzablony->Query();
    if (!q || !q->Active() || q->IsEmpty() || index == m_kind) return;
    editTemplate();
    // The body moves from the editor shown so far to the one the kind uses.
    const bool wasRich = TemplateKinds()[size_t(m_kind)].Rich;
    const bool rich = TemplateKinds()[size_t(index)].Rich;
    if (wasRich != rich) {
        QScopedValueRollback guard(m_loading, true);
        if (rich) {
            const QString text = Memo->toPlainText();
            if (LooksLikeRtf(text))
                ReadRtf(text.toUtf8(), RichEdit->document());
            else
                RichEdit->setPlainText(text);
        } else {
            Memo->setPlainText(m_dirty ? QString::fromLatin1(WriteRtf(RichEdit->document()))
                                       : q->FieldByName(QStringLiteral("SZ_TRESC"))->AsString());
        }
    }
    m_kind = index;
    m_dirty = true;
    q->FieldByName(QStringLiteral("SZ_RODZAJ"))->SetAsString(QString(TemplateKinds()[size_t(index)].Letter));
    applyKind(index);
}

void TFormDefinicje::applyKind(int index)
{
    const TTemplateKind& k = TemplateKinds()[size_t(index)];
    SubjectPanel->setVisible(!k.SubjectLabel.isEmpty());
    SubjectLabel->setText(k.SubjectLabel);
    SubjectEdit->setToolTip(k.SubjectHint);
    RichEdit->setVisible(k.Rich);
    Memo->setVisible(!k.Rich);
}

void TFormDefinicje::insertVariable(bool rich)
{
    QString token;
    if (!PickTextVariableOrSay(TemplateKinds()[size_t(m_kind)].VariableKind, &token) || token.isEmpty())
        return;
    editTemplate();
    if (rich)
        RichEdit->textCursor().insertText(token);
    else
        Memo->textCursor().insertText(token);
}

namespace {

QString Choose(const QString& caption, const QString& filter, QWidget* parent)
{
    if (TFormDefinicje::ChooseFile) return TFormDefinicje::ChooseFile(caption, filter);
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

} // namespace

void TFormDefinicje::loadRtfFile()
{
    TQuery* q = GridSzablony->Query();
    if (!q || !q->Active() || q->IsEmpty()) return;
    const QString path =
        Choose(QStringLiteral("Wybierz plik RTF"), QStringLiteral("pliki RTF (*.rtf)"), this);
    if (path.isEmpty()) return;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        TMD::MessageDlg(QStringLiteral("Nie można odczytać pliku %1.").arg(path), mtError, mbOK);
        return;
    }
    editTemplate();
    {
        QScopedValueRollback guard(m_loading, true);
        ReadRtf(f.readAll(), RichEdit->document());
    }
    m_dirty = true;
    q->Post();
}

void TFormDefinicje::loadTxtFile()
{
    TQuery* q = GridSzablony->Query();
    if (!q || !q->Active() || q->IsEmpty()) return;
    const QString path =
        Choose(QStringLiteral("Wybierz plik TXT"), QStringLiteral("pliki TXT (*.txt)"), this);
    if (path.isEmpty()) return;
    bool ok = false;
    const QString text = ReadTextFile(path, &ok);
    if (!ok) {
        TMD::MessageDlg(QStringLiteral("Nie można odczytać pliku %1.").arg(path), mtError, mbOK);
        return;
    }
    editTemplate();
    Memo->setPlainText(text);
    m_dirty = true;
}

void TFormDefinicje::addSecondRtf()
{
    const int index = currentTemplateIndex();
    if (index == 0) return;
    const QString path =
        Choose(QStringLiteral("Wybierz plik RTF"), QStringLiteral("pliki RTF (*.rtf)"), this);
    if (path.isEmpty()) return;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        TMD::MessageDlg(QStringLiteral("Nie można odczytać pliku %1.").arg(path), mtError, mbOK);
        return;
    }
    if (!StoreAdditionalRtf(index, f.readAll())) {
        TMD::MessageDlg(AdditionalRtfTooLongMessage(), mtWarning, mbOK);
        return;
    }
    TMD::MessageDlg(QStringLiteral("Plik został dodany do szablonu."), mtInformation, mbOK);
}

void TFormDefinicje::removeSecondRtf()
{
    const int index = currentTemplateIndex();
    if (index == 0) return;
    RemoveAdditionalRtf(index);
    TMD::MessageDlg(QStringLiteral("Dodatkowy plik szablonu został usunięty"), mtInformation, mbOK);
}

// ---------------------------------------------------------------- opening

void ShowDefinicje(int startPage)
{
    static TFormDefinicje* form = nullptr;
    if (!form) form = new TFormDefinicje();
    form->StartPage = startPage;
    form->exec();
}
