#include "TBX.h"

#include "platform/ImgList.h"
#include "platform/SysParams.h"
#include "toolbar/TB2Common.h"

#include <algorithm>

// Themed viewers: measuring and painting an item entirely through the current theme.

namespace {

bool HasStyle(const TTBCustomItem *item, TTBItemStyle flag) { return (item->ItemStyle() & flag) != 0; }

bool HasOption(const TTBCustomItem *item, TTBItemOption option) { return item->EffectiveOptions().Contains(option); }

bool IsVerticalView(const TTBView *view) { return view->Orientation() == TTBViewOrientation::tbvoVertical; }

// Inside a tool-box popup every item takes toolbar size and style.
bool InToolBoxPopup(const TTBView *view)
{
    return view->IsPopup() && (GetViewType(view) & VT_TOOLBOX) == VT_TOOLBOX;
}

void Shrink(TRect &r, const TTBXMargins &m)
{
    r.Left += m.LeftWidth;
    r.Right -= m.RightWidth;
    r.Top += m.TopHeight;
    r.Bottom -= m.BottomHeight;
}

} // namespace

TTBXItemViewer::TTBXItemViewer(TTBView *AView, TTBCustomItem *AItem, int AGroupLevel)
    : TTBItemViewer(AView, AItem, AGroupLevel)
{
}

bool TTBXItemViewer::UsesToolbarSize() const { return TTBItemViewer::UsesToolbarSize() || InToolBoxPopup(View); }

bool TTBXItemViewer::UsesToolbarStyle() const { return TTBItemViewer::UsesToolbarStyle() || InToolBoxPopup(View); }

int TTBXItemViewer::GetStyleKind() const { return UsesToolbarStyle() ? 1 : 2; }

int TTBXItemViewer::GetAccRole()
{
    const auto *item = dynamic_cast<const TTBXCustomItem *>(Item);
    if (item && item->ToolBoxPopup() && HasStyle(Item, tbis::HasSubmenu))
        return 58;  // drop-down grid button
    return TTBItemViewer::GetAccRole();
}

bool TTBXItemViewer::IsPtInButtonPart(int X, int Y)
{
    if (!HasStyle(Item, tbis::SplitDropdown))
        return !HasStyle(Item, tbis::HasSubmenu);
    const int dropDown = UsesToolbarStyle() ? CurrentTheme()->GetIntegerMetric(IM_SPLIT_ARROW_WIDTH)
                                            : GetSystemMetrics(SM_CXMENUCHECK);
    return X < BoundsRect.Width() - dropDown;
}

void TTBXItemViewer::MouseUp(int X, int Y, bool MouseWasDownOnMenu)
{
    TTBItemViewer::MouseUp(X, Y, MouseWasDownOnMenu);
    // A button released here after the press began elsewhere (dragging across a menu bar or
    // toolbar) still counts as its click; one the framework already took is not taken twice.
    const bool followsMouse = View->MouseOverSelected() && View->Selected() == this;
    if (!followsMouse || !Item->Enabled() || HasStyle(Item, tbis::IgnoresClicks))
        return;
    if (HasStyle(Item, tbis::HasSubmenu) && !IsPtInButtonPart(X, Y))
        return;
    const TTBDoneActionData &done = View->RootView()->DoneActionData();
    if (done.DoneAction == TTBDoneAction::tbdaClickItem && done.ClickItem == Item)
        return;
    Execute(true);
}

bool TTBXItemViewer::IsImageShown() const
{
    if (Item->ImageIndex() < 0)
        return false;
    switch (Item->DisplayMode()) {
    case TTBItemDisplayMode::nbdmDefault:
    case TTBItemDisplayMode::nbdmImageAndText: return true;
    case TTBItemDisplayMode::nbdmTextOnlyInMenus: return UsesToolbarStyle();
    case TTBItemDisplayMode::nbdmTextOnly: return false;
    }
    return false;
}

TSize TTBXItemViewer::GetImageSize() const
{
    if (TCustomImageList *images = GetImageList())
        return {images->Width(), images->Height()};
    return {};
}

