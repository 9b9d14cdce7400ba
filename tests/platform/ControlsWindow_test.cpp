#include "ControlTestSupport.h"

#include <QLineEdit>

TEST(ControlsWindow, PaintToPrintsFrameClientAndChildrenOfAHiddenControl)
{
    THost parent;
    parent.SetBounds(0, 0, 60, 50);
    auto *outer = new TProbe(&parent);
    outer->margins = {2, 3, 2, 2};
    outer->SetBounds(0, 0, 40, 30);
    outer->SetColor(clBlue);
    outer->SetParentColor(false);
    outer->onPaintNC = [](TCanvas &c) {
        c.Brush()->SetColor(clRed);
        c.FillRect(Rect(0, 0, 40, 30));
    };
    outer->SetParent(&parent);
    auto *inner = new TProbe(outer);
    inner->SetBounds(10, 10, 8, 6);
    inner->onPaint = [](TCanvas &c) {
        c.Brush()->SetColor(clLime);
        c.FillRect(Rect(0, 0, 8, 6));
    };
    inner->SetParent(outer);
    auto *edit = new QLineEdit(outer);
    edit->setGeometry(25, 20, 10, 6);
    ASSERT_FALSE(outer->isVisible());
    TBitmap bmp(60, 50);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(Rect(0, 0, 60, 50));
    outer->PaintTo(*bmp.Canvas(), 5, 4);
    const struct { int x, y; TColor color; } cases[] = {
        {5, 4, clRed}, {44, 33, clRed}, {5 + 2, 4 + 3, clBlue}, {5 + 12, 4 + 13, clLime},
        {5 + 2 + 17, 4 + 3 + 15, clLime}, {45, 4, clWhite}, {4, 10, clWhite}};
    for (const auto &c : cases)
        EXPECT_EQ(bmp.Canvas()->Pixel(c.x, c.y), c.color) << c.x << "," << c.y;
    // The Qt child is printed too (its own background, not the blue client).
    EXPECT_NE(bmp.Canvas()->Pixel(5 + 25 + 5, 4 + 20 + 3), clBlue);
    EXPECT_EQ(bmp.Canvas()->ViewportOrg(), (TPoint{0, 0}));
}

// How a popup takes clicks without activation is checked against the X server.
TEST(ControlsWindow, AShownWindowKeepsShowingThroughKindShapeAndOpacity)
{
    THost popup;
    popup.SetWindowKinds({wkPopup, wkTopMost});
    popup.SetBounds(300, 300, 80, 60);
    popup.Show();
    ASSERT_TRUE(popup.isVisible());
    popup.SetWindowKinds({wkToolWindow});
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.windowType(), Qt::Tool);
    popup.SetWindowRegion(QRegion());
    EXPECT_TRUE(popup.mask().intersected(popup.rect()).isEmpty());
    EXPECT_FALSE(popup.mask().isEmpty());
    popup.SetWindowRegion(std::nullopt);
    EXPECT_TRUE(popup.mask().isEmpty());
    popup.SetAlphaBlendValue(300);
    EXPECT_EQ(popup.AlphaBlendValue(), 255);
    popup.SetAlphaBlendValue(128);
    EXPECT_NEAR(popup.windowOpacity(), 128 / 255.0, 0.01);
}

TEST(ControlsWindow, SetCursorAsksTheParentFirst)
{
    auto host = MakeHost(0, 0, 100, 100);
    auto *child = AddProbe(host.get(), Bounds(10, 10, 40, 40));
    child->SetCursor(crHandPoint);
    for (bool parentDecides : {true, false}) {
        host->onMessage = [&](TMessage &m) {
            if (m.Msg == WM_SETCURSOR && parentDecides) {
                dynamic_cast<TControl *>(reinterpret_cast<QWidget *>(m.WParam))->SetCursorShape(crCross);
                m.Result = 1;
                m.Msg = 0;
            }
        };
        sim::Move(child, {5, 5});
        EXPECT_EQ(child->cursor().shape(), parentDecides ? Qt::CrossCursor : Qt::PointingHandCursor) << parentDecides;
    }
    host->onMessage = nullptr;
}
