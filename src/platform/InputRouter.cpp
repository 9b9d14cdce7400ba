#include "InputRouter.h"

#include "Controls.h"
#include "Messages.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <utility>

namespace {

QPointer<TInputRouter> &RouterInstance()
{
    static QPointer<TInputRouter> instance;
    return instance;
}

} // namespace

// ---------------------------------------------------------------------------------------------

TInputHook::~TInputHook()
{
    if (TInputRouter *router = TInputRouter::Existing())
        router->RemoveHook(this);
}

void TInputHook::HookEnded(QWidget *receiver, const QEvent *event)
{
    if (event)
        TInputRouter::Instance().Redeliver(receiver, *event);
}

// ---------------------------------------------------------------------------------------------

TInputRouter::TInputRouter(QObject *parent) : QObject(parent) {}

TInputRouter &TInputRouter::Instance()
{
    QPointer<TInputRouter> &instance = RouterInstance();
    if (!instance) {
        Q_ASSERT(qApp);
        instance = new TInputRouter(qApp);
        qApp->installEventFilter(instance);
    }
    return *instance;
}

TInputRouter *TInputRouter::Existing() { return RouterInstance().data(); }

void TInputRouter::AddHook(TInputHook *hook)
{
    RemoveHook(hook);
    hooks_.push_back(hook);
}

void TInputRouter::RemoveHook(TInputHook *hook)
{
    hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), hook), hooks_.end());
}

bool TInputRouter::IsInputEvent(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu: return true;
    default: return false;
    }
}

bool TInputRouter::IsMouseButtonOrMove(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: return true;
    default: return false;
    }
}

QWidget *TInputRouter::WidgetAt(const TPoint &screenPos) { return QApplication::widgetAt(screenPos.ToQPoint()); }

// ---------------------------------------------------------------------------------------------
// Capture

TControl *TInputRouter::Capture() const
{
    for (auto it = captures_.rbegin(); it != captures_.rend(); ++it) {
        if (*it)
            return it->data();
    }
    return nullptr;
}

void TInputRouter::PushCapture(TControl *control)
{
    pressOrigin_ = {};
    TControl *old = Capture();
    if (!control || control == old)
        return;
    captures_.erase(std::remove(captures_.begin(), captures_.end(), control), captures_.end());
    captures_.emplace_back(control);
    if (old)
        old->Perform(WM_CAPTURECHANGED, 0, LPARAM(control));
}

void TInputRouter::PushPressCapture(TControl *control)
{
    PushCapture(control);
    // The press being delivered was first offered to lastOffered_'s widget; a propagated copy
    // leaves that record alone.
    QWidget *pressed = lastOffered_.receiver;
    const bool press =
        lastOffered_.type == QEvent::MouseButtonPress || lastOffered_.type == QEvent::MouseButtonDblClick;
    if (control && Capture() == control && press && pressed && pressed != control &&
        !dynamic_cast<TControl *>(pressed) && control->isAncestorOf(pressed))
        pressOrigin_ = {control, pressed};
}

void TInputRouter::ReleaseCapture(TControl *control)
{
    if (control && pressOrigin_.control == control)
        pressOrigin_ = {};
    const bool wasTop = control && control == Capture();
    captures_.erase(std::remove_if(captures_.begin(), captures_.end(),
                                   [control](const QPointer<TControl> &c) { return !c || c == control; }),
                    captures_.end());
    if (wasTop)
        control->Perform(WM_CAPTURECHANGED, 0, LPARAM(Capture()));
}

void TInputRouter::ControlDestroyed(TControl *control)
{
    captures_.erase(std::remove_if(captures_.begin(), captures_.end(),
                                   [control](const QPointer<TControl> &c) { return !c || c == control; }),
                    captures_.end());
}

TControl *GetCaptureControl() { return TInputRouter::Instance().Capture(); }

void SetCaptureControl(TControl *control)
{
    TInputRouter &router = TInputRouter::Instance();
    if (control)
        router.PushCapture(control);
    else if (TControl *current = router.Capture())
        router.ReleaseCapture(current);
}

