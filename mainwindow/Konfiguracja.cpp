#include "mainwindow/Konfiguracja.h"

#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/KonfiguracjaKlucze.h"
#include "core/MagazynBlob.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/Glowny.h"
#include "mainwindow/KonfiguracjaPola.h"
#include "mainwindow/KonfiguracjaRouter.h"
#include "mainwindow/User.h"
#include "printouts/Email.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

std::function<QString()> TFormKonfiguracja::SmsGatewayBalance;
std::function<QString(const QString& filter)> TFormKonfiguracja::ChooseFile;

namespace {

const char* const kPageCaptions[kKonfPageCount] = {"Ustawienia", "Dokumenty", "Programy zewnętrzne",
                                                   "Intrux",     "SMS",       "Dane firmy",
                                                   "Poczta",     "MikroTik",  "vOVE",
                                                   "Grafika",    "Inne",      "KSeF"};

// The rights level a page needs (a smaller number: more rights); 0: everybody.
int pageLevel(int page)
{
    switch (page) {
    case kPageDokumenty:
    case kPageDaneFirmy:
        return 1;
    case kPageIntrux:
    case kPageSms:
    case kPageMikrotik:
    case kPageVove:
        return 2;
    default:
        return 0;
    }
}

QString ksefNameKey(int which)
{
    return QStringLiteral("KSeF_") + QLatin1String(KsefStoredFiles[which]) + QStringLiteral("_Nazwa");
}

// The SMTP fields that "Wysyłanie poczty" item 1 enables.
const char* const kSmtpKeys[] = {"PocztaOrlixSerwer",    "PocztaOrlixBCC",       "PocztaOrlixUser",
                                 "PocztaOrlixFromNazwa", "PocztaOrlixFromAdres", "PocztaOrlixPort",
                                 "PocztaOrlixHaslo"};

QString text(const TKonfFields* fields, const char* key)
{
    QWidget* w = fields->Field(QString::fromLatin1(key));
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    return fields->Values().value(QString::fromLatin1(key)).toString();
}

} // namespace

TFormKonfiguracja::TFormKonfiguracja(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormKonfiguracja"));
    buildUi();
    StartPage = 0;
    // Nothing typed is kept from the designer's texts.
    for (QLineEdit* e : findChildren<QLineEdit*>())
        e->clear();
}

TFormKonfiguracja::~TFormKonfiguracja() = default;

void TFormKonfiguracja::buildUi()
{
    setWindowTitle(QStringLiteral("Konfiguracja ") + ProgramVersion);
    Fields = new TKonfFields(this);
    Fields->ChooseFolder = [this] {
        QString folder;
        BrowseForFolder(this, QStringLiteral("Wybierz katalog:"), folder);
        return folder;
    };
    Fields->ChoosePrinter = [this] {
        QPrinter printer;
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted ? printer.printerName() : QString();
    };
    Fields->RowExtras = [this](const TKonfKey& k, QWidget* parent) { return rowExtras(k.Key, parent); };

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    for (int page = 0; page < kKonfPageCount; ++page)
        PageControl1->addTab(buildPage(page), QString::fromUtf8(kPageCaptions[page]));
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == kPageSms && isVisible()) smsPageShown();
    });

    OkBtn = new QPushButton(QStringLiteral("Zapisz"), this);
    OkBtn->setDefault(true);
    BitBtn1 = new QPushButton(QStringLiteral("Anuluj"), this);
    BitBtn1->setAutoDefault(false);
    connect(OkBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { okClick(); }); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        IntruxPage->CancelPending();
        MikrotikPage->CancelPending();
        reject();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(BitBtn1);
    auto* root = new QVBoxLayout(this);
    root->addWidget(PageControl1, 1);
    root->addLayout(buttons);
    resize(1040, 720);

    if (auto* numeracja = qobject_cast<QCheckBox*>(Fields->Field(QStringLiteral("NumeracjaMiesieczna"))))
        connect(numeracja, &QCheckBox::toggled, this, [this] { numeracjaChanged(); });
    if (QButtonGroup* mode = Fields->Radio(QStringLiteral("RodzajWysylaniaMaili")))
        connect(mode, &QButtonGroup::idToggled, this, [this] { pocztaModeChanged(); });
}

