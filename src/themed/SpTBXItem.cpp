#include "SpTBXItem.h"

#include "TBXUtils.h"

#include "platform/ImgList.h"
#include "platform/SysColors.h"

#include <algorithm>

int SpDrawWideText(TCanvas &canvas, const QString &text, TRect &rect, TColor glowColor, bool glow, unsigned flags)
{
    TCanvasStateGuard guard(canvas);
    canvas.Brush()->SetStyle(TBrushStyle::bsClear);
    canvas.SetBkMode(TRANSPARENT);
    if (glow && !(flags & DT_CALCRECT)) {
        const TColor font = canvas.Font()->Color();
        canvas.Font()->SetColor(glowColor);
        for (const TPoint d : {TPoint{-1, -1}, TPoint{1, -1}, TPoint{-1, 1}, TPoint{1, 1}}) {
            TRect r = rect;
            r.Offset(d.X, d.Y);
            canvas.DrawText(text, r, flags);
        }
        canvas.Font()->SetColor(font);
    }
    return canvas.DrawText(text, rect, flags);
}

void SpCalcCaptionLayout(const TRect &rect, TSize textSize, TSize glyphSize, TAlignment alignment,
                         TSpGlyphLayout layout, bool pushed, TRect &textRect, TRect &glyphRect)
{
    const bool hasGlyph = glyphSize.cx > 0 && glyphSize.cy > 0;
    const bool hasText = textSize.cx > 0;
    const int gap = hasGlyph && hasText && layout != TSpGlyphLayout::ghlGlyphCenter ? 4 : 0;
    const int width = layout == TSpGlyphLayout::ghlGlyphCenter ? std::max(textSize.cx, glyphSize.cx)
                                                               : textSize.cx + gap + (hasGlyph ? glyphSize.cx : 0);
    int left = rect.Left;
    if (alignment == TAlignment::taCenter)
        left = rect.Left + (rect.Width() - width) / 2;
    else if (alignment == TAlignment::taRightJustify)
        left = rect.Right - width;
    const int shift = pushed ? 1 : 0;
    const int textTop = rect.Top + (rect.Height() - textSize.cy) / 2 + shift;
    const int glyphTop = rect.Top + (rect.Height() - glyphSize.cy) / 2 + shift;
    left += shift;
    if (!hasGlyph) {
        glyphRect = TRect{};
        textRect = Bounds(left, textTop, textSize.cx, textSize.cy);
        return;
    }
    switch (layout) {
    case TSpGlyphLayout::ghlGlyphLeft:
        glyphRect = Bounds(left, glyphTop, glyphSize.cx, glyphSize.cy);
        textRect = Bounds(left + glyphSize.cx + gap, textTop, textSize.cx, textSize.cy);
        break;
    case TSpGlyphLayout::ghlGlyphRight:
        textRect = Bounds(left, textTop, textSize.cx, textSize.cy);
        glyphRect = Bounds(left + textSize.cx + gap, glyphTop, glyphSize.cx, glyphSize.cy);
        break;
    case TSpGlyphLayout::ghlGlyphCenter:
        glyphRect = Bounds(left + (width - glyphSize.cx) / 2, glyphTop, glyphSize.cx, glyphSize.cy);
        textRect = Bounds(left + (width - textSize.cx) / 2, textTop, textSize.cx, textSize.cy);
        break;
    }
}

void SpDrawCaptionAndGlyph(TCanvas &canvas, const TRect &rect, const QString &caption, unsigned flags,
                           TAlignment alignment, bool enabled, bool pushed, const TCustomImageList *images,
                           int imageIndex, TColor glowColor, bool glow, int ThemedImageState)
{
    TRect measure = Rect(0, 0, std::max(1, rect.Width()), 1);
    TSize textSize{0, 0};
    if (!caption.isEmpty()) {
        SpDrawWideText(canvas, caption, measure, glowColor, false, (flags | DT_CALCRECT) & ~DT_VCENTER);
        textSize = {measure.Width(), measure.Height()};
    }
    const bool hasImage = images && imageIndex >= 0 && imageIndex < images->Count();
    const TSize glyph = hasImage ? TSize{images->Width(), images->Height()} : TSize{0, 0};
    TRect textRect, glyphRect;
    SpCalcCaptionLayout(rect, textSize, glyph, alignment, TSpGlyphLayout::ghlGlyphLeft, pushed, textRect, glyphRect);
    if (hasImage && ThemedImageState != SpUnthemedImage) {
        // The layout has moved a pushed glyph already; the theme would move it once more.
        const unsigned state = (unsigned(ThemedImageState) & ~DTI_PUSHED) | (enabled ? 0 : DTI_DISABLED);
        DrawThemedImage(canvas, glyphRect, images, imageIndex, state);
    } else if (hasImage)
        images->Draw(&canvas, glyphRect.Left, glyphRect.Top, imageIndex, enabled);
    if (caption.isEmpty())
        return;
    const unsigned drawFlags = (flags & ~(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM | DT_CALCRECT)) | DT_NOCLIP;
    if (!enabled) {
        TCanvasStateGuard guard(canvas);
        TRect shifted = textRect;
        shifted.Offset(1, 1);
        canvas.Font()->SetColor(clBtnHighlight);
        SpDrawWideText(canvas, caption, shifted, glowColor, false, drawFlags);
        canvas.Font()->SetColor(clBtnShadow);
        SpDrawWideText(canvas, caption, textRect, glowColor, false, drawFlags);
        return;
    }
    SpDrawWideText(canvas, caption, textRect, glowColor, glow, drawFlags);
}