TPoint TInputRouter::QueryCursorPos()
{
    cursorPos_ = TPoint::FromQPoint(QCursor::pos());
    return cursorPos_;
}

TPoint GetCursorPos() { return TInputRouter::Instance().CursorPos(); }

short GetKeyState(int virtualKey)
{
    const TInputRouter &r = TInputRouter::Instance();
    bool down = false;
    switch (virtualKey) {
    case VK_SHIFT: down = r.Modifiers() & Qt::ShiftModifier; break;
    case VK_CONTROL: down = r.Modifiers() & Qt::ControlModifier; break;
    case VK_MENU: down = r.Modifiers() & Qt::AltModifier; break;
    case VK_LBUTTON: down = r.Buttons() & Qt::LeftButton; break;
    case VK_RBUTTON: down = r.Buttons() & Qt::RightButton; break;
    case VK_MBUTTON: down = r.Buttons() & Qt::MiddleButton; break;
    default: break;
    }
    return down ? short(-32768) : short(0);
}

// ---------------------------------------------------------------------------------------------
// Filtering

void TInputRouter::Note(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto *me = static_cast<const QMouseEvent *>(event);
        cursorPos_ = TPoint::FromQPoint(me->globalPosition().toPoint());
        buttons_ = me->buttons();
        modifiers_ = me->modifiers();
        // Moves are not counted: windows that appear or move under a resting pointer bring them.
        if (event->type() != QEvent::MouseMove)
            lastInputKeyboard_ = false;
        break;
    }
    case QEvent::Wheel: {
        auto *we = static_cast<const QWheelEvent *>(event);
        cursorPos_ = TPoint::FromQPoint(we->globalPosition().toPoint());
        modifiers_ = we->modifiers();
        lastInputKeyboard_ = false;
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *ke = static_cast<const QKeyEvent *>(event);
        Qt::KeyboardModifiers modifiers = ke->modifiers() & ~Qt::KeypadModifier;
        // A modifier key's own event may carry the state from before it (X11 does): released
        // Ctrl would otherwise read as held until the next event.
        Qt::KeyboardModifier own = Qt::NoModifier;
        switch (ke->key()) {
        case Qt::Key_Shift: own = Qt::ShiftModifier; break;
        case Qt::Key_Control: own = Qt::ControlModifier; break;
        case Qt::Key_Alt: own = Qt::AltModifier; break;
        case Qt::Key_Meta: own = Qt::MetaModifier; break;
        default: break;
        }
        if (own != Qt::NoModifier)
            modifiers.setFlag(own, event->type() == QEvent::KeyPress);
        modifiers_ = modifiers;
        if (event->type() == QEvent::KeyPress)
            lastInputKeyboard_ = true;
        break;
    }
    case QEvent::ContextMenu:
        // X11 delivers the menu key's menu before the key itself.
        lastInputKeyboard_ = static_cast<const QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard;
        break;
    default: break;
    }
}

// Qt hands an event a widget ignores on to its parent; that copy is the same input.
bool TInputRouter::IsPropagation(QWidget *receiver, const QEvent *event)
{
    const quint64 timestamp = static_cast<const QInputEvent *>(event)->timestamp();
    if (lastOffered_.receiver && lastOffered_.receiver != receiver && lastOffered_.type == event->type() &&
        lastOffered_.timestamp == timestamp && receiver->isAncestorOf(lastOffered_.receiver))
        return true;
    lastOffered_ = {int(event->type()), timestamp, receiver};
    return false;
}

// The widget a left-button release belongs to when the capture came only from a press that
// widget passed up: the capture ends here, before anyone sees the release.
QWidget *TInputRouter::TakePressOrigin(const QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease ||
        static_cast<const QMouseEvent *>(event)->button() != Qt::LeftButton)
        return nullptr;
    const PressOrigin origin = std::exchange(pressOrigin_, {});
    if (!origin.control || !origin.widget || Capture() != origin.control)
        return nullptr;
    ReleaseCapture(origin.control);
    return origin.widget;
}

bool TInputRouter::IsRedirected(const QEvent *event) const
{
    return std::find(redirected_.begin(), redirected_.end(), event) != redirected_.end();
}

