#pragma once
// Shared by the toolbar tests: a script of steps run inside a nested loop, items of a fixed size,
// submenus, and a look at the popup menus on screen.
#include "../platform/InputSim.h"
#include "platform/Forms.h"
#include "platform/SysParams.h"
#include "toolbar/TB2ItemWindow.h"
#include "toolbar/TB2Toolbar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

// Steps run one per event-loop pass while a nested loop (a drag, a menu) runs; a step answering
// false is tried again on the next pass. A step still waiting after five seconds, or a loop still
// open (when told how to see that) five seconds after the last step, fails the test and the
// bail-out step runs, so the loop ends.
class ScriptSteps
{
public:
    using Step = std::function<bool()>;
    explicit ScriptSteps(std::function<void()> bail) : bail_(std::move(bail))
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }
    // Bails out with `escapes` presses of Escape sent to `keys`.
    ScriptSteps(QWidget *keys, int escapes) : ScriptSteps([keys, escapes] {
        for (int i = 0; i < escapes; ++i)
            sim::Key(keys, Qt::Key_Escape);
    }) {}
    ScriptSteps &Then(Step s)
    {
        steps_.push_back(std::move(s));
        return *this;
    }
    ScriptSteps &Do(std::function<void()> f) { return Then([f] { return f(), true; }); }
    ScriptSteps &Key(QWidget *to, int key, const QString &text = {})
    {
        return Do([to, key, text] { sim::Key(to, key, Qt::NoModifier, text); });
    }
    void SetOpen(Step open) { open_ = std::move(open); }
    void Start()
    {
        waiting_.start();
        timer_.start();
    }
    bool Done() const { return steps_.empty(); }
private:
    void Tick()
    {
        const bool waiting = steps_.empty() ? open_ && open_() : !steps_.front()();
        if (!waiting && steps_.empty()) {
            timer_.stop();
        } else if (!waiting) {
            steps_.pop_front();
            waiting_.start();
        } else if (waiting_.elapsed() > 5000) {
            ADD_FAILURE() << (steps_.empty() ? "the loop stayed open after the last step"
                                             : "a scripted step never came true")
                          << " (" << steps_.size() << " left)";
            steps_.clear();
            timer_.stop();
            bail_();
        }
    }
    std::deque<Step> steps_;
    std::function<void()> bail_;
    Step open_;
    QTimer timer_;
    QElapsedTimer waiting_;
};

class TSubmenuItem : public TTBCustomItem
{
public:
    explicit TSubmenuItem(TComponent *AOwner) : TTBCustomItem(AOwner)
    {
        SetItemStyle(ItemStyle() | tbis::HasSubmenu | tbis::HoldsChildItems);
    }
};

// A toolbar button of the width in its Tag, 22 high, whatever the font.
class TWidthItem : public TTBCustomItem
{
    class TViewer : public TTBItemViewer
    {
    public:
        using TTBItemViewer::TTBItemViewer;
        void CalcSize(TCanvas &, int &AWidth, int &AHeight) override
        {
            AWidth = int(Item->Tag());
            AHeight = 22;
        }
    };
public:
    explicit TWidthItem(TComponent *AOwner, int Width = 40) : TTBCustomItem(AOwner) { SetTag(Width); }
    TTBItemViewerClass GetItemViewerClass(TTBView *) override
    {
        return [](TTBView *v, TTBCustomItem *i, int g) -> TTBItemViewer * { return new TViewer(v, i, g); };
    }
};

// Items added here log their clicks, and tell `heard` if set; opening a submenu clicks its item,
// so only plain items log.
struct ClickLog {
    std::vector<QString> clicks;
    std::function<void(const QString &)> heard;
    TTBCustomItem *Add(TTBCustomItem *parent, const QString &caption, TTBCustomItem *item = nullptr)
    {
        if (!item)
            item = new TTBItem(nullptr);
        item->SetCaption(caption);
        if (!(item->ItemStyle() & tbis::HasSubmenu))
            item->OnClick = [this, item](TComponent *) {
                clicks.push_back(item->Caption());
                if (heard)
                    heard(item->Caption());
            };
        parent->Add(item);
        return item;
    }
};

// A form on a single 800x600 screen and an empty popup menu whose menus open at once (the slide
// has tests of its own). The form is left hidden, so a test can put controls on it first.
class PopupMenuFixture : public ::testing::Test, protected ClickLog
{
protected:
    void SetUp() override
    {
        ResetSysParams();
        SysParams().Monitors = {{Rect(0, 0, 800, 600), Rect(0, 0, 800, 600)}};
        SysParams().MenuShowDelay = 1;
        SysParams().MenuAnimation = false;
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(500, 400, 200, 150);
        menu = std::make_unique<TTBPopupMenu>(nullptr);
    }
    void TearDown() override
    {
        menu.reset();
        form.reset();
        ResetSysParams();
    }
    std::unique_ptr<TForm> form;
    std::unique_ptr<TTBPopupMenu> menu;
};

inline std::vector<TTBPopupWindow *> Popups()
{
    std::vector<TTBPopupWindow *> list;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = dynamic_cast<TTBPopupWindow *>(w); p && p->isVisible())
            list.push_back(p);
    return list;
}

// The caption of the view's selected item; empty with none.
inline QString SelectedCaption(const TTBView *v) { return v && v->Selected() ? v->Selected()->Item->Caption() : ""; }

// The view of the outermost popup menu on screen.
inline TTBView *RootView()
{
    for (TTBPopupWindow *p : Popups())
        if (!p->View()->ParentView())
            return p->View();
    return nullptr;
}

inline QPoint Center(const TTBItemViewer *v)
{
    const TRect r = v->ScreenRect();
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}
