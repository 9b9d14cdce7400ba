#pragma once
#include <QString>
#include <QTreeWidgetItem>
#include <memory>

// The record every group-tree node and every contact-list item carries: enough of its userinfo
// row to draw, sort and act on it without going back to the database.
struct TIQ {
    QString keyid;          // "0" for the tree's root
    qint32 kind = 6;
    QString nodetype;       // "1" group, "2" contact
    qint32 position = -1;   // absolute index of the tree node, for items the A-Z bar lists
    QString uname;
    QString uxb;            // trimmed
    bool moveMark = false;
    QString ulevel;         // "0".."4"
    QString email;          // list rows: uemail, or text1 when uemail is empty; tree nodes read theirs on use
    QString kzfield1;       // the name's pinyin initials: contacts sort by it among their siblings

    bool IsGroup() const { return nodetype == QLatin1String("1"); }
    bool IsContact() const { return nodetype == QLatin1String("2"); }
    qint64 Key() const { return keyid.toLongLong(); }
};

// A tree node that owns its record; the record goes when the node goes.
class TRecordTreeItem : public QTreeWidgetItem
{
public:
    static constexpr int ItemType = QTreeWidgetItem::UserType + 6;

    explicit TRecordTreeItem(std::unique_ptr<TIQ> record = nullptr)
        : QTreeWidgetItem(ItemType), record_(std::move(record)) {}

    TIQ *Record() const { return record_.get(); }
    void SetRecord(std::unique_ptr<TIQ> record) { record_ = std::move(record); }

private:
    std::unique_ptr<TIQ> record_;
};

// The record of any tree item; nullptr for items that carry none.
inline TIQ *RecordOf(const QTreeWidgetItem *item)
{
    if (!item || item->type() != TRecordTreeItem::ItemType)
        return nullptr;
    return static_cast<const TRecordTreeItem *>(item)->Record();
}

// Depth below the top-level item (the top-level item itself is level 0).
inline int NodeLevel(const QTreeWidgetItem *item)
{
    int level = 0;
    for (const QTreeWidgetItem *p = item ? item->parent() : nullptr; p; p = p->parent())
        ++level;
    return level;
}
