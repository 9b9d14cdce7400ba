#pragma once
#include "InputRouter.h"
#include "Types.h"

#include <QPointer>

class TControl;

// Drag and drop between our own controls, without the system's drag loop. A drag begins
// pending at the pointer's position and starts once the pointer has moved the threshold in
// either direction (at once when immediate); from then on the control under the pointer is
// asked through DragOver (enter, move, leave) whether it accepts, the left button's release
// drops on an accepting one (DragDrop), and Escape cancels. The source hears DoEndDrag with
// the target that took the drop, or none.
class TDragManager : public TInputHook
{
public:
    static TDragManager &Instance();
    static void ControlDestroyed(TControl *control);

    // Threshold -1 means the system's drag threshold.
    void BeginDrag(TControl *source, bool immediate, int threshold = -1);
    // Drops (when the target accepts) or cancels the drag in progress.
    void EndDrag(bool drop);
    void CancelDrag() { EndDrag(false); }

    // The source from BeginDrag until the drag ends, pending or started.
    TControl *Source() const { return source_.data(); }
    bool Started() const { return started_; }
    TControl *Target() const { return target_.data(); }
    bool Accepted() const { return accepted_; }
    // Screen position where the drag began.
    TPoint StartPos() const { return startPos_; }

    TInputAction HandleInput(QWidget *target, QEvent *event) override;

private:
    TDragManager() = default;
    void DragTo(const TPoint &screenPos);
    void Finish(bool drop, const TPoint &screenPos);
    void SetDragCursor(bool accepted);
    void Reset();

    QPointer<TControl> source_;
    QPointer<TControl> target_;
    TPoint startPos_;
    TPoint lastPos_;
    int threshold_ = 5;
    bool started_ = false;
    bool accepted_ = false;
    bool cursorSet_ = false;
    bool finishing_ = false;
};
