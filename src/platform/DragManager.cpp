#include "DragManager.h"

#include "Controls.h"
#include "SysParams.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdlib>

TDragManager &TDragManager::Instance()
{
    // Never destroyed: a hook must not outlive the router's bookkeeping at exit.
    static TDragManager *instance = new TDragManager;
    return *instance;
}

void TDragManager::ControlDestroyed(TControl *control)
{
    TDragManager &m = Instance();
    if (m.source_ == control) {
        // No one is left to hear about the end.
        if (m.target_ && m.target_ != control) {
            bool ignored = false;
            const TPoint c = m.target_->ScreenToClient(m.lastPos_);
            m.target_->DragOver(nullptr, c.X, c.Y, TDragState::dsDragLeave, ignored);
        }
        m.Reset();
    } else if (m.target_ == control) {
        m.target_ = nullptr;
        m.accepted_ = false;
        m.SetDragCursor(false);
    }
}

void TDragManager::BeginDrag(TControl *source, bool immediate, int threshold)
{
    if (!source || source_)
        return;
    source_ = source;
    target_ = nullptr;
    threshold_ = threshold < 0 ? SysParams().DragThreshold : threshold;
    startPos_ = lastPos_ = GetCursorPos();
    started_ = false;
    accepted_ = false;
    // The drag takes the mouse over from whatever the press started.
    if (source->MouseCapture())
        source->SetMouseCapture(false);
    TInputRouter::Instance().AddHook(this);
    source->DoStartDrag();
    if (immediate && source_)
        DragTo(startPos_);
}

void TDragManager::EndDrag(bool drop)
{
    if (source_)
        Finish(drop, lastPos_);
}

void TDragManager::DragTo(const TPoint &screenPos)
{
    if (!started_) {
        started_ = true;
        source_->clicked_ = false;
    }
    lastPos_ = screenPos;
    TControl *found = FindDragTarget(screenPos, false);
    if (found != target_) {
        if (target_) {
            bool ignored = false;
            const TPoint c = target_->ScreenToClient(screenPos);
            target_->DragOver(source_, c.X, c.Y, TDragState::dsDragLeave, ignored);
        }
        target_ = found;
        if (target_ && source_) {
            bool ignored = false;
            const TPoint c = target_->ScreenToClient(screenPos);
            target_->DragOver(source_, c.X, c.Y, TDragState::dsDragEnter, ignored);
        }
    }
    accepted_ = false;
    if (target_ && source_) {
        const TPoint c = target_->ScreenToClient(screenPos);
        target_->DragOver(source_, c.X, c.Y, TDragState::dsDragMove, accepted_);
    }
    SetDragCursor(accepted_);
}

void TDragManager::SetDragCursor(bool accepted)
{
    if (!started_ || !source_)
        return;
    const QCursor cursor = CursorFromTCursor(accepted ? source_->DragCursor() : crNoDrop);
    if (cursorSet_) {
        QGuiApplication::changeOverrideCursor(cursor);
    } else {
        QGuiApplication::setOverrideCursor(cursor);
        cursorSet_ = true;
    }
}

void TDragManager::Reset()
{
    TInputRouter::Instance().RemoveHook(this);
    if (cursorSet_) {
        QGuiApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }
    source_ = nullptr;
    target_ = nullptr;
    started_ = false;
    accepted_ = false;
}

void TDragManager::Finish(bool drop, const TPoint &screenPos)
{
    if (finishing_)
        return;
    finishing_ = true;
    QPointer<TControl> source = source_;
    QPointer<TControl> target = target_;
    const bool dropped = drop && started_ && accepted_ && target;
    Reset();

    if (target) {
        const TPoint c = target->ScreenToClient(screenPos);
        if (dropped) {
            target->DragDrop(source, c.X, c.Y);
        } else {
            bool ignored = false;
            target->DragOver(source, c.X, c.Y, TDragState::dsDragLeave, ignored);
        }
    }
    if (source) {
        TControl *at = dropped && target ? target.data() : nullptr;
        const TPoint c = at ? at->ScreenToClient(screenPos) : source->ScreenToClient(screenPos);
        source->DoEndDrag(at, c.X, c.Y);
    }
    finishing_ = false;
}

TInputAction TDragManager::HandleInput(QWidget *, QEvent *event)
{
    if (!source_) {
        Reset();
        return TInputAction::Pass;
    }
    switch (event->type()) {
    case QEvent::MouseMove: {
        const TPoint p = TPoint::FromQPoint(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        if (!started_) {
            lastPos_ = p;
            if (std::abs(p.X - startPos_.X) < threshold_ && std::abs(p.Y - startPos_.Y) < threshold_)
                return TInputAction::Consume;
        }
        DragTo(p);
        return TInputAction::Consume;
    }
    case QEvent::MouseButtonRelease: {
        auto *me = static_cast<QMouseEvent *>(event);
        const TPoint p = TPoint::FromQPoint(me->globalPosition().toPoint());
        if (me->button() != Qt::LeftButton)
            return TInputAction::Consume;
        if (!started_) {
            // Not a drag after all: the release belongs to the control that was pressed.
            Finish(false, p);
            return TInputAction::Pass;
        }
        Finish(true, p);
        return TInputAction::Consume;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        Finish(false, lastPos_);
        return TInputAction::Consume;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            Finish(false, lastPos_);
            return TInputAction::Consume;
        }
        return TInputAction::Pass;
    case QEvent::ContextMenu: return TInputAction::Consume;
    default: return TInputAction::Pass;
    }
}
