#include "Controls.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#ifdef ORV_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

// A control as a window of its own: kinds, shape, opacity; printing into a canvas; the
// pointer shape.

namespace {

Qt::WindowFlags FlagsOfKinds(TWindowKinds kinds)
{
    Qt::WindowFlags flags = Qt::Window;
    if (kinds.Contains(wkPopup)) {
        // Not Qt::Popup: Qt grabs input for those and closes them on an outside click, while
        // a menu decides itself when its windows go. Qt types a tip for the window manager as
        // one; a menu is typed apart (NetWmTypeOfKinds).
        flags = Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint;
    } else if (kinds.Contains(wkToolWindow)) {
        flags = Qt::Tool | Qt::FramelessWindowHint;
    }
    if (kinds.Contains(wkTopMost))
        flags |= Qt::WindowStaysOnTopHint;
    if (kinds.Contains(wkNoActivate))
        flags |= Qt::WindowDoesNotAcceptFocus;
    return flags;
}

#ifdef ORV_HAVE_XCB
xcb_connection_t *X11Connection()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
#endif

// The EWMH window type (_NET_WM_WINDOW_TYPE) a popup of these kinds carries; none for others.
const char *NetWmTypeOfKinds(TWindowKinds kinds)
{
    if (!kinds.Contains(wkPopup))
        return nullptr;
    if (kinds.Contains(wkDropDownMenu))
        return "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU";
    if (kinds.Contains(wkPopupMenu))
        return "_NET_WM_WINDOW_TYPE_POPUP_MENU";
    return nullptr;
}

// Types the native window for the window manager and compositor in place of the type Qt gave
// it from its window flags (it does so when it creates the window or its flags change).
void SetNetWmWindowType(QWidget *w, const char *type)
{
#ifdef ORV_HAVE_XCB
    xcb_connection_t *c = X11Connection();
    if (!c || !w->windowHandle())
        return;
    const auto intern = [c](const char *name) {
        xcb_intern_atom_reply_t *r =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return atom;
    };
    const xcb_atom_t property = intern("_NET_WM_WINDOW_TYPE"), value = intern(type);
    if (property == XCB_ATOM_NONE || value == XCB_ATOM_NONE)
        return;
    // The window handle's own: a widget's winId() may still name a window Qt has replaced.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(w->windowHandle()->winId()), property, XCB_ATOM_ATOM,
                        32, 1, &value);
#else
    Q_UNUSED(w);
    Q_UNUSED(type);
#endif
}

// Tells the window manager whether the window takes the input focus (the input field of the
// ICCCM WM_HINTS), leaving the rest of the hints as Qt wrote them. Qt itself can only say so
// through a window flag that also refuses the program's own activation; a window with that
// flag is left as it is.
void SetWmInputHint(QWidget *w, bool input)
{
#ifdef ORV_HAVE_XCB
    xcb_connection_t *c = X11Connection();
    if (!c || !w->isWindow() || w->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus) || !w->windowHandle() ||
        !w->windowHandle()->handle())
        return;
    const auto window = xcb_window_t(w->windowHandle()->winId());
    constexpr uint32_t InputHint = 1;
    uint32_t hints[9] = {};
    xcb_get_property_reply_t *r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9), nullptr);
    if (r && r->format == 32)
        std::memcpy(hints, xcb_get_property_value(r), std::min<size_t>(xcb_get_property_value_length(r), sizeof hints));
    std::free(r);
    if ((hints[0] & InputHint) && hints[1] == uint32_t(input))
        return;
    hints[0] |= InputHint;
    hints[1] = input;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, hints);
    xcb_flush(c);
#else
    Q_UNUSED(w);
    Q_UNUSED(input);
#endif
}

TCursor CursorOfHitTest(int ht)
{
    switch (ht) {
    case HTLEFT:
    case HTRIGHT: return crSizeWE;
    case HTTOP:
    case HTBOTTOM: return crSizeNS;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: return crSizeNWSE;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: return crSizeNESW;
    default: return crArrow;
    }
}

} // namespace

void TControl::SetWindowKinds(TWindowKinds value)
{
    if (value == windowKinds_)
        return;
    windowKinds_ = value;
    if (isWindow())
        ApplyWindowKinds();
}

void TControl::ApplyWindowKinds()
{
    if (alphaBlend_ != 255)
        setWindowOpacity(alphaBlend_ / 255.0);  // Qt keeps it across a change of flags
    // A window that never had a kind keeps whatever flags Qt or its class gave it.
    if (windowKinds_.Empty() && !kindsApplied_)
        return;
    kindsApplied_ = true;
    const bool noActivate = windowKinds_.Contains(wkPopup) || windowKinds_.Contains(wkNoActivate);
    setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    setAttribute(Qt::WA_X11DoNotAcceptFocus, noActivate);
    const Qt::WindowFlags flags = FlagsOfKinds(windowKinds_);
    // Qt adds decoration hints of its own when it creates the window: compare what kinds set.
    const Qt::WindowFlags mask = Qt::WindowType_Mask | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                 Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint;
    if ((windowFlags() & mask) != flags) {
        // Qt hides a window whose flags change; it comes back as it was.
        const bool shown = !isHidden();
        syncing_ = true;
        setWindowFlags(flags);
        setGeometry(left_, top_, width_, height_);
        if (shown)
            QWidget::setVisible(true);
        syncing_ = false;
        ApplyClickActivation();
    }
}

void TControl::SetClickActivates(bool value)
{
    if (value == clickActivates_)
        return;
    clickActivates_ = value;
    SetWmInputHint(this, value);
}

// Qt writes the hints afresh, clicks activating, when it creates the window or its flags change.
void TControl::ApplyClickActivation()
{
    if (!clickActivates_)
        SetWmInputHint(this, false);
}

