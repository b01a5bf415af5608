#include "billing/UserDokumentyPanel.h"

#include "core/Amount4.h"
#include "core/FormEx.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/Session.h"

#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

TUserDokumentyPanel::TUserDokumentyPanel(TFormEx* form, QWidget* parent, const QString& title,
                                         const std::vector<std::pair<const char*, const char*>>& columns)
    : Query(std::make_unique<TQuery>()), m_form(form)
{
    Widget = new QWidget(parent);
    auto* l = new QVBoxLayout(Widget);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(3);
    auto* top = new QHBoxLayout();
    Title = new QLabel(title, Widget);
    QFont f = Title->font();
    f.setBold(true);
    Title->setFont(f);
    Title->setCursor(Qt::PointingHandCursor);
    top->addWidget(Title);
    top->addSpacing(10);
    Buttons = new QHBoxLayout();
    Buttons->setSpacing(3);
    top->addLayout(Buttons);
    top->addStretch(1);
    l->addLayout(top);
    Grid = new QTableView(Widget);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setDefaultSectionSize(20);
    l->addWidget(Grid, 1);
    Model = new TQueryModel(Query.get(), Widget);
    for (const auto& [field, caption] : columns)
        Model->AddColumn(QLatin1String(field), QString::fromUtf8(caption));
    Model->SetFormatter([this](const TQuery& q, int row, int, int role) -> QVariant {
        const auto& colour = role == Qt::ForegroundRole   ? RowTextColor
                             : role == Qt::BackgroundRole ? RowBackground
                                                          : std::function<QColor(const TQuery&, int)>();
        if (!colour) return {};
        const QColor c = colour(q, row);
        return c.isValid() ? QVariant(c) : QVariant();
    });
    Model->BindToView(Grid);
    QObject::connect(Grid, &QTableView::doubleClicked, Widget, [this] {
        m_form->RunGuarded([this] {
            if (!HasRow()) {
                if (OnAdd) OnAdd();
            } else if (OnEdit) {
                OnEdit();
            }
        });
    });
}

TUserDokumentyPanel::~TUserDokumentyPanel() = default;

QPushButton* TUserDokumentyPanel::AddButton(const QString& caption, const std::function<void()>& action,
                                            bool needsRow)
{
    auto* b = new QPushButton(caption, Widget);
    b->setAutoDefault(false);
    Buttons->addWidget(b);
    QObject::connect(b, &QPushButton::clicked, Widget, [this, action, needsRow] {
        m_form->RunGuarded([this, action, needsRow] {
            if (!needsRow || HasRow()) action();
        });
    });
    return b;
}

QToolButton* TUserDokumentyPanel::AddToolButton(const QString& text, const QString& hint,
                                                const std::function<void()>& action)
{
    auto* b = new QToolButton(Widget);
    b->setText(text);
    b->setToolTip(hint);
    b->setMinimumHeight(26);
    Buttons->addWidget(b);
    if (action)
        QObject::connect(b, &QToolButton::clicked, Widget, [this, action] {
            m_form->RunGuarded([this, action] {
                if (HasRow()) action();
            });
        });
    return b;
}

QToolButton* TUserDokumentyPanel::AddMenuButton(const QString& text, const QString& hint, QMenu* menu)
{
    QToolButton* b = AddToolButton(text, hint, {});
    SetPopupMenu(b, menu);
    QObject::connect(b, &QToolButton::clicked, Widget, [b] { PopupMenuBelow(b); });
    return b;
}

void TUserDokumentyPanel::Open(const QString& sql, int userIndex)
{
    m_user = userIndex;
    Query->Close();
    Query->SetSQL(sql);
    Query->BindArgs({userIndex});
    Query->Open();
    Title->setToolTip(TotalText());
}

void TUserDokumentyPanel::Close()
{
    Query->Close();
}

void TUserDokumentyPanel::Reread()
{
    if (Query->Active()) RefreshQuery(Query.get(), KeyField);
    Title->setToolTip(TotalText());
}

void TUserDokumentyPanel::RereadToLastInsert()
{
    if (Query->Active()) RefreshQueryToLastInsert(Query.get(), KeyField);
    Title->setToolTip(TotalText());
}

bool TUserDokumentyPanel::HasRow() const
{
    return Query->Active() && !Query->IsEmpty();
}

int TUserDokumentyPanel::Key() const
{
    return Int(KeyField);
}

QString TUserDokumentyPanel::Text(const QString& field) const
{
    return HasRow() ? Query->FieldByName(field)->AsString() : QString();
}

int TUserDokumentyPanel::Int(const QString& field) const
{
    return HasRow() ? Query->FieldByName(field)->AsInteger() : 0;
}

QString TUserDokumentyPanel::TotalText() const
{
    return UserTotalText(TotalPrefix, TotalSql, m_user);
}

QString UserStatusText(int userIndex)
{
    return GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select concat(lpad(U_NRKLIENTA, 4, :p1), :p2, vU_NazwiskoImie) from vUserdb where "
                       "U_INDEX=:p3"),
        {QStringLiteral("0"), QStringLiteral(" "), userIndex});
}

QString UserTotalText(const QString& prefix, const QString& sql, int userIndex)
{
    if (sql.isEmpty()) return QString();
    auto q = GlobalSession()->OpenQuery(sql, {userIndex});
    const Amount4 sum = q->IsEmpty() ? Amount4{} : q->Fields(0)->AsCurrency();
    // "#0.00 zł  ": no grouping, a decimal comma, two blanks after the currency.
    const qint64 grosze = (sum.raw + (sum.raw < 0 ? -50 : 50)) / 100;
    const qint64 whole = (grosze < 0 ? -grosze : grosze) / 100;
    return prefix + (grosze < 0 ? QStringLiteral("-") : QString()) + QString::number(whole) +
           QLatin1Char(',') +
           QStringLiteral("%1").arg((grosze < 0 ? -grosze : grosze) % 100, 2, 10, QLatin1Char('0')) +
           QStringLiteral(" zł  ");
}
