#include "PlannerTestSupport.h"
#include "controls/dfsSplitter.h"

namespace {

// A 400 x 300 window: a pane on one side, the bar against it, and a client control filling
// the rest. A left bar is 10 x 300 with its 100-pixel button at y 100..199, x 1..8.
struct SplitterTest : ::testing::Test {
    void Build(TAlign align)
    {
        window = std::make_unique<TWindowBox>();
        window->SetBounds(0, 0, 400, 300);
        pane = new TWindowBox(window.get());
        const bool vertical = align == TAlign::alLeft || align == TAlign::alRight;
        pane->SetBounds(align == TAlign::alRight ? 250 : 0, align == TAlign::alBottom ? 150 : 0, vertical ? 150 : 400,
                        vertical ? 300 : 150);
        pane->SetAlign(align);
        pane->SetParent(window.get());
        splitter = new TdfsSplitter(window.get());
        if (!vertical)
            splitter->SetBounds(0, align == TAlign::alTop ? 150 : 140, 400, 10);
        else
            splitter->SetLeft(align == TAlign::alLeft ? 150 : 240);
        splitter->SetAlign(align);
        splitter->SetParent(window.get());
        rest = new TWindowBox(window.get());
        rest->SetAlign(TAlign::alClient);
        rest->SetParent(window.get());
        for (auto [event, name] : {std::pair{&splitter->OnMaximize, "maximize"}, {&splitter->OnMinimize, "minimize"},
                                   {&splitter->OnRestore, "restore"}, {&splitter->OnClose, "close"}})
            *event = [this, name](TComponent *) { events << name; };
        window->Show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        window.reset();
        ResetSysColors();
        ReleaseInput();
    }
    // Press, move and release on the bar (its own coordinates).
    void Drag(QPoint from, QPoint to)
    {
        sim::Press(splitter, from);
        sim::Move(splitter, to);
        sim::Release(splitter, to);
    }
    QColor Pixel(int x, int y) { return splitter->grab().toImage().pixelColor(x, y); }

    std::unique_ptr<TWindowBox> window;
    TWindowBox *pane = nullptr;
    TdfsSplitter *splitter = nullptr;
    TWindowBox *rest = nullptr;
    QStringList events;
};

} // namespace

TEST_F(SplitterTest, AClickCollapsesAndRestoresSixPixelsAreADragWindowsStyleButtonsToo)
{
    Build(TAlign::alLeft);
    // The position is recorded once the bar found its pane.
    EXPECT_EQ(std::tuple(splitter->Pane(), splitter->RestorePos(), splitter->ButtonRect()),
              std::tuple(pane, 150, TRect({1, 100, 9, 200})));
    Drag({2, 150}, {7, 150});
    EXPECT_TRUE(splitter->Maximized()) << "5 px across the bar: a click";
    // Collapsed to MinSize: the click does not move the bar first.
    EXPECT_EQ(std::tuple(pane->Width(), splitter->Left(), splitter->RestorePosStored()), std::tuple(30, 30, true));
    sim::Click(splitter, {4, 150});
    EXPECT_FALSE(splitter->Maximized());
    ASSERT_EQ(pane->Width(), 150);
    EXPECT_EQ(events, QStringList({"maximize", "restore"}));
    EXPECT_FALSE(splitter->RestorePosStored());
    events.clear();
    Drag({2, 150}, {8, 150});
    EXPECT_FALSE(splitter->Maximized()) << "6 px: a drag";
    EXPECT_EQ(pane->Width(), 156);
    EXPECT_TRUE(events.isEmpty());
    Drag({2, 120}, {6, 180});  // travel along the bar does not count
    EXPECT_TRUE(splitter->Maximized());
    // Dragging it open restores and records the new size; dragging to MinSize or less collapses.
    Drag({5, 20}, {5 + 90, 20});
    EXPECT_EQ(std::tuple(splitter->Maximized(), splitter->RestorePos()), std::tuple(false, 120));
    Drag({5, 20}, {5 - 100, 20});  // the pane would be 20 pixels wide
    EXPECT_EQ(std::tuple(splitter->Maximized(), pane->Width()), std::tuple(true, 30));
    EXPECT_EQ(events, QStringList({"maximize", "restore", "maximize"}));
    // Windows-style buttons minimise, maximise and close.
    events.clear();
    Build(TAlign::alTop);  // a 400 x 10 bar under a pane of 150
    splitter->SetButtonStyle(TdfsButtonStyle::bsWindows);
    // Three 10-pixel squares sharing their edges at the right end, less a pixel all round.
    EXPECT_EQ(splitter->ButtonRect(), TRect({374, 1, 399, 9}));
    sim::Click(splitter, {396, 5});
    sim::Click(splitter, {386, 5});  // maximise: for a top bar the pane collapses
    EXPECT_EQ(pane->Height(), 30);
    sim::Click(splitter, {386, 5});
    sim::Click(splitter, {377, 5});  // minimise: the pane takes all it may
    EXPECT_EQ(pane->Height(), 300 - 10 - 30);
    EXPECT_EQ(events, QStringList({"close", "maximize", "restore", "minimize"}));
    splitter->SetWindowsButtons({TdfsWindowsButton::wbClose});
    EXPECT_EQ(splitter->ButtonRect(), TRect({392, 1, 399, 9}));
    splitter->SetWindowsButtons({});
    EXPECT_TRUE(splitter->ButtonRect().IsEmpty());
}

