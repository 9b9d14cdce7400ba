#include "browser/ContactSearchIndex.h"

#include "browser/RangeReading.h"

#include "browser/userfrm.h"
#include "browser/userfrmPrivate.h"

#include "platform/SqliteDb.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

namespace {

void AppendValue(std::string &data, const char *bytes, int size, bool framed)
{
    if (framed) {
        const quint32 length = quint32(size);
        data.append(reinterpret_cast<const char *>(&length), sizeof length);
        data.append(bytes, size_t(size));
    } else {
        data.append(bytes, size_t(size));
        data.push_back('\0');
    }
}

} // namespace

QString TContactSearchIndex::SelectList(const QStringList &columns, const QStringList &listColumns)
{
    return QStringLiteral("keyid,uname") + (columns.isEmpty() ? QString() : ',' + columns.join(',')) +
           (listColumns.isEmpty() ? QString() : ',' + listColumns.join(','));
}

// What was read of one range of keys: its entries in key order, with their list values in an
// arena of their own.
struct TContactSearchIndex::TPart {
    qint64 from = 0;
    qint64 to = 0;
    std::vector<TEntry> entries;
    std::string arena;
};

struct TContactSearchIndex::TReading {
    quint64 watch = 0;
    QStringList columns;
    QStringList listColumns;
    std::vector<TPart> parts;
    std::unique_ptr<TRangeReading> threads;  // after the parts, so that it ends first
};

TContactSearchIndex::TContactSearchIndex() = default;

TContactSearchIndex::~TContactSearchIndex()
{
    StopReading();
}

void TContactSearchIndex::Renew(SQLite::Database &db, TRowChangeWatch &watch, const QStringList &columns,
                                const QStringList &listColumns)
{
    FinishReading(db, columns, listColumns);
    const bool intact = watch.Intact(&db);
    if (intact && builtIn_ == watch.Watch() && columns == columns_ && listColumns == listColumns_) {
        const QSet<qint64> changed = watch.TakeChangedContacts();
        if (!changed.isEmpty())
            ReadChanged(db, changed);
        return;
    }
    watch.TakeChangedContacts();
    columns_ = columns;
    listColumns_ = listColumns;
    builtIn_ = 0;
    ReadAll(db);
    builtIn_ = watch.Watch();
}

namespace {

// One contact's entry from the current row of "keyid,uname,<columns>,<list columns>" (plus what
// follows).
template <typename Entry>
void ReadEntry(const SQLite::Statement &row, int columnCount, int listCount, Entry &entry, std::string &list)
{
    list = listCount > 0 ? PackRowValues(row, 2 + columnCount, listCount) : std::string();
    thread_local std::vector<QByteArrayView> values;
    values.clear();
    entry.key = row.ColumnInt64(0);
    entry.framed = false;
    size_t total = 0;
    for (int i = 2; i < 2 + columnCount; ++i) {
        const SQLite::ValueView value = row.ColumnView(i);
        if (value.Type != SQLite::ValueType::Text || value.Bytes.isEmpty())
            continue;
        values.push_back(value.Bytes);
        total += size_t(value.Bytes.size()) + sizeof(quint32);
        if (memchr(value.Bytes.data(), '\0', size_t(value.Bytes.size())))
            entry.framed = true;
    }
    const SQLite::ValueView name = row.ColumnView(1);
    const bool named = name.Type == SQLite::ValueType::Text;
    entry.nameSize = named ? int(name.Bytes.size()) : -1;
    entry.data.clear();
    entry.data.reserve(size_t(std::max(entry.nameSize, 0)) + total);
    if (named)
        entry.data.append(name.Bytes.data(), size_t(entry.nameSize));
    for (const QByteArrayView value : values)
        AppendValue(entry.data, value.data(), int(value.size()), entry.framed);
}

} // namespace

