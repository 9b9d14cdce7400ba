// What a toolbar's view takes from its toolbar and its dock row: the row's shared thickness, a
// full-size bar's length, the chevron order of new and used items, the snap of a floating
// resize, the system menu font, and the actions of its items.
#include "TB2TestSupport.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QHelpEvent>
#include <QToolTip>

namespace {

// A button of the given width and height, whatever the font.
class TBoxItem : public TTBCustomItem
{
    class TViewer : public TTBItemViewer
    {
    public:
        using TTBItemViewer::TTBItemViewer;
        void CalcSize(TCanvas &, int &AWidth, int &AHeight) override
        {
            AWidth = static_cast<TBoxItem *>(Item)->w;
            AHeight = static_cast<TBoxItem *>(Item)->h;
        }
    };
public:
    TBoxItem(int W, int H, bool RightAlign = false) : TTBCustomItem(nullptr), w(W), h(H)
    {
        if (RightAlign)
            SetItemStyle(ItemStyle() | tbis::RightAlign);
    }
    TTBItemViewerClass GetItemViewerClass(TTBView *) override
    {
        return [](TTBView *v, TTBCustomItem *i, int g) -> TTBItemViewer * { return new TViewer(v, i, g); };
    }
    int w, h;
};

// Runs the event loop until it has nothing left to do and would wait.
void RunUntilIdle()
{
    QEventLoop loop;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                     &QEventLoop::quit);
    QTimer::singleShot(0, &loop, [] {});
    loop.exec();
}

QStringList Shown(TTBView *v)
{
    QStringList shown;
    for (int i = 0; i < v->ViewerCount(); ++i)
        if (v->Viewers(i)->Show && v->Viewers(i)->Item != v->GetChevronItem())
            shown << v->Viewers(i)->Item->Caption();
    return shown;
}

class ToolbarViewForm : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 600, 300);
        dock = new TTBDock(form);
        dock->SetParent(form);
    }
    void TearDown() override
    {
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ResetSysParams();
        TBUpdateMenuFont();
    }
    TTBToolbar *NewToolbar(std::initializer_list<int> widths, int height = 22)
    {
        auto *tb = new TTBToolbar(form);
        int n = 0;
        for (int w : widths) {
            auto *item = new TBoxItem(w, height);
            item->SetCaption(QString::number(n++));
            tb->Items()->Add(item);
        }
        tb->SetCurrentDock(dock);
        return tb;
    }
    void ShowForm()
    {
        form->Show();
        ASSERT_TRUE(sim::WaitFor([&] { return form->isVisible(); }));
    }
    TForm *form = nullptr;
    TTBDock *dock = nullptr;
};

TEST_F(ToolbarViewForm, ToolbarsOfARowShareItsThickness)
{
    TTBToolbar *low = NewToolbar({40});
    TTBToolbar *high = NewToolbar({40}, 30);
    ShowForm();
    const struct { int highRow; int top; int lowClient; } cases[] = {
        {0, (30 - 22) / 2, 30},  // the low one's button sits in the middle of the thicker row
        {1, 0, 22},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.highRow);
        high->SetDockRow(c.highRow);
        low->View()->EnsureLayout();
        EXPECT_EQ(high->EffectiveDockRow(), c.highRow);
        EXPECT_EQ(low->ClientHeight(), c.lowClient);
        EXPECT_EQ(low->View()->Viewers(0)->BoundsRect.Top, c.top);
        EXPECT_EQ(high->View()->Viewers(0)->BoundsRect.Top, 0);
    }
}

