// Shaping the group tree: new groups, moves by menu and by drag and drop, and deletes. Each
// command is one transaction; the tree changes with it or, when it fails, not at all.
#include "browser/userfrm.h"

#include "browser/userfrmListView.h"
#include "browser/userfrmPrivate.h"

#include "platform/ADODB.h"
#include "platform/UiServices.h"

#include <QSet>
#include <QSignalBlocker>
#include <map>
#include <optional>

namespace {

const QString Orvanta = QStringLiteral("Orvanta");

void CollectExpanded(QTreeWidgetItem *node, QList<QTreeWidgetItem *> &expanded)
{
    if (node->isExpanded())
        expanded << node;
    for (int i = 0; i < node->childCount(); ++i)
        CollectExpanded(node->child(i), expanded);
}

void CollectKeys(const QTreeWidgetItem *node, QStringList &keys)
{
    if (const TIQ *record = RecordOf(node))
        keys << QString::number(record->Key());
    for (int i = 0; i < node->childCount(); ++i)
        CollectKeys(node->child(i), keys);
}

bool IsGroupNode(const QTreeWidgetItem *node)
{
    const TIQ *record = RecordOf(node);
    return record && record->IsGroup();
}

// Deletes the rows of the nodes with these keys (the deleted nodes and everything below them)
// with their activities, photos, plans and tag links.
void DeleteNodeRows(SQLite::Database &db, const QStringList &keys)
{
    const QString json = QLatin1Char('[') + keys.join(',') + QLatin1Char(']');
    for (const char *sql : {"delete from useraction where useruid in (select value from json_each(?))",
                            "delete from userpic where useruid in (select value from json_each(?))",
                            "delete from userinfo where keyid in (select value from json_each(?))",
                            "delete from usertable where groupid in (select value from json_each(?))",
                            "delete from userlinkplace where keyid in (select value from json_each(?))"}) {
        SQLite::Statement statement(db, QString::fromLatin1(sql));
        statement.Bind(1, json);
        statement.Exec();
    }
}

} // namespace

// Moves nodes in the tree and writes each move, remembering how to put the tree back. Levels of
// the moved subtrees are written from the tree (level = depth), and at the end the groups under
// every parent touched are numbered 0..n-1 in the order the tree shows them, so a reload shows
// the same order.
class Tfuserfrm::TTreeChange
{
public:
    TTreeChange(const Tfuserfrm &page, SQLite::Database &db) : page_(page), db_(db), transaction_(db) {}

    // Where the node goes among its new siblings, asked once it has left its old place.
    using TPlace = std::function<int(QTreeWidgetItem *parent, const TIQ &record)>;

    TPlace Sorted() const
    {
        return [this](QTreeWidgetItem *parent, const TIQ &record) { return page_.PlaceIndex(parent, record); };
    }

    void Move(QTreeWidgetItem *node, QTreeWidgetItem *parent, const TPlace &place)
    {
        const TIQ *record = RecordOf(node);
        QTreeWidgetItem *oldParent = node->parent();
        if (!record || !oldParent || !RecordOf(parent))
            return;
        const int oldIndex = oldParent->indexOfChild(node);
        QList<QTreeWidgetItem *> expanded;
        CollectExpanded(node, expanded);
        oldParent->takeChild(oldIndex);
        steps_.push_back({node, oldParent, oldIndex, expanded});
        parent->insertChild(std::clamp(place(parent, *record), 0, parent->childCount()), node);
        for (QTreeWidgetItem *open : expanded)
            open->setExpanded(true);
        Touch(oldParent);
        Touch(parent);

        const int level = NodeLevel(node);
        Exec(QStringLiteral("update userinfo set nodeparentkey=?,nodelevel=?,nodeindex=0 where keyid=?"),
             {RecordOf(parent)->Key(), level, record->Key()});
        UpdateChildLevels(node, level);
    }

