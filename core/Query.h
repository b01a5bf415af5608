#pragma once
// The dataset every window binds to: a buffered result with a cursor, fields
// by name, Locate, and live editing written back by the table's key.
#include "core/Amount4.h"
#include "core/DedicatedSession.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

enum TFieldType
{
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet
};
const char* FieldTypeName(TFieldType t);
bool IsNumericFieldType(TFieldType t);

// Date-time as days since 1899-12-30, the time of day as the fraction.
double DateTimeToDouble(const QDateTime& dt);
double DateToDouble(const QDate& d);
QDateTime DoubleToDateTime(double v);

class TQuery;

// The text of the error a write by key raises when it found no row.
extern const QString ERowChangedMessage;

class TField
{
public:
    TField(TQuery* dataSet, int index, QString name, TFieldType type);

    QString FieldName;
    TFieldType DataType;
    QString Origin;     // the column's table ("" for expressions)
    QString OriginName; // the column's name in that table
    bool IsKey = false; // part of the table's primary key
    bool AutoIncrement = false;
    int Size = 0;
    int Index() const { return m_index; }
    TQuery* DataSet() const { return m_ds; }

    bool IsNull() const;
    QString AsString() const; // numbers with the decimal comma, dates "yyyy-mm-dd"
    int AsInteger() const;
    qint64 AsLargeInt() const;
    double AsFloat() const;
    double AsDateTime() const; // 0 for NULL and the zero date
    QDate AsDate() const;      // invalid for NULL and the zero date
    QDateTime AsQDateTime() const;
    bool AsBoolean() const;
    Amount4 AsCurrency() const;
    QByteArray AsBytes() const; // raw bytes as the server sent them (a copy that outlives the dataset)
    QVariant Value() const;     // typed; null QVariant for NULL

    // Writes go to the edit buffer; the dataset must be in Edit or Insert.
    void SetAsString(const QString& v);
    void SetAsInteger(qint64 v);
    void SetAsFloat(double v);
    void SetAsBoolean(bool v);
    void SetAsCurrency(Amount4 v);
    void SetAsDate(const QDate& v);
    void SetAsDateTime(const QDateTime& v);
    void SetValue(const QVariant& v);
    void Clear(); // NULL

    // The SQL literal of the current value (for binding a field as an argument).
    TArg AsArg() const;

private:
    TQuery* m_ds;
    int m_index;
};

// A parameter of a query: one per placeholder occurrence, in text order.
class TParam
{
public:
    QString Name;
    TFieldType DataType = ftUnknown;
    bool Bound = false;
    bool IsNull = true;
    QString Text;        // the value as text (numbers with a point)
    QByteArray Bytes;    // the value of a binary field (DataType ftBlob), sent as it is
    bool Secret = false; // a password: error texts show "***" instead of the value
    void MarkSecret() { Secret = true; }
    // Sets value and type from an argument, as the binding table says.
    void Assign(const TArg& arg);
    void Clear();
    QString DisplayValue() const; // the value as text; NULL gives ""
};

enum TDataSetState
{
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert
};

struct TLocateOptions
{
    bool caseInsensitive = false;
    bool partialKey = false;
};

class TQuery : public QObject
{
    Q_OBJECT
public:
    explicit TQuery(TDedicatedSession* session = nullptr, QObject* parent = nullptr);
    ~TQuery() override;

    // The session it runs on; nullptr means GlobalSession() at open time.
    TDedicatedSession* Session() const;
    void SetSession(TDedicatedSession* s) { m_session = s; }

    // SQL text; setting it closes the query and re-parses the parameters.
    void SetSQL(const QString& sql);
    void AddSQL(const QString& line);
    QString SQLText() const { return m_sql.join(QLatin1Char('\n')); }
    const QStringList& SQLLines() const { return m_sql; }
    // Off: a colon is an ordinary character (trigger bodies, DDL).
    bool ParamCheck() const { return m_paramCheck; }
    void SetParamCheck(bool on);

    std::vector<TParam>& Params() { return m_params; }
    const std::vector<TParam>& Params() const { return m_params; }
    TParam* ParamByName(const QString& name); // first occurrence; throws when missing
    // Binds arguments by position; surplus arguments are ignored.
    void BindArgs(const TArgs& args);

