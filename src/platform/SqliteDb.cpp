#include "SqliteDb.h"

#include "JetFormat.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <sqlite3.h>

TDbErrorKind EDatabaseError::Kind() const
{
    switch (errorCode_ & 0xff) {
    case SQLITE_FULL: return TDbErrorKind::DiskFull;
    case SQLITE_READONLY: return TDbErrorKind::ReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return TDbErrorKind::Damaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return TDbErrorKind::Busy;
    case SQLITE_IOERR: return TDbErrorKind::DiskError;
    case SQLITE_CANTOPEN: return TDbErrorKind::CannotOpen;
    default: return TDbErrorKind::Other;
    }
}

namespace SQLite {

namespace {

QByteArray Utf8(const QString &text)
{
    return text.toUtf8();
}

QString ErrorText(sqlite3 *db, int rc)
{
    if (db && sqlite3_errcode(db) == rc)
        return QString::fromUtf8(sqlite3_errmsg(db));
    return QString::fromUtf8(sqlite3_errstr(rc));
}

constexpr int kBackupWaitMs = 20;

bool IsBlankTail(const char *tail)
{
    for (; tail && *tail; ++tail) {
        if (!(*tail == ' ' || *tail == '\t' || *tail == '\n' || *tail == '\r' || *tail == ';'))
            return false;
    }
    return true;
}

} // namespace

Database::Database(const QString &fileName, int flags, int busyTimeoutMs) : fileName_(fileName)
{
    // Each connection is used by one thread at a time, so the engine's own locking is not needed.
    int sqliteFlags = SQLITE_OPEN_NOMUTEX;
    if (flags & OpenReadOnly)
        sqliteFlags |= SQLITE_OPEN_READONLY;
    else
        sqliteFlags |= SQLITE_OPEN_READWRITE;
    if (flags & OpenCreate)
        sqliteFlags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(QFile::encodeName(fileName).constData(), &db_, sqliteFlags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = ErrorText(db_, rc);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw EDatabaseError(QStringLiteral("%1: %2").arg(fileName, message), rc);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    busyWaits_ = std::max(1, busyTimeoutMs / kBackupWaitMs);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // Reading through a memory map spares a copy of every page; the browser reads whole tables.
    sqlite3_exec(db_, "PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr);
    RegisterJetFormat(db_);
}

Database::~Database()
{
    sqlite3_close_v2(db_);
    // rowObserver_ goes after the connection, so no change can reach a destroyed observer.
}

void Database::Throw(int rc, const QString &context) const
{
    QString message = ErrorText(db_, rc);
    if (!context.isEmpty())
        message = context + QStringLiteral(": ") + message;
    throw EDatabaseError(message, rc);
}

void Database::Exec(const QString &sql)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(db_, Utf8(sql).constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : ErrorText(db_, rc);
        sqlite3_free(error);
        throw EDatabaseError(message, rc);
    }
}

int Database::Changes() const
{
    return sqlite3_changes(db_);
}

qint64 Database::LastInsertRowId() const
{
    return sqlite3_last_insert_rowid(db_);
}

bool Database::InTransaction() const
{
    return sqlite3_get_autocommit(db_) == 0;
}

namespace {

void SetResult(sqlite3_context *context, const QVariant &result)
{
    const QVariant value = StorageValue(result);
    if (value.isNull()) {
        sqlite3_result_null(context);
    } else if (value.typeId() == QMetaType::LongLong) {
        sqlite3_result_int64(context, value.toLongLong());
    } else if (value.typeId() == QMetaType::Double) {
        sqlite3_result_double(context, value.toDouble());
    } else if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        sqlite3_result_blob64(context, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
    } else {
        const QByteArray text = Utf8(value.toString());
        sqlite3_result_text64(context, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
}

// Runs a registered function's body and turns whatever it throws into the statement's error:
// an exception must not unwind through the engine's C frames.
template <class Body>
void CallShielded(sqlite3_context *context, Body &&body)
{
    try {
        body();
    } catch (const Exception &e) {
        sqlite3_result_error(context, Utf8(e.Message()).constData(), -1);
    } catch (const std::exception &e) {
        sqlite3_result_error(context, e.what(), -1);
    } catch (...) {
        sqlite3_result_error(context, "SQL function failed", -1);
    }
}

void CallFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    const auto &function = *static_cast<const ScalarFunction *>(sqlite3_user_data(context));
    CallShielded(context, [&] { SetResult(context, function(FunctionArgs(argc, argv))); });
}

void DestroyFunction(void *function)
{
    delete static_cast<ScalarFunction *>(function);
}

void CallResultFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    const auto &function = *static_cast<const ResultFunction *>(sqlite3_user_data(context));
    CallShielded(context, [&] {
        FunctionResult result(context);
        function(FunctionArgs(argc, argv), result);
    });
}

void DestroyResultFunction(void *function)
{
    delete static_cast<ResultFunction *>(function);
}

RowObserver::Change ChangeOf(int operation)
{
    switch (operation) {
    case SQLITE_INSERT: return RowObserver::Change::Insert;
    case SQLITE_DELETE: return RowObserver::Change::Delete;
    default: return RowObserver::Change::Update;
    }
}

void TellRowObserver(void *observer, int operation, const char *database, const char *table, sqlite3_int64 rowId)
{
    static_cast<RowObserver *>(observer)->RowChanged(ChangeOf(operation), database, table, rowId);
}

} // namespace

void FunctionResult::SetNull()
{
    sqlite3_result_null(context_);
}

void FunctionResult::SetInt64(qint64 value)
{
    sqlite3_result_int64(context_, value);
}

void FunctionResult::SetUtf8(QByteArrayView text)
{
    sqlite3_result_text64(context_, text.isNull() ? "" : text.data(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT,
                          SQLITE_UTF8);
}

void Database::RegisterFunction(const QString &name, int argCount, void *held, bool deterministic, bool answersInto)
{
    const int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
    // The engine frees `held` through the destroy callback, also when the registration fails.
    const int rc = sqlite3_create_function_v2(db_, Utf8(name).constData(), argCount, flags, held,
                                              answersInto ? CallResultFunction : CallFunction, nullptr, nullptr,
                                              answersInto ? DestroyResultFunction : DestroyFunction);
    if (rc != SQLITE_OK)
        Throw(rc, name);
}

void Database::CreateFunction(const QString &name, int argCount, ScalarFunction function, bool deterministic)
{
    RegisterFunction(name, argCount, new ScalarFunction(std::move(function)), deterministic, false);
}

void Database::CreateFunction(const QString &name, int argCount, ResultFunction function, bool deterministic)
{
    RegisterFunction(name, argCount, new ResultFunction(std::move(function)), deterministic, true);
}

void Database::SetRowObserver(std::shared_ptr<RowObserver> observer)
{
    // The hook is told of the observer itself, which the connection keeps alive while it is set.
    sqlite3_update_hook(db_, observer ? TellRowObserver : nullptr, observer.get());
    rowObserver_ = std::move(observer);
}

qint64 Database::TotalChanges() const
{
    return sqlite3_total_changes64(db_);
}

qint64 Database::DataVersion() const
{
    Statement version(const_cast<Database &>(*this), QStringLiteral("PRAGMA data_version"));
    return version.ExecuteStep() ? version.ColumnInt64(0) : -1;
}

FunctionArgs::Type FunctionArgs::TypeOf(int index) const
{
    switch (sqlite3_value_type(values_[index])) {
    case SQLITE_INTEGER:
        return Type::Integer;
    case SQLITE_FLOAT:
        return Type::Float;
    case SQLITE_TEXT:
        return Type::Text;
    case SQLITE_BLOB:
        return Type::Blob;
    default:
        return Type::Null;
    }
}

qint64 FunctionArgs::Int64(int index) const
{
    return sqlite3_value_int64(values_[index]);
}

double FunctionArgs::Double(int index) const
{
    return sqlite3_value_double(values_[index]);
}

QByteArrayView FunctionArgs::Utf8(int index) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(values_[index]));
    return text ? QByteArrayView(text, sqlite3_value_bytes(values_[index])) : QByteArrayView();
}

QString FunctionArgs::Text(int index) const
{
    return QString::fromUtf8(Utf8(index));
}

QVariant FunctionArgs::Value(int index) const
{
    switch (TypeOf(index)) {
    case Type::Integer:
        return Int64(index);
    case Type::Float:
        return Double(index);
    case Type::Text:
        return Text(index);
    case Type::Blob: {
        const auto *data = static_cast<const char *>(sqlite3_value_blob(values_[index]));
        return QByteArray(data, sqlite3_value_bytes(values_[index]));
    }
    case Type::Null:
        break;
    }
    return {};
}

bool Database::TableExists(const QString &table) const
{
    Statement query(const_cast<Database &>(*this),
                    QStringLiteral("SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ? COLLATE NOCASE"));
    query.Bind(1, table);
    return query.ExecuteStep();
}

QStringList Database::ColumnNames(const QString &table) const
{
    Statement query(const_cast<Database &>(*this), QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"));
    query.Bind(1, table);
    QStringList names;
    while (query.ExecuteStep())
        names << query.Column(0).toString();
    return names;
}

void Database::BackupTo(const QString &targetFile)
{
    // The copy waits for the connection's own uncommitted change, which cannot end meanwhile.
    if (sqlite3_txn_state(db_, "main") == SQLITE_TXN_WRITE)
        throw EDatabaseError(QStringLiteral("Cannot copy the database while this connection is changing it"), SQLITE_BUSY);
    sqlite3 *target = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(targetFile).constData(), &target,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup *backup = sqlite3_backup_init(target, "main", db_, "main");
        if (backup) {
            // Another connection's write may hold the file for a while; wait about as long as
            // the busy timeout would.
            int waits = 0;
            do {
                rc = sqlite3_backup_step(backup, -1);
                if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
                    sqlite3_sleep(kBackupWaitMs);
            } while (rc == SQLITE_OK || ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && ++waits < busyWaits_));
            sqlite3_backup_finish(backup);
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
        if (rc == SQLITE_OK)
            rc = sqlite3_errcode(target);
    }
    const QString message = ErrorText(target, rc);
    const int closeRc = sqlite3_close(target);
    if (rc == SQLITE_OK)
        rc = closeRc;
    if (rc != SQLITE_OK)
        throw EDatabaseError(QStringLiteral("%1: %2").arg(targetFile, message), rc);
}

QVariant StorageValue(const QVariant &value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Bool:
        return qint64(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return value.toLongLong();
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return dt.isValid() ? QVariant(dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))) : QVariant();
    }
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        return d.isValid() ? QVariant(d.toString(QStringLiteral("yyyy-MM-dd"))) : QVariant();
    }
    case QMetaType::QByteArray:
        return value;
    default:
        return value.toString();
    }
}

