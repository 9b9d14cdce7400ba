#pragma once
#include "TBXThemes.h"

class TCustomImageList;

// How a control takes its look: not themed, the desktop's push buttons, or the current theme.
enum class TSpTBXThemeType { thtNone, thtWindows, thtTBX };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TSpGlyphLayout { ghlGlyphLeft, ghlGlyphRight, ghlGlyphCenter };

// Text with an optional glow: drawn first in the glow colour one pixel off on each diagonal.
// With DT_CALCRECT only measures into rect.
int SpDrawWideText(TCanvas &canvas, const QString &text, TRect &rect, TColor glowColor, bool glow,
                   unsigned flags);

// Where a caption and a glyph of the given sizes go in rect: the glyph beside the caption
// with a 4-pixel gap, the pair aligned as asked and centred vertically, (1, 1) further when
// pushed.
void SpCalcCaptionLayout(const TRect &rect, TSize textSize, TSize glyphSize, TAlignment alignment,
                         TSpGlyphLayout layout, bool pushed, TRect &textRect, TRect &glyphRect);
// Draws them: the caption in the canvas font, the image disabled (embossed) when not enabled.
void SpDrawCaptionAndGlyph(TCanvas &canvas, const TRect &rect, const QString &caption, unsigned flags,
                           TAlignment alignment, bool enabled, bool pushed, const TCustomImageList *images,
                           int imageIndex, TColor glowColor, bool glow);

// The item record the themed buttons paint with: an opaque normal tool bar, application active.
TTBXItemInfo BuildButtonItemInfo(bool enabled, bool pushed, bool hot, bool checked);

// A focus rectangle of black and white dots, seen on any background.
void DrawFocusRectBlackWhite(TCanvas &canvas, const TRect &rect);

// The face of a push button in the desktop's look.
struct TSpButtonStates {
    bool Enabled = true, Pushed = false, Hot = false, Default = false, Focused = false;
};
void SpDrawPushButtonFace(TCanvas &canvas, const TRect &rect, const TSpButtonStates &states);
