#include "browser/ContactSearchIndex.h"

#include "browser/userfrm.h"
#include "browser/userfrmPrivate.h"

#include "platform/SqliteDb.h"

#include <algorithm>
#include <cstring>

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

QString TContactSearchIndex::SelectList() const
{
    return QStringLiteral("keyid,uname") + (columns_.isEmpty() ? QString() : ',' + columns_.join(',')) +
           (listColumns_.isEmpty() ? QString() : ',' + listColumns_.join(','));
}

void TContactSearchIndex::Renew(SQLite::Database &db, TRowChangeWatch &watch, const QStringList &columns,
                                const QStringList &listColumns)
{
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

void TContactSearchIndex::ReadAll(SQLite::Database &db)
{
    entries_.clear();
    SQLite::Statement scan(db, QStringLiteral("select ") + SelectList() +
                                   QStringLiteral(" from userinfo where +nodetype=2 order by keyid"));
    std::vector<TEntry> entries;
    std::string arena;
    std::string list;
    while (scan.ExecuteStep()) {
        TEntry &entry = entries.emplace_back();
        ReadEntry(scan, int(columns_.size()), int(listColumns_.size()), entry, list);
        entry.listAt = quint32(arena.size());
        entry.listSize = quint32(list.size());
        arena += list;
    }
    entries_ = std::move(entries);
    listArena_ = std::move(arena);
    changedLists_.clear();
}

void TContactSearchIndex::ReadChanged(SQLite::Database &db, const QSet<qint64> &keys)
{
    // Read in key order and merged in one pass: an import changes many rows at once.
    std::vector<qint64> ordered(keys.begin(), keys.end());
    std::sort(ordered.begin(), ordered.end());
    SQLite::Statement read(db, QStringLiteral("select ") + SelectList() +
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

bool TContactSearchIndex::Holds(const TEntry &entry, const QByteArray &needle, bool needleHasNul)
{
    const char *values = entry.data.data() + std::max(entry.nameSize, 0);
    const char *end = entry.data.data() + entry.data.size();
    if (!entry.framed) {
        // Every value ends in a NUL, so a needle without one cannot run across two values.
        return !needleHasNul && memmem(values, size_t(end - values), needle.constData(), size_t(needle.size()));
    }
    while (values < end) {
        quint32 length = 0;
        std::memcpy(&length, values, sizeof length);
        values += sizeof length;
        if (length >= quint32(needle.size()) && memmem(values, length, needle.constData(), size_t(needle.size())))
            return true;
        values += length;
    }
    return false;
}

std::vector<qint64> TContactSearchIndex::Find(const QString &text, bool initials) const
{
    std::vector<qint64> keys;
    const QByteArray needle = text.toUtf8();
    const bool needleHasNul = needle.contains('\0');
    for (const TEntry &entry : entries_) {
        bool hit = !needle.isEmpty() && Holds(entry, needle, needleHasNul);
        if (!hit && initials && entry.nameSize >= 0)
            hit = MatchPinyinInitials(QString::fromUtf8(entry.data.data(), entry.nameSize), text);
        if (hit)
            keys.push_back(entry.key);
    }
    return keys;
}
