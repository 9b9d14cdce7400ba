// The browser's trees: loading the group tree, the quick views and the tag tree, and what a
// click in each of them shows.
#include "browser/userfrm.h"

#include "shared/AppGlobals.h"
#include "shared/FrameworkCommandBuilder.h"
#include "transfer/ContactTransfer.h"
#include "shared/Utility.h"
#include "browser/RangeReading.h"
#include "browser/userfrmListView.h"
#include "browser/userfrmPrivate.h"

#include "platform/ADODB.h"
#include "platform/IniFiles.h"
#include "platform/UiServices.h"

#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <algorithm>
#include <iterator>
#include <limits>

namespace {

const char *const QuickViewCaptions[] = {"常用人脉", "最近联系", "应多联系", "所有人脉"};

// The contact columns of the tree, in the order the statements below select them.
// Only what the tree draws, places and orders: a large account's tree is read on every page open,
// and each further column is one more value decoded per contact.
const QString ContactColumns = QStringLiteral("kzfield2,keyid,nodeparentkey,ulevel,nodelevel,nodetype,uname,uxb,kzfield1");
enum ContactColumn { cKz2, cKey, cParent, cLevel, cNodeLevel, cType, cName, cSex, cKz1 };

const QString GroupColumns = QStringLiteral("kzfield2,keyid,nodeparentkey,nodelevel,nodetype,uname,uxb,ulevel");
enum GroupColumn { gKz2, gKey, gParent, gNodeLevel, gType, gName, gSex, gLevel };

QString Str(const SQLite::Statement &s, int column)
{
    return ColumnText(s, column);
}

// A column read as a number: an integer as it is stored, anything else as its conversion would
// give (reading the common integer case without a variant is most of a tree's load time).
qint64 IntOf(const SQLite::Statement &s, int column)
{
    const SQLite::ValueView v = s.ColumnView(column);
    return v.Type == SQLite::ValueType::Integer ? v.Int64 : s.Column(column).toLongLong();
}

// kzfield2 is "2" on every row this program writes.
bool IsOwnRow(const SQLite::Statement &s, int column)
{
    const SQLite::ValueView v = s.ColumnView(column);
    if (v.Type == SQLite::ValueType::Integer)
        return v.Int64 == 2;
    if (v.Type == SQLite::ValueType::Text)
        return v.Bytes == QByteArrayView("2");
    return Str(s, column) == QLatin1String("2");
}

// Where a row is placed: under the node of its parent key when that sits one level above, as the
// stored levels say; under the root otherwise.
QTreeWidgetItem *ParentNode(const QHash<qint64, QTreeWidgetItem *> &nodes, const TTreeRow &row, QTreeWidgetItem *root)
{
    if (row.nodeLevel > 1) {
        QTreeWidgetItem *found = nodes.value(row.parentKey);
        if (found && NodeLevel(found) == row.nodeLevel - 1)
            return found;
    }
    return root;
}

TTreeRow ReadGroupRow(const SQLite::Statement &s)
{
    TTreeRow row;
    auto record = std::make_unique<TIQ>();
    const bool own = IsOwnRow(s, gKz2);
    const auto text = [&](int column) { return own ? Str(s, column) : QString(); };
    record->keyid = Str(s, gKey);
    record->nodetype = Str(s, gType);
    record->uname = text(gName);
    record->ulevel = Str(s, gLevel);
    record->uxb = text(gSex).trimmed();
    row.record = std::move(record);
    row.key = s.ColumnInt64(gKey);
    row.parentKey = IntOf(s, gParent);
    row.nodeLevel = int(IntOf(s, gNodeLevel));
    return row;
}

TTreeRow ReadContactRow(const SQLite::Statement &s)
{
    TTreeRow row;
    auto record = std::make_unique<TIQ>();
    const bool own = IsOwnRow(s, cKz2);
    const auto text = [&](int column) { return own ? Str(s, column) : QString(); };
    record->keyid = Str(s, cKey);
    record->nodetype = Str(s, cType);
    record->uname = text(cName);
    record->ulevel = Str(s, cLevel);
    record->uxb = text(cSex).trimmed();
    record->kzfield1 = Str(s, cKz1);
    row.record = std::move(record);
    row.key = s.ColumnInt64(cKey);
    row.parentKey = IntOf(s, cParent);
    row.nodeLevel = int(IntOf(s, cNodeLevel));
    return row;
}

// The contacts of one range of keys, in the tree's order, and their quick-view counts.
struct TContactPart {
    qint64 from = 0;
    qint64 to = 0;
    std::vector<TTreeRow> rows;
    std::vector<TContactOrder> order;
    qint64 counts[3] = {};
};

// `sql` selects the contact columns and the three quick-view conditions of keys between its
// last two parameters.
void ReadContactPart(SQLite::Database &db, const QString &sql, const QVariantList &params, TContactPart &part)
{
    part.rows.clear();
    part.order.clear();
    std::fill(std::begin(part.counts), std::end(part.counts), 0);
    SQLite::Statement contacts(db, sql);
    contacts.BindAll(params);
    contacts.BindInt64(int(params.size()) + 1, part.from);
    contacts.BindInt64(int(params.size()) + 2, part.to);
    while (contacts.ExecuteStep()) {
        part.rows.push_back(ReadContactRow(contacts));
        TContactOrder &place = part.order.emplace_back(ContactOrderOf(contacts, cKz1));
        place.key = part.rows.back().key;
        place.index = part.rows.size() - 1;
        for (int i = 0; i < 3; ++i)
            part.counts[i] += contacts.ColumnInt64(cKz1 + 1 + i);
    }
    std::sort(part.order.begin(), part.order.end());
}

int ImageOf(const TIQ &record)
{
    return record.IsGroup() ? 7 : TreeContactImage(record.uxb);
}

bool IsDigit(unsigned char ch)
{
    return ch >= '0' && ch <= '9';
}

// isodate(value): whether the value starts with a real calendar date written yyyy-mm-dd, that is
// whether date() gives those ten characters back unchanged; without calling date() for every
// contact. Years before 1000 are left to date() itself (null answer).
void IsoDate(const SQLite::FunctionArgs &args, SQLite::FunctionResult &result)
{
    const QByteArrayView text = args.Utf8(0);
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') {
        result.SetInt64(0);
        return;
    }
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!IsDigit(text[i])) {
            result.SetInt64(0);
            return;
        }
    }
    const auto number = [&](int from, int digits) {
        int value = 0;
        for (int i = from; i < from + digits; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    const int year = number(0, 4);
    const int month = number(5, 2);
    const int day = number(8, 2);
    if (year < 1000) {
        result.SetNull();
        return;
    }
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const bool valid = month >= 1 && month <= 12 && day >= 1 &&
                       day <= days[month - 1] + (month == 2 && leap ? 1 : 0);
    result.SetInt64(valid ? 1 : 0);
}

} // namespace