TTBXItemInfo BuildButtonItemInfo(bool enabled, bool pushed, bool hot, bool checked)
{
    TTBXItemInfo info;
    info.ViewType = VT_NORMALTOOLBAR | VT_OPAQUE;
    info.ItemOptions = IO_TOOLBAR_STYLE | IO_APP_ACTIVE;
    info.Enabled = enabled;
    info.Pushed = pushed;
    info.Checked = checked;
    if (hot)
        info.HoverKind = enabled ? HOVER_ENABLED : HOVER_DISABLED;
    return info;
}

void DrawFocusRectBlackWhite(TCanvas &canvas, const TRect &rect)
{
    TCanvasStateGuard guard(canvas);
    canvas.Font()->SetColor(clBlack);
    canvas.SetBkColor(clWhite);
    canvas.DrawFocusRect(rect);
}

void SpDrawPushButtonFace(TCanvas &canvas, const TRect &rect, const TSpButtonStates &states)
{
    TCanvasStateGuard guard(canvas);
    TRect r = rect;
    FillRectColor(&canvas, r, clBtnFace);
    if (states.Default || states.Focused)
        FrameRectColor(&canvas, r, clWindowFrame, true);
    if (states.Pushed) {
        FrameRectColor(&canvas, r, clBtnShadow);
    } else {
        TRect face = r;
        canvas.DrawFrameControl(face, DFC_BUTTON, DFCS_BUTTONPUSH | (states.Enabled ? 0 : DFCS_INACTIVE));
    }
    if (states.Focused) {
        TRect focus = rect;
        focus.Inflate(-3, -3);
        DrawFocusRectBlackWhite(canvas, focus);
    }
}

// ---------------------------------------------------------------------------------------------
// Wide-string items

#include "TBXNexus.h"

#include "platform/Forms.h"
#include "platform/Menus.h"
#include "toolbar/TB2Common.h"

namespace {

template <class V>
TTBItemViewer *NewSpViewer(TTBView *AView, TTBCustomItem *AItem, int AGroupLevel)
{
    return new V(AView, AItem, AGroupLevel);
}

bool IsLoadingOrDesigning(const TComponent *c)
{
    const auto s = c->ComponentState();
    return s.Contains(TComponentStateItem::csLoading) || s.Contains(TComponentStateItem::csDestroying) ||
           s.Contains(TComponentStateItem::csDesigning);
}

} // namespace

TSpTBXCustomItem::TSpTBXCustomItem(TComponent *AOwner) : TTBXCustomItem(AOwner)
{
    SetDisplayMode(TTBItemDisplayMode::nbdmImageAndText);
    SetStretch(true);
}

TSpTBXCustomItem::~TSpTBXCustomItem()
{
    if (control_)
        control_->RemoveFreeNotification(this);
}

void TSpTBXCustomItem::SetCaptionW(const QString &Value)
{
    if (Value != Caption())
        SetCaption(Value);
}

void TSpTBXCustomItem::SetAlignment(TAlignment Value)
{
    if (alignment_ != Value) {
        alignment_ = Value;
        Change(false);
    }
}

void TSpTBXCustomItem::SetCustomWidth(int Value)
{
    Value = std::max(Value, -1);
    if (customWidth_ != Value) {
        customWidth_ = Value;
        Change(true);
    }
}

void TSpTBXCustomItem::SetCustomHeight(int Value)
{
    Value = std::max(Value, -1);
    if (customHeight_ != Value) {
        customHeight_ = Value;
        Change(true);
    }
}

void TSpTBXCustomItem::SetControl(TControl *Value)
{
    if (control_ == Value)
        return;
    if (control_)
        control_->RemoveFreeNotification(this);
    control_ = Value;
    if (control_) {
        control_->FreeNotification(this);
        MirrorControl();
    }
}

void TSpTBXCustomItem::MirrorControl()
{
    if (control_ && TogglesControl() && !IsLoadingOrDesigning(this))
        SetChecked(control_->Visible());
}

