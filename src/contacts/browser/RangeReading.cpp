#include "browser/RangeReading.h"

#include "platform/SqliteDb.h"

#include <algorithm>
#include <limits>
#include <system_error>

std::vector<std::pair<qint64, qint64>> ReadingRanges(SQLite::Database &db, int most)
{
    constexpr qint64 Lowest = std::numeric_limits<qint64>::min();
    constexpr qint64 Highest = std::numeric_limits<qint64>::max();
    constexpr qint64 KeysPerRange = 4096;
    const QString file = db.FileName();
    if (most <= 1 || file.isEmpty() || file == QLatin1String(":memory:") || file.startsWith(QLatin1String("file:")) ||
        db.InTransaction())
        return {{Lowest, Highest}};
    qint64 low = 0;
    qint64 high = -1;
    try {
        // Each of the two is one step down the table's tree; asked together they are a scan.
        SQLite::Statement span(db, QStringLiteral("select (select min(keyid) from userinfo),(select max(keyid) from userinfo)"));
        if (span.ExecuteStep() && span.ColumnType(0) == SQLite::ValueType::Integer) {
            low = span.ColumnInt64(0);
            high = span.ColumnInt64(1);
        }
    } catch (const EDatabaseError &) {
        return {{Lowest, Highest}};
    }
    const qint64 keys = high >= low ? high - low + 1 : 0;
    const int count = int(std::clamp<qint64>(keys / KeysPerRange, 1, most));
    std::vector<std::pair<qint64, qint64>> ranges;
    for (int i = 0; i < count; ++i)
        ranges.emplace_back(i == 0 ? Lowest : low + keys * i / count,
                            i == count - 1 ? Highest : low + keys * (i + 1) / count - 1);
    return ranges;
}

TRangeReading::TRangeReading(const QString &file, size_t ranges, int threads, TReadRange read, TPrepare prepare)
    : file_(file), read_(std::move(read)), prepare_(std::move(prepare)),
      states_(new std::atomic<TState>[ranges]), count_(ranges)
{
    for (size_t i = 0; i < count_; ++i)
        states_[i] = TState::Waiting;
    const size_t workers = std::min(size_t(std::max(threads, 0)), count_);
    try {
        for (size_t i = 0; i < workers; ++i)
            threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error &) {
        // No more threads to be had: the caller reads what the others leave.
    }
}

TRangeReading::~TRangeReading()
{
    Stop();
}

bool TRangeReading::Take(size_t &index)
{
    if (next_.load() >= count_)
        return false;
    index = next_.fetch_add(1);
    if (index >= count_)
        return false;
    states_[index] = TState::Taken;
    return true;
}

void TRangeReading::Work()
{
    std::unique_ptr<SQLite::Database> own;
    try {
        own = std::make_unique<SQLite::Database>(file_, SQLite::OpenReadOnly);
        if (prepare_)
            prepare_(*own);
    } catch (...) {
        return;  // the ranges are left to the others and to the caller
    }
    size_t index = 0;
    while (!stop_ && Take(index)) {
        bool done = false;
        try {
            done = read_(*own, index, stop_);
        } catch (...) {
            done = false;
        }
        states_[index] = done ? TState::Done : TState::Failed;
    }
}

void TRangeReading::Finish(SQLite::Database &db)
{
    size_t index = 0;
    while (Take(index)) {
        states_[index] = TState::Failed;  // until read: an exception leaves it so
        if (read_(db, index, stop_))
            states_[index] = TState::Done;
    }
    for (std::thread &thread : threads_)
        thread.join();
    threads_.clear();
    for (size_t i = 0; i < count_; ++i) {
        if (states_[i] != TState::Done && read_(db, i, stop_))
            states_[i] = TState::Done;
    }
}

void TRangeReading::Stop()
{
    stop_ = true;
    for (std::thread &thread : threads_)
        thread.join();
    threads_.clear();
}
