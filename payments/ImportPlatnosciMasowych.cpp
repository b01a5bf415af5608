#include "payments/ImportPlatnosciMasowych.h"

#include "billing/DuplikatyKont.h"
#include "billing/Salda.h"
#include "core/ActivityLog.h"
#include "core/DbError.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Podmioty.h"
#include "core/ProgramHooks.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/Session.h"
#include "mainwindow/Glowny.h"
#include "payments/FormatyPm.h"
#include "payments/ImportPm.h"
#include "payments/KsiegowaniePm.h"
#include "payments/NarzedziaPm.h"
#include "payments/PokazLog.h"
#include "payments/ZmienPrzypisaniePM.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kZeroDate = QStringLiteral("0000-00-00");
const QString kPanelKey = QStringLiteral("TFormImportPlatnosciMasowychGripPanel1");

struct TColumn
{
    const char* field;
    const char* caption;
};
const TColumn kPmColumns[] = {{"PM_DATAIMPORTU", "Data importu"},
                              {"PM_DATABANK", "Data bank"},
                              {"PM_KWOTA", "Kwota"},
                              {"PM_NrKlienta", "Nr klienta"},
                              {"PM_Uzytkownik", "Użytkownik"},
                              {"PM_NUMERRACHUNKU", "Rachunek bankowy"},
                              {"PM_TYTUL", "Tytuł przelewu"},
                              {"PM_DATAKSIEGOWANIA", "Data ksieg."}};
const TColumn kImportColumns[] = {{"PMMD5_DATAIMPORTU", "Data importu"},
                                  {"PMMD5_FORMAT", "Format"},
                                  {"PMMD5_SCIEZKA", "Ścieżka"},
                                  {"PMMD5_STATUS", "Status"},
                                  {"PMMD5_Operator", "Operator"},
                                  {"PMMD5_ILOSCODCZYTANYCH", "Odczyt."},
                                  {"PMMD5_ILOSCZAIMPORTOWANYCH", "Zaimport."}};

QPushButton* button(const char* caption, QWidget* parent)
{
    return new QPushButton(QString::fromUtf8(caption), parent);
}

bool failedStatus(const QString& status)
{
    return !status.isEmpty() && status != QLatin1String("OK");
}

} // namespace

std::function<void(int, const QString&)>& PmSendSmsHook()
{
    static std::function<void(int, const QString&)> hook;
    return hook;
}

QString PmAutomatLockName()
{
    return DatabaseUniqueId + QStringLiteral("pmautomat");
}

TFormImportPlatnosciMasowych::TFormImportPlatnosciMasowych(QWidget* parent) : TFormEx(parent)
{
    setWindowTitle(QStringLiteral("Import i rozliczanie płatności masowych (PM)"));
    QPm = std::make_unique<TQuery>(GlobalSession());
    QImports = std::make_unique<TQuery>(GlobalSession());
    buildUi();
    resize(1000, 700);
}

TFormImportPlatnosciMasowych::~TFormImportPlatnosciMasowych() = default;

