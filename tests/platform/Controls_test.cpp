#include "ControlTestSupport.h"

#include "platform/SysColors.h"

#include <QHBoxLayout>
#include <QPointer>

namespace {

using A = TAlign;
using Rects = std::vector<TRect>;

// The bounds of each control, for one comparison per layout.
Rects BoundsOf(std::initializer_list<TControl *> controls)
{
    Rects out;
    for (TControl *c : controls)
        out.push_back(c->BoundsRect());
    return out;
}

TEST_F(ControlTest, AlignLaysOutChildrenByEdgeInOrderKeepingThickness)
{
    struct Child { TAlign align; TRect initial; bool visible = true; };
    const struct { const char *name; int width; std::vector<Child> children; Rects expected; } cases[] = {
        {"five edges", 200,
         {{A::alTop, Bounds(7, 7, 5, 10)}, {A::alBottom, Bounds(7, 7, 5, 20)}, {A::alLeft, Bounds(7, 7, 30, 5)},
          {A::alRight, Bounds(7, 7, 40, 5)}, {A::alClient, Bounds(7, 7, 5, 5)}},
         {Rect(0, 0, 200, 10), Rect(0, 80, 200, 100), Rect(0, 10, 30, 80), Rect(160, 10, 200, 80),
          Rect(30, 10, 160, 80)}},
        // Creation order does not change the order of the edges.
        {"client created first", 200,
         {{A::alClient, Bounds(0, 0, 5, 5)}, {A::alRight, Bounds(0, 0, 40, 5)}, {A::alLeft, Bounds(0, 0, 30, 5)},
          {A::alBottom, Bounds(0, 0, 5, 20)}, {A::alTop, Bounds(0, 0, 5, 10)}},
         {Rect(30, 10, 160, 80), Rect(160, 10, 200, 80), Rect(0, 10, 30, 80), Rect(0, 80, 200, 100),
          Rect(0, 0, 200, 10)}},
        {"two tops by position", 200, {{A::alTop, Bounds(0, 30, 5, 10)}, {A::alTop, Bounds(0, -5, 5, 15)}},
         {Rect(0, 15, 200, 25), Rect(0, 0, 200, 15)}},
        {"two bottoms: the lower one at the edge", 200,
         {{A::alBottom, Bounds(0, 0, 5, 10)}, {A::alBottom, Bounds(0, 95, 5, 20)}},
         {Rect(0, 70, 200, 80), Rect(0, 80, 200, 100)}},
        {"two lefts and two rights", 200,
         {{A::alLeft, Bounds(10, 0, 20, 5)}, {A::alLeft, Bounds(0, 0, 30, 5)}, {A::alRight, Bounds(100, 0, 25, 5)},
          {A::alRight, Bounds(190, 0, 15, 5)}},
         {Rect(30, 0, 50, 100), Rect(0, 0, 30, 100), Rect(160, 0, 185, 100), Rect(185, 0, 200, 100)}},
        {"hidden child takes no room", 200,
         {{A::alTop, Bounds(3, 3, 5, 10), false}, {A::alTop, Bounds(0, 20, 5, 12)}, {A::alClient, {}}},
         {Bounds(3, 3, 5, 10), Rect(0, 0, 200, 12), Rect(0, 12, 200, 100)}},
        {"too narrow: the client gets nothing, never less", 50,
         {{A::alLeft, Bounds(0, 0, 30, 5)}, {A::alRight, Bounds(0, 0, 40, 5)}, {A::alClient, {}}},
         {Rect(0, 0, 30, 100), Rect(10, 0, 50, 100), Rect(30, 0, 30, 100)}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto host = MakeHost(100, 100, c.width, 100);
        std::vector<TProbe *> children;
        for (const Child &s : c.children) {
            children.push_back(new TProbe(host.get()));
            children.back()->SetBoundsRect(s.initial);
            children.back()->SetVisible(s.visible);
            children.back()->SetAlign(s.align);
            children.back()->SetParent(host.get());
        }
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(children[i]->BoundsRect(), c.expected[i]) << "child " << i;
            EXPECT_EQ(children[i]->geometry(), c.expected[i].ToQRect()) << "child " << i;  // the widget agrees
        }
    }
}

TEST_F(HostTest, MovingAnAlignedChildRealignsItsParent)
{
    auto *a = AddProbe(host.get(), Rect(0, 0, 0, 10), TAlign::alTop);
    auto *b = AddProbe(host.get(), Bounds(0, 10, 0, 20), TAlign::alTop);
    auto *client = AddProbe(host.get(), {}, TAlign::alClient);
    ASSERT_EQ(BoundsOf({a, b}), Rects({Rect(0, 0, 200, 10), Rect(0, 10, 200, 30)}));
    // Moved below the other: the order of the two changes.
    a->SetTop(50);
    EXPECT_EQ(BoundsOf({b, a, client}), Rects({Rect(0, 0, 200, 20), Rect(0, 20, 200, 30), Rect(0, 30, 200, 100)}));
    // A new thickness is kept and the rest follows; the other dimension is the parent's.
    b->SetBounds(5, 0, 17, 25);
    // The parent's new size reaches the children.
    host->SetBounds(100, 100, 300, 50);
    EXPECT_EQ(BoundsOf({a, client}), Rects({Rect(0, 25, 300, 35), Rect(0, 35, 300, 50)}));
    // Hiding and freeing aligned children gives their room back.
    b->SetVisible(false);
    EXPECT_EQ(a->BoundsRect(), Rect(0, 0, 300, 10));
    delete a;
    EXPECT_EQ(client->BoundsRect(), Rect(0, 0, 300, 50));
    EXPECT_EQ(host->ControlCount(), 2);
    // Leaving the alignment keeps the last bounds.
    client->SetAlign(TAlign::alNone);
    host->SetBounds(100, 100, 400, 80);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 0, 300, 50));
}

