// SPDX-License-Identifier: GPL-3.0-or-later
// The ranked list on one million records: bulk ranking, the quicksort, and re-ranking into another
// order with the N + 1 head read out, as the window does.
#include <benchmark/benchmark.h>

#include "scan/Fllist.h"

#include <random>

namespace {

constexpr int Records = 1000000;

// A list with a realistic spread of sizes and times, appended in walk order and not yet ranked.
std::unique_ptr<TFilesList> MakeList(std::uint8_t mode)
{
    auto list = std::make_unique<TFilesList>();
    list->SetSortMode(mode);
    std::mt19937_64 random(7);
    std::lognormal_distribution<double> size(8.5, 2.6);
    std::exponential_distribution<double> age(1.0 / (3.0 * 365 * 86400));
    const char *folder = nullptr;
    for (int i = 0; i < Records; ++i) {
        if (i % 20 == 0)
            folder = list->InternText("/bench/folder/" + std::to_string(i / 20));
        list->Append("file" + std::to_string(i) + ".dat", folder, static_cast<std::int64_t>(size(random)), 0x20,
                     static_cast<std::int64_t>(1.8e9 - age(random)));
    }
    return list;
}

void BulkRankAndSort(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto list = MakeList(smSize);
        state.ResumeTiming();
        list->RankAppended();
        list->Sort();
        benchmark::DoNotOptimize(list->Items(0));
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Records);
}
BENCHMARK(BulkRankAndSort)->Unit(benchmark::kMillisecond);

void SortRanked(benchmark::State &state)
{
    auto list = MakeList(smSize);
    list->RankAppended();
    for (auto _ : state) {
        list->Sort();
        benchmark::DoNotOptimize(list->Items(0));
    }
    state.SetItemsProcessed(state.iterations() * Records);
}
BENCHMARK(SortRanked)->Unit(benchmark::kMillisecond);

// SetSortMode + Sort + reading the 21 records the chart shows, alternating size and time.
void Rerank(benchmark::State &state)
{
    auto list = MakeList(smSize);
    list->Sort();
    bool toTime = true;
    for (auto _ : state) {
        list->SetSortMode(toTime ? smTime : smSize);
        list->Sort();
        double sum = 0;
        for (int i = 0; i <= 20; ++i)
            sum += list->Items(i)->DateTime() + static_cast<double>(list->Items(i)->Size());
        benchmark::DoNotOptimize(sum);
        toTime = !toTime;
    }
    state.SetItemsProcessed(state.iterations() * Records);
}
BENCHMARK(Rerank)->Unit(benchmark::kMillisecond);

} // namespace
