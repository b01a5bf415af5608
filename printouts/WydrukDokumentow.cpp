#include "printouts/WydrukDokumentow.h"

#include "core/ActivityLog.h"
#include "core/DateTimePicker.h"
#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/MagazynBlob.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "mainwindow/Definicje.h"
#include "platform/QrCodeFile.h"
#include "printouts/DrukFv.h"
#include "printouts/DrukFvDane.h"
#include "printouts/DrukFvKorekta.h"
#include "printouts/DrukPz.h"
#include "printouts/Email.h"
#include "printouts/Envelo.h"
#include "printouts/KopiaElektroniczna.h"
#include "printouts/PaczkaKsef.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

std::function<QString(int, const QString&)> TFormWydrukDokumentow::ExpandText;

namespace {

QGroupBox* RadioGroup(QWidget* parent, const QString& caption, const QStringList& items, QButtonGroup*& group)
{
    auto* box = new QGroupBox(caption, parent);
    auto* l = new QVBoxLayout(box);
    l->setSpacing(2);
    group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        group->addButton(b, i);
        l->addWidget(b);
    }
    group->button(0)->setChecked(true);
    return box;
}

int Index(const QButtonGroup* g)
{
    return qMax(0, g->checkedId());
}

void SetIndex(QButtonGroup* g, int i)
{
    if (QAbstractButton* b = g->button(i)) b->setChecked(true);
}

// The number edits take digits, "," and backspace; anything else beeps.
class TNumberKeys : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress) return QObject::eventFilter(watched, e);
        auto* k = static_cast<QKeyEvent*>(e);
        const QString t = k->text();
        if (k->key() == Qt::Key_Backspace || t.isEmpty() || t[0].isDigit() || t == QLatin1String(",") ||
            k->matches(QKeySequence::Paste) || k->key() == Qt::Key_Left || k->key() == Qt::Key_Right ||
            k->key() == Qt::Key_Delete || k->key() == Qt::Key_Tab)
            return false;
        BeepAsync();
        return true;
    }
};

void ProcessMessages()
{
    QCoreApplication::processEvents();
}

QString Today(int days = 0)
{
    return QDate::currentDate().addDays(days).toString(QStringLiteral("yyyy-MM-dd"));
}

// The correction printout reads its QR pictures as "K" + id.
void MakeFvkQrCodes(int id, const QString& nrKsef, const QString& linkOffline, const QString& linkCertOffline)
{
    const QString base = QStringLiteral("K") + QString::number(id);
    if (!nrKsef.isEmpty())
        MakeQrCodeFile(linkOffline.isEmpty() ? nrKsef : linkOffline, base);
    else if (!linkCertOffline.isEmpty()) {
        MakeQrCodeFile(linkCertOffline, base + QStringLiteral("_certoff"));
        MakeQrCodeFile(linkOffline, base + QStringLiteral("_off"));
    }
}

// ":p1,:p2,..." for the noted ids, their values appended to args.
QString IdMarks(const QList<int>& ids, TArgs& args)
{
    QStringList marks;
    for (int id : ids) {
        args.push_back(id);
        marks << QStringLiteral(":p%1").arg(args.size());
    }
    return marks.join(QLatin1Char(','));
}

void MakeQrCodes(int kind, const TQuery& q, int id)
{
    if (kind == bkDemand) return;
    const TBulkKind& k = BulkKind(kind);
    auto f = [&](const char* col) {
        const TField* field =
            q.FindField(QLatin1String(k.Prefix) + QStringLiteral("KSEF_") + QLatin1String(col));
        return field ? field->AsString() : QString();
    };
    if (kind == bkInvoice)
        MakeFvQrCodes(id, f("NRKSEF"), f("LINKOFFLINE"), f("LINKCERTOFFLINE"));
    else
        MakeFvkQrCodes(id, f("NRKSEF"), f("LINKOFFLINE"), f("LINKCERTOFFLINE"));
}

} // namespace

TFormWydrukDokumentow::TFormWydrukDokumentow(QWidget* parent) : TFormEx(parent)
{
    setWindowTitle(QStringLiteral("Wydruk i wysyłka dokumetów"));
    buildUi();
    AbortRequested = false;
    SetPeriod(0);
    ComboBox1->clear();
    Label6->clear();
    Label7->clear();
    Label9->clear();
    SetIndex(RadioGroup4, 0);
}

