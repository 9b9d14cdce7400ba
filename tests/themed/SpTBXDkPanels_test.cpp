// The text controls' link, owner-draw events, image choice, hint picture and scrolling, and
// the button's picture.
#include "themed/SpTBXDkPanels.h"
#include "themed/TBXNexus.h"
#include "../platform/InputSim.h"
#include "TestSupport.h"
#include "platform/Forms.h"
#include "platform/ImgList.h"
#include "platform/SysColors.h"
#include "platform/UiServices.h"
#include <gtest/gtest.h>
#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>

namespace {

QImage Print(TControl &c)
{
    QImage image = BlankImage(c.Width(), c.Height(), clLime);
    TCanvas canvas(image);
    c.PaintTo(canvas, 0, 0);
    return image;
}

int Count(const QImage &image, TColor color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += PixelAt(image, x, y) == ColorToRGB(color);
    return n;
}

struct ParamShell final : IShell {
    QStringList opened;
    bool Open(const QString &target) override { return opened << target, true; }
    bool Open(const QString &target, const QString &parameters) override
    {
        return opened << target + " | " + parameters, true;
    }
};

void AddSolid(TCustomImageList &list, QColor colour)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    list.AddImage(image);
}

TEST(SpTBXTextObjects, LinkOwnerDrawImagesHintPictureAndButtonBitmap)
{
    SetCurrentTheme("Default");
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto *text = new TSpTBXTextObject(&form);
    text->SetParent(&form);
    text->SetAutoSize(false);
    text->SetBounds(0, 0, 120, 24);
    text->SetCaptionW("主页");
    text->Font()->SetColor(clBlack);
    form.Show();

    // A click opens the link with its parameters; over the link the caption takes the link's
    // font (blue), elsewhere the control's.
    ParamShell shell;
    SetShell(&shell);
    text->SetLinkText("https://example.org/");
    text->SetLinkTextParams("--new-window");
    text->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam({5, 5}));
    text->Perform(WM_LBUTTONUP, 0, PointToLParam({5, 5}));
    SetShell(&TestShell());
    EXPECT_EQ(shell.opened, QStringList{"https://example.org/ | --new-window"});
    EXPECT_EQ(Count(Print(*text), clBlue), 0);
    SetControlUnderCursorSource([&] { return text; });
    text->Perform(WM_MOUSEMOVE, 0, PointToLParam({5, 5}));
    ASSERT_TRUE(text->MouseInControl());
    EXPECT_GT(Count(Print(*text), clBlue), 0);
    SetControlUnderCursorSource([] { return nullptr; });
    PanelHoverCheck();
    SetControlUnderCursorSource(nullptr);
    text->SetLinkText("");

    // OnDrawCaption sees where the caption goes; without the default no text is drawn.
    std::vector<TRect> rects;
    bool paintCaption = true;
    text->OnDrawCaption = [&](TComponent *, TCanvas &, const TRect &, QString &, TRect &r, bool, TSpTBXPaintStage,
                              bool &paintDefault) {
        rects.push_back(r);
        paintDefault = paintCaption;
    };
    text->Invalidate();
    EXPECT_GT(Count(Print(*text), clBlack), 0);
    ASSERT_EQ(rects.size(), 2u) << "before and after";
    EXPECT_EQ(rects[0], rects[1]);
    paintCaption = false;
    text->Invalidate();
    EXPECT_EQ(Count(Print(*text), clBlack), 0);
    text->OnDrawCaption = nullptr;

    // OnGetImageIndex picks the list and image; the image list's changes and its end reach
    // the control.
    auto reds = std::make_unique<TImageList>(nullptr);
    TImageList greens(nullptr);
    AddSolid(*reds, Qt::red);
    AddSolid(greens, Qt::green);
    text->SetImages(reds.get());
    text->SetImageIndex(0);
    EXPECT_GT(Count(Print(*text), clRed), 100);
    text->OnGetImageIndex = [&](TComponent *, TCustomImageList *&list, int &index) {
        list = &greens;
        index = 0;
    };
    text->Invalidate();
    const QImage chosen = Print(*text);
    EXPECT_EQ(std::tuple(Count(chosen, clRed), Count(chosen, clLime) > 100), std::tuple(0, true));
    text->OnGetImageIndex = nullptr;
    reds.reset();
    EXPECT_EQ(text->Images(), nullptr) << "a list that is gone is no longer drawn";
    text->Invalidate();
    EXPECT_EQ(Count(Print(*text), clRed), 0);

    // The hint is a picture in the info colours, which OnDrawHint may paint instead.
    THintInfo hint;
    hint.HintStr = QStringLiteral("打开主页");
    text->Perform(CM_HINTSHOW, 0, LPARAM(&hint));
    ASSERT_TRUE(bool(hint.HintWindowClass));
    EXPECT_EQ(std::tuple(hint.HintData, SpHintBitmap().Canvas()->Pixel(SpHintBitmap().Width() - 2, 1)),
              std::tuple(static_cast<const void *>(&SpHintBitmap()), ColorToRGB(clInfoBk)));
    QString offered;
    text->OnDrawHint = [&](TComponent *, TBitmap &bitmap, QString &h, bool &paintDefault) {
        offered = h;
        bitmap.Canvas()->Brush()->SetColor(clFuchsia);
        bitmap.Canvas()->FillRect({0, 0, bitmap.Width(), bitmap.Height()});
        paintDefault = false;
    };
    text->Perform(CM_HINTSHOW, 0, LPARAM(&hint));
    EXPECT_EQ(offered, QStringLiteral("打开主页"));
    EXPECT_EQ(SpHintBitmap().Canvas()->Pixel(SpHintBitmap().Width() - 2, 1), ColorToRGB(clFuchsia));

    // A button's picture: its bottom-left colour left out when transparent.
    auto *button = new TSpTBXButton(&form);
    button->SetParent(&form);
    button->SetBounds(0, 40, 80, 30);
    TBitmap picture;
    picture.SetSize(20, 20);
    picture.Canvas()->Brush()->SetColor(clFuchsia);
    picture.Canvas()->FillRect({0, 0, 20, 20});
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect({5, 5, 15, 15});
    button->SetBitmap(picture);
    struct Case { bool transparent; int fuchsia; };
    for (const Case c : {Case{true, 0}, Case{false, 400 - 100}}) {
        button->SetBitmapTransparent(c.transparent);
        const QImage face = Print(*button);
        EXPECT_EQ(std::tuple(Count(face, clRed), Count(face, clFuchsia)), std::tuple(100, c.fuchsia))
            << "transparent " << c.transparent;
    }
}

