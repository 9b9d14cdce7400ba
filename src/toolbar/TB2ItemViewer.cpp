#include "TB2ItemView.h"

#include "TB2Acc.h"
#include "TB2Common.h"
#include "platform/Forms.h"
#include "platform/ImgList.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"

#include <algorithm>

// One item as shown in one view: measuring, classic painting and the mouse.

namespace {

template <class V>
TTBItemViewer *NewViewer(TTBView *AView, TTBCustomItem *AItem, int AGroupLevel)
{
    return new V(AView, AItem, AGroupLevel);
}

bool HasStyle(const TTBCustomItem *item, TTBItemStyle flag) { return (item->ItemStyle() & flag) != 0; }

bool HasOption(const TTBCustomItem *item, TTBItemOption option)
{
    return item->EffectiveOptions().Contains(option);
}

// Width of the left-hand arrow part of a split item.
int SplitArrowWidth(const TTBItemViewer *v) { return v->UsesToolbarStyle() ? 11 : GetSystemMetrics(SM_CXMENUCHECK); }

} // namespace

TTBItemViewerClass TTBCustomItem::GetItemViewerClass(TTBView *AView) { return &NewViewer<TTBItemViewer>; }

TTBItemViewerClass TTBSeparatorItem::GetItemViewerClass(TTBView *AView)
{
    return &NewViewer<TTBSeparatorItemViewer>;
}

// ---------------------------------------------------------------------------------------------

TTBItemViewer::TTBItemViewer(TTBView *AView, TTBCustomItem *AItem, int AGroupLevel)
    : GroupLevel(AGroupLevel), Item(AItem), View(AView)
{
    TBClickWindowAddRef();
}

TTBItemViewer::~TTBItemViewer()
{
    TBAccViewerDestroying(this);
    CancelQueuedClicks(this);
    TBClickWindowRelease();
}

bool TTBItemViewer::UsesToolbarSize() const
{
    return View->IsToolbar() || HasOption(Item, TTBItemOption::tboToolbarSize);
}

bool TTBItemViewer::UsesToolbarStyle() const
{
    return View->IsToolbar() || HasOption(Item, TTBItemOption::tboToolbarStyle);
}

bool TTBItemViewer::UsesSameWidth()
{
    return HasOption(Item, TTBItemOption::tboImageAboveCaption) && HasOption(Item, TTBItemOption::tboSameWidth) &&
           UsesToolbarSize();
}

bool TTBItemViewer::CaptionShown() const
{
    const TTBItemDisplayMode mode = Item->DisplayMode();
    return (!GetCaptionTextOf(Item).isEmpty() && !UsesToolbarSize()) || Item->ImageIndex() < 0 ||
           mode == TTBItemDisplayMode::nbdmTextOnly || mode == TTBItemDisplayMode::nbdmImageAndText ||
           HasOption(Item, TTBItemOption::tboImageAboveCaption);
}

bool TTBItemViewer::ImageShown() const
{
    const TTBItemDisplayMode mode = Item->DisplayMode();
    return Item->ImageIndex() >= 0 &&
           (mode == TTBItemDisplayMode::nbdmDefault || mode == TTBItemDisplayMode::nbdmImageAndText ||
            (mode == TTBItemDisplayMode::nbdmTextOnlyInMenus && UsesToolbarStyle()));
}

bool TTBItemViewer::IsRotated() const
{
    return View->Orientation() == TTBViewOrientation::tbvoVertical &&
           !HasOption(Item, TTBItemOption::tboNoRotation) && !HasOption(Item, TTBItemOption::tboImageAboveCaption);
}

TCustomImageList *TTBItemViewer::GetImageList() const
{
    if (Item->Images())
        return Item->Images();
    for (TTBView *v = View; v; v = v->ParentView()) {
        if (v->CurParentItem() && v->CurParentItem()->SubMenuImages())
            return v->CurParentItem()->SubMenuImages();
        if (v->ParentItem() && v->ParentItem()->SubMenuImages())
            return v->ParentItem()->SubMenuImages();
    }
    return nullptr;
}

QString TTBItemViewer::GetCaptionText() { return GetCaptionTextOf(Item); }

QString GetCaptionTextOf(const TTBCustomItem *AItem)
{
    const QString &c = AItem->Caption();
    const int tab = c.indexOf(QLatin1Char('\t'));
    return tab < 0 ? c : c.left(tab);
}

