#pragma once
#include "themed/TBXThemes.h"

#include <initializer_list>
#include <vector>

// What the visual themes share: the item and menu states they keep colours for, and the small
// shapes they all draw the same way in their own colours.

// Items: 0 normal, 1 disabled, 2 checked, 3 pushed, 4 hot, 5 disabled under the mouse,
// 6 checked and hot, 7 parent of an open popup.
int ItemStateIndex(const TTBXItemInfo &info);
// Menu items: 0 normal, 1 disabled, 2 hot, 3 disabled under the mouse.
int MenuStateIndex(const TTBXItemInfo &info);
// A close button's colours: those of a pushed (3), hot (4) or normal (0) item.
int CloseButtonStateIndex(int closeState);

// Part numbers of the colour lookups.
constexpr int PartFill = 0, PartText = 1, PartFrame = 2;

inline bool HasBits(int value, int bits) { return (value & bits) == bits; }
inline bool IsOpaqueToolbar(int viewType) { return HasBits(viewType, VT_TOOLBAR | VT_OPAQUE); }
inline bool IsToolbarStyle(const TTBXItemInfo &info) { return (info.ItemOptions & IO_TOOLBAR_STYLE) != 0; }
inline bool IsHovered(const TTBXItemInfo &info) { return info.HoverKind != HOVER_NONE; }
// A state's colour, or the colour of the view where the state keeps none.
inline TColor StateOrViewColor(TTBXTheme &theme, TColor stateColor, int viewType)
{
    return stateColor == clNone ? theme.GetViewColor(viewType) : stateColor;
}

// Per channel a + (b - a) * num / den, kept within 0..255.
TColor LerpColor(TColor a, TColor b, int num, int den);
// Every colour given that is not clNone becomes the plain value the screen shows.
void ReduceToScreenColors(std::initializer_list<TColor *> colors);

// Border of the views the themes frame alike: the given size for popups, the system frame less
// one for floating windows, 2 for docked tool bars and panels, none for anything else.
TPoint FramedViewBorder(int viewType, TPoint popupBorder);

void FillTriangle(TCanvas &canvas, const std::vector<TPoint> &points, TColor color);
// The drop-down arrow of an item: down, or left when the item is vertical.
void PaintArrowTriangle(TCanvas &canvas, const TRect &rect, bool vertical, TColor color);
// The two arrows of a spin button, each centred in its half.
void PaintSpinTriangles(TCanvas &canvas, const TRect &up, const TRect &down, TColor color);
// A sub-menu arrow pointing right at x, centred on the rectangle's middle row.
void PaintSubmenuTriangle(TCanvas &canvas, int x, const TRect &rect, TColor color);
// The arrow of a symbol button: kind 1 up, 2 down, 3 left, 4 right.
void PaintSymbolTriangle(TCanvas &canvas, const TRect &rect, int kind, TColor color);
// The tick of a checked menu item about (cx, cy), and the heavier one of a check box.
void PaintMenuTick(TCanvas &canvas, int cx, int cy, TColor color);
void PaintBoxTick(TCanvas &canvas, const TRect &box, TColor color);
// A check box (a square with the tick when ticked) or a radio button (a circle with a dot when
// dotted), outlined and filled with the canvas's pen and brush, the mark in markColor.
void PaintCheckShape(TCanvas &canvas, const TRect &box, bool radio, bool dotted, bool ticked, TColor markColor);

// Where a popup meets the item it drops from (the item ends just outside the popup's edge, or
// its last row or column lies on the popup's outermost one), a one-pixel stretch along the
// popup's edge, one pixel short of each end; false when they do not touch.
bool ParentTouchStretch(const TRect &window, const TRect &parent, TRect &stretch);
// Prepares the canvas for a small caption's text in `color`, drawn over what is painted below.
void SetSmallCaptionText(TCanvas &canvas, TColor color);
// A disabled item's image: thresholded in `shadow` on a dark background, else monochrome.
void PaintDisabledImage(TCanvas &canvas, int x, int y, const TCustomImageList *images, int imageIndex, bool dark,
                        TColor shadow);
// A popup's non-client area: a one-pixel `frame` round the window and the rest of the border
// in `fill`. True, with the stretch set, where the popup meets its parent item.
bool PaintFramedPopupBorder(TCanvas &canvas, const TRect &windowRect, const TTBXPopupInfo &info, TColor frame,
                            TColor fill, TRect &stretch);

// A view's colour by its kind: the menu bar, other tool bars, a list box (the window colour),
// other popups, dock panels, and `other` for anything else.
TColor ViewKindColor(int viewType, TColor menuBar, TColor toolbar, TColor popup, TColor dockPanel, TColor other);
