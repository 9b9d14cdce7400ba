// Dragging a dockable window between docks and off them, resizing a floating one, and the
// close buttons' capture loops.
#include "TB2Common.h"
#include "TB2Dock.h"

#include "platform/InputRouter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <algorithm>

namespace {

TRect ScreenRectOf(const QWidget *w)
{
    const QPoint p = w->mapToGlobal(QPoint(0, 0));
    return Bounds(p.x(), p.y(), w->width(), w->height());
}

TPoint GlobalPos(QEvent *e)
{
    return TPoint::FromQPoint(static_cast<QMouseEvent *>(e)->globalPosition().toPoint());
}

// Docks in the order the drag offers them: at each level top, bottom, left, right, then the
// docks inside other controls.
void CollectDocks(TWinControl *Host, const TTBCustomDockableWindow *Bar, std::vector<TTBDock *> &List)
{
    for (TTBDockPosition pos : {TTBDockPosition::dpTop, TTBDockPosition::dpBottom, TTBDockPosition::dpLeft,
                                TTBDockPosition::dpRight}) {
        for (int i = 0; i < Host->ControlCount(); ++i) {
            auto *dock = dynamic_cast<TTBDock *>(Host->Controls(i));
            if (!dock || dock->Position() != pos || !dock->Showing() || !dock->GetAllowDrag() ||
                !Bar->CanDockTo(dock))
                continue;
            if (std::find(List.begin(), List.end(), dock) == List.end())
                List.push_back(dock);
        }
    }
    for (int i = 0; i < Host->ControlCount(); ++i) {
        auto *w = dynamic_cast<TWinControl *>(Host->Controls(i));
        if (!w || dynamic_cast<TTBDock *>(w) || w == Bar || !w->Showing())
            continue;
        CollectDocks(w, Bar, List);
    }
}

} // namespace

// The state of one drag of a dockable window by its handle or floating caption.
class TTBDragLoop
{
public:
    TTBDragLoop(TTBCustomDockableWindow *Bar, const TPoint &Start);
    void Run();
    // The capture was taken away: everything goes back.
    void Cancel()
    {
        accepted_ = false;
        if (loop_)
            loop_->End();
    }

private:
    struct TTarget {
        TTBDock *Dock = nullptr;
        TRect Outline;
        int Row = 0;
        bool NewRow = false;
        int Pos = 0;
    };
    TInputAction Handle(QEvent *Event);
    TTarget Compute(const TPoint &P);
    void Apply(const TTarget &T, bool Commit);
    void Restore();
    void DrawOutline(const TRect *NewRect);

    TTBCustomDockableWindow *bar_;
    QPointer<TTBCustomDockableWindow> guard_;
    TPoint start_, last_, grab_;
    TSize startSize_;
    std::vector<TTBDock *> docks_;
    bool noDock_ = false;
    bool slide_ = false;
    bool accepted_ = false;
    bool ended_ = false;
    TModalLoop *loop_ = nullptr;
    TTarget current_;
    bool hasOutline_ = false;
    TRect outline_;
    // Where everything was.
    TWinControl *origParent_;
    TTBDock *origDock_;
    bool origFloating_;
    int origRow_, origPos_, origEffRow_;
    TPoint origFloatPos_;
};

TTBDragLoop::TTBDragLoop(TTBCustomDockableWindow *Bar, const TPoint &Start)
    : bar_(Bar), guard_(Bar), start_(Start), last_(Start), origParent_(Bar->Parent()), origDock_(Bar->currentDock_),
      origFloating_(Bar->floating_), origRow_(Bar->dockRow_), origPos_(Bar->dockPos_),
      origEffRow_(Bar->effectiveDockRow_), origFloatPos_(Bar->floatingPosition_)
{
    const QWidget *frame = Bar->floating_ && Bar->floatParent_ ? static_cast<QWidget *>(Bar->floatParent_)
                                                               : static_cast<QWidget *>(Bar);
    const TRect r = ScreenRectOf(frame);
    grab_ = {Start.X - r.Left, Start.Y - r.Top};
    startSize_ = {std::max(1, r.Width()), std::max(1, r.Height())};
    TForm *form = Bar->ParentFormOf();
    if (form)
        CollectDocks(form, Bar, docks_);
    for (TWinControl *f : Bar->dockForms_)
        CollectDocks(f, Bar, docks_);
    noDock_ = GetKeyState(VK_CONTROL) < 0;
}