Statement::Statement(Database &db, const QString &sql) : db_(db), sql_(sql)
{
    const QByteArray text = Utf8(sql);
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db.Handle(), text.constData(), int(text.size()), &stmt_, &tail);
    if (rc != SQLITE_OK)
        db.Throw(rc, sql);
    if (!stmt_)
        throw EDatabaseError(QStringLiteral("No statement in: %1").arg(sql));
    // The engine compiles only the first statement; a second one would be dropped without a word.
    while (!IsBlankTail(tail)) {
        sqlite3_stmt *next = nullptr;
        const char *nextTail = nullptr;
        const int nextRc = sqlite3_prepare_v2(db.Handle(), tail, -1, &next, &nextTail);
        sqlite3_finalize(next);
        if (nextRc != SQLITE_OK || next) {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
            throw EDatabaseError(QStringLiteral("More than one statement in: %1").arg(sql));
        }
        tail = nextTail;
    }
    bound_.resize(size_t(sqlite3_bind_parameter_count(stmt_)) + 1);
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

void Statement::CheckIndex(int index) const
{
    if (index < 1 || index >= int(bound_.size()))
        throw EDatabaseError(QStringLiteral("Parameter %1 out of range in: %2").arg(index).arg(sql_), SQLITE_RANGE);
}

