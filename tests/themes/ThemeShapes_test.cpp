// A popup dropped from a menu-bar title, placed by the framework as the program places it: the
// border under the title is opened (Office2003) or dithered (Aluminum), and a submenu beside its
// item keeps its whole border.
#include "../toolbar/TB2TestSupport.h"
#include "../themed/TBXTestSupport.h"
#include "themed/SpTBXItem.h"
#include "themes/TBXAluminumTheme.h"
#include "themes/TBXOffice2003Theme.h"
#include "themes/Themes.h"

namespace {

// Taken while the popup is open; the popup is gone once the menu closes.
struct PopupBorder {
    bool taken = false;
    QImage border;  // the popup's non-client area over pure green
    TRect parent;   // the parent item in the popup's coordinates
};

PopupBorder Snapshot(TTBView *view)
{
    PopupBorder b;
    auto *popup = view ? dynamic_cast<TTBXPopupWindow *>(view->Window()) : nullptr;
    if (!popup)
        return b;
    b.taken = true;
    b.border = Paint(popup->Width(), popup->Height(),
                     [&](TCanvas &c) { popup->Perform(WM_PRINT, WPARAM(&c), PRF_NONCLIENT); });
    b.parent = view->ParentView()->OpenViewer()->ScreenRect();
    b.parent.Offset(-popup->Left(), -popup->Top());
    return b;
}

TEST(PopupBorders, OpenUnderTheMenuBarTitleAndWholeBesideASubmenuItem)
{
    RegisterThemes();
    TForm form(nullptr);
    form.SetBounds(100, 100, 400, 300);
    auto *dock = new TSpTBXDock(&form);
    dock->SetParent(&form);
    auto *bar = new TSpTBXToolbar(&form);
    bar->SetMenuBar(true);
    bar->SetCurrentDock(dock);
    const auto add = [](TTBCustomItem *parent, const char *caption, TSpTBXItem *item) {
        item->SetCaptionW(QString::fromUtf8(caption));
        parent->Add(item);
        return item;
    };
    TSpTBXItem *tools = add(bar->Items(), "工具(&T)", new TSpTBXSubmenuItem(nullptr));
    add(add(tools, "皮肤", new TSpTBXSubmenuItem(nullptr)), "Default", new TSpTBXItem(nullptr));
    add(tools, "选项", new TSpTBXItem(nullptr));
    Application()->SetMainForm(&form);
    form.Show();
    ASSERT_TRUE(sim::WaitFor([&] { return form.isVisible(); }));

    for (const char *name : {"Office2003", "Aluminum"}) {
        SCOPED_TRACE(name);
        SetCurrentTheme(QString::fromLatin1(name));
        auto *theme = dynamic_cast<TTBXOffice2003Theme *>(CurrentTheme());
        auto *aluminum = dynamic_cast<TTBXAluminumTheme *>(CurrentTheme());
        ASSERT_TRUE(theme || aluminum);
        const TColor frame = theme ? theme->PopupFrameColor : aluminum->PopupFrameColor;
        const TColor fill = theme ? theme->PopupColor : aluminum->PopupColor;
        TTBView *view = bar->View();
        PopupBorder drop, sub;
        ScriptSteps s(&form, 3);
        s.Then([&] { return view->OpenViewerView() && view->OpenViewerView()->Window()->isVisible(); });
        s.Do([&] { drop = Snapshot(view->OpenViewerView()); });
        s.Key(&form, Qt::Key_Right);
        s.Then([&] {
            TTBView *menu = view->OpenViewerView();
            return menu && menu->OpenViewerView() && menu->OpenViewerView()->Window()->isVisible();
        });
        s.Do([&] { sub = Snapshot(view->OpenViewerView()->OpenViewerView()); });
        s.Key(&form, Qt::Key_Escape).Key(&form, Qt::Key_Escape).Key(&form, Qt::Key_Escape);
        s.SetOpen([&] { return view->State().Contains(TTBViewStateItem::vsModal); });
        s.Start();
        sim::Key(&form, Qt::Key_T, Qt::AltModifier, QStringLiteral("t"));
        ASSERT_TRUE(sim::WaitFor([&] { return s.Done() && !view->State().Contains(TTBViewStateItem::vsModal); }));
        ASSERT_TRUE(drop.taken && sub.taken);

        // Flush under the title, the popup covers the title's last row.
        ASSERT_EQ(drop.parent.Bottom, 1);
        const int left = std::max(drop.parent.Left, 0), right = drop.parent.Right;
        QStringList framed;  // columns under the title that do not join it to its menu
        for (int x = left + 1; x < right - 1; ++x) {
            const TColor at = PixelAt(drop.border, x, 0);
            // Aluminum dithers the opening: fill and frame by turns.
            const bool alternates = x + 1 == right - 1 || at != PixelAt(drop.border, x + 1, 0);
            if (!(theme ? at == fill : (at == fill || at == frame) && alternates))
                framed << QString::number(x);
        }
        EXPECT_TRUE(framed.isEmpty()) << "under the title, columns " << framed.join(',').toStdString();
        EXPECT_EQ(PixelAt(drop.border, right + 2, 0), frame) << "beyond the title the frame runs on";
        EXPECT_EQ(PixelAt(drop.border, 0, 0), frame);
        QStringList open;
        for (int y = 0; y < sub.border.height(); ++y)
            if (PixelAt(sub.border, 0, y) != frame)
                open << QString::number(y);
        EXPECT_TRUE(open.isEmpty()) << "the submenu's left edge is open at rows " << open.join(',').toStdString();
    }
    Application()->SetMainForm(nullptr);
    SetCurrentTheme(QStringLiteral("Default"));
}

} // namespace