void TSpTBXCustomItem::Click()
{
    if (control_ && TogglesControl())
        control_->SetVisible(!control_->Visible());
    TTBXCustomItem::Click();
}

void TSpTBXCustomItem::InitiateAction()
{
    TTBXCustomItem::InitiateAction();
    MirrorControl();
}

void TSpTBXCustomItem::Notification(TComponent *AComponent, TOperation Operation)
{
    TTBXCustomItem::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == control_)
        control_ = nullptr;
}

QString TSpTBXCustomItem::GetWideHintText() const
{
    QString hint = Hint();
    const int bar = hint.indexOf(u'|');
    if (bar >= 0)
        hint.truncate(bar);
    if (hint.isEmpty()) {
        const bool shownSubmenu = (ItemStyle() & tbis::HasSubmenu) && !(ItemStyle() & tbis::SplitDropdown);
        if (!shownSubmenu)
            hint = StripAccelChars(Caption());
    }
    if (Application()->HintShortCuts() && ShortCut() != 0)
        hint += QStringLiteral(" (") + ShortCutToText(ShortCut()) + QStringLiteral(")");
    return hint;
}

TTBItemViewerClass TSpTBXCustomItem::GetItemViewerClass(TTBView *) { return &NewSpViewer<TSpTBXItemViewer>; }

TSpTBXSubmenuItem::TSpTBXSubmenuItem(TComponent *AOwner) : TSpTBXItem(AOwner)
{
    SetItemStyle(ItemStyle() | tbis::HasSubmenu | tbis::HoldsChildItems);
}

void TSpTBXSubmenuItem::SetDropdownCombo(bool Value)
{
    if (DropdownCombo() != Value) {
        SetItemStyle(Value ? ItemStyle() | tbis::SplitDropdown : ItemStyle() & ~tbis::SplitDropdown);
        Change(true);
    }
}

TSpTBXLabelItem::TSpTBXLabelItem(TComponent *AOwner) : TSpTBXCustomItem(AOwner)
{
    SetItemStyle((ItemStyle() & ~(tbis::Selectable | tbis::RepaintOnSelect | tbis::RepaintOnPressHover)) |
                 tbis::IgnoresClicks);
    SetAlignment(TAlignment::taLeftJustify);
    SetStretch(false);
}

TTBItemViewerClass TSpTBXSeparatorItem::GetItemViewerClass(TTBView *)
{
    return &NewSpViewer<TSpTBXSeparatorItemViewer>;
}

// ---------------------------------------------------------------------------------------------

void TSpTBXItemViewer::CalcSize(TCanvas &Canvas, int &AWidth, int &AHeight)
{
    TTBXItemViewer::CalcSize(Canvas, AWidth, AHeight);
    if (SpItem()->CustomWidth() > -1)
        AWidth = SpItem()->CustomWidth();
    if (SpItem()->CustomHeight() > -1)
        AHeight = SpItem()->CustomHeight();
    if (SpItem()->Anchored() && UsesToolbarStyle())
        AWidth += AnchorDelta;
    AWidth = std::max(AWidth, SpItem()->MinWidth());
    AHeight = std::max(AHeight, SpItem()->MinHeight());
}

void TSpTBXItemViewer::PaintFace(TCanvas &Canvas, const TRect &ARect, const std::function<void()> &PaintDefault)
{
    TSpTBXCustomItem *item = SpItem();
    bool paintDefault = true;
    if (item->OnDrawItem)
        item->OnDrawItem(item, Canvas, ARect, TSpTBXPaintStage::pstPrePaint, paintDefault);
    if (paintDefault)
        PaintDefault();
    if (item->OnDrawItem) {
        paintDefault = true;
        item->OnDrawItem(item, Canvas, ARect, TSpTBXPaintStage::pstPostPaint, paintDefault);
    }
}

void TSpTBXItemViewer::DoPaintCaption(TCanvas &Canvas, const TRect &ClientAreaRect, QString &ACaption,
                                      TRect &CaptionRect, bool IsTextRotated, bool &PaintDefault)
{
    // The shortcut text of a menu item is no caption of the owner's.
    if (PaintingShortCut)
        return;
    TSpTBXCustomItem *item = SpItem();
    if (UsesToolbarStyle() && item->Alignment() == TAlignment::taLeftJustify && !IsTextRotated) {
        // Left-justified: 3 pixels in from the left, the caption's own width, centred vertically.
        const int w = CaptionRect.Width();
        const TSize text = GetTextSize(Canvas, ACaption, false, DT_SINGLELINE | GetTextFlags());
        CaptionRect.Left = ClientAreaRect.Left + 3;
        CaptionRect.Right = CaptionRect.Left + std::min(w, text.cx);
        CaptionRect.Top = ClientAreaRect.Top + (ClientAreaRect.Height() - text.cy) / 2;
        CaptionRect.Bottom = CaptionRect.Top + text.cy;
    }
    if (item->OnDrawCaption)
        item->OnDrawCaption(item, Canvas, ClientAreaRect, ACaption, CaptionRect, IsTextRotated,
                            TSpTBXPaintStage::pstPrePaint, PaintDefault);
}

