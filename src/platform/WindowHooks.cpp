#include "WindowHooks.h"

#include "Controls.h"
#include "InputRouter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <array>
#include <unordered_set>

namespace {

struct TSubscriber {
    THookProc proc;
    THookProcCodes codes;
    struct TUser {
        void *user;
        std::array<bool, 3> counted;
    };
    std::vector<TUser> users;
};

THookType TypeOfCode(THookProcCode code)
{
    switch (code) {
    case hpPreDestroy: return THookType::htCBT;
    case hpGetMessage: return THookType::htGetMessage;
    default: return THookType::htCallWndProc;
    }
}

class THookFilter : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void WatchWindow(QWidget *w);
    bool RaiseGetMessage(QWidget *w, QEvent *event);

    std::unordered_set<QObject *> watched_;
};

struct THookState {
    std::vector<TSubscriber> subscribers;
    std::array<int, 3> counts{};
    QPointer<THookFilter> filter;
};

THookState &State()
{
    static THookState state;
    return state;
}

void Raise(THookProcCode code, QWidget *wnd, WPARAM wParam, LPARAM lParam)
{
    // A subscriber may unsubscribe (or subscribe) while it runs: walk a copy.
    std::vector<THookProc> procs;
    for (const TSubscriber &s : State().subscribers) {
        if (s.codes.Contains(code))
            procs.push_back(s.proc);
    }
    for (THookProc proc : procs)
        proc(code, wnd, wParam, lParam);
}

bool Counted(THookType type) { return State().counts[size_t(type)] > 0; }

void UpdateFilter()
{
    THookState &st = State();
    const bool needed = std::any_of(st.counts.begin(), st.counts.end(), [](int c) { return c > 0; });
    if (needed && !st.filter && qApp) {
        st.filter = new THookFilter;
        st.filter->setParent(qApp);
        qApp->installEventFilter(st.filter);
    } else if (!needed && st.filter) {
        delete st.filter.data();
    }
}

UINT KeyMessage(const QKeyEvent *ke, bool down)
{
    const bool sys = ke->modifiers().testFlag(Qt::AltModifier) || ke->key() == Qt::Key_Alt || ke->key() == Qt::Key_F10;
    if (down)
        return sys ? WM_SYSKEYDOWN : WM_KEYDOWN;
    return sys ? WM_SYSKEYUP : WM_KEYUP;
}

UINT MouseMessage(const QMouseEvent *me)
{
    int base = 0;
    switch (me->button()) {
    case Qt::LeftButton: base = WM_LBUTTONDOWN; break;
    case Qt::RightButton: base = WM_RBUTTONDOWN; break;
    case Qt::MiddleButton: base = WM_MBUTTONDOWN; break;
    default: return me->type() == QEvent::MouseMove ? WM_MOUSEMOVE : WM_NULL;
    }
    switch (me->type()) {
    case QEvent::MouseButtonPress: return UINT(base);
    case QEvent::MouseButtonRelease: return UINT(base + 1);
    case QEvent::MouseButtonDblClick: return UINT(base + 2);
    default: return WM_MOUSEMOVE;
    }
}

} // namespace

void THookFilter::WatchWindow(QWidget *w)
{
    if (watched_.count(w) || dynamic_cast<TControl *>(w))
        return;
    watched_.insert(w);
    // The pointer is taken while the window is whole; on destruction it is only an identity.
    connect(w, &QObject::destroyed, this, [this, w](QObject *obj) {
        watched_.erase(obj);
        if (Counted(THookType::htCBT))
            Raise(hpPreDestroy, w, 0, 0);
    });
}

