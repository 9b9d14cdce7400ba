// A view's viewers as its items change: a viewer made again keeps its chevron place, an item
// put into an embedded group joins the group's block without a rebuild; an action's hint veto.
#include "TB2TestSupport.h"

namespace {

TTBCustomItem *Item(TTBCustomItem *parent, const QString &caption, TTBCustomItem *item = new TTBItem(nullptr))
{
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

TEST(TB2ItemView, ViewersMadeAgainOrInsertedIntoGroupsKeepTheOthersAndTheirOrder)
{
    TTBRootItem root(nullptr);
    TTBView view(nullptr, nullptr, &root, nullptr, true, false, true);
    TTBItemViewer *a = view.Find(Item(&root, "A"));
    TTBCustomItem *group = Item(&root, "G", new TTBGroupItem(nullptr));
    Item(group, "g1");
    TTBCustomItem *nested = Item(group, "N", new TTBGroupItem(nullptr));
    Item(nested, "n1");
    TTBCustomItem *b = Item(&root, "B");
    view.MarkViewerUsed(view.Find(b));
    const TTBItemViewer *old = view.Find(b);
    root.Notify(TTBItemChangedAction::tbicRecreateItemViewers, 2, b);
    ASSERT_NE(view.Find(b), old);
    EXPECT_EQ(view.PriorityList().front(), view.Find(b)) << "the new viewer takes the old one's place";
    view.Select(a, false);
    // Into the group: first, after the nested group's block, at the end of the nested group.
    const struct { TTBCustomItem *into; int index; const char *expected; } cases[] = {
        {group, 0, "A0 G0 x1 g11 N1 n12 B0"},
        {group, 3, "A0 G0 x1 g11 N1 n12 x1 B0"},
        {nested, 1, "A0 G0 x1 g11 N1 n12 x2 x1 B0"},
    };
    for (const auto &c : cases) {
        std::vector<TTBItemViewer *> before;
        for (int i = 0; i < view.ViewerCount(); ++i)
            before.push_back(view.Viewers(i));
        TTBCustomItem *x = new TTBItem(nullptr);
        x->SetCaption("x");
        c.into->Insert(c.index, x);
        QStringList shown;
        std::vector<TTBItemViewer *> others;
        for (int i = 0; i < view.ViewerCount(); ++i) {
            shown << view.Viewers(i)->Item->Caption() + QString::number(view.Viewers(i)->GroupLevel);
            if (view.Viewers(i)->Item != x)
                others.push_back(view.Viewers(i));
        }
        EXPECT_EQ(shown.join(' '), c.expected);
        EXPECT_EQ(others, before) << "no viewer was made again";
        EXPECT_EQ(view.Selected(), a);
        EXPECT_EQ(view.PriorityList().size(), size_t(view.ViewerCount()));
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
    TTBItemViewer *v = view.Find(item);
    EXPECT_EQ(v->BuildItemHint(), "Save");
    action.OnHint = [](QString &hint, bool &canShow) { canShow = hint != "Save"; };
    EXPECT_EQ(v->BuildItemHint(), "");
    action.OnHint = [](QString &hint, bool &) { hint = "Save the card"; };
    EXPECT_EQ(v->BuildItemHint(), "Save the card");
    item->SetAction(nullptr);
}

} // namespace
