#pragma once
#include "Types.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

struct sqlite3;
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

// The arguments a registered SQL function is called with, numbered from 0; valid only during
// the call.
class FunctionArgs
{
public:
    enum class Type { Integer, Float, Text, Blob, Null };

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

    bool TableExists(const QString &table) const;
    // The table's columns in their declared order; empty for an unknown table.
    QStringList ColumnNames(const QString &table) const;

    // Copies the whole database, as it is committed now, into another file through the
    // engine's backup API; the target is overwritten in place. Refused while this connection
    // has an uncommitted change.
    void BackupTo(const QString &targetFile);

    [[noreturn]] void Throw(int rc, const QString &context = {}) const;

private:
    sqlite3 *db_ = nullptr;
    QString fileName_;
    int busyWaits_ = 1;
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

    sqlite3_stmt *Handle() const { return stmt_; }
    const QString &Sql() const { return sql_; }

private:
    Database &db_;
    sqlite3_stmt *stmt_ = nullptr;
    QString sql_;
    std::vector<QByteArray> bound_;  // kept alive until rebound, so the engine need not copy
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