TRect TTBItemViewer::ScreenRect() const
{
    TRect r = BoundsRect;
    if (TWinControl *w = View->Window()) {
        const TPoint o = w->ClientOrigin();
        r.Offset(o.X, o.Y);
    }
    return r;
}

bool TTBItemViewer::DoExecute()
{
    View->EndModalWithClick(this);
    return true;
}

void TTBItemViewer::Execute(bool AGivePriority)
{
    if (DoExecute() && AGivePriority)
        View->MarkViewerUsed(this);
}

void TTBItemViewer::Entering(TTBItemViewer *OldSelected)
{
    if (Item->OnSelect)
        Item->OnSelect(Item, this, true);
}

void TTBItemViewer::Leaving()
{
    if (Item->OnSelect)
        Item->OnSelect(Item, this, false);
}

void TTBItemViewer::Invalidate() { View->InvalidateViewer(this); }

int TTBItemViewer::GetAccRole()
{
    if (dynamic_cast<TTBControlItem *>(Item))
        return 10;
    if (HasStyle(Item, tbis::IsSeparator))
        return 21;
    if (View->IsPopup() || View->Style().Contains(TTBViewStyleItem::vsMenuBar))
        return 12;
    return HasStyle(Item, tbis::HasSubmenu) ? 57 : 43;
}

bool TTBItemViewer::IsPtInButtonPart(int X, int Y)
{
    if (HasStyle(Item, tbis::SplitDropdown))
        return X < BoundsRect.Width() - SplitArrowWidth(this);
    return !HasStyle(Item, tbis::HasSubmenu);
}

QString TTBItemViewer::BuildItemHint() const
{
    QString hint = GetShortHint(Item->Hint());
    if (hint.isEmpty() && !HasOption(Item, TTBItemOption::tboNoAutoHint) && !HasStyle(Item, tbis::HasSubmenu))
        hint = StripTrailingPunctuation(StripAccelChars(GetCaptionTextOf(Item)));
    if (auto *action = dynamic_cast<TCustomAction *>(Item->Action()); action && !action->DoHint(hint))
        hint.clear();
    const QString shortcut = Item->ItemShortCutText();
    if (!hint.isEmpty() && !shortcut.isEmpty() && Application()->HintShortCuts())
        hint = QStringLiteral("%1 (%2)").arg(hint, shortcut);
    return hint;
}

// ---------------------------------------------------------------------------------------------
// Measuring

void TTBItemViewer::CalcSize(TCanvas &Canvas, int &AWidth, int &AHeight)
{
    const bool toolbarStyle = UsesToolbarStyle();
    AWidth = AHeight = toolbarStyle ? 6 : 0;
    const QString caption = GetCaptionText();
    const TTextMetric tm = Canvas.GetTextMetrics();
    const int textHeight = tm.tmHeight;
    const bool imageAbove = IsRotated() || HasOption(Item, TTBItemOption::tboImageAboveCaption);
    TCustomImageList *images = GetImageList();

    if (!toolbarStyle) {
        int h = textHeight + tm.tmExternalLeading + 4;
        if (images)
            h = std::max(h, images->Height() + 3);
        const int imageColumn = images ? MulDiv(h, images->Width() + 3, images->Height() + 3) : h;
        AHeight = h;
        AWidth = imageColumn + 6 + GetTextWidth(Canvas, caption, true);
        const QString shortcut = Item->ItemShortCutText();
        if (!shortcut.isEmpty())
            AWidth += GetTextWidth(Canvas, shortcut, false) + h - 6;
        AWidth += h;
        return;
    }
    if (CaptionShown()) {
        const int w = GetTextWidth(Canvas, caption, true) + 6;
        if (IsRotated()) {
            AWidth += textHeight;
            AHeight += w;
        } else {
            AHeight += textHeight;
            AWidth += w;
        }
    }
    if (ImageShown() && images) {
        if (!imageAbove) {
            AWidth += images->Width() + 1;
            AHeight = std::max(AHeight, images->Height() + 6);
        } else {
            AHeight += images->Height();
            AWidth = std::max(AWidth, images->Width() + 7);
        }
    }
    if (HasStyle(Item, tbis::HasSubmenu)) {
        if (HasStyle(Item, tbis::SplitDropdown))
            AWidth += 11;
        else if (HasOption(Item, TTBItemOption::tboDropdownArrow)) {
            if (View->Orientation() == TTBViewOrientation::tbvoVertical)
                AHeight += 8;
            else
                AWidth += 8;
        }
    }
}

