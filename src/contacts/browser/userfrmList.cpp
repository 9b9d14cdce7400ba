// The browser's contact list: filling it, sorting, the A-Z bar, previous/next,
// renaming, e-mail and the column chooser.
#include "browser/userfrm.h"

#include "shared/AppGlobals.h"
#include "shared/FrameworkCommandBuilder.h"
#include "shared/Utility.h"
#include "shared/WNDES.h"
#include "browser/selfields.h"
#include "browser/userfrmListView.h"
#include "browser/userfrmPrivate.h"

#include "platform/ADODB.h"
#include "platform/IniFiles.h"
#include "platform/UiServices.h"

#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <cstring>

namespace {

// Columns every fill reads, whatever the list shows: the record's own members.
const char *const RecordColumns[] = {"keyid", "nodetype", "kzfield2", "kzfield1", "uname", "uxb", "ulevel",
                                     "uemail", "text1"};

// Where a mail to a contact goes: its uemail, else its text1.
QString MailAddress(const QString &uemail, const QString &text1)
{
    const QString address = uemail.trimmed();
    return address.isEmpty() ? text1.trimmed() : address;
}

// A tree node keeps no address (the tree reads only what it draws); it is read when a mail is
// written: a group's uemail, a contact's by the list's rule, nothing for foreign rows.
QString StoredEmail(SQLite::Database *db, qint64 key)
{
    if (!db)
        return {};
    try {
        SQLite::Statement read(*db, QStringLiteral("select kzfield2,nodetype,uemail,text1 from userinfo where keyid=?"));
        read.Bind(1, key);
        if (!read.ExecuteStep() || ColumnText(read, 0) != QLatin1String("2"))
            return {};
        if (ColumnText(read, 1) == QLatin1String("2"))
            return MailAddress(ColumnText(read, 2), ColumnText(read, 3));
        return ColumnText(read, 2).trimmed();
    } catch (const EDatabaseError &) {
        return {};
    }
}

bool IsField(const QString &name, const char *field)
{
    return name.compare(QLatin1String(field), Qt::CaseInsensitive) == 0;
}

// A field list text that survives the cipher: a text it cannot encipher gets a trailing comma,
// which reading ignores.
QString EncipherFieldList(const QString &text)
{
    DesResult cipher = DesEncryptString(text, DesKey);
    if (!cipher.Ok())
        cipher = DesEncryptString(text + ',', DesKey);
    return cipher.Ok() ? cipher.Text : QString();
}

} // namespace

QString Tfuserfrm::ListColumnsSql(const QString &prefix) const
{
    QStringList names;
    for (const char *name : RecordColumns)
        names << QString::fromLatin1(name);
    for (const QString &field : viewFields_) {
        if (!names.contains(field, Qt::CaseInsensitive))
            names << field;
    }
    for (QString &name : names)
        name.prepend(prefix);
    return names.join(',');
}

namespace {

enum : char { NullValue = 'N', TextValue = 'T', IntegerValue = 'I', OtherValue = 'U' };

// Whether the bytes are UTF-8 that reads back as the same bytes, judged conservatively: only
// two-byte sequences and three-byte ones of U+1000..U+CFFF and U+E000..U+EFFF (which hold the
// Chinese characters) are taken as they are; anything else goes through the text conversion.
bool IsPlainUtf8(QByteArrayView bytes)
{
    const auto *at = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = at + bytes.size();
    while (at < end) {
        const unsigned char lead = *at++;
        if (lead < 0x80)
            continue;
        int follow = 0;
        if (lead >= 0xc2 && lead <= 0xdf)
            follow = 1;
        else if ((lead >= 0xe1 && lead <= 0xec) || lead == 0xee)
            follow = 2;
        else
            return false;
        if (end - at < follow)
            return false;
        for (; follow > 0; --follow, ++at) {
            if ((*at & 0xc0) != 0x80)
                return false;
        }
    }
    return true;
}

void AppendSized(std::string &values, const char *bytes, size_t size)
{
    const quint32 length = quint32(size);
    values.append(reinterpret_cast<const char *>(&length), sizeof length);
    values.append(bytes, size);
}

} // namespace

