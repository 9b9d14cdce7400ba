// What the controls give the framework above them: painting onto a canvas they are handed,
// a popup menu of their own for their client area, WM_ENABLE when a modal window blocks a
// window, and the actions brought up to date when the program idles.
#include "ControlTestSupport.h"
#include "platform/Forms.h"
#include "platform/Menus.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTimer>

namespace {

// Paints its client area red through its own canvas.
class TRedControl : public TCustomControl
{
public:
    using TCustomControl::TCustomControl;
    std::vector<WPARAM> enables;
protected:
    bool ShowsWithoutParent() const override { return true; }
    TRect NCMargins() const override { return {2, 2, 2, 2}; }
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(ClientRect());
    }
    void WndProc(TMessage &m) override
    {
        if (m.Msg == WM_ENABLE)
            enables.push_back(m.WParam);
        TCustomControl::WndProc(m);
    }
};

class TRecordingMenu : public TPopupMenu
{
public:
    using TPopupMenu::TPopupMenu;
    void Popup(int X, int Y) override { shown.push_back({PopupComponent(), TPoint{X, Y}}); }
    std::vector<std::pair<TComponent *, TPoint>> shown;
};

TEST(ControlsPaint, WMPaintWithAnotherCanvasPaintsOnThatCanvas)
{
    TRedControl control(nullptr);
    control.SetBounds(10, 10, 20, 20);
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas(image);
    control.Perform(WM_PAINT, WPARAM(&canvas));
    EXPECT_EQ(canvas.Pixel(3, 3), clRed);
    EXPECT_EQ(canvas.Pixel(15, 15), clRed);
    // Its own canvas is its own again afterwards.
    EXPECT_NE(control.Canvas(), &canvas);
}

TEST(ControlsPaint, AClientAreaContextMenuPopsTheControlsMenu)
{
    TRedControl control(nullptr);
    control.SetBounds(100, 100, 60, 40);
    control.Show();
    TRecordingMenu menu(nullptr);
    control.SetPopupMenu(&menu);
    const struct {
        const char *name;
        TPoint screen;  // of the request; (-1, -1) is the keyboard's
        bool autoPopup, handledByEvent;
        bool shown;
        TPoint at;
    } cases[] = {
        {"client area", control.ClientToScreen({5, 6}), true, false, true, control.ClientToScreen({5, 6})},
        {"keyboard", {-1, -1}, true, false, true, control.ClientToScreen({0, 0})},
        {"frame", control.ClientToScreen({-1, 5}), true, false, false, {}},
        {"no auto popup", control.ClientToScreen({5, 6}), false, false, false, {}},
        {"OnContextPopup took it", control.ClientToScreen({5, 6}), true, true, false, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        menu.shown.clear();
        menu.SetAutoPopup(c.autoPopup);
        control.OnContextPopup = [&](TComponent *, TPoint, bool &handled) { handled = c.handledByEvent; };
        const LRESULT result = control.Perform(WM_CONTEXTMENU, 0, PointToLParam(c.screen));
        EXPECT_EQ(result != 0, c.shown || c.handledByEvent);
        ASSERT_EQ(menu.shown.size(), c.shown ? 1u : 0u);
        if (c.shown) {
            EXPECT_EQ(menu.shown[0].first, &control);
            EXPECT_EQ(menu.shown[0].second, c.at);
        }
    }
    {
        // A menu that goes is forgotten by its control.
        TRecordingMenu gone(nullptr);
        control.SetPopupMenu(&gone);
    }
    EXPECT_EQ(control.PopupMenu(), nullptr);
}

TEST(ControlsPaint, AModalWindowDisablesTheOthersByWMEnable)
{
    TRedControl window(nullptr);
    window.SetBounds(100, 100, 60, 40);
    window.Show();
    {
        TForm dialog(nullptr);
        dialog.SetBounds(150, 150, 100, 80);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.Show();
        EXPECT_TRUE(sim::WaitFor([&] { return window.enables == std::vector<WPARAM>{0}; }));
        dialog.Hide();
    }
    EXPECT_TRUE(sim::WaitFor([&] { return window.enables == (std::vector<WPARAM>{0, 1}); }));
}

// Updates a counter whenever it is asked to update its action.
class TActionControl : public TCustomControl
{
public:
    using TCustomControl::TCustomControl;
    void InitiateAction() override { ++asked; }
    int asked = 0;
};

TEST(ControlsPaint, IdleTimeUpdatesTheActionsOfShownFormsOnly)
{
    TForm shown(nullptr), hidden(nullptr);
    auto *a = new TActionControl(&shown);
    a->SetParent(&shown);
    auto *b = new TActionControl(&hidden);
    b->SetParent(&hidden);
    shown.Show();
    // Runs the loop until it would wait for an event.
    QEventLoop loop;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                     &QEventLoop::quit);
    QTimer::singleShot(0, &loop, [] {});
    loop.exec();
    EXPECT_GT(a->asked, 0);
    EXPECT_EQ(b->asked, 0);
}

} // namespace
