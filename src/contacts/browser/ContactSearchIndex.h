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
#include <string>
#include <string_view>
#include <vector>

class TContactSearchIndex
{
public:
    // Brings the index up to the account's present state; `columns` are the searched columns,
    // checked names of userinfo. `watch` is the one watch of the connection: the index takes the
    // changed rows it reports. Throws EDatabaseError when the account cannot be read.
    // The values of `listColumns` are kept as well, packed as PackRowValues packs them, so that
    // what a search finds is listed without reading the rows again.
    void Renew(SQLite::Database &db, TRowChangeWatch &watch, const QStringList &columns,
               const QStringList &listColumns = {});

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

    void ReadAll(SQLite::Database &db);
    void ReadChanged(SQLite::Database &db, const QSet<qint64> &keys);
    QString SelectList() const;
    static bool Holds(const TEntry &entry, const QByteArray &needle, bool needleHasNul);

    quint64 builtIn_ = 0;  // the watch the entries were read in; 0 before the first reading
    QStringList columns_;
    QStringList listColumns_;
    std::vector<TEntry> entries_;  // ascending key
    // Kept apart from the searched texts, so that a search scans no more memory than it needs.
    std::string listArena_;
    QHash<qint64, std::string> changedLists_;
};
