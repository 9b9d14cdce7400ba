#pragma once
// The searched texts of every contact, kept in memory so that a search is a scan of bytes
// instead of a pass of the engine over every column of every row. Renewed row by row from what
// the connection reports changed; read again whole when a change may have gone unheard. The
// values the contact list shows are kept beside them, so a search with many hits lists them
// without reading the rows again.
#include "browser/RowChangeWatch.h"

#include <QString>
#include <QStringList>
#include <QHash>
#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Brings `entries` (ascending by key, each key once) up to date with `changes` (ascending by key,
// each key once): a change with a value replaces or adds the entry of its key, one without removes
// it. Each entry is moved at most once, however many changes there are, so renewing after a large
// import costs what one reading of the index costs rather than one shift of the index per row.
template <typename Entry, typename KeyOf>
void MergeSortedChanges(std::vector<Entry> &entries,
                        std::vector<std::pair<qint64, std::optional<Entry>>> &changes, KeyOf keyOf)
{
    const auto below = [&keyOf](const Entry &entry, qint64 key) { return keyOf(entry) < key; };
    // Changes of entries already there, the common case of an edit, need nothing shifted.
    const bool inPlace = std::all_of(changes.begin(), changes.end(), [&](const auto &change) {
        const auto at = std::lower_bound(entries.begin(), entries.end(), change.first, below);
        return change.second && at != entries.end() && keyOf(*at) == change.first;
    });
    if (inPlace) {
        for (auto &[key, entry] : changes)
            *std::lower_bound(entries.begin(), entries.end(), key, below) = std::move(*entry);
        return;
    }
    std::vector<Entry> merged;
    merged.reserve(entries.size() + changes.size());
    auto at = entries.begin();
    for (auto &[key, entry] : changes) {
        const auto next = std::lower_bound(at, entries.end(), key, below);
        merged.insert(merged.end(), std::make_move_iterator(at), std::make_move_iterator(next));
        at = next;
        if (at != entries.end() && keyOf(*at) == key)
            ++at;  // replaced or removed
        if (entry)
            merged.push_back(std::move(*entry));
    }
    merged.insert(merged.end(), std::make_move_iterator(at), std::make_move_iterator(entries.end()));
    entries = std::move(merged);
}

class TContactSearchIndex
{
public:
    TContactSearchIndex();
    ~TContactSearchIndex();
    TContactSearchIndex(const TContactSearchIndex &) = delete;
    TContactSearchIndex &operator=(const TContactSearchIndex &) = delete;

    // Brings the index up to the account's present state; `columns` are the searched columns,
    // checked names of userinfo. `watch` is the one watch of the connection: the index takes the
    // changed rows it reports. Throws EDatabaseError when the account cannot be read.
    // The values of `listColumns` are kept as well, packed as PackRowValues packs them, so that
    // what a search finds is listed without reading the rows again.
    // A reading begun by StartReading for the same columns is finished first, the ranges that no
    // thread has begun being read here: a search typed before the index is ready waits for it
    // and finds what it would find afterwards.
    void Renew(SQLite::Database &db, TRowChangeWatch &watch, const QStringList &columns,
               const QStringList &listColumns = {});

    // When Renew would have to read the whole index, begins that reading on threads of their
    // own, in ranges of keys, each thread with a read-only connection of its own to the account
    // file, so that the page is usable while it runs. What `db` changes meanwhile is heard by `watch`
    // and read in by Renew afterwards; a change by anyone else makes Renew read everything
    // again. Nothing is begun for a database that is not a file, nor for a small account. Never
    // throws: a reading that fails is done again by Renew.
    void StartReading(SQLite::Database &db, TRowChangeWatch &watch, const QStringList &columns,
                      const QStringList &listColumns = {});
    bool Reading() const { return bool(reading_); }

    // The packed values of the list columns of a contact the index holds; false for another key.
    bool ListValues(qint64 key, std::string_view &values) const;

    // In key order, the contacts (rows with nodetype 2) with a text value that holds `text`
    // byte for byte, or, when `initials` is set, whose name's pinyin initials fit it.
    std::vector<qint64> Find(const QString &text, bool initials) const;

    qsizetype Size() const { return qsizetype(entries_.size()); }

private:
    struct TEntry {
        qint64 key = 0;
        int nameSize = -1;    // bytes of the name at the start of `data`; -1 when it is no text
        bool framed = false;  // values stored with their lengths, because one holds a NUL byte
        // The list columns' values: in listArena_ when read with all others, else in changedLists_.
        quint32 listAt = NotInArena;
        quint32 listSize = 0;
        std::string data;     // the name, then every non-empty text value
    };
    static constexpr quint32 NotInArena = 0xffffffffu;
    struct TPart;
    struct TReading;

    void ReadAll(SQLite::Database &db);
    // Waits for the reading begun by StartReading and takes it when it read everything for the
    // present columns.
    void FinishReading(SQLite::Database &db, const QStringList &columns, const QStringList &listColumns);
    void StopReading();
    void ReadChanged(SQLite::Database &db, const QSet<qint64> &keys);
    static QString SelectList(const QStringList &columns, const QStringList &listColumns);
    struct TSearcher {
        using Searcher = std::boyer_moore_horspool_searcher<const char *>;
        Searcher searcher;
        qsizetype size = 0;
        bool hasNul = false;
    };
    static bool Holds(const TEntry &entry, const TSearcher &needle);

    quint64 builtIn_ = 0;  // the watch the entries were read in; 0 before the first reading
    QStringList columns_;
    QStringList listColumns_;
    std::vector<TEntry> entries_;  // ascending key
    // Kept apart from the searched texts, so that a search scans no more memory than it needs.
    std::string listArena_;
    QHash<qint64, std::string> changedLists_;
    std::unique_ptr<TReading> reading_;
};