TTBDragLoop::TTarget TTBDragLoop::Compute(const TPoint &P)
{
    TTarget t;
    TTBDock *hit = nullptr;
    TRect hitOutline;
    for (TTBDock *dock : docks_) {
        TRect dr = ScreenRectOf(dock);
        dr.Inflate(3, 3);
        const TTBDockType type = dock->IsVertical() ? TTBDockType::dtLeftRight : TTBDockType::dtTopBottom;
        const TPoint sz = bar_->GetSizeFor(type, dock, dock->IsVertical() ? dock->ClientHeight() : dock->ClientWidth());
        const TRect outline = Bounds(P.X - MulDiv(sz.X - 1, grab_.X, startSize_.cx),
                                     P.Y - MulDiv(sz.Y - 1, grab_.Y, startSize_.cy), sz.X, sz.Y);
        const int mx = MulDiv(25, grab_.X, startSize_.cx), my = MulDiv(25, grab_.Y, startSize_.cy);
        const bool inX = dock->IsVertical() ? (P.X >= dr.Left && P.X < dr.Right)
                                            : (P.X >= dr.Left - mx && P.X < dr.Right + mx);
        const bool inY = P.Y >= dr.Top - my && P.Y < dr.Bottom + my;
        TRect common;
        if (!inX || !inY || !IntersectRect(common, outline, dr))
            continue;
        bool accept = true;
        if (dock->OnRequestDock)
            dock->OnRequestDock(dock, bar_, accept);
        if (!accept)
            continue;
        hit = dock;
        hitOutline = outline;
        break;
    }
    if (noDock_)
        hit = nullptr;
    switch (bar_->dockMode_) {
    case TTBDockMode::dmCanFloat: break;
    case TTBDockMode::dmCannotFloat:
        if (!hit && (current_.Dock || origDock_)) {
            hit = current_.Dock ? current_.Dock : origDock_;
            hitOutline = current_.Dock ? current_.Outline : ScreenRectOf(bar_);
        }
        break;
    case TTBDockMode::dmCannotFloatOrChangeDocks:
        if (hit != origDock_) {
            hit = origDock_;
            const TPoint sz{bar_->Width(), bar_->Height()};
            hitOutline = Bounds(P.X - grab_.X, P.Y - grab_.Y, sz.X, sz.Y);
        }
        break;
    }
    if (hit) {
        t.Dock = hit;
        t.Outline = hitOutline;
        const TPoint origin = hit->ClientToScreen({0, 0});
        const bool vert = hit->IsVertical();
        const int mid = vert ? (hitOutline.Left + hitOutline.Right) / 2 - origin.X
                             : (hitOutline.Top + hitOutline.Bottom) / 2 - origin.Y;
        bool newRow = false;
        t.Row = hit->GetRowOf(mid, newRow);
        t.NewRow = newRow;
        // The row the window made for itself stays its own while the pointer is over it.
        if (!t.NewRow && hit == bar_->currentDock_ && t.Row == bar_->effectiveDockRow_) {
            bool alone = true;
            for (int i = 0; i < hit->GetToolbarCount(); ++i)
                if (hit->GetToolbars(i) != bar_ && hit->GetToolbars(i)->EffectiveDockRow() == t.Row)
                    alone = false;
            t.NewRow = alone;
        }
        t.Pos = std::max(0, vert ? hitOutline.Top - origin.Y : hitOutline.Left - origin.X);
        // Sliding along the row of the start: the row stays, the window keeps its list place.
        const int travel = vert ? std::abs(P.Y - start_.Y) : std::abs(P.X - start_.X);
        if (hit == origDock_ && (slide_ || (!t.NewRow && t.Row == origEffRow_ && travel >= 10))) {
            if (t.NewRow) {
                slide_ = false;
            } else {
                slide_ = true;
                t.Row = origEffRow_;
            }
        }
        return t;
    }
    slide_ = false;
    const TPoint content = bar_->GetSizeFor(TTBDockType::dtFloating, nullptr, 0);
    TRect r = Bounds(P.X - MulDiv(content.X - 1, grab_.X, startSize_.cx),
                     P.Y - MulDiv(content.Y - 1, grab_.Y, startSize_.cy), content.X, content.Y);
    const TRect work = GetRectOfMonitorContainingPoint(P, true);
    r = Bounds(std::max(work.Left, std::min(r.Left, work.Right - r.Width())),
               std::max(work.Top, std::min(r.Top, work.Bottom - r.Height())), r.Width(), r.Height());
    t.Outline = r;
    return t;
}

