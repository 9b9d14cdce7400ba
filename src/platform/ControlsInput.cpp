#include "Controls.h"
#include "Menus.h"

#include "DragManager.h"
#include "InputRouter.h"
#include "SysColors.h"
#include "SysParams.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimerEvent>
#include <QToolTip>
#include <QWheelEvent>

// Qt events become window messages here; the default handling of the messages calls the
// virtual handlers, so a descendant can step in at either level.

namespace {

class TMessageEvent : public QEvent
{
public:
    explicit TMessageEvent(const TMessage &m) : QEvent(EventType()), message(m) {}
    static QEvent::Type EventType()
    {
        static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
        return type;
    }
    TMessage message;
};

UINT ButtonMessage(QEvent::Type type, Qt::MouseButton button, bool nonClient, bool doubleClicks)
{
    int base;  // offset of the button's down message from WM_LBUTTONDOWN
    switch (button) {
    case Qt::LeftButton: base = 0; break;
    case Qt::RightButton: base = 3; break;
    case Qt::MiddleButton: base = 6; break;
    default: return 0;
    }
    int kind;  // 0 down, 1 up, 2 double click
    switch (type) {
    case QEvent::MouseButtonPress: kind = 0; break;
    case QEvent::MouseButtonRelease: kind = 1; break;
    case QEvent::MouseButtonDblClick: kind = doubleClicks ? 2 : 0; break;
    default: return 0;
    }
    return (nonClient ? WM_NCLBUTTONDOWN : WM_LBUTTONDOWN) + UINT(base + kind);
}

bool IsDialogKey(int vk)
{
    switch (vk) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RETURN:
    case VK_ESCAPE: return true;
    default: return false;
    }
}

LRESULT DialogCodeMask(int vk)
{
    switch (vk) {
    case VK_TAB: return DLGC_WANTTAB;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: return DLGC_WANTARROWS;
    default: return DLGC_WANTALLKEYS;
    }
}