namespace {

// Reads the contacts of keys from..to of "select <select list> ..." into `entries` and `arena`;
// false when `stop` was set before the end.
template <typename Entry>
bool ReadRange(SQLite::Database &db, const QString &selectList, int columnCount, int listCount, qint64 from,
               qint64 to, const std::atomic<bool> *stop, std::vector<Entry> &entries, std::string &arena)
{
    SQLite::Statement scan(db, QStringLiteral("select ") + selectList +
                                   QStringLiteral(" from userinfo where +nodetype=2 and keyid between ? and ? "
                                                  "order by keyid"));
    scan.BindInt64(1, from);
    scan.BindInt64(2, to);
    std::string list;
    while (scan.ExecuteStep()) {
        if (stop && stop->load(std::memory_order_relaxed))
            return false;
        Entry &entry = entries.emplace_back();
        ReadEntry(scan, columnCount, listCount, entry, list);
        entry.listAt = quint32(arena.size());
        entry.listSize = quint32(list.size());
        arena += list;
    }
    return true;
}

} // namespace

void TContactSearchIndex::ReadAll(SQLite::Database &db)
{
    entries_.clear();
    std::vector<TEntry> entries;
    std::string arena;
    ReadRange(db, SelectList(columns_, listColumns_), int(columns_.size()), int(listColumns_.size()),
              std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), nullptr, entries, arena);
    entries_ = std::move(entries);
    listArena_ = std::move(arena);
    changedLists_.clear();
}

void TContactSearchIndex::StartReading(SQLite::Database &db, TRowChangeWatch &watch, const QStringList &columns,
                                       const QStringList &listColumns)
{
    StopReading();
    // The watch must be running before the threads take their snapshots: a change made after
    // that is heard, and Renew reads it in.
    const bool intact = watch.Intact(&db);
    if (intact && builtIn_ == watch.Watch() && columns == columns_ && listColumns == listColumns_)
        return;
    // More ranges than threads: whoever is free takes the next, the search that waits included.
    // An account too small to be read in ranges is read by Renew in less time than threads take.
    // One range too when other connections cannot see what `db` sees: changes not yet committed,
    // perhaps made before the watch, or a database that is no file.
    const auto ranges = ReadingRanges(db, 24);
    if (ranges.size() < 2)
        return;
    auto reading = std::make_unique<TReading>();
    reading->watch = watch.Watch();
    reading->columns = columns;
    reading->listColumns = listColumns;
    for (const auto &[from, to] : ranges) {
        TPart &part = reading->parts.emplace_back();
        part.from = from;
        part.to = to;
    }
    const QString selectList = SelectList(columns, listColumns);
    const int columnCount = int(columns.size());
    const int listCount = int(listColumns.size());
    TReading *shared = reading.get();
    const int threads = std::clamp(QThread::idealThreadCount() / 2 - 1, 1, 3);
    reading->threads = std::make_unique<TRangeReading>(
        db.FileName(), reading->parts.size(), threads,
        [shared, selectList, columnCount, listCount](SQLite::Database &on, size_t index, const std::atomic<bool> &stop) {
            TPart &part = shared->parts[index];
            part.entries.clear();
            part.arena.clear();
            return ReadRange(on, selectList, columnCount, listCount, part.from, part.to,
                             &stop, part.entries, part.arena);
        });
    reading_ = std::move(reading);
}

void TContactSearchIndex::StopReading()
{
    if (reading_)
        reading_->threads->Stop();
    reading_.reset();
}