void TTBDragLoop::Apply(const TTarget &T, bool Commit)
{
    TTBCustomDockableWindow *b = bar_;
    b->holdListPlace_ = slide_;
    if (T.Dock) {
        b->dockRow_ = T.Row;
        b->dockPos_ = T.Pos;
        b->dragSplitting_ = T.NewRow;
        if (Commit)
            T.Dock->SetCommitNextArrange();
        if (b->Parent() != T.Dock)
            b->SetParent(T.Dock);
        else
            T.Dock->ArrangeDockRows();
        b->dragSplitting_ = false;
    } else {
        b->floatingPosition_ = {T.Outline.Left, T.Outline.Top};
        if (!b->floating_)
            b->SetFloating(true);
        else
            b->SetFloatingPosition(b->floatingPosition_);
    }
    b->holdListPlace_ = false;
}

void TTBDragLoop::DrawOutline(const TRect *NewRect)
{
    const TSize size{3, 3};
    DrawHalftoneInvertRect(nullptr, NewRect, hasOutline_ ? &outline_ : nullptr, size, size);
    hasOutline_ = NewRect != nullptr;
    if (NewRect)
        outline_ = *NewRect;
}

void TTBDragLoop::Restore()
{
    TTBCustomDockableWindow *b = bar_;
    b->dragSplitting_ = false;
    b->holdListPlace_ = false;
    b->dockRow_ = origRow_;
    b->dockPos_ = origPos_;
    b->floatingPosition_ = origFloatPos_;
    if (origFloating_) {
        if (!b->floating_)
            b->SetFloating(true);
        b->SetFloatingPosition(origFloatPos_);
    } else if (b->Parent() != origParent_) {
        b->SetParent(origParent_);
    } else if (origDock_) {
        origDock_->ArrangeDockRows();
    }
}

TInputAction TTBDragLoop::Handle(QEvent *Event)
{
    switch (Event->type()) {
    case QEvent::MouseMove: {
        const TPoint p = GlobalPos(Event);
        if (p != last_) {
            last_ = p;
            current_ = Compute(p);
            if (bar_->smoothDrag_)
                Apply(current_, false);
            else
                DrawOutline(&current_.Outline);
            if (guard_)
                bar_->SetCursorShape(slide_ ? (current_.Dock && current_.Dock->IsVertical() ? crSizeNS : crSizeWE)
                                            : crDefault);
        }
        return TInputAction::Consume;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton) {
            last_ = GlobalPos(Event);
            accepted_ = true;
            return TInputAction::End;
        }
        return TInputAction::Consume;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton)
            return TInputAction::End;
        return TInputAction::Consume;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *ke = static_cast<QKeyEvent *>(Event);
        if (ke->key() == Qt::Key_Escape && Event->type() == QEvent::KeyPress)
            return TInputAction::End;
        if (ke->key() == Qt::Key_Control && !ke->isAutoRepeat()) {
            noDock_ = Event->type() == QEvent::KeyPress;
            current_ = Compute(last_);
            if (bar_->smoothDrag_)
                Apply(current_, false);
            else
                DrawOutline(&current_.Outline);
        }
        return TInputAction::Consume;
    }
    default: return TInputAction::Consume;
    }
}

