#include "TBXDkPanels.h"

#include "TBXNexus.h"
#include "TBXUtils.h"

#include "platform/Forms.h"
#include "platform/SysColors.h"
#include "toolbar/TB2Common.h"

#include <QCursor>
#include <QPointer>
#include <QScrollArea>
#include <QTimer>
#include <algorithm>

namespace {

struct HoverTracking {
    int panels = 0;
    std::unique_ptr<QTimer> timer;
    TTBXPanelObject *tracked = nullptr;
    std::function<TControl *()> underCursor;
};

HoverTracking &Hover()
{
    static HoverTracking hover;
    return hover;
}

TControl *ControlUnderCursor()
{
    HoverTracking &h = Hover();
    if (h.underCursor)
        return h.underCursor();
    return FindDragTarget(TPoint::FromQPoint(QCursor::pos()), false);
}

} // namespace

void SetControlUnderCursorSource(std::function<TControl *()> source) { Hover().underCursor = std::move(source); }

void ScrollIntoView(QWidget *Control, int Width, int Height)
{
    for (QWidget *p = Control ? Control->parentWidget() : nullptr; p; p = p->parentWidget())
        if (auto *area = qobject_cast<QScrollArea *>(p)) {
            QWidget *content = area->widget();
            if (!content || !content->isAncestorOf(Control))
                return;
            const int w = std::max(0, Width) / 2, h = std::max(0, Height) / 2;
            const QPoint centre = Control->mapTo(content, QPoint(w, h));
            area->ensureVisible(centre.x(), centre.y(), w, h);
            return;
        }
}

bool PanelHoverTimerExists() { return Hover().timer != nullptr; }

TTBXPanelObject *TrackedPanel() { return Hover().tracked; }

void PanelHoverCheck()
{
    HoverTracking &h = Hover();
    TTBXPanelObject *tracked = h.tracked;
    if (!tracked || ControlUnderCursor() == tracked)
        return;
    h.tracked = nullptr;
    if (h.timer)
        h.timer->stop();
    tracked->Leave();
}

TTBXPanelObject::TTBXPanelObject(TComponent *AOwner) : TCustomControl(AOwner)
{
    SetColor(clNone);
    SetParentColor(false);
    SetControlStyle(ControlStyle() | TControlStyle{csAcceptsControls, csClickEvents, csDoubleClicks});
    AddThemeListener(this);
    HoverTracking &h = Hover();
    if (h.panels++ == 0) {
        h.timer = std::make_unique<QTimer>();
        h.timer->setInterval(125);
        QObject::connect(h.timer.get(), &QTimer::timeout, [] { PanelHoverCheck(); });
    }
}

TTBXPanelObject::~TTBXPanelObject()
{
    RemoveThemeListener(this);
    HoverTracking &h = Hover();
    // The shared tracking must not point at a control that is gone.
    if (h.tracked == this) {
        h.tracked = nullptr;
        if (h.timer)
            h.timer->stop();
    }
    if (--h.panels == 0)
        h.timer.reset();
}

void TTBXPanelObject::SetEnabled(bool value)
{
    if (!value && mouseInControl_) {
        if (Hover().tracked == this)
            Hover().tracked = nullptr;
        Leave();
        SetPushed(false);
    }
    TCustomControl::SetEnabled(value);
}

void TTBXPanelObject::Enter()
{
    if (!Enabled() || mouseInControl_)
        return;
    mouseInControl_ = true;
    DoMouseEnter();
}

void TTBXPanelObject::Leave()
{
    if (!mouseInControl_)
        return;
    mouseInControl_ = false;
    DoMouseLeave();
    Invalidate();
}

void TTBXPanelObject::DoMouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TTBXPanelObject::DoMouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TTBXPanelObject::SetPushed(bool value)
{
    if (pushed_ == value)
        return;
    pushed_ = value;
    Invalidate();
}

