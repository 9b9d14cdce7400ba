// Searching every contact: a text that occurs in any searchable column, or a name whose pinyin
// initials fit the text.
#include "browser/userfrm.h"

#include "shared/AppGlobals.h"
#include "browser/ContactSearchIndex.h"
#include "browser/userfrmListView.h"
#include "browser/userfrmPrivate.h"

#include "platform/ADODB.h"

#include <algorithm>

namespace {

// Date texts are never searched: searching "2" would find every birthday.
const char *const DateColumns[] = {"uhsr", "ujhjnr"};

// Only letters and "?" can match initials; any other text is searched as text alone.
bool IsInitialsPattern(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar ch) {
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '?';
    });
}

// A name's place in the results: its UTF-8 with ASCII letters folded, the first sixteen bytes
// (five Chinese characters) compared as two numbers.
struct TNameOrder {
    quint64 head[2] = {};
    QByteArray rest;  // the folded bytes after the first sixteen; rarely any
    int size = 0;

    bool operator<(const TNameOrder &other) const
    {
        if (head[0] != other.head[0])
            return head[0] < other.head[0];
        if (head[1] != other.head[1])
            return head[1] < other.head[1];
        if (size <= 16 && other.size <= 16)
            return size < other.size;
        return rest < other.rest;
    }
};

TNameOrder NameOrderOf(const std::string &values, int column)
{
    TNameOrder order;
    QByteArray name = PackedUtf8(values, column);
    for (char &ch : name) {
        if (ch >= 'A' && ch <= 'Z')
            ch = char(ch + 32);
    }
    order.size = int(name.size());
    for (qsizetype i = 0; i < 16; ++i)
        order.head[i / 8] = order.head[i / 8] << 8 | (i < name.size() ? quint8(name[i]) : 0);
    if (name.size() > 16)
        order.rest = name.mid(16);
    return order;
}

} // namespace

void Tfuserfrm::RunSearch(const QString &text)
{
    if (!text.trimmed().isEmpty())
        SearchContacts(text);
}

QStringList Tfuserfrm::SearchColumns()
{
    if (!searchColumns_.isEmpty())
        return searchColumns_;
    SQLite::Database *db = Db();
    if (!db)
        return {};
    QStringList textColumns;
    try {
        SQLite::Statement info(*db, QStringLiteral("pragma table_info(userinfo)"));
        while (info.ExecuteStep()) {
            if (info.Column(2).toString().contains(QLatin1String("TEXT"), Qt::CaseInsensitive))
                textColumns << info.Column(1).toString().toLower();
        }
    } catch (const EDatabaseError &) {
        return {};
    }
    for (const QString &pair : FieldCaptions) {
        const QString name = PairName(pair).toLower();
        const bool date = std::any_of(std::begin(DateColumns), std::end(DateColumns),
                                      [&](const char *column) { return name == QLatin1String(column); });
        if (!date && textColumns.contains(name) && !searchColumns_.contains(name))
            searchColumns_ << name;
    }
    return searchColumns_;
}

void Tfuserfrm::StartSearchIndex()
{
    if (SQLite::Database *db = Db())
        searchIndex_->StartReading(*db, accountWatch_, SearchColumns(), ListColumnsSql(QString()).split(','));
}

void Tfuserfrm::SearchContacts(const QString &text)
{
    listedText_ = text;
    SQLite::Database *db = Db();
    if (!db) {
        ClearList(TListSource::Search);
        return;
    }
    std::vector<TListEntry> rows;
    std::vector<TNameOrder> order;
    const QStringList listColumns = ListColumnsSql(QString()).split(',');
    QHash<QString, int> columnIndex;
    for (int i = 0; i < listColumns.size(); ++i)
        columnIndex.insert(listColumns[i].toLower(), i);
    const TListColumns at = ListColumnsOf(columnIndex, int(listColumns.size()));
    try {
        // The index keeps the listed values of every contact: what it finds is listed from it.
        searchIndex_->Renew(*db, accountWatch_, SearchColumns(), listColumns);
        const std::vector<qint64> keys = searchIndex_->Find(text, IsInitialsPattern(text));
        rows.reserve(keys.size());
        order.reserve(keys.size());
        for (const qint64 key : keys) {
            std::string_view values;
            if (!searchIndex_->ListValues(key, values))
                continue;
            TListEntry &entry = rows.emplace_back();
            entry.key = key;
            entry.values = values;
            // The index holds contacts only.
            entry.contact = true;
            order.push_back(NameOrderOf(entry.values, at.uname));
        }
    } catch (const EDatabaseError &) {
        ClearList(TListSource::Search);
        return;
    }
    // By name as the engine compares names (ASCII letters without case); ties in key order.
    std::vector<int> index(rows.size());
    for (size_t i = 0; i < index.size(); ++i)
        index[i] = int(i);
    std::stable_sort(index.begin(), index.end(), [&](int a, int b) { return order[size_t(a)] < order[size_t(b)]; });
    std::vector<TListEntry> sorted;
    sorted.reserve(rows.size());
    for (int i : index)
        sorted.push_back(std::move(rows[size_t(i)]));
    FillList(std::move(sorted), ListRowMaker(at), TListSource::Search);
}
