#include "dfsSplitter.h"

#include "platform/InputRouter.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Far enough that the bar's own limits decide: the smallest and the largest pane.
constexpr int kCollapse = -3000;
constexpr int kExpand = 3000;
// A press and release on the button that travel less than this across the bar are a click.
constexpr int kClickTravel = 6;

int CountOf(TdfsWindowsButtons buttons)
{
    int n = 0;
    for (TdfsWindowsButton b : {TdfsWindowsButton::wbMin, TdfsWindowsButton::wbMax, TdfsWindowsButton::wbClose})
        n += buttons.Contains(b) ? 1 : 0;
    return n;
}

} // namespace

TdfsSplitter::TdfsSplitter(TComponent *AOwner) : TSplitter(AOwner)
{
    SetBeveled(false);
    SetBounds(Left(), Top(), 10, Height());
}

bool TdfsSplitter::Horizontal() const
{
    return Align() == TAlign::alTop || Align() == TAlign::alBottom;
}

int TdfsSplitter::PaneSize(const TControl *pane) const
{
    return Horizontal() ? pane->Height() : pane->Width();
}

void TdfsSplitter::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TSplitter::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (restoreSize_ == -1 && !ComponentState().Contains(csLoading)) {
        if (const TControl *pane = FindPane())
            restoreSize_ = PaneSize(pane);
    }
}

void TdfsSplitter::Loaded()
{
    TSplitter::Loaded();
    if (restoreSize_ == -1) {
        if (const TControl *pane = FindPane())
            restoreSize_ = PaneSize(pane);
    }
}

// ---------------------------------------------------------------------------------------------
// Collapsing and restoring

void TdfsSplitter::SetPaneSize(int size)
{
    TControl *pane = FindPane();
    if (!pane)
        return;
    int delta = 0;
    switch (Align()) {
    case TAlign::alLeft: delta = pane->Left() + size - Left(); break;
    case TAlign::alRight: delta = pane->Left() + pane->Width() - Width() - size - Left(); break;
    case TAlign::alTop: delta = pane->Top() + size - Top(); break;
    case TAlign::alBottom: delta = pane->Top() + pane->Height() - Height() - size - Top(); break;
    default: return;
    }
    const int x = Horizontal() ? 0 : delta;
    const int y = Horizontal() ? delta : 0;
    // The bar's own sizing does the work, so its limits hold. Snapping is held back: a
    // collapsed pane keeps its minimum size and stays in reach.
    const bool snap = AutoSnap();
    SetAutoSnap(false);
    TSplitter::MouseDown(TMouseButton::mbLeft, {ssLeft}, 0, 0);
    TSplitter::MouseMove({ssLeft}, x, y);
    TSplitter::MouseUp(TMouseButton::mbLeft, {}, x, y);
    SetAutoSnap(snap);
}

void TdfsSplitter::SetMaximized(bool value)
{
    if (value == maximized_)
        return;
    if (ComponentState().Contains(csLoading)) {
        maximized_ = value;
        return;
    }
    // Without a pane there is nothing to collapse or restore.
    TControl *pane = FindPane();
    if (!pane)
        return;
    if (value) {
        if (!minimized_)
            restoreSize_ = PaneSize(pane);
        else
            minimized_ = false;
        int size = kCollapse;
        if (buttonStyle_ == TdfsButtonStyle::bsWindows && (Align() == TAlign::alBottom || Align() == TAlign::alLeft))
            size = kExpand;
        SetPaneSize(size);
        maximized_ = true;
        DoMaximize();
    } else {
        // A size never recorded is no size to go back to.
        if (restoreSize_ >= 0)
            SetPaneSize(restoreSize_);
        maximized_ = false;
        DoRestore();
    }
    Invalidate();
}

