#pragma once
#include "SqliteDb.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <bit>
#include <memory>
#include <vector>

class TADOQuery;

// What an account file is found to be before it is opened.
enum class TAccountFileState { Good, Missing, Foreign, Damaged };

// The connection to one account file. It opens an existing file only, and only when the file
// is an account (it has every table of a new account). A file the user may not write is opened
// read only. Closing it closes its queries.
class TADOConnection
{
public:
    TADOConnection() = default;
    ~TADOConnection();
    TADOConnection(const TADOConnection &) = delete;
    TADOConnection &operator=(const TADOConnection &) = delete;

    // Changing the file closes the connection.
    void SetFileName(const QString &path);
    const QString &FileName() const { return fileName_; }

    // Throws EDatabaseError, and stays closed, when the file is missing, unreadable or not an account.
    void Open();
    void Open(const QString &path);
    void Close();
    // Takes over the open file of `other`, which is left closed: a file opened once to look into
    // it becomes this connection's without being opened again. This connection's own file is
    // closed first.
    void TakeOver(TADOConnection &other);
    bool Connected() const { return db_ != nullptr; }
    void SetConnected(bool value);

    // The engine connection, for transactions and direct statements; throws when closed.
    SQLite::Database &Db();

    // A consistent copy of the open account written atomically to `target`; false on failure.
    bool BackupTo(const QString &target);

    // True when the open file cannot be written (its permissions forbid it).
    bool ReadOnly() const;
    // Runs the engine's quick check over every page of the open file; false when any is damaged.
    bool PagesIntact();

    // True only for a readable account file; the file need not be the one open here.
    static bool TestOpen(const QString &path);
    // Whether `path` is an account file whose pages pass the quick check. A file with damaged
    // pages is Damaged even when its tables can still be read; one that is no database or lacks
    // the account tables is Foreign.
    static TAccountFileState CheckFile(const QString &path);

private:
    friend class TADOQuery;
    void Attach(TADOQuery *query);
    void Detach(TADOQuery *query);

    QString fileName_;
    std::unique_ptr<SQLite::Database> db_;
    std::vector<TADOQuery *> queries_;
};

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// The records a query holds, kept compactly for large results: one small cell per field per
// record, with the bytes of texts and blobs packed into large blocks that never move.
class TRecordStore
{
public:
    enum class Kind : quint8 { Null, Integer, Real, Text, Blob };
    struct Cell {
        Kind kind = Kind::Null;
        qint32 size = 0;
        union {
            qint64 integer = 0;
            double real;
            const char *data;  // UTF-8 for a text
        };
    };

    void Reset(int width);
    int Width() const { return width_; }
    int Count() const { return int(order_.size()); }

    void AppendFromStatement(SQLite::Statement &statement);  // the row the statement stands on
    void Append(const std::vector<QVariant> &values);
    void Set(int record, int column, const QVariant &value);
    void Remove(int record);

    const Cell &At(int record, int column) const { return *Slot(order_[size_t(record)], column); }
    static QVariant Value(const Cell &cell);
    std::vector<QVariant> Values(int record) const;

private:
    // Records are kept in runs of 16, 32, 64, ... records, so a growing result never copies what
    // it already holds and a small one stays small.
    static constexpr quint32 kFirstRun = 16;

    Cell *Slot(qint32 physical, int column) const
    {
        const quint32 n = quint32(physical) + kFirstRun;
        const int run = std::bit_width(n) - std::bit_width(kFirstRun);
        return runs_[size_t(run)].get() + size_t(n - std::bit_floor(n)) * size_t(width_) + size_t(column);
    }
    Cell *NewRecord();
    Cell Store(const QVariant &value);
    Cell StoreBytes(Kind kind, const char *data, qsizetype size);

    int width_ = 0;
    std::vector<std::unique_ptr<Cell[]>> runs_;
    qint32 stored_ = 0;          // records ever added, including deleted ones
    std::vector<qint32> order_;  // record number → stored record, so a delete moves little
    std::vector<std::unique_ptr<char[]>> blocks_;
    char *free_ = nullptr;
    size_t left_ = 0;
};

// One column of the current record of a query. Reading a NULL gives "", 0, false, an invalid
// QDateTime or an empty QByteArray; IsNull tells them apart. Writing needs the query in edit or
// insert state.
class TField
{
public:
    TField(TADOQuery *query, int index, const QString &name, bool readOnly)
        : query_(query), index_(index), name_(name), readOnly_(readOnly) {}

    const QString &FieldName() const { return name_; }
    int Index() const { return index_; }
    // Expression columns and columns of a joined query cannot be written back.
    bool ReadOnly() const { return readOnly_; }

