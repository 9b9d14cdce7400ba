#pragma once
#include "Controls.h"
#include "InputRouter.h"

#include <QPointer>
#include <memory>

enum class TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };

using TCanResizeEvent = std::function<void(TComponent *Sender, int &NewSize, bool &Accept)>;

// A bar aligned to an edge of its parent that resizes the control lying against it on that
// side. Dragging it gives that control a new width (left/right bars) or height (top/bottom),
// kept between MinSize and what the parent's other edge-aligned controls leave free less
// MinSize; with AutoSnap a size at or below MinSize snaps to 0. During the drag a line shows
// where the bar will go (rsLine, rsPattern), or the control follows at once (rsUpdate).
// Escape cancels.
class TSplitter : public TCustomControl
{
public:
    explicit TSplitter(TComponent *AOwner);
    ~TSplitter() override;

    bool AutoSnap() const { return autoSnap_; }
    void SetAutoSnap(bool value) { autoSnap_ = value; }
    bool Beveled() const { return beveled_; }
    void SetBeveled(bool value);
    // At least 1.
    int MinSize() const { return minSize_; }
    void SetMinSize(int value);
    TResizeStyle ResizeStyle() const { return resizeStyle_; }
    void SetResizeStyle(TResizeStyle value) { resizeStyle_ = value; }

    // While sizing: the control being sized, the largest size it may take, and where the
    // line is drawn (parent client coordinates).
    TControl *SizingControl() const { return control_.data(); }
    int MaxSize() const { return maxSize_; }
    bool LineVisible() const { return !line_.isNull(); }
    TRect LineRect() const;

    TCanResizeEvent OnCanResize;
    TNotifyEvent OnMoved;
    TNotifyEvent OnPaint;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void RequestAlign() override;
    virtual bool CanResize(int &NewSize);
    bool DoCanResize(int &NewSize);
    // The visible, enabled control of the parent that touches the bar on its aligned side.
    TControl *FindControl() const;
    void StopSizing();

private:
    class TEscapeHook;
    class TLine;

    void CalcSplitSize(int X, int Y, int &NewSize, int &Split) const;
    void UpdateControlSize();
    void ShowLine();
    void HideLine();

    bool autoSnap_ = true;
    bool beveled_ = false;
    int minSize_ = 30;
    TResizeStyle resizeStyle_ = TResizeStyle::rsPattern;

    QPointer<TControl> control_;
    TPoint downPos_;
    int maxSize_ = 0;
    int newSize_ = 0;
    int oldSize_ = -1;
    int split_ = 0;
    QPointer<QWidget> line_;
    std::unique_ptr<TEscapeHook> escape_;
};