void Statement::Bind(int index, const QVariant &input)
{
    CheckIndex(index);
    const QVariant value = StorageValue(input);
    int rc = SQLITE_OK;
    bound_[size_t(index)].clear();
    if (value.isNull()) {
        rc = sqlite3_bind_null(stmt_, index);
    } else if (value.typeId() == QMetaType::LongLong) {
        rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
    } else if (value.typeId() == QMetaType::Double) {
        rc = sqlite3_bind_double(stmt_, index, value.toDouble());
    } else if (value.typeId() == QMetaType::QByteArray) {
        QByteArray &bytes = bound_[size_t(index)];
        bytes = value.toByteArray();
        rc = sqlite3_bind_blob64(stmt_, index, bytes.isEmpty() ? "" : bytes.constData(), sqlite3_uint64(bytes.size()),
                                 SQLITE_STATIC);
    } else {
        QByteArray &bytes = bound_[size_t(index)];
        bytes = Utf8(value.toString());
        rc = sqlite3_bind_text64(stmt_, index, bytes.isEmpty() ? "" : bytes.constData(), sqlite3_uint64(bytes.size()),
                                 SQLITE_STATIC, SQLITE_UTF8);
    }
    if (rc != SQLITE_OK)
        db_.Throw(rc, sql_);
}

