// Popup windows against a real X server (run under xvfb-run): real pointer input by XTest.
#include "../ControlTestSupport.h"
#include "platform/Forms.h"

#include <QTest>
#include <dlfcn.h>

namespace {

// Xlib and XTest are loaded at run time: the test needs nothing at build time but the
// libraries every X desktop has.
class TXTest
{
public:
    TXTest()
    {
        x11_ = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        xtst_ = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
        if (!x11_ || !xtst_)
            return;
        open_ = reinterpret_cast<OpenFn>(dlsym(x11_, "XOpenDisplay"));
        close_ = reinterpret_cast<CloseFn>(dlsym(x11_, "XCloseDisplay"));
        flush_ = reinterpret_cast<FlushFn>(dlsym(x11_, "XFlush"));
        motion_ = reinterpret_cast<MotionFn>(dlsym(xtst_, "XTestFakeMotionEvent"));
        button_ = reinterpret_cast<ButtonFn>(dlsym(xtst_, "XTestFakeButtonEvent"));
        if (open_ && close_ && flush_ && motion_ && button_)
            display_ = open_(nullptr);
    }
    ~TXTest()
    {
        if (display_)
            close_(display_);
        if (xtst_)
            dlclose(xtst_);
        if (x11_)
            dlclose(x11_);
    }
    bool Ready() const { return display_ != nullptr; }
    void Click(QPoint screen)
    {
        motion_(display_, -1, screen.x(), screen.y(), 0);
        button_(display_, 1, 1, 0);
        button_(display_, 1, 0, 0);
        flush_(display_);
    }

private:
    using Display = void;
    using OpenFn = Display *(*)(const char *);
    using CloseFn = int (*)(Display *);
    using FlushFn = int (*)(Display *);
    using MotionFn = int (*)(Display *, int, int, int, unsigned long);
    using ButtonFn = int (*)(Display *, unsigned, int, unsigned long);
    void *x11_ = nullptr;
    void *xtst_ = nullptr;
    Display *display_ = nullptr;
    OpenFn open_ = nullptr;
    CloseFn close_ = nullptr;
    FlushFn flush_ = nullptr;
    MotionFn motion_ = nullptr;
    ButtonFn button_ = nullptr;
};

// An activation change answers a click within a few event-loop turns; watching a while for
// one that must not come is the only way to see it stay away.
bool StaysTrue(const std::function<bool()> &condition)
{
    return !sim::WaitFor([&] { return !condition(); }, 300);
}

} // namespace

TEST(PopupX11, PopupNeverTakesActivationAndStaysUntilItsOwnerHidesIt)
{
    TXTest xtest;
    ASSERT_TRUE(xtest.Ready()) << "no X display or no XTest";

    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    form.Show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    THost popup;
    int presses = 0;
    int releases = 0;
    popup.onMessage = [&](TMessage &m) {
        presses += m.Msg == WM_LBUTTONDOWN;
        releases += m.Msg == WM_LBUTTONUP;
    };
    popup.SetWindowKinds({wkPopup, wkTopMost});
    popup.SetBounds(500, 150, 120, 90);
    popup.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&popup));

    // Clicked, the popup gets the press but the form stays the active window.
    xtest.Click(popup.mapToGlobal(QPoint(30, 30)));
    ASSERT_TRUE(sim::WaitFor([&] { return presses == 1 && releases == 1; }));
    EXPECT_TRUE(StaysTrue([&] { return QApplication::activeWindow() == &form && !popup.isActiveWindow(); }));

    // A click elsewhere does not close it: only its owner does.
    xtest.Click(form.mapToGlobal(QPoint(20, 20)));
    EXPECT_TRUE(StaysTrue([&] { return popup.isVisible() && QApplication::activeWindow() == &form; }));
}
