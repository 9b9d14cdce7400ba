#include "browser/RowChangeWatch.h"

#include "platform/SqliteDb.h"

#include <QByteArray>

struct TRowChangeWatch::TLog : SQLite::RowObserver {
    qint64 dataVersion = -1;
    qint64 totalChanges = 0;  // the connection's count when the watch began
    qint64 heard = 0;         // rows of every table reported since then
    quint64 contactChanges = 0;
    QSet<qint64> changedContacts;

    void RowChanged(Change, const char *database, const char *table, qint64 rowId) override
    {
        ++heard;
        if (qstricmp(database, "main") == 0 && qstricmp(table, "userinfo") == 0) {
            ++contactChanges;
            changedContacts.insert(rowId);
        }
    }
};

bool TRowChangeWatch::Intact(SQLite::Database *db)
{
    if (!db)
        return false;
    // Whether our log is still the connection's observer answers whether this is the connection
    // it was set on: one opened anew, even at the same address, has none.
    if (log_ && db->CurrentRowObserver() == log_.get()) {
        // Every change the engine counted must have been heard; a table emptied in one step, for
        // one, is counted but not reported row by row.
        if (db->DataVersion() == log_->dataVersion && db->TotalChanges() - log_->totalChanges == log_->heard)
            return true;
    }
    Begin(*db);
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

void TRowChangeWatch::Begin(SQLite::Database &db)
{
    ++watch_;
    auto log = std::make_shared<TLog>();
    log_.reset();
    log->dataVersion = db.DataVersion();
    log->totalChanges = db.TotalChanges();
    db.SetRowObserver(log);
    log_ = std::move(log);
}
