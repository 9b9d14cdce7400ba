#include "contacts/transfer/ContactTransfer.h"

#include "transfer/TransferTestSupport.h"

#include <optional>
#include <tuple>

using namespace transfer_test;

namespace {

const QDateTime Now(QDate(2024, 5, 1), QTime(8, 30, 0));

// Imports long enough to be written while later records are still being added: every contact in
// the order added, or, when a record is refused or the import is dropped unfinished, none of
// them; either way the connection is free for the next change.
TEST(ImportContacts, LongImportsKeepOrderAndAllOrNothing)
{
    const struct { const char *name; int refusedAt; bool finish; } cases[] = {  // refusedAt: the record refused
        {"all stored", -1, true}, {"refused late", 2400, true}, {"refused early", 3, true},
        {"not finished", -1, false}};
    QStringList all = {"existing|NULL"};
    for (int i = 0; i < 3000; ++i)
        all << QStringLiteral("%1|13%1").arg(i);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TAccount account(QStringLiteral("import-long"));
        account.AddContact(QStringLiteral("existing"));
        account.connection.Db().Exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON userinfo WHEN NEW.uname = "
                                                    "'refused' BEGIN SELECT RAISE(ABORT, 'x'); END"));
        std::optional<TImportResult> result;
        {
            TContactImport import(&account.connection, Now);
            for (int i = 0; i < 3000; ++i) {
                const QString name = i == c.refusedAt ? QStringLiteral("refused") : QString::number(i);
                if (i % 2)
                    import.Add({name, QStringLiteral("13%1").arg(i)}, {{0, "姓名", "uname"}, {1, "手机", "umtel"}});
                else
                    import.Add(Record({{"uname", name}, {"umtel", QStringLiteral("13%1").arg(i)}}));
            }
            if (c.finish)
                result = import.Finish();
        }
        EXPECT_FALSE(account.connection.Db().InTransaction());
        const bool stored = c.finish && c.refusedAt < 0;
        EXPECT_EQ(account.Values("uname||'|'||ifnull(umtel, 'NULL')"), stored ? all : all.mid(0, 1));
        if (result) {
            EXPECT_EQ(std::tuple(result->Ok, result->Imported, result->Error),
                      stored ? std::tuple(true, 3000, QString()) : std::tuple(false, 0, QStringLiteral("数据库操作失败。")));
        }
        EXPECT_TRUE(ImportContacts(&account.connection, {Record({{"uname", "next"}})}, Now).Ok);
        EXPECT_EQ(account.Count(), stored ? 3002 : 2);
    }
}

// Records are added as they are read, so a column may first be named by a late record, or be
// missing from records after it: every contact is stored as if all columns had been named from
// the start, a contact without a value in a column that refuses null takes the column's default,
// and the contacts the account held before keep their own value.
TEST(ImportContacts, AColumnNamedLateOrMissingLaterHoldsItsDefault)
{
    TAccount account(QStringLiteral("import-late-many"));
    const qint64 existing = account.AddContact(QStringLiteral("existing"));
    account.connection.Db().Exec(QStringLiteral("update userinfo set uisalart=1 where keyid=%1").arg(existing));
    TContactImport import(&account.connection, Now);
    constexpr int Records = 100;
    constexpr int Named = 70, Unnamed = 90;
    for (int i = 0; i < Records; ++i) {
        TContactRecord record = Record({{"uname", QString::number(i)}});
        if (i >= Named && i < Unnamed)
            record.insert(QStringLiteral("uisalart"), QStringLiteral("1"));
        import.Add(record);
    }
    ASSERT_TRUE(import.Finish().Ok);
    QStringList expected = {"1"};
    for (int i = 0; i < Records; ++i)
        expected << (i >= Named && i < Unnamed ? "1" : "0");
    EXPECT_EQ(account.Values("uisalart"), expected);
}

} // namespace