TFormWydrukDokumentow::~TFormWydrukDokumentow() = default;

void TFormWydrukDokumentow::buildUi()
{
    auto* top = new QHBoxLayout(this);
    top->addWidget(buildOutputs());
    top->addWidget(buildCriteria(), 1);
    top->addWidget(buildRun());
}

QWidget* TFormWydrukDokumentow::buildOutputs()
{
    auto* w = new QWidget(this);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(RadioGroup(
        w, QStringLiteral("Drukarka / System"),
        {QStringLiteral("domyślna systemowa"), QStringLiteral("wydruków papierowych"),
         QStringLiteral("wydruków PDF"), QStringLiteral("pomiń zadanie wydruku"),
         QStringLiteral("kopia elektroniczna (EJ)"), EnveloWebAddress + QStringLiteral(" (Neofaktura)"),
         EnveloWebAddress + QStringLiteral(" (Neolist)"), QStringLiteral("KSeF (xml/zip)")},
        RadioGroup1));
    l->addWidget(RadioGroup(w, QStringLiteral("Rodzaj dokumentu"),
                            {QStringLiteral("Faktura"), QStringLiteral("Polecenie zapłaty"),
                             QStringLiteral("Faktura korygująca")},
                            RadioGroup2));
    l->addWidget(
        RadioGroup(w, QStringLiteral("Po wydruku"),
                   {QStringLiteral("Nie rób nic"), QStringLiteral("Wyślij dokumenty na email użytkowników"),
                    QStringLiteral("Zapisz PDFy do bazy")},
                   RadioGroup4));
    l->addStretch();
    for (QButtonGroup* g : {RadioGroup1, RadioGroup2, RadioGroup4})
        connect(g, &QButtonGroup::idClicked, this, [this] { criteriaChanged(); });
    return w;
}

