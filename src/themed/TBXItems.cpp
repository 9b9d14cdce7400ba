#include "TBX.h"

// Themed items: what they add to the framework's items, and the viewers they answer.

namespace {

template <class V>
TTBItemViewer *NewViewer(TTBView *AView, TTBCustomItem *AItem, int AGroupLevel)
{
    return new V(AView, AItem, AGroupLevel);
}

} // namespace

TTBXCustomItem::TTBXCustomItem(TComponent *AOwner)
    : TTBCustomItem(AOwner), fontSettings_(std::make_unique<TFontSettings>())
{
    fontSettings_->OnChange = [this] { FontSettingsChanged(); };
}

TTBXCustomItem::~TTBXCustomItem() { fontSettings_->OnChange = nullptr; }

void TTBXCustomItem::SetLayout(TTBXItemLayout Value)
{
    if (layout_ != Value) {
        layout_ = Value;
        Change(true);
    }
}

void TTBXCustomItem::SetMinHeight(int Value)
{
    if (minHeight_ != Value) {
        minHeight_ = Value;
        Change(true);
    }
}

void TTBXCustomItem::SetMinWidth(int Value)
{
    if (minWidth_ != Value) {
        minWidth_ = Value;
        Change(true);
    }
}

void TTBXCustomItem::SetStretch(bool Value)
{
    if (Stretch() != Value) {
        SetItemStyle(Value ? ItemStyle() | tbis::FillsLineThickness : ItemStyle() & ~tbis::FillsLineThickness);
        Change(true);
    }
}

TTBItemViewerClass TTBXCustomItem::GetItemViewerClass(TTBView *AView) { return &NewViewer<TTBXItemViewer>; }

TTBPopupWindow *TTBXCustomItem::OpenItemPopup(TTBView *ParentView, TTBItemViewer *ParentViewer,
                                              TTBPopupAlignment Alignment, const TPoint &PopupPoint,
                                              bool Customizing, bool SelectFirst, bool PositionAsSubmenu)
{
    return TTBCustomItem::OpenItemPopup(ParentView, ParentViewer, Alignment, PopupPoint, Customizing,
                                        SelectFirst || alwaysSelectFirst_, PositionAsSubmenu);
}

TTBPopupWindow *TTBXCustomItem::CreatePopupWindow(TTBView *ParentView, bool Customizing)
{
    return new TTBXPopupWindow(nullptr, ParentView, this, Customizing);
}

void TTBXCustomItem::ComputePopupPosition(TTBView *ParentView, TTBPopupPositionRec &Rec)
{
    ComputePopupPositionForTheme(*this, ParentView, Rec);
}

namespace {

// A popup from a point has no edge of its parent item to meet.
bool MeetsParentItem(const TTBPopupPositionRec &R) { return !R.PositionAsSubmenu && R.HasParentView; }

void AdjustPopupPositionForTheme(TTBPopupPositionRec &R)
{
    if (R.PositionAsSubmenu) {
        // The first place lined the first item up with the parent item, the frame standing
        // out beyond it; the popup's frame meets the parent item instead, on either side.
        R.X += R.NCSize.X;
        R.Y += R.NCSize.Y;
        R.NCSize = {};
        return;
    }
    if (!MeetsParentItem(R))
        return;
    TRect &parent = R.ParentItemRect;
    --parent.Right;
    --parent.Bottom;
    if (R.X == parent.Right + 1)
        --R.X;
    if (R.Y == parent.Bottom + 1)
        --R.Y;
    --R.W;
    --R.H;
    if (R.X + R.W < parent.Left)
        ++R.X;
    if (R.Y + R.H < parent.Top)
        ++R.Y;
}

void RestorePopupPositionForTheme(TTBPopupPositionRec &R)
{
    if (!MeetsParentItem(R))
        return;
    ++R.ParentItemRect.Right;
    ++R.ParentItemRect.Bottom;
    ++R.W;
    ++R.H;
}

} // namespace

void ComputePopupPositionForTheme(TTBCustomItem &Item, TTBView *ParentView, TTBPopupPositionRec &Rec)
{
    if (!CurrentTheme()->GetBooleanMetric(BMET_POPUP_FLUSH)) {
        Item.TTBCustomItem::ComputePopupPosition(ParentView, Rec);
        return;
    }
    AdjustPopupPositionForTheme(Rec);
    Item.TTBCustomItem::ComputePopupPosition(ParentView, Rec);
    RestorePopupPositionForTheme(Rec);
}

// ---------------------------------------------------------------------------------------------

void TTBXSeparatorItem::SetSize(int Value)
{
    Value = std::max(Value, -1);
    if (size_ != Value) {
        size_ = Value;
        Change(true);
    }
}

TTBItemViewerClass TTBXSeparatorItem::GetItemViewerClass(TTBView *AView)
{
    return &NewViewer<TTBXSeparatorItemViewer>;
}
