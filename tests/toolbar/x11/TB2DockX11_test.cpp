// Dragging a toolbar by its handle with real pointer input through the X server (XTest), run
// under xvfb-run; smoothly, and by an outline that is a window of its own on the desktop.
#include "../TB2TestSupport.h"
#include "WindowPlacement.h"
#include "XTestPointer.h"
#include "platform/InputRouter.h"

#include <QTest>

TEST(TB2DockX11, DragsAToolbarByItsHandleFromTheTopDockToTheLeftDock)
{
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid());
    for (bool smooth : {true, false}) {
        SCOPED_TRACE(smooth ? "smooth" : "outline");
        TForm form(nullptr);
        form.SetBounds(60, 60, 500, 300);
        auto *top = new TTBDock(&form);
        top->SetParent(&form);
        auto *left = new TTBDock(&form);
        left->SetPosition(TTBDockPosition::dpLeft);
        left->SetParent(&form);
        auto *second = new TTBToolbar(&form);
        second->Items()->Add(new TWidthItem(second));
        second->SetCurrentDock(left);
        auto *bar = new TTBToolbar(&form);
        bar->SetHideWhenInactive(false);
        bar->SetSmoothDrag(smooth);
        for (int i = 0; i < 3; ++i)
            bar->Items()->Add(new TWidthItem(bar));
        bar->SetCurrentDock(top);
        form.Show();
        ASSERT_TRUE(WaitPlacedAndActive(&form));
        const TPoint handle = bar->ClientToScreen({-4, bar->ClientHeight() / 2});
        // Over the right part of the left dock's only column, below its toolbar: a new column.
        const TPoint target = left->ClientToScreen({30, second->Top() + second->Height() + 30});
        const TPoint mid{(handle.X + target.X) / 2, (handle.Y + target.Y) / 2};
        const auto at = [](const TPoint &p) { return [p] { return GetCursorPos() == p; }; };
        ScriptSteps s([&] { pointer.Release(); });  // a step that never comes true fails the test
        s.Do([&] { pointer.MoveTo(handle.X, handle.Y); }).Then(at(handle));
        s.Do([&] { pointer.Press(); }).Then([&] { return bar->DragMode(); });
        for (const TPoint &p : {mid, target})
            s.Do([&pointer, p] { pointer.MoveTo(p.X, p.Y); }).Then(at(p));
        s.Do([&] { pointer.Release(); }).Then([&] { return !bar->DragMode(); });
        s.Start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 10000));
        EXPECT_EQ(bar->CurrentDock(), left);
        EXPECT_EQ(bar->DockRow(), 1);
        EXPECT_EQ(second->DockRow(), 0);
        EXPECT_EQ(top->GetToolbarCount(), 0);
    }
}