void TFormImportPlatnosciMasowych::buildUi()
{
    auto* root = new QVBoxLayout(this);
    auto* status = new QWidget(this);
    auto* sl = new QGridLayout(status);
    sl->setContentsMargins(0, 0, 0, 0);
    LabelMessage = new QLabel(status);
    LabelCounter = new QLabel(status);
    Gauge = new QProgressBar(status);
    Gauge->setMaximumHeight(6);
    Gauge->setTextVisible(false);
    Gauge->hide();
    sl->addWidget(LabelMessage, 0, 0);
    sl->addWidget(LabelCounter, 0, 1, Qt::AlignRight);
    sl->addWidget(Gauge, 1, 0, 1, 2);
    root->addWidget(status);
    root->addWidget(buildToolBar());
    root->addWidget(buildFileStrip());

    m_splitter = new QSplitter(Qt::Vertical, this);
    auto* rows = new QWidget(m_splitter);
    auto* rl = new QVBoxLayout(rows);
    rl->setContentsMargins(0, 0, 0, 0);
    GridPm = new QTableView(rows);
    GridPm->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridPm->setSelectionMode(QAbstractItemView::SingleSelection);
    GridPm->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pmModel = new TQueryModel(QPm.get(), this);
    for (const TColumn& c : kPmColumns)
        m_pmModel->AddColumn(QString::fromLatin1(c.field), QString::fromUtf8(c.caption));
    const QIcon inactive = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    m_pmModel->SetFormatter([this, inactive](const TQuery& q, int row, int fieldIndex, int role) -> QVariant {
        if (fieldIndex < 0) return {};
        const int postedCol = q.FindField(QStringLiteral("PM_DATAKSIEGOWANIA"))->Index();
        const QString postedText = q.CellText(row, postedCol);
        const bool posted = !postedText.isEmpty() && postedText != kZeroDate;
        const QString field = q.Fields(fieldIndex)->FieldName;
        if (role == Qt::ForegroundRole && posted) return QColor(128, 128, 128);
        if (role == Qt::BackgroundRole && SortState != 0 && field == SortField)
            return BlendColors(Qt::white, palette().color(QPalette::Button), 3, 5);
        if (role == Qt::DisplayRole && field == QLatin1String("PM_NrKlienta") &&
            !q.CellIsNull(row, fieldIndex))
            return QStringLiteral("%1").arg(q.CellText(row, fieldIndex).toInt(), 4, 10, QLatin1Char('0'));
        if (role == Qt::DecorationRole && field == QLatin1String("PM_NrKlienta") &&
            !q.CellIsNull(row, fieldIndex)) {
            const int naAktywnego =
                q.CellText(row, q.FindField(QStringLiteral("PM_NAAKTYWNEGO"))->Index()).toInt();
            const QString aktywny = q.CellText(row, q.FindField(QStringLiteral("PM_UserAktywny"))->Index());
            if ((posted && naAktywnego == 0) || (!posted && aktywny == QLatin1String("0"))) return inactive;
        }
        return {};
    });
    m_pmModel->BindToView(GridPm);
    connect(GridPm->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { RunGuarded([&] { SortBy(c); }); });
    connect(QPm.get(), &TQuery::CurrentChanged, this, [this](int) { updateDetails(); });
    rl->addWidget(GridPm, 1);
    LabelDetails = new QLabel(rows);
    LabelDetails->setWordWrap(true);
    LabelDetails->setAutoFillBackground(true);
    QPalette pal = LabelDetails->palette();
    pal.setColor(QPalette::Window, BlendColors(QColor(192, 192, 192), Qt::white, 5, 1));
    LabelDetails->setPalette(pal);
    rl->addWidget(LabelDetails);
    m_splitter->addWidget(rows);
    m_importPanel = buildImportPanel();
    m_splitter->addWidget(m_importPanel);
    m_splitter->setStretchFactor(0, 1);
    root->addWidget(m_splitter, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    ButtonZapisz = button("Zapisz", this);
    ButtonAnuluj = button("Anuluj", this);
    bottom->addWidget(ButtonZapisz);
    bottom->addWidget(ButtonAnuluj);
    root->addLayout(bottom);
    connect(ButtonZapisz, &QPushButton::clicked, this, [this] { RunGuarded([&] { save(); }); });
    connect(ButtonAnuluj, &QPushButton::clicked, this, &QDialog::reject);
    buildPopup();
}

QWidget* TFormImportPlatnosciMasowych::buildToolBar()
{
    auto* bar = new QWidget(this);
    auto* l = new QHBoxLayout(bar);
    l->setContentsMargins(0, 0, 0, 0);
    auto add = [&](QPushButton*& b, const char* caption, void (TFormImportPlatnosciMasowych::*action)()) {
        b = button(caption, bar);
        l->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, action] { RunGuarded([&] { (this->*action)(); }); });
    };
    add(ButtonImportuj, "Importuj", &TFormImportPlatnosciMasowych::ImportOne);
    add(ButtonImportujWszystkie, "Importuj wszystkie", &TFormImportPlatnosciMasowych::ImportAll);
    l->addSpacing(12);
    add(ButtonZaksieguj, "Zaksieguj", &TFormImportPlatnosciMasowych::PostCurrent);
    add(ButtonZaksiegujWszystkie, "Zaksięguj wszytkie", &TFormImportPlatnosciMasowych::PostAll);
    add(ButtonOdksieguj, "Odksięguj", &TFormImportPlatnosciMasowych::UnpostCurrent);
    add(ButtonUsun, "Usuń", &TFormImportPlatnosciMasowych::DeleteCurrent);
    l->addSpacing(12);
    ButtonWygeneruj = button("Wygeneruj subkonta", bar);
    ButtonWygenerujPuste = button("Wygeneruj jeśli puste", bar);
    l->addWidget(ButtonWygeneruj);
    l->addWidget(ButtonWygenerujPuste);
    connect(ButtonWygeneruj, &QPushButton::clicked, this,
            [this] { RunGuarded([&] { GenerateSubAccountsAction(false); }); });
    connect(ButtonWygenerujPuste, &QPushButton::clicked, this,
            [this] { RunGuarded([&] { GenerateSubAccountsAction(true); }); });
    add(ButtonZamien, "Zamień subkonta", &TFormImportPlatnosciMasowych::SwapSubAccountsAction);
    l->addStretch(1);
    Label3 = new QLabel(bar);
    l->addWidget(Label3);
    ButtonOpcje = button("Opcje dodatkowe", bar);
    l->addWidget(ButtonOpcje);
    connect(ButtonOpcje, &QPushButton::clicked, this,
            [this] { PopupMenu->popup(ButtonOpcje->mapToGlobal(QPoint(-22, ButtonOpcje->height()))); });
    add(ButtonOdswiez, "", &TFormImportPlatnosciMasowych::Refresh);
    ButtonOdswiez->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    ButtonOdswiez->setToolTip(QStringLiteral("Refresh"));
    return bar;
}

