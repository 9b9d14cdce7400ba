#include "ControlTestSupport.h"

#include "platform/DragManager.h"

#include <QGuiApplication>
#include <QPointer>

namespace {

// A source at the left of a window and two targets: one that takes drops, one that refuses.
class DragTest : public ControlTest
{
protected:
    std::unique_ptr<THost> host = MakeHost(100, 100, 400, 200);
    TProbe *source = AddProbe(host.get(), Bounds(0, 0, 100, 100));
    TProbe *taker = AddProbe(host.get(), Bounds(150, 0, 100, 100));
    TProbe *refuser = AddProbe(host.get(), Bounds(270, 0, 100, 100));
    QStringList events;
    void SetUp() override
    {
        source->OnMouseDown = [this](TComponent *, TMouseButton, TShiftState, int, int) { source->BeginDrag(false); };
        source->OnEndDrag = [this](TComponent *, TControl *target, int x, int y) {
            events << QStringLiteral("end %1 %2,%3").arg(Name(target)).arg(x).arg(y);
        };
        for (TProbe *t : {taker, refuser}) {
            t->OnDragOver = [this, t](TComponent *, TControl *from, int x, int y, TDragState state, bool &accept) {
                static const char *states[] = {"enter", "leave", "move"};
                events << QStringLiteral("%1 %2 %3,%4 from %5").arg(Name(t), states[int(state)]).arg(x).arg(y).arg(Name(from));
                accept = t == taker;
            };
            t->OnDragDrop = [this, t](TComponent *, TControl *from, int x, int y) {
                events << QStringLiteral("%1 drop %2,%3 from %4").arg(Name(t)).arg(x).arg(y).arg(Name(from));
            };
        }
    }
    QString Name(const TControl *c) const
    {
        return !c ? "none" : c == source ? "source" : c == taker ? "taker" : c == refuser ? "refuser" : "other";
    }
    // Moves as Qt delivers them while the button is held: to the pressed control.
    void MoveTo(int hostX, int hostY) { sim::Move(source, {hostX, hostY}); }
};

TEST_F(DragTest, DragStartsAtTheThresholdAndDropsOnAnAcceptingTarget)
{
    sim::Press(source, {10, 10});
    EXPECT_TRUE(source->Dragging());
    EXPECT_FALSE(TDragManager::Instance().Started());
    source->log.clear();
    MoveTo(14, 6);  // 4 px: not yet
    EXPECT_FALSE(TDragManager::Instance().Started());
    EXPECT_TRUE(source->log.isEmpty());  // the drag has the mouse
    MoveTo(15, 10);
    EXPECT_TRUE(TDragManager::Instance().Started());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);  // over the source
    MoveTo(160, 20);
    EXPECT_EQ(TDragManager::Instance().Target(), taker);
    EXPECT_TRUE(TDragManager::Instance().Accepted());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::DragMoveCursor);
    MoveTo(170, 25);
    sim::Release(source, {170, 25});
    EXPECT_EQ(events, (QStringList{"taker enter 10,20 from source", "taker move 10,20 from source",
                                   "taker move 20,25 from source", "taker drop 20,25 from source",
                                   "end taker 20,25"}));
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(source->log.isEmpty());  // the release was the drop, not a click
}

TEST_F(DragTest, EscapeCancelsAndAReleaseBeforeTheThresholdIsAnOrdinaryClick)
{
    sim::Press(source, {10, 10});
    MoveTo(160, 20);
    events.clear();
    source->log.clear();
    sim::KeyPress(source, Qt::Key_Escape, {}, "\x1b");
    EXPECT_EQ(events, (QStringList{"taker leave 10,20 from source", "end none 160,20"}));
    EXPECT_FALSE(source->Dragging());
    EXPECT_TRUE(source->log.isEmpty());  // Escape went to the drag, not the control
    // What follows is ordinary input again.
    sim::KeyRelease(source, Qt::Key_Escape, {}, "\x1b");
    sim::Release(source, {50, 20});
    EXPECT_EQ(source->log, (QStringList{"keyup 27", "up L 50,20 []"}));
    events.clear();
    source->log.clear();
    sim::Press(source, {10, 10});
    MoveTo(12, 12);
    sim::Release(source, {12, 12});
    EXPECT_EQ(events, QStringList{"end none 12,12"});
    EXPECT_EQ(source->log, (QStringList{"down L 10,10 [L]", "click", "up L 12,12 []"}));
}

TEST_F(DragTest, ImmediateAndAutomaticDragsNeedNoMouseDownHandler)
{
    source->OnMouseDown = nullptr;
    sim::Move(taker, {5, 5});  // the pointer is over the taker
    taker->BeginDrag(true);
    EXPECT_TRUE(TDragManager::Instance().Started());
    EXPECT_EQ(events, (QStringList{"taker enter 5,5 from taker", "taker move 5,5 from taker"}));
    TDragManager::Instance().EndDrag(true);
    EXPECT_EQ(events.last(), "taker drop 5,5 from taker");
    // In automatic mode a press starts the drag without MouseDown.
    source->SetDragMode(TDragMode::dmAutomatic);
    sim::Press(source, {10, 10});
    EXPECT_TRUE(source->Dragging());
    EXPECT_TRUE(source->log.isEmpty());
    MoveTo(160, 20);
    sim::Release(source, {160, 20});
    EXPECT_EQ(events.last(), "end taker 10,20");
}

TEST_F(DragTest, FreeingTheSourceMidDragEndsItQuietly)
{
    sim::Press(source, {10, 10});
    MoveTo(160, 20);
    QPointer<TProbe> gone = source;
    delete source;
    source = nullptr;
    EXPECT_TRUE(gone.isNull());
    EXPECT_EQ(TDragManager::Instance().Source(), nullptr);
    EXPECT_EQ(events.last(), "taker leave 10,20 from none");
    sim::Release(taker, {10, 20});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DragTest, FreeingTheTargetMidDragDropsNothing)
{
    sim::Press(source, {10, 10});
    MoveTo(160, 20);
    delete taker;
    taker = nullptr;
    events.clear();
    sim::Release(source, {160, 20});
    EXPECT_EQ(events, QStringList{"end none 160,20"});
}

} // namespace
