#include "contacts/transfer/ContactTransfer.h"
#include "contacts/transfer/CsvFormat.h"

#include "transfer/TransferTestSupport.h"
#include "platform/TextCodec.h"

using namespace transfer_test;

namespace {

const QDateTime Now(QDate(2024, 5, 1), QTime(8, 30, 0));

// Import ----------------------------------------------------------------------------------------

// Contacts get their tree place and bookkeeping; unknown and reserved columns are ignored; records
// without values are skipped and not counted.
TEST(ImportContacts, ContactsGetTheirTreePlaceAndBookkeeping)
{
    TAccount account("import-place");
    const TImportResult result = ImportContacts(
        &account.connection,
        {Record({}), Record({{"uname", "  "}, {"umtel", ""}}), Record({{"nosuch", ""}}),
         Record({{"uname", QStringLiteral(" 张三 ")}, {"umtel", "138"}, {"UEMAIL", "a@b.c"}, {"nosuch", "x"},
                 {"keyid", "99"}, {"nodeparentkey", "7"}, {"nodetype", "1"}, {"kzfield1", "QQ"},
                 {"upot", "not a picture"}, {"x; drop table userinfo", "y"}})},
        Now);
    ASSERT_TRUE(result.Ok) << result.Error.toStdString();
    EXPECT_EQ(result.Imported, 1);
    const QList<QVariantMap> rows = account.Rows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_NE(rows[0]["keyid"], QVariant(qint64(99)));
    const QVariantMap expected = {
        {"nodeparentkey", qint64(0)}, {"nodelevel", qint64(1)}, {"nodeindex", qint64(0)}, {"nodetype", qint64(2)},
        {"kzfield1", "ZS"}, {"kzfield2", "2"}, {"readcount", qint64(0)}, {"inserttime", "2024-05-01 08:30:00"},
        {"updatetime", "2024-05-01 08:30:00"}, {"ulevel", qint64(0)}, {"uname", QStringLiteral(" 张三 ")},
        {"umtel", "138"}, {"uhsr", QVariant()}, {"uemail", "a@b.c"}, {"upot", QVariant()}};
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_EQ(rows[0][it.key()], it.value()) << it.key().toStdString();
}

// Levels out of 0 to 4 and birthdays that are no dates are left at their defaults.
TEST(ImportContacts, LevelsAndBirthdaysAreChecked)
{
    const struct { const char *level, *birthday, *stored; } cases[] = {
        {"0", "1980-05-06", "integer 0|1980-05-06"}, {"3", "1980-5-6", "integer 3|1980-05-06"},
        {" 4 ", "1980/05/06", "integer 4|1980-05-06"}, {"5", "1980-02-30", "integer 0|NULL"},
        {"-1", "19800506", "integer 0|NULL"}, {"abc", "明天", "integer 0|NULL"},
        {"", "2024-05-01 08:30:00", "integer 0|2024-05-01"}, {"2.5", "", "integer 0|NULL"},
    };
    TAccount account("import-checks");
    QList<TContactRecord> records;
    QStringList stored;
    for (const auto &c : cases) {
        records << Record({{"uname", c.level}, {"ulevel", c.level}, {"uhsr", QString::fromUtf8(c.birthday)}});
        stored << QString::fromUtf8(c.stored);
    }
    ASSERT_TRUE(ImportContacts(&account.connection, records, Now).Ok);
    EXPECT_EQ(account.Values("typeof(ulevel)||' '||ulevel||'|'||ifnull(uhsr, 'NULL')"), stored);
}

// The CSV wizard adds each data record without making a contact record of it first; what it
// stores must be what the records CsvContacts makes would store.
TEST(ImportContacts, CsvRecordsAddedDirectlyStoreWhatTheirContactsWould)
{
    const QList<QStringList> records = {
        {"姓名", "手机", "单位", "手机2"},
        {"张三", "138", " ", "139"},     // the later of two items on one column wins
        {" ", "", "  "},                 // nothing at all: skipped
        {"李四"},                        // short
        {"王五", " 1 ", "某公司", ""},
    };
    const QList<TCsvMapping> mappings = {{0, "姓名", "uname"}, {1, "手机", "umtel"}, {2, "单位", "uwkaddress"},
                                         {3, "手机", "umtel"}};
    TAccount listed("import-csv-listed");
    const TImportResult viaList = ImportContacts(&listed.connection, CsvContacts(records, mappings), Now);
    TAccount direct("import-csv-direct");
    TContactImport import(&direct.connection, Now);
    for (qsizetype r = 1; r < records.size(); ++r)
        import.Add(records[r], mappings);
    const TImportResult viaItems = import.Finish();
    ASSERT_TRUE(viaList.Ok && viaItems.Ok);
    EXPECT_EQ(viaItems.Imported, viaList.Imported);
    EXPECT_EQ(direct.Rows(), listed.Rows());
    EXPECT_EQ(direct.Rows().value(0).value("umtel").toString(), "139");
}

// A full account rolls every contact back; the user hears what went wrong in words, never the
// statement the engine refused, and the connection stays usable.
TEST(ImportContacts, AFullAccountRollsEverythingBack)
{
    QList<TContactRecord> many;
    for (int i = 0; i < 200; ++i)
        many << Record({{"uname", QString(200, QChar(u'名'))}, {"ufz", QString(2000, QChar(u'x'))}});
    TAccount account("import-failure");
    account.AddContact("existing");
    SQLite::Statement count(account.connection.Db(), QStringLiteral("PRAGMA page_count"));
    ASSERT_TRUE(count.ExecuteStep());
    const qint64 pages = count.Column(0).toLongLong();
    count.Reset();
    account.connection.Db().Exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
    const TImportResult result = ImportContacts(&account.connection, many, Now);
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Imported, 0);
    EXPECT_EQ(result.Error, QStringLiteral("磁盘空间不足。"));
    EXPECT_EQ(account.Count(), 1);
    EXPECT_FALSE(account.connection.Db().InTransaction());
    account.connection.Db().Exec(QStringLiteral("PRAGMA max_page_count = 1000000"));
    EXPECT_TRUE(ImportContacts(&account.connection, {Record({{"uname", "c"}})}, Now).Ok);
    EXPECT_EQ(account.Count(), 2);
    TADOConnection closed;
    const TImportResult none = ImportContacts(&closed, {Record({{"uname", "a"}})}, Now);
    EXPECT_FALSE(none.Ok);
    EXPECT_EQ(none.Imported, 0);
}

