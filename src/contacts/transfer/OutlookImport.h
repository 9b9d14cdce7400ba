#pragma once
#include <QDateTime>
#include <QString>
#include <memory>

class TADOQuery;

// One contact of an Outlook address book, by the properties the import copies.
struct TOutlookContact {
    QString FullName;
    QString FirstName;
    QString CompanyName;
    QString Email1;
    QString Email2;
    QString IMAddress;
    QString WebPage;
    QDateTime Birthday;     // invalid when there is none
    QDateTime Anniversary;  // invalid when there is none
    QString JobTitle;
    QString Spouse;
    QString NickName;
    QString HomeAddress;
    QString HomePhone;
    QString BusinessPhone;
    QString BusinessFax;
    QString BusinessAddress;
    QString MobilePhone;
};

// Where imported contacts come from: an Outlook data file, or a list in tests.
class IContactSource
{
public:
    virtual ~IContactSource() = default;
    // False when the address book cannot be read at all.
    virtual bool Open() = 0;
    // The next contact; false after the last one.
    virtual bool Next(TOutlookContact &contact) = 0;
};

// An Outlook data file (.pst); every contact item in any of its folders.
std::unique_ptr<IContactSource> CreatePstContactSource(const QString &path);

// Adds each contact whose full name no contact of the account has yet, as a contact at the top
// of the group tree. Outlook's empty date (4501-01-01) is left out. Runs on `query`'s connection
// and gives the number of contacts added, or -1 when the source cannot be read or the database
// fails; then nothing is added.
int ImportContacts(TADOQuery *query, IContactSource &source, const QDateTime &now);

// The message the import ends with.
QString ImportCountText(int count);