// Losing activation ends whatever holds the mouse, as the system cancels modes then.
void TInputRouter::ApplicationStateChanged(QEvent *event)
{
    if (static_cast<QApplicationStateChangeEvent *>(event)->applicationState() == Qt::ApplicationActive)
        return;
    altTap_ = false;
    if (TControl *capture = Capture())
        capture->Perform(WM_CANCELMODE);
}

namespace {

// The key-menu key a key event stands for: the character for Alt+letter, 0 for F10 and for
// the release of Alt tapped alone; -1 for any other key.
long KeyMenuKey(const QKeyEvent *ke, bool altTap)
{
    const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
    if (ke->type() == QEvent::KeyRelease)
        return ke->key() == Qt::Key_Alt && altTap ? 0 : -1;
    if (ke->key() == Qt::Key_F10 && !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)))
        return 0;
    if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && ke->key() != Qt::Key_Alt &&
        ke->key() != Qt::Key_Space) {
        if (!ke->text().isEmpty() && ke->text().at(0).isPrint())
            return long(ke->text().at(0).toLower().unicode());
        const int vk = VirtualKeyFromQt(ke->key());
        if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
            return long(QChar(vk).toLower().unicode());
    }
    return -1;
}

} // namespace

bool TInputRouter::RouteKey(QWidget *receiver, QKeyEvent *ke)
{
    QPointer<QWidget> guard(receiver);
    if (ke->type() == QEvent::KeyPress) {
        altTap_ = ke->key() == Qt::Key_Alt && (altTap_ || !ke->isAutoRepeat());
        if (shortCutChain_ && shortCutChain_(receiver, ke))
            return true;
        if (!guard)
            return true;
    }
    const long menuKey = keyMenuHandler_ && (!keyMenuScope_ || keyMenuScope_(receiver)) ? KeyMenuKey(ke, altTap_) : -1;
    if (ke->type() == QEvent::KeyRelease && ke->key() == Qt::Key_Alt)
        altTap_ = false;
    if (menuKey < 0)
        return false;
    // The focused control has its turn first; only what it leaves becomes the key menu. A Qt
    // widget does not type the character of Alt+letter, as no edit does.
    const bool control = dynamic_cast<TControl *>(receiver) != nullptr;
    QKeyEvent copy(ke->type(), ke->key(), ke->modifiers(), ke->nativeScanCode(), ke->nativeVirtualKey(),
                   ke->nativeModifiers(), control ? ke->text() : QString(), ke->isAutoRepeat(), ke->count());
    copy.setTimestamp(ke->timestamp());
    sysKeyUnused_ = false;
    redirected_.push_back(&copy);
    QCoreApplication::sendEvent(receiver, &copy);
    redirected_.erase(std::find(redirected_.begin(), redirected_.end(), &copy));
    const bool used = copy.isAccepted() && !sysKeyUnused_;
    if (!used && guard)
        keyMenuHandler_(receiver, WPARAM(menuKey));
    return true;
}

bool TInputRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ApplicationStateChange) {
        ApplicationStateChanged(event);
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // While a hook runs, keys are keys: no shortcut may act before the hook sees them.
        if (!hooks_.empty() && watched->isWidgetType()) {
            event->accept();
            return true;
        }
        return false;
    }
    if (!IsInputEvent(event) || !watched->isWidgetType())
        return false;
    if (std::find(redirected_.begin(), redirected_.end(), event) != redirected_.end())
        return false;
    auto *receiver = static_cast<QWidget *>(watched);
    Note(event);
    if (IsPropagation(receiver, event))
        return false;

    QPointer<QWidget> guard(receiver);
    const bool mouse = IsMouseButtonOrMove(event);
    const QPointer<QWidget> origin = mouse ? TakePressOrigin(event) : nullptr;
    auto target = [&]() -> QWidget * {
        if (origin)
            return origin;
        TControl *capture = mouse ? Capture() : nullptr;
        return capture ? static_cast<QWidget *>(capture) : receiver;
    };
    if (TInputHook *hook = TopHook()) {
        switch (hook->HandleInput(target(), event)) {
        case TInputAction::Pass: break;
        case TInputAction::Consume: return true;
        case TInputAction::End:
            RemoveHook(hook);
            hook->HookEnded(nullptr, nullptr);
            return true;
        case TInputAction::EndAndRedeliver:
            RemoveHook(hook);
            hook->HookEnded(guard.data(), event);
            return true;
        }
        if (!guard)
            return true;
    }
    QWidget *to = target();
    if (to != receiver) {
        SendRedirected(to, event);
        return true;
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        return RouteKey(receiver, static_cast<QKeyEvent *>(event));
    if (event->type() == QEvent::MouseButtonPress)
        altTap_ = false;
    return false;
}