TShiftState CurrentShiftState()
{
    const TInputRouter &r = TInputRouter::Instance();
    return ShiftStateFromQt(r.Modifiers(), r.Buttons());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::PostMessage(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    QCoreApplication::postEvent(this, new TMessageEvent({Msg, WParam, LParam, 0}));
}

LRESULT SendMessage(QWidget *target, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    auto *c = dynamic_cast<TControl *>(target);
    return c ? c->Perform(Msg, WParam, LParam) : 0;
}

bool PostMessage(QWidget *target, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    auto *c = dynamic_cast<TControl *>(target);
    if (!c)
        return false;
    c->PostMessage(Msg, WParam, LParam);
    return true;
}

void TControl::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (dragMode_ == TDragMode::dmAutomatic) {
            BeginDrag(false);
            return;
        }
        HandleMouseMessage(Message);
        return;
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE: HandleMouseMessage(Message); return;
    case WM_MOUSEWHEEL: {
        const TShiftState shift = KeysToShiftState(LoWord(LPARAM(Message.WParam)));
        const int delta = int(std::int16_t(HiWord(LPARAM(Message.WParam))));
        if (MouseWheel(shift, delta, LParamToPoint(Message.LParam)))
            Message.Result = 1;
        else if (parent_)
            Message.Result = parent_->Perform(WM_MOUSEWHEEL, Message.WParam, Message.LParam);
        return;
    }
    case WM_CONTEXTMENU: {
        TPoint p = LParamToPoint(Message.LParam);
        if (p.X != -1 || p.Y != -1)
            p = ScreenToClient(p);
        bool handled = false;
        DoContextPopup(p, handled);
        // The control's own menu serves its client area and the keyboard.
        const TPoint screen = LParamToPoint(Message.LParam);
        if (!handled && ((screen.X == -1 && screen.Y == -1) || ClientRect().Contains(p)))
            handled = ShowPopupMenu(screen);
        if (handled)
            Message.Result = 1;
        else if (parent_)
            Message.Result = parent_->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
        return;
    }
    case CM_MOUSEENTER: MouseEnter(); return;
    case CM_MOUSELEAVE: MouseLeave(); return;
    case WM_CAPTURECHANGED: captureByPress_ = false; return;
    case WM_NCHITTEST: Message.Result = NCHitTest(LParamToPoint(Message.LParam)); return;
    case WM_NCPAINT: PaintNC(*reinterpret_cast<TCanvas *>(Message.WParam)); return;
    case WM_PRINT:
        PrintWindow(*reinterpret_cast<TCanvas *>(Message.WParam), Message.LParam);
        Message.Result = 1;
        return;
    case WM_PRINTCLIENT: PrintClient(*reinterpret_cast<TCanvas *>(Message.WParam)); return;
    case WM_SETCURSOR: DefaultSetCursor(Message); return;
    case WM_ERASEBKGND:
        EraseBackground(*reinterpret_cast<TCanvas *>(Message.WParam));
        Message.Result = 1;
        return;
    case WM_PAINT: {
        TCanvas &target = *reinterpret_cast<TCanvas *>(Message.WParam);
        if (&target == &canvas_) {
            PaintWindow(target);
            return;
        }
        // Painting on another canvas (a print): Paint draws there, on the control's canvas.
        struct TTarget {
            TCanvas *&target;
            TCanvas *saved;
            ~TTarget() { target = saved; }
        } restore{paintTarget_, paintTarget_};
        paintTarget_ = &target;
        PaintWindow(target);
        return;
    }
    case WM_TIMER: TimerFired(Message.WParam); return;
    case WM_SIZE:
        if (!ComponentState().Contains(csLoading))
            Resize();
        return;
    case CM_COLORCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
        Invalidate();
        if (Message.Msg == CM_TEXTCHANGED && isWindow())
            setWindowTitle(caption_);
        return;
    case CM_FONTCHANGED:
        QWidget::setFont(font_.ToQFont());
        Invalidate();
        return;
    case CM_PARENTCOLORCHANGED: ParentColorChanged(Message.WParam, Message.LParam); return;
    case CM_PARENTFONTCHANGED: ParentFontChanged(); return;
    case CM_PARENTSHOWHINTCHANGED: ParentShowHintChanged(); return;
    default: return;
    }
}

void TControl::HandleMouseMessage(TMessage &m)
{
    const TPoint p = LParamToPoint(m.LParam);
    const TShiftState shift = KeysToShiftState(m.WParam);
    // A click may close (and free) the window the control sits in.
    QPointer<TControl> self(this);
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (controlStyle_.Contains(csCaptureMouse) && !MouseCapture()) {
            TInputRouter::Instance().PushPressCapture(this);
            captureByPress_ = true;
        }
        if (m.Msg == WM_LBUTTONDBLCLK) {
            if (controlStyle_.Contains(csClickEvents))
                DblClick();
            if (self)
                MouseDown(TMouseButton::mbLeft, shift | TShiftState{ssDouble}, p.X, p.Y);
        } else {
            if (controlStyle_.Contains(csClickEvents))
                clicked_ = true;
            MouseDown(TMouseButton::mbLeft, shift, p.X, p.Y);
        }
        return;
    case WM_LBUTTONUP:
        if (captureByPress_) {
            captureByPress_ = false;
            SetMouseCapture(false);
        }
        if (clicked_) {
            clicked_ = false;
            if (ClientRect().Contains(p))
                Click();
        }
        if (self)
            MouseUp(TMouseButton::mbLeft, shift, p.X, p.Y);
        return;
    case WM_RBUTTONDOWN: MouseDown(TMouseButton::mbRight, shift, p.X, p.Y); return;
    case WM_RBUTTONDBLCLK: MouseDown(TMouseButton::mbRight, shift | TShiftState{ssDouble}, p.X, p.Y); return;
    case WM_RBUTTONUP:
        MouseUp(TMouseButton::mbRight, shift, p.X, p.Y);
        if (self)
            Perform(WM_CONTEXTMENU, WPARAM(0), PointToLParam(ClientToScreen(p)));
        return;
    case WM_MBUTTONDOWN: MouseDown(TMouseButton::mbMiddle, shift, p.X, p.Y); return;
    case WM_MBUTTONDBLCLK: MouseDown(TMouseButton::mbMiddle, shift | TShiftState{ssDouble}, p.X, p.Y); return;
    case WM_MBUTTONUP: MouseUp(TMouseButton::mbMiddle, shift, p.X, p.Y); return;
    case WM_MOUSEMOVE: MouseMove(shift, p.X, p.Y); return;
    default: return;
    }
}

