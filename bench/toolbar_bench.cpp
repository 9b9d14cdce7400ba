// Menus: laying out a long popup, and opening a popup menu (creation, layout, first paint).
#include "platform/SysParams.h"
#include "toolbar/TB2ItemWindow.h"

#include "BenchApplication.h"

#include <memory>

namespace {

std::unique_ptr<TTBRootItem> MakeMenu(int count)
{
    auto root = std::make_unique<TTBRootItem>(nullptr);
    for (int i = 0; i < count; ++i) {
        TTBCustomItem *item = i % 10 == 9 ? static_cast<TTBCustomItem *>(new TTBSeparatorItem(nullptr))
                                          : new TTBItem(nullptr);
        item->SetCaption(QStringLiteral("联系人命令 &%1\tCtrl+%2").arg(i).arg(i % 10));
        root->Add(item);
    }
    return root;
}

void BM_LayoutPopup500(benchmark::State &state)
{
    auto root = MakeMenu(500);
    TTBPopupWindow window(nullptr, nullptr, root.get(), false);
    TTBView *view = window.View();
    view->SetMaxHeight(1000);
    for (auto _ : state) {
        view->InvalidatePositions();
        view->EnsureLayout();
    }
}
BENCHMARK(BM_LayoutPopup500)->Unit(benchmark::kMicrosecond);

// The same with a font never measured before on every pass: every text is shaped anew.
void BM_LayoutPopup500NewFont(benchmark::State &state)
{
    auto root = MakeMenu(500);
    TTBPopupWindow window(nullptr, nullptr, root.get(), false);
    TTBView *view = window.View();
    view->SetMaxHeight(1000);
    int height = -12;
    for (auto _ : state) {
        height = height == -20 ? -12 : height - 1;
        window.Font()->SetHeight(height);
        view->InvalidatePositions();
        view->EnsureLayout();
    }
}
BENCHMARK(BM_LayoutPopup500NewFont)->Unit(benchmark::kMicrosecond);

void BM_LayoutRecords500(benchmark::State &state)
{
    std::vector<TTBLayoutItem> items(500);
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].Candidate = true;
        items[i].IsSeparator = i % 10 == 9;
    }
    TTBLayoutParams p;
    p.IsPopup = true;
    p.MaxHeight = 1000;
    p.Measure = [](int i, int &w, int &h, bool &) {
        w = 120 + i % 7;
        h = i % 10 == 9 ? 8 : 20;
    };
    std::vector<TTBLayoutRecord> records;
    TTBLayoutResult result;
    for (auto _ : state) {
        int scroll = 0;
        LayoutViewerRecords(p, items, records, scroll, result);
        benchmark::DoNotOptimize(records.data());
    }
}
BENCHMARK(BM_LayoutRecords500)->Unit(benchmark::kMicrosecond);

void BM_OpenPopup30(benchmark::State &state)
{
    auto root = MakeMenu(30);
    TBInstallPopupWindows();
    for (auto _ : state) {
        std::unique_ptr<TTBPopupWindow> w(
            root->OpenItemPopup(nullptr, nullptr, TTBPopupAlignment::tbpaLeft, {200, 100}, false, false, false));
        const QPixmap painted = w->grab();
        benchmark::DoNotOptimize(painted.cacheKey());
    }
}
BENCHMARK(BM_OpenPopup30)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) { return RunBenchmarksInApplication(argc, argv); }