void TTBSeparatorItemViewer::CalcSize(TCanvas &Canvas, int &AWidth, int &AHeight)
{
    if (UsesToolbarStyle()) {
        AWidth = AHeight = 6;
        return;
    }
    AWidth = 0;
    AHeight = DivRoundUp(Canvas.GetTextMetrics().tmHeight * 2, 3);
}

// ---------------------------------------------------------------------------------------------
// Painting

void TTBItemViewer::DrawItemCaption(TCanvas &Canvas, TRect ARect, const QString &ACaption, unsigned Format,
                                    bool Embossed)
{
    const bool rotated = IsRotated();
    auto draw = [&](TRect r) {
        if (rotated)
            DrawVerticalText(Canvas, ACaption, r, Format);
        else
            Canvas.DrawText(ACaption, r, Format);
    };
    if (!Embossed) {
        draw(ARect);
        return;
    }
    const TColor old = Canvas.Font()->Color();
    Canvas.Font()->SetColor(clBtnHighlight);
    TRect shifted = ARect;
    shifted.Offset(1, 1);
    draw(shifted);
    Canvas.Font()->SetColor(clBtnShadow);
    draw(ARect);
    Canvas.Font()->SetColor(old);
}

namespace {

// The drop-down arrow of a toolbar item: rows of 5, 3 and 1 pixels, the top row at (X, Y).
void PaintDropArrow(TCanvas &Canvas, int X, int Y, TColor Color)
{
    Canvas.Brush()->SetColor(Color);
    for (int i = 0; i < 3; ++i)
        Canvas.FillRect(Rect(X + i, Y + i, X + 5 - i, Y + i + 1));
}

// The drop-down arrow centred in its part of the item.
void PaintDropArrowIn(TCanvas &Canvas, const TRect &Part, TColor Color)
{
    PaintDropArrow(Canvas, Part.Left + (Part.Width() - 5) / 2, Part.Top + (Part.Height() - 3) / 2, Color);
}

// The system's submenu arrow for a box of this size, as a mask: set where the glyph is drawn.
TMonoMask MenuArrowMask(int Width, int Height)
{
    TBitmap glyph(Width, Height);
    TRect box = Rect(0, 0, Width, Height);
    glyph.Canvas()->DrawFrameControl(box, DFC_MENU, DFCS_MENUARROW);
    TMonoMask mask(Width, Height);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if ((glyph.Image().pixel(x, y) & 0xFFFFFF) == 0)
                mask.SetBit(x, y);
    return mask;
}

} // namespace