    void Finish()
    {
        for (QTreeWidgetItem *parent : touched_) {
            for (int i = 0; i < parent->childCount() && IsGroupNode(parent->child(i)); ++i)
                Exec(QStringLiteral("update userinfo set nodeindex=? where keyid=?"), {i, RecordOf(parent->child(i))->Key()});
        }
        transaction_.Commit();
    }

    void Undo()
    {
        for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
            QTreeWidgetItem *parent = step->node->parent();
            parent->takeChild(parent->indexOfChild(step->node));
            step->oldParent->insertChild(step->oldIndex, step->node);
            for (QTreeWidgetItem *open : step->expanded)
                open->setExpanded(true);
        }
        steps_.clear();
    }

private:
    struct Step {
        QTreeWidgetItem *node;
        QTreeWidgetItem *oldParent;
        int oldIndex;
        QList<QTreeWidgetItem *> expanded;
    };

    void Touch(QTreeWidgetItem *parent)
    {
        if (!touched_.contains(parent))
            touched_ << parent;
    }

    void Exec(const QString &sql, const QVariantList &params)
    {
        auto found = statements_.find(sql);
        if (found == statements_.end())
            found = statements_.emplace(sql, std::make_unique<SQLite::Statement>(db_, sql)).first;
        SQLite::Statement &statement = *found->second;
        statement.Reset();
        statement.BindAll(params);
        statement.Exec();
    }

    void UpdateChildLevels(QTreeWidgetItem *node, int level)
    {
        for (int i = 0; i < node->childCount(); ++i) {
            QTreeWidgetItem *child = node->child(i);
            if (const TIQ *record = RecordOf(child))
                Exec(QStringLiteral("update userinfo set nodelevel=? where keyid=?"), {level + 1, record->Key()});
            UpdateChildLevels(child, level + 1);
        }
    }

    const Tfuserfrm &page_;
    SQLite::Database &db_;
    SQLite::Transaction transaction_;
    std::map<QString, std::unique_ptr<SQLite::Statement>> statements_;
    std::vector<Step> steps_;
    QList<QTreeWidgetItem *> touched_;
};

bool Tfuserfrm::IsInsideSubtree(const QTreeWidgetItem *node, const QTreeWidgetItem *ancestor) const
{
    for (const QTreeWidgetItem *walk = node; walk; walk = walk->parent()) {
        if (walk == ancestor)
            return true;
    }
    return false;
}

bool Tfuserfrm::RunTreeChange(const std::function<void(TTreeChange &)> &body)
{
    SQLite::Database *db = Db();
    if (!db || !root_)
        return false;
    QTreeWidgetItem *current = DyTreeView1->currentItem();
    bool ok = true;
    {
        QSignalBlocker block(DyTreeView1);
        std::optional<TTreeChange> change;
        try {
            change.emplace(*this, *db);
            body(*change);
            change->Finish();
        } catch (const EDatabaseError &) {
            if (change)
                change->Undo();
            ok = false;
        }
        SelectNodeQuietly(current);
    }
    if (!ok)
        ShowMessage(ChangeFailedText, Orvanta, MsgIcon::Warning);
    return ok;
}

void Tfuserfrm::RenewListAfterMove()
{
    if (listSource_ != TListSource::GroupChildren)
        return;
    if (QTreeWidgetItem *group = nodeByKey_.value(listedGroupKey_))
        DyTreeView1Change(group);
    else
        ClearList(TListSource::GroupChildren);
}

// New group ------------------------------------------------------------------------------------