void TInputRouter::SendRedirected(QWidget *to, QEvent *event)
{
    auto *me = static_cast<QMouseEvent *>(event);
    const QPointF global = me->globalPosition();
    QMouseEvent copy(me->type(), to->mapFromGlobal(global), to->window()->mapFromGlobal(global), global,
                     me->button(), me->buttons(), me->modifiers(), me->pointingDevice());
    copy.setTimestamp(me->timestamp());
    redirected_.push_back(&copy);
    QCoreApplication::sendEvent(to, &copy);
    redirected_.erase(std::find(redirected_.begin(), redirected_.end(), &copy));
}

void TInputRouter::Redeliver(QWidget *receiver, const QEvent &event)
{
    std::shared_ptr<QEvent> copy(event.clone());
    QPointer<QWidget> to(receiver);
    QMetaObject::invokeMethod(this, [this, to, copy] { Deliver(to, copy); }, Qt::QueuedConnection);
}

void TInputRouter::Deliver(const QPointer<QWidget> &receiver, const std::shared_ptr<QEvent> &event)
{
    lastOffered_ = {};
    if (IsMouseButtonOrMove(event.get())) {
        auto *me = static_cast<QMouseEvent *>(event.get());
        const QPointF global = me->globalPosition();
        QWidget *to = WidgetAt(TPoint::FromQPoint(global.toPoint()));
        if (!to)
            to = receiver.data();
        if (!to)
            return;
        QMouseEvent copy(me->type(), to->mapFromGlobal(global), to->window()->mapFromGlobal(global), global,
                         me->button(), me->buttons(), me->modifiers(), me->pointingDevice());
        copy.setTimestamp(me->timestamp());
        QCoreApplication::sendEvent(to, &copy);
        return;
    }
    QWidget *to = nullptr;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        to = QApplication::focusWidget();
    if (!to)
        to = receiver.data();
    if (to)
        QCoreApplication::sendEvent(to, event.get());
}

// ---------------------------------------------------------------------------------------------

TModalLoop::TModalLoop(THandler handler) : handler_(std::move(handler)) {}

TModalLoop::~TModalLoop()
{
    if (loop_)
        loop_->exit(result_);
}

int TModalLoop::Run()
{
    if (running_)
        throw EInvalidOperation(QStringLiteral("The modal loop is already running"));
    if (!ended_) {
        TInputRouter &router = TInputRouter::Instance();
        router.AddHook(this);
        QEventLoop loop;
        loop_ = &loop;
        running_ = true;
        loop.exec();
        loop_ = nullptr;
        running_ = false;
        router.RemoveHook(this);
    }
    ended_ = false;
    if (redeliver_) {
        TInputRouter::Instance().Redeliver(redeliverTo_.data(), *redeliver_);
        redeliver_.reset();
    }
    return result_;
}

void TModalLoop::End(int result)
{
    result_ = result;
    ended_ = true;
    TInputRouter::Instance().RemoveHook(this);
    if (loop_)
        loop_->exit(result);
}

TInputAction TModalLoop::HandleInput(QWidget *target, QEvent *event)
{
    if (ended_ || !handler_)
        return TInputAction::Pass;
    return handler_(target, event);
}

void TModalLoop::HookEnded(QWidget *receiver, const QEvent *event)
{
    if (event) {
        redeliverTo_ = receiver;
        redeliver_.reset(event->clone());
    }
    End(result_);
}