TEST(SpTBXTextObjects, FocusScrollsIntoViewUnlessTakenByAClickThatMustNotScrollAndShowsOneRectangle)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto *area = new QScrollArea(&form);
    area->setGeometry(0, 0, 300, 200);
    auto *host = new TCustomControl(nullptr);
    host->SetBounds(0, 0, 280, 1000);
    area->setWidget(host);
    auto *button = new TSpTBXButton(nullptr);
    button->SetParent(host);
    button->SetBounds(10, 900, 80, 25);
    form.Show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(sim::WaitFor([&] { return form.isActiveWindow(); }));
    QScrollBar *bar = area->verticalScrollBar();
    struct Case { const char *how; bool noScrollOnClick; bool byClick; bool scrolls; };
    const Case cases[] = {
        {"focused by the keyboard", false, false, true},
        {"by a click that must not scroll", true, true, false},
        {"by the keyboard, the flag set", true, false, true},
    };
    for (const Case &c : cases) {
        button->SetNoScrollOnClick(c.noScrollOnClick);
        form.SetFocus();
        host->setFocus();
        bar->setValue(0);
        if (c.byClick)
            button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam({5, 5}));
        else
            button->SetFocus();
        ASSERT_TRUE(sim::WaitFor([&] { return button->hasFocus(); })) << c.how;
        EXPECT_EQ(bar->value() > 0, c.scrolls) << c.how;
        if (c.byClick)
            button->Perform(WM_LBUTTONUP, 0, PointToLParam({5, 5}));
    }
    // Focused, a button shows one focus rectangle: in the theme's look inside its margins, in the
    // desktop's look only that look's own, three pixels in.
    button->Margins().SetLeft(5);
    button->Margins().SetBottom(7);
    struct Look { TSpTBXThemeType type; TRect focus; };
    for (const Look &l : {Look{TSpTBXThemeType::thtTBX, {5, 0, 80, 18}},
                          Look{TSpTBXThemeType::thtWindows, {3, 3, 77, 22}}}) {
        button->SetThemeType(l.type);
        TCanvas canvas;
        TCanvasRecorder recorder;
        canvas.SetRecorder(&recorder);
        button->Perform(WM_PAINT, WPARAM(&canvas));
        const auto rects = recorder.Of(TCanvasOp::DrawFocusRect);
        ASSERT_EQ(rects.size(), 1u) << int(l.type);
        EXPECT_EQ(rects[0]->Rect, l.focus) << int(l.type);
    }
}

TEST(SpTBXTextObjects, TheHandPointerStaysOverALinkWhileThePointerMoves)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto *text = new TSpTBXTextObject(&form);
    text->SetParent(&form);
    text->SetBounds(0, 0, 120, 24);
    text->SetCaptionW("主页");
    form.Show();
    SetControlUnderCursorSource([&] { return text; });
    const auto pointer = [&] { return text->testAttribute(Qt::WA_SetCursor) ? text->cursor().shape() : Qt::ArrowCursor; };

    // Each move asks the control for its pointer before it moves over it.
    struct Case { QString link; TCursor screen; Qt::CursorShape shape; };
    for (const Case &c : {Case{"https://example.org/", crDefault, Qt::PointingHandCursor},
                          Case{"", crDefault, Qt::ArrowCursor},
                          Case{"https://example.org/", crHourGlass, Qt::ArrowCursor}}) {
        text->SetLinkText(c.link);
        Screen()->SetCursor(c.screen);
        for (int x : {5, 6, 7})
            sim::Move(text, {x, 5});
        EXPECT_EQ(pointer(), c.shape) << c.link.toStdString() << " screen cursor " << int(c.screen);
        Screen()->SetCursor(crDefault);
        SetControlUnderCursorSource([] { return nullptr; });
        PanelHoverCheck();
        SetControlUnderCursorSource([&] { return text; });
    }
    SetControlUnderCursorSource(nullptr);
}

TEST(SpTBXTextObjects, EnterClicksTheFocusedTextControlOnly)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 100);
    QStringList clicks;
    std::vector<TSpTBXTextObject *> texts;
    for (const char *caption : {"主页", "帮助"}) {
        auto *text = new TSpTBXTextObject(&form);
        text->SetParent(&form);
        text->SetCaptionW(caption);
        text->SetBounds(10 + 100 * int(texts.size()), 10, 80, 20);
        text->SetTabStop(true);
        text->OnClick = [&clicks, caption](TComponent *) { clicks << caption; };
        texts.push_back(text);
    }
    form.Show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(sim::WaitFor([&] { return form.isActiveWindow(); }));
    texts[1]->SetFocus();
    ASSERT_TRUE(sim::WaitFor([&] { return texts[1]->hasFocus(); }));
    sim::Key(texts[1], Qt::Key_Return);
    sim::Key(texts[1], Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(clicks, QStringList{"帮助"}) << "Enter without shift keys, on the focused one";
}

} // namespace
