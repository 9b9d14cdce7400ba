// The layout over fixed-size fake viewers; every expected rectangle is worked out by hand.
#include "toolbar/TB2ItemLayout.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

// One fake viewer: its size and what kind of item it stands for.
struct Fake {
    int w = 30, h = 20;
    char kind = 'i';  // 'i' item, 's' separator, 'c' control, 'v' chevron, 'x' invisible item
    bool same = false, rightAlign = false, keepsLine = false, fills = false;
};
Fake I(int w, int h = 20) { return {w, h, 'i'}; }
Fake S(int w = 6, int h = 6) { return {w, h, 's'}; }

// A viewer's place ({0,0,0,0}: hidden) and flags.
struct Expect { int index; TRect bounds; bool clipped = false, lineBreak = false, offEdge = false; };

struct Case {
    std::string name; std::vector<Fake> viewers; TTBLayoutParams params; int scrollIn = 0;
    std::vector<Expect> expect; TPoint size; int lines = 1, scrollOut = 0; bool topArrow = false, bottomArrow = false;
};

TTBLayoutParams Toolbar(int wrap = 0, int maxSize = 0, bool chevron = false)
{
    return TTBLayoutParams{.IsToolbar = true, .HasChevron = chevron, .Margins = {}, .ChevronSize = 12,
                           .MaxSize = maxSize, .WrapOffset = wrap, .Measure = {}};
}
TTBLayoutParams Popup(int maxHeight = 0)
{
    return TTBLayoutParams{.IsPopup = true, .Margins = {}, .MaxHeight = maxHeight, .Measure = {}};
}

void Check(const Case &c)
{
    std::vector<TTBLayoutItem> items;
    for (const Fake &f : c.viewers)
        items.push_back({.Candidate = f.kind != 'x' && f.kind != 'v', .IsSeparator = f.kind == 's',
                         .IsControl = f.kind == 'c', .IsChevron = f.kind == 'v',
                         .ToolbarSize = c.params.IsToolbar, .RightAlign = f.rightAlign,
                         .FillsLineThickness = f.fills, .KeepsLineAfterWrap = f.keepsLine});
    TTBLayoutParams p = c.params;
    p.Measure = [&](int i, int &w, int &h, bool &same) {
        const Fake &f = c.viewers[size_t(i)];
        std::tie(w, h, same) = std::tie(f.w, f.h, f.same);
    };
    std::vector<TTBLayoutRecord> records;
    TTBLayoutResult result;
    int scroll = c.scrollIn;
    LayoutViewerRecords(p, items, records, scroll, result);
    ASSERT_EQ(records.size(), c.viewers.size());
    for (const Expect &e : c.expect) {
        SCOPED_TRACE(e.index);
        const TTBLayoutRecord &r = records[size_t(e.index)];
        const bool shown = !(e.bounds == TRect{});
        EXPECT_EQ(r.Show, shown);
        EXPECT_EQ(shown ? r.Bounds : e.bounds, e.bounds);
        EXPECT_EQ((std::vector<bool>{r.Clipped, r.LineBreak, r.OffEdge}),
                  (std::vector<bool>{e.clipped, e.lineBreak, e.offEdge}));  // clipped, line break, off edge
        EXPECT_TRUE(r.Bounds.Left <= r.Bounds.Right && r.Bounds.Top <= r.Bounds.Bottom);
    }
    EXPECT_EQ(result.Size, c.size);
    EXPECT_EQ(result.LineCount, c.lines);
    EXPECT_EQ(scroll, c.scrollOut);
    EXPECT_EQ(std::pair(result.ShowTopArrow, result.ShowBottomArrow), std::pair(c.topArrow, c.bottomArrow));
}

Case With(Case c, const std::function<void(Case &)> &change)
{
    change(c);
    return c;
}

