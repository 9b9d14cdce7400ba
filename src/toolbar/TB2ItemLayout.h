#pragma once
// Placing the viewers of one view: which are shown, which separators drop out, same-width
// buttons, overflow into the chevron, wrapping, menu stacking, alignment within a line and the
// scrolling band of a tall popup. Works on plain records so that a toolbar can measure
// candidate sizes without touching its viewers.
#include "platform/Types.h"

#include <functional>
#include <vector>

enum class TTBViewOrientation { tbvoHorizontal, tbvoVertical, tbvoFloating };

// Height of each scroll-arrow band of a scrolling popup.
constexpr int tbMenuScrollBandSize = 19;
// Thickness of a separator that became a line break.
constexpr int tbLineBreakThickness = 6;

// What the layout asks of one viewer, filled by the caller.
struct TTBLayoutItem {
    // Would be shown by its item alone (visible, control present, listed in a chevron popup):
    // the separator rules come on top.
    bool Candidate = false;
    bool IsSeparator = false;
    bool IsControl = false;
    bool IsChevron = false;
    // Laid along the line like a toolbar button; other viewers stack as menu rows.
    bool ToolbarSize = false;
    bool RightAlign = false;
    bool FillsLineThickness = false;
    bool KeepsLineAfterWrap = false;
};

// The working record of one viewer: its result.
struct TTBLayoutRecord {
    TRect Bounds;
    bool Show = false;
    bool Clipped = false;
    bool LineBreak = false;
    bool OffEdge = false;
    bool SameWidth = false;
};

struct TTBLayoutParams {
    TTBViewOrientation Orientation = TTBViewOrientation::tbvoHorizontal;
    bool IsToolbar = false;
    bool IsPopup = false;
    bool IsChevronPopup = false;
    bool HasChevron = false;   // the last viewer is the chevron's
    TRect Margins;             // left, top, right, bottom widths
    int ChevronSize = 0;
    int MaxSize = 0;           // length limit for chevron overflow, 0 = none
    int WrapOffset = 0;        // line length, 0 = no wrapping
    int MaxHeight = 0;         // height limit of a scrolling popup, 0 = none
    // Viewer indexes, the one to keep longest first; null: viewer order.
    const std::vector<int> *Priority = nullptr;
    // Size of a shown viewer; sameWidth asks for the common width of its kind.
    std::function<void(int index, int &width, int &height, bool &sameWidth)> Measure;
    // The view is at least this size (0: no limit on that axis).
    TPoint MinSize = {};
};

struct TTBLayoutResult {
    int LineCount = 1;
    TPoint Size;
    // Total length of the shown viewers along the orientation, largest thickness across it.
    TPoint BaseSize;
    bool ChevronOverflow = false;
    bool NonControlClipped = false;
    bool ShowTopArrow = false;
    bool ShowBottomArrow = false;
};

// Lays out Items into Records (resized to match). ScrollOffset is the popup's scroll position
// going in and the clamped one coming out.
void LayoutViewerRecords(const TTBLayoutParams &Params, const std::vector<TTBLayoutItem> &Items,
                         std::vector<TTBLayoutRecord> &Records, int &ScrollOffset,
                         TTBLayoutResult &Result);
