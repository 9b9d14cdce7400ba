#pragma once
// Views of themed items on a window that answers its view type, as themed toolbars and popups do.
#include "themed/TBX.h"

#include "platform/Controls.h"

#include <QImage>
#include <memory>

class TViewTypeWindow : public TCustomControl
{
public:
    explicit TViewTypeWindow(int viewType) : TCustomControl(nullptr), viewType_(viewType) {}
    int ViewType() const { return viewType_; }

protected:
    void WndProc(TMessage &m) override
    {
        if (m.Msg == TBXM_GETVIEWTYPE) {
            m.Result = viewType_;
            return;
        }
        TCustomControl::WndProc(m);
    }

private:
    int viewType_;
};

// A root item, a window and a laid-out view of the root's children.
struct TThemedView {
    explicit TThemedView(int viewType)
        : root(std::make_unique<TTBRootItem>(nullptr)), window(std::make_unique<TViewTypeWindow>(viewType))
    {
    }
    ~TThemedView()
    {
        view.reset();
        window.reset();
        root.reset();
    }
    TTBView &Open()
    {
        view = std::make_unique<TTBView>(nullptr, nullptr, root.get(), window.get(), IsToolbarView(window->ViewType()),
                                         false, false);
        TPoint s;
        view->UpdatePositions(s);
        size = s;
        return *view;
    }

    // Paints the view as a themed window would: its frame (popups), background and items.
    QImage Paint()
    {
        TTBXTheme *theme = CurrentTheme();
        const int vt = window->ViewType();
        TPoint border;
        if (IsPopupView(vt))
            theme->GetViewBorder(vt, border);
        QImage image(size.X + 2 * border.X, size.Y + 2 * border.Y, QImage::Format_RGB32);
        TCanvas canvas(image);
        const TRect whole{0, 0, image.width(), image.height()};
        if (IsPopupView(vt)) {
            TTBXPopupInfo info;
            info.ViewType = vt;
            info.BorderSize = border;
            theme->PaintPopupNCArea(canvas, whole, info);
        }
        canvas.MoveWindowOrg(border.X, border.Y);
        const TRect client{0, 0, size.X, size.Y};
        theme->PaintBackground(canvas, {}, client, client, theme->GetViewColor(vt), false, vt);
        view->DrawSubitems(canvas);
        return image;
    }

    std::unique_ptr<TTBRootItem> root;
    std::unique_ptr<TViewTypeWindow> window;
    std::unique_ptr<TTBView> view;
    TPoint size;
};