void Statement::BindNull(int index)
{
    CheckIndex(index);
    bound_[size_t(index)].clear();
    if (const int rc = sqlite3_bind_null(stmt_, index); rc != SQLITE_OK)
        db_.Throw(rc, sql_);
}

void Statement::BindInt64(int index, qint64 value)
{
    CheckIndex(index);
    bound_[size_t(index)].clear();
    if (const int rc = sqlite3_bind_int64(stmt_, index, value); rc != SQLITE_OK)
        db_.Throw(rc, sql_);
}

void Statement::BindBytes(int index, const QByteArray &bytes, bool text)
{
    CheckIndex(index);
    QByteArray &held = bound_[size_t(index)];
    held = bytes;
    // A null QByteArray has no data; the engine would take that as SQL null.
    const char *data = held.isEmpty() ? "" : held.constData();
    const int rc = text ? sqlite3_bind_text64(stmt_, index, data, sqlite3_uint64(held.size()), SQLITE_STATIC, SQLITE_UTF8)
                        : sqlite3_bind_blob64(stmt_, index, data, sqlite3_uint64(held.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK)
        db_.Throw(rc, sql_);
}

void Statement::BindUtf8(int index, const QByteArray &utf8)
{
    BindBytes(index, utf8, true);
}

void Statement::BindBlob(int index, const QByteArray &bytes)
{
    BindBytes(index, bytes, false);
}

void Statement::Bind(const QString &name, const QVariant &value)
{
    const int index = sqlite3_bind_parameter_index(stmt_, Utf8(name).constData());
    if (index == 0)
        throw EDatabaseError(QStringLiteral("No parameter %1 in: %2").arg(name, sql_), SQLITE_RANGE);
    Bind(index, value);
}

void Statement::BindAll(const QVariantList &values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        Bind(int(i + 1), values[i]);
}

void Statement::ClearBindings()
{
    sqlite3_clear_bindings(stmt_);
    for (QByteArray &bytes : bound_)
        bytes.clear();
}

int Statement::ParameterCount() const
{
    return sqlite3_bind_parameter_count(stmt_);
}

QString Statement::ParameterName(int index) const
{
    return QString::fromUtf8(sqlite3_bind_parameter_name(stmt_, index));
}

bool Statement::ExecuteStep()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(stmt_);
    db_.Throw(rc, sql_);
}

