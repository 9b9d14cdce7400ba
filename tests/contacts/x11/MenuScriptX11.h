#pragma once
// What the x11 menu tests share: steps run inside a menu's own loop, and the open menu's items.
#include "XTestPointer.h"

#include "themed/TBX.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemView.h"
#include "toolbar/TB2ItemWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

inline TTBCustomItem *ItemCaptioned(TTBCustomItem *root, const QString &caption)
{
    for (int i = 0; i < root->Count(); ++i)
        if (root->Items(i)->Caption() == caption)
            return root->Items(i);
    return nullptr;
}

inline void PointAt(XTestPointer &pointer, const TRect &r)
{
    pointer.MoveTo((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

inline void ClickOn(XTestPointer &pointer, const TRect &r) { PointAt(pointer, r), pointer.Click(); }

// Steps run from a timer, so they go on inside a menu's own loop; each answers true when done.
// A script that stalls closes the menus with Escape.
class TScript
{
public:
    TScript(XTestPointer &pointer, std::vector<std::function<bool()>> steps) : steps_(std::move(steps))
    {
        patience_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this, &pointer] {
            if (next_ < steps_.size() && steps_[next_]())
                ++next_;
            else if (next_ < steps_.size() && patience_.elapsed() > 10000) {
                ADD_FAILURE() << "step " << next_ << " of the script never came true";
                next_ = steps_.size();
                pointer.Keys({"Escape"});
                pointer.Keys({"Escape"});
            }
        });
        timer_.start(10);
    }
    bool Done() const { return next_ == steps_.size(); }

private:
    std::vector<std::function<bool()>> steps_;
    size_t next_ = 0;
    QElapsedTimer patience_;
    QTimer timer_;
};

inline TTBPopupWindow *OpenRootPopup()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *popup = dynamic_cast<TTBPopupWindow *>(w);
        if (popup && popup->isVisible() && !popup->View()->ParentView())
            return popup;
    }
    return nullptr;
}

// The viewer of the root menu's item with this caption (a key shown after a tab left out).
inline TTBItemViewer *ViewerCaptioned(const QString &caption)
{
    TTBView *view = OpenRootPopup() ? OpenRootPopup()->View() : nullptr;
    for (int i = 0; view && i < view->ViewerCount(); ++i)
        if (view->Viewers(i)->Item->Caption().section('\t', 0, 0) == caption)
            return view->Viewers(i);
    return nullptr;
}