void Tfuserfrm::NewGroup()
{
    SQLite::Database *db = Db();
    if (!db || !root_)
        return;
    QTreeWidgetItem *parent = DyTreeView1->currentItem();
    const TIQ *parentRecord = RecordOf(parent);
    if (parentRecord && parentRecord->IsContact()) {
        parent = parent->parent();
        parentRecord = RecordOf(parent);
    }
    if (!parentRecord) {
        parent = root_;
        parentRecord = RecordOf(root_);
    }
    auto record = std::make_unique<TIQ>();
    record->nodetype = QStringLiteral("1");
    record->uname = QStringLiteral("我的人脉");
    // After the groups already there, before the contacts: where a reload shows it.
    const int index = PlaceIndex(parent, *record);
    qint64 key = 0;
    try {
        SQLite::Transaction transaction(*db);
        SQLite::Statement insert(*db, QStringLiteral("insert into userinfo (uname,nodelevel,nodeindex,nodeparentkey,"
                                                     "nodetype,kzfield2) values (?,?,?,?,1,?)"));
        insert.BindAll({record->uname, NodeLevel(parent) + 1, index, parentRecord->Key(), QStringLiteral("2")});
        insert.Exec();
        key = db->LastInsertRowId();
        SQLite::Statement renumber(*db, QStringLiteral("update userinfo set nodeindex=? where keyid=?"));
        for (int i = 0; i < index; ++i) {
            renumber.Reset();
            renumber.BindAll({i, RecordOf(parent->child(i))->Key()});
            renumber.Exec();
        }
        transaction.Commit();
    } catch (const EDatabaseError &) {
        ShowMessage(ChangeFailedText, Orvanta, MsgIcon::Warning);
        return;
    }
    record->keyid = QString::number(key);
    TRecordTreeItem *node = MakeNode(std::move(record)).release();
    {
        QSignalBlocker block(DyTreeView1);
        parent->insertChild(index, node);
        parent->setExpanded(true);
    }
    nodeByKey_.insert(key, node);
    DyTreeView1->setCurrentItem(node);
    DyTreeView1->editItem(node);
}

// Menu moves -----------------------------------------------------------------------------------

void Tfuserfrm::N15Click()
{
    QTreeWidgetItem *node = DyTreeView1->currentItem();
    if (!RecordOf(node) || node == root_)
        return;
    QTreeWidgetItem *parent = node->parent();
    QTreeWidgetItem *group = nullptr;
    for (int i = parent->indexOfChild(node) - 1; i >= 0 && !group; --i) {
        if (IsGroupNode(parent->child(i)))
            group = parent->child(i);
    }
    if (!group)
        return;
    if (RunTreeChange([&](TTreeChange &change) { change.Move(node, group, change.Sorted()); }))
        RenewListAfterMove();
}

void Tfuserfrm::N14Click()
{
    QTreeWidgetItem *node = DyTreeView1->currentItem();
    if (!RecordOf(node) || node == root_)
        return;
    QTreeWidgetItem *grandParent = node->parent()->parent();
    if (!grandParent)
        return;
    if (RunTreeChange([&](TTreeChange &change) { change.Move(node, grandParent, change.Sorted()); }))
        RenewListAfterMove();
}

void Tfuserfrm::N12Click()
{
    // Only groups have an order of their own; contacts always follow their names.
    QTreeWidgetItem *node = DyTreeView1->currentItem();
    if (!IsGroupNode(node) || node == root_)
        return;
    QTreeWidgetItem *parent = node->parent();
    const int index = parent->indexOfChild(node);
    if (index < 1 || !IsGroupNode(parent->child(index - 1)))
        return;
    QTreeWidgetItem *before = parent->child(index - 1);
    if (RunTreeChange([&](TTreeChange &change) {
            change.Move(node, parent, [before](QTreeWidgetItem *p, const TIQ &) { return p->indexOfChild(before); });
        }))
        RenewListAfterMove();
}

void Tfuserfrm::N13Click()
{
    QTreeWidgetItem *node = DyTreeView1->currentItem();
    if (!IsGroupNode(node) || node == root_)
        return;
    QTreeWidgetItem *parent = node->parent();
    const int index = parent->indexOfChild(node);
    if (index + 1 >= parent->childCount() || !IsGroupNode(parent->child(index + 1)))
        return;
    QTreeWidgetItem *after = parent->child(index + 1);
    if (RunTreeChange([&](TTreeChange &change) {
            change.Move(after, parent, [node](QTreeWidgetItem *p, const TIQ &) { return p->indexOfChild(node); });
        }))
        RenewListAfterMove();
}

