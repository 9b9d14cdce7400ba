#include "themes/Themes.h"
#include "themed/TBXThemes.h"
#include "platform/ImgList.h"
#include "platform/SysColors.h"
#include <gtest/gtest.h>

namespace {

// Every registered theme answers every query and painter of the interface with sound values
// and leaves the canvas state as it found it.
TEST(TBXThemes, EveryRegisteredThemeAnswersTheWholeInterface)
{
    RegisterThemes();
    RegisterThemes();  // a second time changes nothing
    QStringList names;
    ListThemeNames(&names);
    ASSERT_GE(names.size(), 2);
    EXPECT_EQ(names.count("Office2003"), 1);
    QImage image(60, 40, QImage::Format_RGB32);
    TCanvas canvas(image);
    TImageList images(nullptr);
    images.SetSize(16, 16);
    QImage icon(16, 16, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::red);
    images.AddImage(icon);
    const int viewTypes[] = {VT_NORMALTOOLBAR, VT_MENUBAR, VT_NORMALTOOLBAR | VT_FLOATING, VT_POPUPMENU,
                             VT_LISTBOX, VT_TOOLBOX, VT_CHEVRONMENU, VT_DOCKPANEL, VT_STANDALONE};
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        TTBXTheme *theme = AcquireTheme(name);
        for (int index : IM_ALL)
            EXPECT_GE(theme->GetIntegerMetric(index), -1) << index;
        EXPECT_EQ(theme->GetIntegerMetric(99), -1) << "a metric no theme knows";
        for (int index : BMET_ALL)
            theme->GetBooleanMetric(index);
        for (int id : {1, 2, 3, 7}) {
            TTBXMargins m{-1, -1, -1, -1};
            theme->GetMargins(id, m);
            EXPECT_TRUE(m.LeftWidth >= 0 && m.RightWidth >= 0 && m.TopHeight >= 0 && m.BottomHeight >= 0) << id;
        }
        EXPECT_GE(theme->GetPopupShadowType(), 0);
        for (int vt : viewTypes) {
            TPoint border{-1, -1};
            theme->GetViewBorder(vt, border);
            EXPECT_TRUE(border.X >= 0 && border.Y >= 0) << vt;
            EXPECT_NE(theme->GetViewColor(vt), clNone) << vt;
            TTBXMargins m{-1, -1, -1, -1};
            theme->GetViewMargins(vt, m);
            EXPECT_GE(m.LeftWidth, 0);
        }
        for (int hover = 0; hover <= 2; ++hover) {
            for (int vt : viewTypes) {
                TTBXItemInfo info{.ViewType = vt,
                                  .ItemOptions = IsToolbarView(vt) ? IO_TOOLBAR_STYLE | IO_APP_ACTIVE : IO_SUBMENU,
                                  .Enabled = hover != 1, .HoverKind = hover, .Checked = hover == 2};
                info.ImageWidth = info.ImageHeight = 16;
                info.PopupMargin = 22;
                const TRect r = Rect(0, 0, 60, 22);
                canvas.Font()->SetColor(clNone);
                EXPECT_NE(theme->GetItemTextColor(info), clNone);
                EXPECT_NE(theme->GetItemImageBackground(info), clNone);
                theme->GetItemColor(info);
                theme->GetImageOffset(canvas, info, &images);
                const int level = canvas.SaveDC();
                theme->PaintBackground(canvas, TRect{}, r, r, clBtnFace, false, vt);
                theme->PaintButton(canvas, r, info);
                theme->PaintCaption(canvas, r, info, "&File", DT_SINGLELINE, false);
                theme->PaintCaption(canvas, r, info, "&File", 0, true);
                theme->PaintCheckMark(canvas, Rect(0, 0, 16, 16), info);
                theme->PaintChevron(canvas, Rect(0, 0, 13, 22), info);
                theme->PaintEditFrame(canvas, r, info, TTBXEditFrameInfo{0, 13});
                theme->PaintEditButton(canvas, Rect(40, 0, 53, 22), info, TTBXEditBtnInfo{EDIT_BUTTON_SPIN, 1});
                theme->PaintDock(canvas, Rect(0, 0, 60, 40), Rect(0, 0, 60, 40), DOCK_TOP);
                theme->PaintCaptionBar(canvas, Rect(0, 0, 60, 40), TTBXPanelInfo{vt, false, true, {2, 2}, 56, 36, 1, "x", true});
                theme->PaintDropDownArrow(canvas, Rect(0, 0, 11, 22), info);
                TTBXFloatingInfo floating{.ViewType = vt, .ClientWidth = 52, .ClientHeight = 30,
                                          .ShowCaption = true, .BorderSize = {4, 4},
                                          .CloseButtonState = 1 | 4, .RedrawPart = 7, .Caption = "x"};
                theme->PaintFloatingNCArea(canvas, Rect(0, 0, 60, 40), floating);
                theme->PaintFrameControl(canvas, r, info);
                theme->PaintImage(canvas, Rect(2, 2, 18, 18), info, &images, 0);
                theme->PaintWindowButton(canvas, Rect(0, 0, 15, 15), info, GLYPH_CLOSE);
                theme->PaintMenuItem(canvas, r, info);
                theme->PaintMenuItemFrame(canvas, r, info);
                theme->PaintSymbolButton(canvas, Rect(0, 0, 15, 15), 2, 4);
                theme->PaintPopupNCArea(canvas, Rect(0, 0, 60, 40), TTBXPopupInfo{0, vt, Rect(0, 0, 20, 1), {3, 3}});
                theme->PaintSeparator(canvas, r, info, true, false);
                theme->PaintSeparator(canvas, r, info, false, true);
                TTBXFrameInfo frame{.ViewType = vt, .AllowDrag = true, .BorderStyle = 1, .BorderSize = {2, 2},
                                    .ClientWidth = 40, .ClientHeight = 22, .CloseButtonState = 1};
                theme->PaintToolbarNCArea(canvas, Rect(0, 0, 60, 40), frame);
                theme->PaintCheckControl(canvas, Rect(0, 0, 13, 13), 1, 2, 0);
                for (int part = 0; part <= 3; ++part)
                    theme->PaintStatusBar(canvas, Rect(0, 0, 60, 22), part);
                EXPECT_EQ(canvas.SaveDC(), level + 1) << "a painter left a saved state behind";
                canvas.RestoreDC(level);
                EXPECT_FALSE(canvas.HasClip()) << "a painter left a clip behind";
            }
        }
        ReleaseTheme(theme);
    }
}

} // namespace
