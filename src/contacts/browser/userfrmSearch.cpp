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

namespace {

// Whether the bytes are UTF-8 that reads back as the same bytes, judged conservatively: only
// two-byte sequences and three-byte ones of U+1000..U+CFFF and U+E000..U+EFFF (which hold the
// Chinese characters) are taken as they are; anything else goes through the text conversion.
bool IsPlainUtf8(QByteArrayView bytes)
{
    const auto *at = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = at + bytes.size();
    while (at < end) {
        const unsigned char lead = *at++;
        if (lead < 0x80)
            continue;
        int follow = 0;
        if (lead >= 0xc2 && lead <= 0xdf)
            follow = 1;
        else if ((lead >= 0xe1 && lead <= 0xec) || lead == 0xee)
            follow = 2;
        else
            return false;
        if (end - at < follow)
            return false;
        for (; follow > 0; --follow, ++at) {
            if ((*at & 0xc0) != 0x80)
                return false;
        }
    }
    return true;
}

// The name as the engine compares names: the UTF-8 of its text, ASCII letters in lower case.
QByteArray NameOrderKey(const SQLite::Statement &row, int column)
{
    const SQLite::ValueView value = row.ColumnView(column);
    QByteArray key = value.Type == SQLite::ValueType::Text && IsPlainUtf8(value.Bytes)
                         ? value.Bytes.toByteArray()
                         : ColumnText(row, column).toUtf8();
    for (char &ch : key) {
        if (ch >= 'A' && ch <= 'Z')
            ch = char(ch + 32);
    }
    return key;
}

} // namespace

void Tfuserfrm::SearchContacts(const QString &text)
{
    listedText_ = text;
    SQLite::Database *db = Db();
    if (!db) {
        ClearList(TListSource::Search);
        return;
    }
    std::vector<TListEntry> rows;
    std::vector<QByteArray> order;
    TListColumns at;
    try {
        searchIndex_->Renew(*db, accountWatch_, SearchColumns());
        const std::vector<qint64> keys = searchIndex_->Find(text, IsInitialsPattern(text));
        if (keys.empty()) {
            FillList({}, nullptr, TListSource::Search);
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
        at = ListColumnsOf(reader);
        rows.reserve(keys.size());
        order.reserve(keys.size());
        while (read.ExecuteStep()) {
            TListEntry &entry = rows.emplace_back();
            entry.key = read.ColumnInt64(at.keyid);
            const QString nodetype = ColumnText(read, at.nodetype);
            entry.contact = nodetype == QLatin1String("2");
            entry.group = nodetype == QLatin1String("1");
            entry.values = PackRowValues(read, at.count);
            order.push_back(NameOrderKey(read, at.uname));
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
