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

void Tfuserfrm::SearchContacts(const QString &text)
{
    listedText_ = text;
    SQLite::Database *db = Db();
    if (!db) {
        ClearList(TListSource::Search);
        return;
    }
    std::vector<TListRow> rows;
    std::vector<QByteArray> order;
    try {
        searchIndex_->Renew(*db, accountWatch_, SearchColumns());
        const std::vector<qint64> keys = searchIndex_->Find(text, IsInitialsPattern(text));
        if (keys.empty()) {
            FillList({}, TListSource::Search);
            return;
        }
        QByteArray list = "[";
        for (const qint64 key : keys)
            list += QByteArray::number(key) + ',';
        list.back() = ']';
        SQLite::Statement read(*db, QStringLiteral("select ") + ListColumnsSql(QString()) +
                                        QStringLiteral(" from userinfo where keyid in (select value from json_each(?))"
                                                       " order by keyid"));
        read.Bind(1, QString::fromLatin1(list));
        const TRowReader reader(read);
        const TListColumns at = ListColumnsOf(reader);
        rows.reserve(keys.size());
        order.reserve(keys.size());
        while (read.ExecuteStep()) {
            rows.push_back(BuildListRow(reader, at));
            const QString name = reader.Foreign() ? reader.Raw(at.uname) : rows.back().record->uname;
            QByteArray key = name.toUtf8();
            for (char &ch : key) {
                if (ch >= 'A' && ch <= 'Z')
                    ch = char(ch + 32);
            }
            order.push_back(key);
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
    std::vector<TListRow> sorted;
    sorted.reserve(rows.size());
    for (int i : index)
        sorted.push_back(std::move(rows[size_t(i)]));
    FillList(std::move(sorted), TListSource::Search);
}
