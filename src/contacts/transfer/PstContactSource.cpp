// Contacts of an Outlook data file, read with libpst.
#include "transfer/OutlookImport.h"

#include <QFile>
#include <vector>

#include <libpst/libpst.h>

namespace {

// Items that carry no charset of their own were written by a Chinese Outlook.
const char *const DefaultCharset = "GB18030";

constexpr qint64 FileTimeUnixEpochMs = 11644473600000LL;

QString Text(pst_item *item, pst_string &value)
{
    if (!value.str)
        return {};
    if (!value.is_utf8)
        pst_convert_utf8(item, &value);
    return QString::fromUtf8(value.str).trimmed();
}

QString FirstText(pst_item *item, pst_string &preferred, pst_string &other)
{
    const QString text = Text(item, preferred);
    return text.isEmpty() ? Text(item, other) : text;
}

// A FILETIME counts 100 ns steps from 1601; Outlook keeps a day as the local midnight in UTC.
QDateTime DateTime(const FILETIME *time)
{
    if (!time)
        return {};
    const quint64 ticks = (quint64(time->dwHighDateTime) << 32) | time->dwLowDateTime;
    return QDateTime::fromMSecsSinceEpoch(qint64(ticks / 10000) - FileTimeUnixEpochMs, Qt::UTC).toLocalTime();
}

TOutlookContact ToContact(pst_item *item)
{
    pst_item_contact &c = *item->contact;
    TOutlookContact contact;
    contact.FullName = Text(item, c.fullname);
    if (contact.FullName.isEmpty())
        contact.FullName = FirstText(item, item->file_as, item->subject);
    contact.FirstName = Text(item, c.first_name);
    contact.CompanyName = Text(item, c.company_name);
    contact.Email1 = Text(item, c.address1);
    contact.Email2 = Text(item, c.address2);
    contact.WebPage = FirstText(item, c.personal_homepage, c.business_homepage);
    contact.Birthday = DateTime(c.birthday);
    contact.Anniversary = DateTime(c.wedding_anniversary);
    contact.JobTitle = Text(item, c.job_title);
    contact.Spouse = Text(item, c.spouse_name);
    contact.NickName = Text(item, c.nickname);
    contact.HomeAddress = FirstText(item, c.home_address, c.home_street);
    contact.HomePhone = Text(item, c.home_phone);
    contact.BusinessPhone = Text(item, c.business_phone);
    contact.BusinessFax = Text(item, c.business_fax);
    contact.BusinessAddress = FirstText(item, c.business_address, c.business_street);
    contact.MobilePhone = Text(item, c.mobile_phone);
    return contact;
}

class TPstContactSource final : public IContactSource
{
public:
    explicit TPstContactSource(const QString &path) : path_(path) {}
    ~TPstContactSource() override
    {
        if (open_)
            pst_close(&file_);
    }

    bool Open() override
    {
        const QByteArray name = QFile::encodeName(path_);
        if (open_ || pst_open(&file_, name.constData(), DefaultCharset) != 0)
            return false;
        open_ = true;
        if (pst_load_index(&file_) != 0)
            return false;
        pst_load_extended_attributes(&file_);
        pst_item *root = pst_parse_item(&file_, file_.d_head, nullptr);
        if (!root)
            return false;
        pst_desc_tree *top = root->message_store ? pst_getTopOfFolders(&file_, root) : nullptr;
        pst_freeItem(root);
        if (!top)
            return false;
        Collect(top->child);
        return true;
    }

    bool Next(TOutlookContact &contact) override
    {
        if (next_ >= contacts_.size())
            return false;
        contact = contacts_[next_++];
        return true;
    }

private:
    // Contacts may sit in any folder, not only the default one.
    void Collect(pst_desc_tree *node)
    {
        for (; node; node = node->next) {
            pst_item *item = pst_parse_item(&file_, node, nullptr);
            if (!item)
                continue;
            if (item->folder && node->child)
                Collect(node->child);
            else if (item->contact && item->type == PST_TYPE_CONTACT)
                contacts_.push_back(ToContact(item));
            pst_freeItem(item);
        }
    }

    QString path_;
    pst_file file_{};
    bool open_ = false;
    std::vector<TOutlookContact> contacts_;
    size_t next_ = 0;
};

} // namespace

std::unique_ptr<IContactSource> CreatePstContactSource(const QString &path)
{
    return std::make_unique<TPstContactSource>(path);
}

