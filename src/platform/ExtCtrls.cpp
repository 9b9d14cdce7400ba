#include "ExtCtrls.h"

#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

// Cancels a sizing drag on Escape, wherever the keyboard focus is.
class TSplitter::TEscapeHook : public TInputHook
{
public:
    explicit TEscapeHook(TSplitter *owner) : owner_(owner) { TInputRouter::Instance().AddHook(this); }
    TInputAction HandleInput(QWidget *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            owner_->StopSizing();
            return TInputAction::Consume;
        }
        return TInputAction::Pass;
    }

private:
    TSplitter *owner_;
};

// The line that shows where the bar goes: a widget over the parent that lets the mouse
// through. A window device context would have taken an inverted line; over widgets a dark
// line, or a half-tone one for rsPattern, shows the same.
class TSplitter::TLine : public QWidget
{
public:
    TLine(QWidget *parent, bool pattern) : QWidget(parent), pattern_(pattern)
    {
        setObjectName(QStringLiteral("splitterLine"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        if (!pattern_) {
            p.fillRect(rect(), QColor(64, 64, 64));
            return;
        }
        // Anchored to the parent so the checkerboard does not crawl as the line moves.
        const QPoint o = pos();
        for (int y = 0; y < height(); ++y) {
            for (int x = ((o.x() + o.y() + y) & 1); x < width(); x += 2)
                p.fillRect(x, y, 1, 1, Qt::black);
        }
    }

private:
    bool pattern_;
};

TSplitter::TSplitter(TComponent *AOwner) : TCustomControl(AOwner)
{
    SetAlign(TAlign::alLeft);
    SetBounds(0, 0, 3, 100);
    SetCursor(crHSplit);
}

TSplitter::~TSplitter()
{
    escape_.reset();
    HideLine();
}

void TSplitter::SetBeveled(bool value)
{
    if (value == beveled_)
        return;
    beveled_ = value;
    Invalidate();
}

void TSplitter::SetMinSize(int value) { minSize_ = std::max(1, value); }

void TSplitter::RequestAlign()
{
    TCustomControl::RequestAlign();
    if (Cursor() != crVSplit && Cursor() != crHSplit)
        return;
    SetCursor(Align() == TAlign::alTop || Align() == TAlign::alBottom ? crVSplit : crHSplit);
}

void TSplitter::Paint()
{
    TCanvas *c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->FillRect(r);
    if (beveled_) {
        if (Align() == TAlign::alLeft || Align() == TAlign::alRight)
            r.Inflate(-1, 2);
        else
            r.Inflate(2, -1);
        r.Offset(1, 1);
        c->Brush()->SetColor(clBtnHighlight);
        c->FrameRect(r);
        r.Offset(-2, -2);
        c->Brush()->SetColor(clBtnShadow);
        c->FrameRect(r);
    }
    if (OnPaint)
        OnPaint(this);
}

TControl *TSplitter::FindControl() const
{
    TWinControl *p = Parent();
    if (!p)
        return nullptr;
    TPoint pt{Left(), Top()};
    switch (Align()) {
    case TAlign::alLeft: --pt.X; break;
    case TAlign::alRight: pt.X += Width(); break;
    case TAlign::alTop: --pt.Y; break;
    case TAlign::alBottom: pt.Y += Height(); break;
    default: return nullptr;
    }
    const bool nearSide = Align() == TAlign::alTop || Align() == TAlign::alLeft;
    for (int i = 0; i < p->ControlCount(); ++i) {
        TControl *c = p->Controls(i);
        if (c == this || !c->Visible() || !c->Enabled())
            continue;
        TRect r = c->BoundsRect();
        // A control squeezed to nothing still counts as touching the bar.
        if (r.Width() == 0)
            (nearSide ? r.Left : r.Right) += nearSide ? -1 : 1;
        if (r.Height() == 0)
            (nearSide ? r.Top : r.Bottom) += nearSide ? -1 : 1;
        if (r.Contains(pt))
            return c;
    }
    return nullptr;
}

bool TSplitter::CanResize(int &NewSize)
{
    bool accept = true;
    if (OnCanResize)
        OnCanResize(this, NewSize, accept);
    return accept;
}

bool TSplitter::DoCanResize(int &NewSize)
{
    const bool result = CanResize(NewSize);
    if (result && NewSize <= minSize_ && autoSnap_)
        NewSize = 0;
    return result;
}

void TSplitter::CalcSplitSize(int X, int Y, int &NewSize, int &Split) const
{
    const bool horizontal = Align() == TAlign::alLeft || Align() == TAlign::alRight;
    Split = horizontal ? X - downPos_.X : Y - downPos_.Y;
    int s = 0;
    switch (Align()) {
    case TAlign::alLeft: s = control_->Width() + Split; break;
    case TAlign::alRight: s = control_->Width() - Split; break;
    case TAlign::alTop: s = control_->Height() + Split; break;
    case TAlign::alBottom: s = control_->Height() - Split; break;
    default: break;
    }
    NewSize = std::clamp(s, minSize_, std::max(minSize_, maxSize_));
    if (s != NewSize) {
        // The line stops where the size stops.
        if (Align() == TAlign::alRight || Align() == TAlign::alBottom)
            Split += s - NewSize;
        else
            Split += NewSize - s;
    }
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != TMouseButton::mbLeft)
        return;
    control_ = FindControl();
    downPos_ = {X, Y};
    if (!control_)
        return;
    // The room the parent leaves after every other control on the same axis, less MinSize
    // for whatever fills the rest.
    TWinControl *p = Parent();
    const bool horizontal = Align() == TAlign::alLeft || Align() == TAlign::alRight;
    maxSize_ = (horizontal ? p->ClientWidth() : p->ClientHeight()) - minSize_;
    for (int i = 0; i < p->ControlCount(); ++i) {
        TControl *c = p->Controls(i);
        if (!c->Visible())
            continue;
        if (horizontal && (c->Align() == TAlign::alLeft || c->Align() == TAlign::alRight))
            maxSize_ -= c->Width();
        else if (!horizontal && (c->Align() == TAlign::alTop || c->Align() == TAlign::alBottom))
            maxSize_ -= c->Height();
    }
    maxSize_ += horizontal ? control_->Width() : control_->Height();
    CalcSplitSize(X, Y, newSize_, split_);
    escape_ = std::make_unique<TEscapeHook>(this);
    if (resizeStyle_ == TResizeStyle::rsLine || resizeStyle_ == TResizeStyle::rsPattern)
        ShowLine();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (!Shift.Contains(ssLeft) || !control_)
        return;
    int newSize, split;
    CalcSplitSize(X, Y, newSize, split);
    if (!DoCanResize(newSize))
        return;
    newSize_ = newSize;
    split_ = split;
    if (resizeStyle_ == TResizeStyle::rsUpdate)
        UpdateControlSize();
    else if (resizeStyle_ != TResizeStyle::rsNone)
        ShowLine();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (!control_)
        return;
    HideLine();
    UpdateControlSize();
    StopSizing();
}

void TSplitter::UpdateControlSize()
{
    if (!control_ || newSize_ == oldSize_)
        return;
    TWinControl *p = Parent();
    switch (Align()) {
    case TAlign::alLeft: control_->SetWidth(newSize_); break;
    case TAlign::alTop: control_->SetHeight(newSize_); break;
    case TAlign::alRight:
        // Grow leftwards: the right edge stays where it is.
        p->DisableAlign();
        control_->SetBounds(control_->Left() + control_->Width() - newSize_, control_->Top(), newSize_,
                            control_->Height());
        p->EnableAlign();
        break;
    case TAlign::alBottom:
        p->DisableAlign();
        control_->SetBounds(control_->Left(), control_->Top() + control_->Height() - newSize_,
                            control_->Width(), newSize_);
        p->EnableAlign();
        break;
    default: break;
    }
    Update();
    oldSize_ = newSize_;
    if (OnMoved)
        OnMoved(this);
}

void TSplitter::StopSizing()
{
    if (!control_ && !escape_)
        return;
    HideLine();
    control_ = nullptr;
    // Safe from within the hook's own handler, which touches nothing after calling us.
    escape_.reset();
}

TRect TSplitter::LineRect() const
{
    TRect r = BoundsRect();
    if (Align() == TAlign::alLeft || Align() == TAlign::alRight)
        r.Offset(split_, 0);
    else
        r.Offset(0, split_);
    return r;
}

void TSplitter::ShowLine()
{
    TWinControl *p = Parent();
    if (!p)
        return;
    if (!line_) {
        line_ = new TLine(p, resizeStyle_ == TResizeStyle::rsPattern);
        line_->show();
    }
    const TRect m = p->NCMargins();
    TRect r = LineRect();
    r.Offset(m.Left, m.Top);
    line_->setGeometry(r.ToQRect());
    line_->raise();
}

void TSplitter::HideLine()
{
    delete line_.data();
}
