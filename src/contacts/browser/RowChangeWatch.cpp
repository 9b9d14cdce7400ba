#include "browser/RowChangeWatch.h"

#include "platform/SqliteDb.h"

#include <sqlite3.h>

struct TRowChangeWatch::TLog {
    long long dataVersion = -1;
    long long totalChanges = 0;  // the connection's count when the watch began
    long long heard = 0;         // rows of every table reported since then
    quint64 contactChanges = 0;
    QSet<qint64> changedContacts;
};

namespace {

// The name under which a connection keeps the log (a function that is never called: the engine
// frees a function's data when the function is replaced or the connection closes).
const char *const LogHolder = "orvanta_row_change_log";

void Hook(void *data, int, const char *database, const char *table, sqlite3_int64 rowid)
{
    auto *log = static_cast<TRowChangeWatch::TLog *>(data);
    ++log->heard;
    if (sqlite3_stricmp(database, "main") == 0 && sqlite3_stricmp(table, "userinfo") == 0) {
        ++log->contactChanges;
        log->changedContacts.insert(rowid);
    }
}

void NoCall(sqlite3_context *context, int, sqlite3_value **)
{
    sqlite3_result_null(context);
}

void FreeLog(void *data)
{
    delete static_cast<TRowChangeWatch::TLog *>(data);
}

// Commits by other connections to the same file change this number; our own do not.
long long DataVersion(sqlite3 *handle)
{
    sqlite3_stmt *statement = nullptr;
    long long version = -1;
    if (sqlite3_prepare_v2(handle, "pragma data_version", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        version = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return version;
}

} // namespace

bool TRowChangeWatch::Intact(SQLite::Database *db)
{
    sqlite3 *handle = db ? db->Handle() : nullptr;
    if (!handle)
        return false;
    // Whether our log is still the hook's answers whether this is the connection it was set on:
    // one opened anew, even at the same address, has no hook. Only then is the log alive.
    void *previous = sqlite3_update_hook(handle, nullptr, nullptr);
    if (log_ && previous == log_) {
        sqlite3_update_hook(handle, Hook, log_);
        // Every change the engine counted must have been heard; a table emptied in one step, for
        // one, is counted but not reported row by row.
        if (DataVersion(handle) == log_->dataVersion && sqlite3_total_changes64(handle) - log_->totalChanges == log_->heard)
            return true;
    }
    Begin(handle);
    return false;
}

quint64 TRowChangeWatch::ContactChanges() const
{
    return log_ ? log_->contactChanges : 0;
}

QSet<qint64> TRowChangeWatch::TakeChangedContacts()
{
    return log_ ? std::exchange(log_->changedContacts, {}) : QSet<qint64>();
}

void TRowChangeWatch::Begin(sqlite3 *handle)
{
    ++watch_;
    auto *log = new TLog;
    // Replacing the holder frees the log of an earlier watch on this connection.
    if (sqlite3_create_function_v2(handle, LogHolder, 0, SQLITE_UTF8, log, NoCall, nullptr, nullptr, FreeLog) !=
        SQLITE_OK) {
        log_ = nullptr;  // the engine has freed it; every answer stays "not intact"
        return;
    }
    log->dataVersion = DataVersion(handle);
    log->totalChanges = sqlite3_total_changes64(handle);
    sqlite3_update_hook(handle, Hook, log);
    log_ = log;
}