unsigned TTBXItemViewer::GetTextFlags() const
{
    if (!AreKeyboardCuesEnabled() && !View->State().Contains(TTBViewStateItem::vsShowAccels))
        return DT_HIDEPREFIX;
    return 0;
}

void TTBXItemViewer::DoAdjustFont(TFont &AFont, int StateFlags)
{
    if (HasOption(Item, TTBItemOption::tboDefault))
        AFont.SetStyle(TFontStyles(AFont.Style()).Include(TFontStyle::fsBold));
    if (auto *item = dynamic_cast<TTBXCustomItem *>(Item)) {
        item->FontSettings()->Apply(AFont);
        if (item->OnAdjustFont)
            item->OnAdjustFont(item, this, &AFont, StateFlags);
    }
}

TSize TTBXItemViewer::GetTextSize(TCanvas &Canvas, const QString &Text, bool Rotated, unsigned Flags)
{
    if (Text.isEmpty())
        return {};
    TCanvasStateGuard guard(Canvas);
    if (TFont *font = View->GetFont())
        Canvas.Font()->Assign(*font);
    DoAdjustFont(*Canvas.Font(), 0);
    if (Rotated) {
        TFont vertical;
        CreateVerticalFont(Canvas, vertical);
        Canvas.Font()->Assign(vertical);
        return {GetTextHeight(Canvas), GetTextWidth(Canvas, Text, true)};
    }
    TRect r;
    Canvas.DrawText(Text, r, DT_CALCRECT | Flags);
    return {r.Width(), r.Height()};
}

TTBXItemLayout TTBXItemViewer::ResolvedLayout() const
{
    const auto *item = dynamic_cast<const TTBXCustomItem *>(Item);
    const TTBXItemLayout layout = item ? item->Layout() : TTBXItemLayout::tbxlAuto;
    if (layout != TTBXItemLayout::tbxlAuto)
        return layout;
    if (HasOption(Item, TTBItemOption::tboImageAboveCaption) || IsVerticalView(View))
        return TTBXItemLayout::tbxlGlyphTop;
    return TTBXItemLayout::tbxlGlyphLeft;
}

// ---------------------------------------------------------------------------------------------
// Measuring