void TTBItemViewer::Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
                          bool UseDisabledShadow)
{
    const bool toolbarStyle = UsesToolbarStyle();
    const bool enabled = Item->Enabled();
    const bool checked = Item->Checked();
    TCustomImageList *images = ImageShown() ? GetImageList() : nullptr;
    const TColor textColor = Canvas.Font()->Color();
    unsigned format = DT_SINGLELINE | DT_VCENTER;
    if (!View->State().Contains(TTBViewStateItem::vsShowAccels) && !AreKeyboardCuesEnabled() &&
        View->Style().Contains(TTBViewStyleItem::vsUseHiddenAccels))
        format |= DT_HIDEPREFIX;
    if (HasOption(Item, TTBItemOption::tboDefault)) {
        TFontStyles s = Canvas.Font()->Style();
        Canvas.Font()->SetStyle(s.Include(TFontStyle::fsBold));
    }
    auto drawImage = [&](int X, int Y) {
        if (auto *tbImages = dynamic_cast<TTBCustomImageList *>(images))
            tbImages->DrawState(&Canvas, X, Y, Item->ImageIndex(), enabled, IsSelected, checked);
        else
            images->Draw(&Canvas, X, Y, Item->ImageIndex(), enabled);
    };

    TRect r = ClientAreaRect;
    if (toolbarStyle) {
        const bool hasSubmenu = HasStyle(Item, tbis::HasSubmenu);
        const bool split = hasSubmenu && HasStyle(Item, tbis::SplitDropdown);
        TRect button = r, arrowPart;
        bool buttonPushed = IsPushed, arrowPushed = false;
        if (split) {
            arrowPart = Rect(r.Right - SplitArrowWidth(this), r.Top, r.Right, r.Bottom);
            button.Right = arrowPart.Left;
            // An open popup presses the arrow part; a press held on the button presses the button.
            arrowPushed = View->OpenViewer() == this;
            if (arrowPushed)
                buttonPushed = false;
        }
        if (checked) {
            Canvas.Brush()->SetDither(clBtnFace, clBtnHighlight);
            TRect face = button;
            face.Inflate(-1, -1);
            Canvas.FillRect(face);
        }
        if (buttonPushed || checked)
            Canvas.DrawEdge(button, BDR_SUNKENOUTER, BF_RECT);
        else if (IsSelected)
            Canvas.DrawEdge(button, BDR_RAISEDINNER, BF_RECT);
        if (split) {
            if (arrowPushed)
                Canvas.DrawEdge(arrowPart, BDR_SUNKENOUTER, BF_RECT);
            else if (IsSelected)
                Canvas.DrawEdge(arrowPart, BDR_RAISEDINNER, BF_RECT);
            if (arrowPushed)
                arrowPart.Offset(1, 1);
            PaintDropArrowIn(Canvas, arrowPart, textColor);
        }
        TRect content = button;
        if (buttonPushed || checked)
            content.Offset(1, 1);
        if (hasSubmenu && !split && HasOption(Item, TTBItemOption::tboDropdownArrow)) {
            TRect part = content;
            if (View->Orientation() == TTBViewOrientation::tbvoVertical)
                content.Bottom = part.Top = content.Bottom - 8;
            else
                content.Right = part.Left = content.Right - 8;
            PaintDropArrowIn(Canvas, part, textColor);
        }
        const bool captionShown = CaptionShown();
        const QString caption = GetCaptionText();
        const bool rotated = IsRotated();
        TRect text = content;
        if (images && (rotated || HasOption(Item, TTBItemOption::tboImageAboveCaption))) {
            // Image over caption, the two centred together as they were measured.
            int captionExtent = 0;
            if (captionShown)
                captionExtent = rotated ? GetTextWidth(Canvas, caption, true) + 6 : Canvas.GetTextMetrics().tmHeight;
            const int top = content.Top + (content.Height() - images->Height() - captionExtent) / 2;
            drawImage(content.Left + (content.Width() - images->Width()) / 2, top);
            text.Top = top + images->Height();
            text.Bottom = text.Top + captionExtent;
        } else if (images) {
            drawImage(content.Left + 3, content.Top + (content.Height() - images->Height()) / 2);
            text.Left += images->Width() + 4;
        }
        if (captionShown) {
            Canvas.SetBkMode(TRANSPARENT);
            DrawItemCaption(Canvas, text, caption, format | DT_CENTER, UseDisabledShadow);
        }
        return;
    }

    const int column = images ? MulDiv(r.Height(), images->Width() + 3, images->Height() + 3) : r.Height();
    if (IsSelected) {
        TRect sel = r;
        if (images || checked)
            sel.Left = column;
        if (HasStyle(Item, tbis::SplitDropdown))
            sel.Right -= SplitArrowWidth(this);
        Canvas.FillRect(sel);
    }
    if (images) {
        drawImage((column - images->Width()) / 2, r.Top + (r.Height() - images->Height()) / 2);
    } else if (checked) {
        TRect box = Bounds((column - 14) / 2, r.Top + (r.Height() - 14) / 2, 14, 14);
        Canvas.DrawEdge(box, BDR_SUNKENOUTER, BF_RECT);
        const int cx = box.Left + 7, cy = box.Top + 7;
        if (Item->RadioItem()) {
            Canvas.Pen()->SetColor(textColor);
            Canvas.Brush()->SetColor(textColor);
            Canvas.Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
        } else {
            Canvas.Pen()->SetColor(textColor);
            for (int i = 0; i < 3; ++i) {
                Canvas.MoveTo(cx - 3, cy - 1 + i);
                Canvas.LineTo(cx - 1, cy + 1 + i);
                Canvas.LineTo(cx + 4, cy - 4 + i);
            }
        }
    }
    Canvas.SetBkMode(TRANSPARENT);
    TRect text{column + 2, r.Top, r.Right - r.Height(), r.Bottom};
    DrawItemCaption(Canvas, text, GetCaptionText(), format, UseDisabledShadow);
    const QString shortcut = Item->ItemShortCutText();
    if (!shortcut.isEmpty())
        DrawItemCaption(Canvas, text, shortcut, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX, UseDisabledShadow);
    if (HasStyle(Item, tbis::HasSubmenu)) {
        // The arrow column is as wide as the row is high; a disabled arrow is embossed as its text is.
        const TMonoMask arrow = MenuArrowMask(r.Height(), r.Height());
        const int x = r.Right - r.Height();
        auto drawArrow = [&](int dx, TColor color) {
            Canvas.Brush()->SetColor(color);
            Canvas.DrawMask(x + dx, r.Top + dx, arrow);
        };
        if (UseDisabledShadow) {
            drawArrow(1, clBtnHighlight);
            drawArrow(0, clBtnShadow);
        } else {
            drawArrow(0, textColor);
        }
    }
}