TEST_F(HostTest, AnchorsKeepDistancesToTheParentEdges)
{
    auto *corner = AddProbe(host.get(), Bounds(150, 70, 40, 20));
    auto *stretch = AddProbe(host.get(), Bounds(10, 10, 180, 20));
    auto *fixed = AddProbe(host.get(), Bounds(10, 40, 30, 20));
    corner->SetAnchors({TAnchorKind::akRight, TAnchorKind::akBottom});
    stretch->SetAnchors({TAnchorKind::akLeft, TAnchorKind::akTop, TAnchorKind::akRight});
    host->SetBounds(100, 100, 300, 150);
    EXPECT_EQ(BoundsOf({corner, stretch, fixed}),
              Rects({Bounds(250, 120, 40, 20), Bounds(10, 10, 280, 20), Bounds(10, 40, 30, 20)}));
    // Moving an anchored control by hand takes new distances.
    corner->SetBounds(200, 100, 40, 20);
    host->SetBounds(100, 100, 250, 150);
    EXPECT_EQ(corner->BoundsRect(), Bounds(150, 100, 40, 20));
}

TEST_F(HostTest, NonClientMarginsOffsetTheClientAreaAndItsChildren)
{
    host->margins = {2, 20, 3, 4};
    host->RecalcNC();
    EXPECT_EQ(host->ClientRect(), Rect(0, 0, 195, 76));
    EXPECT_EQ(host->ClientOrigin(), Point(102, 120));
    EXPECT_EQ(host->ClientToScreen(Point(5, 6)), Point(107, 126));
    EXPECT_EQ(host->ScreenToClient(Point(107, 126)), Point(5, 6));
    auto *child = AddProbe(host.get(), {}, TAlign::alClient);
    EXPECT_EQ(child->BoundsRect(), Rect(0, 0, 195, 76));
    EXPECT_EQ(child->geometry(), QRect(2, 20, 195, 76));
    EXPECT_EQ(child->ClientToParent(Point(1, 1)), Point(1, 1));
    // A thinner frame: the children move and grow with the client area.
    host->margins = {1, 1, 1, 1};
    host->RecalcNC();
    EXPECT_EQ(child->BoundsRect(), Rect(0, 0, 198, 98));
    EXPECT_EQ(child->geometry(), QRect(1, 1, 198, 98));
    host->SetClientWidth(100);
    EXPECT_EQ(host->Width(), 102);
}

