// The viewer list of a view as its items change: a viewer made again keeps its place in the
// chevron order, items put into an embedded group join the group's block without a rebuild,
// and an action may veto its item's hint.
#include "TB2TestSupport.h"

namespace {

QStringList Captions(const TTBView &v)
{
    QStringList list;
    for (int i = 0; i < v.ViewerCount(); ++i)
        list << QStringLiteral("%1:%2").arg(v.Viewers(i)->Item->Caption()).arg(v.Viewers(i)->GroupLevel);
    return list;
}

TTBCustomItem *Item(TTBCustomItem *parent, const QString &caption, TTBCustomItem *item = nullptr)
{
    if (!item)
        item = new TTBItem(nullptr);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

QStringList PriorityCaptions(const TTBView &v)
{
    QStringList list;
    for (TTBItemViewer *p : v.PriorityList()) {
        EXPECT_GE(v.IndexOf(p), 0) << "a priority entry that is no viewer of the view";
        list << (v.IndexOf(p) >= 0 ? p->Item->Caption() : QString());
    }
    return list;
}

TEST(TB2ItemView, AViewerMadeAgainKeepsItsPlaceInThePriorityList)
{
    TTBRootItem root(nullptr);
    TTBView view(nullptr, nullptr, &root, nullptr, true, false, true);
    Item(&root, "A");
    TTBCustomItem *b = Item(&root, "B");
    Item(&root, "C");
    view.MarkViewerUsed(view.Find(b));
    ASSERT_EQ(PriorityCaptions(view), QStringList({"B", "A", "C"}));
    TTBItemViewer *old = view.Find(b);
    view.Select(old, false);
    root.Notify(TTBItemChangedAction::tbicRecreateItemViewers, 1, b);
    EXPECT_NE(view.Find(b), old);
    EXPECT_EQ(PriorityCaptions(view), QStringList({"B", "A", "C"}));
    EXPECT_EQ(view.PriorityList().front(), view.Find(b));
    EXPECT_EQ(view.Selected(), nullptr) << "the freed viewer is not left selected";
}

// Where an item put into a group shows, and that the viewers around it are the same ones.
TEST(TB2ItemView, ItemsInsertedIntoAnEmbeddedGroupJoinItsBlock)
{
    const struct {
        const char *name;
        bool nested;  // the item goes into a group inside the group
        bool linked;  // the group shows another item's children
        int index;
        QStringList expected;
    } cases[] = {
        {"first", false, false, 0, {"A:0", "G:0", "new:1", "g1:1", "N:1", "n1:2", "g2:1", "B:0"}},
        {"after a nested group", false, false, 2, {"A:0", "G:0", "g1:1", "N:1", "n1:2", "new:1", "g2:1", "B:0"}},
        {"last", false, false, 3, {"A:0", "G:0", "g1:1", "N:1", "n1:2", "g2:1", "new:1", "B:0"}},
        {"nested, last", true, false, 1, {"A:0", "G:0", "g1:1", "N:1", "n1:2", "new:2", "g2:1", "B:0"}},
        {"through a link", false, true, 1, {"A:0", "G:0", "g1:1", "new:1", "N:1", "n1:2", "g2:1", "B:0"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TTBRootItem root(nullptr);
        TTBCustomItem holder(nullptr);
        TTBView view(nullptr, nullptr, &root, nullptr, true, false, true);
        TTBCustomItem *itemA = Item(&root, "A");
        TTBCustomItem *group = Item(&root, "G", new TTBGroupItem(nullptr));
        TTBCustomItem *children = group;
        if (c.linked) {
            group->SetLinkSubitems(&holder);
            children = &holder;
        }
        Item(children, "g1");
        TTBCustomItem *nested = Item(children, "N", new TTBGroupItem(nullptr));
        Item(nested, "n1");
        Item(children, "g2");
        Item(&root, "B");
        TTBItemViewer *a = view.Find(itemA);
        view.Select(a, false);
        std::vector<TTBItemViewer *> before;
        for (int i = 0; i < view.ViewerCount(); ++i)
            before.push_back(view.Viewers(i));

        auto *item = new TTBItem(nullptr);
        item->SetCaption("new");
        (c.nested ? nested : children)->Insert(c.index, item);

        EXPECT_EQ(Captions(view), c.expected);
        EXPECT_EQ(view.Selected(), a) << "the selection survives";
        std::vector<TTBItemViewer *> after;
        for (int i = 0; i < view.ViewerCount(); ++i)
            if (view.Viewers(i)->Item != item)
                after.push_back(view.Viewers(i));
        EXPECT_EQ(after, before) << "no viewer was made again";
        EXPECT_EQ(view.PriorityList().size(), size_t(view.ViewerCount()));
        delete item;
        group->SetLinkSubitems(nullptr);
    }
}

TEST(TB2ItemView, AnActionMayChangeOrVetoItsItemsHint)
{
    TTBRootItem root(nullptr);
    TTBView view(nullptr, nullptr, &root, nullptr, false, false, false);
    TAction action(nullptr);
    action.SetCaption("&Save...");
    TTBCustomItem *item = Item(&root, "");
    item->SetAction(&action);
    ASSERT_EQ(item->Caption(), "&Save...");
    TTBItemViewer *v = view.Find(item);
    EXPECT_EQ(v->BuildItemHint(), "Save");
    action.OnHint = [](QString &hint, bool &canShow) { canShow = hint != "Save"; };
    EXPECT_EQ(v->BuildItemHint(), "");
    action.OnHint = [](QString &hint, bool &) { hint = "Save the card"; };
    EXPECT_EQ(v->BuildItemHint(), "Save the card");
    item->SetAction(nullptr);
}

} // namespace