std::string PackRowValues(const SQLite::Statement &statement, int first, int count)
{
    std::string values;
    for (int i = first; i < first + count; ++i) {
        const SQLite::ValueView value = statement.ColumnView(i);
        switch (value.Type) {
        case SQLite::ValueType::Null:
            values.push_back(NullValue);
            break;
        case SQLite::ValueType::Text:
            values.push_back(TextValue);
            AppendSized(values, value.Bytes.data(), size_t(value.Bytes.size()));
            break;
        case SQLite::ValueType::Integer:
            values.push_back(IntegerValue);
            values.append(reinterpret_cast<const char *>(&value.Int64), sizeof value.Int64);
            break;
        default: {
            const QString text = ColumnText(statement, i);
            values.push_back(OtherValue);
            AppendSized(values, reinterpret_cast<const char *>(text.constData()), size_t(text.size()) * sizeof(QChar));
            break;
        }
        }
    }
    return values;
}

namespace {

// One value of a packed buffer: where it starts, and the start of the next.
struct TPackedValue {
    char tag = NullValue;
    const char *bytes = nullptr;
    quint32 size = 0;
};

const char *NextPackedValue(const char *at, TPackedValue &value)
{
    value.tag = *at++;
    value.size = 0;
    if (value.tag == IntegerValue) {
        value.size = sizeof(qint64);
    } else if (value.tag != NullValue) {
        std::memcpy(&value.size, at, sizeof value.size);
        at += sizeof value.size;
    }
    value.bytes = at;
    return at + value.size;
}

QString PackedText(const TPackedValue &value)
{
    switch (value.tag) {
    case NullValue:
        return {};
    case IntegerValue: {
        qint64 number = 0;
        std::memcpy(&number, value.bytes, sizeof number);
        return QString::number(number);
    }
    case TextValue:
        return QString::fromUtf8(value.bytes, qsizetype(value.size));
    default:
        return QString(reinterpret_cast<const QChar *>(value.bytes), qsizetype(value.size / sizeof(QChar)));
    }
}

} // namespace

QByteArray PackedUtf8(const std::string &values, int index)
{
    const char *at = values.data();
    const char *end = at + values.size();
    TPackedValue value;
    for (int i = 0; at < end; ++i) {
        at = NextPackedValue(at, value);
        if (i != index)
            continue;
        if (value.tag == TextValue && IsPlainUtf8(QByteArrayView(value.bytes, qsizetype(value.size))))
            return QByteArray(value.bytes, qsizetype(value.size));
        return PackedText(value).toUtf8();
    }
    return {};
}

std::vector<QString> UnpackRowValues(const std::string &values)
{
    std::vector<QString> texts;
    const char *at = values.data();
    const char *end = at + values.size();
    TPackedValue value;
    while (at < end) {
        at = NextPackedValue(at, value);
        texts.push_back(PackedText(value));
    }
    return texts;
}

TListRow Tfuserfrm::BuildListRow(const std::vector<QString> &values, const TListColumns &at) const
{
    TListRow item;
    auto record = std::make_unique<TIQ>();
    const auto raw = [&](int index) { return index < 0 || size_t(index) >= values.size() ? QString() : values[size_t(index)]; };
    const bool foreign = raw(at.kzfield2) != QLatin1String("2");
    const auto text = [&](int index) { return foreign ? QString() : raw(index); };
    record->keyid = raw(at.keyid);
    record->nodetype = raw(at.nodetype);
    record->uname = text(at.uname);
    record->uxb = text(at.uxb).trimmed();
    record->ulevel = raw(at.ulevel);
    record->email = MailAddress(text(at.uemail), text(at.text1));
    record->kzfield1 = raw(at.kzfield1);
    if (record->IsGroup()) {
        item.caption = record->uname;
        item.image = 7;
    } else {
        // The level column is drawn as stars; its text stays empty.
        const auto cell = [&](size_t i) { return at.levelColumn[i] ? QString() : text(at.view[i]); };
        item.caption = at.view.empty() ? record->uname : cell(0);
        item.subItems.reserve(qsizetype(at.view.size()));
        for (size_t i = 1; i < at.view.size(); ++i)
            item.subItems << cell(i);
        item.image = ListContactImage(record->uxb);
    }
    item.record = std::move(record);
    return item;
}

