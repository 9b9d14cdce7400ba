// Painting primitives of the themes at the sizes they are used: item faces, menu rows, a dock.
#include "platform/ImgList.h"
#include "themed/TBXUtils.h"
#include "themes/TBXThemeGradients.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

namespace {

QApplication &App()
{
    static int argc = 1;
    static char name[] = "themes_bench";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

template <typename F>
void Paint(benchmark::State &state, int w, int h, F &&paint)
{
    App();
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
    App();
    TImageList list(nullptr);
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(0xFF3060A0u);
    list.AddImage(icon);
    Paint(state, 16, 16, [&](TCanvas *c, const TRect &) { DrawImageMonochrome(c, 0, 0, &list, 0, 0); });
}

} // namespace

BENCHMARK(BM_DitherGradientMenuRow);
BENCHMARK(BM_GradientFallbackButton);
BENCHMARK(BM_BevelFaceButton);
BENCHMARK(BM_BrushedTextureDock);
BENCHMARK(BM_ImageMonochrome16);
