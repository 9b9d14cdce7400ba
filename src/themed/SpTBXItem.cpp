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
                           int imageIndex, TColor glowColor, bool glow)
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
    if (hasImage)
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
