// Arranging docks: 20 toolbars of five captioned buttons in one dock (measuring every toolbar
// for its row and placing it), the row computation alone over 20 records, and a form with four
// docks of three toolbars each being resized by one pixel, so every dock arranges again.
#include "platform/Forms.h"
#include "toolbar/TB2Toolbar.h"

#include "BenchApplication.h"

namespace {

TTBToolbar *NewToolbar(TForm *form, TTBDock *dock, int row)
{
    auto *tb = new TTBToolbar(form);
    for (int i = 0; i < 5; ++i) {
        auto *item = new TTBItem(tb);
        item->SetCaption(QStringLiteral("按钮%1").arg(i));
        tb->Items()->Add(item);
    }
    tb->SetDockRow(row);
    tb->SetCurrentDock(dock);
    return tb;
}

} // namespace

static void BM_ArrangeDockRows20Toolbars(benchmark::State &state)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 1200, 800);
    auto *dock = new TTBDock(&form);
    dock->SetParent(&form);
    for (int i = 0; i < 20; ++i)
        NewToolbar(&form, dock, i / 4);
    for (auto _ : state)
        dock->ArrangeDockRows();
    state.counters["rows"] = dock->GetHighestRow(true) + 1;
}
BENCHMARK(BM_ArrangeDockRows20Toolbars)->Unit(benchmark::kMicrosecond);

static void BM_ArrangeDockRecords20(benchmark::State &state)
{
    std::vector<TTBDockArrangeRec> recs(20);
    for (size_t i = 0; i < recs.size(); ++i) {
        recs[i].DockRow = int(i) / 4;
        recs[i].DockPos = int(i % 4) * 150;
    }
    TTBDockArrangeParams p;
    p.Avail = 1000;
    p.Measure = [](int i, int) { return TTBDockMeasure{180 + i, 60, 2, 22}; };
    for (auto _ : state) {
        std::vector<TTBDockArrangeRec> work = recs;
        benchmark::DoNotOptimize(ArrangeDockRecords(p, work));
    }
}
BENCHMARK(BM_ArrangeDockRecords20)->Unit(benchmark::kMicrosecond);

static void BM_RealignFormWithFourDocks(benchmark::State &state)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 1000, 700);
    const TTBDockPosition positions[] = {TTBDockPosition::dpTop, TTBDockPosition::dpBottom, TTBDockPosition::dpLeft,
                                         TTBDockPosition::dpRight};
    for (TTBDockPosition pos : positions) {
        auto *dock = new TTBDock(&form);
        dock->SetPosition(pos);
        dock->SetParent(&form);
        for (int i = 0; i < 3; ++i)
            NewToolbar(&form, dock, 0);
    }
    int width = 1000;
    for (auto _ : state) {
        width = width == 1000 ? 999 : 1000;
        form.SetBounds(0, 0, width, 700);
    }
}
BENCHMARK(BM_RealignFormWithFourDocks)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv) { return RunBenchmarksInApplication(argc, argv); }
