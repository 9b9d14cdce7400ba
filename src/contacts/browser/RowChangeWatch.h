#pragma once
// Hears every row that one connection changes, so that what the browser keeps in memory about
// the account can be renewed row by row instead of read again.
#include <QSet>
#include <memory>

namespace SQLite {
class Database;
}

class TRowChangeWatch
{
public:
    // True when every change to the account since the current watch began was heard: the
    // watch's log stayed the observer of this very connection, every changed row was reported to
    // it and no other connection wrote. Otherwise a new watch begins (the changed rows are
    // forgotten) and the answer is false, so whatever was built from the account must be built
    // again.
    bool Intact(SQLite::Database *db);

    // Counts the watches begun; what was built in one watch stays good while it lasts.
    quint64 Watch() const { return watch_; }
    // userinfo rows changed in the current watch (the same row changed twice counts twice).
    quint64 ContactChanges() const;
    // The keys of the userinfo rows changed since the last call, within the current watch.
    QSet<qint64> TakeChangedContacts();

    struct TLog;

private:
    void Begin(SQLite::Database &db);

    // Shared with the connection, so neither the page nor the connection need outlive the other.
    std::shared_ptr<TLog> log_;
    quint64 watch_ = 0;
};