void TdfsSplitter::SetMinimized(bool value)
{
    if (value == minimized_)
        return;
    if (ComponentState().Contains(csLoading)) {
        minimized_ = value;
        return;
    }
    TControl *pane = FindPane();
    if (!pane)
        return;
    if (value) {
        if (!maximized_)
            restoreSize_ = PaneSize(pane);
        else
            maximized_ = false;
        SetPaneSize(Align() == TAlign::alTop || Align() == TAlign::alRight ? kExpand : kCollapse);
        minimized_ = true;
        DoMinimize();
    } else {
        if (restoreSize_ >= 0)
            SetPaneSize(restoreSize_);
        minimized_ = false;
        DoRestore();
    }
    Invalidate();
}

void TdfsSplitter::DoMaximize()
{
    if (OnMaximize)
        OnMaximize(this);
}

void TdfsSplitter::DoMinimize()
{
    if (OnMinimize)
        OnMinimize(this);
}

void TdfsSplitter::DoRestore()
{
    if (OnRestore)
        OnRestore(this);
}

void TdfsSplitter::DoClose()
{
    if (OnClose)
        OnClose(this);
}

// ---------------------------------------------------------------------------------------------
// Properties

void TdfsSplitter::RepaintButton()
{
    if (showButton_)
        Invalidate();
}

void TdfsSplitter::SetAllowDrag(bool value)
{
    if (value == allowDrag_)
        return;
    allowDrag_ = value;
    const TPoint p = ScreenToClient(GetCursorPos());
    ButtonHitTest(p.X, p.Y);
}

void TdfsSplitter::SetButtonStyle(TdfsButtonStyle value)
{
    if (value == buttonStyle_)
        return;
    buttonStyle_ = value;
    hot_ = false;
    RepaintButton();
}

void TdfsSplitter::SetWindowsButtons(TdfsWindowsButtons value)
{
    if (value == windowsButtons_)
        return;
    windowsButtons_ = value;
    if (buttonStyle_ == TdfsButtonStyle::bsWindows)
        RepaintButton();
}

void TdfsSplitter::SetButtonWidthType(TdfsButtonWidthType value)
{
    if (value == buttonWidthType_)
        return;
    buttonWidthType_ = value;
    if (value == TdfsButtonWidthType::btwPercentage)
        buttonWidth_ = std::min(buttonWidth_, 100);
    RepaintButton();
}

void TdfsSplitter::SetButtonWidth(int value)
{
    value = std::max(0, value);
    if (buttonWidthType_ == TdfsButtonWidthType::btwPercentage)
        value = std::min(value, 100);
    if (value == buttonWidth_)
        return;
    buttonWidth_ = value;
    RepaintButton();
}

void TdfsSplitter::SetShowButton(bool value)
{
    if (value == showButton_)
        return;
    showButton_ = value;
    hot_ = false;
    Invalidate();
}

void TdfsSplitter::SetButtonColor(TColor value)
{
    if (value == buttonColor_)
        return;
    buttonColor_ = value;
    if (buttonStyle_ == TdfsButtonStyle::bsNetscape)
        RepaintButton();
}

void TdfsSplitter::SetArrowColor(TColor value)
{
    if (value == arrowColor_)
        return;
    arrowColor_ = value;
    if (buttonStyle_ == TdfsButtonStyle::bsNetscape)
        RepaintButton();
}

void TdfsSplitter::SetButtonHighlightColor(TColor value)
{
    if (value == buttonHighlightColor_)
        return;
    buttonHighlightColor_ = value;
    if (buttonStyle_ == TdfsButtonStyle::bsNetscape && hot_)
        RepaintButton();
}

TColor TdfsSplitter::AutoHighlight() const
{
    const TColor caption = GetSysColor(COLOR_ACTIVECAPTION);
    const TColor face = GetSysColor(COLOR_BTNFACE);
    const auto mix = [](int from, int to) { return from + MulDiv(to - from, 180, 255); };
    return RGB(mix(GetRValue(caption), GetRValue(face)), mix(GetGValue(caption), GetGValue(face)),
               mix(GetBValue(caption), GetBValue(face)));
}

void TdfsSplitter::SetAutoHighlightColor(bool value)
{
    autoHighlightColor_ = value;
    SetButtonHighlightColor(value ? AutoHighlight() : TColor(0xFFCFCF));
}

