#include "ControlTestSupport.h"

#include <QTimer>

namespace {

// A popup window with a control in it and another window beside it.
struct TwoWindows {
    std::unique_ptr<THost> popup = MakeHost(100, 100, 100, 100);
    std::unique_ptr<THost> other = MakeHost(300, 100, 100, 100);
    TProbe *inPopup = AddProbe(popup.get(), {}, TAlign::alClient);
    TProbe *inOther = AddProbe(other.get(), {}, TAlign::alClient);
    bool OnPopup(const QPoint &global) const { return popup && popup->geometry().contains(global); }
};

QPoint GlobalPos(QEvent *e) { return static_cast<QMouseEvent *>(e)->globalPosition().toPoint(); }

TEST_F(ControlTest, ModalLoopHandlerConsumesPassesAndEnds)
{
    TwoWindows w;
    QStringList seen;
    TModalLoop loop([&](QWidget *target, QEvent *e) {
        if (e->type() == QEvent::KeyPress) {
            auto *ke = static_cast<QKeyEvent *>(e);
            seen << QStringLiteral("key %1").arg(ke->key());
            return ke->key() == Qt::Key_Escape ? TInputAction::End : TInputAction::Consume;
        }
        if (e->type() == QEvent::KeyRelease)
            return TInputAction::Consume;
        if (e->type() == QEvent::MouseButtonPress)
            seen << QStringLiteral("press on %1").arg(target == w.inPopup ? "popup" : "elsewhere");
        return TInputAction::Pass;
    });
    QTimer::singleShot(0, [&] {
        sim::Key(w.inPopup, Qt::Key_A, {}, "a");
        sim::Click(w.inPopup, {5, 5});
        sim::Key(w.inPopup, Qt::Key_Escape, {}, "\x1b");
        sim::Key(w.inPopup, Qt::Key_B, {}, "b");  // after the end: an ordinary key again
    });
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_FALSE(loop.Running());
    QApplication::processEvents();
    EXPECT_EQ(seen, (QStringList{"key 65", "press on popup", "key 16777216"}));
    // The release of Escape comes after the end and is no longer the loop's.
    EXPECT_EQ(w.inPopup->log, (QStringList{"down L 5,5 [L]", "click", "up L 5,5 []", "keyup 27", "keydown 66 []",
                                           "char 98", "keyup 66"}));
}

TEST_F(ControlTest, OutsidePressEndsTheLoopAndArrivesAtWhatIsThereAfterTheTeardown)
{
    TwoWindows w;
    // The popup holds the capture, as a menu does: the press is addressed to it.
    w.inPopup->SetMouseCapture(true);
    QWidget *targetSeen = nullptr;
    TModalLoop loop([&](QWidget *target, QEvent *e) {
        if (e->type() == QEvent::MouseButtonPress && !w.OnPopup(GlobalPos(e))) {
            targetSeen = target;
            return TInputAction::EndAndRedeliver;
        }
        return TInputAction::Pass;
    });
    QTimer::singleShot(0, [&] { sim::PressAt(QPoint(350, 160)); });
    loop.Run();
    EXPECT_EQ(targetSeen, w.inPopup);
    EXPECT_TRUE(w.inOther->log.isEmpty());
    EXPECT_TRUE(w.inPopup->log.isEmpty());
    // Tear down and let the event loop run: the press reaches what lies under it now, even a
    // window that moved in.
    w.inPopup->SetMouseCapture(false);
    w.popup.reset();
    w.other->SetBounds(250, 100, 150, 100);
    QApplication::processEvents();
    EXPECT_EQ(w.inOther->log, QStringList{"down L 100,60 [L]"});
    sim::Release(w.inOther, {100, 60});
}

TEST_F(HostTest, InputIsOfferedOnceEvenWhenQtHandsItToTheParent)
{
    auto *plain = new QWidget(host.get());  // ignores mouse input, so Qt passes it up
    plain->setGeometry(10, 10, 20, 20);
    plain->show();
    int offered = 0;
    TModalLoop loop([&](QWidget *, QEvent *e) {
        if (e->type() == QEvent::MouseButtonPress)
            ++offered;
        if (e->type() == QEvent::MouseButtonRelease)
            return TInputAction::End;
        return TInputAction::Pass;
    });
    QTimer::singleShot(0, [&] { sim::Click(plain, {5, 5}); });
    loop.Run();
    EXPECT_EQ(offered, 1);
}

TEST_F(ControlTest, ShortcutsWaitWhileALoopRunsWhoseEndGivesItsCode)
{
    TModalLoop early;
    early.End(3);  // before Run: Run returns at once
    EXPECT_EQ(early.Run(), 3);
    auto host = MakeHost(100, 100, 100, 100);
    QKeyEvent before(QEvent::ShortcutOverride, Qt::Key_S, Qt::ControlModifier);
    before.ignore();
    QApplication::sendEvent(host.get(), &before);
    EXPECT_FALSE(before.isAccepted());
    TModalLoop loop;
    QTimer::singleShot(0, [&] {
        QKeyEvent during(QEvent::ShortcutOverride, Qt::Key_S, Qt::ControlModifier);
        during.ignore();
        QApplication::sendEvent(host.get(), &during);
        loop.End(during.isAccepted() ? 7 : 0);
    });
    EXPECT_EQ(loop.Run(), 7);
}

} // namespace