TListRowMaker Tfuserfrm::ListRowMaker(const TListColumns &at) const
{
    return [this, at](const TListEntry &entry) { return BuildListRow(UnpackRowValues(entry.values), at); };
}

Tfuserfrm::TListColumns Tfuserfrm::ListColumnsOf(const QHash<QString, int> &columns, int count) const
{
    const auto index = [&](const QString &name) { return columns.value(name.toLower(), -1); };
    TListColumns at;
    at.keyid = index(QStringLiteral("keyid"));
    at.nodetype = index(QStringLiteral("nodetype"));
    at.kzfield1 = index(QStringLiteral("kzfield1"));
    at.kzfield2 = index(QStringLiteral("kzfield2"));
    at.uname = index(QStringLiteral("uname"));
    at.uxb = index(QStringLiteral("uxb"));
    at.ulevel = index(QStringLiteral("ulevel"));
    at.uemail = index(QStringLiteral("uemail"));
    at.text1 = index(QStringLiteral("text1"));
    at.count = count;
    for (const QString &field : viewFields_) {
        at.view.push_back(index(field));
        at.levelColumn.push_back(IsField(field, "ulevel"));
    }
    return at;
}

bool Tfuserfrm::ReadListRows(const QString &sql, const QVariantList &params, std::vector<TListEntry> &rows,
                             TListColumns &at) const
{
    SQLite::Database *db = Db();
    if (!db)
        return false;
    try {
        SQLite::Statement statement(*db, sql);
        statement.BindAll(params);
        TRowReader reader(statement);
        at = ListColumnsOf(reader.columns, statement.ColumnCount());
        while (statement.ExecuteStep()) {
            TListEntry &entry = rows.emplace_back();
            entry.key = statement.ColumnInt64(at.keyid);
            const QString nodetype = ColumnText(statement, at.nodetype);
            entry.contact = nodetype == QLatin1String("2");
            entry.group = nodetype == QLatin1String("1");
            entry.values = PackRowValues(statement, 0, at.count);
        }
    } catch (const EDatabaseError &) {
        return false;
    }
    return true;
}

void Tfuserfrm::FillList(std::vector<TListEntry> rows, TListRowMaker maker, TListSource source)
{
    QSignalBlocker block(ListView1->Selection());
    ListView1->Model()->SetEntries(std::move(rows), std::move(maker));
    listSource_ = source;
    // The card shows a contact of the list or none.
    if (cardKeyid_.isEmpty())
        return;
    const TContactListModel *model = ListView1->Model();
    bool ok = false;
    const qint64 cardKey = cardKeyid_.toLongLong(&ok);
    if (ok && QString::number(cardKey) == cardKeyid_) {
        for (int i = 0; i < model->Count(); ++i) {
            if (model->IsContact(i) && model->Key(i) == cardKey)
                return;
        }
    }
    ShowContactCard(QString());
}

void Tfuserfrm::ClearList(TListSource source)
{
    FillList({}, nullptr, source);
}

// Sorting --------------------------------------------------------------------------------------

void Tfuserfrm::ListView1ColumnClick(int column)
{
    sortColumn_ = column;
    sortDirection_ = sortDirection_ == 0 ? 1 : 0;
    SortList();
}