QWidget* TFormKonfiguracja::buildPage(int page)
{
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget(scroll);
    auto* grid = new QGridLayout(content);
    Fields->BuildPage(page, content, grid);
    auto addWide = [grid](QWidget* w) { grid->addWidget(w, grid->rowCount(), 0, 1, 2); };

    switch (page) {
    case kPageUstawienia:
        addWide(buildColumnLists(content));
        break;
    case kPageDokumenty:
        Label152 = new QLabel(content);
        Label152->setObjectName(QStringLiteral("Label152"));
        addWide(Label152);
        break;
    case kPageProgramy: {
        // The path rows of the stored programs go first in their groups.
        struct
        {
            const char* group;
            const char* stored;
            const char* filter;
            QLineEdit** edit;
        } programs[] = {{"WinBox", "winbox.exe", "WinBox.exe (winbox.exe)", &WinboxPath},
                        {"Putty", "putty.exe", "Putty.exe (putty.exe)", &PuttyPath}};
        for (const auto& p : programs) {
            auto* box = Fields->Group(kPageProgramy, QString::fromLatin1(p.group));
            auto* form = box ? qobject_cast<QFormLayout*>(box->layout()) : nullptr;
            if (!form) continue;
            *p.edit = new QLineEdit(box);
            (*p.edit)->setReadOnly(true);
            (*p.edit)->setObjectName(QString::fromLatin1(p.group) + QStringLiteral("Path"));
            auto* pick = new QToolButton(box);
            pick->setText(QStringLiteral("..."));
            auto* remove = new QToolButton(box);
            remove->setText(QStringLiteral("X"));
            const QString stored = QString::fromLatin1(p.stored), filter = QString::fromLatin1(p.filter);
            connect(pick, &QToolButton::clicked, this, [this, stored, filter] {
                const QString file = chooseFile(filter);
                if (!file.isEmpty()) RunGuarded([&] { StoreProgramFile(stored, file); });
            });
            connect(remove, &QToolButton::clicked, this,
                    [this, stored] { RunGuarded([&] { RemoveProgramFile(stored); }); });
            auto* row = new QWidget(box);
            auto* l = new QHBoxLayout(row);
            l->setContentsMargins(0, 0, 0, 0);
            l->addWidget(*p.edit, 1);
            l->addWidget(pick);
            l->addWidget(remove);
            form->insertRow(0, QStringLiteral("Plik"), row);
        }
        break;
    }
    case kPageIntrux:
        IntruxPage = new TKonfRouterPage(QStringLiteral("DBGrid1"), QStringLiteral("INTRUX_NAZWA"),
                                         IntruxRouterFields(), content);
        addWide(IntruxPage);
        break;
    case kPageMikrotik:
        MikrotikPage = new TKonfRouterPage(QStringLiteral("DBGrid2"), QStringLiteral("MIKROTIK_NAZWA"),
                                           MikrotikRouterFields(), content);
        addWide(MikrotikPage);
        break;
    case kPageSms: {
        Label164 = new QLabel(content);
        Label164->setObjectName(QStringLiteral("Label164"));
        addWide(Label164);
        break;
    }
    case kPageGrafika:
        addWide(buildPictures(content));
        break;
    case kPageInne:
        Label144 = new QLabel(content);
        Label144->setObjectName(QStringLiteral("Label144"));
        addWide(Label144);
        break;
    case kPagePoczta: {
        TestBtn = new QPushButton(QStringLiteral("Test"), content);
        TestBtn->setAutoDefault(false);
        connect(TestBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { SendTestEmail(); }); });
        auto* box = Fields->Group(kPagePoczta, QStringLiteral("Serwer SMTP"));
        if (auto* form = box ? qobject_cast<QFormLayout*>(box->layout()) : nullptr) form->addRow(TestBtn);
        break;
    }
    case kPageKsef: {
        auto* link = new QLabel(QStringLiteral("<a href=\"https://ksef.podatki.gov.pl/\">Aplikacja "
                                               "Podatnika KSeF</a>"),
                                content);
        connect(link, &QLabel::linkActivated, this, [](const QString& url) { OpenUrl(url); });
        addWide(link);
        break;
    }
    default:
        break;
    }
    grid->setRowStretch(grid->rowCount(), 1);
    scroll->setWidget(content);
    return scroll;
}

