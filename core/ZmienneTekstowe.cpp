#include "core/ZmienneTekstowe.h"

#include "core/DedicatedSession.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/TextVariables.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

TFormZmienneTekstowe::TFormZmienneTekstowe(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormZmienneTekstowe"));
    buildUi();
}

TFormZmienneTekstowe::~TFormZmienneTekstowe() = default;

void TFormZmienneTekstowe::buildUi()
{
    setWindowTitle(QStringLiteral("Zmienne tekstowe"));
    auto* top = new QFrame(this);
    top->setObjectName(QStringLiteral("ThemedPanel1"));
    top->setFrameShape(QFrame::StyledPanel);
    auto* tl = new QHBoxLayout(top);
    DBText1 = new QLabel(top);
    DBText1->setObjectName(QStringLiteral("DBText1"));
    DBText1->setTextFormat(Qt::PlainText);
    QFont bold = DBText1->font();
    bold.setBold(true);
    DBText1->setFont(bold);
    tl->addWidget(DBText1);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setVisible(false);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);

    BitBtn1 = new QPushButton(QStringLiteral("Wstaw"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Anuluj"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    auto* panel = new QHBoxLayout;
    panel->addStretch(1);
    panel->addWidget(BitBtn1);
    panel->addWidget(BitBtn2);

    auto* l = new QVBoxLayout(this);
    l->addWidget(top);
    l->addWidget(DBGrid1, 1);
    l->addLayout(panel);
    resize(640, 480);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { RunGuarded([this] { insertClick(); }); });
    connect(DBGrid1, &QTableView::doubleClicked, this, [this] { RunGuarded([this] { insertClick(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormZmienneTekstowe::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    RunGuarded([this] {
        FillTextVariableTable(GlobalSession(), Kind);
        if (!QZmienne) {
            QZmienne = std::make_unique<TQuery>(); // on the shared session of the moment
            QZmienne->SetSQL(QStringLiteral("select * from Zmienne order by Z_NAZWA"));
            connect(QZmienne.get(), &TQuery::CurrentChanged, this, [this] { showCurrent(); });
            connect(QZmienne.get(), &TQuery::DataReset, this, [this] { showCurrent(); });
        }
        QZmienne->Open();
        if (!m_model) {
            m_model = new TQueryModel(QZmienne.get(), this);
            m_model->AddColumn(QStringLiteral("Z_NAZWA"), QStringLiteral("Zmienna"));
            m_model->AddColumn(QStringLiteral("Z_OPIS"), QStringLiteral("Opis"));
            m_model->BindToView(DBGrid1);
            DBGrid1->setColumnWidth(0, 230);
        }
        showCurrent();
        DBGrid1->setFocus();
    });
}

void TFormZmienneTekstowe::hideEvent(QHideEvent* e)
{
    TFormEx::hideEvent(e);
    if (e->spontaneous()) return;
    if (QZmienne) QZmienne->Close();
}

void TFormZmienneTekstowe::showCurrent()
{
    const bool has = QZmienne && QZmienne->Active() && !QZmienne->IsEmpty();
    DBText1->setText(has ? QZmienne->FieldByName(QStringLiteral("Z_NAZWA"))->AsString() : QString());
}

void TFormZmienneTekstowe::insertClick()
{
    if (!QZmienne || !QZmienne->Active() || QZmienne->IsEmpty()) return;
    QClipboard* clip = QApplication::clipboard();
    clip->clear();
    CopyTextToClipboard(QZmienne->FieldByName(QStringLiteral("Z_NAZWA"))->AsString());
    accept();
}

bool TFormZmienneTekstowe::Pick(const QString& kind, QString* token)
{
    TFormZmienneTekstowe* form = FormZmienneTekstowe();
    form->Kind = kind;
    if (form->exec() != QDialog::Accepted) return false;
    if (token) *token = QApplication::clipboard()->text();
    return true;
}

TFormZmienneTekstowe* FormZmienneTekstowe()
{
    static TFormZmienneTekstowe* form = nullptr;
    if (!form) form = new TFormZmienneTekstowe();
    return form;
}