QWidget* TFormWydrukDokumentow::buildCriteria()
{
    auto* w = new QWidget(this);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);

    auto* dates = new QGroupBox(QStringLiteral("Data wystawienia"), w);
    auto* dl = new QGridLayout(dates);
    DateTimePicker1 = new TDateTimePicker(dates);
    DateTimePicker2 = new TDateTimePicker(dates);
    for (TDateTimePicker* p : {DateTimePicker1, DateTimePicker2}) {
        p->SetShowCheckbox(true);
        p->SetChecked(true);
        connect(p, &TDateTimePicker::Changed, this, [this] { criteriaChanged(); });
    }
    dl->addWidget(new QLabel(QStringLiteral("od"), dates), 0, 0);
    dl->addWidget(DateTimePicker1, 0, 1);
    dl->addWidget(new QLabel(QStringLiteral("do"), dates), 0, 2);
    dl->addWidget(DateTimePicker2, 0, 3);
    const char* const periods[] = {"Aktualny m-c", "Poprzedni m-c", "Wczorajsze", "Dzisiejsze",
                                   "Poprzedni rok"};
    auto* pl = new QHBoxLayout();
    for (int i = 0; i < 5; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(periods[i]), dates);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, i] { RunGuarded([this, i] { SetPeriod(i); }); });
        pl->addWidget(b);
    }
    dl->addLayout(pl, 1, 0, 1, 4);
    l->addWidget(dates);

    auto* numbers = new QHBoxLayout();
    CheckBox4 = new QCheckBox(QStringLiteral("Tylko dokumenty z numerem od"), w);
    Edit1 = new QLineEdit(QStringLiteral("1"), w);
    Edit2 = new QLineEdit(QStringLiteral("100"), w);
    auto* keys = new TNumberKeys(this);
    numbers->addWidget(CheckBox4);
    numbers->addWidget(Edit1);
    numbers->addWidget(new QLabel(QStringLiteral("do"), w));
    numbers->addWidget(Edit2);
    for (QLineEdit* e : {Edit1, Edit2}) {
        e->installEventFilter(keys);
        e->setMaximumWidth(90);
        connect(e, &QLineEdit::textChanged, this, [this] { criteriaChanged(); });
    }
    l->addLayout(numbers);

    auto* company = new QHBoxLayout();
    company->addWidget(new QLabel(QStringLiteral("Podmiot"), w));
    ComboBox2 = new QComboBox(w);
    ComboBox2->setEditable(false);
    connect(ComboBox2, &QComboBox::currentTextChanged, this, [this] { criteriaChanged(); });
    company->addWidget(ComboBox2, 1);
    l->addLayout(company);

    l->addWidget(
        RadioGroup(w, QStringLiteral("Według oznaczenia klientów"),
                   {QStringLiteral("wszytkie"), QStringLiteral("wysyłane na email"),
                    QStringLiteral("niewysyłane na email"), QStringLiteral("z korespondencją seryjną"),
                    QStringLiteral("bez korespondencji seryjnej")},
                   RadioGroup3));
    connect(RadioGroup3, &QButtonGroup::idClicked, this, [this] { criteriaChanged(); });

    CheckBox3 = new QCheckBox(QStringLiteral("Tylko dokumenty użytkowników widocznych w tabeli głównej"), w);
    auto* firma = new QHBoxLayout();
    CheckBox5 = new QCheckBox(w);
    CheckBox6 = new QCheckBox(QStringLiteral("!"), w);
    CheckBox6->setToolTip(QStringLiteral("Negacja"));
    firma->addWidget(CheckBox5, 1);
    firma->addWidget(CheckBox6);
    CheckBox1 = new QCheckBox(
        QStringLiteral("Drukuj jako oddzielne zadania (każda faktura jako osobne zadanie/plik PDF)"), w);
    l->addWidget(CheckBox3);
    l->addLayout(firma);
    l->addWidget(CheckBox1);
    for (QCheckBox* c : {CheckBox1, CheckBox3, CheckBox4, CheckBox5, CheckBox6})
        connect(c, &QCheckBox::toggled, this, [this] { criteriaChanged(); });

    auto* mail = new QHBoxLayout();
    ComboBox1 = new QComboBox(w);
    ComboBox1->setEditable(false);
    auto* plus = new QPushButton(QStringLiteral("+"), w);
    plus->setAutoDefault(false);
    plus->setMaximumWidth(28);
    connect(plus, &QPushButton::clicked, this, [this] {
        RunGuarded([this] {
            ShowDefinicje(3);
            LoadTemplates();
        });
    });
    mail->addWidget(new QLabel(QStringLiteral("Szablon email"), w));
    mail->addWidget(ComboBox1, 1);
    mail->addWidget(plus);
    l->addLayout(mail);
    auto* pause = new QHBoxLayout();
    CheckBox2 = new QCheckBox(QStringLiteral("Zrób przerwę pomiędzy zadaniami wysylki na email (sek.)"), w);
    SpinEdit1 = new QSpinBox(w);
    SpinEdit1->setRange(1, 60);
    SpinEdit1->setValue(1);
    pause->addWidget(CheckBox2);
    pause->addWidget(SpinEdit1);
    l->addLayout(pause);
    Label1 = new QLabel(w);
    l->addWidget(Label1);
    l->addStretch();
    return w;
}

QWidget* TFormWydrukDokumentow::buildRun()
{
    auto* w = new QWidget(this);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    GroupBox2 = new QGroupBox(QStringLiteral("Podsumowanie"), w);
    auto* g = new QGridLayout(GroupBox2);
    Label9 = new QLabel(GroupBox2);
    Label6 = new QLabel(GroupBox2);
    Label7 = new QLabel(GroupBox2);
    Label10 = new QLabel(GroupBox2);
    Label10->setWordWrap(true);
    g->addWidget(new QLabel(QStringLiteral("Znaleziono dokumentów:"), GroupBox2), 0, 0);
    g->addWidget(Label9, 0, 1);
    Label4 = new QLabel(QStringLiteral("Dokumentów wydrukowanych:"), GroupBox2);
    g->addWidget(Label4, 1, 0);
    g->addWidget(Label6, 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Dokumentów wysłanych:"), GroupBox2), 2, 0);
    g->addWidget(Label7, 2, 1);
    g->addWidget(Label10, 3, 0, 1, 2);
    l->addWidget(GroupBox2);
    Gauge1 = new QProgressBar(w);
    Gauge1->hide();
    l->addWidget(Gauge1);
    l->addStretch();
    StartButton = new QPushButton(QStringLiteral("Rozpocznij wydruk"), w);
    AbortButton = new QPushButton(QStringLiteral("Przerwij wydruk"), w);
    StartButton->setAutoDefault(false);
    AbortButton->setAutoDefault(false);
    connect(StartButton, &QPushButton::clicked, this, [this] { RunGuarded([this] { RunBulkOutput(); }); });
    connect(AbortButton, &QPushButton::clicked, this, [this] { AbortRequested = true; });
    l->addWidget(StartButton);
    l->addWidget(AbortButton);
    w->setMinimumWidth(240);
    return w;
}

void TFormWydrukDokumentow::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    RunGuarded([this] { formShow(); });
}

