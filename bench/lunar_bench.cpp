// The month planner asks LunarDayText for each of its 42 cells on every paint. One iteration
// captions every day of 1901-2050; items processed counts the calls.
#include "contacts/calendar/DateCn.h"

#include <benchmark/benchmark.h>
#include <vector>

static void BM_LunarDayTextAllDays(benchmark::State &state)
{
    std::vector<QDate> days;
    for (QDate d(1901, 1, 1); d <= QDate(2050, 12, 31); d = d.addDays(1))
        days.push_back(d);
    int kind = 0;
    QString text;
    for (auto _ : state) {
        for (const QDate &d : days) {
            LunarDayText(d, kind, text);
            benchmark::DoNotOptimize(kind);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(days.size()));
}
BENCHMARK(BM_LunarDayTextAllDays)->Unit(benchmark::kMillisecond);

static void BM_SolarToLunarAllDays(benchmark::State &state)
{
    std::vector<QDate> days;
    for (QDate d(1901, 1, 1); d <= QDate(2050, 12, 31); d = d.addDays(1))
        days.push_back(d);
    for (auto _ : state) {
        for (const QDate &d : days)
            benchmark::DoNotOptimize(SolarToLunar(d));
    }
    state.SetItemsProcessed(state.iterations() * int64_t(days.size()));
}
BENCHMARK(BM_SolarToLunarAllDays)->Unit(benchmark::kMillisecond);
