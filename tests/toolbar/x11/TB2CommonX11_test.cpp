// The desktop drag frame against a real X server (run under xvfb-run): the X server itself moves
// the pointer, so the windows get the motion it reports.
#include "XTestPointer.h"
#include "toolbar/TB2Common.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class TMoveLog : public QWidget
{
public:
    TMoveLog()
    {
        setMouseTracking(true);
        setStyleSheet(QStringLiteral("background: #00ff00"));
        setAttribute(Qt::WA_StyledBackground);
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
    XTestPointer pointer;
    ASSERT_TRUE(pointer.Valid());
    pointer.MoveTo(5, 5);
    TMoveLog below;
    below.setGeometry(100, 100, 300, 300);
    below.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&below));

    const TRect frame = Bounds(150, 150, 100, 100);
    DrawHalftoneInvertRect(nullptr, &frame, nullptr, {6, 6}, {});
    const QRgb green = 0x00FF00;
    // The frame is on top once it has been mapped and painted; its inside shows through.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ScreenPixel(152, 200) != green; }, 3000));
    EXPECT_EQ(ScreenPixel(200, 200), green);

    pointer.MoveTo(152, 200);
    EXPECT_TRUE(QTest::qWaitFor([&] { return below.last == QPoint(152, 200); }, 3000));
    DrawHalftoneInvertRect(nullptr, nullptr, &frame, {}, {6, 6});
}