void TTBXItemViewer::CalcSize(TCanvas &Canvas, int &AWidth, int &AHeight)
{
    TTBXTheme *theme = CurrentTheme();
    const bool toolbarStyle = UsesToolbarStyle();
    TSize image = GetImageSize();
    if (image.cx < 1 || image.cy < 1)
        image = {};
    const auto *themedItem = dynamic_cast<const TTBXCustomItem *>(Item);
    const bool explicitLayout = themedItem && themedItem->Layout() != TTBXItemLayout::tbxlAuto;
    const TTBXItemLayout layout = ResolvedLayout();

    bool rotated = IsVerticalView(View) && toolbarStyle;
    QString caption;
    if (CaptionShown()) {
        caption = GetCaptionText();
        if (explicitLayout || HasOption(Item, TTBItemOption::tboImageAboveCaption))
            rotated = false;
    }
    unsigned flags = GetTextFlags();
    if (rotated || !toolbarStyle)
        flags |= DT_SINGLELINE;
    const TSize text = GetTextSize(Canvas, caption, rotated, flags);

    if (toolbarStyle) {
        AWidth = AHeight = 6;
        if (!caption.isEmpty()) {
            AWidth += text.cx;
            AHeight += text.cy;
            if (rotated)
                AHeight += 4;
            else
                AWidth += 4;
        }
        if (IsImageShown() && image.cx >= 1 && image.cy >= 1) {
            if (layout == TTBXItemLayout::tbxlGlyphTop) {
                AHeight += image.cy;
                AWidth = std::max(AWidth, image.cx + 7);
            } else {
                AWidth += image.cx + (Wide ? 1 : 0);
                AHeight = std::max(AHeight, image.cy + 6);
            }
        }
        if (HasStyle(Item, tbis::HasSubmenu)) {
            const int arrow = theme->GetIntegerMetric(IM_DROPDOWN_ARROW_WIDTH);
            if (HasStyle(Item, tbis::SplitDropdown))
                AWidth += theme->GetIntegerMetric(IM_SPLIT_ARROW_WIDTH);
            else if (HasOption(Item, TTBItemOption::tboDropdownArrow)) {
                if (layout == TTBXItemLayout::tbxlGlyphTop && image.cx >= 1 && !rotated) {
                    if (IsVerticalView(View))
                        AHeight = std::max(AHeight, arrow + image.cy + 2 + 7);
                    else
                        AWidth = std::max(AWidth, arrow + image.cx + 2 + 7);
                } else if (IsVerticalView(View))
                    AHeight += arrow;
                else
                    AWidth += arrow;
            }
        }
    } else {
        AWidth = text.cx;
        AHeight = text.cy + Canvas.GetTextMetrics().tmExternalLeading;
        AHeight = std::max(AHeight, image.cy == 0 ? 16 : image.cy);
        TTBXMargins margins;
        theme->GetMargins(MARGIN_MENU_ITEM, margins);
        AWidth += margins.LeftWidth + margins.RightWidth;
        AHeight += margins.TopHeight + margins.BottomHeight;
        AWidth += theme->GetIntegerMetric(IM_MENU_IMAGE_TEXT_GAP) + GetPopupMargin(this) +
                  theme->GetIntegerMetric(IM_MENU_LEFT_CAPTION_GAP) +
                  theme->GetIntegerMetric(IM_MENU_RIGHT_CAPTION_GAP);
        const QString shortcut = Item->ItemShortCutText();
        if (!shortcut.isEmpty())
            AWidth += GetTextSize(Canvas, shortcut, false, flags).cx + AHeight - 6;
        AWidth += AHeight;  // the submenu arrow
    }
    if (themedItem) {
        AWidth = std::max(AWidth, themedItem->MinWidth());
        AHeight = std::max(AHeight, themedItem->MinHeight());
    }
}

// ---------------------------------------------------------------------------------------------
// Painting