// Drag and drop --------------------------------------------------------------------------------

bool Tfuserfrm::DyTreeView1DragOver(TDragSource source, QTreeWidgetItem *target) const
{
    if (!IsGroupNode(target))
        return false;
    if (source == TDragSource::Tree) {
        const QTreeWidgetItem *dragged = DyTreeView1->currentItem();
        return dragged && dragged != root_ && !IsInsideSubtree(target, dragged);
    }
    return source == TDragSource::List;
}

void Tfuserfrm::DyTreeView1DragDrop(TDragSource source, QTreeWidgetItem *target)
{
    if (!IsGroupNode(target))
        return;
    if (source == TDragSource::List) {
        const std::vector<QTreeWidgetItem *> nodes = SelectedListNodes(nullptr);
        if (nodes.empty())
            return;
        // A node is not moved into its own subtree, nor where it already is.
        const bool ok = RunTreeChange([&](TTreeChange &change) {
            for (QTreeWidgetItem *node : nodes) {
                if (node->parent() != target && !IsInsideSubtree(target, node))
                    change.Move(node, target, change.Sorted());
            }
        });
        if (ok)
            RenewListAfterMove();
        return;
    }
    if (source != TDragSource::Tree)
        return;
    QTreeWidgetItem *dragged = DyTreeView1->currentItem();
    if (!RecordOf(dragged) || dragged == root_ || IsInsideSubtree(target, dragged))
        return;
    if (ShowMessage(QStringLiteral("是否确认要移动该节点?"), QStringLiteral("确认信息"), MsgIcon::Question,
                    MsgButtons::YesNo) != MsgResult::Yes)
        return;
    const bool toFront = dragged->parent() == target && IsGroupNode(dragged);
    const bool ok = RunTreeChange([&](TTreeChange &change) {
        if (toFront)
            change.Move(dragged, target, [](QTreeWidgetItem *, const TIQ &) { return 0; });
        else
            change.Move(dragged, target, change.Sorted());
    });
    if (ok)
        RenewListAfterMove();
}

bool Tfuserfrm::ListView1DragOver(TDragSource source, int targetRow) const
{
    if (source != TDragSource::List || targetRow < 0 || targetRow >= ListView1->Count())
        return false;
    const TIQ *selected = RecordOf(DyTreeView1->currentItem());
    if (selected && selected->IsContact())
        return false;
    const TIQ *record = ListView1->Model()->Row(targetRow).record.get();
    if (!record || !record->IsGroup() || !FindNodeByKey(record->keyid))
        return false;
    return !ListView1->SelectedRows().contains(targetRow);
}

void Tfuserfrm::ListView1DragDrop(TDragSource source, int targetRow)
{
    if (!ListView1DragOver(source, targetRow))
        return;
    QTreeWidgetItem *target = FindNodeByKey(ListView1->Model()->Row(targetRow).record->keyid);
    const std::vector<QTreeWidgetItem *> nodes = SelectedListNodes(nullptr);
    const bool ok = RunTreeChange([&](TTreeChange &change) {
        for (QTreeWidgetItem *node : nodes) {
            if (node->parent() != target && !IsInsideSubtree(target, node))
                change.Move(node, target, change.Sorted());
        }
    });
    if (ok)
        RenewListAfterMove();
}

std::vector<QTreeWidgetItem *> Tfuserfrm::SelectedListNodes(QStringList *orphanKeys) const
{
    std::vector<QTreeWidgetItem *> nodes;
    for (int row : ListView1->SelectedRows()) {
        const TIQ *record = ListView1->Model()->Row(row).record.get();
        if (!record)
            continue;
        QTreeWidgetItem *node = FindTreeNodeByKey(record->keyid);
        if (node && node != root_)
            nodes.push_back(node);
        else if (!node && orphanKeys)
            *orphanKeys << record->keyid;
    }
    return nodes;
}

// Delete ---------------------------------------------------------------------------------------