void TContactSearchIndex::FinishReading(SQLite::Database &db, const QStringList &columns, const QStringList &listColumns)
{
    if (!reading_)
        return;
    if (columns != reading_->columns || listColumns != reading_->listColumns) {
        StopReading();
        return;
    }
    std::unique_ptr<TReading> reading = std::move(reading_);
    // What no thread has begun yet is read here: waiting for busy threads would take longer.
    reading->threads->Finish(db);
    size_t entryCount = 0;
    size_t arenaSize = 0;
    for (const TPart &part : reading->parts) {
        entryCount += part.entries.size();
        arenaSize += part.arena.size();
    }
    if (arenaSize >= NotInArena)
        return;  // beyond what an entry can point at: Renew reads the index itself
    std::vector<TEntry> entries;
    std::string arena;
    entries.reserve(entryCount);
    arena.reserve(arenaSize);
    for (TPart &part : reading->parts) {
        const quint32 offset = quint32(arena.size());
        arena += part.arena;
        for (TEntry &entry : part.entries) {
            entry.listAt += offset;
            entries.push_back(std::move(entry));
        }
    }
    entries_ = std::move(entries);
    listArena_ = std::move(arena);
    changedLists_.clear();
    columns_ = reading->columns;
    listColumns_ = reading->listColumns;
    builtIn_ = reading->watch;
}

void TContactSearchIndex::ReadChanged(SQLite::Database &db, const QSet<qint64> &keys)
{
    // Read in key order and merged in one pass: an import changes many rows at once.
    std::vector<qint64> ordered(keys.begin(), keys.end());
    std::sort(ordered.begin(), ordered.end());
    SQLite::Statement read(db, QStringLiteral("select ") + SelectList(columns_, listColumns_) +
                                   QStringLiteral(",nodetype=2 from userinfo where keyid=?"));
    const int isContact = 2 + int(columns_.size()) + int(listColumns_.size());
    std::vector<std::pair<qint64, std::optional<TEntry>>> changes;
    changes.reserve(ordered.size());
    for (const qint64 key : ordered) {
        read.Reset();
        read.Bind(1, key);
        if (!read.ExecuteStep() || read.ColumnInt64(isContact) != 1) {
            changedLists_.remove(key);
            changes.emplace_back(key, std::nullopt);
            continue;
        }
        TEntry &entry = *changes.emplace_back(key, TEntry()).second;
        std::string list;
        ReadEntry(read, int(columns_.size()), int(listColumns_.size()), entry, list);
        changedLists_.insert(key, std::move(list));
    }
    MergeSortedChanges(entries_, changes, [](const TEntry &entry) { return entry.key; });
}

bool TContactSearchIndex::ListValues(qint64 key, std::string_view &values) const
{
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), key,
                                     [](const TEntry &entry, qint64 k) { return entry.key < k; });
    if (at == entries_.end() || at->key != key)
        return false;
    if (at->listAt != NotInArena) {
        values = std::string_view(listArena_).substr(at->listAt, at->listSize);
        return true;
    }
    const auto changed = changedLists_.constFind(key);
    values = changed != changedLists_.constEnd() ? std::string_view(*changed) : std::string_view();
    return true;
}

bool TContactSearchIndex::Holds(const TEntry &entry, const TSearcher &needle)
{
    const char *values = entry.data.data() + std::max(entry.nameSize, 0);
    const char *end = entry.data.data() + entry.data.size();
    if (!entry.framed) {
        // Every value ends in a NUL, so a needle without one cannot run across two values.
        return !needle.hasNul && std::search(values, end, needle.searcher) != end;
    }
    while (values < end) {
        quint32 length = 0;
        std::memcpy(&length, values, sizeof length);
        values += sizeof length;
        if (length >= quint32(needle.size) && std::search(values, values + length, needle.searcher) != values + length)
            return true;
        values += length;
    }
    return false;
}

std::vector<qint64> TContactSearchIndex::Find(const QString &text, bool initials) const
{
    std::vector<qint64> keys;
    const QByteArray bytes = text.toUtf8();
    // The needle's skip table is made once for every contact, not once a contact.
    const TSearcher needle{TSearcher::Searcher(bytes.constData(), bytes.constData() + bytes.size()),
                           bytes.size(), bytes.contains('\0')};
    for (const TEntry &entry : entries_) {
        bool hit = !bytes.isEmpty() && Holds(entry, needle);
        if (!hit && initials && entry.nameSize >= 0)
            hit = MatchPinyinInitials(QString::fromUtf8(entry.data.data(), entry.nameSize), text);
        if (hit)
            keys.push_back(entry.key);
    }
    return keys;
}
