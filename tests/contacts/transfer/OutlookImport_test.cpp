#include "contacts/transfer/OutlookImport.h"

#include "transfer/TransferTestSupport.h"
#include <tuple>
#include <vector>

namespace {

struct ListSource final : IContactSource {
    explicit ListSource(std::vector<TOutlookContact> list) : contacts(std::move(list)) {}
    bool Open() override
    {
        next = 0;
        return true;
    }
    bool Next(TOutlookContact &contact) override
    {
        if (next >= contacts.size())
            return false;
        contact = contacts[next++];
        return true;
    }
    std::vector<TOutlookContact> contacts;
    size_t next = 0;
};

TOutlookContact Named(const QString &name)
{
    TOutlookContact contact;
    contact.FullName = name;
    return contact;
}

class OutlookImport : public ::testing::Test
{
protected:
    void SetUp() override { query.SetConnection(&account.connection); }
    // The column of the contact of that name as text, or "<none>".
    QString Value(const QString &name, const QString &column)
    {
        for (const QVariantMap &row : account.Rows())
            if (row.value("uname").toString() == name)
                return row.value(column).toString();
        return QStringLiteral("<none>");
    }

    transfer_test::TAccount account{"outlook"};
    TADOQuery query;
    const QDateTime now = QDateTime(QDate(2025, 3, 4), QTime(10, 20, 30));
};

} // namespace

TEST_F(OutlookImport, CopiesEveryPropertyIntoItsColumn)
{
    const std::tuple<QString TOutlookContact::*, const char *, QString> texts[] = {
        {&TOutlookContact::FirstName, "text44", "小明"}, {&TOutlookContact::CompanyName, "uwkaddress", "某公司"},
        {&TOutlookContact::Email1, "uemail", "w@x.com"}, {&TOutlookContact::Email2, "text1", "w2@x.com"},
        {&TOutlookContact::IMAddress, "uqq", "12345"}, {&TOutlookContact::WebPage, "uhtml", "http://w.x.com"},
        {&TOutlookContact::JobTitle, "uzw", "经理"}, {&TOutlookContact::Spouse, "upo", "李红"},
        {&TOutlookContact::NickName, "unc", "小王"}, {&TOutlookContact::HomeAddress, "ujtdz", "家庭地址"},
        {&TOutlookContact::HomePhone, "uhtlp", "010-1"}, {&TOutlookContact::BusinessPhone, "uwtlp", "010-2"},
        {&TOutlookContact::BusinessFax, "uwcz", "010-3"}, {&TOutlookContact::BusinessAddress, "text2", "办公地址"},
        {&TOutlookContact::MobilePhone, "umtel", "139"},
    };
    TOutlookContact c = Named(QStringLiteral("王小明"));
    for (const auto &[field, column, value] : texts)
        c.*field = value;
    c.Birthday = QDateTime(QDate(1980, 5, 6), QTime(0, 0));
    c.Anniversary = QDateTime(QDate(2005, 10, 1), QTime(0, 0));
    ListSource source({c});
    ASSERT_EQ(ImportContacts(&query, source, now), 1);
    for (const auto &[field, column, value] : texts)
        EXPECT_EQ(Value(c.FullName, column), value) << column;
    const std::pair<const char *, QString> expected[] = {
        {"uhsr", "1980-05-06 00:00:00"}, {"ujhjnr", "2005-10-01 00:00:00"}, {"nodetype", "2"}, {"readcount", "1"},
        {"nodeparentkey", "0"}, {"nodelevel", "1"}, {"nodeindex", "0"}, {"kzfield2", "2"},
        {"inserttime", "2025-03-04 10:20:30"}, {"updatetime", "2025-03-04 10:20:30"},
    };
    for (const auto &[column, value] : expected)
        EXPECT_EQ(Value(c.FullName, column), value) << column;
}

// A failure adds nothing; names already known are skipped; Outlook's empty date is no date; names
// get their initials.
TEST_F(OutlookImport, SkipsKnownNamesAndOutlooksEmptyDateAndAFailureAddsNothing)
{
    ASSERT_TRUE(RunQuery(&query, "create trigger refuse before insert on userinfo when new.uname = 'boom' "
                                 "begin select raise(abort, 'refused'); end"));
    ListSource failing({Named(QStringLiteral("张三")), Named(QStringLiteral("boom"))});
    EXPECT_EQ(ImportContacts(&query, failing, now), -1);
    EXPECT_EQ(account.Count(), 0);
    ASSERT_TRUE(RunQuery(&query, "insert into userinfo(uname, nodetype) values(?, 2)", {QStringLiteral("张三")}));
    const QDateTime none(QDate(4501, 1, 1), QTime(0, 0));
    TOutlookContact empty = Named(QStringLiteral("李四"));
    empty.Birthday = none;
    empty.Anniversary = none;
    const QString quoted = QStringLiteral("say \"hi\" o'neil");
    ListSource source({Named(QStringLiteral("张三")), empty, Named(quoted), Named(QStringLiteral("李四"))});
    EXPECT_EQ(ImportContacts(&query, source, now), 2);
    EXPECT_EQ(account.Count(), 3);
    EXPECT_EQ(Value(QStringLiteral("李四"), "uhsr") + Value(QStringLiteral("李四"), "ujhjnr"), QString());
    EXPECT_EQ(Value(quoted, "nodetype"), QStringLiteral("2"));
    EXPECT_EQ(Value(QStringLiteral("李四"), "kzfield1") + '|' + Value(quoted, "kzfield1"), QStringLiteral("LS|"));
    // The same address book again adds nothing.
    EXPECT_EQ(ImportContacts(&query, source, now), 0);
    EXPECT_EQ(account.Count(), 3);
    EXPECT_EQ(ImportCountText(0), QStringLiteral("共导入 0 条人脉记录!"));
}

TEST(PstContactSource, FilesThatAreNoOutlookDataFile)
{
    const QString dir = MakeTempDir("pst");
    for (const auto &[name, bytes] : {std::pair{"/garbage.pst", QByteArray(4096, 'x')}, {"/empty.pst", QByteArray()}})
        transfer_test::WriteBytes(dir + name, bytes);
    for (const QString &path : {dir + "/missing.pst", dir + "/garbage.pst", dir + "/empty.pst"}) {
        const std::unique_ptr<IContactSource> source = CreatePstContactSource(path);
        ASSERT_NE(source, nullptr);
        EXPECT_FALSE(source->Open()) << path.toStdString();
        TOutlookContact contact;
        EXPECT_FALSE(source->Next(contact));
    }
}