QWidget* TFormImportPlatnosciMasowych::buildFileStrip()
{
    auto* strip = new QWidget(this);
    auto* g = new QGridLayout(strip);
    g->setContentsMargins(0, 0, 0, 0);
    EditSciezka = new QLineEdit(strip);
    ButtonWybierz = button("...", strip);
    ComboFormat = new QComboBox(strip);
    ComboFormat->setEditable(false);
    ComboFormat->setMaxVisibleItems(20);
    ComboFormat->addItems(PmFormatNames());
    ComboFormat->setCurrentText(QStringLiteral("BZWBK"));
    CheckNiezaksiegowane = new QCheckBox(QStringLiteral("Pokaż tylko niezaksięgowane"), strip);
    CheckNiezaksiegowane->setChecked(true);
    CheckObcyPrefix = new QCheckBox(QStringLiteral("Przy imporcie usuń rekordy z obcym prefixem"), strip);
    g->addWidget(EditSciezka, 0, 0);
    g->addWidget(ButtonWybierz, 0, 1);
    g->addWidget(ComboFormat, 0, 2);
    g->addWidget(CheckNiezaksiegowane, 0, 3);
    g->addWidget(CheckObcyPrefix, 1, 0, 1, 4);
    g->setColumnStretch(0, 1);
    connect(EditSciezka, &QLineEdit::textChanged, this, [this] { updateImportEnabled(); });
    connect(ButtonWybierz, &QPushButton::clicked, this, [this] {
        RunGuarded([&] {
            const QString start =
                QFileInfo(ReadIniString(OperatorId, QStringLiteral("PMSciezka"), QString())).path();
            const QString f = QFileDialog::getOpenFileName(
                this, QString(), start,
                QStringLiteral("Wszystkie (*.*);;Pliki TXT (*.txt);;Pliki CSV (*.csv)"));
            if (!f.isEmpty()) EditSciezka->setText(QDir::toNativeSeparators(f));
        });
    });
    auto reread = [this] {
        RunGuarded([&] {
            if (m_shown) openRows();
        });
    };
    connect(CheckNiezaksiegowane, &QCheckBox::toggled, this, reread);
    connect(CheckObcyPrefix, &QCheckBox::toggled, this, reread);
    return strip;
}

QWidget* TFormImportPlatnosciMasowych::buildImportPanel()
{
    auto* panel = new QWidget(this);
    auto* l = new QVBoxLayout(panel);
    l->setContentsMargins(0, 0, 0, 0);
    auto* head = new QHBoxLayout;
    LabelImports = new QLabel(QStringLiteral("Lista importów plików z banku"), panel);
    LabelImports->installEventFilter(this);
    ButtonUsunImport = button("Usuń", panel);
    ButtonPokazLog = button("Pokaz log", panel);
    CheckNieudane = new QCheckBox(QStringLiteral("Pokaż tylko nieudane importy"), panel);
    head->addWidget(LabelImports);
    head->addWidget(ButtonUsunImport);
    head->addWidget(ButtonPokazLog);
    head->addWidget(CheckNieudane);
    head->addStretch(1);
    l->addLayout(head);
    GridImports = new QTableView(panel);
    GridImports->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridImports->setSelectionMode(QAbstractItemView::SingleSelection);
    GridImports->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_importModel = new TQueryModel(QImports.get(), this);
    for (const TColumn& c : kImportColumns)
        m_importModel->AddColumn(QString::fromLatin1(c.field), QString::fromUtf8(c.caption));
    m_importModel->SetFormatter([this](const TQuery& q, int row, int, int role) -> QVariant {
        if (role != Qt::BackgroundRole) return {};
        const TField* st = q.FindField(QStringLiteral("PMMD5_STATUS"));
        if (!st || !failedStatus(q.CellText(row, st->Index()))) return {};
        if (GridImports->hasFocus() && GridImports->currentIndex().row() == row) return {};
        return BlendColors(Qt::red, Qt::white, 5, 1);
    });
    m_importModel->BindToView(GridImports);
    l->addWidget(GridImports, 1);
    connect(ButtonUsunImport, &QPushButton::clicked, this,
            [this] { RunGuarded([&] { DeleteImportAction(); }); });
    connect(ButtonPokazLog, &QPushButton::clicked, this, [this] { RunGuarded([&] { ShowLogAction(); }); });
    connect(GridImports, &QTableView::doubleClicked, this, [this] { RunGuarded([&] { ShowLogAction(); }); });
    connect(CheckNieudane, &QCheckBox::toggled, this, [this] {
        RunGuarded([&] {
            if (m_shown) openImports();
        });
    });
    return panel;
}

