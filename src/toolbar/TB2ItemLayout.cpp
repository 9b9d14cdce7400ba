#include "TB2ItemLayout.h"

#include <algorithm>

namespace {

// Lines run along x (horizontal and floating) or along y (vertical); "across" is the other axis.
class TLayoutPass
{
public:
    TLayoutPass(const TTBLayoutParams &params, const std::vector<TTBLayoutItem> &items,
                std::vector<TTBLayoutRecord> &records, TTBLayoutResult &result)
        : p_(params), items_(items), r_(records), res_(result),
          vertical_(params.Orientation == TTBViewOrientation::tbvoVertical)
    {
    }

    void Run(int &scrollOffset)
    {
        ChooseShown();
        HideTrailingSeparators();
        const int baseLength = Measure();
        int length = baseLength;
        if (p_.HasChevron && p_.MaxSize >= 1 && baseLength > p_.MaxSize)
            Overflow(length);
        HideTrailingSeparators();
        int thickness = 0;
        for (size_t i = 0; i < r_.size(); ++i)
            if (r_[i].Show)
                thickness = std::max(thickness, Thick(r_[i].Bounds));
        res_.BaseSize = {baseLength, thickness};
        Place();
        if (vertical_)
            Mirror();
        ScrollBand(scrollOffset);
        if (p_.IsToolbar)
            StretchLineBreaks();
        if (res_.ChevronOverflow)
            PlaceChevron();
    }

private:
    int Len(const TRect &r) const { return vertical_ ? r.Height() : r.Width(); }
    int Thick(const TRect &r) const { return vertical_ ? r.Width() : r.Height(); }
    int &Along(TPoint &pt) const { return vertical_ ? pt.Y : pt.X; }
    int &Across(TPoint &pt) const { return vertical_ ? pt.X : pt.Y; }
    int AlongStart(const TRect &r) const { return vertical_ ? r.Top : r.Left; }
    int AlongEnd(const TRect &r) const { return vertical_ ? r.Bottom : r.Right; }
    int MarginAlong() const { return vertical_ ? p_.Margins.Top : p_.Margins.Left; }

    void SetAcross(TRect &r, int start, int thickness) const
    {
        if (vertical_) {
            r.Left = start;
            r.Right = start + thickness;
        } else {
            r.Top = start;
            r.Bottom = start + thickness;
        }
    }
    void ShiftAlong(TRect &r, int delta) const
    {
        if (vertical_)
            r.Offset(0, delta);
        else
            r.Offset(delta, 0);
    }

    bool IsSep(size_t i) const { return items_[i].IsSeparator; }

    void ChooseShown()
    {
        bool afterSeparator = true;  // a separator at the start is as redundant as a doubled one
        for (size_t i = 0; i < r_.size(); ++i) {
            const TTBLayoutItem &it = items_[i];
            if (it.IsChevron || !it.Candidate)
                continue;
            if (it.IsSeparator) {
                if (afterSeparator)
                    continue;
                afterSeparator = true;
            } else
                afterSeparator = false;
            r_[i].Show = true;
        }
    }

    void HideTrailingSeparators()
    {
        for (size_t i = r_.size(); i-- > 0;) {
            if (!r_[i].Show)
                continue;
            if (!IsSep(i))
                break;
            r_[i].Show = false;
        }
    }

    int Measure()
    {
        int widest = 0;
        for (size_t i = 0; i < r_.size(); ++i) {
            TTBLayoutRecord &rec = r_[i];
            if (!rec.Show)
                continue;
            int w = 0, h = 0;
            bool same = false;
            if (p_.Measure)
                p_.Measure(int(i), w, h, same);
            rec.Bounds = {0, 0, w, h};
            rec.SameWidth = same;
            if (same)
                widest = std::max(widest, w);
        }
        int length = 0;
        for (TTBLayoutRecord &rec : r_) {
            if (!rec.Show)
                continue;
            if (rec.SameWidth)
                rec.Bounds.Right = rec.Bounds.Left + widest;
            length += Len(rec.Bounds);
        }
        return length;
    }

    int LastShown() const
    {
        for (size_t i = r_.size(); i-- > 0;)
            if (r_[i].Show)
                return int(i);
        return -1;
    }

    int LowestPriority() const
    {
        if (p_.Priority) {
            for (auto it = p_.Priority->rbegin(); it != p_.Priority->rend(); ++it) {
                const size_t i = size_t(*it);
                if (i < r_.size() && r_[i].Show && !IsSep(i))
                    return int(i);
            }
        }
        for (size_t i = r_.size(); i-- > 0;)
            if (r_[i].Show && !IsSep(i))
                return int(i);
        return -1;
    }

    void Hide(size_t i, int &length)
    {
        r_[i].Show = false;
        length -= Len(r_[i].Bounds);
    }

