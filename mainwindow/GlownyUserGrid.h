#pragma once
// How the subscriber grid of the main window looks: its columns, the sort
// sign and red title of the sorted column, row colours and the small icons.
#include "core/Query.h"
#include "core/QueryModel.h"

#include <QDate>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <vector>

// The 25 columns of the grid, in their designed order.
std::vector<TQueryColumn> UserGridColumns();

// Money columns with two decimals and the decimal comma.
TQueryModel::Formatter UserGridFormatter();

// The dataset model with the sort sign and the red title of the sorted column.
class TUserGridModel : public TQueryModel
{
    Q_OBJECT
public:
    using TQueryModel::TQueryModel;
    // -1: none sorted.
    void SetSortedColumn(int column, int order);
    int SortedColumn() const { return m_order ? m_sortedColumn : -1; }
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    int m_sortedColumn = -1;
    int m_order = 0;
};

// The grid's pictures, drawn once.
enum class TUserIcon
{
    Firma,
    Zaznaczony,
    Hurt,
    Powiadamiaj,
    Blokuj
};
const QPixmap& UserGridIcon(TUserIcon icon);

class TUserGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TUserGridDelegate(TUserGridModel* model, QObject* parent = nullptr);
    // Tests fix the day.
    QDate Today;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    void resolveFields() const;
    TUserGridModel* m_model;
    mutable bool m_resolved = false;
    struct Fields
    {
        int poczekalnia = -1, dataDodania = -1, powiadamiaj = -1, blokuj = -1, zaznacz = -1, aktywacja = -1,
            deaktywacja = -1, terminarz = -1, czyFirma = -1, zaznaczonyTemp = -1, tauron = -1,
            vPowiadamiaj = -1, vBlokuj = -1;
    };
    mutable Fields m_f;
};