bool THookFilter::RaiseGetMessage(QWidget *w, QEvent *event)
{
    std::vector<THookMsg> msgs;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *ke = static_cast<QKeyEvent *>(event);
        const bool down = event->type() == QEvent::KeyPress;
        const int vk = VirtualKeyFromQt(ke->key(), ke->modifiers().testFlag(Qt::KeypadModifier));
        msgs.push_back({w, KeyMessage(ke, down), WPARAM(vk), 1, event});
        if (down && !ke->text().isEmpty() && ke->text().at(0).unicode() >= 0x20) {
            const bool alt = ke->modifiers().testFlag(Qt::AltModifier);
            msgs.push_back({w, alt ? WM_SYSCHAR : WM_CHAR, WPARAM(ke->text().at(0).unicode()), 1, event});
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto *me = static_cast<QMouseEvent *>(event);
        const QPoint p = me->position().toPoint();
        msgs.push_back({w, MouseMessage(me), MouseKeysFromQt(me->modifiers(), me->buttons()), MakeLParam(p.x(), p.y()), event});
        break;
    }
    case QEvent::Wheel: {
        auto *we = static_cast<QWheelEvent *>(event);
        const QPoint g = we->globalPosition().toPoint();
        const WPARAM keys = MouseKeysFromQt(we->modifiers(), we->buttons());
        msgs.push_back({w, WM_MOUSEWHEEL, keys | (WPARAM(std::uint16_t(we->angleDelta().y())) << 16),
                        MakeLParam(g.x(), g.y()), event});
        break;
    }
    default: return false;
    }
    QPointer<QWidget> guard(w);
    for (THookMsg &m : msgs) {
        Raise(hpGetMessage, nullptr, PM_REMOVE, LPARAM(&m));
        if (m.message == WM_NULL)
            return true;
        if (m.hwnd != w) {
            if (m.hwnd)
                QCoreApplication::sendEvent(m.hwnd, event);
            return true;
        }
        if (!guard)
            return true;
    }
    return false;
}

bool THookFilter::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationStateChange) {
        if (watched == qApp && Counted(THookType::htCallWndProc)) {
            const auto state = static_cast<QApplicationStateChangeEvent *>(event)->applicationState();
            Raise(hpSendActivateApp, nullptr, state == Qt::ApplicationActive ? 1 : 0, 0);
        }
        return false;
    }
    if (!watched->isWidgetType())
        return false;
    auto *w = static_cast<QWidget *>(watched);
    if (w->isWindow()) {
        // Only a shown window is surely whole (a control is no control yet while its QWidget
        // part is being built); one never shown was never seen by anyone.
        if (type == QEvent::Show && Counted(THookType::htCBT))
            WatchWindow(w);
        if (Counted(THookType::htCallWndProc)) {
            switch (type) {
            case QEvent::WindowActivate: Raise(hpSendActivate, w, WA_ACTIVE, 0); break;
            case QEvent::WindowDeactivate: Raise(hpSendActivate, w, WA_INACTIVE, 0); break;
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::Hide: Raise(hpSendWindowPosChanged, w, 0, 0); break;
            default: break;
            }
        }
    }
    if (Counted(THookType::htGetMessage) && TInputRouter::IsInputEvent(event)) {
        const TInputRouter *router = TInputRouter::Existing();
        if (!router || !router->IsRedirected(event))
            return RaiseGetMessage(w, event);
    }
    return false;
}

void InstallHookProc(void *User, THookProc Proc, THookProcCodes Codes)
{
    THookState &st = State();
    auto it = std::find_if(st.subscribers.begin(), st.subscribers.end(), [Proc](const TSubscriber &s) { return s.proc == Proc; });
    if (it == st.subscribers.end()) {
        st.subscribers.push_back({Proc, Codes, {}});
        it = st.subscribers.end() - 1;
    }
    if (std::any_of(it->users.begin(), it->users.end(), [User](const TSubscriber::TUser &u) { return u.user == User; }))
        return;
    TSubscriber::TUser u{User, {}};
    for (int c = 0; c <= int(hpGetMessage); ++c) {
        const auto code = THookProcCode(c);
        if (it->codes.Contains(code))
            u.counted[size_t(TypeOfCode(code))] = true;
    }
    for (size_t t = 0; t < u.counted.size(); ++t)
        st.counts[t] += u.counted[t] ? 1 : 0;
    it->users.push_back(u);
    UpdateFilter();
}

void UninstallHookProc(void *User, THookProc Proc)
{
    THookState &st = State();
    auto it = std::find_if(st.subscribers.begin(), st.subscribers.end(), [Proc](const TSubscriber &s) { return s.proc == Proc; });
    if (it == st.subscribers.end())
        return;
    auto u = std::find_if(it->users.begin(), it->users.end(), [User](const TSubscriber::TUser &x) { return x.user == User; });
    if (u == it->users.end())
        return;
    for (size_t t = 0; t < u->counted.size(); ++t)
        st.counts[t] -= u->counted[t] ? 1 : 0;
    it->users.erase(u);
    if (it->users.empty())
        st.subscribers.erase(it);
    UpdateFilter();
}

int HookRefCount(THookType Type) { return State().counts[size_t(Type)]; }

bool HookFilterInstalled() { return !State().filter.isNull(); }

void NotifyWindowDestroying(QWidget *Wnd)
{
    if (Counted(THookType::htCBT))
        Raise(hpPreDestroy, Wnd, 0, 0);
}