QWidget* TFormKonfiguracja::buildColumnLists(QWidget* parent)
{
    auto* box = new QGroupBox(QStringLiteral("Układ siatek"), parent);
    auto* l = new QHBoxLayout(box);
    struct
    {
        const char* caption;
        QListWidget** list;
        const char* name;
    } lists[] = {{"Pokaż kolumny Uzytkowników", &LVKolumnyGrid1, "LVKolumnyGrid1"},
                 {"Pokaż kolumny Infrastruktury", &LVKolumnyGrid2, "LVKolumnyGrid2"}};
    for (const auto& d : lists) {
        auto* col = new QVBoxLayout;
        col->addWidget(new QLabel(QString::fromUtf8(d.caption), box));
        *d.list = new QListWidget(box);
        (*d.list)->setObjectName(QString::fromLatin1(d.name));
        (*d.list)->setMinimumHeight(160);
        col->addWidget(*d.list);
        l->addLayout(col);
    }
    return box;
}

QWidget* TFormKonfiguracja::buildPictures(QWidget* parent)
{
    auto* holder = new QWidget(parent);
    auto* l = new QVBoxLayout(holder);
    struct
    {
        const char* caption;
        const char* stored;
        QLabel** image;
        QSize size;
    } pictures[] = {
        {"Plik z logo firmy na wydrukach (max 280x90 pix)", "mojelogo.jpg", &Image1, {280, 90}},
        {"Plik z banerem w stopce wydruków (max 681x37 pix)", "mojbaner.jpg", &Image6, {681, 37}}};
    for (const auto& p : pictures) {
        auto* box = new QGroupBox(QString::fromUtf8(p.caption), holder);
        auto* row = new QHBoxLayout(box);
        *p.image = new QLabel(box);
        (*p.image)->setFixedSize(p.size);
        (*p.image)->setFrameShape(QFrame::StyledPanel);
        (*p.image)->setScaledContents(false);
        auto* add = new QToolButton(box);
        add->setText(QStringLiteral("+"));
        auto* remove = new QToolButton(box);
        remove->setText(QStringLiteral("-"));
        const QString stored = QString::fromLatin1(p.stored);
        connect(add, &QToolButton::clicked, this, [this, stored] {
            const QString file = chooseFile(QStringLiteral("pliki *.jpg (*.jpg)"));
            if (!file.isEmpty()) RunGuarded([&] { StorePicture(stored, file); });
        });
        connect(remove, &QToolButton::clicked, this,
                [this, stored] { RunGuarded([&] { RemovePicture(stored); }); });
        row->addWidget(*p.image);
        row->addWidget(add);
        row->addWidget(remove);
        row->addStretch();
        l->addWidget(box);
    }
    return holder;
}