// A wide-string item writes its own caption (and a menu item its shortcut text) in the item text
// colour the theme gave the canvas, so a theme's caption painter never reaches it. In this
// program that is every item of the menu bar, the menus, the tool bars, the tray and right-click
// menus and the status bar: all are wide-string items the command builder makes. Two cases still
// go to the theme's PaintCaption: a caption turned on its side (a tool bar docked at the left or
// right), which the theme writes vertically, and a colour the theme left open (clNone), which only
// the theme can resolve. Plain themed items (TTBXItem) always go there; the program has none.
bool TSpTBXItemViewer::DrawCaptionItself(TCanvas &Canvas, const TRect &CaptionRect, const QString &ACaption,
                                         unsigned Format, bool IsTextRotated)
{
    if (IsTextRotated || Canvas.Font()->Color() == clNone)
        return false;
    TRect r = CaptionRect;
    SpDrawWideText(Canvas, ACaption, r, clNone, false, Format);
    return true;
}

void TSpTBXItemViewer::DoPaintCaptionDone(TCanvas &Canvas, const TRect &ClientAreaRect, QString &ACaption,
                                          const TRect &CaptionRect, bool IsTextRotated)
{
    TSpTBXCustomItem *item = SpItem();
    if (PaintingShortCut || !item->OnDrawCaption)
        return;
    TRect r = CaptionRect;
    bool paintDefault = true;
    item->OnDrawCaption(item, Canvas, ClientAreaRect, ACaption, r, IsTextRotated, TSpTBXPaintStage::pstPostPaint,
                        paintDefault);
}

void TSpTBXItemViewer::DrawItemImage(TCanvas &Canvas, TRect ARect, TTBXItemInfo &ItemInfo)
{
    TSpTBXCustomItem *item = SpItem();
    bool paintDefault = true;
    if (item->OnDrawImage)
        item->OnDrawImage(item, Canvas, ARect, TSpTBXPaintStage::pstPrePaint, paintDefault);
    if (paintDefault)
        TTBXItemViewer::DrawItemImage(Canvas, ARect, ItemInfo);
    paintDefault = true;
    if (item->OnDrawImage)
        item->OnDrawImage(item, Canvas, ARect, TSpTBXPaintStage::pstPostPaint, paintDefault);
}

// ---------------------------------------------------------------------------------------------
// Theme chooser

TSpTBXThemeGroupItem::TSpTBXThemeGroupItem(TComponent *AOwner) : TTBGroupItem(AOwner)
{
    if (!IsLoadingOrDesigning(this))
        RebuildThemeItems();
}

void TSpTBXThemeGroupItem::RebuildThemeItems()
{
    names_.clear();
    for (int i = Count() - 1; i >= 0; --i)
        if (TTBCustomItem *child = Items(i); child->GroupIndex() == ThemeGroupIndex)
            delete child;
    const QString current = CurrentThemeName();
    ListThemeNames(&names_);
    std::sort(names_.begin(), names_.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    const int d = names_.indexOf(QStringLiteral("Default"));
    if (d > 0)
        names_.move(d, 0);
    for (int i = 0; i < names_.size(); ++i) {
        auto *item = new TSpTBXItem(nullptr);
        QString caption = names_[i];
        if (OnGetCaption)
            OnGetCaption(this, caption);
        item->SetCaptionW(caption);
        item->SetAutoCheck(false);
        item->SetGroupIndex(ThemeGroupIndex);
        item->SetTag(i);
        item->OnClick = [this](TComponent *Sender) { ThemeItemClick(Sender); };
        Insert(std::min(insertIndex_ + i, Count()), item);
        // Checked directly: the current theme is already there and is not made anew.
        if (names_[i].compare(current, Qt::CaseInsensitive) == 0)
            item->SetChecked(true);
    }
    if (OnUpdate)
        OnUpdate(this);
}

void TSpTBXThemeGroupItem::ThemeItemClick(TComponent *Sender)
{
    auto *item = dynamic_cast<TTBCustomItem *>(Sender);
    if (!item || item->Checked())
        return;
    const std::intptr_t index = item->Tag();
    if (index < 0 || index >= names_.size())
        return;
    item->SetChecked(true);
    SetCurrentTheme(names_[int(index)]);
    if (OnClick)
        OnClick(this);
}