TEST_F(ToolbarViewForm, AFullSizeBarIsAsLongAsItsRowForRightAlignedItems)
{
    for (bool fullSize : {false, true}) {
        SCOPED_TRACE(fullSize);
        auto *tb = new TTBToolbar(form);
        tb->SetShrinkMode(TTBShrinkMode::tbsmWrap);
        tb->SetFullSize(fullSize);
        tb->Items()->Add(new TBoxItem(40, 22));
        tb->Items()->Add(new TBoxItem(40, 22, true));
        tb->SetCurrentDock(dock);
        ShowForm();
        tb->View()->EnsureLayout();
        const TRect right = tb->View()->Viewers(1)->BoundsRect;
        EXPECT_EQ(right.Right, fullSize ? tb->ClientWidth() : 80);
        delete tb;
    }
}

TEST_F(ToolbarViewForm, NewItemsAndUsedItemsTakeTheChevronOrderThePropertiesSay)
{
    form->SetBounds(100, 100, 200, 300);
    const struct {
        TTBChevronPriorityForNewItems priority;
        bool moveItems;
        QStringList afterInsert, afterUse;
    } cases[] = {
        {TTBChevronPriorityForNewItems::tbcpHighest, true, {"0", "1", "2", "new"}, {"0", "1", "5", "new"}},
        {TTBChevronPriorityForNewItems::tbcpLowest, true, {"0", "1", "2", "3"}, {"0", "1", "2", "5"}},
        {TTBChevronPriorityForNewItems::tbcpHighest, false, {"0", "1", "2", "3"}, {"0", "1", "2", "3"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.priority) * 2 + c.moveItems);
        // Made while loading, or before the form shows, the items keep their order: the last
        // ones go first.
        auto *tb = new TTBToolbar(form);
        const bool load = c.moveItems;
        if (load) {
            tb->Loading();
            tb->Items()->Loading();
        }
        for (int i = 0; i < 8; ++i) {
            auto *item = new TBoxItem(40, 22);
            item->SetCaption(QString::number(i));
            tb->Items()->Add(item);
        }
        if (load) {
            tb->Items()->Loaded();
            static_cast<TComponent *>(tb)->Loaded();
        }
        tb->SetChevronPriorityForNewItems(c.priority);
        tb->SetChevronMoveItems(c.moveItems);
        tb->SetCurrentDock(dock);
        ShowForm();
        ASSERT_EQ(Shown(tb->View()), QStringList({"0", "1", "2", "3"}));
        form->Hide();
        ShowForm();
        auto *added = new TBoxItem(40, 22);
        added->SetCaption("new");
        tb->Items()->Add(added);
        tb->View()->EnsureLayout();
        EXPECT_EQ(Shown(tb->View()), c.afterInsert);
        // Choosing a hidden item (from the chevron) brings it back when items move.
        tb->View()->MarkViewerUsed(tb->View()->Find(tb->Items()->Items(5)));
        tb->View()->EnsureLayout();
        EXPECT_EQ(Shown(tb->View()), c.afterUse);
        delete tb;
        form->Hide();
    }
}

TEST_F(ToolbarViewForm, AFloatingResizeSnapsToTheSizeItIsWithinTwelvePixelsOf)
{
    TTBToolbar *tb = NewToolbar({50, 8, 50});
    tb->SetShrinkMode(TTBShrinkMode::tbsmWrap);
    tb->SetHideWhenInactive(false);
    ShowForm();
    tb->SetFloating(true);
    tb->ResizeBegin(HTRIGHT);
    const std::vector<TPoint> sizes = tb->FloatingSizes();
    ASSERT_EQ(sizes.size(), 3u);
    const int one = sizes[2].X, two = sizes[1].X, three = sizes[0].X;
    ASSERT_EQ(two - three, 8);
    ASSERT_EQ(one - two, 50);
    const TRect orig = tb->FloatingWindowParent()->BoundsRect();
    ASSERT_EQ(orig.Width(), one) << "the resize starts from the size the window has";
    // The cursor's width, the width taken: a 12-px zone, 7 px between the two near sizes.
    const std::pair<int, int> moves[] = {
        {one - 12, one}, {one - 13, two}, {two + 12, two}, {two - 7, two},
        {two - 8, three}, {three + 7, three}, {two, two}, {one - 1, two}, {one, one},
    };
    for (const auto &[want, taken] : moves) {
        SCOPED_TRACE(want);
        TRect r{orig.Left, orig.Top, orig.Left + want, orig.Bottom};
        tb->ResizeTrack(r, orig);
        EXPECT_EQ(r.Width(), taken);
        EXPECT_EQ(r.Left, orig.Left) << "the left edge stays";
    }
    tb->ResizeEnd();
}