void TFormImportPlatnosciMasowych::buildPopup()
{
    PopupMenu = new QMenu(this);
    auto add = [this](const char* caption, std::function<void()> f) {
        connect(PopupMenu->addAction(QString::fromUtf8(caption)), &QAction::triggered, this,
                [this, f] { RunGuarded(f); });
    };
    add("Formatuj numery subkont", [this] { FormatSubAccountsAction(); });
    add("Usuń subkonta na kartach użytkowników", [this] { DeleteSubAccountsAction(); });
    PopupMenu->addSeparator();
    add("Koryguj docelowy nr rachunku dla wpłaty", [this] { CorrectCurrentAccount(); });
    add("Usuń powiązanie płatności w użytkownikiem", [this] { UnassignCurrent(); });
    add("Przypisz użytkowników do nieprzypisanych płatności", [this] { AssignUnmatched(); });
    add("Wyślij SMS do wpłacjącego", [this] { SendSmsToPayer(); });
    PopupMenu->addSeparator();
    add("Oznacz jako zaksięgowaną ręcznie", [this] { MarkCurrentByHand(); });
    add("Usuń wszystkie niezaksięgowane pozycje", [this] { DeleteAllUnposted(); });
}

bool TFormImportPlatnosciMasowych::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == LabelImports && e->type() == QEvent::MouseButtonDblClick &&
        (static_cast<QMouseEvent*>(e)->modifiers() & Qt::ControlModifier)) {
        RunGuarded([&] { UnpostByImportDate(); });
        return true;
    }
    return TFormEx::eventFilter(watched, e);
}

// ---------------------------------------------------------------- lifecycle

void TFormImportPlatnosciMasowych::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (!m_shown) RunGuarded([&] { onShow(); });
}

void TFormImportPlatnosciMasowych::hideEvent(QHideEvent* e)
{
    if (m_shown) RunGuarded([&] { onHide(); });
    TFormEx::hideEvent(e);
}

void TFormImportPlatnosciMasowych::onShow()
{
    m_shown = true;
    StartStopwatch();
    LastPmCustomerNumber = 0;
    TDedicatedSession* s = GlobalSession();
    // The company selected in the main window: its sub-account settings apply.
    const QString company =
        FormGlowny && FormGlowny->ComboBox3 ? FormGlowny->ComboBox3->currentText() : QString();
    if (!company.isEmpty())
        SetCurrentPodmiot(s->GetQueryValueAsInteger(
            QStringLiteral("select P_INDEX from Podmioty where P_SKROT=:p1 limit 1"), {company}));
    Gauge->hide();
    LabelMessage->setText(
        QStringLiteral("Ostatni zarejestrowany import plików PM: ") +
        s->GetQueryValueAsString(QStringLiteral("select max(PMMD5_DATAIMPORTU) from PmMD5")));
    const int panel = ReadIniInteger(OperatorId, kPanelKey, 140);
    m_splitter->setSizes({qMax(100, height() - panel), panel});
    if (!s->InTransaction()) s->StartTransaction();
    EditSciezka->setText(ReadIniString(OperatorId, QStringLiteral("PMSciezka"), QString()));
    const QString format = ReadIniString(OperatorId, QStringLiteral("PMFormat"), QString());
    if (!format.isEmpty()) ComboFormat->setCurrentText(format);
    CheckObcyPrefix->setChecked(ReadIniBool(OperatorId, QStringLiteral("PMObcyPrefix"), false));
    updateImportEnabled();
    openRows();
    openImports();
    QPm->Locate(QStringLiteral("PM_INDEX"), TArg(ReadIniInteger(OperatorId, QStringLiteral("PMRekord"), 0)));
    UpdateUnpostedCounter();
    LogElapsedTime(QStringLiteral("tPMstart"));
}

void TFormImportPlatnosciMasowych::onHide()
{
    m_shown = false;
    QPm->Close();
    QImports->Close();
    TDedicatedSession* s = GlobalSession();
    if (s->InTransaction()) s->Rollback();
    WaitProcessingMessages(100);
    if (LastPmCustomerNumber != 0)
        LogEvent(QStringLiteral("Nr ost. użytkownika procedowanego w PM: %1").arg(LastPmCustomerNumber));
    const QList<int> sizes = m_splitter->sizes();
    if (sizes.size() == 2) WriteIniInteger(OperatorId, kPanelKey, sizes.at(1));
}

void TFormImportPlatnosciMasowych::save()
{
    WriteIniInteger(OperatorId, QStringLiteral("PMRekord"), currentPm());
    WriteIniString(OperatorId, QStringLiteral("PMFormat"), ComboFormat->currentText());
    WriteIniBool(OperatorId, QStringLiteral("PMObcyPrefix"), CheckObcyPrefix->isChecked());
    TDedicatedSession* s = GlobalSession();
    if (s->InTransaction()) {
        s->Commit();
        // Only now can the balance thread see the postings.
        if (ProgramHooks().startBalanceRecount) ProgramHooks().startBalanceRecount();
    }
    accept();
}

