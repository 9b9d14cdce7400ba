// Searching every contact: a text that occurs in any searchable column, or a name whose pinyin
// initials fit the text.
#include "browser/userfrm.h"

#include "shared/AppGlobals.h"
#include "browser/userfrmListView.h"
#include "browser/userfrmPrivate.h"

#include "platform/ADODB.h"

#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace {

// Date texts are never searched: searching "2" would find every birthday.
const char *const DateColumns[] = {"uhsr", "ujhjnr"};

// Columns handed to one call of the occurrence function; the engine allows 127 arguments.
constexpr int ColumnsPerCall = 60;

// anycontains(needle, v1, v2, ...): 1 when a text value holds the needle, byte for byte (so
// case-sensitive, as instr is). One call per row instead of one instr per column keeps a search
// over every contact fast.
void AnyContains(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    const void *needle = sqlite3_value_text(argv[0]);
    const int needleSize = sqlite3_value_bytes(argv[0]);
    if (!needle || needleSize == 0) {
        sqlite3_result_int(context, 0);
        return;
    }
    for (int i = 1; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) != SQLITE_TEXT)
            continue;
        const void *text = sqlite3_value_text(argv[i]);
        const int size = sqlite3_value_bytes(argv[i]);
        if (size >= needleSize && memmem(text, size_t(size), needle, size_t(needleSize))) {
            sqlite3_result_int(context, 1);
            return;
        }
    }
    sqlite3_result_int(context, 0);
}

// pinyinmatch(name, pattern): the name's initials fit the pattern.
void PinyinMatch(sqlite3_context *context, int, sqlite3_value **argv)
{
    const auto text = [](sqlite3_value *v) {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
    };
    sqlite3_result_int(context, sqlite3_value_type(argv[0]) == SQLITE_TEXT &&
                                    MatchPinyinInitials(text(argv[0]), text(argv[1])));
}

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
    sqlite3_create_function_v2(db->Handle(), "anycontains", -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               AnyContains, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db->Handle(), "pinyinmatch", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               PinyinMatch, nullptr, nullptr, nullptr);
    const QStringList columns = SearchColumns();
    QStringList calls;
    for (qsizetype first = 0; first < columns.size(); first += ColumnsPerCall)
        calls << QStringLiteral("anycontains(?1,") + columns.mid(first, ColumnsPerCall).join(',') + ')';
    if (IsInitialsPattern(text))
        calls << QStringLiteral("pinyinmatch(uname,?1)");
    if (calls.isEmpty())
        calls << QStringLiteral("0");

    // One pass; the engine builds a row's list columns only when it matches. The result comes in
    // the order of the names as the engine compares them (ASCII letters without case).
    std::vector<TListRow> rows;
    std::vector<QByteArray> order;
    try {
        SQLite::Statement scan(*db, QStringLiteral("select ") + ListColumnsSql(QString()) +
                                        QStringLiteral(" from userinfo where +nodetype=2 and (") +
                                        calls.join(QStringLiteral(" or ")) + ')');
        scan.Bind(1, text);
        const TRowReader reader(scan);
        const TListColumns at = ListColumnsOf(reader);
        while (scan.ExecuteStep()) {
            const QString name = reader.Raw(at.uname);
            rows.push_back(BuildListRow(reader, at));
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