void TTBXItemViewer::Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected, bool IsPushed,
                           bool UseDisabledShadow)
{
    TCanvasStateGuard guard(Canvas);
    TTBXTheme *theme = CurrentTheme();
    const bool toolbarStyle = UsesToolbarStyle();
    const bool hasSubmenu = HasStyle(Item, tbis::HasSubmenu);
    const bool split = HasStyle(Item, tbis::SplitDropdown);
    const bool vertical = IsVerticalView(View);

    // 1. The item info.
    TTBXItemInfo info;
    info.ViewType = GetViewType(View);
    if (toolbarStyle)
        info.ItemOptions |= IO_TOOLBAR_STYLE;
    if (hasSubmenu)
        info.ItemOptions |= IO_SUBMENU;
    if (split)
        info.ItemOptions |= IO_SPLIT;
    if (Item->ComponentState().Contains(TComponentStateItem::csDesigning))
        info.ItemOptions |= IO_DESIGNING;
    if (ApplicationActive())
        info.ItemOptions |= IO_APP_ACTIVE;
    info.Enabled = Item->Enabled() || View->Customizing();
    bool dropDownPushed = false;
    if (split && IsPushed && View->OpenViewer() == this) {
        info.Pushed = false;
        dropDownPushed = true;
    } else
        info.Pushed = IsPushed;
    if (IsSelected) {
        if (Item->Enabled())
            info.HoverKind = HOVER_ENABLED;
        else if (!View->MouseOverSelected())
            info.HoverKind = HOVER_DISABLED;
    }
    info.Checked = Item->Checked();
    TSize image = GetImageSize();
    const bool imageShown = IsImageShown() && image.cx >= 1 && image.cy >= 1;
    if (!imageShown)
        image = {};
    info.ImageShown = imageShown;
    info.ImageWidth = image.cx;
    info.ImageHeight = image.cy;
    info.IsVertical = vertical && !split;
    const bool menuBarOpen = IsMenuBarView(info.ViewType) && View->OpenViewer();
    info.IsPopupParent = toolbarStyle && (hasSubmenu || menuBarOpen) && (split ? dropDownPushed : info.Pushed);
    info.PopupMargin = GetPopupMargin(this);

    // 2. Layout and the drop-down arrow.
    const auto *themedItem = dynamic_cast<const TTBXCustomItem *>(Item);
    const bool explicitLayout = themedItem && themedItem->Layout() != TTBXItemLayout::tbxlAuto;
    const TTBXItemLayout layout = ResolvedLayout();
    const bool showArrow =
        hasSubmenu && toolbarStyle && (split || HasOption(Item, TTBItemOption::tboDropdownArrow));

    // 3. The caption font.
    if (TFont *font = View->GetFont())
        Canvas.Font()->Assign(*font);
    Canvas.Font()->SetColor(theme->GetItemTextColor(info));
    DoAdjustFont(*Canvas.Font(), ItemStateFlags(info));

    // 4. Caption and its measure.
    bool rotated = vertical && toolbarStyle;
    QString caption;
    if (CaptionShown()) {
        caption = GetCaptionText();
        if (explicitLayout || HasOption(Item, TTBItemOption::tboImageAboveCaption))
            rotated = false;
    }
    unsigned flags = GetTextFlags();
    if (rotated || !toolbarStyle)
        flags |= DT_SINGLELINE;
    const TSize text = GetTextSize(Canvas, caption, rotated, flags);
    const bool arrowUnderCaption = showArrow && !split && toolbarStyle && layout == TTBXItemLayout::tbxlGlyphTop &&
                                   image.cx >= 1 && text.cx >= 1 && !rotated;

    TRect r = ClientAreaRect;
    if (!toolbarStyle) {
        // 5. The whole menu item face.
        PaintFace(Canvas, ClientAreaRect, [&] { theme->PaintMenuItem(Canvas, ClientAreaRect, info); });
        TTBXMargins margins;
        theme->GetMargins(MARGIN_MENU_ITEM, margins);
        Shrink(r, margins);
    } else {
        // 6. The button face, its drop-down part or arrow.
        TRect arrowRect;
        TRect dropDownRect;
        if (showArrow && !split) {
            info.ComboPart = COMBO_WHOLE;
            const int arrow = theme->GetIntegerMetric(IM_DROPDOWN_ARROW_WIDTH);
            if (arrowUnderCaption) {
                const int left = (r.Left + r.Right - arrow) / 2;
                arrowRect = {left, r.Top + image.cy, left + arrow, r.Bottom - text.cy};
            } else if (vertical)
                arrowRect = {r.Left, r.Bottom - arrow, r.Right, r.Bottom};
            else
                arrowRect = {r.Right - arrow, r.Top, r.Right, r.Bottom};
        } else if (showArrow) {
            info.ComboPart = COMBO_BUTTON;
            dropDownRect = r;
            dropDownRect.Left = r.Right - theme->GetIntegerMetric(IM_SPLIT_ARROW_WIDTH);
            r.Right = dropDownRect.Left;
        }
        PaintFace(Canvas, r, [&] { theme->PaintButton(Canvas, r, info); });
        if (showArrow && split) {
            const bool pushed = info.Pushed, checked = info.Checked;
            info.Pushed = dropDownPushed;
            info.Checked = false;
            info.ComboPart = COMBO_DROPDOWN;
            PaintFace(Canvas, dropDownRect, [&] { theme->PaintButton(Canvas, dropDownRect, info); });
            info.ComboPart = COMBO_BUTTON;
            info.Pushed = pushed;
            info.Checked = checked;
        } else if (showArrow) {
            theme->PaintDropDownArrow(Canvas, arrowRect, info);
            if (!arrowUnderCaption) {
                if (vertical)
                    r.Bottom -= theme->GetIntegerMetric(IM_DROPDOWN_ARROW_WIDTH);
                else
                    r.Right -= theme->GetIntegerMetric(IM_DROPDOWN_ARROW_WIDTH);
            }
        }
        r.Inflate(-2, -2);
    }

    const TTextMetric tm = Canvas.GetTextMetrics();
    TTBXMargins menuMargins;
    if (!toolbarStyle)
        theme->GetMargins(MARGIN_MENU_ITEM, menuMargins);
    // A menu text line sits on the item's lower margin; its external leading goes above it.
    auto menuTextRect = [&](TRect t) {
        if (t.Height() - (text.cy + tm.tmExternalLeading) == menuMargins.BottomHeight)
            t.Bottom -= 1;
        t.Top += tm.tmExternalLeading;
        return t;
    };
    auto paintCaption = [&](TRect captionRect, QString s, unsigned format, bool rot) {
        bool paintDefault = true;
        DoPaintCaption(Canvas, ClientAreaRect, s, captionRect, rot, paintDefault);
        if (paintDefault && !DrawCaptionItself(Canvas, captionRect, s, format, rot))
            theme->PaintCaption(Canvas, captionRect, info, s, format, rot);
        DoPaintCaptionDone(Canvas, ClientAreaRect, s, captionRect, rot);
    };

    if (!caption.isEmpty()) {
        TRect captionRect = r;
        unsigned format = flags;
        if (!toolbarStyle) {
            // 7. Menu caption after the image column.
            format |= DT_VCENTER;
            captionRect.Left = r.Left + theme->GetIntegerMetric(IM_MENU_IMAGE_TEXT_GAP) + info.PopupMargin +
                               theme->GetIntegerMetric(IM_MENU_LEFT_CAPTION_GAP);
            captionRect.Right = captionRect.Left + text.cx;
            captionRect = menuTextRect(captionRect);
        } else {
            // 8. Toolbar caption beside or under the image. DrawText centres only a single
            // line vertically, and toolbar captions may wrap: the rectangle is centred here.
            format |= DT_CENTER | DT_VCENTER;
            const bool glyphTop = imageShown && layout == TTBXItemLayout::tbxlGlyphTop;
            if (!rotated && !glyphTop) {
                captionRect.Top = r.Top + (r.Height() - text.cy) / 2;
                captionRect.Bottom = captionRect.Top + text.cy;
            }
            if (imageShown && layout == TTBXItemLayout::tbxlGlyphLeft) {
                captionRect.Left = (r.Left + image.cx + 3 + r.Right - text.cx) / 2;
                captionRect.Right = captionRect.Left + text.cx;
                format &= ~DT_CENTER;
            } else if (imageShown) {
                captionRect.Top = r.Top + image.cy + 1 + (rotated ? 3 : 0);
                captionRect.Top += (captionRect.Height() - text.cy) / 2;
                captionRect.Bottom = captionRect.Top + text.cy;
                format &= ~DT_VCENTER;
            }
        }
        paintCaption(captionRect, caption, format, rotated);
    }

    if (!toolbarStyle) {
        // 9. Shortcut text left of the submenu arrow's room.
        const QString shortcut = Item->ItemShortCutText();
        if (!shortcut.isEmpty()) {
            const int width = GetTextSize(Canvas, shortcut, false, flags).cx;
            const TRect shortcutRect = menuTextRect({r.Right - r.Height() - width, r.Top, r.Right, r.Bottom});
            PaintingShortCut = true;
            paintCaption(shortcutRect, shortcut, flags | DT_VCENTER, false);
            PaintingShortCut = false;
        }
    }

    // 10. Image, or the check mark of a menu item without one.
    TRect imageRect = r;
    if (!toolbarStyle)
        imageRect = {ClientAreaRect.Left, ClientAreaRect.Top, ClientAreaRect.Left + ClientAreaRect.Height(),
                     ClientAreaRect.Bottom};
    else if (layout == TTBXItemLayout::tbxlGlyphLeft)
        imageRect.Right = imageRect.Left + image.cx + 2;
    else if (!caption.isEmpty())
        imageRect.Bottom = imageRect.Top + image.cy + 1;
    if (!imageShown) {
        if (!toolbarStyle && info.Checked) {
            TTBXItemInfo check = info;
            if (Item->RadioItem())
                check.ItemOptions |= IO_RADIO;
            PaintFace(Canvas, imageRect, [&] { theme->PaintCheckMark(Canvas, imageRect, check); });
        }
        return;
    }
    const int x = (imageRect.Left + imageRect.Right - image.cx) / 2;
    const int y = (imageRect.Top + imageRect.Bottom - image.cy) / 2;
    DrawItemImage(Canvas, Bounds(x, y, image.cx, image.cy), info);
}