    QVariant Value() const;  // the stored form: qint64, double, QString, QByteArray or null
    bool IsNull() const;
    QString AsString() const;
    int AsInteger() const;         // a text that is not a number reads as 0
    qint64 AsLargeInt() const;
    double AsFloat() const;
    bool AsBoolean() const;        // numbers: not 0; texts: "true"/"yes"/a non-zero number
    QDateTime AsDateTime() const;  // stored or loose date text; invalid when not a date
    QByteArray AsBlob() const;

    void SetValue(const QVariant &value);  // converted as SQLite::StorageValue does
    void SetAsString(const QString &value) { SetValue(value); }
    void SetAsInteger(qint64 value) { SetValue(value); }
    void SetAsFloat(double value) { SetValue(value); }
    void SetAsBoolean(bool value) { SetValue(value); }
    void SetAsDateTime(const QDateTime &value) { SetValue(value); }
    void SetAsBlob(const QByteArray &value) { SetValue(value); }
    void Clear() { SetValue(QVariant()); }

private:
    const TRecordStore::Cell *Cell() const;  // null when there is no current record
    QByteArray Utf8() const;  // a text or blob cell's bytes, without copying

    TADOQuery *query_;
    int index_;
    QString name_;
    bool readOnly_;
};

// A query on an account connection in the role of the class library's dataset: SQL with bound
// parameters, a cursor over the records read at Open, and Append/Edit/Post/Delete that write
// back to the one table the query reads (located by its counter column when the query selects
// it, otherwise by every selected column's value).
class TADOQuery
{
public:
    explicit TADOQuery(TADOConnection *connection = nullptr);
    ~TADOQuery();
    TADOQuery(const TADOQuery &) = delete;
    TADOQuery &operator=(const TADOQuery &) = delete;

    TADOConnection *Connection() const { return connection_; }
    void SetConnection(TADOConnection *connection);

    // Setting the SQL closes the query and forgets the parameters.
    const QString &SQL() const { return sql_; }
    void SetSQL(const QString &sql);
    // "?" parameters in order; named ones (":name") by name, which wins over position.
    void SetParams(const QVariantList &values);
    void SetParam(const QString &name, const QVariant &value);
    void ClearParams();

    // Reads every record of a statement that returns rows; throws EDatabaseError (and stays
    // closed) on any failure, including a statement that returns no rows.
    void Open();
    // Runs a statement that changes data; closes the query first. Returns the rows changed.
    int ExecSQL();
    // Pending changes of an Edit or Append are dropped.
    void Close();
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    void SetActive(bool value);
    TDataSetState State() const { return state_; }
    int RowsAffected() const { return rowsAffected_; }

    // Moving posts a pending Edit or Append first.
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const;
    bool Bof() const;
    int RecNo() const;  // from 1; 0 when there is no current record
    int RecordCount() const { return records_.Count(); }
    bool IsEmpty() const { return records_.Count() == 0 && state_ != TDataSetState::dsInsert; }

    int FieldCount() const { return int(fields_.size()); }
    TField &Fields(int index);
    TField &FieldByName(const QString &name);  // throws when the query has no such field
    TField *FindField(const QString &name);
    QStringList FieldNames() const;

    // Starts a new record; Post inserts it and reads back its counter and column defaults.
    void Append();
    // Starts changing the current record (an empty query starts a new one instead).
    void Edit();
    void Post();
    void Cancel();
    // Deletes the current record from the table; the next record becomes current.
    void Delete();

private:
    friend class TField;
    friend class TADOConnection;

    void CheckConnection() const;
    void CheckActive() const;
    void CheckBrowseMode();
    SQLite::Statement &Prepared();
    void BindParams(SQLite::Statement &statement) const;
    void DropStatements();
    void ReadFieldInfo(SQLite::Statement &statement);
    bool Editing() const { return state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert; }
    const TRecordStore::Cell *CurrentCell(int index) const;
    void SetFieldValue(int index, const QVariant &value);
    QString RequireBaseTable() const;
    QString LocateClause(const std::vector<QVariant> &row, QVariantList &params) const;
    void PostInsert();
    void PostEdit();
    SQLite::Statement &WriteStatement(const QString &sql);

    TADOConnection *connection_ = nullptr;
    QString sql_;
    QVariantList positional_;
    QHash<QString, QVariant> named_;  // by lower-case name without the ":"

    std::unique_ptr<SQLite::Statement> statement_;
    std::unique_ptr<SQLite::Statement> writeStatement_;

    TDataSetState state_ = TDataSetState::dsInactive;
    std::vector<TField> fields_;
    std::vector<QString> origins_;  // the table column each field reads; empty for expressions
    QString baseTable_;
    int keyField_ = -1;  // the field holding the table's counter, when selected
    TRecordStore records_;
    int current_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    TRecordStore editRecord_;  // the one record of an Edit or Append
    std::vector<bool> modified_;
    int rowsAffected_ = 0;
};
