#pragma once
// Reading a large account in ranges of keys on several threads at once, each thread with a
// read-only connection of its own to the account file. The caller takes its share too, on its
// own connection: whatever ranges no thread has begun when the caller asks for the result are
// read by the caller, so on a busy machine, where the threads may hardly run, the caller waits
// at most about one range longer than it would reading everything itself.
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace SQLite {
class Database;
}

// Ranges of keyid, ascending, that together hold every row of userinfo: up to `most` of them
// when the account is large and `db` a file whose every change is committed (other connections
// see only what is committed); otherwise one range that holds everything.
std::vector<std::pair<qint64, qint64>> ReadingRanges(SQLite::Database &db, int most);

class TRangeReading
{
public:
    // Reads range `index` into a place of the caller's, on the given connection, clearing what a
    // failed reading left there. Returns false when it gave up because `stop` was set.
    using TReadRange = std::function<bool(SQLite::Database &db, size_t index, const std::atomic<bool> &stop)>;
    // Sets up a thread's own connection (functions it needs) before it reads.
    using TPrepare = std::function<void(SQLite::Database &db)>;

    // Begins reading `ranges` ranges on up to `threads` threads of connections to `file`.
    TRangeReading(const QString &file, size_t ranges, int threads, TReadRange read, TPrepare prepare = {});
    ~TRangeReading();
    TRangeReading(const TRangeReading &) = delete;
    TRangeReading &operator=(const TRangeReading &) = delete;

    // Reads on `db` every range that no thread has taken, waits for the threads, and reads on
    // `db` again the ranges a thread failed to read. Throws what reading on `db` throws.
    void Finish(SQLite::Database &db);
    // Ends the reading as soon as the threads let it; what they read is not to be used.
    void Stop();

private:
    enum class TState { Waiting, Taken, Done, Failed };
    void Work();
    bool Take(size_t &index);

    QString file_;
    TReadRange read_;
    TPrepare prepare_;
    std::atomic<bool> stop_{false};
    std::atomic<size_t> next_{0};
    std::unique_ptr<std::atomic<TState>[]> states_;
    size_t count_ = 0;
    std::vector<std::thread> threads_;
};