std::vector<Case> Cases()
{
    const TRect hidden{};
    const Fake chevron{0, 0, 'v'};
    static const std::vector<int> priority{2, 0, 3, 1};
    const std::vector<Fake> ten(10, I(100));
    return {
        {"SeparatorsAtEndsAndDoubledDropOut", {S(10, 8), I(50), S(10, 8), S(10, 8), I(60), S(10, 8)}, Popup(), 0,
         {{0, hidden}, {1, {0, 0, 60, 20}}, {2, {0, 20, 60, 28}}, {3, hidden}, {4, {0, 28, 60, 48}}, {5, hidden}},
         {60, 48}},
        {"InvisibleItemsDoNotSeparateSeparators", {I(40), S(), Fake{40, 20, 'x'}, S(), I(40)}, Toolbar(), 0,
         {{1, {40, 0, 46, 20}}, {2, hidden}, {3, hidden}, {4, {46, 0, 86, 20}}}, {86, 20}},
        // Only one item fits beside the chevron: the others go, none is left under the chevron,
        // which sits at 45 - 12.
        {"ChevronKeepsTheOneItemThatFits", {I(30), I(30), I(30), chevron}, Toolbar(0, 45, true), 0,
         {{0, {0, 0, 30, 20}}, {1, hidden, true}, {2, hidden, true}, {3, {33, 0, 45, 20}}}, {30, 20}},
        // D goes; the separator is then last and goes before C would.
        {"SeparatorLeftLastGoesBeforeAnotherItem", {I(30), I(30), I(30), S(6, 20), I(30), chevron},
         Toolbar(0, 105, true), 0,
         {{2, {60, 0, 90, 20}}, {3, hidden}, {4, hidden, true}, {5, {93, 0, 105, 20}}}, {90, 20}},
        // The priority list keeps C longest, then A, then D: B is the first to go.
        With({"PriorityListChoosesWhatGoes", {I(30), I(30), I(30), I(30), chevron}, Toolbar(0, 100, true), 0,
              {{0, {0, 0, 30, 20}}, {1, hidden, true}, {2, {30, 0, 60, 20}}, {3, hidden, true}}, {60, 20}},
             [](Case &c) { c.params.Priority = &priority; }),
        // The group after the separator does not fit: a 6 px line break stretched to the width.
        {"SeparatorBecomesLineBreak", {I(30), I(30), S(6, 20), I(30), I(30)}, Toolbar(70), 0,
         {{1, {30, 0, 60, 20}}, {2, {0, 20, 60, 26}, false, true}, {3, {0, 26, 30, 46}}, {4, {30, 26, 60, 46}}},
         {60, 46}, 2},
        // D wraps, so the separator after it breaks the line although E would fit.
        {"SeparatorAfterWrapBreaksLine", {I(30), I(30), I(30), I(30), S(6, 20), I(30)}, Toolbar(100), 0,
         {{3, {0, 20, 30, 40}}, {4, {0, 40, 100, 46}, false, true}, {5, {0, 46, 30, 66}}}, {100, 66}, 3},
        With({"KeepsLineAfterWrap", {I(30), I(30), I(30), I(30), S(6, 20), I(30)}, Toolbar(100), 0,
              {{3, {0, 20, 30, 40}}, {4, {30, 20, 36, 40}}, {5, {36, 20, 66, 40}}}, {100, 40}, 2},
             [](Case &c) { c.viewers[4].keepsLine = true; }),
        // Thinner items are centred across the line, separators and fill items stretched.
        With({"CentredAcrossTheLine", {I(30, 22), I(30, 15), S(6, 6), Fake{20, 10, 'i'}}, Toolbar(), 0,
              {{0, {0, 0, 30, 22}}, {1, {30, 3, 60, 18}}, {2, {60, 0, 66, 22}}, {3, {66, 0, 86, 22}}}, {86, 22}},
             [](Case &c) { c.viewers[3].fills = true; }),
        With({"SameWidthTakesTheWidest", {I(40), I(60), I(20)}, Toolbar(), 0,
              {{0, {0, 0, 60, 20}}, {1, {60, 0, 120, 20}}, {2, {120, 0, 140, 20}}}, {140, 20}},
             [](Case &c) { c.viewers[0].same = c.viewers[1].same = true; }),
        With({"RightAlignedGroupOnWrappedLine", {I(30), I(30), I(30), I(30), I(30)}, Toolbar(100), 0,
              {{3, {0, 20, 30, 40}}, {4, {70, 20, 100, 40}}}, {100, 40}, 2},
             [](Case &c) { c.viewers[4].rightAlign = true; }),
        // Lines of a vertical bar run along y and are mirrored right to left.
        With({"VerticalMirrorsLines", {I(20, 30), I(20, 30), I(20, 30)}, Toolbar(50), 0,
              {{0, {40, 0, 60, 30}}, {1, {20, 0, 40, 30}}, {2, {0, 0, 20, 30}}}, {60, 50}, 3},
             [](Case &c) { c.params.Orientation = TTBViewOrientation::tbvoVertical; }),
        With({"FloatingMarginsAroundItems", {I(30), I(30)}, Toolbar(), 0, {{0, {4, 2, 34, 22}}, {1, {34, 2, 64, 22}}},
              {68, 23}},
             [](Case &c) {
                 c.params.Orientation = TTBViewOrientation::tbvoFloating;
                 c.params.Margins = {4, 2, 4, 1};
             }),
        {"TallPopupShowsBottomBand", ten, Popup(100), 0, {{3, {0, 60, 100, 80}}, {4, hidden, false, false, true}},
         {100, 100}, 1, 0, false, true},
        {"TallPopupScrolledShowsBothBands", ten, Popup(100), 50,
         {{3, hidden, false, false, true}, {4, {0, 30, 100, 50}}, {5, {0, 50, 100, 70}}, {6, hidden, false, false, true}},
         {100, 100}, 1, 50, true, true},
        {"ScrollOffsetIsClamped", ten, Popup(100), 500,
         {{5, hidden, false, false, true}, {6, {0, 20, 100, 40}}, {9, {0, 80, 100, 100}}}, {100, 100}, 1, 100,
         true},
        {"ShortPopupDropsOffset", {I(100), I(100)}, Popup(100), 30, {{1, {0, 20, 100, 40}}}, {100, 40}, 1, 0},
    };
}

TEST(Layout, PlacesEveryViewer)
{
    for (const Case &c : Cases()) {
        SCOPED_TRACE(c.name);
        Check(c);
    }
}

} // namespace
