// What a toolbar's view takes from its toolbar and dock row: the row's thickness, a full-size
// bar's length, the chevron order of new and used items, the snap of a floating resize, the
// system menu font, hints, and its items' actions.
#include "TB2TestSupport.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QHelpEvent>
#include <QToolTip>

namespace {

// A button of the given size, whatever the font; right-aligned on request.
class TBoxItem : public TTBCustomItem
{
    class TViewer : public TTBItemViewer
    {
    public:
        using TTBItemViewer::TTBItemViewer;
        void CalcSize(TCanvas &, int &W, int &H) override { W = int(Item->Tag()) & 0xFFFF, H = int(Item->Tag()) >> 16; }
    };
public:
    TBoxItem(const QString &Caption, int W, int H = 22, bool Right = false) : TTBCustomItem(nullptr)
    {
        SetCaption(Caption);
        SetTag(W | H << 16);
        if (Right)
            SetItemStyle(ItemStyle() | tbis::RightAlign);
    }
    TTBItemViewerClass GetItemViewerClass(TTBView *) override
    {
        return [](TTBView *v, TTBCustomItem *i, int g) -> TTBItemViewer * { return new TViewer(v, i, g); };
    }
};

QString Shown(TTBView *v)
{
    QStringList shown;
    for (int i = 0; i < v->ViewerCount(); ++i)
        if (v->Viewers(i)->Show && v->Viewers(i)->Item != v->GetChevronItem())
            shown << v->Viewers(i)->Item->Caption();
    return shown.join(' ');
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
        ResetSysParams();
        TBUpdateMenuFont();
    }
    TTBToolbar *Bar(std::initializer_list<TTBCustomItem *> items)
    {
        auto *tb = new TTBToolbar(form);
        for (TTBCustomItem *item : items)
            tb->Items()->Add(item);
        tb->SetCurrentDock(dock);
        return tb;
    }
    TForm *form = nullptr;
    TTBDock *dock = nullptr;
};

TEST_F(ToolbarViewForm, ARowSharesItsThicknessAndAFullSizeBarItsLength)
{
    TTBToolbar *low = Bar({new TBoxItem("a", 40)});
    TTBToolbar *high = Bar({new TBoxItem("b", 40, 30)});
    form->Show();
    for (int row : {0, 1}) {
        high->SetDockRow(row);
        // In the thicker row the low bar's button sits in the middle.
        EXPECT_EQ(low->View()->Viewers(0)->BoundsRect.Top, row == 0 ? 4 : 0);
    }
    TTBToolbar *menu = Bar({new TBoxItem("m", 40), new TBoxItem("r", 40, 22, true)});
    menu->SetMenuBar(true);
    EXPECT_EQ(menu->View()->Viewers(1)->BoundsRect.Right, menu->ClientWidth()) << "right-aligned at the row's end";
}

TEST_F(ToolbarViewForm, NewAndUsedItemsTakeTheChevronPlaceThePropertiesSay)
{
    const struct { TTBChevronPriorityForNewItems priority; bool move; const char *inserted, *used; } cases[] = {
        {TTBChevronPriorityForNewItems::tbcpHighest, true, "0 1 2 new", "0 1 5 new"},
        {TTBChevronPriorityForNewItems::tbcpLowest, true, "0 1 2 3", "0 1 2 5"},
        {TTBChevronPriorityForNewItems::tbcpHighest, false, "0 1 2 3", "0 1 2 3"},
    };
    for (const auto &c : cases) {
        delete form;
        SetUp();  // a form never shown yet
        form->SetBounds(100, 100, 200, 300);
        TTBToolbar *tb = Bar({});  // items built before the form shows keep their order
        for (int i = 0; i < 8; ++i)
            tb->Items()->Add(new TBoxItem(QString::number(i), 40));
        tb->SetChevronPriorityForNewItems(c.priority);
        tb->SetChevronMoveItems(c.move);
        form->Show();
        EXPECT_EQ(Shown(tb->View()), "0 1 2 3");
        tb->Items()->Add(new TBoxItem("new", 40));
        tb->View()->EnsureLayout();
        EXPECT_EQ(Shown(tb->View()), c.inserted);
        tb->View()->MarkViewerUsed(tb->View()->Find(tb->Items()->Items(5)));  // chosen from the chevron
        EXPECT_EQ(Shown(tb->View()), c.used);
        delete tb;
    }
}

