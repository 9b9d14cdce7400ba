// Painting primitives of the themes at the sizes they are used: item faces, menu rows, a dock.
#include "platform/ImgList.h"
#include "themed/TBXUtils.h"
#include "themed/TBXThemes.h"
#include "themes/TBXThemeGradients.h"
#include "themes/Themes.h"

#include "BenchApplication.h"

#include <QImage>

namespace {

template <typename F>
void Paint(benchmark::State &state, int w, int h, F &&paint)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    TCanvas canvas(img);
    for (auto _ : state) {
        paint(&canvas, Rect(0, 0, w, h));
        benchmark::ClobberMemory();
    }
}

void BM_DitherGradientMenuRow(benchmark::State &state)
{
    Paint(state, 200, 22, [](TCanvas *c, const TRect &r) { DitherGradientRect(c, r, 0xF0F0F0, true, 0xC0C0C0); });
}

void BM_GradientFallbackButton(benchmark::State &state)
{
    Paint(state, 24, 24, [](TCanvas *c, const TRect &r) { GradientFillCanvas(c, r, 0xE0E0E0, 0xC0C0C0, true); });
}

void BM_BevelFaceButton(benchmark::State &state)
{
    Paint(state, 24, 24, [](TCanvas *c, const TRect &r) { PaintBevelFace(c, r, true, true); });
}

void BM_BrushedTextureDock(benchmark::State &state)
{
    Paint(state, 1024, 60, [](TCanvas *c, const TRect &r) { FillBrushedTexture(c, r, 8, 0xC8C8C8); });
}

void BM_ImageMonochrome16(benchmark::State &state)
{
    TImageList list(nullptr);
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(0xFF3060A0u);
    list.AddImage(icon);
    Paint(state, 16, 16, [&](TCanvas *c, const TRect &) { DrawImageMonochrome(c, 0, 0, &list, 0, 0); });
}

// A 30-item popup menu (faces, check marks, captions, separators, border) and a 20-button tool
// bar (frame, background, faces, captions) painted through the named theme.
void PaintMenuAndToolbar(benchmark::State &state, const char *name)
{
    RegisterThemes();
    TTBXTheme *theme = AcquireTheme(name);
    QImage img(400, 30 * 20 + 8, QImage::Format_RGB32);
    TCanvas canvas(img);
    for (auto _ : state) {
        const TRect popup = Rect(0, 0, 200, 30 * 20 + 8);
        theme->PaintBackground(canvas, TRect{}, popup, popup, theme->GetViewColor(VT_POPUPMENU), false, VT_POPUPMENU);
        theme->PaintPopupNCArea(canvas, popup, TTBXPopupInfo{0, VT_POPUPMENU, {}, {2, 2}});
        for (int i = 0; i < 30; ++i) {
            TTBXItemInfo info;
            info.ViewType = VT_POPUPMENU;
            info.Enabled = i % 7 != 3;
            info.HoverKind = i == 5 ? HOVER_ENABLED : HOVER_NONE;
            info.Checked = i % 9 == 0;
            info.PopupMargin = 22;
            const TRect r = Rect(3, 4 + i * 20, 197, 24 + i * 20);
            if (i % 10 == 9) {
                theme->PaintSeparator(canvas, r, info, true, false);
                continue;
            }
            theme->PaintMenuItem(canvas, r, info);
            if (info.Checked)
                theme->PaintCheckMark(canvas, Rect(r.Left, r.Top, r.Left + 22, r.Bottom), info);
            canvas.Font()->SetColor(clNone);
            theme->PaintCaption(canvas, Rect(r.Left + 28, r.Top, r.Right, r.Bottom), info, "新建人脉(&N)",
                                DT_SINGLELINE | DT_VCENTER, false);
        }
        const TRect bar = Rect(0, 0, 20 * 24 + 20, 28);
        TTBXFrameInfo frame;
        frame.ViewType = VT_NORMALTOOLBAR;
        frame.AllowDrag = true;
        frame.BorderStyle = 1;
        frame.BorderSize = {2, 2};
        frame.ClientWidth = bar.Width() - 4;
        frame.ClientHeight = 24;
        theme->PaintToolbarNCArea(canvas, bar, frame);
        theme->PaintBackground(canvas, bar, bar, bar, theme->GetViewColor(VT_NORMALTOOLBAR), false, VT_NORMALTOOLBAR);
        for (int i = 0; i < 20; ++i) {
            TTBXItemInfo info;
            info.ViewType = VT_NORMALTOOLBAR;
            info.ItemOptions = IO_TOOLBAR_STYLE | IO_APP_ACTIVE;
            info.Enabled = true;
            info.HoverKind = i == 3 ? HOVER_ENABLED : HOVER_NONE;
            info.Checked = i == 7;
            const TRect r = Rect(12 + i * 24, 2, 34 + i * 24, 26);
            theme->PaintButton(canvas, r, info);
            canvas.Font()->SetColor(clNone);
            theme->PaintCaption(canvas, r, info, "存", DT_SINGLELINE | DT_VCENTER | DT_CENTER, false);
        }
    }
    ReleaseTheme(theme);
}

} // namespace

BENCHMARK_CAPTURE(PaintMenuAndToolbar, Default, "Default");
BENCHMARK_CAPTURE(PaintMenuAndToolbar, Office2003, "Office2003");
BENCHMARK_CAPTURE(PaintMenuAndToolbar, Aluminum, "Aluminum");
BENCHMARK_CAPTURE(PaintMenuAndToolbar, Nexos3, "Nexos3");
BENCHMARK_CAPTURE(PaintMenuAndToolbar, Nexos5, "Nexos5");
BENCHMARK_CAPTURE(PaintMenuAndToolbar, SentimoX, "SentimoX");
BENCHMARK(BM_DitherGradientMenuRow);
BENCHMARK(BM_GradientFallbackButton);
BENCHMARK(BM_BevelFaceButton);
BENCHMARK(BM_BrushedTextureDock);
BENCHMARK(BM_ImageMonochrome16);

int main(int argc, char **argv) { return RunBenchmarksInApplication(argc, argv); }