// ---------------------------------------------------------------------------------------------
// Default handlers

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TControl::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

bool TControl::MouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    return handled;
}

void TControl::SetPopupMenu(TPopupMenu *value)
{
    if (value == popupMenu_)
        return;
    if (popupMenu_)
        RemoveFreeNotification(popupMenu_);
    popupMenu_ = value;
    if (value)
        FreeNotification(value);
}

void TControl::Notification(TComponent *AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == popupMenu_)
        popupMenu_ = nullptr;
}

bool TControl::ShowPopupMenu(const TPoint &ScreenPos)
{
    TPopupMenu *menu = popupMenu_;
    if (!menu || !menu->AutoPopup())
        return false;
    const TPoint at = ScreenPos.X == -1 && ScreenPos.Y == -1 ? ClientToScreen({0, 0}) : ScreenPos;
    menu->SetPopupComponent(this);
    menu->Popup(at.X, at.Y);
    return true;
}

void TControl::DoContextPopup(TPoint MousePos, bool &Handled)
{
    if (OnContextPopup)
        OnContextPopup(this, MousePos, Handled);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::DragOver(TControl *Source, int X, int Y, TDragState State, bool &Accept)
{
    Accept = bool(OnDragOver);
    if (OnDragOver)
        OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TControl *Source, int X, int Y)
{
    if (OnDragDrop)
        OnDragDrop(this, Source, X, Y);
}

void TControl::DoStartDrag()
{
    if (OnStartDrag)
        OnStartDrag(this);
}

void TControl::DoEndDrag(TControl *Target, int X, int Y)
{
    if (OnEndDrag)
        OnEndDrag(this, Target, X, Y);
}

// ---------------------------------------------------------------------------------------------
// Capture, drag, timers

bool TControl::MouseCapture() const { return TInputRouter::Instance().Capture() == this; }

void TControl::SetMouseCapture(bool value)
{
    if (value)
        TInputRouter::Instance().PushCapture(this);
    else
        TInputRouter::Instance().ReleaseCapture(this);
}

void TControl::BeginDrag(bool Immediate, int Threshold)
{
    TDragManager::Instance().BeginDrag(this, Immediate, Threshold);
}

bool TControl::Dragging() const { return TDragManager::Instance().Source() == this; }

void TControl::EndDrag(bool Drop)
{
    if (Dragging())
        TDragManager::Instance().EndDrag(Drop);
}

void TControl::SetTimer(WPARAM id, int milliseconds)
{
    KillTimer(id);
    // Windows raises shorter intervals to its minimum of 10 ms.
    timers_[id] = startTimer(std::max(10, milliseconds), Qt::PreciseTimer);
}

bool TControl::KillTimer(WPARAM id)
{
    auto it = timers_.find(id);
    if (it == timers_.end())
        return false;
    killTimer(it->second);
    timers_.erase(it);
    return true;
}

void TControl::timerEvent(QTimerEvent *event)
{
    for (const auto &[id, qtId] : timers_) {
        if (qtId == event->timerId()) {
            Perform(WM_TIMER, id);
            return;
        }
    }
    QWidget::timerEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Qt events

bool TControl::event(QEvent *event)
{
    if (event->type() == TMessageEvent::EventType()) {
        TMessage m = static_cast<TMessageEvent *>(event)->message;
        WndProc(m);
        return true;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (event->type() == QEvent::MouseMove) {
            const TRect m = NCMargins();
            const QPoint p = static_cast<QMouseEvent *>(event)->position().toPoint();
            const TPoint client{p.x() - m.Left, p.y() - m.Top};
            CancelHintOutside(this, &client);
        }
        if (TranslateMouse(event))
            return true;
        event->ignore();
        return false;
    case QEvent::Wheel: {
        auto *we = static_cast<QWheelEvent *>(event);
        const int delta = we->angleDelta().y();
        if (delta == 0)
            break;
        const WPARAM keys = MouseKeysFromQt(we->modifiers(), we->buttons());
        const TPoint g = TPoint::FromQPoint(we->globalPosition().toPoint());
        Perform(WM_MOUSEWHEEL, (keys & 0xFFFF) | (WPARAM(std::uint16_t(delta)) << 16), PointToLParam(g));
        return true;
    }
    case QEvent::Enter: Perform(CM_MOUSEENTER); return true;
    case QEvent::Leave:
        CancelHintOutside(this, nullptr);
        if (inNC_) {
            inNC_ = false;
            Perform(WM_NCMOUSELEAVE);
        }
        Perform(CM_MOUSELEAVE);
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (TranslateKey(event))
            return true;
        break;
    case QEvent::ContextMenu: {
        // The mouse kind comes from the right button's release; only the keyboard kind is left.
        auto *ce = static_cast<QContextMenuEvent *>(event);
        if (ce->reason() == QContextMenuEvent::Keyboard)
            Perform(WM_CONTEXTMENU, 0, MakeLParam(-1, -1));
        return true;
    }
    case QEvent::ToolTip: {
        auto *he = static_cast<QHelpEvent *>(event);
        ShowHintAt(he->pos(), he->globalPos());
        return true;
    }
    case QEvent::ParentChange:
        if (!syncing_)
            ReparentedByQt();
        break;
    // A modal window blocks the others as disabling them would: WM_ENABLE tells the window.
    case QEvent::WindowBlocked:
    case QEvent::WindowUnblocked:
        if (isWindow())
            Perform(WM_ENABLE, event->type() == QEvent::WindowUnblocked ? 1 : 0);
        break;
    // A window closed or shown by others (the window manager, Qt's popup handling). A child
    // hidden by Qt is only being moved to another parent.
    case QEvent::HideToParent:
        if (!syncing_ && isWindow())
            visible_ = false;
        break;
    case QEvent::ShowToParent:
        if (!syncing_ && isWindow())
            visible_ = true;
        break;
    case QEvent::Show:
        // Sent before Qt maps the window and types it; the menu type goes on afterwards.
        if (isWindow()) {
            ApplyClickActivation();
            ApplyOwnerWindow();
            QMetaObject::invokeMethod(this, [this] { ApplyWindowType(); }, Qt::QueuedConnection);
        }
        break;
    case QEvent::FocusIn: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        Perform(WM_SETFOCUS);
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Perform(CM_ENTER);
        break;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        Perform(WM_KILLFOCUS);
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Perform(CM_EXIT);
        break;
    }
    default: break;
    }
    return QWidget::event(event);
}

bool TControl::TranslateMouse(QEvent *event)
{
    auto *me = static_cast<QMouseEvent *>(event);
    const QPoint local = me->position().toPoint();
    const TPoint global = TPoint::FromQPoint(me->globalPosition().toPoint());
    const bool captured = MouseCapture();
    int ht = HTCLIENT;
    if (!captured)
        ht = int(Perform(WM_NCHITTEST, 0, PointToLParam(global)));
    if (ht == HTTRANSPARENT)
        return false;
    const bool client = captured || ht == HTCLIENT;
    if (client && inNC_) {
        inNC_ = false;
        Perform(WM_NCMOUSELEAVE);
    }
    inNC_ = !client;

    UINT msg;
    if (event->type() == QEvent::MouseMove)
        msg = client ? WM_MOUSEMOVE : WM_NCMOUSEMOVE;
    else
        msg = ButtonMessage(event->type(), me->button(), !client, controlStyle_.Contains(csDoubleClicks));
    if (msg == 0)
        return true;
    if (event->type() == QEvent::MouseMove && !captured) {
        QPointer<TControl> self(this);
        Perform(WM_SETCURSOR, WPARAM(static_cast<QWidget *>(this)), MakeLParam(ht, int(msg)));
        if (!self)
            return true;
    }
    if (client) {
        const TRect m = NCMargins();
        Perform(msg, MouseKeysFromQt(me->modifiers(), me->buttons()),
                PointToLParam({local.x() - m.Left, local.y() - m.Top}));
    } else {
        Perform(msg, WPARAM(ht), PointToLParam(global));
    }
    return true;
}

bool TControl::TranslateKey(QEvent *event)
{
    auto *win = dynamic_cast<TWinControl *>(this);
    if (!win)
        return false;
    auto *ke = static_cast<QKeyEvent *>(event);
    const int vk = VirtualKeyFromQt(ke->key(), ke->modifiers() & Qt::KeypadModifier);
    const bool alt = ke->modifiers() & Qt::AltModifier;
    // Alt itself and F10 are system keys as well: they open the menu.
    const bool sys = alt || vk == VK_MENU || vk == VK_F1 + 9;
    LPARAM keyData = 1;
    if (alt)
        keyData |= LPARAM(1) << 29;
    // A system key left unused (its key not zeroed) is the router's to turn into the key menu.
    const auto sendSysKey = [this, vk](UINT msg, LPARAM data) {
        TMessage m{msg, WPARAM(vk), data, 0};
        WndProc(m);
        if (m.WParam != 0)
            TInputRouter::Instance().NoteSysKeyUnused();
    };
    if (event->type() == QEvent::KeyRelease) {
        if (vk && sys)
            sendSysKey(WM_SYSKEYUP, keyData | (LPARAM(3) << 30));
        else if (vk)
            Perform(WM_KEYUP, WPARAM(vk), keyData | (LPARAM(3) << 30));
        return true;
    }
    if (ke->isAutoRepeat())
        keyData |= LPARAM(1) << 30;
    if (IsDialogKey(vk) && !alt) {
        const LRESULT code = Perform(WM_GETDLGCODE);
        if (!(code & DialogCodeMask(vk))) {
            // The window's dialog handling (a form's default and cancel buttons, focus moves)
            // gets it first; focus moves by Tab fall back to Qt's focus chain.
            auto *top = dynamic_cast<TWinControl *>(window());
            if (top && top != this && top->Perform(CM_DIALOGKEY, WPARAM(vk), keyData) != 0)
                return true;
            // Tab walks our own tab order; widgets outside it are left to Qt's focus chain.
            if (vk == VK_TAB) {
                const bool back = (ke->modifiers() & Qt::ShiftModifier) || ke->key() == Qt::Key_Backtab;
                return top && top->SelectNext(win, !back, true);
            }
        }
    }
    QPointer<TControl> self(this);
    if (vk && sys)
        sendSysKey(WM_SYSKEYDOWN, keyData);
    else if (vk)
        Perform(WM_KEYDOWN, WPARAM(vk), keyData);
    // Delete gives no character on Windows, though Qt reports one.
    if (vk != VK_DELETE) {
        for (QChar ch : ke->text()) {
            if (!self)
                break;
            Perform(alt ? WM_SYSCHAR : WM_CHAR, WPARAM(ch.unicode()), keyData);
        }
    }
    return true;
}

void TControl::ActivateHint(const TPoint &screenPos)
{
    const QPoint global = screenPos.ToQPoint();
    ShowHintAt(mapFromGlobal(global), global, true);
}

void TControl::ShowHintAt(const QPoint &localPos, const QPoint &globalPos, bool Always)
{
    // The hint is the nearest one up the parent chain, shown when this control's ShowHint
    // says so.
    QString hint;
    for (const TControl *c = this; c && hint.isEmpty(); c = c->parent_)
        hint = c->hint_;
    if (!showHint_ && !Always) {
        CancelHint();
        return;
    }
    const TRect m = NCMargins();
    THintInfo info;
    info.HintControl = this;
    info.CursorPos = {localPos.x() - m.Left, localPos.y() - m.Top};
    info.CursorRect = ClientRect();
    info.HintPos = TPoint::FromQPoint(globalPos);
    info.HintColor = clInfoBk;
    info.HintMaxWidth = screen() ? screen()->geometry().width() : 1024;
    info.HintStr = GetShortHint(hint);
    if (Perform(CM_HINTSHOW, 0, LPARAM(&info)) != 0 || info.HintStr.isEmpty()) {
        CancelHint();
        return;
    }
    if (info.HintWindowClass) {
        ShowHintWindow(this, info);
        return;
    }
    const QRect area = info.CursorRect.ToQRect().translated(m.Left, m.Top);
    QToolTip::showText(info.HintPos.ToQPoint(), info.HintStr, this, area);
}

// ---------------------------------------------------------------------------------------------
// TWinControl messages

void TWinControl::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = WORD(Message.WParam);
        KeyDown(key, CurrentShiftState());
        Message.WParam = key;
        return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = WORD(Message.WParam);
        KeyUp(key, CurrentShiftState());
        Message.WParam = key;
        return;
    }
    case WM_CHAR: {
        QChar ch(char16_t(Message.WParam));
        KeyPress(ch);
        Message.WParam = ch.unicode();
        return;
    }
    case WM_CHANGEUISTATE:
        // One state for a whole window: the change goes to the top window, which updates
        // itself and everything inside it.
        if (Parent())
            Parent()->Perform(WM_CHANGEUISTATE, Message.WParam, Message.LParam);
        else
            Perform(WM_UPDATEUISTATE, Message.WParam, Message.LParam);
        return;
    case WM_UPDATEUISTATE:
        UpdateUIState(Message.WParam);
        return;
    case WM_QUERYUISTATE: Message.Result = uiState_; return;
    case CM_ENTER: DoEnter(); return;
    case CM_EXIT: DoExit(); return;
    case WM_SIZE:
        Realign();
        TControl::WndProc(Message);
        return;
    case CM_COLORCHANGED:
        TControl::WndProc(Message);
        NotifyChildren(CM_PARENTCOLORCHANGED);
        return;
    case CM_FONTCHANGED:
        TControl::WndProc(Message);
        NotifyChildren(CM_PARENTFONTCHANGED);
        return;
    case CM_SHOWHINTCHANGED:
        NotifyChildren(CM_PARENTSHOWHINTCHANGED);
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        // Enter and Escape, or Alt and a caption's accelerator, go round the children until one
        // takes them (a default or cancel button, a label's control).
        for (TControl *c : std::vector<TControl *>(controls_)) {
            if (c->Perform(Message.Msg, Message.WParam, Message.LParam) != 0) {
                Message.Result = 1;
                return;
            }
        }
        return;
    default: TControl::WndProc(Message); return;
    }
}