void TTBXItemViewer::DrawItemImage(TCanvas &Canvas, TRect ARect, TTBXItemInfo &ItemInfo)
{
    TTBXTheme *theme = CurrentTheme();
    TCustomImageList *images = GetImageList();
    const int index = Item->ImageIndex();
    if (images && index >= 0 && index < images->Count())
        theme->PaintImage(Canvas, ARect, ItemInfo, images, index);
    auto *item = dynamic_cast<TTBXCustomItem *>(Item);
    if (item && item->OnDrawImage) {
        const TPoint offset = theme->GetImageOffset(Canvas, ItemInfo, images);
        item->OnDrawImage(item, this, &Canvas, ARect, offset, ItemStateFlags(ItemInfo));
    }
}

// ---------------------------------------------------------------------------------------------
// Separators

bool TTBXSeparatorItemViewer::UsesToolbarSize() const
{
    return TTBSeparatorItemViewer::UsesToolbarSize() || InToolBoxPopup(View);
}

bool TTBXSeparatorItemViewer::UsesToolbarStyle() const
{
    return TTBSeparatorItemViewer::UsesToolbarStyle() || InToolBoxPopup(View);
}

void TTBXSeparatorItemViewer::CalcSize(TCanvas &Canvas, int &AWidth, int &AHeight)
{
    const auto *sep = dynamic_cast<const TTBXSeparatorItem *>(Item);
    const int size = sep ? sep->Size() : -1;
    const bool toolbarStyle = UsesToolbarStyle();
    if (size < 0) {
        const int themed =
            CurrentTheme()->GetIntegerMetric(toolbarStyle ? IM_TOOLBAR_SEPARATOR_SIZE : IM_MENU_SEPARATOR_SIZE);
        if (themed < 0) {
            TTBSeparatorItemViewer::CalcSize(Canvas, AWidth, AHeight);
            return;
        }
        AWidth = AHeight = themed;
        return;
    }
    AWidth = toolbarStyle ? size : 0;
    AHeight = size;
}

