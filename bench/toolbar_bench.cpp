// A menu of 2,000 items three levels deep, every item with children watched by 10 listeners (as
// several views and popups would watch it). One iteration toggles Checked on every item; items
// processed counts the changes, so the time per item is the cost of one change with its notices.
#include "toolbar/TB2Item.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

struct Counter {
    long notices = 0;
};

void CountNotice(void *data, TTBCustomItem *, bool, TTBItemChangedAction, int, TTBCustomItem *)
{
    ++static_cast<Counter *>(data)->notices;
}

} // namespace

static void BM_ToggleCheckedWithListeners(benchmark::State &state)
{
    constexpr int Top = 10, Middle = 10, Total = 2000;
    auto root = std::make_unique<TTBRootItem>(nullptr);
    std::vector<TTBCustomItem *> all, middles;
    for (int i = 0; i < Top; ++i) {
        auto *top = new TTBItem(nullptr);
        root->Add(top);
        all.push_back(top);
        for (int j = 0; j < Middle; ++j) {
            auto *mid = new TTBItem(nullptr);
            top->Add(mid);
            all.push_back(mid);
            middles.push_back(mid);
        }
    }
    for (size_t k = 0; all.size() < size_t(Total); ++k) {
        auto *leaf = new TTBItem(nullptr);
        middles[k % middles.size()]->Add(leaf);
        all.push_back(leaf);
    }
    Counter listeners[10];
    std::vector<TTBCustomItem *> parents{root.get()};
    for (TTBCustomItem *item : all)
        if (item->Count() > 0)
            parents.push_back(item);
    for (TTBCustomItem *p : parents)
        for (Counter &c : listeners)
            p->RegisterNotification(&CountNotice, &c);

    bool on = false;
    for (auto _ : state) {
        on = !on;
        for (TTBCustomItem *item : all)
            item->SetChecked(on);
    }
    benchmark::DoNotOptimize(listeners[9].notices);
    state.SetItemsProcessed(state.iterations() * int64_t(all.size()));
    state.counters["ns_per_change"] = benchmark::Counter(double(state.iterations()) * double(all.size()),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    for (TTBCustomItem *p : parents)
        for (Counter &c : listeners)
            p->UnregisterNotification(&CountNotice, &c);
}
BENCHMARK(BM_ToggleCheckedWithListeners)->Unit(benchmark::kMicrosecond);