void TTBDragLoop::Run()
{
    TTBCustomDockableWindow *b = bar_;
    b->dragMode_ = true;
    TModalLoop loop([this](QWidget *, QEvent *e) {
        if (!guard_)
            return TInputAction::End;
        return Handle(e);
    });
    loop_ = &loop;
    b->dragLoop_ = this;
    b->SetMouseCapture(true);
    // The window moves between top-level windows while it is dragged: the pointer stays with
    // its form, which does not move, so no input is lost on the way.
    QPointer<TForm> grabber = b->ParentFormOf();
    if (grabber)
        grabber->grabMouse();
    current_ = Compute(start_);
    if (!b->smoothDrag_)
        DrawOutline(&current_.Outline);
    loop.Run();
    if (grabber)
        grabber->releaseMouse();
    if (!guard_)
        return;
    b->dragLoop_ = nullptr;
    if (b->MouseCapture())
        b->SetMouseCapture(false);
    if (hasOutline_)
        DrawOutline(nullptr);
    b->SetCursorShape(crDefault);
    if (accepted_) {
        if (!b->smoothDrag_)
            Apply(current_, true);
        else if (b->currentDock_)
            b->currentDock_->CommitPositions();
    } else {
        Restore();
    }
    b->dragMode_ = false;
    // The floating window kept for the drag goes once the window is docked.
    if (!b->floating_ && b->floatParent_)
        b->FreeFloatingParent();
    if (b->docked_ && b->useLastDock_)
        b->SetLastDock(b->currentDock_);
    if (b->currentDock_)
        b->currentDock_->ArrangeDockRows();
}

void TTBCustomDockableWindow::BeginMoving(const TPoint &ScreenPos)
{
    if (dragMode_)
        return;
    TTBDragLoop drag(this, ScreenPos);
    drag.Run();
}

void TTBCustomDockableWindow::CancelDrag()
{
    if (dragLoop_)
        dragLoop_->Cancel();
}

// ---------------------------------------------------------------------------------------------
// Resizing a floating window

