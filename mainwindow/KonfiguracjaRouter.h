#pragma once
// A router page of the settings dialog (INTRUX, MikroTik): the list of
// routers, a navigator and the fields of the current router, bound to the
// data module's shared dataset while the dialog is shown.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

class QButtonGroup;
class QTableView;
class QToolButton;
class TQuery;
class TQueryModel;

struct TRouterField
{
    enum Kind
    {
        Text,
        Password,
        Digits,    // digits only
        Bandwidth, // digits, "M" and "k"
        Check,     // "1" checked, "0" not
        Radio,     // Items stored as Values
        Choice,    // selection only from Items
        Wan,       // a WAN_INDEX chosen by its WAN_NAZWA
        Memo
    };
    const char* Field;
    const char* Caption;
    Kind Type = Text;
    QStringList Items = {};
    QStringList Values = {};
    const char* Group = "";
    const char* EmptyBecomes = nullptr; // completion on leaving the field
};

class TKonfRouterPage : public QWidget
{
    Q_OBJECT
public:
    TKonfRouterPage(const QString& gridName, const QString& nameField, std::vector<TRouterField> fields,
                    QWidget* parent = nullptr);

    // Binds to the dataset (nullptr unbinds).
    void Bind(TQuery* query);
    TQuery* Dataset() const { return m_query; }
    // Posts or cancels a pending edit or insert.
    void PostPending();
    void CancelPending();

    QTableView* Grid = nullptr;
    // previous, next, insert, delete, edit, post, cancel
    QToolButton* Nav[7] = {};
    QWidget* Editor(const QString& field) const { return m_editors.value(field); }

private:
    void showRecord();
    void fieldEdited(const QString& field, const QString& value);
    void fillWanList();
    QWidget* makeEditor(const TRouterField& f);

    QString m_nameField;
    std::vector<TRouterField> m_fields;
    QHash<QString, QWidget*> m_editors;
    QHash<QString, QButtonGroup*> m_radios;
    TQuery* m_query = nullptr;
    TQueryModel* m_model = nullptr;
    bool m_showing = false;
};

// The two pages' fields.
std::vector<TRouterField> IntruxRouterFields();
std::vector<TRouterField> MikrotikRouterFields();