void TTBXPanelObject::MouseMove(TShiftState Shift, int X, int Y)
{
    HoverTracking &h = Hover();
    if (ControlUnderCursor() == this) {
        if (h.tracked != this) {
            // The one tracked before leaves before this one enters.
            if (TTBXPanelObject *previous = h.tracked) {
                h.tracked = nullptr;
                previous->Leave();
            }
            h.tracked = this;
            if (h.timer)
                h.timer->start();
            Enter();
        }
    } else if (MouseCapture() && mouseInControl_) {
        Leave();
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TTBXPanelObject::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == TMouseButton::mbLeft) {
        SetPushed(true);
        if (CanFocus()) {
            TForm *form = GetParentForm(this);
            suppressFocusScroll_ = noScrollOnClick_ && form && form->isActiveWindow();
            SetFocus();
            suppressFocusScroll_ = false;
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TTBXPanelObject::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == TMouseButton::mbLeft)
        SetPushed(false);
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TTBXPanelObject::KeyDown(WORD &Key, TShiftState Shift)
{
    if (pushOnSpace_ && Key == VK_SPACE)
        SetPushed(true);
    TCustomControl::KeyDown(Key, Shift);
}

void TTBXPanelObject::KeyUp(WORD &Key, TShiftState Shift)
{
    if (pushOnSpace_ && Key == VK_SPACE && pushed_) {
        SetPushed(false);
        Click();
    }
    TCustomControl::KeyUp(Key, Shift);
}

void TTBXPanelObject::DoEnter()
{
    if (!suppressFocusScroll_)
        ScrollIntoView(this, ShownWidth(), ShownHeight());
    Invalidate();
    TCustomControl::DoEnter();
}

void TTBXPanelObject::DoExit()
{
    SetPushed(false);
    TCustomControl::DoExit();
}

void TTBXPanelObject::EraseBackground(TCanvas &ACanvas)
{
    if (Color() != clNone) {
        TCanvasStateGuard guard(ACanvas);
        ACanvas.Brush()->SetColor(Color());
        ACanvas.FillRect(ClientRect());
    } else {
        DrawParentBackground(this, ACanvas, ClientRect());
    }
}

void TTBXPanelObject::WndProc(TMessage &Message)
{
    if (Message.Msg == TBXM_CONTROLCHANGE) {
        Invalidate();
        return;
    }
    if (Message.Msg == CM_PARENTCOLORCHANGED) {
        // The colour the parent shows, not its Color: a themed parent has none of its own.
        if (Message.WParam == 0 && Parent()) {
            Message.WParam = 1;
            Message.LParam = LPARAM(GetShownViewColor(Parent()));
        }
        TCustomControl::WndProc(Message);
        Invalidate();
        return;
    }
    TCustomControl::WndProc(Message);
    if (Message.Msg == CM_CONTROLCHANGE || Message.Msg == CM_COLORCHANGED)
        PassColorToChildren(this, Message, GetShownViewColor(this));
}

// ---------------------------------------------------------------------------------------------

TTBXTextObject::TTBXTextObject(TComponent *AOwner) : TTBXPanelObject(AOwner)
{
    margins_.OnChange = [this] { Changed(); };
    SetBounds(0, 0, 100, 17);
}

void TTBXTextObject::SetWrapping(TTextWrapping value)
{
    if (wrapping_ != value) {
        wrapping_ = value;
        Changed();
    }
}

void TTBXTextObject::SetShowAccelChar(bool value)
{
    if (showAccelChar_ != value) {
        showAccelChar_ = value;
        Changed();
    }
}

void TTBXTextObject::SetAlignment(TAlignment value)
{
    if (alignment_ != value) {
        alignment_ = value;
        Invalidate();
    }
}

void TTBXTextObject::SetAutoSize(bool value)
{
    if (autoSize_ != value) {
        autoSize_ = value;
        AdjustSize();
    }
}

void TTBXTextObject::Changed()
{
    AdjustSize();
    Invalidate();
}

void TTBXTextObject::WndProc(TMessage &Message)
{
    if (Message.Msg == CM_DIALOGCHAR && Enabled() && Visible() && showAccelChar_ && CanFocus()) {
        // Alt and the caption's accelerator, in either case.
        if (IsAccelChar(GetText(), char32_t(Message.WParam))) {
            SetFocus();
            Click();
            Message.Result = 1;
            return;
        }
    }
    TTBXPanelObject::WndProc(Message);
    if (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_FONTCHANGED)
        Changed();
}

unsigned TTBXTextObject::TextFlags() const
{
    unsigned flags = DT_EXPANDTABS;
    switch (alignment_) {
    case TAlignment::taRightJustify: flags |= DT_RIGHT; break;
    case TAlignment::taCenter: flags |= DT_CENTER; break;
    default: break;
    }
    switch (wrapping_) {
    case TTextWrapping::twNone: flags |= DT_SINGLELINE; break;
    case TTextWrapping::twEndEllipsis: flags |= DT_SINGLELINE | DT_END_ELLIPSIS; break;
    case TTextWrapping::twPathEllipsis: flags |= DT_SINGLELINE | DT_PATH_ELLIPSIS; break;
    case TTextWrapping::twWrap: flags |= DT_WORDBREAK; break;
    }
    if (!showAccelChar_)
        flags |= DT_NOPREFIX;
    return flags;
}

TRect TTBXTextObject::TextRect() const
{
    TRect r = ClientRect();
    const TRect m = GetTextMargins();
    r.Left += margins_.Left() + m.Left;
    r.Top += margins_.Top() + m.Top;
    r.Right -= margins_.Right() + m.Right;
    r.Bottom -= margins_.Bottom() + m.Bottom;
    return r;
}

void TTBXTextObject::GetTextSize(TCanvas &canvas, int &width, int &height)
{
    TRect r = TextRect();
    r.Bottom = r.Top;
    DoDrawText(canvas, r, TextFlags() | DT_CALCRECT);
    const TRect m = GetTextMargins();
    width = r.Width() + margins_.Left() + margins_.Right() + m.Left + m.Right;
    height = r.Height() + margins_.Top() + margins_.Bottom() + m.Top + m.Bottom;
}

void TTBXTextObject::DoDrawText(TCanvas &canvas, TRect &rect, unsigned flags)
{
    QString text = GetText();
    // An empty caption still takes one line.
    if ((flags & DT_CALCRECT) && (text.isEmpty() || (showAccelChar_ && text == QLatin1String("&"))))
        text = QStringLiteral(" ");
    // A right-to-left control mirrors a left or right alignment and reads right to left.
    if (UseRightToLeftAlignment() && !(flags & DT_CENTER))
        flags ^= DT_RIGHT;
    if (UseRightToLeftReading())
        flags |= DT_RTLREADING;
    TCanvasStateGuard guard(canvas);
    canvas.Font()->Assign(*Font());
    DoAdjustFont(*canvas.Font());
    canvas.Brush()->SetStyle(TBrushStyle::bsClear);
    canvas.SetBkMode(TRANSPARENT);
    if (Enabled() || (flags & DT_CALCRECT)) {
        canvas.DrawText(text, rect, flags);
        return;
    }
    TRect shifted = rect;
    shifted.Offset(1, 1);
    canvas.Font()->SetColor(clBtnHighlight);
    canvas.DrawText(text, shifted, flags);
    canvas.Font()->SetColor(clBtnShadow);
    canvas.DrawText(text, rect, flags);
}

void TTBXTextObject::AdjustSize()
{
    if (!autoSize_ || sizing_ || ComponentState().Contains(csLoading))
        return;
    sizing_ = true;
    TCanvas measure;
    int w = 0, h = 0;
    GetTextSize(measure, w, h);
    SetBounds(Left(), Top(), Width(), h + (Height() - ClientHeight()));
    sizing_ = false;
}

void TTBXTextObject::Paint()
{
    TCanvas &canvas = *Canvas();
    TRect r = TextRect();
    TRect measured = r;
    DoDrawText(canvas, measured, TextFlags() | DT_CALCRECT);
    const int free = r.Height() - measured.Height();
    r.Top += free / 2;
    r.Bottom = r.Top + measured.Height();
    DoDrawText(canvas, r, TextFlags());
    if (IsFocusRectShown())
        DrawFocusRectBlackWhite(canvas, GetFocusRect());
}