QList<QWidget*> TFormKonfiguracja::rowExtras(const QString& key, QWidget* parent)
{
    if (key == QLatin1String("DowolnyPlikBlob")) {
        DowolnyPlikPath = new QLineEdit(parent);
        DowolnyPlikPath->setReadOnly(true);
        DowolnyPlikPath->setObjectName(QStringLiteral("DowolnyPlikPath"));
        auto* pick = new QToolButton(parent);
        pick->setText(QStringLiteral("..."));
        auto* remove = new QToolButton(parent);
        remove->setText(QStringLiteral("X"));
        connect(pick, &QToolButton::clicked, this, [this] {
            const QString file = chooseFile(QStringLiteral("Wszystkie pliki (*)"));
            if (!file.isEmpty()) RunGuarded([&] { StoreUserFile(file); });
        });
        connect(remove, &QToolButton::clicked, this, [this] { RunGuarded([this] { RemoveUserFile(); }); });
        return {DowolnyPlikPath, pick, remove};
    }
    for (int which = 0; which < 4; ++which) {
        if (key != ksefNameKey(which)) continue;
        auto* pick = new QPushButton(QStringLiteral("Wskaż plik"), parent);
        pick->setAutoDefault(false);
        auto* remove = new QPushButton(QStringLiteral("Usuń"), parent);
        remove->setAutoDefault(false);
        KsefIcon[which] = new QLabel(QStringLiteral("\u2714"), parent);
        KsefIcon[which]->setObjectName(QStringLiteral("KsefIcon") + QString::number(which));
        KsefIcon[which]->setStyleSheet(QStringLiteral("color: green;"));
        const QString filter =
            which % 2 == 0 ? QStringLiteral("Certyfikat (*.crt)") : QStringLiteral("Klucz (*.key)");
        connect(pick, &QPushButton::clicked, this, [this, which, filter] {
            const QString file = chooseFile(filter);
            if (!file.isEmpty()) RunGuarded([&] { StoreKsefFile(which, file); });
        });
        connect(remove, &QPushButton::clicked, this,
                [this, which] { RunGuarded([&] { RemoveKsefFile(which); }); });
        return {KsefIcon[which], pick, remove};
    }
    return {};
}

QString TFormKonfiguracja::chooseFile(const QString& filter) const
{
    if (ChooseFile) return ChooseFile(filter);
    // The file name is emptied every time the dialog opens.
    return QFileDialog::getOpenFileName(const_cast<TFormKonfiguracja*>(this), QString(), QString(), filter);
}

// ---------------------------------------------------------------- show

void TFormKonfiguracja::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    SetDropShadow(ShowShadow);
    formShow();
}

