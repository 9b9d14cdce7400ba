// Ranges read on threads and by the caller: every range ends read once, whoever read it, also
// when threads cannot open the file or fail in the middle.
#include "contacts/browser/RangeReading.h"
#include "contacts/shared/UtilityDb.h"

#include "TestSupport.h"
#include "platform/SqliteDb.h"

#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>

namespace {

TEST(RangeReading, EveryRangeIsReadOnceWhateverTheThreadsDo)
{
    const QString path = MakeTempDir("range-reading") + "/a.txl";
    ASSERT_TRUE(SaveResourceToFile("MYDB", "TEMPLATE", path));
    SQLite::Database db(path);
    db.Exec("insert into userinfo (keyid, uname, nodetype) values (1, 'a', 2), (50000, 'b', 2), (99999, 'c', 2)");
    const auto ranges = ReadingRanges(db, 8);
    ASSERT_EQ(ranges.size(), 8u);

    enum Trouble { None, NoConnection, OddRangesFailOnThreads, NoThreads };
    for (const Trouble trouble : {None, NoConnection, OddRangesFailOnThreads, NoThreads}) {
        SCOPED_TRACE(int(trouble));
        const std::thread::id caller = std::this_thread::get_id();
        std::vector<QStringList> names(ranges.size());
        std::mutex lock;
        std::multiset<size_t> finished;  // ranges read to the end, by anyone
        TRangeReading reading(
            path, ranges.size(), trouble == NoThreads ? 0 : 3,
            [&](SQLite::Database &on, size_t index, const std::atomic<bool> &) {
                names[index].clear();
                SQLite::Statement read(on, "select uname from userinfo where keyid between ? and ? order by keyid");
                read.BindInt64(1, ranges[index].first);
                read.BindInt64(2, ranges[index].second);
                while (read.ExecuteStep()) {
                    names[index] << read.Column(0).toString();
                    if (trouble == OddRangesFailOnThreads && index % 2 == 1 && std::this_thread::get_id() != caller)
                        throw EDatabaseError("failed in the middle");
                }
                const std::lock_guard<std::mutex> guard(lock);
                finished.insert(index);
                return true;
            },
            [&](SQLite::Database &) {
                if (trouble == NoConnection)
                    throw EDatabaseError("cannot open");
            });
        reading.Finish(db);
        QStringList all;
        for (const QStringList &part : names)
            all << part;
        EXPECT_EQ(all, QStringList({"a", "b", "c"}));
        for (size_t i = 0; i < ranges.size(); ++i)
            EXPECT_EQ(finished.count(i), 1u) << i;
    }
}

} // namespace
