#pragma once
// How the device grid looks: its 13 columns, row colours, the monitoring and
// ping-state pictures.
#include "core/QueryModel.h"

#include <QPixmap>
#include <QStyledItemDelegate>
#include <vector>

class TUserGridModel;

std::vector<TQueryColumn> InfraGridColumns();
// "Down", "Up", "Skip", "Err", "Monitoring", "MonitoringSms"; drawn once.
const QPixmap& InfraGridIcon(const QString& name);

class TInfraGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TInfraGridDelegate(TUserGridModel* model, QObject* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    TUserGridModel* m_model;
};