void Tfuserfrm::SortList()
{
    TContactListModel *model = ListView1->Model();
    const int count = model->Count();
    if (count < 2)
        return;
    const QString field = viewFields_.value(sortColumn_);
    const bool byLevel = IsField(field, "ulevel");
    const bool byName = IsField(field, "uname") || (field.isEmpty() && sortColumn_ == 0);
    struct Key {
        QString primary;
        int level = 0;
        QString nameKey;
        QString name;
    };
    std::vector<Key> keys(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const TListRow &row = model->Row(i);
        const QString text = sortColumn_ == 0 ? row.caption : row.subItems.value(sortColumn_ - 1);
        const QString name = row.record ? row.record->uname : row.caption;
        Key &key = keys[size_t(i)];
        if (byLevel)
            key.level = row.record ? row.record->ulevel.toInt() : 0;
        else
            key.primary = byName ? PinyinSortKey(text) : text;
        key.nameKey = PinyinSortKey(name);
        key.name = name;
    }
    const auto compare = [&](int a, int b) {
        const Key &x = keys[size_t(a)];
        const Key &y = keys[size_t(b)];
        int order = byLevel ? (x.level < y.level ? -1 : x.level > y.level ? 1 : 0)
                            : x.primary.compare(y.primary, Qt::CaseInsensitive);
        if (order == 0)
            order = x.nameKey.compare(y.nameKey);
        if (order == 0)
            order = x.name.compare(y.name, Qt::CaseInsensitive);
        return order;
    };
    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        order[size_t(i)] = i;
    const bool descending = sortDirection_ == 1;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return descending ? compare(b, a) < 0 : compare(a, b) < 0; });
    model->Reorder(order);
}

// Selection, opening ---------------------------------------------------------------------------

void Tfuserfrm::ListView1Change()
{
    const QList<int> rows = ListView1->SelectedRows();
    if (rows.size() != 1)
        return;
    const TIQ *record = ListView1->Model()->Row(rows.first()).record.get();
    if (record && record->IsContact())
        ShowContactCard(record->keyid);
}

void Tfuserfrm::ListView1DblClick(int row)
{
    if (row < 0 || row >= ListView1->Count())
        return;
    const TListRow &item = ListView1->Model()->Row(row);
    const TIQ *record = item.record.get();
    if (!record)
        return;
    if (record->IsContact()) {
        OpenContact(record->keyid, item.caption);
        return;
    }
    QTreeWidgetItem *node = FindNodeByKey(record->keyid);
    if (!node)
        return;
    if (node != DyTreeView1->currentItem())
        DyTreeView1->setCurrentItem(node);
    else
        DyTreeView1Change(node);
}

void Tfuserfrm::listviewopenClick()
{
    const int row = ListView1->ItemIndex();
    if (row < 0)
        return;
    // A group row is no contact, and an editor would take it for an empty one: 打开 opens the
    // group in the tree, as a double click does.
    ListView1DblClick(row);
}

void Tfuserfrm::Button2Click()
{
    if (cardKeyid_.isEmpty())
        return;
    const QTreeWidgetItem *node = FindTreeNodeByKey(cardKeyid_);
    OpenContact(cardKeyid_, node ? node->text(0) : QString());
}

void Tfuserfrm::Button3Click()
{
    if (frmmain)
        frmmain->NewContact();
}

void Tfuserfrm::Button4Click()
{
    const int count = ListView1->Count();
    if (count == 0)
        return;
    const int index = ListView1->ItemIndex();
    ListView1->ClearSelection();
    if (index < 0)
        ListView1->SelectRow(0);
    else if (index > 0)
        ListView1->SelectRow(index - 1);
}

void Tfuserfrm::Button5Click()
{
    const int count = ListView1->Count();
    if (count == 0)
        return;
    const int index = ListView1->ItemIndex();
    ListView1->ClearSelection();
    if (index < 0)
        ListView1->SelectRow(0);
    else if (index + 1 < count)
        ListView1->SelectRow(index + 1);
}

void Tfuserfrm::N7Click()
{
    ListView1->SelectAll();
}

void Tfuserfrm::N8Click()
{
    ListView1->InvertSelection();
}

void Tfuserfrm::ListPopup(const QPoint &pos)
{
    userpxmenu->SetVisible(false);
    const int selected = ListView1->SelectedCount();
    listviewdelete->SetEnabled(selected > 0);
    listviewopen->SetEnabled(selected == 1);
    RunPopupMenu(*listviewPopMenu, ListView1->ActiveView()->viewport()->mapToGlobal(pos));
}