TEST_F(ToolbarViewForm, ANewSystemMenuFontReachesTheItemsOnlyWithTheMetricsNotice)
{
    auto *tb = new TTBToolbar(form);
    tb->Items()->Add(new TTBItem(nullptr));
    tb->Items()->Items(0)->SetCaption(QStringLiteral("联系人 Contacts"));
    tb->SetCurrentDock(dock);
    ShowForm();
    const int before = tb->Width();
    SysParams().MenuFontHeight = -24;
    tb->Perform(CM_WININICHANGE, 0);
    EXPECT_EQ(tb->Width(), before) << "another setting changed";
    tb->Perform(CM_WININICHANGE, SPI_SETNONCLIENTMETRICS);
    EXPECT_GT(tb->Width(), before + 20);
    EXPECT_EQ(TBMenuFont()->Height(), -24);
}

TEST_F(ToolbarViewForm, ItemActionsUpdateWhenTheProgramIdlesIfTheToolbarSaysSo)
{
    TAction action(nullptr);
    action.SetCaption("Act");
    bool enable = true;
    action.OnUpdate = [&](TComponent *) { action.SetEnabled(enable); };
    for (bool updateActions : {true, false}) {
        SCOPED_TRACE(updateActions);
        auto *tb = new TTBToolbar(form);
        auto *item = new TTBItem(nullptr);
        item->SetAction(&action);
        tb->Items()->Add(item);
        tb->SetUpdateActions(updateActions);
        tb->SetCurrentDock(dock);
        ShowForm();
        enable = true;
        action.SetEnabled(true);
        enable = false;
        RunUntilIdle();
        EXPECT_EQ(item->Enabled(), !updateActions);
        item->SetAction(nullptr);
        delete tb;
    }
}

TEST_F(ToolbarViewForm, HintsFollowShowHintDownFromTheFormAndNameTheItemUnderThePointer)
{
    TTBToolbar *tb = NewToolbar({40, 40});
    tb->Items()->Items(0)->SetHint(QStringLiteral("新建联系人|Makes a new contact"));
    tb->Items()->Items(1)->SetCaption(QStringLiteral("&Delete:"));
    ShowForm();
    const auto menusShowHints = [tb] { return tb->View()->Style().Contains(TTBViewStyleItem::vsAlwaysShowHints); };
    EXPECT_FALSE(menusShowHints());
    form->SetShowHint(true);
    EXPECT_TRUE(menusShowHints()) << "the toolbar takes its form's ShowHint";
    // The tip where the pointer rests, without a move over the toolbar first.
    const auto tipAt = [tb](int viewer) {
        const TRect r = tb->View()->Viewers(viewer)->BoundsRect;
        const QPoint local = tb->mapFromGlobal(tb->ClientToScreen({r.Left + 5, r.Top + 5}).ToQPoint());
        QHelpEvent e(QEvent::ToolTip, local, tb->mapToGlobal(local));
        QApplication::sendEvent(tb, &e);
        const QString shown = QToolTip::isVisible() ? QToolTip::text() : QString();
        CancelHint();
        return shown;
    };
    EXPECT_EQ(tipAt(0), QStringLiteral("新建联系人"));
    EXPECT_EQ(tipAt(1), QStringLiteral("Delete"));
    form->SetShowHint(false);
    EXPECT_FALSE(menusShowHints());
    EXPECT_EQ(tipAt(0), QString());
}

} // namespace