void TControl::SetOwnerWindow(QWidget *value)
{
    ownerWindow_ = value;
    ApplyOwnerWindow();
}

// Without an owner Qt names the application's hidden leader window as the one a tool window
// belongs to, and a window manager then lets the form cover it.
void TControl::ApplyOwnerWindow()
{
    if (!isWindow() || !ownerWindow_)
        return;
    QWindow *own = windowHandle(), *owner = ownerWindow_->window()->windowHandle();
    if (own && owner && own->transientParent() != owner)
        own->setTransientParent(owner);
}

// Qt puts its own window type back while it shows a window: the menu type follows.
void TControl::ApplyWindowType()
{
    const char *type = isWindow() ? NetWmTypeOfKinds(windowKinds_) : nullptr;
    if (type && QGuiApplication::platformName() == QLatin1String("xcb"))
        SetNetWmWindowType(this, type);
}

void TControl::SetWindowRegion(const std::optional<QRegion> &value)
{
    windowRegion_ = value;
    if (!value)
        clearMask();
    else if (value->isEmpty())
        setMask(QRegion(-1, -1, 1, 1));  // Qt reads an empty mask as none: keep one pixel outside
    else
        setMask(*value);
}

void TControl::SetAlphaBlendValue(int value)
{
    value = std::clamp(value, 0, 255);
    if (value == alphaBlend_)
        return;
    alphaBlend_ = value;
    if (isWindow())
        setWindowOpacity(value / 255.0);
}

// ---------------------------------------------------------------------------------------------
// Printing

void TControl::PaintTo(TCanvas &ACanvas, int X, int Y)
{
    TCanvasStateGuard guard(ACanvas);
    ACanvas.MoveWindowOrg(X, Y);
    ACanvas.IntersectClipRect(Rect(0, 0, width_, height_));
    Perform(WM_PRINT, WPARAM(&ACanvas), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
}

void TControl::PrintWindow(TCanvas &ACanvas, LPARAM flags)
{
    if ((flags & PRF_CHECKVISIBLE) && !isVisible())
        return;
    const TRect m = NCMargins();
    const TRect client = ClientRect();
    if ((flags & PRF_NONCLIENT) && (m.Left || m.Top || m.Right || m.Bottom)) {
        TCanvasStateGuard guard(ACanvas);
        ACanvas.IntersectClipRect(Rect(0, 0, width_, height_));
        ACanvas.ExcludeClipRect(Bounds(m.Left, m.Top, client.Width(), client.Height()));
        Perform(WM_NCPAINT, WPARAM(&ACanvas));
    }
    if (flags & PRF_CLIENT) {
        TCanvasStateGuard guard(ACanvas);
        ACanvas.MoveWindowOrg(m.Left, m.Top);
        ACanvas.IntersectClipRect(client);
        if (flags & PRF_ERASEBKGND)
            Perform(WM_ERASEBKGND, WPARAM(&ACanvas));
        Perform(WM_PRINTCLIENT, WPARAM(&ACanvas), flags);
    }
    if (!(flags & PRF_CHILDREN))
        return;
    // Children in stacking order, bottom first, each in its own rectangle.
    for (QObject *o : children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w->isWindow() || w->isHidden())
            continue;
        TCanvasStateGuard guard(ACanvas);
        const QRect g = w->geometry();
        ACanvas.MoveWindowOrg(g.x(), g.y());
        ACanvas.IntersectClipRect(Rect(0, 0, g.width(), g.height()));
        if (auto *c = dynamic_cast<TControl *>(w)) {
            c->Perform(WM_PRINT, WPARAM(&ACanvas), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
        } else if (!g.isEmpty()) {
            QImage image(g.size(), QImage::Format_RGB32);
            image.fill(Qt::white);
            w->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
            ACanvas.Draw(0, 0, image);
        }
    }
}

// The client area as the control last painted it, brought up to date first: what Paint
// draws goes to the control's own back buffer.
void TControl::PrintClient(TCanvas &ACanvas)
{
    EnsureBuffer();
    if (!dirty_.isEmpty()) {
        const QRegion region = dirty_;
        dirty_ = QRegion();
        PaintBuffer(region);
    }
    if (buffer_.isNull())
        return;
    const TRect m = NCMargins();
    const TRect client = ClientRect();
    ACanvas.Draw(0, 0, buffer_.copy(m.Left, m.Top, client.Width(), client.Height()));
}

// ---------------------------------------------------------------------------------------------
// Pointer shape

void TControl::SetCursorShape(TCursor value)
{
    const bool set = testAttribute(Qt::WA_SetCursor);
    if (value == crDefault ? !set : set && cursor().shape() == CursorFromTCursor(value).shape())
        return;
    if (value == crDefault)
        unsetCursor();
    else
        QWidget::setCursor(CursorFromTCursor(value));
}

// The parent may decide for its children first; otherwise the control's own Cursor over the
// client area, and the sizing shapes over a sizing frame.
void TControl::DefaultSetCursor(TMessage &Message)
{
    if (parent_ && parent_->Perform(WM_SETCURSOR, Message.WParam, Message.LParam) != 0) {
        Message.Result = 1;
        return;
    }
    if (Message.WParam != WPARAM(static_cast<QWidget *>(this)))
        return;
    const int ht = int(std::int16_t(LoWord(Message.LParam)));
    SetCursorShape(ht == HTCLIENT ? cursor_ : CursorOfHitTest(ht));
}

bool CompositingManagerRunning()
{
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland")))
        return true;
#ifdef ORV_HAVE_XCB
    if (platform != QLatin1String("xcb"))
        return false;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    static const char name[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof(name) - 1, name), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    if (!owner)
        return false;
    const bool running = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return running;
#else
    return false;
#endif
}