TEST_F(HostTest, FrameIsPaintedByPaintNCAndTheClientIsClippedToItself)
{
    auto *probe = new TProbe(host.get());
    probe->margins = {3, 5, 3, 3};
    probe->SetBounds(10, 10, 50, 40);
    probe->SetColor(clWhite);
    probe->SetParent(host.get());
    probe->onPaintNC = [](TCanvas &c) {
        c.Brush()->SetColor(clRed);
        c.FillRect(Rect(0, 0, 1000, 1000));  // window coordinates, clipped to the frame
    };
    probe->onPaint = [](TCanvas &c) {
        c.Brush()->SetColor(clBlue);
        c.FillRect(Rect(0, 0, 10, 10));
        c.FillRect(Rect(-5, 30, 100, 100));  // spills past the client area
    };
    // Frame; client (0,0) and (9,9); erased with Color; the spill stopped at the frame.
    const QImage img = probe->grab().toImage();
    const std::pair<QPoint, QRgb> dots[] = {{{1, 1}, qRgb(255, 0, 0)},     {{49, 39}, qRgb(255, 0, 0)},
                                            {{3, 5}, qRgb(0, 0, 255)},     {{12, 14}, qRgb(0, 0, 255)},
                                            {{13, 15}, qRgb(255, 255, 255)}, {{2, 36}, qRgb(255, 0, 0)},
                                            {{3, 36}, qRgb(0, 0, 255)}};
    for (auto [at, colour] : dots)
        EXPECT_EQ(img.pixel(at), colour) << at.x() << "," << at.y();
    // The frame answers hit tests as border; presses there are non-client messages.
    const TPoint frame = TPoint::FromQPoint(probe->mapToGlobal(QPoint(1, 1)));
    EXPECT_EQ(probe->Perform(WM_NCHITTEST, 0, PointToLParam(frame)), HTBORDER);
    probe->messages.clear();
    sim::Click(probe, QPoint(1, 1));
    EXPECT_TRUE(probe->log.isEmpty());
    EXPECT_EQ(std::count(probe->messages.begin(), probe->messages.end(), WM_NCLBUTTONDOWN), 1);
    sim::Click(probe, QPoint(10, 12));
    EXPECT_EQ(probe->log.value(0), "down L 7,7 [L]");
}

TEST_F(HostTest, ParentColorFontAndShowHintFollowTheParentUntilSetOwn)
{
    auto *follower = AddProbe(host.get());
    auto *own = AddProbe(host.get());
    own->SetColor(clRed);
    own->Font()->SetStyle({TFontStyle::fsBold});
    own->SetShowHint(false);
    own->SetBiDiMode(TBiDiMode::bdLeftToRight);
    EXPECT_FALSE(own->ParentColor() || own->ParentFont());
    const int ownHeight = own->Font()->Height();
    host->SetColor(clYellow);
    host->Font()->SetHeight(-9);
    host->SetShowHint(true);
    host->SetBiDiMode(TBiDiMode::bdRightToLeftReadingOnly);
    const auto values = [](TControl *c) {
        return std::tuple{c->Color(), c->Font()->Height(), c->ShowHint(), c->UseRightToLeftReading()};
    };
    EXPECT_EQ(values(follower), std::tuple(clYellow, -9, true, true));
    EXPECT_EQ(values(own), std::tuple(clRed, ownHeight, false, false));
    EXPECT_FALSE(follower->UseRightToLeftAlignment());
    own->SetParentColor(true);
    EXPECT_EQ(own->Color(), clYellow);
    // A new child takes the parent's values when it joins.
    EXPECT_EQ(values(AddProbe(host.get())), std::tuple(clYellow, -9, true, true));
}

TEST_F(HostTest, TabOrderIsThePlaceInTheParentsTabListWalkedByTheFocus)
{
    TProbe *c[3];
    for (TProbe *&p : c) {
        p = new TProbe(host.get());
        p->SetTabStop(true);
        p->SetParent(host.get());
    }
    EXPECT_EQ(c[0]->focusPolicy(), Qt::TabFocus);
    const auto orders = [&] { return std::vector{c[0]->TabOrder(), c[1]->TabOrder(), c[2]->TabOrder()}; };
    EXPECT_EQ(orders(), (std::vector{0, 1, 2}));
    c[2]->SetTabOrder(0);
    EXPECT_EQ(orders(), (std::vector{1, 2, 0}));
    // Tab and Shift+Tab walk that order round, skipping what cannot take the focus.
    host->activateWindow();
    QApplication::setActiveWindow(host.get());
    c[2]->SetFocus();
    QStringList events;
    c[0]->OnEnter = [&](TComponent *) { events << "enter"; };
    c[0]->OnExit = [&](TComponent *) { events << "exit"; };
    sim::Key(c[2], Qt::Key_Tab, {}, "\t");
    EXPECT_TRUE(c[0]->Focused());
    c[1]->SetEnabled(false);
    sim::Key(c[0], Qt::Key_Tab, {}, "\t");
    EXPECT_TRUE(c[2]->Focused());
    sim::Key(c[2], Qt::Key_Backtab, Qt::ShiftModifier, "\t");
    EXPECT_TRUE(c[0]->Focused());
    EXPECT_EQ(events, (QStringList{"enter", "exit", "enter"}));
    EXPECT_EQ(host->FindNextControl(c[0], false, true, false), c[2]);
    EXPECT_FALSE(c[0]->log.contains("keydown 9 []"));  // the tabs were no keys of theirs
    EXPECT_FALSE(c[1]->CanFocus());
    EXPECT_THROW(c[1]->SetFocus(), EInvalidOperation);
    c[0]->SetTabOrder(99);  // past the end: last
    EXPECT_EQ(c[0]->TabOrder(), 2);
    delete c[1];
    EXPECT_EQ(c[0]->TabOrder(), 1);
    host->SetVisible(false);
    EXPECT_FALSE(c[0]->CanFocus()) << "nor what lies in a hidden window";
}