void TTBXSeparatorItemViewer::Paint(TCanvas &Canvas, const TRect &ClientAreaRect, bool IsSelected,
                                    bool IsPushed, bool UseDisabledShadow)
{
    const auto *sep = dynamic_cast<const TTBSeparatorItem *>(Item);
    const auto *themedSep = dynamic_cast<const TTBXSeparatorItem *>(Item);
    if (themedSep && themedSep->Size() == 0)
        return;
    const bool toolbarStyle = UsesToolbarStyle();
    const bool vertical = IsVerticalView(View);
    TTBXItemInfo info;
    info.ViewType = GetViewType(View);
    if (toolbarStyle)
        info.ItemOptions |= IO_TOOLBAR_STYLE;
    if (Item->ComponentState().Contains(TComponentStateItem::csDesigning))
        info.ItemOptions |= IO_DESIGNING;
    info.Enabled = !(sep && sep->Blank());
    info.Pushed = IsPushed;
    info.IsVertical = vertical;
    if (!toolbarStyle)
        info.PopupMargin = GetPopupMargin(this);
    const bool lineSeparator = (State & tbvsLineBreak) != 0;
    // A menu lists its items downwards like a vertical toolbar.
    const bool downwards = vertical || !toolbarStyle;
    const bool chevronRowBreak =
        lineSeparator && View->WrapOffset() > 0 && (info.ViewType & VT_CHEVRONMENU) == VT_CHEVRONMENU;
    const bool horizontal = (downwards != lineSeparator) || chevronRowBreak;
    CurrentTheme()->PaintSeparator(Canvas, ClientAreaRect, info, horizontal, lineSeparator);
}