TEST_F(ToolbarViewForm, AnItemAddedWhileTheFormIsHiddenAgainIsNew)
{
    form->SetBounds(100, 100, 200, 300);
    TTBToolbar *tb = Bar({});
    for (int i = 0; i < 8; ++i)
        tb->Items()->Add(new TBoxItem(QString::number(i), 40));
    form->Show();
    form->Hide();  // minimised to the tray, say
    tb->Items()->Add(new TBoxItem("new", 40));
    form->Show();
    tb->View()->EnsureLayout();
    EXPECT_EQ(Shown(tb->View()), "0 1 2 new");
}

TEST_F(ToolbarViewForm, AFloatingResizeSnapsToTheSizeItIsWithinTwelvePixelsOf)
{
    TTBToolbar *tb = Bar({new TBoxItem("a", 50), new TBoxItem("b", 8), new TBoxItem("c", 50)});
    form->Show();
    tb->SetHideWhenInactive(false);
    tb->SetShrinkMode(TTBShrinkMode::tbsmWrap);
    tb->SetFloating(true);
    tb->ResizeBegin(HTRIGHT);
    ASSERT_EQ(tb->FloatingSizes().size(), 3u);
    const int three = tb->FloatingSizes()[0].X, two = tb->FloatingSizes()[1].X, one = tb->FloatingSizes()[2].X;
    ASSERT_EQ(two - three, 8);
    const TRect orig = tb->FloatingWindowParent()->BoundsRect();
    ASSERT_EQ(orig.Width(), one);
    // Cursor width, width taken: a 12-px zone, 7 px between the two near sizes.
    const std::pair<int, int> moves[] = {{one - 12, one}, {one - 13, two}, {two + 12, two}, {two - 7, two},
                                         {two - 8, three}, {three + 7, three}, {two, two}, {one, one}};
    for (const auto &[want, taken] : moves) {
        TRect r{orig.Left, orig.Top, orig.Left + want, orig.Bottom};
        tb->ResizeTrack(r, orig);
        EXPECT_EQ(r.Width(), taken) << want;
    }
    tb->ResizeEnd(true);
}

TEST_F(ToolbarViewForm, TheMenuFontNoticeShowHintAndHintsReachTheItems)
{
    TTBToolbar *tb = Bar({new TTBItem(nullptr), new TBoxItem("&Delete:", 40)});
    tb->Items()->Items(0)->SetCaption(QStringLiteral("联系人 Contacts"));
    tb->Items()->Items(0)->SetHint(QStringLiteral("新建联系人|Makes a new contact"));
    form->Show();
    const int before = tb->Width();
    SysParams().MenuFontHeight = -24;
    tb->Perform(CM_WININICHANGE, 0);
    EXPECT_EQ(tb->Width(), before) << "another setting changed";
    // The desktop's font changes: the toolbar hears of it through the system settings.
    const QFont desktop = QApplication::font();
    QFont changed = desktop;
    changed.setFamily(desktop.family() + QStringLiteral(" Changed"));
    QApplication::setFont(changed);
    EXPECT_GT(tb->Width(), before + 20);
    QApplication::setFont(desktop);
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
    for (bool showHint : {true, false}) {
        form->SetShowHint(showHint);
        EXPECT_EQ(tb->View()->Style().Contains(TTBViewStyleItem::vsAlwaysShowHints), showHint);
        EXPECT_EQ(tipAt(0), showHint ? QStringLiteral("新建联系人") : QString());
        EXPECT_EQ(tipAt(1), showHint ? QStringLiteral("Delete") : QString());
    }
}

TEST_F(ToolbarViewForm, ItemActionsUpdateWhenTheProgramIdlesIfTheToolbarSaysSo)
{
    TAction action(nullptr);
    action.OnUpdate = [&](TComponent *) { action.SetEnabled(false); };
    for (bool updateActions : {true, false}) {
        action.SetEnabled(true);
        auto *item = new TTBItem(nullptr);
        item->SetAction(&action);
        TTBToolbar *tb = Bar({item});
        tb->SetUpdateActions(updateActions);
        form->Show();
        QEventLoop loop;  // runs until it would wait for an event
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                         &QEventLoop::quit);
        QTimer::singleShot(0, &loop, [] {});
        loop.exec();
        EXPECT_EQ(item->Enabled(), !updateActions);
        item->SetAction(nullptr);
        delete tb;
    }
}

} // namespace
