#include "TB2ItemWindow.h"

#include "TB2Common.h"
#include "TB2Dock.h"
#include "platform/Forms.h"
#include "platform/MediaPlayer.h"
#include "platform/Messages.h"
#include "platform/SysParams.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWindow>
#include <QWheelEvent>

// The modal menu loop: while a menu is open every key and mouse event of the program goes to the
// views of the open chain first.

namespace {

constexpr unsigned EVENT_SYSTEM_MENUSTART = 0x0004;
constexpr unsigned EVENT_SYSTEM_MENUEND = 0x0005;
constexpr int OBJID_CLIENT = -4;

bool Within(const TTBView *view, QWidget *w)
{
    QWidget *win = view->Window();
    return win && w && (w == win || win->isAncestorOf(w));
}

TPoint GlobalPos(const QEvent *event)
{
    if (event->type() == QEvent::Wheel)
        return TPoint::FromQPoint(static_cast<const QWheelEvent *>(event)->globalPosition().toPoint());
    return TPoint::FromQPoint(static_cast<const QMouseEvent *>(event)->globalPosition().toPoint());
}

// Whether `w` becoming active is the window a menu was opened from taking the activation it was
// about to get: that window, or the form a floating toolbar's window hands the activation to.
bool IsOwnActivation(const QWidget *opener, const QWidget *w)
{
    if (!opener || !w)
        return false;
    const auto *floating = dynamic_cast<const TTBFloatingWindowParent *>(opener);
    return w == opener || (floating && w == floating->ParentForm());
}

} // namespace

TTBModalHandler::TTBModalHandler(QWidget *AExistingWnd) : wnd_(AExistingWnd)
{
    TBLastCursorPos() = GetCursorPos();
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    if (wnd_)
        AnnounceStart(wnd_);
}

TTBModalHandler::~TTBModalHandler()
{
    QApplication::restoreOverrideCursor();
    if (announced_)
        CallNotifyWinEvent(EVENT_SYSTEM_MENUEND, announced_, OBJID_CLIENT, 0);
}

void TTBModalHandler::AnnounceStart(QWidget *AWnd)
{
    announced_ = AWnd;
    CallNotifyWinEvent(EVENT_SYSTEM_MENUSTART, AWnd, OBJID_CLIENT, 0);
}

void TTBModalHandler::SetRootPopup(TTBPopupWindow *Value)
{
    rootPopup_ = Value;
    if (Value && !announced_)
        AnnounceStart(Value);
}

bool TTBModalHandler::IsMenuWindow(const QWidget *w) const
{
    for (TTBView *v = rootView_; v; v = v->OpenViewerView())
        if (v->IsPopup() && v->Window() == w)
            return true;
    return false;
}

QWidget *TTBModalHandler::OpenerWindow() const
{
    QWidget *from = wnd_ ? wnd_ : openedFrom_.data();
    return from ? from->window() : nullptr;
}

void TTBModalHandler::EndLoop()
{
    if (loop_)
        loop_->End();
}

void TTBModalHandler::CancelLoop()
{
    if (loop_ && rootView_ && !rootView_->IsModalEnding())
        rootView_->CancelMode();
    EndLoop();
}

bool TTBModalHandler::ContinueLoop() const { return !rootView_->IsModalEnding(); }