// The A-Z bar -----------------------------------------------------------------------

void Tfuserfrm::FilterByInitial(const QString &pattern)
{
    ClearList(TListSource::Initial);
    listedText_ = pattern;
    QStringList keys;
    QHash<qint64, int> positions;
    int absolute = 0;
    for (QTreeWidgetItemIterator it(DyTreeView1); *it; ++it, ++absolute) {
        const TIQ *record = RecordOf(*it);
        if (!record || record->IsGroup() || !MatchPinyinInitials((*it)->text(0), pattern))
            continue;
        keys << record->keyid;
        positions.insert(record->Key(), absolute);
    }
    if (keys.isEmpty())
        return;
    std::vector<TListEntry> rows;
    TListColumns at;
    if (!ReadListRows(QStringLiteral("select ") + ListColumnsSql(QString()) +
                          QStringLiteral(" from userinfo where keyid in (select value from json_each(?))"),
                      {QLatin1Char('[') + keys.join(',') + QLatin1Char(']')}, rows, at))
        return;
    // Listed in the order of the tree.
    std::stable_sort(rows.begin(), rows.end(), [&](const TListEntry &a, const TListEntry &b) {
        return positions.value(a.key, -1) < positions.value(b.key, -1);
    });
    // The rows carry their place in the tree.
    TListRowMaker make = [make = ListRowMaker(at), positions](const TListEntry &entry) {
        TListRow row = make(entry);
        row.record->position = positions.value(entry.key, -1);
        return row;
    };
    FillList(std::move(rows), std::move(make), TListSource::Initial);
}

void Tfuserfrm::SpeedButton8Click(const QString &caption)
{
    const QString text = caption.trimmed();
    if (text == QStringLiteral("全部"))
        TreeView1Change(TreeView1->topLevelItem(3));
    else if (!text.isEmpty())
        FilterByInitial(text.toUpper());
}

// Rename and e-mail ----------------------------------------------------------------------------

bool Tfuserfrm::Rename(TIQ &record, QString &text)
{
    const QString name = text.trimmed();
    SQLite::Database *db = Db();
    if (name.isEmpty() || !db)
        return false;
    const QString initials = PinyinInitials(name);
    try {
        SQLite::Statement update(*db, QStringLiteral("update userinfo set uname=?,kzfield2=?,kzfield1=? where keyid=?"));
        update.BindAll({name, QStringLiteral("2"), initials, record.Key()});
        update.Exec();
    } catch (const EDatabaseError &) {
        ShowMessage(ChangeFailedText, QStringLiteral("Orvanta"), MsgIcon::Warning);
        return false;
    }
    text = name;
    record.uname = name;
    record.kzfield1 = initials;
    if (!cardKeyid_.isEmpty() && cardKeyid_.toLongLong() == record.Key())
        ShowContactCard(cardKeyid_);
    return true;
}

bool Tfuserfrm::ListView1Edited(int row, QString &text)
{
    if (row < 0 || row >= ListView1->Count())
        return false;
    TIQ *record = ListView1->Model()->Row(row).record.get();
    if (!record || !Rename(*record, text))
        return false;
    if (auto *node = static_cast<TRecordTreeItem *>(FindNodeByKey(record->keyid)); node && node != root_) {
        node->setText(0, text);
        node->Record()->uname = text;
        node->Record()->kzfield1 = record->kzfield1;
        if (node->Record()->IsContact())
            Reposition(node);
    }
    return true;
}

void Tfuserfrm::ShowRenamedInList(const TIQ &renamed)
{
    TContactListModel *model = ListView1->Model();
    const qint64 key = renamed.Key();
    for (int row = 0; row < model->Count(); ++row) {
        if (model->Key(row) != key)
            continue;
        if (TIQ *record = model->Row(row).record.get()) {
            record->uname = renamed.uname;
            record->kzfield1 = renamed.kzfield1;
        }
        if (model->IsGroup(row) || viewFields_.isEmpty()) {
            model->SetCaption(row, renamed.uname);
            continue;
        }
        for (int column = 0; column < viewFields_.size(); ++column) {
            if (IsField(viewFields_[column], "uname"))
                model->SetText(row, column, renamed.uname);
        }
    }
}

