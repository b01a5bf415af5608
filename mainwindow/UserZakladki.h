#pragma once
// The grids of the subscriber card's tabs and the frames of the tabs whose
// commands come with their own windows.
#include "core/QueryModel.h"

#include <QHash>
#include <QTableView>
#include <functional>
#include <vector>

class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class TDbText;
class TGripPanel;
class TQuery;
class TSpeedButtonEx;

// Shows a dataset's columns; calculated columns of the data module and the
// operator of a note are looked up by row.
class TCardGridModel : public TQueryModel
{
    Q_OBJECT
public:
    using TQueryModel::TQueryModel;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The sorted column: red title with "+" (1) or "-" (2) and a tinted
    // background; order 0 shows no mark.
    void SetSortMark(int column, int order);

private:
    int m_sortColumn = -1;
    int m_sortOrder = 0;
    mutable QHash<int, QString> m_operators;
    mutable bool m_operatorsRead = false;
};

class TCardGrid : public QTableView
{
    Q_OBJECT
public:
    TCardGrid(const QString& name, std::vector<TQueryColumn> columns, QWidget* parent);
    // Shows the dataset (nullptr: nothing, the data source lost its data set).
    void Bind(TQuery* query);
    TQuery* Bound() const { return m_query; }
    TCardGridModel* Model() const { return m_model; }
    void SetSortMark(int column, int order);
    // Font (Qt::ForegroundRole) and background (Qt::BackgroundRole) of a row,
    // kept across re-binds; an invalid value leaves the default drawing.
    using TRowStyle = std::function<QVariant(const TQuery& query, int row, int role)>;
    void SetRowStyle(TRowStyle style);

private:
    void applyRowStyle();
    void fitColumns();
    TRowStyle m_rowStyle;
    std::vector<TQueryColumn> m_columns;
    TQuery* m_query = nullptr;
    TCardGridModel* m_model = nullptr;
    int m_sortColumn = -1;
    int m_sortOrder = 0;
};

// A caption bar above a grid, with room for the tab's buttons.
QWidget* GridCaptionBar(const QString& caption, QWidget* parent, QVBoxLayout* into);
// The caption bar of a grid made by the card's pages, and a flat command
// button added to such a bar.
QHBoxLayout* CaptionBarOf(QWidget* grid);
TSpeedButtonEx* CaptionBarButton(QHBoxLayout* bar, const char* name, const QString& caption,
                                 const QString& hint = {});
// One cell of a dataset's row by column name (invalid when there is no such column).
QVariant RowCell(const TQuery& query, int row, const char* field);

std::vector<TQueryColumn> DeviceGridColumns();
std::vector<TQueryColumn> TemplateGridColumns();
std::vector<TQueryColumn> PaymentGridColumns();
std::vector<TQueryColumn> NotesGridColumns();
std::vector<TQueryColumn> BulkPaymentGridColumns();
std::vector<TQueryColumn> OrderGridColumns();
std::vector<TQueryColumn> ContractGridColumns();
std::vector<TQueryColumn> DeviceHistoryGridColumns();
std::vector<TQueryColumn> PaymentHistoryGridColumns();

// The tab pages after the first one.
struct TUserCardPages
{
    QWidget* Abonament = nullptr;
    QWidget* Notatki = nullptr;
    QWidget* Pm = nullptr;
    QWidget* Zlecenia = nullptr;
    QWidget* Umowy = nullptr;
    QWidget* HistoriaUrzadzen = nullptr;
    QWidget* HistoriaWplat = nullptr;

    TGripPanel* GripPanel3 = nullptr;
    TCardGrid* GridSzablon = nullptr;
    TCardGrid* GridOplaty = nullptr;
    TCardGrid* GridNotatki = nullptr;
    TCardGrid* GridPm = nullptr;
    TCardGrid* GridZlecenia = nullptr;
    TCardGrid* GridUmowy = nullptr;
    TCardGrid* GridMacHistUpdate = nullptr;
    TCardGrid* GridMacHist = nullptr;
    TCardGrid* GridOplatyHistUpdate = nullptr;
    TCardGrid* GridOplatyHist = nullptr;
    TSpeedButtonEx* SpeedButtonEx28 = nullptr; // the service-order "Dodaj"
    QLabel* ZmiennaOpis[7] = {};
    TDbText* Zmienna[7] = {};
};
TUserCardPages BuildUserCardPages(QWidget* parent);
