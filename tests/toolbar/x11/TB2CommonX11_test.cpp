// The desktop drag frame against a real X server (run under xvfb-run).
// The X server itself moves the pointer (a warp), so the windows get the motion it reports.
#include "toolbar/TB2Common.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace {

void WarpPointer(int x, int y)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_warp_pointer(c, XCB_NONE, root, 0, 0, 0, 0, std::int16_t(x), std::int16_t(y));
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // processed
    xcb_disconnect(c);
}

class TMoveLog : public QWidget
{
public:
    TMoveLog()
    {
        setMouseTracking(true);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::green);
        setPalette(p);
    }
    QPoint last{-1, -1};

protected:
    void mouseMoveEvent(QMouseEvent *e) override { last = e->globalPosition().toPoint(); }
};

QRgb ScreenPixel(int x, int y)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, x, y, 1, 1).toImage().pixel(0, 0) & 0xFFFFFF;
}

} // namespace

TEST(TB2CommonX11, PointerPassesThroughTheDesktopDragFrame)
{
    WarpPointer(5, 5);
    TMoveLog below;
    below.setGeometry(100, 100, 300, 300);
    below.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&below));

    const TRect frame = Bounds(150, 150, 100, 100);
    DrawHalftoneInvertRect(nullptr, &frame, nullptr, {6, 6}, {});
    const QRgb green = qRgb(0, 255, 0) & 0xFFFFFF;
    // The frame is on top once it has been mapped and painted.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ScreenPixel(152, 200) != green; }, 3000));
    EXPECT_EQ(ScreenPixel(200, 200), green);  // its inside shows through

    WarpPointer(152, 200);
    EXPECT_TRUE(QTest::qWaitFor([&] { return below.last == QPoint(152, 200); }, 3000));
    DrawHalftoneInvertRect(nullptr, nullptr, &frame, {}, {6, 6});
}