// CSV records ------------------------------------------------------------------------------------

TEST(CsvRecords, HeaderCaptionsMapToColumns)
{
    const QStringList captions = {"uname=姓名", "umtel=移动电话", "uemail=电子邮件", "text1=Mail", "ufz=mail"};
    const QList<TCsvMapping> mappings =
        CaptionMappings({" 姓名 ", "Unknown", "移动电话", "MAIL", "移动电话", ""}, captions);
    // The later pair wins on the same item; a caption maps its first item only.
    QStringList mapped;
    for (const TCsvMapping &m : mappings)
        mapped << QString::number(m.Item) + '|' + m.Caption + '|' + m.Column;
    EXPECT_EQ(mapped, (QStringList{"0|姓名|uname", "2|移动电话|umtel", "3|mail|ufz"}));
    EXPECT_TRUE(CaptionMappings({}, captions).isEmpty());
}

// vCard files -----------------------------------------------------------------------------------

using VCardExport = ExportTreeTest;

TEST_F(VCardExport, ScopesChooseTheContacts)
{
    const struct { TExportScope::TKind kind; qint64 *keyid; QStringList files; } cases[] = {
        {TExportScope::AllContacts, nullptr, {"丙.vcf", "乙.vcf", "甲.vcf"}},
        {TExportScope::OneContact, &b, {"乙.vcf"}},
        {TExportScope::GroupContacts, &group, {"甲.vcf"}},  // not the subgroup's
        {TExportScope::GroupContacts, &subgroup, {"乙.vcf"}},
        {TExportScope::OneContact, &group, {}},  // a group is not a contact
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &test - cases);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        QList<std::pair<int, int>> progress;
        const TExportResult result =
            WriteVCardFiles(&account.connection, folder, {test.kind, test.keyid ? *test.keyid : 0},
                            [&](int done, int total) { progress.append({done, total}); });
        EXPECT_TRUE(result.Ok && result.Failed == 0);
        EXPECT_EQ(result.Written, test.files.size());
        EXPECT_EQ(Files(), test.files);
        ASSERT_EQ(progress.size(), test.files.size());
        const int files = int(test.files.size());
        EXPECT_TRUE(progress.isEmpty() || progress.last() == std::pair(files, files));
    }
}

TEST_F(VCardExport, SameNamesDoNotOverwriteEachOther)
{
    for (const char *name : {"甲", "a/b", ""})
        account.AddContact(name);
    const TExportResult result = WriteVCardFiles(&account.connection, folder + "/", {});
    EXPECT_EQ(result.Written, 6);
    EXPECT_EQ(Files(), (QStringList{"a_b.vcf", "丙.vcf", "乙.vcf", "未命名.vcf", "甲 (2).vcf", "甲.vcf"}));
    // One contact's card, into a folder under its name or into the file named; the first 甲 kept the plain name.
    const QString one = MakeTempDir("one-card");
    EXPECT_EQ(ExportVCard(&account.connection, one + "/", a), one + "/甲.vcf");
    EXPECT_EQ(ExportVCard(&account.connection, folder + "/other.VCF", a), folder + "/other.VCF");
    EXPECT_EQ(ReadBytes(folder + "/甲.vcf"), ReadBytes(folder + "/other.VCF"));
    EXPECT_EQ(ReadBytes(one + "/甲.vcf"), ReadBytes(folder + "/other.VCF"));
    EXPECT_EQ(ExportVCard(&account.connection, folder + "/", 99999), QString());
}

