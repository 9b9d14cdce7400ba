#pragma once
#include "SqliteDb.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class TADOQuery;

// The connection to one account file. It opens an existing file only, and only when the file
// is an account (it has the tables userinfo and usermsg). Closing it closes its queries.
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
    bool Connected() const { return db_ != nullptr; }
    void SetConnected(bool value);

    // The engine connection, for transactions and direct statements; throws when closed.
    SQLite::Database &Db();

    // A consistent copy of the open account written atomically to `target`; false on failure.
    bool BackupTo(const QString &target);

    // True only for a readable account file; the file need not be the one open here.
    static bool TestOpen(const QString &path);

private:
    friend class TADOQuery;
    void Attach(TADOQuery *query);
    void Detach(TADOQuery *query);

    QString fileName_;
    std::unique_ptr<SQLite::Database> db_;
    std::vector<TADOQuery *> queries_;
};

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

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
    int RecordCount() const { return int(rows_.size()); }
    bool IsEmpty() const { return rows_.empty() && state_ != TDataSetState::dsInsert; }

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
    using Row = std::vector<QVariant>;

    void CheckConnection() const;
    void CheckActive() const;
    void CheckBrowseMode();
    SQLite::Statement &Prepared();
    void BindParams(SQLite::Statement &statement) const;
    void DropStatements();
    void ReadFieldInfo(SQLite::Statement &statement);
    const Row *CurrentRow() const;
    const QVariant &FieldValue(int index) const;
    void SetFieldValue(int index, const QVariant &value);
    QString RequireBaseTable() const;
    QString LocateClause(const Row &row, QVariantList &params) const;
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
    std::vector<Row> rows_;
    int current_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    Row editRow_;
    std::vector<bool> modified_;
    int rowsAffected_ = 0;
};
