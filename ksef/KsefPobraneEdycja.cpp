#include "ksef/KsefPobraneEdycja.h"

#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <iterator>

namespace {

const char* const kFlags[] = {"FV_KSEF_KOSZTOWA", "FV_KSEF_ZAPLACONA", "FV_KSEF_ZAKSIEGOWANA",
                              "FV_KSEF_ZAZNACZONA", "FV_KSEF_ARCHIWALNA"};

} // namespace

TFormKsefPobraneEdycja* FormKsefPobraneEdycja()
{
    static TFormKsefPobraneEdycja* form = nullptr;
    if (!form) form = new TFormKsefPobraneEdycja();
    return form;
}

TFormKsefPobraneEdycja::TFormKsefPobraneEdycja(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormKsefPobraneEdycja"));
    setWindowTitle(QStringLiteral("KSeF Pobrane - Edycja"));
    buildUi();
}

TFormKsefPobraneEdycja::~TFormKsefPobraneEdycja() = default;

void TFormKsefPobraneEdycja::buildUi()
{
    auto* root = new QVBoxLayout(this);
    LabelNumer = new QLabel(this);
    QFont bold = LabelNumer->font();
    bold.setBold(true);
    LabelNumer->setFont(bold);
    root->addWidget(LabelNumer);
    auto* form = new QFormLayout;
    EditUwagi = new QLineEdit(this);
    EditUwagi->setMinimumWidth(360);
    form->addRow(QStringLiteral("Uwagi"), EditUwagi);
    root->addLayout(form);
    CheckKosztowa = new QCheckBox(QStringLiteral("Kosztowa"), this);
    CheckZaplacona = new QCheckBox(QStringLiteral("Zapłacona"), this);
    CheckZaksiegowana = new QCheckBox(QStringLiteral("Zaksięgowana"), this);
    CheckZaznaczona = new QCheckBox(QStringLiteral("Zaznaczona"), this);
    CheckArchiwalna = new QCheckBox(QStringLiteral("Archiwalna"), this);
    for (QCheckBox* c : {CheckKosztowa, CheckZaplacona, CheckZaksiegowana, CheckZaznaczona, CheckArchiwalna})
        root->addWidget(c);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ZapiszBtn = new QPushButton(QStringLiteral("Zapisz"), this);
    AnulujBtn = new QPushButton(QStringLiteral("Anuluj"), this);
    ZapiszBtn->setAutoDefault(false);
    AnulujBtn->setAutoDefault(false);
    buttons->addWidget(ZapiszBtn);
    buttons->addWidget(AnulujBtn);
    root->addLayout(buttons);
    connect(ZapiszBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Zapisz(); }); });
    connect(AnulujBtn, &QPushButton::clicked, this, [this] { reject(); });
}

void TFormKsefPobraneEdycja::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    RunGuarded([this] {
        m_query = GlobalSession()->OpenLiveQuery(
            QStringLiteral("select * from FvKsefPobrane \r\n where FV_INDEX=:p1 \r\n"), {Index});
        const bool row = !m_query->IsEmpty();
        if (row) m_query->Edit();
        QCheckBox* checks[] = {CheckKosztowa, CheckZaplacona, CheckZaksiegowana, CheckZaznaczona,
                               CheckArchiwalna};
        for (size_t i = 0; i < std::size(kFlags); ++i)
            checks[i]->setChecked(row && m_query->FieldByName(QLatin1String(kFlags[i]))->AsInteger() == 1);
        LabelNumer->setText(row ? m_query->FieldByName(QStringLiteral("FV_NUMERTXT"))->AsString()
                                : QString());
        EditUwagi->setText(row ? m_query->FieldByName(QStringLiteral("FV_UWAGI"))->AsString() : QString());
        ZapiszBtn->setEnabled(row);
        EditUwagi->setFocus();
    });
}

void TFormKsefPobraneEdycja::Zapisz()
{
    if (!m_query || m_query->IsEmpty()) return;
    const QCheckBox* checks[] = {CheckKosztowa, CheckZaplacona, CheckZaksiegowana, CheckZaznaczona,
                                 CheckArchiwalna};
    for (size_t i = 0; i < std::size(kFlags); ++i)
        m_query->FieldByName(QLatin1String(kFlags[i]))->SetAsInteger(checks[i]->isChecked() ? 1 : 0);
    m_query->FieldByName(QStringLiteral("FV_UWAGI"))->SetAsString(EditUwagi->text());
    m_query->Post();
    accept();
}

void TFormKsefPobraneEdycja::hideEvent(QHideEvent* e)
{
    RunGuarded([this] {
        if (m_query && (m_query->State() == dsEdit || m_query->State() == dsInsert)) m_query->Cancel();
        m_query.reset();
    });
    TFormEx::hideEvent(e);
}