void TFormWydrukDokumentow::formShow()
{
    Gauge1->hide();
    m_refreshing = true;
    FillPodmiotyCombo(ComboBox2);
    ComboBox2->setCurrentText(GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select P_SKROT from vPodmioty where P_INDEX=:p1"), {1}));
    m_refreshing = false;
    LoadTemplates();
    StartButton->setEnabled(true);
    AbortButton->setEnabled(false);
    RefreshCriteria();
}

void TFormWydrukDokumentow::SetPeriod(int button)
{
    TDedicatedSession* s = GlobalSession();
    const QString first = QStringLiteral("DATE_SUB(CURDATE(), INTERVAL (dayofmonth(CURDATE()) - 1) DAY)");
    auto date = [&](const QString& expr) {
        return s->GetQueryValueAsString(QStringLiteral("select ") + expr);
    };
    QString from, to;
    switch (button) {
    case 0:
        from = date(first), to = Today();
        break;
    case 1:
        from = date(QStringLiteral("DATE_SUB(%1, INTERVAL 1 MONTH)").arg(first));
        to = date(QStringLiteral("DATE_SUB(CURDATE(), INTERVAL dayofmonth(CURDATE()) DAY)"));
        break;
    case 2:
        from = to = Today(-1);
        break;
    case 3:
        from = to = Today();
        break;
    default: {
        const int year = QDate::currentDate().year() - 1;
        from = QStringLiteral("%1-01-01").arg(year), to = QStringLiteral("%1-12-31").arg(year);
    }
    }
    m_refreshing = true;
    DateTimePicker1->SetDate(QDate::fromString(from, Qt::ISODate));
    DateTimePicker2->SetDate(QDate::fromString(to, Qt::ISODate));
    m_refreshing = false;
    if (isVisible()) RefreshCriteria();
}

void TFormWydrukDokumentow::LoadTemplates()
{
    const QStringList names = GlobalSession()->GetQueryValuesAsList(
        QStringLiteral("select SZ_NAZWA from Szablony where SZ_RODZAJ=:p1"), {QStringLiteral("E")}, true,
        false);
    const QString current = ComboBox1->currentText();
    ComboBox1->clear();
    ComboBox1->addItems(names);
    ComboBox1->setCurrentIndex(names.indexOf(current));
}

void TFormWydrukDokumentow::criteriaChanged()
{
    if (m_refreshing) return;
    RunGuarded([this] { RefreshCriteria(); });
}

TBulkCriteria TFormWydrukDokumentow::criteria() const
{
    TBulkCriteria c;
    c.Output = Index(RadioGroup1);
    c.Kind = Index(RadioGroup2);
    c.Mark = Index(RadioGroup3);
    c.FromOn = DateTimePicker1->Checked();
    c.From = DateTimePicker1->Date();
    c.ToOn = DateTimePicker2->Checked();
    c.To = DateTimePicker2->Date();
    c.NumbersOn = CheckBox4->isChecked();
    c.NumberFrom = Edit1->text();
    c.NumberTo = Edit2->text();
    c.MainGridOnly = CheckBox3->isChecked();
    c.MainUserIds = MainUserIdList.trimmed().isEmpty() ? QStringLiteral(" in (0) ") : MainUserIdList;
    c.CompanyMarked = CheckBox5->isChecked();
    c.CompanyMarkNegated = CheckBox6->isChecked();
    return c;
}

void TFormWydrukDokumentow::RefreshCriteria()
{
    m_refreshing = true;
    const int output = Index(RadioGroup1);
    if (output == boElectronicCopy) {
        SetIndex(RadioGroup2, bkInvoice);
        SetIndex(RadioGroup3, 0);
        SetIndex(RadioGroup4, 0);
        CheckBox1->setChecked(true);
        CheckBox3->setChecked(false);
    } else if (output == boNeofaktura || output == boNeolist) {
        SetIndex(RadioGroup4, 0);
        CheckBox1->setChecked(true);
        CheckBox2->setChecked(false);
    }
    const int after = Index(RadioGroup4);
    for (QWidget* c : std::initializer_list<QWidget*>{CheckBox2, ComboBox1, SpinEdit1})
        c->setEnabled(after == 1 || after == 2);
    CheckBox5->setText(CheckBox6->isChecked()
                           ? QStringLiteral("Tylko dokumenty użytkowników nieoznaczonych jako FIRMA")
                           : QStringLiteral("Tylko dokumenty użytkowników oznaczonych jako FIRMA"));
    if (after == 1 || after == 2) CheckBox1->setChecked(true);
    m_refreshing = false;

    TBulkCriteria c = criteria();
    c.Company = BulkCompanyIndex(GlobalSession(), ComboBox2->currentText());
    m_criteriaError.clear();
    try {
        Sql = BuildBulkSql(c);
        FoundCount = CountBulkDocuments(GlobalSession(), Sql);
    } catch (const EBulkCriteriaError& e) {
        m_criteriaError = e.Message();
        FoundCount = 0;
    }
    Label1->setText(QStringLiteral("Znaleziono dokumentów : %1").arg(FoundCount));
}

void TFormWydrukDokumentow::printDocuments(int kind, const QString& printer, const QString& sql,
                                           const TArgs& args, bool preview)
{
    TFormDrukFv* form = kind == bkDemand       ? FormDrukPz()
                        : kind == bkCorrection ? static_cast<TFormDrukFv*>(FormDrukFvKorekta())
                                               : FormDrukFv();
    form->PrinterName = printer;
    form->QFv()->SetSQL(sql);
    form->QFv()->BindArgs(args);
    if (preview)
        form->PrintPreview();
    else
        form->PrintDirect();
}

void TFormWydrukDokumentow::RunBulkOutput()
{
    AbortRequested = false;
    StartButton->setEnabled(false);
    AbortButton->setEnabled(true);
    LastRun = TBulkRun();
    // However the run ends, the buttons come back and the summary shows.
    struct TClose
    {
        TFormWydrukDokumentow* w;
        ~TClose() { w->showSummary(); }
    } close{this};

    RefreshCriteria();
    if (!m_criteriaError.isEmpty()) {
        TMD::MessageDlg(m_criteriaError, mtError, mbOK);
        return;
    }
    if (FoundCount == 0) {
        TMD::MessageDlg(QStringLiteral("Nie znaleziono w bazie dokumentów spełniających zadane kryteria"),
                        mtInformation, mbOK);
        return;
    }
    TBulkRun& run = LastRun;
    run.FoundCount = FoundCount;
    run.GaugeStart = [this](int max) {
        Gauge1->setRange(0, qMax(0, max));
        Gauge1->setValue(0);
        Gauge1->show();
    };
    run.GaugeStep = [this] { Gauge1->setValue(qMin(Gauge1->maximum(), Gauge1->value() + 1)); };
    run.AbortRequested = [this] { return AbortRequested; };
    run.ProcessMessages = ProcessMessages;
    const int company = BulkCompanyIndex(GlobalSession(), ComboBox2->currentText());
    const int output = Index(RadioGroup1);
    TKopiaElektroniczna ej;
    try {
        if (output == boKsef) BuildKsefPackage(GlobalSession(), Sql, company, run);
    } catch (const EBulkCriteriaError& e) {
        TMD::MessageDlg(e.Message(), mtError, mbOK);
        return;
    } catch (...) {
        TMD::MessageDlg(QStringLiteral("Błąd podczas generowania paczki dla KSeF"), mtError, mbOK);
        throw;
    }
    try {
        if (output == boNeofaktura || output == boNeolist)
            BuildEnveloPackages(GlobalSession(), Sql, output == boNeofaktura, run);
    } catch (...) {
        TMD::MessageDlg(QStringLiteral("Błąd podczas generowania paczki dla envelo"), mtError, mbOK);
        throw;
    }
    if (AbortRequested) return;
    if (output == boElectronicCopy) ej.PrepareSeller();

    QString printer;
    if (output == boPaperPrinter)
        printer = ReadIniString(OperatorId, QStringLiteral("DrukarkaPapier"), QString());
    else if (output == boPdfPrinter)
        printer = ReadIniString(OperatorId, QStringLiteral("DrukarkaPDF"), QString());

    QList<int> ids;
    documentLoop(output, printer, ej, ids);
    if (AbortRequested) return;
    if (output == boElectronicCopy) ej.Save(QDateTime::currentDateTime());
    const int after = Index(RadioGroup4);
    if (after == 1) mailDocuments(ids);
    if (after == 2) storeDocuments(ids);
}

void TFormWydrukDokumentow::documentLoop(int output, const QString& printer, TKopiaElektroniczna& ej,
                                         QList<int>& ids)
{
    TBulkRun& run = LastRun;
    const int kind = Sql.Kind;
    const TBulkKind& k = BulkKind(kind);
    const bool prints = output <= boPdfPrinter;
    const QString single =
        QStringLiteral("select * from %1 where %2=:p1").arg(QLatin1String(k.ListView), k.Col("INDEX"));
    auto q = GlobalSession()->OpenQuery(Sql.FullQuery(), Sql.Args);
    run.StartGauge(FoundCount);
    int n = 0;
    for (; !q->Eof(); q->Next()) {
        const int id = q->FieldByName(k.Col("INDEX"))->AsInteger();
        if (CheckBox1->isChecked() && prints) {
            MakeQrCodes(kind, *q, id);
            // A PDF left from an earlier run must not be mailed in place of this one.
            const QString pdf =
                ExportFolder + BulkPdfFileName(kind, q->FieldByName(k.Col("NUMERTXT"))->AsString());
            if (output == boPdfPrinter) QFile::remove(pdf);
            printDocuments(kind, printer, single + Sql.Order, {id}, false);
            ++run.DoneCount;
            if (output == boPdfPrinter && !QFileInfo::exists(pdf))
                run.Skip(QStringLiteral("Nie powstał plik %1").arg(QFileInfo(pdf).fileName()));
        } else if (output == boElectronicCopy) {
            ej.AddInvoice(GlobalSession(), *q);
            ++run.DoneCount;
        } else if (prints) {
            ++run.DoneCount;
        }
        ids << id;
        run.StepGauge();
        if (AbortRequested) {
            Gauge1->hide();
            return;
        }
        run.Breathe(++n);
    }
    q->Close();
    Gauge1->hide();
    if (!CheckBox1->isChecked() && prints && !ids.isEmpty()) {
        TArgs args;
        const QString marks = IdMarks(ids, args);
        const QString all = QStringLiteral("select * from %1 where %2 in (%3)")
                                .arg(QLatin1String(k.ListView), k.Col("INDEX"), marks) +
                            Sql.Order;
        auto docs = GlobalSession()->OpenQuery(all, args);
        for (; !docs->Eof(); docs->Next())
            MakeQrCodes(kind, *docs, docs->FieldByName(k.Col("INDEX"))->AsInteger());
        printDocuments(kind, printer, all, args, true);
    }
}

void TFormWydrukDokumentow::mailDocuments(const QList<int>& ids)
{
    if (ids.isEmpty()) return;
    TBulkRun& run = LastRun;
    const TBulkKind& k = BulkKind(Sql.Kind);
    TArgs args;
    const QString marks = IdMarks(ids, args);
    const TMailSettings mail = ReadMailSettings();
    QString subjectTemplate, bodyTemplate;
    {
        auto t = GlobalSession()->OpenQuery(
            QStringLiteral("select * from Szablony where SZ_NAZWA=:p1 and SZ_NAZWA<>:p2"),
            {ComboBox1->currentText(), QString()});
        if (!t->Eof()) {
            subjectTemplate = t->FieldByName(QStringLiteral("SZ_TEMAT"))->AsString();
            bodyTemplate = t->FieldByName(QStringLiteral("SZ_TRESC"))->AsString();
        }
    }
    auto expand = [](int user, const QString& text) {
        return ExpandText ? ExpandText(user, text) : ExpandMailDateVariables(text, QDate::currentDate());
    };
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral(
            "select %1.*, vUserdb.* from %1 left join vUserdb on U_INDEX=%2 where length(U_EMAIL)>0 and "
            "%3 in (%4) ")
                .arg(QLatin1String(k.Table), k.Col("INDEXUSER"), k.Col("INDEX"), marks) +
            Sql.Order,
        args);
    run.StartGauge(FoundCount);
    int n = 0;
    for (; !q->Eof(); q->Next()) {
        const int user = q->FieldByName(QStringLiteral("U_INDEX"))->AsInteger();
        const QString email = q->FieldByName(QStringLiteral("U_EMAIL"))->AsString();
        const QString name = BulkPdfFileName(Sql.Kind, q->FieldByName(k.Col("NUMERTXT"))->AsString());
        const QString file = ExportFolder + name;
        const QString subject = expand(user, subjectTemplate) + QLatin1Char(' ') + name;
        const QString body = bodyTemplate.isEmpty() ? name + QLatin1Char('\r') : expand(user, bodyTemplate);
        if (CheckBox2->isChecked()) WaitProcessingMessages(SpinEdit1->value() * 1000);
        // Our PDF printer has the file written when the print call returns: no waiting for it.
        if (!QFileInfo::exists(file)) {
            run.Skip(QStringLiteral("Brak pliku %1 dla %2").arg(name, email));
        } else if (SendEmail(email, file, subject, body, mail.bcc, mail.fromName, mail.fromAddress,
                             mail.server, mail.user, mail.password, mail.port,
                             mail.ssl ? QStringLiteral("T") : QStringLiteral("N"), user) == 0) {
            ++run.SentCount;
        } else {
            const QString line =
                QStringLiteral("Błąd wysyłki faktury: %1 (%2)")
                    .arg(email, q->FieldByName(QStringLiteral("vU_NazwiskoImie"))->AsString());
            run.Problems << line;
        }
        run.StepGauge();
        if (AbortRequested) return;
        run.Breathe(++n);
    }
}