void TdfsSplitter::SetTextureColor1(TColor value)
{
    if (value == textureColor1_)
        return;
    textureColor1_ = value;
    if (buttonStyle_ == TdfsButtonStyle::bsNetscape)
        RepaintButton();
}

void TdfsSplitter::SetTextureColor2(TColor value)
{
    if (value == textureColor2_)
        return;
    textureColor2_ = value;
    if (buttonStyle_ == TdfsButtonStyle::bsNetscape)
        RepaintButton();
}

void TdfsSplitter::SetAlign(TAlign value)
{
    // The bar's own alignment handling turns a split cursor to the new direction.
    TSplitter::SetAlign(value);
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// The button

TRect TdfsSplitter::ButtonRect() const
{
    if (!showButton_)
        return {};
    const TRect client = ClientRect();
    const bool horizontal = Horizontal();
    const int length = horizontal ? client.Width() : client.Height();
    const int thickness = horizontal ? client.Height() : client.Width();
    TRect r;
    if (buttonStyle_ == TdfsButtonStyle::bsNetscape) {
        const int w = buttonWidthType_ == TdfsButtonWidthType::btwPixels ? buttonWidth_ : length * buttonWidth_ / 100;
        if (w < 1)
            return {};
        const int start = (length - w) / 2;
        if (horizontal)
            r = {start, 1, start + w, thickness - 1};
        else
            r = {1, start, thickness - 1, start + w};
    } else {
        const int n = CountOf(windowsButtons_);
        if (n == 0)
            return {};
        if (horizontal)
            r = {client.Right - thickness * n + n, 0, client.Right, thickness};
        else
            r = {0, 0, thickness, thickness * n - n};
        r.Inflate(-1, -1);
    }
    r.Left = std::max(r.Left, 1);
    r.Top = std::max(r.Top, 1);
    r.Right = std::min(r.Right, client.Width() - 1);
    r.Bottom = std::min(r.Bottom, client.Height() - 1);
    if (Beveled()) {
        if (horizontal) {
            r.Top += 3;
            r.Bottom -= 3;
        } else {
            r.Left += 3;
            r.Right -= 3;
        }
    }
    return r.IsEmpty() ? TRect{} : r;
}

std::vector<std::pair<TdfsWindowsButton, TRect>> TdfsSplitter::WindowsButtonRects() const
{
    std::vector<std::pair<TdfsWindowsButton, TRect>> out;
    const TRect client = ClientRect();
    const bool horizontal = Horizontal();
    const int thickness = horizontal ? client.Height() : client.Width();
    const int n = CountOf(windowsButtons_);
    // Side bars list them from the top as close, maximise, minimise; top and bottom bars
    // from the left as minimise, maximise, close.
    std::vector<TdfsWindowsButton> order = {TdfsWindowsButton::wbMin, TdfsWindowsButton::wbMax, TdfsWindowsButton::wbClose};
    if (!horizontal)
        std::reverse(order.begin(), order.end());
    const int origin = horizontal ? client.Right - thickness * n + n : 0;
    int i = 0;
    for (TdfsWindowsButton b : order) {
        if (!windowsButtons_.Contains(b))
            continue;
        const int at = origin + i * (thickness - 1);
        out.push_back({b, horizontal ? TRect{at, 0, at + thickness, thickness} : TRect{0, at, thickness, at + thickness}});
        ++i;
    }
    return out;
}

bool TdfsSplitter::WindowsButtonHitTest(int X, int Y, TdfsWindowsButton &hit) const
{
    const TRect button = ButtonRect();
    if (buttonStyle_ != TdfsButtonStyle::bsWindows || !button.Contains({X, Y}))
        return false;
    for (const auto &[b, r] : WindowsButtonRects()) {
        if (r.Contains({X, Y})) {
            hit = b;
            return true;
        }
    }
    return false;
}

bool TdfsSplitter::ButtonHitTest(int X, int Y)
{
    const bool on = showButton_ && ButtonRect().Contains({X, Y});
    if (on || !allowDrag_)
        SetCursor(buttonCursor_);
    else
        SetCursor(Horizontal() ? crVSplit : crHSplit);
    return on;
}

void TdfsSplitter::SetHot(bool value)
{
    if (value == hot_)
        return;
    hot_ = value;
    RepaintButton();
}

void TdfsSplitter::Paint()
{
    TSplitter::Paint();
    if (showButton_)
        DrawButton(*Canvas());
}

void TdfsSplitter::DrawArrow(TCanvas &ACanvas, const TRect &area, int offset, int size, bool pointTowardStart)
{
    // A triangle with its base of `size` pixels along the bar, its tip across it.
    const bool horizontal = Horizontal();
    const int depth = (size + 1) / 2;
    const int across = horizontal ? area.Height() : area.Width();
    const int a0 = (horizontal ? area.Top : area.Left) + (across - depth) / 2;
    const int l0 = (horizontal ? area.Left : area.Top) + offset;
    const int tip = pointTowardStart ? a0 : a0 + depth - 1;
    const int base = pointTowardStart ? a0 + depth - 1 : a0;
    std::vector<TPoint> points;
    if (horizontal)
        points = {{l0, base}, {l0 + size - 1, base}, {l0 + size / 2, tip}};
    else
        points = {{base, l0}, {base, l0 + size - 1}, {tip, l0 + size / 2}};
    ACanvas.Pen()->SetColor(arrowColor_);
    ACanvas.Brush()->SetColor(arrowColor_);
    ACanvas.Brush()->SetStyle(TBrushStyle::bsSolid);
    ACanvas.Polygon(points);
}

void TdfsSplitter::DrawButton(TCanvas &ACanvas)
{
    const TRect button = ButtonRect();
    if (button.IsEmpty())
        return;
    TBitmap bitmap(button.Width(), button.Height());
    TCanvas &c = *bitmap.Canvas();
    const TRect all = {0, 0, button.Width(), button.Height()};
    const bool horizontal = Horizontal();

    if (buttonStyle_ == TdfsButtonStyle::bsWindows) {
        c.Brush()->SetColor(Color());
        c.FillRect(all);
        for (const auto &[b, square] : WindowsButtonRects()) {
            TRect r = square;
            r.Offset(-button.Left, -button.Top);
            unsigned state = DFCS_CAPTIONCLOSE;
            if (b == TdfsWindowsButton::wbMin)
                state = minimized_ ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN;
            else if (b == TdfsWindowsButton::wbMax)
                state = maximized_ ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX;
            c.DrawFrameControl(r, DFC_CAPTION, state);
        }
        ACanvas.Draw(button.Left, button.Top, &bitmap);
        return;
    }

    c.Brush()->SetColor(clGray);
    c.FrameRect(all);
    c.Pen()->SetColor(clWhite);
    c.MoveTo(1, all.Bottom - 2);
    c.LineTo(1, 1);
    c.LineTo(all.Right - 1, 1);
    const TRect face = {2, 2, all.Right - 1, all.Bottom - 1};
    const TColor faceColor = hot_ ? buttonHighlightColor_ : buttonColor_;
    c.Brush()->SetColor(faceColor);
    c.FillRect(face);

    const int thickness = horizontal ? ClientHeight() : ClientWidth();
    const int size = std::max(1, thickness % 2 == 1 ? thickness : thickness - 1);
    const int length = horizontal ? all.Width() : all.Height();
    // Toward the pane: the start side for left and top bars; away from it once collapsed.
    const bool paneAtStart = Align() == TAlign::alLeft || Align() == TAlign::alTop;
    const bool towardStart = paneAtStart != maximized_;
    DrawArrow(c, face, 4 - (horizontal ? face.Left : face.Top), size, towardStart);
    DrawArrow(c, face, length - 4 - size - (horizontal ? face.Left : face.Top), size, towardStart);

    TRect texture = face;
    if (horizontal) {
        texture.Left = 4 + size;
        texture.Right = length - 4 - size;
    } else {
        texture.Top = 4 + size;
        texture.Bottom = length - 4 - size;
    }
    if (texture.Width() >= 3 && texture.Height() >= 3) {
        c.Brush()->SetColor(faceColor);
        c.FillRect(texture);
        for (int y = texture.Top; y + 2 < texture.Bottom; y += 3)
            for (int x = texture.Left; x + 2 < texture.Right; x += 3) {
                c.SetPixel(x + 1, y + 1, textureColor1_);
                c.SetPixel(x + 2, y + 2, textureColor2_);
            }
    }
    ACanvas.Draw(button.Left, button.Top, &bitmap);
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TdfsSplitter::MouseEnter()
{
    TSplitter::MouseEnter();
    const TPoint p = ScreenToClient(GetCursorPos());
    const bool on = ButtonHitTest(p.X, p.Y);
    if (buttonStyle_ == TdfsButtonStyle::bsNetscape)
        SetHot(on);
}

void TdfsSplitter::MouseLeave()
{
    SetHot(false);
    pressedOnButton_ = false;
    TSplitter::MouseLeave();
}

void TdfsSplitter::MouseMove(TShiftState Shift, int X, int Y)
{
    const bool on = ButtonHitTest(X, Y);
    if (buttonStyle_ == TdfsButtonStyle::bsNetscape)
        SetHot(on);
    if (allowDrag_)
        TSplitter::MouseMove(Shift, X, Y);
    else
        TCustomControl::MouseMove(Shift, X, Y);
}

void TdfsSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == TMouseButton::mbLeft) {
        pressedOnButton_ = ButtonHitTest(X, Y);
        if (pressedOnButton_)
            pressPoint_ = ClientToScreen({X, Y});
    }
    if (allowDrag_) {
        TSplitter::MouseDown(Button, Shift, X, Y);
        sizing_ = Button == TMouseButton::mbLeft && SizingControl();
    } else {
        TCustomControl::MouseDown(Button, Shift, X, Y);
    }
}

void TdfsSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button != TMouseButton::mbLeft) {
        if (allowDrag_)
            TSplitter::MouseUp(Button, Shift, X, Y);
        else
            TCustomControl::MouseUp(Button, Shift, X, Y);
        return;
    }
    const bool pressedOnButton = pressedOnButton_;
    pressedOnButton_ = false;
    const TPoint p = ClientToScreen({X, Y});
    const int travel = Horizontal() ? std::abs(p.Y - pressPoint_.Y) : std::abs(p.X - pressPoint_.X);
    const bool click = pressedOnButton && showButton_ && ButtonRect().Contains({X, Y}) && travel < kClickTravel;
    const bool wasSizing = sizing_ && SizingControl();
    sizing_ = false;
    if (click) {
        // A click never nudges the bar by the few pixels it may have travelled.
        StopSizing();
    }
    if (allowDrag_)
        TSplitter::MouseUp(Button, Shift, X, Y);
    else
        TCustomControl::MouseUp(Button, Shift, X, Y);

    if (click) {
        if (buttonStyle_ == TdfsButtonStyle::bsWindows) {
            TdfsWindowsButton hit;
            if (WindowsButtonHitTest(X, Y, hit)) {
                if (hit == TdfsWindowsButton::wbMin)
                    SetMinimized(!minimized_);
                else if (hit == TdfsWindowsButton::wbMax)
                    SetMaximized(!maximized_);
                else
                    DoClose();
            }
        } else {
            SetMaximized(!maximized_);
        }
    } else if (allowDrag_ && wasSizing) {
        if (TControl *pane = FindPane()) {
            const int size = PaneSize(pane);
            if (size <= MinSize()) {
                if (size != MinSize())
                    SetPaneSize(MinSize());
                if (!maximized_) {
                    maximized_ = true;
                    DoMaximize();
                }
            } else {
                restoreSize_ = size;
                if (maximized_) {
                    maximized_ = false;
                    DoRestore();
                }
            }
        }
    }
    Invalidate();
}
