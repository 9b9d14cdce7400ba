#include "TBXTestSupport.h"
#include "themed/TBXDefaultTheme.h"
#include "themed/TBXNexus.h"

#include "platform/Controls.h"

#include <gtest/gtest.h>

namespace {

int made = 0;
bool failNext = false;
class Fragile : public TTBXDefaultTheme
{
public:
    explicit Fragile(const QString &name) : TTBXDefaultTheme(name)
    {
        if (failNext)
            throw Exception("cannot make");
        ++made;
    }
};

TEST(TBXNexus, SwitchesByNameAndTellsEveryControlInOrder)
{
    static bool registered = [] {
        RegisterTheme("Fragile", ThemeClassOf<Fragile>());
        return true;
    }();
    (void)registered;
    Listening::Log a, b;
    Listening first(&a);
    auto *second = new Listening(&b);
    // A control that goes while the others are told is not told afterwards.
    first.onMessage = [&] {
        if (second) {
            delete second;
            second = nullptr;
        }
    };
    SetCurrentTheme("Nowhere");
    EXPECT_TRUE(a.empty()) << "an unknown name changes nothing";
    EXPECT_EQ(CurrentThemeName(), "Default");

    made = 0;
    SetCurrentTheme("fragile");
    EXPECT_EQ(CurrentThemeName(), "Fragile");
    EXPECT_EQ(a, (Listening::Log{{1, 1}, {2, 1}, {3, 1}}));
    EXPECT_TRUE(b.empty());
    SetCurrentTheme("Fragile");
    EXPECT_EQ(made, 2) << "the same name makes the theme anew";

    // A theme that cannot be made leaves the one there was.
    SetCurrentTheme("Default");
    failNext = true;
    EXPECT_NO_THROW(SetCurrentTheme("Fragile"));
    failNext = false;
    EXPECT_EQ(CurrentThemeName(), "Default");
    ASSERT_NE(CurrentTheme(), nullptr);

    // System changes reach the controls with lParam 0.
    a.clear();
    TMessage m{WM_ACTIVATEAPP, 0, 0, 0};
    ThemeManagerWndProc(m);
    EXPECT_EQ(a, (Listening::Log{{5, 0}}));
}

} // namespace
