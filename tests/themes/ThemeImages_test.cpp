// The program's image lists are the framework's own kind: in every theme they draw their
// images themselves, with their hot, checked and disabled images, and no theme effect.
#include "themes/Themes.h"
#include "themed/TBXThemes.h"
#include "toolbar/TB2Item.h"
#include "platform/ImgList.h"
#include "platform/SysColors.h"
#include "TestSupport.h"
#include <gtest/gtest.h>

namespace {

void AddSolid(TCustomImageList &list, QColor colour)
{
    list.SetSize(16, 16);
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    list.AddImage(image);
}

TEST(ThemeImages, FrameworkImageListsDrawTheirStateImagesInEveryTheme)
{
    RegisterThemes();
    TTBImageList images(nullptr);
    TImageList hot(nullptr), checked(nullptr), disabled(nullptr), plain(nullptr), dark(nullptr);
    AddSolid(images, Qt::red);
    AddSolid(hot, Qt::green);
    AddSolid(checked, Qt::blue);
    AddSolid(disabled, Qt::yellow);
    AddSolid(plain, Qt::red);
    AddSolid(dark, QColor(0, 0, 128));
    images.SetHotImages(&hot);
    images.SetCheckedImages(&checked);
    images.SetDisabledImages(&disabled);

    struct State { const char *name; bool enabled; int hover; bool checked, pushed; TColor expected; };
    const State states[] = {
        {"at rest", true, HOVER_NONE, false, false, clRed},
        {"hot", true, HOVER_ENABLED, false, false, clLime},
        {"checked", true, HOVER_NONE, true, false, clBlue},
        {"hot and checked", true, HOVER_ENABLED, true, false, clBlue},
        {"disabled", false, HOVER_NONE, false, false, clYellow},
        {"disabled under the pointer", false, HOVER_DISABLED, true, false, clYellow},
    };
    QStringList names;
    ListThemeNames(&names);
    ASSERT_GE(names.size(), 6);
    for (const QString &name : names) {
        TTBXTheme *theme = AcquireTheme(name);
        for (int viewType : {VT_NORMALTOOLBAR, VT_POPUPMENU}) {
            for (const State &s : states) {
                TTBXItemInfo info;
                info.ViewType = viewType;
                info.ItemOptions = (viewType == VT_NORMALTOOLBAR ? IO_TOOLBAR_STYLE : 0) | IO_APP_ACTIVE;
                info.Enabled = s.enabled;
                info.HoverKind = s.hover;
                info.Checked = s.checked;
                info.Pushed = s.pushed;
                info.ImageShown = true;
                info.ImageWidth = info.ImageHeight = 16;
                QImage shot = BlankImage(40, 40, clWhite);
                TCanvas canvas(shot);
                theme->PaintImage(canvas, Bounds(10, 10, 16, 16), info, &images, 0);
                // The middle of the image, wherever a theme shifts a pressed one by a pixel.
                EXPECT_EQ(PixelAt(shot, 18, 18), ColorToRGB(s.expected))
                    << name.toStdString() << " view " << viewType << ", " << s.name;
                EXPECT_EQ(PixelAt(shot, 5, 5), clWhite) << name.toStdString() << ", " << s.name;
                // Nor does a theme lift a hot image of such a list off its place.
                if (s.enabled && s.hover == HOVER_ENABLED && !s.checked) {
                    EXPECT_EQ(theme->GetImageOffset(canvas, info, &images), (TPoint{0, 0})) << name.toStdString();
                }
                // A plain list's dark icon on a light selection keeps its colour: the contrast
                // effect, which turns it white, is for dark backgrounds.
                if (s.enabled && s.hover == HOVER_ENABLED) {
                    QImage selected = BlankImage(40, 40, theme->GetItemImageBackground(info));
                    TCanvas onSelection(selected);
                    theme->PaintImage(onSelection, Bounds(10, 10, 16, 16), info, &dark, 0);
                    EXPECT_EQ(PixelAt(selected, 18, 18), RGB(0, 0, 128)) << name.toStdString() << ", " << s.name;
                }
            }
        }
        // Any other list still takes the theme's disabled look, never its plain colours.
        TTBXItemInfo off;
        off.ViewType = VT_NORMALTOOLBAR;
        off.ItemOptions = IO_TOOLBAR_STYLE | IO_APP_ACTIVE;
        QImage shot = BlankImage(40, 40, clWhite);
        TCanvas canvas(shot);
        theme->PaintImage(canvas, Bounds(10, 10, 16, 16), off, &plain, 0);
        EXPECT_NE(PixelAt(shot, 18, 18), clRed) << name.toStdString() << ": a disabled plain list";
        ReleaseTheme(theme);
    }
}

} // namespace