    void Overflow(int &length)
    {
        res_.ChevronOverflow = true;
        const int available = p_.MaxSize - p_.ChevronSize;
        while (length > available) {
            // The last item stays beside the chevron, even when it overflows it.
            int items = 0;
            for (size_t i = 0; i < r_.size(); ++i)
                if (r_[i].Show && !IsSep(i))
                    ++items;
            if (items < 2)
                break;
            const int last = LastShown();
            if (IsSep(size_t(last)))
                Hide(size_t(last), length);
            else {
                const size_t victim = size_t(LowestPriority());
                Hide(victim, length);
                r_[victim].Clipped = true;
                if (!items_[victim].IsControl)
                    res_.NonControlClipped = true;
            }
            bool afterSeparator = true;
            for (size_t i = 0; i < r_.size(); ++i) {
                if (!r_[i].Show)
                    continue;
                if (IsSep(i)) {
                    if (afterSeparator)
                        Hide(i, length);
                    afterSeparator = true;
                } else
                    afterSeparator = false;
            }
        }
    }

    // Length of the shown viewers after a separator up to the next separator.
    int GroupLength(size_t separator) const
    {
        int length = 0;
        for (size_t i = separator + 1; i < r_.size(); ++i) {
            if (!r_[i].Show)
                continue;
            if (IsSep(i))
                break;
            length += Len(r_[i].Bounds);
        }
        return length;
    }

    void Grow(const TRect &r)
    {
        size_.X = std::max(size_.X, r.Right);
        size_.Y = std::max(size_.Y, r.Bottom);
    }

    void Place()
    {
        TPoint pos{p_.Margins.Left, p_.Margins.Top};
        size_ = {};
        lineStart_ = 0;
        lineThickness_ = 0;
        lineAcross_ = Across(pos);
        bool havePrevious = false, previousToolbarSize = false, lineWrapped = false;
        const int wrap = p_.WrapOffset;

        for (size_t i = 0; i < r_.size(); ++i) {
            TTBLayoutRecord &rec = r_[i];
            if (!rec.Show)
                continue;
            const bool toolbarSize = items_[i].ToolbarSize;
            if (havePrevious && previousToolbarSize && !toolbarSize) {
                FinishLine(i, false);
                pos = {p_.Margins.Left, size_.Y};
                StartLine(i, Across(pos));
            }
            havePrevious = true;
            previousToolbarSize = toolbarSize;

            const int len = Len(rec.Bounds);
            if (wrap >= 1 && Along(pos) >= 1) {
                const int along = Along(pos);
                if (IsSep(i) && (along + len + GroupLength(i) > wrap ||
                                 (lineWrapped && !items_[i].KeepsLineAfterWrap))) {
                    ++res_.LineCount;
                    FinishLine(i, false);
                    Across(pos) += lineThickness_;
                    TRect &b = rec.Bounds;
                    b = {};
                    SetAcross(b, Across(pos), tbLineBreakThickness);
                    rec.LineBreak = true;
                    Grow(b);
                    Along(pos) = MarginAlong();
                    Across(pos) += tbLineBreakThickness;
                    StartLine(i + 1, Across(pos));
                    lineWrapped = false;
                    continue;
                }
                if (along + len > wrap) {
                    ++res_.LineCount;
                    FinishLine(i, false);
                    Along(pos) = MarginAlong();
                    Across(pos) += lineThickness_;
                    StartLine(i, Across(pos));
                    lineWrapped = true;
                    anyWrap_ = true;
                }
            }
            if (IsSep(i))
                lineWrapped = false;

            lineThickness_ = std::max(lineThickness_, Thick(rec.Bounds));
            TRect &b = rec.Bounds;
            b.Offset(std::max(0, pos.X) - b.Left, std::max(0, pos.Y) - b.Top);
            if (!toolbarSize || vertical_)
                pos.Y += b.Height();
            else
                pos.X += b.Width();
            Grow(b);
        }
        // Raised before the last line is finished: that line's viewers centre across it.
        size_.X = std::max(size_.X, p_.MinSize.X - p_.Margins.Right);
        size_.Y = std::max(size_.Y, p_.MinSize.Y - p_.Margins.Bottom);
        FinishLine(r_.size(), true);
        size_.X += p_.Margins.Right;
        size_.Y += p_.Margins.Bottom;
        res_.Size = size_;
    }

    void StartLine(size_t first, int across)
    {
        lineStart_ = first;
        lineThickness_ = 0;
        lineAcross_ = across;
    }