    bool RequestLive = false;
    // For live results the table and key written back; found from the result when empty.
    QString UpdateTableName;
    // Columns holding passwords: Post marks their values secret for error texts.
    QStringList SecretColumns;
    QString KeyFieldNames; // ";"-separated

    void Open();
    void Close();
    bool Active() const { return m_state != dsInactive; }
    TExecResult ExecSQL(); // a statement without result rows
    TDataSetState State() const { return m_state; }

    // Navigation.
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    bool IsEmpty() const { return m_rows.empty(); }
    int RecordCount() const { return int(m_rows.size()); }
    int RecNo() const { return m_rows.empty() ? 0 : m_cur + 1; } // 1-based
    void SetRecNo(int recNo);
    bool Locate(const QString& keyFields, const TArgs& values, TLocateOptions options = {});
    bool Locate(const QString& keyField, const TArg& value, TLocateOptions options = {})
    {
        return Locate(keyField, TArgs{value}, options);
    }

    // Fields.
    int FieldCount() const { return int(m_fields.size()); }
    TField* Fields(int i) const { return m_fields.at(size_t(i)).get(); }
    TField* FindField(const QString& name) const;
    TField* FieldByName(const QString& name) const; // throws EDatabaseError when missing
    QStringList FieldNames() const;

    // Cells of any row without moving the cursor (for grid models).
    bool CellIsNull(int row, int col) const;
    QString CellText(int row, int col) const;
    QVariant CellValue(int row, int col) const;

    // Editing of live results. Post and Delete write by the table's key and
    // raise ERowChangedMessage when the row is no longer there under that key
    // (another workstation deleted it or changed its key); the edit stays in
    // the buffer then.
    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    bool Modified() const { return m_modified; }

    // Master-detail: parameters named like a master field take its value, and
    // the detail reopens when the master moves or reopens.
    void SetMasterSource(TQuery* master);
    TQuery* MasterSource() const { return m_master; }

    // While disabled, views are not told about moves (bulk walks stay fast).
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    using Event = std::function<void(TQuery&)>;
    Event BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert, OnNewRecord, BeforeEdit,
        AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, AfterScroll;

    // Internal: value of the current record (edit buffer while editing).
    QByteArray CurrentCell(int col) const;
    void SetCurrentCell(int col, const QByteArray& raw);
    QByteArray Cell(int row, int col) const;

signals:
    void DataReset();         // opened, closed or reopened
    void RowChanged(int row); // a posted edit
    void RowInserted(int row);
    void RowRemoved(int row);
    void CurrentChanged(int row); // the cursor moved (0-based row, -1 none)

private:
    // A row either points into the server's result (no copy) or owns its cells
    // once it was edited or inserted.
    struct Row
    {
        const char* const* cells = nullptr;
        const unsigned long* lengths = nullptr;
        std::shared_ptr<std::vector<QByteArray>> owned;
        QByteArray at(int col) const
        {
            if (owned) return (*owned)[size_t(col)];
            const char* p = cells[col];
            return p ? QByteArray::fromRawData(p, qsizetype(lengths[col])) : QByteArray();
        }
    };
    Row ownedCopy(const Row& r) const;
    void parseParams();
    QByteArray renderSql() const;
    void moveTo(int row);
    void requireBrowse(const char* op) const;
    void requireEditing(const char* op) const;
    void resolveUpdateTarget();
    void refetchRow(Row& row);
    void fillFromMaster();
    void onMasterChanged();
    void notifyCurrent();

    TDedicatedSession* m_session = nullptr;
    QStringList m_sql;
    bool m_paramCheck = true;
    std::vector<TParam> m_params;
    std::vector<std::unique_ptr<TField>> m_fields;
    std::vector<TDedicatedSession::RawResult::Column> m_columns;
    std::shared_ptr<TDedicatedSession::RawResult> m_result;
    std::vector<Row> m_rows;
    int m_cur = -1;
    bool m_eof = true;
    bool m_bof = true;
    TDataSetState m_state = dsInactive;
    std::vector<QByteArray> m_editBuf;
    std::vector<bool> m_changed;
    bool m_modified = false;
    int m_insertAt = -1;
    QString m_table;
    QStringList m_keys;
    TQuery* m_master = nullptr;
    QMetaObject::Connection m_masterConn[2];
    int m_disableCount = 0;
    bool m_movedWhileDisabled = false;
};
