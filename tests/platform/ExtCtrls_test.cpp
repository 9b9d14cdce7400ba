#include "ControlTestSupport.h"

#include "platform/ExtCtrls.h"

namespace {

// Exposes the sizing steps the way a descendant drives them.
class TTestSplitter : public TSplitter
{
public:
    using TSplitter::FindControl;
    using TSplitter::TSplitter;
};

// pane | splitter | rest, inside a 400 x 200 window; the pane lies on the splitter's side.
class SplitterTest : public ControlTest
{
protected:
    std::unique_ptr<THost> host = MakeHost(100, 100, 400, 200);
    TProbe *pane = nullptr;
    TTestSplitter *splitter = nullptr;
    TProbe *rest = nullptr;
    int moved = 0;
    void Build(TAlign align, int paneSize)
    {
        pane = new TProbe(host.get());
        splitter = new TTestSplitter(host.get());
        rest = new TProbe(host.get());
        const bool horizontal = align == TAlign::alLeft || align == TAlign::alRight;
        // Created so that each takes its place along the edge: pane first, then the bar.
        const int far = align == TAlign::alLeft || align == TAlign::alTop ? 0 : 1000;
        pane->SetBoundsRect(horizontal ? Bounds(far, 0, paneSize, 10) : Bounds(0, far, 10, paneSize));
        const int bar = far == 0 ? paneSize : 0;
        splitter->SetBoundsRect(horizontal ? Bounds(bar, 0, 3, 10) : Bounds(0, bar, 10, 3));
        pane->SetAlign(align);
        splitter->SetAlign(align);
        rest->SetAlign(TAlign::alClient);
        for (TControl *c : std::initializer_list<TControl *>{pane, splitter, rest})
            c->SetParent(host.get());
        splitter->OnMoved = [this](TComponent *) { ++moved; };
    }
    // A drag of the bar by (dx, dy) from a point inside it.
    void Drag(int dx, int dy, bool release = true)
    {
        sim::Press(splitter, {1, 1});
        sim::Move(splitter, {1 + dx, 1 + dy});
        if (release)
            sim::Release(splitter, {1 + dx, 1 + dy});
    }
};

TEST_F(SplitterTest, DraggingShowsALineThenSizesThePaneOnRelease)
{
    Build(TAlign::alLeft, 100);
    ASSERT_EQ(splitter->BoundsRect(), Rect(100, 0, 103, 200));
    EXPECT_EQ(splitter->FindControl(), pane);
    Drag(50, 0, false);
    EXPECT_EQ(splitter->SizingControl(), pane);
    // The parent's width less MinSize, less everything else on the axis.
    EXPECT_EQ(splitter->MaxSize(), 400 - 30 - 3);
    ASSERT_TRUE(splitter->LineVisible());
    EXPECT_EQ(splitter->LineRect(), Rect(150, 0, 153, 200));
    auto *line = host->findChild<QWidget *>(QStringLiteral("splitterLine"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->geometry(), QRect(150, 0, 3, 200));
    EXPECT_EQ(pane->Width(), 100);  // only the line moves while dragging
    sim::Release(splitter, {51, 1});
    EXPECT_FALSE(splitter->LineVisible());
    EXPECT_EQ(host->findChild<QWidget *>(QStringLiteral("splitterLine")), nullptr);
    EXPECT_EQ(pane->Width(), 150);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(splitter->SizingControl(), nullptr);
}

TEST_F(SplitterTest, SizeStaysBetweenMinAndMaxAndSnaps)
{
    const struct { const char *name; TAlign align; int dx; bool autoSnap; TRect pane; int barLeft; } cases[] = {
        {"to the maximum", TAlign::alLeft, 400, true, Rect(0, 0, 367, 200), 367},
        {"just above MinSize", TAlign::alLeft, -69, true, Rect(0, 0, 31, 200), 31},
        {"at MinSize snaps", TAlign::alLeft, -70, true, Rect(0, 0, 0, 200), 0},
        {"below MinSize snaps", TAlign::alLeft, -90, true, Rect(0, 0, 0, 200), 0},
        {"below MinSize without snapping", TAlign::alLeft, -90, false, Rect(0, 0, 30, 200), 30},
        {"a right bar grows the pane leftwards", TAlign::alRight, -50, true, Rect(250, 0, 400, 200), 247},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        host = MakeHost(100, 100, 400, 200);
        Build(c.align, 100);
        splitter->SetAutoSnap(c.autoSnap);
        Drag(c.dx, 0);
        EXPECT_EQ(pane->BoundsRect(), c.pane);
        EXPECT_EQ(splitter->Left(), c.barLeft);
        EXPECT_EQ(rest->Width(), 400 - 3 - c.pane.Width());
    }
}

TEST_F(SplitterTest, EscapeCancelsTheDragAndASnappedPaneCanBeDraggedOpen)
{
    Build(TAlign::alLeft, 100);
    Drag(60, 0, false);
    sim::Key(host.get(), Qt::Key_Escape, {}, "\x1b");
    EXPECT_FALSE(splitter->LineVisible());
    EXPECT_EQ(splitter->SizingControl(), nullptr);
    sim::Release(splitter, {61, 1});
    EXPECT_EQ(pane->Width(), 100);
    EXPECT_EQ(moved, 0);
    // A snapped pane is still found and can be dragged open.
    Drag(-95, 0);
    ASSERT_EQ(pane->Width(), 0);
    EXPECT_EQ(splitter->FindControl(), pane);
    Drag(80, 0);
    EXPECT_EQ(pane->Width(), 80);
}

TEST_F(SplitterTest, CanResizeMayChangeOrRefuseTheSize)
{
    Build(TAlign::alLeft, 100);
    splitter->OnCanResize = [](TComponent *, int &size, bool &accept) {
        if (size > 200)
            accept = false;
        else
            size = size / 10 * 10;
    };
    Drag(47, 0);
    EXPECT_EQ(pane->Width(), 140);
    Drag(150, 0);
    EXPECT_EQ(pane->Width(), 140);
    splitter->SetMinSize(0);
    EXPECT_EQ(splitter->MinSize(), 1);
}

TEST_F(SplitterTest, NoPaneMeansNoSizing)
{
    splitter = new TTestSplitter(host.get());
    splitter->SetBounds(200, 0, 3, 200);
    splitter->SetAlign(TAlign::alLeft);
    splitter->SetParent(host.get());
    EXPECT_EQ(splitter->FindControl(), nullptr);
    Drag(39, 0, false);
    EXPECT_FALSE(splitter->LineVisible());
    sim::Release(splitter, {40, 1});
    EXPECT_EQ(splitter->Left(), 0);
}

TEST_F(SplitterTest, BeveledBarHasALightAndADarkEdge)
{
    Build(TAlign::alLeft, 100);
    splitter->SetBeveled(true);
    const QImage img = splitter->grab().toImage();
    EXPECT_EQ(QList<QRgb>({img.pixel(0, 100), img.pixel(1, 100), img.pixel(2, 100)}),
              QList<QRgb>({qRgb(128, 128, 128), qRgb(212, 208, 200), qRgb(255, 255, 255)}));
    splitter->SetBeveled(false);
    EXPECT_EQ(PixelAt(splitter, 0, 100), qRgb(212, 208, 200));
}

} // namespace
