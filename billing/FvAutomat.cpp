#include "billing/FvAutomat.h"

#include "billing/FvAutomatDane.h"
#include "core/DateTimePicker.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Podmioty.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFormFvAutomat* FormFvAutomat()
{
    static TFormFvAutomat* form = nullptr;
    if (!form) form = new TFormFvAutomat();
    return form;
}

TFormFvAutomat::TFormFvAutomat(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormFvAutomat"));
    setWindowTitle(QStringLiteral("Automatyczne generowanie dokumentów"));
    buildUi();
}

void TFormFvAutomat::buildUi()
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->addWidget(buildDates());
    layout->addWidget(buildSuffix());

    auto* gtu = new QGroupBox(QStringLiteral("Symbole GTU dla faktur"), this);
    CheckBox1 = new QCheckBox(QStringLiteral("WSTO_EE"), gtu);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    auto* gl = new QHBoxLayout(gtu);
    gl->addWidget(CheckBox1);
    gl->addStretch();
    layout->addWidget(gtu);

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->hide();
    layout->addWidget(Gauge1);
    layout->addStretch();

    OkBtn = new QPushButton(QStringLiteral("Wykonaj"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Anuluj"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);
    connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(480);
}

QWidget* TFormFvAutomat::buildDates()
{
    auto* box = new QWidget(this);
    auto* g = new QGridLayout(box);
    g->setContentsMargins(0, 0, 0, 0);
    DateTimePicker1 = new TDateTimePicker(box);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker2 = new TDateTimePicker(box);
    DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
    Label4 = new QLabel(box);
    Label4->setObjectName(QStringLiteral("Label4"));
    ComboBox1 = new QComboBox(box);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox2 = new QComboBox(box);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox3 = new QComboBox(box);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->addItems({QStringLiteral("wszystkie"), QStringLiteral("0"), QStringLiteral("1"),
                         QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
                         QStringLiteral("10")});
    for (QComboBox* c : {ComboBox1, ComboBox2, ComboBox3})
        c->installEventFilter(this);

    g->addWidget(new QLabel(QStringLiteral("Data wystawienia"), box), 0, 0);
    g->addWidget(DateTimePicker1, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Termin płatności"), box), 1, 0);
    g->addWidget(DateTimePicker2, 1, 1);
    g->addWidget(Label4, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Forma płatności"), box), 2, 0);
    g->addWidget(ComboBox1, 2, 1, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Podmiot"), box), 3, 0);
    g->addWidget(ComboBox2, 3, 1, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Grupa usług"), box), 4, 0);
    g->addWidget(ComboBox3, 4, 1, 1, 2);
    g->setColumnStretch(2, 1);
    connect(DateTimePicker1, &TDateTimePicker::Changed, this, [this] { issueDateChanged(); });
    connect(DateTimePicker2, &TDateTimePicker::Changed, this, [this] { dueDateChanged(); });
    return box;
}

QWidget* TFormFvAutomat::buildSuffix()
{
    auto* box = new QWidget(this);
    auto* l = new QVBoxLayout(box);
    l->setContentsMargins(0, 0, 0, 0);
    CheckBox2 = new QCheckBox(QStringLiteral("Dodaj do nazwy usługi na fakturze:"), box);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    RadioGroup1 = new QGroupBox(box);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* rl = new QVBoxLayout(RadioGroup1);
    const char* captions[] = {"nazwę miesiąca daty wystawienia faktury",
                              "zakres dat miesiaca daty wystawienia faktury", "tekst"};
    for (int i = 0; i < 3; ++i) {
        RadioButtons[i] = new QRadioButton(QString::fromUtf8(captions[i]), RadioGroup1);
        rl->addWidget(RadioButtons[i]);
    }
    Edit1 = new QLineEdit(RadioGroup1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    rl->addWidget(Edit1);
    l->addWidget(CheckBox2);
    l->addWidget(RadioGroup1);
    connect(CheckBox2, &QCheckBox::toggled, this, [this] { updateSuffixControls(); });
    return box;
}

int TFormFvAutomat::RadioGroup1Index() const
{
    for (int i = 0; i < 3; ++i)
        if (RadioButtons[i]->isChecked()) return i;
    return -1;
}

void TFormFvAutomat::SetRadioGroup1Index(int index)
{
    if (index >= 0 && index < 3) RadioButtons[index]->setChecked(true);
}

void TFormFvAutomat::updateSuffixControls()
{
    RadioGroup1->setEnabled(CheckBox2->isChecked());
    Edit1->setEnabled(CheckBox2->isChecked());
}

void TFormFvAutomat::updateDays()
{
    Label4->setText(QStringLiteral("%1 dni").arg(DateTimePicker1->Date().daysTo(DateTimePicker2->Date())));
}

void TFormFvAutomat::issueDateChanged()
{
    if (m_syncing) return;
    m_syncing = true;
    if (DateTimePicker2->Date() < DateTimePicker1->Date()) DateTimePicker2->SetDate(DateTimePicker1->Date());
    m_syncing = false;
    updateDays();
}

void TFormFvAutomat::dueDateChanged()
{
    if (m_syncing) return;
    m_syncing = true;
    if (DateTimePicker2->Date() < DateTimePicker1->Date()) DateTimePicker1->SetDate(DateTimePicker2->Date());
    m_syncing = false;
    updateDays();
}

void TFormFvAutomat::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    RunGuarded([this] { formShow(); });
}

void TFormFvAutomat::formShow()
{
    const TFvAutomatRemembered r = ReadFvAutomatRemembered();
    CheckBox2->setChecked(r.addSuffix);
    SetRadioGroup1Index(r.suffixKind);
    Edit1->setText(r.suffixText);
    CheckBox1->setChecked(r.gtuEE);
    updateSuffixControls();
    FillPodmiotyCombo(ComboBox2);
    if (ComboBox2->currentIndex() < 0 && ComboBox2->count() > 0) ComboBox2->setCurrentIndex(0);
    if (ComboBox3->currentIndex() < 0) ComboBox3->setCurrentIndex(0);

    const QDate today = QDate::currentDate();
    m_syncing = true;
    DateTimePicker1->DateEdit()->setMaximumDate(today);
    DateTimePicker1->SetDate(today);
    DateTimePicker2->SetDate(today.addDays(r.days));
    m_syncing = false;
    updateDays();

    ComboBox1->clear();
    ComboBox1->addItems(GlobalSession()->GetQueryValuesAsList(
        QStringLiteral("select FP_NAZWA from FormyPlatnosci order by FP_NAZWA")));
    // A remembered form that is no longer on the list is still offered.
    if (ComboBox1->findText(r.paymentForm) < 0) ComboBox1->insertItem(0, r.paymentForm);
    ComboBox1->setCurrentIndex(ComboBox1->findText(r.paymentForm));
}

void TFormFvAutomat::hideEvent(QHideEvent* e)
{
    try {
        if (GlobalSession()->InTransaction()) GlobalSession()->Rollback();
    } catch (...) {
    }
    TFormEx::hideEvent(e);
}

bool TFormFvAutomat::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress &&
        (watched == ComboBox1 || watched == ComboBox2 || watched == ComboBox3)) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (watched != ComboBox2 && (key == Qt::Key_Return || key == Qt::Key_Enter)) focusNextChild();
        return true;
    }
    return TFormEx::eventFilter(watched, e);
}

TFvAutomatInput TFormFvAutomat::Inputs() const
{
    TFvAutomatInput in;
    in.issueDate = DateTimePicker1->Date();
    in.dueDate = DateTimePicker2->Date();
    in.paymentForm = ComboBox1->currentText();
    in.podmiot = ComboBox2->currentText();
    in.group = ComboBox3->currentIndex() < 1 ? -1 : ComboBox3->currentText().toInt();
    in.addSuffix = CheckBox2->isChecked();
    in.suffixKind = RadioGroup1Index();
    in.suffixText = Edit1->text();
    in.gtuEE = CheckBox1->isChecked();
    in.userWhere = MainUserWhere;
    in.userOrderBy = MainUserOrderBy;
    return in;
}

void TFormFvAutomat::OkBtnClick()
{
    RunGuarded([this] {
        TFvAutomatCallbacks cb;
        cb.ask = [](const QString& text) {
            return TMD::MessageDlg(text, mtConfirmation, mbYes | mbNo) == mrYes;
        };
        cb.error = [](const QString& text) { TMD::MessageDlg(text, mtError, mbOK); };
        cb.progress = [this](int done, int total) {
            if (done == 0) {
                Gauge1->setRange(0, total);
                Gauge1->setValue(0);
                Gauge1->setVisible(total > 0);
            }
            Gauge1->setValue(done);
            // The window stays alive through a long settlement.
            if (done % 10 == 0) {
                repaint();
                QApplication::processEvents();
            }
        };
        cb.step = [this](int n) {
            if (n == 31) Gauge1->hide();
        };
        try {
            RunFvAutomat(Inputs(), cb);
        } catch (...) {
            Gauge1->hide();
            throw;
        }
    });
    accept();
}