void TTBCustomDockableWindow::BeginSizing(int SizeHandle, const TPoint &ScreenPos)
{
    if (!floating_ || !floatParent_)
        return;
    QPointer<TTBCustomDockableWindow> guard(this);
    TTBFloatingWindowParent *fp = floatParent_;
    const TRect orig = fp->BoundsRect();
    const TRect nc = GetFloatingNCArea();
    int minW, minH, maxW, maxH;
    GetMinMaxSize(minW, minH, maxW, maxH);
    minW += nc.Left + nc.Right;
    minH += nc.Top + nc.Bottom;
    if (maxW)
        maxW += nc.Left + nc.Right;
    if (maxH)
        maxH += nc.Top + nc.Bottom;
    ResizeBegin(SizeHandle);
    const bool left = SizeHandle == HTLEFT || SizeHandle == HTTOPLEFT || SizeHandle == HTBOTTOMLEFT;
    const bool right = SizeHandle == HTRIGHT || SizeHandle == HTTOPRIGHT || SizeHandle == HTBOTTOMRIGHT;
    const bool top = SizeHandle == HTTOP || SizeHandle == HTTOPLEFT || SizeHandle == HTTOPRIGHT;
    const bool bottom = SizeHandle == HTBOTTOM || SizeHandle == HTBOTTOMLEFT || SizeHandle == HTBOTTOMRIGHT;
    TRect cur = orig;
    bool accepted = false, outline = false;
    TRect drawn;
    TPoint last = ScreenPos;
    const auto track = [&](const TPoint &p) {
        const int dx = p.X - ScreenPos.X, dy = p.Y - ScreenPos.Y;
        TRect r = orig;
        const auto clampLen = [](int v, int lo, int hi) { return std::max(lo, hi ? std::min(v, hi) : v); };
        if (left)
            r.Left = r.Right - clampLen(orig.Width() - dx, minW, maxW);
        if (right)
            r.Right = r.Left + clampLen(orig.Width() + dx, minW, maxW);
        if (top)
            r.Top = r.Bottom - clampLen(orig.Height() - dy, minH, maxH);
        if (bottom)
            r.Bottom = r.Top + clampLen(orig.Height() + dy, minH, maxH);
        ResizeTrack(r, orig);
        cur = r;
        if (smoothDrag_) {
            fp->SetBoundsRect(r);
            SetBounds(0, 0, r.Width() - nc.Left - nc.Right, r.Height() - nc.Top - nc.Bottom);
        } else {
            DrawHalftoneInvertRect(nullptr, &r, outline ? &drawn : nullptr, {3, 3}, {3, 3});
            drawn = r;
            outline = true;
        }
    };
    TModalLoop loop([&](QWidget *, QEvent *e) {
        if (!guard)
            return TInputAction::End;
        switch (e->type()) {
        case QEvent::MouseMove: {
            const TPoint p = GlobalPos(e);
            if (p != last) {
                last = p;
                track(p);
            }
            return TInputAction::Consume;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
                accepted = true;
                return TInputAction::End;
            }
            return TInputAction::Consume;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton ? TInputAction::End
                                                                              : TInputAction::Consume;
        case QEvent::KeyPress:
            return static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape ? TInputAction::End : TInputAction::Consume;
        default: return TInputAction::Consume;
        }
    });
    SetMouseCapture(true);
    loop.Run();
    if (!guard)
        return;
    if (MouseCapture())
        SetMouseCapture(false);
    if (outline)
        DrawHalftoneInvertRect(nullptr, nullptr, &drawn, {3, 3}, {3, 3});
    if (!accepted)
        cur = orig;
    if (floatParent_) {
        floatParent_->SetBoundsRect(cur);
        SetBounds(0, 0, cur.Width() - nc.Left - nc.Right, cur.Height() - nc.Top - nc.Bottom);
        floatingPosition_ = {cur.Left, cur.Top};
    }
    ResizeEnd(accepted);
}

// ---------------------------------------------------------------------------------------------
// Close buttons

void TTBCustomDockableWindow::TrackCloseButton(bool OnFloatingFrame)
{
    QPointer<TTBCustomDockableWindow> guard(this);
    TControl *frame = OnFloatingFrame ? static_cast<TControl *>(floatParent_) : this;
    if (!frame)
        return;
    const auto over = [&](const TPoint &screen) {
        const QPoint p = frame->mapFromGlobal(QPoint(screen.X, screen.Y));
        if (OnFloatingFrame)
            return FloatingHitTest({p.x(), p.y()}, Bounds(0, 0, frame->Width(), frame->Height())) == tbHTCloseButton;
        TRect r;
        DockedCloseButtonRect(r);
        return r.Contains({p.x(), p.y()});
    };
    const auto setDown = [&](bool down) {
        if (down != closeButtonDown_) {
            closeButtonDown_ = down;
            frame->InvalidateNC();
        }
    };
    setDown(true);
    bool close = false;
    TModalLoop loop([&](QWidget *, QEvent *e) {
        if (!guard)
            return TInputAction::End;
        switch (e->type()) {
        case QEvent::MouseMove: setDown(over(GlobalPos(e))); return TInputAction::Consume;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(e)->button() != Qt::LeftButton)
                return TInputAction::Consume;
            close = over(GlobalPos(e));
            return TInputAction::End;
        case QEvent::KeyPress:
            return static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape ? TInputAction::End : TInputAction::Consume;
        default: return TInputAction::Consume;
        }
    });
    loop.Run();
    if (!guard)
        return;
    setDown(false);
    if (close)
        Close();
}