bool Tfuserfrm::DyTreeView1Edited(QTreeWidgetItem *node, QString &text)
{
    TIQ *record = RecordOf(node);
    if (!record || node == root_ || !Rename(*record, text))
        return false;
    ShowRenamedInList(*record);
    if (record->IsContact()) {
        // The editor is still closing on this node; move it once that is done.
        const QString keyid = record->keyid;
        QTimer::singleShot(0, this, [this, keyid] { Reposition(FindTreeNodeByKey(keyid)); });
    }
    return true;
}

void Tfuserfrm::N2Click()
{
    ListView1->EditCaption(ListView1->ItemIndex());
}

void Tfuserfrm::treenoderenameClick()
{
    QTreeWidgetItem *node = DyTreeView1->currentItem();
    if (node && node != root_)
        DyTreeView1->editItem(node);
}

void Tfuserfrm::N4Click()
{
    const TIQ *record = RecordOf(DyTreeView1->currentItem());
    if (record)
        ShellOpen(MailtoText(StoredEmail(Db(), record->Key()), record->uname));
}

void Tfuserfrm::N5Click()
{
    const int row = ListView1->ItemIndex();
    if (row < 0)
        return;
    const TListRow &item = ListView1->Model()->Row(row);
    if (item.record)
        ShellOpen(MailtoText(item.record->email, item.caption));
}

// Column chooser -------------------------------------------------------------------------------

namespace {

// Offers the chosen fields first, checked and in their order, then every other field; false
// when the user cancels.
bool ChooseFields(QWidget *parent, QStringList &fields)
{
    Tfrmselfields *chooser = FieldChooser(parent);
    chooser->Clear();
    for (const QString &field : fields) {
        const QString caption = PairValueOf(FieldCaptions, field);
        if (!caption.isEmpty())
            chooser->AddField(caption, field, true);
    }
    for (const QString &pair : FieldCaptions) {
        if (!fields.contains(PairName(pair), Qt::CaseInsensitive))
            chooser->AddField(PairValue(pair), PairName(pair), false);
    }
    if (chooser->exec() != QDialog::Accepted)
        return false;
    fields = KnownFieldList(chooser->CheckedNames().join(','));
    return true;
}

} // namespace

void Tfuserfrm::N10Click()
{
    if (!ChooseFields(window(), viewFields_))
        return;
    if (viewFields_.isEmpty())
        viewFields_ = KnownFieldList(DefaultViewFields);
    TIniFile ini(ConfigIniPath());
    ini.WriteString(QStringLiteral("SYS"), QStringLiteral("VIEWFIELDS"), EncipherFieldList(viewFields_.join(',')));
    RebuildColumns();
    RelistCurrent();
}

void Tfuserfrm::RelistCurrent()
{
    switch (listSource_) {
    case TListSource::QuickView:
        ListQuickView(listedQuickView_);
        break;
    case TListSource::Tag:
        TreeView2Change(TreeView2->currentItem());
        break;
    case TListSource::Search:
        SearchContacts(listedText_);
        break;
    case TListSource::Initial:
        FilterByInitial(listedText_);
        break;
    default:
        DyTreeView1Change(DyTreeView1->currentItem());
        break;
    }
}

void Tfuserfrm::Button1Click()
{
    if (!ChooseFields(window(), cardFields_))
        return;
    TIniFile ini(ConfigIniPath());
    ini.WriteString(QStringLiteral("SYS"), QStringLiteral("FIELDS"), EncipherFieldList(cardFields_.join(',')));
    const TIQ *record = RecordOf(DyTreeView1->currentItem());
    if (!cardKeyid_.isEmpty())
        ShowContactCard(cardKeyid_);
    else if (record && record->IsContact())
        ShowContactCard(record->keyid);
}