void TTBSeparatorItemViewer::Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
                                   bool UseDisabledShadow)
{
    const auto *sep = dynamic_cast<const TTBSeparatorItem *>(Item);
    if (sep && sep->Blank())
        return;
    const bool lineBreak = (State & tbvsLineBreak) != 0;
    bool horizontal = !View->IsToolbar() || View->Orientation() == TTBViewOrientation::tbvoVertical;
    if (lineBreak)
        horizontal = !horizontal;
    TRect r = ClientAreaRect;
    if (horizontal) {
        if (!View->IsToolbar())
            r.Inflate(-12, 0);
        else if (lineBreak)
            r.Inflate(View->Orientation() == TTBViewOrientation::tbvoFloating ? -1 : -4, 0);
        r.Top += r.Height() / 2 - 1;
        r.Bottom = r.Top + 2;
        Canvas.DrawEdge(r, EDGE_ETCHED, BF_TOP);
    } else {
        if (lineBreak)
            r.Inflate(0, -4);
        r.Left += r.Width() / 2 - 1;
        r.Right = r.Left + 2;
        Canvas.DrawEdge(r, EDGE_ETCHED, BF_LEFT);
    }
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TTBItemViewer::MouseDown(TShiftState Shift, int X, int Y, bool &MouseDownOnMenu)
{
    const bool rootToolbar = View->IsToolbar() && !View->ParentView();
    if (!Item->Enabled()) {
        if (rootToolbar)
            View->EndModal();
        return;
    }
    if (UsesToolbarStyle() && IsPtInButtonPart(X, Y)) {
        View->CloseChildPopups();
        View->SetCapture(true);
        Invalidate();
        return;
    }
    const bool wasOpen = View->OpenViewer() == this;
    if (!wasOpen)
        View->OpenChildPopup(false);
    else if (rootToolbar)
        MouseDownOnMenu = true;
    if (Shift.Contains(ssDouble) && !HasStyle(Item, tbis::SplitDropdown)) {
        if (TTBView *popup = View->OpenViewerView()) {
            for (int i = 0; i < popup->ViewerCount(); ++i) {
                TTBItemViewer *v = popup->Viewers(i);
                TTBCustomItem *it = v->Item;
                if (it->Enabled() && it->Visible() && HasStyle(it, tbis::Selectable) &&
                    HasOption(it, TTBItemOption::tboDefault)) {
                    v->Execute(true);
                    break;
                }
            }
        }
    }
}

void TTBItemViewer::MouseUp(int X, int Y, bool MouseWasDownOnMenu)
{
    const bool hadCapture = View->Capture();
    View->SetCapture(false);
    const bool rootToolbar = View->IsToolbar() && !View->ParentView();
    const bool inside = View->MouseOverSelected() && View->Selected() == this;
    if (!inside || !Item->Enabled() || HasStyle(Item, tbis::IgnoresClicks)) {
        if (!inside && rootToolbar)
            View->EndModal();
        return;
    }
    if (HasStyle(Item, tbis::HasSubmenu) && !IsPtInButtonPart(X, Y)) {
        if (rootToolbar && MouseWasDownOnMenu)
            View->EndModal();
        return;
    }
    if (UsesToolbarStyle() && !hadCapture)
        return;
    Execute(true);
}