// ---------------------------------------------------------------- datasets

void TFormImportPlatnosciMasowych::openRows()
{
    QString sql = QStringLiteral("select PlatnosciMasowe.*, U_NRKLIENTA as PM_NrKlienta, concat(U_NAZWISKO, "
                                 "' ', U_IMIE) as PM_Uzytkownik, "
                                 "vU_Aktywny as PM_UserAktywny from PlatnosciMasowe left join vUserdb on "
                                 "U_INDEX=PM_INDEXUSER  WHERE (1=1) ");
    if (CheckNiezaksiegowane->isChecked()) sql += QStringLiteral(" and PM_DATAKSIEGOWANIA='0000-00-00' ");
    if (SortState != 0)
        sql += QStringLiteral(" order by ") + SortField +
               (SortState == 1 ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    const int key = currentPm();
    QPm->Close();
    QPm->SetSQL(sql);
    QPm->Open();
    if (key) QPm->Locate(QStringLiteral("PM_INDEX"), TArg(key));
    updateDetails();
}

void TFormImportPlatnosciMasowych::openImports()
{
    const int key = QImports->Active() && !QImports->IsEmpty()
                        ? QImports->FieldByName(QStringLiteral("PMMD5_INDEX"))->AsInteger()
                        : 0;
    QString sql = QStringLiteral(
        "select PMMD5_INDEX, PMMD5_SCIEZKA, PMMD5_STATUS, PMMD5_FORMAT, PMMD5_ILOSCODCZYTANYCH, "
        "PMMD5_ILOSCZAIMPORTOWANYCH, PMMD5_OPERATORID, PMMD5_DATAIMPORTU, OP_LOGIN as PMMD5_Operator from "
        "PmMD5 "
        "left join Operator on OP_INDEX=PMMD5_OPERATORID ");
    if (CheckNieudane->isChecked()) sql += QStringLiteral("where PMMD5_STATUS<>'OK' and PMMD5_STATUS<>'' ");
    sql += QStringLiteral("order by PMMD5_DATAIMPORTU desc, PMMD5_INDEX desc");
    QImports->Close();
    QImports->SetSQL(sql);
    QImports->Open();
    if (key) QImports->Locate(QStringLiteral("PMMD5_INDEX"), TArg(key));
}

void TFormImportPlatnosciMasowych::Refresh()
{
    openRows();
    openImports();
    UpdateUnpostedCounter();
}

void TFormImportPlatnosciMasowych::UpdateUnpostedCounter()
{
    LabelCounter->setText(UnpostedCounterText(CountUnpostedPm()));
    LabelCounter->repaint();
}

void TFormImportPlatnosciMasowych::updateImportEnabled()
{
    const QString t = EditSciezka->text();
    ButtonImportuj->setEnabled(!t.isEmpty() && !QFileInfo(t).isDir() && QFileInfo(t).path() != t);
}

void TFormImportPlatnosciMasowych::updateDetails()
{
    if (!QPm->Active() || QPm->IsEmpty()) {
        LabelDetails->clear();
        return;
    }
    LabelDetails->setText(QPm->FieldByName(QStringLiteral("PM_ADRESWPLACAJACEGO"))->AsString() +
                          QLatin1Char('\n') + QPm->FieldByName(QStringLiteral("PM_TYTUL"))->AsString() +
                          QLatin1Char('\n') +
                          QPm->FieldByName(QStringLiteral("PM_NUMERRACHUNKU"))->AsString());
}

int TFormImportPlatnosciMasowych::currentPm() const
{
    if (!QPm->Active() || QPm->IsEmpty()) return 0;
    return QPm->FieldByName(QStringLiteral("PM_INDEX"))->AsInteger();
}

bool TFormImportPlatnosciMasowych::currentPosted() const
{
    return currentPm() && QPm->FieldByName(QStringLiteral("PM_DATAKSIEGOWANIA"))->AsDate().isValid();
}

bool TFormImportPlatnosciMasowych::ask(const QString& question) const
{
    return TMD::MessageDlg(question, mtConfirmation, mbYes | mbNo) == mrYes;
}

void TFormImportPlatnosciMasowych::SortBy(int column)
{
    const QString field = m_pmModel->Columns().at(size_t(column)).FieldName;
    if (field == QLatin1String("PM_Uzytkownik") || field == QLatin1String("PM_NrKlienta")) return;
    if (field == SortField) {
        SortState = (SortState + 1) % 3;
    } else {
        SortField = field;
        SortState = 1;
    }
    std::vector<TQueryColumn> cols = m_pmModel->Columns();
    for (size_t i = 0; i < cols.size(); ++i) {
        cols[i].Caption = QString::fromUtf8(kPmColumns[i].caption);
        if (SortState != 0 && cols[i].FieldName == SortField)
            cols[i].Caption += SortState == 1 ? QStringLiteral("+") : QStringLiteral("-");
    }
    m_pmModel->SetColumns(cols);
    openRows();
}

// ---------------------------------------------------------------- import

bool TFormImportPlatnosciMasowych::ImportStatementFile(const QString& fileName)
{
    TPmImportRequest rq;
    rq.path = fileName;
    rq.format = ComboFormat->currentText();
    rq.removeForeignPrefix = CheckObcyPrefix->isChecked();
    rq.onlyFailedImportsShown = CheckNieudane->isChecked();
    rq.showMessage = [this](const QString& t) { LabelMessage->setText(t); };
    return ::ImportStatementFile(rq).ok;
}

void TFormImportPlatnosciMasowych::ImportOne()
{
    const QString format = ComboFormat->currentText();
    const QString path = EditSciezka->text();
    if (format.isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Proszę określić format pliku importu"), mtWarning, mbOK);
        return;
    }
    if (CheckDuplicateUserAccounts()) return;
    WriteIniString(OperatorId, QStringLiteral("PMSciezka"), path);
    WriteIniString(OperatorId, QStringLiteral("PMFormat"), format);
    const QString suffix = QFileInfo(path).suffix();
    WriteIniString(OperatorId, QStringLiteral("PMRozszerzenie"),
                   suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
    const QString refusal = PmImportRefusal(path, format);
    if (!refusal.isEmpty()) {
        TMD::MessageDlg(refusal, mtWarning, mbOK);
        return;
    }
    if (!ImportStatementFile(path)) TMD::MessageDlg(QStringLiteral("Błąd podczas importu!"), mtError, mbOK);
    Refresh();
    QPm->First();
    QImports->First();
}

void TFormImportPlatnosciMasowych::ImportAll()
{
    const QString format = ComboFormat->currentText();
    if (format.isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Proszę określić format pliku importu"), mtWarning, mbOK);
        return;
    }
    if (CheckDuplicateUserAccounts()) return;
    QString folder = EditSciezka->text();
    if (!QFileInfo(folder).isDir()) folder = QFileInfo(folder).path();
    WriteIniString(OperatorId, QStringLiteral("PMSciezka"), folder);
    WriteIniString(OperatorId, QStringLiteral("PMFormat"), format);
    EditSciezka->setText(folder);
    // "*" + the extension; anything longer than three characters (the default
    // ".txt;*.csv" too) examines every file, and the size and register decide.
    const QString mask = QLatin1Char('*') + ReadIniString(OperatorId, QStringLiteral("PMRozszerzenie"),
                                                          QStringLiteral(".txt;*.csv"));
    const QStringList files = QDir(folder).entryList(
        QStringList{mask.size() > 5 ? QStringLiteral("*") : mask}, QDir::Files | QDir::Hidden, QDir::Name);
    GridPm->setUpdatesEnabled(false);
    int n = 0;
    try {
        for (const QString& name : files) {
            const QString path = QDir(folder).filePath(name);
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                throw EInOutError(QStringLiteral("Nie można otworzyć pliku %1").arg(path).toStdString());
            const qint64 size = f.size();
            f.close();
            if (size > kPmMaxFileSize) continue;
            ++n;
            ButtonImportujWszystkie->setText(QStringLiteral("Importuj wszystkie (%1)").arg(n));
            QApplication::processEvents();
            if (!PmFileRegisteredAnyFormat(FileMd5Hex(path))) ImportStatementFile(path);
            ButtonImportujWszystkie->repaint();
        }
    } catch (...) {
        GridPm->setUpdatesEnabled(true);
        LabelMessage->setText(QStringLiteral("Przeszukano plików: %1").arg(n));
        Refresh();
        throw;
    }
    GridPm->setUpdatesEnabled(true);
    LabelMessage->setText(QStringLiteral("Przeszukano plików: %1").arg(n));
    Refresh();
    QPm->First();
    QImports->First();
    if (n > 10) BeepAsync();
}

// ---------------------------------------------------------------- posting

void TFormImportPlatnosciMasowych::PostCurrent()
{
    if (!currentPm() || currentPosted()) return;
    const int pm = currentPm();
    LastPmCustomerNumber = QPm->FieldByName(QStringLiteral("PM_NrKlienta"))->AsInteger();
    const int user = QPm->FieldByName(QStringLiteral("PM_INDEXUSER"))->AsInteger();
    PostPmRow(pm);
    if (user) RecalcUserSaldoAndCache(user);
    Refresh();
}

void TFormImportPlatnosciMasowych::PostAll()
{
    if (!currentPm()) return;
    if (!ask(QStringLiteral("Czy chcesz zaksięgować wszystkie pozycje importowanych płatności masowych?")))
        return;
    Gauge->setValue(0);
    Gauge->show();
    int posted = 0;
    try {
        posted = PostAllPm([this](int left, int total) {
            Gauge->setMaximum(total);
            Gauge->setValue(total - left);
            if (left % 5 == 0) repaint();
            QApplication::processEvents();
        });
    } catch (...) {
        Gauge->hide();
        Refresh();
        throw;
    }
    Gauge->hide();
    Refresh();
    if (posted > 20) BeepAsync();
}

void TFormImportPlatnosciMasowych::UnpostCurrent()
{
    if (!currentPosted()) return;
    if (TMD::MessageDlg(QStringLiteral("Czy odksięgować wybrną pozycję?"), mtConfirmation, mbYes | mbNo) ==
        mrNo)
        return;
    UnpostPmRow(currentPm());
    Refresh();
}

void TFormImportPlatnosciMasowych::DeleteCurrent()
{
    if (!currentPm()) return;
    if (TMD::MessageDlg(QStringLiteral("Czy usunąć wybrną pozycję?"), mtConfirmation, mbYes | mbNo) == mrNo)
        return;
    const int pm = currentPm();
    if (currentPosted()) {
        UnpostCurrent();
        // A posted row keeps its payment: it is not deleted until unposted.
        if (PmRowPosted(pm)) {
            TMD::MessageDlg(
                QStringLiteral("Dla pozycji już zaksięgowanej ta operacja jest niemożliwa do wykonania"),
                mtWarning, mbOK);
            return;
        }
    }
    DeletePmRow(pm);
    Refresh();
}

void TFormImportPlatnosciMasowych::MarkCurrentByHand()
{
    if (!currentPm() || currentPosted()) return;
    if (!ask(QStringLiteral("Czy oznaczyć wybraną pozycję jako zaksięgowaną ręcznie?"))) return;
    MarkPmPostedByHand(currentPm());
    Refresh();
}

void TFormImportPlatnosciMasowych::DeleteAllUnposted()
{
    if (TMD::MessageDlg(QStringLiteral("Czy usunąć wszystkie niezaksięgowane pozycje?"), mtConfirmation,
                        mbYes | mbNo) == mrNo)
        return;
    DeleteUnpostedPm();
    Refresh();
}

void TFormImportPlatnosciMasowych::UnpostByImportDate()
{
    if (!ask(QStringLiteral("Odksiegować?"))) return;
    bool ok = false;
    const QString date =
        QInputDialog::getText(this, QStringLiteral("Data księgowania"), QStringLiteral("Format RRRR-MM-DD"),
                              QLineEdit::Normal, QStringLiteral("2023-11-22"), &ok);
    if (!ok || date.isEmpty()) return;
    try {
        UnpostPmByImportDate(date);
    } catch (const std::exception&) {
        TMD::MessageDlg(QStringLiteral("Błąd"), mtError, mbOK);
        return;
    }
    Refresh();
    TMD::MessageDlg(QStringLiteral("Odksiegowanie OK"), mtInformation, mbOK);
}

// ---------------------------------------------------------------- row tools

void TFormImportPlatnosciMasowych::CorrectCurrentAccount()
{
    if (!currentPm() || currentPosted()) return;
    TFormZmienPrzypisaniePM dlg(this);
    dlg.Edit->setText(QPm->FieldByName(QStringLiteral("PM_NUMERRACHUNKU"))->AsString());
    if (dlg.exec() != QDialog::Accepted) return;
    CorrectPmAccount(currentPm(), dlg.Edit->text());
    Refresh();
}

void TFormImportPlatnosciMasowych::UnassignCurrent()
{
    if (!currentPm()) return;
    if (TMD::MessageDlg(QStringLiteral("Czy usunąć przypisanie użtkownika do wskazanej płatności masowej?"),
                        mtConfirmation, mbYes | mbNo) == mrNo)
        return;
    if (!UnassignPmRow(currentPm())) {
        TMD::MessageDlg(
            QStringLiteral("Dla pozycji już zaksięgowanej ta operacja jest niemożliwa do wykonania"),
            mtWarning, mbOK);
        return;
    }
    openRows();
}

void TFormImportPlatnosciMasowych::AssignUnmatched()
{
    MatchPmRowsToUsers();
    openRows();
}

void TFormImportPlatnosciMasowych::SendSmsToPayer()
{
    if (!currentPm()) return;
    const int user = QPm->FieldByName(QStringLiteral("PM_INDEXUSER"))->AsInteger();
    if (!user) return;
    const QString phone = GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select U_TEL1 from Userdb where U_Index=:p1"), {user});
    if (phone.isEmpty()) return;
    if (PmSendSmsHook())
        PmSendSmsHook()(user, phone);
    else
        TMD::MessageDlg(QStringLiteral("Wysyłanie SMS nie jest jeszcze dostępne."), mtInformation, mbOK);
}

// ---------------------------------------------------------------- sub-account tools

void TFormImportPlatnosciMasowych::GenerateSubAccountsAction(bool onlyEmpty)
{
    const QString q =
        onlyEmpty ? QStringLiteral("Czy chcesz wygenerować subkonta dla wszystkich użytkowników aktualnie "
                                   "widocznych w tabeli głównej programu którzy nie mają przypisanego "
                                   "numeru subkonta?")
                  : QStringLiteral("Czy chcesz wygenerować subkonta dla wszystkich użytkowników aktualnie "
                                   "widocznych w tabeli głównej programu?");
    if (!ask(q)) return;
    Gauge->show();
    const int n = GenerateSubAccounts(onlyEmpty, [this](int done, int total) {
        Gauge->setMaximum(total);
        Gauge->setValue(done);
        repaint();
        QApplication::processEvents();
    });
    Gauge->hide();
    Label3->setText(QStringLiteral("Zapisano %1 numerów subkont").arg(n));
    Refresh();
    BeepAsync();
}

void TFormImportPlatnosciMasowych::FormatSubAccountsAction()
{
    if (!ask(QStringLiteral(
            "Czy chcesz sformatować spacjami subkonta wszystkich użytkowników aktualnie widocznych w "
            "tabeli głównej programu?")))
        return;
    const int n = FormatSubAccounts();
    Label3->setText(QStringLiteral("Sformatowano %1 numerów subkont").arg(n));
    Refresh();
    BeepAsync();
}

void TFormImportPlatnosciMasowych::SwapSubAccountsAction()
{
    if (!ask(QStringLiteral(
            "Czy chcesz zamienić subkonta (podstawowe na dodatkowe) dla wszystkich użytkowników "
            "aktualnie widocznych w tabeli głównej programu?")))
        return;
    const int n = SwapSubAccounts();
    Label3->setText(QStringLiteral("Zamieniono %1 numerów subkont").arg(n));
    Refresh();
    BeepAsync();
}

void TFormImportPlatnosciMasowych::DeleteSubAccountsAction()
{
    if (!ask(QStringLiteral(
            "Czy chcesz usunąć subkonta (podstawowe i dodatkowe) dla wszystkich użytkowników aktualnie "
            "widocznych w tabeli głównej programu?")))
        return;
    const int n = DeleteSubAccounts();
    Label3->setText(QStringLiteral("Usunięto subkonta %1 użytkowników").arg(n));
    Refresh();
    BeepAsync();
}

// ---------------------------------------------------------------- import list

void TFormImportPlatnosciMasowych::DeleteImportAction()
{
    if (!QImports->Active() || QImports->IsEmpty()) return;
    if (TMD::MessageDlg(QStringLiteral("Czy usunąć wybrną pozycję?"), mtConfirmation, mbYes | mbNo) == mrNo)
        return;
    DeletePmImport(QImports->FieldByName(QStringLiteral("PMMD5_INDEX"))->AsInteger());
    Refresh();
}

void TFormImportPlatnosciMasowych::ShowLogAction()
{
    TFormPokazLog dlg(this);
    dlg.Mode = QStringLiteral("PM");
    if (QImports->Active() && !QImports->IsEmpty())
        dlg.RegisterIndex = QImports->FieldByName(QStringLiteral("PMMD5_INDEX"))->AsInteger();
    dlg.exec();
}

// ---------------------------------------------------------------- opening

TFormImportPlatnosciMasowych* FormImportPlatnosciMasowych()
{
    static QPointer<TFormImportPlatnosciMasowych> form;
    if (!form)
        form = new TFormImportPlatnosciMasowych(ProgramHooks().mainWindow ? ProgramHooks().mainWindow()
                                                                          : nullptr);
    return form;
}

bool RunUnderPmLock(const std::function<void()>& work)
{
    TDedicatedSession* s = GlobalSession();
    const QString lock = PmAutomatLockName();
    const QVariant got = s->OpenQuery(QStringLiteral("select GET_LOCK(:p1, 0)"), {lock})->Fields(0)->Value();
    if (got.isNull() || got.toInt() != 1) {
        TMD::MessageDlg(
            QStringLiteral("Obecnie możliwość rozliczania PM jest zablokowana przez inne stanowisko."),
            mtWarning, mbOK);
        return false;
    }
    struct Release
    {
        TDedicatedSession* s;
        QString name;
        ~Release()
        {
            try {
                s->ExecQuery(QStringLiteral("DO RELEASE_LOCK(:p1)"), {name});
            } catch (...) {
            }
        }
    } release{s, lock};
    work();
    return true;
}

void OpenImportPlatnosciMasowych()
{
    RunUnderPmLock([] { FormImportPlatnosciMasowych()->exec(); });
}