void TFormWydrukDokumentow::storeDocuments(const QList<int>& ids)
{
    if (ids.isEmpty()) return;
    TBulkRun& run = LastRun;
    const TBulkKind& k = BulkKind(Sql.Kind);
    TArgs args;
    const QString marks = IdMarks(ids, args);
    auto q = GlobalSession()->OpenQuery(QStringLiteral("select * from %1 where %2 in (%3)")
                                                .arg(QLatin1String(k.Table), k.Col("INDEX"), marks) +
                                            Sql.Order,
                                        args);
    run.StartGauge(FoundCount);
    // All stored or none: an abort rolls back what this run stored.
    TTransactionGuard guard(GlobalSession());
    int stored = 0;
    int n = 0;
    for (; !q->Eof(); q->Next()) {
        const QString name = BulkPdfFileName(Sql.Kind, q->FieldByName(k.Col("NUMERTXT"))->AsString());
        const QString file = ExportFolder + name;
        if (CheckBox2->isChecked()) WaitProcessingMessages(SpinEdit1->value() * 1000);
        if (!QFileInfo::exists(file))
            run.Skip(QStringLiteral("Brak pliku %1").arg(name));
        else if (StoreDocumentFileBlob(name, file, QLatin1String(k.BlobKind),
                                       q->FieldByName(k.Col("INDEX"))->AsInteger()))
            ++stored;
        else
            run.Fail(QStringLiteral("Nie zapisano pliku %1 w bazie").arg(name));
        run.StepGauge();
        if (AbortRequested) return;
        run.Breathe(++n);
    }
    guard.commit();
    run.SentCount += stored;
}

void TFormWydrukDokumentow::showSummary()
{
    StartButton->setEnabled(true);
    AbortButton->setEnabled(false);
    Gauge1->hide();
    GroupBox2->setTitle(QStringLiteral("Podsumowanie ") +
                        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    Label9->setText(QString::number(FoundCount));
    Label4->setText(Index(RadioGroup1) == boElectronicCopy ? QStringLiteral("Dokumentów wyeksportowanych:")
                                                           : QStringLiteral("Dokumentów wydrukowanych:"));
    Label6->setText(QString::number(LastRun.DoneCount));
    Label7->setText(QString::number(LastRun.SentCount));
    Label10->setText(LastRun.SkippedFiles || LastRun.FailedFiles
                         ? QStringLiteral("Pominięte pliki PDF: %1, pliki z błędem: %2")
                               .arg(LastRun.SkippedFiles)
                               .arg(LastRun.FailedFiles)
                         : QString());
    for (const QString& line : LastRun.Problems)
        LogEvent(line);
}

TFormWydrukDokumentow* FormWydrukDokumentow()
{
    static QPointer<TFormWydrukDokumentow> form;
    if (!form) form = new TFormWydrukDokumentow();
    return form;
}