void TWinControl::UpdateUIState(WPARAM WParam)
{
    WORD action = WORD(LoWord(LPARAM(WParam)));
    WORD flags = WORD(HiWord(LPARAM(WParam))) & (UISF_HIDEFOCUS | UISF_HIDEACCEL | UISF_ACTIVE);
    // Focus rectangles and accelerators show after keyboard input and hide after a click, unless
    // the desktop always shows them.
    if (action == UIS_INITIALIZE) {
        const TInputRouter *router = TInputRouter::Existing();
        const bool keyboard = SysParams().KeyboardCues || (router && router->LastInputWasKeyboard());
        action = keyboard ? UIS_CLEAR : UIS_SET;
        flags = UISF_HIDEFOCUS | UISF_HIDEACCEL;
    }
    if (action == UIS_SET)
        uiState_ |= flags;
    else if (action == UIS_CLEAR)
        uiState_ &= WORD(~flags);
    else
        return;
    for (TControl *c : std::vector<TControl *>(controls_))
        if (dynamic_cast<TWinControl *>(c))
            c->Perform(WM_UPDATEUISTATE, WPARAM(action) | (WPARAM(flags) << 16));
}

void TWinControl::NotifyChildren(UINT Msg)
{
    for (TControl *c : std::vector<TControl *>(controls_))
        c->Perform(Msg);
}

void TWinControl::KeyDown(WORD &Key, TShiftState Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD &Key, TShiftState Shift)
{
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(QChar &Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}
