// Where a popup meets the item it drops from, the themes open its border (Office2003), dither it
// (Aluminum) or join it in the tool bar's colour (the Nexos family).
#include "themes/ThemeShapes.h"
#include "TestSupport.h"
#include <gtest/gtest.h>

namespace {

// Placed flush with a menu-bar title, a popup covers the title's last row; the two still meet.
TEST(PopupBorders, APopupMeetsItsParentItemAlsoOverTheItemsLastRow)
{
    const TRect popup = Bounds(100, 100, 80, 60);
    const struct { const char *parent; TRect item, stretch; } cases[] = {
        {"above, its last row covered", Rect(110, 80, 150, 101), Rect(111, 100, 149, 101)},
        {"above, ending at the popup", Rect(110, 80, 150, 100), Rect(111, 100, 149, 101)},
        {"below, its first row covered", Rect(110, 159, 150, 180), Rect(111, 159, 149, 160)},
        {"left, its last column covered", Rect(60, 110, 101, 130), Rect(100, 111, 101, 129)},
        {"right, its first column covered", Rect(179, 110, 220, 130), Rect(179, 111, 180, 129)},
        {"above, two rows covered", Rect(110, 80, 150, 102), {}},
    };
    for (const auto &c : cases) {
        TRect stretch;
        EXPECT_EQ(ParentTouchStretch(popup, c.item, stretch), !c.stretch.IsEmpty()) << c.parent;
        EXPECT_EQ(stretch, c.stretch) << c.parent;
    }
}

} // namespace
