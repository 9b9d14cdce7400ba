// The common routines: menu texts, rounding and sorting, frames drawn on a canvas, vertical text,
// printing windows, and painting what is pending.
#include "TB2TestSupport.h"
#include "TestSupport.h"
#include "toolbar/TB2Common.h"

#include <QTest>
#include <random>

namespace {

TEST(TB2Common, DivRoundUpMovesAwayFromZeroAndListSortExStaysInsideTheList)
{
    const struct { int a, b, expected; } cases[] = {
        {7, 2, 4}, {-7, 2, -4}, {6, 2, 3}, {7, -2, -4}, {-7, -2, 4}, {0, 5, 0}, {1, 3, 1}};
    for (const auto &c : cases)
        EXPECT_EQ(DivRoundUp(c.a, c.b), c.expected) << c.a << "/" << c.b;
    EXPECT_THROW(DivRoundUp(1, 0), Exception);
    std::vector<int> values(200);
    std::mt19937 rng(7);
    for (int &v : values)
        v = int(rng() % 50);
    std::vector<int> sorted = values;
    ListSortEx(sorted, [](int a, int b) { return a - b; });
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
    // A comparison that contradicts itself must still leave a permutation, inside the list.
    std::vector<int> shuffled = values;
    ListSortEx(shuffled, [&](int, int) { return int(rng() % 3) - 1; });
    std::sort(shuffled.begin(), shuffled.end());
    EXPECT_EQ(shuffled, sorted);
}

TEST(TB2Common, MenuTextRoutines)
{
    const struct { QString text, stripped; char32_t accel; QString escaped, trimmed; } cases[] = {
        {"&File", "File", U'F', "&&File", "&File"},
        {"Save && Exit", "Save & Exit", 0, "Save &&&& Exit", "Save && Exit"},
        {"文件(&F)...", "文件(F)...", U'F', "文件(&&F)...", "文件(&F)"},
        {"&&&打开:", "&打开:", U'打', "&&&&&&打开:", "&&&打开"},
        {"&新建&窗口", "新建窗口", U'窗', "&&新建&&窗口", "&新建&窗口"},
        {"名称：", "名称：", 0, "名称：", "名称："},
        {"等待……", "等待……", 0, "等待……", "等待……"},
        {"末尾&", "末尾", 0, "末尾&&", "末尾&"},
        {"x::", "x::", 0, "x::", "x:"},
        {"a....", "a....", 0, "a....", "a."},
        {"a..", "a..", 0, "a..", "a.."},
        {QString::fromUtf8("\xF0\xA0\x80\x80&\xF0\xA0\x80\x81..."), QString::fromUtf8("\xF0\xA0\x80\x80\xF0\xA0\x80\x81..."),
         char32_t(0x20001), QString::fromUtf8("\xF0\xA0\x80\x80&&\xF0\xA0\x80\x81..."),
         QString::fromUtf8("\xF0\xA0\x80\x80&\xF0\xA0\x80\x81")},
        {"", "", 0, "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(StripAccelChars(c.text), c.stripped);
        EXPECT_EQ(FindAccelChar(c.text), c.accel);
        EXPECT_EQ(EscapeAmpersands(c.text), c.escaped);
        EXPECT_EQ(StripTrailingPunctuation(c.text), c.trimmed);
        EXPECT_EQ(StripAccelChars(EscapeAmpersands(c.text)), c.text);
    }
}

QImage FrameOnWhite(const TRect &r, TSize size, const TBrush &brush)
{
    QImage image = BlankImage(24, 24);
    TCanvas canvas(image);
    DrawInvertRect(&canvas, &r, nullptr, size, {}, &brush, &brush);
    return image;
}

TEST(TB2Common, DrawInvertRectOnCanvas)
{
    TBrush white;
    white.SetColor(clWhite);
    const TRect first = Rect(2, 2, 12, 12), second = Rect(4, 5, 16, 14);
    const TSize size{2, 3};
    QImage image = FrameOnWhite(first, size, white);
    TCanvas canvas(image);
    // The frame, its interior, and right and bottom exclusive.
    ExpectPixels(image, {{2, 2, clBlack}, {3, 11, clBlack}, {4, 5, clWhite}, {12, 12, clWhite}});
    // Moving with the same brush draws only the difference; the result is the new frame alone.
    DrawInvertRect(&canvas, &second, &first, size, size, &white, &white);
    EXPECT_EQ(image, FrameOnWhite(second, size, white));
    // With another brush for the old frame the two are drawn one after the other.
    TBrush white2;
    white2.SetColor(clWhite);
    DrawInvertRect(&canvas, &first, &second, size, size, &white, &white2);
    EXPECT_EQ(image, FrameOnWhite(first, size, white));
    DrawInvertRect(&canvas, nullptr, &first, {}, size, &white, &white);
    EXPECT_EQ(image, BlankImage(24, 24));
    // The halftone brush inverts every other pixel of the frame, none of the interior.
    DrawHalftoneInvertRect(&canvas, &first, nullptr, size, {});
    ExpectPixels(image, {{2, 2, clWhite}, {3, 2, clBlack}, {2, 3, clBlack}, {5, 6, clWhite}});
    DrawHalftoneInvertRect(&canvas, nullptr, &first, {}, size);
    EXPECT_EQ(image, BlankImage(24, 24));
}

// Bounding box of the pixels that are not white.
QRect InkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(TB2Common, VerticalTextReadsDownwardInsideItsRectangle)
{
    QImage image(80, 200, QImage::Format_RGB32);
    const QString text = QStringLiteral("文件&打开 Open");
    // Shortened with "..." it fits even unclipped.
    const struct { unsigned format; TRect r; } cases[] = {
        {0, Rect(20, 10, 44, 190)}, {DT_CENTER, Rect(20, 10, 44, 190)},
        {DT_NOPREFIX | DT_HIDEPREFIX, Rect(20, 10, 44, 190)}, {DT_END_ELLIPSIS | DT_NOCLIP, Rect(20, 10, 44, 60)}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format);
        image.fill(Qt::white);
        TCanvas canvas(image);
        canvas.SetBkMode(TRANSPARENT);
        canvas.Font()->SetColor(clBlack);
        DrawVerticalText(canvas, text, c.r, c.format);
        const QRect ink = InkBox(image);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GT(ink.height(), 2 * ink.width());
        EXPECT_TRUE(c.r.ToQRect().contains(ink));
        EXPECT_EQ(canvas.Font()->Orientation(), 0);
    }
    TCanvas canvas(image);
    TFont vertical;
    canvas.Font()->SetName(QStringLiteral("MS Sans Serif"));
    CreateVerticalFont(canvas, vertical);
    EXPECT_EQ(vertical.Name(), QStringLiteral("Arial"));
    EXPECT_EQ(vertical.Orientation(), 2700);
    EXPECT_GT(vertical.Height(), 0);
}

// A window that prints itself with a red frame of its own, a client area in its colour and
// whatever children it is given; it logs the paint and user messages it gets.
class TPrintee : public TCustomControl
{
public:
    explicit TPrintee(TComponent *owner, TColor color, int frame) : TCustomControl(owner), frame_(frame)
    {
        SetColor(color);
    }
    TRect NCMargins() const override { return {frame_, frame_, frame_, frame_}; }
    QStringList log;
protected:
    bool ShowsWithoutParent() const override { return true; }
    void WndProc(TMessage &m) override
    {
        if (m.Msg == WM_PAINT || m.Msg == WM_USER)
            log << QString::number(m.Msg);
        if (m.Msg == WM_PRINT) {
            HandleWMPrint(this, m, [](TControl *w, TCanvas &c) {
                const TRect nc = w->NCMargins();
                c.ExcludeClipRect(Rect(nc.Left, nc.Top, w->Width() - nc.Right, w->Height() - nc.Bottom));
                c.Brush()->SetColor(clRed);
                c.FillRect(Rect(0, 0, w->Width(), w->Height()));
            });
        } else if (m.Msg == WM_PRINTCLIENT) {
            HandleWMPrintClient(this, m);
        } else {
            TCustomControl::WndProc(m);
        }
    }
private:
    int frame_;
};

TEST(TB2Common, HandleWMPrintPrintsFrameClientChildrenAndOwnedWindows)
{
    auto *window = new TPrintee(nullptr, clBlue, 3);
    window->SetBounds(100, 100, 60, 40);
    auto *child = new TPrintee(window, clLime, 0);
    child->SetParent(window);
    child->SetBounds(10, 5, 20, 10);
    auto *owned = new TPrintee(window, clYellow, 0);
    owned->SetBounds(140, 120, 10, 10);
    window->Show();
    owned->Show();
    QImage image(60, 40, QImage::Format_RGB32);
    const struct { LPARAM flags; TColor frame, client, child, owned; } cases[] = {
        {PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN, clRed, clBlue, clLime, clBlue},
        {PRF_CLIENT | PRF_ERASEBKGND | PRF_OWNED, clWhite, clBlue, clBlue, clYellow},
        {PRF_NONCLIENT, clRed, clWhite, clWhite, clWhite},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.flags);
        image.fill(Qt::white);
        TCanvas canvas(image);
        EXPECT_EQ(window->Perform(WM_PRINT, WPARAM(&canvas), c.flags), 1);
        // The frame, the client area, the child's corners inside the 3-px frame, the owned window.
        ExpectPixels(image, {{1, 1, c.frame}, {58, 38, c.frame}, {5, 30, c.client}, {13, 8, c.child},
                              {32, 17, c.child}, {33, 17, c.client}, {45, 25, c.owned}});
    }
    window->Hide();
    image.fill(Qt::white);
    TCanvas canvas(image);
    EXPECT_EQ(window->Perform(WM_PRINT, WPARAM(&canvas), PRF_CHECKVISIBLE | PRF_NONCLIENT | PRF_CLIENT), 1);
    EXPECT_EQ(canvas.Pixel(1, 1), clWhite);
    delete window;
}

TEST(TB2Common, ProcessPaintMessagesPaintsAndLeavesTheRestQueued)
{
    TPrintee window(nullptr, clBlue, 0);
    window.SetBounds(10, 10, 30, 30);
    window.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.log.clear();
    window.Invalidate();
    window.PostMessage(WM_USER);
    ProcessPaintMessages();
    EXPECT_EQ(window.log, QStringList{QString::number(WM_PAINT)});
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_EQ(window.log.last(), QString::number(WM_USER));
}

} // namespace
