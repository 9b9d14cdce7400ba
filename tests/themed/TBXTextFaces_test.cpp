// Where the text controls put their focus rectangle and text, and the hint picture its text.
#include "themed/SpTBXDkPanels.h"
#include "themed/TBXNexus.h"
#include "../platform/InputSim.h"
#include "TestSupport.h"
#include "platform/Forms.h"
#include "platform/SysColors.h"
#include <gtest/gtest.h>
#include <QApplication>

namespace {

QImage Print(TControl &c)
{
    QImage image = BlankImage(c.Width(), c.Height(), clLime);
    TCanvas canvas(image);
    c.PaintTo(canvas, 0, 0);
    return image;
}

// The focus rectangles one painting of the control draws.
std::vector<TRect> FocusRects(TControl &c)
{
    QImage image = BlankImage(c.Width(), c.Height(), clLime);
    TCanvas canvas(image);
    TCanvasRecorder recorder;
    canvas.SetRecorder(&recorder);
    c.Perform(WM_PAINT, WPARAM(&canvas));
    std::vector<TRect> rects;
    for (const TCanvasCall *call : recorder.Of(TCanvasOp::DrawFocusRect))
        rects.push_back(call->Rect);
    return rects;
}

bool OnOutline(const TRect &r, int x, int y)
{
    return r.Contains({x, y}) && (x == r.Left || x == r.Right - 1 || y == r.Top || y == r.Bottom - 1);
}

// The theme's look draws its focus rectangle inside the margins; the desktop's look draws its
// own, three pixels in, and no second one.
TEST(TBXTextFaces, AFocusedButtonShowsOneFocusRectangleWhereItsLookPutsIt)
{
    SetCurrentTheme("Default");
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 100);
    auto *other = new TSpTBXButton(&form);
    other->SetParent(&form);
    other->SetBounds(200, 10, 80, 25);
    auto *button = new TSpTBXButton(&form);
    button->SetParent(&form);
    button->SetBounds(10, 10, 90, 28);
    button->SetCaptionW("下一步");
    button->Margins().SetLeft(5);
    button->Margins().SetTop(4);
    button->Margins().SetRight(6);
    button->Margins().SetBottom(7);
    form.Show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(sim::WaitFor([&] { return form.isActiveWindow(); }));
    const auto focus = [](TWinControl *c) {
        c->SetFocus();
        return sim::WaitFor([c] { return c->hasFocus(); });
    };
    struct Case { TSpTBXThemeType look; TRect where; };
    for (const Case &c : {Case{TSpTBXThemeType::thtTBX, {5, 4, 84, 21}}, Case{TSpTBXThemeType::thtWindows, {3, 3, 87, 25}}}) {
        SCOPED_TRACE(int(c.look));
        button->SetThemeType(c.look);
        ASSERT_TRUE(focus(other));
        EXPECT_TRUE(FocusRects(*button).empty());
        const QImage idle = Print(*button);
        ASSERT_TRUE(focus(button));
        EXPECT_EQ(FocusRects(*button), std::vector<TRect>{c.where});
        if (c.look != TSpTBXThemeType::thtTBX)
            continue;
        // What the focus adds lies on that rectangle's outline, and shows.
        const QImage focused = Print(*button);
        int changed = 0, elsewhere = 0;
        for (int y = 0; y < idle.height(); ++y)
            for (int x = 0; x < idle.width(); ++x)
                if (PixelAt(idle, x, y) != PixelAt(focused, x, y))
                    ++(OnOutline(c.where, x, y) ? changed : elsewhere);
        EXPECT_EQ(std::tuple(changed > 50, elsewhere), std::tuple(true, 0)) << "every other pixel of the outline inverted";
    }
}

// A right-to-left text control puts a left-aligned caption at the right, and the other way round.
TEST(TBXTextFaces, ARightToLeftTextControlMirrorsItsAlignment)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 100);
    auto *text = new TTBXTextObject(&form);
    text->SetParent(&form);
    text->SetAutoSize(false);
    text->SetBounds(0, 0, 240, 20);
    text->SetCaption("WWW");
    struct Case { TBiDiMode mode; TAlignment alignment; bool atRight; };
    const Case cases[] = {
        {TBiDiMode::bdLeftToRight, TAlignment::taLeftJustify, false},
        {TBiDiMode::bdRightToLeft, TAlignment::taLeftJustify, true},
        {TBiDiMode::bdRightToLeft, TAlignment::taRightJustify, false},
        {TBiDiMode::bdRightToLeftReadingOnly, TAlignment::taLeftJustify, false},
    };
    for (const Case &c : cases) {
        text->SetBiDiMode(c.mode);
        text->SetAlignment(c.alignment);
        QImage image = BlankImage(240, 20, clLime);
        TCanvas canvas(image);
        text->Perform(WM_PAINT, WPARAM(&canvas));
        int left = 0, right = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 240; ++x)
                if (PixelAt(image, x, y) != clLime)
                    ++(x < 120 ? left : right);
        EXPECT_EQ(std::tuple(left > 0, right > 0), std::tuple(!c.atRight, c.atRight))
            << int(c.mode) << " " << int(c.alignment);
    }
}

// The hint picture's text is centred two pixels left of the picture's middle.
TEST(TBXTextFaces, TheHintTextSitsTwoPixelsLeftOfTheMiddle)
{
    TCanvasRecorder recorder;
    SpHintBitmap().Canvas()->SetRecorder(&recorder);
    SpPaintHintBitmap(nullptr, QStringLiteral("新建人脉 (Ctrl+N)"), nullptr, nullptr);
    SpHintBitmap().Canvas()->SetRecorder(nullptr);
    std::vector<TRect> drawn;
    for (const TCanvasCall *call : recorder.Of(TCanvasOp::DrawText))
        if (!(call->Flags & DT_CALCRECT))
            drawn.push_back(call->Rect);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].Left + drawn[0].Right, SpHintBitmap().Width() - 4) << "twice the middle of the text's box";
    EXPECT_EQ(drawn[0].Width(), SpHintBitmap().Width());
}

} // namespace