void TTBModalHandler::Loop(TTBView *RootView, bool AMouseDown, bool ATrackRightButton, bool ANotByKeyboard,
                           bool AExecuteSelected)
{
    rootView_ = RootView;
    trackRightButton_ = ATrackRightButton;
    mouseDownOnMenu_ = false;
    RootView->DoneActionData() = {};
    RootView->EnsureLayout();
    RootView->SetModalWindow(wnd_);
    RootView->modalHandler_ = this;

    if (AMouseDown) {
        if (TTBItemViewer *sel = RootView->Selected()) {
            const TPoint client = RootView->Window()->ScreenToClient(GetCursorPos());
            sel->MouseDown({}, client.X - sel->BoundsRect.Left, client.Y - sel->BoundsRect.Top, mouseDownOnMenu_);
        }
    } else if (AExecuteSelected) {
        RootView->ExecuteSelected(!ANotByKeyboard);
    }

    if (ContinueLoop()) {
        // The menu takes the mouse from whoever held it (the button that opened it).
        for (int i = 0; i < 16 && GetCaptureControl(); ++i)
            SetCaptureControl(nullptr);
        TModalLoop loop([this](QWidget *target, QEvent *event) { return Handle(target, event); });
        loop_ = &loop;
        // Opened with no window of the program active (from the tray): nothing would reach the
        // program without a grab.
        if (rootPopup_ && !QApplication::activeWindow() && QGuiApplication::platformName() == QLatin1String("xcb")) {
            rootPopup_->grabMouse();
            rootPopup_->grabKeyboard();
            grabbed_ = true;
        }
        // The menu belongs to the active window: when another one becomes active (a window
        // of this program or of another) the menu is cancelled, as the system cancels modes.
        // Opened while no window of the program was active (from the tray), it belongs to the
        // window it was opened from, whose activation may arrive only after the menu is up;
        // any other window of the program becoming active (a reminder) cancels it.
        const bool wasActive = QGuiApplication::applicationState() == Qt::ApplicationActive;
        QPointer<QWidget> active = QApplication::activeWindow();
        const QPointer<QWidget> opener = active ? nullptr : OpenerWindow();
        QObject context;
        QObject::connect(qApp, &QGuiApplication::applicationStateChanged, &context,
                         [this, wasActive](Qt::ApplicationState s) {
                             if (wasActive && s != Qt::ApplicationActive)
                                 CancelLoop();
                         });
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &context, [this, active, opener]() mutable {
            QWidget *now = QApplication::activeWindow();
            // The menu's own windows do not count: a popup that grabs the keyboard becomes the
            // active window on an X server without a window manager.
            if (now ? now == active || IsMenuWindow(now) : !active)
                return;
            if (!active && IsOwnActivation(opener, now))
                active = now;
            else
                CancelLoop();
        });
        loop.Run();
        loop_ = nullptr;
        if (grabbed_) {
            rootPopup_->releaseKeyboard();
            rootPopup_->releaseMouse();
            grabbed_ = false;
        }
    }
    RootView->SetCapture(false);
    RootView->SetModalWindow(nullptr);
    Application()->SetHint(QString());
    RootView->modalHandler_ = nullptr;
}

TInputAction TTBModalHandler::Handle(QWidget *target, QEvent *event)
{
    TInputAction action = TInputAction::Consume;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: action = HandleKey(event); break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Wheel: action = HandleMouse(event); break;
    case QEvent::ContextMenu: return TInputAction::Consume;
    default: return TInputAction::Pass;
    }
    if (action == TInputAction::Consume && !ContinueLoop())
        EndLoop();
    if (TBLastCursorPos().X == tbNoCursorPos && ContinueLoop()) {
        TBLastCursorPos() = GetCursorPos();
        UpdateAllSelections(TBLastCursorPos(), false);
    }
    if (action != TInputAction::EndAndRedeliver) {
        QString hint;
        for (TTBView *v = rootView_; v; v = v->OpenViewerView())
            if (v->Selected())
                hint = GetLongHint(v->Selected()->Item->Hint());
        Application()->SetHint(hint);
    }
    return action;
}

// ---------------------------------------------------------------------------------------------
// Keys

TInputAction TTBModalHandler::HandleKey(QEvent *event)
{
    if (event->type() == QEvent::KeyRelease)
        return TInputAction::Consume;
    auto *ke = static_cast<QKeyEvent *>(event);
    CancelHint();
    WORD key = WORD(VirtualKeyFromQt(ke->key(), ke->modifiers() & Qt::KeypadModifier));
    const bool buttonDown = GetKeyState(VK_LBUTTON) < 0 || (trackRightButton_ && GetKeyState(VK_RBUTTON) < 0);
    if (buttonDown && key != VK_F1)
        return TInputAction::Consume;
    const TShiftState shift = ShiftStateFromQt(ke->modifiers());
    if (key) {
        TTBView *inner = rootView_->InnermostView();
        if (TTBItemViewer *sel = inner->Selected())
            sel->KeyDown(key, shift);
        if (key)
            inner->KeyDown(key, shift);
        if (!ContinueLoop() || key == 0)
            return TInputAction::Consume;
    }
    // The character typed by the key, when the key itself did nothing.
    const QString text = ke->text();
    if (!text.isEmpty() && text.at(0).isPrint())
        HandleChar(text.at(0));
    return TInputAction::Consume;
}

void TTBModalHandler::HandleChar(QChar Ch)
{
    TTBView *inner = rootView_->InnermostView();
    bool only = false;
    if (TTBItemViewer *v = inner->NextSelectableWithAccel(inner->Selected(), Ch, false, only)) {
        inner->Select(v, false);
        inner->ScrollSelectedIntoView();
        if (only)
            inner->ExecuteSelected(true);
    } else if ((Ch == QLatin1Char(' ') || Ch == QLatin1Char('-')) && rootView_->IsToolbar() && inner == rootView_) {
        rootView_->EndModalWithSystemMenu(QApplication::activeWindow(), WORD(Ch.unicode()));
    } else {
        QApplication::beep();
    }
}

// ---------------------------------------------------------------------------------------------
// Mouse

