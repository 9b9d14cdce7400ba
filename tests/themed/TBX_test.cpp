#include "TBXTestSupport.h"
#include "themed/TBXDefaultTheme.h"
#include "themed/SpTBXItem.h"
#include "themed/TBXUtils.h"
#include "platform/SysColors.h"
#include <map>

namespace {

// Every font measures 13 pixels high with 1 pixel of external leading, 6 pixels a character.
struct FixedMetrics : ITextMetrics {
    TTextMetric Metrics(const TFont &) override
    {
        return TTextMetric{.tmHeight = 13, .tmAscent = 10, .tmDescent = 3, .tmExternalLeading = 1,
                           .tmAveCharWidth = 6, .tmMaxCharWidth = 6};
    }
    int TextWidth(const TFont &, const QString &text) override { return 6 * int(text.size()); }
};

struct ThemeCall { QString what; TRect rect; TTBXItemInfo info; QString text = {}; };

// The default theme with its own margins and metrics, recording what the viewers ask it to paint.
struct RecordingTheme : TTBXDefaultTheme {
    RecordingTheme() : TTBXDefaultTheme(QStringLiteral("Recording")) {}
    std::vector<ThemeCall> calls;
    int menuSeparator = 7;
    int toolbarSeparator = 8;
    bool popupsFlush = false;
    bool GetBooleanMetric(int index) override
    {
        return index == BMET_POPUP_FLUSH ? popupsFlush : TTBXDefaultTheme::GetBooleanMetric(index);
    }
    void GetMargins(int id, TTBXMargins &m) override
    {
        TTBXDefaultTheme::GetMargins(id, m);
        if (id == MARGIN_MENU_ITEM)
            m = {1, 3, 2, 5};
    }
    int GetIntegerMetric(int index) override
    {
        const std::map<int, int> own{{IM_SPLIT_ARROW_WIDTH, 12},          {IM_DROPDOWN_ARROW_WIDTH, 9},
                                     {IM_MENU_IMAGE_TEXT_GAP, 3},         {IM_MENU_LEFT_CAPTION_GAP, 4},
                                     {IM_MENU_RIGHT_CAPTION_GAP, 5},      {IM_MENU_SEPARATOR_SIZE, menuSeparator},
                                     {IM_TOOLBAR_SEPARATOR_SIZE, toolbarSeparator}};
        return own.count(index) ? own.at(index) : TTBXDefaultTheme::GetIntegerMetric(index);
    }
    void PaintButton(TCanvas &c, const TRect &r, const TTBXItemInfo &i) override { calls.push_back({"button", r, i}); }
    void PaintMenuItem(TCanvas &c, const TRect &r, const TTBXItemInfo &i) override { calls.push_back({"menu", r, i}); }
    void PaintCaption(TCanvas &c, const TRect &r, const TTBXItemInfo &i, const QString &s, unsigned, bool) override
    {
        calls.push_back({"caption", r, i, s});
    }
    void PaintCheckMark(TCanvas &c, const TRect &r, const TTBXItemInfo &i) override { calls.push_back({"check", r, i}); }
    void PaintSeparator(TCanvas &c, const TRect &r, const TTBXItemInfo &i, bool horizontal, bool) override
    {
        calls.push_back({horizontal ? "hsep" : "vsep", r, i});
    }
    std::vector<ThemeCall> Of(const QString &what) const
    {
        std::vector<ThemeCall> out;
        for (const ThemeCall &c : calls)
            if (c.what == what)
                out.push_back(c);
        return out;
    }
};

RecordingTheme *recording = nullptr;
TTBXTheme *Recording() { return recording; }

struct TSubmenuItem : TTBXItem {
    TSubmenuItem(TComponent *owner, bool split) : TTBXItem(owner)
    {
        SetItemStyle(ItemStyle() | tbis::HasSubmenu | tbis::HoldsChildItems | (split ? tbis::SplitDropdown : 0));
    }
};

struct ThemedItems : ::testing::Test {
    void SetUp() override
    {
        SetTextMetrics(&metrics);
        theme = std::make_unique<RecordingTheme>();
        theme->Initialize();
        recording = theme.get();
        SetCurrentThemeFunc(&Recording);
        images.SetSize(16, 16);
    }
    void TearDown() override
    {
        SetCurrentThemeFunc(nullptr);
        recording = nullptr;
        SetTextMetrics(nullptr);
    }
    static TSize Measure(TTBView &view, int index)
    {
        TCanvas canvas;
        canvas.Font()->Assign(*view.GetFont());
        int w = 0, h = 0;
        view.Viewers(index)->CalcSize(canvas, w, h);
        return {w, h};
    }
    FixedMetrics metrics;
    std::unique_ptr<RecordingTheme> theme;
    TImageList images{nullptr};
};

TEST_F(ThemedItems, SizesComeFromTheThemeAndTheTextSeparatorsHideAndPaint)
{
    // Menu: text 24 x 13 + leading 1, image column at least 16 high, margins 1 3 2 5; the
    // popup margin is (16 + 7) * max(13 + 1 + 7, 16 + 7) / (16 + 7) = 23.
    const int menuW = 24 + 1 + 3 + 3 + 23 + 4 + 5, menuH = 16 + 2 + 5;
    enum Kind { Plain, Image, GlyphTop, NoImageIndex, Split, DropDown, Minimum, Separator };
    // The last two: the separator's own size, the theme's.
    struct Case { const char *name; bool toolbar, vertical; const char *caption; Kind kind; TSize size;
                  int separator = -1, themeSeparator = -1; };
    const Case cases[] = {
        {"menu, no image list: 16-pixel column", false, false, "Open", Plain, {menuW + menuH, menuH}},
        {"menu with shortcut text", false, false, "Open\tCtrl+O", Plain, {menuW + 36 + menuH - 6 + menuH, menuH}},
        {"toolbar text", true, false, "Open", Plain, {6 + 24 + 4, 6 + 13}},
        {"toolbar glyph left", true, false, "Open", Image, {34 + 16 + 1, 22}},
        {"toolbar glyph top", true, false, "Open", GlyphTop, {34, 19 + 16}},
        {"image index -1 shows text only", true, false, "Open", NoImageIndex, {34, 19}},
        {"vertical toolbar rotates the text", true, true, "Open", Plain, {6 + 13, 6 + 24 + 4}},
        {"minimum size", true, false, "Open", Minimum, {80, 19}},
        {"split item adds the theme's drop-down part", true, false, "Open", Split, {34 + 12, 19}},
        {"drop-down arrow", true, false, "Open", DropDown, {34 + 9, 19}},
        {"toolbar separator of the theme", true, false, "", Separator, {8, 8}, -1, 8},
        {"menu separator of the theme", false, false, "", Separator, {7, 7}, -1, 7},
        {"toolbar separator of the framework", true, false, "", Separator, {6, 6}},
        {"menu separator: two thirds of the text height", false, false, "", Separator, {0, 9}},
        {"toolbar separator of its own size", true, false, "", Separator, {5, 5}, 5, 8},
        {"menu separator of its own size", false, false, "", Separator, {0, 5}, 5, 7},
        {"menu separator of no size", false, false, "", Separator, {0, 0}, 0, 7},
    };
    for (const auto &c : cases) {
        theme->menuSeparator = theme->toolbarSeparator = c.themeSeparator;
        TThemedView tv(c.toolbar ? VT_NORMALTOOLBAR : VT_POPUPMENU);
        TTBCustomItem *it = c.kind == Separator ? static_cast<TTBCustomItem *>(new TTBXSeparatorItem(nullptr))
                            : c.kind == Split || c.kind == DropDown ? new TSubmenuItem(nullptr, c.kind == Split)
                                                                    : new TTBXItem(nullptr);
        it->SetCaption(c.caption);
        if (c.kind == Separator)
            static_cast<TTBXSeparatorItem *>(it)->SetSize(c.separator);
        if (c.kind == Image || c.kind == GlyphTop || c.kind == NoImageIndex) {
            it->SetImages(&images);
            it->SetImageIndex(c.kind == NoImageIndex ? -1 : 0);
            it->SetDisplayMode(TTBItemDisplayMode::nbdmImageAndText);
        }
        if (c.kind == GlyphTop)
            static_cast<TTBXItem *>(it)->SetLayout(TTBXItemLayout::tbxlGlyphTop);
        if (c.kind == DropDown)
            it->SetOptions(TTBItemOptions{TTBItemOption::tboDropdownArrow});
        if (c.kind == Minimum) {
            static_cast<TTBXItem *>(it)->SetMinWidth(80);
            static_cast<TTBXItem *>(it)->SetMinHeight(10);
        }
        tv.root->Add(it);
        TTBView &view = tv.Open();
        view.SetOrientation(c.vertical ? TTBViewOrientation::tbvoVertical : TTBViewOrientation::tbvoHorizontal);
        EXPECT_EQ(Measure(view, 0), c.size) << c.name;
    }
    TTBXSeparatorItem sep(nullptr);
    sep.SetSize(-7);
    EXPECT_EQ(sep.Size(), -1);
    // Separator visibility and painting.
    theme->menuSeparator = 7;
    theme->toolbarSeparator = 8;
    // Separators at either end or doubled are hidden; a zero-size one takes no room and paints
    // nothing; the rest are painted by the theme across the list.
    for (const bool toolbar : {true, false}) {
        TThemedView tv(toolbar ? VT_NORMALTOOLBAR : VT_POPUPMENU);
        std::vector<TTBCustomItem *> items;
        for (const char kind : std::string("sissizis")) {
            auto *sep = kind == 'i' ? nullptr : new TTBXSeparatorItem(nullptr);
            if (sep)
                sep->SetSize(kind == 'z' ? 0 : -1);
            items.push_back(sep ? static_cast<TTBCustomItem *>(sep) : new TTBXItem(nullptr));
            items.back()->SetCaption(sep ? "" : "Item");
            tv.root->Add(items.back());
        }
        TTBView &view = tv.Open();
        const std::vector<bool> shown{false, true, true, false, true, true, true, false};
        for (size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(view.Find(items[i])->Show, shown[i]) << toolbar << " " << i;
        const TRect zero = view.Find(items[5])->BoundsRect;
        EXPECT_EQ(toolbar ? zero.Width() : zero.Height(), 0) << toolbar;
        tv.Paint();
        const auto seps = theme->Of(toolbar ? "vsep" : "hsep");
        ASSERT_EQ(seps.size(), 1u) << toolbar;
        EXPECT_EQ(seps[0].rect.Width(), toolbar ? 8 : view.Find(items[2])->BoundsRect.Width());
        EXPECT_EQ(seps[0].info.ViewType, tv.window->ViewType());
        EXPECT_TRUE(theme->Of(toolbar ? "hsep" : "vsep").empty());
        theme->calls.clear();
    }
}

TEST_F(ThemedItems, MenuAndSplitItemsPaintThroughTheThemePopupsOverlapFontSettingsApply)
{
    TThemedView tv(VT_POPUPMENU);
    auto *open = new TTBXItem(nullptr);
    open->SetCaption("Open\tCtrl+O");
    auto *radio = new TTBXItem(nullptr);
    radio->SetCaption("Radio");
    radio->SetRadioItem(true);
    radio->SetChecked(true);
    tv.root->Add(open);
    tv.root->Add(radio);
    TTBView &view = tv.Open();
    view.Select(view.Find(open), false);
    tv.Paint();
    const auto menus = theme->Of("menu");
    ASSERT_EQ(menus.size(), 2u);
    const TTBXItemInfo &hot = (menus[0].info.HoverKind ? menus[0] : menus[1]).info;
    EXPECT_EQ(std::tuple(hot.ViewType, hot.HoverKind, hot.PopupMargin),
              std::tuple(VT_POPUPMENU, HOVER_ENABLED, 23));
    EXPECT_FALSE(hot.ItemOptions & IO_TOOLBAR_STYLE);
    // Margins left 1, right 3, top 2, bottom 5; the caption follows the image column and gaps
    // and sits one leading pixel lower.
    const int width = view.Find(open)->BoundsRect.Width();
    std::map<QString, TRect> caption;
    for (const ThemeCall &c : theme->Of("caption"))
        caption[c.text] = c.rect;
    EXPECT_EQ(caption["Open"], (TRect{1 + 3 + 23 + 4, 2 + 1, 1 + 3 + 23 + 4 + 24, 23 - 5}));
    EXPECT_EQ(caption["Ctrl+O"], (TRect{width - 3 - 16 - 36, 3, width - 3, 18}));
    const auto checks = theme->Of("check");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(checks[0].info.ItemOptions & IO_RADIO);
    EXPECT_EQ(checks[0].rect, (TRect{0, 0, 23, 23}));
    // A split item with an open popup pushes only its drop-down part.
    theme->calls.clear();
    TThemedView bar(VT_NORMALTOOLBAR);
    auto *split = new TSubmenuItem(nullptr, true);
    split->SetCaption("Open");
    split->SetChecked(true);
    bar.root->Add(split);
    TTBView &barView = bar.Open();
    TTBItemViewer *v = barView.Viewers(0);
    barView.SetOpenViewer(v, nullptr, nullptr);
    QImage shot(60, 30, QImage::Format_RGB32);
    TCanvas shotCanvas(shot);
    v->Paint(shotCanvas, TRect{0, 0, 46, 19}, true, true, false);
    barView.SetOpenViewer(nullptr, nullptr, nullptr);
    const auto buttons = theme->Of("button");
    ASSERT_EQ(buttons.size(), 2u);
    // Part, pushed, checked; where.
    const auto state = [](const TTBXItemInfo &i) { return std::vector<int>{i.ComboPart, i.Pushed, i.Checked}; };
    EXPECT_EQ(state(buttons[0].info), (std::vector<int>{COMBO_BUTTON, false, true}));
    EXPECT_EQ(buttons[0].rect, (TRect{0, 0, 34, 19}));
    EXPECT_EQ(state(buttons[1].info), (std::vector<int>{COMBO_DROPDOWN, true, false}));
    EXPECT_TRUE(buttons[1].info.IsPopupParent);
    EXPECT_EQ(buttons[1].rect, (TRect{34, 0, 46, 19}));
    // Popups overlap their parent item when the theme asks.
    struct Case { const char *name; bool flush, submenu, vertical; TRect parent; TPoint at, expected; int animDir; };
    const Case cases[] = {
        {"below", true, false, false, {10, 10, 50, 30}, {10, 30}, {10, 29}, 4},
        {"not flush", false, false, false, {10, 10, 50, 30}, {10, 30}, {10, 30}, 4},
        {"above at the screen's foot", true, false, false, {10, 900, 50, 920}, {10, 920}, {10, 701}, 8},
        {"left of a vertical toolbar", true, false, true, {200, 10, 230, 40}, {100, 10}, {101, 10}, 1},
        // A submenu meets its parent item: its frame no longer stands out over the item.
        {"submenu", true, true, false, {10, 10, 50, 30}, {47, 7}, {50, 10}, 2},
        {"submenu leftwards at the screen's edge", true, true, false, {900, 10, 990, 30}, {987, 7}, {800, 10}, 1},
        {"submenu not flush", false, true, false, {10, 10, 50, 30}, {47, 7}, {47, 7}, 2},
    };
    TTBXItem item(nullptr);
    for (const Case &c : cases) {
        theme->popupsFlush = c.flush;
        TTBPopupPositionRec rec{.PositionAsSubmenu = c.submenu, .MonitorRect = {0, 0, 1000, 1000},
                                .ParentItemRect = c.parent, .NCSize = {3, 3}, .X = c.at.X, .Y = c.at.Y,
                                .W = 100, .H = 200, .HasParentView = true, .ParentVertical = c.vertical,
                                .ParentViewerRects = {}};
        item.ComputePopupPosition(nullptr, rec);
        EXPECT_EQ((TPoint{rec.X, rec.Y}), c.expected) << c.name;
        EXPECT_EQ((TSize{rec.W, rec.H}), (TSize{100, 200})) << c.name;
        EXPECT_EQ(rec.ParentItemRect, c.parent) << c.name;
        EXPECT_EQ(rec.AnimDir, c.animDir) << c.name;
    }
    // Font settings apply and assign.
    TFontSettings s;
    int changes = 0;
    s.OnChange = [&] { ++changes; };
    TFont font;
    font.SetSize(8);
    font.SetStyle(TFontStyles{TFontStyle::fsItalic});
    s.Apply(font);
    EXPECT_EQ(font.Size(), 8);
    s.SetSize(150);
    s.SetBold(TTriState::tsTrue);
    s.SetItalic(TTriState::tsFalse);
    s.SetColor(clRed);
    s.SetSize(150);
    EXPECT_EQ(changes, 4) << "once per real change";
    s.Apply(font);
    EXPECT_EQ(std::tuple(font.Size(), font.Style(), font.Color()),
              std::tuple(12, TFontStyles{TFontStyle::fsBold}, clRed));
    TFontSettings copy;
    int copyChanges = 0;
    copy.OnChange = [&] { ++copyChanges; };
    copy.Assign(s);
    copy.Assign(s);
    EXPECT_EQ(std::tuple(copyChanges, copy.Size(), copy.Bold()), std::tuple(1, 150, TTriState::tsTrue));
}


// The texts written, leaving out those only measured.
std::vector<const TCanvasCall *> Drawn(const TCanvasRecorder &recorder)
{
    std::vector<const TCanvasCall *> drawn;
    for (const TCanvasCall *call : recorder.Of(TCanvasOp::DrawText))
        if (!(call->Flags & DT_CALCRECT))
            drawn.push_back(call);
    return drawn;
}

TEST_F(ThemedItems, ToolbarCaptionsAreCentredVerticallyOwnerDrawLeavesOutOnlyTheFace)
{
    QImage glyph(16, 16, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(Qt::red);
    images.AddImage(glyph);
    // Items stretched to a tall line: the caption sits in the middle of the face, whatever the
    // image beside it, as the text metrics make it 13 pixels high.
    struct Case { const char *name; bool image; TAlignment alignment; TRect expected; };
    const Case cases[] = {
        {"text only", false, TAlignment::taCenter, {2, 13, 58, 26}},
        {"image left", true, TAlignment::taCenter, {(2 + 16 + 3 + 58 - 30) / 2, 13, (2 + 16 + 3 + 58 - 30) / 2 + 30, 26}},
        {"left-justified", false, TAlignment::taLeftJustify, {3, 13, 33, 26}},
    };
    for (const Case &c : cases) {
        theme->calls.clear();
        TThemedView bar(VT_NORMALTOOLBAR);
        auto *item = new TSpTBXItem(nullptr);
        item->SetCaptionW("Years");
        item->SetAlignment(c.alignment);
        if (c.image) {
            item->SetImages(&images);
            item->SetImageIndex(0);
        }
        bar.root->Add(item);
        TTBView &view = bar.Open();
        QImage shot(60, 40, QImage::Format_RGB32);
        TCanvas canvas(shot);
        TCanvasRecorder recorder;
        canvas.SetRecorder(&recorder);
        view.Viewers(0)->Paint(canvas, TRect{0, 0, 60, 40}, false, false, false);
        // A wide-string item writes its caption itself, in the item text colour, not through the
        // theme (whose caption painter would turn a hot menu-bar title white in some themes).
        EXPECT_TRUE(theme->Of("caption").empty()) << c.name;
        const auto captions = Drawn(recorder);
        ASSERT_EQ(captions.size(), 1u) << c.name;
        EXPECT_EQ(captions[0]->Rect, c.expected) << c.name;
    }

    // OnDrawItem without the default leaves out the face alone; OnDrawCaption sees where the
    // caption goes, before and after, and may change its text.
    theme->calls.clear();
    TThemedView bar(VT_NORMALTOOLBAR);
    auto *item = new TSpTBXItem(nullptr);
    item->SetCaptionW("Save");
    item->SetImages(&images);
    item->SetImageIndex(0);
    struct Stage { TSpTBXPaintStage stage; TRect rect; QString caption = {}; };
    std::vector<Stage> faces, captions;
    item->OnDrawItem = [&](TComponent *, TCanvas &, const TRect &r, TSpTBXPaintStage stage, bool &paintDefault) {
        faces.push_back({stage, r});
        paintDefault = false;
    };
    item->OnDrawCaption = [&](TComponent *, TCanvas &, const TRect &, QString &caption, TRect &r, bool,
                              TSpTBXPaintStage stage, bool &) {
        captions.push_back({stage, r, caption});
        if (stage == TSpTBXPaintStage::pstPrePaint)
            caption = QStringLiteral("Saved");
    };
    bar.root->Add(item);
    TTBView &view = bar.Open();
    QImage shot(80, 40, QImage::Format_RGB32);
    TCanvas canvas(shot);
    TCanvasRecorder recorder;
    canvas.SetRecorder(&recorder);
    view.Viewers(0)->Paint(canvas, TRect{0, 0, 80, 40}, true, false, false);
    EXPECT_TRUE(theme->Of("button").empty());
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_EQ(std::tuple(faces[0].stage, faces[1].stage),
              std::tuple(TSpTBXPaintStage::pstPrePaint, TSpTBXPaintStage::pstPostPaint));
    EXPECT_EQ(faces[0].rect, (TRect{0, 0, 80, 40}));
    const auto painted = Drawn(recorder);
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_EQ(painted[0]->Text, QStringLiteral("Saved"));
    ASSERT_EQ(captions.size(), 2u);
    EXPECT_EQ(captions[0].rect, painted[0]->Rect);
    EXPECT_EQ(captions[1].rect, painted[0]->Rect);
    EXPECT_EQ(std::tuple(captions[0].caption, captions[1].caption), std::tuple(QString("Save"), QString("Saved")));
}

TEST(CurrentTheme, TheFallbackLetsGoOnceWhenAHolderTakesOverAndHoldsAgainAfterwards)
{
    static TTBXTheme *held = nullptr;
    SetCurrentThemeFunc(nullptr);
    TTBXTheme *fallback = CurrentTheme();
    held = AcquireTheme("Default");
    const int holding = ThemeRefCount("Default");
    for (int round = 0; round < 2; ++round) {
        SetCurrentThemeFunc([] { return held; });
        EXPECT_EQ(ThemeRefCount("Default"), holding - 1) << "round " << round;
        SetCurrentThemeFunc(nullptr);
        EXPECT_EQ(CurrentTheme(), fallback);
        EXPECT_EQ(ThemeRefCount("Default"), holding) << "round " << round << ": the fallback holds it again";
    }
    ReleaseTheme(held);
}

} // namespace
