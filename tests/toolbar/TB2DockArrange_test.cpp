// The dock's row arrangement over fake windows; every expected place is worked out by hand.
#include "toolbar/TB2Dock.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Win {
    int row = 0, pos = -1, full = 100, min = 100, kind = 0, cross = 22;
    bool fullSize = false, stretch = false, dragging = false, ownRow = false;
};

struct Place { int row, pos, size, thickness; };

struct Case {
    std::string name;
    int avail;
    bool oneRow;
    std::vector<Win> wins;
    std::vector<Place> expect;
    int total;
};

Win W(int row, int pos, int full = 100) { return {row, pos, full, full}; }
Win Chev(int row, int pos, int full, int min) { return {row, pos, full, min, 2}; }

} // namespace

TEST(TB2DockArrange, RowsPositionsAndSizes)
{
    const std::vector<Case> cases = {
        {"three 200s in 450 wrap", 450, false, {W(0, -1, 200), W(0, -1, 200), W(0, -1, 200)},
         {{0, 0, 200, 26}, {0, 200, 200, 26}, {1, 0, 200, 26}}, 52},
        {"gaps kept when the row fits", 450, false, {W(0, 10), W(0, 300)}, {{0, 10, 100, 26}, {0, 300, 100, 26}}, 26},
        {"gaps shrink from the row end", 250, false, {W(0, 40), W(0, 200)}, {{0, 40, 100, 26}, {0, 150, 100, 26}}, 26},
        {"-1 goes after every real position", 450, false, {W(0, -1), W(0, 50)},
         {{0, 150, 100, 26}, {0, 50, 100, 26}}, 26},
        {"-8 goes before every window", 450, false, {W(0, 0), W(0, -8)}, {{0, 100, 100, 26}, {0, 0, 100, 26}}, 26},
        {"two FullSize in one row take two rows", 450, false,
         {{0, -1, 100, 100, 0, 22, true}, {0, -1, 100, 100, 0, 22, true}}, {{0, 0, 450, 26}, {1, 0, 450, 26}}, 52},
        {"LimitToOneRow never wraps", 250, true, {W(0, -1, 200), W(3, -1, 200)}, {{0, 0, 200, 26}, {0, 200, 200, 26}}, 26},
        {"Stretch fills the row end", 400, false, {W(0, 0), {0, 150, 100, 100, 0, 22, false, true}},
         {{0, 0, 100, 26}, {0, 100, 300, 26}}, 26},
        {"Stretch grows up to the next window", 400, false, {{0, 0, 100, 100, 0, 22, false, true}, W(0, 300)},
         {{0, 0, 300, 26}, {0, 300, 100, 26}}, 26},
        {"empty rows close up", 450, false, {W(2, -1), W(5, -1)}, {{0, 0, 100, 26}, {1, 0, 100, 26}}, 52},
        {"thickness is the largest cross plus 4", 450, false, {{0, -1, 100, 100, 0, 30}, W(0, -1)},
         {{0, 0, 100, 34}, {0, 100, 100, 34}}, 34},
        {"a chevron window shrinks to fit", 250, false, {W(0, -1), Chev(0, -1, 200, 40)},
         {{0, 0, 100, 26}, {0, 100, 150, 26}}, 26},
        {"a chevron window squeezed below its minimum stays at it", 30, false, {Chev(0, -1, 200, 40)},
         {{0, 0, 40, 26}}, 26},
        {"the dragged window asking for a new row gets it", 450, false,
         {W(0, -1), {0, 0, 100, 100, 0, 22, false, false, true, true}}, {{1, 0, 100, 26}, {0, 0, 100, 26}}, 52},
        {"a hidden window takes no place", 450, false, {{0, -1}, W(0, -1)}, {{-1, 0, 0, 0}, {0, 0, 100, 26}}, 26},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TTBDockArrangeRec> recs;
        for (const Win &w : c.wins)
            recs.push_back({.DockRow = w.row, .DockPos = w.pos, .FullSize = w.fullSize, .Stretch = w.stretch,
                            .Dragging = w.dragging, .WantsOwnRow = w.ownRow});
        recs[0].Shown = c.name != "a hidden window takes no place";
        TTBDockArrangeParams p{.Avail = c.avail, .LimitToOneRow = c.oneRow, .Measure = [&](int i, int) {
            const Win &w = c.wins[size_t(i)];
            return TTBDockMeasure{w.full, w.min, w.kind, w.cross};
        }};
        EXPECT_EQ(ArrangeDockRecords(p, recs), c.total);
        // Row, place, size and thickness; a hidden window has only its row (-1).
        for (size_t i = 0; i < c.expect.size(); ++i) {
            const Place &e = c.expect[i];
            const TTBDockArrangeRec &r = recs[i];
            EXPECT_EQ((std::vector<int>{r.EffRow, r.EffPos, r.Size, r.Thickness}),
                      (e.row < 0 ? std::vector<int>{-1, r.EffPos, r.Size, r.Thickness}
                                 : std::vector<int>{e.row, e.pos, e.size, e.thickness})) << "#" << i;
        }
    }
}

TEST(TB2DockArrange, DropRowFromTheOffsetAcrossTheRows)
{
    // Rows of 26 and 26 (the second FullSize), an empty one, then nothing.
    const std::vector<std::pair<int, bool>> rows = {{26, false}, {26, true}, {0, false}};
    const struct { int offset; TTBRowDrop drop; } cases[] = {
        {-3, {0, true}},  {2, {0, true}},   {6, {0, false}},  {19, {0, false}}, {20, {1, true}},
        {27, {1, true}},  {38, {1, true}}, {39, {2, true}},  {51, {2, true}},  {80, {2, true}},
    };
    for (const auto &c : cases) {
        const TTBRowDrop d = FindDropRow(rows, c.offset);
        EXPECT_EQ(std::pair(d.Row, d.NewRow), std::pair(c.drop.Row, c.drop.NewRow)) << c.offset;
    }
}
