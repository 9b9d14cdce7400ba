#include "TB2Item.h"

namespace {

bool Overlaps(const TRect &a, const TRect &b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// How many of the parent view's viewers a popup at that place would hide completely.
int CountCovered(const std::vector<TRect> &viewers, const TRect &popup)
{
    int n = 0;
    for (const TRect &r : viewers)
        if (!r.IsEmpty() && r.Left >= popup.Left && r.Right <= popup.Right && r.Top >= popup.Top &&
            r.Bottom <= popup.Bottom)
            ++n;
    return n;
}

void PlaceVertically(TTBPopupPositionRec &R)
{
    const TRect &area = R.MonitorRect;
    const TRect &parent = R.ParentItemRect;
    const bool besideVerticalToolbar = !R.PositionAsSubmenu && R.HasParentView && R.ParentVertical;
    if (R.Y + R.H > area.Bottom && !besideVerticalToolbar) {
        const int above = (R.PositionAsSubmenu ? parent.Bottom + R.NCSize.Y : parent.Top) - R.H;
        if (above >= area.Top)
            R.Y = above;
    }
    if (R.Y + R.H > area.Bottom)
        R.Y = area.Bottom - R.H;
    if (R.Y < area.Top)
        R.Y = area.Top;
}

void PlaceBesideToolbar(TTBPopupPositionRec &R)
{
    const TRect &area = R.MonitorRect;
    const TRect &parent = R.ParentItemRect;
    if (R.Alignment == TTBPopupAlignment::tbpaRight && !R.HasParentView && R.X < area.Left)
        R.X += R.W;
    if (R.X + R.W > area.Right)
        R.X = ((R.HasParentView || R.Alignment != TTBPopupAlignment::tbpaLeft) ? area.Right : R.X) - R.W;
    if (R.X < area.Left)
        R.X = area.Left;
    if (!R.HasParentView)
        return;
    const TRect here = Bounds(R.X, R.Y, R.W, R.H);
    if (!R.ParentVertical) {
        const int above = parent.Top - R.H;
        if (above >= area.Top &&
            (CountCovered(R.ParentViewerRects, Bounds(R.X, above, R.W, R.H)) <
                 CountCovered(R.ParentViewerRects, here) ||
             Overlaps(here, parent)))
            R.Y = above;
        if (Overlaps(Bounds(R.X, R.Y, R.W, R.H), parent)) {
            R.X = parent.Right;
            if (R.X + R.W > area.Right)
                R.X = parent.Left - R.W;
            if (R.X < area.Left)
                R.X = area.Left;
        }
    } else {
        const int right = parent.Right;
        if (right + R.W <= area.Right &&
            (CountCovered(R.ParentViewerRects, Bounds(right, R.Y, R.W, R.H)) <
                 CountCovered(R.ParentViewerRects, here) ||
             Overlaps(here, parent)))
            R.X = right;
        if (Overlaps(Bounds(R.X, R.Y, R.W, R.H), parent)) {
            R.Y = parent.Bottom;
            if (R.Y + R.H > area.Bottom)
                R.Y = parent.Top - R.H;
            if (R.Y < area.Top)
                R.Y = area.Top;
        }
    }
}

void PlaceAsSubmenu(TTBPopupPositionRec &R)
{
    const TRect &area = R.MonitorRect;
    const bool inherited = R.Leftwards;
    const bool passesRight = R.X + R.W > area.Right;
    R.Leftwards = false;
    if (inherited || passesRight) {
        const int left = R.ParentItemRect.Left + R.NCSize.X - R.W;
        // Leftwards only because the parent went that way, and no room there: go right again.
        if (!(left < area.Left && !passesRight)) {
            R.X = left;
            R.Leftwards = true;
        }
    }
    if (R.X < area.Left)
        R.X = area.Left;
}

} // namespace

void ComputePopupPosition(TTBPopupPositionRec &R)
{
    PlaceVertically(R);
    if (R.PositionAsSubmenu)
        PlaceAsSubmenu(R);
    else
        PlaceBesideToolbar(R);

    const TRect &parent = R.ParentItemRect;
    if (R.PositionAsSubmenu) {
        R.AnimDir = 2 * R.X + R.W < parent.Left + parent.Right ? 1 : 2;
        return;
    }
    R.AnimDir = 0;
    if (R.Y >= parent.Bottom)
        R.AnimDir |= 4;
    if (R.Y + R.H <= parent.Top)
        R.AnimDir |= 8;
    if (R.X + R.W <= parent.Left)
        R.AnimDir |= 1;
    if (R.X >= parent.Right)
        R.AnimDir |= 2;
}
