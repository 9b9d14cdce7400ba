// Views without a menu loop: the viewer list follows the item tree, embedded groups nest, the
// window's timers, and painting of the selection.
#include "TB2TestSupport.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"
#include "toolbar/TB2ItemWindow.h"

#include <gtest/gtest.h>

namespace {

QStringList Captions(const TTBView &v)
{
    QStringList list;
    for (int i = 0; i < v.ViewerCount(); ++i)
        list << v.Viewers(i)->Item->Caption();
    return list;
}

TTBCustomItem *Item(TTBCustomItem *parent, const QString &caption, TTBCustomItem *item = nullptr)
{
    static ClickLog log;
    return log.Add(parent, caption, item);
}

TEST(TBView, EmptyViewSelectsNothing)
{
    TTBRootItem root(nullptr);
    TTBView view(nullptr, nullptr, &root, nullptr, false, false, false);
    EXPECT_EQ(view.NextSelectable(nullptr, true), nullptr);
    EXPECT_EQ(view.FirstSelectable(), nullptr);
    WORD key = VK_DOWN;
    view.KeyDown(key, {});
    EXPECT_EQ(view.Selected(), nullptr);
}

TEST(TBView, ViewersFollowInsertionsAndDeletionsAroundGroups)
{
    TTBRootItem root(nullptr);
    Item(&root, "A");
    TTBCustomItem *group = Item(&root, "G", new TTBGroupItem(nullptr));
    Item(group, "g1");
    Item(group, "g2");
    Item(&root, "B");
    TTBView view(nullptr, nullptr, &root, nullptr, false, false, false);
    EXPECT_EQ(Captions(view), QStringList({"A", "G", "g1", "g2", "B"}));

    auto *c = new TTBItem(nullptr);
    c->SetCaption("C");
    root.Insert(2, c);  // after the group and its children
    EXPECT_EQ(Captions(view), QStringList({"A", "G", "g1", "g2", "C", "B"}));
    Item(group, "g3");
    EXPECT_EQ(Captions(view), QStringList({"A", "G", "g1", "g2", "g3", "C", "B"}));
    EXPECT_EQ(view.Viewers(4)->GroupLevel, 1);
    delete group;
    EXPECT_EQ(Captions(view), QStringList({"A", "C", "B"}));
}

TEST(TBView, EmbeddedGroupsNestTenLevelsDeep)
{
    TTBRootItem root(nullptr);
    TTBCustomItem *parent = &root;
    for (int level = 1; level <= 12; ++level) {
        TTBCustomItem *group = Item(parent, QStringLiteral("G%1").arg(level), new TTBGroupItem(nullptr));
        Item(group, QStringLiteral("I%1").arg(level));
        parent = group;
    }
    TTBView view(nullptr, nullptr, &root, nullptr, false, false, false);
    const QStringList c = Captions(view);
    // Groups and items down to level 10 show; the eleventh level adds nothing.
    EXPECT_EQ(c.size(), 21);
    EXPECT_TRUE(c.contains("I10"));
    EXPECT_TRUE(c.contains("G11"));
    EXPECT_FALSE(c.contains("I11"));
    EXPECT_FALSE(c.contains("G12"));
}

class TTimerProbeWindow : public TTBPopupWindow
{
public:
    using TTBPopupWindow::TTBPopupWindow;
    std::vector<WPARAM> fired;

protected:
    void TimerFired(WPARAM id) override
    {
        fired.push_back(id);
        KillTimer(id);
    }
};

TEST(TBView, ViewTimersGoToTheViewOtherTimersPassThrough)
{
    TTBRootItem root(nullptr);
    Item(&root, "A");
    TTimerProbeWindow w(nullptr, nullptr, &root, false);
    TTBView *view = w.View();
    view->StartTimer(TTBViewTimerID::tiClose, 1);
    w.SetTimer(9004, 1);
    EXPECT_TRUE(sim::WaitFor([&] { return !w.fired.empty() && !view->TimerRunning(TTBViewTimerID::tiClose); }));
    EXPECT_EQ(w.fired, std::vector<WPARAM>{9004});
}

TEST(TBView, SelectedMenuRowIsPaintedInTheHighlightColour)
{
    ResetSysParams();
    TTBRootItem root(nullptr);
    Item(&root, "First");
    Item(&root, "Second");
    TTBPopupWindow w(nullptr, nullptr, &root, false);
    TTBView *view = w.View();
    view->EnsureLayout();
    view->Select(view->Viewers(1), false);
    w.SetBounds(50, 50, w.Width(), w.Height());
    w.Show();
    const QImage img = w.grab().toImage();
    const TRect first = view->Viewers(0)->BoundsRect, second = view->Viewers(1)->BoundsRect;
    // Near the right end of each row, where no text is drawn; client rows are inside the 3 px frame.
    const int x = 3 + first.Right - 3;
    EXPECT_EQ(img.pixel(x, 3 + first.Top + 2), ColorToQRgb(clMenu));
    EXPECT_EQ(img.pixel(x, 3 + second.Top + 2), ColorToQRgb(clHighlight));
}

} // namespace