TContactOrder ContactOrderOf(const SQLite::Statement &row, int initialsColumn)
{
    TContactOrder order;
    const SQLite::ValueView value = row.ColumnView(initialsColumn);
    switch (value.Type) {
    case SQLite::ValueType::Null:
        return order;
    case SQLite::ValueType::Text:
        order.rank = 2;
        break;
    default:
        // A blob (the column's text affinity leaves no numbers): its bytes, without case folding.
        order.rank = 3;
        break;
    }
    const QByteArrayView bytes = value.Bytes;
    const auto folded = [&](qsizetype i) {
        const char ch = bytes[i];
        return order.rank == 2 && ch >= 'A' && ch <= 'Z' ? char(ch + 32) : ch;
    };
    order.size = bytes.size();
    for (qsizetype i = 0; i < 8; ++i)
        order.head = order.head << 8 | (i < bytes.size() ? quint8(folded(i)) : 0);
    // Initials are a few letters: the whole of them is kept only when the head cannot tell.
    if (bytes.size() > 8) {
        order.initials.resize(bytes.size());
        for (qsizetype i = 0; i < bytes.size(); ++i)
            order.initials[i] = folded(i);
    }
    return order;
}

namespace {

// A node of the group tree that keeps its caption and image itself instead of in the item's
// list of role values: the tree of a large account is made without a variant per node and role.
class TGroupTreeItem final : public TRecordTreeItem
{
public:
    TGroupTreeItem(std::unique_ptr<TIQ> record, const QString &text, int image)
        : TRecordTreeItem(std::move(record)), text_(text), image_(image)
    {
    }

