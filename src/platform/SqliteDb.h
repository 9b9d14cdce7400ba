#pragma once
#include "Types.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_context;
struct sqlite3_stmt;
struct sqlite3_value;

// Any failure of the database engine: a file that cannot be opened, a statement that does not
// compile, a constraint, a full disk. ErrorCode() is the engine's extended result code, or 0
// when the error was found above the engine.
enum class TDbErrorKind { Other, DiskFull, ReadOnly, Damaged, Busy, DiskError, CannotOpen };

class EDatabaseError : public Exception
{
public:
    explicit EDatabaseError(const QString &message, int errorCode = 0)
        : Exception(message), errorCode_(errorCode) {}
    int ErrorCode() const { return errorCode_; }
    // What kind of trouble the engine's code stands for, for messages to the user.
    TDbErrorKind Kind() const;

private:
    int errorCode_;
};

// A thin layer over the SQLite C API. Errors throw EDatabaseError; nothing here knows about
// accounts or their tables.
namespace SQLite {

enum OpenFlags {
    OpenReadOnly = 0x01,
    OpenReadWrite = 0x02,
    OpenCreate = 0x04,
};

// The form a value is stored in: bool → 0/1, every integer → qint64, float → double,
// QDateTime → "yyyy-MM-dd HH:mm:ss", QDate → "yyyy-MM-dd", QByteArray kept, an invalid date or a
// null QVariant → null, anything else → its text.
QVariant StorageValue(const QVariant &value);

// The storage class of a value as the engine holds it.
enum class ValueType { Integer, Float, Text, Blob, Null };

// A value as the engine holds it, read without a copy: Int64 for an integer, Double for a float,
// Bytes for text (UTF-8) and blobs. The bytes live until the statement steps or resets.
struct ValueView {
    ValueType Type = ValueType::Null;
    qint64 Int64 = 0;
    double Double = 0;
    QByteArrayView Bytes;
};

// The arguments a registered SQL function is called with, numbered from 0; valid only during
// the call.
class FunctionArgs
{
public:
    using Type = ValueType;

    FunctionArgs(int count, sqlite3_value **values) : count_(count), values_(values) {}
    int Count() const { return count_; }
    Type TypeOf(int index) const;
    qint64 Int64(int index) const;
    double Double(int index) const;
    // The argument as UTF-8 text, as the engine holds it: no copy, no decoding.
    QByteArrayView Utf8(int index) const;
    QString Text(int index) const;
    QVariant Value(int index) const;  // as Statement::Column reads a column

private:
    int count_;
    sqlite3_value **values_;
};

// What a SQL function returns goes through StorageValue; a function that throws ends the
// statement with the exception's message.
using ScalarFunction = std::function<QVariant(const FunctionArgs &)>;

// Where a registered SQL function puts its answer, without a QVariant; valid only during the
// call. A function that sets nothing answers null.
class FunctionResult
{
public:
    explicit FunctionResult(sqlite3_context *context) : context_(context) {}
    void SetNull();
    void SetInt64(qint64 value);
    void SetUtf8(QByteArrayView text);  // copied

private:
    sqlite3_context *context_;
};

// For functions called once per row of large reads.
using ResultFunction = std::function<void(const FunctionArgs &, FunctionResult &)>;

// Told of every row one connection inserts, updates or deletes in a table with row ids, as the
// change is made (also in a transaction rolled back later). Rows that a whole-table delete or a
// conflict's replace removes are not told one by one; Database::TotalChanges counts them all.
class RowObserver
{
public:
    enum class Change { Insert, Update, Delete };
    virtual ~RowObserver() = default;
    // `database` is "main" or an attached database's name; both texts are UTF-8 and live only
    // during the call.
    virtual void RowChanged(Change change, const char *database, const char *table, qint64 rowId) = 0;
};

// One connection, used by one thread at a time. Every connection has double-quoted string literals switched off (so "x" is
// always a name, never a value) and the date-formatting function jetformat() registered.
class Database
{
public:
    // ":memory:" opens a private in-memory database.
    explicit Database(const QString &fileName, int flags = OpenReadWrite, int busyTimeoutMs = 5000);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    sqlite3 *Handle() const { return db_; }
    const QString &FileName() const { return fileName_; }

    // Runs one or more statements that take no parameters (schema scripts, pragmas).
    void Exec(const QString &sql);
    int Changes() const;
    qint64 LastInsertRowId() const;
    bool InTransaction() const;