TEST_F(SplitterTest, TogglingOnEverySideNothingWithoutAPaneButtonWidthAndLight)
{
    for (TAlign align : {TAlign::alLeft, TAlign::alRight, TAlign::alTop, TAlign::alBottom}) {
        SCOPED_TRACE(int(align));
        Build(align);
        const bool vertical = align == TAlign::alLeft || align == TAlign::alRight;
        const auto size = [&] { return vertical ? pane->Width() : pane->Height(); };
        ASSERT_EQ(splitter->Pane(), pane);
        splitter->SetMaximized(true);
        const int collapsed = size();
        splitter->SetMaximized(false);
        EXPECT_EQ(std::tuple(collapsed, size()), std::tuple(30, 150));
        splitter->SetMinimized(true);
        // Top and right panes take the largest size they may (all but MinSize of what the bar
        // leaves); left and bottom ones go to their smallest.
        const bool grows = align == TAlign::alTop || align == TAlign::alRight;
        EXPECT_EQ(size(), grows ? (vertical ? 400 : 300) - 10 - 30 : 30);
        splitter->SetMaximized(true);
        EXPECT_FALSE(splitter->Minimized());
        splitter->SetMaximized(false);
        EXPECT_EQ(size(), 150) << "the size from before minimising";
        EXPECT_EQ(events, QStringList({"maximize", "restore", "minimize", "maximize", "restore"}));
        events.clear();
    }
    Build(TAlign::alLeft);
    splitter->SetMaximized(true);
    splitter->SetRestorePos(-1);  // as a form stream without "RestorePos" would leave it
    splitter->SetMaximized(false);
    EXPECT_EQ(std::tuple(splitter->Maximized(), pane->Width()), std::tuple(false, 30)) << "never sized to -1";
    pane->SetVisible(false);
    events.clear();
    ASSERT_EQ(splitter->Pane(), nullptr);
    splitter->SetMaximized(true);
    splitter->SetMinimized(true);
    sim::Click(splitter, {4, 150});
    EXPECT_FALSE(splitter->Maximized() || splitter->Minimized());
    EXPECT_TRUE(events.isEmpty());
    // The button width is clamped and zero means no button.
    Build(TAlign::alLeft);
    splitter->SetButtonWidthType(TdfsButtonWidthType::btwPercentage);
    splitter->SetButtonWidth(150);
    EXPECT_EQ(splitter->ButtonRect(), TRect({1, 1, 9, 299}));
    splitter->SetButtonWidth(50);
    EXPECT_EQ(splitter->ButtonRect(), TRect({1, 75, 9, 225}));
    splitter->SetButtonWidthType(TdfsButtonWidthType::btwPixels);
    splitter->SetButtonWidth(-5);
    EXPECT_TRUE(splitter->ButtonRect().IsEmpty());
    EXPECT_EQ(Pixel(4, 150), Rgb(splitter->Color())) << "no button drawn";
    sim::Click(splitter, {4, 150});
    EXPECT_FALSE(splitter->Maximized());
    splitter->SetButtonWidth(40);
    splitter->SetBeveled(true);
    EXPECT_EQ(splitter->ButtonRect(), TRect({4, 130, 6, 170}));
    // The button lights up under the pointer.
    Build(TAlign::alLeft);
    splitter->SetButtonCursor(crHandPoint);
    sim::Move(splitter, {4, 20});
    EXPECT_EQ(splitter->Cursor(), crHSplit);
    sim::Move(splitter, {4, 116});
    EXPECT_EQ(std::tuple(splitter->ButtonHot(), splitter->Cursor()), std::tuple(true, crHandPoint));
    EXPECT_EQ(Pixel(4, 116), Rgb(0xFFCFCF));
    splitter->SetAutoHighlightColor(true);
    EXPECT_EQ(Pixel(4, 116), QColor(153, 157, 172));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(splitter, &leave);
    EXPECT_EQ(Pixel(4, 116), Rgb(clBtnFace));
    splitter->SetAllowDrag(false);
    sim::Move(splitter, {4, 20});
    EXPECT_EQ(splitter->Cursor(), crHandPoint) << "nothing to drag";
    Drag({4, 20}, {60, 20});
    EXPECT_EQ(pane->Width(), 150);
}