    void SetImage(int image)
    {
        image_ = image;
        hasIcon_ = false;
        emitDataChanged();
    }

    QVariant data(int column, int role) const override
    {
        if (column == 0) {
            switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole:
                return text_;
            case Qt::DecorationRole:
                return hasIcon_ ? icon_ : QVariant(BrowserIcon(image_));
            case NodeImageRole:
                return image_;
            default:
                break;
            }
        }
        return TRecordTreeItem::data(column, role);
    }

    void setData(int column, int role, const QVariant &value) override
    {
        if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole)) {
            text_ = value.toString();
        } else if (column == 0 && role == NodeImageRole) {
            image_ = value.toInt();
        } else if (column == 0 && role == Qt::DecorationRole) {
            icon_ = value;
            hasIcon_ = true;
        } else {
            TRecordTreeItem::setData(column, role, value);
            return;
        }
        emitDataChanged();
    }

private:
    QString text_;
    int image_ = 0;
    bool hasIcon_ = false;  // an icon set from outside, which wins over the image's
    QVariant icon_;
};

} // namespace

// Nodes ----------------------------------------------------------------------------------------

std::unique_ptr<TRecordTreeItem> Tfuserfrm::MakeNode(std::unique_ptr<TIQ> record) const
{
    const QString text = record->uname;
    const int image = ImageOf(*record);
    auto node = std::make_unique<TGroupTreeItem>(std::move(record), text, image);
    node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
                   Qt::ItemIsDropEnabled);
    return node;
}

void Tfuserfrm::SetNodeImage(QTreeWidgetItem *node, int selectedIndex, int imageIndex)
{
    Q_UNUSED(selectedIndex)  // one icon serves both states here
    if (!node)
        return;
    if (auto *item = dynamic_cast<TGroupTreeItem *>(node)) {
        item->SetImage(imageIndex);
        return;
    }
    node->setIcon(0, BrowserIcon(imageIndex));
    node->setData(0, NodeImageRole, imageIndex);
}

int Tfuserfrm::NodeImage(const QTreeWidgetItem *node)
{
    return node ? node->data(0, NodeImageRole).toInt() : -1;
}

QTreeWidgetItem *Tfuserfrm::FindTreeNodeByKey(const QString &keyid) const
{
    bool ok = false;
    const qint64 key = keyid.trimmed().toLongLong(&ok);
    return ok ? nodeByKey_.value(key) : nullptr;
}

void Tfuserfrm::RegisterSubtree(QTreeWidgetItem *node)
{
    if (const TIQ *record = RecordOf(node))
        nodeByKey_.insert(record->Key(), node);
    for (int i = 0; i < node->childCount(); ++i)
        RegisterSubtree(node->child(i));
}

void Tfuserfrm::ForgetSubtree(QTreeWidgetItem *node)
{
    if (const TIQ *record = RecordOf(node)) {
        const auto found = nodeByKey_.find(record->Key());
        if (found != nodeByKey_.end() && *found == node)
            nodeByKey_.erase(found);
    }
    for (int i = 0; i < node->childCount(); ++i)
        ForgetSubtree(node->child(i));
}

