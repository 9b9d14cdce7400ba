// The search index renewed from the rows the connection reports changed.
#include "contacts/browser/ContactSearchIndex.h"
#include "contacts/browser/RangeReading.h"
#include "contacts/shared/UtilityDb.h"

#include "TestSupport.h"
#include "platform/SqliteDb.h"

#include <QFile>
#include <gtest/gtest.h>
#include <limits>
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
    // Contacts with keys far apart, so that a reading on threads splits them over its ranges.
    void AddSpreadContacts(const QString &prefix)
    {
        SQLite::Statement insert(*db, "insert into userinfo (keyid, uname, umtel, nodetype) values (?, ?, ?, 2)");
        for (const qint64 key : {100, 101, 20000, 40000, 40001, 65000, 99999}) {
            insert.Reset();
            insert.BindAll({key, prefix + QString::number(key), prefix + "-tel-" + QString::number(key)});
            insert.Exec();
        }
    }
    // Finds and lists what an index read afresh on another connection finds and lists.
    void ExpectAsFresh(const TContactSearchIndex &index, const QStringList &needles)
    {
        SQLite::Database other(path);
        TRowChangeWatch otherWatch;
        TContactSearchIndex fresh;
        fresh.Renew(other, otherWatch, columns, listColumns);
        EXPECT_EQ(index.Size(), fresh.Size());
        for (const QString &needle : needles) {
            SCOPED_TRACE(needle.toStdString());
            const std::vector<qint64> found = index.Find(needle, false);
            EXPECT_EQ(found, fresh.Find(needle, false));
            for (const qint64 key : found) {
                std::string_view mine, theirs;
                ASSERT_TRUE(index.ListValues(key, mine) && fresh.ListValues(key, theirs));
                ASSERT_EQ(mine, theirs) << key;
            }
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

// The index read on threads while the connection goes on writing: whenever the threads took
// their snapshots, what Renew then holds is what a fresh reading gives.
TEST_F(SearchIndexTest, AReadingInTheBackgroundTakesEveryChangeMadeMeanwhile)
{
    enum Meanwhile { Nothing, OwnWrites, UncommittedAtStart, OtherConnectionWrites };
    for (const Meanwhile meanwhile : {Nothing, OwnWrites, UncommittedAtStart, OtherConnectionWrites}) {
        SCOPED_TRACE(int(meanwhile));
        db.reset();
        ASSERT_TRUE(QFile::remove(path) && SaveResourceToFile("MYDB", "TEMPLATE", path));
        db = std::make_unique<SQLite::Database>(path);
        AddSpreadContacts("人");
        TRowChangeWatch watch;
        TContactSearchIndex index;
        std::unique_ptr<SQLite::Transaction> open;
        if (meanwhile == UncommittedAtStart) {
            open = std::make_unique<SQLite::Transaction>(*db);
            Exec("update userinfo set umtel='未提交' where keyid=40000");
        }
        index.StartReading(*db, watch, columns, listColumns);
        // What is not committed yet cannot be seen from elsewhere: that index is read by Renew.
        EXPECT_EQ(index.Reading(), meanwhile != UncommittedAtStart);
        if (open)
            open->Commit();
        if (meanwhile == OwnWrites) {
            Exec("update userinfo set umtel='改过' where keyid in (101, 65000)");
            Exec("delete from userinfo where keyid=20000");
            Exec("insert into userinfo (keyid, uname, umtel, nodetype) values (80000, '后来', '后来-tel', 2)");
        }
        if (meanwhile == OtherConnectionWrites) {
            SQLite::Database other(path);
            SQLite::Statement change(other, "update userinfo set umtel='别处' where keyid=99999");
            change.Exec();
        }
        index.Renew(*db, watch, columns, listColumns);
        EXPECT_FALSE(index.Reading());
        ExpectAsFresh(index, {"-tel-", "改过", "后来", "未提交", "别处", "人1"});
        const std::vector<qint64> expected =
            meanwhile == OwnWrites ? std::vector<qint64>{101, 65000}
            : meanwhile == UncommittedAtStart ? std::vector<qint64>{40000}
            : meanwhile == OtherConnectionWrites ? std::vector<qint64>{99999}
                                                 : std::vector<qint64>{};
        EXPECT_EQ(index.Find(meanwhile == OwnWrites ? "改过" : meanwhile == UncommittedAtStart ? "未提交" : "别处", false),
                  expected);
    }
}

// An index that is up to date starts no reading, nor does a small account; a database that is no
// file is read by Renew.
TEST_F(SearchIndexTest, NothingIsReadInTheBackgroundWithoutNeed)
{
    TRowChangeWatch watch;
    TContactSearchIndex index;
    AddContacts(50, "小");
    index.StartReading(*db, watch, columns, listColumns);
    EXPECT_FALSE(index.Reading()) << "a small account";
    AddSpreadContacts("人");
    index.Renew(*db, watch, columns, listColumns);
    index.StartReading(*db, watch, columns, listColumns);
    EXPECT_FALSE(index.Reading());
    index.StartReading(*db, watch, {"umtel"}, listColumns);  // other columns: read anew
    EXPECT_TRUE(index.Reading());

    SQLite::Database memory(":memory:");
    memory.Exec("create table userinfo (keyid integer primary key, uname text, umtel text, ufz text, nodetype integer);"
                "insert into userinfo values (1, '甲', '123', null, 2)");
    TRowChangeWatch memoryWatch;
    TContactSearchIndex memoryIndex;
    memoryIndex.StartReading(memory, memoryWatch, columns, listColumns);
    EXPECT_FALSE(memoryIndex.Reading());
    memoryIndex.Renew(memory, memoryWatch, columns, listColumns);
    EXPECT_EQ(memoryIndex.Find("123", false), std::vector<qint64>{1});
}

// The ranges a large account is read in: ascending, adjoining, covering every key, no more than
// asked; one range where other connections cannot read what this one sees.
TEST_F(SearchIndexTest, ReadingRangesCoverEveryKeyOnce)
{
    constexpr qint64 Lowest = std::numeric_limits<qint64>::min();
    constexpr qint64 Highest = std::numeric_limits<qint64>::max();
    AddSpreadContacts("人");
    const struct {
        int most;
        bool inTransaction;
        size_t ranges;
    } cases[] = {{4, false, 4}, {3, false, 3}, {64, false, 24}, {1, false, 1}, {4, true, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.most);
        std::unique_ptr<SQLite::Transaction> open;
        if (c.inTransaction) {
            open = std::make_unique<SQLite::Transaction>(*db);
            Exec("update userinfo set umtel='x' where keyid=1");
        }
        const auto ranges = ReadingRanges(*db, c.most);
        ASSERT_EQ(ranges.size(), c.ranges);
        EXPECT_EQ(ranges.front().first, Lowest);
        EXPECT_EQ(ranges.back().second, Highest);
        for (size_t i = 0; i < ranges.size(); ++i) {
            EXPECT_LE(ranges[i].first, ranges[i].second);
            if (i > 0) {
                EXPECT_EQ(ranges[i].first, ranges[i - 1].second + 1);
            }
        }
    }
    SQLite::Database memory(":memory:");
    memory.Exec("create table userinfo (keyid integer primary key)");
    EXPECT_EQ(ReadingRanges(memory, 4), (std::vector<std::pair<qint64, qint64>>{{Lowest, Highest}}));
}

} // namespace