bool TTBModalHandler::IsInChain(const TPoint &ScreenPt) const
{
    QWidget *under = TInputRouter::WidgetAt(ScreenPt);
    for (TTBView *v = rootView_; v; v = v->OpenViewerView()) {
        if (!Within(v, under))
            continue;
        if (v->IsPopup())
            return true;
        if (v->Window()->ClientRect().Contains(v->Window()->ScreenToClient(ScreenPt)))
            return true;
    }
    return false;
}

void TTBModalHandler::UpdateAllSelections(const TPoint &ScreenPt, bool Forced)
{
    for (TTBView *v = rootView_; v; v = v->OpenViewerView())
        if (v->Capture()) {
            v->UpdateSelectionFromPoint(ScreenPt, Forced, true);
            return;
        }
    // Deepest first; a view's parent outlives it.
    for (TTBView *v = rootView_->InnermostView(); v;) {
        TTBView *parent = v == rootView_ ? nullptr : v->ParentView();
        v->UpdateSelectionFromPoint(ScreenPt, Forced, false);
        v = parent;
    }
}

TTBView *TTBModalHandler::ViewUnderCursor(const TPoint &ScreenPt, TTBItemViewer *&Viewer) const
{
    Viewer = nullptr;
    for (TTBView *v = rootView_; v; v = v->OpenViewerView())
        if (v->Capture()) {
            Viewer = v->Selected();
            return Viewer ? v : nullptr;
        }
    QWidget *under = TInputRouter::WidgetAt(ScreenPt);
    for (TTBView *v = rootView_; v; v = v->OpenViewerView()) {
        TTBItemViewer *sel = v->Selected();
        if (!sel || !sel->Show || !Within(v, under))
            continue;
        if (sel->BoundsRect.Contains(v->Window()->ScreenToClient(ScreenPt))) {
            Viewer = sel;
            return v;
        }
    }
    return nullptr;
}

void TTBModalHandler::UpdateHintAndCursor(const TPoint &ScreenPt)
{
    TTBItemViewer *v = nullptr;
    TTBView *view = ViewUnderCursor(ScreenPt, v);
    TCursor cursor = crArrow;
    if (view && v)
        v->GetCursor(view->Window()->ScreenToClient(ScreenPt), cursor);
    QApplication::changeOverrideCursor(CursorFromTCursor(cursor == crDefault ? crArrow : cursor));
    // Item hints while the menu runs: the loop takes the moves the hint timer would see.
    const bool hint = view && v && !view->Capture() &&
                      (view->Style().Contains(TTBViewStyleItem::vsAlwaysShowHints) ||
                       v->Item->EffectiveOptions().Contains(TTBItemOption::tboShowHint));
    if (hint)
        view->Window()->ActivateHint(ScreenPt);
    else
        CancelHint();
}