    // Registers name(...) on this connection, replacing a function of that name and argument
    // count; `argCount` -1 takes any number. A deterministic function may be evaluated once for
    // equal arguments.
    void CreateFunction(const QString &name, int argCount, ScalarFunction function, bool deterministic = true);
    void CreateFunction(const QString &name, int argCount, ResultFunction function, bool deterministic = true);

    // One observer at a time; the connection holds it until it closes or another replaces it (a
    // null one ends the watch). Whether an observer is still the current one tells whether it
    // has heard every row this connection changed since it was set.
    void SetRowObserver(std::shared_ptr<RowObserver> observer);
    RowObserver *CurrentRowObserver() const { return rowObserver_.get(); }
    // Rows inserted, updated or deleted through this connection since it opened.
    qint64 TotalChanges() const;
    // Changes whenever another connection commits to the file; this connection's own commits
    // leave it as it is.
    qint64 DataVersion() const;

    bool TableExists(const QString &table) const;
    // The table's columns in their declared order; empty for an unknown table.
    QStringList ColumnNames(const QString &table) const;

    // Copies the whole database, as it is committed now, into another file through the
    // engine's backup API; the target is overwritten in place. Refused while this connection
    // has an uncommitted change.
    void BackupTo(const QString &targetFile);

    [[noreturn]] void Throw(int rc, const QString &context = {}) const;

private:
    void RegisterFunction(const QString &name, int argCount, void *held, bool deterministic, bool answersInto);

    sqlite3 *db_ = nullptr;
    QString fileName_;
    int busyWaits_ = 1;
    std::shared_ptr<RowObserver> rowObserver_;
};

// A prepared statement. Parameters are numbered from 1 or named (":name"); columns from 0.
class Statement
{
public:
    Statement(Database &db, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // QString → TEXT, integers and bool → INTEGER, double → REAL, QByteArray → BLOB,
    // QDateTime → TEXT "yyyy-MM-dd HH:mm:ss", QDate → TEXT "yyyy-MM-dd", a null QVariant → NULL.
    void Bind(int index, const QVariant &value);
    void Bind(const QString &name, const QVariant &value);
    void BindAll(const QVariantList &values);  // positional, from 1
    // For statements run row after row: no QVariant and no copy. The bytes are held (shared, not
    // copied) until the parameter is bound again or the statement ends.
    void BindNull(int index);
    void BindInt64(int index, qint64 value);
    void BindUtf8(int index, const QByteArray &utf8);  // TEXT
    void BindBlob(int index, const QByteArray &bytes);  // BLOB, empty included
    void ClearBindings();
    int ParameterCount() const;
    QString ParameterName(int index) const;  // with its ":" prefix; empty for "?" parameters

    // Steps once; true when a row is ready.
    bool ExecuteStep();
    // Runs to the end; the number of rows changed (0 for a statement that only reads).
    int Exec();
    void Reset();

    int ColumnCount() const;
    QString ColumnName(int index) const;
    // The table and column a result column is read from; empty for expressions.
    QString ColumnTable(int index) const;
    QString ColumnOrigin(int index) const;
    QVariant Column(int index) const;  // INTEGER → qint64, REAL → double, TEXT → QString, BLOB → QByteArray
    bool IsNull(int index) const;
    // Without QVariant, for reads of many rows. Views live until the next step or reset.
    ValueType ColumnType(int index) const;
    qint64 ColumnInt64(int index) const;  // a number as stored; text is read as a number, null as 0
    ValueView ColumnView(int index) const;  // no conversion: the value in its own storage class

    sqlite3_stmt *Handle() const { return stmt_; }
    const QString &Sql() const { return sql_; }

private:
    Database &db_;
    sqlite3_stmt *stmt_ = nullptr;
    QString sql_;
    std::vector<QByteArray> bound_;  // kept alive until rebound, so the engine need not copy

    void BindBytes(int index, const QByteArray &bytes, bool text);
    void CheckIndex(int index) const;
};

// All or nothing: begins in the constructor, rolls back in the destructor unless committed.
// Guards nest (each inner one is a savepoint), so a routine may guard its own change and still
// be part of a caller's larger one. The outermost guard takes the write lock at once (BEGIN
// IMMEDIATE): two transactions on different connections that each read first and write later
// would each hold the read lock the other needs released, and neither could go on.
class Transaction
{
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void Commit();
    void Rollback();

private:
    Database &db_;
    QString name_;  // the savepoint; empty for the outermost guard
    bool done_ = false;
};

} // namespace SQLite
