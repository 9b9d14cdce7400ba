#include "TB2Item.h"

TTBCustomImageList::TTBCustomImageList(TComponent *AOwner) : TImageList(AOwner)
{
    for (TChangeLink *link : {&checkedLink_, &disabledLink_, &hotLink_})
        link->OnChange = [this](TCustomImageList *) { Change(); };
}

TTBCustomImageList::~TTBCustomImageList()
{
    Destroying();
    SetCheckedImages(nullptr);
    SetDisabledImages(nullptr);
    SetHotImages(nullptr);
}

void TTBCustomImageList::SetLinkedList(TCustomImageList *&Field, TChangeLink &Link, TCustomImageList *Value)
{
    if (Value == this)
        Value = nullptr;
    if (Field == Value)
        return;
    TCustomImageList *old = Field;
    Field = Value;
    if (old) {
        old->UnRegisterChanges(&Link);
        // One free notification serves every link to the same list.
        if (old != checkedImages_ && old != disabledImages_ && old != hotImages_)
            RemoveFreeNotification(old);
    }
    if (Value) {
        Value->RegisterChanges(&Link);
        Value->FreeNotification(this);
    }
    const TComponentState state = ComponentState();
    if (!state.Contains(csLoading) && !state.Contains(csDestroying))
        Change();
}

void TTBCustomImageList::Notification(TComponent *AComponent, TOperation Operation)
{
    TImageList::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    // The list is going: it has already let go of our links, so only the references go here.
    bool dropped = false;
    for (TCustomImageList **field : {&checkedImages_, &disabledImages_, &hotImages_})
        if (*field == AComponent) {
            *field = nullptr;
            dropped = true;
        }
    const TComponentState state = ComponentState();
    if (dropped && !state.Contains(csLoading) && !state.Contains(csDestroying))
        Change();
}

void TTBCustomImageList::SetImagesBitmap(const TBitmap &Value)
{
    imagesBitmap_.Assign(Value);
    ImagesBitmapChanged();
}

void TTBCustomImageList::SetImagesBitmapMaskColor(TColor Value)
{
    if (maskColor_ == Value)
        return;
    maskColor_ = Value;
    ImagesBitmapChanged();
}

void TTBCustomImageList::ImagesBitmapChanged()
{
    Clear();
    if (!imagesBitmap_.Empty())
        AddMasked(&imagesBitmap_, maskColor_);
}

void TTBCustomImageList::DrawState(TCanvas *Canvas, int X, int Y, int Index, bool Enabled, bool Selected,
                                   bool Checked)
{
    if (!Enabled && disabledImages_)
        disabledImages_->Draw(Canvas, X, Y, Index, true);
    else if (Checked && checkedImages_)
        checkedImages_->Draw(Canvas, X, Y, Index, Enabled);
    else if (Selected && hotImages_)
        hotImages_->Draw(Canvas, X, Y, Index, Enabled);
    else
        Draw(Canvas, X, Y, Index, Enabled);
}