    void FinishLine(size_t end, bool last)
    {
        if (anyWrap_ && !p_.IsChevronPopup) {
            int &along = Along(size_);
            along = std::max(along, p_.WrapOffset);
        }
        if (p_.IsToolbar) {
            int thickness = lineThickness_;
            if (last && res_.LineCount == 1 && p_.Orientation != TTBViewOrientation::tbvoFloating)
                thickness = std::max(thickness, Across(size_) - lineAcross_);
            for (size_t i = lineStart_; i < end; ++i) {
                TTBLayoutRecord &rec = r_[i];
                if (!rec.Show || rec.LineBreak)
                    continue;
                if (IsSep(i) || items_[i].FillsLineThickness)
                    SetAcross(rec.Bounds, lineAcross_, thickness);
                else {
                    const int t = Thick(rec.Bounds);
                    SetAcross(rec.Bounds, lineAcross_ + (thickness - t) / 2, t);
                }
                Grow(rec.Bounds);
            }
        }
        if (p_.IsPopup) {
            for (size_t i = lineStart_; i < end; ++i)
                if (r_[i].Show && !items_[i].ToolbarSize)
                    r_[i].Bounds.Right = std::max(r_[i].Bounds.Right, size_.X);
        }
        AlignRight(end);
    }

    void AlignRight(size_t end)
    {
        size_t group = end, lastShown = end;
        for (size_t i = lineStart_; i < end; ++i) {
            if (!r_[i].Show)
                continue;
            if (group == end && items_[i].RightAlign)
                group = i;
            lastShown = i;
        }
        if (group == end)
            return;
        const int sizeAlong = Along(size_);
        const int limit = p_.WrapOffset >= 1 ? std::min(p_.WrapOffset, sizeAlong) : sizeAlong;
        const int shift = limit - AlongEnd(r_[lastShown].Bounds);
        if (shift < 1)
            return;
        for (size_t i = group; i < end; ++i)
            if (r_[i].Show)
                ShiftAlong(r_[i].Bounds, shift);
    }

    // Lines of a vertical view run right to left. The flip keeps each rectangle normalised.
    void Mirror()
    {
        const int width = res_.Size.X;
        for (TTBLayoutRecord &rec : r_) {
            if (!rec.Show)
                continue;
            const int left = width - rec.Bounds.Right;
            rec.Bounds.Right = width - rec.Bounds.Left;
            rec.Bounds.Left = left;
        }
    }

    void ScrollBand(int &offset)
    {
        const int maxHeight = p_.MaxHeight;
        if (!p_.IsPopup || maxHeight < 1 || maxHeight >= res_.Size.Y) {
            offset = 0;
            return;
        }
        const int range = res_.Size.Y - maxHeight;
        offset = std::clamp(offset, 0, range);
        res_.ShowTopArrow = offset > 0;
        res_.ShowBottomArrow = range > offset;
        const int top = res_.ShowTopArrow ? tbMenuScrollBandSize : 0;
        const int bottom = maxHeight - (res_.ShowBottomArrow ? tbMenuScrollBandSize : 0);
        for (TTBLayoutRecord &rec : r_) {
            if (!rec.Show)
                continue;
            rec.Bounds.Offset(0, -offset);
            if (rec.Bounds.Top < top || rec.Bounds.Bottom > bottom) {
                rec.Show = false;
                rec.OffEdge = true;
            }
        }
        res_.Size.Y = maxHeight;
    }

    void StretchLineBreaks()
    {
        for (TTBLayoutRecord &rec : r_) {
            if (!rec.Show || !rec.LineBreak)
                continue;
            if (vertical_) {
                rec.Bounds.Top = 0;
                rec.Bounds.Bottom = res_.Size.Y;
            } else {
                rec.Bounds.Left = 0;
                rec.Bounds.Right = res_.Size.X;
            }
        }
    }

    void PlaceChevron()
    {
        if (r_.empty())
            return;
        TTBLayoutRecord &rec = r_.back();
        rec.Show = true;
        const int start = p_.MaxSize - p_.ChevronSize;
        if (vertical_)
            rec.Bounds = {0, start, res_.Size.X, start + p_.ChevronSize};
        else
            rec.Bounds = {start, 0, start + p_.ChevronSize, res_.Size.Y};
    }

    const TTBLayoutParams &p_;
    const std::vector<TTBLayoutItem> &items_;
    std::vector<TTBLayoutRecord> &r_;
    TTBLayoutResult &res_;
    const bool vertical_;
    TPoint size_;
    size_t lineStart_ = 0;
    int lineThickness_ = 0;
    int lineAcross_ = 0;
    bool anyWrap_ = false;
};

} // namespace

void LayoutViewerRecords(const TTBLayoutParams &Params, const std::vector<TTBLayoutItem> &Items,
                         std::vector<TTBLayoutRecord> &Records, int &ScrollOffset,
                         TTBLayoutResult &Result)
{
    Records.assign(Items.size(), TTBLayoutRecord{});
    Result = TTBLayoutResult{};
    TLayoutPass(Params, Items, Records, Result).Run(ScrollOffset);
}