void Tfuserfrm::treedeletenodeClick()
{
    QTreeWidgetItem *node = DyTreeView1->currentItem();
    if (!node || node == root_ || !RecordOf(node))
        return;
    const QString question = QStringLiteral("确定删除选择\"") + node->text(0) + QStringLiteral("\"的数据以及与之有关的所有数据吗？");
    if (ShowMessage(question, Orvanta, MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes)
        return;
    DeleteNodes({node}, {});
}

void Tfuserfrm::listviewdeleteClick()
{
    const bool listed = ListView1->SelectedCount() > 0;
    QTreeWidgetItem *selected = DyTreeView1->currentItem();
    if (!listed && (!selected || selected == root_)) {
        DyTreeView1Change(selected);
        return;
    }
    if (ShowMessage(QStringLiteral("确定删除选择的数据以及与之有关的所有数据吗？"), Orvanta, MsgIcon::Question,
                    MsgButtons::YesNo) == MsgResult::Yes) {
        if (!listed) {
            DeleteNodes({selected}, {});
        } else {
            // Rows the tree does not hold are still deleted by their keys.
            QStringList orphans;
            const std::vector<QTreeWidgetItem *> nodes = SelectedListNodes(&orphans);
            DeleteNodes(nodes, orphans);
        }
    }
    DyTreeView1Change(DyTreeView1->currentItem());
}

bool Tfuserfrm::DeleteNodes(const std::vector<QTreeWidgetItem *> &nodes, const QStringList &orphanKeys)
{
    SQLite::Database *db = Db();
    if (!db)
        return false;
    // A node inside another one being deleted goes with it.
    const QSet<QTreeWidgetItem *> chosen(nodes.begin(), nodes.end());
    std::vector<QTreeWidgetItem *> tops;
    for (QTreeWidgetItem *node : nodes) {
        if (!node || node == root_ || !RecordOf(node) || std::find(tops.begin(), tops.end(), node) != tops.end())
            continue;
        bool inside = false;
        for (QTreeWidgetItem *up = node->parent(); up && !inside; up = up->parent())
            inside = chosen.contains(up);
        if (!inside)
            tops.push_back(node);
    }
    QStringList keys;
    for (QTreeWidgetItem *node : tops)
        CollectKeys(node, keys);
    for (const QString &orphan : orphanKeys) {
        bool ok = false;
        const qint64 key = orphan.toLongLong(&ok);
        if (ok && key > 0)
            keys << QString::number(key);
    }
    if (keys.isEmpty())
        return false;

    try {
        SQLite::Transaction transaction(*db);
        DeleteNodeRows(*db, keys);
        transaction.Commit();
    } catch (const EDatabaseError &) {
        ShowMessage(ChangeFailedText, Orvanta, MsgIcon::Warning);
        return false;
    }

    QTreeWidgetItem *current = DyTreeView1->currentItem();
    bool currentGone = false;
    {
        QSignalBlocker block(DyTreeView1);
        for (QTreeWidgetItem *node : tops) {
            currentGone = currentGone || IsInsideSubtree(current, node);
            ForgetSubtree(node);
            delete node;
        }
        if (!currentGone)
            SelectNodeQuietly(current);
    }

    // Whatever still shows a deleted row goes too.
    const QSet<QString> gone(keys.begin(), keys.end());
    QList<int> rows;
    for (int row = 0; row < ListView1->Count(); ++row) {
        const TIQ *record = ListView1->Model()->Row(row).record.get();
        if (record && gone.contains(QString::number(record->Key())))
            rows << row;
    }
    {
        QSignalBlocker block(ListView1->Selection());
        ListView1->Model()->RemoveRowsAt(rows);
    }
    if (!cardKeyid_.isEmpty() && gone.contains(QString::number(cardKeyid_.toLongLong())))
        ShowContactCard(QString());
    if (currentGone)
        DyTreeView1Change(DyTreeView1->currentItem());
    CountQuickViews();
    return true;
}
