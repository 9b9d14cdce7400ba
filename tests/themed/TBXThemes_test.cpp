#include "TBXTestSupport.h"
#include "themed/TBXDefaultTheme.h"
#include "themed/TBXNexus.h"
#include "themed/TBXThemes.h"
#include "platform/SysColors.h"
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <gmock/gmock.h>

namespace {

struct Counts { int created = 0; int destroyed = 0; std::vector<WPARAM> messages; bool failNext = false; };
Counts counts;

// The default theme, counting what the registry does with it; told to, it cannot be made.
struct CountingTheme : TTBXDefaultTheme {
    explicit CountingTheme(const QString &name) : TTBXDefaultTheme(name)
    {
        if (counts.failNext)
            throw Exception("cannot make");
        ++counts.created;
    }
    ~CountingTheme() override { ++counts.destroyed; }
    void Dispatch(TMessage &m) override
    {
        if (m.Msg == TBXM_THEMECHANGE)
            counts.messages.push_back(m.WParam);
        TTBXDefaultTheme::Dispatch(m);
    }
};

struct Listener : TTBXMessageListener {
    std::vector<WPARAM> seen;
    std::function<void()> onMessage;
    void Dispatch(TMessage &m) override
    {
        seen.push_back(m.WParam);
        if (onMessage)
            onMessage();
    }
};

void RegisterCounting()
{
    if (!IsThemeRegistered("Counting"))
        RegisterTheme("Counting", ThemeClassOf<CountingTheme>());
}

TEST(TBXNexus, SwitchesByNameTellsEveryControlAndTurnsSystemNoticesIntoThemeMessages)
{
    RegisterCounting();
    Listening::Log a, b;
    Listening first(&a);
    auto *second = new Listening(&b);
    // A control that goes while the others are told is not told afterwards.
    first.onMessage = [&] {
        delete second;
        second = nullptr;
    };
    SetCurrentTheme("Nowhere");
    EXPECT_TRUE(a.empty()) << "an unknown name changes nothing";
    EXPECT_EQ(CurrentThemeName(), "Default");
    counts = {};
    SetCurrentTheme("counting");
    EXPECT_EQ(CurrentThemeName(), "Counting");
    EXPECT_EQ(a, (Listening::Log{{1, 1}, {2, 1}, {3, 1}}));
    EXPECT_TRUE(b.empty());
    SetCurrentTheme("Counting");
    EXPECT_EQ(counts.created, 2) << "the same name makes the theme anew";
    // A theme that cannot be made leaves the one there was.
    SetCurrentTheme("Default");
    counts.failNext = true;
    EXPECT_NO_THROW(SetCurrentTheme("Counting"));
    counts.failNext = false;
    EXPECT_EQ(CurrentThemeName(), "Default");
    ASSERT_NE(CurrentTheme(), nullptr);
    // System changes reach the controls with lParam 0.
    a.clear();
    TMessage m{WM_ACTIVATEAPP, 0, 0, 0};
    ThemeManagerWndProc(m);
    EXPECT_EQ(a, (Listening::Log{{5, 0}}));
    // The manager turns system notices into theme messages.
    Listener one, two;
    AddThemeManagerListener(&one);
    AddThemeManagerListener(&two);
    const struct { UINT msg; WPARAM wParam; std::vector<WPARAM> expected; } cases[] = {
        {WM_SYSCOLORCHANGE, 0, {1, 2, 3}},
        {WM_ACTIVATEAPP, 1, {4}},
        {WM_ACTIVATEAPP, 0, {5}},
        {WM_PAINT, 0, {}},
    };
    for (const auto &c : cases) {
        two.seen.clear();
        TMessage m{c.msg, c.wParam, 0, 0};
        ThemeManagerWndProc(m);
        EXPECT_EQ(two.seen, c.expected) << c.msg << " " << c.wParam;
    }
    // A listener that leaves while another is told is not called afterwards, and one that
    // removes itself does not make the walk skip the next.
    Listener three;
    AddThemeManagerListener(&three);
    one.onMessage = [&] {
        RemoveThemeManagerListener(&one);
        RemoveThemeManagerListener(&two);
    };
    one.seen.clear();
    two.seen.clear();
    BroadcastThemeManagerMessage(TBXM_THEMECHANGE, 2, 0);
    EXPECT_EQ(std::tuple(one.seen.size(), two.seen.size(), three.seen.size()), std::tuple(1u, 0u, 1u));
    RemoveThemeManagerListener(&three);
    SetApplicationActiveForThemes(true);
}

TEST(TBXThemes, RegistryRefusesBadNamesSharesThemesAndFrameGeometry)
{
    RegisterCounting();
    const struct { std::function<void()> call; const char *error; } cases[] = {
        {[] { RegisterTheme("counting", ThemeClassOf<CountingTheme>()); }, "Theme counting is already registered"},
        {[] { RegisterTheme("DEFAULT", ThemeClassOf<CountingTheme>()); }, "Theme DEFAULT is already registered"},
        {[] { RegisterTheme("", ThemeClassOf<CountingTheme>()); }, "Cannot register theme"},
        {[] { RegisterTheme("NoClass", nullptr); }, "Cannot register theme"},
        {[] { AcquireTheme("Nowhere"); }, "Unknown theme Nowhere"},
        {[] {
             CountingTheme stray("Stray");
             TTBXTheme *p = &stray;
             ReleaseTheme(p);
         },
         "Cannot release theme"},
    };
    for (const auto &c : cases)
        EXPECT_THAT(c.call, testing::ThrowsMessage<Exception>(testing::StrEq(c.error)));
    QStringList names;
    ListThemeNames(&names);
    EXPECT_EQ(names.filter(QRegularExpression("^counting$", QRegularExpression::CaseInsensitiveOption)).size(), 1);
    EXPECT_EQ(names.first(), "Default");
    // Acquired themes are shared and freed with the last release.
    RegisterTheme("Shared", ThemeClassOf<CountingTheme>());
    counts = {};
    SetApplicationActiveForThemes(true);
    TTBXTheme *a = AcquireTheme("shared");
    TTBXTheme *b = AcquireTheme("SHARED");
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::tuple(a->Name(), counts.created), std::tuple("Shared", 1));
    // Only the creation tells the theme the application's state.
    EXPECT_EQ(counts.messages, std::vector<WPARAM>{1});
    ReleaseTheme(b);
    EXPECT_EQ(counts.destroyed, 0);
    ReleaseTheme(a);
    EXPECT_EQ(std::tuple(counts.destroyed, a, ThemeRefCount("Shared")), std::tuple(1, nullptr, 0));
    // Frame geometry.
    const struct { bool allowDrag; int closeState, style, size; } handles[] = {
        {false, 1, 0, 0}, {true, 0, 0, 9}, {true, 0, 1, 0}, {true, 0, 2, 6}, {true, 1, 1, 14}};
    for (const auto &h : handles) {
        TTBXFrameInfo info{.AllowDrag = h.allowDrag, .BorderSize = {}, .DragHandleStyle = h.style,
                           .CloseButtonState = h.closeState};
        EXPECT_EQ(GetDragHandleSize(info), h.size) << h.closeState << h.style;
    }
    TTBXFrameInfo frame{.AllowDrag = true, .BorderSize = {2, 2}, .ClientWidth = 40, .CloseButtonState = 1};
    TRect r, vertical;
    GetCloseButtonRect(frame, r);
    frame.IsVertical = true;
    GetCloseButtonRect(frame, vertical);
    EXPECT_EQ(std::tuple(r, vertical), std::tuple(Rect(2, 2, 15, 15), Rect(29, 2, 42, 15)));
    TTBXFloatingInfo floating{.ClientWidth = 100, .BorderSize = {3, 3}, .Caption = {}};
    TRect close;
    GetFloatingCaptionRect(floating, true, true, r);
    GetFloatingCloseButtonRect(floating, close);
    EXPECT_EQ(std::tuple(r, close), std::tuple(Rect(3, 3, 88, 18), Rect(88, 3, 103, 18)));
}

TEST(TBXThemes, ScreenChangesReachTheManagerAndRefreshWhatTheThemesRead)
{
    Listener listener;
    AddThemeManagerListener(&listener);
    QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const bool lowColour = screen->depth() < 12;
    struct Case { const char *name; std::function<void()> notice; };
    const Case cases[] = {
        {"primary screen changed", [screen] { emit qGuiApp->primaryScreenChanged(screen); }},
        {"screen removed", [screen] { emit qGuiApp->screenRemoved(screen); }},
        {"screen resized", [screen] { emit screen->geometryChanged(screen->geometry()); }},
    };
    for (const Case &c : cases) {
        listener.seen.clear();
        // What the themes read is read again: a stale value does not survive the notice.
        LowColorDepth = !lowColour;
        c.notice();
        EXPECT_EQ(listener.seen, (std::vector<WPARAM>{1, 2, 3})) << c.name;
        EXPECT_EQ(LowColorDepth, lowColour) << c.name;
    }
    RemoveThemeManagerListener(&listener);
}

} // namespace
