#include "OutlookImport.h"

#include "UtilityDb.h"

#include "platform/ADODB.h"

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
    if (!source.Open())
        return 0;
    int count = 0;
    TOutlookContact contact;
    try {
        while (source.Next(contact)) {
            if (!RunQuery(query, QStringLiteral("select * from userinfo where uname = ?"), {contact.FullName})
                || !query->IsEmpty())
                continue;
            AddContact(query, contact, now);
            ++count;
        }
    } catch (const Exception &) {
        // What was posted stays; the count says how much that was.
    }
    query->Close();
    return count;
}

QString ImportCountText(int count)
{
    return QStringLiteral("共导入 ") + QString::number(count) + QStringLiteral(" 条人脉记录!");
}