TEST_F(HostTest, VisibilityNeedsAParentAndQtReparentingKeepsTheListsInStep)
{
    auto loose = std::make_unique<TProbe>();
    EXPECT_TRUE(loose->Visible());
    EXPECT_TRUE(loose->isHidden());
    loose->SetParent(host.get());
    EXPECT_TRUE(loose->Showing());
    loose->SetVisible(false);
    EXPECT_FALSE(loose->Showing());
    loose->SetVisible(true);
    loose->SetParent(nullptr);
    EXPECT_TRUE(loose->isHidden());
    EXPECT_EQ(host->ControlCount(), 0);
    EXPECT_TRUE(host->Showing());
    EXPECT_THROW(host->SetParent(host.get()), EInvalidOperation);
    // Reparenting by Qt keeps the control lists in step.
    auto second = MakeHost(300, 100, 100, 100);
    auto *probe = new TProbe(nullptr);
    probe->SetAlign(TAlign::alClient);
    probe->SetParent(host.get());
    EXPECT_EQ(probe->BoundsRect(), Rect(0, 0, 200, 100));
    probe->setParent(second.get());
    EXPECT_EQ(probe->Parent(), second.get());
    EXPECT_EQ(host->ControlCount(), 0);
    EXPECT_EQ(second->ControlCount(), 1);
    second->SetBounds(300, 100, 50, 60);
    EXPECT_EQ(probe->BoundsRect(), Rect(0, 0, 50, 60));
}

// A control in a Qt layout is sized by the layout when it shows (the layout passes over hidden
// widgets); its own bounds follow, also when it is shown through its Visible.
TEST(ControlsInQtLayouts, AControlShownLaterTakesTheLayoutsSize)
{
    QWidget page;
    auto *layout = new QHBoxLayout(&page);
    auto *control = new TCustomControl(nullptr);
    control->setParent(&page);
    control->setMinimumWidth(160);
    control->SetVisible(false);
    layout->addWidget(control);
    page.resize(400, 60);
    page.show();
    QApplication::processEvents();
    control->SetVisible(true);
    QApplication::processEvents();
    EXPECT_GE(control->width(), 160);
    EXPECT_EQ(control->Width(), control->width());
    EXPECT_EQ(control->ClientWidth(), control->width());
}

TEST_F(ControlTest, OwnerAndQtParentMayEachDestroyAControl)
{
    // Owned by one window, placed in another: the owner frees it.
    auto parent = MakeHost(100, 100, 100, 100);
    auto owner = MakeHost(300, 100, 100, 100);
    QPointer<TProbe> probe = new TProbe(owner.get());
    probe->SetAlign(TAlign::alTop);
    probe->SetParent(parent.get());
    owner.reset();
    EXPECT_TRUE(probe.isNull());
    EXPECT_EQ(parent->ControlCount(), 0);
    // The other way round: the parent goes, Qt frees the child, and its owner forgets it.
    owner = MakeHost(300, 100, 100, 100);
    probe = new TProbe(owner.get());
    auto *grandChild = new TProbe(owner.get());
    probe->SetParent(parent.get());
    grandChild->SetParent(probe);
    parent.reset();
    EXPECT_TRUE(probe.isNull());
    EXPECT_EQ(owner->ComponentCount(), 0);
    // A parent that owns its aligned children frees them while it is still whole.
    auto *a = new TProbe(owner.get());
    auto *b = new TProbe(owner.get());
    a->SetAlign(TAlign::alTop);
    b->SetAlign(TAlign::alClient);
    a->SetParent(owner.get());
    b->SetParent(owner.get());
    owner.reset();
}

} // namespace