int Tfuserfrm::PlaceIndex(QTreeWidgetItem *parent, const TIQ &record) const
{
    // Groups come first, in their stored order; contacts follow in the order a reload gives them.
    const int count = parent->childCount();
    int groups = 0;
    while (groups < count) {
        const TIQ *other = RecordOf(parent->child(groups));
        if (!other || !other->IsGroup())
            break;
        ++groups;
    }
    if (record.IsGroup())
        return groups;
    int low = groups;
    int high = count;
    while (low < high) {
        const int mid = (low + high) / 2;
        const TIQ *other = RecordOf(parent->child(mid));
        const int order = other ? CompareNoCase(record.kzfield1, other->kzfield1) : 1;
        if (order > 0 || (order == 0 && other && record.Key() > other->Key()))
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

void Tfuserfrm::SelectNodeQuietly(QTreeWidgetItem *node)
{
    QSignalBlocker block(DyTreeView1);
    if (node)
        DyTreeView1->setCurrentItem(node);
    else
        DyTreeView1->selectionModel()->clear();
}

void Tfuserfrm::Reposition(QTreeWidgetItem *node)
{
    QTreeWidgetItem *parent = node ? node->parent() : nullptr;
    const TIQ *record = RecordOf(node);
    if (!parent || !record)
        return;
    QTreeWidgetItem *current = DyTreeView1->currentItem();
    QSignalBlocker block(DyTreeView1);
    const bool expanded = node->isExpanded();
    parent->takeChild(parent->indexOfChild(node));
    parent->insertChild(PlaceIndex(parent, *record), node);
    node->setExpanded(expanded);
    SelectNodeQuietly(current);
}

// Loading --------------------------------------------------------------------------------------

void Tfuserfrm::LoadGroupTree()
{
    const TIQ *selectedRecord = RecordOf(DyTreeView1->currentItem());
    const qint64 selectedKey = selectedRecord ? selectedRecord->Key() : -1;
    loadingTree_ = true;
    {
        QSignalBlocker block(DyTreeView1);
        DyTreeView1->clear();
    }
    nodeByKey_.clear();
    StartSearchIndex();

    auto rootRecord = std::make_unique<TIQ>();
    rootRecord->keyid = QStringLiteral("0");
    rootRecord->nodetype = QStringLiteral("1");
    rootRecord->uname = QStringLiteral("人脉");
    std::unique_ptr<TRecordTreeItem> root = MakeNode(std::move(rootRecord));
    SetNodeImage(root.get(), 1, 1);
    root->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled);

    // The tree is built detached and shown in one step.
    TTreeRows rows = ReadTreeRows();
    nodeByKey_.reserve(qsizetype(rows.groups.size() + rows.contacts.size()) + 1);
    const auto place = [&](TTreeRow &row) {
        QTreeWidgetItem *parent = ParentNode(nodeByKey_, row, root.get());
        TRecordTreeItem *node = MakeNode(std::move(row.record)).release();
        parent->addChild(node);
        nodeByKey_.insert(row.key, node);
    };
    for (TTreeRow &row : rows.groups)
        place(row);
    // The records were read in storage order and are placed in the tree's: without fetching
    // ahead, each one and its name is a wait on memory.
    constexpr size_t Ahead = 8;
    for (size_t i = 0; i < rows.contacts.size(); ++i) {
        if (i + 2 * Ahead < rows.contacts.size())
            __builtin_prefetch(rows.contacts[i + 2 * Ahead].record.get());
        if (i + Ahead < rows.contacts.size())
            __builtin_prefetch(rows.contacts[i + Ahead].record->uname.constData());
        place(rows.contacts[i]);
    }

    root_ = root.release();
    nodeByKey_.insert(0, root_);
    {
        QSignalBlocker block(DyTreeView1);
        DyTreeView1->addTopLevelItem(root_);
        root_->setExpanded(true);
    }
    loadingTree_ = false;
    // Imports reload the tree; the counts must follow what they added.
    if (rows.counted)
        ShowQuickViewCounts(rows.counts);

    sortColumn_ = 0;
    sortDirection_ = 0;
    SortList();
    // The nodes were made anew: the selection is found again by its key, and the list is read
    // again, so that it shows what an import added and nothing that is gone.
    QTreeWidgetItem *selected = selectedKey >= 0 ? nodeByKey_.value(selectedKey) : nullptr;
    if (selected) {
        SelectNodeQuietly(selected);
        selected->setExpanded(true);
    }
    if (listSource_ == TListSource::GroupChildren) {
        if (QTreeWidgetItem *group = nodeByKey_.value(listedGroupKey_))
            DyTreeView1Change(group);
        else
            ClearList(TListSource::None);
    } else if (listSource_ != TListSource::None) {
        RelistCurrent();
    }
    if (selected && RecordOf(selected)->IsContact())
        ShowContactCard(RecordOf(selected)->keyid);
    else if (!cardKeyid_.isEmpty() && !nodeByKey_.contains(cardKeyid_.toLongLong()))
        ShowContactCard(QString());
}

TTreeRows Tfuserfrm::ReadTreeRows() const
{
    TTreeRows rows;
    SQLite::Database *db = Db();
    if (!db)
        return rows;
    try {
        SQLite::Statement groups(*db, QStringLiteral("select ") + GroupColumns +
                                          QStringLiteral(" from userinfo where nodetype=1 order by nodelevel,nodetype,nodeindex"));
        while (groups.ExecuteStep())
            rows.groups.push_back(ReadGroupRow(groups));
        // One pass over the contacts in storage order gives the tree and the quick-view counts;
        // the order of the tree (by initials, ties in the order of entry, so that a node placed
        // later lands where a reload puts it) is made here.
        QVariantList params;
        QStringList conditions;
        for (int i = 0; i < 3; ++i)
            conditions << QuickViewCondition(i, params);
        const QString sql = QStringLiteral("select ") + ContactColumns + ',' + conditions.join(',') +
                            QStringLiteral(" from userinfo where +nodetype=2 and keyid between ? and ?");
        // A large account is read in ranges of keys at once, here and on threads with
        // connections of their own.
        std::vector<TContactPart> parts;
        for (const auto &[from, to] : ReadingRanges(*db, 24)) {
            TContactPart &part = parts.emplace_back();
            part.from = from;
            part.to = to;
        }
        {
            TRangeReading reading(
                db->FileName(), parts.size(), parts.size() > 1 ? 3 : 0,
                [&parts, &sql, &params](SQLite::Database &on, size_t index, const std::atomic<bool> &) {
                    ReadContactPart(on, sql, params, parts[index]);
                    return true;
                },
                [](SQLite::Database &own) {
                    own.CreateFunction(QStringLiteral("isodate"), 1, SQLite::ResultFunction(IsoDate));
                });
            reading.Finish(*db);
        }
        // Each range came sorted; the ranges are merged, pairs of neighbours at a time.
        std::vector<TContactOrder> order;
        std::vector<size_t> starts;  // where each range's rows begin in the merged numbering
        for (TContactPart &part : parts) {
            starts.push_back(order.size());
            for (TContactOrder &place : part.order) {
                place.index += starts.back();
                order.push_back(std::move(place));
            }
            for (int i = 0; i < 3; ++i)
                rows.counts[i] += part.counts[i];
        }
        std::vector<size_t> runs = starts;
        runs.push_back(order.size());
        while (runs.size() > 2) {
            std::vector<size_t> merged;
            for (size_t i = 0; i + 2 < runs.size(); i += 2) {
                std::inplace_merge(order.begin() + qsizetype(runs[i]), order.begin() + qsizetype(runs[i + 1]),
                                   order.begin() + qsizetype(runs[i + 2]));
                merged.push_back(runs[i]);
            }
            if (runs.size() % 2 == 0)
                merged.push_back(runs[runs.size() - 2]);
            merged.push_back(runs.back());
            runs = std::move(merged);
        }
        rows.counts[3] = qint64(order.size());
        rows.counted = true;
        rows.contacts.reserve(order.size());
        for (const TContactOrder &place : order) {
            const size_t part = size_t(std::upper_bound(starts.begin(), starts.end(), place.index) - starts.begin()) - 1;
            rows.contacts.push_back(std::move(parts[part].rows[place.index - starts[part]]));
        }
    } catch (const EDatabaseError &) {
        // What was read stays; the rest of the tree is missing, as with any failed query.
    }
    return rows;
}

TRecordTreeItem *Tfuserfrm::AddNodeFromDb(qint64 keyid)
{
    SQLite::Database *db = Db();
    if (!db || !root_)
        return nullptr;
    TTreeRow row;
    try {
        SQLite::Statement read(*db, QStringLiteral("select ") + ContactColumns + QStringLiteral(" from userinfo where keyid=?"));
        read.Bind(1, keyid);
        if (!read.ExecuteStep())
            return nullptr;
        row = ReadContactRow(read);
    } catch (const EDatabaseError &) {
        return nullptr;
    }
    QTreeWidgetItem *parent = ParentNode(nodeByKey_, row, root_);
    TRecordTreeItem *node = MakeNode(std::move(row.record)).release();
    QTreeWidgetItem *current = DyTreeView1->currentItem();
    {
        QSignalBlocker block(DyTreeView1);
        parent->insertChild(PlaceIndex(parent, *node->Record()), node);
    }
    SelectNodeQuietly(current);
    nodeByKey_.insert(keyid, node);
    return node;
}

void Tfuserfrm::CountQuickViews()
{
    SQLite::Database *db = Db();
    if (!db)
        return;
    // The four counts in one pass over the contacts.
    QVariantList params;
    QStringList counts;
    for (int i = 0; i < 4; ++i)
        counts << QStringLiteral("sum(") + QuickViewCondition(i, params) + ')';
    try {
        SQLite::Statement count(*db, QStringLiteral("select ") + counts.join(',') + QStringLiteral(" from userinfo where +nodetype=2"));
        count.BindAll(params);
        if (!count.ExecuteStep())
            return;
        qint64 values[4];
        for (int i = 0; i < 4; ++i)
            values[i] = count.Column(i).toLongLong();
        ShowQuickViewCounts(values);
    } catch (const EDatabaseError &) {
        // The captions keep what they showed.
    }
}

void Tfuserfrm::ShowQuickViewCounts(const qint64 (&counts)[4])
{
    for (int i = 0; i < 4; ++i)
        TreeView1->topLevelItem(i)->setText(
            0, QString::fromUtf8(QuickViewCaptions[i]) + '(' + QString::number(counts[i]) + ')');
}

QString Tfuserfrm::QuickViewCondition(int index, QVariantList &params) const
{
    switch (index) {
    case 0:
        params << AppSettings().FrequentViewCount;
        return QStringLiteral("readcount>=?");
    case 1:
        // Stored date-times compare as they are; only other texts need reading as dates.
        if (SQLite::Database *db = Db()) {
            try {
                db->CreateFunction(QStringLiteral("isodate"), 1, SQLite::ResultFunction(IsoDate));
            } catch (const EDatabaseError &) {
                // It is there already and a statement is using it: the one there serves.
            }
        }
        params << QStringLiteral("yyyy-mm-dd")
               << Clock().Now().date().addMonths(-AppSettings().RecentMonths).toString(QStringLiteral("yyyy-MM-dd"));
        return QStringLiteral(
            "(case when coalesce(isodate(activenewtime),activenewtime glob '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*' "
            "and date(substr(activenewtime,1,10),'+0 days')=substr(activenewtime,1,10)) then substr(activenewtime,1,10) "
            "else jetformat(activenewtime,?) end)>=?");
    case 2:
        return QStringLiteral("ulevel in (3,4)");
    default:
        return QStringLiteral("1");
    }
}

QString Tfuserfrm::QuickViewSql(int index, QVariantList &params) const
{
    static const char *const orders[] = {" order by readcount desc", " order by activenewtime desc",
                                         " order by ulevel desc", " order by kzfield1,uname"};
    params.clear();
    return QStringLiteral("select ") + ListColumnsSql(QString()) + QStringLiteral(" from userinfo where nodetype=2 and ") +
           QuickViewCondition(index, params) + QString::fromLatin1(orders[std::clamp(index, 0, 3)]);
}

void Tfuserfrm::ListQuickView(int index)
{
    if (index < 0 || index > 3)
        return;
    listedQuickView_ = index;
    QVariantList params;
    const QString sql = QuickViewSql(index, params);
    std::vector<TListEntry> rows;
    TListColumns at;
    if (!ReadListRows(sql, params, rows, at)) {
        ClearList(TListSource::QuickView);
        return;
    }
    TreeView1->topLevelItem(index)->setText(
        0, QString::fromUtf8(QuickViewCaptions[index]) + '(' + QString::number(rows.size()) + ')');
    FillList(std::move(rows), ListRowMaker(at), TListSource::QuickView);
}

void Tfuserfrm::LoadTagTree()
{
    {
        QSignalBlocker block(TreeView2);
        TreeView2->clear();
    }
    auto *root = new QTreeWidgetItem(TreeView2, {QStringLiteral("标签")});
    root->setIcon(0, BrowserIcon(1));
    root->setData(0, NodeImageRole, 1);
    SQLite::Database *db = Db();
    if (!db)
        return;
    try {
        SQLite::Statement tags(*db, QStringLiteral("select placename from userplaces group by placename"));
        QSignalBlocker block(TreeView2);
        while (tags.ExecuteStep()) {
            const QString stored = tags.Column(0).toString();
            auto *tag = new QTreeWidgetItem(root, {stored.trimmed()});
            tag->setIcon(0, BrowserIcon(1));
            tag->setData(0, NodeImageRole, 1);
            tag->setData(0, TagNameRole, stored);
        }
    } catch (const EDatabaseError &) {
        // The tags read so far stay.
    }
    root->setExpanded(true);
}

// Change handlers ------------------------------------------------------------------------------

void Tfuserfrm::TreeView1Change(QTreeWidgetItem *node)
{
    if (node)
        ListQuickView(TreeView1->indexOfTopLevelItem(node));
}

void Tfuserfrm::TreeView1Exit()
{
    QSignalBlocker block(TreeView1);
    TreeView1->selectionModel()->clear();
}

void Tfuserfrm::DyTreeView1Change(QTreeWidgetItem *node)
{
    if (loadingTree_)
        return;
    const TIQ *record = RecordOf(node);
    if (!record)
        return;
    if (record->IsContact()) {
        ShowContactCard(record->keyid);
        return;
    }
    // Subgroups first in their stored order, then contacts in the tree's order.
    std::vector<TListEntry> rows;
    TListColumns at;
    const bool read = ReadListRows(QStringLiteral("select ") + ListColumnsSql(QString()) +
                                       QStringLiteral(" from userinfo where nodeparentkey=? order by nodetype,"
                                                      "case when nodetype=1 then nodeindex end,kzfield1,keyid"),
                                   {record->Key()}, rows, at);
    listedGroupKey_ = record->Key();
    if (!read)
        rows.clear();
    FillList(std::move(rows), ListRowMaker(at), TListSource::GroupChildren);
}

void Tfuserfrm::DyTreeView1DblClick()
{
    QTreeWidgetItem *node = DyTreeView1->currentItem();
    const TIQ *record = RecordOf(node);
    if (record && record->IsContact())
        OpenContact(record->keyid, node->text(0));
}

void Tfuserfrm::DyTreeView1Exit()
{
    // The page's own 新建人脉 button takes the focus; the group the user picked must still
    // receive the new contact.
    const TIQ *record = RecordOf(DyTreeView1->currentItem());
    leftNodeKeyid_ = record ? record->keyid : QString();
    SelectNodeQuietly(nullptr);
}

void Tfuserfrm::TreeView2Change(QTreeWidgetItem *node)
{
    if (!node || !node->parent())
        return;
    std::vector<TListEntry> rows;
    TListColumns at;
    const bool read = ReadListRows(QStringLiteral("select ") + ListColumnsSql(QStringLiteral("u.")) +
                                       QStringLiteral(" from userinfo u,userlinkplace up where u.nodetype=2 and "
                                                      "u.keyid=up.keyid and up.placename=? order by u.readcount desc"),
                                   {node->data(0, TagNameRole).toString()}, rows, at);
    if (!read)
        rows.clear();
    FillList(std::move(rows), ListRowMaker(at), TListSource::Tag);
}

void Tfuserfrm::TreeView2Enter()
{
    TreeView2Change(TreeView2->currentItem());
}

void Tfuserfrm::N57Click()
{
    DyTreeView1->expandAll();
}

void Tfuserfrm::N58Click()
{
    DyTreeView1->collapseAll();
}

void Tfuserfrm::N60Click()
{
    autoExpand_ = !autoExpand_;
    N60->SetChecked(autoExpand_);
    TIniFile ini(ConfigIniPath());
    ini.WriteBool(QStringLiteral("TREEVIEW"), QStringLiteral("AUTOEXPAND"), autoExpand_);
}

void Tfuserfrm::DyTreeView1Popup(const QPoint &pos)
{
    // The menu belongs to the whole tree. A click on a node selects it first; elsewhere the menu
    // serves the node already selected, or none, and its items are enabled for that node alone.
    if (QTreeWidgetItem *under = DyTreeView1->itemAt(pos))
        DyTreeView1->setCurrentItem(under);
    QTreeWidgetItem *node = DyTreeView1->currentItem();
    const TIQ *record = RecordOf(node);
    treedeletenode->SetEnabled(node && NodeLevel(node) >= 1);
    N1->SetEnabled(record && record->IsContact());
    RunPopupMenu(*DRPopupMenu, DyTreeView1->viewport()->mapToGlobal(pos));
}

void Tfuserfrm::N1Click()
{
    const TIQ *record = RecordOf(DyTreeView1->currentItem());
    bool ok = false;
    const qint64 keyid = record && record->IsContact() ? record->keyid.toLongLong(&ok) : 0;
    if (!ok || !Db())
        return;
    QString path = Dialogs().SaveFileName(this, QStringLiteral("导出名片"),
                                          SafeFileBaseName(record->uname) + QStringLiteral(".vcf"),
                                          QStringLiteral("名片(*.vcf)"));
    if (path.isEmpty())
        return;
    // The card goes to the file the user named; without the extension the writer would take the
    // name for the start of a file name of its own.
    if (FileExtLower(path) != QLatin1String("vcf"))
        path += QStringLiteral(".vcf");
    if (ExportVCard(connection_, path, keyid).isEmpty())
        ShowMessage(QStringLiteral("无法写入文件 %1").arg(path), QStringLiteral("Orvanta"), MsgIcon::Warning,
                    MsgButtons::OK, this);
}

// For the export wizard -------------------------------------------------------------------------

std::optional<TGroupTreeNode> Tfuserfrm::SelectedGroupTreeNode() const
{
    const TIQ *record = RecordOf(DyTreeView1->currentItem());
    if (!record)
        return std::nullopt;
    return TGroupTreeNode{record->keyid, record->nodetype.trimmed().toInt()};
}

// For editors and importers --------------------------------------------------------------------

TNodePlace Tfuserfrm::NewContactPlace() const
{
    TNodePlace place;
    if (!root_)
        return place;
    QTreeWidgetItem *parent = DyTreeView1->currentItem();
    if (!parent && !leftNodeKeyid_.isEmpty())
        parent = FindTreeNodeByKey(leftNodeKeyid_);
    const TIQ *record = RecordOf(parent);
    if (record && record->IsContact()) {
        parent = parent->parent();
        record = RecordOf(parent);
    }
    if (!record) {
        place.ParentKey = 0;
        place.Level = 1;
        place.Index = 0;
        return place;
    }
    place.ParentKey = record->Key();
    place.Level = NodeLevel(parent) + 1;
    place.Index = parent->childCount() + 1;
    return place;
}

void Tfuserfrm::ShowNewContact(const QString &keyid)
{
    if (FindTreeNodeByKey(keyid)) {
        UpdateContactNode(keyid);
        return;
    }
    bool ok = false;
    const qint64 key = keyid.trimmed().toLongLong(&ok);
    if (!ok)
        return;
    if (TRecordTreeItem *node = AddNodeFromDb(key)) {
        if (listSource_ == TListSource::GroupChildren && RecordOf(node->parent()) &&
            RecordOf(node->parent())->Key() == listedGroupKey_)
            RenewListAfterMove();
        CountQuickViews();
    }
}

void Tfuserfrm::UpdateContactNode(const QString &keyid)
{
    auto *node = static_cast<TRecordTreeItem *>(FindTreeNodeByKey(keyid));
    if (!node || node == root_ || !node->Record())
        return;
    SQLite::Database *db = Db();
    if (!db)
        return;
    TTreeRow row;
    try {
        SQLite::Statement read(*db, QStringLiteral("select ") + (node->Record()->IsGroup() ? GroupColumns : ContactColumns) +
                                        QStringLiteral(" from userinfo where keyid=?"));
        read.Bind(1, node->Record()->Key());
        if (!read.ExecuteStep())
            return;
        row = node->Record()->IsGroup() ? ReadGroupRow(read) : ReadContactRow(read);
    } catch (const EDatabaseError &) {
        return;
    }
    const bool moved = row.record->kzfield1 != node->Record()->kzfield1;
    const int image = ImageOf(*row.record);
    node->setText(0, row.record->uname);
    node->SetRecord(std::move(row.record));
    SetNodeImage(node, image, image);
    if (moved)
        Reposition(node);
    if (listSource_ == TListSource::GroupChildren && RecordOf(node->parent()) &&
        RecordOf(node->parent())->Key() == listedGroupKey_)
        RenewListAfterMove();
    // A card left showing the old values would tell the user the save was lost.
    if (!cardKeyid_.isEmpty() && cardKeyid_.toLongLong() == node->Record()->Key())
        ShowContactCard(cardKeyid_);
}
