#pragma once
// Views of themed items on a window that answers its view type, as themed toolbars and popups do.
#include "themed/TBX.h"
#include "themed/TBXNexus.h"
#include "TestSupport.h"
#include "platform/Controls.h"
#include <QImage>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

struct TViewTypeWindow : TCustomControl {
    explicit TViewTypeWindow(int viewType) : TCustomControl(nullptr), viewType(viewType) {}
    int ViewType() const { return viewType; }
    void WndProc(TMessage &m) override
    {
        if (m.Msg == TBXM_GETVIEWTYPE)
            m.Result = viewType;
        else
            TCustomControl::WndProc(m);
    }
    int viewType;
};

// What a painter leaves on a w x h image of pure green.
inline QImage Paint(int w, int h, const std::function<void(TCanvas &)> &paint)
{
    QImage image = BlankImage(w, h, clLime);
    TCanvas canvas(image);
    paint(canvas);
    return image;
}

// A control that logs the theme-change messages it gets.
struct Listening : TCustomControl {
    using Log = std::vector<std::pair<WPARAM, LPARAM>>;
    explicit Listening(Log *log) : TCustomControl(nullptr), log(log) { AddThemeListener(this); }
    ~Listening() override { RemoveThemeListener(this); }
    void WndProc(TMessage &m) override
    {
        if (m.Msg == TBXM_CONTROLCHANGE) {
            log->push_back({m.WParam, m.LParam});
            if (onMessage)
                onMessage();
        }
        TCustomControl::WndProc(m);
    }
    Log *log;
    std::function<void()> onMessage;
};

// A root item, a window and a laid-out view of the root's children.
struct TThemedView {
    explicit TThemedView(int viewType) : window(std::make_unique<TViewTypeWindow>(viewType)) {}
    TTBView &Open()
    {
        view = std::make_unique<TTBView>(nullptr, nullptr, root.get(), window.get(), IsToolbarView(window->ViewType()),
                                         false, false);
        view->UpdatePositions(size);
        return *view;
    }
    // Draws the items as the view's window would.
    void Paint()
    {
        QImage image(size.X, size.Y, QImage::Format_RGB32);
        TCanvas canvas(image);
        view->DrawSubitems(canvas);
    }
    std::unique_ptr<TTBRootItem> root = std::make_unique<TTBRootItem>(nullptr);
    std::unique_ptr<TViewTypeWindow> window;
    std::unique_ptr<TTBView> view;
    TPoint size;
};
