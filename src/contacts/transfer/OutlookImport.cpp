#include "transfer/OutlookImport.h"

#include "shared/Utility.h"
#include "shared/UtilityDb.h"

#include "platform/ADODB.h"
#include "platform/SqliteDb.h"

namespace {

// Outlook writes this date for "none" rather than leaving the property out.
const QDate OutlookNoDate(4501, 1, 1);

void SetDate(TADOQuery *query, const QString &column, const QDateTime &value)
{
    if (value.isValid() && value.date() != OutlookNoDate)
        query->FieldByName(column).SetAsDateTime(QDateTime(value.date(), QTime(0, 0)));
}

void AddContact(TADOQuery *query, const TOutlookContact &c, const QDateTime &now)
{
    query->Append();
    query->FieldByName(QStringLiteral("nodetype")).SetAsInteger(2);
    query->FieldByName(QStringLiteral("readcount")).SetAsInteger(1);
    query->FieldByName(QStringLiteral("inserttime")).SetAsDateTime(now);
    query->FieldByName(QStringLiteral("nodeparentkey")).SetAsString(QStringLiteral("0"));
    query->FieldByName(QStringLiteral("nodelevel")).SetAsInteger(1);
    query->FieldByName(QStringLiteral("nodeindex")).SetAsInteger(0);
    query->FieldByName(QStringLiteral("kzfield2")).SetAsString(QStringLiteral("2"));
    // Every contact of the tree sorts by the initials of its name.
    query->FieldByName(QStringLiteral("kzfield1")).SetAsString(PinyinInitials(c.FullName));
    query->FieldByName(QStringLiteral("updatetime")).SetAsDateTime(now);

    const auto text = [query](const char *column, const QString &value) {
        query->FieldByName(QString::fromLatin1(column)).SetAsString(value);
    };
    text("uname", c.FullName);
    text("text44", c.FirstName);
    text("uwkaddress", c.CompanyName);
    text("uemail", c.Email1);
    text("text1", c.Email2);
    text("uqq", c.IMAddress);
    text("uhtml", c.WebPage);
    SetDate(query, QStringLiteral("uhsr"), c.Birthday);
    SetDate(query, QStringLiteral("ujhjnr"), c.Anniversary);
    text("uzw", c.JobTitle);
    text("upo", c.Spouse);
    text("unc", c.NickName);
    text("ujtdz", c.HomeAddress);
    text("uhtlp", c.HomePhone);
    text("uwtlp", c.BusinessPhone);
    text("uwcz", c.BusinessFax);
    text("text2", c.BusinessAddress);
    text("umtel", c.MobilePhone);
    query->Post();
}

} // namespace

int ImportContacts(TADOQuery *query, IContactSource &source, const QDateTime &now)
{
    TADOConnection *connection = query ? query->Connection() : nullptr;
    if (!connection || !connection->Connected() || !source.Open())
        return -1;
    int count = 0;
    TOutlookContact contact;
    try {
        // All or nothing, so a failure never leaves half an address book behind.
        SQLite::Transaction transaction(connection->Db());
        SQLite::Statement exists(connection->Db(), QStringLiteral("select 1 from userinfo where uname = ?"));
        if (!RunQuery(query, QStringLiteral("select * from userinfo where 0")))
            return -1;
        while (source.Next(contact)) {
            exists.Reset();
            exists.Bind(1, contact.FullName);
            if (exists.ExecuteStep())
                continue;
            AddContact(query, contact, now);
            ++count;
        }
        query->Close();
        transaction.Commit();
    } catch (const Exception &) {
        query->Close();
        return -1;
    }
    return count;
}

QString ImportCountText(int count)
{
    return QStringLiteral("共导入 ") + QString::number(count) + QStringLiteral(" 条人脉记录!");
}