TInputAction TTBModalHandler::HandleMouse(QEvent *event)
{
    const TPoint pt = GlobalPos(event);
    const QEvent::Type type = event->type();

    if (type == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
        TTBItemViewer *v = nullptr;
        TTBView *view = ViewUnderCursor(pt, v);
        bool handled = false;
        if (view && v) {
            const TPoint c = view->Window()->ScreenToClient(pt);
            handled = v->MouseWheel(delta, c.X - v->BoundsRect.Left, c.Y - v->BoundsRect.Top);
        }
        if (!handled)
            rootView_->InnermostView()->MouseWheel(delta);
        return TInputAction::Consume;
    }

    auto *me = static_cast<QMouseEvent *>(event);
    const Qt::MouseButton button = me->button();
    const bool tracked = button == Qt::LeftButton || (button == Qt::RightButton && trackRightButton_);

    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        if (button == Qt::LeftButton || button == Qt::RightButton) {
            // A press anywhere else ends the menu and then reaches its target.
            if (!IsInChain(pt))
                return TInputAction::EndAndRedeliver;
            if (rootView_->IsToolbar() && button == Qt::LeftButton && Within(rootView_, TInputRouter::WidgetAt(pt))) {
                TTBItemViewer *v = rootView_->ViewerFromPoint(rootView_->Window()->ScreenToClient(pt));
                if (!v || v != rootView_->Selected() || (v->Item->ItemStyle() & tbis::IgnoresClicks))
                    return TInputAction::EndAndRedeliver;
            }
        }
        if (!tracked)
            return TInputAction::Consume;
        CancelHint();
        rootView_->State().Exclude(TTBViewStateItem::vsIgnoreFirstMouseUp);
        UpdateAllSelections(pt, true);
        TTBItemViewer *v = nullptr;
        if (TTBView *view = ViewUnderCursor(pt, v)) {
            TShiftState shift = ShiftStateFromQt(me->modifiers(), me->buttons());
            if (type == QEvent::MouseButtonDblClick)
                shift.Include(ssDouble);
            const TPoint c = view->Window()->ScreenToClient(pt);
            v->MouseDown(shift, c.X - v->BoundsRect.Left, c.Y - v->BoundsRect.Top, mouseDownOnMenu_);
        }
        TBLastCursorPos() = pt;
        return TInputAction::Consume;
    }

    if (type == QEvent::MouseButtonRelease) {
        if (!tracked)
            return TInputAction::Consume;
        UpdateAllSelections(pt, false);
        TTBItemViewer *v = nullptr;
        if (TTBView *view = ViewUnderCursor(pt, v)) {
            const TPoint c = view->Window()->ScreenToClient(pt);
            v->MouseUp(c.X - v->BoundsRect.Left, c.Y - v->BoundsRect.Top, mouseDownOnMenu_);
            return TInputAction::Consume;
        }
        QWidget *under = TInputRouter::WidgetAt(pt);
        for (TTBView *view = rootView_; view; view = view->OpenViewerView())
            if (view->IsPopup() && Within(view, under))
                return TInputAction::Consume;
        if (rootView_->State().Contains(TTBViewStateItem::vsIgnoreFirstMouseUp))
            rootView_->State().Exclude(TTBViewStateItem::vsIgnoreFirstMouseUp);
        else
            rootView_->EndModal();
        return TInputAction::Consume;
    }

    if (type == QEvent::MouseMove) {
        if (!(pt == TBLastCursorPos())) {
            TBLastCursorPos() = pt;
            UpdateAllSelections(pt, true);
            UpdateHintAndCursor(pt);
        }
        TTBItemViewer *v = nullptr;
        if (TTBView *view = ViewUnderCursor(pt, v)) {
            const TPoint c = view->Window()->ScreenToClient(pt);
            v->MouseMove(c.X - v->BoundsRect.Left, c.Y - v->BoundsRect.Top);
        }
    }
    return TInputAction::Consume;
}

// ---------------------------------------------------------------------------------------------

TTBCustomItem *RunDoneAction(const TTBDoneActionData &Done, bool ReturnClickedItemOnly)
{
    switch (Done.DoneAction) {
    case TTBDoneAction::tbdaClickItem:
        if (Done.ClickFromPopup && IsSoundEventConfigured(QStringLiteral("MenuCommand")))
            PlayEventSound(QStringLiteral("MenuCommand"));
        if (!ReturnClickedItemOnly)
            QueueItemClick(Done.ClickItem);
        return Done.ClickItem;
    case TTBDoneAction::tbdaOpenSystemMenu:
        // The window takes the key as it takes Alt with that key.
        if (Done.Wnd)
            SendMessage(Done.Wnd, WM_SYSCOMMAND, SC_KEYMENU, LPARAM(Done.Key));
        break;
    case TTBDoneAction::tbdaHelpContext: Application()->HelpContext(Done.ContextID); break;
    case TTBDoneAction::tbdaCancel:
    case TTBDoneAction::tbdaNone: break;
    }
    return nullptr;
}

namespace {

// What a popup menu was opened from: the control it pops up for, else the form that owns it,
// else what lies where it opens (a list's menu opens at the click or at the list).
QWidget *OpenedFrom(const TTBCustomItem *AItem, const TPoint &P)
{
    if (const auto *menu = dynamic_cast<const TPopupMenu *>(AItem->ParentComponentRef())) {
        if (auto *control = dynamic_cast<QWidget *>(menu->PopupComponent()))
            return control;
        if (auto *form = dynamic_cast<QWidget *>(menu->Owner()))
            return form;
    }
    return TInputRouter::WidgetAt(P);
}

} // namespace

TTBCustomItem *TBPopupItemAsMenu(TTBCustomItem *AItem, const TPoint &P, bool TrackRightButton,
                                 TTBPopupAlignment Alignment, bool ReturnClickedItemOnly)
{
    TBInstallPopupWindows();
    TTBDoneActionData done;
    // The window outlives the handler: the end of the menu is announced on it.
    std::unique_ptr<TTBPopupWindow> window;
    {
        TTBModalHandler handler(nullptr);
        handler.SetOpenedFrom(OpenedFrom(AItem, P));
        window.reset(AItem->OpenItemPopup(nullptr, nullptr, Alignment, P, false, false, false));
        if (!window)
            return nullptr;
        handler.SetRootPopup(window.get());
        TTBView *view = window->View();
        view->State().Include(TTBViewStateItem::vsIgnoreFirstMouseUp);
        handler.Loop(view, false, TrackRightButton, false, false);
        done = view->DoneActionData();
    }
    window.reset();
    return RunDoneAction(done, ReturnClickedItemOnly);
}