TEST_F(VCardExport, OnAFullDiskNoEmptyOrPartFileCountsAsWritten)
{
    WriteBytes(folder + "/甲.vcf", "old");
    TExportResult result;
    {
        FileSizeLimit full(20);
        result = WriteVCardFiles(&account.connection, folder, {});
    }
    EXPECT_TRUE(result.Ok);
    EXPECT_EQ(result.Written * 10 + result.Failed, 3) << "none written, three failed";
    EXPECT_EQ(Files(), QStringList{"甲.vcf"});
    EXPECT_EQ(ReadBytes(folder + "/甲.vcf"), QByteArray("old"));
    {
        FileSizeLimit full(20);
        EXPECT_EQ(ExportVCard(&account.connection, folder + "/", a), QString());
    }
    EXPECT_EQ(ReadBytes(folder + "/甲.vcf"), QByteArray("old"));
}

// CSV files -------------------------------------------------------------------------------------

class CsvExport : public ::testing::Test
{
protected:
    void SetUp() override { path = MakeTempDir("csv") + "/out.csv"; }
    TAccount account{"csv-export"};
    QString path;
};

// The header and every kind of value in GB18030: texts quoted, their quotes doubled, numbers as
// their text, bytes that are no UTF-8 as the text they read as; a column that is none stays empty.
TEST_F(CsvExport, HeaderAndEveryKindOfValueInGb18030)
{
    account.AddGroup("组", 0);
    ASSERT_TRUE(ImportContacts(&account.connection,
                               {Record({{"uname", QStringLiteral("张三")}, {"umtel", "1,2"}, {"ulevel", "3"}}),
                                Record({{"uname", "say \"hi\""}, {"ufz", "two\r\nlines"}})},
                               Now).Ok);
    SQLite::Statement update(account.connection.Db(), "update userinfo set umtel=cast(x'410042' as text),"
                                                      " uwtlp=cast(x'41ff' as text), ulevel=2 where keyid=?");
    update.BindAll({account.AddContact(QStringLiteral("混\"合 x😀y"))});
    update.Exec();
    const QStringList captions = {"uname=姓名", "umtel=移动电话", "nosuch=无此列", "uwtlp=w", "ulevel=重要等级", "ufz=备注"};
    const TExportResult result = ExportContactsCsv(&account.connection, path, captions);
    ASSERT_TRUE(result.Ok) << result.Error.toStdString();
    EXPECT_EQ(result.Written, 3);  // the group is not a contact
    const char expected[] = "\"\xD0\xD5\xC3\xFB\",\"\xD2\xC6\xB6\xAF\xB5\xE7\xBB\xB0\",\"\xCE\xDE\xB4\xCB\xC1\xD0\",\"w\","
                            "\"\xD6\xD8\xD2\xAA\xB5\xC8\xBC\xB6\",\"\xB1\xB8\xD7\xA2\",\r\n"
                            "\"\xD5\xC5\xC8\xFD\",\"1,2\",,\"\",\"3\",\"\",\r\n"
                            "\"say \"\"hi\"\"\",\"\",,\"\",\"0\",\"two\r\nlines\",\r\n"
                            "\"\xBB\xEC\"\"\xBA\xCF x\x94\x39\xFC\x36y\",\"A\0B\",,\"A\x84\x31\xA4\x37\",\"2\",\"\",\r\n";
    EXPECT_EQ(ReadBytes(path), QByteArray(expected, sizeof expected - 1));
}

TEST_F(CsvExport, AFailedWriteLeavesTheOldFile)
{
    WriteBytes(path, "old");
    account.AddContact("a");
    EXPECT_FALSE(ExportContactsCsv(&account.connection, path + ".d/x.csv", DefaultCaptions()).Ok);
    TADOConnection closed;
    EXPECT_FALSE(ExportContactsCsv(&closed, path, DefaultCaptions()).Ok);
    EXPECT_EQ(ReadBytes(path), QByteArray("old"));
    for (long long room : {0LL, 10LL}) {
        FileSizeLimit full(room);
        const TExportResult result = ExportContactsCsv(&account.connection, path, DefaultCaptions());
        EXPECT_FALSE(result.Ok) << room;
        EXPECT_EQ(result.Error, QStringLiteral("文件没有完整写入（磁盘可能已满），原有的文件保持不变。")) << room;
    }
    EXPECT_EQ(ReadBytes(path), QByteArray("old"));
}

} // namespace
