// A dock beside a short tool bar shows the theme's dock background, in every theme that paints
// docks, on the main window and in the contact editor alike (both use the same dock class).
#include "themes/Themes.h"
#include "themed/SpTBXItem.h"
#include "themed/TBXNexus.h"
#include "platform/Forms.h"
#include "platform/SysColors.h"
#include "TestSupport.h"
#include <QApplication>
#include <gtest/gtest.h>

namespace {

TEST(ThemeDocks, TheBandBesideAShortToolbarIsTheThemesDockBackground)
{
    RegisterThemes();
    TForm form(nullptr);
    form.SetBounds(0, 0, 500, 200);
    auto *dock = new TSpTBXDock(&form);
    dock->SetParent(&form);
    auto *bar = new TSpTBXToolbar(&form);
    auto *item = new TSpTBXItem(bar);
    item->SetCaptionW("保存");
    bar->Items()->Add(item);
    bar->SetCurrentDock(dock);
    form.Show();
    QCoreApplication::processEvents();
    QStringList names;
    ListThemeNames(&names);
    for (const QString &name : names) {
        SetCurrentTheme(name);
        QCoreApplication::processEvents();
        ASSERT_LT(bar->Left() + bar->Width() + 20, dock->Width()) << "the band beside the bar";
        const TPoint at{dock->Width() - 10, dock->Height() / 2};
        QImage shot = BlankImage(dock->Width(), dock->Height(), clLime);
        TCanvas canvas(shot);
        dock->PaintTo(canvas, 0, 0);
        TColor expected = GetEffectiveViewColor(&form);
        if (CurrentTheme()->GetBooleanMetric(BMET_PAINT_DOCK)) {
            QImage alone = BlankImage(dock->Width(), dock->Height(), clLime);
            TCanvas c(alone);
            const TRect client{0, 0, dock->Width(), dock->Height()};
            CurrentTheme()->PaintDock(c, client, client, DOCK_TOP);
            expected = PixelAt(alone, at.X, at.Y);
        }
        EXPECT_EQ(PixelAt(shot, at.X, at.Y), ColorToRGB(expected)) << name.toStdString();
    }
    SetCurrentTheme("Default");
}

} // namespace