int Statement::Exec()
{
    while (ExecuteStep()) {
    }
    return sqlite3_stmt_readonly(stmt_) ? 0 : db_.Changes();
}

void Statement::Reset()
{
    sqlite3_reset(stmt_);
}

int Statement::ColumnCount() const
{
    return sqlite3_column_count(stmt_);
}

QString Statement::ColumnName(int index) const
{
    return QString::fromUtf8(sqlite3_column_name(stmt_, index));
}

QString Statement::ColumnTable(int index) const
{
    return QString::fromUtf8(sqlite3_column_table_name(stmt_, index));
}

QString Statement::ColumnOrigin(int index) const
{
    return QString::fromUtf8(sqlite3_column_origin_name(stmt_, index));
}

QVariant Statement::Column(int index) const
{
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(stmt_, index));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt_, index);
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, index));
        return QString::fromUtf8(text, sqlite3_column_bytes(stmt_, index));
    }
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(stmt_, index));
        return QByteArray(data, sqlite3_column_bytes(stmt_, index));
    }
    default:
        return {};
    }
}

bool Statement::IsNull(int index) const
{
    return sqlite3_column_type(stmt_, index) == SQLITE_NULL;
}

namespace {

ValueType TypeOfCode(int code)
{
    switch (code) {
    case SQLITE_INTEGER: return ValueType::Integer;
    case SQLITE_FLOAT: return ValueType::Float;
    case SQLITE_TEXT: return ValueType::Text;
    case SQLITE_BLOB: return ValueType::Blob;
    default: return ValueType::Null;
    }
}

} // namespace

ValueType Statement::ColumnType(int index) const
{
    return TypeOfCode(sqlite3_column_type(stmt_, index));
}

qint64 Statement::ColumnInt64(int index) const
{
    return sqlite3_column_int64(stmt_, index);
}

ValueView Statement::ColumnView(int index) const
{
    // One call into the engine for the value, then only reads of it: the value belongs to the
    // current row and is read on the connection's own thread before the next step.
    sqlite3_value *value = sqlite3_column_value(stmt_, index);
    ValueView view;
    view.Type = TypeOfCode(sqlite3_value_type(value));
    switch (view.Type) {
    case ValueType::Integer:
        view.Int64 = sqlite3_value_int64(value);
        break;
    case ValueType::Float:
        view.Double = sqlite3_value_double(value);
        break;
    case ValueType::Text: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
        view.Bytes = QByteArrayView(text ? text : "", sqlite3_value_bytes(value));
        break;
    }
    case ValueType::Blob: {
        const auto *data = static_cast<const char *>(sqlite3_value_blob(value));
        view.Bytes = QByteArrayView(data ? data : "", sqlite3_value_bytes(value));
        break;
    }
    case ValueType::Null:
        break;
    }
    return view;
}

Transaction::Transaction(Database &db) : db_(db)
{
    if (!db_.InTransaction()) {
        db_.Exec(QStringLiteral("BEGIN IMMEDIATE"));
        return;
    }
    static std::atomic<unsigned> counter{0};
    name_ = QStringLiteral("orv_tx_%1").arg(++counter);
    db_.Exec(QStringLiteral("SAVEPOINT ") + name_);
}

Transaction::~Transaction()
{
    if (done_)
        return;
    try {
        Rollback();
    } catch (const EDatabaseError &) {
        // The engine may already have undone the whole transaction after an I/O error.
    }
}

void Transaction::Commit()
{
    if (done_)
        throw EDatabaseError(QStringLiteral("Transaction already finished"));
    db_.Exec(name_.isEmpty() ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + name_);
    done_ = true;
}

void Transaction::Rollback()
{
    if (done_)
        return;
    done_ = true;
    if (name_.isEmpty())
        db_.Exec(QStringLiteral("ROLLBACK"));
    else
        db_.Exec(QStringLiteral("ROLLBACK TO ") + name_ + QStringLiteral("; RELEASE ") + name_);
}

} // namespace SQLite
