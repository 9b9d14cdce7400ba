// The search index renewed from the rows the connection reports changed.
#include "contacts/browser/ContactSearchIndex.h"
#include "contacts/shared/UtilityDb.h"

#include "TestSupport.h"
#include "platform/SqliteDb.h"

#include <gtest/gtest.h>
#include <map>

namespace {

// An entry that counts how often entries are moved or copied.
struct Counted {
    qint64 key = 0;
    int value = 0;
    static inline qint64 moves = 0;
    Counted(qint64 k, int v) : key(k), value(v) {}
    Counted(const Counted &o) : key(o.key), value(o.value) { ++moves; }
    Counted &operator=(const Counted &o) { key = o.key, value = o.value, ++moves; return *this; }
};

// An import adds thousands of rows at once; adding each where it belongs would shift the
// entries behind it every time (rows × entries moves). The merge moves each entry once.
TEST(MergeSortedChanges, EveryEntryMovesAtMostOnce)
{
    constexpr int Existing = 20000;
    // Every other key is listed; changes add the keys between, remove or replace listed ones.
    for (const bool onlyReplaced : {false, true}) {
        SCOPED_TRACE(onlyReplaced);
        std::vector<Counted> entries;
        std::map<qint64, int> expected;
        std::vector<std::pair<qint64, std::optional<Counted>>> changes;
        if (!onlyReplaced)
            changes.emplace_back(-5, std::nullopt);  // a row that was never listed
        for (int i = 0; i < Existing; ++i) {
            const qint64 key = 2 * i;
            entries.emplace_back(key, i);
            expected[key] = i;
            if (i % 3 == 0) {
                changes.emplace_back(key, Counted(key, -i));
                expected[key] = -i;
            } else if (!onlyReplaced && i % 7 == 0) {
                changes.emplace_back(key, std::nullopt);
                expected.erase(key);
            }
            if (!onlyReplaced) {
                changes.emplace_back(key + 1, Counted(key + 1, i));
                expected[key + 1] = i;
            }
        }
        const qint64 limit = qint64(entries.size() + changes.size());
        Counted::moves = 0;
        MergeSortedChanges(entries, changes, [](const Counted &e) { return e.key; });
        EXPECT_LE(Counted::moves, limit);
        std::map<qint64, int> got;
        for (const Counted &e : entries)
            got[e.key] = e.value;
        EXPECT_EQ(got, expected);
        EXPECT_TRUE(entries.size() == got.size() &&
                    std::is_sorted(entries.begin(), entries.end(), [](auto &a, auto &b) { return a.key < b.key; }));
    }
}

class SearchIndexTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = MakeTempDir("search-index") + "/a.txl";
        ASSERT_TRUE(SaveResourceToFile("MYDB", "TEMPLATE", path));
        db = std::make_unique<SQLite::Database>(path);
    }
    void Exec(const QString &sql, const QVariantList &params = {})
    {
        SQLite::Statement statement(*db, sql);
        statement.BindAll(params);
        statement.Exec();
    }
    void AddContacts(int count, const QString &prefix)
    {
        SQLite::Statement insert(*db, "insert into userinfo (uname, umtel, nodetype) values (?, ?, 2)");
        for (int i = 0; i < count; ++i) {
            insert.Reset();
            insert.BindAll({prefix + QString::number(i), prefix + "-tel-" + QString::number(i)});
            insert.Exec();
        }
    }
    QString path;
    std::unique_ptr<SQLite::Database> db;
    const QStringList columns = {"umtel", "ufz"};
    const QStringList listColumns = {"uname", "umtel"};
};

// Thousands of rows added, removed and changed at once are taken row by row into the index, and
// it then finds and lists exactly what an index read afresh finds and lists.
TEST_F(SearchIndexTest, ALargeBatchOfChangedRowsEndsAsAFreshReading)
{
    {
        SQLite::Transaction transaction(*db);
        AddContacts(3000, "老");
        transaction.Commit();
    }
    TRowChangeWatch watch;
    TContactSearchIndex index;
    index.Renew(*db, watch, columns, listColumns);
    ASSERT_EQ(index.Size(), 3000);
    const quint64 watchBefore = watch.Watch();
    {
        SQLite::Transaction transaction(*db);
        AddContacts(8000, "新");
        Exec("delete from userinfo where keyid % 5 = 0 and keyid <= 3000");
        Exec("update userinfo set umtel = 'changed-' || keyid where keyid % 3 = 0 and keyid <= 3000");
        Exec("update userinfo set nodetype = 1 where keyid = 7");
        transaction.Commit();
    }
    index.Renew(*db, watch, columns, listColumns);
    ASSERT_EQ(watch.Watch(), watchBefore) << "the changed rows were taken one by one, not read again";

    SQLite::Database other(path);
    TRowChangeWatch otherWatch;
    TContactSearchIndex fresh;
    fresh.Renew(other, otherWatch, columns, listColumns);
    EXPECT_EQ(index.Size(), fresh.Size());
    EXPECT_EQ(fresh.Size(), 3000 - 600 - 1 + 8000);
    for (const char *needle : {"-tel-", "老", "新", "changed-", "新-tel-7999", "老-tel-7"}) {
        SCOPED_TRACE(needle);
        const std::vector<qint64> found = index.Find(QString::fromUtf8(needle), false);
        EXPECT_EQ(found, fresh.Find(QString::fromUtf8(needle), false));
        for (const qint64 key : found) {
            std::string_view mine, theirs;
            ASSERT_TRUE(index.ListValues(key, mine) && fresh.ListValues(key, theirs));
            ASSERT_EQ(mine, theirs) << key;
        }
    }
    EXPECT_FALSE(index.Find("changed-", false).empty());
    std::string_view values;
    EXPECT_FALSE(index.ListValues(7, values)) << "a contact turned into a group is no longer listed";
}

} // namespace