void TFormKonfiguracja::formShow()
{
    setWindowTitle(QStringLiteral("Konfiguracja ") + ProgramVersion);
    // The real settings of company 1, never a company's overlay.
    SetCurrentPodmiot(1);
    GlobalSession()->ExecQueryNoParamCheck(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS INI"));

    Label144->setText(QStringLiteral("ID Stanowiska: ") + HostId);
    for (int page = 0; page < kKonfPageCount; ++page) {
        const int level = pageLevel(page);
        PageControl1->setTabVisible(page, level == 0 || OperatorRightsLevel <= level);
    }
    PageControl1->setCurrentIndex(PageControl1->isTabVisible(StartPage) ? StartPage : 0);

    const TKonfValues values = LoadKonfiguracja();
    Fields->SetValues(values);
    Fields->SetGlobalsReadOnly(OperatorRightsLevel > 1);
    numeracjaChanged();
    pocztaModeChanged();
    WinboxPath->setText(QFile::exists(PrivateFolder + QStringLiteral("winbox.exe"))
                            ? PrivateFolder + QStringLiteral("winbox.exe")
                            : QString());
    PuttyPath->setText(QFile::exists(PrivateFolder + QStringLiteral("putty.exe"))
                           ? PrivateFolder + QStringLiteral("putty.exe")
                           : QString());
    DowolnyPlikPath->clear();
    refreshKsefIcons();

    if (FormGlowny) {
        fillColumnList(LVKolumnyGrid1, FormGlowny->DBGrid1, true);
        fillColumnList(LVKolumnyGrid2, FormGlowny->findChild<QTableView*>(QStringLiteral("DBGrid2")), false);
    }
    for (const char* picture : {"mojelogo.jpg", "mojbaner.jpg"}) {
        try {
            FetchFileBlob(0, QString::fromLatin1(picture));
        } catch (const std::exception&) {
        }
        showPicture(QString::fromLatin1(picture));
    }
    if (CompanyNameMissing() && PageControl1->isTabVisible(kPageDaneFirmy))
        PageControl1->setCurrentIndex(kPageDaneFirmy);

    if (Data) {
        for (TQuery* q : {Data->QIntruxRouter.get(), Data->QMTRouter.get()})
            if (q && !q->Active()) q->Open();
        if (Data->QIntruxRouter) RefreshQuery(Data->QIntruxRouter.get(), QStringLiteral("INTRUX_INDEX"));
        IntruxPage->Bind(Data->QIntruxRouter.get());
        MikrotikPage->Bind(Data->QMTRouter.get());
    }
    Label152->setText(QStringLiteral("Podłączony do bazy jako ") +
                      GlobalSession()->GetQueryValueAsString(
                          QStringLiteral("select concat(user(), '   ', version(), '   ', @@hostname)")));
    if (PageControl1->currentIndex() == kPageSms) smsPageShown();

    m_transaction = std::make_unique<TTransactionGuard>(GlobalSession());
}

void TFormKonfiguracja::hideEvent(QHideEvent* e)
{
    TFormEx::hideEvent(e);
    // Any close but "Zapisz" undoes everything done while the dialog was open.
    if (m_transaction) {
        try {
            m_transaction->rollback();
        } catch (const std::exception&) {
        }
        m_transaction.reset();
    }
    if (IntruxPage) IntruxPage->Bind(nullptr);
    if (MikrotikPage) MikrotikPage->Bind(nullptr);
    StartPage = 0;
}

void TFormKonfiguracja::fillColumnList(QListWidget* list, QTableView* grid, bool subscriberGrid)
{
    list->clear();
    if (!grid || !grid->model()) return;
    const QHeaderView* h = grid->horizontalHeader();
    for (int i = 0; i < h->count(); ++i) {
        QString title = grid->model()->headerData(i, Qt::Horizontal).toString().trimmed();
        if (title.endsWith(QLatin1Char('+')) || (subscriberGrid && title.endsWith(QLatin1Char('-'))))
            title = title.left(title.size() - 1).trimmed();
        auto* item = new QListWidgetItem(subscriberGrid ? LongColumnTitle(title) : title, list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(h->isSectionHidden(i) ? Qt::Unchecked : Qt::Checked);
    }
}

void TFormKonfiguracja::showPicture(const QString& storedName)
{
    QLabel* image = storedName == QLatin1String("mojelogo.jpg") ? Image1 : Image6;
    const QPixmap pixmap(PrivateFolder + storedName);
    image->setPixmap(pixmap);
    image->setProperty("shows", pixmap.isNull() ? QString() : storedName);
}

void TFormKonfiguracja::refreshKsefIcons()
{
    for (int which = 0; which < 4; ++which)
        KsefIcon[which]->setVisible(!GlobalSession()->IsQueryEmpty(
            QStringLiteral("select 1 from MagazynBlob where MB_PRIV=:p1 and MB_NAZWA=:p2"),
            {0, QString::fromLatin1(KsefStoredFiles[which])}));
}

void TFormKonfiguracja::numeracjaChanged()
{
    auto* numeracja = qobject_cast<QCheckBox*>(Fields->Field(QStringLiteral("NumeracjaMiesieczna")));
    const QString suffix =
        numeracja && numeracja->isChecked() ? QStringLiteral("/Miesiąc/Rok") : QStringLiteral("/Rok");
    for (const char* key : {"MaskaFvKoniec", "MaskaFvkKoniec", "MaskaUmowaKoniec"})
        if (QLabel* l = Fields->AfterLabel(QString::fromLatin1(key))) l->setText(suffix);
}

void TFormKonfiguracja::pocztaModeChanged()
{
    QButtonGroup* mode = Fields->Radio(QStringLiteral("RodzajWysylaniaMaili"));
    const bool direct = mode && mode->checkedId() == 1;
    for (const char* key : kSmtpKeys)
        if (QWidget* w = Fields->Field(QString::fromLatin1(key))) w->setEnabled(direct);
    TestBtn->setEnabled(direct);
}

void TFormKonfiguracja::smsPageShown()
{
    QString balance;
    try {
        if (SmsGatewayBalance) balance = SmsGatewayBalance();
    } catch (const std::exception&) {
        balance.clear();
    }
    Label164->setText(balance.isEmpty()
                          ? QStringLiteral("Błąd połączenia z bramką SMS")
                          : QStringLiteral("Można wysłać ") + balance + QStringLiteral(" wiadomości SMS"));
}

// ---------------------------------------------------------------- save

void TFormKonfiguracja::okClick()
{
    StopwatchStart();
    const QDateTime started = StopwatchStartTime();
    try {
        IntruxPage->PostPending();
        MikrotikPage->PostPending();
        auto masks = [](QListWidget* list) {
            QString mask;
            for (int i = 0; i < list->count(); ++i)
                mask += list->item(i)->checkState() == Qt::Checked ? QLatin1Char('1') : QLatin1Char('0');
            return mask;
        };
        const QString mask1 = masks(LVKolumnyGrid1), mask2 = masks(LVKolumnyGrid2);
        WriteIniString(OperatorId, QStringLiteral("KolumnyGrid1"), mask1);
        WriteIniString(OperatorId, QStringLiteral("KolumnyGrid2"), mask2);
        if (FormGlowny) FormGlowny->SetColumnMasks(mask1, mask2);
        SaveKonfiguracja(Fields->Values());
        LogEvent(QStringLiteral("Edycja konfiguracji programu"));
        m_transaction->commit();
        m_transaction.reset();
        ApplyWorkstationSettings();
        setResult(QDialog::Accepted);
    } catch (const std::exception&) {
        if (m_transaction) {
            try {
                m_transaction->rollback();
            } catch (const std::exception&) {
            }
            m_transaction.reset();
        }
        TMD::MessageDlg(QStringLiteral("Zapis konfiguracji nie powiódł się"), mtError, mbOK);
        setResult(QDialog::Rejected);
    }
    const QString elapsed =
        QString::number(started.msecsTo(QDateTime::currentDateTime())) + QStringLiteral(" ms");
    if (FormGlowny && FormGlowny->Label1) FormGlowny->Label1->setText(elapsed);
    LogTempInsert(QStringLiteral("KonfWrite "), elapsed);
    done(result());
}

// ---------------------------------------------------------------- file buttons

void TFormKonfiguracja::StoreProgramFile(const QString& storedName, const QString& path)
{
    QLineEdit* edit = storedName == QLatin1String("winbox.exe") ? WinboxPath : PuttyPath;
    edit->setText(path);
    StoreFileBlob(0, storedName, path);
    FetchFileBlob(0, storedName);
}

void TFormKonfiguracja::RemoveProgramFile(const QString& storedName)
{
    GlobalSession()->ExecQuery(QStringLiteral("delete from MagazynBlob where MB_NAZWA=:p1"), {storedName});
    QFile::remove(PrivateFolder + storedName);
    (storedName == QLatin1String("winbox.exe") ? WinboxPath : PuttyPath)->clear();
}

void TFormKonfiguracja::RemoveUserFile()
{
    const QString old = ReadIniString(OperatorId, QStringLiteral("DowolnyPlikBlob"), QString());
    if (!old.isEmpty()) {
        GlobalSession()->ExecQuery(
            QStringLiteral("delete from MagazynBlob where MB_NAZWA=:p1 and MB_PRIV=:p2"), {old, OperatorId});
        QFile::remove(PrivateFolder + old);
        WriteIniString(OperatorId, QStringLiteral("DowolnyPlikBlob"), QString());
    }
    DowolnyPlikPath->clear();
    if (auto* l = qobject_cast<QLabel*>(Fields->Field(QStringLiteral("DowolnyPlikBlob")))) l->clear();
}

void TFormKonfiguracja::StoreUserFile(const QString& path)
{
    RemoveUserFile();
    const QString name = QFileInfo(path).fileName();
    DowolnyPlikPath->setText(path);
    StoreFileBlob(OperatorId, name, path);
    FetchFileBlob(OperatorId, name);
    WriteIniString(OperatorId, QStringLiteral("DowolnyPlikBlob"), name);
    if (auto* l = qobject_cast<QLabel*>(Fields->Field(QStringLiteral("DowolnyPlikBlob")))) l->setText(name);
}

void TFormKonfiguracja::StorePicture(const QString& storedName, const QString& path)
{
    const QString copy = PrivateFolder + storedName;
    QFile::remove(copy);
    if (!QFile::copy(path, copy)) return;
    StoreFileBlob(0, storedName, copy);
    QFile::remove(copy);
    FetchFileBlob(0, storedName);
    showPicture(storedName);
}

void TFormKonfiguracja::RemovePicture(const QString& storedName)
{
    (storedName == QLatin1String("mojelogo.jpg") ? Image1 : Image6)->clear();
    GlobalSession()->ExecQuery(QStringLiteral("delete from MagazynBlob where MB_NAZWA=:p1"), {storedName});
    QFile::remove(PrivateFolder + storedName);
    showPicture(storedName);
}

void TFormKonfiguracja::StoreKsefFile(int which, const QString& path)
{
    StoreFileBlob(0, QString::fromLatin1(KsefStoredFiles[which]), path);
    const QString name = QFileInfo(path).fileName();
    WriteIniString(0, ksefNameKey(which), name);
    refreshKsefIcons();
    if (auto* l = qobject_cast<QLabel*>(Fields->Field(ksefNameKey(which)))) l->setText(name);
}

void TFormKonfiguracja::RemoveKsefFile(int which)
{
    GlobalSession()->ExecQuery(QStringLiteral("delete from MagazynBlob where MB_PRIV=:p1 and MB_NAZWA=:p2"),
                               {0, QString::fromLatin1(KsefStoredFiles[which])});
    refreshKsefIcons();
    WriteIniString(0, ksefNameKey(which), QString());
    if (auto* l = qobject_cast<QLabel*>(Fields->Field(ksefNameKey(which)))) l->clear();
}

void TFormKonfiguracja::SendTestEmail()
{
    TestBtn->setEnabled(false);
    const QString address = text(Fields, "PocztaOrlixFromAdres");
    const QString subject = QStringLiteral("To jest email testowy z programu Orlix6KSeF (zażółć gęślą jaźń)");
    const TKonfValues v = Fields->Values();
    // The sender goes by the stored way of sending: the typed one holds while
    // the dialog's transaction is open and goes with it on "Anuluj".
    WriteIniInteger(0, QStringLiteral("RodzajWysylaniaMaili"),
                    v.value(QStringLiteral("RodzajWysylaniaMaili")).toInt());
    const int rc = SendEmail(
        address, QString(), subject, subject, text(Fields, "PocztaOrlixBCC"),
        text(Fields, "PocztaOrlixFromNazwa"), address, text(Fields, "PocztaOrlixSerwer"),
        text(Fields, "PocztaOrlixUser"), text(Fields, "PocztaOrlixHaslo"),
        v.value(QStringLiteral("PocztaOrlixPort")).toInt(),
        v.value(QStringLiteral("PocztaOrlixSSL")).toBool() ? QStringLiteral("T") : QStringLiteral("N"), 0);
    if (rc != 0)
        TMD::MessageDlg(QStringLiteral("Nie udało się wysłać wiadomości"), mtError, mbOK);
    else
        TMD::MessageDlg(QStringLiteral("Wiadomość testowa została wysłana na adres ") + address,
                        mtInformation, mbOK);
    TestBtn->setEnabled(true);
}

// ----------------------------------------------------------------

TFormKonfiguracja* FormKonfiguracja()
{
    static TFormKonfiguracja* form = nullptr;
    if (!form) form = new TFormKonfiguracja();
    return form;
}

bool ShowKonfiguracja(int startPage)
{
    TFormKonfiguracja* form = FormKonfiguracja();
    form->StartPage = startPage;
    return form->exec() == QDialog::Accepted;
}

bool CompanyNameMissing()
{
    return (ReadIniString(0, QStringLiteral("U_Nazwa1"), QString()) +
            ReadIniString(0, QStringLiteral("U_Nazwa2"), QString()))
               .size() < 5;
}
